// Random access to the bytes of one store file, wherever they lie: a file on disk, an archive
// member decoded into memory or into a temporary file. The reader asks for small pieces (a
// 16-byte block header, a 0x27C-byte tree node) at scattered offsets, so a page cache sits in
// front of whatever does the real reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace dbx {

class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t size() const = 0;
    // Fills `n` bytes from `offset`; false when they are not all there or the read fails.
    virtual bool readAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;
};

// Bytes held in memory (not owned).
class MemorySource final : public Source {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A few pages of another source kept in memory, least recently used out first. Memory stays
// at pages x pageSize whatever the file's size.
class CachedSource final : public Source {
public:
    explicit CachedSource(Source& inner, std::size_t pageSize = 64 * 1024, std::size_t pages = 16);
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

    // The bytes [offset, offset + n) when they lie within one page, else nullptr; valid until
    // the next call. Saves a copy for the many small reads of headers.
    const std::uint8_t* peek(std::uint64_t offset, std::size_t n);

    // Reads fail once this many bytes have been handed out. A damaged file can make objects
    // overlap and chains share blocks, so that walking it would read the same bytes without
    // end; a real file is read a few times over at most.
    void setBudget(std::uint64_t bytes) { budget_ = bytes; }
    bool exhausted() const { return exhausted_; }

private:
    struct Page {
        std::uint64_t index = ~std::uint64_t{0};
        std::uint64_t used = 0;  // last use, for eviction
        std::size_t length = 0;  // bytes valid (the last page of a file is short)
        std::vector<std::uint8_t> bytes;
    };
    Page* load(std::uint64_t index);

    Source& inner_;
    std::uint64_t size_;
    std::size_t pageSize_;
    std::vector<Page> pages_;
    std::uint64_t clock_ = 0;
    Page* last_ = nullptr;
    std::uint64_t budget_ = ~std::uint64_t{0};
    bool exhausted_ = false;
    bool charge(std::size_t n);
};

// Little-endian numbers from bytes already read.
inline std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
inline std::uint64_t Le64(const std::uint8_t* p) { return Le32(p) | std::uint64_t{Le32(p + 4)} << 32; }

}  // namespace dbx
