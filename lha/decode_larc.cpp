// -lzs- and -lz5-: LArc's LZSS methods. A flag says literal or match; a match names an
// absolute position in a small ring (2 KiB / 4 KiB) and a short length.
#include "bit_reader.h"
#include "decode_method.h"

#include <array>
#include <cstring>

namespace lha {
namespace {

// Keeps LArc's own small ring for match addressing and sends bytes to the output.
template <std::size_t RingSize>
class LarcRing {
public:
    LarcRing(OutputWindow& out, std::size_t start) : put_(out), pos_(start) {}
    std::array<std::uint8_t, RingSize>& bytes() { return ring_; }

    // Emits one byte and records it in the ring; counts it off `left`.
    Error literal(std::uint8_t b, std::uint64_t& left) {
        ring_[pos_] = b;
        pos_ = (pos_ + 1) % RingSize;
        --left;
        return put_.put(b);
    }
    // Copies `len` bytes starting at absolute ring position `from`, stopping at `left` == 0.
    Error match(std::size_t from, unsigned len, std::uint64_t& left) {
        for (unsigned k = 0; k < len && left > 0; ++k) {
            if (Error e = literal(ring_[(from + k) % RingSize], left); e != Error::Ok) return e;
        }
        return Error::Ok;
    }
    Error finish() { return put_.finish(); }

private:
    std::array<std::uint8_t, RingSize> ring_;
    BytePutter put_;
    std::size_t pos_;
};


}  // namespace

Error decodeLzs(InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    constexpr std::size_t kRing = 2048;
    BitReader br(in, compressedSize);
    LarcRing<kRing> ring(out, kRing - 17);
    ring.bytes().fill(' ');
    std::uint64_t left = out.size();
    while (left > 0 && !br.overrun()) {
        br.refill();
        Error e;
        if (br.getBuffered(1)) {
            e = ring.literal(static_cast<std::uint8_t>(br.getBuffered(8)), left);
        } else {
            const std::size_t from = br.getBuffered(11);
            e = ring.match(from, br.getBuffered(4) + 2, left);
        }
        if (e != Error::Ok) return e;
    }
    return blameInput(br, ring.finish());
}

Error decodeLz5(InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    constexpr std::size_t kRing = 4096;
    BitReader br(in, compressedSize);
    LarcRing<kRing> ring(out, kRing - 18);
    // LArc starts from a ring of runs and ramps so early matches find short patterns.
    auto& r = ring.bytes();
    r.fill(' ');
    for (std::size_t i = 0; i < 256; ++i) std::memset(&r[i * 13], static_cast<int>(i), 13);
    for (std::size_t i = 0; i < 256; ++i) r[256 * 13 + i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0; i < 256; ++i) r[256 * 13 + 256 + i] = static_cast<std::uint8_t>(255 - i);
    std::memset(&r[256 * 13 + 512], 0, 128);
    std::uint64_t left = out.size();
    while (left > 0 && !br.overrun()) {
        // Eight items per flag byte, least significant bit first; 1 = literal.
        unsigned flags = br.get(8);
        for (int bit = 0; bit < 8 && left > 0; ++bit, flags >>= 1) {
            br.refill();
            Error e;
            if (flags & 1) {
                e = ring.literal(static_cast<std::uint8_t>(br.getBuffered(8)), left);
            } else {
                const unsigned lo = br.getBuffered(8);
                const unsigned hi = br.getBuffered(8);
                e = ring.match(lo | (hi & 0xF0) << 4, (hi & 0x0F) + 3, left);
            }
            if (e != Error::Ok) return e;
        }
    }
    return blameInput(br, ring.finish());
}

}  // namespace lha
