// The restore procedure and the address book restore.
#include "engine/restore.h"

#include "engine/backup_info.h"
#include "engine/engine_error.h"
#include "engine/ext_win.h"
#include "platform/ansi.h"
#include "platform/module_ini.h"
#include "platform/find_handle.h"
#include "platform/reg_import.h"
#include "platform/replace_file.h"
#include "profile/shell_folders.h"
#include "profile/store_folder.h"

#include <cwctype>
#include <string>

namespace engine {
namespace {

constexpr wchar_t kProfilePlaceholder[] = L"%USERPROFILE%";
constexpr wchar_t kSystemDrivePlaceholder[] = L"%SystemDrive%";
constexpr wchar_t kWabKey[] = L"Software\\Microsoft\\WAB\\WAB4\\Wab File Name";
constexpr std::int32_t kAppDataFolder = 26;  // the roaming application data folder

std::wstring Quoted(const std::wstring& path) { return L"「" + path + L"」"; }

void Tell(RestoreWindow& w, const Prompt& prompt, const std::wstring& text) {
    prompt(w.PromptOwner(), text, w.ProgramTitle(), MB_OK);
}

// Whether a plain file (ordinary, read-only or archive; not hidden, system or a folder) is
// found at exactly this path.
bool PlainFileAt(const std::wstring& path) {
    platform::FindHandle find(path);
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    return find.ok() && (find.data().dwFileAttributes & kNotPlain) == 0;
}

// Why the settings file is left out of the restore, or the empty text when it can go in: a file
// that is missing, cannot be read or is no whole REGEDIT4 file is left out like a missing one.
// The mail is what the user came for, so it is restored all the same.
std::wstring SettingsLeftOut(const std::wstring& file, DWORD readError, const RegIO::RegImport& import) {
    if (readError != 0)
        return L"設定ファイルを読めませんでした（エラー " + std::to_wstring(readError) + L"）。\r\n" + Quoted(file) +
               L"\r\nメールアカウントと設定は復元されていません。";
    if (!import.hasHeader || import.cutShort)
        return L"設定ファイルの形式が正しくないため、設定を復元しませんでした。\r\n" + Quoted(file) +
               L"\r\nメールアカウントと設定は変更されていません。";
    return {};
}

// Writes the parsed settings into the two trees they may touch, and says what was left out.
void ImportSettings(RestoreWindow& w, const Prompt& prompt, const RegIO::RegImport& import) {
    if (LONG e = RegIO::ApplyRegImport(import))
        Tell(w, prompt, L"設定の一部をレジストリに書き込めませんでした（エラー " + std::to_wstring(e) + L"）。");
    if (import.skippedBlocks || import.skippedLines) {
        std::wstring names;
        for (const std::string& key : import.skippedKeys) names += L"\r\n　" + platform::FromAnsi(key);
        if (import.skippedBlocks > static_cast<int>(import.skippedKeys.size())) names += L"\r\n　…";
        Tell(w, prompt, L"設定ファイルのうち、復元の対象外または不正なキー " + std::to_wstring(import.skippedBlocks) +
                            L" 個と行 " + std::to_wstring(import.skippedLines) + L" 行を読み飛ばしました。" + names);
    }
}

// A folder named from a drive's root or a network share; anything else would land wherever the
// program's current folder happens to be.
bool IsFullFolder(const std::wstring& folder) {
    const bool drive = folder.size() >= 2 && std::iswalpha(folder[0]) && folder[1] == L':' &&
                       (folder.size() == 2 || folder[2] == L'\\');
    return drive || (folder.size() > 2 && folder.rfind(L"\\\\", 0) == 0);
}

// A folder of its own in `parent` for unpacking into; removed with its files when done.
class UnpackFolder {
public:
    explicit UnpackFolder(const std::wstring& parent) {
        for (unsigned n = GetTickCount() & 0xFFFF, tries = 0; tries < 100; ++n, ++tries) {
            const std::wstring candidate = parent + L"\\~qbwab" + std::to_wstring(n);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) {
                path_ = candidate;
                return;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) return;
        }
    }
    UnpackFolder(const UnpackFolder&) = delete;
    UnpackFolder& operator=(const UnpackFolder&) = delete;
    ~UnpackFolder() {
        if (path_.empty()) return;
        platform::FindHandle left(path_ + L"\\*");
        for (bool more = left.ok(); more; more = left.Next())
            if (!(left.data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((path_ + L"\\" + left.data().cFileName).c_str());
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    // The name of the one file unpacked into it; empty when there is none.
    std::wstring FileName() const {
        platform::FindHandle f(path_ + L"\\*");
        for (bool more = f.ok(); more; more = f.Next())
            if (!(f.data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return f.data().cFileName;
        return {};
    }

private:
    std::wstring path_;
};

// Unpacks the archived address book beside where it goes, then puts it over `target` (or, when
// `target` is empty, in `folder` under its archived name): the old book is replaced only by a
// whole, checked file. Returns 0 or an error code; `placed` names the file put in place.
DWORD PutAddressBook(const std::wstring& archive, const std::wstring& folder, const std::wstring& target,
                     std::wstring& placed) {
    UnpackFolder unpack(folder);
    if (unpack.path().empty()) return GetLastError();
    if (const int rc = ext_win::ExtractArchive(archive, unpack.path()); rc != 0) return static_cast<DWORD>(rc);
    const std::wstring name = unpack.FileName();
    if (name.empty()) return ERROR_FILE_NOT_FOUND;
    placed = target.empty() ? folder + L"\\" + name : target;
    platform::ReplaceFile replace(placed);
    if (!replace.ok()) return replace.error();
    const std::wstring unpacked = unpack.path() + L"\\" + name;
    replace.CloseFile();
    if (!MoveFileExW(unpacked.c_str(), replace.temporary().c_str(), MOVEFILE_REPLACE_EXISTING)) return GetLastError();
    return replace.Commit();
}

LONG RegisterAddressBook(const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, platform::ToAnsi(kWabKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    const std::string data = platform::ToAnsi(path);
    rc = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return rc;
}

}  // namespace

std::wstring RestoreFolderFor(const std::wstring& target, const std::wstring& profileFolder,
                              const std::wstring& systemDrive) {
    using profile::ReplaceAll;
    using profile::ToUpperText;
    std::wstring folder = ReplaceAll(ToUpperText(target), kProfilePlaceholder, profileFolder);
    folder = ReplaceAll(ToUpperText(folder), ToUpperText(kSystemDrivePlaceholder), systemDrive);
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    folder.pop_back();
    return folder;
}

std::wstring SettingsQuestion(const std::wstring& settingsFile) {
    return L"バックアップの設定（メールアカウントと Outlook Express の設定）をレジストリに書き戻します。\r\n" +
           Quoted(settingsFile) + L"\r\nよろしいですか。";
}

void DoRestor(RestoreWindow& w, const Prompt& prompt, const RestoreOptions& options) {
    const std::wstring target = w.RestoreTarget();  // 1
    if (target.empty() && w.IdentityId().empty()) return;  // no backup chosen yet
    const std::wstring folder =
        RestoreFolderFor(target, w.ProfileFolder(), Module_ini::GetWindowsFolder().substr(0, 2));  // 2 to 4
    // Every input is checked before anything changes: a backup that fails here leaves the mail
    // store, the settings and the address book as they were.
    if (!IsFullFolder(folder)) {
        Tell(w, prompt, L"バックアップ情報ファイルから復元先のフォルダーを読み取れないため、復元を中止しました。\r\n" +
                            Quoted(Module_ini::IniFilePath) +
                            L"\r\nメールデータ、設定、アドレス帳は変更されていません。");
        return;
    }
    const std::wstring storeArchive = w.BackupDataFolder() + L"\\" + kStoreArchiveName;
    if (!PlainFileAt(storeArchive)) {
        Tell(w, prompt, L"メールデータのアーカイブが見つからないため、復元を中止しました。\r\n" + Quoted(storeArchive));
        return;
    }
    const std::wstring settings = w.BackupDataFolder() + L"\\" + kSettingsFileName;
    RegIO::RegImport import;
    const std::wstring leftOut = SettingsLeftOut(settings, RegIO::ReadRegFile(settings, w.IdentityId(), import), import);

    if (const int rc = ext_win::ExtractArchive(storeArchive, folder); rc != 0) {  // 5
        Tell(w, prompt, L"メールデータのアーカイブを展開できなかったため、復元を中止しました（アーカイバの結果 " +
                            std::to_wstring(rc) + L"）。\r\n" + Quoted(storeArchive) +
                            L"\r\nメールデータ、設定、アドレス帳は変更されていません。");
        return;
    }
    // The settings go in before "Store Root" is written, so that value is the restore's.
    if (!leftOut.empty())  // 6
        Tell(w, prompt, leftOut);
    else if (!options.askBeforeSettings ||
             prompt(w.PromptOwner(), SettingsQuestion(settings), w.ProgramTitle(), MB_YESNO | MB_DEFBUTTON1) == IDYES)
        ImportSettings(w, prompt, import);

    const std::wstring wabArchive = w.BackupDataFolder() + L"\\" + kAddressArchiveName;  // 7
    if (PlainFileAt(wabArchive) && w.AddressBookChoice() != 0 &&
        prompt(w.PromptOwner(), kAddressBookQuestion, w.ProgramTitle(), MB_YESNO | MB_DEFBUTTON1) == IDYES)
        AddressRestor(w, prompt, wabArchive);

    const std::wstring id = Module_ini::ReadIniString(kInfoSection, kInfoUserIdKey);  // 8
    const std::wstring oe = L"\\Software\\Microsoft\\Outlook Express";
    const std::wstring version = Module_ini::RegEnumSubKeys(platform::kHkeyCurrentUser, L"Identities\\" + id + oe, 0);  // 9
    const bool ends = !folder.empty() && folder.back() == L'\\';  // 10
    const std::wstring root = options.separatorOnlyWhenMissing && ends ? folder : folder + L"\\";
    Module_ini::RegWriteString(platform::kHkeyCurrentUser, L"Identities\\" + w.IdentityId() + oe + L"\\" + version,
                               L"Store Root", root);
}

std::wstring RestoreErrorText(const std::exception& error) {
    return L"復元中にエラーが発生したため、復元を中止しました。\r\n" + platform::FromAnsi(error.what());
}

void AddressRestor(RestoreWindow& w, const Prompt& prompt, const std::wstring& archive) {
    const std::wstring registered = Getsplfol_mod::GetWabFileName();  // 1
    if (prompt(w.PromptOwner(), kOverwriteAddressBook, w.ProgramTitle(), MB_YESNO | MB_DEFBUTTON2) != IDYES) return;

    std::wstring folder, target;
    if (registered == Module_ini::kErr) {
        // Nothing registered: the book goes where the mail client keeps one, under its own name.
        const std::wstring appData = Getsplfol_mod::GetSpecialFolderPath(kAppDataFolder);
        CreateDirectoryW((appData + L"\\Microsoft").c_str(), nullptr);
        folder = appData + L"\\Microsoft\\Address Book";
        CreateDirectoryW(folder.c_str(), nullptr);
    } else {
        target = registered;
        folder = target.substr(0, target.find_last_of(L'\\'));
    }
    std::wstring placed;
    DWORD error = PutAddressBook(archive, folder, target, placed);  // 3
    if (error == 0 && target.empty()) error = static_cast<DWORD>(RegisterAddressBook(placed));
    if (error != 0)
        Tell(w, prompt, L"アドレス帳を復元できませんでした（エラー " + std::to_wstring(error) + L"）。\r\n" +
                            Quoted(archive) + L"\r\nアドレス帳は変更されていません。");
}

}  // namespace engine
