#include "dbx/message.h"

#include "dbx/format.h"
#include "dbx/indexed_info.h"
#include "dbx/store_file.h"

#include <algorithm>

#include <cstring>

namespace dbx {

using namespace layout;

bool ReadMessageInfo(Source& source, std::uint32_t at, MessageInfo& info, Report& report) {
    IndexedInfo ii;
    if (!ii.read(source, at, "message info", report)) return false;
    info = MessageInfo{};
    info.at = at;
    info.index = ii.number(kMsgIndex).value_or(0);
    info.flags = ii.number(kMsgFlags).value_or(0);
    info.firstBlock = ii.number(kMsgFirstBlock).value_or(0);
    info.sent = ii.number64(kMsgSent);
    info.received = ii.number64(kMsgReceived);
    info.length = ii.number(kMsgLength);
    info.subject = ii.text(kMsgSubject);
    info.senderAddress = ii.text(kMsgSenderAddress);
    return true;
}

std::uint64_t ForEachMessage(StoreFile& file, Report& report, const std::function<void(const MessageInfo&, std::uint64_t)>& each,
                             const std::function<bool()>& stop) {
    std::vector<std::uint32_t> firstTree;  // sorted after the first tree, for the second's repeats
    std::uint64_t number = 0, unreadable = 0;
    for (int tree = 0; tree < 2; ++tree) {
        if (tree == 1) std::sort(firstTree.begin(), firstTree.end());
        file.walkTree(
            tree,
            [&](std::uint32_t at) {
                if (stop && stop()) return;
                if (tree == 1 && std::binary_search(firstTree.begin(), firstTree.end(), at)) return;
                if (tree == 0) firstTree.push_back(at);
                MessageInfo info;
                if (!ReadMessageInfo(file.cache(), at, info, report)) {
                    ++unreadable;
                    return;
                }
                each(info, ++number);
            },
            report);
    }
    return unreadable;
}

namespace {

struct Block {
    std::uint32_t next = 0;
    std::uint32_t text = 0;     // bytes of text it gives
    std::uint32_t textAt = 0;   // where they begin, from the block's start
};

// A live block: marker, body length, text length, next.
bool ReadLive(Source& src, std::uint32_t at, Block& b, std::string& why) {
    std::uint8_t h[kBlockHeaderSize];
    if (at % 4 || at < kHeaderSize || !src.readAt(at, h, sizeof h)) {
        why = "message block lies outside the file";
        return false;
    }
    if (Le32(h) != at) {
        why = "message block is not where the chain points (marker " + Hex(Le32(h)) + ")";
        return false;
    }
    const std::uint32_t body = Le32(h + 4);
    b.text = Le32(h + 8);
    b.next = Le32(h + 12);
    b.textAt = kBlockHeaderSize;
    if (body > kBlockMaxBody || b.text > body) {
        why = "message block claims " + std::to_string(b.text) + " bytes of text in a body of " + std::to_string(body);
        return false;
    }
    if (std::uint64_t{at} + kBlockHeaderSize + b.text > src.size()) {
        why = "message block runs past the end of the file";
        return false;
    }
    return true;
}

// A freed block: marker, free length, object length, old next, next freed. The last block of a
// chain (old next 0) ends at its last nonzero byte, since its text length was overwritten.
bool ReadFreed(Source& src, std::uint32_t at, Block& b, std::string& why) {
    std::uint8_t h[kFreedHeaderSize];
    if (at % 4 || at < kHeaderSize || !src.readAt(at, h, sizeof h)) {
        why = "freed block lies outside the file";
        return false;
    }
    const std::uint32_t free = Le32(h + 4);
    if (Le32(h) != at || Le32(h + 8) != free + kFreedHeaderSize || free > kBlockMaxBody ||
        std::uint64_t{at} + kFreedHeaderSize + free > src.size()) {
        why = "freed block is not one";
        return false;
    }
    b.next = Le32(h + kFreedOldNextAt);
    b.textAt = kFreedHeaderSize;
    b.text = free;
    if (b.next == 0) {
        std::vector<std::uint8_t> body(free);
        if (!src.readAt(at + kFreedHeaderSize, body.data(), free)) {
            why = "freed block cannot be read";
            return false;
        }
        while (b.text && body[b.text - 1] == 0) --b.text;
    }
    return true;
}

using ReadFn = bool (*)(Source&, std::uint32_t, Block&, std::string&);

// Brent's cycle finding on the chain, so memory stays constant however long the chain is.
Chain Follow(Source& src, std::uint32_t first, ReadFn read) {
    Chain c;
    std::uint32_t at = first, tortoise = first;
    std::uint64_t power = 1, lambda = 0;
    Block b;
    for (;;) {
        std::string why;
        if (!read(src, at, b, why)) {
            c.problem = std::move(why);
            c.problemAt = at;
            return c;
        }
        ++c.blocks;
        c.bytes += b.text;
        if (b.next == 0) {
            c.whole = true;
            return c;
        }
        at = b.next;
        ++lambda;
        if (at == tortoise) break;
        if (lambda == power) {
            tortoise = at;
            power *= 2;
            lambda = 0;
        }
    }
    // A loop of `lambda` blocks: find where it starts, and keep each block once.
    std::uint32_t slow = first, fast = first;
    for (std::uint64_t i = 0; i < lambda; ++i) {
        std::string why;
        read(src, fast, b, why);
        fast = b.next;
    }
    std::uint64_t mu = 0;
    while (slow != fast) {
        std::string why;
        read(src, slow, b, why);
        slow = b.next;
        read(src, fast, b, why);
        fast = b.next;
        ++mu;
    }
    c.blocks = mu + lambda;
    c.bytes = 0;
    std::uint32_t walk = first;
    for (std::uint64_t i = 0; i < c.blocks; ++i) {
        std::string why;
        read(src, walk, b, why);
        c.bytes += b.text;
        walk = b.next;
    }
    c.problem = "message chain comes back to an earlier block";
    c.problemAt = slow;
    return c;
}

}  // namespace

Chain CheckChain(Source& source, std::uint32_t first) { return Follow(source, first, ReadLive); }
Chain CheckFreedChain(Source& source, std::uint32_t first) { return Follow(source, first, ReadFreed); }

ChainReader::ChainReader(Source& source, std::uint32_t first, const Chain& chain, bool freed)
    : source_(source), next_(first), blocksLeft_(chain.blocks), bytesLeft_(chain.bytes), freed_(freed) {}

bool ChainReader::loadBlock() {
    Block b;
    std::string why;
    const std::uint32_t at = next_;
    if (!(freed_ ? ReadFreed : ReadLive)(source_, at, b, why)) return false;
    const std::uint32_t take = b.text < bytesLeft_ ? b.text : static_cast<std::uint32_t>(bytesLeft_);
    text_.resize(take);
    if (take && !source_.readAt(std::uint64_t{at} + b.textAt, text_.data(), take)) return false;
    have_ = take;
    pos_ = 0;
    next_ = b.next;
    --blocksLeft_;
    return true;
}

std::size_t ChainReader::read(std::uint8_t* buffer, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        if (pos_ == have_) {
            if (blocksLeft_ == 0 || bytesLeft_ == 0) break;
            if (!loadBlock()) {
                failed_ = true;
                break;
            }
            continue;
        }
        std::size_t take = have_ - pos_ < n - got ? have_ - pos_ : n - got;
        std::memcpy(buffer + got, text_.data() + pos_, take);
        pos_ += take;
        got += take;
        bytesLeft_ -= take;
        done_ += take;
    }
    return got;
}

}  // namespace dbx
