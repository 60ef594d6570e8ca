#include "mailout/plan.h"

#include "dbx/format.h"
#include "mailout/names.h"
#include "mailtext/codepage.h"

#include <algorithm>
#include <map>
#include <set>

namespace mailout {

namespace {

using dbx::layout::kNoParent;

constexpr std::uint32_t kLocalAccount = 3;

std::string Base(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool EndsWithDbx(std::string_view name) { return name.size() > 4 && EndsWithNoCase(name, ".dbx"); }

// Specials first in Outlook Express's own order (Inbox, Outbox, Sent, Deleted, Drafts), then
// the rest in the order they were made.
bool DisplayOrder(const dbx::FolderInfo* a, const dbx::FolderInfo* b) {
    const auto rank = [](const dbx::FolderInfo* f) { return f->special >= 1 && f->special <= 5 ? f->special : 99u; };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a->id < b->id;
}

}  // namespace

std::string EntryName(const StoreEntry& entry, unsigned codePage) {
    return entry.codePageBytes ? mailtext::ToUtf8(entry.name, codePage) : entry.name;
}

Plan MakePlan(Store& store, unsigned codePage, unsigned systemCodePage, bool wantsFolderList) {
    Plan plan;
    const auto& entries = store.entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (FoldCase(entries[i].name) == "folders.dbx") plan.foldersEntry = i;

    std::vector<dbx::FolderInfo> infos;
    if (plan.foldersEntry) {
        Opened o = store.open(*plan.foldersEntry);
        if (!o.problem.empty()) plan.problems.push_back("Folders.dbx " + o.problem);
        if (o.source) {
            dbx::StoreFile file(*o.source);
            dbx::Report report;
            if (!file.ok())
                plan.problems.push_back("Folders.dbx: " + file.error());
            else if (file.kind() != dbx::FileKind::Folders)
                plan.problems.push_back("Folders.dbx is not a folder list");
            else
                infos = dbx::ReadFolders(file, report);
            for (const dbx::Problem& p : report.kept()) plan.problems.push_back("Folders.dbx at " + dbx::Hex(p.offset) + ": " + p.text);
            if (report.count() > report.kept().size())
                plan.problems.push_back("Folders.dbx: " + std::to_string(report.count() - report.kept().size()) + " more problems");
        }
    } else if (wantsFolderList) {
        plan.problems.push_back("the store has no Folders.dbx: each message file becomes a folder of its own");
    }

    // The code page: as given, else guessed from every name the store holds in it.
    plan.codePage = codePage;
    if (!codePage) {
        std::vector<std::string_view> samples;
        for (const dbx::FolderInfo& f : infos) {
            samples.push_back(f.name);
            samples.push_back(f.file);
        }
        for (const StoreEntry& e : entries)
            if (e.codePageBytes) samples.push_back(e.name);
        plan.codePage = mailtext::GuessCodePage(samples, systemCodePage);
        plan.codePageGuessed = true;
    }

    // Which entry holds each folder: the file name as the folder info gives it, else its base.
    std::map<std::string, std::size_t> byPath, byBase;
    std::set<std::string> baseTwice;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string name = FoldCase(EntryName(entries[i], plan.codePage));
        byPath.emplace(name, i);
        if (!byBase.emplace(Base(name), i).second) baseTwice.insert(Base(name));
    }
    auto entryFor = [&](const std::string& file) -> std::optional<std::size_t> {
        const std::string key = FoldCase(mailtext::ToUtf8(file, plan.codePage));
        if (auto it = byPath.find(key); it != byPath.end()) return it->second;
        const std::string base = Base(key);
        if (auto it = byBase.find(base); it != byBase.end() && !baseTwice.count(base)) return it->second;
        return std::nullopt;
    };

    // The tree from the root down; a folder met twice (a loop in the parents) is met once.
    std::map<std::uint32_t, std::vector<const dbx::FolderInfo*>> children;
    const dbx::FolderInfo* root = nullptr;
    for (const dbx::FolderInfo& f : infos) {
        if (f.parent == kNoParent) {
            if (!root || f.id < root->id) root = &f;
        } else if (f.parent != f.id) {
            children[f.parent].push_back(&f);
        }
    }
    for (auto& [id, list] : children) std::sort(list.begin(), list.end(), DisplayOrder);

    std::set<std::uint32_t> placed;
    std::set<std::size_t> claimed;
    // Adds folder `f` below `parent` with all its descendants (depth first, so parents come first).
    auto add = [&](auto&& self, const dbx::FolderInfo* f, int parent) -> void {
        if (!placed.insert(f->id).second) return;
        PlannedFolder pf;
        pf.name = mailtext::ToUtf8(f->name, plan.codePage);
        pf.parent = parent;
        pf.expected = f->messages;
        if (!f->file.empty()) {
            pf.entry = entryFor(f->file);
            if (!pf.entry)
                plan.problems.push_back("the folder \"" + pf.name + "\" has no message file " + mailtext::ToUtf8(f->file, plan.codePage) + " in the store");
            else if (!claimed.insert(*pf.entry).second)
                pf.entry.reset();  // two folders naming one file: the first one shows it
        }
        const int me = static_cast<int>(plan.folders.size());
        plan.folders.push_back(std::move(pf));
        if (parent >= 0) plan.folders[static_cast<std::size_t>(parent)].children.push_back(me);
        if (auto it = children.find(f->id); it != children.end())
            for (const dbx::FolderInfo* c : it->second) self(self, c, me);
    };
    // Whether anything at or below `f` has a message file (accounts whose folders were never
    // opened are left out; local folders always show).
    auto holdsFiles = [&](auto&& self, const dbx::FolderInfo* f, int depth) -> bool {
        if (!f->file.empty()) return true;
        if (depth > 64) return false;
        if (auto it = children.find(f->id); it != children.end())
            for (const dbx::FolderInfo* c : it->second)
                if (self(self, c, depth + 1)) return true;
        return false;
    };
    if (root) {
        placed.insert(root->id);
        const dbx::FolderInfo* local = nullptr;
        if (auto it = children.find(root->id); it != children.end()) {
            for (const dbx::FolderInfo* c : it->second)
                if (!local && c->file.empty() && (c->accountType ? *c->accountType == kLocalAccount : c->accountKey.empty())) local = c;
            if (local) {
                placed.insert(local->id);
                if (auto lc = children.find(local->id); lc != children.end())
                    for (const dbx::FolderInfo* c : lc->second) add(add, c, -1);
            }
            for (const dbx::FolderInfo* c : it->second)
                if (c != local && holdsFiles(holdsFiles, c, 0)) add(add, c, -1);
        }
    }
    // Folders the walk from the root did not reach (their parents lost) still show, at the top.
    for (const dbx::FolderInfo& f : infos)
        if (!placed.count(f.id) && !f.file.empty()) add(add, &f, -1);

    for (const PlannedFolder& f : plan.folders)
        if (f.entry) plan.files.push_back(*f.entry);
    std::sort(plan.files.begin(), plan.files.end());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!claimed.count(i) && i != plan.foldersEntry && EndsWithDbx(entries[i].name)) plan.files.push_back(i);
    std::sort(plan.files.begin(), plan.files.end());
    return plan;
}

}  // namespace mailout
