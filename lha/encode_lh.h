// The -lh5-/-lh6-/-lh7- segment encoder: LZ77 parse of one buffer segment into static-Huffman blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "bit_writer.h"
#include "encode_block.h"

namespace lha {

// Compression methods the writer produces.
enum class Method { Lh5, Lh6, Lh7 };

// Format constants of a method.
const LhFormat& formatOf(Method m);

// How hard the parse works: Normal is lazy matching; Max weighs every match length by its
// price in the previous block's codes (smaller output, about half the speed).
enum class Level { Normal, Max };

// Reusable per-thread encoder: owns the match finder's tables for one method.
class SegmentEncoder {
public:
    explicit SegmentEncoder(Method method, Level level = Level::Normal);
    ~SegmentEncoder();
    SegmentEncoder(const SegmentEncoder&) = delete;
    SegmentEncoder& operator=(const SegmentEncoder&) = delete;

    // Encodes data[primer, size) as complete blocks, using data[0, primer) as the window the
    // decoder already holds (the previous segment's tail). Appends bits to `out`, unpadded.
    // An empty range writes nothing.
    void encode(const std::uint8_t* data, std::size_t primer, std::size_t size, BitWriter& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lha
