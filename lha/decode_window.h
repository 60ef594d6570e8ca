// The decoders' sliding dictionary and output path: a ring buffer several times the largest
// dictionary, flushed to the OutputStream in large chunks with the CRC-16 computed on flush.
#pragma once

#include "crc16.h"
#include "error.h"
#include "stream.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace lha {

using ProgressFn = std::function<void(std::uint64_t done)>;

class OutputWindow {
public:
    // 256 KiB: at least twice the largest distance any method can reach (64 KiB for -lh7-),
    // so a match source is never overwritten before it is copied.
    static constexpr unsigned kRingBits = 18;
    static constexpr std::size_t kRingSize = std::size_t{1} << kRingBits;
    static constexpr std::size_t kRingMask = kRingSize - 1;
    // Room past the ring's end for copies that write a few bytes beyond the match.
    static constexpr std::size_t kSlack = 512;
    // Farthest back any method's match can reach.
    static constexpr std::size_t kMaxDistance = 64 * 1024 + 64;

    // `storage` is reused between members to avoid reallocating; `size` is the member's
    // original size, the exact count the decoder must produce.
    OutputWindow(std::vector<std::uint8_t>& storage, OutputStream& out, std::uint64_t size,
                 const ProgressFn& progress)
        : out_(out), size_(size), progress_(progress) {
        storage.resize(kRingSize + kSlack);
        ring_ = storage.data();
        // LHA decoders start with a dictionary of spaces; a match reaching before the start
        // of the member wraps to the ring's end, at most kMaxDistance back.
        std::memset(ring_ + kRingSize - kMaxDistance, ' ', kMaxDistance + kSlack);
    }

    std::uint8_t* ring() { return ring_; }
    std::uint64_t size() const { return size_; }

    // Writes ring[flushed, end) out; end == kRingSize wraps the flush point to 0.
    Error flush(std::size_t end) {
        if (end > flushed_) {
            const std::size_t n = end - flushed_;
            crc_ = crc16(crc_, ring_ + flushed_, n);
            if (!out_.write(ring_ + flushed_, n)) return Error::WriteFailed;
            done_ += n;
            if (progress_) progress_(done_);
        }
        flushed_ = end == kRingSize ? 0 : end;
        return Error::Ok;
    }

    std::uint16_t crc() const { return crc_; }
    std::uint64_t done() const { return done_; }

private:
    OutputStream& out_;
    std::uint64_t size_;
    const ProgressFn& progress_;
    std::uint8_t* ring_ = nullptr;
    std::size_t flushed_ = 0;
    std::uint64_t done_ = 0;
    std::uint16_t crc_ = 0;
};

// Sends bytes one at a time through the window; for the small, slow legacy methods.
class BytePutter {
public:
    explicit BytePutter(OutputWindow& w) : w_(w), ring_(w.ring()) {}
    Error put(std::uint8_t b) {
        ring_[pos_++] = b;
        if (pos_ == OutputWindow::kRingSize) {
            pos_ = 0;
            return w_.flush(OutputWindow::kRingSize);
        }
        return Error::Ok;
    }
    Error finish() { return w_.flush(pos_); }

private:
    OutputWindow& w_;
    std::uint8_t* ring_;
    std::size_t pos_ = 0;
};

}  // namespace lha
