// A backup through the main window's "Do" that fails part way over an earlier backup: the
// catch-all message shows, and the earlier backup and the store are as they were.
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

TEST_F(BackupTest, FailedBackupKeepsTheEarlierOneAndSaysSo) {
    struct Row {
        const char* what;
        // Sets the fault up; what it returns undoes it after the backup.
        std::function<std::function<void()>(const std::string& bk)> fault;
        bool fails;
    };
    const std::string away = dir_.path() + "\\Store Folder away";
    const bool lockStopsReads = LockStopsReads(store_ + "\\Inbox.dbx");
    const Row rows[] = {
        {"earlier OL.lzh open without sharing",
         [](const std::string& bk) {
             auto held = std::make_shared<Held>(bk + "\\OL.lzh", 0);
             return [held]() mutable { held.reset(); };
         },
         true},
        {"store folder gone",
         [&](const std::string&) {
             EXPECT_TRUE(MoveFileA(store_.c_str(), away.c_str()));
             return [&] { EXPECT_TRUE(MoveFileA(away.c_str(), store_.c_str())); };
         },
         true},
        {"store file open without sharing",
         [&](const std::string&) {
             auto held = std::make_shared<Held>(store_ + "\\Inbox.dbx", 0);
             return [held]() mutable { held.reset(); };
         },
         true},
        {"store file locked",
         [&](const std::string&) {
             auto held = std::make_shared<Held>(store_ + "\\Inbox.dbx", FILE_SHARE_READ | FILE_SHARE_WRITE, true);
             return [held]() mutable { held.reset(); };
         },
         lockStopsReads},
        // Without a fault the same backup replaces the earlier one: the checks above can fail.
        {"no fault", [](const std::string&) { return [] {}; }, false},
        {"earlier files read-only",
         [](const std::string& bk) {
             for (const char* name : {"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"})
                 SetFileAttributesA((bk + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
             return [] {};
         },
         false},
    };
    Load();
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string bk = dir_.path() + "\\earlier" + std::to_string(n++);
        BackUp(bk, true);
        ASSERT_TRUE(shown_.empty());
        // Mail, settings and a book since the earlier backup, so that a new backup would differ.
        const std::string since = "since " + std::to_string(n);
        dir_.WriteFile("Store Folder\\Inbox.dbx", since);
        dir_.WriteFile("Taro Book.wab", since);
        testsupport::SetRawValue(std::string("Identities\\") + kKey, "Username", REG_SZ, since + '\0');
        const auto earlier = Snapshot(bk);
        const auto store = Snapshot(store_);

        answers_ = {IDYES};
        std::function<void()> undo = r.fault(bk);
        BackUp(bk, true);
        undo();

        const std::vector<std::wstring> texts = Texts();
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(engine::kOverwriteQuestion, texts[0]);
        EXPECT_EQ(r.fails, texts.size() > 1);
        for (std::size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(engine::kStepFailed, texts[i]);
        EXPECT_EQ(store, Snapshot(store_));
        if (r.fails) {
            EXPECT_EQ(earlier, Snapshot(bk));
        } else {
            const auto now = Snapshot(bk);
            EXPECT_EQ(4u, now.size());
            for (const char* name : {"OL.lzh", "OLbk1.reg", "WAB.lzh"})
                EXPECT_NE(earlier.at(name), now.at(name)) << name;
        }
        shown_.clear();
    }
}

}  // namespace
}  // namespace backuptest
