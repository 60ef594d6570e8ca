// The contacts as vCard 3.0 and CSV: exact cards and rows for the cases that matter (escapes,
// folding of long UTF-8 lines, members kept only in a group, empty books), and the cards of the
// demo book read back by a vCard parser from Debian (python3-vobject) to the same values.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "mailout/contacts.h"
#include "mailtext/utf.h"
#include "sample_book.h"

namespace {

wab::Contact Anna() {
    wab::Contact c;
    c.displayName = "Anna Müller";
    c.givenName = "Anna";
    c.middleName = "B.";
    c.familyName = "Müller";
    c.nickname = "Annie";
    c.company = "Acme, Inc.";
    c.department = "R&D";
    c.title = "Engineer";
    c.url = "http://anna.example/a,b;c";
    c.workUrl = "http://acme.example/";
    c.note = "Met at the fair.\r\nCall in May; bring the list.";
    c.emails = {"anna@example.org", "a.mueller@acme.example"};
    c.preferredEmail = 1;
    c.phones = {{"home", "+49 30 1234"}, {"cell", "+49 170 5555"}, {"work fax", "+49 30 9999"}, {"other", "112"}};
    c.addresses = {{"home", "Hauptstr. 1\r\nHinterhaus", "Berlin", "", "10115", "Germany"}};
    c.groups = {"Friends", "Book club"};
    return c;
}

wab::Book BookOf(std::vector<wab::Contact> contacts, std::vector<wab::Group> groups = {}) {
    wab::Book b;
    b.contacts = std::move(contacts);
    b.groups = std::move(groups);
    return b;
}

std::string Card(const std::string& body) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\n" + body + "END:VCARD\r\n";
}

TEST(Contacts, VCardsAreRfc2426Cards) {
    wab::Contact escapes;
    escapes.displayName = "Doe; John, Jr.";
    escapes.note = "C:\\dir, a;b\nc\rd";
    wab::Contact unnamed;
    unnamed.givenName = "Taro";
    unnamed.familyName = "Yamada";
    wab::Contact onlyAddress;
    onlyAddress.emails = {"x@example.com"};
    wab::Contact folded;
    folded.displayName = "F";
    std::string kana, xs(150, 'x');
    for (int i = 0; i < 40; ++i) kana += "あ";
    folded.note = kana;
    folded.title = xs;
    const struct {
        const char* name;
        wab::Book book;
        std::string cards;
    } rows[] = {
        {"every field", BookOf({Anna()}),
         Card("FN:Anna Müller\r\nN:Müller;Anna;B.;;\r\nNICKNAME:Annie\r\n"
              "EMAIL;TYPE=INTERNET:anna@example.org\r\nEMAIL;TYPE=INTERNET,PREF:a.mueller@acme.example\r\n"
              "TEL;TYPE=HOME,VOICE:+49 30 1234\r\nTEL;TYPE=CELL,VOICE:+49 170 5555\r\nTEL;TYPE=WORK,FAX:+49 30 9999\r\n"
              "TEL;TYPE=VOICE:112\r\nADR;TYPE=HOME:;;Hauptstr. 1\\nHinterhaus;Berlin;;10115;Germany\r\n"
              "ORG:Acme\\, Inc.;R&D\r\nTITLE:Engineer\r\n"
              "URL:http://anna.example/a%2Cb%3Bc\r\nURL;TYPE=WORK:http://acme.example/\r\n"
              "NOTE:Met at the fair.\\nCall in May\\; bring the list.\r\nCATEGORIES:Friends,Book club\r\n")},
        {"text escapes; every line break one \\n", BookOf({escapes}),
         Card("FN:Doe\\; John\\, Jr.\r\nN:;;;;\r\nNOTE:C:\\\\dir\\, a\\;b\\nc\\nd\r\n")},
        {"no display name: the name's parts, else the address", BookOf({unnamed, onlyAddress}),
         Card("FN:Taro Yamada\r\nN:Yamada;Taro;;;\r\n") +
             Card("FN:x@example.com\r\nN:;;;;\r\nEMAIL;TYPE=INTERNET,PREF:x@example.com\r\n")},
        {"long lines folded at 75 octets, never inside a character", BookOf({folded}),
         Card("FN:F\r\nN:;;;;\r\nTITLE:" + xs.substr(0, 69) + "\r\n " + xs.substr(69, 74) + "\r\n " + xs.substr(143) + "\r\n" +
              "NOTE:" + kana.substr(0, 69) + "\r\n " + kana.substr(69) + "\r\n")},
        {"a member kept only in groups becomes a card in them",
         BookOf({Anna()}, {{"Team", {{"Carol", "carol@example.net"}, {"Anna Müller", "ANNA@example.org"}, {"Sub", ""}}},
                           {"Club", {{"Carol B.", "Carol@Example.net"}}}}),
         "" /* Anna's card first, checked below */},
        {"no contacts", BookOf({}), ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string got = mailout::VCards(r.book);
        if (!r.book.groups.empty()) {
            const std::string carol =
                Card("FN:Carol\r\nN:;;;;\r\nEMAIL;TYPE=INTERNET,PREF:carol@example.net\r\nCATEGORIES:Team,Club\r\n");
            ASSERT_GE(got.size(), carol.size());
            EXPECT_EQ(carol, got.substr(got.size() - carol.size()));
            EXPECT_EQ(mailout::VCards(BookOf({Anna()})), got.substr(0, got.size() - carol.size()));
            continue;
        }
        EXPECT_EQ(r.cards, got);
        std::istringstream lines(got);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), 76u) << line;  // 75 octets and the CR
            EXPECT_TRUE(mailtext::IsWellFormedUtf8(line)) << line;
        }
    }
}

