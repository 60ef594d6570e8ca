#include "platform/form.h"

#include "platform/ansi.h"

#include <commctrl.h>

#include <algorithm>

namespace platform {
namespace {

constexpr wchar_t kFormClass[] = L"QuillboxForm";
constexpr wchar_t kFrameClass[] = L"QuillboxFrame";

HFONT FrameFont(HWND frame) { return reinterpret_cast<HFONT>(GetWindowLongPtrW(frame, GWLP_USERDATA)); }

// A frame paints a group-box border with its caption and passes its children's notices on to
// the form, which is where the program's handlers live.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(FrameFont(hwnd));
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HGDIOBJ oldFont = SelectObject(dc, FrameFont(hwnd) ? FrameFont(hwnd) : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        RECT rc;
        GetClientRect(hwnd, &rc);
        RECT border = rc;
        border.top += tm.tmHeight / 2;
        DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
        wchar_t caption[256] = {};
        int len = GetWindowTextW(hwnd, caption, 256);
        if (len > 0) {
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            RECT text = {rc.left + 8, rc.top, rc.right - 8, rc.top + tm.tmHeight};
            DrawTextW(dc, caption, len, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            InflateRect(&text, 2, 0);
            ExtTextOutW(dc, text.left + 2, text.top, ETO_OPAQUE, &text, caption, static_cast<UINT>(len), nullptr);
        }
        SelectObject(dc, oldFont);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterClasses(WNDPROC formProc) {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = kFrameClass;
    RegisterClassExW(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kFormClass;
    wc.lpfnWndProc = formProc;
    RegisterClassExW(&wc);
}

struct KindInfo {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
};

KindInfo InfoFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0};
    case ControlKind::Frame: return {kFrameClass, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case ControlKind::TextBox: return {L"EDIT", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::RadioButton: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, 0, 0};
    case ControlKind::DropDownList: return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ListBox:
        return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0};
    case ControlKind::Line: return {L"STATIC", SS_LEFT, 0};
    case ControlKind::FolderList:
        return {L"LISTBOX",
                LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
                    WS_TABSTOP,
                0};
    }
    return {L"STATIC", 0, 0};
}

}  // namespace

Form::Form() { RegisterClasses(WindowProc); }

Form::~Form() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    for (auto& [size, font] : boldFonts_) DeleteObject(font);
    for (auto& [index, brush] : lineBrushes_) DeleteObject(brush);
    if (handCursor_) DestroyCursor(handCursor_);
}

bool Form::CreateForm(const std::wstring& caption, int clientWidthTwips, int clientHeightTwips, HMENU menu,
                      HICON icon) {
    HDC screen = GetDC(nullptr);
    dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    font_ = CreateFontIndirectW(&ncm.lfMessageFont);
    handCursor_ = CreateHandCursor();

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT rc = {0, 0, TwipsToPixelsX(clientWidthTwips), TwipsToPixelsY(clientHeightTwips)};
    AdjustWindowRectEx(&rc, style, menu != nullptr, exStyle);
    CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            rc.right - rc.left, rc.bottom - rc.top, nullptr, menu, GetModuleHandleW(nullptr), this);
    if (!hwnd_) return false;
    if (icon) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    // A menu bar that wraps would shrink the client area: make sure it is the size asked for.
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT window;
    GetWindowRect(hwnd_, &window);
    const int dx = TwipsToPixelsX(clientWidthTwips) - client.right;
    const int dy = TwipsToPixelsY(clientHeightTwips) - client.bottom;
    if (dx || dy)
        SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    return true;
}

HFONT Form::BoldFont(int points10) {
    auto it = boldFonts_.find(points10);
    if (it != boldFonts_.end()) return it->second;
    HFONT font = CreateFontW(-MulDiv(points10, dpiY_, 720), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                             L"MS PGothic");
    boldFonts_[points10] = font;
    return font;
}

