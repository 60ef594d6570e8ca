// ArchiveWriter behaviour in memory: identical output at any thread count, stored fallback,
// size limits, error reporting, raw member copies, progress and bounded read-ahead.
#include <gtest/gtest.h>

#include <algorithm>

#include "writer_test_util.h"

namespace {

using namespace wt;

std::vector<Entry> mixedEntries() {
    return {
        {"small.txt", textBytes(1000, 1)},
        {"folder", {}, true},
        {"folder/large.txt", textBytes(700000, 2)},
        {"folder/noise.bin", randomBytes(200000, 3)},
        {"empty", {}},
        {"mixed.bin", [] { Bytes b = textBytes(250000, 4); Bytes r = randomBytes(150000, 5); b.insert(b.begin() + 120000, r.begin(), r.end()); return b; }()},
    };
}

TEST(ArchiveWriter, OutputIsIdenticalForEveryThreadCount) {
    struct Row { lha::Method method; lha::Level level; std::size_t segment; std::vector<unsigned> threads; };
    const Row rows[] = {
        {lha::Method::Lh5, lha::Level::Normal, 64 << 10, {1, 2, 3}},
        {lha::Method::Lh7, lha::Level::Normal, 100000, {1, 2}},
        {lha::Method::Lh5, lha::Level::Max, 90000, {1, 2}},
        {lha::Method::Lh5, lha::Level::Normal, 1 << 20, {1, 2}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.segment);
        Bytes reference;
        for (unsigned threads : r.threads) {
            lha::WriterOptions opt;
            opt.method = r.method;
            opt.level = r.level;
            opt.segmentSize = r.segment;
            opt.threads = threads;
            Bytes a;
            ASSERT_EQ(lha::Error::Ok, buildArchive(mixedEntries(), opt, a));
            if (threads == 1) reference = a;
            else EXPECT_TRUE(a == reference) << threads << " threads differ";
        }
        auto members = walkArchive(reference);
        ASSERT_EQ(6u, members.size());
        EXPECT_EQ(reference.size(), members.back().offset + members.back().headerSize + members.back().compressedSize + 1);
    }
}

TEST(ArchiveWriter, MembersThatDoNotShrinkAreStoredWhateverTheirSegmentCount) {
    struct Row { std::size_t size; std::size_t segment; const char* method; };
    const Row rows[] = {
        {300000, 64 << 10, "-lh0-"},   // several segments: written, then rewritten stored
        {30000, 64 << 10, "-lh0-"},    // one segment: decided before writing
        {1, 64 << 10, "-lh0-"},
        {300000, 1 << 20, "-lh0-"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.size);
        const Bytes noise = randomBytes(r.size, 77);
        lha::WriterOptions opt;
        opt.segmentSize = r.segment;
        opt.threads = 2;
        Bytes a;
        ASSERT_EQ(lha::Error::Ok, buildArchive({{"noise.bin", noise}, {"after.txt", textBytes(5000, 1)}}, opt, a));
        auto m = walkArchive(a);
        ASSERT_EQ(2u, m.size());
        EXPECT_EQ(r.method, m[0].method);
        EXPECT_EQ(r.size, m[0].compressedSize);
        EXPECT_TRUE(std::equal(noise.begin(), noise.end(), a.begin() + static_cast<std::ptrdiff_t>(m[0].offset + m[0].headerSize)));
        EXPECT_EQ("-lh5-", m[1].method);
        // No stale compressed bytes remain after the end marker.
        EXPECT_EQ(a.size(), m[1].offset + m[1].headerSize + m[1].compressedSize + 1);
        EXPECT_EQ(0, a.back());
    }
}

// Endless lazily generated data that counts how much has been read.
class CountingInput final : public lha::InputStream {
public:
    CountingInput(std::uint64_t size, std::uint64_t* readCount, std::uint64_t failAt = ~0ull)
        : size_(size), read_(readCount), failAt_(failAt) {}
    std::size_t read(std::uint8_t* buffer, std::size_t n) override {
        if (*read_ >= failAt_) { failed_ = true; return 0; }
        std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - pos_));
        for (std::size_t i = 0; i < k; ++i) buffer[i] = static_cast<std::uint8_t>((pos_ + i) / 5000 % 7);
        pos_ += k;
        *read_ += k;
        return k;
    }
    bool failed() const override { return failed_; }

private:
    std::uint64_t size_, pos_ = 0;
    std::uint64_t* read_;
    std::uint64_t failAt_;
    bool failed_ = false;
};

