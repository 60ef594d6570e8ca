// The `e`, `l` and `t` commands: walk the archive and extract, list or check each member.
#include "unlha32/commands.h"
#include "unlha32/member_path.h"
#include "unlha32/win_file.h"

#include "lha/reader.h"
#include "platform/replace_file.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace unlha {
namespace {

// Discards data; for `t`, where only the CRC check matters.
class NullOutput final : public lha::OutputStream {
public:
    bool write(const std::uint8_t*, std::size_t) override { return true; }
};

constexpr DWORD kRestoredAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

FILETIME MemberTime(const lha::MemberInfo& info) {
    if (info.hasUnixTime) return UnixToFileTime(info.unixTime);
    FILETIME local{}, utc{};
    DosDateTimeToFileTime(static_cast<WORD>(info.dosTime >> 16), static_cast<WORD>(info.dosTime), &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ListLine(const lha::MemberInfo& info) {
    char head[64];
    std::snprintf(head, sizeof head, "%12llu %12llu %s %04X  ", static_cast<unsigned long long>(info.originalSize),
                  static_cast<unsigned long long>(info.compressedSize), info.method.c_str(), info.crc);
    return head + info.path;
}

// What keeps `target` (a file, or a folder when `isFolder`) from being put in place below
// `destination`: a folder where the file goes, a file where a folder goes or on the way, or a
// file that another program holds open; empty when nothing does.
std::wstring InTheWay(const std::wstring& destination, const std::wstring& target, bool isFolder) {
    const DWORD a = GetFileAttributesW(target.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) {
        if (((a & FILE_ATTRIBUTE_DIRECTORY) != 0) != isFolder) return target;
        if (!isFolder) {
            // Replacing needs delete access, which a program that opened the file unshared denies.
            HANDLE h = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                CloseHandle(h);
            } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
                return target;
            }
        }
    }
    for (std::size_t at = target.find_last_of(L'\\'); at != std::wstring::npos && at > destination.size();
         at = target.find_last_of(L'\\', at - 1)) {
        const DWORD f = GetFileAttributesW(target.substr(0, at).c_str());
        if (f != INVALID_FILE_ATTRIBUTES && !(f & FILE_ATTRIBUTE_DIRECTORY)) return target.substr(0, at);
    }
    return {};
}

// Extracts every member to a temporary in the destination first and puts the files in place
// only when all of them checked out: a damaged or hostile archive leaves every old file, and
// the folder tree, as they were.
class Extractor {
public:
    Extractor(const CommandLine& cl, Report& r) : cl_(cl), report_(r) {}

    // Writes the current member to its temporary; false when the archive cannot go on.
    bool member(lha::ArchiveReader& reader, const lha::MemberInfo& info, ProgressWindow& progress,
                std::uint64_t archiveSize) {
        std::wstring rel;
        switch (MemberToRelative(info.path, rel)) {
        case NameProblem::NotAnsi:
            return refuse(kNameNotAnsi, L"name not in the ANSI code page, nothing extracted", info.path);
        case NameProblem::Unsafe:
            return refuse(kUnsafeName, L"unsafe name refused, nothing extracted", info.path);
        case NameProblem::None: break;
        }
        if (!cl_.options.keepPaths) {
            if (info.isDirectory()) return true;
            rel = rel.substr(rel.find_last_of(L'\\') + 1);
        }
        const std::wstring target = cl_.destination + L"\\" + rel;
        if (info.isDirectory()) {
            folders_.push_back(target);
            return true;
        }
        if (!cl_.options.overwrite && Exists(target)) {
            report_.fail(kExistingKept, L"exists, kept", info.path);
            return true;
        }
        platform::ReplaceFile file(target, L"qbx", cl_.destination);
        if (!file.ok()) return refuse(kCannotWrite, L"cannot write in " + cl_.destination + L", nothing extracted");
        FileOutput out(file.handle());
        const lha::Error e = reader.extract(out, [&](std::uint64_t) {
            progress.update(rel, reader.position(), archiveSize);
        });
        if (e != lha::Error::Ok) {
            damaged_ = true;
            report_.fail(ResultFor(e, out.diskFull()), ErrorText(e) + L", old files kept", info.path);
            return e != lha::Error::Truncated && e != lha::Error::ReadFailed;
        }
        const FILETIME written = MemberTime(info);
        SetFileTime(file.handle(), nullptr, nullptr, &written);
        file.CloseFile();  // thousands of members must not hold thousands of handles
        files_.push_back({std::move(file), rel, info.attributes & kRestoredAttributes});
        return true;
    }

