// Seeds for the store reader's fuzzer: small files of each kind the reader meets, written by the
// test writer (a folder list, a two-level message file with watched, lost and freed messages).
#include <cstdio>
#include <string>

#include "dbx_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    dbxw::MessageFile in;
    in.fanout = 2;
    for (int i = 0; i < 6; ++i) {
        dbxw::Message m;
        m.text = "Subject: seed " + std::to_string(i) + "\r\n\r\n" + std::string(i == 2 ? 700 : 40, 'x') + "\r\n";
        m.watched = i == 1;
        m.fate = i == 4 ? dbxw::Message::Fate::Deleted : i == 5 ? dbxw::Message::Fate::Unindexed : dbxw::Message::Fate::Indexed;
        in.messages.push_back(m);
    }
    bool ok = dbxw::WriteMessageFile(in).writeTo(dir + "/messages.dbx");
    ok = dbxw::WriteFoldersFile(dbxw::StandardFolders(), 2).writeTo(dir + "/folders.dbx") && ok;
    return ok ? 0 : 1;
}
