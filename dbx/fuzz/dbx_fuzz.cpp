// libFuzzer target for the store reader: opens the input as a store file, walks every tree,
// reads each message info and streams each message's chain, reads folder infos, and runs the
// recovery scan. Any crash, hang, sanitizer report or runaway memory is a reader bug.
#include "dbx/folders.h"
#include "dbx/message.h"
#include "dbx/recover.h"
#include "dbx/store_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Drain(dbx::Source& src, std::uint32_t first, const dbx::Chain& chain, bool freed) {
    dbx::ChainReader reader(src, first, chain, freed);
    std::uint8_t buf[4096];
    while (reader.read(buf, sizeof buf)) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dbx::MemorySource src(data, size);
    dbx::StoreFile file(src);
    if (!file.ok()) return 0;
    dbx::Report report;
    if (file.kind() == dbx::FileKind::Folders) {
        dbx::ReadFolders(file, report);
        return 0;
    }
    std::vector<std::uint32_t> known;
    for (int t = 0; t < 2; ++t) {
        file.walkTree(
            t,
            [&](std::uint32_t at) {
                dbx::MessageInfo info;
                if (!dbx::ReadMessageInfo(file.cache(), at, info, report) || !info.firstBlock) return;
                known.push_back(info.firstBlock);
                Drain(file.cache(), info.firstBlock, dbx::CheckChain(file.cache(), info.firstBlock), false);
            },
            report);
    }
    std::sort(known.begin(), known.end());
    dbx::ScanForMessages(file, known, [&](const dbx::Found& f) { Drain(file.cache(), f.first, f.chain, f.freed); }, report);
    return 0;
}
