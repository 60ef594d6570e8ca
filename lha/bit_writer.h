// MSB-first bit packer for the -lh5-/-lh7- bit stream, appending to a byte vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lha {

class BitWriter {
public:
    // Appends the low `count` bits of `value`, most significant first; count <= 32.
    void put(unsigned count, std::uint32_t value) {
        if (count == 0) return;
        acc_ = (acc_ << count) | (value & ((1ull << count) - 1));
        bits_ += count;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> bits_));
        }
    }

    // Total bits written so far.
    std::uint64_t bitCount() const { return out_.size() * 8ull + bits_; }

    // Moves the whole bytes and the trailing partial byte (left-aligned) out; the writer is empty after.
    // `tailBits` receives how many high bits of the last returned byte are used (0: none pending).
    std::vector<std::uint8_t> take(unsigned& tailBits) {
        tailBits = bits_;
        if (bits_) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - bits_)));
        bits_ = 0;
        acc_ = 0;
        std::vector<std::uint8_t> r;
        r.swap(out_);
        return r;
    }

    void reserve(std::size_t bytes) { out_.reserve(bytes); }

private:
    std::vector<std::uint8_t> out_;
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;  // pending bits in acc_, always < 8 between calls
};

}  // namespace lha
