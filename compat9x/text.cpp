// The platform test and the text conversions every stand-in uses.
#include "compat9x/compat9x.h"

namespace compat9x {

bool OnWin9x() {
    // The top bit of GetVersion is set on the 9x family (and on Win32s, which nothing here
    // supports). No function-local static: its guard would take the C++ runtime's lock, whose
    // making calls CreateSemaphoreW, whose stand-in asks this again before the runtime has started.
    static volatile LONG family = 0;  // 0 not asked yet, 1 NT, 2 9x; asking twice gives the same
    if (family == 0) family = (GetVersion() & 0x80000000u) ? 2 : 1;
    return family == 2;
}

std::string Narrow(const wchar_t* text, int length, bool* exact) {
    if (exact) *exact = true;
    if (!text) return {};
    if (length < 0) length = lstrlenW(text);
    if (length == 0) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), size, nullptr, nullptr);
    // The conversion maps some characters to look-alikes without a word; only the way back
    // tells. Each character that does not come back becomes "?".
    const std::wstring back = Widen(out.c_str(), size);
    if (back == std::wstring(text, static_cast<std::size_t>(length))) return out;
    if (exact) *exact = false;
    std::string safe;
    for (int i = 0; i < length; ++i) {
        char bytes[8];
        const int n = WideCharToMultiByte(CP_ACP, 0, text + i, 1, bytes, sizeof bytes, nullptr, nullptr);
        wchar_t again = 0;
        const bool same = n > 0 && MultiByteToWideChar(CP_ACP, 0, bytes, n, &again, 1) == 1 && again == text[i];
        safe += same ? std::string(bytes, static_cast<std::size_t>(n)) : std::string("?");
    }
    return safe;
}

std::wstring Widen(const char* text, int length) {
    if (!text) return {};
    if (length < 0) length = lstrlenA(text);
    if (length == 0) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, out.data(), size);
    return out;
}

std::wstring WidenName(const char* text, int length) {
    std::wstring name = Widen(text, length);
    for (wchar_t& c : name)
        if (c == L'?') c = 0xFFFD;
    return name;
}

AnsiArg::AnsiArg(const wchar_t* text) {
    if (IS_INTRESOURCE(text)) {
        ptr_ = reinterpret_cast<const char*>(text);
    } else {
        text_ = Narrow(text, -1, &exact_);
        ptr_ = text_.c_str();
    }
}

int CopyOut(const std::wstring& text, wchar_t* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const int n = static_cast<int>(text.size()) < size ? static_cast<int>(text.size()) : size - 1;
    for (int i = 0; i < n; ++i) buffer[i] = text[i];
    buffer[n] = L'\0';
    return n;
}

}  // namespace compat9x
