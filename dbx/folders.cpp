#include "dbx/folders.h"

#include "dbx/format.h"
#include "dbx/indexed_info.h"

#include <unordered_set>

namespace dbx {

using namespace layout;

std::vector<FolderInfo> ReadFolders(StoreFile& file, Report& report) {
    std::vector<FolderInfo> out;
    std::unordered_set<std::uint32_t> infos, ids;
    for (int t = 0; t < kTrees; ++t) {
        file.walkTree(
            t,
            [&](std::uint32_t at) {
                if (!infos.insert(at).second) return;  // the trees share infos
                IndexedInfo ii;
                if (!ii.read(file.cache(), at, "folder info", report)) return;
                FolderInfo f;
                const auto id = ii.number(kFolderId);
                if (!id) {
                    report.add(at, "folder info without a folder id");
                    return;
                }
                f.id = *id;
                f.parent = ii.number(kFolderParent).value_or(kNoParent);
                f.name = ii.text(kFolderName);
                f.file = ii.text(kFolderFile);
                f.accountKey = ii.text(kFolderAccountKey);
                f.special = ii.number(kFolderSpecial).value_or(0);
                f.accountType = ii.number(kFolderAccountType);
                f.messages = ii.number(kFolderMessages).value_or(0);
                // Later trees may index the same folders again; the first tree's info stands.
                if (!ids.insert(f.id).second) return;
                out.push_back(std::move(f));
            },
            report);
    }
    return out;
}

}  // namespace dbx
