// Win32 file streams for the archive library.
#include "unlha32/win_file.h"

#include <algorithm>

namespace unlha {
namespace {

// 100 ns ticks between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;
constexpr DWORD kChunk = 1u << 20;

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& o) noexcept {
    if (this != &o) {
        close();
        h_ = o.h_;
        error_ = o.error_;
        o.h_ = INVALID_HANDLE_VALUE;
    }
    return *this;
}

void FileHandle::close() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
}

FileHandle OpenForRead(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return FileHandle(h, h == INVALID_HANDLE_VALUE ? GetLastError() : 0);
}

std::size_t FileInput::read(std::uint8_t* buffer, std::size_t size) {
    if (error_) return 0;
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, kChunk));
    if (!ReadFile(h_, buffer, want, &got, nullptr)) {
        error_ = GetLastError();
        return 0;
    }
    return got;
}

bool FileInput::skip(std::uint64_t size) {
    LARGE_INTEGER move, now;
    move.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(h_, move, &now, FILE_CURRENT)) {
        error_ = GetLastError();
        return false;
    }
    // Seeking past the end succeeds on Windows; the skip must not.
    return static_cast<std::uint64_t>(now.QuadPart) <= FileSize(h_);
}

bool FileInput::seekTo(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) return true;
    error_ = GetLastError();
    return false;
}

bool FileOutput::write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, kChunk));
        DWORD done = 0;
        if (!WriteFile(h_, data, want, &done, nullptr) || done != want) {
            if (!error_) error_ = done != want && GetLastError() == 0 ? ERROR_DISK_FULL : GetLastError();
            return false;
        }
        data += done;
        size -= done;
        pos_ += done;
    }
    return true;
}

bool FileOutput::seek(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) {
        if (!error_) error_ = GetLastError();
        return false;
    }
    pos_ = offset;
    return true;
}

bool FileOutput::truncate() {
    if (SetEndOfFile(h_)) return true;
    if (!error_) error_ = GetLastError();
    return false;
}

std::uint64_t FileSize(HANDLE h) {
    LARGE_INTEGER size;
    return GetFileSizeEx(h, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

std::int64_t FileTimeToUnix(const FILETIME& ft) {
    const std::int64_t ticks = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (ticks - kEpochTicks) / 10000000;
}

FILETIME UnixToFileTime(std::int64_t t) {
    const std::uint64_t ticks = static_cast<std::uint64_t>(t * 10000000 + kEpochTicks);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

}  // namespace unlha
