#include "dbx/indexed_info.h"

#include "dbx/format.h"

#include <cstring>

namespace dbx {

using namespace layout;

bool IndexedInfo::read(Source& source, std::uint64_t offset, const char* what, Report& report) {
    bytes_.clear();
    entries_.clear();
    std::uint8_t head[kInfoHeaderSize];
    if (offset % 4 || offset < kHeaderSize || !source.readAt(offset, head, sizeof head)) {
        report.add(offset, std::string(what) + " lies outside the file");
        return false;
    }
    if (Le32(head) != offset) {
        report.add(offset, std::string(what) + " is not where the index points (marker " + Hex(Le32(head)) + ")");
        return false;
    }
    const std::uint32_t body = Le32(head + 4);
    const std::uint32_t count = head[kInfoEntriesAt];
    if (body > kInfoMaxBody || count * 4u > body) {
        report.add(offset, std::string(what) + " claims " + std::to_string(body) + " bytes for " +
                               std::to_string(count) + " entries");
        return false;
    }
    std::vector<std::uint8_t> all(body);
    if (!source.readAt(offset + kInfoHeaderSize, all.data(), body)) {
        report.add(offset, std::string(what) + " runs past the end of the file");
        return false;
    }
    entries_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* e = all.data() + i * 4;
        entries_.push_back({static_cast<std::uint8_t>(e[0] & 0x7F), (e[0] & 0x80) != 0,
                            std::uint32_t{e[1]} | std::uint32_t{e[2]} << 8 | std::uint32_t{e[3]} << 16});
    }
    bytes_.assign(all.begin() + count * 4, all.end());
    return true;
}

const IndexedInfo::Entry* IndexedInfo::find(int index) const {
    for (const Entry& e : entries_)
        if (e.index == index) return &e;
    return nullptr;
}

std::string_view IndexedInfo::data(const Entry& e) const {
    if (e.direct || e.value >= bytes_.size()) return {};
    return {reinterpret_cast<const char*>(bytes_.data()) + e.value, bytes_.size() - e.value};
}

std::optional<std::uint32_t> IndexedInfo::number(int index) const {
    const Entry* e = find(index);
    if (!e) return std::nullopt;
    if (e->direct) return e->value;
    const std::string_view d = data(*e);
    if (d.size() < 4) return std::nullopt;
    return Le32(reinterpret_cast<const std::uint8_t*>(d.data()));
}

std::optional<std::uint64_t> IndexedInfo::number64(int index) const {
    const Entry* e = find(index);
    if (!e) return std::nullopt;
    const std::string_view d = data(*e);
    if (d.size() < 8) return std::nullopt;
    return Le64(reinterpret_cast<const std::uint8_t*>(d.data()));
}

std::string_view IndexedInfo::text(int index) const {
    const Entry* e = find(index);
    if (!e) return {};
    const std::string_view d = data(*e);
    return d.substr(0, d.find('\0'));
}

}  // namespace dbx
