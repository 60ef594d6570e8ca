// Block coder: codes arrive in chunks; each chunk either joins the open block or, when the
// estimated size of two separate blocks is smaller, closes it and starts the next one.
#include "encode_block.h"

#include <algorithm>
#include <cmath>

#include "huffman_encode.h"

namespace lha {
namespace {


// One entry of the coded c-length list: a code-length tree symbol plus its extra bits.
struct LenToken {
    std::uint8_t sym;
    std::uint8_t extraBits;
    std::uint16_t extra;
};

struct Tree {
    std::array<std::uint8_t, kNC> len{};
    std::array<std::uint16_t, kNC> code{};
    unsigned single = 0;  // the only symbol when fewer than two are used
    int used = 0;

    void build(const std::uint32_t* freq, unsigned n) {
        used = buildCodeLengths(freq, static_cast<int>(n), static_cast<int>(kMaxCodeBits), len.data());
        single = 0;
        if (used < 2)
            for (unsigned i = 0; i < n; ++i)
                if (freq[i]) single = i;
        buildCanonicalCodes(len.data(), static_cast<int>(n), code.data());
    }
};

struct BlockTrees {
    Tree c, t, p;
    std::vector<LenToken> tokens;
    unsigned cCount = 0;  // c lengths written (trailing zeros dropped)
};

// Codes the c lengths: zero runs use tree symbols 0/1/2 with a count, a length k symbol k + 2.
void cLengthTokens(const std::uint8_t* len, unsigned n, std::vector<LenToken>& out) {
    out.clear();
    unsigned i = 0;
    while (i < n) {
        unsigned k = len[i++];
        if (k != 0) {
            out.push_back({static_cast<std::uint8_t>(k + 2), 0, 0});
            continue;
        }
        unsigned run = 1;
        while (i < n && len[i] == 0) { ++i; ++run; }
        if (run <= 2) {
            for (unsigned r = 0; r < run; ++r) out.push_back({0, 0, 0});
        } else if (run <= 18) {
            out.push_back({1, 4, static_cast<std::uint16_t>(run - 3)});
        } else if (run == 19) {
            out.push_back({0, 0, 0});
            out.push_back({1, 4, 15});
        } else {
            out.push_back({2, static_cast<std::uint8_t>(kCBit), static_cast<std::uint16_t>(run - 20)});
        }
    }
}

void buildTrees(const std::uint32_t* cFreq, const std::uint32_t* pFreq, const LhFormat& f, BlockTrees& b) {
    b.c.build(cFreq, kNC);
    b.p.build(pFreq, f.np);
    b.cCount = 0;
    b.tokens.clear();
    if (b.c.used >= 2) {
        unsigned n = kNC;
        while (n > 0 && b.c.len[n - 1] == 0) --n;
        b.cCount = n;
        cLengthTokens(b.c.len.data(), n, b.tokens);
        std::array<std::uint32_t, kNT> tFreq{};
        for (const LenToken& t : b.tokens) ++tFreq[t.sym];
        b.t.build(tFreq.data(), kNT);
    }
}

// Lengths of a small tree: 3 bits, or 7+ as 111 then unary; after index `special` a 2-bit
// count of zero lengths that follow (up to index 5).
template <class Sink>
void writePtLengths(Sink& s, const std::uint8_t* len, unsigned n, unsigned nbit, unsigned special) {
    while (n > 0 && len[n - 1] == 0) --n;
    s.put(nbit, n);
    unsigned i = 0;
    while (i < n) {
        unsigned k = len[i++];
        if (k <= 6) s.put(3, k);
        else s.put(k - 3, (1u << (k - 3)) - 2);
        if (i == special) {
            while (i < 6 && i < n && len[i] == 0) ++i;
            s.put(2, (i - special) & 3);
        }
    }
}

template <class Sink>
void writeTrees(Sink& s, const BlockTrees& b, const LhFormat& f, unsigned blockCodes) {
    s.put(16, blockCodes);
    if (b.c.used >= 2) {
        if (b.t.used >= 2) {
            writePtLengths(s, b.t.len.data(), kNT, kTBit, 3);
        } else {
            s.put(kTBit, 0);
            s.put(kTBit, b.t.single);
        }
        s.put(kCBit, b.cCount);
        for (const LenToken& t : b.tokens) {
            s.put(b.t.len[t.sym], b.t.code[t.sym]);
            s.put(t.extraBits, t.extra);
        }
    } else {
        s.put(kTBit, 0);
        s.put(kTBit, 0);
        s.put(kCBit, 0);
        s.put(kCBit, b.c.single);
    }
    if (b.p.used >= 2) {
        writePtLengths(s, b.p.len.data(), f.np, f.pbit, ~0u);
    } else {
        s.put(f.pbit, 0);
        s.put(f.pbit, b.p.single);
    }
}

}  // namespace

void BlockCoder::Freqs::add(const Freqs& o) {
    for (unsigned i = 0; i < kNC; ++i) c[i] += o.c[i];
    for (unsigned i = 0; i < p.size(); ++i) p[i] += o.p[i];
    codes += o.codes;
}

BlockCoder::BlockCoder(const LhFormat& format, BitWriter& out) : format_(format), out_(out) {
    codes_.resize(kMaxBlockCodes + kChunkCodes);
}

// Shannon size of the codes (sum of f * log2(total / f), in 1/64 bits via a table of
// n * log2(n)) plus a rough price for the trees: cheap enough to run at every chunk.
std::uint64_t BlockCoder::estimateBits(const Freqs& f) const {
    static const std::vector<std::uint64_t> nLogN = [] {
        std::vector<std::uint64_t> v(kMaxBlockCodes + kChunkCodes + 1);
        for (std::size_t i = 1; i < v.size(); ++i) v[i] = static_cast<std::uint64_t>(std::llround(64.0 * double(i) * std::log2(double(i))));
        return v;
    }();
    auto nlogn = [&](std::size_t i) { return nLogN[std::min(i, nLogN.size() - 1)]; };
    std::uint64_t total = 0, sum = 0, scaled = 0;
    unsigned used = 0, zeroRuns = 0;
    bool inRun = false;
    for (unsigned i = 0; i < kNC; ++i) {
        total += f.c[i];
        sum += nlogn(f.c[i]);
        if (f.c[i]) { ++used; inRun = false; }
        else if (!inRun) { ++zeroRuns; inRun = true; }
    }
    scaled += nlogn(total) - sum;
    total = sum = 0;
    std::uint64_t extra = 0;
    for (unsigned i = 0; i < format_.np; ++i) {
        total += f.p[i];
        sum += nlogn(f.p[i]);
        extra += std::uint64_t{f.p[i]} * (i > 1 ? i - 1 : 0);
    }
    scaled += nlogn(total) - sum;
    // Tree prices: about 4 bits per used code length, 7 per zero run, 3 per position length.
    return scaled / 64 + extra + used * 4 + zeroRuns * 7 + format_.np * 3 + 40;
}

void BlockCoder::closeChunk() {
    if (chunk_.codes == 0) return;
    const std::uint64_t chunkBits = estimateBits(chunk_);
    bool split = false;
    if (block_.codes == 0) {
        blockBits_ = chunkBits;
    } else if (block_.codes + chunk_.codes > kMaxBlockCodes) {
        split = true;
    } else {
        Freqs merged = block_;
        merged.add(chunk_);
        const std::uint64_t mergedBits = estimateBits(merged);
        split = blockBits_ + chunkBits < mergedBits;
        if (!split) blockBits_ = mergedBits;
    }
    if (split) {
        writeBlock(0, chunkStart_, block_);
        std::copy(codes_.begin() + static_cast<std::ptrdiff_t>(chunkStart_), codes_.begin() + static_cast<std::ptrdiff_t>(count_), codes_.begin());
        count_ -= chunkStart_;
        block_ = chunk_;
        blockBits_ = chunkBits;
    } else {
        block_.add(chunk_);
    }
    chunkStart_ = count_;
    chunk_ = Freqs{};
}

void BlockCoder::finish() {
    closeChunk();
    if (block_.codes > 0) writeBlock(0, count_, block_);
    count_ = 0;
    chunkStart_ = 0;
    block_ = Freqs{};
}

void BlockCoder::writeBlock(std::size_t begin, std::size_t end, const Freqs& f) {
    BlockTrees b;
    buildTrees(f.c.data(), f.p.data(), format_, b);
    writeTrees(out_, b, format_, static_cast<unsigned>(end - begin));
    for (std::size_t i = begin; i < end; ++i) {
        std::uint32_t x = codes_[i];
        unsigned c = x & 0xFFFFu;
        out_.put(b.c.len[c], b.c.code[c]);
        if (c >= 256) {
            unsigned pos = x >> 16;
            unsigned ps = positionSymbol(pos);
            out_.put(b.p.len[ps], b.p.code[ps]);
            if (ps > 1) out_.put(ps - 1, pos);
        }
    }
    std::copy_n(b.c.len.begin(), kNC, lastC_.begin());
    std::fill(lastP_.begin(), lastP_.end(), 0);
    std::copy_n(b.p.len.begin(), format_.np, lastP_.begin());
    hasLast_ = true;
}

}  // namespace lha
