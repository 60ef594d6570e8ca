// A thin layer over Win32 controls: each control keeps its HWND and the free text slots the
// program uses as state (Tag, tool tip), with positions given in twips.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// RadioButton: the buttons of one group share a container (a Frame of their own), where a click on
// one clears the others. ProgressBar: the common controls' bar, its position 0 to kProgressMax.
enum class ControlKind {
    Label, Frame, TextBox, CheckBox, Button, DropDownList, ListBox, Line, FolderList, RadioButton, ProgressBar
};

// A progress bar's full position.
inline constexpr int kProgressMax = 1000;

// Mouse pointer settings of a control.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerArrow = 1;
inline constexpr int kPointerCustom = 99;

// Where and how a control is made; positions are twips relative to its container.
struct ControlDef {
    ControlKind kind = ControlKind::Label;
    int id = 0;
    const char* caption = "";  // UTF-8
    int left = 0, top = 0, width = 0, height = 0;
    int textColor = -1;        // a COLOR_* system colour index, -1 for the default
    bool boldGothic = false;   // the bold Japanese Gothic font
    int boldPoints10 = 0;      // its size in tenths of a point
};

// A control of `kind` at its place in twips; `textColor` a COLOR_* index, -1 for the default.
inline ControlDef ControlAt(ControlKind kind, int id, const char* caption, int left, int top, int width, int height,
                            int textColor = -1) {
    ControlDef d;
    d.kind = kind;
    d.id = id;
    d.caption = caption;
    d.left = left;
    d.top = top;
    d.width = width;
    d.height = height;
    d.textColor = textColor;
    return d;
}

// The same control in the bold Japanese Gothic font, `points10` tenths of a point high.
inline ControlDef BoldGothic(ControlDef d, int points10) {
    d.boldGothic = true;
    d.boldPoints10 = points10;
    return d;
}

class Form;

class Control {
public:
    HWND hwnd() const { return hwnd_; }
    int id() const { return def_.id; }
    const ControlDef& def() const { return def_; }

    std::wstring Caption() const;
    void SetCaption(const std::wstring& text);
    std::wstring Text() const { return Caption(); }
    void SetText(const std::wstring& text) { SetCaption(text); }

    const std::wstring& Tag() const { return tag_; }
    void SetTag(const std::wstring& tag) { tag_ = tag; }
    const std::wstring& ToolTipText() const { return toolTip_; }
    void SetToolTipText(const std::wstring& text);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    // Check box and radio button state: 0 unticked, 1 ticked, 2 grayed; a progress bar's
    // position, 0 to kProgressMax (a value outside is held at the nearer end).
    int Value() const;
    void SetValue(int value);

    int Top() const { return top_; }
    // Moves the control vertically, in twips within its container.
    void SetTop(int twips);
    // Puts the control in front of its siblings.
    void BringToFront();

    // Text colour as a COLORREF; CLR_INVALID for the system default.
    COLORREF ForeColor() const { return foreColor_; }
    void SetForeColor(COLORREF color);
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer) { mousePointer_ = pointer; }

private:
    friend class Form;
    HWND hwnd_ = nullptr;
    Form* form_ = nullptr;
    ControlDef def_;
    std::wstring tag_;
    std::wstring toolTip_;
    COLORREF foreColor_ = CLR_INVALID;
    int mousePointer_ = kPointerDefault;
    int top_ = 0;
    WNDPROC editProc_ = nullptr;  // a text box's own procedure, under the form's subclass
};

}  // namespace platform
