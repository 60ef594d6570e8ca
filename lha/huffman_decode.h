// Table-driven canonical Huffman decoding for the LHA static-Huffman methods.
// Codes are assigned canonically (shorter codes first, symbols in order within a length),
// which is how LHA encoders number them. Codes up to rootBits long take one lookup;
// longer ones take a second lookup in a per-prefix subtable.
#pragma once

#include "bit_reader.h"

#include <cstdint>
#include <vector>

namespace lha {

inline constexpr unsigned kMaxCodeLength = 16;
inline constexpr unsigned kMaxRootBits = 12;  // larger root requests are lowered to this

class HuffmanDecoder {
public:
    // Builds the table from `count` code lengths (0 = symbol unused, 1..16).
    // Returns false for a length above 16 or an over-subscribed set. An incomplete set is
    // accepted; its unassigned codes decode as -1.
    bool build(const std::uint8_t* lengths, unsigned count, unsigned rootBits);

    // Makes every input decode as `symbol` using no bits (a block with one symbol in use).
    void buildSingle(unsigned symbol);

    // Decodes one symbol, or returns -1 for a code no symbol owns.
    // Needs at least 16 bits buffered in `br`.
    LHA_HOT_INLINE int decode(BitReader& br) const {
        std::uint32_t e = table_[br.peek(rootBits_)];
        if ((e & kKindMask) == kSymbol) {
            br.consume(e & kLengthMask);
            return static_cast<int>(e >> 16);
        }
        return decodeLong(br, e);
    }

    // Raw access for inner loops that keep the bit buffer in registers: an entry indexed
    // by the next rootBits() bits is either a symbol (isSymbol) of codeLength() bits, or
    // something decode() must handle.
    const std::uint32_t* table() const { return table_.data(); }
    unsigned rootBits() const { return rootBits_; }
    static bool isSymbol(std::uint32_t e) { return (e & kKindMask) == kSymbol; }
    static unsigned codeLength(std::uint32_t e) { return e & kLengthMask; }
    static unsigned symbolOf(std::uint32_t e) { return e >> 16; }

private:
    static constexpr std::uint32_t kLengthMask = 0x1F;
    static constexpr std::uint32_t kKindMask = 0x60;
    static constexpr std::uint32_t kSymbol = 0x00;
    static constexpr std::uint32_t kSubtable = 0x20;
    static constexpr std::uint32_t kInvalid = 0x40;

    // Second-level lookup for a root entry `e` that is not a symbol; -1 when invalid.
    int decodeLong(BitReader& br, std::uint32_t e) const;

    std::vector<std::uint32_t> table_;
    unsigned rootBits_ = 1;
};

}  // namespace lha
