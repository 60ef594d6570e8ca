// The restore procedure: a backup folder's mail store, settings and (on request) address book
// put back for the identity it was taken from.
#pragma once

#include "engine/prompt.h"

#include <windows.h>

#include <exception>
#include <string>

namespace engine {

// What the restore reads of its window, one call per input.
class RestoreWindow {
public:
    virtual ~RestoreWindow() = default;
    // Owner of the message boxes, and their title.
    virtual HWND PromptOwner() const = 0;
    virtual std::wstring ProgramTitle() const = 0;
    // Tag of Restorpath: the recorded store root, upper-cased, the profile placeholder replaced.
    virtual std::wstring RestoreTarget() = 0;
    // Caption of Dpath: the profile folder.
    virtual std::wstring ProfileFolder() = 0;
    // Tag of BkDDir: the folder that holds the chosen OLdate.bkd and the archives.
    virtual std::wstring BackupDataFolder() = 0;
    // Tag of bkUser: the backed-up identity's key.
    virtual std::wstring IdentityId() = 0;
    // Value of Check1: 0 clear, 1 ticked, 2 grayed.
    virtual int AddressBookChoice() = 0;
};

inline constexpr wchar_t kAddressBookQuestion[] = L"Ther is AddressBook Backup\r\nRestor AddressBook?";
inline constexpr wchar_t kOverwriteAddressBook[] = L"OverWrite AddressBook?";

// The restore folder for a recorded store root: upper-cased, every "%USERPROFILE%" replaced by
// `profileFolder`, upper-cased again, every "%SYSTEMDRIVE%" replaced by `systemDrive`, then one
// trailing backslash dropped.
std::wstring RestoreFolderFor(const std::wstring& target, const std::wstring& profileFolder,
                              const std::wstring& systemDrive);

// How a restore differs between the programs.
struct RestoreOptions {
    // Ask before the settings file goes into the registry (No leaves the registry alone; the
    // restore goes on with the address book and "Store Root").
    bool askBeforeSettings = false;
    // "Store Root" gets its trailing backslash only when the folder has none (a folder that
    // ended in two keeps one), instead of always.
    bool separatorOnlyWhenMissing = false;
};

// Asked before the settings file is imported, when the options say so.
std::wstring SettingsQuestion(const std::wstring& settingsFile);

// Runs the restore to its end. Nothing happens while no backup is chosen (an empty target and
// identity). A target that is no full folder and a store archive that is missing or does not
// unpack stop the restore with a message before anything changes. A settings file that is
// missing, unreadable or no whole REGEDIT4 file is left out with a message (no question), the
// mail restored all the same. Throws EngineError when the archiver library is missing.
void DoRestor(RestoreWindow& window, const Prompt& prompt, const RestoreOptions& options = {});

// What Command2_Click shows for an error DoRestor raised, with the error's own text.
std::wstring RestoreErrorText(const std::exception& error);

// Asks, then puts the address book of `archive` (a WAB.lzh) in place of the registered one, under
// the registered file's own name; with none registered, into the user's Address Book folder,
// and registers it there. A failure shows a message.
void AddressRestor(RestoreWindow& window, const Prompt& prompt, const std::wstring& archive);

}  // namespace engine
