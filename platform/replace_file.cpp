// Temporary file beside a target, moved over it on Commit().
#include "platform/replace_file.h"

#include <atomic>
#include <cwchar>
#include <utility>

namespace platform {
namespace {

HANDLE CreateTemporary(const std::wstring& path, DWORD disposition) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Next four-digit number to try. Starting from the clock like GetTempFileNameW, but counting on
// within the process, so files made one after another in one folder rarely collide: the
// extraction makes one per member.
unsigned NextNumber() {
    static std::atomic<unsigned> next{(GetTickCount() ^ GetCurrentProcessId()) & 0xFFFF};
    return next.fetch_add(1) & 0xFFFF;
}

}  // namespace

ReplaceFile::ReplaceFile(std::wstring target, const wchar_t* prefix, const std::wstring& tempFolder)
    : target_(std::move(target)) {
    const std::size_t slash = target_.find_last_of(L"\\/");
    const std::wstring folder = !tempFolder.empty() ? tempFolder + L"\\"
                                : slash == std::wstring::npos ? L".\\"
                                                              : target_.substr(0, slash + 1);
    const std::wstring stem = folder + std::wstring(prefix, wcsnlen(prefix, 3));
    // Every number once at most, as GetTempFileNameW does, then give up.
    for (unsigned tries = 0; tries < 0x10000; ++tries) {
        const unsigned number = NextNumber();
        if (number == 0) continue;  // GetTempFileNameW never uses 0 either
        wchar_t digits[8];
        std::swprintf(digits, 8, L"%04X", number);
        std::wstring name = stem + digits + L".tmp";
        handle_ = CreateTemporary(name, CREATE_NEW);
        if (handle_ != INVALID_HANDLE_VALUE) {
            temporary_ = std::move(name);
            made_ = true;
            return;
        }
        error_ = GetLastError();
        // A folder of that name gives ERROR_ACCESS_DENIED; both mean "try the next name".
        if (error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS && error_ != ERROR_ACCESS_DENIED) return;
        if (error_ == ERROR_ACCESS_DENIED && GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    }
}

ReplaceFile ReplaceFile::Named(std::wstring target, std::wstring temporary) {
    ReplaceFile f;
    f.target_ = std::move(target);
    f.handle_ = CreateTemporary(temporary, CREATE_ALWAYS);
    if (f.handle_ == INVALID_HANDLE_VALUE) {
        f.error_ = GetLastError();
    } else {
        f.temporary_ = std::move(temporary);
        f.made_ = true;
    }
    return f;
}

ReplaceFile::ReplaceFile(ReplaceFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)),
      error_(other.error_),
      made_(std::exchange(other.made_, false)),
      committed_(other.committed_) {}

ReplaceFile::~ReplaceFile() {
    CloseFile();
    if (made_ && !committed_) DeleteFileW(temporary_.c_str());
}

void ReplaceFile::CloseFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

DWORD ReplaceFile::Commit() {
    CloseFile();
    if (!made_) return error_ ? error_ : ERROR_INVALID_HANDLE;
    if (committed_) return 0;
    if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) return GetLastError();
    committed_ = true;
    return 0;
}

}  // namespace platform
