#include "engine/kept_files.h"

#include "engine/backup_info.h"
#include "engine/engine_error.h"
#include "platform/find_handle.h"

#include <windows.h>

#include <cwctype>

namespace engine {
namespace {

// The backup's files in the order it writes them: the settings file first.
constexpr const wchar_t* kBackupFiles[] = {kSettingsFileName, kInfoFileName, kStoreArchiveName, kAddressArchiveName};

[[noreturn]] void Fail(const char* what, DWORD code) {
    throw EngineError(std::string(what) + " (error " + std::to_string(code) + ")");
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes a file if it is there, a read-only one too.
void Remove(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(path.c_str())) return;
    const DWORD e = GetLastError();
    if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND) Fail("cannot remove a backup file", e);
}

// The earlier file back in place of the new one. The new one goes first, so a cut in between
// leaves the marker to finish the job next time.
void Undo(const std::wstring& path) {
    const std::wstring kept = path + kKeptSuffix;
    if (Exists(kept)) {
        Remove(path);
        if (!MoveFileW(kept.c_str(), path.c_str())) Fail("cannot put an earlier file back", GetLastError());
    } else if (Exists(path + kNoneSuffix)) {
        Remove(path);
    }
    Remove(path + kNoneSuffix);
}

void Drop(const std::wstring& path) {
    Remove(path + kKeptSuffix);
    Remove(path + kNoneSuffix);
}

bool Marked(const std::wstring& path) { return Exists(path + kKeptSuffix) || Exists(path + kNoneSuffix); }

// A half-made archive: our archiver writes an archive as "qbz" + four hex digits + ".tmp" beside
// it and renames it only when it is whole.
bool IsHalfMadeArchive(const std::wstring& name) {
    if (name.size() != 11 || name.compare(0, 3, L"qbz") != 0 || name.compare(7, 4, L".tmp") != 0) return false;
    for (std::size_t i = 3; i < 7; ++i)
        if (!std::iswxdigit(name[i])) return false;
    return true;
}

}  // namespace

void KeptFiles::Settle(const std::wstring& folder) {
    platform::FindHandle half(folder + L"\\qbz????.tmp");
    for (bool more = half.ok(); more; more = half.Next())
        if (!(half.data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsHalfMadeArchive(half.data().cFileName))
            Remove(folder + L"\\" + half.data().cFileName);
    const bool uncommitted = Marked(folder + L"\\" + kSettingsFileName);
    if (uncommitted) {
        for (auto name = std::rbegin(kBackupFiles); name != std::rend(kBackupFiles); ++name) Undo(folder + L"\\" + *name);
    } else {
        for (const wchar_t* name : kBackupFiles) Drop(folder + L"\\" + name);
    }
}

void KeptFiles::SetAside(const std::wstring& path, bool held) {
    if (failed_) Fail("an earlier file could not be set aside", ERROR_CANCELLED);
    failed_ = true;
    if (held) {
        if (!MoveFileW(path.c_str(), (path + kKeptSuffix).c_str())) Fail("cannot set an earlier file aside", GetLastError());
    } else {
        const HANDLE marker = CreateFileW((path + kNoneSuffix).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker == INVALID_HANDLE_VALUE) Fail("cannot mark a file as new", GetLastError());
        CloseHandle(marker);
    }
    failed_ = false;
    paths_.push_back(path);
}

void KeptFiles::Commit() {
    for (const std::wstring& path : paths_) Drop(path);
    paths_.clear();
}

void KeptFiles::PutBack() {
    while (!paths_.empty()) {
        Undo(paths_.back());
        paths_.pop_back();
    }
}

}  // namespace engine
