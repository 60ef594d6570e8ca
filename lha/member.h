// What an archive stores about one member, as the reader reports it and the writer takes it.
#pragma once

#include <cstdint>
#include <string>

namespace lha {

inline constexpr std::uint8_t kAttrReadOnly = 0x01;
inline constexpr std::uint8_t kAttrHidden = 0x02;
inline constexpr std::uint8_t kAttrSystem = 0x04;
inline constexpr std::uint8_t kAttrDirectory = 0x10;
inline constexpr std::uint8_t kAttrArchive = 0x20;

struct MemberInfo {
    // Full stored path as bytes (the caller chooses the code page); components are
    // separated by '/', whatever separator the header used. Folders carry no trailing '/'.
    std::string path;
    std::string method = "-lh5-";       // five characters, "-lhd-" for a folder
    std::uint64_t originalSize = 0;
    std::uint64_t compressedSize = 0;
    std::int64_t unixTime = 0;          // modification time, seconds since 1970 UTC
    bool hasUnixTime = false;           // false: only dosTime (local time) is known
    std::uint32_t dosTime = 0;          // MS-DOS date and time, local time
    std::uint8_t attributes = kAttrArchive;  // MS-DOS attribute bits
    std::uint16_t crc = 0;              // CRC-16 of the original data
    bool hasCrc = true;                 // level-0/1 folders and some old members carry none
    int headerLevel = 2;
    std::uint8_t osId = 0;              // header's OS byte ('M', 'U', 'W', ...), 0 when absent

    bool isDirectory() const { return method == "-lhd-"; }
};

}  // namespace lha
