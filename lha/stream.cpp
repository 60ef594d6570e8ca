#include "stream.h"

#include <algorithm>
#include <cstring>

namespace lha {

bool InputStream::skip(std::uint64_t size) {
    std::uint8_t scratch[16384];
    while (size > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof scratch));
        std::size_t got = read(scratch, want);
        if (got == 0) return false;
        size -= got;
    }
    return true;
}

std::size_t MemoryInput::read(std::uint8_t* buffer, std::size_t size) {
    std::size_t n = std::min(size, size_ - pos_);
    if (n) std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return n;
}

bool MemoryInput::skip(std::uint64_t size) {
    if (size > size_ - pos_) {
        pos_ = size_;
        return false;
    }
    pos_ += static_cast<std::size_t>(size);
    return true;
}

}  // namespace lha
