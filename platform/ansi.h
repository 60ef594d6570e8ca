// Conversions between the program's Unicode text and the system's ANSI code page.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Lenient: what the code page cannot hold becomes its default character. For texts handed to
// the system's ANSI calls, which would do the same.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& bytes);

// Strict: false when a byte sequence is not valid in the code page, or a character has no
// exact form in it (no best fit, no default character). For what is written to files that
// other programs read back (archive member names, the backup information file).
bool AnsiToWide(const std::string& bytes, std::wstring& out);
bool WideToAnsi(const std::wstring& text, std::string& out);

// The text before the first NUL of a fixed platform buffer; the whole buffer when it holds none.
std::string TakeUntilNul(const char* buffer, std::size_t size);

// UTF-8 source literals to wide text, for captions and messages.
std::wstring Utf8ToWide(const char* utf8);

}  // namespace platform
