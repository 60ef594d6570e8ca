// The address book reader against books the test writer lays down from the layout's public
// descriptions, as written and damaged: contacts and groups come back with their text in the
// right code page, deleted and foreign records are not contacts, and whatever does not fit is
// skipped and counted without costing the rest.
#include <gtest/gtest.h>

#include <functional>

#include "wab/book.h"
#include "wab_writer.h"

namespace {

using namespace wabw;

Record Person(std::uint32_t id, std::vector<Prop> props) {
    props.insert(props.begin(), Long(kObjectType, 6));
    return {id, std::move(props), false, true, ""};
}

Record Group(std::uint32_t id, const std::string& name, std::uint16_t listId, std::vector<Bytes> members) {
    return {id, {Long(kObjectType, 8), Unicode(kDisplayName, name), MvBinary(listId, members)}, false, true, name};
}

// A contact on one line: the fields set, emails with the preferred one starred.
std::string Describe(const wab::Contact& c) {
    std::string out;
    auto put = [&](const char* key, const std::string& v) {
        if (!v.empty()) out += (out.empty() ? "" : " | ") + std::string(key) + "=" + v;
    };
    put("fn", c.displayName);
    put("gn", c.givenName);
    put("mn", c.middleName);
    put("sn", c.familyName);
    put("nick", c.nickname);
    put("org", c.company.empty() && c.department.empty() ? "" : c.company + "/" + c.department);
    put("title", c.title);
    put("url", c.url);
    put("wurl", c.workUrl);
    put("note", c.note);
    std::string e, t, a, g;
    for (std::size_t i = 0; i < c.emails.size(); ++i) e += (i ? "," : "") + c.emails[i] + (i == c.preferredEmail ? "*" : "");
    for (const auto& p : c.phones) t += (t.empty() ? "" : ",") + p.type + ":" + p.number;
    for (const auto& x : c.addresses)
        a += (a.empty() ? "" : ";") + x.type + ":" + x.street + "/" + x.city + "/" + x.region + "/" + x.postalCode + "/" +
             x.country;
    for (const auto& x : c.groups) g += (g.empty() ? "" : ",") + x;
    put("e", e);
    put("t", t);
    put("a", a);
    put("g", g);
    return out;
}

std::string Describe(const wab::Group& g) {
    std::string out = g.name + ":";
    for (const auto& [name, address] : g.members) out += " " + name + " <" + address + ">";
    return out;
}

// Offset of the length word of a record's n-th property (0-based), all single-valued before it.
std::uint64_t LengthAt(const Image& img, const Book& book, std::uint32_t id, std::size_t n) {
    for (const Record& r : book.records) {
        if (r.id != id) continue;
        std::uint64_t at = img.recordAt.at(id) + 32 + 4 * r.props.size();
        for (std::size_t i = 0; i < n; ++i) at += 8 + r.props[i].value.size();
        return at + 4;
    }
    return 0;
}

// clang-format off
Book Latin() {
    // Properties in no particular order: the object type last, unknown ones in between.
    Record r{1, {Unicode(kDisplayName, "Anna Müller"), Unicode(kGiven, "Anna"), Unicode(kSurname, "Müller"),
                 Unicode(kMiddle, "B."), Unicode(kNickname, "Annie"), Unicode(kCompany, "Acme, Inc."),
                 Unicode(kDepartment, "R&D"), Unicode(kTitle, "Engineer"), Systime(kBirthday, 0x01BF53EB256D4000),
                 MvUnicode(kEmails, {"anna@example.org", "a.mueller@acme.example", "ANNA@example.org", ""}),
                 MvUnicode(kAddrTypes, {"SMTP", "SMTP", "SMTP", "SMTP"}), Long(kDefaultIndex, 0),
                 Unicode(kEmail, "a.mueller@acme.example"), Long(0x8123, 7), Binary(kEntryId, RecordEntryId(1)),
                 Unicode(kHomePhone, "+49 30 1234"), Unicode(kMobile, "+49 170 5555"), Unicode(kWorkFax, "+49 30 9999"),
                 Unicode(kHomeStreet, "Hauptstr. 1\r\nHinterhaus"), Unicode(kHomeCity, "Berlin"),
                 Unicode(kHomePostal, "10115"), Unicode(kHomeCountry, "Germany"), Unicode(kWorkCity, "München"),
                 Unicode(kHomePage, "http://anna.example/"), Unicode(kWorkPage, "http://acme.example/"),
                 Unicode(kComment, "Met at the fair.\r\nCall in May; bring the list."), Long(kObjectType, 6)},
             false, true, "Anna Müller"};
    return {{r}};
}
// clang-format on
const char* const kAnna =
    "fn=Anna Müller | gn=Anna | mn=B. | sn=Müller | nick=Annie | org=Acme, Inc./R&D | title=Engineer | "
    "url=http://anna.example/ | wurl=http://acme.example/ | note=Met at the fair.\r\nCall in May; bring the list. | "
    "e=a.mueller@acme.example*,anna@example.org | t=home:+49 30 1234,cell:+49 170 5555,work fax:+49 30 9999 | "
    "a=home:Hauptstr. 1\r\nHinterhaus/Berlin//10115/Germany;work:/München///";

// 能登 太郎, ソニー, 表示 / 予定表: every name has a 0x5C trail byte.
Book Cp932() {
    return {{Person(
        2, {Ansi(kDisplayName, "\x94\x5c\x93\x6f \x91\xbe\x98\x59"), Ansi(kSurname, "\x94\x5c\x93\x6f"),
            Ansi(kGiven, "\x91\xbe\x98\x59"), Ansi(kCompany, "\x83\x5c\x83\x6a\x81\x5b"),
            MvAnsi(kEmails, {"noto@example.jp", "taro@example.jp"}), Long(kDefaultIndex, 1),
            Ansi(kComment, "\x95\x5c\x8e\xa6\r\n\x97\x5c\x92\xe8\x95\x5c"), Ansi(kHomeCity, "\x93\x8c\x8b\x9e\x93\x73")})}};
}
const char* const kNoto =
    "fn=能登 太郎 | gn=太郎 | sn=能登 | org=ソニー/ | note=表示\r\n予定表 | e=taro@example.jp*,noto@example.jp | "
    "a=home:/東京都///";

Book Groups() {
    Book b;
    b.records = {Person(10, {Unicode(kDisplayName, "山田 花子"), Unicode(kSurname, "山田"), Unicode(kGiven, "花子"),
                             MvUnicode(kEmails, {"hanako@example.jp"}), Long(kDefaultIndex, 0)}),
                 Person(11, {Unicode(kDisplayName, "Bob Smith"), Unicode(kEmail, "bob@example.com")}),
                 Group(20, "友人", kDlEntries,
                       {RecordEntryId(10), OneOff("Carol", "SMTP", "carol@example.net", true),
                        OneOff("BOB", "SMTP", "Bob@Example.com", false), RecordEntryId(21), RecordEntryId(99)}),
                 Group(21, "Club", 0x8009, {RecordEntryId(11), OneOff("Carol", "SMTP", "carol@example.net", true)}),
                 Group(22, "Odd", kDlOneOffs, {Bytes(10, 0x41)})};
    return b;
}

Book Plain(std::uint32_t first, int n) {
    Book b;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t id = first + static_cast<std::uint32_t>(i);
        b.records.push_back(
            Person(id, {Unicode(kDisplayName, "P" + std::to_string(id)), Unicode(kEmail, "p" + std::to_string(id) + "@x.example"),
                        Unicode(kHomePhone, "555-" + std::to_string(id))}));
    }
    return b;
}
std::string P(int id) {
    return "fn=P" + std::to_string(id) + " | e=p" + std::to_string(id) + "@x.example* | t=home:555-" + std::to_string(id);
}

