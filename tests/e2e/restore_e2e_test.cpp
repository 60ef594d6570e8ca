// Backups and restores as a person makes them: Quillbox.exe and Quillboxrestor.exe started as
// child processes, driven through their windows, message boxes and the system's Open dialog.
#include "e2e/e2e_support.h"
#include "profile/saved_registry.h"
#include "support/identities.h"
#include "support/registry_sandbox.h"
#include "support/snapshots.h"

// The two programs number their controls apart; the tool's few are taken before the main
// window's names are defined.
#include "restoretool/resource.h"
namespace tool {
constexpr int kBkUser = IDC_BKUSER, kCheck1 = IDC_CHECK1, kDo = IDC_COMMAND2;
}
#undef IDC_BKDDIR
#undef IDC_COMMAND2
#undef IDC_CHECK1
#undef IDC_RESTORPATH
#undef IDC_BKUSER
#undef IDC_LABEL7
#undef IDC_LABEL9
#include "mainwindow/resource.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace e2e;
using testsupport::DumpTree;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::Snapshot;
using testsupport::Widen;
using Files = std::map<std::string, std::string>;

constexpr char kAccounts[] = "Software\\Microsoft\\Internet Account Manager";
constexpr char kRootValue[] = "\\Software\\Microsoft\\Outlook Express\\5.0|Store Root";
const std::string kNul(1, '\0');

