#include "restoretool/form_olr.h"

#include "engine/backup_info.h"
#include "platform/find_handle.h"
#include "platform/module_ini.h"
#include "platform/path_text.h"
#include "platform/program_file.h"
#include "profile/shell_folders.h"
#include "restoretool/restore_target.h"

#include <cwctype>
#include <utility>

namespace restoretool {
namespace {

constexpr std::int32_t kAppDataFolder = 26;  // the roaming application data folder

// The first plain file (not hidden, system or a folder) that a path names, as its name is
// stored on disk; empty when none. A wildcard text is a search, never a chosen file.
std::wstring PlainFileName(const std::wstring& path) {
    if (path.find_first_of(L"*?") != std::wstring::npos) return {};
    return platform::FirstPlainFile(path);
}

}  // namespace

Hooks DefaultHooks() {
    Hooks h;
    h.MsgBox = engine::SystemPrompt();
    // Ending is immediate: no further event runs and nothing is saved.
    h.EndProgram = [] { ExitProcess(0); };
    h.ProgramFolder = ProgramFolder;
    return h;
}

std::wstring ProgramFolder() { return platform::ProgramFolder(); }

FormOLr::FormOLr(Hooks hooks) : hooks_(std::move(hooks)) {}

void FormOLr::Show() {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void FormOLr::Form_Load() {
    // The lists start empty, so each setting below moves its list and runs its handler: a backup
    // beside the tool is loaded before the user sees the window.
    const std::wstring folder = hooks_.ProgramFolder();
    Drive1List.SetDrive(folder);
    Dir1List.SetPath(folder);
    File1List.SetPath(Dir1List.Path());
}

void FormOLr::Drive1_Change() {
    // "c: [label]" names drive C:, as the system writes it.
    const std::wstring drive = {static_cast<wchar_t>(std::towupper(Drive1List.Drive()[0])), L':'};
    if (Dir1List.SetPath(drive)) return;
    // A drive without a readable disk: say so and stay where the folder list is.
    hooks_.MsgBox(hwnd(), L"ドライブ " + drive + L" を読み取れません。", kProgramTitle, MB_OK);
    Drive1List.ShowDrive(Dir1List.Path());
}

void FormOLr::Dir1_Change() {
    File1List.SetPath(Dir1List.Path());
    if (File1List.ListCount() > 0) {
        File1List.SetListIndex(0);
        SetBkDDirText(File1List.Path() + L"\\" + File1List.List(0));
    }
}

void FormOLr::File1_Click() {
    const int selected = File1List.ListIndex();
    if (File1List.ListCount() > 0 && selected >= 0) SetBkDDirText(File1List.Path() + L"\\" + File1List.List(selected));
}

void FormOLr::SetBkDDirText(const std::wstring& text) {
    if (BkDDir.Text() != text) BkDDir.SetText(text);  // EN_CHANGE runs BkDDir_Change
}

void FormOLr::BkDDir_Change() {
    using Module_ini::ReadIniString;
    using namespace engine;
    // The archives always come from the listed folder, also for a file typed in from elsewhere.
    BkDDir.SetTag(File1List.Path());  // 1
    const std::wstring file = BkDDir.Text();
    if (PlainFileName(file) == kInfoFileName) {  // 2: the name on disk, case for case
        Module_ini::IniFilePath = file;          // 3
        const std::wstring name = ReadIniString(kInfoSection, kInfoUserNameKey);  // 4
        const std::wstring target = RestoreTargetFor(  // 5 to 7
            ReadIniString(kInfoSection, kInfoStoreRootKey),
            Getsplfol_mod::GetSpecialFolderPath(Getsplfol_mod::kProfileFolder),
            Module_ini::GetWindowsFolder().substr(0, 2), Getsplfol_mod::GetSpecialFolderPath(kAppDataFolder));
        Restorpath.SetTag(target);  // 8
        Restorpath.SetToolTipText(target);
        Restorpath.SetCaption(PathText::CompactPath(target, kRestorpathWidth));
        bkUser.SetCaption(name);  // 9
        bkUser.SetTag(ReadIniString(kInfoSection, kInfoUserIdKey));
    }
    Check1.SetEnabled(engine::LeadingNumber(ReadIniString(kInfoSection, kInfoAddressBookKey)) != 0);  // 10
}

void FormOLr::Command2_Click() {
    if (busy_) return;
    busy_ = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{busy_};
    try {
        DoRestor();
    } catch (const std::exception& e) {
        hooks_.MsgBox(hwnd(), engine::RestoreErrorText(e), kProgramTitle, MB_OK);
    }
}

// The settings file is imported only after the user has said Yes to it, naming the file.
void FormOLr::DoRestor() {
    engine::RestoreOptions options;
    options.askBeforeSettings = true;
    options.separatorOnlyWhenMissing = true;
    engine::DoRestor(*this, hooks_.MsgBox, options);
}

void FormOLr::OnCommand(platform::Control& control, int notification) {
    if (&control == &Drive1 && notification == CBN_SELCHANGE) Drive1List.OnUserPick();
    if (&control == &Dir1 && notification == LBN_DBLCLK)
        Dir1List.OpenItem(static_cast<int>(SendMessageW(Dir1.hwnd(), LB_GETCURSEL, 0, 0)));
    if (&control == &File1 && notification == LBN_SELCHANGE) File1List.OnUserClick();
    if (&control == &BkDDir && notification == EN_CHANGE) BkDDir_Change();
    if (&control == &Command2 && notification == BN_CLICKED) Command2_Click();
}

bool FormOLr::OnDrawItem(platform::Control& control, const DRAWITEMSTRUCT& item) {
    if (&control != &Dir1) return false;
    Dir1List.Draw(item);
    return true;
}

}  // namespace restoretool
