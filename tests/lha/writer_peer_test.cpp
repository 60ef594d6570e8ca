// Archives our writer makes, checked by the peer tools (lhasa, bsdtar, 7-Zip): they must
// extract every member byte for byte and list the methods, times and attributes we stored.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <set>

#include "writer_test_util.h"

namespace {

using namespace wt;

// Periodic random data: the only matches are at exactly `period` bytes back.
Bytes periodic(std::size_t period, std::size_t copies, std::uint32_t seed) {
    Bytes unit = randomBytes(period, seed), b;
    for (std::size_t i = 0; i < copies; ++i) b.insert(b.end(), unit.begin(), unit.end());
    return b;
}

std::vector<Entry> sampleTree(std::size_t bigSize) {
    std::vector<Entry> e;
    e.push_back({"empty", {}});
    e.push_back({"one byte", {'x'}});
    e.push_back({"empty folder", {}, true});
    e.push_back({"sub dir", {}, true});
    e.push_back({"sub dir/eight k minus one.txt", textBytes(8191, 1)});
    e.push_back({"sub dir/8192.txt", textBytes(8192, 2)});
    e.push_back({"sub dir/deep er", {}, true});
    e.push_back({"sub dir/deep er/64 KiB.txt", textBytes(65536, 3)});
    e.push_back({"big text.log", textBytes(bigSize, 4)});
    e.push_back({"random.bin", randomBytes(300000, 5)});
    e.push_back({"tiny random.bin", randomBytes(100, 6)});
    e.push_back({"edge 8 KiB.bin", periodic(8192, 5, 7)});
    e.push_back({"edge 64 KiB.bin", periodic(65536, 3, 8)});
    e.push_back({"runs.bin", Bytes(200000, 0)});
    e.push_back({std::string(180, 'L') + " long name.txt", textBytes(5000, 9)});
    return e;
}

struct Peer {
    const char* name;
    std::string (*command)(const fs::path& archive, const fs::path& dir);
};

const Peer kPeers[] = {
    {"lhasa", [](const fs::path& a, const fs::path& d) { return "cd " + quote(d) + " && lha xq " + quote(a); }},
    {"bsdtar", [](const fs::path& a, const fs::path& d) { return "bsdtar -xf " + quote(a) + " -C " + quote(d); }},
    {"7zz", [](const fs::path& a, const fs::path& d) { return "7zz x -y -o" + quote(d) + " " + quote(a); }},
};

// Every entry extracted with identical bytes, every folder present, nothing else.
void expectTree(const fs::path& dir, const std::vector<Entry>& entries) {
    std::set<std::string> expected;
    for (const Entry& e : entries) {
        expected.insert(e.path);
        fs::path p = dir / e.path;
        if (e.dir) {
            EXPECT_TRUE(fs::is_directory(p)) << e.path;
        } else {
            ASSERT_TRUE(fs::is_regular_file(p)) << e.path;
            EXPECT_TRUE(readFile(p) == e.data) << e.path << " differs";
        }
    }
    for (const auto& f : fs::recursive_directory_iterator(dir))
        EXPECT_TRUE(expected.count(fs::relative(f.path(), dir).generic_string())) << "extra " << f.path();
}

struct Mode {
    lha::Method method;
    lha::Level level;
    const char* name;
    std::size_t bigSize;  // the largest member; several MiB once, smaller for the other modes
};

class PeerExtract : public ::testing::TestWithParam<Mode> {};

TEST_P(PeerExtract, EveryPeerExtractsEveryMemberIdentically) {
    const std::vector<Entry> entries = sampleTree(GetParam().bigSize);
    lha::WriterOptions opt;
    opt.method = GetParam().method;
    opt.level = GetParam().level;
    opt.threads = 2;
    opt.segmentSize = 256 << 10;  // several segments in the large members
    Bytes archive;
    ASSERT_EQ(lha::Error::Ok, buildArchive(entries, opt, archive));
    TempDir tmp("peer");
    const fs::path arc = tmp.path() / "sample.lzh";
    writeFile(arc, archive);
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        const fs::path out = tmp.path() / peer.name;
        fs::create_directories(out);
        std::string log;
        ASSERT_EQ(0, run(peer.command(arc, out), &log)) << log;
        expectTree(out, entries);
    }
    // lhasa's own integrity test decodes every member and checks its CRC.
    std::string log;
    EXPECT_EQ(0, run("lha t " + quote(arc), &log)) << log;
}

