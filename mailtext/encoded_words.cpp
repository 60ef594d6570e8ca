// Header text to UTF-8: RFC 2047 encoded-words, and raw 8-bit bytes as UTF-8 or in a fallback
// code page.
#include <vector>

#include "mailtext/ascii.h"
#include "mailtext/charsets.h"
#include "mailtext/codepage.h"
#include "mailtext/header.h"

namespace mailtext {
namespace {

// A piece of header text: plain text, or an encoded-word's charset and decoded bytes.
struct Piece {
    std::string_view raw;  // as written
    std::string charset;   // empty for plain text
    std::string bytes;     // an encoded-word's decoded bytes
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// RFC 2045 6.8 base64; missing "=" padding is forgiven. False for anything else malformed.
bool DecodeB(std::string_view text, std::string& out) {
    while (!text.empty() && text.back() == '=') text.remove_suffix(1);
    if (text.size() % 4 == 1) return false;
    unsigned bits = 0, count = 0;
    for (const char c : text) {
        const int v = Base64Value(c);
        if (v < 0) return false;
        bits = (bits << 6) | static_cast<unsigned>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return true;
}

// RFC 2047 4.2: "_" is a space, "=XX" a byte in hexadecimal (either case).
bool DecodeQ(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            out += ' ';
        } else if (text[i] != '=') {
            out += text[i];
        } else {
            if (i + 2 >= text.size()) return false;
            const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        }
    }
    return true;
}

// Reads an encoded-word starting at text[pos] ("=?"); sets `length` to its size. False when the
// text there is not a well-formed encoded-word.
bool ReadEncodedWord(std::string_view text, std::size_t pos, Piece& word, std::size_t& length) {
    const auto printable = [](char c) { return c > ' ' && c < 0x7F && c != '?'; };
    std::size_t i = pos + 2;
    const std::size_t charsetStart = i;
    while (i < text.size() && printable(text[i])) ++i;
    if (i == charsetStart || i + 2 >= text.size() || text[i] != '?' || text[i + 2] != '?') return false;
    const char encoding = text[i + 1];
    std::string_view charset = text.substr(charsetStart, i - charsetStart);
    charset = charset.substr(0, charset.find('*'));  // RFC 2231 5: "charset*language"
    i += 3;
    const std::size_t textStart = i;
    while (i < text.size() && printable(text[i])) ++i;
    if (i + 1 >= text.size() || text[i] != '?' || text[i + 1] != '=') return false;
    const std::string_view encoded = text.substr(textStart, i - textStart);
    word.bytes.clear();
    const bool ok = (encoding == 'B' || encoding == 'b')   ? DecodeB(encoded, word.bytes)
                    : (encoding == 'Q' || encoding == 'q') ? DecodeQ(encoded, word.bytes)
                                                           : false;
    if (!ok || charset.empty()) return false;
    word.charset = std::string(charset);
    length = i + 2 - pos;
    word.raw = text.substr(pos, length);
    return true;
}

std::vector<Piece> Split(std::string_view raw) {
    std::vector<Piece> pieces;
    std::size_t textStart = 0;
    for (std::size_t pos = 0; pos + 1 < raw.size();) {
        Piece word;
        std::size_t length = 0;
        if (raw[pos] == '=' && raw[pos + 1] == '?' && ReadEncodedWord(raw, pos, word, length)) {
            if (pos > textStart) pieces.push_back({raw.substr(textStart, pos - textStart), {}, {}});
            pieces.push_back(std::move(word));
            pos += length;
            textStart = pos;
        } else {
            ++pos;
        }
    }
    if (textStart < raw.size()) pieces.push_back({raw.substr(textStart), {}, {}});
    return pieces;
}

bool IsWhitespace(std::string_view s) {
    for (const char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

}  // namespace

std::string DecodeHeaderText(std::string_view raw, unsigned fallbackCodePage, bool* decoded) {
    const unsigned textCodePage = IsWellFormedUtf8(raw) ? 65001 : fallbackCodePage;
    std::vector<Piece> pieces = Split(raw);
    bool exact = true;
    // A word in an unknown charset is shown as written, so from here on it is text.
    for (Piece& piece : pieces) {
        if (!piece.charset.empty() && !IsKnownCharset(piece.charset)) {
            piece.charset.clear();
            exact = false;
        }
    }
    const auto isWord = [&](std::size_t i) { return i < pieces.size() && !pieces[i].charset.empty(); };
    const auto isGap = [&](std::size_t i) { return i < pieces.size() && !isWord(i) && IsWhitespace(pieces[i].raw); };

    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!isWord(i)) {
            if (i > 0 && isWord(i - 1) && isWord(i + 1) && isGap(i)) continue;
            std::string text;
            for (const char c : pieces[i].raw)
                if (c != '\r' && c != '\n') text += c;
            out += ToUtf8(text, textCodePage, &exact);
            continue;
        }
        // Words of one charset, side by side or with whitespace between, are decoded as one run
        // of bytes.
        std::string bytes = pieces[i].bytes;
        for (;;) {
            const std::size_t next = isGap(i + 1) ? i + 2 : i + 1;
            if (!isWord(next) || !EqualsIgnoringCase(pieces[next].charset, pieces[i].charset)) break;
            bytes += pieces[next].bytes;
            i = next;
        }
        std::string text;
        DecodeCharset(bytes, pieces[i].charset, text, &exact);
        out += text;
    }
    if (decoded && !exact) *decoded = false;
    return out;
}

}  // namespace mailtext
