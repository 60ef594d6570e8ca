// The restore tool's window: drive, folder and file lists to find a backup, what the chosen
// backup holds, and "Do". Its control properties hold the tool's state, as the main window's do.
#pragma once

#include "engine/prompt.h"
#include "engine/restore.h"
#include "platform/controls.h"
#include "platform/file_lists.h"
#include "platform/form.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace restoretool {

// How the window talks to the user, ends the program and finds its own folder; tests answer,
// record and point it elsewhere.
struct Hooks {
    engine::Prompt MsgBox;
    std::function<void()> EndProgram;
    std::function<std::wstring()> ProgramFolder;
};
Hooks DefaultHooks();

// The folder that holds the running program, as the system names it ("D:\" at a drive root).
std::wstring ProgramFolder();

inline constexpr wchar_t kProgramTitle[] = L"Quillboxrestor";
inline constexpr wchar_t kWindowCaption[] = L"Quillbox DATA Restor";
inline constexpr wchar_t kBackupPattern[] = L"*.bkd";
// Restorpath shows the target shortened to this many bytes, terminator included.
inline constexpr std::int32_t kRestorpathWidth = 64;

class FormOLr : public platform::Form, private engine::RestoreWindow {
public:
    explicit FormOLr(Hooks hooks = DefaultHooks());

    // Builds the hidden window with every control; false when the window cannot be made.
    bool Create();
    // Moves the lists to the tool's own folder; a backup found there is loaded at once.
    void Form_Load();
    void Show();

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    // Loads the backup information file that BkDDir names, when it is one.
    void BkDDir_Change();
    // "Do": the restore, with a message for an error it raises; refused while one runs.
    void Command2_Click();
    void DoRestor();

    // Controls, by their designer names, and the lists behind the first three.
    platform::Control Drive1, Dir1, File1, BkDDir, Command2, Check1, Restorpath, bkUser, Label7, Label9;
    platform::DriveList Drive1List;
    platform::FolderList Dir1List;
    platform::FileList File1List;

protected:
    void OnCommand(platform::Control& control, int notification) override;
    bool OnDrawItem(platform::Control& control, const DRAWITEMSTRUCT& item) override;
    void OnClose() override { hooks_.EndProgram(); }

private:
    // BkDDir's text, set only when it differs: its change handler runs on real changes.
    void SetBkDDirText(const std::wstring& text);

    // What the restore reads of the window.
    HWND PromptOwner() const override { return hwnd(); }
    std::wstring ProgramTitle() const override { return kProgramTitle; }
    std::wstring RestoreTarget() override { return Restorpath.Tag(); }
    // The Tag of Restorpath is resolved when the backup is loaded; a profile folder that is the
    // placeholder itself leaves it as it is.
    std::wstring ProfileFolder() override { return L"%USERPROFILE%"; }
    std::wstring BackupDataFolder() override { return BkDDir.Tag(); }
    std::wstring IdentityId() override { return bkUser.Tag(); }
    int AddressBookChoice() override { return Check1.Value(); }

    Hooks hooks_;
    bool busy_ = false;
};

}  // namespace restoretool
