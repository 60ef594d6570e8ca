// Command-line parsing: the three lines the programs send, and what must be refused.
#include "unlha32/command_line.h"

#include <gtest/gtest.h>

namespace {

using unlha::Command;
using unlha::CommandLine;
using unlha::ParseCommandLine;

struct Accepted {
    const wchar_t* line;
    Command command;
    const wchar_t* archive;
    const wchar_t* second;  // first source for `a`, destination for `e`, "" otherwise
    bool recurse, keepPaths, allFiles, sorted, overwrite;
};

TEST(CommandLineTest, AcceptsTheLinesTheProgramsSend) {
    const Accepted rows[] = {
        {LR"(a -r2 -x1 -a2 -jss "C:\b k\OL.lzh" "C:\Mail Store\\")", Command::Add, LR"(C:\b k\OL.lzh)",
         LR"(C:\Mail Store\\)", true, true, true, true, false},
        {LR"(a -r2 -x1 -a2 -jss "C:\b\OL.lzh" "C:\Store\")", Command::Add, LR"(C:\b\OL.lzh)", LR"(C:\Store\)", true,
         true, true, true, false},
        {LR"(a -a2 "C:\b\WAB.lzh" "C:\My Docs\a b.wab")", Command::Add, LR"(C:\b\WAB.lzh)", LR"(C:\My Docs\a b.wab)",
         false, false, true, false, false},
        {LR"(e -x1m1 "C:\b\OL.lzh" "C:\Restore here"\ *)", Command::Extract, LR"(C:\b\OL.lzh)", LR"(C:\Restore here)",
         false, true, false, false, true},
        {LR"(e -x1m1 "C:\b\WAB.lzh" "C:\ab\"\ *)", Command::Extract, LR"(C:\b\WAB.lzh)", LR"(C:\ab)", false, true,
         false, false, true},
        {LR"(e -x1m1 "C:\b\OL.lzh" "C:\"\ *)", Command::Extract, LR"(C:\b\OL.lzh)", LR"(C:\)", false, true, false,
         false, true},
        {LR"(e "x.lzh" out\)", Command::Extract, L"x.lzh", L"out", false, false, false, false, false},
        {LR"(l "x y.lzh")", Command::List, L"x y.lzh", L"", false, false, false, false, false},
        {L"t   x.lzh  ", Command::Test, L"x.lzh", L"", false, false, false, false, false},
        {LR"(a "q"uoted" mix".lzh f)", Command::Add, L"quoted mix.lzh", L"f", false, false, false, false, false},
    };
    for (const auto& row : rows) {
        CommandLine cl;
        std::wstring error;
        ASSERT_TRUE(ParseCommandLine(row.line, cl, error)) << row.line << L" -> " << error;
        EXPECT_EQ(cl.command, row.command) << row.line;
        EXPECT_EQ(cl.archive, row.archive) << row.line;
        if (row.command == Command::Add) {
            ASSERT_EQ(cl.sources.size(), 1u) << row.line;
            EXPECT_EQ(cl.sources[0], row.second) << row.line;
        } else {
            EXPECT_EQ(cl.destination, row.second) << row.line;
        }
        EXPECT_EQ(cl.options.recurse, row.recurse) << row.line;
        EXPECT_EQ(cl.options.keepPaths, row.keepPaths) << row.line;
        EXPECT_EQ(cl.options.allFiles, row.allFiles) << row.line;
        EXPECT_EQ(cl.options.sorted, row.sorted) << row.line;
        EXPECT_EQ(cl.options.overwrite, row.overwrite) << row.line;
    }
}

TEST(CommandLineTest, RefusesWhatItDoesNotKnow) {
    const wchar_t* rows[] = {
        L"",
        L"x \"a.lzh\" f",                       // unknown command
        L"A \"a.lzh\" f",                       // commands are lower case
        L"a -r1 \"a.lzh\" f",                   // switch value we do not define
        L"a -r2 -q \"a.lzh\" f",                // unknown switch
        L"a -r2- \"a.lzh\" f",
        L"a - \"a.lzh\" f",
        L"a \"a.lzh\"",                          // nothing to add
        L"a -m1 \"a.lzh\" f",                    // extraction switch on `a`
        L"a \"a.lzh\" \"\\\\\"",                 // source of backslashes only
        L"e -x1m1 \"a.lzh\" \"C:\\d\"",          // destination without backslash
        L"e -x1m1 \"a.lzh\" \"C:\\d\"\\ *.txt",  // selection other than *
        L"e -x1m1 \"a.lzh\" \"C:\\d\"\\ * more",
        L"e -r2 \"a.lzh\" d\\",
        L"e \"a.lzh\"",
        L"e -x1m1 \"a.lzh \"C:\\d\"\\ *",        // unclosed quote
        L"l",
        L"l \"a.lzh\" extra",
        L"t -x1 \"a.lzh\"",
    };
    for (const wchar_t* line : rows) {
        CommandLine cl;
        std::wstring error;
        EXPECT_FALSE(ParseCommandLine(line, cl, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(CommandLineTest, SplitJoinsAdjacentPiecesAndKeepsBackslashes) {
    struct Row {
        const wchar_t* text;
        std::vector<std::wstring> args;
        std::vector<bool> quoted;
    } rows[] = {
        {LR"("C:\d"\ *)", {LR"(C:\d\)", L"*"}, {true, false}},
        {LR"("a\\" b)", {LR"(a\\)", L"b"}, {true, false}},
        {LR"(x""y "" z)", {L"xy", L"", L"z"}, {true, true, false}},
        {L"  ", {}, {}},
    };
    for (const auto& row : rows) {
        std::vector<std::wstring> args;
        std::vector<bool> quoted;
        ASSERT_TRUE(unlha::SplitArguments(row.text, args, quoted)) << row.text;
        EXPECT_EQ(args, row.args) << row.text;
        EXPECT_EQ(quoted, row.quoted) << row.text;
    }
}

TEST(CommandLineTest, TrailingBackslashesNameTheFolder) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {LR"(C:\a\)", LR"(C:\a)"}, {LR"(C:\a\\)", LR"(C:\a)"}, {LR"(C:\)", LR"(C:\)"},
        {LR"(C:\\)", LR"(C:\)"},   {LR"(rel)", LR"(rel)"},     {LR"(\\)", L""},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(unlha::StripTrailingBackslashes(in), out) << in;
}

}  // namespace
