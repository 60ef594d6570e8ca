// MIME charset names, and the two Japanese mail encodings that are not a Windows code page:
// ISO-2022-JP (RFC 1468) and EUC-JP, both read through the CP932 table.
#include "mailtext/charsets.h"

#include <optional>

#include "mailtext/ascii.h"
#include "mailtext/codepage.h"
#include "mailtext/tables.h"

namespace mailtext {
namespace {

enum class Charset { Ascii, Utf8, Latin1, Windows1252, ShiftJis, Iso2022Jp, EucJp };

struct CharsetName {
    std::string_view name;
    Charset charset;
};

constexpr CharsetName kNames[] = {
    {"us-ascii", Charset::Ascii},         {"ascii", Charset::Ascii},
    {"utf-8", Charset::Utf8},             {"utf8", Charset::Utf8},
    {"iso-8859-1", Charset::Latin1},      {"iso_8859-1", Charset::Latin1},
    {"latin1", Charset::Latin1},          {"l1", Charset::Latin1},
    {"windows-1252", Charset::Windows1252}, {"cp1252", Charset::Windows1252},
    {"shift_jis", Charset::ShiftJis},     {"shift-jis", Charset::ShiftJis},
    {"sjis", Charset::ShiftJis},          {"x-sjis", Charset::ShiftJis},
    {"ms_kanji", Charset::ShiftJis},      {"cp932", Charset::ShiftJis},
    {"windows-31j", Charset::ShiftJis},   {"iso-2022-jp", Charset::Iso2022Jp},
    {"euc-jp", Charset::EucJp},           {"x-euc-jp", Charset::EucJp},
};

std::optional<Charset> FindCharset(std::string_view name) {
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    for (const CharsetName& known : kNames)
        if (EqualsIgnoringCase(name, known.name)) return known.charset;
    return std::nullopt;
}

// Appends `c`, or U+FFFD (clearing `exact`) when it is 0, the decoders' mark for no character.
void Put(std::string& out, char32_t c, bool& exact) {
    if (c == 0) {
        c = kReplacementChar;
        exact = false;
    }
    AppendUtf8(out, c);
}

void DecodeLatin1(std::string_view bytes, std::string& out) {
    for (const char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        const char32_t c = Cp1252Char(b);
        AppendUtf8(out, c != 0 || b == 0 ? c : b);
    }
}

void DecodeIso2022Jp(std::string_view bytes, std::string& out, bool& exact) {
    enum class Mode { Ascii, Jis0208, Katakana } mode = Mode::Ascii;
    bool shiftedOut = false;  // SO: katakana until SI, whatever the escapes say
    for (std::size_t pos = 0; pos < bytes.size();) {
        const unsigned b = static_cast<unsigned char>(bytes[pos]);
        if (b == 0x1B) {
            // ESC, intermediate bytes 0x20-0x2F, one final byte 0x30-0x7E (ISO 2022's form).
            std::size_t end = pos + 1;
            while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] <= 0x2F) ++end;
            const bool complete = end < bytes.size() && bytes[end] >= 0x30 && bytes[end] <= 0x7E;
            const std::string_view seq = bytes.substr(pos + 1, complete ? end - pos : end - pos - 1);
            if (seq == "(B" || seq == "(J") mode = Mode::Ascii;
            else if (seq == "$B" || seq == "$@") mode = Mode::Jis0208;
            else if (seq == "(I") mode = Mode::Katakana;
            else Put(out, 0, exact);
            pos = complete ? end + 1 : end;
            continue;
        }
        ++pos;
        if (b == 0x0E || b == 0x0F) {
            shiftedOut = b == 0x0E;
        } else if (b == '\r' || b == '\n') {
            // Every line has to end in ASCII; one that does not is taken to have meant it.
            mode = Mode::Ascii;
            shiftedOut = false;
            out += static_cast<char>(b);
        } else if (b >= 0x80) {
            Put(out, 0, exact);
        } else if (shiftedOut || mode == Mode::Katakana) {
            Put(out, b >= 0x21 && b <= 0x5F ? 0xFF61 + (b - 0x21) : (b < 0x21 ? b : 0), exact);
        } else if (mode == Mode::Jis0208 && b >= 0x21 && b <= 0x7E) {
            const unsigned cell = pos < bytes.size() ? static_cast<unsigned char>(bytes[pos]) : 0;
            if (cell >= 0x21 && cell <= 0x7E) {
                Put(out, JisRowCellChar(b - 0x20, cell - 0x20), exact);
                ++pos;
            } else {
                Put(out, 0, exact);  // half a character: the next byte is read on its own
            }
        } else {
            out += static_cast<char>(b);  // ASCII, or a control or blank between double bytes
        }
    }
}

void DecodeEucJp(std::string_view bytes, std::string& out, bool& exact) {
    const auto at = [&](std::size_t i) -> unsigned {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
    };
    const auto high = [](unsigned b) { return b >= 0xA1 && b <= 0xFE; };
    for (std::size_t pos = 0; pos < bytes.size();) {
        const unsigned b = at(pos);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++pos;
        } else if (b == 0x8E && at(pos + 1) >= 0xA1 && at(pos + 1) <= 0xDF) {
            Put(out, 0xFF61 + (at(pos + 1) - 0xA1), exact);
            pos += 2;
        } else if (b == 0x8F && high(at(pos + 1)) && high(at(pos + 2))) {
            Put(out, 0, exact);  // JIS X 0212: not in code page 932
            pos += 3;
        } else if (high(b) && high(at(pos + 1))) {
            Put(out, JisRowCellChar(b - 0xA0, at(pos + 1) - 0xA0), exact);
            pos += 2;
        } else {
            Put(out, 0, exact);
            ++pos;
        }
    }
}

}  // namespace

bool IsKnownCharset(std::string_view mimeCharsetName) { return FindCharset(mimeCharsetName).has_value(); }

bool DecodeCharset(std::string_view bytes, std::string_view mimeCharsetName, std::string& utf8, bool* exact) {
    const std::optional<Charset> charset = FindCharset(mimeCharsetName);
    if (!charset) return false;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    bool allDecoded = true;
    switch (*charset) {
    case Charset::Ascii: out = ToUtf8(bytes, 20127, &allDecoded); break;
    case Charset::Utf8: out = ToUtf8(bytes, 65001, &allDecoded); break;
    case Charset::Latin1: DecodeLatin1(bytes, out); break;
    case Charset::Windows1252: out = ToUtf8(bytes, 1252, &allDecoded); break;
    case Charset::ShiftJis: out = ToUtf8(bytes, 932, &allDecoded); break;
    case Charset::Iso2022Jp: DecodeIso2022Jp(bytes, out, allDecoded); break;
    case Charset::EucJp: DecodeEucJp(bytes, out, allDecoded); break;
    }
    utf8 = std::move(out);
    if (exact && !allDecoded) *exact = false;
    return true;
}

}  // namespace mailtext