std::string Upper(std::string s) {
    CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string Ansi(const std::wstring& w) {
    std::string out(w.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

// A path in the code page, as the tests hold them, in wide characters (Widen takes ASCII only).
std::wstring FromCodePage(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                            out.data(), static_cast<int>(out.size()))));
    return out;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes each file (relative name, '\'-separated), making its folders.
void WriteFiles(const std::wstring& root, const std::map<std::wstring, std::string>& files) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (const auto& [name, bytes] : files) {
        const std::wstring path = root + L"\\" + name;
        for (std::size_t slash = root.size() + 1; (slash = path.find(L'\\', slash)) != std::wstring::npos; ++slash)
            CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD wrote = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
        CloseHandle(h);
    }
}

// The names that differ between two folder snapshots, at most a few, for a readable failure.
std::string Differences(const Files& want, const Files& got) {
    std::string out;
    int shown = 0;
    for (const auto& [name, bytes] : want) {
        auto it = got.find(name);
        if ((it == got.end() || it->second != bytes) && shown++ < 5) out += " changed or missing: " + name;
    }
    for (const auto& [name, bytes] : got)
        if (!want.count(name) && shown++ < 5) out += " not expected: " + name;
    return out;
}

// What a restore must bring back: one identity's tree, the accounts, the store, the book.
struct Saved {
    std::string identity, store, book;
    std::map<std::string, std::string> tree, accounts;
    Files files;
    std::string bookBytes;

    static Saved Of(const std::string& identity, const std::string& store, const std::string& book) {
        return {identity, store, book, DumpTree("Identities\\" + identity), DumpTree(kAccounts), Snapshot(store),
                book.empty() ? "" : ReadBytes(book)};
    }
    // "Store Root" as a restore leaves it: the restore folder, upper-cased, one backslash after.
    std::string RestoredRoot() const { return "1:" + Upper(store) + "\\" + kNul; }
    bool RootRestored() const { return DumpTree("Identities\\" + identity)[kRootValue] == RestoredRoot(); }

    void ExpectRestored() const {
        std::map<std::string, std::string> want = tree;
        want[kRootValue] = RestoredRoot();
        EXPECT_EQ(want, DumpTree("Identities\\" + identity));
        EXPECT_EQ(accounts, DumpTree(kAccounts));
        const Files now = Snapshot(store);
        EXPECT_TRUE(files == now) << files.size() << " files before, " << now.size() << " now;"
                                  << Differences(files, now);
        if (!book.empty()) {
            EXPECT_EQ(bookBytes, ReadBytes(book));
        }
    }
};

class WholeProgram : public ::testing::Test {
protected:
    WholeProgram()
        : accounts_(HKEY_CURRENT_USER, Widen(kAccounts)), wab_(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB") {}
    void SetUp() override {
        ASSERT_TRUE(accounts_.saved() && wab_.saved());
        accounts_.Remove();
        wab_.Remove();
        testsupport::RemoveIdentities();
    }
    void TearDown() override { testsupport::RemoveIdentities(); }

    // `path` in the code page, as the tests' other paths.
    void RegisterBook(const std::string& path) {
        testsupport::SetRawValue("Software\\Microsoft\\WAB\\WAB4\\Wab File Name", "", REG_SZ, path + kNul);
    }
    void AddAccount() {
        const std::string account = std::string(kAccounts) + "\\Accounts\\00000001";
        testsupport::CreateKey(account);
        testsupport::SetRawValue(account, "Account Name", REG_SZ, "pop.example.org" + kNul);
        testsupport::SetRawValue(account, "SMTP Port", REG_DWORD, std::string("\x19\0\0\0", 4));
        testsupport::SetRawValue(kAccounts, "Default Mail Account", REG_SZ, "00000001" + kNul);
    }
    // The identity, its accounts, its store and its address book gone, as on a new machine.
    void Wipe(const Saved& s) {
        testsupport::DeleteTree("Identities\\" + s.identity);
        accounts_.Remove();
        testsupport::RemoveFolder(s.store);
        if (!s.book.empty()) DeleteFileA(s.book.c_str());
        ASSERT_FALSE(Exists(s.store));
    }

    static HWND StartMain(const Child& app) {
        EXPECT_TRUE(app.started());
        return WaitForWindow(app.pid(), nullptr, L"Quillbox Ver2");
    }

    // The backup page: folder typed, address book box ticked when wanted, "Do".
    static void PressBackup(HWND main, const std::string& folder, bool addressBook) {
        Type(FindById(main, IDC_BKDIR), Widen(folder));
        HWND box = FindById(main, IDC_ADDRESBOOK);
        if (addressBook != IsTicked(box)) Click(box);
        EXPECT_TRUE(WaitUntil([&] { return IsTicked(box) == addressBook; }));
        Click(FindById(main, IDC_COMMAND1));
    }

    // Ticks the address book box once the chosen backup has enabled it.
    static void TickWhenEnabled(HWND box) {
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(box) != FALSE; }));
        Click(box);
        ASSERT_TRUE(WaitUntil([&] { return IsTicked(box); }));
    }

    // FILE > Restor, a double click on the backup box, OLdate.bkd picked in the Open dialog,
    // the address book box ticked when wanted, "Do"; the questions answered Yes until the
    // store root is restored. Returns the boxes shown.
    static std::vector<std::wstring> RestoreOnRestorePage(const Child& app, HWND main, const std::string& backup,
                                                          const Saved& s, const wchar_t* user, bool addressBook) {
        PostMessageW(main, WM_COMMAND, IDM_RESTOR, 0);
        DoubleClick(FindById(main, IDC_BKDDIR));
        EXPECT_TRUE(PickInOpenDialog(app.pid(), Widen(backup + "\\OLdate.bkd")));
        EXPECT_TRUE(WaitUntil([&] { return TextOf(FindById(main, IDC_BKUSER)) == user; }));
        if (addressBook) TickWhenEnabled(FindById(main, IDC_CHECK1));
        Click(FindById(main, IDC_COMMAND2));
        MessageBoxes boxes(app.pid(), {{L"Ther is AddressBook", IDYES}, {L"OverWrite AddressBook", IDYES}});
        EXPECT_TRUE(boxes.AnswerUntil([&] { return s.RootRestored(); })) << "store root not restored";
        return boxes.shown;
    }

    // The restore tool beside the backup (with the archiver library, as it travels), which it
    // loads at start; the rest as on the restore page.
    static std::vector<std::wstring> RestoreWithTool(const std::string& backup, const Saved& s, const wchar_t* user,
                                                     bool addressBook) {
        const std::wstring folder = FromCodePage(backup);
        for (const wchar_t* file : {L"\\Quillboxrestor.exe", L"\\unlha32.dll"})
            EXPECT_TRUE(CopyFileW((BinFolder() + file).c_str(), (folder + file).c_str(), FALSE));
        std::vector<std::wstring> shown;
        {
            Child app(folder + L"\\Quillboxrestor.exe");
            EXPECT_TRUE(app.started());
            HWND w = WaitForWindow(app.pid(), nullptr, L"Quillbox DATA Restor");
            EXPECT_TRUE(WaitUntil([&] { return TextOf(FindById(w, tool::kBkUser)) == user; }));
            if (addressBook) TickWhenEnabled(FindById(w, tool::kCheck1));
            Click(FindById(w, tool::kDo));
            MessageBoxes boxes(app.pid(), {{L"バックアップの設定", IDYES},
                                           {L"Ther is AddressBook", IDYES},
                                           {L"OverWrite AddressBook", IDYES}});
            EXPECT_TRUE(boxes.AnswerUntil([&] { return s.RootRestored(); })) << "store root not restored";
            shown = boxes.shown;
            PostMessageW(w, WM_CLOSE, 0, 0);
            EXPECT_EQ(0u, app.WaitExit(10000));
        }
        for (const wchar_t* file : {L"\\Quillboxrestor.exe", L"\\unlha32.dll"}) DeleteFileW((folder + file).c_str());
        return shown;
    }

    profiletest::SavedTree accounts_, wab_;
};

