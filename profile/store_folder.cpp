#include "profile/store_folder.h"

#include "platform/module_ini.h"
#include "profile/shell_folders.h"

#include <windows.h>

namespace profile {
namespace {

std::wstring ExpandLive(const std::wstring& path) {
    if (path.find(kLiveProfilePlaceholder) == std::wstring::npos) return path;
    return ReplaceAll(path, kLiveProfilePlaceholder, Getsplfol_mod::GetSpecialFolderPath(Getsplfol_mod::kProfileFolder));
}

// The lookup's attribute mask: read-only 1 + hidden 2 + system 4 + folder 16. Only hidden,
// system, volume-label and folder entries are filtered by a mask; ordinary files always count.
constexpr DWORD kLookupMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kVolumeLabel = 0x8;
constexpr DWORD kFilteredKinds = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kVolumeLabel |
                                 FILE_ATTRIBUTE_DIRECTORY;
static_assert(kLookupMask == 23);

std::wstring TrimSpaces(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

std::wstring GetUdataPath(const std::wstring& key) {
    using Module_ini::RegEnumSubKeys;
    using Module_ini::RegReadString;
    const std::wstring base = L"Identities\\" + key + L"\\Software\\Microsoft\\Outlook Express";
    // A failed enumeration yields "err" as the version, whose read then fails as well.
    const std::wstring version = RegEnumSubKeys(platform::kHkeyCurrentUser, base, 0);
    std::wstring root = RegReadString(platform::kHkeyCurrentUser, base + L"\\" + version, L"Store Root");
    if (!root.empty() && root.back() == L'\\') root.pop_back();
    return ExpandLive(root);
}

std::wstring ResolvePickedStoreFolder(const std::wstring& key) { return ExpandLive(GetUdataPath(key)); }

bool StorePathExists(const std::wstring& path) {
    const std::wstring trimmed = TrimSpaces(path);
    // An empty lookup would list the current folder rather than name an entry.
    if (trimmed.empty()) return false;
    const DWORD attributes = GetFileAttributesW(trimmed.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & kFilteredKinds & ~kLookupMask) == 0;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::wstring ToUpperText(const std::wstring& text) {
    // CharUpperBuffW maps with the system's Unicode table, not the user's locale, so a backup
    // resolves to the same path on every machine, as file names compare.
    std::wstring upper = text;
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

std::wstring RestorPathFor(const std::wstring& storedRoot, const std::wstring& profileFolder,
                           const std::wstring& logonUser) {
    const std::wstring profile = profileFolder.empty() ? kDefaultProfileBase + logonUser : profileFolder;
    return ReplaceAll(ToUpperText(storedRoot), kRecordedProfilePlaceholder, profile);
}

std::wstring GetRestorPath(const std::wstring& storedRoot) {
    const std::wstring profile = Getsplfol_mod::GetSpecialFolderPath(Getsplfol_mod::kProfileFolder);
    return RestorPathFor(storedRoot, profile, profile.empty() ? Module_ini::GetLogonUserName() : std::wstring());
}

}  // namespace profile
