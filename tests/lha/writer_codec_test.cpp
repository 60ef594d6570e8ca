// Unit tests of the encoder's pieces: bit packing, length-limited Huffman codes, the level-2
// header builder and the segment encoder's determinism.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "lha/bit_writer.h"
#include "lha/crc16.h"
#include "lha/encode_lh.h"
#include "lha/header_write.h"
#include "lha/huffman_encode.h"
#include "writer_test_util.h"

namespace {

using wt::Bytes;

TEST(BitWriter, PacksMostSignificantBitFirstAcrossBytes) {
    struct Put { unsigned count; std::uint32_t value; };
    struct Row { std::vector<Put> puts; Bytes bytes; unsigned tail; };
    const Row rows[] = {
        {{{1, 1}}, {0x80}, 1},
        {{{3, 5}, {5, 3}}, {0xA3}, 0},
        {{{16, 0xBEEF}, {4, 0xF}}, {0xBE, 0xEF, 0xF0}, 4},
        {{{32, 0x12345678}}, {0x12, 0x34, 0x56, 0x78}, 0},
        {{{4, 0xFF}, {12, 0xFFFFF123}}, {0xF1, 0x23}, 0},  // bits above `count` are ignored
        {{{0, 0xFFFF}, {7, 0}}, {0x00}, 7},
        {{}, {}, 0},
    };
    for (const Row& r : rows) {
        lha::BitWriter w;
        std::uint64_t total = 0;
        for (const Put& p : r.puts) { w.put(p.count, p.value); total += p.count; }
        EXPECT_EQ(total, w.bitCount());
        unsigned tail = 99;
        EXPECT_EQ(r.bytes, w.take(tail));
        EXPECT_EQ(r.tail, tail);
        EXPECT_EQ(0u, w.bitCount());
    }
}

// Kraft sum of the used lengths, scaled so that a complete code gives exactly 1 << 16.
std::uint64_t kraft(const std::vector<std::uint8_t>& len) {
    std::uint64_t k = 0;
    for (auto l : len) if (l) k += 1ull << (16 - l);
    return k;
}

std::vector<std::uint32_t> fibonacci(int n) {
    std::vector<std::uint32_t> f(static_cast<std::size_t>(n));
    f[0] = f[1] = 1;
    for (int i = 2; i < n; ++i) f[static_cast<std::size_t>(i)] = f[static_cast<std::size_t>(i - 1)] + f[static_cast<std::size_t>(i - 2)];
    return f;
}

TEST(HuffmanEncode, LengthsFormCompleteCodesWithinTheLimit) {
    struct Row { const char* name; std::vector<std::uint32_t> freq; int limit; int used; };
    std::vector<std::uint32_t> sparse(510, 0);
    sparse[3] = 7; sparse[300] = 1; sparse[509] = 2;
    const Row rows[] = {
        {"two symbols", {5, 9}, 16, 2},
        {"uniform 8", std::vector<std::uint32_t>(8, 4), 16, 8},
        {"sparse over 510", sparse, 16, 3},
        {"fibonacci 30 needs the limit", fibonacci(30), 16, 30},
        {"fibonacci 19 under a tight limit", fibonacci(19), 7, 19},
        {"one used", {0, 0, 12, 0}, 16, 1},
        {"none used", {0, 0, 0}, 16, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<std::uint8_t> len(r.freq.size(), 99);
        EXPECT_EQ(r.used, lha::buildCodeLengths(r.freq.data(), static_cast<int>(r.freq.size()), r.limit, len.data()));
        if (r.used < 2) {
            EXPECT_TRUE(std::all_of(len.begin(), len.end(), [](auto l) { return l == 0; }));
            continue;
        }
        EXPECT_EQ(1ull << 16, kraft(len));
        for (std::size_t i = 0; i < len.size(); ++i) {
            EXPECT_EQ(r.freq[i] == 0, len[i] == 0) << i;
            EXPECT_LE(len[i], r.limit);
            for (std::size_t j = 0; j < len.size(); ++j)
                if (r.freq[i] && r.freq[j] && r.freq[i] > r.freq[j]) EXPECT_LE(len[i], len[j]) << i << " vs " << j;
        }
    }
}

TEST(HuffmanEncode, CanonicalCodesArePrefixFreeAndOrdered) {
    const std::vector<std::uint8_t> len = {3, 0, 2, 3, 4, 4, 2, 3};
    std::vector<std::uint16_t> code(len.size());
    lha::buildCanonicalCodes(len.data(), static_cast<int>(len.size()), code.data());
    for (std::size_t i = 0; i < len.size(); ++i) {
        if (!len[i]) continue;
        for (std::size_t j = 0; j < len.size(); ++j) {
            if (i == j || !len[j] || len[j] < len[i]) continue;
            // No code is a prefix of another.
            EXPECT_NE(code[i], code[j] >> (len[j] - len[i])) << i << " prefixes " << j;
            // Same length: ascending symbol gives ascending code.
            if (len[i] == len[j] && i < j) EXPECT_LT(code[i], code[j]);
        }
    }
}

// Reads back the fields of a level-2 header made by buildLevel2Header.
struct Parsed {
    unsigned size = 0;
    std::string method, name, dir;
    std::uint32_t packed = 0, original = 0, time = 0;
    std::uint16_t crc = 0;
    int attr = -1;
    bool headerCrcOk = false;
};
Parsed parse(const Bytes& h) {
    auto u16 = [&](std::size_t i) { return unsigned(h[i] | h[i + 1] << 8); };
    auto u32 = [&](std::size_t i) { return std::uint32_t(u16(i) | std::uint32_t(u16(i + 2)) << 16); };
    Parsed p;
    p.size = u16(0);
    p.method.assign(h.begin() + 2, h.begin() + 7);
    p.packed = u32(7);
    p.original = u32(11);
    p.time = u32(15);
    p.crc = static_cast<std::uint16_t>(u16(21));
    std::size_t at = 24, crcAt = 0;
    unsigned next = u16(at);
    at += 2;
    while (next) {
        std::uint8_t type = h[at];
        std::string data(h.begin() + static_cast<std::ptrdiff_t>(at + 1), h.begin() + static_cast<std::ptrdiff_t>(at + next - 2));
        if (type == 0x00) crcAt = at + 1;
        if (type == 0x01) p.name = data;
        if (type == 0x02) p.dir = data;
        if (type == 0x40) p.attr = static_cast<unsigned char>(data[0]);
        at += next;
        next = u16(at - 2);
    }
    Bytes copy(h.begin(), h.begin() + p.size);
    unsigned stored = u16(crcAt);
    copy[crcAt] = copy[crcAt + 1] = 0;
    p.headerCrcOk = stored == lha::crc16(0, copy.data(), copy.size());
    return p;
}

TEST(HeaderWrite, FieldsExtHeadersAndCrc) {
    struct Row { std::string path; std::string method; std::string name, dir; };
    const std::string ff = "\xFF";
    const Row rows[] = {
        {"file.txt", "-lh5-", "file.txt", ""},
        {"a b/c d/e f.txt", "-lh7-", "e f.txt", "a b" + ff + "c d" + ff},
        {"top/folder", "-lhd-", "", "top" + ff + "folder" + ff},
        {"\x83\x65\x83\x58\x83\x67.txt", "-lh0-", "\x83\x65\x83\x58\x83\x67.txt", ""},  // code-page bytes pass through
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        lha::MemberInfo info;
        info.path = r.path;
        info.method = r.method;
        info.originalSize = 123456;
        info.compressedSize = 6543;
        info.unixTime = 1600000000;
        info.hasUnixTime = true;
        info.attributes = lha::kAttrReadOnly | lha::kAttrArchive;
        info.crc = 0xBEEF;
        Bytes h;
        ASSERT_EQ(lha::Error::Ok, lha::buildLevel2Header(info, h));
        Parsed p = parse(h);
        EXPECT_EQ(h.size(), p.size);
        EXPECT_EQ(2, h[20]);
        EXPECT_EQ(r.method, p.method);
        EXPECT_EQ(6543u, p.packed);
        EXPECT_EQ(123456u, p.original);
        EXPECT_EQ(1600000000u, p.time);
        EXPECT_EQ(0xBEEF, p.crc);
        EXPECT_EQ(r.name, p.name);
        EXPECT_EQ(r.dir, p.dir);
        EXPECT_EQ(lha::kAttrReadOnly | lha::kAttrArchive, p.attr);
        EXPECT_TRUE(p.headerCrcOk);
    }
}

TEST(HeaderWrite, SizeNeverEndsInAZeroByte) {
    // Name lengths around the one that makes the header exactly 256 or 512 bytes long.
    for (std::size_t n = 180; n < 500; ++n) {
        lha::MemberInfo info;
        info.path = std::string(n, 'n');
        Bytes h;
        ASSERT_EQ(lha::Error::Ok, lha::buildLevel2Header(info, h));
        EXPECT_NE(0, h[0]) << n;
        EXPECT_EQ(h.size(), parse(h).size);
        EXPECT_TRUE(parse(h).headerCrcOk);
    }
}

TEST(HeaderWrite, RejectsBadPathsAndSizes) {
    struct Row { std::string path; std::uint64_t original; lha::Error expected; };
    const Row rows[] = {
        {"", 0, lha::Error::BadArgument},
        {"/abs", 0, lha::Error::BadArgument},
        {"dir/", 0, lha::Error::BadArgument},
        {"a//b", 0, lha::Error::BadArgument},
        {std::string("bad\xFFname"), 0, lha::Error::BadArgument},
        {std::string("nul\0name", 8), 0, lha::Error::BadArgument},
        {std::string(70000, 'x'), 0, lha::Error::BadArgument},
        {"huge.bin", 0x100000000ull, lha::Error::TooLarge},
        {"just fits.bin", 0xFFFFFFFFull, lha::Error::Ok},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path.substr(0, 20));
        lha::MemberInfo info;
        info.path = r.path;
        info.originalSize = r.original;
        Bytes h;
        EXPECT_EQ(r.expected, lha::buildLevel2Header(info, h));
    }
}

TEST(HeaderWrite, DosTimeConvertsAsUtc) {
    struct Row { std::uint32_t dos; std::int64_t unix; };
    const Row rows[] = {
        {(20u << 25) | (1u << 21) | (1u << 16), 946684800},                               // 2000-01-01 00:00:00
        {(43u << 25) | (11u << 21) | (14u << 16) | (22u << 11) | (13u << 5) | 10u, 1700000000},  // 2023-11-14 22:13:20
        {(20u << 25) | (13u << 21) | (1u << 16), 0},                                      // month 13: invalid
        {0, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(r.unix, lha::dosTimeToUnix(r.dos)) << r.dos;
}

TEST(SegmentEncoder, SameInputGivesSameBitsAndPrimerShortensOutput) {
    const Bytes text = wt::textBytes(300000, 31);
    for (lha::Method m : {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7}) {
        lha::SegmentEncoder a(m), b(m);
        lha::BitWriter wa, wb, wp;
        a.encode(text.data(), 0, text.size(), wa);
        b.encode(wt::randomBytes(5000, 1).data(), 0, 5000, wb);  // reuse must not leak state
        b.encode(text.data(), 0, text.size(), wb = lha::BitWriter{});
        EXPECT_EQ(wa.bitCount(), wb.bitCount());
        unsigned ta, tb;
        EXPECT_EQ(wa.take(ta), wb.take(tb));
        // The second half alone, with and without the first half as primer.
        const std::size_t half = text.size() / 2;
        lha::BitWriter cold;
        a.encode(text.data() + half, 0, text.size() - half, cold);
        a.encode(text.data(), half, text.size(), wp);
        EXPECT_LT(wp.bitCount(), cold.bitCount());
        lha::BitWriter none;
        a.encode(text.data(), 10, 10, none);
        EXPECT_EQ(0u, none.bitCount());
    }
}

}  // namespace
