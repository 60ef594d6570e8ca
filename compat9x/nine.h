// The 9x implementations of the wide functions the programs use, each with the signature of the
// system's own, built over the ANSI functions Windows 98 and Me have. bind_i686.cpp puts them in
// place on the 9x family; tests call them directly. Also implementations of a few functions 98
// lacks altogether (fallbacks), used wherever the system does not export them.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

namespace compat9x::nine {

// kernel32: files and folders
HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL WINAPI RemoveDirectoryW(LPCWSTR path);
BOOL WINAPI DeleteFileW(LPCWSTR path);
DWORD WINAPI GetFileAttributesW(LPCWSTR path);
BOOL WINAPI GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);
BOOL WINAPI SetFileAttributesW(LPCWSTR path, DWORD attributes);
BOOL WINAPI MoveFileW(LPCWSTR from, LPCWSTR to);
BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
// Tests only: the next MoveFileExW's move of the new file beside the target fails with
// `besideError`, and its move in with `inError` (0: the move runs), as another drive or a name
// taken in the meantime would fail them on 98; what it does then runs for real.
void FailNextMoveSteps(DWORD besideError, DWORD inError);
HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
BOOL WINAPI FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart);
UINT WINAPI GetDriveTypeW(LPCWSTR root);
BOOL WINAPI GetVolumeInformationW(LPCWSTR root, LPWSTR name, DWORD nameSize, LPDWORD serial, LPDWORD maxComponent,
                                  LPDWORD flags, LPWSTR fileSystem, DWORD fileSystemSize);
// kernel32: modules, processes, environment, text
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
HMODULE WINAPI GetModuleHandleW(LPCWSTR name);
HMODULE WINAPI LoadLibraryW(LPCWSTR name);
void WINAPI GetStartupInfoW(LPSTARTUPINFOW info);
BOOL WINAPI CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
                           LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                           LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info);
DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name);
int WINAPI GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR format, LPWSTR buffer, int size);
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b);
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b);
LPWSTR WINAPI lstrcpyW(LPWSTR to, LPCWSTR from);
// kernel32: missing on 98 and Me
BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position, DWORD method);

// user32: classes and windows
ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc);
BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR name, LPWNDCLASSEXW wc);
HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LONG WINAPI GetWindowLongW(HWND hwnd, int index);
LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value);
DWORD WINAPI GetClassLongW(HWND hwnd, int index);
int WINAPI GetClassNameW(HWND hwnd, LPWSTR buffer, int size);
INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param);
// user32: messages
BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last);
BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
LRESULT WINAPI DispatchMessageW(const MSG* msg);
BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG msg);
LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
// user32: text, menus, resources
BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text);
int WINAPI GetWindowTextW(HWND hwnd, LPWSTR buffer, int size);
int WINAPI GetWindowTextLengthW(HWND hwnd);
BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR item);
HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name);
HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name);
int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
DWORD WINAPI CharUpperBuffW(LPWSTR text, DWORD length);
BOOL WINAPI SystemParametersInfoW(UINT action, UINT param, PVOID value, UINT winIni);
BOOL WINAPI AllowSetForegroundWindow(DWORD process);  // not in 98

// gdi32
HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font);
HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCWSTR face);
int WINAPI GetObjectW(HANDLE object, int size, LPVOID buffer);
BOOL WINAPI GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics);

// shell32, comdlg32, version, mpr
BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path);
DWORD_PTR WINAPI SHGetFileInfoW(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags);
PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW info);
HRESULT WINAPI SHBindToParent(PCIDLIST_ABSOLUTE list, REFIID iid, void** folder, PCUITEMID_CHILD* last);  // not in 98
BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW dialog);
DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle);
BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data);
BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT size);
DWORD WINAPI WNetGetConnectionW(LPCWSTR local, LPWSTR remote, LPDWORD size);

}  // namespace compat9x::nine
