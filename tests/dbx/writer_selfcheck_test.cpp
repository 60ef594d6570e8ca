// Self-check of the test writer: the files it lays down read back by the format's rules
// (header words, tree nodes and counts, message infos, block chains, the free list).
#include <gtest/gtest.h>

#include <optional>

#include "dbx_writer.h"

namespace {

using namespace dbxw;

// Value of an indexed info's entry: direct, or the first four bytes in its data field.
std::optional<std::uint32_t> field(const Image& img, std::uint32_t info, unsigned index) {
    const unsigned n = img.read(info + 10, 1)[0];
    for (unsigned i = 0; i < n; ++i) {
        const std::uint32_t e = img.read32(info + 12 + 4 * i);
        if ((e & 0x7F) == index) return (e & 0x80) ? e >> 8 : img.read32(info + 12 + 4 * n + (e >> 8));
    }
    return std::nullopt;
}

// In-order walk checking markers, parents and stored subtree counts; -1 on any mismatch.
long walk(const Image& img, std::uint32_t at, std::uint32_t parent, std::vector<std::uint32_t>& values, std::vector<std::uint64_t>& nodes) {
    if (at == 0) return 0;
    if (img.read32(at) != at || img.read32(at + 12) != parent || nodes.size() > 100000) return -1;
    nodes.push_back(at);
    long total = walk(img, img.read32(at + 8), at, values, nodes);
    if (total != img.read32(at + 20)) return -1;
    for (unsigned e = 0, n = img.read(at + 17, 1)[0]; e < n; ++e) {
        values.push_back(img.read32(at + 24 + 12 * e));
        const long sub = walk(img, img.read32(at + 28 + 12 * e), at, values, nodes);
        if (sub < 0 || sub != img.read32(at + 32 + 12 * e)) return -1;
        total += 1 + sub;
    }
    return total;
}

std::string chain(const Image& img, std::uint32_t at) {
    std::string text;
    for (int guard = 0; at != 0 && guard < 100000; ++guard, at = img.read32(at + 12)) {
        if (img.read32(at) != at || img.read32(at + 8) > kBlockText) return "<bad block>";
        const auto b = img.read(at + 16, img.read32(at + 8));
        text.append(b.begin(), b.end());
    }
    return text;
}

TEST(DbxWriter, MessageFilesReadBackByTheFormatsRules) {
    using F = Message::Fate;
    struct Row { int count, fanout; std::uint64_t shuffle, middleAt; int unindexedEvery, deletedEvery; };
    const Row rows[] = {
        {0, kMaxFanout, 0, 0, 0, 0},             // empty: no tree at all
        {1, kMaxFanout, 0, 0, 0, 0},
        {300, 3, 7, 0, 0, 0},                    // four levels, blocks scattered
        {60, kMaxFanout, 0, 0, 4, 5},            // lost and freed messages stay out of the trees
        {40, 2, 3, 0x80000100, 0, 7},            // pointers with the top bit set
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.count);
        MessageFile in{"Inbox", "00000001", 3, {}, r.fanout, r.shuffle, r.middleAt};
        for (int i = 0; i < r.count; ++i) {
            Message m;
            for (int n = (i * 523) % 2500; n > 0; n -= 40) m.text += "Line " + std::to_string(i) + " of the message text\r\n";
            m.watched = i % 5 == 1;
            if (r.unindexedEvery && i % r.unindexedEvery == 2) m.fate = F::Unindexed;
            if (r.deletedEvery && i % r.deletedEvery == 3) m.fate = F::Deleted;
            in.messages.push_back(m);
        }
        Layout lay;
        const Image img = WriteMessageFile(in, &lay);
        EXPECT_EQ(0xFE12ADCFu, img.read32(0));
        EXPECT_EQ(0x6F74FDC5u, img.read32(4));
        EXPECT_EQ(kMessageFileInfoSize, img.read32(kHdrFileInfoLength));
        EXPECT_EQ(r.middleAt ? r.middleAt : kHeaderSize + kMessageFileInfoSize, lay.conditions);

        std::vector<std::uint32_t> expect[2], freed;
        for (int i = 0; i < r.count; ++i) {
            const Message& m = in.messages[i];
            if (m.fate == F::Deleted) {
                EXPECT_EQ(0u, lay.messageInfo[i]);
                for (auto b : lay.blocks[i]) freed.insert(freed.begin(), static_cast<std::uint32_t>(b));
                continue;
            }
            const auto info = static_cast<std::uint32_t>(lay.messageInfo[i]);
            EXPECT_EQ(info, img.read32(info));
            EXPECT_EQ(m.text, chain(img, field(img, info, 0x04).value_or(0)));
            EXPECT_EQ(m.text.size(), field(img, info, 0x11));
            EXPECT_EQ(std::uint32_t(i + 1), field(img, info, 0x00));
            if (m.fate == F::Unindexed) continue;
            expect[0].push_back(info);
            if (m.watched) expect[1].push_back(info);
        }
        for (int t = 0; t < 2; ++t) {
            std::vector<std::uint32_t> values;
            std::vector<std::uint64_t> nodes;
            EXPECT_EQ(long(expect[t].size()), walk(img, img.read32(kHdrTreeRoot + 4 * t), 0, values, nodes));
            EXPECT_EQ(expect[t].size(), img.read32(kHdrTreeCount + 4 * t));
            EXPECT_EQ(expect[t], values);
            EXPECT_EQ(lay.treeNodes[t], nodes);
        }
        std::vector<std::uint32_t> list;
        for (std::uint32_t at = img.read32(kHdrDeletedMessages); at != 0 && list.size() <= freed.size(); at = img.read32(at + 16)) {
            EXPECT_EQ(kBlockSize, img.read32(at + 8));
            list.push_back(at);
        }
        EXPECT_EQ(freed, list);
        EXPECT_GE(img.size, std::uint64_t{img.read32(kHdrUsedSpace)});
    }
}

TEST(DbxWriter, FoldersAndHeaderOnlyFiles) {
    const auto folders = StandardFolders();
    Layout lay;
    const Image img = WriteFoldersFile(folders, 2, &lay);
    EXPECT_EQ(0x6F74FDC6u, img.read32(4));
    std::vector<std::uint32_t> values;
    std::vector<std::uint64_t> nodes;
    EXPECT_EQ(7, walk(img, img.read32(kHdrTreeRoot), 0, values, nodes));
    ASSERT_EQ(7u, values.size());
    EXPECT_EQ(0xFFFFFFFFu, field(img, values[0], 0x01));       // the root's parent
    EXPECT_EQ(1u, field(img, values[2], 0x01));
    EXPECT_EQ(4u, field(img, values[5], 0x09));                // Deleted Items
    EXPECT_EQ(std::nullopt, field(img, values[1], 0x03));      // Local Folders has no file
    EXPECT_EQ(0u, img.read32(kHdrTreeRoot + 4));

    const Image pop = WritePop3uidlFile();
    EXPECT_EQ(kHeaderSize, pop.size);
    EXPECT_EQ(0x6F74FDC7u, pop.read32(4));
    EXPECT_EQ(0u, pop.read32(kHdrFileInfoLength));
}

}  // namespace
