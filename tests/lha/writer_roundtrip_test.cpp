// Archives from our writer read back through the library's ArchiveReader: headers report what
// was written, every member decodes to its bytes, and raw copies rebuild the same archive.
#include <gtest/gtest.h>

#include "lha/reader.h"
#include "writer_test_util.h"

namespace {

using namespace wt;

class VectorOutput final : public lha::OutputStream {
public:
    bool write(const std::uint8_t* d, std::size_t n) override {
        bytes.insert(bytes.end(), d, d + n);
        return true;
    }
    Bytes bytes;
};

std::vector<Entry> entries() {
    return {
        {"a.txt", textBytes(30000, 1)},
        {"dir", {}, true},
        {"dir/nested dir", {}, true},
        {"dir/nested dir/b.log", textBytes(500000, 2)},
        {"dir/noise.bin", randomBytes(90000, 3)},
        {"zero", {}},
        {"one", {'1'}},
        {"zeros.bin", Bytes(300000, 0)},
        {"period 64k.bin", [] { Bytes u = randomBytes(65536, 4), b; for (int i = 0; i < 3; ++i) b.insert(b.end(), u.begin(), u.end()); return b; }()},
    };
}

TEST(WriterRoundTrip, ReaderSeesHeadersAndDataAsWritten) {
    struct Row { lha::Method method; lha::Level level; std::size_t segment; const char* method5; };
    const Row rows[] = {
        {lha::Method::Lh5, lha::Level::Normal, 1 << 20, "-lh5-"},
        {lha::Method::Lh5, lha::Level::Normal, 50000, "-lh5-"},
        {lha::Method::Lh6, lha::Level::Normal, 100000, "-lh6-"},
        {lha::Method::Lh7, lha::Level::Normal, 70000, "-lh7-"},
        {lha::Method::Lh5, lha::Level::Max, 60000, "-lh5-"},
        {lha::Method::Lh7, lha::Level::Max, 1 << 20, "-lh7-"},
    };
    const std::vector<Entry> es = entries();
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.method5) + " segment " + std::to_string(r.segment));
        lha::WriterOptions opt;
        opt.method = r.method;
        opt.level = r.level;
        opt.segmentSize = r.segment;
        opt.threads = 2;
        Bytes archive;
        ASSERT_EQ(lha::Error::Ok, buildArchive(es, opt, archive, 1650000000));
        lha::MemoryInput in(archive.data(), archive.size());
        lha::ArchiveReader reader(in);
        for (const Entry& e : es) {
            SCOPED_TRACE(e.path);
            lha::MemberInfo info;
            ASSERT_EQ(lha::Error::Ok, reader.next(info));
            ASSERT_FALSE(reader.atEnd());
            EXPECT_EQ(e.path, info.path);
            EXPECT_EQ(2, info.headerLevel);
            EXPECT_EQ(e.dir, info.isDirectory());
            EXPECT_EQ(1650000000, info.unixTime);
            EXPECT_EQ(e.data.size(), info.originalSize);
            if (!e.dir) {
                // Stored exactly when compression would not shrink the data.
                const bool stored = info.method == "-lh0-";
                EXPECT_TRUE(stored || info.method == r.method5) << info.method;
                EXPECT_EQ(stored, info.compressedSize == info.originalSize);
                EXPECT_LE(info.compressedSize, info.originalSize);
            }
            VectorOutput out;
            ASSERT_EQ(lha::Error::Ok, reader.extract(out));
            EXPECT_TRUE(out.bytes == e.data);
        }
        lha::MemberInfo info;
        ASSERT_EQ(lha::Error::Ok, reader.next(info));
        EXPECT_TRUE(reader.atEnd());
        EXPECT_EQ(archive.size(), reader.position());
    }
}

TEST(WriterRoundTrip, RawCopiesThroughTheReaderRebuildTheArchive) {
    lha::WriterOptions opt;
    opt.segmentSize = 80000;
    Bytes source;
    ASSERT_EQ(lha::Error::Ok, buildArchive(entries(), opt, source));
    const std::vector<Entry> es = entries();
    // Keep every other member, as the DLL does when deleting from an archive; once through a
    // buffered copy and once streamed straight from the reader.
    for (bool streamed : {false, true}) {
        SCOPED_TRACE(streamed ? "streamed" : "buffered");
        lha::MemoryInput in(source.data(), source.size());
        lha::ArchiveReader reader(in);
        lha::MemoryOutput out;
        lha::ArchiveWriter w(out, opt);
        std::vector<Entry> kept;
        for (std::size_t i = 0;; ++i) {
            lha::MemberInfo info;
            ASSERT_EQ(lha::Error::Ok, reader.next(info));
            if (reader.atEnd()) break;
            if (i % 2) continue;
            if (streamed) {
                ASSERT_EQ(lha::Error::Ok, w.addRaw(info, [&](lha::OutputStream& o) { return reader.copyRaw(o); }));
            } else {
                VectorOutput raw;
                ASSERT_EQ(lha::Error::Ok, reader.copyRaw(raw));
                lha::MemoryInput rawIn(raw.bytes.data(), raw.bytes.size());
                ASSERT_EQ(lha::Error::Ok, w.addRaw(info, rawIn));
            }
            kept.push_back(es[i]);
        }
        ASSERT_EQ(lha::Error::Ok, w.finish());
        Bytes expected;
        ASSERT_EQ(lha::Error::Ok, buildArchive(kept, opt, expected));
        EXPECT_TRUE(out.bytes() == expected);
    }
}

TEST(WriterRoundTrip, StreamedRawCopyReportsShortAndFailedCopies) {
    struct Row { const char* name; std::size_t written; lha::Error copyResult; lha::Error expected; };
    const Row rows[] = {
        {"exact", 100, lha::Error::Ok, lha::Error::Ok},
        {"short", 60, lha::Error::Ok, lha::Error::Truncated},
        {"long", 140, lha::Error::Ok, lha::Error::Truncated},
        {"source corrupt", 100, lha::Error::Corrupt, lha::Error::Corrupt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        lha::MemoryOutput out;
        lha::ArchiveWriter w(out);
        lha::MemberInfo info;
        info.path = "raw.bin";
        info.method = "-lh5-";
        info.compressedSize = 100;
        info.originalSize = 300;
        const Bytes payload = randomBytes(r.written, 9);
        lha::Error e = w.addRaw(info, [&](lha::OutputStream& o) {
            return o.write(payload.data(), payload.size()) ? r.copyResult : lha::Error::WriteFailed;
        });
        EXPECT_EQ(r.expected, e);
        EXPECT_EQ(r.expected, w.finish());
        if (r.expected == lha::Error::Ok) EXPECT_EQ(walkArchive(out.bytes()).at(0).compressedSize, 100u);
    }
}

}  // namespace
