// The file layer on Windows: wide calls with names converted from UTF-8, so any name the file
// system holds comes through on NT; the 32-bit build's stand-ins carry the calls to the ANSI
// functions on 98 and Me, where Storable() has first made each new name fit the code page.
#include "mailout/fs.h"

#include "mailtext/utf.h"

#include <windows.h>

#include <atomic>

namespace mailout::fs {

namespace {

bool OnWin9x() { return (GetVersion() & 0x80000000u) != 0; }

std::wstring Wide(const std::string& utf8) {
    const std::u16string u = mailtext::Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}

std::string Utf8(const wchar_t* wide) {
    std::u16string u;
    for (; *wide; ++wide) u += static_cast<char16_t>(*wide);
    return mailtext::Utf16ToUtf8(u);
}

// A path for the wide calls: past MAX_PATH on NT an absolute path goes with the \\?\ prefix,
// which also lifts the limit (deep folder trees and long subjects add up).
std::wstring PathArg(const std::string& utf8) {
    std::wstring w = Wide(utf8);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    if (w.size() >= MAX_PATH - 12 && !OnWin9x()) {
        // The prefix takes only a full path without . or .. in it: made so first.
        if (!w.starts_with(L"\\\\?\\")) {
            std::wstring full(32768, L'\0');
            const DWORD n = GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
            if (n > 0 && n < full.size()) w.assign(full.data(), n);
        }
        if (w.size() > 2 && w[1] == L':' && w[2] == L'\\') return L"\\\\?\\" + w;
        if (w.starts_with(L"\\\\") && !w.starts_with(L"\\\\?\\")) return L"\\\\?\\UNC\\" + w.substr(2);
    }
    return w;
}

bool WriteAll(HANDLE h, const std::uint8_t* p, std::size_t n) {
    while (n) {
        const DWORD chunk = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
        DWORD done = 0;
        if (!WriteFile(h, p, chunk, &done, nullptr) || done == 0) return false;
        p += done;
        n -= done;
    }
    return true;
}

// ReadFile at an offset with the file pointer: 98 and Me read no files overlapped.
bool ReadAt(HANDLE h, std::uint64_t offset, void* buffer, std::size_t n) {
    LONG high = static_cast<LONG>(offset >> 32);
    if (SetFilePointer(h, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (n) {
        const DWORD chunk = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
        DWORD got = 0;
        if (!ReadFile(h, p, chunk, &got, nullptr) || got == 0) return false;
        p += got;
        n -= got;
    }
    return true;
}

bool SizeOf(HANDLE h, std::uint64_t& size) {
    DWORD high = 0;
    const DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    size = std::uint64_t{high} << 32 | low;
    return true;
}

bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }  // 9x stubs give NULL

}  // namespace

char Separator() { return '\\'; }

Type TypeOf(const std::string& path) {
    const DWORD a = GetFileAttributesW(PathArg(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return Type::None;
    return a & FILE_ATTRIBUTE_DIRECTORY ? Type::Directory : Type::File;
}

bool ListDir(const std::string& dir, std::vector<Entry>& out) {
    out.clear();
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(PathArg(Join(dir, "*")).c_str(), &d);
    if (!Valid(h)) return false;
    do {
        const std::string name = Utf8(d.cFileName);
        if (name == "." || name == "..") continue;
        out.push_back({name, (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       std::uint64_t{d.nFileSizeHigh} << 32 | d.nFileSizeLow});
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return true;
}

Made MakeDir(const std::string& path) {
    if (CreateDirectoryW(PathArg(path).c_str(), nullptr)) return Made::Created;
    const DWORD e = GetLastError();
    return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? Made::Exists : Made::Failed;
}

bool MakeDirs(const std::string& path) {
    if (TypeOf(path) == Type::Directory) return true;
    const std::string parent = DirName(path);
    // A drive root ("C:\") or a share exists or does not; it is never made.
    if (parent != path && parent.size() > 3 && !MakeDirs(parent)) return false;
    return MakeDir(path) != Made::Failed && TypeOf(path) == Type::Directory;
}

std::string Storable(const std::string& name) {
    if (!OnWin9x()) return name;
    const std::u16string u = mailtext::Utf8ToUtf16(name);
    std::u16string out;
    for (char16_t c : u) {
        const wchar_t w = static_cast<wchar_t>(c);
        char bytes[4];
        BOOL lost = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, 0, &w, 1, bytes, sizeof bytes, nullptr, &lost);
        out += n > 0 && !lost && bytes[0] != '?' ? c : u'_';
    }
    return mailtext::Utf16ToUtf8(out);
}

struct InFile::Impl {
    HANDLE h = INVALID_HANDLE_VALUE;
};
InFile::InFile() : impl_(std::make_unique<Impl>()) {}
InFile::~InFile() {
    if (Valid(impl_->h)) CloseHandle(impl_->h);
}
bool InFile::open(const std::string& path) {
    impl_->h = CreateFileW(PathArg(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Valid(impl_->h)) {
        impl_->h = INVALID_HANDLE_VALUE;
        return false;
    }
    return SizeOf(impl_->h, size_);
}
bool InFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (!Valid(impl_->h) || offset > size_ || n > size_ - offset) return false;
    return n == 0 || ReadAt(impl_->h, offset, buffer, n);
}

struct OutFile::Impl {
    HANDLE h = INVALID_HANDLE_VALUE;
    bool appending = false;
};
OutFile::OutFile() : impl_(std::make_unique<Impl>()) {}
OutFile::~OutFile() { discard(); }

Made OutFile::create(const std::string& path) {
    discard();
    impl_->h = CreateFileW(PathArg(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Valid(impl_->h)) {
        impl_->h = INVALID_HANDLE_VALUE;
        const DWORD e = GetLastError();
        return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || (e == ERROR_ACCESS_DENIED && TypeOf(path) != Type::None)
                   ? Made::Exists
                   : Made::Failed;
    }
    impl_->appending = false;
    path_ = path;
    written_ = 0;
    buf_.clear();
    buf_.reserve(kOutBuffer);
    return Made::Created;
}

bool OutFile::append(const std::string& path) {
    discard();
    impl_->h = CreateFileW(PathArg(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Valid(impl_->h)) {
        impl_->h = INVALID_HANDLE_VALUE;
        return false;
    }
    impl_->appending = true;
    path_ = path;
    if (!SizeOf(impl_->h, written_)) return false;
    LONG high = static_cast<LONG>(written_ >> 32);
    SetFilePointer(impl_->h, static_cast<LONG>(written_ & 0xFFFFFFFFu), &high, FILE_BEGIN);
    buf_.clear();
    buf_.reserve(kOutBuffer);
    return true;
}

bool OutFile::writeRaw(const std::uint8_t* data, std::size_t n) { return Valid(impl_->h) && WriteAll(impl_->h, data, n); }

bool OutFile::cutRaw(std::uint64_t length) {
    LONG high = static_cast<LONG>(length >> 32);
    if (SetFilePointer(impl_->h, static_cast<LONG>(length & 0xFFFFFFFFu), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    return SetEndOfFile(impl_->h) != FALSE;
}

bool OutFile::finish(const std::int64_t* unixTime) {
    if (!Valid(impl_->h)) return false;
    bool ok = flush();
    if (ok && unixTime && *unixTime > -11644473600LL) {
        const std::uint64_t t = static_cast<std::uint64_t>(*unixTime + 11644473600LL) * 10000000ULL;
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(t);
        ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
        SetFileTime(impl_->h, nullptr, nullptr, &ft);  // a time the file system refuses is no reason to lose the file
    }
    ok = CloseHandle(impl_->h) && ok;
    impl_->h = INVALID_HANDLE_VALUE;
    if (!ok && !impl_->appending) DeleteFileW(PathArg(path_).c_str());
    return ok;
}

void OutFile::discard() {
    if (!Valid(impl_->h)) return;
    CloseHandle(impl_->h);
    impl_->h = INVALID_HANDLE_VALUE;
    if (!impl_->appending) DeleteFileW(PathArg(path_).c_str());
    buf_.clear();
}

struct ScratchFile::Impl {
    HANDLE h = INVALID_HANDLE_VALUE;
    std::wstring path;
};
ScratchFile::ScratchFile() : impl_(std::make_unique<Impl>()) {}
ScratchFile::~ScratchFile() {
    if (Valid(impl_->h)) CloseHandle(impl_->h);
    if (!impl_->path.empty()) DeleteFileW(impl_->path.c_str());  // 98 and Me: no delete on close
}

bool ScratchFile::create() {
    // The temporary folder from the environment (GetTempPathW has no stand-in on 98 and Me).
    wchar_t dir[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TEMP", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) n = GetEnvironmentVariableW(L"TMP", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    static std::atomic<unsigned> counter{0};
    const DWORD flags = FILE_ATTRIBUTE_TEMPORARY | (OnWin9x() ? 0 : FILE_FLAG_DELETE_ON_CLOSE);
    for (int tries = 0; tries < 100; ++tries) {
        const std::wstring path = std::wstring(dir) + L"\\qbmail-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(counter++) + L".tmp";
        impl_->h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
        if (Valid(impl_->h)) {
            impl_->path = path;
            buf_.reserve(kOutBuffer);
            return true;
        }
        impl_->h = INVALID_HANDLE_VALUE;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool ScratchFile::writeRaw(const std::uint8_t* data, std::size_t n) { return Valid(impl_->h) && WriteAll(impl_->h, data, n); }

bool ScratchFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (!Valid(impl_->h) || offset > size_ || n > size_ - offset) return false;
    return n == 0 || ReadAt(impl_->h, offset, buffer, n);
}

bool ErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

unsigned SystemCodePage() { return GetACP(); }

}  // namespace mailout::fs
