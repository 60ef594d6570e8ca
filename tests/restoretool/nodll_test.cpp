// The tool where no unlha32.dll can be found (this program lives in a folder of its own): the
// error the restore raises is shown with its text, and the tool goes on.
#include "restoretool/form_olr.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring HereFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring p(exe);
    return p.substr(0, p.find_last_of(L'\\'));
}

TEST(ToolWithoutArchiverTest, TheErrorIsShownWithItsTextAndDoWorksAgain) {
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((HereFolder() + L"\\unlha32.dll").c_str()));
    testsupport::ScratchDir dir("restoretool-nodll");
    dir.WriteFile("OLdate.bkd", "[main]\r\nstorroot=C:\\Nowhere\\Store\r\nUserID={X}\r\nUserName=Taro\r\n");
    dir.WriteFile("OL.lzh", "not read");

    std::vector<std::wstring> shown;
    restoretool::Hooks hooks;
    hooks.MsgBox = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        shown.push_back(text);
        return IDOK;
    };
    hooks.EndProgram = [] {};
    hooks.ProgramFolder = [&] { return testsupport::Widen(dir.path()); };
    restoretool::FormOLr form(hooks);
    ASSERT_TRUE(form.Create());
    form.Form_Load();
    ASSERT_EQ(L"C:\\NOWHERE\\STORE", form.Restorpath.Tag());

    form.Command2_Click();
    form.Command2_Click();  // not left refused by the first
    ASSERT_EQ(2u, shown.size());
    for (const std::wstring& text : shown) {
        EXPECT_EQ(0u, text.find(L"復元中にエラーが発生したため、復元を中止しました。\r\n"));
        EXPECT_NE(std::wstring::npos, text.find(L"unlha32")) << "the error's own text";
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\Nowhere"));
}

}  // namespace
