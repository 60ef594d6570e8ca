// Mail out of a backup where there is no Outlook Express: Quillbox.exe backs up an identity
// whose store the test writer made (the demo's), then qbmail exports that backup, natively (as
// on Linux) and as qbmail.exe (as on Windows 10), and every message comes back byte for byte
// in its folder.
#include "e2e/e2e_support.h"
#include "profile/saved_registry.h"
#include "sample_book.h"
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

// `mail` as qbmail.exe names it on this system: on 98 and Me a character of a folder's name that
// the ANSI code page lacks becomes '_' (the name is kept, never dropped); elsewhere as it is.
Mail AsStored(const Mail& mail) {
    if (!(GetVersion() & 0x80000000u)) return mail;
    Mail out;
    for (const auto& [folder, texts] : mail) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()), nullptr, 0);
        std::wstring w(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()), w.data(), n);
        for (wchar_t& c : w) {
            char bytes[4];
            BOOL lost = FALSE;
            if (WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, sizeof bytes, nullptr, &lost) <= 0 || lost) c = L'_';
        }
        out[Utf8(w)] = texts;
    }
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

// The display names of the contacts a book written by the tests' writer holds, in UTF-8.
std::set<std::string> ContactNames(const wabw::Book& book) {
    std::set<std::string> names;
    for (const wabw::Record& r : book.records) {
        if (r.deleted) continue;
        bool contact = false;
        std::string name;
        for (const wabw::Prop& p : r.props) {
            if (p.tag == (std::uint32_t{wabw::kObjectType} << 16 | wabw::kLong)) contact = p.value.size() == 4 && p.value[0] == 6;
            if (p.tag >> 16 != wabw::kDisplayName || p.value.size() < 2) continue;
            std::wstring w;
            if ((p.tag & 0xFFFF) == wabw::kUnicode) {
                for (std::size_t i = 0; i + 1 < p.value.size() - 2; i += 2) w += static_cast<wchar_t>(p.value[i] | p.value[i + 1] << 8);
            } else {  // 8-bit text in code page 932, NUL at its end
                w.resize(p.value.size());
                w.resize(static_cast<std::size_t>(MultiByteToWideChar(932, 0, reinterpret_cast<const char*>(p.value.data()),
                                                                      static_cast<int>(p.value.size() - 1), w.data(), static_cast<int>(w.size()))));
            }
            name = Utf8(w);
        }
        if (contact && !name.empty()) names.insert(name);
    }
    return names;
}

class MailOutOfABackup : public ::testing::Test {
protected:
    MailOutOfABackup() : wab_(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB") {}
    void SetUp() override {
        ASSERT_TRUE(wab_.saved());
        wab_.Remove();
        testsupport::RemoveIdentities();
    }
    void TearDown() override { testsupport::RemoveIdentities(); }
    profiletest::SavedTree wab_;
};

TEST_F(MailOutOfABackup, QbmailOnLinuxAndOnWindowsGivesBackEveryMessage) {
    ScratchDir dir("e2e-mail");
    const std::string store = dir.path() + "\\Sample Store", backup = dir.path() + "\\WBbackup";
    const std::vector<sample::SampleFolder> folders = sample::WriteSampleStore(store);
    ASSERT_FALSE(folders.empty());
    Mail want;
    for (const sample::SampleFolder& f : folders) want[f.path].insert(f.texts.begin(), f.texts.end());
    testsupport::MakeIdentity("{E2E-0009}", "Sample", (store + "\\").c_str());
    const wabw::Book book = wabw::SampleBook();
    const std::string bookFile = dir.path() + "\\Sample.wab";
    ASSERT_TRUE(wabw::Write(book).writeTo(bookFile));
    testsupport::SetRawValue("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", REG_SZ, bookFile + std::string(1, '\0'));
    {
        Child app(BinFolder() + L"\\Quillbox.exe");
        HWND main = WaitForWindow(app.pid(), nullptr, L"Quillbox Ver2");
        ASSERT_NE(nullptr, main);
        // The window is ready once it shows the identity it picked.
        ASSERT_TRUE(WaitUntil([&] { return TextOf(FindById(main, IDC_LABEL8)) == L"Sample"; }));
        Type(FindById(main, IDC_BKDIR), Widen(backup));
        Click(FindById(main, IDC_ADDRESBOOK));
        ASSERT_TRUE(WaitUntil([&] { return IsTicked(FindById(main, IDC_ADDRESBOOK)); }));
        Click(FindById(main, IDC_COMMAND1));
        // WAB.lzh is the last file the backup makes, moved in whole.
        MessageBoxes boxes(app.pid(), {});
        ASSERT_TRUE(boxes.AnswerUntil([&] { return GetFileAttributesA((backup + "\\WAB.lzh").c_str()) != INVALID_FILE_ATTRIBUTES; }))
            << boxes.shown.size() << " boxes shown; in the backup:" << [&] {
                   std::string names;
                   for (const auto& [name, bytes] : testsupport::Snapshot(backup)) names += " " + name;
                   return names;
               }();
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

    // The address book, read in place out of WAB.lzh: a card for each contact.
    const std::string cards = dir.path() + "\\contacts.vcf";
    ASSERT_EQ(0, RunLinux("'" + native + "' contacts '" + UnixPath(backup) + "' '" + UnixPath(cards) + "' >/dev/null",
                          dir.path() + "\\contacts.status", 60000));
    const std::string vcf = testsupport::ReadBytes(cards);
    for (const std::string& name : ContactNames(book)) EXPECT_NE(std::string::npos, vcf.find("\r\nFN:" + name + "\r\n")) << name;

    // The same backup through the Windows program, told the code page of the store's names.
    const std::string outExe = dir.path() + "\\windows";
    Child onWindows(BinFolder() + L"\\qbmail.exe", L"export " + Quoted(backup) + L" " + Quoted(outExe) + L" --codepage 932");
    ASSERT_EQ(0u, onWindows.WaitExit(120000));
    Mail gotExe;
    CollectEml(Widen(outExe), "", gotExe);
    EXPECT_TRUE(AsStored(want) == gotExe) << "written:" << Describe(want) << "\nexported by qbmail.exe:" << Describe(gotExe);
}

}  // namespace
