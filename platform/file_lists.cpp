#include "platform/file_lists.h"

#include "platform/find_handle.h"

#include <shlwapi.h>
#include <winnetwk.h>

#include <algorithm>
#include <cwctype>
#include <utility>

namespace platform {
namespace {

constexpr DWORD kNotPlain = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; }

// Length of the root of a full path: "C:\" or "\\server\share" (whose separator follows).
std::size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.rfind(L"\\\\", 0) == 0) {
        const std::size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return path.size();
        const std::size_t share = path.find(L'\\', server + 1);
        return share == std::wstring::npos ? path.size() : share;
    }
    return 0;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// The full form of a folder text, without trailing separators except a drive root's.
std::wstring FullFolder(const std::wstring& folder) {
    if (folder.empty()) return {};
    DWORD size = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(folder.c_str(), size, full.data(), nullptr);
    full.resize(size);
    while (full.size() > std::max<std::size_t>(RootLength(full), 1) && full.back() == L'\\') full.pop_back();
    return full;
}

// "c: [label]"; remote drives name their share. Floppy drives are not read: that would spin them.
std::wstring DriveText(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', 0};
    const wchar_t device[] = {letter, L':', 0};
    std::wstring text = {static_cast<wchar_t>(std::towlower(letter)), L':'};
    const UINT type = GetDriveTypeW(root);
    wchar_t label[MAX_PATH + 1] = {};
    if (type == DRIVE_REMOTE) {
        DWORD size = MAX_PATH;
        if (WNetGetConnectionW(device, label, &size) != NO_ERROR) label[0] = 0;
    } else if (!(type == DRIVE_REMOVABLE && (letter == L'A' || letter == L'B'))) {
        // An empty drive answers with an error, not with the system's "insert a disk" box.
        const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) label[0] = 0;
        SetErrorMode(mode);
    }
    if (label[0]) text += std::wstring(L" [") + label + L"]";
    return text;
}

}  // namespace

// --- DriveList ---

DriveList::DriveList(HWND combo) : list_(combo) { Refresh(); }

void DriveList::Refresh() {
    const wchar_t keep = picked_ >= 0 ? letters_[static_cast<std::size_t>(picked_)] : 0;
    SendMessageW(list_.hwnd(), CB_RESETCONTENT, 0, 0);
    letters_.clear();
    picked_ = -1;
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const wchar_t letter = static_cast<wchar_t>(L'A' + i);
        list_.AddItem(DriveText(letter));
        letters_.push_back(static_cast<wchar_t>(std::towlower(letter)));
        if (letters_.back() == keep) picked_ = static_cast<int>(letters_.size()) - 1;
    }
    list_.SetListIndex(picked_);
}

int DriveList::IndexOf(const std::wstring& path) const {
    if (path.size() < 2 || path[1] != L':') return -1;
    const auto it = std::find(letters_.begin(), letters_.end(), static_cast<wchar_t>(std::towlower(path[0])));
    return it == letters_.end() ? -1 : static_cast<int>(it - letters_.begin());
}

std::wstring DriveList::Drive() const { return picked_ >= 0 ? list_.List(picked_) : std::wstring(); }

bool DriveList::SetDrive(const std::wstring& path) {
    int index = IndexOf(path);
    if (index < 0) {
        Refresh();  // a drive added since the list was filled
        index = IndexOf(path);
    }
    if (index < 0) return false;
    if (index == picked_) return true;
    picked_ = index;
    list_.SetListIndex(index);
    if (onChange) onChange();
    return true;
}

void DriveList::ShowDrive(const std::wstring& path) {
    picked_ = IndexOf(path);
    list_.SetListIndex(picked_);
}

void DriveList::OnUserPick() {
    const int index = list_.ListIndex();
    if (index < 0 || index == picked_) return;
    picked_ = index;
    if (onChange) onChange();
}

// --- FolderList ---

