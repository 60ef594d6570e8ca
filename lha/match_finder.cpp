// Hash chains: one head per 3-byte hash, one link per window slot; a search walks the chain
// newest-first until the window edge or the depth bound.
#include "match_finder.h"

#include <algorithm>
#include <cstring>

namespace lha {

MatchFinder::MatchFinder(unsigned windowBits, unsigned chainDepth, unsigned niceLength)
    : windowSize_(std::size_t{1} << windowBits),
      windowMask_((std::size_t{1} << windowBits) - 1),
      chainDepth_(chainDepth),
      niceLength_(niceLength),
      // About two heads per window slot: fewer would merge chains, more would only miss the cache.
      hashShift_(32 - std::min(windowBits + 2, 16u)),
      head_(std::size_t{1} << (32 - hashShift_)),
      prev_(std::size_t{1} << windowBits) {}

void MatchFinder::reset(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    std::fill(head_.begin(), head_.end(), 0u);
}

// Common prefix length of the data at a and b, at most `limit` (both ranges must be in bounds).
unsigned MatchFinder::matchLength(std::size_t a, std::size_t b, unsigned limit) const {
    unsigned n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, data_ + a + n, 8);
        std::memcpy(&y, data_ + b + n, 8);
        if (std::uint64_t d = x ^ y) return n + static_cast<unsigned>(__builtin_ctzll(d) >> 3);
        n += 8;
    }
    while (n < limit && data_[a + n] == data_[b + n]) ++n;
    return n;
}

Match MatchFinder::find(std::size_t pos, unsigned maxLength) const {
    Match best;
    if (pos + kMinMatch > size_) return best;
    unsigned limit = static_cast<unsigned>(std::min<std::size_t>(maxLength, size_ - pos));
    unsigned bestLen = kMinMatch - 1;
    std::uint32_t cand = head_[hash(pos)];
    for (unsigned depth = chainDepth_; cand && depth; --depth) {
        std::size_t c = cand - 1;
        if (pos - c > windowSize_ || c >= pos) break;
        // Cheap reject: a longer match must agree at the byte just past the current best.
        if (data_[c + bestLen] == data_[pos + bestLen] && data_[c] == data_[pos]) {
            unsigned len = matchLength(c, pos, limit);
            if (len > bestLen) {
                bestLen = len;
                best.length = len;
                best.distance = static_cast<unsigned>(pos - c);
                if (len >= niceLength_ || len >= limit) break;
            }
        }
        cand = prev_[c & windowMask_];
    }
    return best;
}

unsigned MatchFinder::findAll(std::size_t pos, unsigned maxLength, std::uint32_t* out) const {
    if (pos + kMinMatch > size_) return 0;
    unsigned limit = static_cast<unsigned>(std::min<std::size_t>(maxLength, size_ - pos));
    unsigned bestLen = kMinMatch - 1;
    std::uint32_t cand = head_[hash(pos)];
    for (unsigned depth = chainDepth_; cand && depth; --depth) {
        std::size_t c = cand - 1;
        if (pos - c > windowSize_ || c >= pos) break;
        if (data_[c + bestLen] == data_[pos + bestLen]) {
            unsigned len = matchLength(c, pos, limit);
            if (len > bestLen) {
                unsigned d = static_cast<unsigned>(pos - c);
                for (unsigned l = bestLen + 1; l <= len; ++l) out[l] = d;
                bestLen = len;
                if (len >= niceLength_ || len >= limit) break;
            }
        }
        cand = prev_[c & windowMask_];
    }
    return bestLen >= kMinMatch ? bestLen : 0;
}

}  // namespace lha
