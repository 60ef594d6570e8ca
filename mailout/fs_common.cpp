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

}  // namespace mailout::fs
