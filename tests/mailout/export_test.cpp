// The export end to end on stores the test writer makes: the folder tree under its own names
// (whatever code page, however hostile), every message byte for byte, the same mail from every
// form of source, and nothing overwritten, half-written or written outside the output folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <sys/stat.h>

#include "mailout/export.h"
#include "store_maker.h"

namespace {

using namespace storemaker;
using mailout::Format;

TestFolder Folder(std::uint32_t id, std::uint32_t parent, std::string name, std::string file, int count, std::uint32_t special = 0) {
    TestFolder f;
    f.id = id;
    f.parent = parent;
    f.name = std::move(name);
    f.file = std::move(file);
    f.special = special;
    for (int i = 0; i < count; ++i) f.messages.push_back(Mail("m" + std::to_string(id), i + 100 * static_cast<int>(id)));
    return f;
}

mailout::ExportSummary ExportTo(const std::string& source, const std::string& out, Format format = Format::Eml, bool recover = false,
                           const std::atomic<bool>* cancel = nullptr, std::function<void(const mailout::Progress&)> progress = {}) {
    mailout::ExportOptions o;
    o.source = source;
    o.outDir = out;
    o.format = format;
    o.recover = recover;
    o.cancel = cancel;
    o.progress = std::move(progress);
    return mailout::Export(o);
}

// Folder path -> the texts of the .eml files in it, sorted.
std::map<std::string, std::multiset<std::string>> EmlByFolder(const std::string& out) {
    std::map<std::string, std::multiset<std::string>> by;
    for (const auto& [path, text] : Files(out)) {
        const std::size_t slash = path.rfind('/');
        EXPECT_TRUE(path.ends_with(".eml")) << path;
        by[slash == std::string::npos ? "" : path.substr(0, slash)].insert(text);
    }
    return by;
}

TEST(MailExport, FolderTreeAndMessagesComeOutAsStored) {
    struct Row {
        const char* name;
        unsigned codePage;
        std::vector<TestFolder> folders;
        std::map<std::string, std::uint32_t> expected;  // output folder -> folder id
    };
    TestFolder renamed = Folder(7, 2, "Work", "Projects.dbx", 3);
    renamed.initialName = "Projects";
    const std::vector<Row> rows = {
        {"Western names, a renamed folder, three levels", 1252,
         {Folder(2, 1, "Inbox", "Inbox.dbx", 4, 1), renamed, Folder(8, 7, "2001", "2001.dbx", 2),
          Folder(4, 1, "Sent Items", "Sent Items.dbx", 2, 3), Folder(9, 1, "Entw\xFCrfe", "Entw\xFCrfe.dbx", 1)},
         {{"Inbox", 2}, {"Inbox/Work", 7}, {"Inbox/Work/2001", 8}, {"Sent Items", 4}, {"Entwürfe", 9}}},
        // 表 is 95 5C: its trail byte is a backslash to anything that reads bytes.
        {"Japanese names in code page 932", 932,
         {Folder(2, 1, "\x8E\xF3\x90\x4D\x83\x67\x83\x8C\x83\x43", "Inbox.dbx", 2, 1),
          Folder(5, 2, "\x95\x5C\x8C\x76\x8E\x5A", "\x95\x5C\x8C\x76\x8E\x5A.dbx", 3)},
         {{"受信トレイ", 2}, {"受信トレイ/表計算", 5}}},
        {"names no Windows file may have, and names that clash", 1252,
         {Folder(2, 1, "..\\x", "a.dbx", 1), Folder(3, 1, "CON", "b.dbx", 1), Folder(4, 1, "a:b", "c.dbx", 1),
          Folder(5, 1, "..", "d.dbx", 1), Folder(6, 1, "Inbox", "e.dbx", 1), Folder(7, 1, "INBOX", "f.dbx", 1),
          Folder(8, 1, "nul.txt", "g.dbx", 1), Folder(9, 1, " Trailing. ", "h.dbx", 1), Folder(10, 1, "", "i.dbx", 1)},
         {{".._x", 2}, {"CON_", 3}, {"a_b", 4}, {"__", 5}, {"Inbox", 6}, {"INBOX (2)", 7}, {"nul_.txt", 8}, {"Trailing_", 9},
          {"Folder", 10}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string store = FreshDir("store"), out = FreshDir("out") + "/mail";
        WriteStore(store, r.folders, r.codePage);
        const mailout::ExportSummary s = ExportTo(store, out);
        EXPECT_EQ(0, s.status) << (s.problems.empty() ? "" : s.problems.front());
        EXPECT_EQ(r.codePage, s.codePage);
        std::map<std::string, std::multiset<std::string>> want;
        for (const auto& [path, id] : r.expected)
            for (const TestFolder& f : r.folders)
                if (f.id == id)
                    for (const dbxw::Message& m : f.messages) want[path].insert(m.text);
        EXPECT_EQ(want, EmlByFolder(out));
        // Nothing beside the output folder: "..\x" and friends stayed inside.
        EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(std::filesystem::path(out).parent_path()), {}));
    }
}

TEST(MailExport, AMessageFileIsNamedAndDatedByItsHeader) {
    const std::string store = FreshDir("store"), out = FreshDir("out");
    TestFolder inbox = Folder(2, 1, "Inbox", "Inbox.dbx", 0, 1);
    dbxw::Message m = Mail("x", 0);
    m.text = "Subject: =?ISO-2022-JP?B?GyRCMnE1RCROJCpDTiRpJDsbKEI=?= a/b\r\nDate: Mon, 8 Jan 2001 09:30:00 +0900\r\n\r\nHi\r\n";
    inbox.messages = {m, Mail("x", 1), m};
    inbox.messages[1].text = "From: nobody\r\n\r\nno date, no subject\r\n";  // the info's time stands in
    inbox.messages[2].text = "Subject: =?x-unknown?B?QUJD?=\r\nDate: Mon, 8 Jan 2001 09:30:00 +0900\r\n\r\nHi\r\n";
    WriteStore(store, {inbox});
    ExportTo(store, out);
    const auto files = Files(out);
    ASSERT_EQ(3u, files.size());
    const std::string first = "Inbox/00001 2001-01-08 会議のお知らせ a_b.eml";
    ASSERT_TRUE(files.count(first)) << files.begin()->first;
    struct stat st;
    ASSERT_EQ(0, ::stat((out + "/" + first).c_str(), &st));
    EXPECT_EQ(978913800, st.st_mtime);
    EXPECT_TRUE(files.count("Inbox/00002 2001-01-02.eml")) << std::next(files.begin())->first;
    EXPECT_TRUE(files.count("Inbox/00003 2001-01-08.eml")) << "a subject that does not decode is left out of the name";
}

// Messages back out of an mbox the way mboxrd readers take them: split at "From " lines,
// one '>' taken off every ">+From " line.
std::vector<std::string> ReadMbox(const std::string& mbox) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < mbox.size()) {
        EXPECT_EQ(0u, mbox.compare(at, 5, "From ")) << "no From line at " << at;
        at = mbox.find("\r\n", at) + 2;
        std::string msg;
        for (;;) {
            std::size_t end = mbox.find("\r\n", at);
            end = end == std::string::npos ? mbox.size() : end + 2;
            std::string line = mbox.substr(at, end - at);
            if (line.starts_with("From ")) break;
            const std::size_t gts = line.find_first_not_of('>');
            if (gts > 0 && gts != std::string::npos && line.compare(gts, 5, "From ") == 0) line.erase(0, 1);
            msg += line;
            at = end;
            if (at >= mbox.size()) break;
        }
        EXPECT_TRUE(msg.ends_with("\r\n\r\n"));
        msg.resize(msg.size() - 2);  // the blank line between messages
        out.push_back(msg);
    }
    return out;
}

