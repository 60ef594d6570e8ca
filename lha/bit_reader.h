// MSB-first bit reader over one member's compressed bytes, as the LHA decoders consume them.
// It never asks the stream for more than the member's compressed size; past that it supplies
// zero bits and remembers that it did, so a decoder can tell a damaged stream from a clean end.
#pragma once

#include "error.h"
#include "stream.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace lha {

#if defined(__GNUC__)
#define LHA_HOT_INLINE inline __attribute__((always_inline))
#else
#define LHA_HOT_INLINE inline
#endif

class BitReader {
public:
    // `size` is the number of compressed bytes the member has left in `in`.
    BitReader(InputStream& in, std::uint64_t size)
        : in_(in), left_(size), chunk_(size < kChunk ? static_cast<std::size_t>(size) + 8 : kChunk),
          data_(new std::uint8_t[chunk_ + 8]) {}

    BitReader(const BitReader&) = delete;
    BitReader& operator=(const BitReader&) = delete;

    // Buffers at least 57 bits; zero bits stand in for data past the end.
    LHA_HOT_INLINE void refill() {
        if (bits_ > 56) return;
        if (end_ - pos_ >= 8) {
            // The bits below the count are the true next bits, so OR-ing the same bytes
            // in again on the next refill leaves them unchanged.
            buf_ |= loadBigEndian64(data_.get() + pos_) >> bits_;
            pos_ += static_cast<unsigned>(63 - bits_) >> 3;
            bits_ |= 56;
            return;
        }
        refillSlow();
    }

    // Bits currently buffered.
    int buffered() const { return bits_; }

    // A copy of the buffer state that a decoder's inner loop keeps in registers (byte
    // stores to the output would otherwise force the members back to memory each time).
    struct Fast {
        std::uint64_t buf;
        int bits;
        const std::uint8_t* p;
        const std::uint8_t* end;

        // Buffers at least 57 bits from data at hand; false when the slow path must
        // read more of the stream or pad.
        LHA_HOT_INLINE bool refill() {
            if (bits > 56) return true;
            if (end - p < 8) return false;
            buf |= loadBigEndian64(p) >> bits;
            p += static_cast<unsigned>(63 - bits) >> 3;
            bits |= 56;
            return true;
        }
    };
    Fast takeFast() const { return {buf_, bits_, data_.get() + pos_, data_.get() + end_}; }
    void putFast(const Fast& f) {
        buf_ = f.buf;
        bits_ = f.bits;
        pos_ = static_cast<std::size_t>(f.p - data_.get());
    }

    // The next n bits (1 <= n <= 32) without consuming them; call refill() first.
    LHA_HOT_INLINE std::uint32_t peek(unsigned n) const { return static_cast<std::uint32_t>(buf_ >> (64 - n)); }

    // Drops n bits (n <= buffered count).
    LHA_HOT_INLINE void consume(unsigned n) {
        buf_ <<= n;
        bits_ -= static_cast<int>(n);
    }

    // Reads n bits (0 <= n <= 32), refilling as needed.
    std::uint32_t get(unsigned n) {
        if (n == 0) return 0;
        if (bits_ < static_cast<int>(n)) refill();
        std::uint32_t v = peek(n);
        consume(n);
        return v;
    }

    // Reads n bits (0 <= n <= 32) that refill() has already buffered.
    std::uint32_t getBuffered(unsigned n) {
        if (n == 0) return 0;
        std::uint32_t v = peek(n);
        consume(n);
        return v;
    }

    // True once the decoder has consumed bits that lie past the compressed data.
    bool overrun() const { return padBits_ > static_cast<std::uint64_t>(bits_); }
    // The stream ended before the member's compressed size was read.
    bool truncated() const { return truncated_; }
    bool readFailed() const { return readFailed_; }
    // Compressed bytes taken from the stream so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    static constexpr std::size_t kChunk = 64 * 1024;

    static std::uint64_t loadBigEndian64(const std::uint8_t* p) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        return __builtin_bswap64(v);
#else
        std::uint64_t r = 0;
        for (int i = 0; i < 8; ++i) r = r << 8 | p[i];
        return r;
#endif
    }

    // Near the end of the chunk: reads more of the member, or pads with zeros at its end.
    void refillSlow() {
        if (left_ > 0) fillChunk();
        if (end_ - pos_ >= 8) {
            refill();
            return;
        }
        while (bits_ <= 56) {
            std::uint64_t byte = 0;
            if (pos_ < end_) byte = data_[pos_++];
            else padBits_ += 8;
            buf_ |= byte << (56 - bits_);
            bits_ += 8;
        }
    }

    // Moves the unread tail to the front and reads more of the member.
    void fillChunk() {
        std::size_t tail = end_ - pos_;
        std::memmove(data_.get(), data_.get() + pos_, tail);
        pos_ = 0;
        end_ = tail;
        while (end_ < chunk_ && left_ > 0) {
            std::size_t want = chunk_ - end_;
            if (want > left_) want = static_cast<std::size_t>(left_);
            std::size_t got = in_.read(data_.get() + end_, want);
            if (got == 0) {
                if (in_.failed()) readFailed_ = true;
                else truncated_ = true;
                left_ = 0;
                break;
            }
            end_ += got;
            left_ -= got;
            bytesRead_ += got;
        }
    }

    InputStream& in_;
    std::uint64_t left_;
    std::size_t chunk_;
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint64_t buf_ = 0;
    int bits_ = 0;
    std::uint64_t padBits_ = 0;
    std::uint64_t bytesRead_ = 0;
    bool truncated_ = false;
    bool readFailed_ = false;
};

// The state of the input after decoding: a read error or a short input explains any
// decoding failure; reading past the compressed data is damage.
inline Error streamError(const BitReader& br) {
    if (br.readFailed()) return Error::ReadFailed;
    if (br.truncated()) return Error::Truncated;
    if (br.overrun()) return Error::Corrupt;
    return Error::Ok;
}

// A decoder's result with input problems put first: a stream that ended early shows up
// as damage inside the decoder, but the cause is the truncation.
inline Error blameInput(const BitReader& br, Error decoded) {
    if (decoded == Error::Corrupt || decoded == Error::Ok) {
        const Error input = streamError(br);
        if (input != Error::Ok) return input;
    }
    return decoded;
}

}  // namespace lha
