#include "profile/system_probes.h"

#include "platform/module_ini.h"
#include "platform/path_text.h"

namespace Module_ini {
namespace {

constexpr wchar_t kNtKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kNineXKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr wchar_t kIeKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";

std::wstring MachineValue(const wchar_t* key, const wchar_t* name) {
    return RegReadString(platform::kHkeyLocalMachine, key, name);
}

}  // namespace

std::wstring GetOsVersionText() {
    if (PathText::IsWindowsNT())
        return MachineValue(kNtKey, L"ProductName") + L" build " + MachineValue(kNtKey, L"CurrentBuildNumber");
    return MachineValue(kNineXKey, L"ProductName") + L" build " + MachineValue(kNineXKey, L"VersionNumber") +
           MachineValue(kNineXKey, L"SubVersionNumber");
}

std::wstring GetIeVersionText() { return MachineValue(kIeKey, L"Version"); }

}  // namespace Module_ini
