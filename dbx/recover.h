// Recovery: messages that no tree leads to any more (the tree was damaged, or the message was
// deleted and its blocks freed but not yet reused), found by scanning the file for message
// blocks and rebuilding their chains. A freed block has lost its first four bytes of text to
// the free list's pointer and its text length; such a message comes back with those bytes
// missing and is marked incomplete, never filled in.
#pragma once

#include "dbx/message.h"
#include "dbx/report.h"
#include "dbx/store_file.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace dbx {

struct Found {
    std::uint32_t first = 0;
    bool freed = false;  // rebuilt from freed blocks
    Chain chain;
};

// Calls `found` with each chain whose first block is not in `known` (sorted) and that no other
// block of its kind points into, in file order. `progress(done, total)` is called now and
// then with bytes scanned; returning false stops the scan. Memory: 4 bytes per block the file
// can hold; a file with more block-like objects than that (they overlap) is not scanned further.
void ScanForMessages(StoreFile& file, const std::vector<std::uint32_t>& known, const std::function<void(const Found&)>& found,
                     Report& report, const std::function<bool(std::uint64_t, std::uint64_t)>& progress = {});

// Whether text begins as a message does: a header field name and a colon on the first line.
// A recovered chain that does not has lost its beginning.
bool LooksLikeMessageStart(const std::uint8_t* text, std::size_t n);

}  // namespace dbx
