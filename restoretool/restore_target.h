// Where the restore tool puts a backed-up mail store on this machine.
#pragma once

#include <string>

namespace restoretool {

// The target store folder for a recorded store root: upper-cased, every "%USERPROFILE%"
// replaced by `profileFolder`, upper-cased again, every "%SYSTEMDRIVE%" replaced by
// `systemDrive` ("C:"). Wholly upper-case.
//
// With no profile folder (an empty `profileFolder`), the identity's folder is found again below
// this user's `appDataFolder`: the part from the last path element "\IDENTITIES" on (the text is
// upper-case by then, so the search ignores the letter case of what was recorded) is joined to
// that folder with one separator, and the whole is upper-cased.
//
// The empty text when the result is no full path ("X:\..." or "\\server\share..."): a root the
// file lacks ("no ent"), or one that needs the missing profile folder and has no "\IDENTITIES"
// part, must not send the mail store to a folder relative to wherever the tool runs.
std::wstring RestoreTargetFor(const std::wstring& storedRoot, const std::wstring& profileFolder,
                              const std::wstring& systemDrive, const std::wstring& appDataFolder);

}  // namespace restoretool
