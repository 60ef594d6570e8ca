// Profile strings, the Windows folder, the user name and the shell's document opening.
#include "platform/module_ini.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

using namespace Module_ini;
using testsupport::ScratchDir;
using testsupport::Widen;

// Restores the program-wide path after each test.
class ReadIniStringTest : public ::testing::Test {
protected:
    void TearDown() override { IniFilePath.clear(); }
};

TEST_F(ReadIniStringTest, EntriesOfABackupInformationFile) {
    ScratchDir dir("ini");
    const std::string file = dir.WriteFile("OLdate.bkd",
        "orphan=before any section\r\n"
        "[MAIN]\r\n"
        "UserID={4A1B2C3D-0000-1111-2222-333344445555}\r\n"
        "  spaced  =   value with blanks   \r\n"
        "quoted=\"  inside quotes  \"\r\n"
        "date=\r\n"
        "long=" + std::string(300, 'L') + "\r\n"
        "eq=a=b=c\r\n"
        "[other]\r\n"
        "only=other\r\n");
    IniFilePath = Widen(file);

    struct Row { const wchar_t* section; const wchar_t* key; std::wstring want; };
    const Row rows[] = {
        {L"main", L"UserID", L"{4A1B2C3D-0000-1111-2222-333344445555}"},
        {L"MAIN", L"userid", L"{4A1B2C3D-0000-1111-2222-333344445555}"},
        {L"main", L"spaced", L"value with blanks"},
        {L"main", L"quoted", L"  inside quotes  "},
        {L"main", L"date", L""},
        {L"main", L"long", std::wstring(255, L'L')},
        {L"main", L"eq", L"a=b=c"},
        {L"main", L"orphan", L"no ent"},   // lines before any section belong to none
        {L"main", L"only", L"no ent"},
        {L"main", L"absent", L"no ent"},
        {L"absent", L"UserID", L"no ent"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::wstring(r.section) + L"/" + r.key);
        EXPECT_EQ(r.want, ReadIniString(r.section, r.key));
    }
}

TEST_F(ReadIniStringTest, NoFileGivesNoEnt) {
    ScratchDir dir("ini-missing");
    const std::string other = dir.WriteFile("other.bkd", "[other]\r\nUserID=x\r\n");
    struct Row { std::wstring path; };
    const Row rows[] = {{L""}, {Widen(dir.path() + "\\absent.bkd")}, {Widen(other)}};
    for (const Row& r : rows) {
        IniFilePath = r.path;
        EXPECT_EQ(L"no ent", ReadIniString(L"main", L"UserID"));
    }
}

TEST_F(ReadIniStringTest, FollowsAChangeOfFile) {
    ScratchDir dir("ini-switch");
    const std::string a = dir.WriteFile("a.bkd", "[main]\r\nUserID=first\r\n");
    const std::string b = dir.WriteFile("b.bkd", "[main]\r\nUserID=second\r\n");
    IniFilePath = Widen(a);
    EXPECT_EQ(L"first", ReadIniString(L"main", L"UserID"));
    IniFilePath = Widen(b);
    EXPECT_EQ(L"second", ReadIniString(L"main", L"UserID"));
}

TEST(SystemQueries, WindowsFolderHasDriveAndNoTrailingBackslash) {
    const std::wstring folder = GetWindowsFolder();
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(L':', folder[1]);
    EXPECT_NE(L'\\', folder.back());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));
}

TEST(SystemQueries, LogonUserNameIsTheSessionUser) {
    const char* env = std::getenv("USERNAME");
    ASSERT_NE(nullptr, env);
    EXPECT_EQ(Widen(env), GetLogonUserName());
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ProbePath() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe);
    return path.substr(0, path.find_last_of('\\') + 1) + "cwd_probe.exe";
}

TEST(OpenDocument, StartsTheTargetInTheCurrentFolder) {
    ScratchDir dir("open-document");
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    OpenDocument(nullptr, Widen(ProbePath()));
    SetCurrentDirectoryA(saved);

    const std::string report = dir.path() + "\\cwd.txt";
    for (int i = 0; i < 200 && GetFileAttributesA(report.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    EXPECT_EQ(dir.path(), ReadWhole(report));
}

}  // namespace
