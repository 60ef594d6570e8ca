// Folder part of a path and the shortening of paths for labels.
#include "platform/path_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using PathText::CompactAnsiPath;
using PathText::CompactPath;
using PathText::RemoveFileSpec;

constexpr std::uint32_t kShiftJis = 932;

std::string ToShiftJis(const std::wstring& text) {
    const int n = WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// Walks Shift-JIS by its own byte ranges, so a split character is caught without the system's help.
bool IsWholeShiftJis(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (!((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))) continue;
        if (++i == bytes.size()) return false;
        const auto t = static_cast<unsigned char>(bytes[i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    }
    return true;
}

TEST(RemoveFileSpecTest, FolderPart) {
    const std::wstring longFolder = L"C:\\" + std::wstring(280, L'd');
    struct Row { std::wstring path; std::wstring want; };
    const Row rows[] = {
        {L"C:\\a\\b.txt", L"C:\\a"},
        {L"C:\\b.txt", L"C:\\"},     // the root keeps its backslash
        {L"C:\\a\\", L"C:\\a"},      // only the trailing backslash goes
        {L"b.txt", L""},
        {L"", L""},
        {L"\\\\server\\share\\f.txt", L"\\\\server\\share"},
        {longFolder + L"\\file.txt", longFolder},
    };
    for (const Row& r : rows) EXPECT_EQ(r.want, RemoveFileSpec(r.path)) << r.path.size() << L" " << r.path;
}

TEST(CompactPathTest, AnsiPathsAtTheWidthsInUse) {
    const std::wstring longName = L"averyveryverylongfilenamethatgoesonandonforeveranddever.txt";
    const std::wstring identity = L"C:\\Documents and Settings\\Taro Yamada\\Local Settings\\Application Data"
                                  L"\\Identities\\{4A1B2C3D-0000-1111-2222-333344445555}\\Microsoft\\Outlook Express";
    const std::wstring share = L"\\\\fileserver\\backup share\\users\\taro\\mail\\Outlook Express\\Inbox.dbx";
    struct Row { std::wstring path; std::int32_t width; std::wstring want; };
    const Row rows[] = {
        {L"C:\\Program Files\\MailApp\\users\\abc.ini", 40, L"C:\\Program Files\\MailApp\\users\\abc.ini"},
        {L"C:\\Program Files\\MailApp\\users\\abcd.ini", 40, L"C:\\Program Files\\MailApp\\users\\abcd.ini"},
        {L"C:\\Program Files\\MailApp\\users\\abcde.ini", 40, L"C:\\Program Files\\MailApp\\...\\abcde.ini"},
        {identity, 40, L"C:\\...\\Outlook Express"},
        {identity, 64, L"C:\\Documents and Settings\\Taro Yamada\\...\\Outlook Express"},
        {share, 40, L"\\\\fileserver\\backup share\\...\\Inbox.dbx"},
        {share, 64, L"\\\\fileserver\\backup share\\users\\taro\\mail\\...\\Inbox.dbx"},
        {L"C:\\" + longName, 40, L"C:\\averyveryverylongfilenamethatgoes..."},
        {L"C:\\" + longName, 64, L"C:\\" + longName},
        {L"C:\\data\\mail\\" + longName, 40, L"C:\\...\\averyveryverylongfilenamethat..."},
        {L"\\\\server-with-a-rather-long-name\\and-a-long-share", 40, L"\\\\server-with-a-rather-long-name\\and..."},
        {L"C:\\a\\b", 3, L".."},
        {L"C:\\a\\b", 0, L""},
    };
    for (const Row& r : rows) {
        const std::wstring got = CompactPath(r.path, r.width);
        EXPECT_EQ(r.want, got) << r.width << L" " << r.path;
        EXPECT_LE(static_cast<std::int32_t>(got.size()), std::max(r.width - 1, 0));
    }
}

TEST(CompactPathTest, ShiftJisKeepsCharactersWhole) {
    // 表 is 0x95 0x5C: its trail byte is a backslash and must not split the last element.
    const std::wstring path = L"C:\\ドキュメント\\山田太郎\\アプリケーションデータ\\メール保存\\表計算データ.dbx";
    struct Row { std::int32_t width; std::wstring want; };
    const Row rows[] = {
        {80, path},
        {40, L"C:\\ドキュメント\\...\\表計算データ.dbx"},
        {64, L"C:\\ドキュメント\\山田太郎\\...\\表計算データ.dbx"},
        {20, L"C:\\...\\表計算デ..."},   // 18 bytes: a 19th would split デ
    };
    for (const Row& r : rows)
        EXPECT_EQ(ToShiftJis(r.want), CompactAnsiPath(ToShiftJis(path), r.width, kShiftJis)) << r.width;
}

TEST(CompactPathTest, ShiftJisAtEveryWidth) {
    const std::wstring paths[] = {
        L"C:\\ドキュメント\\山田太郎\\アプリケーションデータ\\メール保存\\表計算データ.dbx",
        L"C:\\とても長い名前のフォルダ\\ソフト表示用の説明書きファイル.txt",
        L"\\\\共有サーバ\\バックアップ\\メール\\受信トレイ.dbx",
        L"C:\\a表\\b表\\cソ",
    };
    for (const std::wstring& wide : paths) {
        const std::string path = ToShiftJis(wide);
        for (std::int32_t width = 1; width <= 100; ++width) {
            const std::string got = CompactAnsiPath(path, width, kShiftJis);
            SCOPED_TRACE(::testing::Message() << "width " << width << " of " << path.size() << " bytes");
            EXPECT_LE(got.size(), static_cast<std::size_t>(width - 1));
            EXPECT_TRUE(IsWholeShiftJis(got)) << got;
            if (path.size() < static_cast<std::size_t>(width)) {
                EXPECT_EQ(path, got);
            }
        }
    }
}

}  // namespace
