// Driving the real programs from outside: child processes, their windows, message boxes and
// the system's Open dialog, reached only through the window system.
#pragma once

#include "support/test_window.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

inline std::wstring BinFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\'));
}

// A child process, ended and closed when the test is done with it. With QB_RELAY set, the child
// runs with Wine's relay trace on: every call between modules, with the process, the address it
// returns to and where each module was loaded, on the standard error the test itself writes to.
class Child {
public:
    // `arguments` follow the program's quoted name on its command line.
    explicit Child(const std::wstring& exe, const std::wstring& arguments = {}) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        const bool traced = GetEnvironmentVariableW(L"QB_RELAY", nullptr, 0) != 0;
        if (traced) SetEnvironmentVariableW(L"WINEDEBUG", L"+pid,+loaddll,+relay");
        started_ = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
        if (traced) SetEnvironmentVariableW(L"WINEDEBUG", L"-all");
    }
    ~Child() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    bool started() const { return started_; }
    DWORD pid() const { return pi_.dwProcessId; }
    // Ends the program at once, as a power cut would.
    void Kill() const {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 10000);
    }
    // The exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitExit(DWORD ms) const {
        WaitForSingleObject(pi_.hProcess, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

// The first visible top-level window of the process that `match` accepts; null when none.
inline HWND FindTopWindow(DWORD pid, const std::function<bool(HWND)>& match) {
    return testsupport::FirstTopWindow([&](HWND h) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        return owner == pid && IsWindowVisible(h) && match(h);
    });
}

// Polls `ready` every 20 ms; true as soon as it holds, false when `ms` have passed.
inline bool WaitUntil(const std::function<bool()>& ready, DWORD ms = 20000) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
}

inline std::wstring ClassOf(HWND h) {
    wchar_t klass[64] = {};
    GetClassNameW(h, klass, 64);
    return klass;
}

// Waits for a top-level window of the process with this class (or any) and title.
inline HWND WaitForWindow(DWORD pid, const wchar_t* cls, const wchar_t* title, DWORD ms = 20000) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindTopWindow(pid, [&](HWND h) {
                wchar_t text[128] = {};
                GetWindowTextW(h, text, 128);
                return lstrcmpW(text, title) == 0 && (!cls || ClassOf(h) == cls);
            });
            return found != nullptr;
        },
        ms);
    return found;
}

inline HWND FindById(HWND root, int id) {
    return testsupport::FirstChild(root, [id](HWND h) { return GetDlgCtrlID(h) == id; });
}

inline std::wstring TextOf(HWND h) {
    // WM_GETTEXT reaches into another process's edit controls; GetWindowText does not.
    wchar_t buf[1024] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &result);
    return buf;
}

// What typing into an edit control leaves there.
inline void Type(HWND edit, const std::wstring& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
}

inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

inline bool IsTicked(HWND box) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

inline void DoubleClick(HWND control) {
    const LPARAM at = MAKELPARAM(4, 4);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
}

// The Open dialog has its folder and file type lists; a message box has no list at all.
inline bool HasLists(HWND dialog) { return FindWindowExW(dialog, nullptr, L"ComboBox", nullptr) != nullptr; }

// A message box: a dialog whose text sits in the static 0xFFFF.
inline HWND FindMessageBox(DWORD pid) {
    return FindTopWindow(pid, [](HWND h) { return ClassOf(h) == L"#32770" && GetDlgItem(h, 0xFFFF) && !HasLists(h); });
}

// The first edit control below `root`, at any depth.
inline HWND FirstEdit(HWND root) {
    return testsupport::FirstChild(root, [](HWND h) { return ClassOf(h) == L"Edit"; });
}

// Picks `path` in the system's Open dialog of the process: the whole path typed into the file
// name box, then Open. False when no dialog showed or it did not close.
inline bool PickInOpenDialog(DWORD pid, const std::wstring& path) {
    HWND dialog = nullptr, name = nullptr;
    WaitUntil([&] {
        dialog = FindTopWindow(pid, [](HWND h) {
            return ClassOf(h) == L"#32770" && HasLists(h) && GetDlgItem(h, IDOK);
        });
        if (!dialog) return false;
        name = FirstEdit(dialog);  // the file name box, alone or inside its drop-down
        return name != nullptr;
    });
    if (!name) return false;
    Type(name, path);
    Click(GetDlgItem(dialog, IDOK));
    return WaitUntil([&] { return !IsWindow(dialog); }, 10000);
}

// Answers a program's message boxes in turn and records each as "title|text".
class MessageBoxes {
public:
    struct Answer {
        std::wstring textStart;  // the box whose text begins so ...
        int button;              // ... gets this button (IDYES, IDNO, IDOK)
    };

    MessageBoxes(DWORD pid, std::vector<Answer> answers) : pid_(pid), answers_(std::move(answers)) {}

    // Answers every box that shows until `done` holds; false when `ms` pass first. A box no
    // answer fits gets OK or, for a question, No, and stays in the record for the test to see.
    bool AnswerUntil(const std::function<bool()>& done, DWORD ms = 30000) {
        return WaitUntil(
            [&] {
                HWND box = FindMessageBox(pid_);
                if (!box) return done();
                wchar_t title[128] = {};
                GetWindowTextW(box, title, 128);
                const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
                shown.push_back(std::wstring(title) + L"|" + text);
                int button = GetDlgItem(box, IDOK) ? IDOK : IDNO;
                for (const Answer& a : answers_)
                    if (text.compare(0, a.textStart.size(), a.textStart) == 0) button = a.button;
                Click(GetDlgItem(box, button));
                WaitUntil([&] { return !IsWindow(box); }, 5000);
                return false;
            },
            ms);
    }

    std::vector<std::wstring> shown;

private:
    DWORD pid_;
    std::vector<Answer> answers_;
};

}  // namespace e2e