    // Puts every extracted file in place, unless a member failed; otherwise the temporaries go.
    void finish() {
        if (damaged_) return;
        // Checked for every file before the first is moved, so a file or folder in the way does
        // not leave the destination half replaced.
        std::wstring blocked;
        for (const std::wstring& folder : folders_)
            if (blocked.empty()) blocked = InTheWay(cl_.destination, folder, true);
        for (const Pending& p : files_)
            if (blocked.empty()) blocked = InTheWay(cl_.destination, p.file.target(), false);
        if (!blocked.empty()) {
            report_.fail(kCannotWrite, L"in the way, nothing extracted: " + blocked);
            return;
        }
        for (const std::wstring& folder : folders_)
            if (!CreateFolders(folder)) report_.fail(kCannotWrite, L"cannot create folder " + folder);
        for (Pending& p : files_) {
            const std::wstring& target = p.file.target();
            const std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
            if (!CreateFolders(folder)) {
                report_.fail(kCannotWrite, L"cannot create folder " + folder);
                continue;
            }
            // A read-only old file would refuse to be replaced.
            if (Exists(target)) SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (p.file.Commit() != 0) {
                report_.fail(kCannotWrite, L"cannot replace " + target);
                continue;
            }
            if (p.attributes) SetFileAttributesW(target.c_str(), p.attributes);
            report_.line(L"extracted " + p.rel);
        }
    }

private:
    struct Pending {
        platform::ReplaceFile file;
        std::wstring rel;
        DWORD attributes;
    };

    bool refuse(Result code, const std::wstring& message, const std::string& name = {}) {
        damaged_ = true;
        if (name.empty()) {
            report_.fail(code, message);
        } else {
            report_.fail(code, message, name);
        }
        return true;
    }

    const CommandLine& cl_;
    Report& report_;
    std::vector<Pending> files_;
    std::vector<std::wstring> folders_;
    bool damaged_ = false;
};

}  // namespace

bool CreateFolders(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':' &&
        !CreateFolders(path.substr(0, slash)))
        return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void RunRead(const CommandLine& cl, Report& report, ProgressWindow& progress) {
    FileHandle file = OpenForRead(cl.archive);
    if (!file.ok()) {
        report.fail(kArchiveMissing, L"cannot open the archive " + cl.archive);
        return;
    }
    if (cl.command == Command::Extract && !CreateFolders(cl.destination)) {
        report.fail(kCannotWrite, L"cannot create the destination " + cl.destination);
        return;
    }
    const std::uint64_t size = FileSize(file.get());
    FileInput in(file.get());
    lha::ArchiveReader reader(in);
    Extractor extractor(cl, report);
    lha::MemberInfo info;
    std::size_t count = 0;
    for (;;) {
        if (lha::Error e = reader.next(info); e != lha::Error::Ok) {
            report.fail(ResultFor(e, false), L"archive damaged (" + ErrorText(e) + L"), nothing extracted");
            return;
        }
        if (reader.atEnd()) break;
        ++count;
        if (cl.command == Command::List) {
            report.line(ListLine(info));
        } else if (cl.command == Command::Test) {
            NullOutput sink;
            std::wstring shown;
            AnsiToWide(info.path, shown);
            const lha::Error e =
                reader.extract(sink, [&](std::uint64_t) { progress.update(shown, reader.position(), size); });
            if (e != lha::Error::Ok) report.fail(ResultFor(e, false), ErrorText(e), info.path);
            if (e == lha::Error::Truncated || e == lha::Error::ReadFailed) return;
        } else if (!extractor.member(reader, info, progress, size)) {
            return;
        }
    }
    extractor.finish();
    if (count == 0 && size == 0) {
        report.fail(kArchiveDamaged, L"the archive is empty");
        return;
    }
    report.line(std::to_wstring(count) + L" members");
}

}  // namespace unlha