// Each box shown begins with the matching text, one for one.
void ExpectShown(const std::vector<std::wstring>& shown, const std::vector<std::wstring>& starts) {
    ASSERT_EQ(starts.size(), shown.size()) << (shown.empty() ? std::string("none shown") : Ansi(shown.back()));
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(starts[i], shown[i].substr(0, starts[i].size())) << Ansi(shown[i]);
}

const std::vector<std::wstring> kMainRestoreBoxes = {L"Quillbox|Ther is AddressBook Backup\r\nRestor AddressBook?",
                                                     L"Quillbox|OverWrite AddressBook?"};
const std::vector<std::wstring> kToolRestoreBoxes = {L"Quillboxrestor|バックアップの設定",
                                                     L"Quillboxrestor|Ther is AddressBook Backup\r\nRestor AddressBook?",
                                                     L"Quillboxrestor|OverWrite AddressBook?"};

TEST_F(WholeProgram, BackupComesBackThroughBothProgramsAndTheOtherIdentityStaysAsItWas) {
    ScratchDir dir("e2e-both");
    const std::string store = dir.path() + "\\Taro Store", other = dir.path() + "\\Ichiro Store";
    const std::string backup = dir.path() + "\\Backup Folder";
    const std::string book = dir.WriteFile("Taro Book.wab", std::string("wab\0\x01\xFF bytes", 13));
    WriteFiles(Widen(store), {{L"Inbox.dbx", std::string(200000, 'i') + "end"},
                              {L"Mail Lists\\ml dev.dbx", "list"},
                              {L"Folders.dbx", ""}});
    WriteFiles(Widen(other), {{L"Inbox.dbx", "Ichiro's inbox"}});
    // Sorted first in the list, so picking Taro takes a step down.
    testsupport::MakeIdentity("{E2E-0001}", "Ichiro", (other + "\\").c_str());
    testsupport::MakeIdentity("{E2E-0002}", "Taro", (store + "\\").c_str());
    // Backslashes and quotes must come back through the settings file unchanged.
    testsupport::SetRawValue("Identities\\{E2E-0002}\\Software\\Microsoft\\Outlook Express\\5.0", "Signature",
                             REG_SZ, "C:\\sig\\\"quoted\"\\" + kNul);
    AddAccount();
    RegisterBook(book);
    const Saved taro = Saved::Of("{E2E-0002}", store, book);
    const auto otherTree = DumpTree("Identities\\{E2E-0001}");
    const Files otherFiles = Snapshot(other);

    {
        Child app(BinFolder() + L"\\Quillbox.exe");
        HWND main = StartMain(app);
        ASSERT_NE(nullptr, main);
        PostMessageW(FindById(main, IDC_USERLIST), WM_KEYDOWN, VK_DOWN, 0);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(FindById(main, IDC_LABEL8)) == L"Taro"; }));
        PressBackup(main, backup, true);
        MessageBoxes boxes(app.pid(), {});
        ASSERT_TRUE(boxes.AnswerUntil([&] { return Exists(backup + "\\WAB.lzh"); })) << "no WAB.lzh";
        ExpectShown(boxes.shown, {});
        const Files made = Snapshot(backup);
        std::vector<std::string> names;
        for (const auto& f : made) names.push_back(f.first);
        EXPECT_EQ((std::vector<std::string>{"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"}), names);

        Wipe(taro);
        ExpectShown(RestoreOnRestorePage(app, main, backup, taro, L"Taro", true), kMainRestoreBoxes);
        taro.ExpectRestored();
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, app.WaitExit(10000));
    }

    Wipe(taro);
    ExpectShown(RestoreWithTool(backup, taro, L"Taro", true), kToolRestoreBoxes);
    taro.ExpectRestored();

    EXPECT_EQ(otherTree, DumpTree("Identities\\{E2E-0001}"));
    EXPECT_TRUE(otherFiles == Snapshot(other));
}

