// What the fault tables share: crafted archives and junk, copies of a backup folder, and the
// user's data (store, the restored trees, what lies around them, the address book) read whole.
#pragma once

#include "lha/writer.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace faults {

inline void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// "Store Root" as a restore into `store` leaves it: upper-cased, one backslash after.
inline std::string RestoredRoot(std::string store) {
    CharUpperBuffA(store.data(), static_cast<DWORD>(store.size()));
    return "1:" + store + "\\" + '\0';
}

inline bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// Bytes that are no settings, information file or archive: a fixed pseudo-random run.
inline std::string Junk(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned seed = 12345;
    for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 23);
    return bytes;
}

// Settings files that do not read as a registry file, each made from a good one.
struct BadSettings {
    const char* what;
    std::string (*make)(const std::string& good);
};
inline const BadSettings kBadSettings[] = {
    {"10 MB of junk", [](const std::string&) { return Junk(10 << 20); }},
    {"cut short inside a line",
     [](const std::string& good) {
         std::string cut = good.substr(0, good.size() * 2 / 3);
         while (cut.ends_with('\n') || cut.ends_with('\r')) cut.pop_back();
         return cut;
     }},
    {"UTF-16 with a byte-order mark",
     [](const std::string& good) {
         std::wstring wide(good.size(), L'\0');
         wide.resize(MultiByteToWideChar(CP_ACP, 0, good.data(), static_cast<int>(good.size()), wide.data(),
                                         static_cast<int>(wide.size())));
         return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
     }},
};

// An archive of the given (member name, data) pairs, names stored as given; the writer itself
// refuses only empty components, so names that climb out go in as they are.
inline std::string Archive(const std::vector<std::pair<std::string, std::string>>& members) {
    lha::MemoryOutput out;
    lha::WriterOptions options;
    options.threads = 1;
    lha::ArchiveWriter writer(out, options);
    for (const auto& [name, data] : members) {
        lha::MemberInfo info;
        info.path = name;
        const std::string* bytes = &data;
        EXPECT_EQ(lha::Error::Ok, writer.addFile(info, [bytes] {
            return std::make_unique<lha::MemoryInput>(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                                                      bytes->size());
        })) << name;
    }
    EXPECT_EQ(lha::Error::Ok, writer.finish());
    return std::string(out.bytes().begin(), out.bytes().end());
}

// Copies the files of `from` (no subfolders) into a new folder `to`.
inline void CopyFolder(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    for (const auto& [name, bytes] : testsupport::Snapshot(from)) Write(to + "\\" + name, bytes);
}

// The user's data that no failed backup or restore may change.
struct UserState {
    UserState(const std::string& store, const std::string& book)
        : store(testsupport::Snapshot(store)),
          identities(testsupport::DumpTree("Identities")),
          accounts(testsupport::DumpTree("Software\\Microsoft\\Internet Account Manager")),
          run(testsupport::DumpTree("Software\\Microsoft\\Windows\\CurrentVersion\\Run")),
          book(testsupport::ReadBytes(book)) {}
    void ExpectSame(const UserState& now) const {
        EXPECT_EQ(store, now.store);
        EXPECT_EQ(identities, now.identities);
        EXPECT_EQ(accounts, now.accounts);
        EXPECT_EQ(run, now.run);
        EXPECT_EQ(book, now.book);
    }
    std::map<std::string, std::string> store, identities, accounts, run;
    std::string book;
};

}  // namespace faults
