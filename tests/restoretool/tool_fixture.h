// A seeded identity (settings, store folder, accounts, address book), backups of it made by the
// engine's backup as the main program makes them, and the restore tool's hidden window started
// in a folder of the test's choosing, its message boxes answered and recorded.
#pragma once

#include "engine/backup.h"
#include "profile/saved_registry.h"
#include "restoretool/form_olr.h"
#include "support/identities.h"
#include "support/prompt_recorder.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tooltest {

using testsupport::ScratchDir;
using testsupport::Widen;
using testsupport::DumpTree;
using testsupport::ReadBytes;
using testsupport::Snapshot;

using testsupport::Shown;

// The few inputs the backup reads of the main window, held as plain values.
class BackupInputs : public engine::BackupWindow {
public:
    std::wstring key, name, store, folder;
    int addressBook = 1;

private:
    HWND PromptOwner() const override { return nullptr; }
    std::wstring ProgramTitle() const override { return L"Quillbox"; }
    int AddressBookWanted() override { return addressBook; }
    std::wstring SelectedIdentityKey() override { return key; }
    std::wstring IdentityName() override { return name; }
    std::wstring IdentityKeyCaption() override { return key; }
    std::wstring StoreFolder() override { return store; }
    std::wstring BackupFolder() override { return folder; }
    std::wstring ScratchText() override { return scratch_; }
    void SetScratchText(const std::wstring& text) override { scratch_ = text; }
    void YieldToWindow() override {}
    std::wstring scratch_;
};

class ToolTest : public ::testing::Test, protected testsupport::PromptRecorder {
protected:
    static constexpr const char* kKey = "{RT-0001}";
    const std::string idKey = std::string("Identities\\") + kKey;
    const std::string oeKey = idKey + "\\Software\\Microsoft\\Outlook Express\\5.0";
    const std::string accountKey = "Software\\Microsoft\\Internet Account Manager";

    ToolTest()
        : dir_("restoretool"),
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
        // Mail that does not compress away, so that the Inbox's data is most of the store archive.
        std::string inbox(100000, '\0');
        unsigned seed = 7;
        for (char& c : inbox) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
        dir_.WriteFile("Store Folder\\Inbox.dbx", inbox);
        dir_.WriteFile("Store Folder\\Mailing Lists\\ml dev.dbx", "list");
        wabFile_ = dir_.WriteFile("Taro Book.wab", "wab bytes");

        testsupport::MakeIdentity(kKey, "Taro", (store_ + "\\").c_str());
        testsupport::SetRawValue(oeKey, "Signature", REG_SZ, std::string("C:\\Documents and Settings\\sig\\") + '\0');
        profiletest::SetText(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB\\WAB4\\Wab File Name", L"",
                             Widen(wabFile_));
        const std::string account = accountKey + "\\Accounts\\00000001";
        testsupport::CreateKey(account);
        testsupport::SetRawValue(account, "Account Name", REG_SZ, std::string("pop.example.org") + '\0');
    }
    void TearDown() override {
        form_.reset();
        testsupport::RemoveIdentities();
    }

    // A backup of the seeded identity in `folder`, made as the main program's "Do" makes it.
    void BackUp(const std::string& folder, bool addressBook = true) {
        BackupInputs in;
        in.key = Widen(kKey);
        in.name = L"Taro";
        in.store = Widen(store_);
        in.folder = Widen(folder);
        in.addressBook = addressBook ? 1 : 0;
        std::vector<std::wstring> shown;
        engine::DoBackUp(in, [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
            shown.push_back(text);
            return IDYES;
        });
        ASSERT_TRUE(shown.empty());
        ASSERT_NE("<missing>", ReadBytes(folder + "\\OL.lzh"));
    }

    // The tool's hidden window, started as if it lay in `folder`.
    void Start(const std::string& folder) {
        restoretool::Hooks hooks;
        hooks.MsgBox = [this](HWND, const std::wstring& text, const std::wstring& title, UINT flags) {
            return Record(text, title, flags);
        };
        hooks.EndProgram = [] {};
        hooks.ProgramFolder = [folder] { return Widen(folder); };
        form_ = std::make_unique<restoretool::FormOLr>(hooks);
        ASSERT_TRUE(form_->Create());
        form_->Form_Load();
    }

    // The texts shown, each checked to carry the tool's title.
    std::vector<std::wstring> Texts() const { return TextsTitled(L"Quillboxrestor"); }

    ScratchDir dir_;
    profiletest::SavedTree accounts_, wab_;
    std::string store_, wabFile_;
    std::unique_ptr<restoretool::FormOLr> form_;
};

}  // namespace tooltest