TEST_F(WholeProgram, BackupCutOffWhilePackingLeavesTheEarlierOneForTheNextStart) {
    ScratchDir dir("e2e-cut");
    const std::string store = dir.path() + "\\Goro Store", backup = dir.path() + "\\Cut Backup";
    WriteFiles(Widen(store), {{L"Inbox.dbx", "earlier inbox"}});
    testsupport::MakeIdentity("{E2E-0004}", "Goro", (store + "\\").c_str());
    AddAccount();
    RegisterBook(dir.WriteFile("Goro.wab", "book"));
    std::string junk(64 << 20, '\0');  // mail that takes a while to pack
    unsigned seed = 99;
    for (char& c : junk) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    Files earlier;
    {
        Child app(BinFolder() + L"\\Quillbox.exe");
        HWND main = StartMain(app);
        ASSERT_NE(nullptr, main);
        PressBackup(main, backup, true);
        MessageBoxes first(app.pid(), {});
        ASSERT_TRUE(first.AnswerUntil([&] { return Exists(backup + "\\WAB.lzh"); }));
        earlier = Snapshot(backup);
        WriteFiles(Widen(store), {{L"Inbox.dbx", junk}});
        // The program ends while it packs the new store over the earlier backup.
        Click(FindById(main, IDC_COMMAND1));
        MessageBoxes second(app.pid(), {{L"以前のバックアップが存在します。", IDYES}});
        ASSERT_TRUE(second.AnswerUntil([&] {
            WIN32_FIND_DATAA half;
            HANDLE found = FindFirstFileA((backup + "\\qbz*.tmp").c_str(), &half);  // OL.lzh being written
            if (found != INVALID_HANDLE_VALUE) FindClose(found);
            return found != INVALID_HANDLE_VALUE && Exists(backup + "\\OL.lzh.qbkeep") && !Exists(backup + "\\OL.lzh");
        }));
        app.Kill();
    }
    ASSERT_NE(earlier, Snapshot(backup));  // files set aside, new ones and a half-made archive
    Child app(BinFolder() + L"\\Quillbox.exe");
    HWND main = StartMain(app);
    ASSERT_NE(nullptr, main);
    PressBackup(main, backup, true);
    MessageBoxes next(app.pid(), {{L"以前のバックアップが存在します。", IDNO}});
    ASSERT_TRUE(next.AnswerUntil([&] { return next.shown.size() == 2; }));
    ExpectShown(next.shown, {L"Quillbox|以前のバックアップが存在します。", L"Quillbox|新しい保存先を指定してください。"});
    EXPECT_TRUE(earlier == Snapshot(backup)) << Differences(earlier, Snapshot(backup));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, app.WaitExit(10000));
}

