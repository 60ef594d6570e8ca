// Lazy-matching parse (one step of lookahead, as deflate encoders do) feeding the block coder.
// The window size is a template parameter so each method gets its own tuned loop.
#include "encode_lh.h"

#include <algorithm>

#include "encode_optimal.h"
#include "match_finder.h"

namespace lha {
namespace {

// A 3-byte match this far back usually costs more than three literals.
constexpr unsigned kTooFarForMin = 4096;

template <unsigned DicBit>
struct Tuning;
template <> struct Tuning<13> { static constexpr unsigned depth = 96, nice = 160, lazy = 64, maxDepth = 48, maxNice = 96; };
template <> struct Tuning<15> { static constexpr unsigned depth = 128, nice = 192, lazy = 96, maxDepth = 48, maxNice = 128; };
template <> struct Tuning<16> { static constexpr unsigned depth = 160, nice = 256, lazy = 128, maxDepth = 64, maxNice = 128; };

// Indexes the primer's last window so the first matches can reach into it.
template <unsigned DicBit>
void prime(MatchFinder& mf, const std::uint8_t* data, std::size_t primer, std::size_t size) {
    constexpr std::size_t window = std::size_t{1} << DicBit;
    mf.reset(data, size);
    for (std::size_t i = primer > window ? primer - window : 0; i < primer; ++i) mf.insert(i);
}

template <unsigned DicBit>
void encodeMax(MatchFinder& mf, const std::uint8_t* data, std::size_t primer, std::size_t size, BlockCoder& coder) {
    using T = Tuning<DicBit>;
    prime<DicBit>(mf, data, primer, size);
    parseOptimal(mf, DicBit, T::maxNice, data, primer, size, coder);
    coder.finish();
}

template <unsigned DicBit>
void encodeLazy(MatchFinder& mf, const std::uint8_t* data, std::size_t primer, std::size_t size, BlockCoder& coder) {
    using T = Tuning<DicBit>;
    prime<DicBit>(mf, data, primer, size);

    auto usable = [](const Match& m) {
        return m.length > kMinMatch || (m.length == kMinMatch && m.distance <= kTooFarForMin);
    };
    std::size_t pos = primer;
    Match prev;
    bool pending = false;  // data[pos - 1] is not yet coded and `prev` is its match
    while (pos < size) {
        Match cur;
        if (!(pending && prev.length >= T::lazy)) {
            cur = mf.find(pos, kMaxMatch);
            if (!usable(cur)) cur = Match{};
        }
        if (pending && prev.length >= kMinMatch && cur.length <= prev.length) {
            coder.match(prev.length, prev.distance);
            std::size_t end = pos - 1 + prev.length;
            for (std::size_t i = pos; i < end; ++i) mf.insert(i);
            pos = end;
            pending = false;
            prev = Match{};
            continue;
        }
        if (pending) coder.literal(data[pos - 1]);
        mf.insert(pos);
        prev = cur;
        pending = true;
        ++pos;
    }
    if (pending) {
        if (prev.length >= kMinMatch) coder.match(prev.length, prev.distance);
        else coder.literal(data[pos - 1]);
    }
    coder.finish();
}

}  // namespace

const LhFormat& formatOf(Method m) {
    switch (m) {
    case Method::Lh5: return kLh5Format;
    case Method::Lh6: return kLh6Format;
    case Method::Lh7: break;
    }
    return kLh7Format;
}

template <unsigned DicBit>
MatchFinder makeFinder(Level level) {
    using T = Tuning<DicBit>;
    return level == Level::Max ? MatchFinder(DicBit, T::maxDepth, T::maxNice) : MatchFinder(DicBit, T::depth, T::nice);
}

MatchFinder makeFinder(Method m, Level level) {
    switch (m) {
    case Method::Lh5: return makeFinder<13>(level);
    case Method::Lh6: return makeFinder<15>(level);
    case Method::Lh7: break;
    }
    return makeFinder<16>(level);
}

struct SegmentEncoder::Impl {
    Method method;
    Level level;
    MatchFinder finder;
    Impl(Method m, Level l) : method(m), level(l), finder(makeFinder(m, l)) {}
};

SegmentEncoder::SegmentEncoder(Method method, Level level) : impl_(std::make_unique<Impl>(method, level)) {}
SegmentEncoder::~SegmentEncoder() = default;

void SegmentEncoder::encode(const std::uint8_t* data, std::size_t primer, std::size_t size, BitWriter& out) {
    if (primer >= size) return;
    BlockCoder coder(formatOf(impl_->method), out);
    const bool max = impl_->level == Level::Max;
    switch (impl_->method) {
    case Method::Lh5: (max ? encodeMax<13> : encodeLazy<13>)(impl_->finder, data, primer, size, coder); break;
    case Method::Lh6: (max ? encodeMax<15> : encodeLazy<15>)(impl_->finder, data, primer, size, coder); break;
    case Method::Lh7: (max ? encodeMax<16> : encodeLazy<16>)(impl_->finder, data, primer, size, coder); break;
    }
}

}  // namespace lha
