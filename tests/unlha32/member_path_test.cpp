// Member names: which stored paths may be extracted and where they land.
#include "unlha32/member_path.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using unlha::NameProblem;

TEST(MemberPathTest, SafeNamesMapBelowTheDestination) {
    const std::pair<const char*, const wchar_t*> rows[] = {
        {"Inbox.dbx", L"Inbox.dbx"},
        {"Mailing Lists/ml-dev.dbx", LR"(Mailing Lists\ml-dev.dbx)"},
        {"a\\b.txt", LR"(a\b.txt)"},
        {"COM10", L"COM10"},
        {"console.txt", L"console.txt"},
        {"..a", L"..a"},
        {".profile", L".profile"},
    };
    for (const auto& [member, rel] : rows) {
        std::wstring out;
        EXPECT_EQ(unlha::MemberToRelative(member, out), NameProblem::None) << member;
        EXPECT_EQ(out, rel) << member;
    }
}

TEST(MemberPathTest, RefusesNamesThatLeaveOrAliasTheDestination) {
    const char* rows[] = {
        "",         "../evil",   "..\\evil",   "a/../../evil", "/abs",  "\\abs",     "C:\\evil", "C:/evil",
        "C:evil",   "a//b",      "a/./b",      ".",            "a/",    "CON",       "con.txt",  "dir/NUL",
        "LPT1.log", "COM3",      "aux .txt",   "name.",        "name ", "a:stream",  "wild*",    "q?",
        "pipe|x",   "x\x01y",    "CONOUT$",
    };
    for (const char* member : rows) {
        std::wstring out;
        EXPECT_EQ(unlha::MemberToRelative(member, out), NameProblem::Unsafe) << member;
    }
}

TEST(MemberPathTest, NamesTheCodePageCannotHoldAreReported) {
    std::string member;
    // U+1F600 exists in no single- or double-byte ANSI code page.
    EXPECT_EQ(unlha::RelativeToMember(L"smile\U0001F600.txt", member), NameProblem::NotAnsi);
    EXPECT_EQ(unlha::RelativeToMember(LR"(sub\plain.txt)", member), NameProblem::None);
    EXPECT_EQ(member, "sub/plain.txt");
    if (GetACP() == 932) {
        std::wstring out;  // a lead byte with no trail byte
        EXPECT_EQ(unlha::MemberToRelative("bad\x81", out), NameProblem::NotAnsi);
    }
}

}  // namespace
