// Where the logged-on user's shell folders lie, and which file holds the address book.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace Getsplfol_mod {

// Shell folder numbers (CSIDL values) the programs ask for.
inline constexpr std::int32_t kProfileFolder = 40;       // what %USERPROFILE% names
inline constexpr std::int32_t kLocalAppDataFolder = 28;  // local, non-roaming application data

// Full path of a shell folder as the shell gives it (no backslash added or removed);
// empty for a number the shell does not know, a folder the system does not provide or one
// without a file-system path.
std::wstring GetSpecialFolderPath(std::int32_t folder);

// While set, answers every GetSpecialFolderPath call in place of the shell; an empty function
// hands the look-up back to the shell. Lets tests act as a system without a profile folder,
// which Wine cannot be made to be (it names that folder whatever the environment says).
using FolderLookup = std::function<std::wstring(std::int32_t folder)>;
void SetFolderLookup(FolderLookup lookup);

// GetSpecialFolderPath(kLocalAppDataFolder).
std::wstring GetLocalAppDataPath();

// The text before the first NUL; a text without any NUL gives the EMPTY text (unlike
// platform::TakeUntilNul, which keeps such a buffer whole).
std::wstring TrimAtNull(const std::wstring& text);

// Full path of the Windows Address Book file, unchanged, from the default value of the key
// HKCU\Software\Microsoft\WAB\WAB4\Wab File Name; "err" when the key or value is missing
// or its data is over 1024 bytes.
std::wstring GetWabFileName();

}  // namespace Getsplfol_mod
