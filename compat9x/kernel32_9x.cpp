// kernel32's wide functions over the ANSI ones, and the file functions 98 and Me lack.
#include "compat9x/compat9x.h"
#include "compat9x/nine.h"

#include <string>

namespace compat9x::nine {
namespace {

void WidenFindData(const WIN32_FIND_DATAA& a, WIN32_FIND_DATAW& w) {
    w.dwFileAttributes = a.dwFileAttributes;
    w.ftCreationTime = a.ftCreationTime;
    w.ftLastAccessTime = a.ftLastAccessTime;
    w.ftLastWriteTime = a.ftLastWriteTime;
    w.nFileSizeHigh = a.nFileSizeHigh;
    w.nFileSizeLow = a.nFileSizeLow;
    w.dwReserved0 = a.dwReserved0;
    w.dwReserved1 = a.dwReserved1;
    // Never the short name in place of a long one the code page cannot hold: an archive would
    // keep the file under a name it never had.
    CopyOut(WidenName(a.cFileName), w.cFileName, MAX_PATH);
    CopyOut(WidenName(a.cAlternateFileName), w.cAlternateFileName, 14);
}

// A result of `text` in a caller's buffer of `size` characters, as the system's wide calls give
// it: the characters copied without the NUL, or, when it does not fit, the size it needs with
// the NUL.
DWORD GiveText(const std::wstring& text, LPWSTR buffer, DWORD size) {
    if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
    CopyOut(text, buffer, static_cast<int>(size));
    return static_cast<DWORD>(text.size());
}

// A name the code page cannot hold names no file on the 9x family: the call fails, as for a bad
// name, rather than reach a file of another name ("?" would even be a wildcard).
template <class R>
R Refused(R failure) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return failure;
}

}  // namespace

HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
    const AnsiArg path(name);
    if (!path.exact()) return Refused(INVALID_HANDLE_VALUE);
    // 9x knows neither delete sharing nor delete access: a check for "can this be replaced" then
    // asks for reading, and still meets a program that holds the file unshared.
    if (access & DELETE) access = (access & ~DELETE) | GENERIC_READ;
    return CreateFileA(path, access, share & ~FILE_SHARE_DELETE, security, disposition, flags, templateFile);
}

BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
    const AnsiArg narrow(path);
    return narrow.exact() ? CreateDirectoryA(narrow, security) : Refused(FALSE);
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR path) {
    const AnsiArg narrow(path);
    return narrow.exact() ? RemoveDirectoryA(narrow) : Refused(FALSE);
}

BOOL WINAPI DeleteFileW(LPCWSTR path) {
    const AnsiArg narrow(path);
    return narrow.exact() ? DeleteFileA(narrow) : Refused(FALSE);
}

DWORD WINAPI GetFileAttributesW(LPCWSTR path) {
    const AnsiArg narrow(path);
    return narrow.exact() ? GetFileAttributesA(narrow) : Refused(INVALID_FILE_ATTRIBUTES);
}

BOOL WINAPI GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    const AnsiArg narrow(path);
    return narrow.exact() ? GetFileAttributesExA(narrow, level, info) : Refused(FALSE);  // the data has no text
}

BOOL WINAPI SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    const AnsiArg narrow(path);
    return narrow.exact() ? SetFileAttributesA(narrow, attributes) : Refused(FALSE);
}

BOOL WINAPI MoveFileW(LPCWSTR from, LPCWSTR to) {
    const AnsiArg source(from), target(to);
    return source.exact() && target.exact() ? MoveFileA(source, target) : Refused(FALSE);
}

// A name for a file beside `target` in the same folder, free now: "qb~" and four hex digits, a
// name any volume holds (short names only, too).
std::string FreeNameBeside(const std::string& target) {
    const std::size_t slash = target.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (unsigned n = GetTickCount() & 0xFFFF, tries = 0; tries < 0x10000; ++n, ++tries) {
        char name[16];
        wsprintfA(name, "qb~%04X.tmp", n & 0xFFFF);
        if (GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) return folder + name;
    }
    return {};
}

namespace {
// What FailNextMoveSteps asked of the next MoveFileExW: [0] its move beside the target, [1] its
// move in; 0 where the system's call runs.
volatile LONG failingSteps[2] = {};

// One of MoveFileExW's own renames: the system's, unless a test has it fail with `error`.
BOOL MoveStep(const std::string& from, const std::string& to, DWORD error) {
    if (error == 0) return MoveFileA(from.c_str(), to.c_str());
    SetLastError(error);
    return FALSE;
}
}  // namespace

void FailNextMoveSteps(DWORD besideError, DWORD inError) {
    InterlockedExchange(&failingSteps[0], static_cast<LONG>(besideError));
    InterlockedExchange(&failingSteps[1], static_cast<LONG>(inError));
}

