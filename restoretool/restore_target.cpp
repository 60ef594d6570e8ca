#include "restoretool/restore_target.h"

#include "profile/store_folder.h"
#include "restoretool/replace_string.h"

namespace restoretool {
namespace {

constexpr wchar_t kProfilePlaceholder[] = L"%USERPROFILE%";
constexpr wchar_t kSystemDrivePlaceholder[] = L"%SYSTEMDRIVE%";
constexpr wchar_t kIdentitiesElement[] = L"\\IDENTITIES";

// Where the last whole path element "\IDENTITIES" begins; npos when there is none.
std::size_t LastIdentitiesElement(const std::wstring& upper) {
    const std::size_t length = std::char_traits<wchar_t>::length(kIdentitiesElement);
    for (std::size_t at = upper.rfind(kIdentitiesElement); at != std::wstring::npos;
         at = at == 0 ? std::wstring::npos : upper.rfind(kIdentitiesElement, at - 1)) {
        const std::size_t end = at + length;
        if (end == upper.size() || upper[end] == L'\\') return at;
    }
    return std::wstring::npos;
}

bool IsFullPath(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::wstring RestoreTargetFor(const std::wstring& storedRoot, const std::wstring& profileFolder,
                              const std::wstring& systemDrive, const std::wstring& appDataFolder) {
    using profile::ToUpperText;
    std::wstring target = ReplaceString(ToUpperText(storedRoot), kProfilePlaceholder, profileFolder);
    target = ReplaceString(ToUpperText(target), kSystemDrivePlaceholder, systemDrive);
    if (profileFolder.empty() && !appDataFolder.empty()) {
        if (const std::size_t at = LastIdentitiesElement(target); at != std::wstring::npos) {
            std::wstring base = appDataFolder;
            while (!base.empty() && base.back() == L'\\') base.pop_back();
            target = ToUpperText(base + target.substr(at));
        }
    }
    return IsFullPath(target) ? target : std::wstring();
}

}  // namespace restoretool
