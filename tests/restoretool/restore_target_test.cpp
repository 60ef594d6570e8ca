// Where the tool restores a recorded store root: placeholders, and the rebuild below the
// Application Data folder on a system without a profile folder.
#include "restoretool/restore_target.h"

#include <gtest/gtest.h>

namespace {

TEST(RestoreTargetTest, PlaceholdersUpperCaseAndTheFolderWithoutAProfile) {
    const std::wstring profile = L"C:\\Documents and Settings\\user";
    const std::wstring appData = L"C:\\Windows\\Application Data";
    const std::wstring oe = L"\\Identities\\{G}\\Microsoft\\Outlook Express";
    struct Row {
        std::wstring recorded, profile, appData, target;
    } rows[] = {
        {L"%UserProfile%\\Local Settings\\Application Data" + oe, profile, appData,
         L"C:\\DOCUMENTS AND SETTINGS\\USER\\LOCAL SETTINGS\\APPLICATION DATA\\IDENTITIES\\{G}\\MICROSOFT\\OUTLOOK EXPRESS"},
        {L"%systemdrive%\\%UserProfile%\\x", L"\\p", appData, L"D:\\\\P\\X"},  // both placeholders
        {L"E:\\Mail\\Store\\", profile, appData, L"E:\\MAIL\\STORE\\"},         // neither: upper-cased only
        {L"\\\\server\\share\\Mail", profile, appData, L"\\\\SERVER\\SHARE\\MAIL"},
        // No profile folder: the identity's folder below Application Data, one separator between.
        {L"%UserProfile%\\Local Settings\\Application Data" + oe, L"", appData,
         L"C:\\WINDOWS\\APPLICATION DATA\\IDENTITIES\\{G}\\MICROSOFT\\OUTLOOK EXPRESS"},
        {L"%UserProfile%\\identities\\{G}", L"", L"C:\\AppData\\", L"C:\\APPDATA\\IDENTITIES\\{G}"},
        {L"C:\\Identities Old\\Identities\\{G}\\Identities", L"", L"C:\\AD", L"C:\\AD\\IDENTITIES"},
        {L"%SystemDrive%\\Mail", L"", appData, L"D:\\MAIL"},
        // Nothing a full path can be made of: no target, so "Do" does nothing.
        {L"%UserProfile%\\Mail", L"", appData, L""},
        {L"%UserProfile%" + oe, L"", L"", L""},
        {L"no ent", profile, appData, L""},
        {L"Mail", profile, appData, L""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.target, restoretool::RestoreTargetFor(r.recorded, r.profile, L"D:", r.appData))
            << r.recorded << " / " << r.profile;
}

}  // namespace
