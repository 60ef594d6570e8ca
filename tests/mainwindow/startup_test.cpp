// Start-up of the main window against the test prefix's registry and folders, then the
// identity pick and the END menu as the window system delivers them.
#include "mainwindow/main_form.h"
#include "mainwindow/resource.h"
#include "platform/path_text.h"
#include "support/identities.h"
#include "support/registry_sandbox.h"
#include "support/shell_folder_stand_in.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
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

    // The system line from the texts its family keeps (the 32-bit suite also runs as 98).
    const bool nt = PathText::IsWindowsNT();
    const wchar_t* key = nt ? L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion" : L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const std::wstring build = nt ? RegText(HKEY_LOCAL_MACHINE, key, L"CurrentBuildNumber")
                                  : RegText(HKEY_LOCAL_MACHINE, key, L"VersionNumber") +
                                        RegText(HKEY_LOCAL_MACHINE, key, L"SubVersionNumber");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, L"ProductName") + L" build " + build, form_->Label1.Caption());
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
}

TEST_F(StartUp, DpathFallsBackToLocalApplicationDataWithoutAProfileFolder) {
    struct Row { std::map<std::int32_t, std::wstring> folders; std::wstring dpath; };
    const Row rows[] = {
        {{{40, L"C:\\quillbox-profile"}, {28, L"C:\\quillbox-local"}}, L"C:\\quillbox-profile"},
        {{{28, L"C:\\quillbox-local"}}, L"C:\\quillbox-local"},
        {{}, L""},
    };
    for (const Row& r : rows) {
        testsupport::ShellFolderStandIn shell(r.folders);
        Load();
        EXPECT_EQ(r.dpath, form_->Dpath.Caption()) << r.folders.size();
    }
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

// A pick in the drop-down list, made as the keyboard makes it: the list's own window procedure
// moves the selection and notifies the window through its frame.
TEST_F(StartUp, PickingAnotherIdentityShowsItButKeepsTheStartUpToolTip) {
    ScratchDir first("pick-first");
    ScratchDir second("pick-second");
    MakeIdentity("{AAAA-1111}", "Taro", first.path().c_str());
    MakeIdentity("{BBBB-2222}", "Hanako", (second.path() + "\\").c_str());
    Load();
    ASSERT_NE(nullptr, form_->hwnd());

    SendMessageW(form_->UserList.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(1, form_->OwnUserList().ListIndex());
    EXPECT_EQ(L"{BBBB-2222}", form_->OLdPath.Caption());
    EXPECT_EQ(Widen(second.path()), form_->OLdPath.Tag());
    EXPECT_EQ(L"Hanako", form_->Label8.Caption());
    EXPECT_EQ(Widen(first.path()), form_->OLdPath.ToolTipText());
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(0, ended_);
}

TEST_F(StartUp, EndMenuEndsTheProgram) {
    Load();
    ASSERT_NE(nullptr, form_->hwnd());
    // What choosing END > End sends: the item's id, no control.
    SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_END, 0), 0);
    EXPECT_EQ(1, ended_);
    EXPECT_TRUE(shown_.empty());
}

// With kFolderReport naming a file, a copy of this program writes what start-up made of the
// folder it was started from (the program folder, then bkDir) and ends before any test runs.
constexpr wchar_t kFolderReport[] = L"QUILLBOX_TEST_FOLDER_REPORT";

class FolderReport : public ::testing::Environment {
public:
    void SetUp() override {
        wchar_t report[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(kFolderReport, report, MAX_PATH)) return;
        mainwindow::Hooks quiet;
        quiet.MsgBox = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; };
        quiet.EndProgram = [] {};
        mainwindow::mainFrm form(quiet);
        if (form.Create()) form.Form_Load();
        const std::wstring text = mainwindow::ProgramFolder() + L"\n" + form.bkDir.Text();
        const auto size = static_cast<std::streamsize>(text.size() * sizeof(wchar_t));
        std::ofstream(report, std::ios::binary).write(reinterpret_cast<const char*>(text.data()), size);
        ExitProcess(0);
    }
};
const auto* const kFolderReportEnvironment = ::testing::AddGlobalTestEnvironment(new FolderReport);

// Runs a copy of this program as `exe` from another current folder; its report, line by line.
std::vector<std::wstring> ReportFrom(const std::wstring& exe, const std::wstring& report) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!CopyFileW(self, exe.c_str(), FALSE)) return {};
    DeleteFileW(report.c_str());
    SetEnvironmentVariableW(kFolderReport, report.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // its test banner would only clutter this output
    startup.hStdOutput = startup.hStdError = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION child{};
    std::wstring command = L"\"" + exe + L"\"";
    const bool started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        L"C:\\windows", &startup, &child);
    SetEnvironmentVariableW(kFolderReport, nullptr);
    if (started) {
        WaitForSingleObject(child.hProcess, 30000);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    DeleteFileW(exe.c_str());
    std::ifstream in(report.c_str(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    const std::size_t newline = text.find(L'\n');
    if (newline == std::wstring::npos) return {text};
    return {text.substr(0, newline), text.substr(newline + 1)};
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    testsupport::RemoveIdentities();
    CreateDirectoryW(L"C:\\quillbox-pf", nullptr);
    const std::wstring report = L"C:\\quillbox-pf\\report.txt";
    struct Row { std::wstring exe; std::vector<std::wstring> expected; };
    const Row rows[] = {
        {L"C:\\quillbox-pf\\probe.exe", {L"C:\\quillbox-pf", L"C:\\quillbox-pf\\WBbackup"}},
        // At a drive root the system names the folder with its backslash, which bkDir keeps.
        {L"C:\\quillbox-pf-probe.exe", {L"C:\\", L"C:\\\\WBbackup"}},
    };
    for (const Row& r : rows) EXPECT_EQ(r.expected, ReportFrom(r.exe, report)) << r.exe;
    DeleteFileW(report.c_str());
    RemoveDirectoryW(L"C:\\quillbox-pf");
}

}  // namespace
