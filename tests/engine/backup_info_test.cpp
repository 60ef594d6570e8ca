// Lines of the backup information file as the code page holds them.
#include "engine/backup_info.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(BackupInfoTest, LinesKeepWhatTheCodePageHoldsAndFlagTheRest) {
    if (GetACP() != 1252) GTEST_SKIP() << "rows are written for code page 1252";
    struct Row {
        std::wstring line;
        std::string bytes;
        bool exact;
    } rows[] = {
        {L"UserName=Taro", "UserName=Taro\r\n", true},
        {L"UserName=", "UserName=\r\n", true},
        {L"UserName=Caf\u00e9 \u00c5", "UserName=Caf\xe9 \xc5\r\n", true},
        // No '?' (a wildcard in a path) and no best fit (a look-alike letter in another folder).
        {L"storroot=C:\\\u5c71\u7530\\Mail", "storroot=C:\\__\\Mail\r\n", false},
        {L"UserName=\u0100x", "UserName=_x\r\n", false},
        {L"UserName=\U0001F600!", "UserName=_!\r\n", false},
    };
    for (const Row& r : rows) {
        bool exact = !r.exact;
        EXPECT_EQ(r.bytes, engine::InfoLineBytes(r.line, exact));
        EXPECT_EQ(r.exact, exact);
    }
}

}  // namespace
