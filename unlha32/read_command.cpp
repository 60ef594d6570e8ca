// The `e`, `l` and `t` commands: walk the archive and extract, list or check each member.
#include "unlha32/commands.h"
#include "unlha32/member_path.h"
#include "unlha32/win_file.h"

#include "lha/reader.h"
#include "lha/threads.h"
#include "platform/replace_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
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

// A file written to its temporary, waiting to be put in place.
struct Pending {
    platform::ReplaceFile file;
    std::wstring rel;
    DWORD attributes;
};

// What extracting one member left: its report lines, and the file or folder to put in place.
struct Outcome {
    Report report;
    std::vector<Pending> files;
    std::vector<std::wstring> folders;
    bool damaged = false;
    bool stop = false;  // the archive cannot go on past this member
};

// Progress of one member: its shown name and the reader's position in the archive.
using MemberProgress = std::function<void(const std::wstring& rel, std::uint64_t position)>;

// Extracts every member to a temporary in the destination first and puts the files in place
// only when all of them checked out: a damaged or hostile archive leaves every old file, and
// the folder tree, as they were.
class Extractor {
public:
    Extractor(const CommandLine& cl, Report& r) : cl_(cl), report_(r) {}

    // Writes the current member to its temporary; touches nothing but `o`, so members can be
    // extracted on several threads at once.
    void member(lha::ArchiveReader& reader, const lha::MemberInfo& info, const MemberProgress& progress,
                Outcome& o) const {
        std::wstring rel;
        switch (MemberToRelative(info.path, rel)) {
        case NameProblem::NotAnsi:
            return refuse(o, kNameNotAnsi, L"name not in the ANSI code page, nothing extracted", info.path);
        case NameProblem::Unsafe:
            return refuse(o, kUnsafeName, L"unsafe name refused, nothing extracted", info.path);
        case NameProblem::None: break;
        }
        if (!cl_.options.keepPaths) {
            if (info.isDirectory()) return;
            rel = rel.substr(rel.find_last_of(L'\\') + 1);
        }
        const std::wstring target = cl_.destination + L"\\" + rel;
        if (info.isDirectory()) {
            o.folders.push_back(target);
            return;
        }
        if (!cl_.options.overwrite && Exists(target)) {
            o.report.fail(kExistingKept, L"exists, kept", info.path);
            return;
        }
        platform::ReplaceFile file(target, L"qbx", cl_.destination);
        if (!file.ok()) return refuse(o, kCannotWrite, L"cannot write in " + cl_.destination + L", nothing extracted");
        FileOutput out(file.handle());
        const lha::Error e = reader.extract(out, [&](std::uint64_t) { progress(rel, reader.position()); });
        if (e != lha::Error::Ok) {
            o.damaged = true;
            o.report.fail(ResultFor(e, out.diskFull()), ErrorText(e) + L", old files kept", info.path);
            o.stop = e == lha::Error::Truncated || e == lha::Error::ReadFailed;
            return;
        }
        const FILETIME written = MemberTime(info);
        SetFileTime(file.handle(), nullptr, nullptr, &written);
        file.CloseFile();  // thousands of members must not hold thousands of handles
        o.files.push_back({std::move(file), rel, info.attributes & kRestoredAttributes});
    }

