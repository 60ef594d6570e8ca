// Windows ANSI code pages to UTF-8: Outlook Express keeps folder names, and the address book its
// 8-bit strings, in the code page of the system that wrote them (932 or 1252 for our users).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mailtext/utf.h"

namespace mailtext {

// The code pages ToUtf8 reads: 932 (Japanese, Shift_JIS as Windows has it), 1252 (Western),
// 20127 (US-ASCII), 28591 (ISO 8859-1) and 65001 (UTF-8).
bool IsSupportedCodePage(unsigned cp);

// Decodes `bytes` in code page `cp`. A byte or pair with no character becomes U+FFFD and sets
// *exact to false (left alone otherwise). In 1252 the five undefined bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) are such; in 932 so are single bytes 0x80, 0xA0 and 0xFD-0xFF (Windows gives them
// U+0080 and private-use characters, none of them text), a lead byte without a valid trail byte
// and an unassigned pair (one U+FFFD; a trail byte below 0x80 is then read again on its own, so a
// stray lead byte cannot swallow a delimiter); the user-defined area 0xF040-0xF9FC gives
// U+E000-U+E757 as on Windows. In 20127, and in a code page not
// supported, every 8-bit byte is such a byte.
std::string ToUtf8(std::string_view bytes, unsigned cp, bool* exact = nullptr);

// True when `b` starts a double-byte character in `cp`: 0x81-0x9F and 0xE0-0xFC in 932; never in
// the other code pages.
bool IsLeadByte(unsigned cp, unsigned char b);

// Guesses the ANSI code page of strings from one system (folder names, address book entries).
// 932 when, over all samples together:
//   - every non-ASCII byte is either a half-width katakana (0xA1-0xDF) or in an assigned,
//     non-user-defined Shift_JIS pair, and there is at least one pair; and
//   - read as 1252, at least half of the non-ASCII bytes fall in 0x80-0xBF (punctuation, symbols
//     and undefined bytes there), where Western names have accented letters (0xC0-0xFF). Kana
//     and most kanji have lead bytes 0x81-0x9F, so Japanese names pass easily.
// Otherwise 1252, which is also the answer for plain ASCII or no samples.
// `systemCodePage` is that of the Windows reading them (0 where there is none): a Japanese
// Windows (932) keeps 932 unless a sample is not Shift_JIS, since its user most likely made the
// backup on one like it, and its names and unlabelled subjects are Japanese even when ASCII.
unsigned GuessCodePage(const std::vector<std::string_view>& samples, unsigned systemCodePage = 0);

}  // namespace mailtext
