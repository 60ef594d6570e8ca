// REGEDIT4 import: parsing tables, files Wine's regedit wrote, a hostile file, and a property
// test of export then import over random trees.
#include "platform/ansi.h"
#include "platform/reg_enum.h"
#include "platform/reg_import.h"
#include "platform/reg_io.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

namespace {

using testsupport::ScratchDir;
using testsupport::ScratchKey;
using testsupport::SetRawValue;
using S = std::string;

const std::wstring kId = L"{QuillboxTest-Import}";
const S kIdKey = "Identities\\{QuillboxTest-Import}";
const S kAccounts = "Software\\Microsoft\\Internet Account Manager";

S ReadFile(const S& path) {
    std::ifstream in(path, std::ios::binary);
    return S(std::istreambuf_iterator<char>(in), {});
}

// Bytes outside printable ASCII as \xHH.
S Printable(const S& bytes) {
    S out;
    for (unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c >= 0x20 && c < 0x7F ? S(1, static_cast<char>(c)) : S(hex);
    }
    return out;
}

// "[path] name=type:data ..." then the counts.
S Describe(const RegIO::RegImport& r) {
    if (!r.hasHeader) return "refused";
    S out;
    for (const auto& k : r.keys) {
        out += "[" + Printable(k.path) + "]";
        for (const auto& v : k.values) out += " " + Printable(v.name) + "=" + std::to_string(v.type) + ":" + Printable(v.data);
        out += " ";
    }
    return out + std::to_string(r.skippedBlocks) + "/" + std::to_string(r.skippedLines) + (r.unescaped ? " U" : "") +
           (r.cutShort ? " C" : "");
}

TEST(ParseRegText, Table) {
    const S id = "[HKEY_CURRENT_USER\\" + kIdKey + "]\r\n";
    const S K = "[" + kIdKey + "] ";
    struct Row { S text; S want; UINT codePage = 1252; };
    const Row rows[] = {
        // Header: the first line, REGEDIT4 and blanks only.
        {"", "refused"},
        {"REGEDIT5\r\n" + id + "\"a\"=\"x\"\r\n", "refused"},
        {"Windows Registry Editor Version 5.00\r\n" + id, "refused"},
        {"\xEF\xBB\xBFREGEDIT4\r\n" + id, "refused"},
        {" REGEDIT4\r\n" + id, "refused"},
        {"REGEDIT4x\r\n" + id, "refused"},
        {"\r\nREGEDIT4\r\n" + id, "refused"},
        {"REGEDIT4 \r\n" + id, K + "0/0"},
        {"REGEDIT4\t\n" + id, K + "0/0"},
        // Escaped and unescaped strings, told per file.
        {"REGEDIT4\r\n" + id + "\"Store Root\"=\"C:\\\\Mail\\\\\"\r\n@=\"say \\\"hi\\\"\"\r\n",
         K + "Store Root=1:C:\\Mail\\\\x00 =1:say \"hi\"\\x00 0/0"},
        {"REGEDIT4\r\n" + id + "\"Store Root\"=\"C:\\Mail\\\"\r\n", K + "Store Root=1:C:\\Mail\\\\x00 0/0 U"},
        {"REGEDIT4\r\n" + id + "\"p\"=\"C:\\Documents and Settings\\x\"\r\n\"q\"=\"a \"b\" c\"\r\n",
         K + "p=1:C:\\Documents and Settings\\x\\x00 q=1:a \"b\" c\\x00 0/0 U"},
        {"REGEDIT4\r\n" + id + "\"a\\\"=\"v\"\r\n", K + "a\\=1:v\\x00 0/0 U"},
        {"REGEDIT4\r\n" + id + "\"a\"=\"\\\\\\\\srv\"\r\n", K + "a=1:\\\\srv\\x00 0/0"},
        {"REGEDIT4\r\n" + id + "\"a\"=\"\\\\\\\\srv\"\r\n\"b\"=\"\\x\"\r\n", K + "a=1:\\\\\\\\srv\\x00 b=1:\\x\\x00 0/0 U"},
        // A Shift-JIS trail byte 0x5C is no backslash.
        {"REGEDIT4\r\n" + id + "\"\x95\x5C\"=\"\x95\x5C\\\\\"\r\n", K + "\\x95\\=1:\\x95\\\\\\x00 0/0", 932},
        // Numbers and bytes, continued lines, comments, LF only.
        {"REGEDIT4\n" + id + "\"d\"=dword:0000000a\n\"e\"=dword:FFFFFFFF\n\"b\"=hex:\n",
         K + "d=4:\\x0A\\x00\\x00\\x00 e=4:\\xFF\\xFF\\xFF\\xFF b=3: 0/0"},
        {"REGEDIT4\r\n; comment\r\n" + id + "\"b\"=hex:01,02,\\\r\n  03 ,\t04,\\\r\n; between\r\n\r\n  05\r\n"
                                            "\"m\"=hex(B):ff,\\\r\n  00\r\n",
         K + "b=3:\\x01\\x02\\x03\\x04\\x05 m=11:\\xFF\\x00 0/0"},
        {"REGEDIT4\r\n" + id + "\"t\"=hex(0):\r\n\"x\"=hex(7fffffff):1\r\n", K + "t=0: x=2147483647:\\x01 0/0"},
        // Deletions and malformed lines: each skipped once.
        {"REGEDIT4\r\n" + id + "\"a\"=-\r\n\"b\"=foo\r\n\"c\"=\"open\r\nc=1\r\n\"d\"=hex:1,zz\r\n\"e\"=hex:123\r\n"
                               "\"f\"=\"x\" junk\r\n\"g\"=dword:123456789\r\n\"h\"=hex(2:00\r\n\"i\"=hex:01,,02\r\n",
         K + "0/10"},
        {"REGEDIT4\r\n" + id + "\"b\"=hex:01,\\\r\n\"c\"=\"x\"\r\n", K + "c=1:x\\x00 0/1"},
        // A text cut short: its last line may still read, as a smaller number or fewer bytes.
        {"REGEDIT4\r\n" + id + "\"b\"=hex:01,\\\r\n", K + "0/1 C"},
        {"REGEDIT4\r\n" + id + "\"d\"=dword:0000", K + "d=4:\\x00\\x00\\x00\\x00 0/0 C"},
        {"REGEDIT4\r\n" + id + "\"b\"=hex:01,02", K + "b=3:\\x01\\x02 0/0 C"},
        {"REGEDIT4", "0/0 C"},
        {"REGEDIT4\r\nstray\r\n\"x\"=\"y\"\r\n" + id, K + "0/2"},
        // Which keys: the identity's tree and the account tree, whole names only, no empty parts.
        {"REGEDIT4\r\n[-HKEY_CURRENT_USER\\" + kIdKey + "]\r\n\"a\"=\"b\"\r\nbad\r\n"
         "[HKEY_CURRENT_USER\\Identities\\{other}]\r\n[HKEY_CURRENT_USER\\" + kIdKey + "X]\r\n"
         "[HKEY_CURRENT_USER\\" + kIdKey + "\\\\x]\r\n[HKEY_CURRENT_USER\\" + kIdKey + "\\]\r\n"
         "[HKEY_CURRENT_USER\\\\" + kIdKey + "]\r\n[HKCU\\" + kIdKey + "]\r\n[HKEY_CURRENT_USER\\Identities]\r\n"
         "[HKEY_LOCAL_MACHINE\\" + kAccounts + "]\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account]\r\n"
         "[HKEY_CURRENT_USER\\" + kIdKey + "\r\n[HKEY_CURRENT_USER]\r\n",
         "12/0"},
        {"REGEDIT4\r\n[hkey_current_user\\IDENTITIES\\{quillboxtest-import}\\a b\\]c]\r\n"
         "[HKEY_CURRENT_USER\\" + kAccounts + "]\r\n[HKEY_CURRENT_USER\\" + kAccounts + "\\Accounts\\00000001]  \r\n",
         "[IDENTITIES\\{quillboxtest-import}\\a b\\]c] [" + kAccounts + "] [" + kAccounts + "\\Accounts\\00000001] 0/0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text.substr(0, 200));
        EXPECT_EQ(r.want, Describe(RegIO::ParseRegText(r.text, kId, r.codePage)));
    }
}

// Every key and value below HKCU\<path> by relative path, a value as "type:bytes".
void Dump(const S& path, const S& rel, std::map<S, S>& out) {
    platform::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, platform::OpenKeyEx(platform::kHkeyCurrentUser, path.c_str(), KEY_READ, key)) << path;
    out[rel] = "key";
    platform::RegValue v;
    for (DWORD i = 0; platform::EnumValue(key.get(), i, v) == ERROR_SUCCESS; ++i)
        out[rel + "|" + v.name] = std::to_string(v.type) + ":" + v.data;
    S name;
    for (DWORD i = 0; platform::EnumSubKey(key.get(), i, name) == ERROR_SUCCESS; ++i)
        Dump(path + "\\" + name, rel + "\\" + name, out);
}

::testing::AssertionResult SameTrees(const S& want, const S& got) {
    std::map<S, S> a, b;
    Dump(want, "", a);
    Dump(got, "", b);
    for (const auto& [where, value] : a) {
        const auto it = b.find(where);
        if (it == b.end()) return ::testing::AssertionFailure() << where << " missing";
        if (it->second != value)
            return ::testing::AssertionFailure() << where << " is " << it->second.size() << " bytes, "
                                                 << value.size() << " expected";
    }
    if (a.size() != b.size()) return ::testing::AssertionFailure() << b.size() - a.size() << " extra entries";
    return ::testing::AssertionSuccess();
}

// Replaces the key lines' prefix `from` (below HKCU) by `to`.
S Reroot(S text, const S& from, const S& to) {
    const S f = "\n[HKEY_CURRENT_USER\\" + from, t = "\n[HKEY_CURRENT_USER\\" + to;
    for (std::size_t at = text.find(f); at != S::npos; at = text.find(f, at + t.size())) text.replace(at, f.size(), t);
    return text;
}

// The registry tree at HKCU\<path> removed before and after.
class ScratchTree {
public:
    explicit ScratchTree(S path) : path_(std::move(path)) { testsupport::DeleteTree(path_); }
    ~ScratchTree() { testsupport::DeleteTree(path_); }
    const S& path() const { return path_; }

private:
    S path_;
};

bool RunRegedit(const std::wstring& args) {
    std::wstring command = L"regedit.exe " + args;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"C:\\windows\\regedit.exe", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    const bool done = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return done;
}

S HexList(const S& bytes) {
    S out;
    for (unsigned char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x,", c);
        out += hex;
    }
    return out;
}

// Wine's regedit /e writes only the UTF-16 "Version 5.00" form, so its output is turned into
// what a REGEDIT4 editor writes: the REGEDIT4 header, ANSI text, and hex(1), hex(2) and hex(7)
// bytes as code-page text instead of UTF-16 (put on one line). Everything else stays as written,
// continued hex: lines included. (A text with a line break is left out: Wine writes it with
// \r\n escapes, which no REGEDIT4 file holds; the property test covers it through hex(1).)
S ToRegedit4(const S& utf16) {
    std::wstring text(reinterpret_cast<const wchar_t*>(utf16.data()), utf16.size() / 2);
    if (!text.empty() && text.front() == 0xFEFF) text.erase(0, 1);
    S out = "REGEDIT4";
    std::wstring logical;  // a value line with its continuation lines, while it is being joined
    std::wstring physical;
    std::size_t start = text.find(L"\r\n");
    for (start = start == std::wstring::npos ? text.size() : start + 2; start < text.size();) {
        std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 2;
        physical += line + L"\r\n";
        const bool more = !line.empty() && line.back() == L'\\';
        if (more) line.pop_back();
        logical += logical.empty() ? line : line.substr(line.find_first_not_of(L' '));
        if (more) continue;
        std::size_t at = std::wstring::npos;
        for (const wchar_t* tag : {L"=hex(1):", L"=hex(2):", L"=hex(7):"})
            if (at == std::wstring::npos) at = logical.find(tag);
        if (at == std::wstring::npos) {
            out += "\r\n" + platform::ToAnsi(physical.substr(0, physical.size() - 2));
        } else {
            std::wstring wide;
            for (std::size_t i = at + 8; i + 1 < logical.size(); i += 6)  // "xx,yy," per UTF-16 unit
                wide += static_cast<wchar_t>(std::wcstoul(logical.substr(i, 2).c_str(), nullptr, 16) |
                                             std::wcstoul(logical.substr(i + 3, 2).c_str(), nullptr, 16) << 8);
            out += "\r\n" + platform::ToAnsi(logical.substr(0, at + 8)) + HexList(platform::ToAnsi(wide));
        }
        logical.clear();
        physical.clear();
    }
    return out + "\r\n";
}

TEST(ParseRegText, ReadsWhatWinesRegeditWrote) {
    ScratchKey src("import-regedit");
    ScratchTree dst(kIdKey);
    ScratchDir dir("import-regedit");
    S binary;
    for (int i = 0; i < 300; ++i) binary += static_cast<char>(i * 13);
    struct Value { S key, name; DWORD type; S data; };
    const Value values[] = {
        {"", "", REG_SZ, S("default", 8)},
        {"", "Store Root", REG_SZ, S("C:\\Documents and Settings\\x\\\0", 29)},
        {"", "quo\"te\\", REG_SZ, S("say \"hi\"\0", 9)},
        {"", "caf\xE9", REG_SZ, S("\xF6l\0", 3)},
        {"", "empty", REG_SZ, S(1, '\0')},
        {"", "binlong", REG_BINARY, binary},
        {"", "bin0", REG_BINARY, ""},
        {"", "expand", REG_EXPAND_SZ, S("%UserProfile%\\caf\xE9\0", 19)},
        {"", "multi", REG_MULTI_SZ, S("one\0tw\xF6\0\0", 9)},
        {"", "d", REG_DWORD, S("\x04\x03\x02\xF1", 4)},
        {"", "q", REG_QWORD, S("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"", "none", REG_NONE, "\x01\x02"},
        {"\\Accounts\\00000001", "Account Name", REG_SZ, S("mail [1]; a=b\0", 14)},
        {"\\a b\\c", "x", REG_DWORD, S(4, '\0')},
    };
    for (const Value& v : values) ASSERT_TRUE(SetRawValue(src.path() + v.key, v.name, v.type, v.data)) << v.name;
    ASSERT_TRUE(testsupport::CreateKey(src.path() + "\\empty"));

    const S exported = dir.path() + "\\v5.reg";
    ASSERT_TRUE(RunRegedit(L"/e \"" + testsupport::Widen(exported) + L"\" \"HKEY_CURRENT_USER\\" + src.wpath() + L"\""));
    const S text = Reroot(ToRegedit4(ReadFile(exported)), src.path(), kIdKey);
    ASSERT_NE(S::npos, text.find("\\\r\n  ")) << "no continued line to read:\n" << text;

    const RegIO::RegImport parsed = RegIO::ParseRegText(text, kId);
    EXPECT_EQ("0/0", Describe(parsed).substr(Describe(parsed).rfind(' ') + 1)) << text;
    EXPECT_FALSE(parsed.unescaped);
    EXPECT_EQ(0, RegIO::ApplyRegImport(parsed));
    EXPECT_TRUE(SameTrees(src.path(), kIdKey));
}

TEST(ApplyRegImport, HostileFileChangesNothingOutsideTheTwoTrees) {
    ScratchTree mine(kIdKey), other("Identities\\{QuillboxTest-Other}");
    const S run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const testsupport::Planted planted({{HKEY_CURRENT_USER, run, "QuillboxTestEvil"},
                                        {HKEY_LOCAL_MACHINE, "Software\\QuillboxTest-Hostile", ""}});
    ASSERT_TRUE(SetRawValue(other.path(), "keep", REG_SZ, S("me\0", 3)));
    ASSERT_TRUE(SetRawValue(mine.path(), "old", REG_SZ, S("stays\0", 6)));
    S blob(4096, '\0');
    std::mt19937 random(7);
    for (std::size_t i = 1; i < blob.size(); ++i) blob[i] = static_cast<char>(random() % 256);
    for (char& c : blob)
        if (c == '\n') c = ' ';  // one line

    const S text = "REGEDIT4 \r\n"
                   "[HKEY_CURRENT_USER\\" + run + "]\r\n\"QuillboxTestEvil\"=\"C:\\\\evil.exe\"\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\QuillboxTest-Hostile]\r\n\"x\"=dword:00000001\r\n\r\n"
                   "[-HKEY_CURRENT_USER\\" + other.path() + "]\r\n\r\n"
                   "[HKEY_CURRENT_USER\\" + kIdKey + "]\r\n" + S(1 << 20, 'A') + "\r\n\"sig\"=" + blob + "\r\n" +
                   S("\"a\0b\"=\"x\"\r\n", 11) + "\"new\"=\"value\"\r\n";
    const RegIO::RegImport parsed = RegIO::ParseRegText(text, kId);
    EXPECT_EQ(3, parsed.skippedBlocks);
    EXPECT_EQ(3, parsed.skippedLines);
    EXPECT_EQ(0, RegIO::ApplyRegImport(parsed));

    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegGetValueA(HKEY_CURRENT_USER, run.c_str(), "QuillboxTestEvil", RRF_RT_ANY, nullptr, nullptr, nullptr));
    std::map<S, S> otherValues, mineValues;
    Dump(other.path(), "", otherValues);
    Dump(mine.path(), "", mineValues);
    EXPECT_EQ((std::map<S, S>{{"", "key"}, {"|keep", S("1:me\0", 5)}}), otherValues);
    EXPECT_EQ((std::map<S, S>{{"", "key"}, {"|old", S("1:stays\0", 8)}, {"|new", S("1:value\0", 8)}}), mineValues);
    HKEY hklm = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\QuillboxTest-Hostile", 0, KEY_READ, &hklm));

    // A binary file in place of the settings file is refused whole.
    EXPECT_FALSE(RegIO::ParseRegText(blob, kId).hasHeader);
}

// ---- property: random trees exported by ExportRegKey come back whole ----

class TreeMaker {
public:
    explicit TreeMaker(unsigned seed) : random_(seed) {}

    // A tree of up to `depth` more levels below HKCU\<path>.
    void Make(const S& path, int depth) {
        const int values = Pick(0, 5);
        for (int i = 0; i < values; ++i) {
            const DWORD type = kTypes[Pick(0, std::size(kTypes) - 1)];
            const S name = Pick(0, 9) == 0 ? "" : Name(true);
            ASSERT_TRUE(SetRawValue(path, name, type, Data(type))) << path << " | " << name;
        }
        ASSERT_TRUE(testsupport::CreateKey(path));
        const int keys = depth == 0 ? 0 : Pick(0, 2);
        for (int i = 0; i < keys && keysLeft_ > 0; ++i, --keysLeft_) Make(path + "\\" + Name(false), depth - 1);
    }

private:
    static constexpr DWORD kTypes[] = {REG_NONE, REG_SZ, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                                       REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST, REG_QWORD, 0x00ABCDEF};
    // Names hold what quoting, escaping and line parsing must get right, and code-page letters.
    static constexpr char kNameChars[] = " \t\"\\=;[]@-aZ09\xE9\xF6";

    int Pick(std::size_t low, std::size_t high) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(low, high)(random_));
    }
    std::size_t Size() {
        switch (Pick(0, 39)) {
            case 0: return 0;
            case 1: return static_cast<std::size_t>(Pick(1024, 65536));
            default: return static_cast<std::size_t>(Pick(1, Pick(0, 3) == 0 ? 1024 : 24));
        }
    }
    // Unique among siblings whatever the letters' case: the counter ends every name.
    S Name(bool value) {
        S name;
        for (int n = Pick(0, 12); n > 0; --n) {
            char c = kNameChars[Pick(0, sizeof kNameChars - 2)];
            if (!value && c == '\\') c = '_';
            name += c;
        }
        return name + "#" + std::to_string(++count_);
    }
    // A text holds no NUL but its terminator, as the exporter's "text" form carries; CR LF
    // sends it out as hex(1) bytes.
    S Data(DWORD type) {
        S data(Size(), '\0');
        for (char& c : data) c = static_cast<char>(Pick(type == REG_SZ ? 1 : 0, 255));
        if (type == REG_SZ) {
            if (Pick(0, 3) == 0 && data.size() > 2) data.replace(data.size() / 2, 2, "\r\n");
            data += '\0';
        }
        return data;
    }

