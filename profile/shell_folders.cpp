#include "profile/shell_folders.h"

#include "platform/module_ini.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <utility>

namespace Getsplfol_mod {
namespace {

// A path is received whole however long it is, never cut: a cut or missing profile folder
// would send store paths to the wrong folder. The wide call takes a buffer size, so the
// buffer is the longest path the system can name (the shell itself stops at MAX_PATH - 1).
constexpr DWORD kPathBufferChars = 32768;

struct ItemListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

FolderLookup& LookupInUse() {
    static FolderLookup lookup;
    return lookup;
}

}  // namespace

void SetFolderLookup(FolderLookup lookup) { LookupInUse() = std::move(lookup); }

std::wstring GetSpecialFolderPath(std::int32_t folder) {
    if (const FolderLookup& lookup = LookupInUse()) return lookup(folder);
    LPITEMIDLIST raw = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, folder, &raw);
    const ItemList list(raw);  // freed once the path has been read, whatever happens
    if (hr != S_OK) return {};
    std::wstring buffer(kPathBufferChars, L'\0');
    if (!SHGetPathFromIDListEx(list.get(), buffer.data(), kPathBufferChars, GPFIDL_DEFAULT)) return {};
    return TrimAtNull(buffer);
}

std::wstring GetLocalAppDataPath() { return GetSpecialFolderPath(kLocalAppDataFolder); }

std::wstring TrimAtNull(const std::wstring& text) {
    const std::size_t nul = text.find(L'\0');
    if (nul == std::wstring::npos) return {};
    return text.substr(0, nul);
}

std::wstring GetWabFileName() {
    return Module_ini::RegReadString(platform::kHkeyCurrentUser, L"Software\\Microsoft\\WAB\\WAB4\\Wab File Name", L"");
}

}  // namespace Getsplfol_mod
