// The console on Windows: arguments from the wide command line (any name on NT, the ANSI code
// page's on 98 and Me), text to a console in full Unicode on NT and in the console's code page
// otherwise (98 and Me, or output sent to a file or pipe).
#include "qbmail/console.h"

#include "mailtext/utf.h"

#include <windows.h>

namespace qbmail {

namespace {

std::atomic<bool>* g_stop = nullptr;

BOOL WINAPI OnControl(DWORD) {
    if (g_stop) *g_stop = true;
    return TRUE;  // the export stops at the next message and cleans up after itself
}

std::wstring Wide(std::string_view utf8) {
    const std::u16string u = mailtext::Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}

std::string Utf8(const std::wstring& w) { return mailtext::Utf16ToUtf8(std::u16string(w.begin(), w.end())); }

// WriteConsoleW is a stub on 98 and Me, so it is looked up only where it works.
using WriteConsoleWFn = BOOL(WINAPI*)(HANDLE, const void*, DWORD, DWORD*, void*);
WriteConsoleWFn ConsoleWriter() {
    if (GetVersion() & 0x80000000u) return nullptr;
    return reinterpret_cast<WriteConsoleWFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "WriteConsoleW")));
}

void Write(DWORD which, std::string_view utf8) {
    HANDLE h = GetStdHandle(which);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return;
    std::wstring text;
    // Line breaks as the console and Notepad expect them.
    for (wchar_t c : Wide(utf8)) {
        if (c == L'\n') text += L'\r';
        text += c;
    }
    DWORD mode = 0, done = 0;
    static const WriteConsoleWFn writeW = ConsoleWriter();
    if (GetConsoleMode(h, &mode) && writeW) {
        writeW(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        return;
    }
    const UINT cp = GetConsoleOutputCP() ? GetConsoleOutputCP() : GetOEMCP();
    const int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

}  // namespace

// The command line split as the C runtime splits it: blanks between arguments, double quotes
// group, backslashes are literal unless they come before a quote (2n+1 of them give n and a
// quote, 2n give n and open or close a group).
std::vector<std::string> Arguments(int, char**) {
    const wchar_t* p = GetCommandLineW();
    std::vector<std::string> args;
    bool first = true;
    while (p && *p) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) break;
        std::wstring arg;
        bool quoted = false;
        if (first) {
            // The program's own name: quotes only group, backslashes stay.
            for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p)
                if (*p == L'"') quoted = !quoted;
                else arg += *p;
            first = false;
            continue;
        }
        for (; *p && (quoted || (*p != L' ' && *p != L'\t'));) {
            std::size_t slashes = 0;
            while (*p == L'\\') ++slashes, ++p;
            if (*p == L'"') {
                arg.append(slashes / 2, L'\\');
                if (slashes % 2) {
                    arg += L'"';
                } else if (quoted && p[1] == L'"') {
                    arg += L'"';  // "" inside quotes is a quote, as the runtime reads it
                    ++p;
                } else {
                    quoted = !quoted;
                }
                ++p;
            } else {
                arg.append(slashes, L'\\');
                if (*p && (quoted || (*p != L' ' && *p != L'\t'))) arg += *p++;
            }
        }
        args.push_back(Utf8(arg));
    }
    return args;
}

void Out(std::string_view utf8) { Write(STD_OUTPUT_HANDLE, utf8); }
void Err(std::string_view utf8) { Write(STD_ERROR_HANDLE, utf8); }

void CatchInterrupt(std::atomic<bool>& stop) {
    g_stop = &stop;
    SetConsoleCtrlHandler(OnControl, TRUE);
}

}  // namespace qbmail
