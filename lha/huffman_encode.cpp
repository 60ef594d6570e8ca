// Huffman lengths via a two-queue merge over sorted leaves, then a Kraft repair to the length
// limit that keeps the longest codes on the rarest symbols.
#include "huffman_encode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace lha {

int buildCodeLengths(const std::uint32_t* freq, int n, int maxLen, std::uint8_t* lengths) {
    // Sort keys: frequency above, symbol below, so ties break by symbol and never by the sort.
    std::vector<std::uint64_t> keys;
    keys.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        lengths[i] = 0;
        if (freq[i]) keys.push_back(std::uint64_t{freq[i]} << 16 | static_cast<unsigned>(i));
    }
    const int used = static_cast<int>(keys.size());
    if (used < 2) return used;
    std::sort(keys.begin(), keys.end());
    std::vector<int> syms(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) syms[i] = static_cast<int>(keys[i] & 0xFFFF);

    // Nodes 0..used-1 are leaves in ascending weight; internal nodes follow in creation order,
    // which is also ascending weight, so two queues give the minimum in O(1).
    std::vector<std::uint64_t> weight(static_cast<std::size_t>(2 * used - 1));
    std::vector<int> parent(static_cast<std::size_t>(2 * used - 1), -1);
    for (int i = 0; i < used; ++i) weight[static_cast<std::size_t>(i)] = freq[syms[static_cast<std::size_t>(i)]];
    int leaf = 0, inner = used, next = used;
    auto pick = [&]() {
        if (leaf < used && (inner >= next || weight[static_cast<std::size_t>(leaf)] <= weight[static_cast<std::size_t>(inner)]))
            return leaf++;
        return inner++;
    };
    while (next < 2 * used - 1) {
        int a = pick();
        int b = pick();
        weight[static_cast<std::size_t>(next)] = weight[static_cast<std::size_t>(a)] + weight[static_cast<std::size_t>(b)];
        parent[static_cast<std::size_t>(a)] = next;
        parent[static_cast<std::size_t>(b)] = next;
        ++next;
    }
    // Depths: parents are created after children, so walk internal nodes from the root down.
    std::vector<int> depth(static_cast<std::size_t>(2 * used - 1), 0);
    for (int i = 2 * used - 3; i >= 0; --i)
        depth[static_cast<std::size_t>(i)] = depth[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])] + 1;

    std::array<int, 64> count{};
    for (int i = 0; i < used; ++i) ++count[static_cast<std::size_t>(std::min(depth[static_cast<std::size_t>(i)], maxLen))];
    // Over-long codes were clamped to maxLen; the Kraft sum may now exceed one. Each step
    // moves one code at maxLen up a level by splitting a shorter leaf, lowering the sum by one unit.
    std::uint64_t kraft = 0;
    for (int len = 1; len <= maxLen; ++len) kraft += static_cast<std::uint64_t>(count[static_cast<std::size_t>(len)]) << (maxLen - len);
    while (kraft > (1ull << maxLen)) {
        --count[static_cast<std::size_t>(maxLen)];
        for (int len = maxLen - 1; len > 0; --len) {
            if (count[static_cast<std::size_t>(len)]) {
                --count[static_cast<std::size_t>(len)];
                count[static_cast<std::size_t>(len + 1)] += 2;
                break;
            }
        }
        --kraft;
    }
    // Hand lengths out again: rarest symbols (front of syms) get the longest codes.
    int idx = 0;
    for (int len = maxLen; len >= 1; --len)
        for (int k = 0; k < count[static_cast<std::size_t>(len)]; ++k)
            lengths[syms[static_cast<std::size_t>(idx++)]] = static_cast<std::uint8_t>(len);
    return used;
}

void buildCanonicalCodes(const std::uint8_t* lengths, int n, std::uint16_t* codes) {
    std::array<unsigned, 18> count{};
    for (int i = 0; i < n; ++i) ++count[lengths[i]];
    count[0] = 0;
    std::array<unsigned, 18> start{};
    for (int len = 1; len < 17; ++len) start[static_cast<std::size_t>(len + 1)] = (start[static_cast<std::size_t>(len)] + count[static_cast<std::size_t>(len)]) << 1;
    for (int i = 0; i < n; ++i)
        codes[i] = lengths[i] ? static_cast<std::uint16_t>(start[lengths[i]]++) : 0;
}

}  // namespace lha
