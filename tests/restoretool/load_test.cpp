// Finding and loading a backup in the tool: start-up in its own folder, the lists, a typed path.
#include "tests/restoretool/tool_fixture.h"

#include "platform/module_ini.h"
#include "platform/path_text.h"
#include "profile/store_folder.h"
#include "support/shell_folder_stand_in.h"

#include <shlobj.h>

namespace tooltest {
namespace {

std::string InfoFile(const std::string& root, int addressBook = 1) {
    return "////OutLook Backup////\r\n[main]\r\ndate=2026/01/05\r\ninstall={RT-0001}\r\nstorroot=" + root +
           "\r\nUserID={RT-0001}\r\nUserName=Taro\r\nAddressbook=" + std::to_string(addressBook) + "\r\n";
}

std::wstring Upper(const std::wstring& s) { return profile::ToUpperText(s); }

class LoadTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        Module_ini::IniFilePath.clear();  // as in a freshly started tool
    }
    // A folder below the scratch folder holding these files, each a backup information file.
    std::string Folder(const std::string& name, std::vector<std::string> files, const std::string& root = "E:\\Mail") {
        CreateDirectoryA((dir_.path() + "\\" + name).c_str(), nullptr);
        for (const std::string& f : files) dir_.WriteFile(name + "\\" + f, InfoFile(root));
        return dir_.path() + "\\" + name;
    }
    void ExpectLoaded(const std::wstring& target) {
        EXPECT_EQ(target, form_->Restorpath.Tag());
        EXPECT_EQ(target, form_->Restorpath.ToolTipText());
        EXPECT_EQ(L"Taro", form_->bkUser.Caption());
        EXPECT_EQ(Widen(kKey), form_->bkUser.Tag());
    }
    void ExpectNothingLoaded() {
        EXPECT_EQ(L"", form_->Restorpath.Tag());
        EXPECT_EQ(L"RestorPath", form_->Restorpath.Caption());
        EXPECT_EQ(L"UserName", form_->bkUser.Caption());
        EXPECT_FALSE(form_->Check1.Enabled());
    }
};

TEST_F(LoadTest, StartUpLoadsTheBackupBesideTheToolWhenItIsTheFirstBkdFile) {
    struct Row {
        const char* name;
        std::vector<std::string> files;  // the first by name is the one chosen
        bool loaded;
    } rows[] = {
        {"only", {"OLdate.bkd"}, true},
        {"another after", {"OLdate.bkd", "x.bkd", "notes.txt"}, true},
        {"another first", {"A.bkd", "OLdate.bkd"}, false},
        {"case differs", {"olDate.BKD"}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Module_ini::IniFilePath.clear();
        const std::string folder = Folder(r.name, r.files);
        Start(folder);
        EXPECT_EQ(Widen(folder), form_->Dir1List.Path());
        EXPECT_EQ(0, form_->File1List.ListIndex());
        EXPECT_EQ(Widen(folder + "\\" + r.files[0]), form_->BkDDir.Text());
        EXPECT_EQ(Widen(folder), form_->BkDDir.Tag());
        if (r.loaded) {
            ExpectLoaded(L"E:\\MAIL");
            EXPECT_TRUE(form_->Check1.Enabled());
        } else {
            ExpectNothingLoaded();
        }
        EXPECT_TRUE(shown_.empty());
    }
}

TEST_F(LoadTest, AFolderWithoutABackupFirstMovesTheArchiveFolderAndKeepsTheLoadedOne) {
    const std::string good = Folder("good", {"OLdate.bkd"});
    const std::string other = Folder("other", {"A.bkd", "OLdate.bkd"});
    const std::string empty = Folder("empty", {});
    Start(good);
    ExpectLoaded(L"E:\\MAIL");
    ASSERT_TRUE(form_->Check1.Enabled());

    // The loaded file now says "no address book": the check box follows it although nothing loads.
    dir_.WriteFile("good\\OLdate.bkd", InfoFile("E:\\Mail", 0));
    form_->Dir1List.SetPath(Widen(other));
    EXPECT_EQ(Widen(other + "\\A.bkd"), form_->BkDDir.Text());
    EXPECT_EQ(Widen(other), form_->BkDDir.Tag());
    ExpectLoaded(L"E:\\MAIL");
    EXPECT_FALSE(form_->Check1.Enabled());

    // No file at all: the text and the archive folder stay.
    form_->Dir1List.SetPath(Widen(empty));
    EXPECT_EQ(0, form_->File1List.ListCount());
    EXPECT_EQ(Widen(other + "\\A.bkd"), form_->BkDDir.Text());
    EXPECT_EQ(Widen(other), form_->BkDDir.Tag());
}

TEST_F(LoadTest, ATypedPathLoadsWhileTheArchivesComeFromTheListedFolder) {
    const std::string listed = Folder("listed", {"A.bkd"});
    const std::string elsewhere = Folder("elsewhere", {"OLdate.bkd"}, "F:\\Typed");
    struct Row {
        std::string typed;
        bool loaded;
    } rows[] = {
        {elsewhere + "\\OLdate.*", false},   // a search pattern is not a chosen file
        {elsewhere + "\\oldate.bkd", true},  // the name on disk is what counts
        {elsewhere + "\\OLdate.bkd", true},
    };
    Start(listed);
    ExpectNothingLoaded();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed);
        form_->BkDDir.SetText(Widen(r.typed));
        EXPECT_EQ(Widen(listed), form_->BkDDir.Tag());
        EXPECT_EQ(r.loaded ? L"F:\\TYPED" : L"", form_->Restorpath.Tag());
    }
}

