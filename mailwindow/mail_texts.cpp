// The mail window's texts and names (see mail_texts.h), made from what the library returns.
#include "mailwindow/mail_texts.h"

#include "mailout/fs.h"
#include "mailout/names.h"
#include "mailout/source.h"
#include "mailout/texts.h"

namespace mailwindow {

namespace {

constexpr std::size_t kFolderNameMax = 80;      // bytes of the default output folder's name
constexpr std::size_t kListedProblems = 3;      // problems the list box names
constexpr std::size_t kProblemLineMax = 160;    // bytes of one problem line in the end message
constexpr unsigned kFreeFolderTries = 999;

std::string Count(std::uint64_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// `s` cut to at most `max` bytes on a character boundary, "..." marking the cut.
std::string Shortened(const std::string& s, std::size_t max) {
    if (s.size() <= max) return s;
    std::size_t end = max - 3;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end) + "...";
}

std::string AccountLine(const mailout::ListedAccount& a) {
    std::string line = "Account: " + a.name + " (" + a.kind + (a.isDefault ? ", default)" : ")");
    if (!a.displayName.empty() || !a.address.empty()) {
        line += ": " + a.displayName;
        if (!a.address.empty()) line += (a.displayName.empty() ? "<" : " <") + a.address + ">";
    }
    return line;
}

// The folder a picked file's path lies in; a drive root keeps its separator ("C:\").
std::string FolderOf(const std::string& file) {
    std::string dir = mailout::fs::DirName(file);
    if (dir.size() == 2 && dir[1] == ':') dir += mailout::fs::Separator();
    return dir;
}

}  // namespace

std::vector<std::string> ListingLines(const mailout::Listing& l) {
    std::vector<std::string> lines;
    if (l.status == 2) {
        lines.push_back("This is no backup folder, OL.lzh, store folder or .dbx file:");
        for (const std::string& p : l.problems) lines.push_back("  " + p);
        return lines;
    }
    switch (l.source.kind) {
        case mailout::SourceKind::BackupFolder: {
            const std::string name = l.backup ? l.backup->identityName : std::string();
            const std::string date = l.backup ? l.backup->date : std::string();
            lines.push_back("Backup of \"" + name + "\", made " + (date.empty() ? "(no date)" : date));
            for (const mailout::ListedAccount& a : l.accounts) lines.push_back(AccountLine(a));
            if (l.settingsRead && l.accounts.empty()) lines.push_back("Accounts: none");
            if (l.contacts)
                lines.push_back("Contacts: " + std::to_string(*l.contacts) + " in " + Count(l.groups.value_or(0), "group", "groups"));
            else if (l.source.bookArchive.empty())
                lines.push_back("Contacts: none (backed up without \"BackUp Addressbook\")");
            else
                lines.push_back("Contacts: the address book could not be read");
            break;
        }
        case mailout::SourceKind::Archive: lines.push_back("Mail store archive " + mailout::fs::BaseName(l.source.path)); break;
        case mailout::SourceKind::StoreFolder: lines.push_back("Mail store folder " + l.source.path); break;
        case mailout::SourceKind::StoreFile: lines.push_back("Mail store file " + mailout::fs::BaseName(l.source.path)); break;
        case mailout::SourceKind::None: break;
    }
    lines.push_back("Folders: " + std::to_string(l.folders.size()) + ", " + Count(l.messages, "message", "messages") + ", " +
                    mailout::SizeText(l.bytes));
    for (const mailout::ListedFolder& f : l.folders) {
        std::string line(3 + 3 * static_cast<std::size_t>(f.depth), ' ');
        line += f.name;
        if (f.hasFile) {
            line += ": ";
            line += Count(f.messages, "message", "messages");
            line += ", ";
            line += mailout::SizeText(f.bytes);
        }
        lines.push_back(line);
    }
    if (!l.problems.empty()) {
        lines.push_back("Could not be read: " + std::to_string(l.problems.size()));
        for (std::size_t i = 0; i < l.problems.size() && i < kListedProblems; ++i) lines.push_back("   " + l.problems[i]);
    }
    return lines;
}

std::string OutputFolderName(const mailout::Listing& l) {
    if (l.status == 2 || l.source.kind == mailout::SourceKind::None) return {};
    std::string name;
    if (l.source.kind == mailout::SourceKind::BackupFolder && l.backup) {
        std::string date = l.backup->date;
        for (char& c : date)
            if (c == '/') c = '-';
        name = l.backup->identityName.empty() ? std::string("Mail") : l.backup->identityName;
        if (!date.empty()) name += " " + date;
    } else {
        std::string base = mailout::fs::BaseName(l.source.path);
        const std::size_t dot = base.rfind('.');
        if (l.source.kind != mailout::SourceKind::StoreFolder && dot != std::string::npos && dot > 0) base.resize(dot);
        name = base + " mail";
    }
    return mailout::SafeComponent(name, kFolderNameMax, "Mail");
}

std::string FreeFolder(const std::string& parent, const std::string& name) {
    if (parent.empty() || name.empty()) return {};
    for (unsigned n = 1; n <= kFreeFolderTries; ++n) {
        const std::string path = mailout::fs::Join(parent, mailout::Numbered(name, "", n));
        if (mailout::fs::TypeOf(path) == mailout::fs::Type::None) return path;
    }
    return {};
}

std::string PickedSource(const std::string& file) {
    const std::string name = Lower(mailout::fs::BaseName(file));
    const std::string folder = FolderOf(file);
    if (name == "oldate.bkd" || name == "folders.dbx") return folder;
    if (name == "ol.lzh" && !mailout::FindInFolder(folder, "OLdate.bkd").empty()) return folder;
    return file;
}

std::string EndMessage(const Outcome& o) {
    const mailout::ExportSummary& m = o.mail;
    std::vector<std::string> problems;
    std::size_t count = m.problemCount;
    for (const std::string& p : m.problems) problems.push_back(p);
    if (o.contacts) {
        count += o.contacts->problems.size();
        for (const std::string& p : o.contacts->problems) problems.push_back("Contacts: " + p);
    }
    if (!o.failure.empty()) {
        ++count;
        problems.insert(problems.begin(), o.failure);
    }
    std::string ja, en;
    if (!AsksToOpen(o)) {
        ja = "メールを書き出せませんでした。\n";
        en = "The mail could not be written out.\n";
    } else {
        const bool mbox = o.format == mailout::Format::Mbox;
        ja = "メールを書き出しました。\nフォルダ " + std::to_string(m.folders) + " 個、メール " + std::to_string(m.messages) + " 通";
        en = "Written: " + Count(m.folders, "folder", "folders") + ", " + Count(m.messages, "message", "messages");
        if (o.recover) {
            ja += "、復元したメール " + std::to_string(m.recovered) + " 通";
            en += ", " + std::to_string(m.recovered) + " recovered";
        }
        ja += mbox ? "（Thunderbird のフォルダ）。\n" : "（.eml ファイル）。\n";
        en += mbox ? " (Thunderbird folders).\n" : " (.eml files).\n";
        if (m.unreadable || m.incomplete) {
            ja += "読み取れなかったメール " + std::to_string(m.unreadable) + " 通、一部だけ読めたメール " + std::to_string(m.incomplete) + " 通。\n";
            en += "Mail that could not be read: " + std::to_string(m.unreadable) + "; read only in part: " + std::to_string(m.incomplete) + ".\n";
        }
        if (o.contacts && !o.contacts->written.empty()) {
            const std::string file = mailout::fs::BaseName(o.contacts->written);
            ja += "連絡先 " + std::to_string(o.contacts->contacts) + " 件: " + file + "\n";
            en += "Contacts: " + std::to_string(o.contacts->contacts) + " in " + file + "\n";
        } else if (o.contacts) {
            ja += "連絡先は書き出せませんでした。\n";
            en += "The contacts could not be written out.\n";
        }
        ja += "書き出し先: " + m.outDir + "\n";
        en += "Into: " + m.outDir + "\n";
        if (mbox) {
            ja += "Thunderbird を閉じてから、このフォルダの中身をすべてプロファイルの Mail\\Local Folders にコピーしてください。\n";
            en += "Close Thunderbird, then copy everything in this folder into its profile's Mail\\Local Folders.\n";
        }
    }
    const std::size_t shown = problems.size() < kProblemsShown ? problems.size() : kProblemsShown;
    if (count) {
        ja += "読み取れなかったもの: " + std::to_string(count) + " 件" + (shown < count ? "（最初の " + std::to_string(shown) + " 件は下のとおり）" : "（下のとおり）") + "。\n";
        en += "Could not be read: " + std::to_string(count) + (shown < count ? " (the first " + std::to_string(shown) + " below).\n" : " (below).\n");
    }
    std::string text = ja + "\n" + en;
    if (shown) {
        text += "\n";
        for (std::size_t i = 0; i < shown; ++i) text += "  " + Shortened(problems[i], kProblemLineMax) + "\n";
    }
    if (AsksToOpen(o)) text += "\n出力フォルダをエクスプローラーで開きますか？\nOpen the output folder in Explorer?";
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace mailwindow
