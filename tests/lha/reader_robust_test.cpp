// Damaged and hostile input: every cut point, deterministic bit flips, and hand-made
// compressed streams that break each rule of the static-Huffman format.
#include "reader_support.h"

#include "lha/crc16.h"
#include "lha/reader.h"

#include <gtest/gtest.h>

namespace readertest {
namespace {

// Offsets where each member's header starts, and the end marker's offset, in order.
std::vector<std::uint64_t> memberBoundaries(const Bytes& a) {
    std::vector<std::uint64_t> at;
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    lha::MemberInfo m;
    while (r.next(m) == lha::Error::Ok && !r.atEnd()) at.push_back(r.headerOffset());
    at.push_back(r.headerOffset());
    return at;
}

bool anyError(const ReadArchive& r) {
    if (r.error != lha::Error::Ok) return true;
    for (const ReadMember& m : r.members)
        if (m.extract != lha::Error::Ok) return true;
    return false;
}

class EveryCut : public testing::TestWithParam<const char*> {};

TEST_P(EveryCut, FailsCleanlyOrStopsAtAMemberBoundary) {
    const Bytes whole = fixture(GetParam());
    const ReadArchive full = readAll(whole);
    ASSERT_FALSE(anyError(full));
    const std::vector<std::uint64_t> bounds = memberBoundaries(whole);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        const ReadArchive got = readAll(part);
        ASSERT_LE(got.members.size(), full.members.size()) << cut;
        // Whatever did extract is exactly right.
        for (std::size_t i = 0; i < got.members.size(); ++i)
            if (got.members[i].extract == lha::Error::Ok) EXPECT_EQ(full.members[i].data, got.members[i].data) << cut;
        if (anyError(got)) continue;
        // No error is only right where the input ends where a header would start.
        EXPECT_EQ(bounds.at(got.members.size()), cut) << "cut at " << cut << " read as complete";
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryCut,
                         testing::Values("hand_l0.lzh", "hand_l1.lzh", "hand_larc.lzh", "jlha_lh5_l0.lzh",
                                         "jlha_lh7_l2.lzh"));

class BitFlips : public testing::TestWithParam<const char*> {};

TEST_P(BitFlips, AreDetectedOrLeaveTheContentIntact) {
    const Bytes whole = fixture(GetParam());
    const ReadArchive full = readAll(whole);
    ASSERT_FALSE(anyError(full));
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    int detected = 0;
    const int kFlips = 400;
    for (int n = 0; n < kFlips; ++n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const std::size_t at = static_cast<std::size_t>((state >> 33) % whole.size());
        const unsigned bit = static_cast<unsigned>(state >> 29) & 7;
        Bytes damaged = whole;
        damaged[at] ^= static_cast<std::uint8_t>(1u << bit);
        const ReadArchive got = readAll(damaged);
        if (anyError(got)) {
            ++detected;
            continue;
        }
        // Undetected flips may only touch what carries no content (times, unknown
        // extensions, names in unchecked headers): every member's bytes still match.
        ASSERT_EQ(full.members.size(), got.members.size()) << "flip at " << at << " bit " << bit;
        for (std::size_t i = 0; i < got.members.size(); ++i)
            EXPECT_EQ(full.members[i].data, got.members[i].data) << "flip at " << at << " bit " << bit;
    }
    // Most of every archive is compressed data or checked header bytes.
    EXPECT_GT(detected, kFlips / 2);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BitFlips,
                         testing::Values("hand_l0.lzh", "hand_l1.lzh", "hand_larc.lzh", "jlha_lh5_l1.lzh",
                                         "jlha_lh6_l2.lzh", "jlha_lh7_blocks.lzh"));

// --- Hand-made -lh5- streams -------------------------------------------------------------

// Pieces of one block, written field by field so a row can break exactly one of them.
struct Block {
    unsigned symbols = 10;
    // pre-code: count, then one 3-bit length per entry (the 2-bit zero run after entry 3)
    std::vector<unsigned> preLengths;  // empty: single pre-code symbol `preOnly`
    unsigned preCount = 0;             // written count when preLengths is set
    unsigned preOnly = 0;
    unsigned cCount = 0;  // 0: single literal/length symbol `cOnly`
    unsigned cOnly = 'A';
    unsigned pOnly = 0;
    unsigned pCount = 0;
    std::vector<unsigned> pLengths;
};

void writeBlock(BitPacker& bits, const Block& b) {
    bits.put(b.symbols, 16);
    if (b.preLengths.empty()) {
        bits.put(0, 5);
        bits.put(b.preOnly, 5);
    } else {
        bits.put(b.preCount, 5);
        for (std::size_t i = 0; i < b.preLengths.size(); ++i) {
            unsigned len = b.preLengths[i];
            if (len < 7) {
                bits.put(len, 3);
            } else {
                bits.put(7, 3);
                for (unsigned k = 7; k < len; ++k) bits.put(1, 1);
                bits.put(0, 1);
            }
            if (i == 2) bits.put(0, 2);
        }
    }
    bits.put(b.cCount, 9);
    if (b.cCount == 0) bits.put(b.cOnly, 9);
    bits.put(b.pCount, 4);
    if (b.pCount == 0) {
        bits.put(b.pOnly, 4);
    } else {
        for (unsigned len : b.pLengths) bits.put(len, 3);
    }
}

struct StreamRow {
    const char* name;
    Bytes stream;
    std::uint32_t original;
    lha::Error want;
};

std::vector<StreamRow> streamRows() {
    using lha::Error;
    std::vector<StreamRow> rows;
    auto make = [](const Block& b, std::initializer_list<std::pair<std::uint32_t, unsigned>> tail = {}) {
        BitPacker bits;
        writeBlock(bits, b);
        for (auto [v, n] : tail) bits.put(v, n);
        return bits.finish();
    };
    rows.push_back({"single-symbol tables (control)", make(Block{}), 10, Error::Ok});
    Block b;
    b.symbols = 0;
    rows.push_back({"empty block", make(b), 10, Error::Corrupt});
    b = Block{};
    b.preOnly = 19;
    rows.push_back({"single pre-code symbol out of range", make(b), 10, Error::Corrupt});
    b = Block{};
    b.preLengths = std::vector<unsigned>(3, 1);
    b.preCount = 20;
    rows.push_back({"pre-code count above 19", make(b), 10, Error::Corrupt});
    b = Block{};
    b.preLengths = {1, 1, 1};
    b.preCount = 3;
    rows.push_back({"pre-code over-subscribed", make(b), 10, Error::Corrupt});
    b = Block{};
    b.preLengths = {17, 1};
    b.preCount = 2;
    rows.push_back({"pre-code length above 16", make(b), 10, Error::Corrupt});
    b = Block{};
    b.cOnly = 510;
    rows.push_back({"single literal/length symbol out of range", make(b), 10, Error::Corrupt});
    b = Block{};
    b.cCount = 511;
    b.preLengths = {1, 1};
    b.preCount = 2;
    rows.push_back({"literal/length count above 510", make(b), 10, Error::Corrupt});
    {
        // Pre-code: symbols 0 and 2 with one bit each; then C lengths "run of 20+x zeros"
        // running past the stated count of 5.
        BitPacker raw;
        raw.put(10, 16);
        raw.put(3, 5);
        raw.put(1, 3);
        raw.put(0, 3);
        raw.put(1, 3);
        raw.put(0, 2);
        raw.put(5, 9);      // five C lengths follow
        raw.put(1, 1);      // pre-code symbol 2: a long zero run
        raw.put(100, 9);    // 120 zeros, past 5
        rows.push_back({"zero run past the literal/length count", raw.finish(), 10, Error::Corrupt});
    }
    b = Block{};
    b.pOnly = 14;
    rows.push_back({"single position symbol out of range", make(b), 10, Error::Corrupt});
    b = Block{};
    b.pCount = 15;
    b.pLengths = std::vector<unsigned>(15, 4);
    rows.push_back({"position count above 14", make(b), 10, Error::Corrupt});
    {
        // A match of 256 bytes repeated with no bits per symbol, then nothing: a 4 GiB
        // claim runs out of input after one block and must stop, not spin.
        b = Block{};
        b.symbols = 0xFFFF;
        b.cOnly = 509;
        rows.push_back({"huge output from one block ends at the input's end", make(b), 0xFFFFFFFF, Error::Corrupt});
    }
    rows.push_back({"no data at all", {}, 10, Error::Corrupt});
    {
        // A pre-code whose only symbol means "length 1", read for 67 entries: 67 codes of
        // one bit cannot exist.
        BitPacker raw;
        raw.put(3, 16);
        raw.put(0, 5);
        raw.put(3, 5);     // pre-code: only symbol 3 (C length 1), no bits per length
        raw.put(67, 9);    // 67 C lengths, each one pre-code symbol of zero bits
        raw.put(0, 4);
        raw.put(0, 4);     // positions: single symbol 0
        rows.push_back({"all-equal C lengths over-subscribe", raw.finish(), 10, Error::Corrupt});
    }
    return rows;
}

TEST(HostileStreams, EachBrokenRuleGivesCorruptAndNoOverrun) {
    for (const StreamRow& r : streamRows()) {
        SCOPED_TRACE(r.name);
        const Bytes a = withEnd(level2("-lh5-", r.stream, r.original, 0, {{0x01, {'x'}}}));
        lha::MemoryInput in(a.data(), a.size());
        lha::ArchiveReader reader(in);
        lha::MemberInfo m;
        ASSERT_EQ(lha::Error::Ok, reader.next(m));
        VectorOutput out;
        const lha::Error e = reader.extract(out);
        if (r.want == lha::Error::Ok) {
            // The control row decodes; its CRC field is 0, so it must fail only on the CRC.
            EXPECT_EQ(lha::Error::DataCrc, e);
            EXPECT_EQ(Bytes(10, 'A'), out.bytes);
            continue;
        }
        EXPECT_EQ(r.want, e) << lha::errorText(e);
        EXPECT_LE(out.bytes.size(), m.originalSize);
        // The next member header is still found after a damaged member.
        EXPECT_EQ(lha::Error::Ok, reader.next(m));
        EXPECT_TRUE(reader.atEnd());
    }
}

TEST(HostileStreams, SpacesBeforeTheStartAreTheInitialDictionary) {
    // A match reaching before the first byte copies the dictionary's initial spaces.
    BitPacker raw;
    raw.put(1, 16);
    raw.put(0, 5);
    raw.put(0, 5);
    raw.put(0, 9);
    raw.put(256 + 5 - 3, 9);  // only symbol: match of 5
    raw.put(0, 4);
    raw.put(13, 4);            // only position code 13: distance 4096 + 12 extra bits
    raw.put(0, 12);
    const Bytes stream = raw.finish();
    const Bytes spaces(5, ' ');
    const Bytes a = withEnd(level2("-lh5-", stream, 5, lha::crc16(0, spaces.data(), 5), {{0x01, {'x'}}}));
    const ReadArchive got = readAll(a);
    ASSERT_EQ(1u, got.members.size());
    EXPECT_EQ(lha::Error::Ok, got.members[0].extract);
    EXPECT_EQ(spaces, got.members[0].data);
}

}  // namespace
}  // namespace readertest
