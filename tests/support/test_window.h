// A hidden top-level window for tests that need real controls.
#pragma once

#include <windows.h>

namespace testsupport {

class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Creates a child control of the given class and extra style.
    HWND AddChild(const wchar_t* cls, DWORD style);

private:
    HWND hwnd_ = nullptr;
};

}  // namespace testsupport
