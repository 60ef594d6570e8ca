#include "qbmail/report.h"

#include "mailout/fs.h"
#include "qbmail/console.h"

namespace qbmail {

namespace {

std::string CodePageLine(unsigned cp, bool guessed) {
    return "Folder names read as code page " + std::to_string(cp) +
           (guessed ? " (chosen from the names; --codepage 932 or 1252 to change)" : "") + ".\n";
}

std::string Count(std::uint64_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

// Pads `s` with blanks to `width` columns (UTF-8 characters counted, wide ones as two).
std::string Pad(const std::string& s, std::size_t width) {
    std::size_t cols = 0;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        cols += len >= 3 ? 2 : 1;  // CJK takes two columns on a terminal
        i += len;
    }
    return cols >= width ? s + " " : s + std::string(width - cols, ' ');
}

}  // namespace

void ProgressLine::show(const std::string& line) {
    if (!mailout::fs::ErrorIsTerminal()) return;
    // Blanks over what a longer line left, then the line again: the cursor ends after it.
    std::string s = "\r" + line;
    if (line.size() < shown_) s += std::string(shown_ - line.size(), ' ') + "\r" + line;
    shown_ = line.size();
    Err(s);
}

std::string ExportSummaryText(const mailout::ExportSummary& s, const mailout::ExportOptions& o) {
    if (s.status == 2) return {};
    std::string t = CodePageLine(s.codePage, s.codePageGuessed);
    t += s.stopped ? "Stopped: " : "Exported ";
    t += Count(s.folders, "folder", "folders") + ", " + Count(s.messages, "message", "messages");
    if (o.recover) t += ", " + std::to_string(s.recovered) + " recovered";
    if (s.incomplete) t += ", " + std::to_string(s.incomplete) + " incomplete";
    t += ", " + std::to_string(s.unreadable) + " unreadable";
    if (s.listedOnly) t += ", " + std::to_string(s.listedOnly) + " only listed (never downloaded)";
    t += " into " + s.outDir + (o.format == mailout::Format::Mbox ? " (Thunderbird folders)" : " (.eml files)") + ".\n";
    if (s.problemCount)
        t += Count(s.problemCount, "problem", "problems") + (s.problemCount > s.problems.size() ? " (the first ones above)" : " (above)") +
             ".\n";
    return t;
}

std::string ListingText(const mailout::Listing& l) {
    std::string t;
    if (l.status == 2) return t;
    if (l.backup) {
        const mailout::BackupFacts& b = *l.backup;
        t += "Backup of \"" + b.identityName + "\" " + b.identityKey + ", made " + b.date + "\n";
        t += "  Store root:   " + b.storeRoot + "\n";
        t += std::string("  Address book: ") + (b.addressBook.value_or(false) ? "included (WAB.lzh)" : "not included");
        if (l.contacts) t += ", " + Count(*l.contacts, "contact", "contacts") + " in " + Count(l.groups.value_or(0), "group", "groups");
        t += "\n";
        if (l.settingsRead) {
            t += l.accounts.empty() ? "  Mail accounts: none\n" : "  Mail accounts:\n";
            for (const mailout::ListedAccount& a : l.accounts) {
                t += "    " + a.name + (a.isDefault ? " (default)" : "") + ": " + a.kind;
                if (!a.displayName.empty() || !a.address.empty()) t += ", " + a.displayName + (a.address.empty() ? "" : " <" + a.address + ">");
                if (!a.incoming.empty()) t += ", in " + a.incoming;
                if (!a.outgoing.empty()) t += ", out " + a.outgoing;
                if (!a.user.empty()) t += ", user " + a.user;
                t += "\n";
            }
        }
    }
    t += CodePageLine(l.codePage, l.codePageGuessed);
    t += "Folders:\n";
    for (const mailout::ListedFolder& f : l.folders) {
        std::string name = std::string(2 + 2 * static_cast<std::size_t>(f.depth), ' ') + f.name;
        t += Pad(name, 36);
        if (f.hasFile)
            t += Pad(Count(f.messages, "message", "messages"), 15) + mailout::SizeText(f.bytes);
        t += "\n";
    }
    t += "Total: " + Count(l.folders.size(), "folder", "folders") + ", " + Count(l.messages, "message", "messages") + ", " +
         mailout::SizeText(l.bytes) + "\n";
    if (!l.problems.empty()) t += Count(l.problems.size(), "problem", "problems") + " (above).\n";
    return t;
}

std::string VerifyText(const mailout::VerifyResult& v) {
    if (v.status == 2) return {};
    std::string t = "OL.lzh: " + Count(v.members, "member", "members") + ", " + Count(v.storeFiles, "store file", "store files") +
                    " with " + Count(v.messages, "message", "messages") + " walked.\n";
    if (v.bookMembers) t += "WAB.lzh: " + Count(v.bookMembers, "member", "members") + ".\n";
    if (v.against) t += Count(v.compared, "member equals its file", "members equal their files") + " in the store folder.\n";
    t += v.problems.empty() ? "The backup is whole.\n" : Count(v.problems.size(), "problem", "problems") + " (above).\n";
    return t;
}

std::string ContactsSummaryText(const mailout::ContactsSummary& s) {
    if (s.written.empty()) return {};
    std::string t = "Text stored in the address book's code page read as " + std::to_string(s.codePage) +
                    (s.codePageGuessed ? " (chosen from the text; --codepage 932 or 1252 to change)" : "") + ".\n";
    t += "Wrote " + Count(s.contacts, "contact", "contacts") + " (" + Count(s.groups, "group", "groups") + ") to " + s.written +
         "; " + std::to_string(s.skipped) + " skipped.\n";
    return t;
}

}  // namespace qbmail
