// REGEDIT4 export: value lines, whole files, and a round trip through Wine's own regedit.
#include "platform/reg_io.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

using platform::kHkeyCurrentUser;
using testsupport::CreateKey;
using testsupport::ScratchDir;
using testsupport::ScratchKey;
using testsupport::SetRawValue;
using S = std::string;

S ReadFile(const S& path) {
    std::ifstream in(path, std::ios::binary);
    return S(std::istreambuf_iterator<char>(in), {});
}

TEST(FormatRegValueLine, EveryTypeAndEscape) {
    struct Row { S name; DWORD type; S data; S want; UINT codePage = 1252; };
    const Row rows[] = {
        {"", REG_SZ, S("abc\0", 4), "@=\"abc\""},
        {"x", REG_DWORD, S("\x0A\0\0\0", 4), "\"x\"=dword:0000000A"},
        {"x", REG_DWORD, "\x04\x03\x02\xF1", "\"x\"=dword:F1020304"},
        {"x", REG_DWORD, "\x01\x02\x03", "\"x\"=hex(4):01,02,03,"},  // not four bytes: kept whole
        {"b", REG_BINARY, "\x01\xA0", "\"b\"=hex:01,A0,"},
        {"b", REG_BINARY, "", "\"b\"=hex:"},
        {"a\\b\"c\\", REG_SZ, S("C:\\x \"y\"\\\0", 11), R"("a\\b\"c\\"="C:\\x \"y\"\\")"},
        {"s", REG_SZ, "no terminator", "\"s\"=\"no terminator\""},
        {"s", REG_SZ, S("ab\0cd\0", 6), "\"s\"=\"ab\""},
        {"s", REG_SZ, S(1, '\0'), "\"s\"=\"\""},
        {"s", REG_SZ, S("a\r\nb\0", 5), "\"s\"=hex(1):61,0D,0A,62,00,"},
        {"s", REG_SZ, S("ab\0\n", 4), "\"s\"=\"ab\""},
        {"e", REG_EXPAND_SZ, S("%A%\\\0", 5), "\"e\"=hex(2):25,41,25,5C,00,"},
        {"m", REG_MULTI_SZ, S("one\0tw\0\0", 8), "\"m\"=hex(7):6F,6E,65,00,74,77,00,00,"},
        {"n", REG_NONE, "", "\"n\"=hex(0):"},
        {"q", REG_QWORD, S("\x01\0\0\0\0\0\0\xFE", 8), "\"q\"=hex(b):01,00,00,00,00,00,00,FE,"},
        // Shift-JIS 表 ends in 0x5C: one character under code page 932, a backslash under 1252.
        {"\x95\x5C", REG_SZ, "\x95\x5C\\", "\"\x95\x5C\"=\"\x95\x5C\\\\\"", 932},
        {"\x95\x5C", REG_SZ, "\x95\x5C", "\"\x95\\\\\"=\"\x95\\\\\""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.want);
        EXPECT_EQ(r.want + "\r\n", RegIO::FormatRegValueLine(r.name, r.type, r.data, r.codePage));
    }
}

TEST(ExportRegKey, WholeFiles) {
    ScratchKey key("regio-text");
    ScratchDir dir("regio-text");
    const S k = key.path();
    for (const char* sub : {"\\empty", "\\list\\0259", "\\list\\259", "\\list\\zz"}) ASSERT_TRUE(CreateKey(k + sub));
    ASSERT_TRUE(SetRawValue(k + "\\list\\259", "v", REG_DWORD, S(4, '\0')));
    HKEY opened = nullptr;  // an open key's handle is no root the key lines can name
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, k.c_str(), 0, KEY_READ, &opened));
    const auto other = static_cast<platform::RootKey>(reinterpret_cast<ULONG_PTR>(opened));
    const S line = "[HKEY_CURRENT_USER\\" + k;

    struct Row { platform::RootKey root; S path; S want; };
    const Row rows[] = {
        {kHkeyCurrentUser, k + "\\empty", "\r\n" + line + "\\empty]\r\n\r\n\r\n"},
        {kHkeyCurrentUser, k + "\\missing", "\r\n\r\n"},
        {other, "empty", "\r\n[\\empty]\r\n\r\n\r\n"},
        // "259" is a name, not the end of the listing (subkeys come in the registry's own order).
        {kHkeyCurrentUser, k + "\\list", "\r\n" + line + "\\list]\r\n\r\n" + line + "\\list\\0259]\r\n\r\n" + line +
                                             "\\list\\259]\r\n\"v\"=dword:00000000\r\n\r\n" + line + "\\list\\zz]\r\n\r\n\r\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        const S file = dir.path() + "\\out.reg";
        ASSERT_EQ(0u, RegIO::ExportRegKey(testsupport::Widen(file), r.root, testsupport::Widen(r.path)));
        EXPECT_EQ(r.want, ReadFile(file));
    }
    RegCloseKey(opened);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND),
              RegIO::ExportRegKey(testsupport::Widen(dir.path() + "\\no\\x.reg"), kHkeyCurrentUser, key.wpath()));
}

