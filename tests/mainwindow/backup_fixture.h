// A seeded identity (settings, store folder, accounts, address book) and the hidden main
// window, for running the backup as the "Do" button does, with the questions answered.
#pragma once

#include "mainwindow/main_form.h"
#include "profile/saved_registry.h"
#include "support/identities.h"
#include "support/prompt_recorder.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace backuptest {

using testsupport::ScratchDir;
using testsupport::Widen;
using testsupport::DumpTree;
using testsupport::ReadBytes;
using testsupport::Snapshot;

using testsupport::Shown;



class BackupTest : public ::testing::Test, protected testsupport::PromptRecorder {
protected:
    static constexpr const char* kKey = "{BK-0001}";

    BackupTest()
        : dir_("backup"),
          accounts_(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Account Manager"),
          wab_(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB") {}

    void SetUp() override {
        ASSERT_TRUE(accounts_.saved() && wab_.saved());
        accounts_.Remove();
        wab_.Remove();
        testsupport::RemoveIdentities();
        SetEnvironmentVariableW(L"QUILLBOX_UNLHA_NOPROGRESS", L"1");

        store_ = dir_.path() + "\\Store Folder";
        CreateDirectoryA(store_.c_str(), nullptr);
        CreateDirectoryA((store_ + "\\Mailing Lists").c_str(), nullptr);
        dir_.WriteFile("Store Folder\\Inbox.dbx", std::string(200000, 'i') + "end of inbox");
        dir_.WriteFile("Store Folder\\Mailing Lists\\ml dev.dbx", "list");
        dir_.WriteFile("Store Folder\\Folders.dbx", "");
        wabFile_ = dir_.WriteFile("Taro Book.wab", "wab bytes");

        testsupport::MakeIdentity(kKey, "Taro", (store_ + "\\").c_str());
        const std::string oe = std::string("Identities\\") + kKey + "\\Software\\Microsoft\\Outlook Express\\5.0";
        testsupport::SetRawValue(oe, "Signature", REG_SZ, std::string("C:\\sig\\\"quoted\"\\") + '\0');
        profiletest::SetText(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB\\WAB4\\Wab File Name", L"",
                             Widen(wabFile_));
        const std::string account = "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";
        testsupport::CreateKey(account);
        testsupport::SetRawValue(account, "Account Name", REG_SZ, std::string("pop.example.org") + '\0');
    }
    void TearDown() override { testsupport::RemoveIdentities(); }

    // The hidden main window after start-up, its message boxes recorded and answered in turn.
    void Load() {
        mainwindow::Hooks hooks;
        hooks.MsgBox = [this](HWND, const std::wstring& text, const std::wstring& title, UINT flags) {
            return Record(text, title, flags);
        };
        hooks.EndProgram = [] {};
        hooks.OpenFile = [this](OPENFILENAMEW& d) {
            dialog_ = d;
            dialogFile_ = d.lpstrFile;
            dialogFolder_ = d.lpstrInitialDir ? d.lpstrInitialDir : L"";
            if (chosen_.empty()) return false;
            lstrcpyW(d.lpstrFile, chosen_.c_str());
            return true;
        };
        form_ = std::make_unique<mainwindow::mainFrm>(hooks);
        ASSERT_TRUE(form_->Create());
        form_->Form_Load();
        ASSERT_TRUE(shown_.empty());
    }

    // Presses "Do" on the backup page with this folder and address book choice.
    void BackUp(const std::string& folder, bool addressBook) {
        if (!form_) Load();
        form_->bkDir.SetText(Widen(folder));
        form_->Addresbook.SetValue(addressBook ? 1 : 0);
        form_->Command1_Click();
    }

    // The texts shown, each checked to carry the program's title.
    std::vector<std::wstring> Texts() const { return TextsTitled(L"Quillbox"); }

    ScratchDir dir_;
    profiletest::SavedTree accounts_, wab_;
    std::string store_, wabFile_;
    std::unique_ptr<mainwindow::mainFrm> form_;
    // The Open dialog: the file it picks (empty: cancelled) and how it was set up.
    std::wstring chosen_;
    OPENFILENAMEW dialog_ = {};
    std::wstring dialogFile_, dialogFolder_;
};

}  // namespace backuptest
