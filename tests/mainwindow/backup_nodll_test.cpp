// The backup when unlha32.dll cannot be found: both text files complete, the old archives gone,
// one message at each archive step.
#include "tests/mainwindow/backup_fixture.h"

#include "engine/backup.h"

namespace backuptest {
namespace {

TEST_F(BackupTest, MissingArchiverIsReportedAtEachArchiveStep) {
    const std::string bk = dir_.path() + "\\nodll";
    CreateDirectoryA(bk.c_str(), nullptr);
    dir_.WriteFile("nodll\\OL.lzh", "old");
    dir_.WriteFile("nodll\\WAB.lzh", "old");
    BackUp(bk, true);
    EXPECT_EQ(std::vector<std::wstring>(2, engine::kStepFailed), Texts());
    const auto files = Snapshot(bk);
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("Addressbook=1\r\n", files.at("OLdate.bkd").substr(files.at("OLdate.bkd").size() - 15));
    const std::string reg = files.at("OLbk1.reg");
    EXPECT_EQ("REGEDIT4 \r\n", reg.substr(0, 11));
    EXPECT_NE(std::string::npos, reg.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]"));
}

}  // namespace
}  // namespace backuptest