// MoveFileEx is only a stub on 98 and Me. A file that replaces another moves in only once the
// other is out of its way under a name of its own, and that one comes back when the move fails:
// the target is never half of each, and is missing only for the moment between two renames.
// What NT refuses is refused alike: a folder or a read-only file as the target.
BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    const auto besideError = static_cast<DWORD>(InterlockedExchange(&failingSteps[0], 0));
    const auto inError = static_cast<DWORD>(InterlockedExchange(&failingSteps[1], 0));
    bool exactSource = true, exactTarget = true;
    const std::string source = Narrow(from, -1, &exactSource), target = Narrow(to, -1, &exactTarget);
    if (!exactSource || !exactTarget) return Refused(FALSE);
    const DWORD existing = GetFileAttributesA(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (!(flags & MOVEFILE_REPLACE_EXISTING) ||
                                                (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))) {
        SetLastError((flags & MOVEFILE_REPLACE_EXISTING) ? ERROR_ACCESS_DENIED : ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    // What moves in is first whole beside the target: moved there, or copied from another drive.
    std::string incoming = source;
    bool copied = false;
    if (existing != INVALID_FILE_ATTRIBUTES || (flags & MOVEFILE_COPY_ALLOWED)) {
        incoming = FreeNameBeside(target);
        if (incoming.empty()) return FALSE;
        if (!MoveStep(source, incoming, besideError)) {
            if (!(flags & MOVEFILE_COPY_ALLOWED) || GetLastError() != ERROR_NOT_SAME_DEVICE ||
                !CopyFileA(source.c_str(), incoming.c_str(), TRUE)) {
                const DWORD error = GetLastError();
                DeleteFileA(incoming.c_str());
                SetLastError(error);
                return FALSE;
            }
            copied = true;
        }
    }
    const std::string aside = existing == INVALID_FILE_ATTRIBUTES ? std::string() : FreeNameBeside(target);
    auto undo = [&](DWORD error) {
        if (copied) DeleteFileA(incoming.c_str());
        else if (incoming != source) MoveFileA(incoming.c_str(), source.c_str());
        SetLastError(error);
        return FALSE;
    };
    if (existing != INVALID_FILE_ATTRIBUTES && (aside.empty() || !MoveFileA(target.c_str(), aside.c_str())))
        return undo(GetLastError());
    if (!MoveStep(incoming, target, inError)) {
        const DWORD error = GetLastError();
        if (!aside.empty()) MoveFileA(aside.c_str(), target.c_str());  // the old one comes back
        return undo(error);
    }
    if (copied) DeleteFileA(source.c_str());
    if (!aside.empty()) {
        SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(aside.c_str());
    }
    return TRUE;
}

HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    WIN32_FIND_DATAA found = {};
    const AnsiArg narrow(pattern);
    if (!narrow.exact()) return Refused(INVALID_HANDLE_VALUE);
    const HANDLE h = FindFirstFileA(narrow, &found);
    if (h != INVALID_HANDLE_VALUE) WidenFindData(found, *data);
    return h;
}

BOOL WINAPI FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
    WIN32_FIND_DATAA found = {};
    if (!FindNextFileA(find, &found)) return FALSE;
    WidenFindData(found, *data);
    return TRUE;
}

DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
    char full[MAX_PATH * 2];
    const AnsiArg narrow(name);
    if (!narrow.exact()) return Refused(DWORD{0});
    const DWORD n = GetFullPathNameA(narrow, sizeof full, full, nullptr);
    if (n >= sizeof full) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    if (n == 0 || n >= sizeof full) return 0;
    const std::wstring path = Widen(full, static_cast<int>(n));
    const DWORD result = GiveText(path, buffer, size);
    if (filePart && result < size) {
        const std::size_t slash = path.find_last_of(L"\\/");
        *filePart = slash == std::wstring::npos || slash + 1 == path.size() ? nullptr : buffer + slash + 1;
    }
    return result;
}

UINT WINAPI GetDriveTypeW(LPCWSTR root) { return GetDriveTypeA(AnsiArg(root)); }

