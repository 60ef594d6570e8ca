// Archive commands for unlha32.dll and whole-file text reading.
#pragma once

#include <string>

namespace ext_win {

// The command lines handed to Unlha, byte for byte:
//   a -r2 -x1 -a2 -jss "ARCHIVE" "FOLDER\"   (a backslash is added inside the quotes)
//   a -a2 "ARCHIVE" "FILE"
//   e -x1m1 "ARCHIVE" "DEST"\ *              (backslash, blank, '*' after the quote)
// Paths go in as given; nothing is escaped.
std::wstring FolderCommand(const std::wstring& folder, const std::wstring& archive);
std::wstring FileCommand(const std::wstring& file, const std::wstring& archive);
std::wstring ExtractCommand(const std::wstring& archive, const std::wstring& destination);

// Each runs its command line through Module_ini::RunUnlha and returns Unlha's result
// (0 on success); throws engine::ArchiverUnavailable when the library is missing.
int ArchiveFolder(const std::wstring& folder, const std::wstring& archive);
int ArchiveFile(const std::wstring& file, const std::wstring& archive);
int ExtractArchive(const std::wstring& archive, const std::wstring& destination);

// The whole file as text in the ANSI code page, every character (line ends included)
// unchanged. Throws engine::TextFileError for a missing, unreadable or empty file.
std::wstring ReadTextFile(const std::wstring& path);

}  // namespace ext_win
