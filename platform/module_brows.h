// The shell's folder picker, opened at the folder already typed so the user starts from there.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace ModuleBrows {

inline constexpr wchar_t kPrompt[] = L"フォルダを指定してください。";

// Shows the modal folder picker owned by `owner`. `initial`, trimmed of blanks at both ends,
// is selected once the picker is up; an empty or all-blank text leaves the picker's default.
// Returns the picked folder's path (whole, however long), the display name of a picked item
// that has no file-system path (a virtual folder such as My Computer), or the empty text
// after a cancel.
std::wstring BrowseForFolder(HWND owner, const std::wstring& initial);

// The picker's callback: when the picker has initialised (message 1) it selects the folder whose
// NUL-terminated wide path `data` points to; every other message is ignored. Always 0.
int CALLBACK BrowseCallbackProc(HWND picker, UINT message, LPARAM messageData, LPARAM data);

// Hands the callback to the request record unchanged.
inline BFFCALLBACK CallbackAddress(BFFCALLBACK callback) { return callback; }

}  // namespace ModuleBrows
