// A backup through the main window's "Do" onto a medium that fills up while OL.lzh is written,
// and into a read-only folder, each over an earlier backup: the catch-all message shows and the
// earlier backup and the store are as they were. on_small_media.sh maps the drives.
#include "tests/faults/fault_support.h"
#include "tests/mainwindow/backup_fixture.h"

#include "engine/backup.h"

namespace backuptest {
namespace {

TEST_F(BackupTest, FullOrReadOnlyMediumKeepsTheEarlierBackup) {
    for (const char* drive : {"Q:\\", "R:\\", "S:\\"})
        if (GetFileAttributesA(drive) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << drive << " is not mapped: run through tests/faults/on_small_media.sh (root)";
    struct Row {
        const char* what;
        std::string earlierIn, backUpTo;  // the same folder, seen through two drives for read-only
    };
    const Row rows[] = {
        {"medium fills up during OL.lzh", "Q:\\bk", "Q:\\bk"},  // 768 KiB
        {"read-only folder", "R:\\bk", "S:\\bk"},
    };
    Load();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        dir_.WriteFile("Store Folder\\Inbox.dbx", "small mail");
        BackUp(r.earlierIn, true);
        ASSERT_TRUE(shown_.empty());
        // A megabyte of mail that does not compress: the new OL.lzh does not fit on Q:.
        dir_.WriteFile("Store Folder\\Inbox.dbx", faults::Junk(1 << 20));
        const auto earlier = Snapshot(r.earlierIn);
        ASSERT_EQ(4u, earlier.size());
        const auto store = Snapshot(store_);

        answers_ = {IDYES};
        BackUp(r.backUpTo, true);
        const std::vector<std::wstring> texts = Texts();
        ASSERT_LE(2u, texts.size());
        EXPECT_EQ(engine::kOverwriteQuestion, texts[0]);
        for (std::size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(engine::kStepFailed, texts[i]);
        EXPECT_EQ(earlier, Snapshot(r.earlierIn));
        EXPECT_EQ(store, Snapshot(store_));
        shown_.clear();
    }
}

}  // namespace
}  // namespace backuptest
