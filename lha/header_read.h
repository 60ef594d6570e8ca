// Parses LHA member headers (levels 0, 1, 2 and 3) from a stream into MemberInfo.
#pragma once

#include "error.h"
#include "member.h"
#include "stream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lha {

// Largest total of extended headers accepted for one level-1 or level-3 member; real
// archives use a few hundred bytes, so anything near this is hostile.
inline constexpr std::uint64_t kMaxExtendedHeaderBytes = 64 * 1024;

// Reads one member header whose first byte `first` (nonzero) was already taken from `in`.
// On Ok, `info` describes the member and `dataSize` is the number of compressed bytes that
// follow the header. Errors: Truncated (input ended), ReadFailed, BadHeader (malformed or
// out-of-range field, unsupported level), HeaderCrc (level-0/1 checksum or level-2 CRC).
Error readMemberHeader(InputStream& in, std::uint8_t first, MemberInfo& info, std::uint64_t& dataSize);

// Turns a level-0/1 MS-DOS name into '/'-separated form: '\\' and 0xFF become '/', except
// a '\\' that is the second byte of a Shift_JIS character.
std::string dosPathToSlashes(std::string_view raw);

}  // namespace lha
