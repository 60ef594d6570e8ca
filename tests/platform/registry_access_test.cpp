// Registry wrappers against the test prefix's real registry.
#include "platform/module_ini.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Module_ini;
using platform::kHkeyCurrentUser;
using testsupport::ScratchKey;
using testsupport::SetRawValue;
using testsupport::Widen;

TEST(RegEnumSubKeys, ListsSubkeysThenErr) {
    ScratchKey root("enum");
    // Created in the order every registry reports them, so the expected order is not Wine's own.
    for (const char* name : {"alpha", "beta", "gamma"}) ASSERT_TRUE(testsupport::CreateKey(root.path() + "\\" + name));
    ASSERT_TRUE(testsupport::CreateKey(root.path() + "\\alpha\\nested"));

    struct Row { std::string path; std::int32_t index; std::wstring want; };
    const Row rows[] = {
        {root.path(), 0, L"alpha"},
        {root.path(), 1, L"beta"},
        {root.path(), 2, L"gamma"},
        {root.path(), 3, L"err"},               // index == count
        {root.path(), -1, L"err"},
        {root.path(), 1000, L"err"},
        {root.path() + "\\beta", 0, L"err"},    // key without subkeys
        {root.path() + "\\alpha", 0, L"nested"},
        {root.path() + "\\missing", 0, L"err"},
        {root.path() + "\\missing", 1, L"err"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path + " #" + std::to_string(r.index));
        EXPECT_EQ(r.want, RegEnumSubKeys(kHkeyCurrentUser, Widen(r.path), r.index));
    }
}

TEST(RegReadString, ValuesOfEveryShapeAndSize) {
    ScratchKey key("read");
    const std::string k = key.path();
    ASSERT_TRUE(SetRawValue(k, "", REG_SZ, std::string("default text") + '\0'));
    ASSERT_TRUE(SetRawValue(k, "sz1024", REG_SZ, std::string(1023, 'a') + '\0'));
    ASSERT_TRUE(SetRawValue(k, "sz1025", REG_SZ, std::string(1024, 'b') + '\0'));
    ASSERT_TRUE(SetRawValue(k, "bin1024", REG_BINARY, std::string(1024, 'c')));  // fills the buffer, no NUL
    ASSERT_TRUE(SetRawValue(k, "bin1025", REG_BINARY, std::string(1025, 'c')));
    ASSERT_TRUE(SetRawValue(k, "dword", REG_DWORD, std::string("abc\0", 4)));
    ASSERT_TRUE(SetRawValue(k, "embedded", REG_SZ, std::string("ab\0cd\0", 6)));
    ASSERT_TRUE(SetRawValue(k, "empty", REG_SZ, std::string(1, '\0')));
    ASSERT_TRUE(SetRawValue(k, "path", REG_EXPAND_SZ, std::string("%UserProfile%\\Local Settings\\") + '\0'));

    struct Row { std::string key; std::wstring name; std::wstring want; };
    const Row rows[] = {
        {k, L"", L"default text"},
        {k, L"sz1024", std::wstring(1023, L'a')},
        {k, L"sz1025", L"err"},
        {k, L"bin1024", std::wstring(1024, L'c')},
        {k, L"bin1025", L"err"},
        {k, L"dword", L"abc"},       // the type is not looked at
        {k, L"embedded", L"ab"},
        {k, L"empty", L""},
        {k, L"path", L"%UserProfile%\\Local Settings\\"},
        {k, L"missing", L"err"},
        {k + "\\missing", L"", L"err"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.name.begin(), r.name.end()));
        EXPECT_EQ(r.want, RegReadString(kHkeyCurrentUser, Widen(r.key), r.name));
    }
}

TEST(RegWriteString, MissingKeyIsRefusedAndNotCreated) {
    ScratchKey key("write-missing");
    const std::string missing = key.path() + "\\absent";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegWriteString(kHkeyCurrentUser, Widen(missing), L"Store Root", L"C:\\x"));
    EXPECT_FALSE(testsupport::KeyExists(missing));
    EXPECT_FALSE(testsupport::KeyExists(key.path()));
}

TEST(RegWriteString, RoundTripsAndStoresTerminatedString) {
    ScratchKey key("write");
    ASSERT_TRUE(testsupport::CreateKey(key.path()));
    const std::wstring texts[] = {L"C:\\Documents and Settings\\taro\\Local Settings", L"", L"x",
                                  std::wstring(1023, L'z')};
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(text.size());
        ASSERT_EQ(0, RegWriteString(kHkeyCurrentUser, key.wpath(), L"Store Root", text));
        EXPECT_EQ(text, RegReadString(kHkeyCurrentUser, key.wpath(), L"Store Root"));

        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.path().c_str(), 0, KEY_READ, &h));
        DWORD type = 0, size = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "Store Root", nullptr, &type, nullptr, &size));
        RegCloseKey(h);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(text.size() + 1, size);
    }
}

TEST(RegWriteString, ReplacesAValueOfAnotherType) {
    ScratchKey key("write-replace");
    ASSERT_TRUE(SetRawValue(key.path(), "v", REG_DWORD, std::string("\x01\x00\x00\x00", 4)));
    ASSERT_EQ(0, RegWriteString(kHkeyCurrentUser, key.wpath(), L"v", L"text"));
    EXPECT_EQ(L"text", RegReadString(kHkeyCurrentUser, key.wpath(), L"v"));
}

}  // namespace
