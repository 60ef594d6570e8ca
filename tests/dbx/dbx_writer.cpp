// Lays out Outlook Express 5 .dbx files: the file header and file info, then the middle
// sector whose objects (each starting with its own offset) sit in segments of their kind:
// variable segments for indexed infos and the conditions object, tree segments for tree
// nodes, message segments for message blocks.
#include "dbx_writer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace dbxw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian stores, whatever the host's byte order.
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void put64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// n rounded up to a multiple of 4; throws for sizes no 32-bit field can hold.
std::uint32_t align4(std::uint64_t n) {
    if (n > 0xFFFFFFF0u) throw std::invalid_argument("object too large");
    return static_cast<std::uint32_t>((n + 3) & ~std::uint64_t{3});
}

// The middle sector under construction. Each kind of object gets segments of the length
// Outlook Express uses (the tree and message lengths hold 25 nodes and 120 blocks exactly);
// a new segment starts at the end of the sector when the kind's last one is full.
class Middle {
public:
    enum Kind { Variable, Tree, Message };
    static constexpr std::uint32_t kSegmentLength[3] = {0xC000, 0x3E1C, 0xF780};

    explicit Middle(std::uint64_t base) : base_(base) {}

    // Room for an object of size bytes; returns its offset, which fits a 32-bit pointer.
    std::uint64_t alloc(Kind kind, std::uint32_t size) {
        Segment& s = seg_[kind];
        if (!s.open || s.used + size > s.length) {
            s.open = true;
            s.start = end();
            s.length = std::max(kSegmentLength[kind], align4(size));
            s.used = 0;
            if (s.start + s.length > 0xFFFFFFFFull) throw std::invalid_argument("objects past 4 GiB");
            bytes_.resize(bytes_.size() + s.length);
        }
        const std::uint64_t at = s.start + s.used;
        s.used += size;
        objectBytes_ += size;
        return at;
    }

    std::uint8_t* at(std::uint64_t offset) { return bytes_.data() + (offset - base_); }
    std::uint64_t base() const { return base_; }
    std::uint64_t end() const { return base_ + bytes_.size(); }
    std::uint64_t objectBytes() const { return objectBytes_; }
    Bytes& bytes() { return bytes_; }

    // Segment slots of the header: pointer to the kind's last segment, its length, its used space.
    void fillHeader(std::uint8_t* h, Kind kind, std::uint32_t slot) const {
        const Segment& s = seg_[kind];
        put32(h + slot, static_cast<std::uint32_t>(s.open ? s.start : 0));
        put32(h + slot + 4, kSegmentLength[kind]);
        put32(h + slot + 8, s.used);
    }

private:
    struct Segment { bool open = false; std::uint64_t start = 0; std::uint32_t length = 0, used = 0; };
    std::uint64_t base_;
    Bytes bytes_;
    Segment seg_[3];
    std::uint64_t objectBytes_ = 0;
};

// An indexed info: sorted index entries, each a direct int3 or an offset into the data field.
class IndexedInfo {
public:
    // Small values go direct unless inData; larger ones cannot.
    void u32(std::uint8_t index, std::uint32_t v, bool inData = false) {
        if (!inData && v < 0x1000000u) fields_.push_back({index, true, v, {}});
        else {
            std::uint8_t b[4];
            put32(b, v);
            data(index, b, 4);
        }
    }
    void data(std::uint8_t index, const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        fields_.push_back({index, false, 0, Bytes(b, b + n)});
    }
    void str(std::uint8_t index, const std::string& s) {
        if (!s.empty()) data(index, s.c_str(), s.size() + 1);
    }
    void filetime(std::uint8_t index, std::uint64_t ft) {
        std::uint8_t b[8];
        put64(b, ft);
        if (ft != 0) data(index, b, 8);
    }

    // Bytes of the whole object; the data field must stay addressable by int3 offsets.
    std::uint32_t size() const {
        std::uint64_t n = 0x0C + 4 * fields_.size();
        for (const Field& f : fields_) n += f.bytes.size();
        if (n >= 0x1000000 || fields_.size() > 0xFF) throw std::invalid_argument("indexed info too large");
        return align4(n);
    }

