// Single-byte and Shift_JIS decoding for the ANSI code pages, and the code page guess.
#include "mailtext/codepage.h"

#include "mailtext/tables.h"

namespace mailtext {
namespace {

void Decode1252(std::string_view bytes, std::string& out, bool& exact) {
    for (const char ch : bytes) {
        char32_t c = Cp1252Char(static_cast<unsigned char>(ch));
        if (c == 0 && ch != 0) {
            c = kReplacementChar;
            exact = false;
        }
        AppendUtf8(out, c);
    }
}

struct Char932 {
    char32_t value;
    std::size_t length;  // bytes read, at least 1
    bool ok;             // false for a byte or pair with no character
};

// Reads the character at bytes[pos] (pos < bytes.size()) as code page 932.
Char932 Read932(std::string_view bytes, std::size_t pos) {
    const unsigned b = static_cast<unsigned char>(bytes[pos]);
    if (b < 0x80) return {b, 1, true};
    if (b >= 0xA1 && b <= 0xDF) return {0xFF61 + (b - 0xA1), 1, true};
    if (!IsCp932Lead(b) || pos + 1 >= bytes.size()) return {0, 1, false};
    const unsigned trail = static_cast<unsigned char>(bytes[pos + 1]);
    if (!IsCp932Trail(trail)) return {0, 1, false};
    const char32_t c = Cp932Char(b, trail);
    if (c != 0) return {c, 2, true};
    // An unassigned pair with an ASCII trail gives that byte back to be read on its own, so a
    // broken lead byte does not swallow the delimiter after it.
    return {0, trail >= 0x80 ? 2u : 1u, false};
}

void Decode932(std::string_view bytes, std::string& out, bool& exact) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Char932 ch = Read932(bytes, pos);
        if (!ch.ok) exact = false;
        AppendUtf8(out, ch.ok ? ch.value : kReplacementChar);
        pos += ch.length;
    }
}

void DecodeUtf8(std::string_view bytes, std::string& out, bool& exact) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Utf8Char ch = ReadUtf8(bytes, pos);
        if (!ch.ok) exact = false;
        AppendUtf8(out, ch.value);
        pos += ch.length;
    }
}

}  // namespace

bool IsSupportedCodePage(unsigned cp) { return cp == 932 || cp == 1252 || cp == 20127 || cp == 28591 || cp == 65001; }

std::string ToUtf8(std::string_view bytes, unsigned cp, bool* exact) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    bool allDecoded = true;
    switch (cp) {
    case 932: Decode932(bytes, out, allDecoded); break;
    case 1252: Decode1252(bytes, out, allDecoded); break;
    case 65001: DecodeUtf8(bytes, out, allDecoded); break;
    case 28591:
        for (const char ch : bytes) AppendUtf8(out, static_cast<unsigned char>(ch));
        break;
    default:  // 20127, and the code pages we cannot read: ASCII only
        for (const char ch : bytes) {
            const bool ascii = static_cast<unsigned char>(ch) < 0x80;
            AppendUtf8(out, ascii ? static_cast<char32_t>(ch) : kReplacementChar);
            allDecoded = allDecoded && ascii;
        }
        break;
    }
    if (exact && !allDecoded) *exact = false;
    return out;
}

bool IsLeadByte(unsigned cp, unsigned char b) { return cp == 932 && IsCp932Lead(b); }

unsigned GuessCodePage(const std::vector<std::string_view>& samples, unsigned systemCodePage) {
    std::size_t highBytes = 0, lowHighBytes = 0, pairs = 0;
    bool shiftJis = true;
    for (const std::string_view s : samples) {
        for (std::size_t pos = 0; pos < s.size();) {
            const unsigned b = static_cast<unsigned char>(s[pos]);
            std::size_t length = 1;
            if (b >= 0x80) {
                // User-defined characters are valid 932 but never in real names, and Western
                // letters such as "ö" (0xF6) followed by a letter would otherwise read as them.
                const Char932 ch = Read932(s, pos);
                length = ch.length;
                if (!ch.ok || IsCp932UserDefinedLead(b)) shiftJis = false;
                if (length == 2) ++pairs;
                for (std::size_t i = pos; i < pos + length; ++i) {
                    const unsigned h = static_cast<unsigned char>(s[i]);
                    if (h >= 0x80) ++highBytes;
                    if (h >= 0x80 && h <= 0xBF) ++lowHighBytes;
                }
            }
            pos += length;
        }
    }
    if (!shiftJis) return 1252;
    if (systemCodePage == 932) return 932;
    if (pairs == 0) return 1252;
    return lowHighBytes * 2 >= highBytes ? 932 : 1252;
}

}  // namespace mailtext
