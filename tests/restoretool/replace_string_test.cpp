// The restore tool's text replacement.
#include "restoretool/replace_string.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplaceStringTest, EveryOccurrenceCaseForCaseInsertedTextNotSearched) {
    struct Row {
        const wchar_t *text, *search, *replacement, *result;
    } rows[] = {
        {L"C:\\MAIL", L"%USERPROFILE%", L"C:\\U", L"C:\\MAIL"},                               // no match
        {L"%USERPROFILE%\\A;%USERPROFILE%\\B", L"%USERPROFILE%", L"C:\\U", L"C:\\U\\A;C:\\U\\B"},  // both
        {L"%USERPROFILE%", L"%USERPROFILE%", L"C:\\U", L"C:\\U"},                             // the whole text
        {L"x%A%y%A%", L"%A%", L"", L"xy"},                                                     // deleted
        {L"AB", L"A", L"AA", L"AAB"},                                                          // not searched again
        {L"AAA", L"AA", L"B", L"BA"},                                                          // no overlap
        {L"%UserProfile%\\x", L"%USERPROFILE%", L"C:\\U", L"%UserProfile%\\x"},               // case-sensitive
        {L"abc", L"", L"X", L"abc"},                                                           // empty search
        {L"", L"A", L"X", L""},                                                                // empty text
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.result, restoretool::ReplaceString(r.text, r.search, r.replacement))
            << r.text << " / " << r.search;
}

}  // namespace
