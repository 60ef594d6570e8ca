#include "mainwindow/main_form.h"

#include "mainwindow/resource.h"
#include "platform/module_brows.h"
#include "platform/module_ini.h"
#include "platform/program_file.h"
#include "profile/shell_folders.h"
#include "profile/store_folder.h"
#include "profile/system_probes.h"

#include <utility>

namespace mainwindow {

Hooks DefaultHooks() {
    Hooks h;
    h.MsgBox = engine::SystemPrompt();
    // Ending is immediate: no further event runs and nothing is saved.
    h.EndProgram = [] { ExitProcess(0); };
    h.OpenFile = SystemOpenFile;
    h.BrowseFolder = ModuleBrows::BrowseForFolder;
    h.OpenDocument = Module_ini::OpenDocument;
    return h;
}

std::wstring ProgramFolder() { return platform::ProgramFolder(); }

mainFrm::mainFrm(Hooks hooks) : hooks_(std::move(hooks)) {}

std::wstring mainFrm::GetUdataPath(const std::wstring& key) const { return profile::GetUdataPath(key); }

void mainFrm::Form_Load() {
    Label1.SetCaption(Module_ini::GetOsVersionText());
    Label2.SetCaption(Module_ini::GetIeVersionText());
    Uname.SetCaption(Module_ini::GetLogonUserName());
    Dpath.SetCaption(Getsplfol_mod::GetSpecialFolderPath(Getsplfol_mod::kProfileFolder));
    if (Dpath.Caption().empty()) Dpath.SetCaption(Getsplfol_mod::GetLocalAppDataPath());
    profile::ListUsers(*this, userList_, userDList_);
    if (!hwnd()) return;  // the pick ended the program
    const int selected = userList_.ListIndex();
    const std::wstring key = selected >= 0 ? userDList_.List(selected) : std::wstring();
    OLdPath.SetTag(GetUdataPath(key));
    OLdPath.SetCaption(key);
    OLdPath.SetToolTipText(OLdPath.Tag());
    bkDir.SetText(ProgramFolder() + L"\\WBbackup");
}

void mainFrm::UserList_Click() {
    const int selected = userList_.ListIndex();
    const std::wstring key = selected >= 0 ? userDList_.List(selected) : std::wstring();
    OLdPath.SetTag(profile::ResolvePickedStoreFolder(key));
    if (!profile::StorePathExists(OLdPath.Tag())) {
        hooks_.MsgBox(hwnd(), profile::kStoreMissingMessage, kProgramTitle, MB_OK);
        hooks_.EndProgram();
        DestroyWindow(hwnd());  // reached only when ending is not immediate (tests)
        return;
    }
    OLdPath.SetCaption(key);
    Label8.SetCaption(selected >= 0 ? userList_.List(selected) : std::wstring());
}

void mainFrm::Form_Unload() { hooks_.EndProgram(); }

void mainFrm::Show() {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

std::wstring mainFrm::SelectedIdentityKey() {
    const int selected = userList_.ListIndex();
    return selected >= 0 ? userDList_.List(selected) : std::wstring();
}

void mainFrm::YieldToWindow() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // leave it for the main loop
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (IsDialogMessageW(hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void mainFrm::Command1_Click() {
    if (busy_) return;
    busy_ = true;
    struct Release { bool& busy; ~Release() { busy = false; } } release{busy_};
    DoBackUp();
}

void mainFrm::DoBackUp() { engine::DoBackUp(*this, hooks_.MsgBox); }

void mainFrm::OnCommand(platform::Control& control, int notification) {
    if (&control == &UserList && notification == CBN_SELCHANGE) UserList_Click();
    if (&control == &Command1 && notification == BN_CLICKED) Command1_Click();
    if (&control == &Command2 && notification == BN_CLICKED) Command2_Click();
    for (int i = 0; i < 2; ++i)
        if (&control == &FrameSelect[i] && notification == STN_CLICKED) FrameSelect_Click(i);
}

void mainFrm::OnDblClick(platform::Control& control) {
    if (&control == &BkDDir) BkDDir_DblClick();
    if (&control == &bkDir) bkDir_DblClick();
}

void mainFrm::OnMenu(int id) {
    if (id == IDM_END) mnend_Click();
    if (id == IDM_BACKUP) mnBackUp_Click();
    if (id == IDM_RESTOR) mnRestor_Click();
    if (id == IDM_HELP) mnhlp_Click();
    if (id == IDM_ABOUT) mnAbout_Click();
}

}  // namespace mainwindow
