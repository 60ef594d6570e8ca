// The ABOUT menu as the about program receives it: a recording about1.exe lies beside this test.
#include "mainwindow/main_form.h"
#include "mainwindow/resource.h"
#include "tests/support/system_family.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::wstring BinFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\'));
}

// The stand-in's record, once it has been written; empty after `ms` without one.
std::wstring WaitForRecord(const std::wstring& record, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        std::ifstream in(record.c_str(), std::ios::binary);
        if (in) {
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        }
        Sleep(50);
    }
    return {};
}

class AboutMenu : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(record_.c_str());
        ASSERT_TRUE(form_.Create());
    }
    void TearDown() override { DeleteFileW(record_.c_str()); }

    const std::wstring record_ = BinFolder() + L"\\about1-cmdline.txt";
    mainwindow::mainFrm form_{mainwindow::Hooks{}};
};

TEST_F(AboutMenu, StartsTheAboutProgramWithNameVersionAndDescription) {
    // The program's own file name, without folder and extension, comes first.
    const std::wstring expected =
        L"about1.exe about_command_test/2.1.6/ Outlookex5のメールや設定、動作設定 等ユーザーごとにバックアップ復元します。";
    if (!testsupport::SystemTakes(expected)) GTEST_SKIP() << "a 9x system whose code page lacks the description";
    SendMessageW(form_.hwnd(), WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_EQ(expected, WaitForRecord(record_, 10000));
}

TEST_F(AboutMenu, AMissingAboutProgramIsNotReported) {
    const std::wstring standIn = BinFolder() + L"\\about1.exe";
    const std::wstring away = BinFolder() + L"\\about1.away";
    ASSERT_TRUE(MoveFileW(standIn.c_str(), away.c_str()));
    form_.mnAbout_Click();  // returns, shows nothing
    MoveFileW(away.c_str(), standIn.c_str());
    EXPECT_EQ(L"", WaitForRecord(record_, 500));
}

}  // namespace
