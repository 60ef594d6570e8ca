// The real Quillbox.exe started as a child process and driven through the window system.
#include "e2e/e2e_support.h"
#include "e2e/reported_windows.h"
#include "mainwindow/resource.h"
#include "support/identities.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using testsupport::MakeIdentity;
using testsupport::ScratchDir;
using namespace e2e;

// Runs with QB_E2E_WINDOWS set make every program started here see that older system.
::testing::Environment* const kReportedWindows = ::testing::AddGlobalTestEnvironment(new ReportedWindowsEnvironment);

class QuillboxProcess : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveIdentities(); }
    void TearDown() override { testsupport::RemoveIdentities(); }
};

TEST_F(QuillboxProcess, MissingStoreFolderEndsAfterTheMessage) {
    MakeIdentity("{AAAA-1111}", "Taro", "C:\\quillbox-e2e-missing\\Outlook Express");
    Child app(BinFolder() + L"\\Quillbox.exe");
    ASSERT_TRUE(app.started());

    HWND box = WaitForWindow(app.pid(), L"#32770", L"Quillbox");
    ASSERT_NE(nullptr, box) << "no message box";
    EXPECT_EQ(L"OutLookExpress５が正常にインストールされていないか、まだ設定されていません。",
              TextOf(GetDlgItem(box, 0xFFFF)));
    // OK only: exactly one button.
    HWND button = FindWindowExW(box, nullptr, L"Button", nullptr);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(nullptr, FindWindowExW(box, button, L"Button", nullptr));
    // The main window stays hidden while the message waits.
    EXPECT_EQ(nullptr, WaitForWindow(app.pid(), nullptr, L"Quillbox Ver2", 2000));

    PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(0u, app.WaitExit(10000));
}

std::wstring MachineText(const char* key, const char* name) {
    char value[256] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return testsupport::Widen(value);
}

TEST_F(QuillboxProcess, UpperAreaNamesTheSystemItRunsOn) {
    ScratchDir store("e2e-store");
    MakeIdentity("{AAAA-1111}", "Taro", store.path().c_str());
    const OldWindows* w = ReportedWindows();
    const char* nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    const char* nineX = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const std::wstring system =
        w && w->nineX ? MachineText(nineX, "ProductName") + L" build " + MachineText(nineX, "VersionNumber") +
                            MachineText(nineX, "SubVersionNumber")
                      : MachineText(nt, "ProductName") + L" build " + MachineText(nt, "CurrentBuildNumber");
    const std::wstring ie = MachineText("SOFTWARE\\Microsoft\\Internet Explorer", "Version");
    if (w) {
        EXPECT_EQ(w->SystemLine(), system);
        EXPECT_EQ(testsupport::Widen(w->ie), ie);
    }
    Child app(BinFolder() + L"\\Quillbox.exe");
    HWND main = WaitForWindow(app.pid(), nullptr, L"Quillbox Ver2");
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(system, TextOf(FindById(main, IDC_LABEL1)));
    EXPECT_EQ(ie, TextOf(FindById(main, IDC_LABEL2)));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, app.WaitExit(10000));
}

TEST_F(QuillboxProcess, BackupFolderFollowsTheProgramsFolder) {
    ScratchDir store("e2e-store");
    MakeIdentity("{AAAA-1111}", "Taro", store.path().c_str());
    ScratchDir tools("e2e-tools");

    struct Row { std::wstring exe; std::wstring bkDir; };
    const std::wstring inTools = testsupport::Widen(tools.path()) + L"\\Quillbox.exe";
    const Row rows[] = {
        {inTools, testsupport::Widen(tools.path()) + L"\\WBbackup"},
        {L"C:\\quillbox-e2e-root.exe", L"C:\\\\WBbackup"},  // the root keeps its backslash
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.exe.begin(), r.exe.end()));
        ASSERT_TRUE(CopyFileW((BinFolder() + L"\\Quillbox.exe").c_str(), r.exe.c_str(), FALSE));
        {
            Child app(r.exe);
            ASSERT_TRUE(app.started());
            HWND main = WaitForWindow(app.pid(), nullptr, L"Quillbox Ver2");
            ASSERT_NE(nullptr, main);
            EXPECT_EQ(r.bkDir, TextOf(FindById(main, IDC_BKDIR)));
            EXPECT_EQ(L"{AAAA-1111}", TextOf(FindById(main, IDC_OLDPATH)));
            EXPECT_EQ(L"Taro", TextOf(FindById(main, IDC_LABEL8)));
            PostMessageW(main, WM_CLOSE, 0, 0);
            EXPECT_EQ(0u, app.WaitExit(10000));
        }
        DeleteFileW(r.exe.c_str());
    }
}

}  // namespace
