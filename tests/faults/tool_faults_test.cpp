// The restore tool's "Do" on a backup folder whose settings file or information file is junk:
// it stops before anything changes and says why, before any question.
#include "tests/faults/fault_support.h"
#include "tests/restoretool/tool_fixture.h"

namespace tooltest {
namespace {

TEST_F(ToolTest, JunkSettingsOrInformationFileChangeNothingAndSayWhy) {
    struct Row {
        const char* what;
        const char* file;
        std::size_t size;
        const wchar_t* says;
    };
    const Row rows[] = {
        {"settings file of 10 MB junk", "OLbk1.reg", 10 << 20, L"設定ファイルの形式"},
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

}  // namespace
}  // namespace tooltest
