#include "mailout/names.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace mailout {

namespace {

bool Forbidden(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
           c == '>' || c == '|';
}

bool IsReservedBase(std::string_view base) {
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    std::string lower = FoldCase(base);
    // Windows ignores blanks before the extension: "con .txt" is the device too.
    while (!lower.empty() && lower.back() == ' ') lower.pop_back();
    for (std::string_view r : kPlain)
        if (lower == r) return true;
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) && lower[3] >= '0' && lower[3] <= '9';
}

// Length of the UTF-8 sequence that starts with `c` (1 for a stray byte).
std::size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

// Cuts `s` to at most `max` bytes without splitting a character.
void CutTo(std::string& s, std::size_t max) {
    if (s.size() <= max) return;
    std::size_t end = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = SequenceLength(static_cast<unsigned char>(s[i]));
        if (i + len > max) break;
        i += len;
        end = i;
    }
    s.resize(end);
}

}  // namespace

std::string SafeComponent(std::string_view utf8, std::size_t maxBytes, std::string_view fallback) {
    std::string out;
    bool blank = false;
    for (unsigned char c : utf8) {
        // Runs of blanks and line breaks (a folded subject) become one blank.
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += Forbidden(c) ? '_' : static_cast<char>(c);
    }
    CutTo(out, maxBytes);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (out.empty()) out.assign(fallback);
    // Windows drops trailing dots, which would make "a." and "a" one name and ".." a way up.
    for (std::size_t i = out.size(); i > 0 && out[i - 1] == '.'; --i) out[i - 1] = '_';
    const std::size_t dot = out.find('.');
    if (IsReservedBase(std::string_view(out).substr(0, dot))) out.insert(dot == std::string::npos ? out.size() : dot, 1, '_');
    return out;
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && FoldCase(text.substr(text.size() - tail.size())) == FoldCase(tail);
}

bool NameSet::taken(std::string_view name) const { return keys_.count(FoldCase(name)) != 0; }

void NameSet::add(std::string_view name) { keys_.insert(FoldCase(name)); }

std::string Numbered(std::string_view name, std::string_view extension, unsigned n) {
    std::string out(name);
    if (n > 1) out += " (" + std::to_string(n) + ")";
    out += extension;
    return out;
}

std::string MessageFileStem(std::uint64_t number, int width, const std::int64_t* unixTime, std::string_view subjectUtf8) {
    char head[64];
    std::snprintf(head, sizeof head, "%0*llu", width, static_cast<unsigned long long>(number));
    std::string stem = head;
    if (unixTime) {
        // Days from the civil calendar by hand: gmtime is not thread-safe and time_t may be 32 bits.
        std::int64_t days = *unixTime >= 0 ? *unixTime / 86400 : (*unixTime - 86399) / 86400;
        days += 719468;
        const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
        const std::int64_t doe = days - era * 146097;
        const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const std::int64_t mp = (5 * doy + 2) / 153;
        const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
        const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
        const std::int64_t y = yoe + era * 400 + (m <= 2);
        if (y >= 0 && y <= 9999) {
            std::snprintf(head, sizeof head, " %04lld-%02lld-%02lld", static_cast<long long>(y), static_cast<long long>(m),
                          static_cast<long long>(d));
            stem += head;
        }
    }
    // Dots at the end of a subject ("Re: news...") only look odd before ".eml".
    while (!subjectUtf8.empty() && (subjectUtf8.back() == '.' || subjectUtf8.back() == ' ')) subjectUtf8.remove_suffix(1);
    const std::string subject = SafeComponent(subjectUtf8, 60, "");
    if (!subject.empty()) stem += " " + subject;
    return stem;
}

}  // namespace mailout
