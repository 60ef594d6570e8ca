// qbmail: mail (and contacts) out of an Outlook Express backup, without Outlook Express.
//   qbmail list   SOURCE
//   qbmail export SOURCE OUTDIR [--format eml|mbox] [--recover] [--codepage CP]
//   qbmail verify BACKUPDIR [--against STOREDIR]
//   qbmail contacts SOURCE OUTFILE [--format vcf|csv] [--codepage CP]
// Exit status: 0 everything was read, 1 something could not be, 2 bad usage.
#include "mailout/book_export.h"
#include "mailout/export.h"
#include "mailout/listing.h"
#include "mailout/verify.h"
#include "qbmail/console.h"
#include "qbmail/report.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace qbmail {
namespace {

constexpr const char* kHelp =
    "qbmail: your mail out of an Outlook Express backup, without Outlook Express\n"
    "\n"
    "  qbmail list   SOURCE\n"
    "  qbmail export SOURCE OUTDIR [--format eml|mbox] [--recover] [--codepage CP]\n"
    "  qbmail verify BACKUPDIR [--against STOREDIR]\n"
    "  qbmail contacts SOURCE OUTFILE [--format vcf|csv] [--codepage CP]\n"
    "\n"
    "SOURCE is a backup folder (it holds OLdate.bkd and OL.lzh), an OL.lzh, an Outlook\n"
    "Express store folder (it holds Folders.dbx) or one .dbx file. An OL.lzh is read as\n"
    "it is; nothing is unpacked first.\n"
    "\n"
    "list     the folders with their messages and sizes; for a backup also its date,\n"
    "         identity and mail accounts (never a password).\n"
    "export   writes every message:\n"
    "  --format eml   (the default) one .eml file per message, in folders named as in\n"
    "                 Outlook Express: OUTDIR/Inbox/00001 2003-05-12 Subject.eml.\n"
    "                 Every mail program opens .eml files; the file's time is the mail's.\n"
    "  --format mbox  Thunderbird's local folders: copy what OUTDIR holds into the\n"
    "                 \"Mail/Local Folders\" folder of a Thunderbird profile while\n"
    "                 Thunderbird is closed; it shows the tree at its next start.\n"
    "  --recover      also messages the store's index lost, or deleted ones whose\n"
    "                 blocks are still there, in a \"Recovered\" folder beside each\n"
    "                 folder's messages (incomplete ones say so in their names).\n"
    "  --codepage CP  the code page of the folder names: 932 (Japanese) or 1252\n"
    "                 (Western). Default: chosen from the names themselves, 932 on\n"
    "                 a Japanese Windows unless they are not Japanese (the output\n"
    "                 says which).\n"
    "         OUTDIR is made when it is missing. Nothing in it is removed or\n"
    "         overwritten: a name that is taken gets \" (2)\", so a second export\n"
    "         into the same folder goes beside the first.\n"
    "verify   checks a backup: every member of OL.lzh and WAB.lzh unpacks with its\n"
    "         checksum, OLbk1.reg reads, OLdate.bkd is whole, every store file's\n"
    "         index walks; with --against STOREDIR, every member equals the file of\n"
    "         that name in STOREDIR (check a fresh backup before the old PC goes).\n"
    "contacts the address book as one file: SOURCE is a backup folder (its WAB.lzh),\n"
    "         a WAB.lzh or a .wab file.\n"
    "  --format vcf   (the default) vCard 3.0 cards in UTF-8, which mail programs,\n"
    "                 phones and web address books import in one go; a contact's\n"
    "                 groups are its categories.\n"
    "  --format csv   a table with Outlook's column names (Outlook.com, Google\n"
    "                 Contacts and Thunderbird import it), UTF-8 that Excel reads.\n"
    "         OUTFILE is never overwritten: a name that is taken gets \" (2)\".\n"
    "\n"
    "Exit status: 0 everything was read, 1 something could not be (each one named\n"
    "before the summary), 2 bad usage or a SOURCE that is none of the four.\n";

int Usage(const std::string& why) {
    Err("qbmail: " + why + "\n\n");
    Err(kHelp);
    return 2;
}

// A code page given by number; 0 when it is not one qbmail reads.
unsigned ParseCodePage(const std::string& text) {
    if (text == "932" || text == "1252") return static_cast<unsigned>(std::atoi(text.c_str()));
    return 0;
}

// Shows progress on a terminal once the work has taken a second, at most a few times a second.
class Ticker {
public:
    bool due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return false;
        last_ = now;
        return true;
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_{};
};

int RunExport(const std::vector<std::string>& args) {
    mailout::ExportOptions o;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--format" && i + 1 < args.size()) {
            const std::string& f = args[++i];
            if (f == "eml") o.format = mailout::Format::Eml;
            else if (f == "mbox") o.format = mailout::Format::Mbox;
            else return Usage("--format takes eml or mbox, not " + f);
        } else if (a == "--recover") {
            o.recover = true;
        } else if (a == "--codepage" && i + 1 < args.size()) {
            o.codePage = ParseCodePage(args[++i]);
            if (!o.codePage) return Usage("--codepage takes 932 or 1252, not " + args[i]);
        } else if (a.starts_with("--")) {
            return Usage("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return Usage("export takes SOURCE and OUTDIR");
    o.source = positional[0];
    o.outDir = positional[1];
    std::atomic<bool> stop{false};
    CatchInterrupt(stop);
    o.cancel = &stop;
    ProgressLine line;
    Ticker ticker;
    o.progress = [&](const mailout::Progress& p) {
        if (ticker.due()) line.show(ProgressText(p));
    };
    o.problem = [&](const std::string& text) {
        line.clear();
        Err(text + "\n");
    };
    const mailout::ExportSummary s = mailout::Export(o);
    line.clear();
    Out(ExportSummaryText(s, o));
    return s.status;
}

int RunList(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    unsigned codePage = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--codepage" && i + 1 < args.size()) {
            codePage = ParseCodePage(args[++i]);
            if (!codePage) return Usage("--codepage takes 932 or 1252, not " + args[i]);
        } else if (args[i].starts_with("--")) {
            return Usage("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) return Usage("list takes one SOURCE");
    std::atomic<bool> stop{false};
    CatchInterrupt(stop);
    ProgressLine line;
    Ticker ticker;
    const mailout::Listing l = mailout::List(positional[0], codePage, &stop, [&](const std::string& what) {
        if (ticker.due()) line.show(what);
    });
    line.clear();
    for (const std::string& p : l.problems) Err(p + "\n");
    Out(ListingText(l));
    return l.status;
}

int RunVerify(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::string against;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--against" && i + 1 < args.size()) {
            against = args[++i];
        } else if (args[i].starts_with("--")) {
            return Usage("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) return Usage("verify takes one BACKUPDIR");
    std::atomic<bool> stop{false};
    CatchInterrupt(stop);
    ProgressLine line;
    Ticker ticker;
    const mailout::VerifyResult v = mailout::Verify(positional[0], against, &stop, [&](const std::string& what) {
        if (ticker.due()) line.show(what);
    });
    line.clear();
    for (const std::string& p : v.problems) Err(p + "\n");
    Out(VerifyText(v));
    return v.status;
}

int RunContacts(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    mailout::ContactsFormat format = mailout::ContactsFormat::Vcf;
    unsigned codePage = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--format" && i + 1 < args.size()) {
            const std::string& f = args[++i];
            if (f == "vcf") format = mailout::ContactsFormat::Vcf;
            else if (f == "csv") format = mailout::ContactsFormat::Csv;
            else return Usage("--format takes vcf or csv, not " + f);
        } else if (a == "--codepage" && i + 1 < args.size()) {
            codePage = ParseCodePage(args[++i]);
            if (!codePage) return Usage("--codepage takes 932 or 1252, not " + args[i]);
        } else if (a.starts_with("--")) {
            return Usage("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return Usage("contacts takes SOURCE and OUTFILE");
    const mailout::ContactsSummary s = mailout::ExportContacts(positional[0], positional[1], format, codePage);
    for (const std::string& p : s.problems) Err(p + "\n");
    Out(ContactsSummaryText(s));
    return s.status;
}

}  // namespace
}  // namespace qbmail

int main(int argc, char** argv) {
    using namespace qbmail;
    std::vector<std::string> args = Arguments(argc, argv);
    if (args.empty()) return Usage("no command");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        Out(kHelp);
        return 0;
    }
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            Out(kHelp);
            return 0;
        }
    if (command == "export") return RunExport(args);
    if (command == "list") return RunList(args);
    if (command == "verify") return RunVerify(args);
    if (command == "contacts") return RunContacts(args);
    return Usage("unknown command " + command);
}
