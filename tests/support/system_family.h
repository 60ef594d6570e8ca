// What the system under the tests can take. The 32-bit suite runs a second time with Wine
// reporting Windows 98, where text reaches the system through the ANSI code page and paths stop
// at MAX_PATH.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

inline bool On9x() { return (GetVersion() & 0x80000000u) != 0; }

// Whether the system can take `text` as a name or a command line: any text on NT, only what the
// ANSI code page holds on the 9x family.
inline bool SystemTakes(const std::wstring& text) {
    if (!On9x() || text.empty()) return true;
    BOOL lacking = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                        nullptr, &lacking);
    return !lacking;
}

// `path` in the form that reaches past MAX_PATH on NT ("\\?\"); 9x has no such form.
inline std::wstring LongForm(const std::wstring& path) { return On9x() ? path : L"\\\\?\\" + path; }

}  // namespace testsupport
