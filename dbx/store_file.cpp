#include "dbx/store_file.h"

#include "dbx/format.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <vector>

namespace dbx {

using namespace layout;

namespace {
// An export reads a file about four times over (chains checked, then copied, and the recovery
// scan's two passes); far more means objects that overlap or chains that share blocks.
constexpr std::uint64_t kReadsPerByte = 16;
constexpr std::uint64_t kReadSlack = 1 << 20;
}  // namespace

std::string Hex(std::uint64_t value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(value));
    return buf;
}

FileKind KindOf(const std::uint8_t* first8) {
    if (Le32(first8) != kMagic) return FileKind::Unknown;
    switch (Le32(first8 + 4)) {
        case kClassMessages: return FileKind::Messages;
        case kClassFolders: return FileKind::Folders;
        case kClassPop3Uidl: return FileKind::Pop3Uidl;
        case kClassOffline: return FileKind::Offline;
        default: return FileKind::Unknown;
    }
}

StoreFile::StoreFile(Source& source) : cache_(source) {
    cache_.setBudget(kReadsPerByte * cache_.size() + kReadSlack);
    std::vector<std::uint8_t> header(kHeaderSize);
    if (!cache_.readAt(0, header.data(), header.size())) {
        error_ = "shorter than a store file's header";
        return;
    }
    kind_ = KindOf(header.data());
    if (kind_ == FileKind::Unknown) {
        error_ = "not an Outlook Express store file";
        return;
    }
    for (int t = 0; t < kTrees; ++t) {
        counts_[t] = Le32(&header[kTreeCountAt + 4 * t]);
        roots_[t] = Le32(&header[kTreeRootAt + 4 * t]);
    }
    deletedMessages_ = Le32(&header[kDeletedMessagesAt]);
    const std::uint32_t infoLength = Le32(&header[kFileInfoLengthAt]);
    // A damaged length only moves where the recovery scan starts; objects still need markers.
    bodyStart_ = kHeaderSize + (infoLength < cache_.size() - kHeaderSize ? infoLength : 0);
    if (kind_ == FileKind::Messages && infoLength > kInfoFolderNameAt) {
        const std::uint32_t room = std::min(infoLength - kInfoFolderNameAt, kInfoFolderNameMax);
        std::string name(room, '\0');
        if (cache_.readAt(kHeaderSize + kInfoFolderNameAt, name.data(), room)) initialName_ = name.substr(0, name.find('\0'));
    }
    ok_ = true;
}

namespace {

struct Node {
    std::uint32_t left = 0;
    std::uint32_t entries = 0;
    std::uint32_t value[kNodeMaxEntries] = {};
    std::uint32_t child[kNodeMaxEntries] = {};
};

// Reads a node where its parent points; false with a problem when it is not a node.
bool ReadNode(CachedSource& src, std::uint32_t at, Node& node, Report& report) {
    std::uint8_t raw[kNodeSize];
    if (at % 4 || at < kHeaderSize || !src.readAt(at, raw, sizeof raw)) {
        report.add(at, "tree node lies outside the file");
        return false;
    }
    if (Le32(raw) != at) {
        report.add(at, "tree node is not where its parent points (marker " + Hex(Le32(raw)) + ")");
        return false;
    }
    node.left = Le32(raw + kNodeChildAt);
    node.entries = raw[kNodeEntriesAt];
    if (node.entries > kNodeMaxEntries) {
        report.add(at, "tree node claims " + std::to_string(node.entries) + " entries");
        return false;
    }
    for (std::uint32_t i = 0; i < node.entries; ++i) {
        const std::uint8_t* e = raw + kNodeHeaderSize + i * kNodeEntrySize;
        node.value[i] = Le32(e);
        node.child[i] = Le32(e + 4);
    }
    return true;
}

}  // namespace

std::uint64_t StoreFile::walkTree(int tree, const std::function<void(std::uint32_t)>& visit, Report& report) {
    if (!ok_ || tree < 0 || tree >= kTrees || roots_[tree] == 0) return 0;
    // Each node is entered once: a child pointer back up the tree, or two parents sharing a
    // child, cannot make the walk loop or repeat values. Real nodes cannot outnumber the
    // node-sized pieces of the file, which bounds the set.
    std::unordered_set<std::uint32_t> seen;
    const std::uint64_t maxNodes = size() / kNodeSize + 1;
    struct Frame {
        Node node;
        std::uint32_t next = 0;  // entries done; the left child goes first
        bool leftDone = false;
    };
    std::vector<Frame> stack;
    std::uint64_t visited = 0;
    auto enter = [&](std::uint32_t at) {
        if (at == 0) return;
        if (stack.size() >= static_cast<std::size_t>(kMaxTreeDepth)) {
            report.add(at, "tree deeper than " + std::to_string(kMaxTreeDepth) + " levels; branch left out");
            return;
        }
        if (seen.size() >= maxNodes || !seen.insert(at).second) {
            report.add(at, "tree node met twice; branch left out");
            return;
        }
        Frame f;
        if (ReadNode(cache_, at, f.node, report)) stack.push_back(f);
    };
    enter(roots_[tree]);
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (!f.leftDone) {
            f.leftDone = true;
            enter(f.node.left);
            continue;
        }
        if (f.next >= f.node.entries) {
            stack.pop_back();
            continue;
        }
        const std::uint32_t i = f.next++;
        const std::uint32_t value = f.node.value[i];
        const std::uint32_t child = f.node.child[i];
        if (value) {
            ++visited;
            visit(value);
        }
        enter(child);  // may reallocate the stack: `f` is not used after this
    }
    return visited;
}

}  // namespace dbx
