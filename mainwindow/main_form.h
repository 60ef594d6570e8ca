// The main program's window: the data hub whose control properties hold the program's state.
#pragma once

#include "engine/backup.h"
#include "engine/prompt.h"
#include "engine/restore.h"
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/list_control.h"
#include "profile/identity_list.h"

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>

namespace mainwindow {

// How the window talks to the user and ends the program; tests answer and record instead.
struct Hooks {
    engine::Prompt MsgBox;
    std::function<void()> EndProgram;
    // The system's Open dialog: true when a file was chosen (its path is then in lpstrFile).
    std::function<bool(OPENFILENAMEW& dialog)> OpenFile;
    // The folder picker opened at `initial`: the chosen folder, or empty after a cancel.
    std::function<std::wstring(HWND owner, const std::wstring& initial)> BrowseFolder;
    // Hands a document to the shell's associated viewer; failures are silent.
    std::function<void(HWND owner, const std::wstring& document)> OpenDocument;
};
Hooks DefaultHooks();
bool SystemOpenFile(OPENFILENAMEW& dialog);

inline constexpr wchar_t kProgramTitle[] = L"Quillbox";
inline constexpr wchar_t kWindowCaption[] = L"Quillbox Ver2";
inline constexpr wchar_t kHelpPage[] = L"Quillboxhelp.htm";
inline constexpr wchar_t kAboutProgram[] = L"about1.exe ";
inline constexpr wchar_t kAboutDescription[] =
    L"/ Outlookex5のメールや設定、動作設定 等ユーザーごとにバックアップ復元します。";

class mainFrm : public platform::Form,
                public profile::IdentityListOwner,
                private engine::BackupWindow,
                private engine::RestoreWindow {
public:
    explicit mainFrm(Hooks hooks = DefaultHooks());

    // Builds the hidden window with every control; false when the window cannot be made.
    bool Create();
    void Form_Load();
    void Form_Unload();
    void Show();

    // The identity pick: resolves, checks and shows the picked identity's store folder.
    void UserList_Click() override;
    platform::ListControl& OwnUserList() override { return userList_; }
    std::wstring GetUdataPath(const std::wstring& key) const;

    // "Do" on the backup page; refused while a backup runs (its yields let the button be pressed).
    void Command1_Click();
    void DoBackUp();

    // The restore page: "Do", choosing a backup, the page selectors and the FILE menu.
    void Command2_Click();
    void DoRestor();
    void BkDDir_DblClick();
    void FrameSelect_Click(int index);
    void mnBackUp_Click() { FrameSelect_Click(0); }
    void mnRestor_Click() { FrameSelect_Click(1); }

    // The backup folder box, the HELP, ABOUT and END menus.
    void bkDir_DblClick();
    void mnhlp_Click();
    void mnAbout_Click();
    void mnend_Click() { Form_Unload(); }

    // Controls, by their designer names.
    platform::Control Frame1, Label3[3], Label1, Label2, Uname, Label4, Dpath, Label5, UserList, OLdPath;
    platform::Control Line1[2], Frame2, BackUpFrame[2], FrameSelect[2];
    platform::Control Label6, Label7[2], Label8, bkDir, Addresbook, Command1;
    platform::Control Label9, bkUser, BkDDir, Check1, Restorpath, Command2;
    platform::Control UserDList, Text1, Text2;

protected:
    void OnCommand(platform::Control& control, int notification) override;
    void OnDblClick(platform::Control& control) override;
    void OnMenu(int id) override;
    void OnClose() override { Form_Unload(); }

private:
    // What the backup reads of the window, each where the procedure reads it.
    HWND PromptOwner() const override { return hwnd(); }
    std::wstring ProgramTitle() const override { return kProgramTitle; }
    int AddressBookWanted() override { return Addresbook.Value(); }
    std::wstring SelectedIdentityKey() override;
    std::wstring IdentityName() override { return UserList.Text(); }
    std::wstring IdentityKeyCaption() override { return OLdPath.Caption(); }
    std::wstring StoreFolder() override { return OLdPath.Tag(); }
    std::wstring BackupFolder() override { return bkDir.Text(); }
    std::wstring ScratchText() override { return Text1.Text(); }
    void SetScratchText(const std::wstring& text) override { Text1.SetText(text); }
    void YieldToWindow() override;

    // What the restore reads of the window.
    std::wstring RestoreTarget() override { return Restorpath.Tag(); }
    std::wstring ProfileFolder() override { return Dpath.Caption(); }
    std::wstring BackupDataFolder() override { return BkDDir.Tag(); }
    std::wstring IdentityId() override { return bkUser.Tag(); }
    int AddressBookChoice() override { return Check1.Value(); }

    Hooks hooks_;
    bool busy_ = false;
    platform::ListControl userList_;
    platform::ListControl userDList_;
};

// The folder that holds the running program, as the system names it ("D:\" at a drive root).
std::wstring ProgramFolder();

// What the HELP menu hands to the shell: the help page's name when the current folder holds
// it, else its full path beside the program when it lies there, else the name all the same.
std::wstring HelpDocument();

// "about1.exe Quillbox/2.1.6/ Outlookex5…": the about program with this program's file name
// (no folder or extension), its version and what it does.
std::wstring AboutCommandLine();

}  // namespace mainwindow
