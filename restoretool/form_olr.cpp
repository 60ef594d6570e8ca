#include "restoretool/form_olr.h"

#include "engine/backup_info.h"
#include "platform/ansi.h"
#include "platform/find_handle.h"
#include "platform/module_ini.h"
#include "platform/path_text.h"
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
    if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return {};
    platform::FindHandle find(path);
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    for (bool more = find.ok(); more; more = find.Next())
        if (!(find.data().dwFileAttributes & kNotPlain)) return find.data().cFileName;
    return {};
}

// The number a text begins with (blanks first allowed, a sign, digits, one decimal point);
// 0 when it begins with none, as "no ent" does.
double LeadingNumber(const std::wstring& text) {
    std::size_t i = text.find_first_not_of(L" \t");
    if (i == std::wstring::npos) return 0;
    std::wstring number;
    if (text[i] == L'-' || text[i] == L'+') number += text[i++];
    bool point = false;
    for (; i < text.size(); ++i) {
        if (std::iswdigit(text[i])) {
            number += text[i];
        } else if (text[i] == L'.' && !point) {
            point = true;
            number += L'.';
        } else {
            break;
        }
    }
    return number.find_first_of(L"0123456789") == std::wstring::npos ? 0 : std::wcstod(number.c_str(), nullptr);
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

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    return path.substr(0, (slash == 2 && path[1] == L':') ? slash + 1 : slash);
}

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
    Check1.SetEnabled(LeadingNumber(ReadIniString(kInfoSection, kInfoAddressBookKey)) != 0);  // 10
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
        hooks_.MsgBox(hwnd(), L"復元中にエラーが発生したため、復元を中止しました。\r\n" + platform::FromAnsi(e.what()),
                      kProgramTitle, MB_OK);
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
