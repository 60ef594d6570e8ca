#include "wab/records.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "wab/layout.h"

namespace wab {

using namespace layout;
using dbx::Le32;

namespace {

std::string Hex(std::uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
    return buf;
}

const std::uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// Splits a multi-valued body into `count` values of {length, bytes}; false when they do not fit.
bool SplitValues(std::string_view body, std::uint32_t count, std::uint16_t type, std::vector<std::string>& out) {
    if (count > body.size() / 4) return false;  // each value takes at least its length word
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (body.size() - at < 4) return false;
        const std::uint32_t len = Le32(Bytes(body) + at);
        at += 4;
        if (len > body.size() - at) return false;
        if (type == kPtUnicode && len % 2) return false;
        out.emplace_back(body.substr(at, len));
        at += len;
    }
    return true;
}

// Whether a single value has the size its type needs.
bool Fits(std::uint16_t type, std::size_t size) {
    switch (type) {
        case kPtLong: return size == 4;
        case kPtSystime: return size == 8;
        case kPtUnicode: return size % 2 == 0;
        default: return true;
    }
}

}  // namespace

std::vector<Property> ParseProperties(std::string_view data, std::uint32_t count, std::size_t* skipped) {
    std::vector<Property> out;
    std::size_t at = 0;
    std::uint32_t n = 0;
    for (; n < count; ++n) {
        const std::size_t left = data.size() - at;
        if (left < 8) break;
        Property prop;
        prop.tag = Le32(Bytes(data) + at);
        const std::uint16_t type = prop.type();
        if (type & kMvFlag) {
            if (left < 12) break;
            const std::uint32_t values = Le32(Bytes(data) + at + 4), size = Le32(Bytes(data) + at + 8);
            if (size > left - 12) break;
            const std::string_view body = data.substr(at + 12, size);
            at += 12 + std::size_t{size};
            const std::uint16_t one = type & ~kMvFlag;
            if (one == kPtString8 || one == kPtUnicode || one == kPtBinary) {
                if (!SplitValues(body, values, one, prop.values)) {
                    ++*skipped;
                    continue;
                }
            } else {
                prop.value.assign(body);  // other lists are not read: kept whole
            }
        } else {
            const std::uint32_t len = Le32(Bytes(data) + at + 4);
            if (len > left - 8) break;
            prop.value.assign(data.substr(at + 8, len));
            at += 8 + std::size_t{len};
            if (!Fits(type, len)) {
                ++*skipped;
                continue;
            }
        }
        out.push_back(std::move(prop));
    }
    *skipped += count - n;  // the one that ran past the data and all after it
    return out;
}

namespace {

class Scanner {
public:
    Scanner(dbx::Source& src, Book& book) : src_(src), book_(book), size_(src.size()), budget_(2 * size_ + (1u << 20)) {}

    // Reads the record the index lists at `offset` as `indexId` into out; false when none came.
    // Sets stop_ when the byte budget runs out.
    bool read(std::uint32_t indexId, std::uint64_t offset, Record& out) {
        const std::string where = "record " + std::to_string(indexId) + " at " + Hex(offset);
        std::uint8_t h[kRecordHeaderSize];
        if (offset < kHeaderSize || offset > size_ || size_ - offset < kRecordHeaderSize ||
            !src_.readAt(offset, h, sizeof h)) {
            return skip(where + ": not within the file");
        }
        if (Le32(h + kRecValid) == 0) {
            ++book_.deletedRecords;
            return false;
        }
        out.id = Le32(h + kRecId);
        out.offset = offset;
        if (out.id != indexId) AddProblem(book_, where + ": the record calls itself " + std::to_string(out.id));
        const std::uint32_t count = Le32(h + kRecPropCount);
        const std::uint64_t tags = 4 * std::uint64_t{count}, need = tags + Le32(h + kRecDataSize);
        if (count == 0) return skip(where + ": no properties");
        if (need > size_ - offset - kRecordHeaderSize) return skip(where + ": runs past the end of the file");
        if (need > budget_) {
            stop_ = true;
            return skip(where + ": not read, the index points at more data than the file holds");
        }
        budget_ -= need;
        std::string buf(static_cast<std::size_t>(need), '\0');
        if (!src_.readAt(offset + kRecordHeaderSize, buf.data(), buf.size())) return skip(where + ": could not be read");
        std::size_t dropped = 0;
        // The tag list only repeats the tags each value carries; the values are read by their own.
        out.props = ParseProperties(std::string_view(buf).substr(static_cast<std::size_t>(tags)), count, &dropped);
        if (dropped) {
            book_.skippedProperties += dropped;
            AddProblem(book_, where + ": " + std::to_string(dropped) + " of " + std::to_string(count) +
                                  " properties do not fit and were skipped");
        }
        if (out.props.empty()) return skip(where + ": no property could be read");
        return true;
    }

