// The archiver adapter: the command lines byte for byte, a backup-and-restore round trip
// through the real unlha32.dll, and ReadTextFile.
#include "engine/engine_error.h"
#include "engine/ext_win.h"
#include "engine/run_unlha.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>

namespace {

using testsupport::ScratchDir;
using testsupport::Widen;

TEST(ExtWinTest, CommandLinesAreBuiltPieceByPiece) {
    struct Row {
        std::wstring built, expected;
    } rows[] = {
        {ext_win::FolderCommand(LR"(C:\Store\)", LR"(D:\bk\OL.lzh)"),
         LR"(a -r2 -x1 -a2 -jss "D:\bk\OL.lzh" "C:\Store\\")"},
        {ext_win::FolderCommand(LR"(C:\Mail Store)", LR"(D:\my bk\OL.lzh)"),
         LR"(a -r2 -x1 -a2 -jss "D:\my bk\OL.lzh" "C:\Mail Store\")"},
        {ext_win::FileCommand(LR"(C:\Documents and Settings\t\Address Book.wab)", LR"(D:\bk\WAB.lzh)"),
         LR"(a -a2 "D:\bk\WAB.lzh" "C:\Documents and Settings\t\Address Book.wab")"},
        {ext_win::FileCommand(L"", L""), LR"(a -a2 "" "")"},
        {ext_win::ExtractCommand(LR"(D:\bk\OL.lzh)", LR"(C:\Restore To)"),
         LR"(e -x1m1 "D:\bk\OL.lzh" "C:\Restore To"\ *)"},
        {ext_win::ExtractCommand(LR"(D:\bk\WAB.lzh)", LR"(C:\ab\)"), LR"(e -x1m1 "D:\bk\WAB.lzh" "C:\ab\"\ *)"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.built, row.expected);
}

TEST(ExtWinTest, BackupAndRestoreThroughTheDll) {
    SetEnvironmentVariableW(L"QUILLBOX_UNLHA_NOPROGRESS", L"1");
    ScratchDir dir("engine-roundtrip");
    const std::wstring root = Widen(dir.path());
    CreateDirectoryW((root + L"\\Store Folder").c_str(), nullptr);
    CreateDirectoryW((root + L"\\Store Folder\\Sub").c_str(), nullptr);
    CreateDirectoryW((root + L"\\bk").c_str(), nullptr);
    dir.WriteFile("Store Folder\\Inbox.dbx", std::string(100000, 'm') + "end");
    dir.WriteFile("Store Folder\\Sub\\List.dbx", "list");
    dir.WriteFile("My Book.wab", "wab data");

    // As the backup calls it: the store folder with its backslash, so the line ends in two.
    EXPECT_EQ(ext_win::ArchiveFolder(root + L"\\Store Folder\\", root + L"\\bk\\OL.lzh"), 0);
    EXPECT_EQ(ext_win::ArchiveFile(root + L"\\My Book.wab", root + L"\\bk\\WAB.lzh"), 0);
    EXPECT_EQ(ext_win::ExtractArchive(root + L"\\bk\\OL.lzh", root + L"\\Restored"), 0);
    EXPECT_EQ(ext_win::ExtractArchive(root + L"\\bk\\WAB.lzh", root + L"\\Book\\"), 0);

    auto read = [&](const char* rel) {
        std::ifstream in(dir.path() + "\\" + rel, std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>");
    };
    EXPECT_EQ(read("Restored\\Inbox.dbx"), std::string(100000, 'm') + "end");
    EXPECT_EQ(read("Restored\\Sub\\List.dbx"), "list");
    EXPECT_EQ(read("Book\\My Book.wab"), "wab data");
    // A failing command comes back as Unlha's result, not as an exception.
    EXPECT_EQ(ext_win::ExtractArchive(root + L"\\bk\\none.lzh", root + L"\\x"), 2);
    EXPECT_NE(Module_ini::RunUnlha(L"bogus"), 0);
}

TEST(ExtWinTest, ReadTextFileReturnsEveryCharacter) {
    ScratchDir dir("engine-readtext");
    const std::pair<std::string, std::wstring> rows[] = {
        {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities]\r\n", L"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Identities]\r\n"},
        {"no line end", L"no line end"},
        {"\r\n", L"\r\n"},
        {"lf only\nand\ttab\n", L"lf only\nand\ttab\n"},
        {std::string("nul\0inside", 10), std::wstring(L"nul\0inside", 10)},
    };
    int n = 0;
    for (const auto& [bytes, text] : rows) {
        const std::string path = dir.WriteFile("t" + std::to_string(n++) + ".reg", bytes);
        EXPECT_EQ(ext_win::ReadTextFile(Widen(path)), text) << bytes;
    }
}

TEST(ExtWinTest, ReadTextFileFailsOnMissingAndEmptyFiles) {
    ScratchDir dir("engine-readtext-fail");
    const std::string empty = dir.WriteFile("empty.reg", "");
    for (const std::string& path : {empty, dir.path() + "\\missing.reg", dir.path() + "\\nofolder\\x.reg"})
        EXPECT_THROW(ext_win::ReadTextFile(Widen(path)), engine::TextFileError) << path;
}

}  // namespace
