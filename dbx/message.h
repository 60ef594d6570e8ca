// Messages of a message file: the message info a tree entry points to, and the chain of
// blocks that holds the message's text. A chain is checked block by block before a byte of it
// is handed out, so a loop or a pointer out of the file ends the message where the good
// blocks end instead of repeating text for ever.
#pragma once

#include "dbx/report.h"
#include "dbx/source.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dbx {

struct MessageInfo {
    std::uint32_t at = 0;          // the info object's offset
    std::uint32_t index = 0;
    std::uint32_t flags = 0;
    std::uint32_t firstBlock = 0;  // 0: the info names no text
    std::optional<std::uint64_t> sent, received;  // FILETIMEs
    std::optional<std::uint32_t> length;          // the length the info claims (not always right)
    std::string subject;           // code-page bytes, as the info holds them
    std::string senderAddress;
};

// A message the store only lists: no text in the file, and its flags say the body was never
// downloaded (an IMAP or news folder keeps headers of mail left on the server). No damage.
inline bool ListedOnly(const MessageInfo& info) { return info.firstBlock == 0 && !(info.flags & 0x01u); }

// Reads the message info a tree value points to; false (problem reported) when it is none.
bool ReadMessageInfo(Source& source, std::uint32_t at, MessageInfo& info, Report& report);

class StoreFile;

// Calls `each` with every message the two trees of a message file list, in tree order, the
// second tree's repeats (it lists watched and ignored messages again) left out, numbered from 1.
// A tree value that is no message info is reported and counted, not numbered. Returns that count.
// `stop` is asked before each message.
std::uint64_t ForEachMessage(StoreFile& file, Report& report, const std::function<void(const MessageInfo&, std::uint64_t number)>& each,
                             const std::function<bool()>& stop = {});

// How much of a chain reads well.
struct Chain {
    std::uint64_t blocks = 0;  // good blocks from the first, none repeated
    std::uint64_t bytes = 0;   // text bytes in them
    bool whole = false;        // the last good block ends the chain
    std::string problem;       // why not whole
    std::uint64_t problemAt = 0;
};

// Follows the chain of live blocks from `first`. A block must lie inside the file, carry its
// own offset as marker and hold no more text than its body; a chain that comes back to an
// earlier block is cut before the repeat (found in constant memory, however long the chain).
Chain CheckChain(Source& source, std::uint32_t first);

// Follows a chain of freed message blocks (recovery): each keeps all but the first four bytes
// of its text and its old next pointer; the text's length is gone, so each block gives its whole
// body but the last, which ends at its last nonzero byte.
Chain CheckFreedChain(Source& source, std::uint32_t first);

// Hands out the text of the first `chain.blocks` blocks of a checked chain, in order.
class ChainReader {
public:
    ChainReader(Source& source, std::uint32_t first, const Chain& chain, bool freed = false);
    // Up to `n` bytes; 0 at the end or when the source fails underneath (failed()).
    std::size_t read(std::uint8_t* buffer, std::size_t n);
    bool failed() const { return failed_; }
    std::uint64_t done() const { return done_; }

private:
    bool loadBlock();

    Source& source_;
    std::uint32_t next_;
    std::uint64_t blocksLeft_;
    std::uint64_t bytesLeft_;
    bool freed_;
    bool failed_ = false;
    std::uint64_t done_ = 0;
    std::vector<std::uint8_t> text_;
    std::size_t have_ = 0, pos_ = 0;
};

}  // namespace dbx
