// A backup through the main window's "Do" that fails part way over an earlier backup: the
// catch-all message shows; the earlier backup comes back when the new one could not restore the
// mail, and the store is as it was. A backup cut off part way is settled by the next one.
#include "tests/faults/fault_support.h"
#include "tests/mainwindow/backup_fixture.h"

#include "engine/backup.h"

#include <functional>

namespace backuptest {
namespace {

// Opens a file as another program would, with the given sharing; closed by the destructor.
class Held {
public:
    Held(const std::string& path, DWORD share, bool lockAll = false)
        : h_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr)) {
        EXPECT_NE(INVALID_HANDLE_VALUE, h_) << path;
        if (lockAll) {
            EXPECT_TRUE(LockFile(h_, 0, 0, MAXDWORD, 0));
        }
    }
    ~Held() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    HANDLE h_;
};

// Whether a byte-range lock stops reads through another handle: on Windows it does; Wine 8 takes
// no notice, and the backup then reads the file whole.
bool LockStopsReads(const std::string& path) {
    Held locked(path, FILE_SHARE_READ | FILE_SHARE_WRITE, true);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    char byte;
    DWORD got = 0;
    const bool read = ReadFile(h, &byte, 1, &got, nullptr) && got == 1;
    CloseHandle(h);
    return !read;
}

// What the folder holds after a backup over an earlier one.
enum class After { kNew, kEarlier, kNewWithoutBook };

