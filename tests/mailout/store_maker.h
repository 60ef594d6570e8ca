// Stores on disk for the export's tests: Folders.dbx and message files written by the test
// writer, as a store folder, as an LHA archive of it, and as a backup folder around that.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dbx_writer.h"

namespace storemaker {

struct TestFolder {
    std::uint32_t id = 0, parent = 0;
    std::string name;   // code-page bytes, as Folders.dbx holds it
    std::string file;   // the message file's name in code-page bytes; empty for a container
    std::vector<dbxw::Message> messages;
    std::uint32_t special = 0;
    std::string initialName;  // the name the file was made with; empty: `name`
};

// Message `i` of a folder: a small mail with a Date and Subject.
dbxw::Message Mail(const std::string& folder, int i, std::size_t bodyLines = 3);

// "Outlook Express" and "Local Folders" (ids 0 and 1) with `folders` below; Folders.dbx and
// each message file written into `dir` (made), file names decoded from `codePage` to UTF-8.
void WriteStore(const std::string& dir, const std::vector<TestFolder>& folders, unsigned codePage = 1252);

// An LHA archive of every file in `dir`, member names encoded back into `codePage`.
void WriteArchive(const std::string& dir, const std::string& archive, unsigned codePage = 1252);

// A backup folder: OLdate.bkd, a small OLbk1.reg and OL.lzh of the store in `storeDir`.
void WriteBackup(const std::string& storeDir, const std::string& backupDir);

// Every file below `dir`: relative path ('/' separated, UTF-8) -> contents.
std::map<std::string, std::string> Files(const std::string& dir);

// A new empty folder below the test's temporary folder.
std::string FreshDir(const std::string& name);

}  // namespace storemaker
