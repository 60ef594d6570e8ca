// Reading the about box's command line: what it shows for what it is given.
#include "about/about_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutText, ArgumentIsWhatFollowsTheProgramName) {
    struct Row { const wchar_t* commandLine; const wchar_t* argument; };
    const Row rows[] = {
        {L"about1.exe Quillbox/2.1.6/ text", L"Quillbox/2.1.6/ text"},
        {L"\"C:\\Program Files\\q\\about1.exe\"  Quillbox/2.1.6/ text", L"Quillbox/2.1.6/ text"},
        {L"about1.exe \"Quillbox/2.1.6/ text\"", L"Quillbox/2.1.6/ text"},  // quoted by a shell
        {L"about1.exe", L""},
        {L"about1.exe   ", L""},
        {L"\"unclosed quote about1.exe a/b/c", L""},
        {L"", L""},
    };
    for (const Row& row : rows) EXPECT_EQ(row.argument, about::ArgumentOf(row.commandLine)) << row.commandLine;
}

TEST(AboutText, NameVersionAndDescriptionOrTheWholeTextUnparsed) {
    struct Row { const wchar_t* argument; bool parsed; const wchar_t* name; const wchar_t* version; const wchar_t* description; };
    const Row rows[] = {
        {L"Quillbox/2.1.6/ Outlookex5のメールや設定、動作設定 等ユーザーごとにバックアップ復元します。", true, L"Quillbox",
         L"2.1.6", L"Outlookex5のメールや設定、動作設定 等ユーザーごとにバックアップ復元します。"},
        {L"Quillbox/2.1.6/", true, L"Quillbox", L"2.1.6", L""},
        {L"Quillbox/2.1.6/ a/b", true, L"Quillbox", L"2.1.6", L"a/b"},  // later slashes belong to the text
        {L"Quillbox/2.1.6", false, L"", L"", L"Quillbox/2.1.6"},
        {L"/2.1.6/ text", false, L"", L"", L"/2.1.6/ text"},
        {L"Quillbox// text", false, L"", L"", L"Quillbox// text"},
        {L"just some words", false, L"", L"", L"just some words"},
        {L"", false, L"", L"", L""},
    };
    for (const Row& row : rows) {
        const about::AboutText text = about::ParseArgument(row.argument);
        EXPECT_EQ(row.parsed, text.parsed) << row.argument;
        EXPECT_EQ(row.name, text.name) << row.argument;
        EXPECT_EQ(row.version, text.version) << row.argument;
        EXPECT_EQ(row.description, text.description) << row.argument;
    }
}

}  // namespace
