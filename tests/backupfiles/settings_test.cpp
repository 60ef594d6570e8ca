// The settings file's portable parts: lead bytes, which keys the parser keeps (compared byte by
// byte), and the mail accounts read out of a parsed file.
#include "backupfiles/accounts.h"
#include "backupfiles/reg_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using backupfiles::LeadBytes;
using S = std::string;

TEST(LeadBytes, KnownCodePages) {
    struct Row { unsigned codePage; unsigned char byte; bool lead; };
    const Row rows[] = {
        {932, 0x80, false}, {932, 0x81, true}, {932, 0x9F, true}, {932, 0xA0, false}, {932, 0xDF, false},
        {932, 0xE0, true},  {932, 0xFC, true}, {932, 0xFD, false}, {936, 0x81, true}, {936, 0xFE, true},
        {936, 0xFF, false}, {949, 0x80, false}, {949, 0xB0, true}, {950, 0xFE, true}, {950, 0x5C, false},
        {1252, 0x81, false}, {65001, 0xE3, false}, {0, 0x81, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.lead, LeadBytes(r.codePage)(static_cast<char>(r.byte))) << r.codePage << " " << int(r.byte);
}

TEST(ParseRegText, KeepsKeysComparedByteByByte) {
    struct Row { S identity; S path; unsigned codePage; bool kept; };
    const S acc = "Software\\Microsoft\\Internet Account Manager\\";
    const Row rows[] = {
        {"{ID}", "IDENTITIES\\{id}\\Sub", 1252, true},
        {"{ID}", "Identities\\{ID}X", 1252, false},
        {"{ID}", "Identities\\{ID}\\", 1252, false},
        {"", "Identities\\", 1252, false},
        // A letter outside ASCII keeps its case: É is not é.
        {"{ID-\xE9}", "Identities\\{ID-\xE9}", 1252, true},
        {"{ID-\xE9}", "Identities\\{ID-\xC9}", 1252, false},
        // A trail byte 0x5C is no backslash: not in the identity's name, not an empty part.
        {"{\x95\x5C}", "Identities\\{\x95\x5C}", 932, true},
        {"{\x95\x5C}", "Identities\\{\x95\x5C}", 1252, false},
        {"", acc + "\x95\x5C", 932, true},
        {"", acc + "\x95\x5C", 1252, false},
        {"", acc + "\x95\x5C\\\\x", 932, false},
        // A double-byte character is compared as a pair: its trail 'a' is not 'A'.
        {"{\x82\x61}", "Identities\\{\x82\x41}", 932, false},
        {"{\x82\x61}", "Identities\\{\x82\x41}", 1252, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path + " " + std::to_string(r.codePage));
        const auto parsed = backupfiles::ParseRegText("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + r.path + "]\r\n", r.identity,
                                                      LeadBytes(r.codePage));
        EXPECT_EQ(r.kept ? 1u : 0u, parsed.keys.size());
        EXPECT_EQ(r.kept ? 0 : 1, parsed.skippedBlocks);
    }
}

// "key kind name|display|address|in|out|user" per account, a * for the default one.
S Describe(const backupfiles::AccountList& list) {
    static const char* const kKinds[] = {"pop3", "imap", "http", "news"};
    S out = "mail=" + list.defaultMail + " news=" + list.defaultNews;
    for (const auto& a : list.accounts)
        out += "\n" + a.key + " " + kKinds[static_cast<int>(a.kind)] + " " + a.name + "|" + a.displayName + "|" +
               a.address + "|" + a.incomingServer + "|" + a.outgoingServer + "|" + a.userName + (a.isDefault ? " *" : "");
    return out;
}

TEST(ReadAccounts, MailAndNewsAccountsWithoutPasswords) {
    const S iam = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager";
    const S text =
        "REGEDIT4\r\n" + iam + "]\r\n\"default mail account\"=\"00000002\"\r\n\"Default News Account\"=\"00000004\"\r\n" +
        iam + "\\Accounts]\r\n\"Account Name\"=\"not an account\"\r\n\"POP3 Server\"=\"x\"\r\n" +
        iam + "\\Accounts\\00000001]\r\n\"Account Name\"=\"\\\"Home\\\"\"\r\n\"POP3 Server\"=\"pop.example.jp\"\r\n"
              "\"SMTP Server\"=\"smtp.example.jp\"\r\n\"POP3 User Name\"=\"old\"\r\n\"SMTP Email Address\"=\"taro@example.jp\"\r\n"
              "\"POP3 Password2\"=hex:73,65,63,72,65,74\r\n\"SMTP Password2\"=\"secret\"\r\n" +
        iam + "\\Accounts\\00000001\\Sub]\r\n\"IMAP Server\"=\"x\"\r\n" +
        iam + "\\Accounts\\00000002]\r\n\"Account Name\"=\"Work\"\r\n\"IMAP Server\"=\"imap.example.jp\"\r\n"
              "\"IMAP User Name\"=\"yamada\"\r\n\"IMAP Password2\"=hex:73,65,63,72,65,74\r\n"
              "\"SMTP Display Name\"=\"\x95\x5C\x8E\xA6\"\r\n\"SMTP Server\"=hex(2):73,00\r\n" +
        iam + "\\Accounts\\00000003]\r\n\"Account Name\"=\"Directory\"\r\n\"LDAP Server\"=\"ldap.example.jp\"\r\n" +
        iam + "\\Accounts\\00000004]\r\n\"NNTP Server\"=\"news.example.jp\"\r\n\"NNTP Display Name\"=\"T\"\r\n"
              "\"SMTP Server\"=\"unused\"\r\n" +
        iam + "\\ACCOUNTS\\00000001]\r\n\"pop3 user name\"=\"taro\"\r\n\"SMTP Display Name\"=dword:00000001\r\n";
    const LeadBytes sjis(932);
    const auto parsed = backupfiles::ParseRegText(text, "", sjis);
    ASSERT_EQ(0, parsed.skippedBlocks + parsed.skippedLines);
    const S got = Describe(backupfiles::ReadAccounts(parsed, sjis));
    EXPECT_EQ("mail=00000002 news=00000004\n"
              "00000001 pop3 \"Home\"||taro@example.jp|pop.example.jp|smtp.example.jp|taro\n"
              "00000002 imap Work|\x95\x5C\x8E\xA6||imap.example.jp|s|yamada *\n"
              "00000004 news |T||news.example.jp|| *",
              got);
    EXPECT_EQ(S::npos, got.find("secret"));
}

}  // namespace
