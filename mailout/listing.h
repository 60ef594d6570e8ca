// What a source holds, for `qbmail list` and the mail window: the folder tree with each
// folder's messages and bytes (counted by walking the files, not taken from the counts the
// store keeps), and for a backup folder what OLdate.bkd says and the mail accounts of OLbk1.reg.
#pragma once

#include "dbx/report.h"
#include "dbx/store_file.h"
#include "mailout/source.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mailout {

struct ListedFolder {
    std::string name;  // UTF-8
    int depth = 0;
    bool hasFile = false;
    std::uint64_t messages = 0, bytes = 0;
};

struct ListedAccount {  // UTF-8; never a password
    std::string name, kind, displayName, address, incoming, outgoing, user;
    bool isDefault = false;
};

struct BackupFacts {  // what OLdate.bkd says, UTF-8
    std::string date, identityName, identityKey, storeRoot;
    std::optional<bool> addressBook;
};

struct Listing {
    int status = 0;  // as the export's
    SourceInfo source;
    std::optional<BackupFacts> backup;
    bool settingsRead = false;
    std::vector<ListedAccount> accounts;
    std::optional<std::size_t> contacts, groups;  // a backup with its address book
    std::vector<ListedFolder> folders;  // depth first, as shown
    std::uint64_t messages = 0, bytes = 0;
    unsigned codePage = 0;
    bool codePageGuessed = false;
    std::vector<std::string> problems;
};

// `codePage` 0: the system's, else chosen from the names. `progress` gets a short line now
// and then.
Listing List(const std::string& source, unsigned codePage, const std::atomic<bool>* cancel,
             const std::function<void(const std::string&)>& progress);

// Messages in a message file and the bytes of their text, every chain checked; problems into
// `report`, unreadable messages counted in `unreadable`.
struct FileCount {
    std::uint64_t messages = 0, bytes = 0, unreadable = 0;
};
FileCount CountMessages(dbx::StoreFile& file, dbx::Report& report, const std::atomic<bool>* cancel);

// The backup's information file and accounts, decoded with `codePage`; problems appended.
void ReadBackupFacts(const SourceInfo& source, unsigned codePage, Listing& out);

}  // namespace mailout
