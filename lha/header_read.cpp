// Member header parsing. Every field is read through a bounds-checked little-endian reader
// with a sticky ok flag that is checked once per header; counts from the archive are
// checked before anything is sized from them.
#include "header_read.h"

#include "crc16.h"

#include <vector>

namespace lha {
namespace {

// Header offsets shared by levels 0-3 (the first 21 bytes have the same layout).
inline constexpr std::size_t kMethodOffset = 2;
inline constexpr std::size_t kLevelOffset = 20;
inline constexpr std::size_t kCommonSize = 21;
inline constexpr std::size_t kMinLevel0 = 24;   // through a zero-length name and the CRC
inline constexpr std::size_t kMinLevel1 = 27;   // plus OS id and first extended size
inline constexpr std::size_t kMinLevel2 = 26;
inline constexpr std::size_t kMinLevel3 = 32;

// Extended header types.
inline constexpr std::uint8_t kExtHeaderCrc = 0x00;
inline constexpr std::uint8_t kExtFileName = 0x01;
inline constexpr std::uint8_t kExtDirectory = 0x02;
inline constexpr std::uint8_t kExtDosAttributes = 0x40;
inline constexpr std::uint8_t kExtWindowsTimes = 0x41;
inline constexpr std::uint8_t kExtLargeSizes = 0x42;
inline constexpr std::uint8_t kExtUnixTime = 0x54;

inline constexpr std::uint8_t kOsUnix = 'U';
inline constexpr std::uint8_t kDirSeparator = 0xFF;

// FILETIME of 1970-01-01 in 100 ns units.
inline constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : p_(data), size_(size) {}
    std::uint8_t u8() { return take(1) ? p_[pos_ - 1] : 0; }
    std::uint16_t u16() { return static_cast<std::uint16_t>(le(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(le(4)); }
    std::uint64_t u64() { return le(8); }
    std::string_view bytes(std::size_t n) {
        if (!take(n)) return {};
        return {reinterpret_cast<const char*>(p_ + pos_ - n), n};
    }
    void seek(std::size_t pos) {
        if (pos > size_) ok_ = false;
        else pos_ = pos;
    }
    std::size_t pos() const { return pos_; }
    std::size_t left() const { return size_ - pos_; }
    bool ok() const { return ok_; }

private:
    bool take(std::size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }
    std::uint64_t le(std::size_t n) {
        if (!take(n)) return 0;
        std::uint64_t v = 0;
        for (std::size_t i = n; i-- > 0;) v = v << 8 | p_[pos_ - n + i];
        return v;
    }
    const std::uint8_t* p_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Reads exactly `size` bytes into `buf` at `at`.
Error readExact(InputStream& in, std::vector<std::uint8_t>& buf, std::size_t at, std::size_t size) {
    buf.resize(at + size);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t got = in.read(buf.data() + at + done, size - done);
        if (got == 0) return in.failed() ? Error::ReadFailed : Error::Truncated;
        done += got;
    }
    return Error::Ok;
}

// Bytes that start a two-byte Shift_JIS character.
bool isShiftJisLead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Directory extension bytes with their 0xFF separators as '/'.
std::string directoryToSlashes(std::string_view raw) {
    std::string s(raw);
    for (char& ch : s)
        if (static_cast<std::uint8_t>(ch) == kDirSeparator) ch = '/';
    return s;
}

// What the extended headers of one member said.
struct Extended {
    std::string name;
    bool hasName = false;
    std::string directory;
    bool hasDirectory = false;
    bool hasHeaderCrc = false;
    std::uint16_t headerCrc = 0;
    std::size_t headerCrcOffset = 0;  // offset of the CRC field within the level-2 header
    bool hasAttributes = false;
    std::uint8_t attributes = 0;
    bool hasUnixTime = false;
    std::int64_t unixTime = 0;
    bool hasWindowsTime = false;
    std::int64_t windowsUnixTime = 0;
    bool hasLargeSizes = false;
    std::uint64_t compressedSize = 0;
    std::uint64_t originalSize = 0;
};

// Interprets one extended header's type and body. Unknown types are skipped.
void applyExtended(std::uint8_t type, std::string_view body, std::size_t bodyOffset, Extended& ext) {
    ByteReader r(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    switch (type) {
    case kExtHeaderCrc:
        ext.headerCrc = r.u16();
        ext.hasHeaderCrc = r.ok();
        ext.headerCrcOffset = bodyOffset;
        break;
    case kExtFileName:
        ext.name = directoryToSlashes(body);
        ext.hasName = true;
        break;
    case kExtDirectory:
        ext.directory = directoryToSlashes(body);
        ext.hasDirectory = true;
        break;
    case kExtDosAttributes:
        ext.attributes = static_cast<std::uint8_t>(r.u16());
        ext.hasAttributes = r.ok();
        break;
    case kExtWindowsTimes: {
        r.u64();  // creation
        const std::uint64_t written = r.u64();
        if (r.ok() && written >= kFileTimeUnixEpoch) {
            ext.windowsUnixTime = static_cast<std::int64_t>((written - kFileTimeUnixEpoch) / 10000000);
            ext.hasWindowsTime = true;
        }
        break;
    }
    case kExtLargeSizes:
        ext.compressedSize = r.u64();
        ext.originalSize = r.u64();
        ext.hasLargeSizes = r.ok();
        break;
    case kExtUnixTime:
        ext.unixTime = r.u32();
        ext.hasUnixTime = r.ok();
        break;
    default:
        break;
    }
}

// Walks a chain of extended headers held in `buf` from `pos`, the first size being `next`.
// `sizeWidth` is 2 (levels 1 and 2) or 4 (level 3). Each header is type, body, next size.
Error walkChainInBuffer(const std::vector<std::uint8_t>& buf, std::size_t pos, std::uint64_t next,
                        std::size_t sizeWidth, Extended& ext) {
    while (next != 0) {
        if (next < 1 + sizeWidth || next > buf.size() - pos) return Error::BadHeader;
        const std::size_t size = static_cast<std::size_t>(next);
        std::string_view body(reinterpret_cast<const char*>(buf.data() + pos + 1), size - 1 - sizeWidth);
        applyExtended(buf[pos], body, pos + 1, ext);
        ByteReader r(buf.data() + pos + size - sizeWidth, sizeWidth);
        next = sizeWidth == 2 ? r.u16() : r.u32();
        pos += size;
    }
    return Error::Ok;
}

// Reads a level-1 or level-3 chain that follows the base header in the stream. Returns
// the total bytes read in `consumed`; the total is capped.
Error readChainFromStream(InputStream& in, std::uint64_t next, std::size_t sizeWidth, Extended& ext,
                          std::uint64_t& consumed) {
    std::vector<std::uint8_t> buf;
    consumed = 0;
    while (next != 0) {
        if (next < 1 + sizeWidth) return Error::BadHeader;
        if (next > kMaxExtendedHeaderBytes - consumed) return Error::BadHeader;
        const std::size_t size = static_cast<std::size_t>(next);
        if (Error e = readExact(in, buf, 0, size); e != Error::Ok) return e;
        consumed += size;
        std::string_view body(reinterpret_cast<const char*>(buf.data() + 1), size - 1 - sizeWidth);
        applyExtended(buf[0], body, 0, ext);
        ByteReader r(buf.data() + size - sizeWidth, sizeWidth);
        next = sizeWidth == 2 ? r.u16() : r.u32();
    }
    return Error::Ok;
}

// Joins the directory and name parts the headers gave and drops a trailing '/'.
std::string joinPath(const Extended& ext, std::string baseName) {
    std::string name = ext.hasName ? ext.name : std::move(baseName);
    std::string path;
    if (ext.hasDirectory && !ext.directory.empty()) {
        path = ext.directory;
        if (path.back() != '/') path += '/';
    }
    path += name;
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

// Copies what the extended headers said over the base header's fields.
void applyCommon(const Extended& ext, MemberInfo& info) {
    if (ext.hasAttributes) info.attributes = ext.attributes;
    if (ext.hasUnixTime) {
        info.unixTime = ext.unixTime;
        info.hasUnixTime = true;
    } else if (ext.hasWindowsTime && !info.hasUnixTime) {
        info.unixTime = ext.windowsUnixTime;
        info.hasUnixTime = true;
    }
    if (ext.hasLargeSizes) {
        info.compressedSize = ext.compressedSize;
        info.originalSize = ext.originalSize;
    }
}

// A method id is five bytes framed by '-'; anything else means we are not at a header.
bool methodLooksValid(std::string_view m) { return m.size() == 5 && m[0] == '-' && m[4] == '-'; }

// The level-0/1 header checksum: the byte sum modulo 256.
std::uint8_t byteSum(const std::uint8_t* p, std::size_t n) {
    unsigned s = 0;
    for (std::size_t i = 0; i < n; ++i) s += p[i];
    return static_cast<std::uint8_t>(s);
}

// Levels 0 and 1: a one-byte header size and an 8-bit checksum of the header bytes.
Error readLevel01(InputStream& in, std::vector<std::uint8_t>& buf, int level, MemberInfo& info,
                  std::uint64_t& dataSize) {
    const std::size_t total = std::size_t{buf[0]} + 2;
    if (total < (level == 0 ? kMinLevel0 : kMinLevel1)) return Error::BadHeader;
    if (Error e = readExact(in, buf, kCommonSize, total - kCommonSize); e != Error::Ok) return e;
    if (byteSum(buf.data() + 2, total - 2) != buf[1]) return Error::HeaderCrc;

    ByteReader r(buf.data(), total);
    r.seek(kMethodOffset);
    info.method = std::string(r.bytes(5));
    std::uint64_t packed = r.u32();
    info.originalSize = r.u32();
    info.dosTime = r.u32();
    info.attributes = r.u8();
    r.u8();  // level
    const std::size_t nameLength = r.u8();
    const std::string_view rawName = r.bytes(nameLength);
    info.crc = r.u16();
    if (!r.ok()) return Error::BadHeader;
    std::string baseName = dosPathToSlashes(rawName);

    Extended ext;
    if (level == 0) {
        // Optional trailer from Unix archivers: OS id, version, time, mode, uid, gid.
        if (r.left() >= 1) info.osId = r.u8();
        if (info.osId == kOsUnix && r.left() >= 5) {
            r.u8();
            ext.unixTime = r.u32();
            ext.hasUnixTime = r.ok();
        }
        info.compressedSize = packed;
    } else {
        info.osId = r.u8();
        r.seek(total - 2);
        const std::uint16_t next = r.u16();
        if (!r.ok()) return Error::BadHeader;
        std::uint64_t extBytes = 0;
        if (Error e = readChainFromStream(in, next, 2, ext, extBytes); e != Error::Ok) return e;
        // Level 1 counts its extended headers in the packed size.
        if (extBytes > packed) return Error::BadHeader;
        info.compressedSize = packed - extBytes;
    }
    info.path = joinPath(ext, std::move(baseName));
    applyCommon(ext, info);
    dataSize = info.compressedSize;
    return Error::Ok;
}

// Levels 2 and 3: the whole header, extended headers included, has a stated total size.
Error readLevel23(InputStream& in, std::vector<std::uint8_t>& buf, int level, MemberInfo& info,
                  std::uint64_t& dataSize) {
    std::size_t total = 0;
    std::size_t firstNextOffset = 0;
    std::size_t sizeWidth = 2;
    if (level == 2) {
        total = static_cast<std::size_t>(buf[0] | buf[1] << 8);
        if (total < kMinLevel2) return Error::BadHeader;
        firstNextOffset = 24;
    } else {
        if ((buf[0] | buf[1] << 8) != 4) return Error::BadHeader;  // word size
        if (Error e = readExact(in, buf, kCommonSize, kMinLevel3 - kCommonSize); e != Error::Ok) return e;
        ByteReader t(buf.data(), buf.size());
        t.seek(24);
        const std::uint64_t stated = t.u32();
        if (stated < kMinLevel3 || stated > kMaxExtendedHeaderBytes) return Error::BadHeader;
        total = static_cast<std::size_t>(stated);
        firstNextOffset = 28;
        sizeWidth = 4;
    }
    if (Error e = readExact(in, buf, buf.size(), total - buf.size()); e != Error::Ok) return e;

    ByteReader r(buf.data(), total);
    r.seek(kMethodOffset);
    info.method = std::string(r.bytes(5));
    info.compressedSize = r.u32();
    info.originalSize = r.u32();
    info.unixTime = r.u32();
    info.hasUnixTime = true;
    r.u8();  // reserved
    r.u8();  // level
    info.crc = r.u16();
    info.osId = r.u8();
    r.seek(firstNextOffset);
    const std::uint64_t next = sizeWidth == 2 ? r.u16() : r.u32();
    if (!r.ok()) return Error::BadHeader;
    info.attributes = kAttrArchive;

    Extended ext;
    if (Error e = walkChainInBuffer(buf, firstNextOffset + sizeWidth, next, sizeWidth, ext); e != Error::Ok)
        return e;
    if (ext.hasHeaderCrc) {
        std::vector<std::uint8_t> copy(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(total));
        copy[ext.headerCrcOffset] = 0;
        copy[ext.headerCrcOffset + 1] = 0;
        if (crc16(0, copy.data(), copy.size()) != ext.headerCrc) return Error::HeaderCrc;
    }
    info.path = joinPath(ext, {});
    applyCommon(ext, info);
    dataSize = info.compressedSize;
    return Error::Ok;
}

}  // namespace

std::string dosPathToSlashes(std::string_view raw) {
    std::string s(raw);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if (isShiftJisLead(b) && i + 1 < s.size()) {
            ++i;  // the trail byte may be 0x5C and is part of the character
        } else if (b == '\\' || b == kDirSeparator) {
            s[i] = '/';
        }
    }
    return s;
}

Error readMemberHeader(InputStream& in, std::uint8_t first, MemberInfo& info, std::uint64_t& dataSize) {
    std::vector<std::uint8_t> buf(1, first);
    if (Error e = readExact(in, buf, 1, kCommonSize - 1); e != Error::Ok) return e;
    info = MemberInfo{};
    const int level = buf[kLevelOffset];
    info.headerLevel = level;
    Error e = Error::BadHeader;
    if (level == 0 || level == 1) e = readLevel01(in, buf, level, info, dataSize);
    else if (level == 2 || level == 3) e = readLevel23(in, buf, level, info, dataSize);
    if (e != Error::Ok) return e;
    if (!methodLooksValid(info.method)) return Error::BadHeader;
    if (info.isDirectory()) info.attributes |= kAttrDirectory;
    info.hasCrc = !info.isDirectory();
    return Error::Ok;
}

}  // namespace lha
