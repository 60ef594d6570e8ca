// The backup through the hidden main window, judged by what lands in the folder: the settings
// file, the information file and archives that lhasa (a Linux LHA tool) extracts.
#include "tests/mainwindow/backup_fixture.h"

#include "engine/backup.h"
#include "platform/ansi.h"

namespace backuptest {
namespace {

const std::wstring kQuestion = engine::kOverwriteQuestion;
const std::wstring kChooseNew = engine::kChooseNewFolder;
const std::wstring kFailed = engine::kStepFailed;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string UnixPath(const std::string& path) {
    using Fn = char*(CDECL*)(LPCWSTR);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* unix = fn(Widen(path).c_str());
    std::string out = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// Extracts `archive` into `folder` with lhasa. Wine neither waits for a Linux program's end nor
// gives its exit code, so a shell around it leaves a marker file once lhasa is done.
void LhasaExtract(const std::string& archive, const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string done = folder + ".done";
    DeleteFileA(done.c_str());
    std::string cmd = "sh -c \"lhasa \\\"xqfw=$1\\\" \\\"$2\\\"; touch \\\"$3\\\"\" sh \"" + UnixPath(folder) +
                      "\" \"" + UnixPath(archive) + "\" \"" + UnixPath(done) + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA("Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int waited = 0; GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20) {
        ASSERT_LT(waited, 60000) << "lhasa did not finish: " << archive;
        Sleep(20);
    }
}

std::vector<std::string> Names(const std::map<std::string, std::string>& files) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) names.push_back(name);
    return names;
}

TEST_F(BackupTest, NewFolderGetsFourFilesThatOtherProgramsRead) {
    // An account export far over an edit control's default limit must pass through Text1 whole.
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    testsupport::SetRawValue("Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001", "Big", REG_BINARY,
                             big);
    const std::string bk = dir_.path() + "\\new backup";
    BackUp(bk, true);
    EXPECT_TRUE(shown_.empty());

    const auto files = Snapshot(bk);
    EXPECT_EQ((std::vector<std::string>{"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"}), Names(files));

    const std::vector<std::string> info = Lines(files.at("OLdate.bkd"));
    ASSERT_EQ(8u, info.size());
    EXPECT_EQ("\r\n", files.at("OLdate.bkd").substr(files.at("OLdate.bkd").size() - 2));
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ("date=", info[2].substr(0, 5));
    EXPECT_NE(std::string::npos, info[2].find(std::to_string(now.wYear % 100))) << info[2];
    const std::vector<std::string> expected = {"////OutLook Backup////", "[main]", info[2],
                                               "install={BK-0001}", "storroot=" + store_ + "\\",
                                               "UserID={BK-0001}", "UserName=Taro", "Addressbook=1"};
    EXPECT_EQ(expected, info);

    const std::string reg = files.at("OLbk1.reg");
    const std::string head = "REGEDIT4 \r\n\r\n[HKEY_CURRENT_USER\\Identities\\{BK-0001}]\r\n";
    EXPECT_EQ(head, reg.substr(0, head.size()));
    EXPECT_NE(std::string::npos, reg.find("\"Signature\"=\"C:\\\\sig\\\\\\\"quoted\\\"\\\\\"\r\n"));
    // Text1 holds the account export, which is the settings file's last piece.
    const std::string text1 = platform::ToAnsi(form_->Text1.Text());
    const std::string accountLine = "\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager]\r\n";
    EXPECT_EQ(accountLine, text1.substr(0, accountLine.size()));
    EXPECT_GT(text1.size(), 3 * big.size());
    EXPECT_EQ("\r\n" + text1 + "\r\n", reg.substr(reg.size() - text1.size() - 4));

    LhasaExtract(bk + "\\OL.lzh", dir_.path() + "\\x-store");
    LhasaExtract(bk + "\\WAB.lzh", dir_.path() + "\\x-wab");
    EXPECT_EQ(Snapshot(store_), Snapshot(dir_.path() + "\\x-store"));
    EXPECT_EQ((std::map<std::string, std::string>{{"Taro Book.wab", "wab bytes"}}), Snapshot(dir_.path() + "\\x-wab"));
}

TEST_F(BackupTest, EarlierBackupIsReplacedOnlyWhenTheUserAgrees) {
    struct Row {
        const char* what;
        std::vector<std::string> before;
        int answer;
        bool ticked;
        std::vector<std::wstring> texts;
        std::vector<std::string> after;  // empty: the folder must be unchanged
    };
    const Row rows[] = {
        {"answer No", {"OLdate.bkd", "OL.lzh", "WAB.lzh"}, IDNO, true, {kQuestion, kChooseNew}, {}},
        {"answer Yes, box not ticked", {"OLdate.bkd", "OL.lzh", "WAB.lzh"}, IDYES, false, {kQuestion},
         {"OL.lzh", "OLbk1.reg", "OLdate.bkd"}},
        {"archives but no information file", {"OL.lzh", "WAB.lzh"}, IDYES, true, {},
         {"OL.lzh", "OLbk1.reg", "OLdate.bkd", "WAB.lzh"}},
        {"information file named in capitals", {"OLDATE.BKD"}, IDYES, false, {},
         {"OL.lzh", "OLDATE.BKD", "OLbk1.reg"}},
    };
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string bk = dir_.path() + "\\earlier" + std::to_string(n++);
        CreateDirectoryA(bk.c_str(), nullptr);
        for (const std::string& name : r.before) dir_.WriteFile(bk.substr(dir_.path().size() + 1) + "\\" + name, "old");
        const auto before = Snapshot(bk);
        shown_.clear();
        answers_ = {r.answer};
        BackUp(bk, r.ticked);
        EXPECT_EQ(r.texts, Texts());
        if (!r.texts.empty()) {
            EXPECT_EQ(static_cast<UINT>(MB_YESNO), shown_[0].flags);
        }
        const auto after = Snapshot(bk);
        if (r.after.empty()) {
            EXPECT_EQ(before, after);
            continue;
        }
        EXPECT_EQ(r.after, Names(after));
        for (const auto& [name, bytes] : after) {
            EXPECT_NE("old", bytes) << name;
            if (name == "OLdate.bkd" || name == "OLDATE.BKD") {
                EXPECT_EQ("Addressbook=" + std::string(r.ticked ? "1" : "0"), Lines(bytes).back());
            }
        }
    }
}

