// The parts of the file layer that are the same on every system.
#include "mailout/fs.h"

#include <cstring>

namespace mailout::fs {

namespace {
bool IsSep(char c) { return c == '/' || (Separator() == '\\' && c == '\\'); }
}  // namespace

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (IsSep(dir.back())) return dir + name;
    return dir + Separator() + name;
}

std::string BaseName(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && IsSep(path[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !IsSep(path[start - 1])) --start;
    return path.substr(start, end - start);
}

std::string DirName(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && IsSep(path[end - 1])) --end;
    while (end > 0 && !IsSep(path[end - 1])) --end;
    while (end > 1 && IsSep(path[end - 1])) --end;
    return end ? path.substr(0, end) : std::string(".");
}

std::size_t InStream::read(std::uint8_t* buffer, std::size_t size) {
    const std::uint64_t total = file_.size();
    if (pos_ >= total) return 0;
    const std::size_t n = static_cast<std::size_t>(total - pos_ < size ? total - pos_ : size);
    if (!file_.readAt(pos_, buffer, n)) {
        failed_ = true;
        return 0;
    }
    pos_ += n;
    return n;
}

bool InStream::skip(std::uint64_t size) {
    if (size > file_.size() - (pos_ < file_.size() ? pos_ : file_.size())) return false;
    pos_ += size;
    return true;
}

bool OutFile::flush() {
    if (buf_.empty()) return true;
    const bool ok = writeRaw(buf_.data(), buf_.size());
    buf_.clear();
    return ok;
}

bool OutFile::write(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    written_ += n;
    if (buf_.size() + n > kOutBuffer && !flush()) return false;
    if (n >= kOutBuffer) return writeRaw(p, n);
    buf_.insert(buf_.end(), p, p + n);
    return true;
}

bool OutFile::truncate(std::uint64_t length) {
    if (length > written_) return false;
    const std::uint64_t onDisk = written_ - buf_.size();
    if (length >= onDisk) {
        buf_.resize(static_cast<std::size_t>(length - onDisk));  // still only in the buffer
    } else {
        buf_.clear();
        if (!cutRaw(length)) return false;
    }
    written_ = length;
    return true;
}

bool ScratchFile::write(const std::uint8_t* data, std::size_t n) {
    size_ += n;
    if (buf_.size() + n > kOutBuffer) {
        if (!writeRaw(buf_.data(), buf_.size())) return false;
        buf_.clear();
    }
    if (n >= kOutBuffer) return writeRaw(data, n);
    buf_.insert(buf_.end(), data, data + n);
    return true;
}

bool ScratchFile::seal() {
    const bool ok = writeRaw(buf_.data(), buf_.size());
    buf_.clear();
    buf_.shrink_to_fit();
    return ok;
}

}  // namespace mailout::fs
