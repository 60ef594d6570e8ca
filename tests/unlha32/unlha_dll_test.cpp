// unlha32.dll through its Unlha entry: round trips, result codes, the output buffer and the
// safety of extraction.
#include "unlha_support.h"

#include "lha/writer.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <set>

namespace {

using namespace unlhatest;

class UnlhaDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"QUILLBOX_UNLHA_NOPROGRESS", L"1");
        root_ = std::make_unique<testsupport::ScratchDir>(
            std::string("unlha-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        base = testsupport::Widen(root_->path());
    }
    // A path below the scratch folder, as ANSI text for command lines.
    std::string at(const std::string& rel) const { return root_->path() + "\\" + rel; }
    std::wstring wat(const std::string& rel) const { return base + L"\\" + testsupport::Widen(rel); }

    std::unique_ptr<testsupport::ScratchDir> root_;
    std::wstring base;
};

// Writes an archive made by the library itself, for members Unlha would never write.
void WriteCrafted(const std::wstring& path, const std::vector<std::pair<std::string, std::string>>& members) {
    lha::MemoryOutput out;
    lha::WriterOptions o;
    o.threads = 1;
    lha::ArchiveWriter w(out, o);
    for (const auto& [name, data] : members) {
        lha::MemberInfo info;
        info.path = name;
        info.unixTime = 1100000000;
        info.hasUnixTime = true;
        const std::string* bytes = &data;
        ASSERT_EQ(w.addFile(info, [bytes] {
            return std::unique_ptr<lha::InputStream>(std::make_unique<lha::MemoryInput>(
                reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
        }), lha::Error::Ok) << name;
    }
    ASSERT_EQ(w.finish(), lha::Error::Ok);
    WriteBytes(path, std::string(out.bytes().begin(), out.bytes().end()));
}

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

std::uint64_t Ticks(FILETIME ft) { return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

TEST_F(UnlhaDllTest, FolderRoundTripKeepsTreeHiddenFilesAndTimes) {
    const Tree tree = {
        {L"Inbox.dbx", Sample(3 << 20, 1)},
        {L"Folders.dbx", Sample(20000, 2)},
        {L"empty.dbx", ""},
        {L"Mailing Lists", kFolder},
        {LR"(Mailing Lists\Archive 2004.dbx)", Sample(50000, 3)},
        {LR"(Mailing Lists\deep)", kFolder},
        {LR"(Mailing Lists\deep\x.txt)", "x\r\n"},
        {L"Empty Folder", kFolder},
        {L"hidden.ini", "[h]\r\n"},
    };
    CreateDirectoryW(wat("src").c_str(), nullptr);
    WriteTree(wat("src"), tree);
    SetFileAttributesW(wat("src\\hidden.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const FILETIME stamp = {0x5A136200, 0x01C4334B};  // a whole second in May 2004
    {
        HANDLE h = CreateFileW(wat("src\\Folders.dbx").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, nullptr, nullptr, &stamp);
        CloseHandle(h);
    }

    const CallResult add = CallUnlha("a -r2 -x1 -a2 -jss \"" + at("OL.lzh") + "\" \"" + at("src") + "\\\\\"");
    ASSERT_EQ(add.code, 0) << add.output;
    const CallResult test = CallUnlha("t \"" + at("OL.lzh") + "\"");
    EXPECT_EQ(test.code, 0) << test.output;
    const CallResult list = CallUnlha("l \"" + at("OL.lzh") + "\"");
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.output.find("Mailing Lists/deep/x.txt"), std::string::npos) << list.output;

    const CallResult ext = CallUnlha("e -x1m1 \"" + at("OL.lzh") + "\" \"" + at("restored\\dst") + "\"\\ *");
    ASSERT_EQ(ext.code, 0) << ext.output;
    EXPECT_EQ(ReadTree(wat("restored\\dst")), tree);
    EXPECT_TRUE(GetFileAttributesW(wat("restored\\dst\\hidden.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Ticks(WriteTime(wat("restored\\dst\\Folders.dbx"))), Ticks(stamp));
}

TEST_F(UnlhaDllTest, SwitchesDecideWhatIsStored) {
    const Tree tree = {{L"a.txt", "a"}, {L"sub", kFolder}, {LR"(sub\b.txt)", "b"}, {L"hid.txt", "h"}};
    CreateDirectoryW(wat("src").c_str(), nullptr);
    WriteTree(wat("src"), tree);
    SetFileAttributesW(wat("src\\hid.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    struct Row {
        const char* switches;
        Tree expected;
    } rows[] = {
        {"-r2 -x1 -a2", tree},
        {"-r2 -x1", {{L"a.txt", "a"}, {L"sub", kFolder}, {LR"(sub\b.txt)", "b"}}},
        {"-r2 -a2", {{L"a.txt", "a"}, {L"b.txt", "b"}, {L"hid.txt", "h"}}},
        {"-a2", {{L"a.txt", "a"}, {L"hid.txt", "h"}}},
    };
    int n = 0;
    for (const auto& row : rows) {
        const std::string arc = at("s" + std::to_string(n) + ".lzh"), dst = "d" + std::to_string(n++);
        const CallResult add = CallUnlha(std::string("a ") + row.switches + " \"" + arc + "\" \"" + at("src") + "\\\"");
        ASSERT_EQ(add.code, 0) << row.switches << add.output;
        const CallResult ext = CallUnlha("e -x1m1 \"" + arc + "\" \"" + at(dst) + "\"\\ *");
        ASSERT_EQ(ext.code, 0) << row.switches << ext.output;
        EXPECT_EQ(ReadTree(wat(dst)), row.expected) << row.switches;
    }
}

TEST_F(UnlhaDllTest, AddReplacesMembersAndKeepsTheOthers) {
    const std::string arc = at("WAB.lzh");
    WriteBytes(wat("one.wab"), "first version");
    WriteBytes(wat("two words.wab"), Sample(70000, 9));
    ASSERT_EQ(CallUnlha("a -a2 \"" + arc + "\" \"" + at("one.wab") + "\"").code, 0);
    ASSERT_EQ(CallUnlha("a -a2 \"" + arc + "\" \"" + at("two words.wab") + "\"").code, 0);
    WriteBytes(wat("one.wab"), "second, longer version");
    ASSERT_EQ(CallUnlha("a -a2 \"" + arc + "\" \"" + at("one.wab") + "\"").code, 0);
    const CallResult ext = CallUnlha("e -x1m1 \"" + arc + "\" \"" + at("out") + "\\\\\"\\ *");
    ASSERT_EQ(ext.code, 0) << ext.output;
    const Tree expected = {{L"one.wab", "second, longer version"}, {L"two words.wab", Sample(70000, 9)}};
    EXPECT_EQ(ReadTree(wat("out")), expected);
}

TEST_F(UnlhaDllTest, ResultCodesNameTheFailure) {
    WriteBytes(wat("garbage.lzh"), "this is not an LHA archive at all");
    WriteBytes(wat("f.txt"), "f");
    // Store random-looking bytes so the member is -lh0- and a flipped byte is a pure CRC error.
    std::string noise(4000, '\0');
    unsigned x = 7;
    for (char& c : noise) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    WriteCrafted(wat("crc.lzh"), {{"noise.bin", noise}});
    std::string bytes = ReadBytes(wat("crc.lzh"));
    bytes[bytes.size() - 10] ^= 0x55;
    WriteBytes(wat("crc.lzh"), bytes);

    struct Row {
        std::string line;
        int code;
    } rows[] = {
        {"bogus", 1},
        {"a -r3 \"" + at("x.lzh") + "\" \"" + at("f.txt") + "\"", 1},
        {"e -x1m1 \"" + at("none.lzh") + "\" \"" + at("d") + "\"\\ *", 2},
        {"t \"" + at("none.lzh") + "\"", 2},
        {"t \"" + at("garbage.lzh") + "\"", 3},
        {"a -a2 \"" + at("garbage.lzh") + "\" \"" + at("f.txt") + "\"", 3},
        {"t \"" + at("crc.lzh") + "\"", 4},
        {"e -x1m1 \"" + at("crc.lzh") + "\" \"" + at("d") + "\"\\ *", 4},
        {"a -a2 \"" + at("x.lzh") + "\" \"" + at("missing.txt") + "\"", 5},
        {"a -r2 -x1 -a2 -jss \"" + at("x.lzh") + "\" \"" + at("nofolder") + "\\\\\"", 5},
        {"a -a2 \"" + at("no folder\\x.lzh") + "\" \"" + at("f.txt") + "\"", 6},
        {"t \"" + at("f.txt") + "\"", 3},
    };
    for (const auto& row : rows) {
        const CallResult r = CallUnlha(row.line);
        EXPECT_EQ(r.code, row.code) << row.line << "\n" << r.output;
        EXPECT_NE(r.output.find("error " + std::to_string(row.code)), std::string::npos) << row.line << r.output;
    }
    EXPECT_EQ(ReadBytes(wat("garbage.lzh")), "this is not an LHA archive at all");
    EXPECT_EQ(ReadBytes(wat("x.lzh")), "<missing>");
    EXPECT_EQ(ReadBytes(wat("d\\noise.bin")), "<missing>");
}

TEST_F(UnlhaDllTest, OutputBufferIsTerminatedAndBounded) {
    const std::string line = "t \"" + at("none.lzh") + "\"";
    for (DWORD size : {1u, 2u, 8u, 200u}) {
        char buf[256];
        FillMemory(buf, sizeof buf, 'x');
        const int code = UnlhaEntry()(nullptr, line.c_str(), buf, size);
        EXPECT_EQ(code, 2);
        const std::size_t len = strnlen(buf, size);
        EXPECT_LT(len, size) << size;
        for (std::size_t i = size; i < sizeof buf; ++i) ASSERT_EQ(buf[i], 'x') << "written past " << size;
        if (size == 200) {
            EXPECT_NE(std::string(buf, len).find("none.lzh"), std::string::npos);
        }
    }
    EXPECT_EQ(UnlhaEntry()(nullptr, line.c_str(), nullptr, 0), 2);
    EXPECT_EQ(UnlhaEntry()(nullptr, nullptr, nullptr, 0), 1);
}

TEST_F(UnlhaDllTest, MembersThatWouldLeaveTheDestinationAreRefused) {
    const std::vector<std::pair<std::string, std::string>> members = {
        {"../evil1.txt", "1"},      {"..\\evil2.txt", "2"}, {"C:\\quillbox-evil3.txt", "3"},
        {"C:/quillbox-evil4.txt", "4"}, {"sub/../../evil5.txt", "5"}, {"CON", "6"},
        {"good/ok.txt", "fine"},
    };
    WriteCrafted(wat("crafted.lzh"), members);
    CreateDirectoryW(wat("box").c_str(), nullptr);
    const CallResult r = CallUnlha("e -x1m1 \"" + at("crafted.lzh") + "\" \"" + at("box\\dst") + "\"\\ *");
    EXPECT_EQ(r.code, 8) << r.output;
    // Members are extracted side by side, yet reported in archive order.
    std::size_t last = 0;
    for (const auto& [name, data] : members) {
        if (name != "good/ok.txt") {
            const std::size_t found = r.output.find(name);
            EXPECT_NE(found, std::string::npos) << name << r.output;
            EXPECT_GE(found, last) << name << r.output;
            last = found;
        }
    }
    // A hostile archive puts nothing in place, not even its harmless members.
    const Tree box = {{L"dst", kFolder}};
    EXPECT_EQ(ReadTree(wat("box")), box);
    EXPECT_EQ(ReadBytes(wat("evil1.txt")), "<missing>");
    EXPECT_EQ(ReadBytes(L"C:\\quillbox-evil3.txt"), "<missing>");
    EXPECT_EQ(ReadBytes(L"C:\\quillbox-evil4.txt"), "<missing>");
}

TEST_F(UnlhaDllTest, DamagedArchiveLeavesTheOldFilesIntact) {
    CreateDirectoryW(wat("src").c_str(), nullptr);
    WriteTree(wat("src"), {{L"Inbox.dbx", Sample(300000, 5)}, {L"Sent.dbx", Sample(1000, 6)}});
    ASSERT_EQ(CallUnlha("a -r2 -x1 -a2 -jss \"" + at("OL.lzh") + "\" \"" + at("src") + "\\\"").code, 0);
    const std::string good = ReadBytes(wat("OL.lzh"));
    ASSERT_GT(good.size(), 2000u);
    // Inside Inbox.dbx's compressed data (the first member), then inside Sent.dbx's (the last):
    // either way no old file is replaced, also not the one before the damage.
    for (const std::size_t at_ : {good.size() / 3, good.size() - 200}) {
        SCOPED_TRACE(at_);
        std::string bytes = good;
        bytes[at_] ^= 0x20;
        WriteBytes(wat("OL.lzh"), bytes);
        const Tree old = {{L"Inbox.dbx", "the old store"}, {L"Sent.dbx", "old sent"}};
        CreateDirectoryW(wat("dst").c_str(), nullptr);
        WriteTree(wat("dst"), old);

        const CallResult r = CallUnlha("e -x1m1 \"" + at("OL.lzh") + "\" \"" + at("dst") + "\"\\ *");
        EXPECT_TRUE(r.code == 3 || r.code == 4) << r.code << r.output;
        EXPECT_EQ(ReadTree(wat("dst")), old);  // no temporary files left behind either
    }
}

TEST_F(UnlhaDllTest, ExistingFilesAreKeptWithoutM1) {
    WriteBytes(wat("f.txt"), "archived");
    ASSERT_EQ(CallUnlha("a -a2 \"" + at("a.lzh") + "\" \"" + at("f.txt") + "\"").code, 0);
    CreateDirectoryW(wat("dst").c_str(), nullptr);
    WriteBytes(wat("dst\\f.txt"), "present");
    const CallResult kept = CallUnlha("e -x1 \"" + at("a.lzh") + "\" \"" + at("dst") + "\"\\");
    EXPECT_EQ(kept.code, 10) << kept.output;
    EXPECT_EQ(ReadBytes(wat("dst\\f.txt")), "present");
    const CallResult replaced = CallUnlha("e -x1m1 \"" + at("a.lzh") + "\" \"" + at("dst") + "\"\\ *");
    EXPECT_EQ(replaced.code, 0) << replaced.output;
    EXPECT_EQ(ReadBytes(wat("dst\\f.txt")), "archived");
}

TEST_F(UnlhaDllTest, NamesOutsideTheCodePageAreReportedNotMangled) {
    CreateDirectoryW(wat("src").c_str(), nullptr);
    WriteTree(wat("src"), {{L"plain.txt", "p"}, {L"smile\U0001F600.txt", "s"}});
    const CallResult r = CallUnlha("a -r2 -x1 -a2 -jss \"" + at("n.lzh") + "\" \"" + at("src") + "\\\"");
    EXPECT_EQ(r.code, 9) << r.output;
    EXPECT_NE(r.output.find("smile"), std::string::npos) << r.output;
    EXPECT_EQ(ReadBytes(wat("n.lzh")), "<missing>");
}

}  // namespace