// Every key and value below HKCU\<path> by relative path, a value as "type:bytes".
void Dump(const S& path, const S& rel, std::map<S, S>& out) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h));
    out[rel] = "key";
    char name[1024];
    S data(16384, '\0');
    DWORD size, dataSize, type;
    for (DWORD i = 0; size = sizeof name, dataSize = 16384, RegEnumValueA(h, i, name, &size, nullptr, &type,
                      reinterpret_cast<BYTE*>(data.data()), &dataSize) == ERROR_SUCCESS; ++i)
        out[rel + "|" + S(name, size)] = std::to_string(type) + ":" + data.substr(0, dataSize);
    for (DWORD i = 0; size = sizeof name, RegEnumKeyExA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0; ++i)
        Dump(path + "\\" + name, rel + "\\" + name, out);
    RegCloseKey(h);
}

TEST(ExportRegKey, WinesRegeditImportsEveryValueBack) {
    ScratchKey src("regio-src"), dst("regio-dst");
    ScratchDir dir("regio-import");
    const S k = src.path();
    S binary, longText;
    for (int i = 0; i < 5000; ++i) binary += static_cast<char>(i * 7);
    for (int i = 0; i < 300; ++i) longText += "C:\\dir \"q\" ";
    struct Value { S key, name; DWORD type; S data; };
    const Value values[] = {
        {"", "", REG_SZ, S("default", 8)},
        {"", "back\\slash", REG_SZ, S("C:\\Documents and Settings\\x\\\0", 29)},
        {"", "quo\"te", REG_SZ, S("say \"hi\"\0", 9)},
        {"", "sjis", REG_SZ, S("\x93\xFA\x96\x7B\x8C\xEA\x95\x5C\0", 9)},  // 日本語表 in Shift-JIS
        {"", "latin", REG_SZ, S("caf\xE9\0", 5)},
        {"", "empty", REG_SZ, S(1, '\0')},
        {"", "lines", REG_SZ, S("Taro\r\ncaf\xE9\r\n\0", 13)},
        {"", "long", REG_SZ, longText + '\0'},
        {"", "bin", REG_BINARY, ""},
        {"", "binlong", REG_BINARY, binary},
        // The registry editor turns hex(2) and hex(7) bytes into text through the code page.
        {"", "expand", REG_EXPAND_SZ, S("%UserProfile%\\caf\xE9\0", 19)},
        {"", "multi", REG_MULTI_SZ, S("one\0tw\xF6\0\0", 9)},
        {"", "d0", REG_DWORD, S(4, '\0')},
        {"", "dmax", REG_DWORD, S(4, '\xFF')},
        {"", "d3", REG_DWORD, "\x01\x02\x03"},
        {"", "none", REG_NONE, "\x01\x02"},
        {"", "none0", REG_NONE, ""},
        {"", "q", REG_QWORD, S("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"\\259", "x", REG_SZ, S("in 259", 7)},
        {"\\0259\\deeper", "y", REG_DWORD, S("\x01\0\0\0", 4)},
    };
    for (const Value& v : values) ASSERT_TRUE(SetRawValue(k + v.key, v.name, v.type, v.data)) << v.name;
    ASSERT_TRUE(CreateKey(k + "\\empty"));

    const S exported = dir.path() + "\\src.reg";
    ASSERT_EQ(0u, RegIO::ExportRegKey(testsupport::Widen(exported), kHkeyCurrentUser, src.wpath()));
    S text = "REGEDIT4\r\n" + ReadFile(exported);
    const S from = "\r\n[HKEY_CURRENT_USER\\" + k, to = "\r\n[HKEY_CURRENT_USER\\" + dst.path();
    for (std::size_t at = text.find(from); at != S::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    const S file = dir.WriteFile("dst.reg", text);

    std::wstring command = L"regedit.exe /s \"" + testsupport::Widen(file) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(L"C:\\windows\\regedit.exe", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::map<S, S> want, got;
    Dump(k, "", want);
    Dump(dst.path(), "", got);
    EXPECT_EQ(std::size(values) + 5, want.size());  // the values and the five keys
    for (const auto& [where, value] : want) {
        SCOPED_TRACE(where);
        EXPECT_EQ(value, got.count(where) ? got.at(where) : "(missing)");
    }
    EXPECT_EQ(want.size(), got.size());
}

}  // namespace
