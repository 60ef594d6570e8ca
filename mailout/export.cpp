#include "mailout/export.h"

#include "dbx/message.h"
#include "dbx/recover.h"
#include "dbx/store_file.h"
#include "mailout/fs.h"
#include "mailout/mbox.h"
#include "mailout/names.h"
#include "mailout/plan.h"
#include "mailout/source.h"
#include "mailtext/codepage.h"
#include "mailtext/header.h"

#include <algorithm>
#include <map>
#include <optional>

namespace mailout {

namespace {

constexpr std::size_t kHeadMax = 64 * 1024;   // header fields are read from this much at most
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kFolderNameMax = 80;
constexpr unsigned kMaxTries = 10000;          // numbered names before giving up on one

// Where one folder goes.
struct OutFolder {
    std::string name;        // UTF-8, as the store names it
    int parent = -1;
    std::string path;        // eml: its folder; mbox: its mbox file
    std::string sbd;         // mbox: its sub-folder folder, once made
    int recovered = -1;      // its "Recovered" folder, once made
    std::uint64_t expected = 0;
    std::uint64_t written = 0;
};

// What a message's header says, with the message info as a fallback.
struct Meta {
    std::optional<std::int64_t> date;
    std::string subject;
    std::string sender;
};

class Run {
public:
    Run(const ExportOptions& o, ExportSummary& s) : o_(o), s_(s) {}

    void go();

private:
    void problem(std::string line) {
        ++s_.problemCount;
        s_.status = 1;
        if (o_.problem) o_.problem(line);
        if (s_.problems.size() < 500) s_.problems.push_back(std::move(line));
    }
    bool cancelled() const { return o_.cancel && *o_.cancel; }

    bool makeFolder(int index);
    std::string containerOf(int parent);
    int recoveredOf(int folder);
    bool onFile(std::size_t entry, Opened& opened);
    void exportFile(dbx::StoreFile& file, int folder);
    void writeMessage(int folder, dbx::Source& src, std::uint32_t first, const dbx::Chain& chain, bool freed,
                      const dbx::MessageInfo* info, std::uint64_t number, int width, std::string incomplete);
    bool copyRest(dbx::ChainReader& reader, fs::OutFile& out, MboxQuoter* quoter);
    bool writeEml(OutFolder& f, const std::string& stem, const std::string& head, dbx::ChainReader& reader,
                  const std::int64_t* when, std::string& why);
    bool writeMbox(const Meta& meta, const std::string& head, dbx::ChainReader& reader, std::string& why);
    std::string FolderPathOf(int folder) const {
        std::string path;
        for (int i = folder; i >= 0; i = folders_[static_cast<std::size_t>(i)].parent)
            path = folders_[static_cast<std::size_t>(i)].name + (path.empty() ? "" : "/" + path);
        return path;
    }
    Meta readMeta(const std::string& head, const dbx::MessageInfo* info) const;
    void reportProgress(int folder, bool force);