BOOL WINAPI GetVolumeInformationW(LPCWSTR root, LPWSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maxComponent,
                                  LPDWORD flags, LPWSTR fileSystem, DWORD fileSystemSize) {
    char volume[MAX_PATH + 1] = {}, system[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(AnsiArg(root), volume, sizeof volume, serial, maxComponent, flags, system, sizeof system))
        return FALSE;
    CopyOut(Widen(volume), name, static_cast<int>(nameSize));
    CopyOut(Widen(system), fileSystem, static_cast<int>(fileSystemSize));
    return TRUE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    char path[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameA(module, path, sizeof path);
    if (n == 0) return 0;
    const std::wstring wide = Widen(path, static_cast<int>(n));
    // As Vista and later do: a cut name fills the buffer, is ended by a NUL, and says so.
    const int copied = CopyOut(wide, buffer, static_cast<int>(size));
    if (static_cast<std::size_t>(copied) < wide.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return static_cast<DWORD>(copied);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR name) { return GetModuleHandleA(name ? AnsiArg(name).get() : nullptr); }

HMODULE WINAPI LoadLibraryW(LPCWSTR name) {
    const AnsiArg narrow(name);
    return narrow.exact() ? LoadLibraryA(narrow) : Refused(HMODULE{});
}

void WINAPI GetStartupInfoW(LPSTARTUPINFOW info) {
    STARTUPINFOA a = {};
    a.cb = sizeof a;
    GetStartupInfoA(&a);
    // The C runtime asks before it has started: fixed buffers, no heap, no guarded statics.
    // The texts live as long as the process, as the system's own do.
    static wchar_t desktop[MAX_PATH], title[MAX_PATH];
    if (a.lpDesktop) MultiByteToWideChar(CP_ACP, 0, a.lpDesktop, -1, desktop, MAX_PATH - 1);
    if (a.lpTitle) MultiByteToWideChar(CP_ACP, 0, a.lpTitle, -1, title, MAX_PATH - 1);
    info->cb = sizeof *info;
    info->lpReserved = nullptr;
    info->lpDesktop = a.lpDesktop ? desktop : nullptr;
    info->lpTitle = a.lpTitle ? title : nullptr;
    info->dwX = a.dwX;
    info->dwY = a.dwY;
    info->dwXSize = a.dwXSize;
    info->dwYSize = a.dwYSize;
    info->dwXCountChars = a.dwXCountChars;
    info->dwYCountChars = a.dwYCountChars;
    info->dwFillAttribute = a.dwFillAttribute;
    info->dwFlags = a.dwFlags;
    info->wShowWindow = a.wShowWindow;
    info->cbReserved2 = a.cbReserved2;
    info->lpReserved2 = a.lpReserved2;
    info->hStdInput = a.hStdInput;
    info->hStdOutput = a.hStdOutput;
    info->hStdError = a.hStdError;
}

BOOL WINAPI CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
                           LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                           LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info) {
    STARTUPINFOA a = {};
    a.cb = sizeof a;
    const std::string desktop = Narrow(startup->lpDesktop), title = Narrow(startup->lpTitle);
    a.lpDesktop = startup->lpDesktop ? const_cast<char*>(desktop.c_str()) : nullptr;
    a.lpTitle = startup->lpTitle ? const_cast<char*>(title.c_str()) : nullptr;
    a.dwX = startup->dwX;
    a.dwY = startup->dwY;
    a.dwXSize = startup->dwXSize;
    a.dwYSize = startup->dwYSize;
    a.dwXCountChars = startup->dwXCountChars;
    a.dwYCountChars = startup->dwYCountChars;
    a.dwFillAttribute = startup->dwFillAttribute;
    a.dwFlags = startup->dwFlags;
    a.wShowWindow = startup->wShowWindow;
    a.hStdInput = startup->hStdInput;
    a.hStdOutput = startup->hStdOutput;
    a.hStdError = startup->hStdError;
    bool exactCommand = true;
    std::string command = Narrow(commandLine, -1, &exactCommand);  // the call may write into it
    const AnsiArg program(application), current(folder);
    if (!exactCommand || !program.exact() || !current.exact()) return Refused(FALSE);
    return CreateProcessA(program, commandLine ? command.data() : nullptr, process, thread, inherit,
                          flags & ~CREATE_UNICODE_ENVIRONMENT, environment, current, &a, info);
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    char value[32768];
    const DWORD n = GetEnvironmentVariableA(AnsiArg(name), value, sizeof value);
    if (n >= sizeof value) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    if (n == 0 || n >= sizeof value) return 0;
    return GiveText(Widen(value, static_cast<int>(n)), buffer, size);
}

HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name) {
    return CreateSemaphoreA(security, initial, maximum, name ? AnsiArg(name).get() : nullptr);
}

int WINAPI GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer, int size) {
    char text[256];
    const int n = GetDateFormatA(locale, flags, date, format ? AnsiArg(format).get() : nullptr, text, sizeof text);
    if (n == 0) return 0;
    const std::wstring wide = Widen(text);
    if (size == 0) return static_cast<int>(wide.size() + 1);
    if (static_cast<int>(wide.size()) + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    CopyOut(wide, buffer, size);
    return static_cast<int>(wide.size() + 1);
}

int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) { return lstrcmpA(AnsiArg(a), AnsiArg(b)); }

int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) { return lstrcmpiA(AnsiArg(a), AnsiArg(b)); }

LPWSTR WINAPI lstrcpyW(LPWSTR to, LPCWSTR from) {
    LPWSTR out = to;
    while ((*out++ = *from++) != L'\0') {
    }
    return to;
}

BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return FALSE;
    size->LowPart = low;
    size->HighPart = static_cast<LONG>(high);
    return TRUE;
}

BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position, DWORD method) {
    LONG high = distance.HighPart;
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(file, static_cast<LONG>(distance.LowPart), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return FALSE;
    if (position) {
        position->LowPart = low;
        position->HighPart = high;
    }
    return TRUE;
}

}  // namespace compat9x::nine