// On a system whose ANSI code page is Japanese (932), as Outlook Express users in Japan have it: a
// Japanese identity name, store, backup folder and address book, and the Japanese messages, come
// through both programs whole. The run as Windows 98 makes every window an ANSI window.
TEST_F(WholeProgram, JapaneseNamesAndFoldersComeThroughWhole) {
    if (GetACP() != 932) {
        ASSERT_EQ(nullptr, std::getenv("QB_E2E_CODEPAGE")) << "this run is meant for code page 932";
        GTEST_SKIP() << "code page " << GetACP() << ", not 932";
    }
    ScratchDir dir("e2e-ja");
    const std::wstring name = L"山田 太郎";
    const std::string store = dir.path() + "\\" + Ansi(L"山田のメール"), book = dir.path() + "\\" + Ansi(L"アドレス帳.wab");
    WriteFiles(testsupport::Widen(dir.path()), {{L"山田のメール\\受信トレイ.dbx", std::string(50000, 'j') + "end"},
                                                {L"山田のメール\\送信済み アイテム.dbx", "sent"},
                                                {L"アドレス帳.wab", "book"}});
    testsupport::MakeIdentity("{E2E-JA01}", Ansi(name).c_str(), (store + "\\").c_str());
    AddAccount();
    RegisterBook(book);
    const Saved yamada = Saved::Of("{E2E-JA01}", store, book);
    // The program in a Japanese folder: its backup folder, beside it, is one too, and comes
    // without typing (under Wine, text sent to another process's ANSI window loses its double-byte
    // characters, which typing on a real 98 does not).
    const std::wstring tools = testsupport::Widen(dir.path()) + L"\\山田のツール";
    CreateDirectoryW(tools.c_str(), nullptr);
    for (const wchar_t* file : {L"\\Quillbox.exe", L"\\unlha32.dll"})
        ASSERT_TRUE(CopyFileW((BinFolder() + file).c_str(), (tools + file).c_str(), FALSE));
    const std::string backup = Ansi(tools) + "\\WBbackup";
    {
        Child app(tools + L"\\Quillbox.exe");
        HWND main = StartMain(app);
        ASSERT_NE(nullptr, main);
        EXPECT_EQ(name, TextOf(FindById(main, IDC_LABEL8)));
        EXPECT_EQ(tools + L"\\WBbackup", TextOf(FindById(main, IDC_BKDIR)));
        HWND box = FindById(main, IDC_ADDRESBOOK);
        if (!IsTicked(box)) Click(box);
        ASSERT_TRUE(WaitUntil([&] { return IsTicked(box); }));
        Click(FindById(main, IDC_COMMAND1));
        MessageBoxes boxes(app.pid(), {});
        ASSERT_TRUE(boxes.AnswerUntil([&] { return Exists(backup + "\\WAB.lzh"); }));
        ExpectShown(boxes.shown, {});
        // Once more into the same folder: the Japanese question, answered No, and its reply.
        Click(FindById(main, IDC_COMMAND1));
        MessageBoxes again(app.pid(), {{L"以前のバックアップが存在します。", IDNO}});
        ASSERT_TRUE(again.AnswerUntil([&] { return again.shown.size() == 2; }));
        ExpectShown(again.shown, {L"Quillbox|以前のバックアップが存在します。\r\n上書きしますか。？",
                                  L"Quillbox|新しい保存先を指定してください。"});
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, app.WaitExit(10000));
    }
    const std::string info = ReadBytes(backup + "\\OLdate.bkd");
    EXPECT_NE(std::string::npos, info.find("\r\nUserName=" + Ansi(name) + "\r\n")) << info;
    EXPECT_NE(std::string::npos, info.find("\r\nstorroot=" + store + "\\\r\n")) << info;
    Wipe(yamada);
    ExpectShown(RestoreWithTool(backup, yamada, name.c_str(), true), kToolRestoreBoxes);
    yamada.ExpectRestored();
    for (const wchar_t* file : {L"\\Quillbox.exe", L"\\unlha32.dll"}) DeleteFileW((tools + file).c_str());
}

// A host path as the programs under Wine see it: drive Z: is the host's root.
std::string HostPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

TEST_F(WholeProgram, OlderBackupFolderComesBackThroughBothPrograms) {
    // Settings unescaped under "REGEDIT4 ", archives by another LHA writer (fixtures/make_old_backup.sh).
    const std::string fixtures = HostPath(QB_E2E_FIXTURES);
    ScratchDir dir("e2e-old");
    const std::string backup = dir.path() + "\\Old Backup";
    CreateDirectoryA(backup.c_str(), nullptr);
    for (const char* f : {"OLdate.bkd", "OLbk1.reg", "OL.lzh", "WAB.lzh"})
        ASSERT_TRUE(CopyFileA((fixtures + "\\old_backup\\" + f).c_str(), (backup + "\\" + f).c_str(), FALSE)) << f;
    char profile[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, profile));
    const std::string top = std::string(profile) + "\\Quillbox e2e old";  // the recorded store root's folder
    testsupport::RemoveFolder(top);
    const std::string book = dir.path() + "\\Hanako.wab";
    RegisterBook(book);

    const std::string oe = "\\Software\\Microsoft\\Outlook Express";
    const Saved hanako{
        "{E2E-OLD1}",
        top + "\\Identities\\{E2E-OLD1}\\Microsoft\\Outlook Express",
        book,
        {{"", "key"},
         {"|Username", "1:Hanako" + kNul},
         {"|Identity Ordinal", std::string("4:\x02\0\0\0", 6)},
         {"\\Software", "key"},
         {"\\Software\\Microsoft", "key"},
         {oe, "key"},
         {oe + "\\5.0", "key"},
         {oe + "\\5.0|Signature File", "1:C:\\Mail\\Hanako sig.txt" + kNul},
         {oe + "\\5.0|Welcome", std::string("3:\x01\0\0\0", 6)}},
        {{"", "key"},
         {"|Default Mail Account", "1:00000001" + kNul},
         {"\\Accounts", "key"},
         {"\\Accounts\\00000001", "key"},
         {"\\Accounts\\00000001|Account Name", "1:pop.example.org" + kNul},
         {"\\Accounts\\00000001|SMTP Port", std::string("4:\x19\0\0\0", 6)}},
        Snapshot(fixtures + "\\old_content\\Store"),
        ReadBytes(fixtures + "\\old_content\\Hanako.wab")};
    ASSERT_EQ(7u, hanako.files.size());

    {
        Child app(BinFolder() + L"\\Quillbox.exe");
        HWND main = StartMain(app);  // no identity yet: the window opens without a question
        ASSERT_NE(nullptr, main);
        ExpectShown(RestoreOnRestorePage(app, main, backup, hanako, L"Hanako", true), kMainRestoreBoxes);
        hanako.ExpectRestored();
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, app.WaitExit(10000));
    }
    Wipe(hanako);
    ExpectShown(RestoreWithTool(backup, hanako, L"Hanako", true), kToolRestoreBoxes);
    hanako.ExpectRestored();
    testsupport::RemoveFolder(top);
}

