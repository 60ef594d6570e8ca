// Store folder resolution against the test prefix's real registry, profile folder and files.
#include "profile/store_folder.h"
#include "saved_registry.h"
#include "support/registry_sandbox.h"
#include "support/shell_folder_stand_in.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using testsupport::Widen;

constexpr char kIdentity[] = "{QuillboxTest-store}";
const std::string kOutlook = "Identities\\"s + kIdentity + "\\Software\\Microsoft\\Outlook Express";

// The profile folder as the environment names it, independent of the shell call under test.
std::wstring ProfileFolder() {
    wchar_t value[1024] = {};
    DWORD n = GetEnvironmentVariableW(L"USERPROFILE", value, 1024);
    return n > 0 && n < 1024 ? value : L"";
}

// Expected texts write the real profile folder as "<P>".
std::wstring WithProfile(std::wstring text) {
    const std::size_t at = text.find(L"<P>");
    return at == std::wstring::npos ? text : text.replace(at, 3, ProfileFolder());
}

struct Version { std::string name; const char* storeRoot; };  // storeRoot nullptr: no value

class StoreRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(identities_.saved());
        ASSERT_FALSE(ProfileFolder().empty());
    }
    // The identity's Outlook Express key with the given version subkeys; none at all when
    // `makeOutlookKey` is false.
    void Register(bool makeOutlookKey, const std::vector<Version>& versions) {
        ASSERT_TRUE(identities_.Remove());
        ASSERT_TRUE(testsupport::CreateKey("Identities\\"s + kIdentity));
        if (!makeOutlookKey) return;
        ASSERT_TRUE(testsupport::CreateKey(kOutlook));
        for (const Version& v : versions) {
            ASSERT_TRUE(testsupport::CreateKey(kOutlook + "\\" + v.name));
            if (v.storeRoot) {
                ASSERT_TRUE(testsupport::SetRawValue(kOutlook + "\\" + v.name, "Store Root", REG_SZ,
                                                     std::string(v.storeRoot) + '\0'));
            }
        }
    }
    profiletest::SavedTree identities_{HKEY_CURRENT_USER, L"Identities"};
};

struct UdataRow {
    const char* what;
    bool makeOutlookKey;
    std::vector<Version> versions;
    std::wstring expected;  // "<P>" stands for the profile folder
};

TEST_F(StoreRootTest, GetUdataPathResolvesTheStoreRoot) {
    const UdataRow rows[] = {
        {"placeholder, trailing backslash dropped", true,
         {{"5.0", "%UserProfile%\\Local Settings\\Application Data\\Identities\\{id}\\Microsoft\\Outlook Express\\"}},
         L"<P>\\Local Settings\\Application Data\\Identities\\{id}\\Microsoft\\Outlook Express"},
        {"every placeholder", true, {{"5.0", "%UserProfile%\\a;%UserProfile%\\b"}}, L"<P>\\a;" + ProfileFolder() + L"\\b"},
        {"placeholder alone with backslash", true, {{"5.0", "%UserProfile%\\"}}, L"<P>"},
        {"two trailing backslashes lose one", true, {{"5.0", "D:\\Mail\\\\"}}, L"D:\\Mail\\"},
        {"no trailing backslash", true, {{"5.0", "D:\\Mail"}}, L"D:\\Mail"},
        {"upper-case placeholder kept", true, {{"5.0", "%USERPROFILE%\\Mail\\"}}, L"%USERPROFILE%\\Mail"},
        {"lower-case placeholder kept", true, {{"5.0", "%userprofile%\\Mail"}}, L"%userprofile%\\Mail"},
        {"empty root", true, {{"5.0", ""}}, L""},
        {"lone backslash", true, {{"5.0", "\\"}}, L""},
        {"first version key wins", true, {{"5.0", "D:\\Five"}, {"6.0", "D:\\Six"}}, L"D:\\Five"},
        {"first version key without value", true, {{"5.0", nullptr}, {"6.0", "D:\\Six"}}, L"err"},
        {"no Outlook Express key", false, {}, L"err"},
        {"no version key", true, {}, L"err"},
    };
    for (const UdataRow& r : rows) {
        Register(r.makeOutlookKey, r.versions);
        EXPECT_EQ(WithProfile(r.expected), profile::GetUdataPath(Widen(kIdentity))) << r.what;
    }
    EXPECT_EQ(L"err", profile::GetUdataPath(L"{QuillboxTest-missing}"));
}

