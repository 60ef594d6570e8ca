// The entry ids a group lists its members by: the address book's own (the member's record id)
// or a one-off entry id that carries the member's name, address type and address itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wab {

struct MemberId {
    enum class Kind { Unknown, Record, OneOff } kind = Kind::Unknown;
    std::uint32_t recordId = 0;                 // Record
    std::string name, addressType, address;     // OneOff, UTF-8
};

// Reads one entry id. A 4-byte one is a record id. A one-off is the MAPI one-off layout: 4 flag
// bytes, the one-off provider's 16-byte uid, a version word, a flags word (0x8000: the strings are
// UTF-16LE, else 8-bit in `codePage`), then display name, address type and address, each ending
// in a NUL (the last may end with the bytes instead). Anything else is Unknown.
MemberId ParseEntryId(std::string_view bytes, unsigned codePage);

// The 8-bit strings of a one-off entry id (empty for other ids), for choosing the code page.
void OneOffStrings8(std::string_view bytes, std::string_view out[3]);

}  // namespace wab
