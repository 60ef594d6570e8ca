// The store reader against files the test writer lays down from the format's description, as
// written and damaged: every message comes back by its tree or, failing that, by the recovery
// scan; damage costs only what hangs below it and is reported; nothing loops or runs away.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "dbx/folders.h"
#include "dbx/message.h"
#include "dbx/recover.h"
#include "dbx/store_file.h"
#include "dbx_writer.h"

namespace {

using namespace dbxw;
using Fate = Message::Fate;

// A file on disk read with seeks, for images too large to hold (past 2 GiB, mostly holes).
class DiskSource final : public dbx::Source {
public:
    explicit DiskSource(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {
        if (f_ && fseeko(f_, 0, SEEK_END) == 0) size_ = static_cast<std::uint64_t>(ftello(f_));
    }
    ~DiskSource() override {
        if (f_) std::fclose(f_);
    }
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t at, void* b, std::size_t n) override {
        return f_ && at + n <= size_ && fseeko(f_, static_cast<off_t>(at), SEEK_SET) == 0 && std::fread(b, 1, n, f_) == n;
    }

private:
    std::FILE* f_;
    std::uint64_t size_ = 0;
};

// Message i: headers, then `size` bytes of body that tell where they are.
std::string Text(int i, std::size_t size) {
    std::string t = "From: s" + std::to_string(i) + "@example.org\r\nSubject: message " + std::to_string(i) + "\r\n\r\n";
    for (std::size_t n = 0; t.size() < size; ++n) t += "line " + std::to_string(n) + " of message " + std::to_string(i) + "\r\n";
    return t;
}

// What a freed message gives back: its blocks' text without their first four bytes.
std::string Freed(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += kBlockText)
        if (at + 4 < text.size()) out += text.substr(at + 4, std::min<std::size_t>(kBlockText, text.size() - at) - 4);
    return out;
}

struct Read {
    std::vector<std::pair<int, bool>> walked;     // message, read whole
    std::vector<std::pair<int, bool>> recovered;  // message, rebuilt from freed blocks
    std::vector<int> tails;                       // the rest of a message whose chain was cut
    std::size_t problems = 0;
    std::set<int> texts;                          // messages whose text came back exactly
};

// Reads every message by the trees, then scans for the rest; texts are matched to the writer's.
Read ReadAll(dbx::Source& src, const std::vector<Message>& in) {
    std::map<std::string, int> byText, byFreed;
    for (int i = 0; i < static_cast<int>(in.size()); ++i) {
        byText[in[static_cast<std::size_t>(i)].text] = i;
        byFreed[Freed(in[static_cast<std::size_t>(i)].text)] = i;
    }
    auto text = [&](std::uint32_t first, const dbx::Chain& c, bool freed) {
        dbx::ChainReader r(src, first, c, freed);
        std::string t(c.bytes, '\0');
        t.resize(r.read(reinterpret_cast<std::uint8_t*>(t.data()), t.size()));
        return t;
    };
    Read out;
    dbx::StoreFile file(src);
    EXPECT_TRUE(file.ok()) << file.error();
    dbx::Report report;
    std::vector<std::uint32_t> known;
    dbx::ForEachMessage(file, report, [&](const dbx::MessageInfo& info, std::uint64_t) {
        const dbx::Chain c = dbx::CheckChain(file.cache(), info.firstBlock);
        known.push_back(info.firstBlock);
        const std::string t = text(info.firstBlock, c, false);
        const int i = byText.count(t) ? byText[t] : -1;
        if (i >= 0) out.texts.insert(i);
        out.walked.push_back({i >= 0 ? i : static_cast<int>(info.index) - 1, c.whole});
        out.problems += !c.whole;
    });
    std::sort(known.begin(), known.end());
    dbx::ScanForMessages(file, known, [&](const dbx::Found& f) {
        const std::string t = text(f.first, f.chain, f.freed);
        auto& table = f.freed ? byFreed : byText;
        if (table.count(t)) return out.recovered.push_back({table[t], f.freed});
        for (const auto& [whole, i] : byText)
            if (whole.size() > t.size() && whole.ends_with(t)) return out.tails.push_back(i);
        out.recovered.push_back({-1, f.freed});
    }, report);
    out.problems += report.count();
    return out;
}