// The identity-picked handler's two steps: resolve, then check the folder exists.
TEST_F(StoreRootTest, PickedIdentityIsFoundOnlyWhenItsFolderExists) {
    testsupport::ScratchDir dir("store-pick");
    const std::string profileRoot = "%UserProfile%\\";  // the profile folder itself exists
    const struct { const char* what; bool makeOutlookKey; std::string root; std::wstring folder; bool exists; } rows[] = {
        {"existing folder", true, dir.path() + "\\", Widen(dir.path()), true},
        {"profile placeholder", true, profileRoot, ProfileFolder(), true},
        {"live upper-case placeholder", true, "%USERPROFILE%\\", L"%USERPROFILE%", false},
        {"missing folder", true, dir.path() + "\\gone\\", Widen(dir.path()) + L"\\gone", false},
        {"no Outlook Express key", false, "", L"err", false},
    };
    for (const auto& r : rows) {
        Register(r.makeOutlookKey, {{"5.0", r.root.c_str()}});
        const std::wstring folder = profile::ResolvePickedStoreFolder(Widen(kIdentity));
        EXPECT_EQ(r.folder, folder) << r.what;
        EXPECT_EQ(r.exists, profile::StorePathExists(folder)) << r.what;
    }
}

// Looks paths up from inside a scratch folder, which is also the current folder.
class StorePathExistsTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryW(MAX_PATH, saved_);
        ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir_.path()).c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(saved_);
        // Read-only entries would stay behind when the scratch folder is removed.
        for (const std::wstring& path : marked_) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::wstring File(const std::string& name, DWORD attributes) {
        const std::wstring path = Widen(dir_.WriteFile(name, "x"));
        Mark(path, attributes);
        return path;
    }
    std::wstring Folder(const std::string& name, DWORD attributes) {
        const std::wstring path = Widen(dir_.path() + "\\" + name);
        CreateDirectoryW(path.c_str(), nullptr);
        Mark(path, attributes);
        return path;
    }
    void Mark(const std::wstring& path, DWORD attributes) {
        if (attributes) SetFileAttributesW(path.c_str(), attributes);
        marked_.push_back(path);
    }
    testsupport::ScratchDir dir_{"store-exists"};
    wchar_t saved_[MAX_PATH] = {};
    std::vector<std::wstring> marked_;
};

TEST_F(StorePathExistsTest, FindsEveryKindOfEntryAndNothingElse) {
    const std::wstring base = Widen(dir_.path());
    const std::pair<std::wstring, bool> rows[] = {
        {Folder("store", 0), true},
        {base + L"\\store\\", true},
        {L"  " + base + L"\\store  ", true},
        {L"store", true},  // relative: the current folder
        {Folder("attic", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY), true},
        {File("plain.dbx", 0), true},
        {File("hidden.dbx", FILE_ATTRIBUTE_HIDDEN), true},
        {File("system.dbx", FILE_ATTRIBUTE_SYSTEM), true},
        {File("readonly.dbx", FILE_ATTRIBUTE_READONLY), true},
        {File("archived.dbx", FILE_ATTRIBUTE_ARCHIVE), true},
        // Negative rows.
        {base + L"\\missing", false},
        {L"err", false},
        {L"", false},
        {L"   ", false},
        {L"\t" + base + L"\\store", false},  // only spaces are stripped
        {base + L"\\*", false},                // a pattern is not a path
    };
    for (const auto& [path, exists] : rows) EXPECT_EQ(exists, profile::StorePathExists(path)) << path;
}

TEST_F(StorePathExistsTest, ErrIsLookedUpInTheCurrentFolder) {
    File("err", 0);
    EXPECT_TRUE(profile::StorePathExists(L"err"));
    EXPECT_TRUE(profile::StorePathExists(L" err "));
}

