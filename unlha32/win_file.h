// Win32 file handles as the archive library's streams.
#pragma once

#include "lha/stream.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace unlha {

// Owns a file handle; INVALID_HANDLE_VALUE when the open failed (see error()).
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(HANDLE h, DWORD error) : h_(h), error_(error) {}
    FileHandle(FileHandle&& o) noexcept : h_(o.h_), error_(o.error_) { o.h_ = INVALID_HANDLE_VALUE; }
    FileHandle& operator=(FileHandle&& o) noexcept;
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    DWORD error() const { return error_; }
    void close();

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
};

// Opens an existing file for reading (others may read it too).
FileHandle OpenForRead(const std::wstring& path);

// Reads a file handle from its current position.
class FileInput final : public lha::InputStream {
public:
    explicit FileInput(HANDLE h) : h_(h) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override;
    bool skip(std::uint64_t size) override;
    bool failed() const override { return error_ != 0; }
    // Moves to an absolute offset; false on an error.
    bool seekTo(std::uint64_t offset);
    DWORD error() const { return error_; }

private:
    HANDLE h_;
    DWORD error_ = 0;
};

// Writes a file handle; remembers the Win32 error of the first failing call.
class FileOutput final : public lha::SeekableOutput {
public:
    explicit FileOutput(HANDLE h) : h_(h) {}
    bool write(const std::uint8_t* data, std::size_t size) override;
    std::uint64_t position() const override { return pos_; }
    bool seek(std::uint64_t offset) override;
    bool truncate() override;
    DWORD error() const { return error_; }
    bool diskFull() const { return error_ == ERROR_DISK_FULL || error_ == ERROR_HANDLE_DISK_FULL; }

private:
    HANDLE h_;
    std::uint64_t pos_ = 0;
    DWORD error_ = 0;
};

// Size of an open file, or 0 when it cannot be told.
std::uint64_t FileSize(HANDLE h);

// Unix time (seconds since 1970 UTC) of a FILETIME, and back.
std::int64_t FileTimeToUnix(const FILETIME& ft);
FILETIME UnixToFileTime(std::int64_t t);

}  // namespace unlha
