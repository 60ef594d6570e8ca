// The backup information file OLdate.bkd, read from its bytes as the system's profile calls
// read it (GetPrivateProfileStringA), so qbmail sees what the Windows programs see:
//   ////OutLook Backup////
//   [main]
//   date=... install=... storroot=... UserID=... UserName=... Addressbook=...
// Lines end at CR, LF or both; blank lines are passed over. A line whose first non-blank is '['
// and that holds a later ']' starts a section named by what lies between the '[' and the last
// ']', blanks trimmed (what follows that ']' is ignored); lines before the first section belong
// to the section "". Any other line is an entry: the key runs to the first '=' (a line without
// one is a key with no value), key and value have their blanks trimmed, then one pair of
// matching quotes (" or ') around the whole value is removed. Section and key names ignore
// ASCII case; only the first block of a section is read and the first entry of a key wins, even
// one without a value. There are no comments: ";x=1" is the key ";x". Blanks are space, tab,
// vertical tab, form feed and 0x1A. Values stay code-page bytes, cut at a NUL as the profile
// call's text ends there.
#pragma once

#include "backupfiles/lead_bytes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace backupfiles {

inline constexpr std::string_view kInfoMarkerLine = "////OutLook Backup////";
inline constexpr std::string_view kInfoSection = "main";
inline constexpr std::array<std::string_view, 6> kInfoKeys = {"date",   "install",  "storroot",
                                                              "UserID", "UserName", "Addressbook"};
// A file of the eight short lines above is well under 1 KiB; anything much larger is no such file.
inline constexpr std::size_t kMaxInfoFileBytes = 64 * 1024;
// The Windows programs read each entry into a 256-byte buffer: a longer value reaches them cut.
inline constexpr std::size_t kMaxInfoValueBytes = 255;

// One entry of the [main] section; only the first of each key name.
struct InfoEntry {
    std::string key;                   // as the file spells it, blanks trimmed
    std::optional<std::string> value;  // none for a line without '='
};

struct InfoFile {
    bool tooLarge = false;  // over kMaxInfoFileBytes: nothing was read
    bool hasMain = false;   // a [main] section was found
    std::vector<InfoEntry> entries;  // the first [main] block's entries, in file order

    // The value the profile call gives for `key` (ASCII case ignored); none when the key is
    // missing or its line has no '=' (the call then gives its default).
    std::optional<std::string> Value(std::string_view key) const;
};

// Reads the file's bytes. `lead` tells which bytes lead a double-byte character, whose trail
// byte may equal '[' or ']' without being one.
InfoFile ReadInfoFile(std::string_view bytes, const LeadBytes& lead);

enum class InfoProblem {
    kTooLarge,          // over kMaxInfoFileBytes
    kNoMarker,          // the first line is not exactly the marker line
    kNoMainSection,     // no [main] section
    kMissingKey,        // `key` is missing or has no '='
    kEmptyValue,        // `key` has an empty value
    kValueTooLong,      // `key`'s value is over kMaxInfoValueBytes
    kNoFinalLineBreak,  // the file does not end with CR LF
};

struct InfoFault {
    InfoProblem problem;
    std::string_view key;  // one of kInfoKeys for the per-key problems, else empty
};

// Whether the file is whole, as a backup writes it: every fault found, in the order above; none
// for a whole file. A file over the limit gives kTooLarge alone.
std::vector<InfoFault> CheckInfoFile(std::string_view bytes, const LeadBytes& lead);

}  // namespace backupfiles
