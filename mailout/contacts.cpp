#include "mailout/contacts.h"

#include "mailout/names.h"

#include <map>
#include <string_view>

namespace mailout {
namespace {

// Adds `item` to a list in `list`, after `separator` unless it is the first.
void AddTo(std::string& list, std::string_view separator, std::string_view item) {
    if (!list.empty()) list += separator;
    list += item;
}

// --- vCard ---

// A text value with vCard's escapes; every line break (CR LF, CR or LF) becomes \n.
std::string Escape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' || c == ',' || c == ';') {
            out += '\\';
            out += c;
        } else if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// A URI value. URIs are not escaped in vCard, yet some readers split them at commas as if they
// were text: commas and semicolons are percent-encoded instead, line breaks dropped.
std::string Uri(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == ',') out += "%2C";
        else if (c == ';') out += "%3B";
        else if (c != '\r' && c != '\n') out += c;
    }
    return out;
}

// Appends one content line folded at 75 octets (a continuation's leading space counts), cutting
// only between UTF-8 characters, each physical line ended by CR LF.
void Fold(std::string& out, std::string_view line) {
    std::size_t limit = 75;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;
    }
    out.append(line);
    out += "\r\n";
}

void Property(std::string& out, std::string_view name, const std::string& value) {
    if (!value.empty()) Fold(out, std::string(name) + ":" + value);
}

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string out;
    bool first = true;
    for (std::string_view p : parts) {
        if (!first) out += ';';
        out += Escape(p);
        first = false;
    }
    return out;
}

std::string FormattedName(const wab::Contact& c) {
    if (!c.displayName.empty()) return c.displayName;
    std::string n;
    for (const std::string* part : {&c.givenName, &c.middleName, &c.familyName})
        if (!part->empty()) AddTo(n, " ", *part);
    if (!n.empty()) return n;
    if (!c.nickname.empty()) return c.nickname;
    if (!c.company.empty()) return c.company;
    return c.emails.empty() ? std::string() : c.emails.front();
}

const char* TelTypes(const std::string& type) {
    static const std::map<std::string, const char*> kTypes = {
        {"home", "HOME,VOICE"}, {"work", "WORK,VOICE"}, {"cell", "CELL,VOICE"}, {"fax", "FAX"},
        {"home fax", "HOME,FAX"}, {"work fax", "WORK,FAX"}, {"pager", "PAGER"}, {"car", "CAR,VOICE"}};
    const auto it = kTypes.find(type);
    return it == kTypes.end() ? "VOICE" : it->second;
}

void Card(std::string& out, const wab::Contact& c) {
    Fold(out, "BEGIN:VCARD");
    Fold(out, "VERSION:3.0");
    Fold(out, "FN:" + Escape(FormattedName(c)));
    Fold(out, "N:" + Joined({c.familyName, c.givenName, c.middleName, "", ""}));
    Property(out, "NICKNAME", Escape(c.nickname));
    for (std::size_t i = 0; i < c.emails.size(); ++i)
        Property(out, i == c.preferredEmail ? "EMAIL;TYPE=INTERNET,PREF" : "EMAIL;TYPE=INTERNET", Escape(c.emails[i]));
    for (const wab::Phone& p : c.phones) {
        std::string name = "TEL;TYPE=";
        name += TelTypes(p.type);
        Property(out, name, Escape(p.number));
    }
    for (const wab::Address& a : c.addresses) {
        std::string line = a.type == "work" ? "ADR;TYPE=WORK:" : "ADR;TYPE=HOME:";
        line += Joined({"", "", a.street, a.city, a.region, a.postalCode, a.country});
        Fold(out, line);
    }
    if (!c.department.empty()) Fold(out, "ORG:" + Joined({c.company, c.department}));
    else Property(out, "ORG", Escape(c.company));
    Property(out, "TITLE", Escape(c.title));
    Property(out, "URL", Uri(c.url));
    Property(out, "URL;TYPE=WORK", Uri(c.workUrl));
    Property(out, "NOTE", Escape(c.note));
    std::string categories;
    for (const std::string& g : c.groups) AddTo(categories, ",", Escape(g));
    Property(out, "CATEGORIES", categories);
    Fold(out, "END:VCARD");
}

// --- CSV ---

enum Column {
    kDisplay, kFirst, kMiddle, kLast, kNick, kEmail1, kEmail2, kEmail3,
    kHomePhone, kHomePhone2, kWorkPhone, kWorkPhone2, kMobile, kCar, kOtherPhone, kPager,
    kHomeFax, kWorkFax, kOtherFax,
    kHomeStreet, kHomeCity, kHomeState, kHomePostal, kHomeCountry,
    kWorkStreet, kWorkCity, kWorkState, kWorkPostal, kWorkCountry,
    kCompany, kDepartment, kJobTitle, kPersonalPage, kWorkPage, kNotes, kCategories, kColumns
};

