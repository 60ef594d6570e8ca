// Turns an identity's recorded mail store root into a local folder: for a live identity of
// this machine, and for one recorded in a backup (the restore target). Also the pieces of the
// identity-picked handler that are not window code.
#pragma once

#include <string>

namespace profile {

// Placeholder in a live "Store Root", matched exactly (case-sensitive).
inline constexpr wchar_t kLiveProfilePlaceholder[] = L"%UserProfile%";
// Placeholder in a backed-up store root, matched after the whole text is upper-cased.
inline constexpr wchar_t kRecordedProfilePlaceholder[] = L"%USERPROFILE%";
// Profile folder assumed when the system names none; the logged-on user's name follows.
inline constexpr wchar_t kDefaultProfileBase[] = L"C:\\Documents and Settings\\";

// Shown (OK only, no icon, title "Quillbox") before the program ends when the picked
// identity's store folder does not exist.
inline constexpr wchar_t kStoreMissingMessage[] =
    L"OutLookExpress５が正常にインストールされていないか、まだ設定されていません。";

// The "Store Root" of the first subkey (whatever its name) of the identity's key
// HKCU\Identities\<key>\Software\Microsoft\Outlook Express, with one trailing backslash
// dropped, then every "%UserProfile%" replaced by the profile folder. "err" when a key or the
// value is missing; never shows a message.
std::wstring GetUdataPath(const std::wstring& key);

// The store folder an identity pick puts in OLdPath's Tag: GetUdataPath(key), then every
// "%UserProfile%" replaced once more by the profile folder.
std::wstring ResolvePickedStoreFolder(const std::wstring& key);

// Whether the store folder exists: the text without leading and trailing spaces is looked up
// as a path (relative ones in the current folder); folders and files that are read-only,
// hidden, system or ordinary all count. An empty text, "err" (unless the current folder holds
// an entry of that name) and wildcard patterns count as missing.
bool StorePathExists(const std::wstring& path);

// Restore target for a backed-up store root: the root upper-cased, every "%USERPROFILE%" then
// replaced by the profile folder (its own case kept), or by "C:\Documents and Settings\" +
// the logged-on user when the system names no profile folder.
std::wstring GetRestorPath(const std::wstring& storedRoot);

// GetRestorPath with the profile folder and user name given; `profileFolder` empty selects
// the "C:\Documents and Settings\" + `logonUser` fallback.
std::wstring RestorPathFor(const std::wstring& storedRoot, const std::wstring& profileFolder,
                           const std::wstring& logonUser);

// Upper-cases as the system's own case mapping does, independent of the user's locale.
std::wstring ToUpperText(const std::wstring& text);

// Every occurrence of `from`, left to right, compared case for case; the inserted text is not
// searched again.
std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to);

}  // namespace profile
