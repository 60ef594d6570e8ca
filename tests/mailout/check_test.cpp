// qbmail's list and verify on backups the tests make, whole and damaged: what a backup holds
// (never a password), and every fault of a backup named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mailout/book_export.h"
#include "mailout/listing.h"
#include "sample_book.h"
#include "mailout/verify.h"
#include "store_maker.h"

namespace {

using namespace storemaker;

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

TestFolder Folder(std::uint32_t id, std::uint32_t parent, std::string name, std::string file, int count) {
    TestFolder f;
    f.id = id;
    f.parent = parent;
    f.name = std::move(name);
    f.file = std::move(file);
    for (int i = 0; i < count; ++i) f.messages.push_back(Mail(f.name, i));
    return f;
}

TEST(MailList, ABackupsFactsAccountsAndFoldersButNoPassword) {
    const std::string base = FreshDir("list");
    WriteStore(base + "/store", {Folder(2, 1, "Inbox", "Inbox.dbx", 3), Folder(3, 2, "Sub", "Sub.dbx", 2)});
    WriteBackup(base + "/store", base + "/backup");
    const mailout::Listing l = mailout::List(base + "/backup", 0, nullptr, {});
    EXPECT_EQ(0, l.status) << Joined(l.problems);
    ASSERT_TRUE(l.backup.has_value());
    EXPECT_EQ("Main Identity", l.backup->identityName);
    EXPECT_EQ("12/7/2026", l.backup->date);
    ASSERT_EQ(1u, l.accounts.size());
    EXPECT_EQ("mail.example.jp", l.accounts[0].name);
    EXPECT_EQ("pop.example.jp", l.accounts[0].incoming);
    EXPECT_EQ("taro", l.accounts[0].user);
    ASSERT_EQ(2u, l.folders.size());
    EXPECT_EQ(3u, l.folders[0].messages);
    EXPECT_EQ(1, l.folders[1].depth);
    EXPECT_EQ(5u, l.messages);
}

TEST(MailVerify, EveryFaultOfABackupIsNamed) {
    struct Row {
        const char* name;
        std::function<void(const std::string& backup, const std::string& store)> harm;
        const char* problem;  // a word of the problem expected; null: none
        bool against = false;
    };
    const Row rows[] = {
        {"a whole backup", {}, nullptr},
        {"a whole backup against its store", {}, nullptr, true},
        {"a damaged member",
         [](const std::string& b, const std::string&) {
             std::fstream f(b + "/OL.lzh", std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(static_cast<std::streamoff>(std::filesystem::file_size(b + "/OL.lzh") / 2));
             f.put('\x5A').put('\xA5');
         },
         "unpack"},
        {"a store file changed since", [](const std::string&, const std::string& s) { std::ofstream(s + "/Sub.dbx", std::ios::app) << "x"; },
         "differs", true},
        {"a store file the backup lacks", [](const std::string&, const std::string& s) { std::ofstream(s + "/New.dbx") << "x"; },
         "not in the backup", true},
        {"an information file cut short",
         [](const std::string& b, const std::string&) { std::filesystem::resize_file(b + "/OLdate.bkd", 40); }, "OLdate.bkd"},
        {"a settings file that is none", [](const std::string& b, const std::string&) { std::ofstream(b + "/OLbk1.reg") << "junk"; },
         "OLbk1.reg"},
        {"no settings file", [](const std::string& b, const std::string&) { std::filesystem::remove(b + "/OLbk1.reg"); }, "OLbk1.reg"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string base = FreshDir("verify"), store = base + "/store", backup = base + "/backup";
        WriteStore(store, {Folder(2, 1, "Inbox", "Inbox.dbx", 40), Folder(3, 2, "Sub", "Sub.dbx", 2)});
        WriteBackup(store, backup);
        if (r.harm) r.harm(backup, store);
        const mailout::VerifyResult v = mailout::Verify(backup, r.against ? store : "", nullptr, {});
        EXPECT_EQ(r.problem ? 1 : 0, v.status) << Joined(v.problems);
        if (r.problem) EXPECT_NE(std::string::npos, Joined(v.problems).find(r.problem)) << Joined(v.problems);
    }
    EXPECT_EQ(2, mailout::Verify(FreshDir("empty"), "", nullptr, {}).status);
}

TEST(MailContacts, EveryFormOfSourceGivesTheSameCardsAndNoFileIsOverwritten) {
    const std::string base = FreshDir("contacts"), store = base + "/store", backup = base + "/backup", book = base + "/book";
    WriteStore(store, {Folder(2, 1, "Inbox", "Inbox.dbx", 1)});
    WriteBackup(store, backup);
    std::filesystem::create_directories(book);
    ASSERT_TRUE(wabw::Write(wabw::SampleBook()).writeTo(book + "/taro.wab"));
    WriteArchive(book, backup + "/WAB.lzh");
    std::ofstream(base + "/taken.vcf") << "mine";
    struct Row {
        std::string source;
        int status;
        bool cards;
    };
    const Row rows[] = {
        {backup, 0, true},
        {backup + "/WAB.lzh", 0, true},
        {book + "/taro.wab", 0, true},
        {store, 2, false},                 // a store folder is no address book
        {backup + "/OLdate.bkd", 2, false},
        {base + "/nothing.wab", 2, false},
    };
    std::string first;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.source);
        const mailout::ContactsSummary s = mailout::ExportContacts(r.source, base + "/taken.vcf", mailout::ContactsFormat::Vcf, 0);
        EXPECT_EQ(r.status, s.status) << Joined(s.problems);
        if (!r.cards) continue;
        ASSERT_FALSE(s.written.empty());
        EXPECT_NE(base + "/taken.vcf", s.written);
        const std::string cards = Files(base).at(s.written.substr(base.size() + 1));
        std::size_t begins = 0;
        for (std::size_t at = 0; (at = cards.find("BEGIN:VCARD", at)) != std::string::npos; ++at) ++begins;
        EXPECT_EQ(s.contacts, begins);
        EXPECT_GT(begins, 10u);
        if (first.empty()) first = cards;
        EXPECT_EQ(first, cards);
    }
    EXPECT_EQ("mine", Files(base).at("taken.vcf"));
    std::filesystem::remove(backup + "/WAB.lzh");
    EXPECT_EQ(1, mailout::ExportContacts(backup, base + "/none.vcf", mailout::ContactsFormat::Vcf, 0).status);
    EXPECT_FALSE(std::filesystem::exists(base + "/none.vcf"));
}

}  // namespace