// One CSV row: the given cells (already in their CSV form) in CsvColumns() order.
std::string Row(const std::map<std::string, std::string>& cells) {
    std::string out;
    std::size_t used = 0;
    for (const std::string& name : mailout::CsvColumns()) {
        if (!out.empty() || &name != &mailout::CsvColumns().front()) out += ',';
        if (const auto it = cells.find(name); it != cells.end()) {
            out += it->second;
            ++used;
        }
    }
    EXPECT_EQ(cells.size(), used) << "a cell names no column";
    return out + "\r\n";
}

TEST(Contacts, CsvRowsUnderOutlooksColumnNames) {
    const std::string header =
        "\xEF\xBB\xBF"
        "Display Name,First Name,Middle Name,Last Name,Nickname,E-mail Address,E-mail 2 Address,"
        "E-mail 3 Address,Home Phone,Home Phone 2,Business Phone,Business Phone 2,Mobile Phone,Car Phone,Other Phone,"
        "Pager,Home Fax,Business Fax,Other Fax,Home Street,Home City,Home State,Home Postal Code,Home Country/Region,"
        "Business Street,Business City,Business State,Business Postal Code,Business Country/Region,Company,"
        "Department,Job Title,Personal Web Page,Web Page,Notes,Categories\r\n";
    wab::Contact many;
    many.familyName = "Quote \"Q\"";
    many.emails = {"1@x", "2@x", "3@x", "4@x"};
    many.phones = {{"home", "1"}, {"home", "2"}, {"home", "3"}, {"work", "4"}, {"fax", "5"}, {"other", "6"}};
    many.note = "a\nb";
    const struct {
        const char* name;
        wab::Book book;
        std::string rows;
    } rows[] = {
        {"every field", BookOf({Anna()}),
         Row({{"Display Name", "Anna Müller"},
              {"First Name", "Anna"},
              {"Middle Name", "B."},
              {"Last Name", "Müller"},
              {"Nickname", "Annie"},
              {"E-mail Address", "a.mueller@acme.example"},
              {"E-mail 2 Address", "anna@example.org"},
              {"Home Phone", "+49 30 1234"},
              {"Mobile Phone", "+49 170 5555"},
              {"Business Fax", "+49 30 9999"},
              {"Other Phone", "112"},
              {"Home Street", "\"Hauptstr. 1\r\nHinterhaus\""},
              {"Home City", "Berlin"},
              {"Home Postal Code", "10115"},
              {"Home Country/Region", "Germany"},
              {"Company", "\"Acme, Inc.\""},
              {"Department", "R&D"},
              {"Job Title", "Engineer"},
              {"Personal Web Page", "\"http://anna.example/a,b;c\""},
              {"Web Page", "http://acme.example/"},
              {"Notes", "\"Met at the fair.\r\nCall in May; bring the list.\""},
              {"Categories", "Friends;Book club"}})},
        {"quotes doubled, a fourth address and a third home phone left out, line breaks as CR LF", BookOf({many}),
         Row({{"Display Name", "\"Quote \"\"Q\"\"\""},
              {"Last Name", "\"Quote \"\"Q\"\"\""},
              {"E-mail Address", "1@x"},
              {"E-mail 2 Address", "2@x"},
              {"E-mail 3 Address", "3@x"},
              {"Home Phone", "1"},
              {"Home Phone 2", "2"},
              {"Business Phone", "4"},
              {"Other Fax", "5"},
              {"Other Phone", "6"},
              {"Notes", "\"a\r\nb\""}})},
        {"no contacts", BookOf({}), ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(header + r.rows, mailout::ContactsCsv(r.book));
    }
}

// What python3-vobject should read from a contact's card, in read_vcards.py's form.
std::string Expected(const wab::Contact& c) {
    auto esc = [](std::string s) {
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;  // CR LF reads back as LF
            out += s[i] == '\\' ? "\\\\" : s[i] == '\n' || s[i] == '\r' ? "\\n" : std::string(1, s[i]);
        }
        return out;
    };
    std::string fn = c.displayName.empty() ? c.givenName + (c.givenName.empty() ? "" : " ") + c.familyName : c.displayName;
    std::string out =
        "fn\t-\t" + esc(fn) + "\nn\t-\t" + esc(c.familyName) + ";" + esc(c.givenName) + ";" + esc(c.middleName) + "\n";
    if (!c.nickname.empty()) out += "nickname\t-\t" + esc(c.nickname) + "\n";
    for (std::size_t i = 0; i < c.emails.size(); ++i)
        out += std::string("email\t") + (i == c.preferredEmail ? "INTERNET,PREF" : "INTERNET") + "\t" + esc(c.emails[i]) + "\n";
    const std::map<std::string, std::string> tel = {
        {"home", "HOME,VOICE"}, {"work", "VOICE,WORK"}, {"cell", "CELL,VOICE"}, {"work fax", "FAX,WORK"}, {"pager", "PAGER"}};
    for (const auto& p : c.phones) out += "tel\t" + tel.at(p.type) + "\t" + esc(p.number) + "\n";
    for (const auto& a : c.addresses)
        out += "adr\t" + std::string(a.type == "work" ? "WORK" : "HOME") + "\t" + esc(a.street) + "|" + esc(a.city) + "|" +
               esc(a.region) + "|" + esc(a.postalCode) + "|" + esc(a.country) + "\n";
    if (!c.company.empty() || !c.department.empty())
        out += "org\t-\t" + esc(c.company) + (c.department.empty() ? "" : ";" + esc(c.department)) + "\n";
    if (!c.title.empty()) out += "title\t-\t" + esc(c.title) + "\n";
    if (!c.url.empty()) out += "url\t-\t" + c.url + "\n";
    if (!c.workUrl.empty()) out += "url\tWORK\t" + c.workUrl + "\n";
    if (!c.note.empty()) out += "note\t-\t" + esc(c.note) + "\n";
    std::string cats;
    for (const auto& g : c.groups) cats += (cats.empty() ? "" : ",") + esc(g);
    if (!cats.empty()) out += "categories\t-\t" + cats + "\n";
    return out + "\n";
}

