// The backup procedure, step by step. Every step that fails shows the catch-all message and the
// backup goes on with the step that would have come next. Over an earlier backup, the earlier
// files are set aside rather than overwritten or deleted (KeptFiles); they come back only when
// the new backup could not restore the mail: its settings file, information file or store
// archive failed. A failed address book archive leaves the new backup standing, and the
// information file then says it holds no address book.
#include "engine/backup.h"

#include "engine/backup_info.h"
#include "engine/engine_error.h"
#include "engine/ext_win.h"
#include "engine/kept_files.h"
#include "platform/ansi.h"
#include "platform/find_handle.h"
#include "platform/handle.h"
#include "platform/module_ini.h"
#include "platform/reg_io.h"
#include "profile/shell_folders.h"

#include <string>
#include <vector>

namespace engine {
namespace {

constexpr wchar_t kCrLf[] = L"\r\n";
constexpr wchar_t kSettingsHeader[] = L"REGEDIT4 ";
constexpr wchar_t kIdentityExport[] = L"OLbk01.reg";
constexpr wchar_t kAccountExport[] = L"OLbk02.reg";
constexpr wchar_t kAccountKey[] = L"Software\\Microsoft\\Internet Account Manager";

[[noreturn]] void Fail(const char* what, DWORD code = GetLastError()) {
    throw EngineError(std::string(what) + " (error " + std::to_string(code) + ")");
}

// Whether anything, file or folder, exists at the path. Throws only when the path cannot be
// looked at, not when it is simply absent.
bool PathExists(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return false;
    Fail("cannot look at the backup folder", e);
}

// Whether `folder` holds an ordinary file whose name as stored is exactly `name`, case
// included: "oldate.BKD" is not an earlier backup.
bool HoldsFile(const std::wstring& folder, const std::wstring& name) {
    platform::FindHandle find(folder + L"\\" + name);
    if (!find.ok()) {
        const DWORD e = find.error();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_NO_MORE_FILES) return false;
        Fail("cannot search the backup folder", e);
    }
    do {
        if (!(find.data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name == find.data().cFileName) return true;
    } while (find.Next());
    return false;
}

void DeleteOne(const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) Fail("cannot delete a file");
}

// The text files the backup has open. A write to a file whose opening failed fails too, and a
// file left open by a failing step stays open until the next CloseAll.
class OpenFiles {
public:
    // Creates the file, or empties it when it exists.
    HANDLE Open(const std::wstring& path) {
        platform::Handle h(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) Fail("cannot create a file");
        open_.push_back(std::move(h));
        return open_.back().get();
    }
    void Write(HANDLE h, const std::string& bytes) {
        if (h == INVALID_HANDLE_VALUE) Fail("the file is not open", ERROR_INVALID_HANDLE);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
            DWORD wrote = 0;
            if (!WriteFile(h, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) Fail("cannot write a file");
            done += wrote;
        }
    }
    void CloseAll() { open_.clear(); }

private:
    std::vector<platform::Handle> open_;
};

// Whether a failed step costs the new backup its worth: a settings file, information file or
// store archive that is not whole cannot restore the mail, so the earlier backup comes back.
enum class Harm { kBackup, kPart };

class Backup {
public:
    Backup(BackupWindow& window, const Prompt& prompt) : w_(window), prompt_(prompt) {}
    void Run() {
        if (Steps()) Finish();
    }

private:
    // The procedure's steps; false when it ended early (the user declined to overwrite, or a
    // cut-off backup's files could not be put in order), before anything was written.
    bool Steps();
    // Removes the earlier files set aside, or, when the new backup cannot restore the mail,
    // puts them back in place of what this backup wrote.
    void Finish();
    // Sets an earlier backup's file aside (or marks it new) before its step writes it.
    void SetAside(const std::wstring& folder, const wchar_t* name) {
        if (protect_) kept_.SetAside(folder + L"\\" + name, HoldsFile(folder, name));
    }