TEST(DbxReader, EveryMessageComesBackByItsTreeOrByTheScan) {
    struct Row {
        const char* name;
        int count, fanout;
        std::uint64_t shuffle = 0, middleAt = 0;
        std::function<void(int, Message&)> shape = {};                  // per message
        std::function<void(Image&, const Layout&)> damage = {};
        std::vector<int> cut = {};                                      // walked, not whole
        bool problems = false;
        bool lostByTree = false;  // some indexed messages come back only by the scan
    };
    const Row rows[] = {
        {"no messages", 0, kMaxFanout},
        {"one node", 20, kMaxFanout},
        {"four levels, blocks scattered", 300, 3, 7},
        {"long messages over many blocks", 12, 2, 5, 0, [](int i, Message& m) { m.text = Text(i, i % 3 ? 300 : 150000); }},
        {"watched messages come once", 30, 3, 0, 0, [](int i, Message& m) { m.watched = i % 3 == 0; }},
        {"lost and freed messages", 40, 3, 9, 0,
         [](int i, Message& m) { m.fate = i % 5 == 1 ? Fate::Deleted : i % 4 == 2 ? Fate::Unindexed : Fate::Indexed; }},
        {"objects past 2 GiB", 40, 2, 3, 0x80000100, [](int i, Message& m) { m.fate = i % 7 == 3 ? Fate::Deleted : Fate::Indexed; }},
        {"a bad node loses only its branch", 100, 3, 0, 0, {},
         [](Image& img, const Layout& l) { img.patch32(l.treeNodes[0][1], 0); }, {}, true, true},
        {"a child pointing back up", 60, 3, 0, 0, {},
         [](Image& img, const Layout& l) { img.patch32(l.treeNodes[0].back() + 0x18 + 4, static_cast<std::uint32_t>(l.treeNodes[0][0])); },
         {}, true},
        {"entry count past the node", 60, 3, 0, 0, {},
         [](Image& img, const Layout& l) { img.patch(l.treeNodes[0][0] + 0x11, "\xFF", 1); }, {}, true, true},
        {"a chain that loops", 5, kMaxFanout, 0, 0, [](int i, Message& m) { m.text = Text(i, 2000); },
         [](Image& img, const Layout& l) { img.patch32(l.blocks[0].back() + 12, static_cast<std::uint32_t>(l.blocks[0][1])); }, {0}, true},
        {"a chain that leaves the file", 5, kMaxFanout, 0, 0, [](int i, Message& m) { m.text = Text(i, 2000); },
         [](Image& img, const Layout& l) { img.patch32(l.blocks[2][1] + 12, 0xFFFFFFF0u); }, {2}, true},
        {"a message info not where the tree points", 10, kMaxFanout, 0, 0, {},
         [](Image& img, const Layout& l) { img.patch32(l.messageInfo[3], 4); }, {}, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        MessageFile in;
        in.folderName = "Inbox";
        in.fanout = r.fanout;
        in.shuffleSeed = r.shuffle;
        in.middleAt = r.middleAt;
        for (int i = 0; i < r.count; ++i) {
            Message m;
            m.text = Text(i, 200 + 37 * static_cast<std::size_t>(i % 50));
            if (r.shape) r.shape(i, m);
            in.messages.push_back(m);
        }
        Layout layout;
        Image img = WriteMessageFile(in, &layout);
        if (r.damage) r.damage(img, layout);
        Read got;
        if (r.middleAt) {
            const std::string path = ::testing::TempDir() + "dbx_past_2gib.dbx";
            ASSERT_TRUE(img.writeTo(path));
            DiskSource src(path);
            ASSERT_GT(src.size(), 0x80000000u);
            got = ReadAll(src, in.messages);
            std::remove(path.c_str());
        } else {
            const std::vector<std::uint8_t> bytes = img.bytes();
            dbx::MemorySource src(bytes.data(), bytes.size());
            got = ReadAll(src, in.messages);
        }
        EXPECT_EQ(r.problems, got.problems > 0);
        // What a cut chain lost is found by the scan, as the rest of that very message.
        for (int i : got.tails) EXPECT_TRUE(std::find(r.cut.begin(), r.cut.end(), i) != r.cut.end()) << "message " << i;
        // Each message once: indexed ones by the tree (or, below damage, the scan); lost ones
        // whole by the scan; freed ones by the scan, short of their blocks' first bytes.
        std::map<int, int> seen;
        for (auto [i, whole] : got.walked) {
            ++seen[i];
            const bool cut = std::find(r.cut.begin(), r.cut.end(), i) != r.cut.end();
            EXPECT_EQ(!cut, whole) << "message " << i;
            if (!cut) EXPECT_TRUE(got.texts.count(i)) << "message " << i;
        }
        for (auto [i, freed] : got.recovered) {
            ASSERT_GE(i, 0) << "the scan rebuilt something that is no message";
            ++seen[i];
            const Fate fate = in.messages[static_cast<std::size_t>(i)].fate;
            EXPECT_EQ(fate == Fate::Deleted, freed) << "message " << i;
            if (fate == Fate::Indexed) EXPECT_TRUE(r.lostByTree) << "message " << i << " came by the scan though its tree is whole";
        }
        for (int i = 0; i < r.count; ++i) EXPECT_EQ(1, seen[i]) << "message " << i;
    }
}

TEST(DbxReader, HostileHeadersAndShortFilesEndInReportsNotCrashes) {
    MessageFile in;
    for (int i = 0; i < 50; ++i) {
        Message m;
        m.text = Text(i, 900);
        in.messages.push_back(m);
    }
    in.fanout = 3;
    Layout layout;
    const std::vector<std::uint8_t> whole = WriteMessageFile(in, &layout).bytes();
    struct Row {
        const char* name;
        std::size_t keep;                  // bytes of the file kept
        std::uint32_t at, value;           // a word to overwrite (at 0: none)
        bool opens;
    };
    const Row rows[] = {
        {"header only", kHeaderSize, 0, 0, true},
        {"cut inside the header", 100, 0, 0, false},
        {"cut in the middle", whole.size() / 2, 0, 0, true},
        {"root past the end", whole.size(), kHdrTreeRoot, 0xFFFFFF00u, true},
        {"root inside the header", whole.size(), kHdrTreeRoot, 0x100, true},
        {"root not aligned", whole.size(), kHdrTreeRoot, static_cast<std::uint32_t>(layout.treeNodes[0][0] + 2), true},
        {"not a store file", whole.size(), 0, 0x12345678, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(r.keep));
        if (r.value) std::memcpy(&bytes[r.at], &r.value, 4);
        dbx::MemorySource src(bytes.data(), bytes.size());
        dbx::StoreFile file(src);
        EXPECT_EQ(r.opens, file.ok());
        dbx::Report report;
        std::uint64_t n = 0;
        dbx::ForEachMessage(file, report, [&](const dbx::MessageInfo& info, std::uint64_t) {
            ++n;
            dbx::CheckChain(file.cache(), info.firstBlock);
        });
        EXPECT_LE(n, 50u);
        dbx::ScanForMessages(file, {}, [](const dbx::Found&) {}, report);
    }
}

TEST(DbxReader, FolderListGivesCurrentNamesParentsAndFiles) {
    std::vector<Folder> folders = StandardFolders();
    auto add = [&](std::uint32_t id, std::uint32_t parent, const char* name, const char* file) {
        Folder f;
        f.id = id;
        f.parent = parent;
        f.name = name;
        f.file = file;
        folders.push_back(f);
    };
    add(7, 2, "Work", "Projects.dbx");                              // renamed: the file keeps the old name
    add(8, 7, "\x95\x5C\x8E\xA6", "\x95\x5C\x8E\xA6.dbx");  // 表示 in code page 932
    add(9, 1, "Entw\xFCrfe", "Entw\xFCrfe.dbx");
    const std::vector<std::uint8_t> bytes = WriteFoldersFile(folders, 2).bytes();
    dbx::MemorySource src(bytes.data(), bytes.size());
    dbx::StoreFile file(src);
    ASSERT_EQ(dbx::FileKind::Folders, file.kind());
    dbx::Report report;
    const std::vector<dbx::FolderInfo> got = dbx::ReadFolders(file, report);
    EXPECT_EQ(0u, report.count());
    ASSERT_EQ(folders.size(), got.size());
    std::map<std::uint32_t, const dbx::FolderInfo*> byId;
    for (const dbx::FolderInfo& f : got) byId[f.id] = &f;
    for (const Folder& want : folders) {
        ASSERT_TRUE(byId.count(want.id)) << want.name;
        const dbx::FolderInfo& f = *byId[want.id];
        EXPECT_EQ(want.parent, f.parent) << want.name;
        EXPECT_EQ(want.name, f.name);
        EXPECT_EQ(want.file, f.file);
        EXPECT_EQ(want.special, f.special) << want.name;
    }
}

}  // namespace
