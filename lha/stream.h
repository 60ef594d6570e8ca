// Byte streams the codec reads from and writes to; the codec itself does no file I/O.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lha {

class InputStream {
public:
    virtual ~InputStream() = default;
    // Reads up to `size` bytes; returns the count read, 0 at the end.
    // Sets failed() and returns 0 on an error.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t size) = 0;
    // Skips `size` bytes; returns false when the input ends first or fails.
    // The default reads and discards; seekable streams override it.
    virtual bool skip(std::uint64_t size);
    virtual bool failed() const { return false; }
};

class OutputStream {
public:
    virtual ~OutputStream() = default;
    // Writes all `size` bytes or returns false.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

// A stream over memory, for tests and for in-memory archives.
class MemoryInput final : public InputStream {
public:
    MemoryInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override;
    bool skip(std::uint64_t size) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// An output the writer can go back in, to fill in a member header once its data is written.
class SeekableOutput : public OutputStream {
public:
    // Current write position, in bytes from the start.
    virtual std::uint64_t position() const = 0;
    // Moves the write position (at most to the current end); false on an error.
    virtual bool seek(std::uint64_t offset) = 0;
    // Cuts the output at the current position; false when the output cannot shrink.
    virtual bool truncate() { return false; }
};

}  // namespace lha
