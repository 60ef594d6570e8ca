// Finding and reading another process's windows, for the drivers that time Quillbox.exe.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace drive {

constexpr wchar_t kMainTitle[] = L"Quillbox Ver2";

struct Search {
    DWORD pid;
    const wchar_t* cls;    // null: any class
    const wchar_t* title;  // null: any title
    HWND found;
};

// A visible top-level window of the process with this class and title.
inline HWND FindTop(DWORD pid, const wchar_t* cls, const wchar_t* title) {
    Search s = {pid, cls, title, nullptr};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner != s->pid || !IsWindowVisible(h)) return TRUE;
            wchar_t text[128] = {}, klass[64] = {};
            GetClassNameW(h, klass, 64);
            if (s->cls && lstrcmpW(klass, s->cls) != 0) return TRUE;
            GetWindowTextW(h, text, 128);
            if (s->title && lstrcmpW(text, s->title) != 0) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

inline HWND FindById(HWND root, int id) {
    struct Find { int id; HWND found; } f = {id, nullptr};
    EnumChildWindows(
        root,
        [](HWND h, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Find*>(p);
            if (GetDlgCtrlID(h) != f->id) return TRUE;
            f->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// Another process's edit text is reached by a sent message only.
inline std::wstring TextOf(HWND h) {
    wchar_t buf[512] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &result);
    return buf;
}

inline std::string Narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

// The text of a message box: the static with id 0xFFFF.
inline std::string BoxText(HWND box) { return Narrow(TextOf(GetDlgItem(box, 0xFFFF))); }

inline double Now() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

inline int Fail(const char* what, HANDLE process) {
    std::fprintf(stderr, "drive: %s\n", what);
    if (process) TerminateProcess(process, 99);
    return 1;
}

// Starts the program from its own folder, as a user would, and waits for its main window titled
// `mainTitle`. Returns the window, with the process in `process` (nullptr when it did not start);
// nullptr and a line on stderr when it did not start, showed a message box or showed no window.
inline HWND StartProgram(const std::wstring& exe, const wchar_t* mainTitle, HANDLE& process) {
    const std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    process = nullptr;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
        std::fprintf(stderr, "drive: cannot start the program\n");
        return nullptr;
    }
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    for (int waited = 0; waited < 30000; waited += 50) {
        if (HWND box = FindTop(pi.dwProcessId, L"#32770", nullptr)) {
            std::fprintf(stderr, "drive: message box at start: %s\n", BoxText(box).c_str());
            return nullptr;
        }
        if (HWND main = FindTop(pi.dwProcessId, nullptr, mainTitle)) return main;
        Sleep(50);
    }
    std::fprintf(stderr, "drive: no main window\n");
    return nullptr;
}

// Ends a timed run: fails when the program shows a message box (a box runs a message loop too,
// so the window's answer alone does not rule one out), else reads the peak working set, closes
// the program, runs `after` and prints "seconds=S peak_working_set_kib=K".
template <class After>
int EndRun(HWND main, HANDLE process, double seconds, After&& after) {
    if (HWND box = FindTop(GetProcessId(process), L"#32770", nullptr)) {
        std::fprintf(stderr, "drive: message box at the end: %s\n", BoxText(box).c_str());
        return Fail("the program showed a message", process);
    }
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    const bool haveMemory = GetProcessMemoryInfo(process, &pmc, sizeof pmc);
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) return Fail("the program did not close", process);
    CloseHandle(process);
    after();
    std::printf("seconds=%.3f peak_working_set_kib=%llu\n", seconds,
                haveMemory ? static_cast<unsigned long long>(pmc.PeakWorkingSetSize / 1024) : 0ULL);
    return 0;
}

}  // namespace drive
