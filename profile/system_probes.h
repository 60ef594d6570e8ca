// The Windows and Internet Explorer version texts the main window shows at start-up.
#pragma once

#include <string>

namespace Module_ini {

// NT family: "<ProductName> build <CurrentBuildNumber>" from the key
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion. 9x family (or a failing version query):
// "<ProductName> build <VersionNumber><SubVersionNumber>" from the key
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion, the last two joined without a separator,
// their own spacing kept. Each unreadable part is "err".
std::wstring GetOsVersionText();

// The "Version" value of HKLM\SOFTWARE\Microsoft\Internet Explorer, or "err".
std::wstring GetIeVersionText();

}  // namespace Module_ini
