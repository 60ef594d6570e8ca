// The records of a .wab file as lists of MAPI properties, reached through the record index and
// checked against the file: the layer under the contacts, which knows nothing of their meaning.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbx/source.h"
#include "wab/book.h"

namespace wab {

struct Property {
    std::uint32_t tag = 0;
    std::string value;                 // single-valued: the bytes as stored
    std::vector<std::string> values;   // multi-valued strings and binaries: each value's bytes
    std::uint16_t type() const { return static_cast<std::uint16_t>(tag); }
    std::uint16_t id() const { return static_cast<std::uint16_t>(tag >> 16); }
};

struct Record {
    std::uint32_t id = 0;
    std::uint64_t offset = 0;
    std::vector<Property> props;
};

// Parses a record's property data: `count` entries at most, each by its own tag and length.
// A value whose length or layout does not fit is dropped and counted in *skipped; one whose
// length runs past the data ends the list there (counted too). Types the reader does not use are
// kept as bytes.
std::vector<Property> ParseProperties(std::string_view data, std::uint32_t count, std::size_t* skipped);

// Reads every record the record index lists, in index order, once each. Damaged, deleted and
// unreadable records are counted in `book` (skippedRecords, deletedRecords, skippedProperties)
// with a problem each; a file that is no WAB4 book sets book.error and returns nothing. Bytes
// read stay within twice the file's size however the index points.
std::vector<Record> ReadRecords(dbx::Source& src, Book& book);

}  // namespace wab
