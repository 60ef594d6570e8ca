// The restore page on the hidden main window: choosing a backup, and a backup restored after
// the identity, its accounts, its store and its address book were wiped.
#include "tests/mainwindow/backup_fixture.h"

#include "engine/backup.h"
#include "engine/restore.h"
#include "platform/ansi.h"
#include "platform/path_text.h"
#include "profile/shell_folders.h"
#include "profile/store_folder.h"

#include <shlobj.h>

namespace backuptest {
namespace {

using engine::kAddressBookQuestion;
using engine::kOverwriteAddressBook;

class RestoreTest : public BackupTest {
protected:
    const std::string idKey = std::string("Identities\\") + kKey;
    const std::string accountKey = "Software\\Microsoft\\Internet Account Manager";

    // Backs up into `bk`, then picks its OLdate.bkd on the restore page.
    void BackUpAndChoose(const std::string& bk, bool addressBook = true) {
        BackUp(bk, addressBook);
        ASSERT_TRUE(shown_.empty());
        Choose(bk + "\\OLdate.bkd");
    }
    void Choose(const std::string& file) {
        chosen_ = Widen(file);
        form_->BkDDir_DblClick();
    }
    std::string StoreRoot() {
        const auto tree = DumpTree(idKey + "\\Software\\Microsoft\\Outlook Express\\5.0");
        return tree.count("|Store Root") ? tree.at("|Store Root") : "(none)";
    }
    std::string Upper(const std::string& s) { return platform::ToAnsi(profile::ToUpperText(Widen(s))); }
};

TEST_F(RestoreTest, WipedIdentityComesBackWhole) {
    struct Row {
        const char* what;
        bool registered;  // an address book is registered (its file since changed) or none at all
    };
    for (const Row& r : {Row{"address book registered", true}, Row{"none registered", false}}) {
        SCOPED_TRACE(r.what);
        const std::string bk = dir_.path() + (r.registered ? "\\bk1" : "\\bk2");
        shown_.clear();
        Load();
        BackUpAndChoose(bk);
        const auto store = Snapshot(store_);
        const auto identity = DumpTree(idKey);
        const auto accounts = DumpTree(accountKey);

        // Wipe what the backup holds.
        testsupport::RemoveIdentities();
        accounts_.Remove();
        ASSERT_TRUE(testsupport::RemoveFolder(store_));
        if (r.registered) {
            dir_.WriteFile("Taro Book.wab", "changed since");
        } else {
            wab_.Remove();
            DeleteFileA(wabFile_.c_str());
        }
        answers_ = {IDYES, IDYES};
        form_->Check1.SetValue(1);
        form_->Command2_Click();

        EXPECT_EQ((std::vector<std::wstring>{kAddressBookQuestion, kOverwriteAddressBook}), Texts());
        // Enter answers Yes to restoring the address book, No to overwriting it.
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON1), shown_.at(0).flags);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), shown_.at(1).flags);
        EXPECT_EQ(store, Snapshot(store_));
        EXPECT_EQ(accounts, DumpTree(accountKey));
        auto restored = DumpTree(idKey);
        // "Store Root" now names the restore folder: upper-case, one trailing backslash.
        const std::string root = "\\Software\\Microsoft\\Outlook Express\\5.0|Store Root";
        EXPECT_EQ("1:" + Upper(store_) + "\\" + std::string(1, '\0'), restored[root]);
        restored[root] = identity.at(root);
        EXPECT_EQ(identity, restored);
        std::string book = wabFile_;
        if (!r.registered) {
            char appData[MAX_PATH] = {};
            SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
            book = std::string(appData) + "\\Microsoft\\Address Book\\Taro Book.wab";
            EXPECT_EQ(Widen(book), Getsplfol_mod::GetWabFileName());
        }
        EXPECT_EQ("wab bytes", ReadBytes(book));
        DeleteFileA(book.c_str());
        dir_.WriteFile("Taro Book.wab", "wab bytes");
        profiletest::SetText(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB\\WAB4\\Wab File Name", L"", Widen(wabFile_));
    }
}

TEST_F(RestoreTest, DamagedStoreArchiveChangesNothingAndSaysSo) {
    const std::string bk = dir_.path() + "\\damaged";
    Load();
    BackUpAndChoose(bk);
    std::string archive = ReadBytes(bk + "\\OL.lzh");
    archive[archive.size() / 2] ^= 0x55;  // inside the big Inbox member's data
    dir_.WriteFile("damaged\\OL.lzh", archive);
    dir_.WriteFile("Store Folder\\Inbox.dbx", "newer mail");
    const auto store = Snapshot(store_);
    testsupport::SetRawValue(idKey, "Username", REG_SZ, std::string("Renamed") + '\0');
    const auto identity = DumpTree(idKey);

    form_->Command2_Click();
    ASSERT_EQ(1u, Texts().size());
    EXPECT_NE(std::wstring::npos, shown_[0].text.find(Widen(bk + "\\OL.lzh")));
    EXPECT_EQ(store, Snapshot(store_));
    EXPECT_EQ(identity, DumpTree(idKey));
}

