#include "wab/book.h"

#include <map>
#include <optional>
#include <set>

#include "mailtext/codepage.h"
#include "wab/entry_id.h"
#include "wab/layout.h"
#include "wab/records.h"
#include "wab/text.h"

namespace wab {

using namespace layout;

void AddProblem(Book& book, std::string text) {
    ++book.problemCount;
    if (book.problems.size() < kKeptProblems) book.problems.push_back(std::move(text));
}

namespace {

// ASCII letters in lower case: e-mail addresses are compared so.
std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A record's properties looked up by id; text in the book's code page, UTF-16 text preferred
// where a record holds both forms.
class View {
public:
    View(const Record& r, unsigned codePage) : r_(r), cp_(codePage) {}

    // The first property of this id and type, or null.
    const Property* find(std::uint16_t id, std::uint16_t type) const {
        for (const Property& p : r_.props)
            if (p.id() == id && p.type() == type) return &p;
        return nullptr;
    }
    // A string property's text; "" when the record has none.
    std::string text(std::uint16_t id) const {
        if (const Property* p = find(id, kPtUnicode)) return Utf16Text(p->value);
        if (const Property* p = find(id, kPtString8)) return Text8(p->value, cp_);
        return {};
    }
    // Each value of a multi-valued string property; none when the record has none.
    std::vector<std::string> texts(std::uint16_t id) const {
        std::vector<std::string> out;
        if (const Property* p = find(id, kMvFlag | kPtUnicode))
            for (const auto& v : p->values) out.push_back(Utf16Text(v));
        else if (const Property* q = find(id, kMvFlag | kPtString8))
            for (const auto& v : q->values) out.push_back(Text8(v, cp_));
        return out;
    }
    // A PT_LONG's value (its size was checked when it was read).
    std::optional<std::uint32_t> number(std::uint16_t id) const {
        if (const Property* p = find(id, kPtLong)) return dbx::Le32(reinterpret_cast<const std::uint8_t*>(p->value.data()));
        return std::nullopt;
    }

private:
    const Record& r_;
    unsigned cp_;
};

// The addresses without empty or repeated ones (case aside), the preferred one first: the
// record's own e-mail address, else the one the default index names; then the list's others.
void SetEmails(Contact& c, const std::vector<std::string>& list, const std::string& primary, std::optional<std::uint32_t> index) {
    std::string preferred = primary;
    if (preferred.empty() && index && *index < list.size()) preferred = list[*index];
    std::set<std::string> seen;
    if (!preferred.empty()) {
        c.emails.push_back(preferred);
        seen.insert(Lower(preferred));
    }
    for (const std::string& e : list)
        if (!e.empty() && seen.insert(Lower(e)).second) c.emails.push_back(e);
    c.preferredEmail = 0;
}

struct PhoneTag {
    std::uint16_t id;
    const char* type;
};
constexpr PhoneTag kPhones[] = {
    {kHomePhone, "home"},   {kHome2Phone, "home"},          {kBusinessPhone, "work"},
    {kBusiness2Phone, "work"}, {kMobilePhone, "cell"},      {kHomeFax, "home fax"},
    {kBusinessFax, "work fax"}, {kPrimaryFax, "fax"},        {kPager, "pager"},
    {kCarPhone, "car"},     {kOtherPhone, "other"},
};

// A contact record's fields; an address with no part set is left out.
Contact MakeContact(const View& v) {
    Contact c;
    c.displayName = v.text(kDisplayName);
    c.givenName = v.text(kGivenName);
    c.middleName = v.text(kMiddleName);
    c.familyName = v.text(kSurname);
    c.nickname = v.text(kNickname);
    c.company = v.text(kCompany);
    c.department = v.text(kDepartment);
    c.title = v.text(kTitle);
    c.url = v.text(kPersonalHomePage);
    c.workUrl = v.text(kBusinessHomePage);
    c.note = v.text(kComment);
    SetEmails(c, v.texts(kContactEmails), v.text(kEmailAddress), v.number(kDefaultAddressIndex));
    for (const PhoneTag& t : kPhones)
        if (std::string n = v.text(t.id); !n.empty()) c.phones.push_back({t.type, std::move(n)});
    Address home{"home", v.text(kHomeStreet), v.text(kHomeCity), v.text(kHomeRegion), v.text(kHomePostalCode), v.text(kHomeCountry)};
    Address work{"work", v.text(kWorkStreet), v.text(kWorkCity), v.text(kWorkRegion), v.text(kWorkPostalCode), v.text(kWorkCountry)};
    for (Address* a : {&home, &work})
        if (!(a->street + a->city + a->region + a->postalCode + a->country).empty()) c.addresses.push_back(std::move(*a));
    return c;
}

// The name a member is listed by when it is a contact.
std::string MemberName(const Contact& c) {
    if (!c.displayName.empty()) return c.displayName;
    std::string n = c.givenName;
    if (!c.familyName.empty()) {
        if (!n.empty()) n += ' ';
        n += c.familyName;
    }
    return n;
}

// The 8-bit text of all records, for choosing the code page.
std::vector<std::string_view> Samples(const std::vector<Record>& records) {
    std::vector<std::string_view> out;
    for (const Record& r : records)
        for (const Property& p : r.props) {
            if (p.type() == kPtString8) out.push_back(std::string_view(p.value).substr(0, p.value.find('\0')));
            if (p.type() == (kMvFlag | kPtString8))
                for (const auto& v : p.values) out.push_back(std::string_view(v).substr(0, v.find('\0')));
            if (p.type() == (kMvFlag | kPtBinary))
                for (const auto& v : p.values) {
                    std::string_view parts[3];
                    OneOffStrings8(v, parts);
                    out.insert(out.end(), parts, parts + 3);
                }
        }
    return out;
}

struct PendingGroup {
    std::uint32_t id = 0;
    std::vector<MemberId> members;
};

}  // namespace

Book ReadBook(dbx::Source& bytes, unsigned codePage, unsigned systemCodePage) {
    Book book;
    const std::vector<Record> records = ReadRecords(bytes, book);
    if (!book.error.empty()) return book;

    book.codePage = codePage;
    if (codePage == 0) {
        book.codePage = mailtext::GuessCodePage(Samples(records), systemCodePage);
        book.codePageGuessed = true;
    } else if (!mailtext::IsSupportedCodePage(codePage)) {
        AddProblem(book, "code page " + std::to_string(codePage) + " is not one this reader knows; its 8-bit text is lost");
    }

    std::map<std::uint32_t, std::size_t> contactAt, groupAt;
    std::vector<PendingGroup> pending;
    for (const Record& r : records) {
        const View v(r, book.codePage);
        const std::optional<std::uint32_t> type = v.number(kObjectType);
        if (type == kMailUser) {
            contactAt[r.id] = book.contacts.size();
            book.contacts.push_back(MakeContact(v));
        } else if (type == kDistList) {
            groupAt[r.id] = book.groups.size();
            book.groups.push_back({v.text(kDisplayName), {}});
            PendingGroup g{r.id, {}};
            // Members are entry ids in the book's own multi-valued binaries (their ids vary
            // between descriptions): every such value that reads as an entry id is one.
            for (const Property& p : r.props) {
                if (p.id() < kFirstPrivateId || p.type() != (kMvFlag | kPtBinary)) continue;
                for (const std::string& e : p.values) {
                    MemberId m = ParseEntryId(e, book.codePage);
                    if (m.kind != MemberId::Kind::Unknown) {
                        g.members.push_back(std::move(m));
                    } else {
                        ++book.skippedProperties;
                        AddProblem(book, "group record " + std::to_string(r.id) + ": a member entry id of a form not known");
                    }
                }
            }
            pending.push_back(std::move(g));
        } else {
            ++book.otherRecords;
        }
    }

    std::map<std::string, std::size_t> byEmail;  // lower-case address -> contact
    for (std::size_t i = book.contacts.size(); i-- > 0;)
        for (const std::string& e : book.contacts[i].emails) byEmail[Lower(e)] = i;
    std::set<std::pair<std::size_t, std::string>> inGroup;  // contact, group name
    auto joinGroup = [&](std::size_t contact, const std::string& group) {
        if (inGroup.insert({contact, group}).second) book.contacts[contact].groups.push_back(group);
    };
    for (const PendingGroup& pg : pending) {
        Group& g = book.groups[groupAt[pg.id]];
        std::set<std::pair<std::string, std::string>> listed;
        auto add = [&g, &listed](std::string name, std::string address) {
            if (listed.insert({name, address}).second) g.members.emplace_back(std::move(name), std::move(address));
        };
        for (const MemberId& m : pg.members) {
            if (m.kind == MemberId::Kind::OneOff) {
                if (auto it = byEmail.find(Lower(m.address)); it != byEmail.end()) joinGroup(it->second, g.name);
                add(m.name, m.address);
            } else if (auto c = contactAt.find(m.recordId); c != contactAt.end()) {
                joinGroup(c->second, g.name);
                const Contact& contact = book.contacts[c->second];
                add(MemberName(contact), contact.emails.empty() ? std::string() : contact.emails[contact.preferredEmail]);
            } else if (auto sub = groupAt.find(m.recordId); sub != groupAt.end()) {
                add(book.groups[sub->second].name, {});
            } else {
                AddProblem(book, "group \"" + g.name + "\": member record " + std::to_string(m.recordId) + " is not in the book");
            }
        }
    }
    return book;
}

}  // namespace wab
