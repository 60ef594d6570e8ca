#include "mailout/listing.h"

#include "backupfiles/accounts.h"
#include "backupfiles/info_file.h"
#include "backupfiles/reg_text.h"
#include "dbx/message.h"
#include "mailout/book_export.h"
#include "mailout/contacts.h"
#include "mailout/fs.h"
#include "mailout/plan.h"
#include "mailtext/codepage.h"

#include <map>

namespace mailout {

namespace {

constexpr std::uint64_t kMaxTextFile = 16u << 20;  // a settings file is a few KiB

bool ReadWhole(const std::string& path, std::string& out) {
    fs::InFile f;
    if (!f.open(path) || f.size() > kMaxTextFile) return false;
    out.resize(static_cast<std::size_t>(f.size()));
    return f.readAt(0, out.data(), out.size());
}

const char* KindName(backupfiles::AccountKind k) {
    switch (k) {
        case backupfiles::AccountKind::kPop3: return "POP3";
        case backupfiles::AccountKind::kImap: return "IMAP";
        case backupfiles::AccountKind::kHttpMail: return "HTTP";
        case backupfiles::AccountKind::kNews: return "news";
    }
    return "";
}

void Add(std::vector<std::string>& problems, const std::string& where, const dbx::Report& report) {
    for (const dbx::Problem& p : report.kept()) problems.push_back(where + ": " + p.text + " (at " + dbx::Hex(p.offset) + ")");
    if (report.count() > report.kept().size())
        problems.push_back(where + ": " + std::to_string(report.count() - report.kept().size()) + " more problems");
}

}  // namespace

FileCount CountMessages(dbx::StoreFile& file, dbx::Report& report, const std::atomic<bool>* cancel) {
    FileCount c;
    c.unreadable = dbx::ForEachMessage(
        file, report,
        [&](const dbx::MessageInfo& info, std::uint64_t number) {
            if (dbx::ListedOnly(info)) return;
            const dbx::Chain chain = info.firstBlock ? dbx::CheckChain(file.cache(), info.firstBlock) : dbx::Chain{};
            if (!chain.blocks) {
                ++c.unreadable;
                report.add(info.at, "message " + std::to_string(number) +
                                        (info.firstBlock ? ": " + chain.problem : std::string(" has no text in the file")));
                return;
            }
            if (!chain.whole) report.add(chain.problemAt, "message " + std::to_string(number) + " is incomplete: " + chain.problem);
            ++c.messages;
            c.bytes += chain.bytes;
        },
        [cancel] { return cancel && *cancel; });
    if (file.overread()) report.add(0, "reading stopped: the file's objects overlap as a store file's cannot");
    return c;
}

void ReadBackupFacts(const SourceInfo& source, unsigned codePage, Listing& out) {
    const backupfiles::LeadBytes lead(codePage);
    std::string text;
    if (!ReadWhole(source.infoFile, text)) {
        out.problems.push_back("OLdate.bkd cannot be read");
        return;
    }
    const backupfiles::InfoFile info = backupfiles::ReadInfoFile(text, lead);
    BackupFacts facts;
    auto value = [&](std::string_view key) { return mailtext::ToUtf8(info.Value(key).value_or(""), codePage); };
    facts.date = value("date");
    facts.identityName = value("UserName");
    facts.identityKey = value("UserID");
    facts.storeRoot = value("storroot");
    if (auto a = info.Value("Addressbook")) facts.addressBook = *a == "1";
    out.backup = facts;
    if (source.settingsFile.empty()) {
        out.problems.push_back("the backup holds no OLbk1.reg");
        return;
    }
    if (!ReadWhole(source.settingsFile, text)) {
        out.problems.push_back("OLbk1.reg cannot be read");
        return;
    }
    const backupfiles::RegText reg = backupfiles::ParseRegText(text, info.Value("UserID").value_or(""), lead);
    if (!reg.hasHeader) {
        out.problems.push_back("OLbk1.reg is not a REGEDIT4 settings file");
        return;
    }
    out.settingsRead = true;
    if (reg.cutShort) out.problems.push_back("OLbk1.reg is cut short");
    const backupfiles::AccountList accounts = backupfiles::ReadAccounts(reg, lead);
    for (const backupfiles::MailAccount& a : accounts.accounts) {
        ListedAccount l;
        l.name = mailtext::ToUtf8(a.name, codePage);
        l.kind = KindName(a.kind);
        l.displayName = mailtext::ToUtf8(a.displayName, codePage);
        l.address = mailtext::ToUtf8(a.address, codePage);
        l.incoming = mailtext::ToUtf8(a.incomingServer, codePage);
        l.outgoing = mailtext::ToUtf8(a.outgoingServer, codePage);
        l.user = mailtext::ToUtf8(a.userName, codePage);
        l.isDefault = a.isDefault;
        out.accounts.push_back(std::move(l));
    }
}

Listing List(const std::string& sourcePath, unsigned codePage, const std::atomic<bool>* cancel,
             const std::function<void(const std::string&)>& progress) {
    Listing out;
    out.source = ClassifySource(sourcePath);
    if (out.source.kind == SourceKind::None) {
        out.status = 2;
        out.problems.push_back(sourcePath + ": " + out.source.why);
        return out;
    }
    std::string why;
    std::unique_ptr<Store> store = OpenStore(out.source, why);
    Plan plan;
    if (store) {
        for (const std::string& p : store->problems()) out.problems.push_back(p);
        plan = MakePlan(*store, codePage, fs::SystemCodePage(), out.source.kind != SourceKind::StoreFile);
        for (const std::string& p : plan.problems) out.problems.push_back(p);
    } else {
        out.problems.push_back(why);
        plan.codePage = codePage ? codePage : (fs::SystemCodePage() ? fs::SystemCodePage() : 1252);
    }
    out.codePage = plan.codePage;
    out.codePageGuessed = plan.codePageGuessed;
    if (out.source.kind == SourceKind::BackupFolder) {
        ReadBackupFacts(out.source, out.codePage, out);
        if (!out.source.bookArchive.empty()) {
            const LoadedBook loaded = LoadBook(out.source.path, codePage);
            for (const std::string& p : loaded.problems) out.problems.push_back("WAB.lzh: " + p);
            if (loaded.book.error.empty()) {
                out.contacts = ExportedContacts(loaded.book).size();
                out.groups = loaded.book.groups.size();
            }
        }
    }

    // Folders in plan order; each one's depth from its parents.
    std::map<std::size_t, std::size_t> listedOfEntry;
    for (std::size_t i = 0; i < plan.folders.size(); ++i) {
        ListedFolder f;
        f.name = plan.folders[i].name;
        for (int p = plan.folders[i].parent; p >= 0; p = plan.folders[static_cast<std::size_t>(p)].parent) ++f.depth;
        f.hasFile = plan.folders[i].entry.has_value();
        if (f.hasFile) listedOfEntry[*plan.folders[i].entry] = out.folders.size();
        out.folders.push_back(f);
    }
    if (store) {
        std::size_t done = 0;
        store->forEach(
            plan.files,
            [&](std::size_t entry, Opened& o) {
                const std::string name = EntryName(store->entries()[entry], plan.codePage);
                if (progress) progress("reading " + name + " (" + std::to_string(++done) + " of " + std::to_string(plan.files.size()) + ")");
                auto it = listedOfEntry.find(entry);
                if (!o.problem.empty()) out.problems.push_back(name + " " + o.problem);
                if (!o.source) return true;
                dbx::StoreFile file(*o.source);
                if (!file.ok()) {
                    out.problems.push_back(name + ": " + file.error());
                    return true;
                }
                if (file.kind() != dbx::FileKind::Messages) {
                    if (it != listedOfEntry.end()) out.problems.push_back(name + ": the folder's file holds no messages");
                    return true;
                }
                std::size_t at;
                if (it != listedOfEntry.end()) {
                    at = it->second;
                } else {
                    ListedFolder f;
                    f.name = file.initialName().empty() ? name : mailtext::ToUtf8(file.initialName(), plan.codePage);
                    f.hasFile = true;
                    at = out.folders.size();
                    out.folders.push_back(f);
                }
                dbx::Report report;
                const FileCount c = CountMessages(file, report, cancel);
                out.folders[at].messages = c.messages;
                out.folders[at].bytes = c.bytes;
                out.messages += c.messages;
                out.bytes += c.bytes;
                Add(out.problems, name, report);
                return true;
            },
            cancel);
    }
    if (cancel && *cancel) out.problems.push_back("stopped");
    if (!out.problems.empty()) out.status = 1;
    return out;
}

}  // namespace mailout