TEST(MailExport, ThunderbirdFoldersHoldEveryMessageWhole) {
    const std::string store = FreshDir("store"), out = FreshDir("out");
    TestFolder inbox = Folder(2, 1, "Inbox", "Inbox.dbx", 3, 1);
    inbox.messages[0].text += "From the start of a line\r\n>From quoted once\r\n>>From twice\r\nFrom\r\n";
    inbox.messages[1].text += std::string(5000, 'x') + "\r\nFrom here\r\n";  // past a piece boundary
    const std::vector<TestFolder> folders = {inbox, Folder(3, 2, "Projects", "Projects.dbx", 2), Folder(4, 3, "2001", "2001.dbx", 1),
                                             Folder(5, 1, "Sent Items", "Sent.dbx", 2, 3), Folder(6, 1, "Empty", "", 0)};
    WriteStore(store, folders);
    EXPECT_EQ(0, ExportTo(store, out, Format::Mbox).status);
    const auto files = Files(out);
    const std::map<std::string, std::uint32_t> layout = {
        {"Inbox", 2}, {"Inbox.sbd/Projects", 3}, {"Inbox.sbd/Projects.sbd/2001", 4}, {"Sent Items", 5}, {"Empty", 6}};
    EXPECT_EQ(layout.size(), files.size());
    for (const auto& [path, id] : layout) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(files.count(path));
        std::vector<std::string> want;
        for (const TestFolder& f : folders)
            if (f.id == id)
                for (const dbxw::Message& m : f.messages) want.push_back(m.text);
        EXPECT_EQ(want, ReadMbox(files.at(path)));
    }
}