void Form::Add(Control& control, const ControlDef& def, Control* container) {
    const KindInfo info = InfoFor(def.kind);
    HWND parent = container ? container->hwnd_ : hwnd_;
    const int x = TwipsToPixelsX(def.left);
    const int y = TwipsToPixelsY(def.top);
    const int w = TwipsToPixelsX(def.width);
    int h = std::max(1, TwipsToPixelsY(def.height));
    // A drop-down list's window height is its dropped-down height; the closed field is set below.
    const int createHeight = def.kind == ControlKind::DropDownList ? h + 160 : h;
    const std::wstring caption = Utf8ToWide(def.caption);
    control.hwnd_ = CreateWindowExW(info.exStyle, info.cls, caption.c_str(), WS_CHILD | WS_VISIBLE | info.style, x,
                                    y, w, createHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.id)),
                                    GetModuleHandleW(nullptr), nullptr);
    control.form_ = this;
    control.def_ = def;
    control.top_ = def.top;
    controls_[control.hwnd_] = &control;
    if (def.kind == ControlKind::TextBox) {
        // A plain window-procedure subclass: the comctl32 calls for it have names only from XP on.
        SetWindowLongPtrW(control.hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
        control.editProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(control.hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextBoxProc)));
    }
    SendMessageW(control.hwnd_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(def.boldGothic ? BoldFont(def.boldPoints10) : font_), FALSE);
    if (def.kind == ControlKind::ProgressBar) SendMessageW(control.hwnd_, PBM_SETRANGE32, 0, kProgressMax);
    if (def.kind == ControlKind::DropDownList) {
        // The closed height follows the selection field's height; steer it to the height asked for.
        for (int pass = 0; pass < 3; ++pass) {
            RECT rc;
            GetWindowRect(control.hwnd_, &rc);
            const int diff = h - (rc.bottom - rc.top);
            const LRESULT item = SendMessageW(control.hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
            if (diff == 0 || item <= 0 || item + diff <= 0) break;
            SendMessageW(control.hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item + diff);
        }
    }
}

Control* Form::FindControl(HWND hwnd) const {
    auto it = controls_.find(hwnd);
    return it == controls_.end() ? nullptr : it->second;
}

void Form::UpdateToolTip(Control& control) {
    TTTOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;  // the size comctl32 before XP (Windows 2000, 98, Me) accepts
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(control.hwnd_);
    ti.lpszText = const_cast<wchar_t*>(control.toolTip_.c_str());
    TTTOOLINFOW probe = ti;
    probe.lpszText = nullptr;
    const bool known = SendMessageW(toolTips_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)) != 0;
    SendMessageW(toolTips_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT CALLBACK Form::TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const WNDPROC own = control ? control->editProc_ : reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    const LRESULT result = CallWindowProcW(own, hwnd, msg, wParam, lParam);
    if (msg == WM_LBUTTONDBLCLK && control && control->form_) control->form_->OnDblClick(*control);
    return result;
}

LRESULT Form::OnCtlColor(HDC dc, HWND child) {
    Control* c = FindControl(child);
    if (c && c->def_.kind == ControlKind::Line) {
        const int index = c->def_.textColor;
        auto it = lineBrushes_.find(index);
        if (it == lineBrushes_.end()) it = lineBrushes_.emplace(index, CreateSolidBrush(GetSysColor(index))).first;
        return reinterpret_cast<LRESULT>(it->second);
    }
    COLORREF color = GetSysColor(COLOR_BTNTEXT);
    if (c && c->foreColor_ != CLR_INVALID)
        color = c->foreColor_;
    else if (c && c->def_.textColor >= 0)
        color = GetSysColor(c->def_.textColor);
    SetTextColor(dc, color);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

bool Form::OnSetCursor(HWND child) {
    Control* c = FindControl(child);
    if (!c) return false;
    if (c->mousePointer_ == kPointerCustom && handCursor_) {
        SetCursor(handCursor_);
        return true;
    }
    if (c->mousePointer_ == kPointerArrow) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return true;
    }
    return false;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (lParam == 0) {
            if (HIWORD(wParam) == 0) OnMenu(LOWORD(wParam));
        } else if (Control* c = FindControl(reinterpret_cast<HWND>(lParam))) {
            OnCommand(*c, HIWORD(wParam));
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Control* c = item->CtlType == ODT_MENU ? nullptr : FindControl(item->hwndItem);
        if (c && OnDrawItem(*c, *item)) return TRUE;
        break;
    }
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void InitControls() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
}

void RunMessages(HWND window) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace platform
