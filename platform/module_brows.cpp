#include "platform/module_brows.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>

namespace ModuleBrows {
namespace {

// The display-name buffer: the record gives it no size, and Wine writes a whole path there.
constexpr DWORD kLongPathSize = 32768;

// Blanks only, as the folder box's own text is trimmed; tabs and the like stay.
std::wstring TrimBlanks(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The picker needs COM on this thread; a thread that already has it keeps its own apartment.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

// The item's parsing name as its parent folder gives it: the whole path of a file-system item
// (`leafOnly` false) or its last element's name on disk (true). Empty for an item outside the
// file system, or on failure.
std::wstring ParsingName(PCIDLIST_ABSOLUTE item, bool leafOnly) {
    IShellFolder* folder = nullptr;
    PCUITEMID_CHILD leaf = nullptr;
    if (FAILED(SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&folder), &leaf))) return {};
    std::wstring name;
    SFGAOF attributes = SFGAO_FILESYSTEM;
    STRRET text = {};
    PWSTR owned = nullptr;
    if (SUCCEEDED(folder->GetAttributesOf(1, &leaf, &attributes)) && (attributes & SFGAO_FILESYSTEM) &&
        SUCCEEDED(folder->GetDisplayNameOf(leaf, (leafOnly ? SHGDN_INFOLDER : SHGDN_NORMAL) | SHGDN_FORPARSING, &text)) &&
        SUCCEEDED(StrRetToStrW(&text, leaf, &owned))) {
        name = owned;
        CoTaskMemFree(owned);
    }
    folder->Release();
    return name;
}

// Item lists copied and shortened by hand: shell32 names ILClone, ILRemoveLastID and ILFree only
// from XP SP1 on (Windows 2000 exports them by ordinal alone). A list is items of `cb` bytes each,
// `cb` counting itself, ended by a zero `cb`.
std::size_t ListBytes(PCUIDLIST_RELATIVE list) {
    std::size_t size = 0;
    for (auto* p = reinterpret_cast<const BYTE*>(list); reinterpret_cast<const SHITEMID*>(p)->cb != 0;) {
        const USHORT cb = reinterpret_cast<const SHITEMID*>(p)->cb;
        size += cb;
        p += cb;
    }
    return size + sizeof(USHORT);
}

PIDLIST_ABSOLUTE CopyList(PCIDLIST_ABSOLUTE list) {
    const std::size_t size = ListBytes(list);
    auto* copy = static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(size));
    if (copy) std::memcpy(copy, list, size);
    return copy;
}

// Ends the list before its last item; false when it has none.
bool DropLastItem(PIDLIST_ABSOLUTE list) {
    BYTE* last = nullptr;
    for (auto* p = reinterpret_cast<BYTE*>(list); reinterpret_cast<SHITEMID*>(p)->cb != 0;
         p += reinterpret_cast<SHITEMID*>(p)->cb)
        last = p;
    if (!last) return false;
    reinterpret_cast<SHITEMID*>(last)->cb = 0;
    return true;
}

// The item's file-system path, whole; empty for an item that has none. Wine's shell cuts every
// path it assembles at 260 characters, whatever buffer it is given, so a path of that length
// is rebuilt from its parent's path and its own name.
std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item) {
    std::wstring path = ParsingName(item, false);
    if (path.size() < MAX_PATH - 1) return path;
    PIDLIST_ABSOLUTE parent = CopyList(item);
    if (parent && DropLastItem(parent)) {
        const std::wstring head = FileSystemPath(parent);
        const std::wstring leaf = ParsingName(item, true);
        if (!head.empty() && !leaf.empty()) path = head + (head.back() == L'\\' ? L"" : L"\\") + leaf;
    }
    CoTaskMemFree(parent);
    return path;
}

}  // namespace

int CALLBACK BrowseCallbackProc(HWND picker, UINT message, LPARAM /*messageData*/, LPARAM data) {
    if (message != BFFM_INITIALIZED || data == 0) return 0;
    // The wide twin of select-by-path (1126): under Wine the ANSI one does not select in this
    // Unicode picker, and the wide text holds names the code page cannot. wParam nonzero: lParam
    // is a path. Wine's first picker in a process can miss while it still fills the tree; the
    // second try lands (Windows answers TRUE at once).
    if (!SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, data)) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& initial) {
    // Alive until the picker has closed, as the callback reads it.
    const std::wstring folder = TrimBlanks(initial);

    std::wstring displayName(kLongPathSize, L'\0');
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName.data();
    info.lpszTitle = kPrompt;
    info.ulFlags = 0;
    if (!folder.empty()) {
        info.lpfn = CallbackAddress(BrowseCallbackProc);
        info.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    }

    ComScope com;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
    if (!picked) return {};
    std::wstring path = FileSystemPath(picked);
    // An item without a file-system path (a virtual folder) answers with its display name.
    // Wine fills the record's buffer with the path only, so ask the shell when it is empty.
    if (path.empty()) {
        path = displayName.c_str();
        SHFILEINFOW file = {};
        if (path.empty() && SHGetFileInfoW(reinterpret_cast<LPCWSTR>(picked), 0, &file, sizeof file,
                                           SHGFI_PIDL | SHGFI_DISPLAYNAME))
            path = file.szDisplayName;
    }
    CoTaskMemFree(picked);
    return path;
}

}  // namespace ModuleBrows
