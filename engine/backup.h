// The backup procedure: one identity's settings, backup information file, mail store and
// (on request) address book into a backup folder.
#pragma once

#include "engine/prompt.h"

#include <windows.h>

#include <string>

namespace engine {

// What the backup reads of the main window and writes back to it, one call per input, so that
// every read point stays visible in the procedure.
class BackupWindow {
public:
    virtual ~BackupWindow() = default;
    // Owner of the message boxes, and their title.
    virtual HWND PromptOwner() const = 0;
    virtual std::wstring ProgramTitle() const = 0;
    // Check state of Addresbook: 0 not ticked, 1 ticked.
    virtual int AddressBookWanted() = 0;
    // Item of UserDList at the position selected in UserList; empty when nothing is selected.
    virtual std::wstring SelectedIdentityKey() = 0;
    // Text of UserList.
    virtual std::wstring IdentityName() = 0;
    // Caption of OLdPath.
    virtual std::wstring IdentityKeyCaption() = 0;
    // Tag of OLdPath: the store folder without a trailing backslash.
    virtual std::wstring StoreFolder() = 0;
    // Text of bkDir.
    virtual std::wstring BackupFolder() = 0;
    // Text of the scratch field Text1.
    virtual std::wstring ScratchText() = 0;
    virtual void SetScratchText(const std::wstring& text) = 0;
    // Lets the window handle its pending events (repaints, input), then returns.
    virtual void YieldToWindow() = 0;
};

inline constexpr wchar_t kOverwriteQuestion[] = L"以前のバックアップが存在します。\r\n上書きしますか。？";
inline constexpr wchar_t kChooseNewFolder[] = L"新しい保存先を指定してください。";
inline constexpr wchar_t kStepFailed[] = L"BETA TEST ERROR LHAsection";

// Runs the backup to its end: the overwrite question, then OLbk1.reg, OLdate.bkd, OL.lzh and,
// when wanted, WAB.lzh in the backup folder. A failing step shows kStepFailed and the backup
// goes on with the next step.
void DoBackUp(BackupWindow& window, const Prompt& prompt);

}  // namespace engine
