// user32's wide functions over the ANSI ones. Every window made on the 9x family is an ANSI
// window, so messages that carry text are converted on their way in and out.
#include "compat9x/compat9x.h"
#include "compat9x/nine.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace compat9x::nine {
namespace {

LOGFONTA NarrowFont(const LOGFONTW& w) {
    LOGFONTA a = {};
    std::memcpy(&a, &w, offsetof(LOGFONTA, lfFaceName));  // the same numbers, then the name
    const std::string face = Narrow(w.lfFaceName);
    lstrcpynA(a.lfFaceName, face.c_str(), LF_FACESIZE);
    return a;
}

LOGFONTW WidenFont(const LOGFONTA& a) {
    LOGFONTW w = {};
    std::memcpy(&w, &a, offsetof(LOGFONTW, lfFaceName));
    CopyOut(Widen(a.lfFaceName), w.lfFaceName, LF_FACESIZE);
    return w;
}

// A list or combo box that keeps item data rather than strings: its "strings" are numbers.
bool KeepsStrings(HWND box, bool combo) {
    const LONG style = GetWindowLongA(box, GWL_STYLE);
    const LONG ownerDrawn = combo ? CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE;
    const LONG hasStrings = combo ? CBS_HASSTRINGS : LBS_HASSTRINGS;
    return !(style & ownerDrawn) || (style & hasStrings);
}

// An item's text read through the ANSI message pair: its wide length, or the box's error.
LRESULT ReadItem(HWND box, UINT lenMsg, UINT textMsg, WPARAM index, std::wstring& wide) {
    const LRESULT bytes = SendMessageA(box, lenMsg, index, 0);
    if (bytes < 0) return bytes;
    std::string text(static_cast<std::size_t>(bytes) + 1, '\0');
    const LRESULT got = SendMessageA(box, textMsg, index, reinterpret_cast<LPARAM>(text.data()));
    if (got < 0) return got;
    wide = Widen(text.c_str(), static_cast<int>(got));
    return static_cast<LRESULT>(wide.size());
}

LRESULT ItemLength(HWND box, UINT lenMsg, UINT textMsg, WPARAM index) {
    std::wstring wide;
    return ReadItem(box, lenMsg, textMsg, index, wide);
}

LRESULT ItemText(HWND box, UINT lenMsg, UINT textMsg, WPARAM index, LPARAM out) {
    std::wstring wide;
    const LRESULT length = ReadItem(box, lenMsg, textMsg, index, wide);
    // The caller sized its buffer by the length message, which gave the wide length.
    if (length >= 0) CopyOut(wide, reinterpret_cast<LPWSTR>(out), static_cast<int>(length) + 1);
    return length;
}

// A tool record with its text narrowed; `text` keeps the narrowed text alive.
TTTOOLINFOA NarrowTool(const TTTOOLINFOW& w, std::string& text) {
    TTTOOLINFOA a = {};
    a.cbSize = TTTOOLINFOA_V2_SIZE;  // the size comctl32 before XP accepts
    a.uFlags = w.uFlags;
    a.hwnd = w.hwnd;
    a.uId = w.uId;
    a.rect = w.rect;
    a.hinst = w.hinst;
    a.lParam = w.lParam;
    if (w.lpszText == LPSTR_TEXTCALLBACKW || IS_INTRESOURCE(w.lpszText)) {
        a.lpszText = reinterpret_cast<LPSTR>(w.lpszText);
    } else {
        text = Narrow(w.lpszText);
        a.lpszText = const_cast<LPSTR>(text.c_str());
    }
    return a;
}

// A window's text; its wide length is what the ANSI length (in bytes) only bounds.
std::wstring WindowText(HWND hwnd) {
    const int bytes = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(bytes) + 1, '\0');
    const int got = GetWindowTextA(hwnd, text.data(), bytes + 1);
    return Widen(text.c_str(), got);
}