// Where each phone type goes: its column, then a second one for a second number of the type.
struct PhoneColumns {
    const char* type;
    Column first, second;
};
constexpr PhoneColumns kPhoneColumns[] = {
    {"home", kHomePhone, kHomePhone2}, {"work", kWorkPhone, kWorkPhone2}, {"cell", kMobile, kOtherPhone},
    {"car", kCar, kOtherPhone},        {"pager", kPager, kOtherPhone},    {"home fax", kHomeFax, kOtherFax},
    {"work fax", kWorkFax, kOtherFax}, {"fax", kOtherFax, kOtherFax},     {"other", kOtherPhone, kOtherPhone},
};

// Line breaks as CR LF, the one form every importer reads inside a quoted field.
std::string CrLf(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            out += "\r\n";
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

void Field(std::string& out, const std::string& value) {
    const std::string v = CrLf(value);
    if (v.find_first_of(",\"\r\n") == std::string::npos) {
        out += v;
        return;
    }
    out += '"';
    for (char c : v) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void Row(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        Field(out, fields[i]);
    }
    out += "\r\n";
}

std::vector<std::string> CsvRow(const wab::Contact& c) {
    std::vector<std::string> f(kColumns);
    f[kDisplay] = FormattedName(c);
    f[kFirst] = c.givenName;
    f[kMiddle] = c.middleName;
    f[kLast] = c.familyName;
    f[kNick] = c.nickname;
    // The preferred address first, as E-mail Address is the one mail goes to.
    std::vector<std::string> emails;
    if (!c.emails.empty()) emails.push_back(c.emails[c.preferredEmail]);
    for (std::size_t i = 0; i < c.emails.size(); ++i)
        if (i != c.preferredEmail) emails.push_back(c.emails[i]);
    for (std::size_t i = 0; i < emails.size() && i < 3; ++i) f[kEmail1 + i] = emails[i];
    for (const wab::Phone& p : c.phones)
        for (const PhoneColumns& pc : kPhoneColumns) {
            if (p.type != pc.type) continue;
            const Column col = f[pc.first].empty() ? pc.first : pc.second;
            if (f[col].empty()) f[col] = p.number;
            break;
        }
    for (const wab::Address& a : c.addresses) {
        const int base = a.type == "work" ? kWorkStreet : kHomeStreet;
        if (!(f[base] + f[base + 1] + f[base + 2] + f[base + 3] + f[base + 4]).empty()) continue;
        f[base] = a.street;
        f[base + 1] = a.city;
        f[base + 2] = a.region;
        f[base + 3] = a.postalCode;
        f[base + 4] = a.country;
    }
    f[kCompany] = c.company;
    f[kDepartment] = c.department;
    f[kJobTitle] = c.title;
    f[kPersonalPage] = c.url;
    f[kWorkPage] = c.workUrl;
    f[kNotes] = c.note;
    for (const std::string& g : c.groups) AddTo(f[kCategories], ";", g);
    return f;
}

}  // namespace

std::vector<wab::Contact> ExportedContacts(const wab::Book& book) {
    std::vector<wab::Contact> out = book.contacts;
    std::map<std::string, std::size_t> byAddress;  // lower-case address -> contact in out
    for (std::size_t i = out.size(); i-- > 0;)
        for (const std::string& e : out[i].emails) byAddress[FoldCase(e)] = i;
    const std::size_t own = out.size();
    for (const wab::Group& g : book.groups)
        for (const auto& [name, address] : g.members) {
            if (address.empty()) continue;
            const auto [it, added] = byAddress.try_emplace(FoldCase(address), out.size());
            if (added) {
                wab::Contact c;
                c.displayName = name;
                c.emails.push_back(address);
                out.push_back(std::move(c));
            }
            if (it->second < own) continue;  // a contact of the book: the reader gave it its groups
            auto& groups = out[it->second].groups;
            if (groups.empty() || groups.back() != g.name) groups.push_back(g.name);
        }
    return out;
}

std::string VCards(const wab::Book& book) {
    std::string out;
    for (const wab::Contact& c : ExportedContacts(book)) Card(out, c);
    return out;
}

const std::vector<std::string>& CsvColumns() {
    static const std::vector<std::string> kNames = {
        "Display Name", "First Name", "Middle Name", "Last Name", "Nickname",
        "E-mail Address", "E-mail 2 Address", "E-mail 3 Address",
        "Home Phone", "Home Phone 2", "Business Phone", "Business Phone 2", "Mobile Phone", "Car Phone",
        "Other Phone", "Pager", "Home Fax", "Business Fax", "Other Fax",
        "Home Street", "Home City", "Home State", "Home Postal Code", "Home Country/Region",
        "Business Street", "Business City", "Business State", "Business Postal Code", "Business Country/Region",
        "Company", "Department", "Job Title", "Personal Web Page", "Web Page", "Notes", "Categories"};
    return kNames;
}

std::string ContactsCsv(const wab::Book& book) {
    std::string out = "\xEF\xBB\xBF";
    Row(out, CsvColumns());
    for (const wab::Contact& c : ExportedContacts(book)) Row(out, CsvRow(c));
    return out;
}

}  // namespace mailout