TEST(Contacts, TheDemoBooksCardsReadBackInVobject) {
    const wabw::Image img = wabw::Write(wabw::SampleBook());
    dbx::MemorySource src(img.bytes.data(), img.bytes.size());
    const wab::Book book = wab::ReadBook(src, 0);
    ASSERT_EQ(12u, book.contacts.size());
    ASSERT_EQ(2u, book.groups.size());
    EXPECT_EQ(932u, book.codePage);
    const std::string path = ::testing::TempDir() + "wab_demo.vcf", out = path + ".txt";
    std::ofstream(path, std::ios::binary) << mailout::VCards(book);
    const int rc = std::system((QB_DEBIAN_PYTHON " " QB_READ_VCARDS " " + path + " > " + out).c_str());
    if (WIFEXITED(rc) && WEXITSTATUS(rc) == 77)
        GTEST_SKIP() << "python3-vobject is not installed (Debian package python3-vobject): the cards were not read back";
    ASSERT_EQ(0, rc);
    std::ostringstream got, want;
    got << std::ifstream(out, std::ios::binary).rdbuf();
    for (const wab::Contact& c : mailout::ExportedContacts(book)) want << Expected(c);
    EXPECT_EQ(want.str(), got.str());
    std::remove(path.c_str());
    std::remove(out.c_str());
}

}  // namespace
