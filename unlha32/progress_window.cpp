// Progress window: a tool window with the member name and a progress bar.
#include "unlha32/progress_window.h"

#include <commctrl.h>

#include <cwchar>

namespace unlha {
namespace {

// Reads a process environment variable (not the C runtime's copy, which is the DLL's own).
std::wstring Env(const wchar_t* name) {
    wchar_t buf[32] = {};
    const DWORD n = GetEnvironmentVariableW(name, buf, 32);
    return n > 0 && n < 32 ? std::wstring(buf, n) : std::wstring();
}

constexpr wchar_t kClass[] = L"QuillboxUnlhaProgress";
constexpr DWORD kRepaintMs = 50;
constexpr int kBarRange = 1000;

// The linker's symbol at this module's own base: the DLL's instance, with no call that older
// systems lack.
extern "C" IMAGE_DOS_HEADER __ImageBase;
HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

bool RegisterOnce(HINSTANCE inst) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(inst, kClass, &wc)) return true;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, const std::wstring& title)
    : owner_(owner), title_(title), start_(GetTickCount()) {
    enabled_ = Env(L"QUILLBOX_UNLHA_NOPROGRESS") != L"1";
    const std::wstring delay = Env(L"QUILLBOX_UNLHA_PROGRESSDELAY");
    delayMs_ = delay.empty() ? kDelayMs : static_cast<DWORD>(wcstoul(delay.c_str(), nullptr, 10));
}

ProgressWindow::~ProgressWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
}

void ProgressWindow::create() {
    HINSTANCE inst = ThisModule();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    if (!RegisterOnce(inst)) {
        enabled_ = false;
        return;
    }
    RECT r{0, 0, 380, 78};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    RECT area;
    if (!owner_ || !GetWindowRect(owner_, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + (area.right - area.left - w) / 2, y = area.top + (area.bottom - area.top - h) / 2;
    hwnd_ = CreateWindowExW(exStyle, kClass, title_.c_str(), style, x, y, w, h, owner_, nullptr, inst, nullptr);
    if (!hwnd_) {
        enabled_ = false;
        return;
    }
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        font_ = CreateFontIndirectW(&ncm.lfMessageFont);
    label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 12, 10,
                             356, 20, hwnd_, nullptr, inst, nullptr);
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 12, 40, 356, 22, hwnd_,
                           nullptr, inst, nullptr);
    if (font_ && label_) SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (bar_) SendMessageW(bar_, PBM_SETRANGE32, 0, kBarRange);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
}

void ProgressWindow::update(const std::wstring& name, std::uint64_t done, std::uint64_t total) {
    if (!enabled_) return;
    const DWORD now = GetTickCount();
    if (!hwnd_) {
        if (now - start_ < delayMs_) return;
        create();
        if (!hwnd_) return;
    } else if (now - lastPaint_ < kRepaintMs) {
        return;
    }
    lastPaint_ = now;
    if (name != shownName_) {
        shownName_ = name;
        SetWindowTextW(label_, name.c_str());
    }
    const int pos = total ? static_cast<int>(done * kBarRange / total) : 0;
    SendMessageW(bar_, PBM_SETPOS, pos > kBarRange ? kBarRange : pos, 0);
    pump();
}

void ProgressWindow::pump() {
    MSG msg;
    // Only this window's messages: the caller's own windows wait until the call returns.
    while (PeekMessageW(&msg, hwnd_, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace unlha
