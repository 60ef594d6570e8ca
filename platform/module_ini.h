// Text-in, text-out access to the registry, profile files, the Windows folder, the logged-on
// user and the shell. Nothing is raised: failures come back as "err", "no ent", the empty text
// or a Win32 result code. Every key is opened, used once and closed within the call.
#pragma once

#include "platform/reg_key.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace Module_ini {

using platform::RootKey;

inline constexpr wchar_t kErr[] = L"err";
inline constexpr wchar_t kNoEnt[] = L"no ent";

// Full path of the backup information file that ReadIniString reads; empty until a backup
// is chosen. Program-wide, read anew at each ReadIniString call.
extern std::wstring IniFilePath;

// Name of the subkey at `index` (from 0) of the key, or "err" past the last subkey, for a
// missing key, a negative index or any other failure.
std::wstring RegEnumSubKeys(RootKey root, const std::wstring& keyPath, std::int32_t index);

// Data of the named value read as ANSI text up to its first NUL, whatever the value's type;
// "err" for a missing key or value or data over 1024 bytes. An empty name reads the default value.
std::wstring RegReadString(RootKey root, const std::wstring& keyPath, const std::wstring& valueName);

// Stores `text` as a REG_SZ value under an existing key (the key is never created).
// Returns 0 or the Win32 error code of the open or of the write.
LONG RegWriteString(RootKey root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text);

// Entry `key` of [section] in IniFilePath, cut to 255 characters; "no ent" when the file,
// section or key is missing, or when no file has been chosen yet.
std::wstring ReadIniString(const std::wstring& section, const std::wstring& key);

// The Windows folder ("C:\windows"), no trailing backslash; empty on failure.
std::wstring GetWindowsFolder();

// The logged-on user's name; empty on failure.
std::wstring GetLogonUserName();

// Opens `target` with its associated program (or starts it), owned by `owner`, with the
// program's current folder as working folder. Not waited for; failures are silent.
void OpenDocument(HWND owner, const std::wstring& target);

}  // namespace Module_ini
