// The address book's contacts as files today's mail programs, phones and web address books
// import in one go: one UTF-8 file of vCard 3.0 cards, or a CSV file with Outlook's column names.
#pragma once

#include <string>
#include <vector>

#include "wab/book.h"

namespace mailout {

// The contacts the files hold: the book's, in its order, then one for each group member that is
// none of them (an address kept only in a group), named and addressed as the group lists it and
// in the groups that list it. Members are matched to contacts by address, case aside; members
// without an address (groups in groups) give none.
std::vector<wab::Contact> ExportedContacts(const wab::Book& book);

// vCard 3.0 (RFC 2426), one card per exported contact: FN (the display name, else the name's
// parts, nickname, company or first address), N, NICKNAME, EMAIL;TYPE=INTERNET (PREF on the
// preferred one), TEL and ADR with their types, ORG (company, then department if any), TITLE,
// URL (the business page with TYPE=WORK; commas and semicolons percent-encoded, as some readers
// split URIs at them), NOTE, CATEGORIES (the contact's groups). Text values are escaped (\\ \,
// \; and \n for any line break), lines end in CR LF and are folded at 75 octets without
// splitting a UTF-8 character. Empty fields are left out. No cards: "".
std::string VCards(const wab::Book& book);

// CSV (RFC 4180): a UTF-8 byte order mark (Excel reads UTF-8 only with it; the importers of
// Outlook.com, Google Contacts and Thunderbird take it as well), the header row CsvColumns(),
// then a row per exported contact. Fields with a comma, quote or line break are quoted, quotes
// doubled; rows and line breaks inside fields are CR LF. A fourth address and later ones, and
// phones past their columns, are left out; categories are separated by ";" as Outlook does.
std::string ContactsCsv(const wab::Book& book);

// The CSV header: Outlook's English contact field names, which Outlook.com and Google Contacts
// map on import without asking, plus Thunderbird's "Display Name".
const std::vector<std::string>& CsvColumns();

}  // namespace mailout
