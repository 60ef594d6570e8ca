// Header parsing: name conversion, extended headers, and hostile headers as negative rows.
#include "reader_support.h"

#include "lha/crc16.h"
#include "lha/header_read.h"
#include "lha/reader.h"

#include <gtest/gtest.h>

namespace readertest {
namespace {

TEST(DosPath, SeparatorsBecomeSlashesButShiftJisTrailBytesStay) {
    struct Row {
        std::string raw;
        std::string want;
    };
    const Row rows[] = {
        {"A.TXT", "A.TXT"},
        {"DIR\\SUB\\A.TXT", "DIR/SUB/A.TXT"},
        {"DIR\xFF" "A.TXT", "DIR/A.TXT"},
        {"\x95\x5C\\A", "\x95\x5C/A"},               // 0x95 0x5C is one character
        {"\x81\x5C\x81\x5C", "\x81\x5C\x81\x5C"},    // two such characters
        {"\xE0\x5C\\\xFC\x5C", "\xE0\x5C/\xFC\x5C"},  // lead bytes at both ends of the upper range
        {"\xA0\\B", "\xA0/B"},                        // 0xA0 is a single-byte katakana, not a lead
        {"\x80\\B", "\x80/B"},
        {"\xFD\\B", "\xFD/B"},
        {"AB\x95", "AB\x95"},                         // a lead byte at the very end stays
        {"\\", "/"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.want, lha::dosPathToSlashes(r.raw)) << r.raw;
}

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string fileTimeBytes(std::uint64_t ft) {
    std::string s;
    for (int i = 0; i < 8; ++i) s += static_cast<char>((ft >> (8 * i)) & 0xFF);
    return s;
}

TEST(HeaderLevel2, ExtendedHeadersFillTheMember) {
    const Bytes data = bytesOf("abc");
    const std::uint16_t crc = lha::crc16(0, data.data(), 3);
    const std::uint64_t ft2001 = 116444736000000000ULL + 1000000000ULL * 10000000ULL;
    struct Row {
        const char* name;
        std::vector<Ext> exts;
        std::string path;
        std::uint8_t attributes;
        std::int64_t unixTime;
        std::uint64_t original;
    };
    const Row rows[] = {
        {"name only", {{0x01, bytesOf("a.txt")}}, "a.txt", 0x20, 1700000000, 3},
        {"folder and name", {{0x02, bytesOf("x\xFFy\xFF")}, {0x01, bytesOf("a.txt")}}, "x/y/a.txt", 0x20,
         1700000000, 3},
        {"folder without trailing separator", {{0x02, bytesOf("x")}, {0x01, bytesOf("a")}}, "x/a", 0x20,
         1700000000, 3},
        {"attributes", {{0x01, bytesOf("a")}, {0x40, {0x23, 0x00}}}, "a", 0x23, 1700000000, 3},
        {"unknown types skipped", {{0x7F, bytesOf("zz")}, {0x01, bytesOf("a")}, {0x99, {}}}, "a", 0x20,
         1700000000, 3},
        {"unix time ext wins", {{0x01, bytesOf("a")}, {0x54, {0x00, 0xE1, 0xF5, 0x05}}}, "a", 0x20, 100000000, 3},
        {"windows time does not override the header's", {{0x01, bytesOf("a")},
                                                          {0x41, bytesOf(fileTimeBytes(0) + fileTimeBytes(ft2001) +
                                                                         fileTimeBytes(0))}},
         "a", 0x20, 1700000000, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const ReadArchive got = readAll(withEnd(level2("-lh0-", data, 3, crc, r.exts)));
        ASSERT_EQ(lha::Error::Ok, got.error);
        ASSERT_EQ(1u, got.members.size());
        const lha::MemberInfo& m = got.members[0].info;
        EXPECT_EQ(r.path, m.path);
        EXPECT_EQ(r.attributes, m.attributes);
        EXPECT_EQ(r.unixTime, m.unixTime);
        EXPECT_EQ(r.original, m.originalSize);
        EXPECT_EQ('U', m.osId);
        EXPECT_EQ(lha::Error::Ok, got.members[0].extract);
        EXPECT_EQ(data, got.members[0].data);
    }
}

TEST(HeaderLevel1, WindowsTimeStandsInForMissingUnixTime) {
    const Bytes data = bytesOf("abc");
    const std::uint64_t ft = 116444736000000000ULL + 1234567890ULL * 10000000ULL;
    const Bytes a = withEnd(level1("-lh0-", "a", data, 3, lha::crc16(0, data.data(), 3),
                                   {{0x41, bytesOf(fileTimeBytes(ft) + fileTimeBytes(ft) + fileTimeBytes(ft))}}));
    const ReadArchive got = readAll(a);
    ASSERT_EQ(1u, got.members.size());
    EXPECT_TRUE(got.members[0].info.hasUnixTime);
    EXPECT_EQ(1234567890, got.members[0].info.unixTime);
    EXPECT_EQ(3u, got.members[0].info.compressedSize);  // the extension is not data
}

// A level-3 header: 4-byte sizes throughout.
Bytes level3(const Bytes& data, const std::string& name) {
    Bytes h{4, 0};
    putText(h, "-lh0-");
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, 1700000000);
    put8(h, 0x20);
    put8(h, 3);
    put16(h, lha::crc16(0, data.data(), data.size()));
    put8(h, 'U');
    put32(h, 0);  // total size, below
    put32(h, static_cast<std::uint32_t>(name.size() + 5));
    put8(h, 0x01);
    putText(h, name);
    put32(h, 0);
    h[24] = static_cast<std::uint8_t>(h.size());
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

TEST(HeaderLevel3, FourByteSizesAreRead) {
    const Bytes data = bytesOf("level three");
    const ReadArchive got = readAll(withEnd(level3(data, "l3.txt")));
    ASSERT_EQ(lha::Error::Ok, got.error);
    ASSERT_EQ(1u, got.members.size());
    EXPECT_EQ("l3.txt", got.members[0].info.path);
    EXPECT_EQ(3, got.members[0].info.headerLevel);
    EXPECT_EQ(data, got.members[0].data);
}

TEST(ArchiveEnd, ZeroByteOrCleanEndOfInputEndsTheWalk) {
    const Bytes data = bytesOf("abc");
    const Bytes member = level0("-lh0-", "A", data, 3, lha::crc16(0, data.data(), 3));
    for (bool marker : {true, false}) {
        Bytes a = marker ? withEnd(member) : member;
        if (marker) a.push_back(0x55);  // bytes after the end marker are not read
        const ReadArchive got = readAll(a);
        EXPECT_EQ(lha::Error::Ok, got.error) << marker;
        EXPECT_EQ(1u, got.members.size()) << marker;
    }
    EXPECT_EQ(lha::Error::Ok, readAll({}).error);
}

// --- Hostile headers ---------------------------------------------------------------------

struct HostileRow {
    const char* name;
    Bytes archive;
    lha::Error next;     // result of the first next()
    lha::Error extract;  // result of extract() when next() was Ok
};

Bytes patched(Bytes b, std::size_t at, std::initializer_list<std::uint8_t> values) {
    for (std::uint8_t v : values) b[at++] = v;
    return b;
}

// Recomputes a level-0/1 header's checksum after a patch.
Bytes resummed(Bytes b) {
    unsigned sum = 0;
    for (std::size_t i = 2; i < std::size_t{b[0]} + 2u; ++i) sum += b[i];
    b[1] = static_cast<std::uint8_t>(sum);
    return b;
}

std::vector<HostileRow> hostileRows() {
    using lha::Error;
    const Bytes data = bytesOf("abcdefgh");
    const std::uint16_t crc = lha::crc16(0, data.data(), data.size());
    const Bytes l0 = level0("-lh0-", "NAME", data, 8, crc);
    const Bytes l1 = level1("-lh0-", "name", data, 8, crc, {{0x7E, bytesOf("xyz")}});
    const Bytes l2 = level2("-lh0-", data, 8, crc, {{0x01, bytesOf("name")}});
    const Bytes l2nocrc = level2("-lh0-", data, 8, crc, {{0x01, bytesOf("name")}}, false);
    std::vector<HostileRow> rows;
    rows.push_back({"level 0 control", withEnd(l0), Error::Ok, Error::Ok});
    rows.push_back({"level 1 control", withEnd(l1), Error::Ok, Error::Ok});
    rows.push_back({"level 2 control", withEnd(l2), Error::Ok, Error::Ok});
    rows.push_back({"level 0 header size below minimum", resummed(patched(l0, 0, {10})), Error::BadHeader,
                    Error::Ok});
    rows.push_back({"level 0 name longer than header", resummed(patched(l0, 21, {200})), Error::BadHeader,
                    Error::Ok});
    rows.push_back({"level 0 checksum", patched(l0, 1, {static_cast<std::uint8_t>(l0[1] + 1)}), Error::HeaderCrc,
                    Error::Ok});
    rows.push_back({"level 0 header ends mid-way", Bytes(l0.begin(), l0.begin() + 15), Error::Truncated,
                    Error::Ok});
    rows.push_back({"bad method id", resummed(patched(l0, 2, {'x'})), Error::BadHeader, Error::Ok});
    rows.push_back({"unknown header level", patched(l0, 20, {7}), Error::BadHeader, Error::Ok});
    {
        // Level 1: first extended size sits just before the extension chain.
        const std::size_t extSizeAt = std::size_t{l1[0]} + 2 - 2;
        rows.push_back({"level 1 extension size 1", resummed(patched(l1, extSizeAt, {1, 0})), Error::BadHeader,
                        Error::Ok});
        rows.push_back({"level 1 extension size 2", resummed(patched(l1, extSizeAt, {2, 0})), Error::BadHeader,
                        Error::Ok});
        rows.push_back({"level 1 extension larger than input", resummed(patched(l1, extSizeAt, {0xFF, 0xFF})),
                        Error::Truncated, Error::Ok});
        rows.push_back({"level 1 packed size smaller than extensions", resummed(patched(l1, 7, {2, 0, 0, 0})),
                        Error::BadHeader, Error::Ok});
    }
    {
        // Level 1 chain of maximal extensions, past the total cap.
        std::vector<Ext> exts(2, Ext{0x7E, Bytes(65532, 'e')});
        rows.push_back({"level 1 extension total over cap", withEnd(level1("-lh0-", "n", data, 8, crc, exts)),
                        Error::BadHeader, Error::Ok});
        std::vector<Ext> many(300, Ext{0x7E, Bytes(250, 'e')});
        rows.push_back({"level 1 many extensions over cap", withEnd(level1("-lh0-", "n", data, 8, crc, many)),
                        Error::BadHeader, Error::Ok});
    }
    rows.push_back({"level 2 total size below minimum", patched(l2, 0, {20, 0}), Error::BadHeader, Error::Ok});
    rows.push_back({"level 2 total size beyond input", patched(l2nocrc, 0, {0xF0, 0xFF}), Error::Truncated,
                    Error::Ok});
    rows.push_back({"level 2 first extension runs past header", patched(l2nocrc, 24, {0xFF, 0x00}),
                    Error::BadHeader, Error::Ok});
    rows.push_back({"level 2 extension size 1", patched(l2nocrc, 24, {1, 0}), Error::BadHeader, Error::Ok});
    rows.push_back({"level 2 zero-size chain", patched(l2nocrc, 24, {0, 0}), Error::Ok, Error::Ok});
    rows.push_back({"level 2 header CRC", patched(l2, 4, {'z'}), Error::HeaderCrc, Error::Ok});
    rows.push_back({"level 2 huge compressed size", withEnd(patched(l2nocrc, 7, {0xFF, 0xFF, 0xFF, 0xFF})),
                    Error::Ok, Error::Corrupt});
    {
        Bytes lh5 = level2("-lh5-", data, 8, crc, {{0x01, bytesOf("name")}}, false);
        rows.push_back({"level 2 compressed size past the input", patched(lh5, 7, {0xFF, 0xFF, 0xFF, 0x0F}),
                        Error::Ok, Error::Truncated});
    }
    rows.push_back({"level 2 huge original size", withEnd(patched(l2nocrc, 11, {0xFF, 0xFF, 0xFF, 0xFF})),
                    Error::Ok, Error::Corrupt});
    {
        Bytes big;
        put64(big, std::uint64_t{1} << 62);
        put64(big, std::uint64_t{1} << 62);
        rows.push_back({"64-bit sizes far past the input",
                        withEnd(level2("-lh0-", data, 8, crc, {{0x01, bytesOf("n")}, {0x42, big}}, false)),
                        Error::Ok, Error::Truncated});
        Bytes shortBody{1, 2, 3};
        rows.push_back({"64-bit size extension too short is ignored",
                        withEnd(level2("-lh0-", data, 8, crc, {{0x01, bytesOf("n")}, {0x42, shortBody}}, false)),
                        Error::Ok, Error::Ok});
    }
    {
        Bytes l3 = level3(data, "n");
        rows.push_back({"level 3 control", withEnd(l3), Error::Ok, Error::Ok});
        rows.push_back({"level 3 word size not 4", patched(l3, 0, {2}), Error::BadHeader, Error::Ok});
        rows.push_back({"level 3 total size huge", patched(l3, 24, {0xFF, 0xFF, 0xFF, 0x7F}), Error::BadHeader,
                        Error::Ok});
        rows.push_back({"level 3 total size below minimum", patched(l3, 24, {8, 0, 0, 0}), Error::BadHeader,
                        Error::Ok});
        rows.push_back({"level 3 extension size 4", patched(l3, 28, {4, 0, 0, 0}), Error::BadHeader, Error::Ok});
    }
    return rows;
}

TEST(HostileHeaders, EachFailsWithItsOwnErrorAndTheReaderStaysFailed) {
    for (const HostileRow& r : hostileRows()) {
        SCOPED_TRACE(r.name);
        lha::MemoryInput in(r.archive.data(), r.archive.size());
        lha::ArchiveReader reader(in);
        lha::MemberInfo m;
        const lha::Error first = reader.next(m);
        EXPECT_EQ(r.next, first) << lha::errorText(first);
        if (first != lha::Error::Ok) {
            // A header error loses the position: the reader does not pretend to go on.
            EXPECT_EQ(first, reader.next(m));
            EXPECT_FALSE(reader.atEnd());
            continue;
        }
        VectorOutput out;
        const lha::Error e = reader.extract(out);
        EXPECT_EQ(r.extract, e) << lha::errorText(e);
        EXPECT_LE(out.bytes.size(), m.originalSize);
    }
}

}  // namespace
}  // namespace readertest
