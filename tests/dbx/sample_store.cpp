// The demo's store, made by the test writer: see sample_store.h.
#include "sample_store.h"

#include <cstdio>
#include <string>
#include <vector>

#include "dbx_writer.h"
#include "sample_mail.h"

namespace {

using sample::Kind;

// One message folder: its folder info and message file.
struct Folder {
    dbxw::Folder info;
    std::string diskName;           // the file's name here (UTF-8)
    dbxw::MessageFile file;
};

// Adds count messages sent from start on, about every step seconds; decide sets each one's
// options, fate and watch. Freed messages (Fate::Deleted) are not counted in the folder info.
template <typename Decide>
void fill(Folder& f, int count, std::int64_t start, std::int64_t step, std::uint32_t seedBase, Decide decide) {
    std::int64_t when = start;
    for (int i = 0; i < count; ++i) {
        sample::MailOptions o;
        o.seed = seedBase + static_cast<std::uint32_t>(i);
        o.when = when;
        dbxw::Message::Fate fate = dbxw::Message::Fate::Indexed;
        bool watched = false;
        decide(i, o, fate, watched);
        dbxw::Message m = sample::MakeMail(o);
        m.fate = fate;
        m.watched = watched;
        if (fate != dbxw::Message::Fate::Deleted) {
            ++f.info.messages;
            if (!o.read) ++f.info.unread;
        }
        f.file.messages.push_back(std::move(m));
        when += step / 2 + static_cast<std::int64_t>((o.seed * 2654435761U) % static_cast<std::uint32_t>(step));
    }
}

// A local folder with no messages yet; its message file records the folder's name.
Folder makeFolder(const dbxw::Folder& info, const std::string& diskName) {
    Folder f;
    f.info = info;
    f.diskName = diskName;
    f.file.folderName = info.name;
    f.file.sourceType = 3;
    return f;
}

// Writes the image to path; reports a failure on stderr.
bool write(const dbxw::Image& image, const std::filesystem::path& path) {
    if (image.writeTo(path.string())) return true;
    std::fprintf(stderr, "make_sample_store: cannot write %s\n", path.string().c_str());
    return false;
}

}  // namespace

namespace sample {

std::vector<SampleFolder> WriteSampleStore(const std::filesystem::path& out) {
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "make_sample_store: cannot create %s\n", out.string().c_str());
        return {};
    }

    std::vector<dbxw::Folder> standard = dbxw::StandardFolders();
    std::vector<Folder> folders;
    folders.reserve(8);
    for (std::size_t i = 2; i < standard.size(); ++i) folders.push_back(makeFolder(standard[i], standard[i].file));
    Folder& inbox = folders[0];
    Folder& outbox = folders[1];
    Folder& sent = folders[2];
    Folder& deleted = folders[3];
    Folder& drafts = folders[4];
    (void)outbox;  // stays empty: nothing waits to be sent

    const std::int64_t oct2000 = 970444800;  // 2000-10-02 00:00 UTC
    const std::int64_t hour = 3600;

    // Inbox: mostly English, every seventh Japanese, three long reports and one attachment;
    // the newest ones unread, a few threads watched, and six messages the user deleted
    // (moved to Deleted Items), whose blocks stay behind as free space.
    fill(inbox, 206, oct2000, 26 * hour, 1000, [](int i, sample::MailOptions& o, auto& fate, bool& watched) {
        o.kind = i % 7 == 3 ? Kind::Japanese : Kind::English;
        if (i == 40 || i == 121 || i == 180) o.kind = Kind::Long;
        if (i == 77) o.kind = Kind::Attachment;
        o.reply = i % 4 == 1;
        o.read = i < 190 && i % 29 != 11;
        watched = i % 23 == 5;
        if (i % 35 == 10) fate = dbxw::Message::Fate::Deleted;
    });
    fill(sent, 45, oct2000 + 5 * hour, 140 * hour, 5000, [](int i, sample::MailOptions& o, auto&, bool&) {
        o.outgoing = true;
        o.kind = i % 5 == 2 ? Kind::Japanese : (i == 30 ? Kind::Long : Kind::English);
        o.reply = i % 2 == 0;
    });
    fill(deleted, 30, oct2000 + 9 * hour, 200 * hour, 7000, [](int i, sample::MailOptions& o, auto&, bool&) {
        o.kind = i % 6 == 4 ? Kind::Japanese : Kind::English;
    });
    deleted.file.shuffleSeed = 0x5EED;  // a folder in long use: blocks of different messages interleave
    fill(drafts, 3, 994000000, 30 * hour, 9000, [](int i, sample::MailOptions& o, auto&, bool&) {
        o.outgoing = true;
        o.draft = true;
        o.kind = i == 1 ? Kind::Japanese : Kind::English;
    });

    // Projects under Inbox, 2001 under Projects, and the Japanese folder under Local Folders.
    Folder projects = makeFolder({7, 2, "Projects", "Projects.dbx", "", 0, 3, 0, 0, 0}, "Projects.dbx");
    fill(projects, 25, oct2000 + 50 * hour, 90 * hour, 11000, [](int i, sample::MailOptions& o, auto&, bool& watched) {
        o.reply = i % 3 != 0;
        o.kind = i == 12 ? Kind::Long : Kind::English;
        watched = i < 4;
    });
    Folder year = makeFolder({8, 7, "2001", "2001.dbx", "", 0, 3, 0, 0, 0}, "2001.dbx");
    fill(year, 12, 978307200 + 40 * hour, 300 * hour, 13000, [](int, sample::MailOptions&, auto&, bool&) {});
    const std::string jname = sample::JapaneseFolderCp932();
    Folder customers = makeFolder({9, 1, jname, "Customers.dbx", "", 0, 3, 0, 0, 0}, "Customers.dbx");
    customers.file.folderName = "Customers";
    fill(customers, 18, oct2000 + 70 * hour, 160 * hour, 15000, [](int i, sample::MailOptions& o, auto&, bool&) {
        o.kind = i % 4 == 3 ? Kind::English : Kind::Japanese;
        o.reply = i % 3 == 1;
        o.read = i < 16;
    });
    folders.push_back(std::move(projects));
    folders.push_back(std::move(year));
    folders.push_back(std::move(customers));

    std::vector<dbxw::Folder> infos(standard.begin(), standard.begin() + 2);
    bool ok = true;
    for (Folder& f : folders) {
        infos.push_back(f.info);
        ok = write(dbxw::WriteMessageFile(f.file), out / f.diskName) && ok;
    }
    ok = write(dbxw::WriteFoldersFile(infos), out / "Folders.dbx") && ok;
    ok = write(dbxw::WritePop3uidlFile(), out / "Pop3uidl.dbx") && ok;
    if (!ok) return {};
    // What an export gives back: each folder's indexed messages, under its path from the top.
    const char* paths[] = {"Inbox", "Outbox", "Sent Items", "Deleted Items", "Drafts", "Inbox/Projects",
                           "Inbox/Projects/2001", nullptr};
    std::vector<SampleFolder> made;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        SampleFolder f;
        f.path = paths[i] ? paths[i] : JapaneseFolderUtf8();
        for (const dbxw::Message& m : folders[i].file.messages)
            if (m.fate == dbxw::Message::Fate::Indexed) f.texts.push_back(m.text);
        made.push_back(std::move(f));
    }
    return made;
}

}  // namespace sample
