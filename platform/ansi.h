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

// Which bytes of a code page start a two-byte character, so that a trail byte equal to '\' or
// '"' (0x5C ends the Shift-JIS form of 表) is never taken for one. None for single-byte code
// pages and UTF-8, whose multi-byte characters hold no ASCII bytes.
class LeadBytes {
public:
    explicit LeadBytes(unsigned codePage);
    bool operator()(char b) const { return lead_[static_cast<unsigned char>(b)]; }

private:
    bool lead_[256] = {};
};

// The text before the first NUL of a fixed platform buffer; the whole buffer when it holds none.
std::string TakeUntilNul(const char* buffer, std::size_t size);

// UTF-8 source literals to wide text, for captions and messages.
std::wstring Utf8ToWide(const char* utf8);

}  // namespace platform