TEST_F(BackupTest, MissingParentFolderFailsEveryFileStepOnceAndMakesNothing) {
    BackUp(dir_.path() + "\\no parent\\bk", true);
    // Folder, two exports, settings file open/read/read/write, two deletions, information file
    // open and its eight lines, then the two archives: one message each.
    EXPECT_EQ(std::vector<std::wstring>(20, kFailed), Texts());
    for (const Shown& s : shown_) EXPECT_EQ(static_cast<UINT>(MB_OK), s.flags);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir_.path() + "\\no parent").c_str()));
}

TEST_F(BackupTest, ArchiveThatIsNotMadeIsReported) {
    struct Row {
        const char* what;
        bool noAddressBook, storeGone, ticked;
        std::vector<std::string> after;
    };
    const Row rows[] = {
        {"box ticked, no address book registered", true, false, true, {"OL.lzh", "OLbk1.reg", "OLdate.bkd"}},
        {"store folder gone", false, true, false, {"OLbk1.reg", "OLdate.bkd"}},
    };
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.noAddressBook) wab_.Remove();
        shown_.clear();
        Load();
        if (r.storeGone) form_->OLdPath.SetTag(Widen(dir_.path() + "\\gone"));
        shown_.clear();
        const std::string bk = dir_.path() + "\\fail" + std::to_string(n++);
        BackUp(bk, r.ticked);
        EXPECT_EQ(std::vector<std::wstring>{kFailed}, Texts());
        EXPECT_EQ(r.after, Names(Snapshot(bk)));
    }
}

TEST_F(BackupTest, SecondPressWhileABackupRunsIsRefused) {
    const std::string bk = dir_.path() + "\\twice";
    CreateDirectoryA(bk.c_str(), nullptr);
    dir_.WriteFile("twice\\OLdate.bkd", "old");
    int presses = 0;
    // Pressing "Do" again while the question is open must not start another backup.
    mainwindow::Hooks hooks;
    hooks.MsgBox = [&](HWND, const std::wstring& text, const std::wstring&, UINT) {
        shown_.push_back({text, L"Quillbox", 0});
        if (presses++ == 0) form_->Command1_Click();
        return IDYES;
    };
    hooks.EndProgram = [] {};
    form_ = std::make_unique<mainwindow::mainFrm>(hooks);
    ASSERT_TRUE(form_->Create());
    form_->Form_Load();
    BackUp(bk, false);
    EXPECT_EQ(std::vector<std::wstring>{kQuestion}, Texts());
    EXPECT_EQ((std::vector<std::string>{"OL.lzh", "OLbk1.reg", "OLdate.bkd"}), Names(Snapshot(bk)));
}

}  // namespace
}  // namespace backuptest
