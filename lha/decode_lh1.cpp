// -lh1-: LZ77 with a 4 KiB dictionary; literals and match lengths use an adaptive Huffman
// tree (frequencies grow as symbols are seen, the tree is rebuilt at the frequency cap),
// match positions use a fixed code for their upper six bits followed by six plain bits.
#include "bit_reader.h"
#include "decode_method.h"
#include "huffman_decode.h"

#include <array>
#include <cstring>

namespace lha {
namespace {

inline constexpr unsigned kThreshold = 3;
inline constexpr unsigned kMaxMatch = 60;
inline constexpr int kNumChars = 256 - kThreshold + kMaxMatch + 1;  // 314 leaves
inline constexpr int kTreeSize = kNumChars * 2 - 1;                 // 627 nodes
inline constexpr int kRoot = kTreeSize - 1;
inline constexpr unsigned kMaxFreq = 0x8000;
inline constexpr unsigned kPositionCodes = 64;
inline constexpr unsigned kPositionLowBits = 6;

// Adaptive Huffman tree. Nodes are kept sorted by frequency; a node's children sit at
// child[n] and child[n] + 1; child values >= kTreeSize mark leaves (symbol + kTreeSize).
class AdaptiveTree {
public:
    AdaptiveTree() {
        for (int i = 0; i < kNumChars; ++i) {
            freq_[i] = 1;
            child_[i] = i + kTreeSize;
            parent_[i + kTreeSize] = i;
        }
        for (int i = 0, j = kNumChars; j <= kRoot; i += 2, ++j) {
            freq_[j] = freq_[i] + freq_[i + 1];
            child_[j] = i;
            parent_[i] = parent_[i + 1] = j;
        }
        freq_[kTreeSize] = 0xFFFF;  // sentinel that stops the swap search
        parent_[kRoot] = 0;
    }

    // Walks from the root one bit per level; returns the symbol.
    int decode(BitReader& br) {
        int n = child_[kRoot];
        while (n < kTreeSize) {
            n += static_cast<int>(br.get(1));
            n = child_[n];
        }
        const int sym = n - kTreeSize;
        update(sym);
        return sym;
    }

private:
    // Counts one more occurrence of `sym`, moving nodes to keep frequencies ordered.
    void update(int sym) {
        if (freq_[kRoot] == kMaxFreq) rebuild();
        int n = parent_[sym + kTreeSize];
        do {
            const unsigned f = ++freq_[n];
            int l = n + 1;
            if (f > freq_[l]) {
                while (f > freq_[++l]) {
                }
                --l;
                freq_[n] = freq_[l];
                freq_[l] = f;
                const int a = child_[n];
                parent_[a] = l;
                if (a < kTreeSize) parent_[a + 1] = l;
                const int b = child_[l];
                child_[l] = a;
                parent_[b] = n;
                if (b < kTreeSize) parent_[b + 1] = n;
                child_[n] = b;
                n = l;
            }
            n = parent_[n];
        } while (n != 0);
    }

    // Halves all leaf counts and rebuilds the tree from them.
    void rebuild() {
        int j = 0;
        for (int i = 0; i < kTreeSize; ++i) {
            if (child_[i] >= kTreeSize) {
                freq_[j] = (freq_[i] + 1) / 2;
                child_[j] = child_[i];
                ++j;
            }
        }
        for (int i = 0, k = kNumChars; k < kTreeSize; i += 2, ++k) {
            const unsigned f = freq_[i] + freq_[i + 1];
            int at = k - 1;
            while (f < freq_[at]) --at;
            ++at;
            const std::size_t moved = static_cast<std::size_t>(k - at);
            std::memmove(&freq_[at + 1], &freq_[at], moved * sizeof freq_[0]);
            std::memmove(&child_[at + 1], &child_[at], moved * sizeof child_[0]);
            freq_[at] = f;
            child_[at] = i;
        }
        for (int i = 0; i < kTreeSize; ++i) {
            const int c = child_[i];
            parent_[c] = i;
            if (c < kTreeSize) parent_[c + 1] = i;
        }
    }

    std::array<unsigned, kTreeSize + 1> freq_{};
    std::array<int, kTreeSize> child_{};
    std::array<int, kTreeSize + kNumChars> parent_{};
};

// The fixed code for a position's upper six bits: how many codes each length 3..8 has.
HuffmanDecoder makePositionCode() {
    static constexpr unsigned kCodesPerLength[] = {1, 3, 8, 12, 24, 16};
    std::array<std::uint8_t, kPositionCodes> lengths{};
    unsigned sym = 0;
    for (unsigned i = 0; i < 6; ++i)
        for (unsigned k = 0; k < kCodesPerLength[i]; ++k) lengths[sym++] = static_cast<std::uint8_t>(3 + i);
    HuffmanDecoder d;
    d.build(lengths.data(), kPositionCodes, 8);
    return d;
}

// Decodes until out.size() bytes are produced or the input is overrun (checked every
// 4096 symbols, since every symbol costs at least one bit).
Error decodeSymbols(BitReader& br, OutputWindow& out) {
    static const HuffmanDecoder positionCode = makePositionCode();
    AdaptiveTree tree;
    BytePutter put(out);
    std::uint8_t* const ring = out.ring();
    std::size_t hist = 0;  // same position as the putter's, tracked for match sources
    std::uint64_t left = out.size();
    std::uint64_t sinceCheck = 0;
    while (left > 0) {
        const int c = tree.decode(br);
        if (c < 256) {
            if (Error e = put.put(static_cast<std::uint8_t>(c)); e != Error::Ok) return e;
            hist = (hist + 1) & OutputWindow::kRingMask;
            --left;
        } else {
            unsigned len = static_cast<unsigned>(c) - 256 + kThreshold;
            br.refill();
            const int upper = positionCode.decode(br);
            if (upper < 0) return Error::Corrupt;
            const std::size_t dist = static_cast<std::size_t>(upper) << kPositionLowBits | br.getBuffered(kPositionLowBits);
            if (len > left) len = static_cast<unsigned>(left);
            left -= len;
            std::size_t src = (hist - dist - 1) & OutputWindow::kRingMask;
            while (len-- > 0) {
                if (Error e = put.put(ring[src]); e != Error::Ok) return e;
                src = (src + 1) & OutputWindow::kRingMask;
                hist = (hist + 1) & OutputWindow::kRingMask;
            }
        }
        // A damaged stream decodes zeros forever past its end; stop at the first overrun.
        if (++sinceCheck == 4096) {
            sinceCheck = 0;
            if (br.overrun()) break;
        }
    }
    return put.finish();
}

}  // namespace

Error decodeLh1(InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    BitReader br(in, compressedSize);
    return blameInput(br, decodeSymbols(br, out));
}

}  // namespace lha
