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
        acc_ = (acc_ << count) | (value & ((1ull << count) - 1));
        bits_ += count;
        if (bits_ >= 32) {
            bits_ -= 32;
            std::uint32_t word = static_cast<std::uint32_t>(acc_ >> bits_);
            const std::uint8_t b[4] = {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                                       static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
            out_.insert(out_.end(), b, b + 4);
        }
    }

    // Total bits written so far.
    std::uint64_t bitCount() const { return out_.size() * 8ull + bits_; }

    // Moves the whole bytes and the trailing partial byte (left-aligned) out; the writer is empty after.
    // `tailBits` receives how many high bits of the last returned byte are used (0: none pending).
    std::vector<std::uint8_t> take(unsigned& tailBits) {
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> bits_));
        }
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
    unsigned bits_ = 0;  // pending bits in acc_, always < 32 between calls
};

}  // namespace lha
