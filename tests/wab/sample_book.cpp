#include "sample_book.h"

namespace wabw {
namespace {

Record Contact(std::uint32_t id, const std::string& name, std::vector<Prop> props) {
    props.insert(props.begin(), {Long(kObjectType, 6), Unicode(kDisplayName, name)});
    return {id, std::move(props), false, true, name};
}

// An entry imported from an older address book: its text in 8-bit code page 932.
Record Contact932(std::uint32_t id, const std::string& name, std::vector<Prop> props) {
    props.insert(props.begin(), {Long(kObjectType, 6), Ansi(kDisplayName, name)});
    return {id, std::move(props), false, true, ""};
}

Prop Emails(std::vector<std::string> list) {
    return MvUnicode(kEmails, std::move(list));
}

}  // namespace

Book SampleBook() {
    Book b;
    b.records = {
        Contact(
            1, "山田 太郎",
            {Unicode(kSurname, "山田"), Unicode(kGiven, "太郎"), Emails({"taro.yamada@example.jp"}), Long(kDefaultIndex, 0),
             Unicode(kEmail, "taro.yamada@example.jp"), Unicode(kHomePhone, "03-1234-5678"), Unicode(kMobile, "090-1234-5678"),
             Unicode(kHomeStreet, "神田神保町1-2-3\r\nサンプルマンション101"), Unicode(kHomeCity, "千代田区"),
             Unicode(kHomeRegion, "東京都"), Unicode(kHomePostal, "101-0051"), Unicode(kHomeCountry, "日本")}),
        Contact(
            2, "佐藤 花子",
            {Unicode(kSurname, "佐藤"), Unicode(kGiven, "花子"), Emails({"hanako.sato@example.co.jp", "hanako@example.ne.jp"}),
             Long(kDefaultIndex, 0), Unicode(kEmail, "hanako.sato@example.co.jp"), Unicode(kCompany, "株式会社サンプル商事"),
             Unicode(kDepartment, "営業部"), Unicode(kTitle, "課長"), Unicode(kWorkPhone, "06-6123-4567"),
             Unicode(kWorkFax, "06-6123-4568"), Unicode(kWorkStreet, "梅田2-4-9"), Unicode(kWorkCity, "大阪市北区"),
             Unicode(kWorkRegion, "大阪府"), Unicode(kWorkPostal, "530-0001"), Unicode(kWorkPage, "http://www.example.co.jp/")}),
        Contact932(
            3, "\x97\xe9\x96\xd8\x20\x88\xea\x98\x59",  // 鈴木 一郎
            {Ansi(kSurname, "\x97\xe9\x96\xd8"), Ansi(kGiven, "\x88\xea\x98\x59"), Ansi(kEmail, "ichiro@example.co.jp"),
             Ansi(kHomePhone, "045-987-6543"),
             Ansi(kComment, "\x8e\xef\x96\xa1\x3a\x20\x92\xde\x82\xe8\r\n\x94\x4e\x89\xea\x8f\xf3\x82\xf0\x91\x97\x82\xe9")}),
        Contact(4, "高橋 美咲",
                {Unicode(kSurname, "高橋"), Unicode(kGiven, "美咲"), Unicode(kNickname, "みさき"),
                 Emails({"misaki@example.jp", "misaki.takahashi@example.com"}), Long(kDefaultIndex, 1),
                 Unicode(kEmail, "misaki.takahashi@example.com"), Unicode(kMobile, "080-5555-0101")}),
        Contact932(5, "\x94\x5c\x93\x6f\x20\x8c\x92",  // 能登 健: 0x5C trail bytes
                   {Ansi(kSurname, "\x94\x5c\x93\x6f"), Ansi(kGiven, "\x8c\x92"), Ansi(kEmail, "ken.noto@example.jp"),
                    Ansi(kHomeCity, "\x8b\xe0\x91\xf2\x8e\x73"), Ansi(kHomeRegion, "\x90\xce\x90\xec\x8c\xa7")}),
        Contact(6, "Anna Müller",
                {Unicode(kGiven, "Anna"), Unicode(kSurname, "Müller"), Emails({"anna.mueller@example.de"}),
                 Long(kDefaultIndex, 0), Unicode(kEmail, "anna.mueller@example.de"), Unicode(kHomePhone, "+49 30 1234567"),
                 Unicode(kHomeStreet, "Hauptstraße 5"), Unicode(kHomeCity, "Berlin"), Unicode(kHomePostal, "10115"),
                 Unicode(kHomeCountry, "Deutschland")}),
        Contact(7, "John Smith",
                {Unicode(kGiven, "John"), Unicode(kSurname, "Smith"), Unicode(kMiddle, "A."), Emails({"john.smith@example.com"}),
                 Long(kDefaultIndex, 0), Unicode(kEmail, "john.smith@example.com"), Unicode(kCompany, "Example, Inc."),
                 Unicode(kTitle, "Sales Manager"), Unicode(kWorkPhone, "+1 212 555 0100"), Unicode(kWorkFax, "+1 212 555 0101"),
                 Unicode(kWorkStreet, "350 Fifth Avenue"), Unicode(kWorkCity, "New York"), Unicode(kWorkRegion, "NY"),
                 Unicode(kWorkPostal, "10118"), Unicode(kWorkCountry, "USA")}),
        Contact(8, "Marie Dubois",
                {Unicode(kGiven, "Marie"), Unicode(kSurname, "Dubois"), Emails({"marie.dubois@example.fr"}),
                 Long(kDefaultIndex, 0), Unicode(kEmail, "marie.dubois@example.fr"), Unicode(kMobile, "+33 6 12 34 56 78"),
                 Unicode(kHomeStreet, "12, rue de l'Église"), Unicode(kHomeCity, "Paris"), Unicode(kHomePostal, "75004"),
                 Unicode(kHomeCountry, "France")}),
        Contact(9, "Carlos García",
                {Unicode(kGiven, "Carlos"), Unicode(kSurname, "García"), Emails({"carlos@example.es"}), Long(kDefaultIndex, 0),
                 Unicode(kEmail, "carlos@example.es"), Unicode(kHomePage, "http://carlos.example.es/")}),
        Contact(10, "Emily Johnson",
                {Unicode(kGiven, "Emily"), Unicode(kSurname, "Johnson"), Emails({"emily.j@example.org"}), Long(kDefaultIndex, 0),
                 Unicode(kEmail, "emily.j@example.org"),
                 Unicode(kComment, "Met at the 2003 conference in Kyoto.\r\nPrefers e-mail; call only if urgent.")}),
        Contact(11, "田中 誠",
                {Unicode(kSurname, "田中"), Unicode(kGiven, "誠"), Emails({"makoto.tanaka@example.jp"}), Long(kDefaultIndex, 0),
                 Unicode(kEmail, "makoto.tanaka@example.jp"), Unicode(kPager, "020-4567-8901")}),
        Contact(12, "Peter O'Brien",
                {Unicode(kGiven, "Peter"), Unicode(kSurname, "O'Brien"), Emails({"peter.obrien@example.ie"}),
                 Long(kDefaultIndex, 0), Unicode(kEmail, "peter.obrien@example.ie"), Unicode(kHomePhone, "+353 1 555 0199")}),
        {20,
         {Long(kObjectType, 8), Unicode(kDisplayName, "家族"), MvBinary(kDlEntries, {RecordEntryId(1), RecordEntryId(4)})},
         false,
         true,
         "家族"},
        {21,
         {Long(kObjectType, 8), Unicode(kDisplayName, "Book club"),
          MvBinary(kDlEntries, {RecordEntryId(6), RecordEntryId(7), RecordEntryId(8)}),
          MvBinary(kDlOneOffs, {OneOff("Lucy Gray", "SMTP", "lucy.gray@example.org", true)})},
         false,
         true,
         "Book club"},
    };
    Record gone = Contact(13, "削除済み", {Unicode(kEmail, "old@example.jp")});
    gone.deleted = true;
    gone.indexed = false;
    b.records.push_back(gone);
    return b;
}

}  // namespace wabw
