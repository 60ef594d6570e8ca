// Reader tests on committed archives: listings and contents for every method and header
// level, the Huffman table builder, and the ArchiveReader call contract.
#include "reader_support.h"

#include "lha/bit_reader.h"
#include "lha/crc16.h"
#include "lha/huffman_decode.h"
#include "lha/reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace readertest {
namespace {

TEST(ReaderFixtures, EveryArchiveListsAndExtractsAsItsManifestSays) {
    std::map<std::string, std::vector<ManifestRow>> byArchive;
    for (const ManifestRow& r : manifest()) byArchive[r.archive].push_back(r);
    ASSERT_GE(byArchive.size(), 15u) << "manifest missing or short";
    for (const auto& [archive, rows] : byArchive) {
        SCOPED_TRACE(archive);
        const ReadArchive got = readAll(fixture(archive));
        EXPECT_EQ(lha::Error::Ok, got.error);
        ASSERT_EQ(rows.size(), got.members.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ManifestRow& want = rows[i];
            const ReadMember& m = got.members[i];
            SCOPED_TRACE(want.path);
            EXPECT_EQ(want.path, m.info.path);
            if (want.method != "*") EXPECT_EQ(want.method, m.info.method);
            EXPECT_EQ(want.size, m.info.originalSize);
            EXPECT_EQ(lha::Error::Ok, m.extract) << lha::errorText(m.extract);
            if (want.content == "-") {
                EXPECT_TRUE(m.info.isDirectory());
                EXPECT_TRUE(m.info.attributes & lha::kAttrDirectory);
                EXPECT_TRUE(m.data.empty());
                continue;
            }
            EXPECT_EQ(want.crc, m.info.crc);
            EXPECT_TRUE(m.data == fixture("content/" + want.content)) << "content differs";
        }
    }
}

// Hands out at most a few bytes per read, as a pipe or socket may.
class TrickleInput final : public lha::InputStream {
public:
    explicit TrickleInput(const Bytes& data) : data_(data) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        step_ = step_ % 7 + 1;
        const std::size_t n = std::min({size, data_.size() - pos_, step_});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer);
        pos_ += n;
        return n;
    }

private:
    const Bytes& data_;
    std::size_t pos_ = 0;
    std::size_t step_ = 0;
};

TEST(ReaderFixtures, ShortReadsGiveTheSameMembers) {
    for (const std::string& archive : manifestArchives()) {
        SCOPED_TRACE(archive);
        const Bytes a = fixture(archive);
        const ReadArchive want = readAll(a);
        TrickleInput in(a);
        lha::ArchiveReader r(in);
        std::size_t i = 0;
        lha::MemberInfo m;
        while (r.next(m) == lha::Error::Ok && !r.atEnd()) {
            ASSERT_LT(i, want.members.size());
            VectorOutput out;
            EXPECT_EQ(lha::Error::Ok, r.extract(out)) << m.path;
            EXPECT_EQ(want.members[i].data, out.bytes) << m.path;
            ++i;
        }
        EXPECT_TRUE(r.atEnd());
        EXPECT_EQ(want.members.size(), i);
    }
}

TEST(ReaderFixtures, MethodsCoveredIncludeEveryDecoder) {
    std::map<std::string, int> methods;
    for (const std::string& archive : manifestArchives())
        for (const ReadMember& m : readAll(fixture(archive)).members) ++methods[m.info.method];
    for (const char* m : {"-lh0-", "-lh1-", "-lh4-", "-lh5-", "-lh6-", "-lh7-", "-lhd-", "-lzs-", "-lz5-", "-lz4-"})
        EXPECT_GT(methods[m], 0) << m;
}

TEST(ReaderFixtures, HeaderLevelFieldsAreFilled) {
    struct Row {
        const char* archive;
        std::size_t index;
        int level;
        bool hasUnixTime;
        std::int64_t unixTime;  // checked when hasUnixTime
        std::uint32_t dosTime;  // checked when nonzero
        std::uint8_t attributes;
        std::uint8_t osId;
    };
    const Row rows[] = {
        {"hand_l0.lzh", 0, 0, false, 0, 0x5A8B6C21, 0x20, 0},
        {"hand_l1.lzh", 0, 1, true, 1700000000, 0x5A8B6C21, 0x20, 'M'},
        {"hand_l1.lzh", 2, 1, false, 0, 0x5A8B6C21, 0x21, 'M'},  // attributes from ext 0x40
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.archive) + " #" + std::to_string(r.index));
        const ReadArchive got = readAll(fixture(r.archive));
        ASSERT_GT(got.members.size(), r.index);
        const lha::MemberInfo& m = got.members[r.index].info;
        EXPECT_EQ(r.level, m.headerLevel);
        EXPECT_EQ(r.hasUnixTime, m.hasUnixTime);
        if (r.hasUnixTime) EXPECT_EQ(r.unixTime, m.unixTime);
        if (r.dosTime) EXPECT_EQ(r.dosTime, m.dosTime);
        EXPECT_EQ(r.attributes, m.attributes);
        EXPECT_EQ(r.osId, m.osId);
    }
    // Level 2 always carries a Unix time; jlha stamps it with the time it ran.
    const ReadArchive l2 = readAll(fixture("jlha_lh5_l2.lzh"));
    ASSERT_FALSE(l2.members.empty());
    EXPECT_TRUE(l2.members[0].info.hasUnixTime);
    EXPECT_GT(l2.members[0].info.unixTime, 1600000000);
}

