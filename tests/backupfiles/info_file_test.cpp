// The information file read as the profile calls read it, and its check for a whole backup.
#include "backupfiles/info_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using backupfiles::LeadBytes;
using S = std::string;

const S M = "[main]\r\n";

TEST(ReadInfoFile, ValuesAsTheProfileCallGivesThem) {
    struct Row { S text; const char* key; const char* want; unsigned codePage = 1252; };  // want nullptr: none
    const Row rows[] = {
        // Blanks, quotes, case.
        {M + "  date =  12/7/2026  \r\n", "date", "12/7/2026"},
        {M + "\tdate\t=\t\x0Bx y\x1A\r\n", "DATE", "x y"},
        {"  [MAIN]  \r\nUSERNAME=Taro\r\n", "UserName", "Taro"},
        {"[ main ] ignored\r\nd=1\r\n", "d", "1"},
        {M + "q=  \"  in  \"  \r\n", "q", "  in  "},
        {M + "q='x'\r\n", "q", "x"},
        {M + "q=\"a\"b\"\r\n", "q", "a\"b"},
        {M + "q=\"\"\r\n", "q", ""},
        {M + "q=\"\r\n", "q", "\""},
        {M + "q='x\"\r\n", "q", "'x\""},
        {M + "date=\r\n", "date", ""},
        // Split at the first '=', cut at a NUL, any line end.
        {M + "storroot=a=b\r\n", "storroot", "a=b"},
        {M + S("date=ab\0cd\r\nx=1\r\n", 17), "date", "ab"},
        {"[main]\rdate=a\rinstall=b", "install", "b"},
        {"[main]\ndate=a\n", "date", "a"},
        // The first key wins, even without a value; only the first [main] block counts.
        {M + "date=1\r\nDATE=2\r\n", "date", "1"},
        {M + "date\r\ndate=2\r\n", "date", nullptr},
        {M + "a=1\r\n[x]\r\n[main]\r\ndate=2\r\n", "date", nullptr},
        {"date=0\r\n" + M, "date", nullptr},
        {M + ";date=c\r\n", "date", nullptr},
        {M + ";date=c\r\n", ";date", "c"},
        {"[main\r\ndate=1\r\n", "date", nullptr},
        // A Shift-JIS trail byte ']' closes no section: the line is an entry of [main].
        {M + "[\x95\x5D\r\ndate=1\r\n", "date", "1", 932},
        {M + "[\x95\x5D\r\ndate=1\r\n", "date", nullptr, 1252},
        {M + "UserName=\x95\x5C\x8E\xA6\r\n", "UserName", "\x95\x5C\x8E\xA6", 932},
        // Junk, empty, too large.
        {S("MZ\x90\0\x03\0date=1\r\n", 14), "date", nullptr},
        {"", "date", nullptr},
        {M + "date=1\r\n" + S(backupfiles::kMaxInfoFileBytes, ' '), "date", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text.substr(0, 60));
        const auto got = backupfiles::ReadInfoFile(r.text, LeadBytes(r.codePage)).Value(r.key);
        EXPECT_EQ(r.want != nullptr, got.has_value());
        if (r.want && got) EXPECT_EQ(r.want, *got);
    }
}

// The faults as "marker main missing:date empty:date long:date eol large", in that order.
S Faults(const S& text) {
    static const char* const kNames[] = {"large", "marker", "main", "missing", "empty", "long", "eol"};
    S out;
    for (const auto& f : backupfiles::CheckInfoFile(text, LeadBytes()))
        out += S(out.empty() ? "" : " ") + kNames[static_cast<int>(f.problem)] + (f.key.empty() ? "" : ":" + S(f.key));
    return out;
}

TEST(CheckInfoFile, WholeAsABackupWritesIt) {
    const S head = "////OutLook Backup////\r\n[main]\r\ndate=12/7/2026\r\ninstall={1C4D}\r\n";
    const S tail = "UserID={1C4D}\r\nUserName=Main Identity\r\nAddressbook=1\r\n";
    const S whole = head + "storroot=%UserProfile%\\x\r\n" + tail;
    const S allMissing = "missing:date missing:install missing:storroot missing:UserID missing:UserName missing:Addressbook";
    struct Row { S text; S want; };
    const Row rows[] = {
        {whole, ""},
        {whole.substr(0, whole.size() - 2), "eol"},
        {whole.substr(0, whole.size() - 1), "eol"},
        {" " + whole, "marker"},
        {"////OutLook Backup//// \r\n" + whole.substr(24), "marker"},
        {head + "storroot\r\n" + tail, "missing:storroot"},
        {"////OutLook Backup////\r\n[main]\r\ndate=\r\n" + tail, "empty:date missing:install missing:storroot"},
        {head + "storroot=" + S(255, 'x') + "\r\n" + tail, ""},
        {head + "storroot=" + S(256, 'x') + "\r\n" + tail, "long:storroot"},
        {whole + S(backupfiles::kMaxInfoFileBytes - whole.size(), '\n').substr(2) + "\r\n", ""},
        {whole + S(backupfiles::kMaxInfoFileBytes - whole.size() + 1, '\n'), "large"},
        {"", "marker main " + allMissing + " eol"},
        {"////OutLook Backup////\r\n[other]\r\ndate=1\r\n", "main " + allMissing},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text.substr(0, 80));
        EXPECT_EQ(r.want, Faults(r.text));
    }
}

}  // namespace
