// The contacts of a backup's address book as one vCard or CSV file (qbmail contacts, and the
// mail window's "Contacts" tick): the source is a backup folder (its WAB.lzh, read in place), a
// WAB.lzh, or a .wab file.
#pragma once

#include "wab/book.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mailout {

enum class ContactsFormat { Vcf, Csv };

// The address book a source holds, read. `status` 0: read whole; 1: read with problems (or not
// at all: a backup made without its address book, a damaged archive); 2: no such source.
struct LoadedBook {
    int status = 0;
    wab::Book book;
    std::vector<std::string> problems;
};
LoadedBook LoadBook(const std::string& source, unsigned codePage);

struct ContactsSummary {
    int status = 0;             // as LoadedBook's; 1 too when the file could not be written
    std::size_t contacts = 0;   // cards or rows written
    std::size_t groups = 0;
    std::size_t skipped = 0;    // records and values that did not read
    std::vector<std::string> problems;
    std::string written;        // the file made: OUTFILE, or "OUTFILE (2)" when that was taken
    unsigned codePage = 0;
    bool codePageGuessed = false;
};

// Writes the contacts to `outFile`, never over a file that is there (a numbered name instead).
ContactsSummary ExportContacts(const std::string& source, const std::string& outFile, ContactsFormat format, unsigned codePage);

}  // namespace mailout