    // The object at offset marker; the length-of-object word is left 0, as Outlook Express
    // often leaves it, and the change count is 1 as for an object written once.
    void write(std::uint8_t* out, std::uint32_t marker) {
        std::stable_sort(fields_.begin(), fields_.end(), [](const Field& a, const Field& b) { return a.index < b.index; });
        const std::uint32_t total = size();
        put32(out, marker);
        put32(out + 4, total - 0x0C);
        out[8] = out[9] = 0;
        out[10] = static_cast<std::uint8_t>(fields_.size());
        out[11] = 1;
        std::uint8_t* index = out + 0x0C;
        std::uint8_t* data = index + 4 * fields_.size();
        std::uint32_t used = 0;
        for (const Field& f : fields_) {
            const std::uint32_t v = f.direct ? f.value : used;
            put32(index, v << 8 | f.index | (f.direct ? 0x80u : 0u));
            index += 4;
            if (!f.direct) {
                std::memcpy(data + used, f.bytes.data(), f.bytes.size());
                used += static_cast<std::uint32_t>(f.bytes.size());
            }
        }
    }

private:
    struct Field { std::uint8_t index; bool direct; std::uint32_t value; Bytes bytes; };
    std::vector<Field> fields_;
};

// Places an indexed info in a variable segment; returns its offset.
std::uint64_t putInfo(Middle& m, IndexedInfo& info) {
    const std::uint32_t size = info.size();
    const std::uint64_t at = m.alloc(Middle::Variable, size);
    info.write(m.at(at), static_cast<std::uint32_t>(at));
    return at;
}

// The conditions object: marker, text length, NUL-terminated text.
std::uint64_t putConditions(Middle& m, const char* text) {
    const std::uint32_t n = static_cast<std::uint32_t>(std::strlen(text) + 1);
    const std::uint64_t at = m.alloc(Middle::Variable, align4(8 + n));
    std::uint8_t* p = m.at(at);
    put32(p, static_cast<std::uint32_t>(at));
    put32(p + 4, n);
    std::memcpy(p + 8, text, n);
    return at;
}

// A balanced tree over values in their given (in-order) order, with at most fanout entries
// a node. Nodes are built root first, so their order is the pre-order Layout reports.
class TreeBuilder {
public:
    explicit TreeBuilder(int fanout) : f_(fanout) {
        if (fanout < 1 || fanout > kMaxFanout) throw std::invalid_argument("fanout out of range");
    }

    // Writes the tree's nodes into tree segments; returns the root (0 for no values).
    std::uint64_t write(Middle& m, const std::vector<std::uint32_t>& values, std::vector<std::uint64_t>* nodesOut) {
        nodes_.clear();
        if (values.empty()) return 0;
        build(values, 0, values.size(), -1, 0);
        std::vector<std::uint64_t> at(nodes_.size());
        for (std::size_t i = 0; i < nodes_.size(); ++i) at[i] = m.alloc(Middle::Tree, kNodeSize);
        auto ptr = [&](int node) { return node < 0 ? 0u : static_cast<std::uint32_t>(at[node]); };
        for (std::size_t i = 0; i < nodes_.size(); ++i) {
            const Node& n = nodes_[i];
            std::uint8_t* p = m.at(at[i]);
            put32(p, ptr(static_cast<int>(i)));
            put32(p + 8, ptr(n.left));
            put32(p + 12, ptr(n.parent));
            p[16] = n.id;
            p[17] = static_cast<std::uint8_t>(n.entries.size());
            put32(p + 20, n.leftCount);
            for (std::size_t e = 0; e < n.entries.size(); ++e) {
                put32(p + 24 + 12 * e, n.entries[e].value);
                put32(p + 28 + 12 * e, ptr(n.entries[e].child));
                put32(p + 32 + 12 * e, n.entries[e].count);
            }
            if (nodesOut) nodesOut->push_back(at[i]);
        }
        return at[0];
    }

private:
    struct Entry { std::uint32_t value; int child; std::uint32_t count; };
    struct Node { int parent; std::uint8_t id; int left = -1; std::uint32_t leftCount = 0; std::vector<Entry> entries; };

    // Values a tree of the given height holds at most.
    std::size_t capacity(int height) const {
        std::size_t c = static_cast<std::size_t>(f_);
        for (int h = 1; h < height; ++h) c = f_ + (f_ + 1) * c;
        return c;
    }

