// The backup information file OLdate.bkd: eight CR LF lines in the ANSI code page that mark a
// folder as a backup and name the identity, its store root and whether the address book is in.
#pragma once

#include <string>

namespace engine {

inline constexpr wchar_t kInfoFileName[] = L"OLdate.bkd";
inline constexpr wchar_t kSettingsFileName[] = L"OLbk1.reg";
inline constexpr wchar_t kStoreArchiveName[] = L"OL.lzh";
inline constexpr wchar_t kAddressArchiveName[] = L"WAB.lzh";

inline constexpr wchar_t kInfoMarkerLine[] = L"////OutLook Backup////";
inline constexpr wchar_t kInfoSection[] = L"main";
inline constexpr wchar_t kInfoDateKey[] = L"date";
inline constexpr wchar_t kInfoInstallKey[] = L"install";
inline constexpr wchar_t kInfoStoreRootKey[] = L"storroot";
inline constexpr wchar_t kInfoUserIdKey[] = L"UserID";
inline constexpr wchar_t kInfoUserNameKey[] = L"UserName";
inline constexpr wchar_t kInfoAddressBookKey[] = L"Addressbook";

// The number an entry's value begins with (blanks first allowed, a sign, digits, one decimal
// point); 0 when it begins with none, as the missing-entry text "no ent" does.
double LeadingNumber(const std::wstring& value);

// "key=value", the form of every entry line.
std::wstring InfoEntry(const wchar_t* key, const std::wstring& value);

// Today's date in the user's short date format; the empty text when the system gives none.
std::wstring TodayText();

// The line as the code page holds it, CR LF added. Characters the code page cannot hold come
// out as '_' (a '?' would read back as a wildcard in a path) and `exact` turns false.
std::string InfoLineBytes(const std::wstring& line, bool& exact);

}  // namespace engine
