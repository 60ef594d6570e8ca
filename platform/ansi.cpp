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

std::string TakeUntilNul(const char* buffer, std::size_t size) {
    const void* nul = std::memchr(buffer, '\0', size);
    return std::string(buffer, nul ? static_cast<const char*>(nul) - buffer : size);
}

std::wstring Utf8ToWide(const char* utf8) {
    return MultiToWide(CP_UTF8, utf8, static_cast<int>(std::strlen(utf8)));
}

}  // namespace platform
