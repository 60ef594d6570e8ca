#include "mailtext/charsets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MailtextCharsets, Decode) {
    struct Row { const char* charset; std::string bytes; std::string utf8; bool exact; };
    const Row rows[] = {
        {"US-ASCII", "abc", "abc", true},
        {"us-ascii", "caf\xE9", "caf\uFFFD", false},
        {"UTF-8", "caf\xC3\xA9", "café", true},
        {"utf8", "caf\xC3", "caf\uFFFD", false},
        {"ISO-8859-1", "\xE9\x80\x93", "é€“", true},  // read as windows-1252
        {"latin1", "\x81", "\u0081", true},           // undefined in 1252: Latin-1's own
        {"Windows-1252", "\x81", "\uFFFD", false},
        {"Shift_JIS", "\x95\x5C", "表", true},
        {" x-sjis ", "\x83\x5C", "ソ", true},
        {"CP932", "\x87\x40", "①", true},
        {"windows-31j", "\xFA\x40", "ⅰ", true},
        {"ISO-2022-JP", "\x1B$B$3$s$K$A$O\x1B(B!", "こんにちは!", true},
        {"iso-2022-jp", "\x1B$@$3\x1B(J\\~\x1B(I1\x1B(B", "こ\\~ｱ", true},
        {"iso-2022-jp", "\x1B$B-!\x1B(B", "①", true},       // NEC row 13 through the table
        {"iso-2022-jp", "\x1B$B!_!`\x1B(B", "×÷", true},     // trail bytes 0x7E, 0x80
        {"iso-2022-jp", "\x0E" "1\x0F" "1", "ｱ1", true},     // SO/SI katakana
        {"iso-2022-jp", "\x1B$B$3\nab", "こ\nab", true},     // a line end returns to ASCII
        {"iso-2022-jp", "\x1B$B$", "\uFFFD", false},         // half a character
        {"iso-2022-jp", "\x1B$(D0!", "\uFFFD" "0!", false},  // JIS X 0212 is not read
        {"iso-2022-jp", "a\xE9", "a\uFFFD", false},
        {"iso-2022-jp", "\x1B$B\"/\x1B(B", "\uFFFD", false}, // unassigned code
        {"EUC-JP", "\xA4\xB3\xA4\xF3 \x8E\xB1", "こん ｱ", true},
        {"euc-jp", "\x8F\xB0\xA1" "a", "\uFFFD" "a", false},  // JIS X 0212
        {"x-euc-jp", "a\xA4", "a\uFFFD", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.charset) + " " + r.utf8);
        std::string out = "old";
        bool exact = true;
        ASSERT_TRUE(mailtext::DecodeCharset(r.bytes, r.charset, out, &exact));
        EXPECT_EQ(r.utf8, out);
        EXPECT_EQ(r.exact, exact);
    }
}

TEST(MailtextCharsets, UnknownCharsetLeavesOutputAlone) {
    for (const char* name : {"koi8-r", "iso-8859-15", "utf-16", "", "shift_jis2"}) {
        std::string out = "old";
        EXPECT_FALSE(mailtext::DecodeCharset("abc", name, out)) << name;
        EXPECT_EQ("old", out);
        EXPECT_FALSE(mailtext::IsKnownCharset(name));
    }
}

}  // namespace