TEST(ArchiveWriter, SizeLimitsAndInputErrors) {
    struct Row {
        const char* name;
        std::uint64_t declared, actual, limit, failAt;
        bool nullOpen;
        lha::Error expected;
        bool opens;
    };
    const Row rows[] = {
        {"declared 4 GiB refused unread", 0x100000000ull, 10, 0xFFFFFFFFull, ~0ull, false, lha::Error::TooLarge, false},
        {"declared 5 GiB refused unread", 5ull << 30, 10, 0xFFFFFFFFull, ~0ull, false, lha::Error::TooLarge, false},
        {"grows past the limit while read", 1000, 300000, 200000, ~0ull, false, lha::Error::TooLarge, true},
        {"exactly at the limit", 1000, 200000, 200000, ~0ull, false, lha::Error::Ok, true},
        {"read error", 1000, 300000, 0xFFFFFFFFull, 70000, false, lha::Error::ReadFailed, true},
        {"cannot open", 1000, 10, 0xFFFFFFFFull, ~0ull, true, lha::Error::ReadFailed, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        lha::WriterOptions opt;
        opt.maxMemberSize = r.limit;
        opt.segmentSize = 64 << 10;
        lha::MemoryOutput out;
        lha::ArchiveWriter w(out, opt);
        lha::MemberInfo info;
        info.path = "dir/member.bin";
        info.originalSize = r.declared;
        std::uint64_t readCount = 0;
        int opens = 0;
        lha::Error e = w.addFile(info, [&]() -> std::unique_ptr<lha::InputStream> {
            ++opens;
            if (r.nullOpen) return nullptr;
            return std::make_unique<CountingInput>(r.actual, &readCount, r.failAt);
        });
        if (e == lha::Error::Ok) e = w.finish();
        EXPECT_EQ(r.expected, e);
        EXPECT_EQ(r.opens, opens > 0);
        if (r.expected != lha::Error::Ok) {
            EXPECT_EQ("dir/member.bin", w.errorPath());
            // The error sticks: nothing more is written.
            lha::MemberInfo next;
            next.path = "next";
            EXPECT_EQ(r.expected, w.addDirectory(next));
            EXPECT_EQ(r.expected, w.finish());
        } else {
            EXPECT_EQ("", w.errorPath());
            EXPECT_EQ(r.actual, readCount);
        }
    }
}

TEST(ArchiveWriter, ReadAheadStaysBoundedWhateverTheMemberSize) {
    for (unsigned threads : {1u, 2u}) {
        lha::WriterOptions opt;
        opt.segmentSize = 128 << 10;
        opt.maxSegmentsInFlight = 3;
        opt.threads = threads;
        lha::MemoryOutput out;
        lha::ArchiveWriter w(out, opt);
        std::uint64_t readCount = 0, maxAhead = 0, lastDone = 0;
        bool monotone = true;
        w.setProgress([&](const std::string& path, std::uint64_t done) {
            EXPECT_EQ("stream.bin", path);
            monotone = monotone && done >= lastDone;
            lastDone = done;
            maxAhead = std::max(maxAhead, readCount - done);
        });
        lha::MemberInfo info;
        info.path = "stream.bin";
        const std::uint64_t size = 6 << 20;
        ASSERT_EQ(lha::Error::Ok, w.addFile(info, [&]() -> std::unique_ptr<lha::InputStream> {
            return std::make_unique<CountingInput>(size, &readCount);
        }));
        ASSERT_EQ(lha::Error::Ok, w.finish());
        EXPECT_TRUE(monotone);
        EXPECT_EQ(size, lastDone);
        // In flight plus the one segment read ahead to find the member's end.
        EXPECT_LE(maxAhead, (opt.maxSegmentsInFlight + 2) * opt.segmentSize);
        EXPECT_GT(maxAhead, 0u);
    }
}

TEST(ArchiveWriter, RawCopiesReproduceTheSourceArchive) {
    lha::WriterOptions opt;
    opt.segmentSize = 100000;
    Bytes source;
    ASSERT_EQ(lha::Error::Ok, buildArchive(mixedEntries(), opt, source));
    const std::vector<Entry> entries = mixedEntries();
    lha::MemoryOutput out;
    lha::ArchiveWriter w(out, opt);
    std::size_t i = 0;
    for (const RawMember& m : walkArchive(source)) {
        lha::MemberInfo info;
        info.path = entries[i].path;
        info.method = m.method;
        info.compressedSize = m.compressedSize;
        info.originalSize = entries[i].data.size();
        info.crc = static_cast<std::uint16_t>(source[m.offset + 21] | source[m.offset + 22] << 8);
        info.unixTime = 1700000000;
        info.hasUnixTime = true;
        info.attributes = entries[i].dir ? lha::kAttrArchive | lha::kAttrDirectory : lha::kAttrArchive;
        lha::MemoryInput data(source.data() + m.offset + m.headerSize, m.compressedSize);
        ASSERT_EQ(lha::Error::Ok, w.addRaw(info, data)) << info.path;
        ++i;
    }
    ASSERT_EQ(lha::Error::Ok, w.finish());
    EXPECT_TRUE(out.bytes() == source);

    // A raw source shorter than its header claims.
    lha::MemoryOutput out2;
    lha::ArchiveWriter w2(out2, opt);
    lha::MemberInfo info;
    info.path = "short";
    info.compressedSize = 100;
    lha::MemoryInput shortData(source.data(), 50);
    EXPECT_EQ(lha::Error::Truncated, w2.addRaw(info, shortData));
}

// An output that accepts a fixed number of bytes.
class FullDisk final : public lha::SeekableOutput {
public:
    explicit FullDisk(std::size_t room) : room_(room) {}
    bool write(const std::uint8_t*, std::size_t n) override {
        if (pos_ + n > room_) return false;
        pos_ += n;
        end_ = std::max(end_, pos_);
        return true;
    }
    std::uint64_t position() const override { return pos_; }
    bool seek(std::uint64_t o) override { if (o > end_) return false; pos_ = o; return true; }

private:
    std::size_t room_, pos_ = 0, end_ = 0;
};

TEST(ArchiveWriter, WriteFailuresAreReported) {
    for (std::size_t room : {std::size_t{0}, std::size_t{10}, std::size_t{5000}, std::size_t{400000}}) {
        SCOPED_TRACE(room);
        FullDisk disk(room);
        lha::WriterOptions opt;
        opt.segmentSize = 64 << 10;
        lha::ArchiveWriter w(disk, opt);
        lha::Error e = lha::Error::Ok;
        for (const Entry& en : mixedEntries()) {
            lha::MemberInfo info;
            info.path = en.path;
            e = en.dir ? w.addDirectory(info) : w.addFile(info, opener(std::make_shared<Bytes>(en.data)));
            if (e != lha::Error::Ok) break;
        }
        if (e == lha::Error::Ok) e = w.finish();
        EXPECT_EQ(lha::Error::WriteFailed, e);
        EXPECT_FALSE(w.errorPath().empty() && room > 0);
    }
}

}  // namespace
