// -lh4- to -lh7-: LZ77 with static Huffman blocks. Each block carries three code-length
// sets (a pre-code for the literal/length lengths, the literal/length codes, the position
// codes) followed by the block's symbols. The four methods differ only in dictionary size
// and the number of position codes, so one template serves them all.
#include "bit_reader.h"
#include "decode_method.h"
#include "huffman_decode.h"

#include <array>
#include <cstring>

namespace lha {
namespace {

struct LhStaticParams {
    unsigned dictBits;  // log2 of the dictionary size
    unsigned np;        // number of position codes
    unsigned pbit;      // bits of the position code-length count
};

inline constexpr LhStaticParams kLh4{12, 14, 4};
inline constexpr LhStaticParams kLh5{13, 14, 4};
inline constexpr LhStaticParams kLh6{15, 16, 5};
inline constexpr LhStaticParams kLh7{16, 17, 5};

inline constexpr unsigned kThreshold = 3;                     // shortest match
inline constexpr unsigned kMaxMatch = 256;
inline constexpr unsigned kNC = 256 + kMaxMatch - kThreshold + 1;  // literal/length codes: 510
inline constexpr unsigned kCBit = 9;
inline constexpr unsigned kNT = kMaxCodeLength + 3;           // pre-code symbols: 19
inline constexpr unsigned kTBit = 5;
inline constexpr unsigned kPreCodeSkipIndex = 3;              // a 2-bit zero run follows entry 3
inline constexpr unsigned kNPMax = 17;
inline constexpr unsigned kCRootBits = 12;
inline constexpr unsigned kPRootBits = 8;

struct BlockTables {
    HuffmanDecoder pre;
    HuffmanDecoder c;
    HuffmanDecoder p;
};

// Reads a pre-code or position code-length set of up to `nn` entries into `table`.
// `skipIndex` is the entry after which a 2-bit run of zero lengths follows (pre-code only).
Error readPtLengths(BitReader& br, HuffmanDecoder& table, unsigned nn, unsigned nbit, int skipIndex) {
    const unsigned n = br.get(nbit);
    if (n == 0) {
        const unsigned only = br.get(nbit);
        if (only >= nn) return Error::Corrupt;
        table.buildSingle(only);
        return Error::Ok;
    }
    if (n > nn) return Error::Corrupt;
    std::array<std::uint8_t, kNT> lengths{};
    static_assert(kNT >= kNPMax);
    unsigned i = 0;
    while (i < n) {
        br.refill();
        unsigned len = br.getBuffered(3);
        if (len == 7) {
            // Lengths of 7 and more continue in unary: one 1-bit per extra step, then a 0.
            while (br.getBuffered(1)) {
                if (++len > kMaxCodeLength) return Error::Corrupt;
            }
        }
        lengths[i++] = static_cast<std::uint8_t>(len);
        if (static_cast<int>(i) == skipIndex) {
            unsigned zeros = br.get(2);
            while (zeros-- > 0 && i < nn) lengths[i++] = 0;
        }
    }
    if (!table.build(lengths.data(), nn, kPRootBits)) return Error::Corrupt;
    return Error::Ok;
}

// Reads the literal/length code lengths, run-length coded with the pre-code.
Error readCLengths(BitReader& br, BlockTables& t) {
    const unsigned n = br.get(kCBit);
    if (n == 0) {
        const unsigned only = br.get(kCBit);
        if (only >= kNC) return Error::Corrupt;
        t.c.buildSingle(only);
        return Error::Ok;
    }
    if (n > kNC) return Error::Corrupt;
    std::array<std::uint8_t, kNC> lengths{};
    unsigned i = 0;
    while (i < n) {
        br.refill();
        const int sym = t.pre.decode(br);
        if (sym < 0) return Error::Corrupt;
        if (sym > 2) {
            lengths[i++] = static_cast<std::uint8_t>(sym - 2);
            continue;
        }
        // Pre-code symbols 0..2 are runs of zero lengths: 1, 3..18, 20..531.
        unsigned run = sym == 0 ? 1 : sym == 1 ? br.getBuffered(4) + 3 : br.getBuffered(kCBit) + 20;
        if (run > n - i) return Error::Corrupt;
        i += run;  // lengths[] is already zero there
    }
    if (!t.c.build(lengths.data(), kNC, kCRootBits)) return Error::Corrupt;
    return Error::Ok;
}

// Reads a block's symbol count and its three code tables. Corrupt for an empty block or
// any invalid table; Truncated/Corrupt when the input already ran out.
template <const LhStaticParams& P>
Error readBlockHeader(BitReader& br, BlockTables& t, unsigned& blockSymbols) {
    if (br.overrun()) return br.truncated() ? Error::Truncated : Error::Corrupt;
    blockSymbols = br.get(16);
    // Encoders never emit an empty block; a zero here is damage (and would spin forever).
    if (blockSymbols == 0) return Error::Corrupt;
    if (Error e = readPtLengths(br, t.pre, kNT, kTBit, kPreCodeSkipIndex); e != Error::Ok) return e;
    if (Error e = readCLengths(br, t); e != Error::Ok) return e;
    if (Error e = readPtLengths(br, t.p, P.np, P.pbit, -1); e != Error::Ok) return e;
    return Error::Ok;
}

// Copies a match of `len` bytes from `dist + 1` bytes back, at ring position `pos`,
// slow path: wraps and flushes as needed.
Error copyWrapping(OutputWindow& out, std::size_t& pos, std::size_t dist, unsigned len) {
    std::uint8_t* ring = out.ring();
    std::size_t src = (pos - dist - 1) & OutputWindow::kRingMask;
    while (len-- > 0) {
        ring[pos++] = ring[src];
        src = (src + 1) & OutputWindow::kRingMask;
        if (pos == OutputWindow::kRingSize) {
            if (Error e = out.flush(pos); e != Error::Ok) return e;
            pos = 0;
        }
    }
    return Error::Ok;
}


// Decodes symbols with all state in registers for as long as nothing unusual happens:
// codes resolve in the root tables, eight input bytes are at hand, the output is far from
// the ring's end and from the member's end. Returns to the careful path otherwise.
LHA_HOT_INLINE void decodeFastRun(BitReader& br, const BlockTables& t, std::uint8_t* const ring, std::size_t& pos,
                                  std::uint64_t& left, unsigned& blockSymbols) {
    using H = HuffmanDecoder;
    constexpr std::size_t kLimit = OutputWindow::kRingSize - kMaxMatch - 8;
    BitReader::Fast f = br.takeFast();
    const std::uint32_t* const ct = t.c.table();
    const unsigned cShift = 64 - t.c.rootBits();
    const std::uint32_t* const pt = t.p.table();
    const unsigned pShift = 64 - t.p.rootBits();
    std::size_t q = pos;
    std::uint64_t l = left;
    unsigned n = blockSymbols;
    while (n > 0 && q < kLimit && l >= kMaxMatch) {
        if (!f.refill()) break;
        const std::uint32_t ce = ct[f.buf >> cShift];
        if (!H::isSymbol(ce)) break;
        const unsigned cLen = H::codeLength(ce);
        const unsigned c = H::symbolOf(ce);
        if (c < 256) {
            f.buf <<= cLen;
            f.bits -= static_cast<int>(cLen);
            ring[q++] = static_cast<std::uint8_t>(c);
            --l;
            --n;
            continue;
        }
        std::uint64_t b = f.buf << cLen;
        const std::uint32_t pe = pt[b >> pShift];
        if (!H::isSymbol(pe)) break;
        const unsigned pLen = H::codeLength(pe);
        const unsigned pc = H::symbolOf(pe);
        b <<= pLen;
        int bits = f.bits - static_cast<int>(cLen + pLen);
        std::size_t dist = pc;
        if (pc > 1) {
            const unsigned extra = pc - 1;
            dist = (std::size_t{1} << extra) + static_cast<std::size_t>(b >> (64 - extra));
            b <<= extra;
            bits -= static_cast<int>(extra);
        }
        f.buf = b;
        f.bits = bits;
        --n;
        const unsigned len = c - 256 + kThreshold;
        l -= len;
        const std::size_t src = (q - dist - 1) & OutputWindow::kRingMask;
        std::uint8_t* d = ring + q;
        if (src + len <= OutputWindow::kRingSize) {
            const std::uint8_t* s = ring + src;
            if (src > q || q - src >= 8) {
                for (unsigned k = 0; k < len; k += 8) std::memcpy(d + k, s + k, 8);
            } else {
                for (unsigned k = 0; k < len; ++k) d[k] = s[k];
            }
        } else {
            for (unsigned k = 0; k < len; ++k) d[k] = ring[(src + k) & OutputWindow::kRingMask];
        }
        q += len;
    }
    br.putFast(f);
    pos = q;
    left = l;
    blockSymbols = n;
}

// Decodes blocks until the window has produced out.size() bytes; the last match is cut
// at that size. Returns Corrupt for invalid codes, WriteFailed from the output.
template <const LhStaticParams& P>
Error decodeBlocks(BitReader& br, OutputWindow& out) {
    // The farthest match (2^(np-1) - 1 back) must stay inside the space-filled tail.
    static_assert(P.np <= kNPMax && (std::size_t{1} << (P.np - 1)) <= OutputWindow::kMaxDistance);
    constexpr std::size_t kRingSize = OutputWindow::kRingSize;
    BlockTables t;
    std::uint8_t* const ring = out.ring();
    std::size_t pos = 0;
    std::uint64_t left = out.size();
    unsigned blockSymbols = 0;

    while (left > 0) {
        if (blockSymbols == 0) {
            if (Error e = readBlockHeader<P>(br, t, blockSymbols); e != Error::Ok) return e;
        }
        decodeFastRun(br, t, ring, pos, left, blockSymbols);
        if (left == 0) break;
        if (blockSymbols == 0) continue;
        // One symbol the careful way: long codes, input refills, ring wrap, member end.
        --blockSymbols;
        // 57 buffered bits cover the longest symbol: 16 + 16 + 15 extra position bits.
        br.refill();
        const int c = t.c.decode(br);
        if (c < 256) {
            if (c < 0) return Error::Corrupt;
            ring[pos++] = static_cast<std::uint8_t>(c);
            --left;
            if (pos == kRingSize) {
                if (Error e = out.flush(pos); e != Error::Ok) return e;
                if (Error e = streamError(br); e != Error::Ok) return e;
                pos = 0;
            }
            continue;
        }
        unsigned len = static_cast<unsigned>(c) - 256 + kThreshold;
        const int pc = t.p.decode(br);
        if (pc < 0) return Error::Corrupt;
        std::size_t dist = static_cast<std::size_t>(pc);
        if (pc > 1) dist = (std::size_t{1} << (pc - 1)) + br.getBuffered(static_cast<unsigned>(pc - 1));
        if (len > left) len = static_cast<unsigned>(left);
        left -= len;

        const std::size_t src = (pos - dist - 1) & OutputWindow::kRingMask;
        if (pos + len < kRingSize && src + len <= kRingSize) {
            std::uint8_t* d = ring + pos;
            const std::uint8_t* s = ring + src;
            const bool farApart = src > pos || pos - src >= 8;
            pos += len;
            if (farApart) {
                // Eight bytes at a time; the few bytes written past the match land in
                // positions not yet produced (or the slack) and are overwritten later.
                for (unsigned k = 0; k < len; k += 8) std::memcpy(d + k, s + k, 8);
            } else {
                for (unsigned k = 0; k < len; ++k) d[k] = s[k];
            }
        } else if (Error e = copyWrapping(out, pos, dist, len); e != Error::Ok) {
            return e;
        }
    }
    if (Error e = out.flush(pos); e != Error::Ok) return e;
    return streamError(br);
}

// One member of the method P: see decode_method.h for the contract.
template <const LhStaticParams& P>
Error decodeLhStatic(InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    BitReader br(in, compressedSize);
    return blameInput(br, decodeBlocks<P>(br, out));
}

}  // namespace

Error decodeLh4(InputStream& in, std::uint64_t n, OutputWindow& out) { return decodeLhStatic<kLh4>(in, n, out); }
Error decodeLh5(InputStream& in, std::uint64_t n, OutputWindow& out) { return decodeLhStatic<kLh5>(in, n, out); }
Error decodeLh6(InputStream& in, std::uint64_t n, OutputWindow& out) { return decodeLhStatic<kLh6>(in, n, out); }
Error decodeLh7(InputStream& in, std::uint64_t n, OutputWindow& out) { return decodeLhStatic<kLh7>(in, n, out); }

}  // namespace lha
