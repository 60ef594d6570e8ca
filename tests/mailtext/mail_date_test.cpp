#include "mailtext/header.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(MailtextDate, Parse) {
    struct Row { const char* text; std::optional<std::int64_t> unix; };
    const Row rows[] = {
        {"Thu, 13 Feb 1997 20:36:44 +0900 (JST)", 855833804},
        {"Fri, 21 Nov 1997 09:55:06 -0600", 880127706},
        {"21 Nov 97 09:55:06 GMT", 880106106},
        {"Mon, 1 Jan 01 00:00 EST", 978325200},            // two-digit year, no seconds
        {"Sat, 29 Feb 2020 12:00:00 +0000", 1582977600},
        {"Wed 5 Mar 2003 10:00:00 +0100", 1046854800},     // no comma
        {"Wed, 5 Mar 2003 10:00:00", 1046858400},          // no zone
        {"  thu ,13  FEB 1997 (x (y)) 20 : 36 : 44\r\n pdt", 855891404},
        {"13 Feb 1997 20:36:44 Z", 855866204},             // military
        {"13 Feb 1997 20:36:44 XYZ", 855866204},           // unknown zone
        {"1 Jan 2000 00:00:00 JST", 946652400},
        {"1 Jan 100 10:00:00 +0000", 946720800},           // three-digit year
        {"1 Jun 50 00:00:00 +0000", -618105600},
        {"1 Jun 49 00:00:00 +0000", 2506118400},
        {"31 Dec 1999 23:59:60 +0000", 946684800},         // leap second
        {"Thu, 30 Feb 2001 10:00:00 +0000", std::nullopt},
        {"1 Jan 2001 24:00:00 +0000", std::nullopt},
        {"1 Jan 2001 10:60 +0000", std::nullopt},
        {"1 Jan 2001 10:00:61 +0000", std::nullopt},
        {"1 Jan 2001 10:00 +09", std::nullopt},
        {"1 Jan 2001 10:00 +0960", std::nullopt},
        {"1 Foo 2001 10:00 +0000", std::nullopt},
        {"Xyz, 1 Jan 2001 10:00 +0000", std::nullopt},
        {"1 Jan 1899 10:00 +0000", std::nullopt},
        {"1 Jan 2001 10:00 +0000 (open", std::nullopt},
        {"1 Jan 2001 10:00 +0000 extra", std::nullopt},
        {"1 Jan 2001", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(r.unix, mailtext::ParseMailDate(r.text)) << r.text;
}

}  // namespace
