// A folder listing through FindFirstFileW / FindNextFileW whose search handle is closed once.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace platform {

class FindHandle {
public:
    // Starts the listing of `pattern` (say `C:\dir\*`). ok() is false when nothing matched
    // (error() ERROR_FILE_NOT_FOUND) or the folder cannot be read (another Win32 error).
    explicit FindHandle(const std::wstring& pattern)
        : h_(FindFirstFileW(pattern.c_str(), &data_)), error_(h_ == INVALID_HANDLE_VALUE ? GetLastError() : 0) {}
    FindHandle(FindHandle&& other) noexcept
        : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)), data_(other.data_), error_(other.error_) {}
    FindHandle& operator=(FindHandle&&) = delete;
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }

    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    DWORD error() const { return error_; }
    // The current entry; meaningful while ok() and the last Next() returned true.
    const WIN32_FIND_DATAW& data() const { return data_; }
    // Moves to the next entry; false at the end (error() ERROR_NO_MORE_FILES) or on a failure.
    bool Next() {
        if (h_ == INVALID_HANDLE_VALUE) return false;
        if (FindNextFileW(h_, &data_)) return true;
        error_ = GetLastError();
        return false;
    }

private:
    HANDLE h_;
    WIN32_FIND_DATAW data_;
    DWORD error_;
};

// The name, as stored on disk, of the first plain file (not hidden, system or a folder) that
// the path or pattern names; empty when there is none.
inline std::wstring FirstPlainFile(const std::wstring& pattern) {
    if (pattern.empty()) return {};
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    FindHandle find(pattern);
    for (bool more = find.ok(); more; more = find.Next())
        if (!(find.data().dwFileAttributes & kNotPlain)) return find.data().cFileName;
    return {};
}

}  // namespace platform