    const ExportOptions& o_;
    ExportSummary& s_;
    std::unique_ptr<Store> store_;
    Plan plan_;
    std::vector<OutFolder> folders_;
    std::map<std::size_t, int> folderOfEntry_;
    std::map<std::string, NameSet> names_;  // per containing folder
    fs::OutFile mbox_;                     // the mbox of the file being read
    int mboxFolder_ = -1;
    std::size_t filesDone_ = 0;
    std::string buf_, quoted_;
};

// ---- folders ----

std::string Run::containerOf(int parent) {
    if (parent < 0) return o_.outDir;
    OutFolder& p = folders_[static_cast<std::size_t>(parent)];
    if (o_.format == Format::Eml) return p.path;
    if (p.sbd.empty()) {
        const std::string sbd = p.path + ".sbd";  // reserved with the mbox file's name
        if (fs::MakeDir(sbd) == fs::Made::Failed) {
            problem("cannot make the folder " + sbd);
            return {};
        }
        p.sbd = sbd;
    }
    return p.sbd;
}

bool Run::makeFolder(int index) {
    OutFolder& f = folders_[static_cast<std::size_t>(index)];
    const std::string container = containerOf(f.parent);
    if (container.empty()) return false;
    NameSet& taken = names_[container];
    const std::string base = fs::Storable(SafeComponent(f.name, kFolderNameMax, "Folder"));
    for (unsigned n = 1; n <= kMaxTries; ++n) {
        const std::string name = Numbered(base, "", n);
        if (taken.taken(name)) continue;
        const std::string path = fs::Join(container, name);
        if (o_.format == Format::Eml) {
            const fs::Made made = fs::MakeDir(path);
            if (made == fs::Made::Exists) continue;
            if (made == fs::Made::Failed) break;
        } else {
            // Thunderbird keeps a folder's sub-folders in "<name>.sbd": both names must be free.
            if (taken.taken(name + ".sbd") || fs::TypeOf(path + ".sbd") != fs::Type::None) continue;
            fs::OutFile file;
            const fs::Made made = file.create(path);
            if (made == fs::Made::Exists) continue;
            if (made == fs::Made::Failed || !file.finish()) break;
            taken.add(name + ".sbd");
        }
        taken.add(name);
        f.path = path;
        ++s_.folders;
        return true;
    }
    problem("cannot make a file or folder for \"" + f.name + "\" in " + container);
    return false;
}

int Run::recoveredOf(int folder) {
    OutFolder& f = folders_[static_cast<std::size_t>(folder)];
    if (f.recovered >= 0) return f.recovered;
    OutFolder r;
    r.name = "Recovered";
    r.parent = folder;
    folders_.push_back(r);
    const int index = static_cast<int>(folders_.size()) - 1;
    if (!makeFolder(index)) return -1;
    folders_[static_cast<std::size_t>(folder)].recovered = index;
    return index;
}

// ---- messages ----

Meta Run::readMeta(const std::string& head, const dbx::MessageInfo* info) const {
    Meta m;
    if (auto d = mailtext::HeaderField(head, "Date")) m.date = mailtext::ParseMailDate(*d);
    // A subject that does not decode (an unknown charset) gives no part of the file's name.
    bool decoded = true;
    if (auto v = mailtext::HeaderField(head, "Subject")) m.subject = mailtext::DecodeHeaderText(*v, plan_.codePage, &decoded);
    if (!decoded) m.subject.clear();
    if (auto v = mailtext::HeaderField(head, "From")) m.sender = mailtext::FirstAddress(*v);
    if (info) {
        if (!m.date && (info->received || info->sent))
            m.date = mailtext::FileTimeToUnix(info->received ? *info->received : *info->sent);
        if (m.subject.empty() && !info->subject.empty()) {
            decoded = true;
            m.subject = mailtext::DecodeHeaderText(info->subject, plan_.codePage, &decoded);
            if (!decoded) m.subject.clear();
        }
        if (m.sender.empty()) m.sender = info->senderAddress;
    }
    return m;
}

bool Run::copyRest(dbx::ChainReader& reader, fs::OutFile& out, MboxQuoter* quoter) {
    for (;;) {
        buf_.resize(kChunk);
        const std::size_t got = reader.read(reinterpret_cast<std::uint8_t*>(buf_.data()), kChunk);
        if (!got) return !reader.failed();
        if (cancelled()) return false;
        if (!quoter) {
            if (!out.write(buf_.data(), got)) return false;
            continue;
        }
        quoted_.clear();
        quoter->feed(std::string_view(buf_.data(), got), quoted_);
        if (!out.write(quoted_.data(), quoted_.size())) return false;
    }
}

bool Run::writeEml(OutFolder& f, const std::string& stem, const std::string& head, dbx::ChainReader& reader,
                   const std::int64_t* when, std::string& why) {
    // Each message's number makes its name unique in its folder (a folder of this export's own),
    // so no list of names is kept: memory stays flat however many messages a folder holds.
    fs::OutFile eml;
    bool made = false;
    for (unsigned n = 1; n <= kMaxTries && !made; ++n) {
        const fs::Made m = eml.create(fs::Join(f.path, Numbered(stem, ".eml", n)));
        if (m == fs::Made::Failed) break;
        made = m == fs::Made::Created;
    }
    if (!made) {
        why = "cannot make its file in " + f.path;
        return false;
    }
    if (eml.write(head.data(), head.size()) && copyRest(reader, eml, nullptr) && eml.finish(when)) return true;
    why = reader.failed() ? "its text cannot be read" : "cannot write " + eml.path();
    eml.discard();  // nothing half-written stays as if whole
    return false;
}

bool Run::writeMbox(const Meta& meta, const std::string& head, dbx::ChainReader& reader, std::string& why) {
    const std::uint64_t start = mbox_.written();
    MboxQuoter quoter;
    quoted_ = MboxFromLine(meta.sender, meta.date ? &*meta.date : nullptr);
    quoter.feed(head, quoted_);
    if (mbox_.write(quoted_.data(), quoted_.size()) && copyRest(reader, mbox_, &quoter)) {
        quoted_.clear();
        quoter.finish(quoted_);
        if (mbox_.write(quoted_.data(), quoted_.size())) return true;
    }
    why = reader.failed() ? "its text cannot be read" : "cannot write " + mbox_.path();
    mbox_.truncate(start);  // the mbox loses the message again rather than keep half of it
    return false;
}

void Run::writeMessage(int folder, dbx::Source& src, std::uint32_t first, const dbx::Chain& chain, bool freed,
                       const dbx::MessageInfo* info, std::uint64_t number, int width, std::string incomplete) {
    OutFolder& f = folders_[static_cast<std::size_t>(folder)];
    dbx::ChainReader reader(src, first, chain, freed);
    // The header comes first: the file's name and time are made from it.
    std::string head;
    for (;;) {
        const std::size_t at = head.size();
        head.resize(at + 4096);
        const std::size_t got = reader.read(reinterpret_cast<std::uint8_t*>(head.data() + at), 4096);
        head.resize(at + got);
        if (!got || head.size() >= kHeadMax || head.find("\n\r\n", at > 3 ? at - 3 : 0) != std::string::npos ||
            head.find("\n\n", at > 1 ? at - 1 : 0) != std::string::npos)
            break;
    }
    if (freed && incomplete.empty()) incomplete = "rebuilt from freed blocks, whose first 4 bytes are lost";
    if (incomplete.empty() && !info && !dbx::LooksLikeMessageStart(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()))
        incomplete = "its beginning is lost";
    const Meta meta = readMeta(head, info);

    std::string why;
    bool ok;
    if (o_.format == Format::Eml) {
        std::string stem = MessageFileStem(number, width, meta.date ? &*meta.date : nullptr, meta.subject);
        if (!incomplete.empty()) stem += " (incomplete)";
        ok = writeEml(f, fs::Storable(stem), head, reader, meta.date ? &*meta.date : nullptr, why);
    } else {
        ok = writeMbox(meta, head, reader, why);
    }
    if (!ok) {
        if (cancelled()) return;
        ++s_.unreadable;
        problem(FolderPathOf(folder) + ": message " + std::to_string(number) + ": " + why);
        return;
    }
    ++f.written;
    ++(info ? s_.messages : s_.recovered);
    if (!incomplete.empty()) {
        ++s_.incomplete;
        problem(FolderPathOf(folder) + ": message " + std::to_string(number) + " is incomplete: " + incomplete);
    }
}

// ---- files ----

void Run::reportProgress(int folder, bool force) {
    if (!o_.progress) return;
    const OutFolder& f = folders_[static_cast<std::size_t>(folder)];
    if (!force && f.written % 64) return;
    Progress p;
    p.folder = FolderPathOf(folder);
    p.done = f.written;
    p.expected = f.expected;
    p.file = filesDone_;
    p.files = plan_.files.size();
    o_.progress(p);
}

void Run::exportFile(dbx::StoreFile& file, int folder) {
    const std::string where = FolderPathOf(folder);
    if (o_.format == Format::Mbox && !mbox_.append(folders_[static_cast<std::size_t>(folder)].path)) {
        problem(where + ": cannot write to " + folders_[static_cast<std::size_t>(folder)].path);
        return;
    }
    reportProgress(folder, true);
    dbx::Report report;
    std::vector<std::uint32_t> known;
    const std::uint64_t claimed = std::uint64_t{file.treeCount(0)} + file.treeCount(1);
    int width = 5;
    for (std::uint64_t n = std::max<std::uint64_t>(claimed, folders_[static_cast<std::size_t>(folder)].expected); n >= 100000; n /= 10) ++width;
    s_.unreadable += dbx::ForEachMessage(
        file, report,
        [&](const dbx::MessageInfo& info, std::uint64_t number) {
            if (dbx::ListedOnly(info)) {
                ++s_.listedOnly;
                return;
            }
            if (!info.firstBlock) {
                ++s_.unreadable;
                problem(where + ": message " + std::to_string(number) + " has no text in the file");
                return;
            }
            known.push_back(info.firstBlock);
            const dbx::Chain chain = dbx::CheckChain(file.cache(), info.firstBlock);
            if (!chain.blocks) {
                ++s_.unreadable;
                problem(where + ": message " + std::to_string(number) + ": " + chain.problem + " (at " + dbx::Hex(chain.problemAt) + ")");
                return;
            }
            std::string incomplete;
            if (!chain.whole) incomplete = chain.problem + " (at " + dbx::Hex(chain.problemAt) + ")";
            writeMessage(folder, file.cache(), info.firstBlock, chain, false, &info, number, width, incomplete);
            reportProgress(folder, false);
        },
        [this] { return cancelled(); });

    if (o_.recover && !cancelled()) {
        std::sort(known.begin(), known.end());
        std::uint64_t found = 0;
        dbx::ScanForMessages(
            file, known,
            [&](const dbx::Found& f) {
                if (cancelled()) return;
                const int r = recoveredOf(folder);
                if (r < 0) return;
                if (o_.format == Format::Mbox && mboxFolder_ != r) {
                    // The recovered messages have an mbox of their own.
                    mbox_.finish();
                    if (!mbox_.append(folders_[static_cast<std::size_t>(r)].path)) return;
                    mboxFolder_ = r;
                }
                std::string incomplete;
                if (!f.chain.whole) incomplete = f.chain.problem + " (at " + dbx::Hex(f.chain.problemAt) + ")";
                writeMessage(r, file.cache(), f.first, f.chain, f.freed, nullptr, ++found, 5, incomplete);
            },
            report, [&](std::uint64_t done, std::uint64_t total) {
                if (o_.progress && total) {
                    Progress p;
                    p.folder = where;
                    p.done = folders_[static_cast<std::size_t>(folder)].written;
                    p.file = filesDone_;
                    p.files = plan_.files.size();
                    p.scanned = static_cast<int>(done * 100 / total);
                    o_.progress(p);
                }
                return !cancelled();
            });
    }
    for (const dbx::Problem& p : report.kept()) problem(where + ": " + p.text + " (at " + dbx::Hex(p.offset) + ")");
    if (report.count() > report.kept().size()) problem(where + ": " + std::to_string(report.count() - report.kept().size()) + " more problems");
    if (file.overread()) problem(where + ": reading stopped: the file's objects overlap as a store file's cannot; what follows them is left out");
    if (o_.format == Format::Mbox && !mbox_.finish()) problem(where + ": cannot finish " + mbox_.path());
    mboxFolder_ = -1;
    reportProgress(folder, true);
}

bool Run::onFile(std::size_t entry, Opened& opened) {
    const std::string name = EntryName(store_->entries()[entry], plan_.codePage);
    auto it = folderOfEntry_.find(entry);
    int folder = it == folderOfEntry_.end() ? -1 : it->second;
    if (!opened.problem.empty() && opened.problem != "stopped") problem(name + " " + opened.problem);
    if (opened.source) {
        dbx::StoreFile file(*opened.source);
        if (!file.ok()) {
            problem(name + ": " + file.error());
        } else if (file.kind() != dbx::FileKind::Messages) {
            // Pop3uidl.dbx and the like hold no mail; a folder pointing at one is a problem.
            if (folder >= 0) problem(name + ": the folder's file holds no messages");
        } else {
            if (folder < 0) {
                // A message file no folder names: a folder of its own, by the name it was made with.
                OutFolder f;
                f.name = file.initialName().empty() ? fs::BaseName(name).substr(0, fs::BaseName(name).size() - 4)
                                                    : mailtext::ToUtf8(file.initialName(), plan_.codePage);
                folders_.push_back(f);
                folder = static_cast<int>(folders_.size()) - 1;
                if (!makeFolder(folder)) folder = -1;
            }
            if (folder >= 0) {
                mboxFolder_ = folder;
                exportFile(file, folder);
            }
        }
    }
    ++filesDone_;
    return !cancelled();
}

void Run::go() {
    std::string why;
    const SourceInfo source = ClassifySource(o_.source);
    if (source.kind == SourceKind::None) {
        s_.status = 2;
        problem(o_.source + ": " + source.why);
        s_.status = 2;
        return;
    }
    store_ = OpenStore(source, why);
    if (!store_) {
        problem(why);
        return;
    }
    for (const std::string& p : store_->problems()) problem(p);
    plan_ = MakePlan(*store_, o_.codePage, fs::SystemCodePage(), source.kind != SourceKind::StoreFile);
    s_.codePage = plan_.codePage;
    s_.codePageGuessed = plan_.codePageGuessed;
    for (const std::string& p : plan_.problems) problem(p);
    if (!fs::MakeDirs(o_.outDir)) {
        problem("cannot make the output folder " + o_.outDir);
        return;
    }
    for (const PlannedFolder& pf : plan_.folders) {
        OutFolder f;
        f.name = pf.name;
        f.parent = pf.parent;
        f.expected = pf.expected;
        folders_.push_back(f);
    }
    for (std::size_t i = 0; i < plan_.folders.size(); ++i) {
        // A folder whose parent could not be made is left out with it.
        const int parent = folders_[i].parent;
        if (parent >= 0 && folders_[static_cast<std::size_t>(parent)].path.empty()) continue;
        if (makeFolder(static_cast<int>(i)) && plan_.folders[i].entry) folderOfEntry_[*plan_.folders[i].entry] = static_cast<int>(i);
    }
    store_->forEach(plan_.files, [this](std::size_t entry, Opened& o) { return onFile(entry, o); }, o_.cancel);
    if (cancelled()) s_.stopped = true;
}

}  // namespace

ExportSummary Export(const ExportOptions& options) {
    ExportSummary summary;
    summary.outDir = options.outDir;
    Run run(options, summary);
    run.go();
    return summary;
}

}  // namespace mailout
