// Restoring from a damaged or hostile backup folder through the main window's "Do": the store,
// the settings outside the two restored trees and the address book stay as they were, and a
// message says why. A settings file that does not read is left out, and the mail comes back.
#include "tests/faults/fault_support.h"
#include "tests/mainwindow/backup_fixture.h"

#include "engine/restore.h"

#include <functional>

namespace backuptest {
namespace {

using faults::Contains;

class RestoreFaultTest : public BackupTest {
protected:
    const std::string idKey = std::string("Identities\\") + kKey;
    const std::string accountKey = "Software\\Microsoft\\Internet Account Manager";
};

TEST_F(RestoreFaultTest, BadBackupFolderChangesNothingAndSaysWhy) {
    using Change = std::function<void(const std::string& folder)>;
    auto archive = [](std::vector<std::pair<std::string, std::string>> members) {
        return [members](const std::string& f) { faults::Write(f + "\\OL.lzh", faults::Archive(members)); };
    };
    auto hostile = [&](const std::string& name) { return archive({{"Inbox.dbx", "from the archive"}, {name, "x"}}); };
    auto edit = [](const char* file, std::function<void(std::string&)> f) {
        return [file, f](const std::string& folder) {
            std::string bytes = ReadBytes(folder + "\\" + file);
            f(bytes);
            faults::Write(folder + "\\" + file, bytes);
        };
    };
    struct Row {
        const char* what;
        Change change;
        const wchar_t* says;  // part of the message shown
        const char* held = nullptr;  // a store file another program holds open unshared meanwhile
    };
    const wchar_t* const unpack = L"展開できなかった";
    const Row rows[] = {
        {"archive cut short", edit("OL.lzh", [](std::string& b) { b.resize(b.size() * 2 / 3); }), unpack},
        {"archive cut inside a header", edit("OL.lzh", [](std::string& b) { b.resize(12); }), unpack},
        {"bit flipped in a header", edit("OL.lzh", [](std::string& b) { b[12] ^= 0x04; }), unpack},
        {"member climbs out", hostile("../qbfault.txt"), unpack},
        {"member climbs out of a folder", hostile("Mailing Lists/../../qbfault.txt"), unpack},
        {"absolute member", hostile("C:\\qbfault.txt"), unpack},
        {"member from the root", hostile("\\qbfault.txt"), unpack},
        {"member on a drive", hostile("D:qbfault.txt"), unpack},
        {"device CON", hostile("CON"), unpack},
        {"device NUL.txt", hostile("NUL.txt"), unpack},
        {"device COM1", hostile("Mailing Lists/COM1"), unpack},
        {"file where the store has a folder", archive({{"Inbox.dbx", "from the archive"}, {"Mailing Lists", "x"}}), unpack},
        {"store file open in another program", [](const std::string&) {}, unpack, "Mailing Lists\\ml dev.dbx"},
        {"information file of binary junk",
         [](const std::string& f) { faults::Write(f + "\\OLdate.bkd", faults::Junk(4096)); }, L"復元先のフォルダー"},
    };

    Load();
    const std::string bk = dir_.path() + "\\bk";
    BackUp(bk, true);
    ASSERT_TRUE(shown_.empty());
    // Since the backup: newer mail, a renamed identity, a changed account and address book.
    dir_.WriteFile("Store Folder\\Inbox.dbx", "newer mail");
    testsupport::SetRawValue(idKey, "Username", REG_SZ, std::string("Renamed") + '\0');
    testsupport::SetRawValue(accountKey + "\\Accounts\\00000001", "Account Name", REG_SZ,
                             std::string("changed.example.org") + '\0');
    dir_.WriteFile("Taro Book.wab", "newer book");
    const faults::UserState before(store_, wabFile_);

    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string folder = dir_.path() + "\\row" + std::to_string(n++);
        faults::CopyFolder(bk, folder);
        r.change(folder);
        chosen_ = Widen(folder + "\\OLdate.bkd");
        form_->BkDDir_DblClick();
        form_->Check1.SetValue(1);
        shown_.clear();
        HANDLE held = INVALID_HANDLE_VALUE;
        if (r.held)
            held = CreateFileA((store_ + "\\" + r.held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        form_->Command2_Click();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(1u, shown_.size());
        if (!shown_.empty()) {
            EXPECT_TRUE(Contains(shown_[0].text, r.says)) << shown_[0].text;
            EXPECT_TRUE(Contains(shown_[0].text, L"変更されていません"));
        }
        before.ExpectSame(faults::UserState(store_, wabFile_));
        for (const char* planted : {"qbfault.txt", "Store Folder\\qbfault.txt"})
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir_.path() + "\\" + planted).c_str())) << planted;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\qbfault.txt"));
    }
}

