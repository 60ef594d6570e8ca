// Started by the system probe tests under a per-program Windows version setting, which Wine
// reads at process start: writes what the probes report in this process to the file named by
// its argument (platform id, NT or not, Windows version text in UTF-8), one per line.
#include "platform/path_text.h"
#include "profile/system_probes.h"

#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::ofstream out(argv[1], std::ios::binary);
    out << PathText::GetPlatformId() << '\n'
        << (PathText::IsWindowsNT() ? "NT" : "not NT") << '\n'
        << Utf8(Module_ini::GetOsVersionText()) << '\n';
    return out ? 0 : 1;
}
