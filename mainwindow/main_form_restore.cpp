// The main window's restore page: choosing a backup, "Do", and switching between the pages.
#include "mainwindow/main_form.h"

#include "engine/backup_info.h"
#include "platform/find_handle.h"
#include "platform/module_ini.h"
#include "platform/path_text.h"
#include "profile/store_folder.h"

namespace mainwindow {
namespace {

constexpr wchar_t kFilter[] = L"*.bkd \0 *.bkd\0";  // description "*.bkd ", pattern " *.bkd"
constexpr int kRestorpathWidth = 40;
constexpr COLORREF kSelectorGrey = 8421504;  // 128, 128, 128

}  // namespace

bool SystemOpenFile(OPENFILENAMEW& dialog) { return GetOpenFileNameW(&dialog) != FALSE; }

void mainFrm::FrameSelect_Click(int index) {
    const int other = index == 0 ? 1 : 0;
    BackUpFrame[other].SetTop(0);
    BackUpFrame[index].SetTop(250);
    FrameSelect[index].SetForeColor(RGB(0, 0, 0));
    FrameSelect[other].SetForeColor(kSelectorGrey);
    FrameSelect[other].SetMousePointer(platform::kPointerCustom);
    FrameSelect[index].SetMousePointer(platform::kPointerArrow);
    BackUpFrame[index].BringToFront();
}

void mainFrm::BkDDir_DblClick() {
    const std::wstring typed = BkDDir.Text();
    const std::wstring initial = platform::FirstPlainFile(typed).empty() ? ProgramFolder() : typed;
    std::wstring file(32768, L'\0');
    lstrcpyW(file.data(), engine::kInfoFileName);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initial.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    // A cancel leaves the default name in place, and that name is taken as the choice.
    if (!hooks_.OpenFile(dialog)) lstrcpyW(file.data(), engine::kInfoFileName);
    const std::wstring chosen = file.c_str();

    BkDDir.SetText(chosen);
    BkDDir.SetTag(PathText::RemoveFileSpec(chosen));
    using Module_ini::ReadIniString;
    using namespace engine;
    // Only a file whose name on disk is exactly OLdate.bkd is a backup.
    if (platform::FirstPlainFile(chosen) == kInfoFileName) {
        Module_ini::IniFilePath = chosen;
        const std::wstring name = ReadIniString(kInfoSection, kInfoUserNameKey);
        const std::wstring target = profile::GetRestorPath(ReadIniString(kInfoSection, kInfoStoreRootKey));
        Restorpath.SetTag(target);
        Restorpath.SetToolTipText(target);
        Restorpath.SetCaption(PathText::CompactPath(target, kRestorpathWidth));
        bkUser.SetCaption(name);
        bkUser.SetTag(ReadIniString(kInfoSection, kInfoUserIdKey));
    }
    Check1.SetEnabled(engine::LeadingNumber(ReadIniString(kInfoSection, kInfoAddressBookKey)) != 0);
}

void mainFrm::Command2_Click() {
    if (busy_) return;
    busy_ = true;
    struct Release { bool& busy; ~Release() { busy = false; } } release{busy_};
    try {
        DoRestor();
    } catch (const std::exception& e) {
        hooks_.MsgBox(hwnd(), engine::RestoreErrorText(e), kProgramTitle, MB_OK);
    }
}

void mainFrm::DoRestor() { engine::DoRestor(*this, hooks_.MsgBox); }

}  // namespace mainwindow
