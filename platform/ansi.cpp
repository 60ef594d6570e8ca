#include "platform/ansi.h"

#include <windows.h>

#include <cstring>

namespace platform {
namespace {

std::wstring MultiToWide(UINT codePage, const char* bytes, int size) {
    if (size <= 0) return {};
    int n = MultiByteToWideChar(codePage, 0, bytes, size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, size, out.data(), n);
    return out;
}

}  // namespace

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(const std::string& bytes) {
    return MultiToWide(CP_ACP, bytes.data(), static_cast<int>(bytes.size()));
}

bool AnsiToWide(const std::string& bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n) == n;
}

bool WideToAnsi(const std::wstring& text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    // No best fit ("Ā" as "A"); 98 and Me do not know the flag and refuse the call, and there the
    // round trip below catches a best fit.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        n = WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    }
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_ACP, flags, text.data(), size, out.data(), n, nullptr, &usedDefault);
    if (usedDefault) return false;
    // Code pages without a default-char check (UTF-8 ACP): the round trip must be exact.
    std::wstring back;
    return AnsiToWide(out, back) && back == text;
}

LeadBytes::LeadBytes(unsigned codePage) {
    CPINFO info = {};
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize != 2) return;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead_[b] = true;
}

std::string TakeUntilNul(const char* buffer, std::size_t size) {
    const void* nul = std::memchr(buffer, '\0', size);
    return std::string(buffer, nul ? static_cast<const char*>(nul) - buffer : size);
}

std::wstring Utf8ToWide(const char* utf8) {
    return MultiToWide(CP_UTF8, utf8, static_cast<int>(std::strlen(utf8)));
}

}  // namespace platform
