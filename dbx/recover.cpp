#include "dbx/recover.h"

#include "dbx/format.h"

#include <algorithm>

namespace dbx {

using namespace layout;

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::uint64_t kMaxPointer = 0xFFFFFFFFull;  // pointers are 32-bit

enum class Kind { None, Live, Freed };

struct Candidate {
    Kind kind = Kind::None;
    std::uint32_t next = 0;
};

// Only full-size message objects count here: a looser test would take tree nodes and indexed
// infos, which carry markers too, for blocks.
Candidate Classify(const std::uint8_t* p, std::uint64_t at, std::uint64_t size) {
    Candidate c;
    if (Le32(p) != at) return c;
    const std::uint32_t a = Le32(p + 4), b = Le32(p + 8), next = Le32(p + 12);
    auto pointerOk = [&](std::uint32_t n) { return n == 0 || (n % 4 == 0 && n >= kHeaderSize && n < size); };
    if (a == kBlockBody && b <= kBlockBody && pointerOk(next) && at + kBlockHeaderSize + b <= size) {
        c.kind = Kind::Live;
        c.next = next;
    } else if (a == kBlockBody - 4 && b == kBlockBody + kBlockHeaderSize && pointerOk(next) &&
               at + kFreedHeaderSize + a <= size) {
        c.kind = Kind::Freed;
        c.next = next;
    }
    return c;
}

// Calls f(offset, candidate) for each block-like object, in file order.
template <typename F>
bool ForEachCandidate(StoreFile& file, F f, const std::function<bool(std::uint64_t, std::uint64_t)>& progress,
                      std::uint64_t pass, std::uint64_t passes) {
    const std::uint64_t size = file.size();
    const std::uint64_t end = std::min(size, kMaxPointer + 1);
    std::uint64_t at = (file.bodyStart() + 3) & ~std::uint64_t{3};
    std::vector<std::uint8_t> buf(kChunk + kFreedHeaderSize);
    while (at + kBlockHeaderSize <= end) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), size - at));
        if (!file.cache().readAt(at, buf.data(), want)) return false;
        const std::size_t step = want > kFreedHeaderSize ? want - kFreedHeaderSize : want;
        for (std::size_t i = 0; i + kBlockHeaderSize <= want && i < step; i += 4) {
            if (Le32(&buf[i]) != at + i) continue;
            if (i + kFreedHeaderSize > want) break;  // too close to the end to be a block
            const Candidate c = Classify(&buf[i], at + i, size);
            if (c.kind != Kind::None) f(static_cast<std::uint32_t>(at + i), c);
        }
        at += step & ~std::size_t{3};
        if (progress && !progress(pass * end + at, passes * end)) return false;
    }
    return true;
}

bool Contains(const std::vector<std::uint32_t>& sorted, std::uint32_t v) {
    return std::binary_search(sorted.begin(), sorted.end(), v);
}

}  // namespace

void ScanForMessages(StoreFile& file, const std::vector<std::uint32_t>& known, const std::function<void(const Found&)>& found,
                     Report& report, const std::function<bool(std::uint64_t, std::uint64_t)>& progress) {
    if (!file.ok() || file.kind() != FileKind::Messages) return;
    // Pass 1: what each kind of block points to. A block nothing of its own kind points to
    // starts a chain.
    std::vector<std::uint32_t> liveTargets, freedTargets;
    const std::uint64_t room = file.size() / (kBlockHeaderSize + kBlockBody) + 16;
    bool overlapping = false;
    const bool whole = ForEachCandidate(
        file,
        [&](std::uint32_t at, const Candidate& c) {
            if (overlapping || !c.next) return;
            if (liveTargets.size() + freedTargets.size() >= room) {
                overlapping = true;
                report.add(at, "more message blocks than the file has room for (they overlap); the scan stops");
                return;
            }
            (c.kind == Kind::Live ? liveTargets : freedTargets).push_back(c.next);
        },
        progress, 0, 2);
    if (!whole || overlapping) return;
    std::sort(liveTargets.begin(), liveTargets.end());
    std::sort(freedTargets.begin(), freedTargets.end());
    // Pass 2: rebuild each chain from its start.
    ForEachCandidate(
        file,
        [&](std::uint32_t at, const Candidate& c) {
            Found f;
            f.first = at;
            if (c.kind == Kind::Live) {
                if (Contains(liveTargets, at) || Contains(known, at)) return;
                f.chain = CheckChain(file.cache(), at);
            } else {
                if (Contains(freedTargets, at)) return;
                f.freed = true;
                f.chain = CheckFreedChain(file.cache(), at);
            }
            if (f.chain.bytes) found(f);
        },
        progress, 1, 2);
}

bool LooksLikeMessageStart(const std::uint8_t* text, std::size_t n) {
    std::size_t i = 0;
    while (i < n && text[i] > 32 && text[i] < 127 && text[i] != ':') ++i;
    return i > 0 && i < n && text[i] == ':';
}

}  // namespace dbx
