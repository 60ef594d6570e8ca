// A hidden top-level window for tests that need real controls.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace testsupport {

// The first window that `match` accepts: among the top-level windows, the children of `parent`
// at any depth, or a thread's windows; null when none. One callback with the system's calling
// convention serves them all, since a lambda has none of its own on 32-bit Windows.
using WindowMatch = std::function<bool(HWND)>;
inline BOOL CALLBACK NotYetFound(HWND h, LPARAM search) {
    auto* s = reinterpret_cast<std::pair<const WindowMatch*, HWND>*>(search);
    if (!(*s->first)(h)) return TRUE;
    s->second = h;
    return FALSE;
}
inline HWND FirstTopWindow(const WindowMatch& match) {
    std::pair<const WindowMatch*, HWND> s(&match, nullptr);
    EnumWindows(NotYetFound, reinterpret_cast<LPARAM>(&s));
    return s.second;
}
inline HWND FirstChild(HWND parent, const WindowMatch& match) {
    std::pair<const WindowMatch*, HWND> s(&match, nullptr);
    EnumChildWindows(parent, NotYetFound, reinterpret_cast<LPARAM>(&s));
    return s.second;
}
inline HWND FirstThreadWindow(DWORD thread, const WindowMatch& match) {
    std::pair<const WindowMatch*, HWND> s(&match, nullptr);
    EnumThreadWindows(thread, NotYetFound, reinterpret_cast<LPARAM>(&s));
    return s.second;
}

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
