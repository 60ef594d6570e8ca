// Builds two-level lookup tables from canonical Huffman code lengths.
#include "huffman_decode.h"

#include <algorithm>
#include <array>

namespace lha {

bool HuffmanDecoder::build(const std::uint8_t* lengths, unsigned count, unsigned rootBits) {
    std::array<unsigned, kMaxCodeLength + 1> perLength{};
    unsigned maxLength = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (lengths[i] > kMaxCodeLength) return false;
        ++perLength[lengths[i]];
        if (lengths[i] > maxLength) maxLength = lengths[i];
    }
    // Kraft check: more codes of a length than remain free means no prefix code exists.
    std::int64_t room = 1;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        room = room * 2 - perLength[len];
        if (room < 0) return false;
    }

    if (maxLength == 0) maxLength = 1;
    if (rootBits > kMaxRootBits) rootBits = kMaxRootBits;
    rootBits_ = rootBits < maxLength ? rootBits : maxLength;
    const std::size_t rootSize = std::size_t{1} << rootBits_;

    // First code of each length, canonical order.
    std::array<std::uint32_t, kMaxCodeLength + 2> nextCode{};
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        nextCode[len] = code;
        code = (code + perLength[len]) << 1;
    }

    // Longest code under each root prefix decides the size of that prefix's subtable.
    std::array<std::uint8_t, std::size_t{1} << kMaxRootBits> subBits;
    std::fill_n(subBits.begin(), rootSize, std::uint8_t{0});
    {
        auto probe = nextCode;
        for (unsigned len = rootBits_ + 1; len <= maxLength; ++len) {
            for (unsigned n = 0; n < perLength[len]; ++n) {
                std::uint32_t c = probe[len]++;
                std::size_t prefix = c >> (len - rootBits_);
                subBits[prefix] = static_cast<std::uint8_t>(len - rootBits_);
            }
        }
    }
    std::size_t total = rootSize;
    for (std::size_t p = 0; p < rootSize; ++p)
        if (subBits[p]) total += std::size_t{1} << subBits[p];

    // A complete code covers every entry; only an incomplete one needs the invalid marker.
    if (room == 0) table_.resize(total);
    else table_.assign(total, kInvalid);
    std::size_t next = rootSize;
    for (std::size_t p = 0; p < rootSize; ++p) {
        if (!subBits[p]) continue;
        table_[p] = static_cast<std::uint32_t>(next) << 16 | kSubtable | subBits[p];
        next += std::size_t{1} << subBits[p];
    }

    for (unsigned sym = 0; sym < count; ++sym) {
        const unsigned len = lengths[sym];
        if (len == 0) continue;
        const std::uint32_t c = nextCode[len]++;
        if (len <= rootBits_) {
            const std::size_t first = std::size_t{c} << (rootBits_ - len);
            const std::size_t span = std::size_t{1} << (rootBits_ - len);
            const std::uint32_t entry = sym << 16 | kSymbol | len;
            for (std::size_t k = 0; k < span; ++k) table_[first + k] = entry;
        } else {
            const unsigned rest = len - rootBits_;
            const std::uint32_t head = table_[c >> rest];
            const unsigned sub = head & kLengthMask;
            const std::size_t base = head >> 16;
            const std::size_t low = c & ((1u << rest) - 1);
            const std::size_t first = base + (low << (sub - rest));
            const std::size_t span = std::size_t{1} << (sub - rest);
            const std::uint32_t entry = sym << 16 | kSymbol | rest;
            for (std::size_t k = 0; k < span; ++k) table_[first + k] = entry;
        }
    }
    return true;
}

void HuffmanDecoder::buildSingle(unsigned symbol) {
    rootBits_ = 1;
    const std::uint32_t entry = static_cast<std::uint32_t>(symbol) << 16 | kSymbol;
    table_.assign(2, entry);
}

int HuffmanDecoder::decodeLong(BitReader& br, std::uint32_t e) const {
    if ((e & kKindMask) != kSubtable) return -1;
    br.consume(rootBits_);
    const std::uint32_t s = table_[(e >> 16) + br.peek(e & kLengthMask)];
    if ((s & kKindMask) != kSymbol) return -1;
    br.consume(s & kLengthMask);
    return static_cast<int>(s >> 16);
}

}  // namespace lha
