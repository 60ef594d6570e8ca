// A file written under a temporary name beside its target, which replaces the target only on
// Commit(): a write that fails part way leaves the old target as it was.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// <windows.h> defines ReplaceFile as a macro, so with UNICODE this class is compiled as
// platform::ReplaceFileW everywhere; the name still reads the same in our code.
class ReplaceFile {
public:
    // Creates a new, empty, uniquely named temporary file in the target's folder (named like
    // GetTempFileNameW does: up to three characters of `prefix`, four hex digits, ".tmp") and
    // keeps it open for writing and reading back, unshared. A target without a folder part
    // uses the current folder. When that fails, ok() is false, error() holds the Win32 error
    // and nothing is left on disk.
    // `tempFolder`, when given, holds the temporary instead (on the target's volume, so the
    // move stays a rename): a target whose folder does not exist yet can be written all the same.
    explicit ReplaceFile(std::wstring target, const wchar_t* prefix = L"qb~", const std::wstring& tempFolder = {});
    // The same with a temporary name of the caller's choosing, created or truncated.
    static ReplaceFile Named(std::wstring target, std::wstring temporary);

    ReplaceFile(ReplaceFile&& other) noexcept;
    ReplaceFile& operator=(ReplaceFile&&) = delete;
    ReplaceFile(const ReplaceFile&) = delete;
    ReplaceFile& operator=(const ReplaceFile&) = delete;
    // Closes the handle and deletes the temporary, unless Commit() returned 0. A failed or
    // missing Commit() therefore always leaves the target untouched and no temporary behind.
    ~ReplaceFile();

    bool ok() const { return made_; }
    DWORD error() const { return error_; }
    const std::wstring& target() const { return target_; }
    // Full when the target was given with a folder (GetTempFileNameW style), so it can be
    // compared with other full paths.
    const std::wstring& temporary() const { return temporary_; }
    // The open temporary; INVALID_HANDLE_VALUE after CloseFile() or Commit(), or when !ok().
    HANDLE handle() const { return handle_; }

    // Closes the handle early, e.g. so another API can write the temporary by its name. The
    // temporary itself stays until Commit() or the destructor.
    void CloseFile();
    // Closes the handle, then moves the temporary over the target (MoveFileExW with
    // MOVEFILE_REPLACE_EXISTING). Windows refuses a read-only target (ERROR_ACCESS_DENIED),
    // Wine 8 replaces it; a folder is refused by both.
    // Returns 0, after which the temporary is the target and is never deleted, or the Win32
    // error: then nothing moved, and Commit() may be called again (after clearing the
    // target's read-only attribute, say) before the destructor deletes the temporary.
    DWORD Commit();

private:
    ReplaceFile() = default;

    std::wstring target_;
    std::wstring temporary_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
    bool made_ = false;       // the temporary exists and is ours to delete
    bool committed_ = false;  // it has become the target
};

}  // namespace platform