    // Node ids: 0 for the left child, i for the child of entry i (the description gives the
    // children of entries ids from 0 to entries - 1). An empty range gives no node (-1).
    int build(const std::vector<std::uint32_t>& v, std::size_t lo, std::size_t hi, int parent, std::uint8_t id) {
        const std::size_t n = hi - lo;
        if (n == 0) return -1;
        const int self = static_cast<int>(nodes_.size());
        nodes_.push_back({parent, id, -1, 0, {}});
        if (n <= static_cast<std::size_t>(f_)) {
            for (std::size_t i = lo; i < hi; ++i) nodes_[self].entries.push_back({v[i], -1, 0});
            return self;
        }
        int height = 2;
        while (capacity(height) < n) ++height;
        const std::size_t childCap = capacity(height - 1);
        std::size_t k = 1;  // separators in this node
        while (k + (k + 1) * childCap < n) ++k;
        const std::size_t children = k + 1, rest = n - k;
        std::size_t pos = lo;
        for (std::size_t c = 0; c < children; ++c) {
            const std::size_t take = rest / children + (c < rest % children ? 1 : 0);
            const int child = build(v, pos, pos + take, self, static_cast<std::uint8_t>(c == 0 ? 0 : c - 1));
            pos += take;
            if (c == 0) {
                nodes_[self].left = child;
                nodes_[self].leftCount = static_cast<std::uint32_t>(take);
            } else {
                nodes_[self].entries.back().child = child;
                nodes_[self].entries.back().count = static_cast<std::uint32_t>(take);
            }
            if (c < k) nodes_[self].entries.push_back({v[pos++], -1, 0});
        }
        return self;
    }

    int f_;
    std::vector<Node> nodes_;
};

constexpr std::uint32_t kClsidMessages = 0x6F74FDC5, kClsidFolders = 0x6F74FDC6, kClsidPop3uidl = 0x6F74FDC7;

