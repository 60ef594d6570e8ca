// Lazy-matching parse (one step of lookahead, as deflate encoders do) feeding the block coder.
// The window size is a template parameter so each method gets its own tuned loop.
#include "encode_lh.h"

#include <algorithm>

#include "match_finder.h"

namespace lha {
namespace {

// A 3-byte match this far back usually costs more than three literals.
constexpr unsigned kTooFarForMin = 4096;

template <unsigned DicBit>
struct Tuning;
template <> struct Tuning<13> { static constexpr unsigned depth = 96, nice = 160, lazy = 64; };
template <> struct Tuning<15> { static constexpr unsigned depth = 128, nice = 192, lazy = 96; };
template <> struct Tuning<16> { static constexpr unsigned depth = 160, nice = 256, lazy = 128; };

template <unsigned DicBit>
void encodeLazy(MatchFinder& mf, const std::uint8_t* data, std::size_t primer, std::size_t size, BlockCoder& coder) {
    using T = Tuning<DicBit>;
    constexpr std::size_t window = std::size_t{1} << DicBit;
    mf.reset(data, size);
    for (std::size_t i = primer > window ? primer - window : 0; i < primer; ++i) mf.insert(i);

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

struct SegmentEncoder::Impl {
    Method method;
    MatchFinder finder;
    explicit Impl(Method m)
        : method(m),
          finder(formatOf(m).dicBit,
                 m == Method::Lh5 ? Tuning<13>::depth : m == Method::Lh6 ? Tuning<15>::depth : Tuning<16>::depth,
                 m == Method::Lh5 ? Tuning<13>::nice : m == Method::Lh6 ? Tuning<15>::nice : Tuning<16>::nice) {}
};

SegmentEncoder::SegmentEncoder(Method method) : impl_(std::make_unique<Impl>(method)) {}
SegmentEncoder::~SegmentEncoder() = default;

void SegmentEncoder::encode(const std::uint8_t* data, std::size_t primer, std::size_t size, BitWriter& out) {
    if (primer >= size) return;
    BlockCoder coder(formatOf(impl_->method), out);
    switch (impl_->method) {
    case Method::Lh5: encodeLazy<13>(impl_->finder, data, primer, size, coder); break;
    case Method::Lh6: encodeLazy<15>(impl_->finder, data, primer, size, coder); break;
    case Method::Lh7: encodeLazy<16>(impl_->finder, data, primer, size, coder); break;
    }
}

}  // namespace lha
