// Path text for display and the platform test that tells the Windows NT family from the 9x family.
#pragma once

#include <cstdint>
#include <string>

namespace PathText {

// The folder part of a full file path, as PathRemoveFileSpecA gives it: "C:\a\b.txt" -> "C:\a",
// "C:\b.txt" -> "C:\" (the root keeps its backslash), "C:\a\" -> "C:\a", "b.txt" -> "".
// Paths longer than 260 characters are handled whole.
std::wstring RemoveFileSpec(const std::wstring& path);

// The path shortened for a label that holds `width` ANSI-code-page bytes including a terminator,
// i.e. CompactAnsiPath on the path in the system's ANSI code page.
std::wstring CompactPath(const std::wstring& path, std::int32_t width);

// The byte-level shortening for a path held in `codePage`. With limit = width - 1:
// - a path of at most limit bytes comes back unchanged;
// - otherwise the drive ("C:") or share ("\\server\share") stays in front, then as many whole
//   leading folders as fit, then "\...\" and the last element whole:
//   "C:\Documents and Settings\...\Outlook Express";
// - when even the drive or share + "\...\" + last element does not fit, or there is no middle to
//   leave out, that text (or the path itself) is cut after whole characters and ends in "...":
//   "C:\...\averyverylongfilena...";
// - a limit below 3 gives as many dots as fit.
// The result never exceeds limit bytes and never splits a double-byte character; a trail byte
// of 0x5C ('\' in Shift-JIS names such as 0x95 0x5C) is not a separator.
std::string CompactAnsiPath(const std::string& path, std::int32_t width, std::uint32_t codePage);

// The platform id of the version record (0 Win32s, 1 Windows 9x, 2 NT), or 0 when the
// version query fails.
std::uint32_t GetPlatformId();

// True when bit 1 (value 2) of the platform id is set: 2 (NT) and also 3; 0 and 1 give false.
bool IsNtPlatformId(std::uint32_t platformId);

// IsNtPlatformId(GetPlatformId()); a failing version query counts as the 9x family.
bool IsWindowsNT();

}  // namespace PathText