// The header (the CLSID's first word, the shared rest) followed by a zeroed file info.
Bytes header(std::uint32_t clsid, std::uint32_t fileInfoLength) {
    static const std::uint8_t tail[20] = {0x66, 0xe3, 0xd1, 0x11, 0x9a, 0x4e, 0x00, 0xc0, 0x4f, 0xa3,
                                          0x09, 0xd4, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    Bytes h(kHeaderSize + fileInfoLength, 0);
    put32(&h[0], 0xFE12ADCF);
    put32(&h[4], clsid);
    std::memcpy(&h[8], tail, sizeof tail);
    put32(&h[kHdrFileInfoLength], fileInfoLength);
    put32(&h[0x64], 1);
    return h;
}

// Header slots that describe the middle sector and the trees.
void fillMiddleSlots(Bytes& h, const Middle& m, bool messageFile, std::uint64_t reusable) {
    m.fillHeader(h.data(), Middle::Variable, 0x24);
    m.fillHeader(h.data(), Middle::Tree, 0x30);
    if (messageFile) m.fillHeader(h.data(), Middle::Message, 0x3C);
    put32(&h[0x54], static_cast<std::uint32_t>(m.objectBytes()));
    put32(&h[0x58], static_cast<std::uint32_t>(reusable));
    put32(&h[kHdrUsedSpace], static_cast<std::uint32_t>(m.end()));
}

// The image: first sector at 0, the middle sector (if any) at its base; takes m's bytes.
Image assemble(Bytes first, Middle& m) {
    Image img;
    img.size = std::max<std::uint64_t>(first.size(), m.end());
    img.chunks.emplace_back(0, std::move(first));
    if (!m.bytes().empty()) img.chunks.emplace_back(m.base(), std::move(m.bytes()));
    return img;
}

// Small deterministic generator for the block shuffle.
std::uint64_t splitmix(std::uint64_t& s) {
    std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The original subject: s without any leading "Re: ", "Fw: " or "Fwd: ".
std::string stripReplyPrefix(const std::string& s) {
    std::string r = s;
    for (;;) {
        if (r.size() >= 4 && (r.compare(0, 4, "Re: ") == 0 || r.compare(0, 4, "RE: ") == 0 || r.compare(0, 4, "Fw: ") == 0 ||
                              r.compare(0, 4, "FW: ") == 0))
            r.erase(0, 4);
        else if (r.size() >= 5 && r.compare(0, 5, "Fwd: ") == 0)
            r.erase(0, 5);
        else
            return r;
    }
}

}  // namespace

Image WriteMessageFile(const MessageFile& in, Layout* layout) {
    if (in.folderName.size() >= 0x10B || in.accountKey.size() >= 0x100) throw std::invalid_argument("file info string too long");
    Bytes first = header(kClsidMessages, kMessageFileInfoSize);
    std::uint8_t* fi = &first[kHeaderSize];
    static const std::uint8_t fiConst[12] = {1, 0, 0, 0, 0, 0, 0, 0, 0xfa, 0x0f, 0, 0};
    put32(fi, 1);
    fi[4] = in.sourceType;
    std::memcpy(fi + 5, in.accountKey.data(), in.accountKey.size());
    std::memcpy(fi + 0x105, in.folderName.data(), in.folderName.size());
    put32(fi + 0x210, 3);       // "a small value"
    std::memcpy(fi + 0x214, fiConst, sizeof fiConst);
    put32(fi + 0x220, 1);       // session that last changed the file
    put32(fi + 0x348, 0x00010001);

    Middle m(in.middleAt ? in.middleAt : kHeaderSize + kMessageFileInfoSize);
    Layout local;
    Layout& lay = layout ? *layout : local;
    lay = Layout{};
    lay.conditions = putConditions(m, "((MSGCOL_FLAGS & ARF_WATCH) != 0 || (MSGCOL_FLAGS & ARF_IGNORE) != 0)");
    put32(&first[0x88], static_cast<std::uint32_t>(lay.conditions));

    const std::size_t count = in.messages.size();
    lay.messageInfo.assign(count, 0);
    lay.blocks.assign(count, {});
    std::uint32_t nextIndex = 1, lastIndex = 0;
    std::vector<std::uint32_t> indexes(count);
    for (std::size_t i = 0; i < count; ++i) {
        indexes[i] = in.messages[i].index ? in.messages[i].index : nextIndex;
        nextIndex = std::max(nextIndex, indexes[i] + 1);
        lastIndex = std::max(lastIndex, indexes[i]);
    }

    // Block slots: handed out as each message is written, or all taken first and dealt in a
    // shuffled order so that chains jump back and forth across the segments.
    std::vector<std::uint64_t> pool;
    if (in.shuffleSeed) {
        for (const Message& ms : in.messages)
            for (std::size_t b = 0; b < (ms.text.size() + kBlockText - 1) / kBlockText; ++b)
                pool.push_back(m.alloc(Middle::Message, kBlockSize));
        std::uint64_t s = in.shuffleSeed;
        for (std::size_t i = pool.size(); i > 1; --i) std::swap(pool[i - 1], pool[splitmix(s) % i]);
    }
    std::size_t dealt = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Message& ms = in.messages[i];
        const std::size_t nblocks = (ms.text.size() + kBlockText - 1) / kBlockText;
        auto& blocks = lay.blocks[i];
        for (std::size_t b = 0; b < nblocks; ++b) blocks.push_back(in.shuffleSeed ? pool[dealt++] : m.alloc(Middle::Message, kBlockSize));
        for (std::size_t b = 0; b < nblocks; ++b) {
            std::uint8_t* p = m.at(blocks[b]);
            const std::size_t n = std::min<std::size_t>(kBlockText, ms.text.size() - b * kBlockText);
            put32(p, static_cast<std::uint32_t>(blocks[b]));
            put32(p + 4, kBlockText);
            put32(p + 8, static_cast<std::uint32_t>(n));
            put32(p + 12, b + 1 < nblocks ? static_cast<std::uint32_t>(blocks[b + 1]) : 0);
            std::memcpy(p + 16, ms.text.data() + b * kBlockText, n);
        }
        if (ms.fate == Message::Fate::Deleted) continue;

        IndexedInfo info;
        info.u32(0x00, indexes[i]);
        // Flags in the data field, as in the description's example of a message info.
        info.u32(0x01, ms.flags | (ms.watched ? kFlagWatched : 0), true);
        info.filetime(0x02, ms.sent);
        if (!blocks.empty()) info.u32(0x04, static_cast<std::uint32_t>(blocks[0]));
        info.str(0x05, stripReplyPrefix(ms.subject));
        info.filetime(0x06, ms.received ? ms.received : ms.sent);
        info.str(0x07, ms.messageId);
        info.str(0x08, ms.subject);
        // "Sender address and name": the form a From line would show.
        if (!ms.senderName.empty() && !ms.senderAddress.empty())
            info.str(0x09, ms.senderName + " <" + ms.senderAddress + ">");
        else
            info.str(0x09, ms.senderName.empty() ? ms.senderAddress : ms.senderName);
        info.str(0x0D, ms.senderName);
        info.str(0x0E, ms.senderAddress);
        info.u32(0x10, 3);  // normal priority
        info.u32(0x11, static_cast<std::uint32_t>(ms.text.size()));
        info.filetime(0x12, ms.received);
        info.str(0x13, ms.receiverName);
        info.str(0x14, ms.receiverAddress);
        info.str(0x1B, in.accountKey);
        lay.messageInfo[i] = putInfo(m, info);
    }

    // Freeing a message gives each of its blocks a deleted header, pushed on the free list in
    // chain order (so the root is its last block). The word at +0x0C is "not cleared": it
    // keeps the old pointer to the next block, and the text past +0x14 stays as it was.
    std::uint32_t freeRoot = 0;
    std::uint64_t reusable = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (in.messages[i].fate != Message::Fate::Deleted) continue;
        for (std::uint64_t b : lay.blocks[i]) {
            std::uint8_t* p = m.at(b);
            put32(p + 4, kBlockSize - 0x14);
            put32(p + 8, kBlockSize);
            put32(p + 16, freeRoot);
            freeRoot = static_cast<std::uint32_t>(b);
            reusable += kBlockSize;
        }
    }

    std::vector<std::uint32_t> all, watched;
    for (std::size_t i = 0; i < count; ++i) {
        if (in.messages[i].fate != Message::Fate::Indexed) continue;
        all.push_back(static_cast<std::uint32_t>(lay.messageInfo[i]));
        if (in.messages[i].watched) watched.push_back(all.back());
    }
    TreeBuilder tree(in.fanout);
    put32(&first[kHdrTreeRoot], static_cast<std::uint32_t>(tree.write(m, all, &lay.treeNodes[0])));
    put32(&first[kHdrTreeRoot + 4], static_cast<std::uint32_t>(tree.write(m, watched, &lay.treeNodes[1])));
    put32(&first[kHdrTreeCount], static_cast<std::uint32_t>(all.size()));
    put32(&first[kHdrTreeCount + 4], static_cast<std::uint32_t>(watched.size()));

    put32(&first[kHdrDeletedMessages], freeRoot);
    put32(&first[0x5C], lastIndex);
    put32(&first[0x80], 2);
    fillMiddleSlots(first, m, true, reusable);
    return assemble(std::move(first), m);
}

