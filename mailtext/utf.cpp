// UTF-8 reading and writing, after the table of well-formed byte sequences in Unicode's
// chapter 3 (D92, Table 3-7).
#include "mailtext/utf.h"

namespace mailtext {

void AppendUtf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacementChar;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

Utf8Char ReadUtf8(std::string_view text, std::size_t pos) {
    const unsigned b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) return {b0, 1, true};
    // Continuation bytes needed, and the range allowed for the first of them: the narrow ranges
    // after E0, ED, F0 and F4 shut out overlong forms, surrogates and values past U+10FFFF.
    std::size_t need = 0;
    unsigned lo = 0x80, hi = 0xBF;
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1, c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2, c = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3, c = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return {kReplacementChar, 1, false};
    }
    std::size_t length = 1;
    for (std::size_t i = 0; i < need; ++i) {
        if (pos + length >= text.size()) return {kReplacementChar, length, false};
        const unsigned b = static_cast<unsigned char>(text[pos + length]);
        if (b < lo || b > hi) return {kReplacementChar, length, false};
        c = (c << 6) | (b & 0x3F);
        ++length;
        lo = 0x80, hi = 0xBF;
    }
    return {c, length, true};
}

bool IsWellFormedUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char ch = ReadUtf8(text, pos);
        if (!ch.ok) return false;
        pos += ch.length;
    }
    return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Utf8Char ch = ReadUtf8(utf8, pos);
        pos += ch.length;
        if (ch.value < 0x10000) {
            out += static_cast<char16_t>(ch.value);
        } else {
            const char32_t v = ch.value - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);  // a lone surrogate comes out as U+FFFD
        }
    }
    return out;
}

}  // namespace mailtext
