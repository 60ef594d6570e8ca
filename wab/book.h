// The contacts and groups of a Windows Address Book file (.wab, the WAB4 layout Outlook Express
// 5 and 6 write), read from its bytes: no file I/O of its own and no <windows.h>. All text is
// UTF-8. The reader trusts only what it can check: records are reached through the record index,
// each record's properties by their own tags and lengths; whatever does not fit the file is
// skipped and counted, and memory stays bounded by the file's size whatever its fields claim.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "dbx/source.h"

namespace wab {

struct Phone {
    std::string type;    // "home", "work", "cell", "fax", "home fax", "work fax", "pager", "car", "other"
    std::string number;
};

struct Address {
    std::string type;    // "home" or "work"
    std::string street, city, region, postalCode, country;  // street may hold line breaks
};

struct Contact {
    std::string displayName, givenName, middleName, familyName, nickname;
    std::string company, department, title;
    std::string url, workUrl;            // personal and business web pages
    std::string note;                    // line breaks as stored (CR LF)
    std::vector<std::string> emails;     // no empty or repeated ones (case aside)
    std::size_t preferredEmail = 0;      // index into emails; the reader puts the default first
    std::vector<Phone> phones;
    std::vector<Address> addresses;
    std::vector<std::string> groups;     // names of the groups it is in, in book order
};

struct Group {
    std::string name;
    std::vector<std::pair<std::string, std::string>> members;  // name, e-mail address ("" for a group)
};

struct Book {
    std::vector<Contact> contacts;       // in index order
    std::vector<Group> groups;
    std::size_t skippedRecords = 0;      // listed but unreadable: outside the file, damaged
    std::size_t skippedProperties = 0;   // in records read: values that do not fit, unknown members
    std::size_t deletedRecords = 0;      // listed but marked deleted
    std::size_t otherRecords = 0;        // neither contact nor group (folders, the book's own)
    unsigned codePage = 0;               // of the 8-bit text
    bool codePageGuessed = false;
    std::string error;                   // set when the bytes are no address book this reads
    std::vector<std::string> problems;   // English, the first few hundred
    std::size_t problemCount = 0;
};

// Reads the book. `codePage` is that of the 8-bit text; 0 chooses 932 or 1252 from the text
// itself, as a Windows of `systemCodePage` would (mailtext::GuessCodePage). A file that is not a
// WAB4 address book gives a Book with `error` set and nothing else; a damaged one gives what can
// be read, with the rest counted.
Book ReadBook(dbx::Source& bytes, unsigned codePage, unsigned systemCodePage = 0);

// The problems kept in a Book; the rest are only counted.
inline constexpr std::size_t kKeptProblems = 300;
void AddProblem(Book& book, std::string text);

}  // namespace wab
