// The real Quillbox.exe started as a child process and driven through the window system.
#include "mainwindow/resource.h"
#include "support/identities.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using testsupport::MakeIdentity;
using testsupport::ScratchDir;

std::wstring BinFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\'));
}

// A child process, ended and closed when the test is done with it.
class Child {
public:
    explicit Child(const std::wstring& exe) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        started_ = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    }
    ~Child() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool started() const { return started_; }
    DWORD pid() const { return pi_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitExit(DWORD ms) const {
        WaitForSingleObject(pi_.hProcess, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

// Waits for a top-level window of the process with this class (or any) and title.
HWND WaitForWindow(DWORD pid, const wchar_t* cls, const wchar_t* title, DWORD ms = 20000) {
    struct Search { DWORD pid; const wchar_t* cls; const wchar_t* title; HWND found; };
    for (DWORD waited = 0; waited < ms; waited += 50) {
        Search s = {pid, cls, title, nullptr};
        EnumWindows(
            [](HWND h, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                wchar_t text[128] = {}, klass[64] = {};
                GetWindowTextW(h, text, 128);
                GetClassNameW(h, klass, 64);
                if (owner != s->pid || lstrcmpW(text, s->title) != 0 || !IsWindowVisible(h)) return TRUE;
                if (s->cls && lstrcmpW(klass, s->cls) != 0) return TRUE;
                s->found = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(50);
    }
    return nullptr;
}

HWND FindById(HWND root, int id) {
    struct Search { int id; HWND found; } s = {id, nullptr};
    EnumChildWindows(
        root,
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (GetDlgCtrlID(h) != s->id) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring TextOf(HWND h) {
    // WM_GETTEXT reaches into another process's edit controls; GetWindowText does not.
    wchar_t buf[512] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &result);
    return buf;
}

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
