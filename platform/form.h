// A top-level window that owns its controls: the static window procedure keeps `this` from
// WM_NCCREATE and hands each message to one virtual handler. Frames are real container
// windows, so their children are placed relative to them and overlap as pages do.
#pragma once

#include "platform/controls.h"

#include <windows.h>

#include <map>
#include <string>

namespace platform {

class Form {
public:
    Form();
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Creates the (hidden) window with a client area of the given size in twips.
    bool CreateForm(const std::wstring& caption, int clientWidthTwips, int clientHeightTwips, HMENU menu,
                    HICON icon);
    // Creates `control` inside `container` (nullptr: the window itself).
    void Add(Control& control, const ControlDef& def, Control* container = nullptr);

    int TwipsToPixelsX(int twips) const { return MulDiv(twips, dpiX_, 1440); }
    int TwipsToPixelsY(int twips) const { return MulDiv(twips, dpiY_, 1440); }
    Control* FindControl(HWND hwnd) const;
    void UpdateToolTip(Control& control);

protected:
    virtual void OnCommand(Control& /*control*/, int /*notification*/) {}
    // A double click in a text box (edit controls tell their parent nothing of it).
    virtual void OnDblClick(Control& /*control*/) {}
    virtual void OnMenu(int /*id*/) {}
    // Paints an item of an owner-drawn list; true when it was painted.
    virtual bool OnDrawItem(Control& /*control*/, const DRAWITEMSTRUCT& /*item*/) { return false; }
    virtual void OnClose() { DestroyWindow(hwnd_); }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColor(HDC dc, HWND child);
    bool OnSetCursor(HWND child);
    HFONT BoldFont(int points10);

    HWND hwnd_ = nullptr;
    HWND toolTips_ = nullptr;
    HFONT font_ = nullptr;
    std::map<int, HFONT> boldFonts_;
    std::map<int, HBRUSH> lineBrushes_;
    std::map<HWND, Control*> controls_;
    HCURSOR handCursor_ = nullptr;
    int dpiX_ = 96;
    int dpiY_ = 96;
};

// The pointing hand shown over page selectors (32 x 32, hot spot at 12, 1).
HCURSOR CreateHandCursor();

// The common controls the windows use, registered for this process.
void InitControls();
// Dispatches messages, the window's dialog keys (Tab, Enter) first, until the program quits.
void RunMessages(HWND window);

// A program of one window: controls registered, the window made, loaded and shown, then its
// messages until it is closed. 1 when the window cannot be made.
template <class Window>
int RunProgram(Window& form) {
    InitControls();
    if (!form.Create()) return 1;
    form.Form_Load();
    form.Show();
    RunMessages(form.hwnd());
    return 0;
}

}  // namespace platform
