#include "mailout/source.h"

#include "mailout/fs.h"
#include "mailout/names.h"

namespace mailout {

std::string FindInFolder(const std::string& dir, const std::string& name) {
    std::vector<fs::Entry> list;
    if (!fs::ListDir(dir, list)) return {};
    for (const fs::Entry& e : list)
        if (e.name == name && !e.directory) return fs::Join(dir, e.name);
    for (const fs::Entry& e : list)
        if (FoldCase(e.name) == FoldCase(name) && !e.directory) return fs::Join(dir, e.name);
    return {};
}

SourceInfo ClassifySource(const std::string& path) {
    SourceInfo s;
    s.path = path;
    switch (fs::TypeOf(path)) {
        case fs::Type::Directory:
            s.infoFile = FindInFolder(path, "OLdate.bkd");
            if (!s.infoFile.empty()) {
                s.kind = SourceKind::BackupFolder;
                s.settingsFile = FindInFolder(path, "OLbk1.reg");
                s.storeArchive = FindInFolder(path, "OL.lzh");
                s.bookArchive = FindInFolder(path, "WAB.lzh");
            } else if (!FindInFolder(path, "Folders.dbx").empty()) {
                s.kind = SourceKind::StoreFolder;
            } else {
                s.why = "the folder holds neither a backup (OLdate.bkd) nor a mail store (Folders.dbx)";
            }
            break;
        case fs::Type::File:
            if (EndsWithNoCase(path, ".lzh")) {
                s.kind = SourceKind::Archive;
                s.storeArchive = path;
            } else if (FoldCase(fs::BaseName(path)) == "folders.dbx") {
                // The folder list alone holds no mail: the store is the folder around it.
                s.kind = SourceKind::StoreFolder;
                s.path = fs::DirName(path);
            } else if (EndsWithNoCase(path, ".dbx")) {
                s.kind = SourceKind::StoreFile;
            } else {
                s.why = "the file is neither an archive (.lzh) nor a mail store file (.dbx)";
            }
            break;
        case fs::Type::None: s.why = "there is no such file or folder"; break;
        case fs::Type::Other: s.why = "not a file or folder"; break;
    }
    return s;
}

std::unique_ptr<Store> OpenStore(const SourceInfo& source, std::string& why) {
    switch (source.kind) {
        case SourceKind::BackupFolder:
            if (source.storeArchive.empty()) {
                why = "the backup holds no OL.lzh";
                return nullptr;
            }
            [[fallthrough]];
        case SourceKind::Archive: {
            auto s = OpenArchiveStore(source.storeArchive, why);
            if (!s) why = fs::BaseName(source.storeArchive) + ": " + why;
            return s;
        }
        case SourceKind::StoreFolder: return OpenFolderStore(source.path, why);
        case SourceKind::StoreFile: return OpenFileStore(source.path, why);
        case SourceKind::None: why = source.why; return nullptr;
    }
    return nullptr;
}

}  // namespace mailout
