// The folder list of Folders.dbx: every folder the store knows, with its current name, its
// parent and the message file that holds it. Names and file names are code-page bytes.
#pragma once

#include "dbx/report.h"
#include "dbx/store_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dbx {

struct FolderInfo {
    std::uint32_t id = 0;
    std::uint32_t parent = 0;       // kNoParent for the root ("Outlook Express")
    std::string name;
    std::string file;               // message file name ("Inbox.dbx"); empty for containers
    std::string accountKey;
    std::uint32_t special = 0;      // 1 inbox, 2 outbox, 3 sent, 4 deleted, 5 drafts
    std::optional<std::uint32_t> accountType;  // 3 local, 1 IMAP, 0 news
    std::uint32_t messages = 0;     // the count the folder info keeps
};

// Reads the folder infos of all trees of a Folders.dbx; a folder id met twice keeps the info
// met first. Problems (bad nodes, bad infos) go to `report`.
std::vector<FolderInfo> ReadFolders(StoreFile& file, Report& report);

}  // namespace dbx
