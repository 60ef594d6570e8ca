// Level-2 header layout: 24 fixed bytes, then ext headers each ending in the next one's size;
// the header CRC ext is filled in last, over the finished header.
#include "header_write.h"

#include <cstring>
#include <string>

#include "crc16.h"

namespace lha {
namespace {

constexpr std::uint8_t kExtHeaderCrc = 0x00;
constexpr std::uint8_t kExtFileName = 0x01;
constexpr std::uint8_t kExtDirectory = 0x02;
constexpr std::uint8_t kExtDosAttributes = 0x40;
constexpr std::uint8_t kDirSeparator = 0xFF;
constexpr std::size_t kLevel2FixedSize = 24;   // up to the first ext size field
constexpr std::uint8_t kLevel2Reserved = 0x20;  // the byte level 0/1 use for attributes

void put16(std::vector<std::uint8_t>& v, std::size_t at, unsigned x) {
    v[at] = static_cast<std::uint8_t>(x);
    v[at + 1] = static_cast<std::uint8_t>(x >> 8);
}
void put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x >> (8 * i));
}

// Appends one ext header (type, payload) and its trailing next-size field (0 for now);
// the previous next-size field receives this ext's size.
void appendExt(std::vector<std::uint8_t>& h, std::size_t& sizeField, std::uint8_t type, const std::uint8_t* data, std::size_t n) {
    put16(h, sizeField, static_cast<unsigned>(n + 3));
    h.push_back(type);
    h.insert(h.end(), data, data + n);
    sizeField = h.size();
    h.push_back(0);
    h.push_back(0);
}

}  // namespace

std::int64_t dosTimeToUnix(std::uint32_t t) {
    int sec = static_cast<int>(t & 31) * 2, min = static_cast<int>((t >> 5) & 63), hour = static_cast<int>((t >> 11) & 31);
    int day = static_cast<int>((t >> 16) & 31), mon = static_cast<int>((t >> 21) & 15), year = 1980 + static_cast<int>(t >> 25);
    if (mon < 1 || mon > 12 || day < 1) return 0;
    // Days from civil date (proleptic Gregorian).
    int y = year - (mon <= 2);
    int era = y / 400;
    int yoe = y - era * 400;
    int doy = (153 * (mon + (mon > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    std::int64_t days = std::int64_t{era} * 146097 + doe - 719468;
    return days * 86400 + hour * 3600 + min * 60 + sec;
}

Error buildLevel2Header(const MemberInfo& info, std::vector<std::uint8_t>& out) {
    const std::string& path = info.path;
    if (path.empty() || info.method.size() != 5) return Error::BadArgument;
    if (info.originalSize > 0xFFFFFFFFull || info.compressedSize > 0xFFFFFFFFull) return Error::TooLarge;
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(path[i]);
        bool emptyComponent = ch == '/' && (i == 0 || i + 1 == path.size() || path[i + 1] == '/');
        if (ch == 0 || ch == kDirSeparator || emptyComponent) return Error::BadArgument;
    }
    std::string dir, name;
    if (info.isDirectory()) {
        dir = path;
    } else {
        std::size_t slash = path.rfind('/');
        if (slash != std::string::npos) dir = path.substr(0, slash);
        name = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    for (char& ch : dir)
        if (ch == '/') ch = static_cast<char>(kDirSeparator);
    if (!dir.empty()) dir.push_back(static_cast<char>(kDirSeparator));

    std::vector<std::uint8_t> h(kLevel2FixedSize + 2, 0);
    std::memcpy(h.data() + 2, info.method.data(), 5);
    put32(h, 7, static_cast<std::uint32_t>(info.compressedSize));
    put32(h, 11, static_cast<std::uint32_t>(info.originalSize));
    std::int64_t t = info.hasUnixTime ? info.unixTime : dosTimeToUnix(info.dosTime);
    put32(h, 15, static_cast<std::uint32_t>(t < 0 ? 0 : t > 0xFFFFFFFFll ? 0xFFFFFFFFll : t));
    h[19] = kLevel2Reserved;
    h[20] = 2;
    put16(h, 21, info.crc);
    h[23] = info.osId ? info.osId : static_cast<std::uint8_t>('M');
    std::size_t sizeField = kLevel2FixedSize;

    const std::uint8_t crcPlaceholder[2] = {0, 0};
    appendExt(h, sizeField, kExtHeaderCrc, crcPlaceholder, 2);
    const std::size_t crcAt = sizeField - 2;
    if (!info.isDirectory())
        appendExt(h, sizeField, kExtFileName, reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
    if (!dir.empty())
        appendExt(h, sizeField, kExtDirectory, reinterpret_cast<const std::uint8_t*>(dir.data()), dir.size());
    const std::uint8_t attr[2] = {info.attributes, 0};
    appendExt(h, sizeField, kExtDosAttributes, attr, 2);
    // A header size with a zero low byte would read as the archive's end marker: pad one byte.
    if ((h.size() & 0xFF) == 0) h.push_back(0);
    if (h.size() > 0xFFFF) return Error::BadArgument;
    put16(h, 0, static_cast<unsigned>(h.size()));
    put16(h, crcAt, crc16(0, h.data(), h.size()));
    out.insert(out.end(), h.begin(), h.end());
    return Error::Ok;
}

}  // namespace lha