TEST_F(RestoreFaultTest, SettingsFileThatDoesNotReadIsLeftOutAndTheMailComesBack) {
    Load();
    const std::string bk = dir_.path() + "\\bk";
    BackUp(bk, true);
    const auto backedUp = Snapshot(store_);
    const std::string good = ReadBytes(bk + "\\OLbk1.reg");
    dir_.WriteFile("Store Folder\\Inbox.dbx", "newer mail");
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
        chosen_ = Widen(folder + "\\OLdate.bkd");
        form_->BkDDir_DblClick();
        shown_.clear();
        form_->Command2_Click();

        ASSERT_EQ(1u, shown_.size());
        for (const std::wstring& part : {std::wstring(L"設定ファイルの形式"), std::wstring(L"変更されていません"), Widen(folder + "\\OLbk1.reg")})
            EXPECT_TRUE(Contains(shown_[0].text, part)) << shown_[0].text;
        EXPECT_EQ(backedUp, Snapshot(store_));
        EXPECT_EQ(identity, DumpTree(idKey));
        EXPECT_EQ(accounts, DumpTree(accountKey));
    }
}

TEST_F(RestoreFaultTest, KeysOutsideTheTwoTreesAreLeftOutAndNamed) {
    Load();
    const std::string bk = dir_.path() + "\\planted";
    BackUp(bk, false);
    const auto identity = DumpTree(idKey);
    const auto accounts = DumpTree(accountKey);
    const auto store = Snapshot(store_);
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const testsupport::Planted planted_({{HKEY_LOCAL_MACHINE, "Software\\QbFault", ""},
                                         {HKEY_CURRENT_USER, run, "QbFault"},
                                         {HKEY_CURRENT_USER, accountKey + " Evil", ""}});
    const auto runBefore = DumpTree(run);
    // What each planted block must not reach, and how the settings file names it.
    const std::vector<std::pair<std::string, std::string>> planted = {
        {"HKEY_LOCAL_MACHINE\\Software\\QbFault", ""},
        {"HKEY_CURRENT_USER\\" + run, ""},
        {"HKEY_CURRENT_USER\\Identities\\{OTHER-0001}", "Identities\\{OTHER-0001}"},
        {"HKEY_CURRENT_USER\\Identities", ""},
        {"HKEY_CURRENT_USER\\Identities\\" + std::string(kKey) + "x", "Identities\\{BK-0001}x"},
        {"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager Evil",
         "Software\\Microsoft\\Internet Account Manager Evil"},
    };
    std::string settings = ReadBytes(bk + "\\OLbk1.reg");
    for (const auto& [key, path] : planted) settings += "[" + key + "]\r\n\"QbFault\"=\"planted\"\r\n\r\n";
    faults::Write(bk + "\\OLbk1.reg", settings);

    testsupport::RemoveIdentities();
    accounts_.Remove();
    ASSERT_TRUE(testsupport::RemoveFolder(store_));
    chosen_ = Widen(bk + "\\OLdate.bkd");
    form_->BkDDir_DblClick();
    shown_.clear();
    form_->Command2_Click();

    ASSERT_EQ(1u, shown_.size());
    EXPECT_TRUE(Contains(shown_[0].text, L"キー 6 個")) << shown_[0].text;
    EXPECT_TRUE(Contains(shown_[0].text, L"HKEY_CURRENT_USER\\" + Widen(run))) << shown_[0].text;
    // The two trees come back; nothing outside them was written.
    EXPECT_EQ(store, Snapshot(store_));
    EXPECT_EQ(accounts, DumpTree(accountKey));
    auto restored = DumpTree(idKey);
    const std::string root = "\\Software\\Microsoft\\Outlook Express\\5.0|Store Root";
    restored[root] = identity.at(root);
    EXPECT_EQ(identity, restored);
    EXPECT_EQ(runBefore, DumpTree(run));
    HKEY h = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\QbFault", 0, KEY_READ, &h));
    for (const auto& [key, path] : planted) {
        if (!path.empty()) {
            EXPECT_FALSE(testsupport::KeyExists(path)) << path;
        }
    }
    EXPECT_EQ(0u, DumpTree("Identities").count("|QbFault"));
}

}  // namespace
}  // namespace backuptest