TEST_F(LoadTest, ABackupAtADriveRootLoadsThroughTheDoubledSeparator) {
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA("C:\\*.bkd", &f);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    ASSERT_EQ(INVALID_HANDLE_VALUE, h) << "C:\\ already holds " << f.cFileName;
    std::ofstream("C:\\OLdate.bkd", std::ios::binary) << InfoFile("%SystemDrive%\\Root Mail");
    Start("C:\\");
    DeleteFileA("C:\\OLdate.bkd");
    EXPECT_EQ(L"C:\\", form_->Dir1List.Path());
    EXPECT_EQ(L"C:\\\\OLdate.bkd", form_->BkDDir.Text());
    EXPECT_EQ(L"C:\\", form_->BkDDir.Tag());
    ExpectLoaded(L"C:\\ROOT MAIL");
}

TEST_F(LoadTest, StoreRootsAreResolvedAndALongOneIsShownShortened) {
    wchar_t profileBuffer[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, profileBuffer);
    const std::wstring profile = Upper(profileBuffer);
    const std::string deep = "D:\\" + std::string(40, 'a') + "\\" + std::string(30, 'b') + "\\Outlook Express";
    struct Row {
        const char* folder;
        std::string recorded;
        std::wstring target;
    } rows[] = {
        {"both", "%SystemDrive%\\Data;%UserProfile%\\Mail", L"C:\\DATA;" + profile + L"\\MAIL"},
        {"neither", "D:\\Mail\\Store", L"D:\\MAIL\\STORE"},
        {"long", deep, Upper(Widen(deep))},
    };
    Start(Folder("start", {}));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.folder);
        form_->Dir1List.SetPath(Widen(Folder(r.folder, {"OLdate.bkd"}, r.recorded)));
        ExpectLoaded(r.target);
        EXPECT_EQ(PathText::CompactPath(r.target, 64), form_->Restorpath.Caption());
        if (r.target.size() > 63) {
            EXPECT_GE(63u, form_->Restorpath.Caption().size());
            EXPECT_NE(std::wstring::npos, form_->Restorpath.Caption().find(L"...\\OUTLOOK EXPRESS"));
        }
    }
}

TEST_F(LoadTest, WithoutAProfileFolderTheStoreGoesBelowApplicationData) {
    testsupport::ShellFolderStandIn noProfile({{26, L"C:\\users\\x\\AppData\\Roaming"}});
    Start(Folder("appdata", {"OLdate.bkd"},
                 "%UserProfile%\\Local Settings\\Application Data\\Identities\\{G}\\Microsoft\\Outlook Express"));
    ExpectLoaded(L"C:\\USERS\\X\\APPDATA\\ROAMING\\IDENTITIES\\{G}\\MICROSOFT\\OUTLOOK EXPRESS");
}

}  // namespace
}  // namespace tooltest
