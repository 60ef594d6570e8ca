// The `a` command: gathers the files named on the command line and writes the archive.
#include "unlha32/commands.h"
#include "unlha32/member_path.h"
#include "unlha32/win_file.h"

#include "lha/reader.h"
#include "lha/threads.h"
#include "lha/writer.h"
#include "platform/find_handle.h"
#include "platform/ordinal.h"
#include "platform/replace_file.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>

namespace unlha {
namespace {

struct Entry {
    std::wstring fullPath;
    std::wstring relative;     // '\'-separated, as it will be stored
    std::string member;        // ANSI, '/'-separated
    bool directory = false;
    DWORD attributes = 0;
    FILETIME written{};
    std::uint64_t size = 0;
};

// A file opened for the writer; owns its handle.
class OwnedFileInput final : public lha::InputStream {
public:
    explicit OwnedFileInput(FileHandle h) : h_(std::move(h)), in_(h_.get()) {}
    std::size_t read(std::uint8_t* b, std::size_t s) override { return in_.read(b, s); }
    bool skip(std::uint64_t s) override { return in_.skip(s); }
    bool failed() const override { return in_.failed(); }

private:
    FileHandle h_;
    FileInput in_;
};

std::wstring FullPath(const std::wstring& p) {
    const DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (n == 0) return p;
    std::wstring out(n, L'\0');
    const DWORD got = GetFullPathNameW(p.c_str(), n, out.data(), nullptr);
    out.resize(got < n ? got : 0);
    return out;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

class Gatherer {
public:
    Gatherer(const Options& o, Report& r, std::wstring skip1, std::wstring skip2)
        : o_(o), report_(r), archive_(std::move(skip1)), temp_(std::move(skip2)) {}

    std::vector<Entry> entries;

    // Adds one command-line source; a folder (or a name ending in '\') adds what is inside it.
    void source(const std::wstring& arg) {
        const std::wstring path = StripTrailingBackslashes(arg);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            report_.fail(kCannotRead, L"cannot find " + path);
            return;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folder(path, L"");
            return;
        }
        if (NamesFolder(arg)) {
            report_.fail(kCannotRead, L"not a folder: " + path);
            return;
        }
        const std::size_t slash = path.find_last_of(L"\\/:");
        add(path, slash == std::wstring::npos ? path : path.substr(slash + 1), data.dwFileAttributes,
            data.ftLastWriteTime, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
    }

private:
    // Adds the files of `dir`, stored with `prefix` (relative path of `dir`, may be empty).
    void folder(const std::wstring& dir, const std::wstring& prefix) {
        platform::FindHandle find(dir + L"\\*");
        if (!find.ok()) {
            if (find.error() != ERROR_FILE_NOT_FOUND) report_.fail(kCannotRead, L"cannot list " + dir);
            return;
        }
        std::vector<WIN32_FIND_DATAW> found;
        do {
            const WIN32_FIND_DATAW& fd = find.data();
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            if (!o_.allFiles && (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
            found.push_back(fd);
        } while (find.Next());
        for (const auto& f : found) {
            const std::wstring full = dir + L"\\" + f.cFileName;
            const std::wstring rel = prefix.empty() ? std::wstring(f.cFileName) : prefix + L"\\" + f.cFileName;
            if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!o_.recurse || (f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
                if (o_.keepPaths) add(full, rel, f.dwFileAttributes, f.ftLastWriteTime, 0, true);
                folder(full, rel);
            } else {
                add(full, o_.keepPaths ? rel : std::wstring(f.cFileName), f.dwFileAttributes, f.ftLastWriteTime,
                    (std::uint64_t{f.nFileSizeHigh} << 32) | f.nFileSizeLow);
            }
        }
    }

    void add(const std::wstring& full, const std::wstring& rel, DWORD attrs, FILETIME written, std::uint64_t size,
             bool directory = false) {
        const std::wstring abs = FullPath(full);
        if (SamePath(abs, archive_) || SamePath(abs, temp_)) return;  // never the archive itself
        Entry e{full, rel, {}, directory, attrs, written, size};
        if (RelativeToMember(e.relative, e.member) != NameProblem::None) {
            report_.fail(kNameNotAnsi, L"name not in the ANSI code page, skipped: " + e.fullPath);
            return;
        }
        entries.push_back(std::move(e));
    }

    const Options& o_;
    Report& report_;
    std::wstring archive_, temp_;
};

// Folds case the way the file system compares names, for replacing members.
std::wstring Folded(const std::string& member) {
    std::wstring w;
    AnsiToWide(member, w);
    CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
    return w;
}

lha::MemberInfo InfoFor(const Entry& e, bool keepAttributes) {
    lha::MemberInfo info;
    info.path = e.member;
    info.unixTime = FileTimeToUnix(e.written);
    info.hasUnixTime = true;
    info.attributes = static_cast<std::uint8_t>(keepAttributes ? (e.attributes & kStoredAttributes)
                                                               : FILE_ATTRIBUTE_ARCHIVE);
    if (e.directory) {
        info.method = "-lhd-";
        info.attributes |= lha::kAttrDirectory;
    }
    return info;
}

}  // namespace

unsigned WriterThreads() {
    const unsigned n = lha::hardwareThreads();
    return n > 8 ? 8 : n;
}

void RunAdd(const CommandLine& cl, Report& report, ProgressWindow& progress) {
    const std::wstring archive = FullPath(cl.archive);
    const std::size_t slash = archive.find_last_of(L'\\');
    const std::wstring folderOfArchive = slash == std::wstring::npos ? L"." : archive.substr(0, slash + 1);
    platform::ReplaceFile out(archive, L"qbz");
    if (!out.ok()) {
        report.fail(kCannotWrite, L"cannot write in the archive's folder " + folderOfArchive);
        return;
    }
    Gatherer gather(cl.options, report, archive, out.temporary());
    for (const auto& s : cl.sources) gather.source(s);
    if (report.result() != kOk) return;
    std::vector<Entry>& entries = gather.entries;
    if (cl.options.sorted)
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return platform::CompareOrdinalNoCase(a.relative, b.relative) < 0;
        });
    // A name given twice is stored once, the later source winning.
    std::map<std::wstring, std::size_t> byName;
    for (std::size_t i = 0; i < entries.size(); ++i) byName[Folded(entries[i].member)] = i;

    FileOutput file(out.handle());
    lha::WriterOptions wo;
    wo.threads = WriterThreads();
    lha::ArchiveWriter writer(file, wo);

    std::uint64_t total = 0, doneBefore = 0;
    for (const auto& [name, i] : byName) total += entries[i].size;
    std::map<std::string, std::uint64_t> doneOf;
    writer.setProgress([&](const std::string& path, std::uint64_t done) {
        std::uint64_t& d = doneOf[path];
        doneBefore += done - d;
        d = done;
        std::wstring shown;
        AnsiToWide(path, shown);
        progress.update(shown, doneBefore, total);
    });

    auto failWith = [&](lha::Error e, const std::wstring& what) {
        std::wstring name;
        AnsiToWide(writer.errorPath(), name);
        report.fail(ResultFor(e, file.diskFull()), what + L" (" + ErrorText(e) + L"): " + name);
    };

    // Old members first, in their order, unless a new file replaces them.
    FileHandle oldFile = OpenForRead(archive);
    if (oldFile.ok()) {
        FileHandle rawFile = OpenForRead(archive);
        FileInput oldIn(oldFile.get()), rawIn(rawFile.get());
        lha::ArchiveReader reader(oldIn);
        lha::MemberInfo info;
        for (;;) {
            if (lha::Error e = reader.next(info); e != lha::Error::Ok) {
                report.fail(ResultFor(e, false), L"existing archive is damaged (" + ErrorText(e) + L")");
                return;
            }
            if (reader.atEnd()) break;
            if (byName.count(Folded(info.path))) continue;
            if (!rawFile.ok() || !rawIn.seekTo(reader.position())) {
                report.fail(kCannotRead, L"cannot read " + archive);
                return;
            }
            if (lha::Error e = writer.addRaw(info, rawIn); e != lha::Error::Ok) {
                failWith(e, L"cannot copy a member");
                return;
            }
        }
    } else if (oldFile.error() != ERROR_FILE_NOT_FOUND && oldFile.error() != ERROR_PATH_NOT_FOUND) {
        report.fail(kCannotRead, L"cannot open " + archive);
        return;
    }

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (byName[Folded(e.member)] != i) continue;
        const lha::MemberInfo info = InfoFor(e, cl.options.allFiles);
        lha::Error err;
        if (e.directory) {
            err = writer.addDirectory(info);
        } else {
            const std::wstring path = e.fullPath;
            err = writer.addFile(info, [path]() -> std::unique_ptr<lha::InputStream> {
                FileHandle h = OpenForRead(path);
                if (!h.ok()) return nullptr;
                return std::make_unique<OwnedFileInput>(std::move(h));
            });
        }
        if (err != lha::Error::Ok) {
            failWith(err, L"cannot add a file");
            return;
        }
        report.line(L"added " + e.relative);
    }
    if (lha::Error e = writer.finish(); e != lha::Error::Ok) {
        failWith(e, L"cannot write the archive");
        return;
    }
    oldFile.close();
    if (out.Commit() != 0) report.fail(kCannotWrite, L"cannot replace " + archive);
}

}  // namespace unlha
