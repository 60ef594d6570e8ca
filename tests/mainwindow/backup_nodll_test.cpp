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

namespace backuptest {
namespace {

TEST_F(BackupTest, MissingArchiverStopsTheRestoreWithItsReason) {
    const std::string bk = dir_.path() + "\\chosen";
    CreateDirectoryA(bk.c_str(), nullptr);
    dir_.WriteFile("chosen\\OLdate.bkd", "[main]\r\nUserID={BK-0001}\r\nstorroot=C:\\elsewhere\\\r\nAddressbook=0\r\n");
    dir_.WriteFile("chosen\\OL.lzh", "not read");
    dir_.WriteFile("chosen\\OLbk1.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities\\{BK-0001}]\r\n\"Username\"=\"X\"\r\n");
    Load();
    chosen_ = Widen(bk + "\\OLdate.bkd");
    form_->BkDDir_DblClick();
    const auto identity = DumpTree("Identities\\{BK-0001}");
    form_->Command2_Click();
    ASSERT_EQ(1u, Texts().size());
    EXPECT_NE(std::wstring::npos, shown_[0].text.find(L"unlha32.dll"));
    EXPECT_EQ(identity, DumpTree("Identities\\{BK-0001}"));
}

}  // namespace
}  // namespace backuptest