TEST(WabReader, BooksComeBackAsContactsAndGroups) {
    struct Counts {
        std::size_t skippedRecords = 0, skippedProperties = 0, deleted = 0, other = 0;
    };
    struct Row {
        const char* name;
        std::function<Book()> book;
        std::function<void(Image&, const Book&)> damage;
        unsigned codePage;
        std::vector<std::string> contacts;
        std::vector<std::string> groups = {};
        Counts counts = {};
        unsigned usedCodePage = 1252;
        bool problems = false;
    };
    // clang-format off
    const Row rows[] = {
        {"Latin contact, every field, properties in any order", Latin, {}, 0, {kAnna}},
        {"code page 932 text with 0x5C trail bytes, code page chosen", Cp932, {}, 0, {kNoto}, {}, {}, 932},
        {"code page 932 given", Cp932, {}, 932, {kNoto}, {}, {}, 932},
        {"code page 1252 given to Japanese text: read as asked",
         [] { return Book{{Person(3, {Ansi(kSurname, "\x94\x5c\x93\x6f")})}}; }, {}, 1252, {"sn=”\\“o"}},
        {"Western 8-bit text chosen as 1252",
         [] { return Book{{Person(4, {Ansi(kSurname, "M\xfcller"), Ansi(kGiven, "Ren\xe9")})}}; }, {}, 0, {"gn=René | sn=Müller"}},
        {"groups: record members, one-offs in both forms, a group in a group, lists under other ids", Groups, {}, 0,
         {"fn=山田 花子 | gn=花子 | sn=山田 | e=hanako@example.jp* | g=友人", "fn=Bob Smith | e=bob@example.com* | g=友人,Club"},
         {"友人: 山田 花子 <hanako@example.jp> Carol <carol@example.net> BOB <Bob@Example.com> Club <>",
          "Club: Bob Smith <bob@example.com> Carol <carol@example.net>", "Odd:"},
         {0, 1, 0, 0}, 1252, true},
        {"deleted records are not contacts",
         [] {
             Book b = Plain(30, 3);
             b.records[0].deleted = true;
             b.records[1].deleted = true;
             b.records[1].indexed = false;
             return b;
         },
         {}, 0, {P(32)}, {}, {0, 0, 1, 0}},
        {"the book's folders and untyped records are not contacts",
         [] {
             Book b = Plain(40, 1);
             b.records.push_back({41, {Long(kObjectType, 4), Unicode(kDisplayName, "Main Identity's Contacts")}, false, true, ""});
             b.records.push_back({42, {Unicode(kDisplayName, "no type")}, false, true, ""});
             return b;
         },
         {}, 0, {P(40)}, {}, {0, 0, 0, 2}},
        {"a value running past its record keeps what came before it", [] { return Plain(50, 2); },
         [](Image& img, const Book& b) { img.put32(LengthAt(img, b, 50, 2), 0x7FFFFFF0); }, 0, {"fn=P50", P(51)}, {},
         {0, 2, 0, 0}, 1252, true},
        {"values of a size their type cannot have are skipped",
         [] {
             return Book{{Person(60, {Unicode(kDisplayName, "Odd"), Prop{std::uint32_t{kDefaultIndex} << 16 | kLong, {1, 0}, {}},
                                      MvUnicode(kEmails, {"odd@example.org"}), Unicode(kEmail, "odd@example.org")})}};
         },
         [](Image& img, const Book& b) { img.put32(LengthAt(img, b, 60, 3), 5); },  // the list's count word: 5 values
         0, {"fn=Odd | e=odd@example.org*"}, {}, {0, 2, 0, 0}, 1252, true},
        {"a record claiming more data than the file holds is skipped", [] { return Plain(70, 2); },
         [](Image& img, const Book&) { img.put32(img.recordAt.at(70) + 28, 0xFFFFFF00); }, 0, {P(71)}, {}, {1, 0, 0, 0}, 1252, true},
        {"index entries outside the file or in its header are skipped", [] { return Plain(80, 3); },
         [](Image& img, const Book&) {
             img.put32(img.indexAt + 4, 0xFFFFFF00);
             img.put32(img.indexAt + 8 + 4, 0x10);
         },
         0, {P(82)}, {}, {2, 0, 0, 0}, 1252, true},
        {"the index in another descriptor, an entry listed twice, ids that disagree",
         [] {
             Book b = Plain(90, 2);
             b.indexSlot = 3;
             return b;
         },
         [](Image& img, const Book&) {
             img.put32(img.indexAt + 16, 90);  // a spare entry repeats the first one
             img.put32(img.indexAt + 20, static_cast<std::uint32_t>(img.recordAt.at(90)));
             img.put32(0x18 + 3 * 16 + 12, 3);
             img.put32(img.indexAt + 8, 777);  // the index's id for record 91
         },
         0, {P(90), P(91)}, {}, {}, 1252, true},
        {"an index count past the end of the file", [] { return Plain(100, 2); },
         [](Image& img, const Book&) {  // the index moved to the file's end, its count far beyond
             const std::uint64_t at = img.bytes.size();
             img.bytes.insert(img.bytes.end(), img.bytes.begin() + static_cast<std::ptrdiff_t>(img.indexAt),
                              img.bytes.begin() + static_cast<std::ptrdiff_t>(img.indexAt + 16));
             img.put32(0x18 + 8, static_cast<std::uint32_t>(at));
             img.put32(0x18 + 12, 0x7FFFFFFF);
         },
         0, {P(100), P(101)}, {}, {}, 1252, true},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Book in = r.book();
        Image img = Write(in);
        if (r.damage) r.damage(img, in);
        dbx::MemorySource src(img.bytes.data(), img.bytes.size());
        const wab::Book got = wab::ReadBook(src, r.codePage);
        EXPECT_EQ("", got.error);
        std::vector<std::string> contacts, groups;
        for (const auto& c : got.contacts) contacts.push_back(Describe(c));
        for (const auto& g : got.groups) groups.push_back(Describe(g));
        EXPECT_EQ(r.contacts, contacts);
        EXPECT_EQ(r.groups, groups);
        EXPECT_EQ(r.counts.skippedRecords, got.skippedRecords);
        EXPECT_EQ(r.counts.skippedProperties, got.skippedProperties);
        EXPECT_EQ(r.counts.deleted, got.deletedRecords);
        EXPECT_EQ(r.counts.other, got.otherRecords);
        EXPECT_EQ(r.usedCodePage, got.codePage);
        EXPECT_EQ(r.codePage == 0, got.codePageGuessed);
        EXPECT_EQ(r.problems, got.problemCount > 0) << (got.problems.empty() ? "" : got.problems.front());
    }
}