TEST(MailExport, EveryFormOfSourceGivesTheSameMail) {
    const std::string base = FreshDir("forms");
    const std::string store = base + "/store", backup = base + "/backup";
    WriteStore(store, {Folder(2, 1, "Inbox", "Inbox.dbx", 3, 1), Folder(3, 2, "Sub", "Sub.dbx", 2)});
    WriteBackup(store, backup);
    const auto fromFolder = (ExportTo(store, base + "/a"), Files(base + "/a"));
    ASSERT_EQ(5u, fromFolder.size());
    struct Row {
        std::string source;
        int status;
        std::size_t files;  // 0: the same files as from the store folder
    };
    const Row rows[] = {
        {backup, 0, 0},
        {backup + "/OL.lzh", 0, 0},
        {store + "/Folders.dbx", 0, 0},
        {store + "/Sub.dbx", 0, 2},
        {base + "/nothing", 2, 0},
        {backup + "/OLdate.bkd", 2, 0},
    };
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.source);
        const std::string out = base + "/out" + std::to_string(n++);
        const mailout::ExportSummary s = ExportTo(r.source, out);
        EXPECT_EQ(r.status, s.status) << (s.problems.empty() ? "" : s.problems.front());
        if (r.status == 2) {
            EXPECT_FALSE(std::filesystem::exists(out)) << "a bad source made its output folder";
        } else if (r.files) {
            EXPECT_EQ(r.files, Files(out).size());
        } else {
            EXPECT_EQ(fromFolder, Files(out));
        }
    }
    std::filesystem::remove(backup + "/OL.lzh");
    EXPECT_EQ(1, ExportTo(backup, base + "/none").status);
}

TEST(MailExport, ASecondExportGoesBesideTheFirstAndOverwritesNothing) {
    for (Format format : {Format::Eml, Format::Mbox}) {
        const std::string store = FreshDir("store"), out = FreshDir("out");
        WriteStore(store, {Folder(2, 1, "Inbox", "Inbox.dbx", 3, 1), Folder(3, 2, "Sub", "Sub.dbx", 2)});
        ExportTo(store, out, format);
        const auto first = Files(out);
        EXPECT_EQ(0, ExportTo(store, out, format).status);
        const auto both = Files(out);
        EXPECT_EQ(first.size() * 2, both.size());
        for (const auto& [path, text] : first) EXPECT_EQ(text, both.at(path)) << path;
        EXPECT_TRUE(both.count(format == Format::Eml ? "Inbox (2)/Sub/00001 2001-10-28 m3 mail 300.eml" : "Inbox (2).sbd/Sub"));
    }
}

