// A small writer of Outlook Express 5 mail stores (Folders.dbx and the per-folder message
// files), written independently of the reader so that tests judge the reader against the
// file format. It lays files out as Outlook Express does (header, file info, objects in
// segments, balanced trees) and can leave them in the states tests need: freed messages,
// messages no tree reaches, blocks scattered over the file, objects past 2 GiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dbxw {

// Fixed sizes of the format.
constexpr std::uint32_t kHeaderSize = 0x24BC;
constexpr std::uint32_t kMessageFileInfoSize = 0x618;
constexpr std::uint32_t kFoldersFileInfoSize = 0x108;
constexpr std::uint32_t kNodeSize = 0x27C;
constexpr std::uint32_t kBlockSize = 0x210;
constexpr std::uint32_t kBlockText = 0x200;
constexpr int kMaxFanout = 0x33;

// Header slots (byte offsets) the tests look at.
constexpr std::uint32_t kHdrFileInfoLength = 0x1C;
constexpr std::uint32_t kHdrDeletedMessages = 0x48;
constexpr std::uint32_t kHdrDeletedNodes = 0x4C;
constexpr std::uint32_t kHdrUsedSpace = 0x7C;
constexpr std::uint32_t kHdrTreeCount = 0xC4;  // + 4 * tree
constexpr std::uint32_t kHdrTreeRoot = 0xE4;   // + 4 * tree

// Message info flags used by the writer.
constexpr std::uint32_t kFlagDownloaded = 0x01;
constexpr std::uint32_t kFlagRead = 0x80;
constexpr std::uint32_t kFlagAttachment = 0x4000;
constexpr std::uint32_t kFlagWatched = 0x400000;

struct Message {
    std::string text;                        // message bytes as stored (CR LF lines)
    std::uint32_t index = 0;                 // message info 0x00 (0: numbered by the writer)
    std::uint32_t flags = kFlagRead | kFlagDownloaded;
    std::uint64_t sent = 0, received = 0;    // FILETIMEs for 0x02 and 0x12; 0 leaves the entry out
    std::string subject, messageId, senderName, senderAddress, receiverName, receiverAddress;  // empty: left out
    bool watched = false;                    // also in the second tree, and the watched flag set
    enum class Fate { Indexed, Unindexed, Deleted } fate = Fate::Indexed;
    // Unindexed: blocks and message info written but in no tree (as after a tree is lost).
    // Deleted: blocks written, then freed (deleted headers) and chained from the header's
    // deleted-message root; no message info.
};

struct MessageFile {
    std::string folderName, accountKey;      // file info (bytes in the folder's code page)
    std::uint8_t sourceType = 3;             // 0 news, 1 IMAP, 3 local
    std::vector<Message> messages;
    int fanout = kMaxFanout;                 // max entries per tree node; small values give several levels
    std::uint64_t shuffleSeed = 0;           // 0: each message's blocks contiguous; else all blocks interleaved
    std::uint64_t middleAt = 0;              // 0: objects right after the file info; else the first
                                             // object's offset (the gap before it stays a hole)
};

// Where the writer put things, so tests can find and damage them.
struct Layout {
    std::vector<std::uint64_t> treeNodes[2];          // every node of each tree, root first (pre-order)
    std::vector<std::uint64_t> messageInfo;           // per message (0 if none); per folder in Folders.dbx
    std::vector<std::vector<std::uint64_t>> blocks;   // per message, its blocks in chain order
    std::uint64_t conditions = 0;                     // the conditions object
};

// A sparse file image: the header and file info, then the middle sector, as chunks. Where
// chunks overlap (after patch), the later one wins; bytes in no chunk read as zero.
struct Image {
    std::uint64_t size = 0;
    std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> chunks;

    // The whole file in memory; only for images small enough to hold.
    std::vector<std::uint8_t> bytes() const;
    // Writes the file with its gaps left as holes; false on any I/O failure.
    bool writeTo(const std::string& path) const;
    // Overwrites n bytes at offset (inside or outside the existing chunks; grows size if past it).
    void patch(std::uint64_t offset, const void* data, std::size_t n);
    void patch32(std::uint64_t offset, std::uint32_t value);
    // n bytes from offset; bytes past size or in holes read as zero.
    std::vector<std::uint8_t> read(std::uint64_t offset, std::size_t n) const;
    std::uint32_t read32(std::uint64_t offset) const;
};

// A message file; throws std::invalid_argument when the objects cannot be addressed with
// 32-bit pointers or a name, key or fanout does not fit its field.
Image WriteMessageFile(const MessageFile& file, Layout* layout = nullptr);

struct Folder {
    std::uint32_t id = 0, parent = 0;
    std::string name, file, accountKey;      // bytes in the store's code page; empty file/key: left out
    std::uint32_t special = 0, accountType = 3, messages = 0, unread = 0;
    std::uint32_t flags = 0;                 // folder info 0x06; its bits are not known
};

// Folders.dbx: every folder info in the first tree, in the order given; Layout::messageInfo
// receives the folder infos' offsets.
Image WriteFoldersFile(const std::vector<Folder>& folders, int fanout = kMaxFanout, Layout* layout = nullptr);

// A file that is a header and nothing else, as Pop3uidl.dbx is in a store that never
// downloaded by POP3.
Image WritePop3uidlFile();

// The folders of a fresh local store: root "Outlook Express" (id 0, parent 0xFFFFFFFF),
// "Local Folders" (id 1, parent 0, no file), Inbox, Outbox, Sent Items, Deleted Items, Drafts
// (ids 2..6, parent 1, files "<name>.dbx", special types 1..5).
std::vector<Folder> StandardFolders();

// Windows FILETIME (100 ns since 1601-01-01 UTC) of a Unix time.
constexpr std::uint64_t FileTimeFromUnix(std::int64_t unixSeconds) {
    return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

}  // namespace dbxw
