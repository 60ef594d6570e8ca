// Builds level-2 member headers for the archive writer.
#pragma once

#include <cstdint>
#include <vector>

#include "error.h"
#include "member.h"

namespace lha {

// Header of `info` as a level-2 header: method, sizes, unixTime (or dosTime when
// hasUnixTime is false), attributes, crc and osId are taken as given; the path is split into
// the directory ext (0xFF separators) and the file-name ext. A folder ("-lhd-") stores its
// whole path in the directory ext. Appends to `out`.
// BadArgument: empty path, empty component, a 0x00/0xFF byte in the path, or a header over
// 64 KiB; TooLarge: a size of 4 GiB or more.
Error buildLevel2Header(const MemberInfo& info, std::vector<std::uint8_t>& out);

// Unix time (UTC seconds) of an MS-DOS date/time, read as UTC; 0 for an invalid value.
std::int64_t dosTimeToUnix(std::uint32_t dosTime);

}  // namespace lha
