// The backup when unlha32.dll cannot be found: one message at each archive step; in a new folder
// both text files complete (no address book claimed), over earlier archives the folder as it was.
#include "tests/mainwindow/backup_fixture.h"

#include "engine/backup.h"

namespace backuptest {
namespace {

TEST_F(BackupTest, MissingArchiverIsReportedAtEachArchiveStep) {
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "earlier archives" : "new folder");
        const std::string bk = dir_.path() + (earlier ? "\\nodll" : "\\nodll new");
        CreateDirectoryA(bk.c_str(), nullptr);
        if (earlier) {
            dir_.WriteFile("nodll\\OL.lzh", "old");
            dir_.WriteFile("nodll\\WAB.lzh", "old");
        }
        const auto before = Snapshot(bk);
        shown_.clear();
        BackUp(bk, true);
        EXPECT_EQ(std::vector<std::wstring>(2, engine::kStepFailed), Texts());
        const auto files = Snapshot(bk);
        if (earlier) {
            // No new archive could be made, so the earlier ones are put back.
            EXPECT_EQ(before, files);
            continue;
        }
        ASSERT_EQ(2u, files.size());
        // No WAB.lzh was made, so the information file does not claim one.
        EXPECT_EQ("Addressbook=0\r\n", files.at("OLdate.bkd").substr(files.at("OLdate.bkd").size() - 15));
        const std::string reg = files.at("OLbk1.reg");
        EXPECT_EQ("REGEDIT4 \r\n", reg.substr(0, 11));
        EXPECT_NE(std::string::npos, reg.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]"));
    }
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
