#include "profile/shell_folders.h"

#include "platform/module_ini.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <utility>

namespace Getsplfol_mod {
namespace {

// The shell names a special folder in at most MAX_PATH - 1 characters and fails rather than cut
// one, so a folder it names is whole: a cut profile folder would send store paths astray.

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
    std::wstring buffer(MAX_PATH, L'\0');
    if (!SHGetPathFromIDListW(list.get(), buffer.data())) return {};
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