INSTANTIATE_TEST_SUITE_P(Modes, PeerExtract,
                         ::testing::Values(Mode{lha::Method::Lh5, lha::Level::Normal, "lh5", 3 << 20},
                                           Mode{lha::Method::Lh7, lha::Level::Normal, "lh7", 600000},
                                           Mode{lha::Method::Lh5, lha::Level::Max, "lh5_max", 600000},
                                           Mode{lha::Method::Lh6, lha::Level::Max, "lh6_max", 600000}),
                         [](const auto& info) { return std::string(info.param.name); });

// The method column of lhasa's verbose listing, per member path.
std::map<std::string, std::string> lhasaMethods(const fs::path& arc) {
    std::string text;
    EXPECT_EQ(0, run("lha v " + quote(arc), &text));
    std::map<std::string, std::string> r;
    std::size_t pos = 0;
    while ((pos = text.find("-lh", pos)) != std::string::npos) {
        std::string method = text.substr(pos, 5);
        std::size_t eol = text.find('\n', pos);
        // NAME is the last column; the stamp before it holds exactly two blanks-separated fields.
        std::string line = text.substr(pos, eol - pos);
        std::size_t nameAt = line.find("  2", 0);
        std::string name = line.substr(line.find(' ', nameAt + 2) + 1);
        while (!name.empty() && name.back() == '/') name.pop_back();
        r[name] = method;
        pos = eol;
    }
    return r;
}

TEST(PeerListing, LhasaShowsTheMethodChosenForEachMember) {
    struct Row { Entry entry; const char* expected5; const char* expected7; };
    const Row rows[] = {
        {{"text.txt", textBytes(40000, 11)}, "-lh5-", "-lh7-"},
        {{"noise.bin", randomBytes(40000, 13)}, "-lh0-", "-lh0-"},
        {{"tiny.txt", {'a', 'b'}}, "-lh0-", "-lh0-"},
        {{"empty.txt", {}}, "-lh0-", "-lh0-"},
        {{"folder", {}, true}, "-lhd-", "-lhd-"},
    };
    std::vector<Entry> entries;
    for (const Row& row : rows) entries.push_back(row.entry);
    for (lha::Method method : {lha::Method::Lh5, lha::Method::Lh7}) {
        lha::WriterOptions opt;
        opt.method = method;
        Bytes archive;
        ASSERT_EQ(lha::Error::Ok, buildArchive(entries, opt, archive));
        TempDir tmp("list");
        writeFile(tmp.path() / "a.lzh", archive);
        auto methods = lhasaMethods(tmp.path() / "a.lzh");
        for (const Row& row : rows)
            EXPECT_EQ(method == lha::Method::Lh5 ? row.expected5 : row.expected7, methods[row.entry.path]) << row.entry.path;
    }
}

TEST(PeerListing, TimesAndReadOnlyAttributeReachThePeers) {
    struct Row { std::int64_t mtime; std::uint8_t attributes; const char* sevenZipTime; bool readOnly; };
    const Row rows[] = {
        {1700000000, lha::kAttrArchive, "2023-11-14 22:13:20", false},
        {946684800, lha::kAttrArchive | lha::kAttrReadOnly, "2000-01-01 00:00:00", true},
        {1234567890, 0, "2009-02-13 23:31:30", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sevenZipTime);
        lha::MemoryOutput out;
        lha::ArchiveWriter w(out);
        lha::MemberInfo info;
        info.path = "stamped.txt";
        info.unixTime = row.mtime;
        info.hasUnixTime = true;
        info.attributes = row.attributes;
        ASSERT_EQ(lha::Error::Ok, w.addFile(info, opener(std::make_shared<Bytes>(textBytes(3000, 21)))));
        ASSERT_EQ(lha::Error::Ok, w.finish());
        TempDir tmp("attr");
        const fs::path arc = tmp.path() / "a.lzh";
        writeFile(arc, out.bytes());

        std::string listing;
        ASSERT_EQ(0, run("TZ=UTC 7zz l -slt " + quote(arc), &listing));
        EXPECT_NE(std::string::npos, listing.find(std::string("Modified = ") + row.sevenZipTime)) << listing;

        ASSERT_EQ(0, run("bsdtar -xf " + quote(arc) + " -C " + quote(tmp.path())));
        struct stat st {};
        ASSERT_EQ(0, ::stat((tmp.path() / "stamped.txt").c_str(), &st));
        EXPECT_EQ(row.mtime, static_cast<std::int64_t>(st.st_mtime));

        ASSERT_EQ(0, run("TZ=UTC bsdtar -tvf " + quote(arc), &listing));
        EXPECT_EQ(row.readOnly, listing.rfind("-r--r--r--", 0) == 0) << listing;
    }
}

}  // namespace
