// "Do" in the tool: a backup made as the main program makes it, restored after the identity,
// its accounts, its store and its address book were wiped; the settings question; a damaged
// store archive.
#include "tests/restoretool/tool_fixture.h"

#include "engine/restore.h"
#include "platform/ansi.h"
#include "profile/store_folder.h"


namespace tooltest {
namespace {

using engine::kAddressBookQuestion;
using engine::kOverwriteAddressBook;

// The settings file as the program before ours wrote it: names and texts as they are, no escapes.
std::string Unescaped(const std::string& escaped) {
    std::string out;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 1 < escaped.size() && (escaped[i + 1] == '\\' || escaped[i + 1] == '"')) ++i;
        out += escaped[i];
    }
    return out;
}

class RestoreToolTest : public ToolTest {
protected:
    std::string Upper(const std::string& s) { return platform::ToAnsi(profile::ToUpperText(Widen(s))); }
    // "Store Root" as the restore writes it: the upper-cased store folder and one backslash.
    std::string RestoredRoot() { return "1:" + Upper(store_) + "\\" + std::string(1, '\0'); }
    std::wstring Question(const std::string& bk) { return engine::SettingsQuestion(Widen(bk + "\\OLbk1.reg")); }
    const std::string root = "\\Software\\Microsoft\\Outlook Express\\5.0|Store Root";
};

TEST_F(RestoreToolTest, AWipedIdentityComesBackWholeFromEitherFormOfSettingsFile) {
    for (const bool older : {false, true}) {
        SCOPED_TRACE(older ? "older unescaped form" : "escaped form");
        const std::string bk = dir_.path() + (older ? "\\older" : "\\escaped");
        BackUp(bk);
        const std::string settings = ReadBytes(bk + "\\OLbk1.reg");
        ASSERT_EQ(0u, settings.rfind("REGEDIT4 \r\n", 0));
        if (older) {
            dir_.WriteFile((older ? "older" : "escaped") + std::string("\\OLbk1.reg"), Unescaped(settings));
            ASSERT_NE(std::string::npos, ReadBytes(bk + "\\OLbk1.reg").find("=\"C:\\Documents and Settings\\sig\\\""));
        }
        const auto store = Snapshot(store_);
        const auto identity = DumpTree(idKey);
        const auto accounts = DumpTree(accountKey);

        testsupport::RemoveIdentities();
        accounts_.Remove();
        ASSERT_TRUE(testsupport::RemoveFolder(store_));
        dir_.WriteFile("Taro Book.wab", "changed since");

        shown_.clear();
        Start(bk);
        form_->Check1.SetValue(1);
        answers_ = {IDYES, IDYES, IDYES};
        // A second "Do" while the first is asking is refused: it asks nothing and restores nothing.
        int again = 0;
        onPrompt_ = [&] {
            if (again++ == 0) form_->Command2_Click();
        };
        form_->Command2_Click();
        onPrompt_ = nullptr;

        EXPECT_EQ((std::vector<std::wstring>{Question(bk), kAddressBookQuestion, kOverwriteAddressBook}), Texts());
        // Enter answers Yes to restoring the address book, No to overwriting it.
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON1), shown_.at(1).flags);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), shown_.at(2).flags);
        EXPECT_EQ(store, Snapshot(store_));
        EXPECT_EQ(accounts, DumpTree(accountKey));
        auto restored = DumpTree(idKey);
        EXPECT_EQ(RestoredRoot(), restored[root]);
        restored[root] = identity.at(root);
        EXPECT_EQ(identity, restored);
        EXPECT_EQ("wab bytes", ReadBytes(wabFile_));
    }
}

TEST_F(RestoreToolTest, SettingsRefusedChangeNoValueButTheStoreAndItsRootAreRestored) {
    const std::string bk = dir_.path() + "\\refused";
    BackUp(bk, false);
    const auto store = Snapshot(store_);
    testsupport::SetRawValue(idKey, "Username", REG_SZ, std::string("Renamed") + '\0');
    testsupport::SetRawValue(accountKey + "\\Accounts\\00000001", "Account Name", REG_SZ,
                             std::string("changed.example.org") + '\0');
    testsupport::SetRawValue(oeKey, "Store Root", REG_SZ, std::string("C:\\elsewhere\\") + '\0');
    auto identity = DumpTree(idKey);
    const auto accounts = DumpTree(accountKey);
    ASSERT_TRUE(testsupport::RemoveFolder(store_));

    Start(bk);
    answers_ = {IDNO};
    form_->Command2_Click();

    EXPECT_EQ((std::vector<std::wstring>{Question(bk)}), Texts());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), shown_.at(0).flags & (MB_YESNO | MB_ICONMASK));
    EXPECT_EQ(store, Snapshot(store_));
    EXPECT_EQ(accounts, DumpTree(accountKey));
    identity[root] = RestoredRoot();
    EXPECT_EQ(identity, DumpTree(idKey));
}

TEST_F(RestoreToolTest, ADamagedStoreArchiveStopsBeforeAnythingChanges) {
    const std::string bk = dir_.path() + "\\damaged";
    BackUp(bk);
    std::string archive = ReadBytes(bk + "\\OL.lzh");
    archive[archive.size() / 2] ^= 0x55;  // inside the big Inbox member's data
    dir_.WriteFile("damaged\\OL.lzh", archive);
    dir_.WriteFile("Store Folder\\Inbox.dbx", "newer mail");
    const auto store = Snapshot(store_);
    testsupport::SetRawValue(idKey, "Username", REG_SZ, std::string("Renamed") + '\0');
    const auto identity = DumpTree(idKey);

    Start(bk);
    form_->Command2_Click();
    ASSERT_EQ(1u, Texts().size());
    EXPECT_NE(std::wstring::npos, shown_[0].text.find(Widen(bk + "\\OL.lzh")));
    EXPECT_EQ(store, Snapshot(store_));
    EXPECT_EQ(identity, DumpTree(idKey));
}

}  // namespace
}  // namespace tooltest