LRESULT SendText(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const std::string text = Narrow(reinterpret_cast<LPCWSTR>(lParam));
    return SendMessageA(hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
    WNDCLASSEXA a = {};
    a.cbSize = sizeof a;
    a.style = wc->style;
    a.lpfnWndProc = wc->lpfnWndProc;
    a.cbClsExtra = wc->cbClsExtra;
    a.cbWndExtra = wc->cbWndExtra;
    a.hInstance = wc->hInstance;
    a.hIcon = wc->hIcon;
    a.hCursor = wc->hCursor;
    a.hbrBackground = wc->hbrBackground;
    a.hIconSm = wc->hIconSm;
    const AnsiArg menu(wc->lpszMenuName), name(wc->lpszClassName);
    a.lpszMenuName = menu;
    a.lpszClassName = name;
    return RegisterClassExA(&a);
}

BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR name, LPWNDCLASSEXW wc) {
    WNDCLASSEXA a = {};
    a.cbSize = sizeof a;
    if (!GetClassInfoExA(instance, AnsiArg(name), &a)) return FALSE;
    wc->style = a.style;
    wc->lpfnWndProc = a.lpfnWndProc;
    wc->cbClsExtra = a.cbClsExtra;
    wc->cbWndExtra = a.cbWndExtra;
    wc->hInstance = a.hInstance;
    wc->hIcon = a.hIcon;
    wc->hCursor = a.hCursor;
    wc->hbrBackground = a.hbrBackground;
    wc->hIconSm = a.hIconSm;
    wc->lpszMenuName = IS_INTRESOURCE(a.lpszMenuName) ? reinterpret_cast<LPCWSTR>(a.lpszMenuName) : nullptr;
    wc->lpszClassName = name;
    return TRUE;
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return CreateWindowExA(exStyle, AnsiArg(className), windowName ? AnsiArg(windowName).get() : nullptr, style, x, y,
                           width, height, parent, menu, instance, param);
}

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(proc, hwnd, msg, wParam, lParam);
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) { return GetWindowLongA(hwnd, index); }

LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) { return SetWindowLongA(hwnd, index, value); }

DWORD WINAPI GetClassLongW(HWND hwnd, int index) { return GetClassLongA(hwnd, index); }

int WINAPI GetClassNameW(HWND hwnd, LPWSTR buffer, int size) {
    char name[256];
    const int n = GetClassNameA(hwnd, name, sizeof name);
    return n == 0 ? 0 : CopyOut(Widen(name, n), buffer, size);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    return DialogBoxParamA(instance, AnsiArg(name), parent, proc, param);
}

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last) { return GetMessageA(msg, hwnd, first, last); }

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    return PeekMessageA(msg, hwnd, first, last, remove);
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) { return DispatchMessageA(msg); }

BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG msg) { return IsDialogMessageA(dialog, msg); }

LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETTEXT:
        case EM_REPLACESEL:
            return SendText(hwnd, msg, wParam, lParam);
        case WM_GETTEXT: {
            if (wParam == 0) return 0;
            const int size = GetWindowTextLengthA(hwnd) + 1;
            std::string text(static_cast<std::size_t>(size), '\0');
            const LRESULT got = SendMessageA(hwnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text.data()));
            return CopyOut(Widen(text.c_str(), static_cast<int>(got)), reinterpret_cast<LPWSTR>(lParam),
                           static_cast<int>(wParam));
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(WindowText(hwnd).size());
        case LB_ADDSTRING:
        case LB_INSERTSTRING:
        case LB_FINDSTRING:
        case LB_FINDSTRINGEXACT:
        case LB_SELECTSTRING:
            return KeepsStrings(hwnd, false) ? SendText(hwnd, msg, wParam, lParam) : SendMessageA(hwnd, msg, wParam, lParam);
        case CB_ADDSTRING:
        case CB_INSERTSTRING:
        case CB_FINDSTRING:
        case CB_FINDSTRINGEXACT:
        case CB_SELECTSTRING:
            return KeepsStrings(hwnd, true) ? SendText(hwnd, msg, wParam, lParam) : SendMessageA(hwnd, msg, wParam, lParam);
        case LB_DIR:
        case CB_DIR:
            return SendText(hwnd, msg, wParam, lParam);
        case LB_GETTEXTLEN:
            return KeepsStrings(hwnd, false) ? ItemLength(hwnd, LB_GETTEXTLEN, LB_GETTEXT, wParam)
                                             : SendMessageA(hwnd, msg, wParam, lParam);
        case LB_GETTEXT:
            return KeepsStrings(hwnd, false) ? ItemText(hwnd, LB_GETTEXTLEN, LB_GETTEXT, wParam, lParam)
                                             : SendMessageA(hwnd, msg, wParam, lParam);
        case CB_GETLBTEXTLEN:
            return KeepsStrings(hwnd, true) ? ItemLength(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, wParam)
                                            : SendMessageA(hwnd, msg, wParam, lParam);
        case CB_GETLBTEXT:
            return KeepsStrings(hwnd, true) ? ItemText(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, wParam, lParam)
                                            : SendMessageA(hwnd, msg, wParam, lParam);
        case TTM_ADDTOOLW:
        case TTM_UPDATETIPTEXTW:
        case TTM_SETTOOLINFOW:
        case TTM_DELTOOLW: {
            std::string text;
            TTTOOLINFOA a = NarrowTool(*reinterpret_cast<const TTTOOLINFOW*>(lParam), text);
            const UINT narrow = msg == TTM_ADDTOOLW         ? TTM_ADDTOOLA
                                : msg == TTM_UPDATETIPTEXTW ? TTM_UPDATETIPTEXTA
                                : msg == TTM_SETTOOLINFOW   ? TTM_SETTOOLINFOA
                                                            : TTM_DELTOOLA;
            return SendMessageA(hwnd, narrow, wParam, reinterpret_cast<LPARAM>(&a));
        }
        case TTM_GETTOOLINFOW: {
            auto* w = reinterpret_cast<TTTOOLINFOW*>(lParam);
            TTTOOLINFOW key = *w;
            key.lpszText = nullptr;  // the caller's buffer is for the answer, not read
            std::string ignored;
            TTTOOLINFOA a = NarrowTool(key, ignored);
            char text[1024] = {};
            a.lpszText = w->lpszText ? text : nullptr;
            const LRESULT found = SendMessageA(hwnd, TTM_GETTOOLINFOA, wParam, reinterpret_cast<LPARAM>(&a));
            if (found) {
                w->uFlags = a.uFlags;
                w->rect = a.rect;
                w->hinst = a.hinst;
                w->lParam = a.lParam;
                if (w->lpszText) CopyOut(Widen(text), w->lpszText, 80);  // the size the system assumes
            }
            return found;
        }
        case BFFM_SETSELECTIONW:
            return wParam ? SendText(hwnd, BFFM_SETSELECTIONA, wParam, lParam)
                          : SendMessageA(hwnd, BFFM_SETSELECTIONA, wParam, lParam);
        case BFFM_SETSTATUSTEXTW:
            return SendText(hwnd, BFFM_SETSTATUSTEXTA, wParam, lParam);
        default:
            return SendMessageA(hwnd, msg, wParam, lParam);
    }
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    return nine::SendMessageW(GetDlgItem(dialog, id), msg, wParam, lParam);
}

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) { return SetWindowTextA(hwnd, AnsiArg(text)); }

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR buffer, int size) { return CopyOut(WindowText(hwnd), buffer, size); }

int WINAPI GetWindowTextLengthW(HWND hwnd) { return static_cast<int>(WindowText(hwnd).size()); }

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) { return SetDlgItemTextA(dialog, id, AnsiArg(text)); }

BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR item) {
    const bool text = !(flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR));
    return AppendMenuA(menu, flags, id, text ? AnsiArg(item).get() : reinterpret_cast<LPCSTR>(item));
}

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) { return LoadCursorA(instance, AnsiArg(name)); }

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) { return LoadIconA(instance, AnsiArg(name)); }

int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    const std::string narrow = Narrow(text, count);
    return DrawTextA(dc, narrow.c_str(), static_cast<int>(narrow.size()), rect, format & ~DT_MODIFYSTRING);
}

// Letters upper-cased as NT does for the ones that matter here: ASCII, full-width a to z, and
// each other character the code page holds in one byte, through the ANSI call. A double-byte
// character is left alone: its trail byte may look like a lower-case letter.
DWORD WINAPI CharUpperBuffW(LPWSTR text, DWORD length) {
    for (DWORD i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if (c < 0x80 || (c >= 0xFF41 && c <= 0xFF5A)) {
            if ((c >= L'a' && c <= L'z') || c >= 0xFF41) text[i] = static_cast<wchar_t>(c - 0x20);
            continue;
        }
        bool exact = false;
        std::string bytes = Narrow(&c, 1, &exact);
        if (!exact || bytes.size() != 1) continue;
        CharUpperBuffA(bytes.data(), static_cast<DWORD>(bytes.size()));
        const std::wstring upper = Widen(bytes.c_str(), static_cast<int>(bytes.size()));
        if (upper.size() == 1) text[i] = upper[0];
    }
    return length;
}