TEST_F(BackupTest, FailedBackupKeepsTheEarlierOneOnlyWhenTheMailCannotComeBack) {
    struct Row {
        const char* what;
        // Sets the fault up; what it returns undoes it after the backup.
        std::function<std::function<void()>(const std::string& bk)> fault;
        After after;
    };
    const std::string away = dir_.path() + "\\Store Folder away";
    const bool lockStopsReads = LockStopsReads(store_ + "\\Inbox.dbx");
    const std::wstring book = Widen(wabFile_);
    const Row rows[] = {
        {"earlier OL.lzh open without sharing",
         [](const std::string& bk) {
             auto held = std::make_shared<Held>(bk + "\\OL.lzh", 0);
             return [held]() mutable { held.reset(); };
         },
         After::kEarlier},
        {"store folder gone",
         [&](const std::string&) {
             EXPECT_TRUE(MoveFileA(store_.c_str(), away.c_str()));
             return [&] { EXPECT_TRUE(MoveFileA(away.c_str(), store_.c_str())); };
         },
         After::kEarlier},
        {"store file open without sharing",
         [&](const std::string&) {
             auto held = std::make_shared<Held>(store_ + "\\Inbox.dbx", 0);
             return [held]() mutable { held.reset(); };
         },
         After::kEarlier},
        {"store file locked",
         [&](const std::string&) {
             auto held = std::make_shared<Held>(store_ + "\\Inbox.dbx", FILE_SHARE_READ | FILE_SHARE_WRITE, true);
             return [held]() mutable { held.reset(); };
         },
         lockStopsReads ? After::kEarlier : After::kNew},
        // Without a fault the same backup replaces the earlier one: the checks above can fail.
        {"no fault", [](const std::string&) { return [] {}; }, After::kNew},
        {"earlier files read-only",
         [](const std::string& bk) {
             for (const char* name : {"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"})
                 SetFileAttributesA((bk + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
             return [] {};
         },
         After::kNew},
        // The box still ticked from the day before: the new mail is saved all the same.
        {"no address book registered",
         [&](const std::string&) {
             wab_.Remove();
             return [&] { profiletest::SetText(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB\\WAB4\\Wab File Name", L"", book); };
         },
         After::kNewWithoutBook},
        {"address book file gone",
         [&](const std::string&) {
             EXPECT_TRUE(MoveFileA(wabFile_.c_str(), (wabFile_ + " away").c_str()));
             return [&] { EXPECT_TRUE(MoveFileA((wabFile_ + " away").c_str(), wabFile_.c_str())); };
         },
         After::kNewWithoutBook},
    };
    Load();
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string bk = dir_.path() + "\\earlier" + std::to_string(n++);
        BackUp(bk, true);
        ASSERT_TRUE(shown_.empty());
        // Mail, settings, a book and a store root since the earlier backup, so that every file
        // of a new backup differs from the earlier one's.
        const std::string since = "since " + std::to_string(n);
        dir_.WriteFile("Store Folder\\Inbox.dbx", since);
        dir_.WriteFile("Taro Book.wab", since);
        const std::string id = std::string("Identities\\") + kKey;
        testsupport::SetRawValue(id, "Username", REG_SZ, since + '\0');
        testsupport::SetRawValue(id + "\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", REG_SZ,
                                 store_ + "\\" + since + '\0');
        const auto earlier = Snapshot(bk);
        const auto store = Snapshot(store_);

        answers_ = {IDYES};
        std::function<void()> undo = r.fault(bk);
        BackUp(bk, true);
        undo();

        const std::vector<std::wstring> texts = Texts();
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(engine::kOverwriteQuestion, texts[0]);
        const bool fails = r.after != After::kNew;
        EXPECT_EQ(fails, texts.size() > 1);
        if (r.after == After::kNewWithoutBook) {
            EXPECT_EQ(2u, texts.size());
        }
        for (std::size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(engine::kStepFailed, texts[i]);
        EXPECT_EQ(store, Snapshot(store_));
        const auto now = Snapshot(bk);
        if (r.after == After::kEarlier) {
            EXPECT_EQ(earlier, now);
        } else {
            // The new backup stands whole; with no address book made, none is claimed or kept.
            const bool book = r.after == After::kNew;
            std::vector<std::string> names;
            for (const auto& [name, bytes] : now) names.push_back(name);
            std::vector<std::string> want = {"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"};
            if (!book) want.pop_back();
            EXPECT_EQ(want, names);
            for (const auto& [name, bytes] : now) EXPECT_NE(earlier.at(name), bytes) << name;
            const std::string& info = now.count("OLdate.bkd") ? now.at("OLdate.bkd") : "";
            EXPECT_TRUE(info.ends_with(book ? "\r\nAddressbook=1\r\n" : "\r\nAddressbook=0\r\n")) << info;
        }
        shown_.clear();
    }
}

TEST_F(BackupTest, CutOffBackupIsSettledByTheNextOneIntoItsFolder) {
    // What a backup cut off at some point left beside the earlier backup E: files set aside
    // (.qbkeep: E's own, .qbnone: E had none) and new ones, whole or half written.
    using Files = std::map<std::string, std::string>;
    struct Row {
        const char* what;
        bool earlierBook;  // E holds WAB.lzh
        Files left;        // the folder as left, E's files named by "E:" + their name
        bool earlierBack;  // E comes back; otherwise the new files stay
    };
    const Row rows[] = {
        {"cut off packing the store", true,
         {{"OLbk1.reg", "new"}, {"OLdate.bkd", "new"}, {"qbz1A2B.tmp", "half"}, {"OLbk1.reg.qbkeep", "E:OLbk1.reg"},
          {"OLdate.bkd.qbkeep", "E:OLdate.bkd"}, {"OL.lzh.qbkeep", "E:OL.lzh"}, {"WAB.lzh.qbkeep", "E:WAB.lzh"}},
         true},
        {"cut off between the settings and the information file", true,
         {{"OLbk1.reg", "new"}, {"OLbk1.reg.qbkeep", "E:OLbk1.reg"}, {"OLdate.bkd", "E:OLdate.bkd"},
          {"OL.lzh", "E:OL.lzh"}, {"WAB.lzh", "E:WAB.lzh"}},
         true},
        {"cut off packing an address book the earlier backup lacked", false,
         {{"OLbk1.reg", "new"}, {"OLdate.bkd", "new"}, {"OL.lzh", "new"}, {"WAB.lzh", "half"},
          {"OLbk1.reg.qbkeep", "E:OLbk1.reg"}, {"OLdate.bkd.qbkeep", "E:OLdate.bkd"}, {"OL.lzh.qbkeep", "E:OL.lzh"},
          {"WAB.lzh.qbnone", ""}},
         true},
        {"cut off putting the earlier backup back", true,
         {{"OLbk1.reg", "new"}, {"OLdate.bkd", "new"}, {"OLbk1.reg.qbkeep", "E:OLbk1.reg"},
          {"OLdate.bkd.qbkeep", "E:OLdate.bkd"}, {"OL.lzh", "E:OL.lzh"}, {"WAB.lzh", "E:WAB.lzh"}},
         true},
        {"cut off removing the earlier files of a whole backup", true,
         {{"OLbk1.reg", "new"}, {"OLdate.bkd", "new"}, {"OL.lzh", "new"}, {"WAB.lzh", "new"},
          {"OLdate.bkd.qbkeep", "E:OLdate.bkd"}, {"OL.lzh.qbkeep", "E:OL.lzh"}, {"WAB.lzh.qbkeep", "E:WAB.lzh"}},
         false},
    };
    Load();
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string bk = dir_.path() + "\\cut" + std::to_string(n++);
        BackUp(bk, r.earlierBook);
        ASSERT_TRUE(shown_.empty());
        const Files earlier = Snapshot(bk);
        for (const auto& [name, bytes] : earlier) ASSERT_TRUE(DeleteFileA((bk + "\\" + name).c_str()));
        Files newFiles;
        for (const auto& [name, bytes] : r.left) {
            const bool fromE = bytes.starts_with("E:");
            faults::Write(bk + "\\" + name, fromE ? earlier.at(bytes.substr(2)) : bytes);
            if (!fromE && name.find(".qb") == std::string::npos) newFiles[name] = bytes;
        }

        // Settled before the question: "No" leaves the folder as the settling made it.
        answers_ = {IDNO};
        BackUp(bk, true);
        EXPECT_EQ((std::vector<std::wstring>{engine::kOverwriteQuestion, engine::kChooseNewFolder}), Texts());
        EXPECT_EQ(r.earlierBack ? earlier : newFiles, Snapshot(bk));
        // And the next backup into it is whole, with nothing left beside it.
        shown_.clear();
        BackUp(bk, true);
        EXPECT_EQ(std::vector<std::wstring>{engine::kOverwriteQuestion}, Texts());
        std::vector<std::string> names;
        for (const auto& [name, bytes] : Snapshot(bk)) names.push_back(name);
        EXPECT_EQ((std::vector<std::string>{"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"}), names);
        shown_.clear();
    }
}

}  // namespace
}  // namespace backuptest
