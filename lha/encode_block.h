// Static-Huffman block coder of the -lh5-/-lh7- family: collects codes, splits them into
// blocks by estimated size, and writes each block's trees and codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bit_writer.h"

namespace lha {

// Constants of one method of the family (dictionary bits 13/15/16).
struct LhFormat {
    unsigned dicBit;  // log2 of the window
    unsigned np;      // number of position codes: dicBit + 1
    unsigned pbit;    // bits of the position tree's length count
};
inline constexpr LhFormat kLh5Format{13, 14, 4};
inline constexpr LhFormat kLh6Format{15, 16, 5};
inline constexpr LhFormat kLh7Format{16, 17, 5};

inline constexpr unsigned kNC = 510;          // 256 literals + lengths 3..256
inline constexpr unsigned kNT = 19;           // code-length tree symbols
inline constexpr unsigned kTBit = 5;
inline constexpr unsigned kCBit = 9;
inline constexpr unsigned kMaxBlockCodes = 65535;
inline constexpr unsigned kMaxCodeBits = 16;
inline constexpr std::size_t kChunkCodes = 2048;  // codes between block-split decisions

// Bit length of a position value (0 for 0): the position tree's symbol.
inline unsigned positionSymbol(unsigned p) { return p ? 32u - static_cast<unsigned>(__builtin_clz(p)) : 0u; }

class BlockCoder {
public:
    BlockCoder(const LhFormat& format, BitWriter& out);

    void literal(std::uint8_t c) { push(c, 0); }
    // length 3..256, distance 1..window size.
    void match(unsigned length, unsigned distance) {
        push(256 + length - 3, (distance - 1) << 16 | 0x8000u);
    }
    // Writes every pending code; the coder may be reused afterwards.
    void finish();

    // Code lengths of the last written block (0 = unused), for cost-driven parsing.
    const std::array<std::uint8_t, kNC>& lastCLengths() const { return lastC_; }
    const std::array<std::uint8_t, 32>& lastPLengths() const { return lastP_; }
    bool hasLastBlock() const { return hasLast_; }

private:
    struct Freqs {
        std::array<std::uint32_t, kNC> c{};
        std::array<std::uint32_t, 32> p{};
        std::size_t codes = 0;
        void add(const Freqs& o);
    };
    // Inline: called once per code from the parse loops.
    void push(unsigned c, std::uint32_t extra) {
        codes_[count_++] = c | (extra & 0xFFFF0000u);
        ++chunk_.c[c];
        if (c >= 256) ++chunk_.p[positionSymbol(extra >> 16)];
        if (++chunk_.codes == kChunkCodes) closeChunk();
    }
    void closeChunk();
    std::uint64_t estimateBits(const Freqs& f) const;
    void writeBlock(std::size_t begin, std::size_t end, const Freqs& f);

    LhFormat format_;
    BitWriter& out_;
    // Codes as c | (position << 16 | 0x8000 for a match).
    // Room for a full block plus one chunk; a chunk closes before it can overflow.
    std::vector<std::uint32_t> codes_;
    std::size_t count_ = 0;       // codes_[0, count_) are pending
    std::size_t chunkStart_ = 0;  // codes_[0, chunkStart_) form the open block
    Freqs block_, chunk_;
    std::uint64_t blockBits_ = 0;  // estimate for block_
    std::array<std::uint8_t, kNC> lastC_{};
    std::array<std::uint8_t, 32> lastP_{};
    bool hasLast_ = false;
};


}  // namespace lha
