// The stand-ins put in place of the wide imports, in the 32-bit programs only. Each entry below
// defines the import slot the linker would otherwise fill from the system's import library
// (__imp__Name@bytes), holding at first a binder; the first call binds the slot for good and
// goes on: to the system's own function on the NT family, to compat9x::nine on the 9x family,
// for wide functions (stubs there) and for functions 98 or Me lack alike. Either way the name
// leaves the import table, so a system without it still loads the program; and the 9x path is the
// same under Wine reporting 98, which exports everything, as on a real 98.
#include "compat9x/compat9x.h"
#include "compat9x/nine.h"

#include <vector>

namespace {

FARPROC SystemFunction(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    if (!module) module = LoadLibraryA(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

using compat9x::StandIn;
constexpr StandIn::Kind kWide = StandIn::kWide, kMissingOn9x = StandIn::kMissingOn9x;
using Kind = StandIn::Kind;

std::vector<StandIn>& Table() {
    static std::vector<StandIn> table;
    return table;
}

struct Listed {
    Listed(Kind kind, const char* dll, const char* name) { Table().push_back({kind, dll, name}); }
};

// The function a slot binds to. The caller's last error is kept: a look-up that found nothing
// must not show in a call that then succeeds.
// One rule for both kinds of stand-in: the kind is kept in the table for the tests and readers.
template <class F>
F Choose(const char* dll, const char* name, F ours) {
    const DWORD error = GetLastError();
    F chosen = ours;
    if (!compat9x::OnWin9x())
        if (FARPROC system = SystemFunction(dll, name)) chosen = reinterpret_cast<F>(reinterpret_cast<void*>(system));
    SetLastError(error);
    return chosen;
}

// Several threads may bind one slot at once; each stores the same function.
template <class F>
F Store(F* slot, F function) {
    InterlockedExchange(reinterpret_cast<LONG volatile*>(slot), reinterpret_cast<LONG>(function));
    return function;
}

}  // namespace

// The slot's symbol carries the stdcall decoration: the bytes of the arguments. A direct call
// (a header without dllimport, as winver.h's) goes to the stub beside it, as the import
// library's own stub would; defining both keeps the import library's entry out of the link.
#define QB_STAND_IN(kind, dll, Ret, Name, bytes, Params, Args)                                  \
    __asm__(".text\n.globl _" #Name "@" #bytes "\n_" #Name "@" #bytes                          \
            ":\n\tjmp *__imp__" #Name "@" #bytes "\n");                                          \
    extern "C" Ret(WINAPI* qb9x_slot_##Name) Params __asm__("__imp__" #Name "@" #bytes);        \
    static Ret WINAPI qb9x_bind_##Name Params {                                                 \
        return Store(&qb9x_slot_##Name, Choose(dll, #Name, &compat9x::nine::Name)) Args;  \
    }                                                                                           \
    Ret(WINAPI* qb9x_slot_##Name) Params = qb9x_bind_##Name;                                     \
    const Listed qb9x_listed_##Name(kind, dll, #Name);

#define K "kernel32.dll"
#define U "user32.dll"
#define G "gdi32.dll"
#define S "shell32.dll"

// kernel32
QB_STAND_IN(kWide, K, HANDLE, CreateFileW, 28, (LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g), (a, b, c, d, e, f, g))
QB_STAND_IN(kWide, K, BOOL, CreateDirectoryW, 8, (LPCWSTR a, LPSECURITY_ATTRIBUTES b), (a, b))
QB_STAND_IN(kWide, K, BOOL, RemoveDirectoryW, 4, (LPCWSTR a), (a))
QB_STAND_IN(kWide, K, BOOL, DeleteFileW, 4, (LPCWSTR a), (a))
QB_STAND_IN(kWide, K, DWORD, GetFileAttributesW, 4, (LPCWSTR a), (a))
QB_STAND_IN(kWide, K, BOOL, GetFileAttributesExW, 12, (LPCWSTR a, GET_FILEEX_INFO_LEVELS b, LPVOID c), (a, b, c))
QB_STAND_IN(kWide, K, BOOL, SetFileAttributesW, 8, (LPCWSTR a, DWORD b), (a, b))
QB_STAND_IN(kWide, K, BOOL, MoveFileW, 8, (LPCWSTR a, LPCWSTR b), (a, b))
QB_STAND_IN(kWide, K, BOOL, MoveFileExW, 12, (LPCWSTR a, LPCWSTR b, DWORD c), (a, b, c))
QB_STAND_IN(kWide, K, HANDLE, FindFirstFileW, 8, (LPCWSTR a, LPWIN32_FIND_DATAW b), (a, b))
QB_STAND_IN(kWide, K, BOOL, FindNextFileW, 8, (HANDLE a, LPWIN32_FIND_DATAW b), (a, b))
QB_STAND_IN(kWide, K, DWORD, GetFullPathNameW, 16, (LPCWSTR a, DWORD b, LPWSTR c, LPWSTR* d), (a, b, c, d))
QB_STAND_IN(kWide, K, UINT, GetDriveTypeW, 4, (LPCWSTR a), (a))
QB_STAND_IN(kWide, K, BOOL, GetVolumeInformationW, 32, (LPCWSTR a, LPWSTR b, DWORD c, LPDWORD d, LPDWORD e, LPDWORD f, LPWSTR g, DWORD h), (a, b, c, d, e, f, g, h))
QB_STAND_IN(kWide, K, DWORD, GetModuleFileNameW, 12, (HMODULE a, LPWSTR b, DWORD c), (a, b, c))
QB_STAND_IN(kWide, K, HMODULE, GetModuleHandleW, 4, (LPCWSTR a), (a))
QB_STAND_IN(kWide, K, HMODULE, LoadLibraryW, 4, (LPCWSTR a), (a))
QB_STAND_IN(kWide, K, void, GetStartupInfoW, 4, (LPSTARTUPINFOW a), (a))
QB_STAND_IN(kWide, K, BOOL, CreateProcessW, 40, (LPCWSTR a, LPWSTR b, LPSECURITY_ATTRIBUTES c, LPSECURITY_ATTRIBUTES d, BOOL e, DWORD f, LPVOID g, LPCWSTR h, LPSTARTUPINFOW i, LPPROCESS_INFORMATION j), (a, b, c, d, e, f, g, h, i, j))
QB_STAND_IN(kWide, K, DWORD, GetEnvironmentVariableW, 12, (LPCWSTR a, LPWSTR b, DWORD c), (a, b, c))
QB_STAND_IN(kWide, K, HANDLE, CreateSemaphoreW, 16, (LPSECURITY_ATTRIBUTES a, LONG b, LONG c, LPCWSTR d), (a, b, c, d))
QB_STAND_IN(kWide, K, int, GetDateFormatW, 24, (LCID a, DWORD b, const SYSTEMTIME* c, LPCWSTR d, LPWSTR e, int f), (a, b, c, d, e, f))
QB_STAND_IN(kWide, K, int, lstrcmpW, 8, (LPCWSTR a, LPCWSTR b), (a, b))
QB_STAND_IN(kWide, K, int, lstrcmpiW, 8, (LPCWSTR a, LPCWSTR b), (a, b))
QB_STAND_IN(kWide, K, LPWSTR, lstrcpyW, 8, (LPWSTR a, LPCWSTR b), (a, b))
QB_STAND_IN(kMissingOn9x, K, BOOL, GetFileSizeEx, 8, (HANDLE a, PLARGE_INTEGER b), (a, b))
QB_STAND_IN(kMissingOn9x, K, BOOL, SetFilePointerEx, 20, (HANDLE a, LARGE_INTEGER b, PLARGE_INTEGER c, DWORD d), (a, b, c, d))

// user32
QB_STAND_IN(kWide, U, ATOM, RegisterClassExW, 4, (const WNDCLASSEXW* a), (a))
QB_STAND_IN(kWide, U, BOOL, GetClassInfoExW, 12, (HINSTANCE a, LPCWSTR b, LPWNDCLASSEXW c), (a, b, c))
QB_STAND_IN(kWide, U, HWND, CreateWindowExW, 48, (DWORD a, LPCWSTR b, LPCWSTR c, DWORD d, int e, int f, int g, int h, HWND i, HMENU j, HINSTANCE k, LPVOID l), (a, b, c, d, e, f, g, h, i, j, k, l))
QB_STAND_IN(kWide, U, LRESULT, DefWindowProcW, 16, (HWND a, UINT b, WPARAM c, LPARAM d), (a, b, c, d))
QB_STAND_IN(kWide, U, LRESULT, CallWindowProcW, 20, (WNDPROC a, HWND b, UINT c, WPARAM d, LPARAM e), (a, b, c, d, e))
QB_STAND_IN(kWide, U, LONG, GetWindowLongW, 8, (HWND a, int b), (a, b))
QB_STAND_IN(kWide, U, LONG, SetWindowLongW, 12, (HWND a, int b, LONG c), (a, b, c))
QB_STAND_IN(kWide, U, DWORD, GetClassLongW, 8, (HWND a, int b), (a, b))
QB_STAND_IN(kWide, U, int, GetClassNameW, 12, (HWND a, LPWSTR b, int c), (a, b, c))
QB_STAND_IN(kWide, U, INT_PTR, DialogBoxParamW, 20, (HINSTANCE a, LPCWSTR b, HWND c, DLGPROC d, LPARAM e), (a, b, c, d, e))
QB_STAND_IN(kWide, U, BOOL, GetMessageW, 16, (LPMSG a, HWND b, UINT c, UINT d), (a, b, c, d))
QB_STAND_IN(kWide, U, BOOL, PeekMessageW, 20, (LPMSG a, HWND b, UINT c, UINT d, UINT e), (a, b, c, d, e))
QB_STAND_IN(kWide, U, LRESULT, DispatchMessageW, 4, (const MSG* a), (a))
QB_STAND_IN(kWide, U, BOOL, IsDialogMessageW, 8, (HWND a, LPMSG b), (a, b))
QB_STAND_IN(kWide, U, LRESULT, SendMessageW, 16, (HWND a, UINT b, WPARAM c, LPARAM d), (a, b, c, d))
QB_STAND_IN(kWide, U, LRESULT, SendDlgItemMessageW, 20, (HWND a, int b, UINT c, WPARAM d, LPARAM e), (a, b, c, d, e))
QB_STAND_IN(kWide, U, BOOL, SetWindowTextW, 8, (HWND a, LPCWSTR b), (a, b))
QB_STAND_IN(kWide, U, int, GetWindowTextW, 12, (HWND a, LPWSTR b, int c), (a, b, c))
QB_STAND_IN(kWide, U, int, GetWindowTextLengthW, 4, (HWND a), (a))
QB_STAND_IN(kWide, U, BOOL, SetDlgItemTextW, 12, (HWND a, int b, LPCWSTR c), (a, b, c))
QB_STAND_IN(kWide, U, BOOL, AppendMenuW, 16, (HMENU a, UINT b, UINT_PTR c, LPCWSTR d), (a, b, c, d))
QB_STAND_IN(kWide, U, HCURSOR, LoadCursorW, 8, (HINSTANCE a, LPCWSTR b), (a, b))
QB_STAND_IN(kWide, U, HICON, LoadIconW, 8, (HINSTANCE a, LPCWSTR b), (a, b))
QB_STAND_IN(kWide, U, int, DrawTextW, 20, (HDC a, LPCWSTR b, int c, LPRECT d, UINT e), (a, b, c, d, e))
QB_STAND_IN(kWide, U, DWORD, CharUpperBuffW, 8, (LPWSTR a, DWORD b), (a, b))
QB_STAND_IN(kWide, U, BOOL, SystemParametersInfoW, 16, (UINT a, UINT b, PVOID c, UINT d), (a, b, c, d))
QB_STAND_IN(kMissingOn9x, U, BOOL, AllowSetForegroundWindow, 4, (DWORD a), (a))

// gdi32
QB_STAND_IN(kWide, G, HFONT, CreateFontIndirectW, 4, (const LOGFONTW* a), (a))
QB_STAND_IN(kWide, G, HFONT, CreateFontW, 56, (int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i, DWORD j, DWORD k, DWORD l, DWORD m, LPCWSTR n), (a, b, c, d, e, f, g, h, i, j, k, l, m, n))
QB_STAND_IN(kWide, G, int, GetObjectW, 12, (HANDLE a, int b, LPVOID c), (a, b, c))
QB_STAND_IN(kWide, G, BOOL, GetTextMetricsW, 8, (HDC a, LPTEXTMETRICW b), (a, b))

// shell32, comdlg32, version, mpr
QB_STAND_IN(kWide, S, BOOL, SHGetPathFromIDListW, 8, (PCIDLIST_ABSOLUTE a, LPWSTR b), (a, b))
QB_STAND_IN(kWide, S, DWORD_PTR, SHGetFileInfoW, 20, (LPCWSTR a, DWORD b, SHFILEINFOW* c, UINT d, UINT e), (a, b, c, d, e))
QB_STAND_IN(kWide, S, PIDLIST_ABSOLUTE, SHBrowseForFolderW, 4, (LPBROWSEINFOW a), (a))
QB_STAND_IN(kMissingOn9x, S, HRESULT, SHBindToParent, 16, (PCIDLIST_ABSOLUTE a, REFIID b, void** c, PCUITEMID_CHILD* d), (a, b, c, d))
QB_STAND_IN(kWide, "comdlg32.dll", BOOL, GetOpenFileNameW, 4, (LPOPENFILENAMEW a), (a))
QB_STAND_IN(kWide, "version.dll", DWORD, GetFileVersionInfoSizeW, 8, (LPCWSTR a, LPDWORD b), (a, b))
QB_STAND_IN(kWide, "version.dll", BOOL, GetFileVersionInfoW, 16, (LPCWSTR a, DWORD b, DWORD c, LPVOID d), (a, b, c, d))
QB_STAND_IN(kWide, "version.dll", BOOL, VerQueryValueW, 16, (LPCVOID a, LPCWSTR b, LPVOID* c, PUINT d), (a, b, c, d))
QB_STAND_IN(kWide, "mpr.dll", DWORD, WNetGetConnectionW, 12, (LPCWSTR a, LPWSTR b, LPDWORD c), (a, b, c))

const std::vector<compat9x::StandIn>& compat9x::StandIns() { return Table(); }
