// Shell folders and the address book file, against the test prefix's real shell and registry.
#include "profile/shell_folders.h"
#include "saved_registry.h"
#include "support/registry_sandbox.h"
#include "support/system_family.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;
using Getsplfol_mod::GetSpecialFolderPath;

struct TrimRow { std::wstring text, expected; };

TEST(TrimAtNull, KeepsTheTextBeforeTheFirstNul) {
    const TrimRow rows[] = {
        {L"abc\0def"s, L"abc"},
        {L"a\0\0b"s, L"a"},
        {L"C:\\users\\taro\0\0\0\0"s, L"C:\\users\\taro"},
        {L"\u65e5\u672c\0x"s, L"\u65e5\u672c"},
        // Negative rows: no NUL at all, or nothing before it.
        {L"abc", L""},
        {L"", L""},
        {L"\0abc"s, L""},
        {L"\0"s, L""},
    };
    for (const TrimRow& r : rows) EXPECT_EQ(r.expected, Getsplfol_mod::TrimAtNull(r.text)) << r.text.size();
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? value : L"";
}

struct FolderRow { std::int32_t folder; const wchar_t* environment; };

TEST(GetSpecialFolderPath, NamesTheUsersFoldersAsTheEnvironmentDoes) {
    const FolderRow rows[] = {{40, L"USERPROFILE"}, {28, L"LOCALAPPDATA"}, {26, L"APPDATA"}};
    for (const FolderRow& r : rows) {
        const std::wstring expected = Environment(r.environment);
        ASSERT_FALSE(expected.empty()) << r.environment;
        EXPECT_EQ(expected, GetSpecialFolderPath(r.folder)) << r.folder;
    }
    EXPECT_EQ(Environment(L"LOCALAPPDATA"), Getsplfol_mod::GetLocalAppDataPath());
}

TEST(GetSpecialFolderPath, GivesTheEmptyTextForFoldersWithoutAPath) {
    const std::int32_t unknown[] = {0x7777, -1, 0x3fff};
    for (std::int32_t folder : unknown) EXPECT_EQ(L"", GetSpecialFolderPath(folder)) << folder;
    // The Control Panel is a shell folder without a file-system path.
    EXPECT_EQ(L"", GetSpecialFolderPath(3));
}

// Points the local application-data folder somewhere else for one test, through the user's
// shell-folder settings, which the shell reads at each call.
class LocalAppDataRedirect : public ::testing::Test {
protected:
    static constexpr wchar_t kExplorer[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    profiletest::SavedValue userFolder_{HKEY_CURRENT_USER, kExplorer + L"User Shell Folders"s, L"Local AppData"};
    profiletest::SavedValue resolved_{HKEY_CURRENT_USER, kExplorer + L"Shell Folders"s, L"Local AppData"};
    testsupport::ScratchDir dir_{"shell-folders"};

    // Creates a folder under the scratch folder whose full path is exactly `length` characters.
    std::wstring MakeFolderOfLength(std::size_t length) {
        std::wstring path = testsupport::Widen(dir_.path());
        while (path.size() + 1 < length) {
            const std::size_t segment = std::min<std::size_t>(40, length - path.size() - 1);
            path += L"\\" + std::wstring(segment, static_cast<wchar_t>(L'a' + path.size() % 26));
            CreateDirectoryW(testsupport::LongForm(path).c_str(), nullptr);
        }
        return path;
    }
};

TEST_F(LocalAppDataRedirect, LongPathsComeBackWhole) {
    for (std::size_t length : {200u, 255u, 256u, 259u}) {
        const std::wstring folder = MakeFolderOfLength(length);
        ASSERT_EQ(length, folder.size());
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(testsupport::LongForm(folder).c_str()));
        ASSERT_TRUE(userFolder_.Set(folder, REG_EXPAND_SZ));
        EXPECT_EQ(folder, Getsplfol_mod::GetLocalAppDataPath()) << length;
    }
}

TEST_F(LocalAppDataRedirect, AFolderTheSystemDoesNotProvideGivesTheEmptyText) {
    ASSERT_TRUE(userFolder_.Set(testsupport::Widen(dir_.path()) + L"\\missing", REG_EXPAND_SZ));
    EXPECT_EQ(L"", Getsplfol_mod::GetLocalAppDataPath());
}

struct WabRow {
    const char* what;
    bool makeKey;
    const char* otherValue;  // a named value beside the default one, or nullptr
    std::string data;        // raw bytes of the default value; empty: no default value
    std::wstring expected;
};

TEST(GetWabFileName, ReadsTheDefaultValueOfTheAddressBookKey) {
    const std::string key = "Software\\Microsoft\\WAB\\WAB4\\Wab File Name";
    const WabRow rows[] = {
        {"registered", true, nullptr, "C:\\Documents and Settings\\taro\\Application Data\\Microsoft\\Address Book\\taro.wab\0"s,
         L"C:\\Documents and Settings\\taro\\Application Data\\Microsoft\\Address Book\\taro.wab"},
        {"blanks kept", true, nullptr, " C:\\a b\\x.wab \0"s, L" C:\\a b\\x.wab "},
        {"1024 bytes", true, nullptr, std::string(1023, 'w') + '\0', std::wstring(1023, L'w')},
        {"key missing", false, nullptr, "", L"err"},
        {"no default value", true, "Other", "", L"err"},
        {"over 1024 bytes", true, nullptr, std::string(1024, 'w') + '\0', L"err"},
    };
    profiletest::SavedTree saved(HKEY_CURRENT_USER, L"Software\\Microsoft\\WAB");
    ASSERT_TRUE(saved.saved());
    for (const WabRow& r : rows) {
        ASSERT_TRUE(saved.Remove()) << r.what;
        if (r.makeKey) { ASSERT_TRUE(testsupport::CreateKey(key)) << r.what; }
        if (r.otherValue) { ASSERT_TRUE(testsupport::SetRawValue(key, r.otherValue, REG_SZ, "x"s + '\0')); }
        if (!r.data.empty()) { ASSERT_TRUE(testsupport::SetRawValue(key, "", REG_SZ, r.data)) << r.what; }
        EXPECT_EQ(r.expected, Getsplfol_mod::GetWabFileName()) << r.what;
    }
}

}  // namespace
