// What the user names as SOURCE: a backup folder (OLdate.bkd beside OL.lzh), an OL.lzh, a store
// folder (Folders.dbx in it) or one .dbx file. Told apart by what is there, not by the name
// alone; names are matched without ASCII case, as on the Windows that wrote them (a backup
// copied from a CD may come in capitals).
#pragma once

#include "mailout/store.h"

#include <memory>
#include <string>

namespace mailout {

enum class SourceKind { BackupFolder, Archive, StoreFolder, StoreFile, None };

struct SourceInfo {
    SourceKind kind = SourceKind::None;
    std::string path;
    std::string infoFile;      // backup folder: OLdate.bkd
    std::string settingsFile;  // backup folder: OLbk1.reg, when there
    std::string storeArchive;  // backup folder: OL.lzh, when there; archive: the path itself
    std::string bookArchive;   // backup folder: WAB.lzh, when there
    std::string why;           // kind None: why the path is none of the four
};

SourceInfo ClassifySource(const std::string& path);

// The file of that name in `dir`, found without ASCII case; empty when there is none.
std::string FindInFolder(const std::string& dir, const std::string& name);

// Opens the store a source holds; null with `why` when it cannot (a backup folder without OL.lzh).
std::unique_ptr<Store> OpenStore(const SourceInfo& source, std::string& why);

}  // namespace mailout
