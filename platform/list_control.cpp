#include "platform/list_control.h"

namespace platform {

ListControl::ListControl(HWND hwnd) : hwnd_(hwnd) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    combo_ = lstrcmpiW(cls, L"ComboBox") == 0;
}

void ListControl::AddItem(const std::wstring& text) {
    SendMessageW(hwnd_, combo_ ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int ListControl::ListCount() const {
    return static_cast<int>(SendMessageW(hwnd_, combo_ ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
}

std::wstring ListControl::List(int index) const {
    LRESULT len = SendMessageW(hwnd_, combo_ ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
    if (len < 0) return {};
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    LRESULT got = SendMessageW(hwnd_, combo_ ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return text;
}

int ListControl::ListIndex() const {
    return static_cast<int>(SendMessageW(hwnd_, combo_ ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void ListControl::SetListIndex(int index) {
    SendMessageW(hwnd_, combo_ ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
}

}  // namespace platform
