#include "mailtext/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mailtext::ToUtf8;

TEST(MailtextCodePage, ToUtf8) {
    struct Row { unsigned cp; std::string bytes; std::string utf8; bool exact; };
    const Row rows[] = {
        {1252, "Inbox", "Inbox", true},
        {1252, "\x80\x9F Entw\xFCrfe", "€Ÿ Entwürfe", true},
        {1252, "a\x81z\x9D", "a\uFFFDz\uFFFD", false},
        {28591, "\x80\xE9", "\u0080é", true},
        {20127, "ab\xE9", "ab\uFFFD", false},
        {850, "ab\xE9", "ab\uFFFD", false},
        // 932: a 0x5C trail is not a backslash; Microsoft's own mappings (0x815F, 0x8160)
        {932, "\x95\x5C\x83\x5C\\", "表ソ\\", true},
        {932, "\x81\x5F\x81\x60", "＼～", true},
        {932, "\xB1\xDF\xA1", "ｱﾟ｡", true},
        {932, "\x87\x40\xFA\x40\xED\x40", "①ⅰ纊", true},  // NEC row 13, IBM, NEC-selected IBM
        {932, "\xF0\x40\xF9\xFC", "\uE000\uE757", true},    // user-defined area
        {932, "a\x95", "a\uFFFD", false},                   // lead byte at the end
        {932, "\x80|\xA0|\xFD", "\uFFFD|\uFFFD|\uFFFD", false},
        {932, "\x82 a", "\uFFFD a", false},                 // lead byte, invalid trail
        {932, "\x85\x40", "\uFFFD@", false},                // unassigned, ASCII trail read again
        {932, "\xEB\x9F" "a", "\uFFFD" "a", false},         // unassigned, both bytes
        {65001, "\xE2\x82\xAC\xF0\x9F\x98\x80", "€😀", true},
        // overlong, surrogate, cut short, past U+10FFFF: a U+FFFD per maximal ill-formed stretch
        {65001, "\xC0\xAF|\xE0\x80\xAF|\xED\xA0\x80|\xE2\x82|\xF4\x90\x80\x80",
         "\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.utf8);
        bool exact = true;
        EXPECT_EQ(r.utf8, ToUtf8(r.bytes, r.cp, &exact));
        EXPECT_EQ(r.exact, exact);
    }
}

TEST(MailtextCodePage, SupportedAndLeadBytes) {
    for (unsigned cp : {932u, 1252u, 20127u, 28591u, 65001u}) EXPECT_TRUE(mailtext::IsSupportedCodePage(cp)) << cp;
    for (unsigned cp : {0u, 437u, 850u, 936u, 1250u}) EXPECT_FALSE(mailtext::IsSupportedCodePage(cp)) << cp;
    struct Row { unsigned cp; unsigned char b; bool lead; };
    const Row rows[] = {{932, 0x81, true},  {932, 0x9F, true},   {932, 0xE0, true},  {932, 0xFC, true},
                        {932, 0x80, false}, {932, 0xA0, false},  {932, 0xDF, false}, {932, 0xFD, false},
                        {932, 0x5C, false}, {1252, 0x81, false}, {65001, 0xE3, false}};
    for (const Row& r : rows) EXPECT_EQ(r.lead, mailtext::IsLeadByte(r.cp, r.b)) << r.cp << " " << int(r.b);
}

TEST(MailtextCodePage, Guess) {
    // `cp` where no Windows reads them, `onJapanese` where a Japanese one (932) does; a Western
    // Windows (1252) guesses as none does.
    struct Row { std::vector<std::string_view> samples; unsigned cp, onJapanese; };
    const Row rows[] = {
        // Inbox and Sent Items as Japanese Outlook Express names them; Drafts beside an ASCII name
        {{"\x8E\xF3\x90M\x83g\x83\x8C\x83" "C",
          "\x91\x97\x90M\x8D\xCF\x82\xDD\x83" "A\x83" "C\x83" "e\x83\x80"}, 932, 932},
        {{"Inbox", "\x89\xBA\x8F\x91\x82\xAB"}, 932, 932},
        {{"Entw\xFCrfe"}, 1252, 1252},
        // Valid Shift_JIS as bytes, but accented letters where Japanese has punctuation bytes
        {{"\xC9l\xE9ments envoy\xE9s", "Bo\xEEte de r\xE9" "ception"}, 1252, 932},
        {{"Gel\xF6schte Objekte"}, 1252, 1252},  // 0xF673 would be a user-defined character
        {{"Inbox", "Sent Items"}, 1252, 932},
        {{"\xB1\xB2\xB3"}, 1252, 932},  // half-width katakana alone: no double-byte character
        {{"\x8E\xF3\x90M", "Entw\xFCrfe"}, 1252, 1252},  // one sample that is not Shift_JIS decides
        {{}, 1252, 932},
    };
    for (const Row& r : rows) {
        const std::string first(r.samples.empty() ? "" : r.samples[0]);
        EXPECT_EQ(r.cp, mailtext::GuessCodePage(r.samples)) << first;
        EXPECT_EQ(r.cp, mailtext::GuessCodePage(r.samples, 1252)) << first;
        EXPECT_EQ(r.onJapanese, mailtext::GuessCodePage(r.samples, 932)) << first;
    }
}

TEST(MailtextCodePage, Utf16) {
    EXPECT_EQ(u"a\u20AC\U0001F600", mailtext::Utf8ToUtf16("a€😀"));
    EXPECT_EQ(u"\uFFFDb\uFFFD", mailtext::Utf8ToUtf16("\xFF" "b\xE2\x82"));
    EXPECT_EQ("a€😀", mailtext::Utf16ToUtf8(u"a\u20AC\U0001F600"));
    const char16_t lone[] = {0xD800, u'x', 0xDC00, 0xDE00, 0xD83D, 0};
    EXPECT_EQ("\uFFFDx\uFFFD\uFFFD\uFFFD", mailtext::Utf16ToUtf8(lone));
}

}  // namespace
