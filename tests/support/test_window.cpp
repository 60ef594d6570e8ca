#include "support/test_window.h"

namespace testsupport {

TestWindow::TestWindow() {
    hwnd_ = CreateWindowExW(0, L"STATIC", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND TestWindow::AddChild(const wchar_t* cls, DWORD style) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VSCROLL | style, 0, 0, 200, 150, hwnd_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace testsupport