// --- Huffman table builder -------------------------------------------------------------

struct HuffRow {
    const char* name;
    std::vector<std::uint8_t> lengths;
    unsigned rootBits;
    bool builds;
};

// Canonical code of each symbol, computed independently of the decoder.
std::vector<std::pair<std::uint32_t, unsigned>> canonicalCodes(const std::vector<std::uint8_t>& lengths) {
    std::vector<std::pair<std::uint32_t, unsigned>> codes(lengths.size());
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= 16; ++len) {
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == len) codes[s] = {code++, len};
        code <<= 1;
    }
    return codes;
}

TEST(HuffmanDecoder, BuildsCanonicalTablesAndRejectsBadLengthSets) {
    std::vector<std::uint8_t> deep;  // lengths 1..15, then two of 16: complete, 17 symbols
    for (std::uint8_t l = 1; l <= 15; ++l) deep.push_back(l);
    deep.push_back(16);
    deep.push_back(16);
    const HuffRow rows[] = {
        {"small complete", {2, 1, 3, 3}, 8, true},
        {"unused symbols", {0, 3, 0, 3, 2, 1, 0}, 8, true},
        {"deeper than root", deep, 8, true},
        {"deeper than small root", deep, 2, true},
        {"incomplete", {1, 2}, 8, true},
        {"over-subscribed", {1, 1, 1}, 8, false},
        {"over-subscribed deep", {1, 2, 2, 3}, 8, false},
        {"length above 16", {1, 17}, 8, false},
    };
    for (const HuffRow& r : rows) {
        SCOPED_TRACE(r.name);
        lha::HuffmanDecoder d;
        ASSERT_EQ(r.builds, d.build(r.lengths.data(), static_cast<unsigned>(r.lengths.size()), r.rootBits));
        if (!r.builds) continue;
        // Every used symbol, in reverse order, then a marker symbol, decodes back.
        const auto codes = canonicalCodes(r.lengths);
        BitPacker bits;
        std::vector<int> want;
        for (std::size_t s = r.lengths.size(); s-- > 0;) {
            if (!r.lengths[s]) continue;
            bits.put(codes[s].first, codes[s].second);
            want.push_back(static_cast<int>(s));
        }
        const Bytes stream = bits.finish();
        lha::MemoryInput in(stream.data(), stream.size());
        lha::BitReader br(in, stream.size());
        for (int s : want) {
            br.refill();
            EXPECT_EQ(s, d.decode(br));
        }
        EXPECT_FALSE(br.overrun());
    }
}

TEST(HuffmanDecoder, UnassignedCodeOfIncompleteSetDecodesAsInvalid) {
    const std::uint8_t lengths[] = {1, 2};  // codes 0 and 10; 11 is nobody's
    for (unsigned root : {1u, 8u}) {
        lha::HuffmanDecoder d;
        ASSERT_TRUE(d.build(lengths, 2, root));
        const Bytes stream{0xC0};
        lha::MemoryInput in(stream.data(), stream.size());
        lha::BitReader br(in, stream.size());
        br.refill();
        EXPECT_EQ(-1, d.decode(br)) << root;
    }
}

TEST(HuffmanDecoder, SingleSymbolUsesNoBits) {
    lha::HuffmanDecoder d;
    d.buildSingle(300);
    const Bytes stream{0xA5};
    lha::MemoryInput in(stream.data(), stream.size());
    lha::BitReader br(in, stream.size());
    br.refill();
    EXPECT_EQ(300, d.decode(br));
    EXPECT_EQ(300, d.decode(br));
    EXPECT_EQ(0xA5u, br.get(8));
}

// --- ArchiveReader call contract -----------------------------------------------------------

TEST(ArchiveReaderApi, SecondExtractAndExtractWithoutMemberAreRejected) {
    const Bytes a = fixture("jlha_lh5_l2.lzh");
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    VectorOutput out;
    EXPECT_EQ(lha::Error::BadArgument, r.extract(out));
    lha::MemberInfo m;
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_EQ(lha::Error::Ok, r.extract(out));
    EXPECT_EQ(lha::Error::BadArgument, r.extract(out));
    EXPECT_EQ(lha::Error::BadArgument, r.copyRaw(out));
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_EQ("words.txt", m.path);
}