TEST(StoreMissingMessage, IsTheJapaneseTextIntact) {
    const std::wstring message = profile::kStoreMissingMessage;
    // Decoded as UTF-8 the message is 14 ASCII letters, a full-width five and 30 Japanese
    // characters; any other reading of the source bytes gives another length.
    EXPECT_EQ(45u, message.size());
    EXPECT_EQ(L"OutLookExpress", message.substr(0, 14));
    EXPECT_EQ(L'\uFF15', message[14]);  // full-width five
    EXPECT_EQ(L'\u3002', message.back());
}

struct RestorRow { std::wstring stored, profileFolder, user, expected; };

TEST(RestorPathFor, UpperCasesAndInsertsTheProfileFolder) {
    const RestorRow rows[] = {
        {L"%UserProfile%\\Local Settings\\x", L"C:\\Documents and Settings\\hana", L"ken",
         L"C:\\Documents and Settings\\hana\\LOCAL SETTINGS\\X"},
        {L"%UserProfile%\\Local Settings\\x", L"", L"ken", L"C:\\Documents and Settings\\ken\\LOCAL SETTINGS\\X"},
        {L"%userprofile%\\a;%USERPROFILE%\\b", L"C:\\users\\Taro", L"", L"C:\\users\\Taro\\A;C:\\users\\Taro\\B"},
        {L"%UserProfile%\\x\\", L"C:\\users\\Taro", L"", L"C:\\users\\Taro\\X\\"},
        {L"%UserProfile%", L"", L"", L"C:\\Documents and Settings\\"},
        // Negative rows: nothing else of the old machine is translated.
        {L"d:\\oe\\store", L"C:\\users\\Taro", L"ken", L"D:\\OE\\STORE"},
        {L"%SystemDrive%\\x", L"C:\\users\\Taro", L"ken", L"%SYSTEMDRIVE%\\X"},
        {L"%User Profile%\\x", L"C:\\users\\Taro", L"ken", L"%USER PROFILE%\\X"},
        {L"", L"C:\\users\\Taro", L"ken", L""},
    };
    for (const RestorRow& r : rows)
        EXPECT_EQ(r.expected, profile::RestorPathFor(r.stored, r.profileFolder, r.user)) << r.stored;
}

TEST(GetRestorPath, InsertsThisMachinesProfileFolder) {
    const std::wstring profileFolder = ProfileFolder();
    ASSERT_FALSE(profileFolder.empty());
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"%UserProfile%\\Local Settings\\x", profileFolder + L"\\LOCAL SETTINGS\\X"},
        {L"%userprofile%\\mail\\", profileFolder + L"\\MAIL\\"},
        {L"c:\\mail", L"C:\\MAIL"},
    };
    for (const auto& [stored, expected] : rows) EXPECT_EQ(expected, profile::GetRestorPath(stored)) << stored;
}

// Wine names the logged-on user after WINEUSERNAME, read at each call.
TEST(GetRestorPath, WithoutAProfileFolderUsesTheLogonUsersName) {
    testsupport::ShellFolderStandIn noProfile({});
    wchar_t saved[256] = {};
    const bool had = GetEnvironmentVariableW(L"WINEUSERNAME", saved, 256) > 0;
    SetEnvironmentVariableW(L"WINEUSERNAME", L"ken");
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"%UserProfile%\\Local Settings\\x", L"C:\\Documents and Settings\\ken\\LOCAL SETTINGS\\X"},
        {L"%userprofile%", L"C:\\Documents and Settings\\ken"},
        {L"c:\\mail", L"C:\\MAIL"},
    };
    for (const auto& [stored, expected] : rows) EXPECT_EQ(expected, profile::GetRestorPath(stored)) << stored;
    SetEnvironmentVariableW(L"WINEUSERNAME", had ? saved : nullptr);
}

TEST(ToUpperText, MapsLettersTheSameOnEveryLocale) {
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"abc xyz", L"ABC XYZ"},
        {L"\u00e9t\u00e9", L"\u00c9T\u00c9"},
        {L"\uff41\uff5a", L"\uff21\uff3a"},  // full-width letters
        {L"i", L"I"},                          // never the Turkish dotted capital
        // Negative rows: no upper-case form, or already upper case.
        {L"\u00df", L"\u00df"},
        {L"\u65e5\u672c 123 %_\\", L"\u65e5\u672c 123 %_\\"},
        {L"ABC", L"ABC"},
        {L"", L""},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(expected, profile::ToUpperText(text)) << text.size();
}

}  // namespace
