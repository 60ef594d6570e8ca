#include "wab_writer.h"

#include <fstream>

#include "mailtext/utf.h"

namespace wabw {
namespace {

constexpr std::uint8_t kMagic[16] = {0x9C, 0xCB, 0xCB, 0x8D, 0x13, 0x75, 0xD2, 0x11,
                                     0x91, 0x58, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0xA4};
constexpr std::uint32_t kIndexType = 0xFA0, kTextType = 0x84D0;
constexpr std::uint32_t kIndexAt = 0x100;  // tables after a gap, as a grown file may have
constexpr std::uint32_t kTextEntry = 0x44; // 64 bytes of UTF-16 name, then the record id

void Add32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

Bytes Text8(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

Bytes Text16(const std::string& utf8) {
    Bytes b = Utf16(utf8);
    b.push_back(0);
    b.push_back(0);
    return b;
}

}  // namespace

Bytes Utf16(const std::string& utf8) {
    Bytes out;
    for (char16_t u : mailtext::Utf8ToUtf16(utf8)) {
        out.push_back(static_cast<std::uint8_t>(u));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

Prop Unicode(std::uint16_t id, const std::string& utf8) { return {std::uint32_t{id} << 16 | kUnicode, Text16(utf8), {}}; }
Prop Ansi(std::uint16_t id, const std::string& bytes) { return {std::uint32_t{id} << 16 | kString8, Text8(bytes), {}}; }
Prop Binary(std::uint16_t id, const Bytes& b) { return {std::uint32_t{id} << 16 | kBinary, b, {}}; }

Prop Long(std::uint16_t id, std::uint32_t v) {
    Prop p{std::uint32_t{id} << 16 | kLong, {}, {}};
    Add32(p.value, v);
    return p;
}

Prop Systime(std::uint16_t id, std::uint64_t filetime) {
    Prop p{std::uint32_t{id} << 16 | kSystime, {}, {}};
    Add32(p.value, static_cast<std::uint32_t>(filetime));
    Add32(p.value, static_cast<std::uint32_t>(filetime >> 32));
    return p;
}

Prop MvUnicode(std::uint16_t id, const std::vector<std::string>& utf8) {
    Prop p{std::uint32_t{id} << 16 | kMv | kUnicode, {}, {}};
    for (const auto& s : utf8) p.values.push_back(Text16(s));
    return p;
}

Prop MvAnsi(std::uint16_t id, const std::vector<std::string>& bytes) {
    Prop p{std::uint32_t{id} << 16 | kMv | kString8, {}, {}};
    for (const auto& s : bytes) p.values.push_back(Text8(s));
    return p;
}

Prop MvBinary(std::uint16_t id, const std::vector<Bytes>& values) { return {std::uint32_t{id} << 16 | kMv | kBinary, {}, values}; }

Bytes RecordEntryId(std::uint32_t recordId) {
    Bytes b;
    Add32(b, recordId);
    return b;
}

Bytes OneOff(const std::string& name, const std::string& type, const std::string& address, bool unicode) {
    Bytes b = {0,    0,    0,    0,                                                 // flags
               0x81, 0x2B, 0x1F, 0xA4, 0xBE, 0xA3, 0x10, 0x19, 0x9D, 0x6E, 0x00, 0xDD,  // one-off uid
               0x01, 0x0F, 0x54, 0x02, 0,    0,    0,    static_cast<std::uint8_t>(unicode ? 0x80 : 0)};  // version 0, flags
    for (const std::string* s : {&name, &type, &address}) Append(b, unicode ? Text16(*s) : Text8(*s));
    return b;
}

void Image::put32(std::uint64_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.at(at + static_cast<std::uint64_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

bool Image::writeTo(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

Image Write(const Book& book) {
    std::vector<const Record*> indexed;
    for (const Record& r : book.records)
        if (r.indexed) indexed.push_back(&r);

    // Tables: the index, then display names; the other name tables are left empty.
    const std::uint32_t indexSlots = static_cast<std::uint32_t>(indexed.size()) + book.spareSlots;
    const std::uint32_t namesAt = kIndexAt + 8 * indexSlots;
    Bytes names;
    std::uint32_t nameCount = 0;
    for (const Record* r : indexed) {
        if (r->name.empty()) continue;
        Bytes n = Utf16(r->name);
        n.resize(kTextEntry - 4 - 2, 0);  // at most 31 characters and a NUL
        n.resize(kTextEntry - 4, 0);
        Append(names, n);
        Add32(names, r->id);
        ++nameCount;
    }
    const std::uint32_t recordsAt = namesAt + static_cast<std::uint32_t>(names.size()) + 0x40;

    Image img;
    img.bytes.assign(recordsAt, 0);
    img.indexAt = kIndexAt;
    std::copy(kMagic, kMagic + 16, img.bytes.begin());
    img.put32(0x10, static_cast<std::uint32_t>(indexed.size()));
    img.put32(0x14, static_cast<std::uint32_t>(indexed.size()));
    int text = 0;
    for (int slot = 0; slot < 6; ++slot) {
        const std::uint64_t d = 0x18 + 16 * static_cast<std::uint64_t>(slot);
        if (slot == book.indexSlot) {
            img.put32(d, kIndexType);
            img.put32(d + 4, indexSlots);  // what this word means is unsure; the reader must not need it
            img.put32(d + 8, kIndexAt);
            img.put32(d + 12, static_cast<std::uint32_t>(indexed.size()));
            continue;
        }
        img.put32(d, kTextType);
        img.put32(d + 4, kTextEntry);
        img.put32(d + 8, text == 0 ? namesAt : recordsAt);
        img.put32(d + 12, text == 0 ? nameCount : 0);
        ++text;
    }
    std::copy(names.begin(), names.end(), img.bytes.begin() + namesAt);

    std::uint32_t slot = 0;
    for (const Record& r : book.records) {
        Bytes tags, heap;
        for (const Prop& p : r.props) {
            Add32(tags, p.tag);
            Add32(heap, p.tag);
            if (p.tag & kMv) {
                Bytes body;
                for (const Bytes& v : p.values) {
                    Add32(body, static_cast<std::uint32_t>(v.size()));
                    Append(body, v);
                }
                Add32(heap, static_cast<std::uint32_t>(p.values.size()));
                Add32(heap, static_cast<std::uint32_t>(body.size()));
                Append(heap, body);
            } else {
                Add32(heap, static_cast<std::uint32_t>(p.value.size()));
                Append(heap, p.value);
            }
        }
        const std::uint64_t at = img.bytes.size();
        img.recordAt[r.id] = at;
        Bytes head;
        for (std::uint32_t v : {r.deleted ? 0u : 1u, 1u, r.id, static_cast<std::uint32_t>(r.props.size()), 0x20u,
                                static_cast<std::uint32_t>(tags.size()), static_cast<std::uint32_t>(tags.size()),
                                static_cast<std::uint32_t>(heap.size())})
            Add32(head, v);
        Append(img.bytes, head);
        Append(img.bytes, tags);
        Append(img.bytes, heap);
        if (r.indexed) {
            img.put32(kIndexAt + 8 * slot, r.id);
            img.put32(kIndexAt + 8 * slot + 4, static_cast<std::uint32_t>(at));
            ++slot;
        }
    }
    return img;
}

}  // namespace wabw
