// The backup folder box's double click and the HELP menu, with the picker and the shell
// answered by the test.
#include "mainwindow/main_form.h"
#include "mainwindow/resource.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::ScratchDir;
using testsupport::Widen;

std::wstring BinFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\'));
}

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        mainwindow::Hooks hooks;
        hooks.BrowseFolder = [this](HWND, const std::wstring& initial) {
            offered_.push_back(initial);
            return answer_;
        };
        hooks.OpenDocument = [this](HWND, const std::wstring& document) { opened_.push_back(document); };
        form_ = std::make_unique<mainwindow::mainFrm>(hooks);
        ASSERT_TRUE(form_->Create());
    }

    std::unique_ptr<mainwindow::mainFrm> form_;
    std::wstring answer_;
    std::vector<std::wstring> offered_, opened_;
};

TEST_F(Menus, BackupFolderTakesThePickedFolderAndKeepsItsTextOnCancel) {
    struct Row { const wchar_t* typed; const wchar_t* picked; const wchar_t* after; };
    const Row rows[] = {
        {L"C:\\old backup", L"D:\\new backup", L"D:\\new backup"},
        {L"C:\\old backup", L"", L"C:\\old backup"},  // cancelled
        {L"  ", L"", L"  "},
    };
    for (const Row& row : rows) {
        form_->bkDir.SetText(row.typed);
        answer_ = row.picked;
        offered_.clear();
        // As the window system delivers it: edit controls tell only themselves of a double click.
        SendMessageW(form_->bkDir.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
        ASSERT_EQ(1u, offered_.size()) << row.typed;
        EXPECT_EQ(row.typed, offered_[0]);  // the box's own text, untrimmed: the picker trims
        EXPECT_EQ(row.after, form_->bkDir.Text());
    }
}

TEST_F(Menus, HelpOpensThePageInTheCurrentFolderElseTheOneBesideTheProgram) {
    ScratchDir elsewhere("help-cwd");
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(Widen(elsewhere.path()).c_str());

    SendMessageW(form_->hwnd(), WM_COMMAND, IDM_HELP, 0);
    elsewhere.WriteFile("Quillboxhelp.htm", "<p>a page of its own</p>");
    form_->mnhlp_Click();
    SetCurrentDirectoryW(saved);

    ASSERT_EQ(2u, opened_.size());
    EXPECT_EQ(BinFolder() + L"\\Quillboxhelp.htm", opened_[0]);
    EXPECT_EQ(L"Quillboxhelp.htm", opened_[1]);
}

}  // namespace
