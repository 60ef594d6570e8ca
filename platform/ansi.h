// Conversions between the program's Unicode text and the system's ANSI code page.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& bytes);

// The text before the first NUL of a fixed platform buffer; the whole buffer when it holds none.
std::string TakeUntilNul(const char* buffer, std::size_t size);

// UTF-8 source literals to wide text, for captions and messages.
std::wstring Utf8ToWide(const char* utf8);

}  // namespace platform
