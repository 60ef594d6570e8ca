#include "mailtext/header.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MailtextHeader, Field) {
    const std::string block =
        "From taro@example.jp Thu Feb 13 20:36:44 1997\r\n"
        "Received: from a\r\n"
        "\tby b\r\n"
        "Subject : first\r\n"
        "  line two \r\n"
        "subject: second\n"
        "To:\r\n"
        " <hanako@example.jp>\r\n"
        "X-Empty:\r\n"
        "\r\n"
        "Date: in the body\r\n";
    struct Row { const char* name; std::optional<std::string> value; };
    const Row rows[] = {
        {"SUBJECT", "first  line two"},
        {"received", "from a\tby b"},
        {"To", "<hanako@example.jp>"},
        {"X-Empty", ""},
        {"Subj", std::nullopt},
        {"Date", std::nullopt},  // after the empty line
        {"From", std::nullopt},  // the mbox line is no field
    };
    for (const Row& r : rows) EXPECT_EQ(r.value, mailtext::HeaderField(block, r.name)) << r.name;
}

TEST(MailtextHeader, DecodeText) {
    struct Row { std::string raw; unsigned fallback; std::string text; bool decoded; };
    const Row rows[] = {
        {"=?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=", 932, "こんにちは", true},
        {"Re: =?iso-2022-jp*ja?b?GyRCST1CahsoQg?=", 932, "Re: 表題", true},  // language, no padding
        {"=?utf-8?Q?Caf=C3=A9_cr=c3=a8me?=", 1252, "Café crème", true},
        {"=?utf-8?q?a?= \r\n =?utf-8?q?b?=", 1252, "ab", true},
        {"=?UTF-8?B?4oI=?= =?utf-8?B?rA==?=", 1252, "€", true},  // one character split in two words
        {"=?iso-8859-1?q?=E9?=\t=?utf-8?q?=C3=A9?=", 1252, "éé", true},
        {"=?utf-8?q?a?= x =?utf-8?q?b?=", 1252, "a x b", true},
        {"=?koi8-r?B?8dHR?= =?utf-8?q?a?=", 1252, "=?koi8-r?B?8dHR?= a", false},
        {"=?utf-8?X?abc?= =?utf-8?Q?a=ZZ?= =?utf-8?B?a?= =?utf-8?q?a b?=", 1252,
         "=?utf-8?X?abc?= =?utf-8?Q?a=ZZ?= =?utf-8?B?a?= =?utf-8?q?a b?=", true},
        {"=?utf-8?q?open", 1252, "=?utf-8?q?open", true},
        {"Caf\xC3\xA9", 932, "Café", true},  // well-formed UTF-8 wins over the fallback
        {"\x95\x5C\x8E\xA6", 932, "表示", true},
        {"Caf\xE9\r\n x", 1252, "Café x", true},
        {"a\x81", 1252, "a\uFFFD", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.raw);
        bool decoded = true;
        EXPECT_EQ(r.text, mailtext::DecodeHeaderText(r.raw, r.fallback, &decoded));
        EXPECT_EQ(r.decoded, decoded);
    }
}

TEST(MailtextHeader, FirstAddress) {
    struct Row { const char* raw; const char* address; };
    const Row rows[] = {
        {"Taro <taro@example.jp>", "taro@example.jp"},
        {"taro@example.jp (Taro)", "taro@example.jp"},
        {"\"Yamada, Taro <boss>\" <taro@example.jp>, hanako@example.jp", "taro@example.jp"},
        {"(Taro <x@y>) taro@example.jp", "taro@example.jp"},
        {"=?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=\r\n <taro@example.jp>", "taro@example.jp"},
        {"<@relay.example,@b.example:taro@example.jp>", "taro@example.jp"},
        {"taro @ example . jp", "taro@example.jp"},
        {"\"taro yamada\"@example.jp", "\"taro yamada\"@example.jp"},
        {"Team: hanako@example.jp, taro@example.jp;", "hanako@example.jp"},
        {"undisclosed-recipients:;", ""},
        {"Taro Yamada", ""},
        {"\"Taro\"", ""},
        {"<>", ""},
        {"", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(r.address, mailtext::FirstAddress(r.raw)) << r.raw;
}

TEST(MailtextHeader, FileTime) {
    struct Row { std::uint64_t filetime; std::int64_t unix; };
    const Row rows[] = {
        {116444736000000000ull, 0},
        {116444736009999999ull, 0},             // rounded down
        {116444735995000000ull, -1},            // down before 1970 too
        {0, -11644473600},
        {125911584000000000ull, 946684800},     // 2000-01-01
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.unix, mailtext::FileTimeToUnix(r.filetime)) << r.filetime;
        EXPECT_EQ(r.filetime / 10000000 * 10000000, mailtext::UnixToFileTime(r.unix)) << r.unix;
    }
    EXPECT_EQ(0u, mailtext::UnixToFileTime(-11644473601));
    EXPECT_EQ(UINT64_MAX, mailtext::UnixToFileTime(INT64_MAX));
}

}  // namespace