Image WriteFoldersFile(const std::vector<Folder>& folders, int fanout, Layout* layout) {
    Bytes first = header(kClsidFolders, kFoldersFileInfoSize);
    std::uint8_t* fi = &first[kHeaderSize];
    put64(fi, FileTimeFromUnix(978307200));  // store created 2001-01-01 00:00 UTC
    put32(fi + 8, 1);
    put32(&first[0x68], 1);
    put32(&first[0x74], 3);
    put32(&first[0x78], 2);
    put32(&first[0x80], 3);

    Middle m(kHeaderSize + kFoldersFileInfoSize);
    Layout local;
    Layout& lay = layout ? *layout : local;
    lay = Layout{};
    lay.conditions = putConditions(m, "(FLDCOL_FLAGS & FOLDER_SUBSCRIBED)");
    put32(&first[0x8C], static_cast<std::uint32_t>(lay.conditions));

    std::vector<std::uint32_t> values;
    std::uint32_t lastId = 0;
    for (const Folder& f : folders) {
        IndexedInfo info;
        info.u32(0x00, f.id);
        info.u32(0x01, f.parent);  // the root's 0xFFFFFFFF cannot go direct and lands in the data field
        info.str(0x02, f.name);
        info.str(0x03, f.file);
        info.str(0x05, f.accountKey);
        info.u32(0x06, f.flags);
        info.u32(0x07, f.messages);
        info.u32(0x08, f.unread);
        info.u32(0x09, f.special);
        info.u32(0x0A, f.accountType);
        lay.messageInfo.push_back(putInfo(m, info));
        values.push_back(static_cast<std::uint32_t>(lay.messageInfo.back()));
        if (f.id != 0xFFFFFFFFu) lastId = std::max(lastId, f.id);
    }
    // The description does not say what the second and third trees select (the conditions
    // text suggests subscribed folders); they are left empty, and no folder list is written.
    TreeBuilder tree(fanout);
    put32(&first[kHdrTreeRoot], static_cast<std::uint32_t>(tree.write(m, values, &lay.treeNodes[0])));
    put32(&first[kHdrTreeCount], static_cast<std::uint32_t>(values.size()));
    put32(&first[0x5C], lastId);
    fillMiddleSlots(first, m, false, 0);
    return assemble(std::move(first), m);
}

Image WritePop3uidlFile() {
    Image img;
    Bytes h = header(kClsidPop3uidl, 0);
    put32(&h[kHdrUsedSpace], kHeaderSize);
    img.size = h.size();
    img.chunks.emplace_back(0, std::move(h));
    return img;
}

std::vector<Folder> StandardFolders() {
    std::vector<Folder> f;
    f.push_back({0, 0xFFFFFFFFu, "Outlook Express", "", "", 0, 3, 0, 0, 0});
    f.push_back({1, 0, "Local Folders", "", "", 0, 3, 0, 0, 0});
    const char* names[] = {"Inbox", "Outbox", "Sent Items", "Deleted Items", "Drafts"};
    for (std::uint32_t i = 0; i < 5; ++i)
        f.push_back({2 + i, 1, names[i], std::string(names[i]) + ".dbx", "", i + 1, 3, 0, 0, 0});
    return f;
}

}  // namespace dbxw
