// Cost-driven parse for the -lh5-/-lh7- encoder: shortest path over literal/match choices,
// priced with the code lengths of the block written before.
#pragma once

#include <cstddef>
#include <cstdint>

#include "encode_block.h"
#include "match_finder.h"

namespace lha {

// Parses data[primer, size) into `coder` (data[0, primer) is already-known history that the
// caller has indexed in `mf`, which must be reset on `data`). Matches of `niceLength` or
// more are taken at once without weighing alternatives. Does not call coder.finish().
void parseOptimal(MatchFinder& mf, unsigned windowBits, unsigned niceLength, const std::uint8_t* data,
                  std::size_t primer, std::size_t size, BlockCoder& coder);

}  // namespace lha