// The size 98 and Me know in the build that runs there; a later WINVER adds a field they refuse.
#if WINVER < 0x0600
static_assert(sizeof(NONCLIENTMETRICSA) == 340 && sizeof(NONCLIENTMETRICSW) == 500);
#endif

BOOL WINAPI SystemParametersInfoW(UINT action, UINT param, PVOID value, UINT winIni) {
    if (action != SPI_GETNONCLIENTMETRICS) return SystemParametersInfoA(action, param, value, winIni);
    NONCLIENTMETRICSA a = {};
    a.cbSize = sizeof a;
    if (!SystemParametersInfoA(action, sizeof a, &a, winIni)) return FALSE;
    auto* w = static_cast<NONCLIENTMETRICSW*>(value);
    w->iBorderWidth = a.iBorderWidth;
    w->iScrollWidth = a.iScrollWidth;
    w->iScrollHeight = a.iScrollHeight;
    w->iCaptionWidth = a.iCaptionWidth;
    w->iCaptionHeight = a.iCaptionHeight;
    w->lfCaptionFont = WidenFont(a.lfCaptionFont);
    w->iSmCaptionWidth = a.iSmCaptionWidth;
    w->iSmCaptionHeight = a.iSmCaptionHeight;
    w->lfSmCaptionFont = WidenFont(a.lfSmCaptionFont);
    w->iMenuWidth = a.iMenuWidth;
    w->iMenuHeight = a.iMenuHeight;
    w->lfMenuFont = WidenFont(a.lfMenuFont);
    w->lfStatusFont = WidenFont(a.lfStatusFont);
    w->lfMessageFont = WidenFont(a.lfMessageFont);
    return TRUE;
}

// Not in 98. A process the foreground process starts may take the foreground there, which is
// all the about box needs.
BOOL WINAPI AllowSetForegroundWindow(DWORD) { return TRUE; }

// gdi32, here for the font conversions it shares.

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font) {
    const LOGFONTA a = NarrowFont(*font);
    return CreateFontIndirectA(&a);
}

HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
    return CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                       outPrecision, clipPrecision, quality, pitchAndFamily, AnsiArg(face));
}

int WINAPI GetObjectW(HANDLE object, int size, LPVOID buffer) {
    if (GetObjectType(object) != OBJ_FONT) return GetObjectA(object, size, buffer);  // no text in the others
    LOGFONTA a = {};
    if (!GetObjectA(object, sizeof a, &a)) return 0;
    if (!buffer) return sizeof(LOGFONTW);
    const LOGFONTW w = WidenFont(a);
    const int n = size < static_cast<int>(sizeof w) ? size : static_cast<int>(sizeof w);
    std::memcpy(buffer, &w, static_cast<std::size_t>(n));
    return n;
}

BOOL WINAPI GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) {
    TEXTMETRICA a = {};
    if (!GetTextMetricsA(dc, &a)) return FALSE;
    metrics->tmHeight = a.tmHeight;
    metrics->tmAscent = a.tmAscent;
    metrics->tmDescent = a.tmDescent;
    metrics->tmInternalLeading = a.tmInternalLeading;
    metrics->tmExternalLeading = a.tmExternalLeading;
    metrics->tmAveCharWidth = a.tmAveCharWidth;
    metrics->tmMaxCharWidth = a.tmMaxCharWidth;
    metrics->tmWeight = a.tmWeight;
    metrics->tmOverhang = a.tmOverhang;
    metrics->tmDigitizedAspectX = a.tmDigitizedAspectX;
    metrics->tmDigitizedAspectY = a.tmDigitizedAspectY;
    metrics->tmFirstChar = static_cast<unsigned char>(a.tmFirstChar);
    metrics->tmLastChar = static_cast<unsigned char>(a.tmLastChar);
    metrics->tmDefaultChar = static_cast<unsigned char>(a.tmDefaultChar);
    metrics->tmBreakChar = static_cast<unsigned char>(a.tmBreakChar);
    metrics->tmItalic = a.tmItalic;
    metrics->tmUnderlined = a.tmUnderlined;
    metrics->tmStruckOut = a.tmStruckOut;
    metrics->tmPitchAndFamily = a.tmPitchAndFamily;
    metrics->tmCharSet = a.tmCharSet;
    return TRUE;
}

}  // namespace compat9x::nine
