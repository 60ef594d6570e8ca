// The backup procedure, step by step. Every step that fails shows the catch-all message and the
// backup goes on with the step that would have come next. The earlier backup's files are moved
// aside rather than overwritten or deleted, and put back when any step failed, so a backup that
// fails (a full or read-only medium, a locked file, a store that vanished) never costs the
// backup that was there.
#include "engine/backup.h"

#include "engine/backup_info.h"
#include "engine/engine_error.h"
#include "engine/ext_win.h"
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
constexpr wchar_t kAsideSuffix[] = L".qbkeep";

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

class Backup {
public:
    Backup(BackupWindow& window, const Prompt& prompt) : w_(window), prompt_(prompt) {}
    void Run() {
        if (Steps()) Finish();
    }

private:
    // The procedure's steps; false when the user declined to overwrite (nothing was touched).
    bool Steps();
    // Deletes the earlier files moved aside, or, when a step failed, puts them back in place of
    // what this backup wrote.
    void Finish();
    // Moves an earlier backup's file aside, to be put back should the backup fail.
    void KeepEarlier(const std::wstring& path) {
        const std::wstring aside = path + kAsideSuffix;
        if (!MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) Fail("cannot move a file aside");
        kept_.push_back({path, aside});
    }

    // Runs one step; on any failure shows the catch-all message and returns false.
    template <class F>
    bool Step(F&& step) {
        try {
            step();
            return true;
        } catch (const std::exception&) {
            failed_ = true;
            prompt_(w_.PromptOwner(), kStepFailed, w_.ProgramTitle(), MB_OK);
            return false;
        }
    }
    // A path in the backup folder, read from the window anew.
    std::wstring InB(const wchar_t* name) { return w_.BackupFolder() + L"\\" + name; }
    void Export(const wchar_t* file, const std::wstring& keyPath) {
        if (DWORD e = RegIO::ExportRegKey(InB(file), platform::kHkeyCurrentUser, keyPath)) Fail("export", e);
    }
    void WriteInfoLine(HANDLE info, const std::wstring& line) {
        bool exact = true;
        files_.Write(info, InfoLineBytes(line, exact));
        // Written as the code page holds it; the user is told the line is not exact.
        if (!exact) Fail("a character the code page cannot hold", ERROR_NO_UNICODE_TRANSLATION);
    }
    static void Archived(int result) {
        if (result != 0) Fail("the archiver made no archive", static_cast<DWORD>(result));
    }

    struct Kept {
        std::wstring path, aside;
    };

    BackupWindow& w_;
    const Prompt& prompt_;
    OpenFiles files_;
    bool failed_ = false;
    std::vector<Kept> kept_;        // earlier files moved aside
    std::vector<std::wstring> new_;  // backup files that B did not hold in any letter case
};

void Backup::Finish() {
    if (kept_.empty()) return;  // no earlier backup: what was made stays, as far as it got
    const bool putBack = failed_;
    for (const Kept& k : kept_) {
        Step([&] {
            if (!putBack) SetFileAttributesW(k.aside.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only old file
            const BOOL done = putBack ? MoveFileExW(k.aside.c_str(), k.path.c_str(), MOVEFILE_REPLACE_EXISTING)
                                      : DeleteFileW(k.aside.c_str());
            if (!done) Fail("cannot put an earlier file back");
        });
    }
    if (putBack)
        for (const std::wstring& path : new_) DeleteFileW(path.c_str());  // may never have been made
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
    }
    w_.YieldToWindow();                                                 // 12
    for (const wchar_t* name : {kSettingsFileName, kInfoFileName, kStoreArchiveName, kAddressArchiveName})
        if (GetFileAttributesW(InB(name).c_str()) == INVALID_FILE_ATTRIBUTES) new_.push_back(InB(name));
    const std::wstring infoFolder = w_.BackupFolder();          // 13
    const std::wstring infoPath = infoFolder + L"\\" + kInfoFileName;
    Step([&] { Export(kIdentityExport, L"Identities\\" + key); });  // 14
    Step([&] { Export(kAccountExport, kAccountKey); });             // 15
    w_.YieldToWindow();                                                 // 16

    HANDLE settings = INVALID_HANDLE_VALUE;
    Step([&] {                                                                       // 17
        if (HoldsFile(w_.BackupFolder(), kSettingsFileName)) KeepEarlier(InB(kSettingsFileName));
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
    Step([&] { DeleteOne(InB(kIdentityExport)); });            // 24
    Step([&] { DeleteOne(InB(kAccountExport)); });             // 25

    const std::wstring oeKey = L"Identities\\" + key + L"\\Software\\Microsoft\\Outlook Express";
    const std::wstring version = Module_ini::RegEnumSubKeys(platform::kHkeyCurrentUser, oeKey, 0);  // 26
    HANDLE info = INVALID_HANDLE_VALUE;
    Step([&] {                                                  // 27
        if (HoldsFile(infoFolder, kInfoFileName)) KeepEarlier(infoPath);
        info = files_.Open(infoPath);
    });
    Step([&] { WriteInfoLine(info, kInfoMarkerLine); });        // 28
    Step([&] { WriteInfoLine(info, std::wstring(L"[") + kInfoSection + L"]"); });  // 29
    Step([&] { WriteInfoLine(info, InfoEntry(kInfoDateKey, TodayText())); });     // 30
    Step([&] { WriteInfoLine(info, InfoEntry(kInfoInstallKey, w_.IdentityKeyCaption())); });  // 31
    Step([&] {                                                  // 32
        const std::wstring root =
            Module_ini::RegReadString(platform::kHkeyCurrentUser, oeKey + L"\\" + version, L"Store Root");
        WriteInfoLine(info, InfoEntry(kInfoStoreRootKey, root));
    });
    Step([&] { WriteInfoLine(info, InfoEntry(kInfoUserIdKey, w_.SelectedIdentityKey())); });  // 33
    Step([&] { WriteInfoLine(info, InfoEntry(kInfoUserNameKey, w_.IdentityName())); });       // 34
    Step([&] { WriteInfoLine(info, InfoEntry(kInfoAddressBookKey, std::to_wstring(wanted))); });  // 35
    files_.CloseAll();                                          // 36

    for (const wchar_t* archive : {kStoreArchiveName, kAddressArchiveName}) {  // 37 to 40
        bool held = true;  // a search that fails counts as a file to delete
        Step([&] { held = HoldsFile(w_.BackupFolder(), archive); });
        if (held) Step([&] { KeepEarlier(InB(archive)); });
    }
    w_.YieldToWindow();                                                 // 41
    Step([&] { Archived(ext_win::ArchiveFolder(w_.StoreFolder() + L"\\", InB(kStoreArchiveName))); });  // 42
    w_.YieldToWindow();                                                 // 43
    if (wanted == 0) return true;                               // 44
    Step([&] { Archived(ext_win::ArchiveFile(wabFile, InB(kAddressArchiveName))); });  // 45
    return true;                                                // 46
}

}  // namespace

void DoBackUp(BackupWindow& window, const Prompt& prompt) { Backup(window, prompt).Run(); }

}  // namespace engine
