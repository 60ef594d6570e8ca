// Reads a REGEDIT4 settings file back into the registry, in two calls: parse everything first
// (nothing written), then write what was parsed. Only two trees of the current user can be
// written: HKEY_CURRENT_USER\Identities\<identity> and
// HKEY_CURRENT_USER\Software\Microsoft\Internet Account Manager, each with everything below it.
// Other roots and keys, key deletions ([-...]) and value deletions ("x"=-) are skipped and
// counted, so a crafted file cannot plant settings elsewhere.
//
// Accepted lines: key lines [HKEY_CURRENT_USER\...], value lines "name"= and @= with
// "text", dword:, hex: and hex(N): data (N hex, any case; hex data may continue over several
// lines with a trailing \, blanks and tabs around bytes and commas), comments (;), blank
// lines; CR LF or LF line ends. The first line must be REGEDIT4, optionally followed by blanks
// or tabs; anything else (a Unicode file, a byte-order mark, "REGEDIT5") refuses the whole file.
// Every line ends with a line break: a last line without one may be a number or hex list cut
// short that still reads, so the file is marked cut short (the caller decides).
//
// How a file's strings are read is decided once per file. Our exporter writes names and texts
// escaped (\\ and \"); the program before it wrote them as they are. A file is read as
// unescaped when any of its quoted texts (value names and string data), read as escaped text,
//   - holds a backslash before a character other than \ or ", or
//   - leaves its value line unreadable while the line reads in the unescaped form and holds \"
//     (a name or text ending in \, whose closing quote the escaped reading swallowed).
// Otherwise it is read as escaped. In an unescaped file a name runs to the first " followed
// by = and a string to the last quote of its line, and nothing is unescaped. A file whose only
// backslashes stand in pairs or before quotes reads as escaped either way.
#pragma once

#include "platform/reg_enum.h"

#include <windows.h>

#include <string>
#include <vector>

namespace RegIO {

// One key block to write: its path below HKEY_CURRENT_USER (code-page bytes, as in the file)
// and its values in file order; the default value has the empty name.
struct RegImportKey {
    std::string path;
    std::vector<platform::RegValue> values;
};

inline constexpr std::size_t kNamedSkippedKeys = 8;

struct RegImport {               // a parsed settings file, nothing written yet
    bool hasHeader = false;      // false: refused as a whole
    bool cutShort = false;       // the text ends inside a line or inside continued hex data
    int skippedBlocks = 0;       // key blocks outside the two trees, deletions, malformed key lines
    std::vector<std::string> skippedKeys;  // the first kNamedSkippedKeys of them, as the file names them
    int skippedLines = 0;        // malformed or skipped value lines inside imported blocks
    bool unescaped = false;      // the file's strings were read in the old unescaped form
    std::vector<RegImportKey> keys;  // in file order; a key named twice comes twice
};

// Parses the text completely; writes nothing. `identityKey` names the identity whose tree may be
// imported: its key name below HKEY_CURRENT_USER\Identities ("{GUID}"); an empty name or one
// with a backslash allows no identity tree. Lines outside any block that are neither blank nor
// comments count as skipped lines. `codePage` says which bytes lead a double-byte character,
// whose trail byte may equal a backslash.
RegImport ParseRegText(const std::string& text, const std::wstring& identityKey, UINT codePage = CP_ACP);

// Reads the whole file and parses it; 0, or the Win32 error of reading it (then `out` is empty,
// hasHeader false). A file of 256 MiB or more is not read (ERROR_FILE_TOO_LARGE).
DWORD ReadRegFile(const std::wstring& path, const std::wstring& identityKey, RegImport& out);

// Writes what was parsed: keys created as needed, values set through the ANSI API with their
// types and bytes; values the file does not name are left as they are. 0, or the first Win32
// error (it still goes on with the rest; a key that cannot be created has its values left out).
LONG ApplyRegImport(const RegImport& import);

}  // namespace RegIO
