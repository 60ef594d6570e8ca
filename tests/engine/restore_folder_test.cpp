// Where a recorded store root is restored to on this machine.
#include "engine/restore.h"

#include <gtest/gtest.h>

namespace {

TEST(RestoreFolderTest, PlaceholdersCaseAndOneTrailingBackslash) {
    const std::wstring profile = L"C:\\Documents and Settings\\user";
    struct Row {
        std::wstring recorded, folder;
    } rows[] = {
        {L"%UserProfile%\\Local Settings\\Application Data",
         L"C:\\DOCUMENTS AND SETTINGS\\USER\\LOCAL SETTINGS\\APPLICATION DATA"},
        {L"%systemDrive%\\Data", L"D:\\DATA"},
        {L"%USERPROFILE%\\a;%userprofile%\\b", L"C:\\DOCUMENTS AND SETTINGS\\USER\\A;C:\\DOCUMENTS AND SETTINGS\\USER\\B"},
        {L"C:\\A\\", L"C:\\A"},
        {L"C:\\A", L"C:\\A"},
        {L"C:\\A\\\\", L"C:\\A\\"},
        {L"%USERPROFILE", L"%USERPROFILE"},
        {L"\\", L""},
    };
    for (const Row& r : rows) EXPECT_EQ(r.folder, engine::RestoreFolderFor(r.recorded, profile, L"D:")) << r.recorded;
    // The profile folder goes in before the drive placeholder is looked for, so one inside it counts.
    EXPECT_EQ(L"D:\\P\\X", engine::RestoreFolderFor(L"%USERPROFILE%\\x", L"%SystemDrive%\\p", L"D:"));
}

}  // namespace
