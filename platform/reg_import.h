// Reads a REGEDIT4 settings file back into the registry, in two calls: parse everything first
// (nothing written), then write what was parsed. The parsing is backupfiles/reg_text.h's, which
// says which lines are read and how; only the two trees it keeps can be written:
// HKEY_CURRENT_USER\Identities\<identity> and
// HKEY_CURRENT_USER\Software\Microsoft\Internet Account Manager, each with everything below it.
// This layer adds the system's code page, the identity key as the programs hold it, the file
// and the registry.
#pragma once

#include "backupfiles/reg_text.h"

#include <windows.h>

#include <string>

namespace RegIO {

// One key block to write: its path below HKEY_CURRENT_USER (code-page bytes, as in the file)
// and its values in file order; the default value has the empty name.
using RegImportKey = backupfiles::RegTextKey;

inline constexpr std::size_t kNamedSkippedKeys = backupfiles::kNamedSkippedKeys;

// A parsed settings file, nothing written yet (see backupfiles::RegText for its fields).
using RegImport = backupfiles::RegText;

// Parses the text completely; writes nothing. `identityKey` names the identity whose tree may be
// imported: its key name below HKEY_CURRENT_USER\Identities ("{GUID}"); an empty name, one with
// a backslash or one the ANSI code page cannot hold exactly allows no identity tree. Lines
// outside any block that are neither blank nor comments count as skipped lines. `codePage` says
// which bytes lead a double-byte character, whose trail byte may equal a backslash.
RegImport ParseRegText(const std::string& text, const std::wstring& identityKey, UINT codePage = CP_ACP);

// Reads the whole file and parses it; 0, or the Win32 error of reading it (then `out` is empty,
// hasHeader false). A file of 256 MiB or more is not read (ERROR_FILE_TOO_LARGE).
DWORD ReadRegFile(const std::wstring& path, const std::wstring& identityKey, RegImport& out);

// Writes what was parsed: keys created as needed, values set through the ANSI API with their
// types and bytes; values the file does not name are left as they are. 0, or the first Win32
// error (it still goes on with the rest; a key that cannot be created has its values left out).
LONG ApplyRegImport(const RegImport& import);

}  // namespace RegIO
