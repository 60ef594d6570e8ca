// An indexed info object (a message info or a folder info): numbered entries, each a small
// number stored in the entry itself or an offset into the object's data, where a number, a
// FILETIME or a NUL-terminated string lies. Every offset is checked against the object.
#pragma once

#include "dbx/report.h"
#include "dbx/source.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dbx {

class IndexedInfo {
public:
    // Reads the object at `offset`; false (with a problem in `report`) when its marker, length
    // or entry table does not fit. `what` names the object in the report ("message info").
    bool read(Source& source, std::uint64_t offset, const char* what, Report& report);

    bool has(int index) const { return find(index) != nullptr; }
    // A 32-bit number: the 3-byte value of a direct entry, or 4 bytes of data.
    std::optional<std::uint32_t> number(int index) const;
    // 8 bytes of data (a FILETIME).
    std::optional<std::uint64_t> number64(int index) const;
    // A string up to its NUL or the end of the data; empty when absent.
    std::string_view text(int index) const;

private:
    struct Entry {
        std::uint8_t index;
        bool direct;
        std::uint32_t value;
    };
    const Entry* find(int index) const;
    // Bytes from an entry's data offset to the end of the data; empty when out of range.
    std::string_view data(const Entry& e) const;

    std::vector<std::uint8_t> bytes_;  // the object's data field
    std::vector<Entry> entries_;
};

}  // namespace dbx
