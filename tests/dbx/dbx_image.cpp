// The sparse file image the writer returns: chunks at their offsets, gaps left as holes.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "dbx_writer.h"

namespace dbxw {

std::vector<std::uint8_t> Image::bytes() const {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size), 0);
    for (const auto& [at, data] : chunks) std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    return out;
}

bool Image::writeTo(const std::string& path) const {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const auto& [at, data] : chunks) {
            out.seekp(static_cast<std::streamoff>(at));
            out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        }
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::resize_file(path, size, ec);  // a gap at the end stays a hole too
    return !ec;
}

void Image::patch(std::uint64_t offset, const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    size = std::max(size, offset + n);
    for (auto it = chunks.rbegin(); it != chunks.rend(); ++it) {
        auto& [at, bytes] = *it;
        if (offset >= at && offset + n <= at + bytes.size()) {
            std::copy(p, p + n, bytes.begin() + static_cast<std::ptrdiff_t>(offset - at));
            return;
        }
    }
    chunks.emplace_back(offset, std::vector<std::uint8_t>(p, p + n));
}

void Image::patch32(std::uint64_t offset, std::uint32_t value) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                               static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    patch(offset, b, 4);
}

std::vector<std::uint8_t> Image::read(std::uint64_t offset, std::size_t n) const {
    std::vector<std::uint8_t> out(n, 0);
    for (const auto& [at, data] : chunks) {
        const std::uint64_t lo = std::max(at, offset), hi = std::min(at + data.size(), offset + n);
        for (std::uint64_t i = lo; i < hi; ++i) out[i - offset] = data[i - at];
    }
    return out;
}

std::uint32_t Image::read32(std::uint64_t offset) const {
    const auto b = read(offset, 4);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

}  // namespace dbxw