    std::mt19937 random_;
    int count_ = 0;
    int keysLeft_ = 8;  // keeps a run of 200 trees to seconds under Wine
};

TEST(ParseRegText, PropertyRandomTreesComeBackWhole) {
    const char* runsText = std::getenv("QUILLBOX_PROPERTY_RUNS");
    const int runs = runsText ? std::atoi(runsText) : 200;
    const unsigned firstSeed = 20240;
    ScratchKey src("import-property");
    ScratchTree dst(kIdKey);
    ScratchDir dir("import-property");
    const S file = dir.path() + "\\OLbk1.reg";
    for (int run = 0; run < runs; ++run) {
        const unsigned seed = firstSeed + static_cast<unsigned>(run);
        SCOPED_TRACE("seed " + std::to_string(seed));
        testsupport::DeleteTree(src.path());
        testsupport::DeleteTree(dst.path());
        TreeMaker(seed).Make(src.path(), 6);
        if (HasFatalFailure()) return;
        ASSERT_EQ(0u, RegIO::ExportRegKey(testsupport::Widen(file), platform::kHkeyCurrentUser, src.wpath()));
        const S text = Reroot("REGEDIT4 \r\n" + ReadFile(file), src.path(), kIdKey);
        const RegIO::RegImport parsed = RegIO::ParseRegText(text, kId);
        ASSERT_EQ(0, parsed.skippedBlocks);
        ASSERT_EQ(0, parsed.skippedLines);
        ASSERT_FALSE(parsed.unescaped);
        ASSERT_EQ(0, RegIO::ApplyRegImport(parsed));
        ASSERT_TRUE(SameTrees(src.path(), dst.path()));
    }
}

}  // namespace