    // Runs one step; on any failure shows the catch-all message and returns false.
    template <class F>
    bool Step(F&& step, Harm harm = Harm::kBackup) {
        try {
            step();
            return true;
        } catch (const std::exception&) {
            if (harm == Harm::kBackup) broken_ = true;
            prompt_(w_.PromptOwner(), kStepFailed, w_.ProgramTitle(), MB_OK);
            return false;
        }
    }
    // A path in the backup folder, read from the window anew.
    std::wstring InB(const wchar_t* name) { return w_.BackupFolder() + L"\\" + name; }
    void Export(const wchar_t* file, const std::wstring& keyPath) {
        if (DWORD e = RegIO::ExportRegKey(InB(file), platform::kHkeyCurrentUser, keyPath)) Fail("export", e);
    }
    // One line of the information file. A line the code page cannot hold is written as it can
    // and fails the step; `needed` says whether a restore relies on the line being exact.
    bool WriteInfoLine(HANDLE info, const std::wstring& line, bool needed = true) {
        return Step(
            [&] {
                bool exact = true;
                const std::string bytes = InfoLineBytes(line, exact);
                files_.Write(info, bytes);
                infoSize_ += bytes.size();
                if (!exact) Fail("a character the code page cannot hold", ERROR_NO_UNICODE_TRANSLATION);
            },
            needed ? Harm::kBackup : Harm::kPart);
    }
    // The information file's last line says "Addressbook=0" instead: no WAB.lzh was made.
    void UnclaimAddressBook(const std::wstring& infoPath) {
        platform::Handle h(CreateFileW(infoPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) Fail("cannot open the information file");
        if (SetFilePointer(h.get(), static_cast<LONG>(bookLineAt_), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            Fail("cannot seek in the information file");
        files_.Write(h.get(), platform::ToAnsi(InfoEntry(kInfoAddressBookKey, L"0") + kCrLf));
        if (!SetEndOfFile(h.get())) Fail("cannot cut the information file");
    }
    static void Archived(int result) {
        if (result != 0) Fail("the archiver made no archive", static_cast<DWORD>(result));
    }

    BackupWindow& w_;
    const Prompt& prompt_;
    OpenFiles files_;
    bool protect_ = false;  // B held an earlier backup's file: each one is set aside before it is written
    bool broken_ = false;   // a step failed that leaves the new backup unable to restore the mail
    KeptFiles kept_;
    std::size_t infoSize_ = 0;    // bytes written to the information file
    std::size_t bookLineAt_ = 0;  // where its Addressbook line begins
};

void Backup::Finish() {
    if (kept_.empty()) return;  // no earlier backup: what was made stays, as far as it got
    Step([&] { broken_ ? kept_.PutBack() : kept_.Commit(); });
}

bool Backup::Steps() {
    const int wanted = w_.AddressBookWanted();                  // 1
    const std::wstring wabFile = Getsplfol_mod::GetWabFileName();  // 2
    const std::wstring key = w_.SelectedIdentityKey();          // 3

    bool exists = false;  // a look that fails counts as nothing there
    Step([&] { exists = PathExists(w_.BackupFolder()); });     // 4
    if (!exists) {                                              // 5
        Step([&] {                                              // 6
            const std::wstring b = w_.BackupFolder();
            if (!CreateDirectoryW(b.c_str(), nullptr)) Fail("cannot create the backup folder");
        });
    } else {
        // A backup cut off in this folder left files set aside: the earlier backup comes back
        // (or the committed one stays) before anything is asked or written.
        if (!Step([&] { KeptFiles::Settle(w_.BackupFolder()); })) return false;
        bool held = true;  // a search that fails counts as an earlier backup
        Step([&] { held = HoldsFile(w_.BackupFolder(), kInfoFileName); });  // 7
        if (held) {
            const int answer = prompt_(w_.PromptOwner(), kOverwriteQuestion, w_.ProgramTitle(),  // 8
                                       MB_YESNO | MB_DEFBUTTON1);
            if (answer == IDNO) {                                                                 // 9
                prompt_(w_.PromptOwner(), kChooseNewFolder, w_.ProgramTitle(), MB_OK);           // 10
                return false;                                                                     // 11
            }
        }
        for (const wchar_t* name : {kSettingsFileName, kInfoFileName, kStoreArchiveName, kAddressArchiveName}) {
            bool earlier = true;  // a search that fails counts as an earlier file
            try {
                earlier = HoldsFile(w_.BackupFolder(), name);
            } catch (const std::exception&) {
            }
            protect_ = protect_ || earlier;
        }
    }
    w_.YieldToWindow();                                                 // 12
    const std::wstring infoFolder = w_.BackupFolder();          // 13
    const std::wstring infoPath = infoFolder + L"\\" + kInfoFileName;
    Step([&] { Export(kIdentityExport, L"Identities\\" + key); });  // 14
    Step([&] { Export(kAccountExport, kAccountKey); });             // 15
    w_.YieldToWindow();                                                 // 16

    HANDLE settings = INVALID_HANDLE_VALUE;
    Step([&] {                                                                       // 17
        SetAside(w_.BackupFolder(), kSettingsFileName);
        settings = files_.Open(InB(kSettingsFileName));
    });
    Step([&] { w_.SetScratchText(ext_win::ReadTextFile(InB(kIdentityExport))); });  // 18
    std::wstring combined = w_.ScratchText();                                        // 19
    Step([&] { w_.SetScratchText(ext_win::ReadTextFile(InB(kAccountExport))); });   // 20
    combined += kCrLf + w_.ScratchText();                                            // 21
    Step([&] {                                                                       // 22
        files_.Write(settings, platform::ToAnsi(kSettingsHeader + (kCrLf + combined) + kCrLf));
    });
    files_.CloseAll();                                          // 23
    // The settings file is whole without its two pieces: their removal is no harm to it.
    Step([&] { DeleteOne(InB(kIdentityExport)); }, Harm::kPart);  // 24
    Step([&] { DeleteOne(InB(kAccountExport)); }, Harm::kPart);   // 25

    const std::wstring oeKey = L"Identities\\" + key + L"\\Software\\Microsoft\\Outlook Express";
    const std::wstring version = Module_ini::RegEnumSubKeys(platform::kHkeyCurrentUser, oeKey, 0);  // 26
    HANDLE info = INVALID_HANDLE_VALUE;
    bool infoWhole = Step([&] {                                 // 27
        SetAside(infoFolder, kInfoFileName);
        info = files_.Open(infoPath);
    });
    // A restore reads the store root and the identity key; the other lines only inform.
    infoWhole &= WriteInfoLine(info, kInfoMarkerLine);                                              // 28
    infoWhole &= WriteInfoLine(info, std::wstring(L"[") + kInfoSection + L"]");                   // 29
    infoWhole &= WriteInfoLine(info, InfoEntry(kInfoDateKey, TodayText()), false);                 // 30
    infoWhole &= WriteInfoLine(info, InfoEntry(kInfoInstallKey, w_.IdentityKeyCaption()), false);  // 31
    const std::wstring root =
        Module_ini::RegReadString(platform::kHkeyCurrentUser, oeKey + L"\\" + version, L"Store Root");
    infoWhole &= WriteInfoLine(info, InfoEntry(kInfoStoreRootKey, root));                          // 32
    infoWhole &= WriteInfoLine(info, InfoEntry(kInfoUserIdKey, w_.SelectedIdentityKey()));         // 33
    infoWhole &= WriteInfoLine(info, InfoEntry(kInfoUserNameKey, w_.IdentityName()), false);       // 34
    bookLineAt_ = infoSize_;
    infoWhole &= WriteInfoLine(info, InfoEntry(kInfoAddressBookKey, std::to_wstring(wanted)));     // 35
    files_.CloseAll();                                          // 36

    // 37 to 40: the earlier archives are set aside, not deleted; an archive whose earlier file
    // could not be set aside is not made, so the archiver never writes into an earlier one.
    const bool storeAside = Step([&] { SetAside(w_.BackupFolder(), kStoreArchiveName); });
    const bool bookAside = Step([&] { SetAside(w_.BackupFolder(), kAddressArchiveName); });
    w_.YieldToWindow();                                                 // 41
    Step([&] {                                                          // 42
        if (!storeAside) Fail("the earlier store archive is in the way", ERROR_ALREADY_EXISTS);
        Archived(ext_win::ArchiveFolder(w_.StoreFolder() + L"\\", InB(kStoreArchiveName)));
    });
    w_.YieldToWindow();                                                 // 43
    if (wanted == 0) return true;                               // 44
    const bool book = Step(                                     // 45
        [&] {
            if (!bookAside) Fail("the earlier address book archive is in the way", ERROR_ALREADY_EXISTS);
            Archived(ext_win::ArchiveFile(wabFile, InB(kAddressArchiveName)));
        },
        Harm::kPart);
    if (!book && bookAside) {
        // No address book in this backup: neither a half-made archive nor a line that says so.
        DeleteFileW(InB(kAddressArchiveName).c_str());
        if (infoWhole) Step([&] { UnclaimAddressBook(infoPath); });
    }
    return true;                                                // 46
}

}  // namespace

void DoBackUp(BackupWindow& window, const Prompt& prompt) { Backup(window, prompt).Run(); }

}  // namespace engine