TEST(ArchiveReaderApi, SkippingEveryOtherMemberKeepsTheWalkAligned) {
    const Bytes a = fixture("jlha_lh7_l1.lzh");
    const ReadArchive all = readAll(a);
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    for (std::size_t i = 0;; ++i) {
        lha::MemberInfo m;
        ASSERT_EQ(lha::Error::Ok, r.next(m));
        if (r.atEnd()) {
            EXPECT_EQ(all.members.size(), i);
            break;
        }
        EXPECT_EQ(all.members[i].info.path, m.path);
        if (i % 2) {
            EXPECT_EQ(lha::Error::Ok, r.skip());
            continue;
        }
        if (i % 4 == 2) continue;  // neither extracted nor skipped: next() passes over it
        VectorOutput out;
        EXPECT_EQ(lha::Error::Ok, r.extract(out));
        EXPECT_EQ(all.members[i].data, out.bytes);
    }
    lha::MemberInfo m;
    EXPECT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_TRUE(r.atEnd());
}

TEST(ArchiveReaderApi, CopyRawGivesTheStoredBytes) {
    const Bytes a = fixture("jlha_lh6_l2.lzh");
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    lha::MemberInfo m;
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    ASSERT_EQ(lha::Error::Ok, r.next(m));  // words.txt, compressed
    const std::uint64_t start = r.position();
    VectorOutput out;
    ASSERT_EQ(lha::Error::Ok, r.copyRaw(out));
    ASSERT_EQ(m.compressedSize, out.bytes.size());
    EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), a.begin() + static_cast<std::ptrdiff_t>(start)));
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_EQ("noise.bin", m.path);
}

TEST(ArchiveReaderApi, ProgressRisesToTheMemberSize) {
    const Bytes a = fixture("jlha_lh5_blocks.lzh");
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    lha::MemberInfo m;
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    std::vector<std::uint64_t> seen;
    VectorOutput out;
    ASSERT_EQ(lha::Error::Ok, r.extract(out, [&](std::uint64_t done) { seen.push_back(done); }));
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(m.originalSize, seen.back());
}

TEST(ArchiveReaderApi, MemberErrorsLeaveTheWalkUsable) {
    const Bytes hello = fixture("content/hello.txt");
    const std::uint16_t crc = lha::crc16(0, hello.data(), hello.size());
    struct Row {
        const char* name;
        Bytes member;
        lha::Error extract;
    };
    const Row rows[] = {
        {"unknown method", level0("-lhx-", "A", hello, static_cast<std::uint32_t>(hello.size()), crc),
         lha::Error::UnknownMethod},
        {"wrong CRC", level0("-lh0-", "A", hello, static_cast<std::uint32_t>(hello.size()), crc ^ 1),
         lha::Error::DataCrc},
        {"stored sizes differ", level0("-lh0-", "A", hello, static_cast<std::uint32_t>(hello.size() - 1), crc),
         lha::Error::Corrupt},
        {"good", level0("-lh0-", "A", hello, static_cast<std::uint32_t>(hello.size()), crc), lha::Error::Ok},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes a = row.member;
        const Bytes tail = level0("-lh0-", "B", hello, static_cast<std::uint32_t>(hello.size()), crc);
        a.insert(a.end(), tail.begin(), tail.end());
        const ReadArchive got = readAll(withEnd(a));
        EXPECT_EQ(lha::Error::Ok, got.error);
        ASSERT_EQ(2u, got.members.size());
        EXPECT_EQ(row.extract, got.members[0].extract);
        EXPECT_EQ(lha::Error::Ok, got.members[1].extract);
        EXPECT_EQ(hello, got.members[1].data);
    }
}

TEST(ArchiveReaderApi, SizeLimitRefusesLargerMembersOnly) {
    const Bytes a = fixture("jlha_lh5_l2.lzh");  // hello.txt (720 bytes), words.txt (36616), ...
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    r.setSizeLimit(720);
    lha::MemberInfo m;
    VectorOutput out;
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_EQ(lha::Error::Ok, r.extract(out));
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_EQ(lha::Error::TooLarge, r.extract(out));
    EXPECT_EQ(720u, out.bytes.size());
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    EXPECT_EQ("noise.bin", m.path);
}

TEST(ArchiveReaderApi, RefusedWriteIsReported) {
    const Bytes a = fixture("jlha_lh5_blocks.lzh");
    lha::MemoryInput in(a.data(), a.size());
    lha::ArchiveReader r(in);
    lha::MemberInfo m;
    ASSERT_EQ(lha::Error::Ok, r.next(m));
    VectorOutput out;
    out.failAfter(1000);
    EXPECT_EQ(lha::Error::WriteFailed, r.extract(out));
}

}  // namespace
}  // namespace readertest
