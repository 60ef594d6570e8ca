// Member name conversion and extraction-safety checks.
#include "unlha32/member_path.h"

#include <windows.h>

#include <cwctype>

namespace unlha {
namespace {

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
}

bool SafeComponent(const std::wstring& c) {
    if (c.empty() || c == L"." || c == L"..") return false;
    if (c.back() == L'.' || c.back() == L' ') return false;
    for (wchar_t ch : c)
        if (ch < 0x20 || ch == L':' || ch == L'*' || ch == L'?' || ch == L'"' || ch == L'<' || ch == L'>' ||
            ch == L'|')
            return false;
    return !IsDeviceName(c);
}

}  // namespace

bool IsDeviceName(const std::wstring& component) {
    std::wstring base = Upper(component.substr(0, component.find(L'.')));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    static const wchar_t* const kNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* n : kNames)
        if (base == n) return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0))
        return base[3] >= L'0' && base[3] <= L'9';
    return false;
}

NameProblem MemberToRelative(const std::string& member, std::wstring& relative) {
    relative.clear();
    std::wstring wide;
    if (!AnsiToWide(member, wide)) return NameProblem::NotAnsi;
    if (wide.empty()) return NameProblem::Unsafe;
    std::wstring component;
    for (std::size_t i = 0; i <= wide.size(); ++i) {
        if (i < wide.size() && wide[i] != L'/' && wide[i] != L'\\') {
            component.push_back(wide[i]);
            continue;
        }
        if (!SafeComponent(component)) return NameProblem::Unsafe;
        if (!relative.empty()) relative.push_back(L'\\');
        relative += component;
        component.clear();
    }
    return NameProblem::None;
}

NameProblem RelativeToMember(const std::wstring& relative, std::string& member) {
    std::wstring slashed = relative;
    for (wchar_t& c : slashed)
        if (c == L'\\') c = L'/';
    return WideToAnsi(slashed, member) ? NameProblem::None : NameProblem::NotAnsi;
}

}  // namespace unlha
