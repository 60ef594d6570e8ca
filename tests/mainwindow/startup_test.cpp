// Start-up of the main window against the test prefix's registry and folders.
#include "mainwindow/main_form.h"
#include "support/identities.h"
#include "support/registry_sandbox.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::MakeIdentity;
using testsupport::ScratchDir;
using testsupport::Widen;

struct Shown { std::wstring text, title; UINT flags; };

std::wstring ProfileFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, path);
    return path;
}

std::wstring RegText(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t data[512] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return L"err";
    return data;
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveIdentities(); }
    void TearDown() override { testsupport::RemoveIdentities(); }

    // Runs the start-up with message boxes and the program's end recorded instead of shown.
    void Load() {
        mainwindow::Hooks hooks;
        hooks.MsgBox = [this](HWND, const std::wstring& text, const std::wstring& title, UINT flags) {
            shown_.push_back({text, title, flags});
            return IDOK;
        };
        hooks.EndProgram = [this] { ++ended_; };
        form_ = std::make_unique<mainwindow::mainFrm>(hooks);
        ASSERT_TRUE(form_->Create());
        form_->Form_Load();
    }

    std::unique_ptr<mainwindow::mainFrm> form_;
    std::vector<Shown> shown_;
    int ended_ = 0;
};

TEST_F(StartUp, FillsVersionsUserProfileAndPicksTheFirstIdentity) {
    ScratchDir store("startup-store");
    MakeIdentity("{AAAA-1111}", "Taro", (store.path() + "\\").c_str());
    MakeIdentity("{BBBB-2222}", "Hanako", "C:\\nowhere\\at all");
    Load();
    ASSERT_NE(nullptr, form_->hwnd());

    const wchar_t* nt = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, nt, L"ProductName") + L" build " +
                  RegText(HKEY_LOCAL_MACHINE, nt, L"CurrentBuildNumber"),
              form_->Label1.Caption());
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version"),
              form_->Label2.Caption());
    EXPECT_EQ(Widen(std::getenv("USERNAME")), form_->Uname.Caption());
    EXPECT_EQ(ProfileFolder(), form_->Dpath.Caption());

    // The first identity is picked; its store folder (one trailing backslash dropped) is checked.
    EXPECT_EQ(0, form_->OwnUserList().ListIndex());
    EXPECT_EQ(L"{AAAA-1111}", form_->OLdPath.Caption());
    EXPECT_EQ(Widen(store.path()), form_->OLdPath.Tag());
    EXPECT_EQ(Widen(store.path()), form_->OLdPath.ToolTipText());
    EXPECT_EQ(L"Taro", form_->Label8.Caption());
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(0, ended_);

    EXPECT_EQ(mainwindow::ProgramFolder() + L"\\WBbackup", form_->bkDir.Text());
}

TEST_F(StartUp, ProfilePlaceholderInTheStoreRootIsResolved) {
    // A store folder below the real profile folder, recorded with the placeholder.
    const std::wstring profile = ProfileFolder();
    const std::wstring sub = L"quillbox-startup-store";
    CreateDirectoryW((profile + L"\\" + sub).c_str(), nullptr);
    MakeIdentity("{AAAA-1111}", "Taro", ("%UserProfile%\\" + std::string(sub.begin(), sub.end()) + "\\").c_str());
    Load();
    RemoveDirectoryW((profile + L"\\" + sub).c_str());
    EXPECT_EQ(profile + L"\\" + sub, form_->OLdPath.Tag());
    EXPECT_TRUE(shown_.empty());
}

TEST_F(StartUp, NoIdentitiesLeavesErrAndShowsNothing) {
    Load();
    ASSERT_NE(nullptr, form_->hwnd());
    EXPECT_EQ(0, form_->OwnUserList().ListCount());
    EXPECT_EQ(L"err", form_->OLdPath.Tag());
    EXPECT_EQ(L"err", form_->OLdPath.ToolTipText());
    EXPECT_EQ(L"", form_->OLdPath.Caption());
    EXPECT_EQ(L"UserName", form_->Label8.Caption());
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(0, ended_);
}

TEST_F(StartUp, MissingStoreFolderShowsTheMessageAndEnds) {
    struct Row { const char* what; const char* storeRoot; };
    const Row rows[] = {
        {"folder not on disk", "C:\\quillbox-no-such-folder\\Outlook Express"},
        {"placeholder in capitals is not replaced", "%USERPROFILE%\\Local Settings"},
        {"no store root recorded", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        testsupport::RemoveIdentities();
        MakeIdentity("{AAAA-1111}", "Taro", r.storeRoot);
        shown_.clear();
        ended_ = 0;
        Load();
        ASSERT_EQ(1u, shown_.size());
        EXPECT_EQ(L"OutLookExpress５が正常にインストールされていないか、まだ設定されていません。", shown_[0].text);
        EXPECT_EQ(L"Quillbox", shown_[0].title);
        EXPECT_EQ(static_cast<UINT>(MB_OK), shown_[0].flags);
        EXPECT_EQ(1, ended_);
        EXPECT_EQ(nullptr, form_->hwnd());
    }
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring expected(exe);
    expected.resize(expected.find_last_of(L'\\'));
    EXPECT_EQ(expected, mainwindow::ProgramFolder());
}

}  // namespace