    bool stopped() const { return stop_; }

private:
    bool skip(std::string problem) {
        ++book_.skippedRecords;
        AddProblem(book_, std::move(problem));
        return false;
    }

    dbx::Source& src_;
    Book& book_;
    std::uint64_t size_;
    std::uint64_t budget_;
    bool stop_ = false;
};

}  // namespace

std::vector<Record> ReadRecords(dbx::Source& src, Book& book) {
    const std::uint64_t size = src.size();
    std::uint8_t head[kHeaderSize];
    if (size < kHeaderSize || !src.readAt(0, head, sizeof head)) {
        book.error = "too short for a Windows Address Book file";
        return {};
    }
    if (std::memcmp(head, kMagic, sizeof kMagic) != 0) {
        book.error = std::memcmp(head, kOldMagic, sizeof kOldMagic) == 0
                         ? "an address book in an older layout, which this reader does not read"
                         : "not a Windows Address Book file";
        return {};
    }

    // The record index is the table typed as one; its entries are 8 bytes whatever the
    // descriptor's size word says (the descriptions disagree on what that word means).
    const std::uint8_t* desc = nullptr;
    for (int i = 0; i < kDescriptorCount && !desc; ++i) {
        const std::uint8_t* d = head + kDescriptors + kDescriptorSize * static_cast<std::uint32_t>(i);
        if (Le32(d + kDescType) == kIndexTableType) desc = d;
    }
    if (!desc) {
        AddProblem(book, "no table is marked as the record index; the first table is read as it");
        desc = head + kDescriptors;
    }
    const std::uint64_t indexAt = Le32(desc + kDescOffset);
    std::uint64_t count = Le32(desc + kDescCount);
    const std::uint64_t room = indexAt <= size ? (size - indexAt) / kIndexEntrySize : 0;
    if (count > room) {
        AddProblem(book, "the record index lists " + std::to_string(count) + " records, the file holds " +
                             std::to_string(room) + " entries there");
        count = room;
    }

    std::vector<Record> out;
    Scanner scanner(src, book);
    std::unordered_set<std::uint64_t> offsets;
    std::unordered_set<std::uint32_t> ids;
    std::uint8_t chunk[512 * kIndexEntrySize];
    for (std::uint64_t first = 0; first < count && !scanner.stopped(); first += 512) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(512, count - first));
        if (!src.readAt(indexAt + first * kIndexEntrySize, chunk, n * kIndexEntrySize)) {
            AddProblem(book, "the record index could not be read past entry " + std::to_string(first));
            break;
        }
        for (std::size_t i = 0; i < n && !scanner.stopped(); ++i) {
            const std::uint32_t id = Le32(chunk + i * kIndexEntrySize), at = Le32(chunk + i * kIndexEntrySize + 4);
            if (at == 0) continue;                  // an unused entry
            if (!offsets.insert(at).second) continue;  // listed twice: read once
            Record r;
            if (!scanner.read(id, at, r)) continue;
            if (!ids.insert(r.id).second) {
                ++book.skippedRecords;
                AddProblem(book, "record " + std::to_string(r.id) + " at " + Hex(at) + ": a second record with this id");
                continue;
            }
            out.push_back(std::move(r));
        }
    }
    return out;
}

}  // namespace wab