FolderList::FolderList(HWND listbox) : hwnd_(listbox) {
    // Room for the text and for the folder picture.
    HDC dc = GetDC(listbox);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(listbox, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(listbox, dc);
    SendMessageW(listbox, LB_SETITEMHEIGHT, 0, std::max<LONG>(tm.tmHeight + 2, 16));
}

bool FolderList::SetPath(const std::wstring& folder) {
    const std::wstring full = FullFolder(folder);
    if (full.empty()) return false;
    if (!path_.empty() && lstrcmpiW(full.c_str(), path_.c_str()) == 0) return true;
    if (!Fill(full)) return false;
    if (onChange) onChange();
    return true;
}

bool FolderList::OpenItem(int index) {
    if (index < 0 || index >= ListCount()) return false;
    const std::wstring target = items_[static_cast<std::size_t>(index)].path;
    if (SetPath(target)) return true;
    Fill(path_);  // the folder has gone: show what is there now
    return false;
}

std::wstring FolderList::ItemPath(int index) const {
    return index >= 0 && index < ListCount() ? items_[static_cast<std::size_t>(index)].path : std::wstring();
}

bool FolderList::Fill(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    FindHandle find(Join(folder, L"*"));
    if (!find.ok() && find.error() != ERROR_FILE_NOT_FOUND) return false;
    std::vector<std::wstring> subfolders;
    for (bool more = find.ok(); more; more = find.Next()) {
        const WIN32_FIND_DATAW& d = find.data();
        const std::wstring name = d.cFileName;
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (d.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ||
            name == L"." || name == L"..")
            continue;
        subfolders.push_back(name);
    }
    std::sort(subfolders.begin(), subfolders.end(), LessIgnoringCase);

    items_.clear();
    const std::size_t root = RootLength(folder);
    std::wstring path = folder.substr(0, root);
    items_.push_back({path, path, 0, true});
    for (std::size_t at = root; at < folder.size();) {
        if (folder[at] == L'\\') ++at;
        const std::size_t end = std::min(folder.find(L'\\', at), folder.size());
        if (end == at) break;
        const std::wstring name = folder.substr(at, end - at);
        path = Join(path, name);
        items_.push_back({name, path, static_cast<int>(items_.size()), true});
        at = end;
    }
    current_ = static_cast<int>(items_.size()) - 1;
    for (const std::wstring& name : subfolders) items_.push_back({name, Join(folder, name), current_ + 1, false});

    path_ = folder;
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const Item& item : items_) SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.name.c_str()));
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(current_), 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

void FolderList::Draw(const DRAWITEMSTRUCT& d) const {
    if (d.itemID == static_cast<UINT>(-1) || d.itemID >= items_.size()) return;
    const Item& item = items_[d.itemID];
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    HDC dc = d.hDC;
    RECT rc = d.rcItem;
    FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    // A folder picture: a tab over a body, the body left open on the way to the current folder.
    const int h = rc.bottom - rc.top;
    const int iconH = std::max(8, h - 6), iconW = iconH * 4 / 3;
    const int x = rc.left + 2 + item.level * (iconW * 2 / 3), y = rc.top + (h - iconH) / 2;
    HBRUSH fill = CreateSolidBrush(item.open ? RGB(255, 240, 170) : RGB(240, 200, 80));
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, x, y, x + iconW / 2, y + 3);
    Rectangle(dc, x, y + 2, x + iconW, y + iconH);
    if (item.open) {
        MoveToEx(dc, x + iconW / 4, y + iconH - 1, nullptr);
        LineTo(dc, x + iconW / 2, y + 5);
        LineTo(dc, x + iconW, y + 5);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(fill);

    RECT text = rc;
    text.left = x + iconW + 4;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, item.name.c_str(), static_cast<int>(item.name.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
}

// --- FileList ---

FileList::FileList(HWND listbox, std::wstring pattern) : list_(listbox), pattern_(std::move(pattern)) {}

void FileList::SetPath(const std::wstring& folder) {
    if (!path_.empty() && lstrcmpiW(folder.c_str(), path_.c_str()) == 0) return;
    path_ = folder;
    Refresh();
}

void FileList::Refresh() {
    std::vector<std::wstring> names;
    FindHandle find(Join(path_, pattern_));
    for (bool more = find.ok(); more; more = find.Next()) {
        const WIN32_FIND_DATAW& d = find.data();
        // The search also matches short names ("NAME~1.BKD" of "name.bkdx"): check the long one.
        if (!(d.dwFileAttributes & kNotPlain) && PathMatchSpecW(d.cFileName, pattern_.c_str()))
            names.push_back(d.cFileName);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    SendMessageW(list_.hwnd(), LB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : names) list_.AddItem(name);
}

void FileList::SetListIndex(int index) {
    list_.SetListIndex(index);
    if (onClick) onClick();
}

void FileList::OnUserClick() {
    if (onClick) onClick();
}

}  // namespace platform
