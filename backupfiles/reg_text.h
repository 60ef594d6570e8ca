// Reads the text of a REGEDIT4 settings file (OLbk1.reg) into key blocks and typed values,
// writing nothing: the Windows programs put the result into the registry, qbmail reads the
// mail accounts out of it. Only two trees of the current user are kept:
// HKEY_CURRENT_USER\Identities\<identity> and
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
//
// Names, paths and texts stay code-page bytes; the caller says which bytes lead a double-byte
// character, so a trail byte 0x5C is never a backslash.
#pragma once

#include "backupfiles/lead_bytes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace backupfiles {

// Registry value types, as hex(N): numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// The tree of the mail accounts, below HKEY_CURRENT_USER.
inline constexpr std::string_view kAccountTree = "Software\\Microsoft\\Internet Account Manager";

// One value: name and data as the file gives them (a text with its terminating NUL, a dword as
// four little-endian bytes); the default value has the empty name.
struct RegValue {
    std::string name;
    std::uint32_t type = kRegNone;
    std::string data;
};

// One key block that was kept: its path below HKEY_CURRENT_USER and its values in file order.
struct RegTextKey {
    std::string path;
    std::vector<RegValue> values;
};

inline constexpr std::size_t kNamedSkippedKeys = 8;

struct RegText {                 // a parsed settings file
    bool hasHeader = false;      // false: refused as a whole
    bool cutShort = false;       // the text ends inside a line or inside continued hex data
    int skippedBlocks = 0;       // key blocks outside the two trees, deletions, malformed key lines
    std::vector<std::string> skippedKeys;  // the first kNamedSkippedKeys of them, as the file names them
    int skippedLines = 0;        // malformed or skipped value lines inside kept blocks
    bool unescaped = false;      // the file's strings were read in the old unescaped form
    std::vector<RegTextKey> keys;  // in file order; a key named twice comes twice
};

// Parses the text completely. `identityKey` names the identity whose tree is kept: its key name
// below HKEY_CURRENT_USER\Identities ("{GUID}"), code-page bytes; an empty name or one with a
// backslash keeps no identity tree. Lines outside any block that are neither blank nor comments
// count as skipped lines.
RegText ParseRegText(std::string_view text, std::string_view identityKey, const LeadBytes& lead);

// Whether key `path` is `tree` itself or a key below it, compared character by character as the
// registry compares names, but for case outside ASCII: ASCII letters ignore case, every other
// byte must be equal and a double-byte character equal as a pair. A name that differs from the
// tree only in a non-ASCII letter's case counts as outside it.
bool IsKeyInTree(std::string_view path, std::string_view tree, const LeadBytes& lead);

}  // namespace backupfiles
