#include "mailout/book_export.h"

#include "mailout/contacts.h"
#include "mailout/fs.h"
#include "mailout/names.h"
#include "mailout/source.h"
#include "mailout/store.h"

namespace mailout {

namespace {

// The .wab member of an address book archive, read into memory or a scratch file.
Opened OpenArchivedBook(const std::string& archive, std::vector<std::string>& problems) {
    std::string why;
    std::unique_ptr<Store> store = OpenArchiveStore(archive, why);
    if (!store) {
        problems.push_back(fs::BaseName(archive) + ": " + why);
        return {};
    }
    for (const std::string& p : store->problems()) problems.push_back(fs::BaseName(archive) + ": " + p);
    for (std::size_t i = 0; i < store->entries().size(); ++i) {
        if (!EndsWithNoCase(store->entries()[i].name, ".wab")) continue;
        Opened o = store->open(i);
        if (!o.problem.empty()) problems.push_back(fs::BaseName(archive) + ": " + store->entries()[i].name + " " + o.problem);
        return o;
    }
    problems.push_back(fs::BaseName(archive) + " holds no address book (.wab)");
    return {};
}

}  // namespace

LoadedBook LoadBook(const std::string& source, unsigned codePage) {
    LoadedBook out;
    Opened opened;
    switch (fs::TypeOf(source)) {
        case fs::Type::Directory: {
            const SourceInfo s = ClassifySource(source);
            if (s.kind != SourceKind::BackupFolder) {
                out.status = 2;
                out.problems.push_back(source + ": not a backup folder (it holds no OLdate.bkd)");
                return out;
            }
            if (s.bookArchive.empty()) {
                out.status = 1;
                out.problems.push_back("the backup holds no address book: it was made without \"BackUp Addressbook\"");
                return out;
            }
            opened = OpenArchivedBook(s.bookArchive, out.problems);
            break;
        }
        case fs::Type::File:
            if (EndsWithNoCase(source, ".lzh")) {
                opened = OpenArchivedBook(source, out.problems);
            } else if (EndsWithNoCase(source, ".wab")) {
                auto file = std::make_unique<fs::InFile>();
                if (file->open(source))
                    opened.source = std::move(file);
                else
                    out.problems.push_back(source + " cannot be opened");
            } else {
                out.status = 2;
                out.problems.push_back(source + ": neither a backup folder, a WAB.lzh nor a .wab file");
                return out;
            }
            break;
        default:
            out.status = 2;
            out.problems.push_back(source + ": there is no such file or folder");
            return out;
    }
    if (opened.source) {
        out.book = wab::ReadBook(*opened.source, codePage, fs::SystemCodePage());
        if (!out.book.error.empty()) out.problems.push_back(out.book.error);
        for (const std::string& p : out.book.problems) out.problems.push_back(p);
        if (out.book.problemCount > out.book.problems.size())
            out.problems.push_back(std::to_string(out.book.problemCount - out.book.problems.size()) + " more problems");
    }
    if (!out.problems.empty()) out.status = 1;
    return out;
}

ContactsSummary ExportContacts(const std::string& source, const std::string& outFile, ContactsFormat format, unsigned codePage) {
    ContactsSummary s;
    LoadedBook loaded = LoadBook(source, codePage);
    s.status = loaded.status;
    s.problems = std::move(loaded.problems);
    if (s.status == 2 || !loaded.book.error.empty() || (s.status == 1 && loaded.book.contacts.empty() && loaded.book.groups.empty()))
        return s;
    const wab::Book& book = loaded.book;
    s.contacts = ExportedContacts(book).size();
    s.groups = book.groups.size();
    s.skipped = book.skippedRecords + book.skippedProperties;
    s.codePage = book.codePage;
    s.codePageGuessed = book.codePageGuessed;
    const std::string text = format == ContactsFormat::Vcf ? VCards(book) : ContactsCsv(book);
    // Never over a file that is there: "contacts.vcf" taken gives "contacts (2).vcf".
    const std::string dir = fs::DirName(outFile), base = fs::BaseName(outFile);
    const std::size_t dot = base.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
    const std::string extension = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    for (unsigned n = 1; n < 10000; ++n) {
        const std::string path = n == 1 ? outFile : fs::Join(dir, Numbered(stem, extension, n));
        fs::OutFile out;
        const fs::Made made = out.create(path);
        if (made == fs::Made::Exists) continue;
        if (made == fs::Made::Created && out.write(text.data(), text.size()) && out.finish()) {
            s.written = path;
            return s;
        }
        s.problems.push_back("cannot write " + path);
        break;
    }
    if (s.written.empty() && s.problems.empty()) s.problems.push_back("no free name beside " + outFile);
    s.status = 1;
    return s;
}

}  // namespace mailout
