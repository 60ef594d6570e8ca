// Hash-chain match finder over one in-memory buffer, for the -lh5-/-lh7- encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lha {

inline constexpr unsigned kMinMatch = 3;    // shortest match the format codes
inline constexpr unsigned kMaxMatch = 256;  // longest match the format codes

struct Match {
    unsigned length = 0;    // 0: none found (shorter than kMinMatch)
    unsigned distance = 0;  // 1..window size
};

class MatchFinder {
public:
    // windowBits: log2 of the largest distance allowed; chainDepth: chain links followed per search;
    // niceLength: a match this long ends the search early.
    MatchFinder(unsigned windowBits, unsigned chainDepth, unsigned niceLength);

    // Starts over on `data[0, size)`; no position is indexed yet.
    void reset(const std::uint8_t* data, std::size_t size);

    // Indexes position `pos` (needs pos + 3 <= size; later positions are ignored).
    void insert(std::size_t pos) {
        if (pos + kMinMatch > size_) return;
        std::uint32_t h = hash(pos);
        prev_[pos & windowMask_] = head_[h];
        head_[h] = static_cast<std::uint32_t>(pos) + 1;
    }

    // Longest match for `pos` against indexed earlier positions, at most `maxLength` long
    // (clamped to the data end). Does not index `pos`.
    Match find(std::size_t pos, unsigned maxLength) const;

    // Collects, for each length from kMinMatch up, the nearest distance reaching it:
    // out[len] = distance, for lengths up to the returned longest (0 when none).
    // Entries for lengths not reached are left unchanged; the caller fills gaps from longer ones.
    unsigned findAll(std::size_t pos, unsigned maxLength, std::uint32_t* out) const;

    void setChainDepth(unsigned depth) { chainDepth_ = depth; }

private:
    std::uint32_t hash(std::size_t pos) const {
        std::uint32_t v = data_[pos] | (std::uint32_t(data_[pos + 1]) << 8) | (std::uint32_t(data_[pos + 2]) << 16);
        return (v * 2654435761u) >> hashShift_;
    }
    unsigned matchLength(std::size_t a, std::size_t b, unsigned limit) const;

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t windowSize_;
    std::size_t windowMask_;
    unsigned chainDepth_;
    unsigned niceLength_;
    unsigned hashShift_;  // 32 - hash bits
    std::vector<std::uint32_t> head_;  // position + 1 of the newest entry per hash, 0 = empty
    std::vector<std::uint32_t> prev_;  // position + 1 of the previous entry with the same hash
};

}  // namespace lha
