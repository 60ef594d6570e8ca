// UTF-8 and UTF-16: the pieces every decoder here shares, and the conversions the Windows
// file-name layer needs. Ill-formed input never stops a conversion: it becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mailtext {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Appends the UTF-8 form of `c`; a surrogate or a value past U+10FFFF appends U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

struct Utf8Char {
    char32_t value;      // U+FFFD when !ok
    std::size_t length;  // bytes read, at least 1
    bool ok;
};

// Reads the UTF-8 sequence at text[pos] (pos < text.size()). An ill-formed sequence (overlong,
// surrogate, past U+10FFFF, cut short) reads as U+FFFD over its longest well-formed prefix, at
// least one byte, so each maximal ill-formed subsequence gives one U+FFFD.
Utf8Char ReadUtf8(std::string_view text, std::size_t pos);

// True when all of `text` is well-formed UTF-8 (so plain ASCII is too).
bool IsWellFormedUtf8(std::string_view text);

// UTF-8 to UTF-16; ill-formed subsequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace mailtext
