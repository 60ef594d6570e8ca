// Mail out of a backup where there is no Outlook Express: Quillbox.exe backs up an identity
// whose store the test writer made (the demo's), then qbmail exports that backup, natively (as
// on Linux) and as qbmail.exe (as on Windows 10), and every message comes back byte for byte
// in its folder.
#include "e2e/e2e_support.h"
#include "sample_store.h"
#include "support/identities.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"

#include "mainwindow/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace {

using namespace e2e;
using testsupport::ScratchDir;
using testsupport::Widen;
using Mail = std::map<std::string, std::multiset<std::string>>;  // folder path -> message texts

std::string Utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string ReadAll(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string out;
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

// Every .eml file below `root`, by its folder's path (UTF-8, '/' separated), through the wide
// calls so that a Japanese folder name comes through whatever the code page.
void CollectEml(const std::wstring& root, const std::string& rel, Mail& out) {
    if (!rel.empty()) out[rel];  // an empty folder shows too
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((root + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectEml(root + L"\\" + name, rel.empty() ? Utf8(name) : rel + "/" + Utf8(name), out);
        else if (name.size() > 4 && name.substr(name.size() - 4) == L".eml")
            out[rel].insert(ReadAll(root + L"\\" + name));
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

// The path a Linux program sees for a path of this prefix (Wine's own call).
std::string UnixPath(const std::string& windowsPath) {
    using Fn = char*(CDECL*)(LPCWSTR);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* unix = fn(Widen(windowsPath).c_str());
    std::string out = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// The folders of an export and how many messages each holds, for a failure's message.
std::string Describe(const Mail& mail) {
    std::string out;
    for (const auto& [folder, texts] : mail) out += " [" + folder + ": " + std::to_string(texts.size()) + "]";
    return out;
}

std::wstring Quoted(const std::string& s) { return L"\"" + Widen(s) + L"\""; }

// Runs a Linux program from Wine and returns its exit status, -1 when it does not end in time.
// Wine starts it, but gives back no handle to wait on: a shell around it leaves the status in
// a file, which appears whole (moved into place) when the program has ended.
int RunLinux(const std::string& command, const std::string& statusFile, DWORD ms) {
    const std::string unixStatus = UnixPath(statusFile);
    const std::string script = command + "; echo $? >'" + unixStatus + ".part' && mv '" + unixStatus + ".part' '" + unixStatus + "'";
    Child shell(L"Z:\\bin\\sh", L"-c " + Quoted(script));
    if (!shell.started()) return -1;
    if (!WaitUntil([&] { return GetFileAttributesA(statusFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, ms)) return -1;
    return std::atoi(testsupport::ReadBytes(statusFile).c_str());
}

class MailOutOfABackup : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveIdentities(); }
    void TearDown() override { testsupport::RemoveIdentities(); }
};

TEST_F(MailOutOfABackup, QbmailOnLinuxAndOnWindowsGivesBackEveryMessage) {
    ScratchDir dir("e2e-mail");
    const std::string store = dir.path() + "\\Sample Store", backup = dir.path() + "\\WBbackup";
    const std::vector<sample::SampleFolder> folders = sample::WriteSampleStore(store);
    ASSERT_FALSE(folders.empty());
    Mail want;
    for (const sample::SampleFolder& f : folders) want[f.path].insert(f.texts.begin(), f.texts.end());
    testsupport::MakeIdentity("{E2E-0009}", "Sample", (store + "\\").c_str());
    {
        Child app(BinFolder() + L"\\Quillbox.exe");
        HWND main = WaitForWindow(app.pid(), nullptr, L"Quillbox Ver2");
        ASSERT_NE(nullptr, main);
        Type(FindById(main, IDC_BKDIR), Widen(backup));
        Click(FindById(main, IDC_COMMAND1));
        // OL.lzh is the last file a backup without the address book makes, moved in whole.
        MessageBoxes boxes(app.pid(), {});
        ASSERT_TRUE(boxes.AnswerUntil([&] { return GetFileAttributesA((backup + "\\OL.lzh").c_str()) != INVALID_FILE_ATTRIBUTES; }));
        EXPECT_TRUE(boxes.shown.empty()) << "the backup showed a message";
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(0u, app.WaitExit(60000));
    }

    const std::string native = QB_NATIVE_QBMAIL;
    if (native.empty()) GTEST_SKIP() << "the backup is made; no native qbmail was named to export it (tools/test names one)";
    const std::string out = dir.path() + "\\native";
    ASSERT_EQ(0, RunLinux("'" + native + "' export '" + UnixPath(backup) + "' '" + UnixPath(out) + "' >/dev/null",
                          dir.path() + "\\native.status", 120000));
    Mail got;
    CollectEml(Widen(out), "", got);
    EXPECT_TRUE(want == got) << "written:" << Describe(want) << "\nexported:" << Describe(got);

    // The same backup through the Windows program, told the code page of the store's names.
    const std::string outExe = dir.path() + "\\windows";
    Child onWindows(BinFolder() + L"\\qbmail.exe", L"export " + Quoted(backup) + L" " + Quoted(outExe) + L" --codepage 932");
    ASSERT_EQ(0u, onWindows.WaitExit(120000));
    Mail gotExe;
    CollectEml(Widen(outExe), "", gotExe);
    EXPECT_TRUE(want == gotExe) << "written:" << Describe(want) << "\nexported by qbmail.exe:" << Describe(gotExe);
}

}  // namespace
