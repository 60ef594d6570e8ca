#include "mailout/verify.h"

#include "backupfiles/info_file.h"
#include "backupfiles/reg_text.h"
#include "dbx/store_file.h"
#include "mailout/book_export.h"
#include "mailout/fs.h"
#include "mailout/listing.h"
#include "mailout/names.h"
#include "mailout/plan.h"
#include "mailout/source.h"

#include <map>
#include <vector>

namespace mailout {

namespace {

const char* InfoProblemText(backupfiles::InfoProblem p) {
    switch (p) {
        case backupfiles::InfoProblem::kTooLarge: return "is far too large to be one";
        case backupfiles::InfoProblem::kNoMarker: return "does not begin with its marker line";
        case backupfiles::InfoProblem::kNoMainSection: return "has no [main] section";
        case backupfiles::InfoProblem::kMissingKey: return "lacks the entry";
        case backupfiles::InfoProblem::kEmptyValue: return "has an empty entry";
        case backupfiles::InfoProblem::kValueTooLong: return "has an entry too long for the restore to read";
        case backupfiles::InfoProblem::kNoFinalLineBreak: return "is cut short (no line break at its end)";
    }
    return "";
}

// Whether two sources hold the same bytes, read a piece at a time.
bool SameBytes(dbx::Source& a, dbx::Source& b) {
    if (a.size() != b.size()) return false;
    std::vector<std::uint8_t> x(1 << 16), y(1 << 16);
    for (std::uint64_t at = 0; at < a.size();) {
        const std::size_t n = static_cast<std::size_t>(a.size() - at < x.size() ? a.size() - at : x.size());
        if (!a.readAt(at, x.data(), n) || !b.readAt(at, y.data(), n) || x != y) return false;
        at += n;
    }
    return true;
}

void CheckInfo(const SourceInfo& source, unsigned codePage, VerifyResult& r) {
    fs::InFile f;
    std::string bytes;
    if (!f.open(source.infoFile) || f.size() > backupfiles::kMaxInfoFileBytes * 4) {
        r.problems.push_back("OLdate.bkd cannot be read");
        return;
    }
    bytes.resize(static_cast<std::size_t>(f.size()));
    if (!f.readAt(0, bytes.data(), bytes.size())) {
        r.problems.push_back("OLdate.bkd cannot be read");
        return;
    }
    for (const backupfiles::InfoFault& fault : backupfiles::CheckInfoFile(bytes, backupfiles::LeadBytes(codePage))) {
        // A backup made where the system gave no date writes "date=" empty; the restore needs none.
        if (fault.problem == backupfiles::InfoProblem::kEmptyValue && fault.key == "date") continue;
        std::string line = "OLdate.bkd ";
        line += InfoProblemText(fault.problem);
        if (!fault.key.empty()) line.append(" ").append(fault.key);
        r.problems.push_back(std::move(line));
    }
}

void CheckSettings(const SourceInfo& source, unsigned codePage, VerifyResult& r) {
    if (source.settingsFile.empty()) {
        r.problems.push_back("the backup holds no OLbk1.reg");
        return;
    }
    Listing facts;
    facts.source = source;
    ReadBackupFacts(source, codePage, facts);
    for (std::string& p : facts.problems) r.problems.push_back(std::move(p));
}

// Every member unpacks; store files walk; against a folder, each equals its file there.
void CheckStoreArchive(Store& store, const std::string& against, const std::atomic<bool>* cancel,
                       const std::function<void(const std::string&)>& progress, VerifyResult& r) {
    const Plan plan = MakePlan(store, 0, fs::SystemCodePage());
    r.codePage = plan.codePage;
    std::unique_ptr<Store> folder;
    std::map<std::string, std::size_t> onDisk;  // folded relative path -> entry in `folder`
    if (!against.empty()) {
        std::string why;
        folder = OpenFolderStore(against, why);
        if (!folder) {
            r.problems.push_back(against + ": " + why);
        } else {
            for (std::size_t i = 0; i < folder->entries().size(); ++i) onDisk[FoldCase(folder->entries()[i].name)] = i;
        }
    }
    std::vector<std::size_t> all(store.entries().size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    store.forEach(
        all,
        [&](std::size_t entry, Opened& o) {
            const std::string name = EntryName(store.entries()[entry], plan.codePage);
            if (progress) progress("checking OL.lzh: " + name);
            ++r.members;
            if (!o.problem.empty()) r.problems.push_back("OL.lzh: " + name + " " + o.problem);
            if (!o.source) return true;
            if (folder) {
                auto it = onDisk.find(FoldCase(name));
                if (it == onDisk.end()) {
                    r.problems.push_back(name + " is in the backup but not in " + against);
                } else {
                    Opened disk = folder->open(it->second);
                    if (!disk.source || !SameBytes(*o.source, *disk.source))
                        r.problems.push_back(name + " in the backup differs from " + fs::Join(against, name));
                    else
                        ++r.compared;
                    onDisk.erase(it);
                }
            }
            dbx::StoreFile file(*o.source);
            if (file.ok() && file.kind() == dbx::FileKind::Messages) {
                dbx::Report report;
                const FileCount c = CountMessages(file, report, cancel);
                ++r.storeFiles;
                r.messages += c.messages;
                for (const dbx::Problem& p : report.kept())
                    r.problems.push_back("OL.lzh: " + name + ": " + p.text + " (at " + dbx::Hex(p.offset) + ")");
                if (report.count() > report.kept().size())
                    r.problems.push_back("OL.lzh: " + name + ": " + std::to_string(report.count() - report.kept().size()) + " more problems");
            } else if (!file.ok() && name.size() > 4 && FoldCase(name.substr(name.size() - 4)) == ".dbx") {
                r.problems.push_back("OL.lzh: " + name + ": " + file.error());
            }
            return true;
        },
        cancel);
    if (folder && !(cancel && *cancel))
        for (const auto& [name, i] : onDisk) r.problems.push_back(folder->entries()[i].name + " in " + against + " is not in the backup");
}

}  // namespace

VerifyResult Verify(const std::string& backupDir, const std::string& againstDir, const std::atomic<bool>* cancel,
                    const std::function<void(const std::string&)>& progress) {
    VerifyResult r;
    r.against = !againstDir.empty();
    const SourceInfo source = ClassifySource(backupDir);
    if (source.kind != SourceKind::BackupFolder) {
        r.status = 2;
        r.problems.push_back(backupDir + ": not a backup folder (it holds no OLdate.bkd)");
        return r;
    }
    if (r.against && fs::TypeOf(againstDir) != fs::Type::Directory) {
        r.status = 2;
        r.problems.push_back(againstDir + ": there is no such folder");
        return r;
    }
    std::string why;
    if (source.storeArchive.empty()) {
        r.problems.push_back("the backup holds no OL.lzh");
    } else if (auto store = OpenArchiveStore(source.storeArchive, why)) {
        for (const std::string& p : store->problems()) r.problems.push_back("OL.lzh: " + p);
        CheckStoreArchive(*store, againstDir, cancel, progress, r);
    } else {
        r.problems.push_back("OL.lzh: " + why);
    }
    const unsigned cp = r.codePage ? r.codePage : 1252;
    CheckInfo(source, cp, r);
    CheckSettings(source, cp, r);
    if (!source.bookArchive.empty()) {
        const std::size_t before = r.problems.size();
        if (auto book = OpenArchiveStore(source.bookArchive, why)) {
            for (const std::string& p : book->problems()) r.problems.push_back("WAB.lzh: " + p);
            std::vector<std::size_t> all(book->entries().size());
            for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
            book->forEach(
                all,
                [&](std::size_t entry, Opened& o) {
                    ++r.bookMembers;
                    if (!o.problem.empty()) r.problems.push_back("WAB.lzh: " + EntryName(book->entries()[entry], cp) + " " + o.problem);
                    return true;
                },
                cancel);
            // Whole as an archive; as an address book too?
            if (!(cancel && *cancel) && r.problems.size() == before)
                for (const std::string& p : LoadBook(backupDir, 0).problems) r.problems.push_back("WAB.lzh: " + p);
        } else {
            r.problems.push_back("WAB.lzh: " + why);
        }
    }
    if (cancel && *cancel) r.problems.push_back("stopped");
    if (!r.problems.empty()) r.status = 1;
    return r;
}

}  // namespace mailout