// Whether the ANSI code page holds the text exactly, with no best-fit stand-in.
bool CodePageHolds(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    char out[512];
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), out,
                                      sizeof out, nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

TEST_F(WholeProgram, TwoThousandFilesComeBackAndANameTheCodePageLacksIsReported) {
    // Names of the prefix's code page: Japanese under 932, Latin-1 under 1252.
    const bool japanese = GetACP() == 932;
    const std::vector<std::wstring> words = japanese ? std::vector<std::wstring>{L"受信トレイ", L"送信済み アイテム", L"メール"}
                                                     : std::vector<std::wstring>{L"Boîte de réception", L"Éléments envoyés", L"Größe"};
    for (const std::wstring& w : words) ASSERT_TRUE(CodePageHolds(w)) << "code page " << GetACP();
    const std::wstring lacking = L"Ārvo Ōta.dbx";  // best fit would make it "Arvo Ota.dbx"
    ASSERT_FALSE(CodePageHolds(lacking));

    ScratchDir dir("e2e-large");
    const std::string store = dir.path() + "\\Saburo Store", backup = dir.path() + "\\Large Backup";
    std::map<std::wstring, std::string> files;
    for (int f = 0; f < 10; ++f)
        for (int s = 0; s < 2; ++s)
            for (int m = 0; m < 100; ++m)
                files[L"Folder " + std::to_wstring(f) + L" " + words[f % 2] + L"\\Sub " + std::to_wstring(s) +
                      L"\\msg " + std::to_wstring(m) + L" " + words[2] + L".eml"] =
                    "message " + std::to_string(f * 1000 + s * 100 + m) + "\r\n";
    files[lacking] = "a name the code page lacks";
    WriteFiles(Widen(store), files);
    CreateDirectoryW((Widen(store) + L"\\Empty Folder").c_str(), nullptr);
    testsupport::MakeIdentity("{E2E-0003}", "Saburo", (store + "\\").c_str());
    AddAccount();
    RegisterBook(dir.WriteFile("Saburo.wab", "book"));

    Child app(BinFolder() + L"\\Quillbox.exe");
    HWND main = StartMain(app);
    ASSERT_NE(nullptr, main);
    ASSERT_EQ(L"Saburo", TextOf(FindById(main, IDC_LABEL8)));
    // The address book comes last: its archive marks the end of a backup.
    PressBackup(main, backup, true);
    MessageBoxes first(app.pid(), {});
    ASSERT_TRUE(first.AnswerUntil([&] { return Exists(backup + "\\WAB.lzh"); }));
    ExpectShown(first.shown, {L"Quillbox|BETA TEST ERROR LHAsection"});
    // No store archive rather than one that silently lacks a file.
    EXPECT_FALSE(Exists(backup + "\\OL.lzh"));

    ASSERT_TRUE(DeleteFileW((Widen(store) + L"\\" + lacking).c_str()));
    ASSERT_TRUE(DeleteFileA((backup + "\\WAB.lzh").c_str()));
    const Saved saburo = Saved::Of("{E2E-0003}", store, "");
    ASSERT_EQ(2000u + 10 + 20 + 1, saburo.files.size());  // files, folders, the empty folder
    Click(FindById(main, IDC_COMMAND1));
    MessageBoxes second(app.pid(), {{L"以前のバックアップが存在します。", IDYES}});
    ASSERT_TRUE(second.AnswerUntil([&] { return Exists(backup + "\\WAB.lzh"); }));
    ExpectShown(second.shown, {L"Quillbox|以前のバックアップが存在します。\r\n上書きしますか。？"});

    Wipe(saburo);
    ExpectShown(RestoreOnRestorePage(app, main, backup, saburo, L"Saburo", false), {});
    saburo.ExpectRestored();
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, app.WaitExit(10000));
}

}  // namespace
