#include "platform/controls.h"

#include "platform/form.h"

#include <commctrl.h>

#include <algorithm>

namespace platform {

std::wstring Control::Caption() const {
    const int len = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(hwnd_, text.data(), len + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void Control::SetCaption(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }

void Control::SetToolTipText(const std::wstring& text) {
    toolTip_ = text;
    if (form_) form_->UpdateToolTip(*this);
}

bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void Control::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

int Control::Value() const {
    if (def_.kind == ControlKind::ProgressBar) return static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
    return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0));
}

void Control::SetValue(int value) {
    if (def_.kind == ControlKind::ProgressBar) {
        SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(std::clamp(value, 0, kProgressMax)), 0);
        return;
    }
    SendMessageW(hwnd_, BM_SETCHECK, value == 2 ? BST_INDETERMINATE : value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Control::BringToFront() {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetTop(int twips) {
    top_ = twips;
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    POINT origin = {rc.left, rc.top};
    ScreenToClient(GetParent(hwnd_), &origin);
    SetWindowPos(hwnd_, nullptr, origin.x, form_->TwipsToPixelsY(twips), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetForeColor(COLORREF color) {
    foreColor_ = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace platform
