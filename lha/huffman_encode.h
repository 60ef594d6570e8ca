// Length-limited Huffman code construction and canonical code assignment for the encoder.
#pragma once

#include <cstdint>

namespace lha {

// Computes code lengths for `n` symbols with frequencies `freq` so that no length exceeds
// `maxLen` (<= 16). Unused symbols get length 0. With fewer than two used symbols every
// length is 0 (the caller writes such a tree in its single-code form).
// Returns the number of used symbols.
int buildCodeLengths(const std::uint32_t* freq, int n, int maxLen, std::uint8_t* lengths);

// Assigns canonical codes (shorter lengths first, then ascending symbol) as LHA decoders
// expect; symbols of length 0 get code 0.
void buildCanonicalCodes(const std::uint8_t* lengths, int n, std::uint16_t* codes);

}  // namespace lha
