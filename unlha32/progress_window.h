// The small progress window Unlha shows while a command runs for more than a moment.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace unlha {

// Created lazily: nothing appears until the work has run for kDelayMs. Never activates
// itself; destroyed with the object. In the process environment, QUILLBOX_UNLHA_NOPROGRESS=1
// turns it off and QUILLBOX_UNLHA_PROGRESSDELAY=<ms> changes the delay.
class ProgressWindow {
public:
    static constexpr DWORD kDelayMs = 500;

    ProgressWindow(HWND owner, const std::wstring& title);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows `name` and done/total; cheap when called often. Pumps the window's own messages.
    void update(const std::wstring& name, std::uint64_t done, std::uint64_t total);

    // The window, null while none is shown (for tests and screenshots).
    HWND hwnd() const { return hwnd_; }

private:
    void create();
    void pump();

    HWND owner_;
    std::wstring title_;
    bool enabled_;
    DWORD start_;
    DWORD delayMs_ = kDelayMs;
    DWORD lastPaint_ = 0;
    std::wstring shownName_;
    HWND hwnd_ = nullptr;
    HWND label_ = nullptr;
    HWND bar_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace unlha
