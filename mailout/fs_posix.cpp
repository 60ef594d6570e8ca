// The file layer on POSIX systems (the native build).
#include "mailout/fs.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mailout::fs {

namespace {
bool WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool ReadAll(int fd, std::uint64_t offset, void* buffer, std::size_t n) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (n) {
        const ssize_t r = ::pread(fd, p, n, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<std::size_t>(r);
        offset += static_cast<std::uint64_t>(r);
    }
    return true;
}
}  // namespace

char Separator() { return '/'; }

Type TypeOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return Type::None;
    if (S_ISDIR(st.st_mode)) return Type::Directory;
    if (S_ISREG(st.st_mode)) return Type::File;
    return Type::Other;
}

bool ListDir(const std::string& dir, std::vector<Entry>& out) {
    out.clear();
    DIR* d = ::opendir(dir.c_str());
    if (!d) return false;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        Entry entry;
        entry.name = name;
        if (::stat(Join(dir, name).c_str(), &st) == 0) {
            entry.directory = S_ISDIR(st.st_mode);
            entry.size = static_cast<std::uint64_t>(st.st_size);
        }
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    return true;
}

Made MakeDir(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return Made::Created;
    return errno == EEXIST ? Made::Exists : Made::Failed;
}

bool MakeDirs(const std::string& path) {
    if (TypeOf(path) == Type::Directory) return true;
    const std::string parent = DirName(path);
    if (parent != path && parent != "." && parent != "/" && !MakeDirs(parent)) return false;
    return MakeDir(path) != Made::Failed && TypeOf(path) == Type::Directory;
}

std::string Storable(const std::string& name) { return name; }

struct InFile::Impl {
    int fd = -1;
};
InFile::InFile() : impl_(std::make_unique<Impl>()) {}
InFile::~InFile() {
    if (impl_->fd >= 0) ::close(impl_->fd);
}
bool InFile::open(const std::string& path) {
    impl_->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (impl_->fd < 0) return false;
    struct stat st;
    if (::fstat(impl_->fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}
bool InFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (impl_->fd < 0 || offset > size_ || n > size_ - offset) return false;
    return ReadAll(impl_->fd, offset, buffer, n);
}

struct OutFile::Impl {
    int fd = -1;
    bool appending = false;  // the file was there before: it is never deleted
};
OutFile::OutFile() : impl_(std::make_unique<Impl>()) {}
OutFile::~OutFile() { discard(); }

Made OutFile::create(const std::string& path) {
    discard();
    impl_->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (impl_->fd < 0) return errno == EEXIST ? Made::Exists : Made::Failed;
    impl_->appending = false;
    path_ = path;
    written_ = 0;
    buf_.clear();
    buf_.reserve(kOutBuffer);
    return Made::Created;
}

bool OutFile::append(const std::string& path) {
    discard();
    impl_->fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (impl_->fd < 0) return false;
    impl_->appending = true;
    struct stat st;
    if (::fstat(impl_->fd, &st) != 0) return false;
    path_ = path;
    written_ = static_cast<std::uint64_t>(st.st_size);
    buf_.clear();
    buf_.reserve(kOutBuffer);
    return true;
}

bool OutFile::writeRaw(const std::uint8_t* data, std::size_t n) { return impl_->fd >= 0 && WriteAll(impl_->fd, data, n); }

bool OutFile::cutRaw(std::uint64_t length) {
    return ::ftruncate(impl_->fd, static_cast<off_t>(length)) == 0 && ::lseek(impl_->fd, static_cast<off_t>(length), SEEK_SET) >= 0;
}

bool OutFile::finish(const std::int64_t* unixTime) {
    if (impl_->fd < 0) return false;
    bool ok = flush();
    if (ok && unixTime) {
        const struct timespec times[2] = {{*unixTime, 0}, {*unixTime, 0}};
        ::futimens(impl_->fd, times);  // a time the file system refuses is no reason to lose the file
    }
    ok = ::close(impl_->fd) == 0 && ok;
    impl_->fd = -1;
    if (!ok && !impl_->appending) ::unlink(path_.c_str());
    return ok;
}

void OutFile::discard() {
    if (impl_->fd < 0) return;
    ::close(impl_->fd);
    impl_->fd = -1;
    if (!impl_->appending) ::unlink(path_.c_str());
    buf_.clear();
}

struct ScratchFile::Impl {
    int fd = -1;
};
ScratchFile::ScratchFile() : impl_(std::make_unique<Impl>()) {}
ScratchFile::~ScratchFile() {
    if (impl_->fd >= 0) ::close(impl_->fd);
}

bool ScratchFile::create() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/qbmail-XXXXXX";
    impl_->fd = ::mkstemp(pattern.data());
    if (impl_->fd < 0) return false;
    ::unlink(pattern.c_str());  // nothing is left behind, however the program ends
    buf_.reserve(kOutBuffer);
    return true;
}

bool ScratchFile::writeRaw(const std::uint8_t* data, std::size_t n) { return impl_->fd >= 0 && WriteAll(impl_->fd, data, n); }

bool ScratchFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (impl_->fd < 0 || offset > size_ || n > size_ - offset) return false;
    return ReadAll(impl_->fd, offset, buffer, n);
}

bool ErrorIsTerminal() { return ::isatty(2) == 1; }

unsigned SystemCodePage() { return 0; }

}  // namespace mailout::fs