TEST(WabReader, WhatIsNoWab4BookIsRefusedWhole) {
    Image good = Write(Plain(1, 1));
    Image old = good;
    const std::uint8_t oldMagic[8] = {0x81, 0x32, 0x84, 0xC1, 0x85, 0x05, 0xD0, 0x11};
    std::copy(oldMagic, oldMagic + 8, old.bytes.begin());
    const struct {
        const char* name;
        Bytes bytes;
        const char* error;
    } rows[] = {
        {"empty", {}, "too short for a Windows Address Book file"},
        {"header cut short", Bytes(good.bytes.begin(), good.bytes.begin() + 0x70), "too short for a Windows Address Book file"},
        {"some other file", Bytes(400, 'x'), "not a Windows Address Book file"},
        {"the older layout", old.bytes, "an address book in an older layout, which this reader does not read"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        dbx::MemorySource src(r.bytes.data(), r.bytes.size());
        const wab::Book got = wab::ReadBook(src, 0);
        EXPECT_EQ(r.error, got.error);
        EXPECT_TRUE(got.contacts.empty());
    }
}

// Records overlapping without end (every word of a large region reads as a header claiming
// 20 KiB): the reader stops once it has read about twice the file.
TEST(WabReader, AnIndexPointingEverywhereCostsAtMostTwiceTheFile) {
    Image img = Write(Plain(1, 1));
    const std::uint64_t region = img.bytes.size(), words = 1 << 16;
    img.bytes.resize(region + 4 * words, 0);
    for (std::uint64_t i = 0; i < words; ++i) img.put32(region + 4 * i, 0x1000);  // 20 KiB a record
    std::vector<std::uint8_t> index;
    for (std::uint64_t i = 0; i < words / 2; ++i)
        for (std::uint32_t v : {static_cast<std::uint32_t>(i + 2), static_cast<std::uint32_t>(region + 4 * i)})
            for (int k = 0; k < 4; ++k) index.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    const std::uint64_t indexAt = img.bytes.size();
    img.bytes.insert(img.bytes.end(), index.begin(), index.end());
    img.put32(0x18 + 8, static_cast<std::uint32_t>(indexAt));
    img.put32(0x18 + 12, static_cast<std::uint32_t>(words / 2));
    dbx::MemorySource src(img.bytes.data(), img.bytes.size());
    const wab::Book got = wab::ReadBook(src, 0);
    EXPECT_TRUE(got.contacts.empty());
    EXPECT_LT(got.skippedRecords + got.otherRecords, 200u);  // of 32768 listed
}

}  // namespace
