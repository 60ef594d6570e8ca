// Our listing against what the peer tools (7-Zip, lhasa) print for the same archives,
// our extraction against theirs, and a round trip through our own writer.
#include "reader_support.h"

#include "lha/reader.h"
#include "lha/writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include <unistd.h>

namespace readertest {
namespace {

struct PeerEntry {
    std::string path;
    std::uint64_t size = 0;
    std::string method;
    unsigned crc = 0;
};

bool plainAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Parses `7zz l -slt`: blocks of "Key = value" lines, one block per member after the archive's.
std::vector<PeerEntry> sevenZipListing(const std::string& archive) {
    std::vector<PeerEntry> out;
    std::istringstream in(runCommand("7zz l -slt '" + archive + "' 2>/dev/null"));
    std::string line;
    bool inMembers = false;
    PeerEntry cur;
    bool have = false;
    auto flush = [&] {
        if (have) out.push_back(cur);
        cur = {};
        have = false;
    };
    while (std::getline(in, line)) {
        if (line.rfind("----------", 0) == 0) {
            inMembers = true;
            continue;
        }
        if (!inMembers) continue;
        const std::size_t eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 3);
        if (key == "Path") {
            flush();
            cur.path = value;
            have = true;
        } else if (key == "Size") {
            cur.size = std::stoull(value);
        } else if (key == "CRC") {
            cur.crc = static_cast<unsigned>(std::stoul(value, nullptr, 16));
        } else if (key == "Method") {
            cur.method = value;
        }
    }
    flush();
    return out;
}

// Parses `jlha v`: the method token (-xxx-) is followed by the CRC, a three-part date and
// the name; the size is the token before the ratio, two before the method.
std::vector<PeerEntry> jlhaListing(const std::string& archive) {
    std::vector<PeerEntry> out;
    // By its own name: "lha" is whichever of jlha and lhasa was installed first, and lhasa
    // lower-cases an MS-DOS archive's capital names.
    std::istringstream in(runCommand("jlha v '" + archive + "' 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string t; words >> t;) w.push_back(t);
        std::size_t m = 0;
        while (m < w.size() && !(w[m].size() == 5 && w[m][0] == '-' && w[m][4] == '-')) ++m;
        if (m < 2 || m + 5 >= w.size()) continue;
        PeerEntry e;
        e.method = w[m];
        e.crc = static_cast<unsigned>(std::stoul(w[m + 1], nullptr, 16));
        e.size = std::stoull(w[m - 2]);
        for (std::size_t k = m + 5; k < w.size(); ++k) e.path += (k > m + 5 ? " " : "") + w[k];
        if (!e.path.empty() && e.path.back() == '/') e.path.pop_back();
        out.push_back(e);
    }
    return out;
}

void compareListing(const char* tool, const std::vector<PeerEntry>& peer, const ReadArchive& ours) {
    ASSERT_EQ(ours.members.size(), peer.size()) << tool;
    for (std::size_t i = 0; i < peer.size(); ++i) {
        const lha::MemberInfo& m = ours.members[i].info;
        SCOPED_TRACE(std::string(tool) + ": " + m.path);
        // The peers split Shift_JIS names at a 0x5C trail byte; we deliberately do not.
        if (plainAscii(m.path)) EXPECT_EQ(peer[i].path, m.path);
        EXPECT_EQ(peer[i].size, m.originalSize);
        EXPECT_EQ(peer[i].method, m.method);
        if (!m.isDirectory()) EXPECT_EQ(peer[i].crc, m.crc);
    }
}

TEST(PeerListing, SevenZipListsWhatWeList) {
    if (!haveTool("7zz")) GTEST_SKIP() << "7zz not installed";
    for (const std::string& archive : manifestArchives()) {
        SCOPED_TRACE(archive);
        compareListing("7zz", sevenZipListing(fixturePath(archive)), readAll(fixture(archive)));
    }
}

TEST(PeerListing, JlhaListsWhatWeList) {
    if (!haveTool("lha")) GTEST_SKIP() << "lha not installed";
    for (const std::string& archive : manifestArchives()) {
        SCOPED_TRACE(archive);
        compareListing("jlha", jlhaListing(fixturePath(archive)), readAll(fixture(archive)));
    }
}

TEST(PeerExtraction, LhacatExtractsWhatBsdtarExtracts) {
    if (!haveTool("bsdtar")) GTEST_SKIP() << "bsdtar not installed";
    for (const char* archive : {"jlha_lh5_l2.lzh", "jlha_lh7_l0.lzh", "jlha_lh0_l1.lzh", "jlha_lh6_l1.lzh"}) {
        SCOPED_TRACE(archive);
        const std::string base = "/tmp/qb_reader_interop_" + std::to_string(getpid());
        bool ok = false;
        runCommand("rm -rf " + base + " && mkdir -p " + base + "/peer " + base + "/ours", &ok);
        ASSERT_TRUE(ok);
        runCommand("bsdtar -xf '" + fixturePath(archive) + "' -C " + base + "/peer 2>&1", &ok);
        ASSERT_TRUE(ok);
        runCommand(std::string(QB_LHACAT) + " extract '" + fixturePath(archive) + "' " + base + "/ours 2>&1", &ok);
        ASSERT_TRUE(ok);
        runCommand("diff -r " + base + "/peer " + base + "/ours", &ok);
        EXPECT_TRUE(ok) << "trees differ";
        runCommand("rm -rf " + base);
    }
}

class MemoryOpen final : public lha::InputStream {
public:
    explicit MemoryOpen(Bytes data) : data_(std::move(data)), in_(data_.data(), data_.size()) {}
    std::size_t read(std::uint8_t* b, std::size_t n) override { return in_.read(b, n); }

private:
    Bytes data_;
    lha::MemoryInput in_;
};

TEST(WriterRoundTrip, OurWriterOutputReadsBack) {
    struct Row {
        const char* path;
        std::string content;  // file under content/
    };
    const Row rows[] = {{"a/hello.txt", "hello.txt"}, {"words.txt", "words.txt"},
                        {"noise.bin", "noise.bin"},   {"empty.txt", "empty.txt"},
                        {"letters.txt", "letters.txt"}};
    for (lha::Method method : {lha::Method::Lh5, lha::Method::Lh7}) {
        lha::MemoryOutput out;
        lha::WriterOptions options;
        options.method = method;
        options.threads = 1;
        lha::ArchiveWriter writer(out, options);
        for (const Row& r : rows) {
            lha::MemberInfo info;
            info.path = r.path;
            const Bytes data = fixture(std::string("content/") + r.content);
            ASSERT_EQ(lha::Error::Ok, writer.addFile(info, [data] { return std::make_unique<MemoryOpen>(data); }));
        }
        ASSERT_EQ(lha::Error::Ok, writer.finish());
        const ReadArchive got = readAll(out.bytes());
        EXPECT_EQ(lha::Error::Ok, got.error);
        ASSERT_EQ(std::size(rows), got.members.size());
        for (std::size_t i = 0; i < got.members.size(); ++i) {
            SCOPED_TRACE(rows[i].path);
            EXPECT_EQ(rows[i].path, got.members[i].info.path);
            EXPECT_EQ(lha::Error::Ok, got.members[i].extract);
            EXPECT_EQ(fixture(std::string("content/") + rows[i].content), got.members[i].data);
        }
    }
}

}  // namespace
}  // namespace readertest