TEST(MailExport, AStoppedExportLeavesNoHalfWrittenMessage) {
    const std::string store = FreshDir("store"), out = FreshDir("out");
    TestFolder inbox = Folder(2, 1, "Inbox", "Inbox.dbx", 0, 1);
    for (int i = 0; i < 300; ++i) inbox.messages.push_back(Mail("big", i, 400));
    WriteStore(store, {inbox});
    std::set<std::string> texts;
    for (const dbxw::Message& m : inbox.messages) texts.insert(m.text);
    for (Format format : {Format::Eml, Format::Mbox}) {
        std::atomic<bool> stop{false};
        const std::string to = out + (format == Format::Eml ? "/eml" : "/mbox");
        const mailout::ExportSummary s = ExportTo(store, to, format, false, &stop, [&](const mailout::Progress& p) {
            if (p.done >= 70) stop = true;
        });
        EXPECT_TRUE(s.stopped);
        EXPECT_LT(s.messages, 300u);
        std::vector<std::string> got;
        for (const auto& [path, text] : Files(to)) {
            if (format == Format::Mbox) got = ReadMbox(text);
            else got.push_back(text);
        }
        EXPECT_EQ(s.messages, got.size());
        for (const std::string& t : got) EXPECT_TRUE(texts.count(t)) << "a message written in part";
    }
}

TEST(MailExport, AMessageWhoseBodyStayedOnTheServerIsCountedNotBlamed) {
    struct Row {
        std::uint32_t flags;
        int status;
        std::size_t listedOnly, unreadable;
    };
    const Row rows[] = {
        {dbxw::kFlagRead, 0, 1, 0},                            // headers only: never downloaded
        {dbxw::kFlagRead | dbxw::kFlagDownloaded, 1, 0, 1},    // downloaded, yet no text: lost
    };
    for (const Row& r : rows) {
        const std::string store = FreshDir("store"), out = FreshDir("out");
        TestFolder inbox = Folder(2, 1, "Inbox", "Inbox.dbx", 2, 1);
        dbxw::Message empty;
        empty.flags = r.flags;
        inbox.messages.push_back(empty);
        WriteStore(store, {inbox});
        const mailout::ExportSummary s = ExportTo(store, out);
        EXPECT_EQ(r.status, s.status);
        EXPECT_EQ(2u, s.messages);
        EXPECT_EQ(r.listedOnly, s.listedOnly);
        EXPECT_EQ(r.unreadable, s.unreadable);
    }
}

TEST(MailExport, RecoveryFindsWhatTheTreeLost) {
    using Fate = dbxw::Message::Fate;
    const std::string store = FreshDir("store"), out = FreshDir("out");
    TestFolder inbox = Folder(2, 1, "Inbox", "Inbox.dbx", 12, 1);
    inbox.messages[3].fate = Fate::Unindexed;
    inbox.messages[5].fate = Fate::Deleted;
    inbox.messages[8].fate = Fate::Unindexed;
    WriteStore(store, {inbox});
    const mailout::ExportSummary plain = ExportTo(store, out + "/plain");
    EXPECT_EQ(9u, plain.messages);
    EXPECT_EQ(0, plain.status);
    const mailout::ExportSummary s = ExportTo(store, out + "/recovered", Format::Eml, true);
    EXPECT_EQ(9u, s.messages);
    EXPECT_EQ(3u, s.recovered);
    EXPECT_EQ(1u, s.incomplete);
    EXPECT_EQ(1, s.status);  // the freed message is incomplete
    const auto by = EmlByFolder(out + "/recovered");
    ASSERT_TRUE(by.count("Inbox/Recovered"));
    const std::multiset<std::string>& rec = by.at("Inbox/Recovered");
    EXPECT_EQ(3u, rec.size());
    EXPECT_TRUE(rec.count(inbox.messages[3].text));
    EXPECT_TRUE(rec.count(inbox.messages[8].text));
    std::size_t incomplete = 0;
    for (const auto& [path, text] : Files(out + "/recovered")) incomplete += path.find("(incomplete)") != std::string::npos;
    EXPECT_EQ(1u, incomplete);
}

}  // namespace
