// Forward shortest-path parse over windows of a few thousand positions: every position gets
// the literal edge and one edge per match length (nearest distance for that length); prices
// come from the previous block's Huffman lengths, or rough defaults before the first block.
#include "encode_optimal.h"

#include <algorithm>
#include <array>
#include <vector>

namespace lha {
namespace {

constexpr std::size_t kSpan = 4096;          // positions per shortest-path window
constexpr std::uint32_t kUnusedPenalty = 13;  // price of a code the last block did not use

struct Prices {
    std::array<std::uint32_t, 256> literal{};
    std::array<std::uint32_t, kMaxMatch + 1> length{};
    std::array<std::uint32_t, 32> position{};  // tree code plus extra bits, per position symbol

    void fromBlock(const BlockCoder& coder, unsigned np) {
        const auto& c = coder.lastCLengths();
        const auto& p = coder.lastPLengths();
        for (unsigned i = 0; i < 256; ++i) literal[i] = c[i] ? c[i] : kUnusedPenalty;
        for (unsigned len = kMinMatch; len <= kMaxMatch; ++len) {
            unsigned code = 256 + len - kMinMatch;
            length[len] = c[code] ? c[code] : kUnusedPenalty;
        }
        for (unsigned s = 0; s < np; ++s) position[s] = (p[s] ? p[s] : 6u) + (s > 1 ? s - 1 : 0);
    }

    // Before any block: literals priced by their frequency in the data ahead.
    void defaults(const std::uint8_t* data, std::size_t n, unsigned np) {
        std::array<std::uint32_t, 256> freq{};
        for (std::size_t i = 0; i < n; ++i) ++freq[data[i]];
        for (unsigned i = 0; i < 256; ++i) {
            std::uint32_t bits = 1;
            while (bits < 15 && (std::uint64_t{freq[i]} << bits) < n) ++bits;
            literal[i] = bits;
        }
        for (unsigned len = kMinMatch; len <= kMaxMatch; ++len) length[len] = len < 8 ? 5 + len / 2 : len < 32 ? 9 : 11;
        for (unsigned s = 0; s < np; ++s) position[s] = 4 + (s > 1 ? s - 1 : 0);
    }
};

struct Step {
    std::uint16_t length;    // 1: literal
    std::uint16_t distance;  // distance - 1 for a match
};

}  // namespace

void parseOptimal(MatchFinder& mf, unsigned windowBits, unsigned niceLength, const std::uint8_t* data,
                  std::size_t primer, std::size_t size, BlockCoder& coder) {
    const unsigned np = windowBits + 1;
    Prices prices;
    prices.defaults(data + primer, std::min<std::size_t>(size - primer, 65536), np);
    bool fromBlock = false;
    std::vector<std::uint32_t> cost(kSpan + 1);
    std::vector<Step> step(kSpan + 1);
    std::vector<Step> path;
    std::array<std::uint32_t, kMaxMatch + 1> dist{};

    std::size_t pos = primer;
    while (pos < size) {
        if (coder.hasLastBlock() && !fromBlock) fromBlock = true;
        if (fromBlock) prices.fromBlock(coder, np);
        std::size_t n = std::min(kSpan, size - pos);
        std::fill(cost.begin(), cost.begin() + static_cast<std::ptrdiff_t>(n) + 1, ~0u);
        cost[0] = 0;
        Match longRun;  // a match long enough to end the window early
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = pos + i;
            const std::uint32_t base = cost[i];
            if (base + prices.literal[data[at]] < cost[i + 1]) {
                cost[i + 1] = base + prices.literal[data[at]];
                step[i + 1] = {1, 0};
            }
            unsigned longest = mf.findAll(at, kMaxMatch, dist.data());
            mf.insert(at);
            if (longest >= niceLength) {
                longRun = {longest, dist[longest]};
                n = i;
                break;
            }
            const unsigned reach = static_cast<unsigned>(std::min<std::size_t>(longest, n - i));
            for (unsigned len = kMinMatch; len <= reach; ++len) {
                const unsigned d = dist[len] - 1;
                const std::uint32_t c = base + prices.length[len] + prices.position[positionSymbol(d)];
                if (c < cost[i + len]) {
                    cost[i + len] = c;
                    step[i + len] = {static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(d)};
                }
            }
        }
        path.clear();
        for (std::size_t j = n; j > 0; j -= step[j].length) path.push_back(step[j]);
        std::size_t at = pos;
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            if (it->length == 1) coder.literal(data[at]);
            else coder.match(it->length, it->distance + 1u);
            at += it->length;
        }
        pos += n;
        if (longRun.length) {
            coder.match(longRun.length, longRun.distance);
            for (std::size_t k = pos + 1; k < pos + longRun.length; ++k) mf.insert(k);
            pos += longRun.length;
        }
    }
}

}  // namespace lha
