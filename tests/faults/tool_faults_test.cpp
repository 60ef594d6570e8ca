// The restore tool's "Do" on a backup folder whose information file is junk: it stops before
// anything changes and says why, before any question. A settings file that does not read is left
// out without a question, and the mail comes back.
#include "tests/faults/fault_support.h"
#include "tests/restoretool/tool_fixture.h"

namespace tooltest {
namespace {

TEST_F(ToolTest, JunkInformationFileChangesNothingAndSaysWhy) {
    struct Row {
        const char* what;
        const char* file;
        std::size_t size;
        const wchar_t* says;
    };
    const Row rows[] = {
        {"information file of binary junk", "OLdate.bkd", 4096, L"復元先のフォルダー"},
    };
    const std::string bk = dir_.path() + "\\bk";
    BackUp(bk);
    dir_.WriteFile("Store Folder\\Inbox.dbx", "newer mail");
    testsupport::SetRawValue(idKey, "Username", REG_SZ, std::string("Renamed") + '\0');
    dir_.WriteFile("Taro Book.wab", "newer book");
    const faults::UserState before(store_, wabFile_);
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string folder = dir_.path() + "\\row" + std::to_string(n++);
        faults::CopyFolder(bk, folder);
        faults::Write(folder + "\\" + r.file, faults::Junk(r.size));
        shown_.clear();
        Start(folder);
        form_->Check1.SetValue(1);
        form_->Command2_Click();
        EXPECT_EQ(1u, shown_.size());
        if (!shown_.empty()) {
            EXPECT_TRUE(faults::Contains(shown_[0].text, r.says)) << shown_[0].text;
            EXPECT_TRUE(faults::Contains(shown_[0].text, L"変更されていません")) << shown_[0].text;
        }
        before.ExpectSame(faults::UserState(store_, wabFile_));
    }
}

TEST_F(ToolTest, SettingsFileThatDoesNotReadIsLeftOutAndTheMailComesBack) {
    const std::string bk = dir_.path() + "\\bk";
    BackUp(bk);
    const auto backedUp = Snapshot(store_);
    const std::string good = ReadBytes(bk + "\\OLbk1.reg");
    testsupport::SetRawValue(idKey, "Username", REG_SZ, std::string("Renamed") + '\0');
    testsupport::SetRawValue(accountKey + "\\Accounts\\00000001", "Account Name", REG_SZ,
                             std::string("changed.example.org") + '\0');
    auto identity = DumpTree(idKey);
    identity["\\Software\\Microsoft\\Outlook Express\\5.0|Store Root"] = faults::RestoredRoot(store_);
    const auto accounts = DumpTree(accountKey);
    int n = 0;
    for (const faults::BadSettings& bad : faults::kBadSettings) {
        SCOPED_TRACE(bad.what);
        const std::string folder = dir_.path() + "\\settings" + std::to_string(n++);
        faults::CopyFolder(bk, folder);
        faults::Write(folder + "\\OLbk1.reg", bad.make(good));
        dir_.WriteFile("Store Folder\\Inbox.dbx", "newer mail");
        shown_.clear();
        Start(folder);
        form_->Command2_Click();
        ASSERT_EQ(1u, shown_.size());
        for (const std::wstring& part : {std::wstring(L"設定ファイルの形式"), std::wstring(L"変更されていません"), Widen(folder + "\\OLbk1.reg")})
            EXPECT_TRUE(faults::Contains(shown_[0].text, part)) << shown_[0].text;
        EXPECT_EQ(backedUp, Snapshot(store_));
        EXPECT_EQ(identity, DumpTree(idKey));
        EXPECT_EQ(accounts, DumpTree(accountKey));
    }
}

}  // namespace
}  // namespace tooltest
