// make_mail_store OUTDIR SIZE_MIB [--inbox-mib N] [--seed S]: a large Outlook Express store for the
// mail export benchmark, written with the tests' store writer: Folders.dbx and about SIZE_MIB of
// message files (Inbox, Sent Items, Deleted Items, two sub-folders, an archive folder), tens of
// thousands of messages whose sizes run from short notes to attachments of a few MiB. With
// --inbox-mib, Inbox.dbx alone is made about that large (the memory test's 1.9 GiB file).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "dbx_writer.h"

namespace {

const char* kWords[] = {"meeting", "schedule", "invoice", "project", "deadline", "report", "budget", "Tokyo", "Osaka",
                        "Monday",  "draft",    "review",  "release", "server",   "backup", "printer", "please", "thanks",
                        "customer", "order",   "shipment", "contract", "update", "version", "network", "the", "and", "of"};

std::string Words(std::mt19937_64& rng, std::size_t bytes) {
    std::string s;
    std::size_t line = 0;
    while (s.size() < bytes) {
        const char* w = kWords[rng() % (sizeof kWords / sizeof *kWords)];
        s += w;
        line += std::char_traits<char>::length(w) + 1;
        if (line > 70) {
            s += "\r\n";
            line = 0;
        } else {
            s += ' ';
        }
    }
    return s + "\r\n";
}

std::string Base64(std::mt19937_64& rng, std::size_t bytes) {
    static const char k[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    for (std::size_t i = 0; i < bytes * 4 / 3; ++i) {
        s += k[rng() % 64];
        if (i % 76 == 75) s += "\r\n";
    }
    return s + "\r\n";
}

// One message of a size drawn as mail runs: most short, some with a document, few large.
dbxw::Message Mail(std::mt19937_64& rng, int n, std::int64_t when) {
    const unsigned pick = static_cast<unsigned>(rng() % 1000);
    std::size_t body = 1500 + rng() % 4500;
    std::size_t attachment = 0;
    if (pick >= 850) body = 8000 + rng() % 22000;
    if (pick >= 970) attachment = 30000 + rng() % 120000;
    if (pick >= 998) attachment = 1000000 + rng() % 1000000;
    char date[64];
    const std::time_t t = static_cast<std::time_t>(when);
    std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S +0000", std::gmtime(&t));
    dbxw::Message m;
    m.subject = "Report " + std::to_string(n);
    m.text = "From: \"Sender " + std::to_string(n % 97) + "\" <s" + std::to_string(n % 97) + "@example.org>\r\n" +
             "To: taro@example.jp\r\nSubject: " + (n % 5 == 0 ? "=?ISO-2022-JP?B?GyRCMnE1RCROJCpDTiRpJDsbKEI=?= " : "Re: ") +
             m.subject + "\r\nDate: " + date + "\r\nMessage-ID: <" + std::to_string(n) + "@example.org>\r\nMIME-Version: 1.0\r\n";
    if (attachment) {
        m.text += "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\nContent-Type: text/plain\r\n\r\n" + Words(rng, body) +
                  "--b1\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                  Base64(rng, attachment) + "--b1--\r\n";
    } else {
        m.text += "Content-Type: text/plain\r\n\r\n" + Words(rng, body);
    }
    m.sent = m.received = dbxw::FileTimeFromUnix(when);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_mail_store OUTDIR SIZE_MIB [--inbox-mib N] [--seed S]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::uint64_t total = std::strtoull(argv[2], nullptr, 10) << 20;
    std::uint64_t inbox = total * 45 / 100, seed = 1;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--inbox-mib") inbox = std::strtoull(argv[i + 1], nullptr, 10) << 20;
        if (std::string(argv[i]) == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    std::filesystem::create_directories(out);
    std::mt19937_64 rng(seed);
    std::vector<dbxw::Folder> folders = dbxw::StandardFolders();
    struct Plan {
        std::uint32_t id;
        std::uint64_t bytes;
    };
    for (const auto& [id, parent, name] : {std::tuple<std::uint32_t, std::uint32_t, const char*>{7, 2, "Projects"},
                                           {8, 7, "2001"}, {9, 1, "Archive 2000"}}) {
        dbxw::Folder f;
        f.id = id;
        f.parent = parent;
        f.name = name;
        f.file = f.name + ".dbx";
        folders.push_back(f);
    }
    const std::uint64_t rest = total > inbox ? total - inbox : 0;
    const std::vector<Plan> plan = {{2, inbox}, {3, 0}, {4, rest * 30 / 100}, {5, rest * 15 / 100}, {6, rest * 2 / 100},
                                    {7, rest * 13 / 100}, {8, rest * 10 / 100}, {9, rest * 30 / 100}};
    int n = 0;
    std::int64_t when = 946684800;  // 2000-01-01
    std::size_t messages = 0;
    for (const Plan& p : plan) {
        dbxw::Folder& f = folders[p.id];
        dbxw::MessageFile file;
        file.folderName = f.name;
        std::uint64_t bytes = 0;
        while (bytes < p.bytes) {
            file.messages.push_back(Mail(rng, ++n, when += 600 + static_cast<std::int64_t>(rng() % 7200)));
            bytes += file.messages.back().text.size() * 0x210 / 0x200 + 0x200;
        }
        f.messages = static_cast<std::uint32_t>(file.messages.size());
        messages += file.messages.size();
        if (!dbxw::WriteMessageFile(file).writeTo((out / f.file).string())) return 1;
        std::fprintf(stderr, "%s: %zu messages\n", f.file.c_str(), file.messages.size());
    }
    if (!dbxw::WriteFoldersFile(folders).writeTo((out / "Folders.dbx").string())) return 1;
    std::printf("%zu messages\n", messages);
    return 0;
}
