// Names the export gives, and the mbox quoting, as tables: hostile folder names made safe,
// message file names, and "From " lines quoted however the text is cut into pieces.
#include <gtest/gtest.h>

#include "mailout/mbox.h"
#include "mailout/names.h"

namespace {

TEST(MailNames, FolderNamesEveryWindowsCanHoldAndNoneLeadsOut) {
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"Inbox", "Inbox"},
        {"..\\x", ".._x"},
        {"../../etc", ".._.._etc"},
        {"..", "__"},
        {".", "_"},
        {"a:b*c?d\"e<f>g|h/i", "a_b_c_d_e_f_g_h_i"},
        {"CON", "CON_"},
        {"con.txt", "con_.txt"},
        {"LPT1", "LPT1_"},
        {"COM10", "COM10"},
        {"Console", "Console"},
        {"  spaced   out  ", "spaced out"},
        {"tab\there\r\nnext", "tab here next"},
        {"ends with dots...", "ends with dots___"},
        {"", "Folder"},
        {"   ", "Folder"},
        {"受信トレイ", "受信トレイ"},
        {"\x01\x7F", "__"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.out, mailout::SafeComponent(r.in, 80, "Folder")) << r.in;
    // Cut on a character boundary, never inside one.
    EXPECT_EQ("あい", mailout::SafeComponent("あいう", 8, "x"));
    EXPECT_EQ("ab", mailout::SafeComponent("abc", 2, "x"));
}

TEST(MailNames, MessageFileNamesAndNumberedNames) {
    const std::int64_t jan8 = 978913800;  // 2001-01-08 00:30 UTC
    const std::int64_t y1969 = -86400;
    const std::string longSubject(200, 'x');
    struct Row {
        std::uint64_t number;
        int width;
        const std::int64_t* when;
        const char* subject;
        const char* stem;
    };
    const Row rows[] = {
        {1, 5, &jan8, "Hello", "00001 2001-01-08 Hello"},
        {123456, 5, &jan8, "Hello", "123456 2001-01-08 Hello"},
        {7, 6, nullptr, "Re: a/b", "000007 Re_ a_b"},
        {2, 5, &y1969, "", "00002 1969-12-31"},
        {3, 5, &jan8, "news...", "00003 2001-01-08 news"},
        {4, 5, &jan8, longSubject.c_str(), nullptr},
    };
    for (const Row& r : rows) {
        const std::string stem = mailout::MessageFileStem(r.number, r.width, r.when, r.subject);
        if (r.stem)
            EXPECT_EQ(r.stem, stem);
        else
            EXPECT_EQ(17u + 60u, stem.size());  // a long subject is cut
    }
    EXPECT_EQ("a.eml", mailout::Numbered("a", ".eml", 1));
    EXPECT_EQ("a (3).eml", mailout::Numbered("a", ".eml", 3));
    mailout::NameSet names;
    names.add("Inbox");
    EXPECT_TRUE(names.taken("INBOX"));
    EXPECT_FALSE(names.taken("Inbox (2)"));
}

TEST(MailNames, MboxQuotesFromLinesWhereverThePiecesBreak) {
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"a\r\nFrom me\r\n", "a\r\n>From me\r\n\r\n"},
        {"From start\r\n", ">From start\r\n\r\n"},
        {">From\r\n>From x\r\n>>From y\r\n", ">From\r\n>>From x\r\n>>>From y\r\n\r\n"},
        {"x From y\r\nFrom\r\nFro\r\n", "x From y\r\nFrom\r\nFro\r\n\r\n"},
        {"no line end", "no line end\r\n\r\n"},
        {"ends in >>Fro", "ends in >>Fro\r\n\r\n"},
        {"a\r\n>>Fr", "a\r\n>>Fr\r\n\r\n"},
        {"", "\r\n"},
    };
    for (const Row& r : rows) {
        const std::string in = r.in;
        // Fed whole, and fed one byte at a time: the same.
        for (std::size_t piece : {in.size() + 1, std::size_t{1}, std::size_t{3}}) {
            mailout::MboxQuoter q;
            std::string out;
            for (std::size_t at = 0; at < in.size(); at += piece) q.feed(std::string_view(in).substr(at, piece), out);
            q.finish(out);
            EXPECT_EQ(r.out, out) << "in: " << in << ", pieces of " << piece;
        }
    }
    const std::int64_t jan8 = 978913800;
    EXPECT_EQ("From taro@example.jp Mon Jan  8 00:30:00 2001\r\n", mailout::MboxFromLine("taro@example.jp", &jan8));
    EXPECT_EQ("From MAILER-DAEMON Thu Jan  1 00:00:00 1970\r\n", mailout::MboxFromLine("", nullptr));
}

}  // namespace