    // Takes a member's outcome, in archive order; false when the archive cannot go on.
    bool add(Outcome&& o) {
        report_.append(o.report);
        damaged_ = damaged_ || o.damaged;
        for (Pending& p : o.files) files_.push_back(std::move(p));
        for (std::wstring& f : o.folders) folders_.push_back(std::move(f));
        return !o.stop;
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
    static void refuse(Outcome& o, Result code, const std::wstring& message, const std::string& name = {}) {
        o.damaged = true;
        if (name.empty()) {
            o.report.fail(code, message);
        } else {
            o.report.fail(code, message, name);
        }
    }

    const CommandLine& cl_;
    Report& report_;
    std::vector<Pending> files_;
    std::vector<std::wstring> folders_;
    bool damaged_ = false;
};

// Where a member starts in the archive, found by a first pass over the headers.
struct Located {
    std::uint64_t headerOffset;
    std::uint64_t span;  // header and data, up to the next header
    std::uint64_t compressedSize;
};

// Lists every member's place; false when a header or a member's data is broken, which the
// one-by-one extraction reports in its own order.
bool LocateMembers(const std::wstring& archive, std::vector<Located>& found) {
    FileHandle file = OpenForRead(archive);
    if (!file.ok()) return false;
    FileInput in(file.get());
    lha::ArchiveReader reader(in);
    lha::MemberInfo info;
    for (;;) {
        const std::uint64_t at = reader.position();
        if (reader.next(info) != lha::Error::Ok) return false;
        if (!found.empty()) found.back().span = at - found.back().headerOffset;
        if (reader.atEnd()) return true;
        found.push_back({at, 0, info.compressedSize});
        if (reader.skip() != lha::Error::Ok) return false;
    }
}

// Members are independent: each thread opens the archive itself and decodes whole members,
// the largest first, while this thread shows the progress. The outcomes are taken in archive
// order, so the report and the files put in place are those of the one-by-one extraction.
enum class Parallel { NotUsed, Stopped, Done };

// NotUsed, with nothing taken, when the archive's layout is damaged or it has one member.
Parallel ExtractInParallel(const CommandLine& cl, Extractor& extractor, Report& report, ProgressWindow& progress,
                       std::uint64_t archiveSize, unsigned threads) {
    std::vector<Located> at;
    if (!LocateMembers(cl.archive, at) || at.size() < 2) return Parallel::NotUsed;
    const std::size_t n = at.size();
    std::vector<Outcome> outcomes(n);
    std::unique_ptr<std::atomic<std::uint64_t>[]> done(new std::atomic<std::uint64_t>[n]);
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = i;
        done[i] = 0;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return at[a].compressedSize > at[b].compressedSize; });

    std::atomic<std::size_t> next{0};
    lha::Mutex lock;
    lha::CondVar changed;
    std::size_t finished = 0;
    std::wstring shown;  // under `lock`
    auto work = [&] {
        FileHandle file = OpenForRead(cl.archive);
        FileInput in(file.get());
        for (std::size_t k; (k = next.fetch_add(1)) < n;) {
            const std::size_t i = order[k];
            Outcome& o = outcomes[i];
            // An exception must not leave a thread: it becomes this member's failure.
            try {
                lha::MemberInfo info;
                if (!file.ok() || !in.seekTo(at[i].headerOffset)) {
                    o.report.fail(kArchiveMissing, L"cannot open the archive " + cl.archive);
                    o.damaged = o.stop = true;
                } else {
                    lha::ArchiveReader reader(in);
                    if (reader.next(info) != lha::Error::Ok || reader.atEnd()) {
                        o.report.fail(kArchiveDamaged, L"archive damaged, nothing extracted");
                        o.damaged = o.stop = true;
                    } else {
                        extractor.member(reader, info, [&](const std::wstring& rel, std::uint64_t pos) {
                            done[i].store(pos, std::memory_order_relaxed);
                            std::lock_guard<lha::Mutex> g(lock);
                            shown = rel;
                        }, o);
                    }
                }
            } catch (const std::bad_alloc&) {
                o.report.fail(kInternal, L"out of memory");
                o.damaged = o.stop = true;
            } catch (const std::exception&) {
                o.report.fail(kInternal, L"unexpected failure");
                o.damaged = o.stop = true;
            }
            done[i].store(at[i].span, std::memory_order_relaxed);
            std::lock_guard<lha::Mutex> g(lock);
            ++finished;
            changed.notifyOne();
        }
    };
    std::vector<lha::Thread> pool;
    // Joined however this function is left: the threads use its locals.
    struct Joiner {
        std::vector<lha::Thread>& pool;
        ~Joiner() {
            for (lha::Thread& t : pool)
                if (t.joinable()) t.join();
        }
    } joiner{pool};
    try {
        for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);
    } catch (const std::exception&) {
        // Fewer threads than asked for still get through every member.
        if (pool.empty()) work();
    }
    {
        std::unique_lock<lha::Mutex> g(lock);
        while (finished < n) {
            changed.waitFor(lock, 30);
            std::uint64_t sum = 0;
            for (std::size_t i = 0; i < n; ++i) sum += done[i].load(std::memory_order_relaxed);
            const std::wstring name = shown;
            g.unlock();
            progress.update(name, sum, archiveSize);
            g.lock();
        }
    }
    for (lha::Thread& t : pool) t.join();
    for (Outcome& o : outcomes)
        if (!extractor.add(std::move(o))) return Parallel::Stopped;
    extractor.finish();
    report.line(std::to_wstring(n) + L" members");
    return Parallel::Done;
}

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
    if (const unsigned threads = WriterThreads(); cl.command == Command::Extract && threads > 1 &&
        ExtractInParallel(cl, extractor, report, progress, size, threads) != Parallel::NotUsed)
        return;
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
        } else {
            Outcome o;
            extractor.member(reader, info, [&](const std::wstring& rel, std::uint64_t pos) {
                progress.update(rel, pos, size);
            }, o);
            if (!extractor.add(std::move(o))) return;
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
