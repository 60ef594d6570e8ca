// about1.exe as the ABOUT menu starts it: its window shows what it was given, OK closes it.
#include "about/res/resource.h"
#include "tests/support/system_family.h"
#include "tests/support/test_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring BinFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\'));
}

HWND WaitForDialog(DWORD pid) {
    for (int waited = 0; waited < 20000; waited += 50) {
        const HWND found = testsupport::FirstTopWindow([pid](HWND h) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            return owner == pid && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h);
        });
        if (found) return found;
        Sleep(50);
    }
    return nullptr;
}

std::wstring TextOf(HWND h) {
    wchar_t buf[512] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &result);
    return buf;
}

TEST(AboutWindow, ShowsWhatItIsGivenAndClosesOnOk) {
    struct Row { std::wstring argument, caption, name, version, description; };
    const Row rows[] = {
        {L"Quillbox/2.1.6/ Outlookex5のメールや設定、動作設定 等ユーザーごとにバックアップ復元します。", L"About Quillbox",
         L"Quillbox", L"Version 2.1.6", L"Outlookex5のメールや設定、動作設定 等ユーザーごとにバックアップ復元します。"},
        {L"nothing to split here", L"About", L"", L"", L"nothing to split here"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.argument));
        if (!testsupport::SystemTakes(row.argument)) continue;  // a 9x system of another code page
        const std::wstring exe = BinFolder() + L"\\about1.exe";
        std::wstring commandLine = L"about1.exe " + row.argument;
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        // With QB_RELAY set, about1.exe alone runs under Wine's relay trace (CMakeLists.txt).
        const bool traced = GetEnvironmentVariableW(L"QB_RELAY", nullptr, 0) != 0;
        if (traced) SetEnvironmentVariableW(L"WINEDEBUG", L"+pid,+loaddll,+relay");
        const BOOL started =
            CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        if (traced) SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
        ASSERT_TRUE(started);
        HWND dialog = WaitForDialog(pi.dwProcessId);
        EXPECT_NE(nullptr, dialog);
        if (dialog) {
            EXPECT_EQ(row.caption, TextOf(dialog));
            EXPECT_EQ(row.name, TextOf(GetDlgItem(dialog, IDC_ABOUT_NAME)));
            EXPECT_EQ(row.version, TextOf(GetDlgItem(dialog, IDC_ABOUT_VERSION)));
            EXPECT_EQ(row.description, TextOf(GetDlgItem(dialog, IDC_ABOUT_DESCRIPTION)));
            EXPECT_EQ(L"Archiver: unlha32.dll 1.0.0", TextOf(GetDlgItem(dialog, IDC_ABOUT_ARCHIVER)));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
        const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        if (!ended) TerminateProcess(pi.hProcess, 99);
        EXPECT_TRUE(ended);
        EXPECT_EQ(0u, code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

}  // namespace