TEST_F(RestoreTest, AddressBookIsOfferedOnlyWhenArchivedAndWanted) {
    struct Row {
        bool archived;
        int check1;
        bool asked;
    };
    const Row rows[] = {{true, 1, true}, {true, 2, true}, {true, 0, false}, {false, 1, false}, {false, 2, false}};
    Load();
    BackUpAndChoose(dir_.path() + "\\with", true);
    BackUp(dir_.path() + "\\without", false);
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.archived) + " " + std::to_string(r.check1));
        Choose(dir_.path() + (r.archived ? "\\with" : "\\without") + "\\OLdate.bkd");
        form_->Check1.SetValue(r.check1);
        shown_.clear();
        answers_ = {IDNO};
        form_->Command2_Click();
        EXPECT_EQ(r.asked ? std::vector<std::wstring>{kAddressBookQuestion} : std::vector<std::wstring>{}, Texts());
        EXPECT_EQ("1:" + Upper(store_) + "\\" + std::string(1, '\0'), StoreRoot());
    }
}

TEST_F(RestoreTest, ChoosingABackupFillsTheRestorePage) {
    Load();
    BackUp(dir_.path() + "\\pick", true);
    dir_.WriteFile("pick\\olDate.BKD.copy", ReadBytes(dir_.path() + "\\pick\\OLdate.bkd"));
    MoveFileA((dir_.path() + "\\pick\\olDate.BKD.copy").c_str(), (dir_.path() + "\\olDate.BKD").c_str());
    const std::wstring profileTarget = Widen(Upper(store_) + "\\");

    // Not yet accepted: "*.bkd" names no file, so the dialog starts in the program's folder.
    Choose(dir_.path() + "\\olDate.BKD");
    EXPECT_EQ(mainwindow::ProgramFolder(), dialogFolder_);
    EXPECT_EQ(L"OLdate.bkd", dialogFile_);
    EXPECT_EQ(std::wstring(L"*.bkd \0 *.bkd\0", 14), std::wstring(dialog_.lpstrFilter, 14));
    EXPECT_EQ(Widen(dir_.path() + "\\olDate.BKD"), form_->BkDDir.Text());  // shown, but not a backup
    EXPECT_EQ(Widen(dir_.path()), form_->BkDDir.Tag());
    EXPECT_EQ(L"", form_->Restorpath.Tag());
    EXPECT_FALSE(form_->Check1.Enabled());

    Choose(dir_.path() + "\\pick\\OLdate.bkd");
    EXPECT_EQ(Widen(dir_.path() + "\\olDate.BKD"), dialogFolder_);  // the box named a file
    EXPECT_EQ(profileTarget, form_->Restorpath.Tag());
    EXPECT_EQ(profileTarget, form_->Restorpath.ToolTipText());
    EXPECT_EQ(PathText::CompactPath(profileTarget, 40), form_->Restorpath.Caption());
    EXPECT_EQ(L"Taro", form_->bkUser.Caption());
    EXPECT_EQ(Widen(kKey), form_->bkUser.Tag());
    EXPECT_TRUE(form_->Check1.Enabled());

    // A cancel takes the default name; the pages stay as the accepted backup left them.
    chosen_.clear();
    form_->BkDDir_DblClick();
    EXPECT_EQ(L"OLdate.bkd", form_->BkDDir.Text());
    EXPECT_EQ(L"", form_->BkDDir.Tag());
    EXPECT_EQ(profileTarget, form_->Restorpath.Tag());
    EXPECT_TRUE(shown_.empty());
}

TEST_F(RestoreTest, PagesSwitchFromTheFileMenu) {
    Load();
    struct Row { int menu; int front; };
    for (const Row& r : {Row{2002, 1}, Row{2001, 0}, Row{2002, 1}}) {
        SendMessageW(form_->hwnd(), WM_COMMAND, static_cast<WPARAM>(r.menu), 0);
        const int back = 1 - r.front;
        EXPECT_EQ(250, form_->BackUpFrame[r.front].Top());
        EXPECT_EQ(0, form_->BackUpFrame[back].Top());
        EXPECT_EQ(RGB(0, 0, 0), form_->FrameSelect[r.front].ForeColor());
        EXPECT_EQ(RGB(128, 128, 128), form_->FrameSelect[back].ForeColor());
        EXPECT_EQ(platform::kPointerCustom, form_->FrameSelect[back].MousePointer());
        EXPECT_EQ(GetWindow(form_->BackUpFrame[r.front].hwnd(), GW_HWNDFIRST), form_->BackUpFrame[r.front].hwnd());
    }
}

TEST_F(RestoreTest, NothingChosenDoesNothing) {
    Load();
    form_->Command2_Click();
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ("2:" + store_ + "\\" + std::string(1, '\0'), StoreRoot());
}

}  // namespace
}  // namespace backuptest
