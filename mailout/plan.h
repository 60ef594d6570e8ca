// The folder tree an export writes, made from Folders.dbx and the files the store holds:
// folders under "Local Folders" at the top, an IMAP or news account's folders under the
// account's own folder, and message files no folder names (or all of them, when Folders.dbx
// is gone) as folders of their own at the top. Names are decoded from the store's code page.
#pragma once

#include "dbx/folders.h"
#include "mailout/store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mailout {

struct PlannedFolder {
    std::string name;                  // UTF-8, as the store names it
    int parent = -1;                   // index of the parent; -1 at the top
    std::vector<int> children;
    std::optional<std::size_t> entry;  // the store entry holding its messages
    std::uint32_t expected = 0;        // messages the folder info counts (for progress)
};

struct Plan {
    std::vector<PlannedFolder> folders;   // parents before children, siblings in display order
    std::vector<std::size_t> files;       // entries to read: every folder's file, then unnamed .dbx files
    unsigned codePage = 1252;
    bool codePageGuessed = false;
    std::optional<std::size_t> foldersEntry;  // Folders.dbx
    std::vector<std::string> problems;        // a folder whose file is missing, a damaged Folders.dbx, ...
};

// `codePage` 0: guess from the names, as a Windows of `systemCodePage` would (0: none). Reads
// Folders.dbx through `store`; a store that should have one (all but a single .dbx file) and has
// none is a problem.
Plan MakePlan(Store& store, unsigned codePage, unsigned systemCodePage, bool wantsFolderList = true);

// The name an entry shows in reports: its path in UTF-8.
std::string EntryName(const StoreEntry& entry, unsigned codePage);

}  // namespace mailout
