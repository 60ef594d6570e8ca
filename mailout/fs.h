// The few file-system operations the export needs, with paths as UTF-8 text on every system:
// POSIX calls elsewhere; on Windows the wide calls (which the 32-bit build's stand-ins carry
// to the ANSI calls on 98 and Me). Nothing here overwrites a file: every file and folder the
// export makes is created exclusively.
#pragma once

#include "dbx/source.h"
#include "lha/stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mailout::fs {

// Writes are gathered to this size before they reach the system.
inline constexpr std::size_t kOutBuffer = 256 * 1024;

// The separator this system's paths use.
char Separator();
std::string Join(const std::string& dir, const std::string& name);
// The last component of a path (after the last / or, on Windows, \).
std::string BaseName(const std::string& path);
std::string DirName(const std::string& path);

enum class Type { None, File, Directory, Other };
Type TypeOf(const std::string& path);

struct Entry {
    std::string name;
    bool directory = false;
    std::uint64_t size = 0;
};
// The entries of a folder, without . and ..; false when it cannot be read.
bool ListDir(const std::string& dir, std::vector<Entry>& out);

// Makes a folder and any missing parents; true when it exists as a folder afterwards.
bool MakeDirs(const std::string& path);

enum class Made { Created, Exists, Failed };
// Makes one folder; Exists when anything of that name is already there.
Made MakeDir(const std::string& path);

// `name` as this system can store it: on 98 and Me a character the ANSI code page cannot hold
// becomes '_' (the name would otherwise reach the disk as '?'); elsewhere unchanged.
std::string Storable(const std::string& name);

// A file read at random offsets (and as a stream, for archives).
class InFile final : public dbx::Source {
public:
    InFile();
    ~InFile() override;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    bool open(const std::string& path);
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::uint64_t size_ = 0;
};

// An archive read front to back, with seeks for skipped data.
class InStream final : public lha::InputStream {
public:
    explicit InStream(dbx::Source& file, std::uint64_t start = 0) : file_(file), pos_(start) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override;
    bool skip(std::uint64_t size) override;
    bool failed() const override { return failed_; }

private:
    dbx::Source& file_;
    std::uint64_t pos_;
    bool failed_ = false;
};

// A new file written front to back through a buffer.
class OutFile {
public:
    OutFile();
    ~OutFile();  // an unfinished file is removed
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    // Creates `path`; Exists when something of that name is there (it is left alone).
    Made create(const std::string& path);
    // Opens a file this program made earlier, to write at its end.
    bool append(const std::string& path);
    bool write(const void* data, std::size_t n);
    std::uint64_t written() const { return written_; }
    // Cuts the file back to `length` bytes (an mbox drops a message it could not finish).
    bool truncate(std::uint64_t length);
    // Writes out the buffer, sets the modification time when `unixTime` is given, closes.
    bool finish(const std::int64_t* unixTime = nullptr);
    // Closes and deletes a file create() made; a file opened by append() is only closed.
    void discard();
    const std::string& path() const { return path_; }

private:
    bool flush();
    // The system's own writes and cut, below the buffer (fs_posix.cpp, fs_win.cpp).
    bool writeRaw(const std::uint8_t* data, std::size_t n);
    bool cutRaw(std::uint64_t length);
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string path_;
    std::vector<std::uint8_t> buf_;
    std::uint64_t written_ = 0;
};

// A scratch file in the system's temporary folder for an archive member that needs random
// access. It is gone when the object is, and also when the program is ended or killed: unlinked
// at once on POSIX, deleted on close by the system on Windows NT. (On 98 and Me, which have no
// delete on close, it goes with the object: Ctrl-C stops the export, which then removes it.)
class ScratchFile final : public dbx::Source, public lha::OutputStream {
public:
    ScratchFile();
    ~ScratchFile() override;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    bool create();
    bool write(const std::uint8_t* data, std::size_t n) override;
    // Ends writing; reads may follow.
    bool seal();
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    bool writeRaw(const std::uint8_t* data, std::size_t n);
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::uint64_t size_ = 0;
    std::vector<std::uint8_t> buf_;
};

// Whether standard error is a terminal (for progress lines).
bool ErrorIsTerminal();

// The system's ANSI code page (what the store's names are in when it was written here); 0 where
// there is none (POSIX: the names decide).
unsigned SystemCodePage();

}  // namespace mailout::fs
