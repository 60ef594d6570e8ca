// Date fields (RFC 5322 3.3, with the obsolete forms of 4.3) and FILETIME conversions.
#include <chrono>
#include <limits>
#include <vector>

#include "mailtext/ascii.h"
#include "mailtext/header.h"

namespace mailtext {
namespace {

struct Token {
    enum Kind { Word, Number, Punct } kind;
    std::string_view text;
};

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Words, numbers and single punctuation characters; blanks, line breaks and (nested) comments
// only separate them. False for a comment left open.
bool Tokenize(std::string_view s, std::vector<Token>& tokens) {
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '(') {
            int depth = 0;
            do {
                if (s[i] == '\\') ++i;
                else if (s[i] == '(') ++depth;
                else if (s[i] == ')') --depth;
                ++i;
            } while (depth > 0 && i < s.size());
            if (depth > 0) return false;
        } else {
            std::size_t end = i + 1;
            const Token::Kind kind = IsAlpha(c) ? Token::Word : IsDigit(c) ? Token::Number : Token::Punct;
            if (kind != Token::Punct)
                while (end < s.size() && (kind == Token::Word ? IsAlpha(s[end]) : IsDigit(s[end]))) ++end;
            tokens.push_back({kind, s.substr(i, end - i)});
            i = end;
        }
    }
    return true;
}

// The index of `word` in `names`, or -1.
template <std::size_t N>
int IndexOf(std::string_view word, const std::string_view (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (EqualsIgnoringCase(word, names[i])) return static_cast<int>(i);
    return -1;
}

constexpr std::string_view kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct NamedZone {
    std::string_view name;
    int minutes;
};
constexpr NamedZone kZones[] = {{"UT", 0},         {"GMT", 0},        {"EST", -5 * 60}, {"EDT", -4 * 60},
                                {"CST", -6 * 60},  {"CDT", -5 * 60},  {"MST", -7 * 60}, {"MDT", -6 * 60},
                                {"PST", -8 * 60},  {"PDT", -7 * 60},  {"JST", 9 * 60}};

// Minutes east of UTC for an alphabetic zone: RFC 5322 4.3 takes military letters and unknown
// names as -0000, that is UTC with no local time known.
int NamedZoneMinutes(std::string_view name) {
    for (const NamedZone& zone : kZones)
        if (EqualsIgnoringCase(name, zone.name)) return zone.minutes;
    return 0;
}

// A number token of `minDigits` to `maxDigits` digits, or -1.
int NumberOf(const Token& t, std::size_t minDigits, std::size_t maxDigits) {
    if (t.kind != Token::Number || t.text.size() < minDigits || t.text.size() > maxDigits) return -1;
    int v = 0;
    for (const char c : t.text) v = v * 10 + (c - '0');
    return v;
}

}  // namespace

std::optional<std::int64_t> ParseMailDate(std::string_view value) {
    std::vector<Token> t;
    if (!Tokenize(value, t)) return std::nullopt;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) -> Token { return k < t.size() ? t[k] : Token{Token::Punct, {}}; };
    const auto isPunct = [&](std::size_t k, char c) {
        return at(k).kind == Token::Punct && at(k).text.size() == 1 && at(k).text[0] == c;
    };

    if (at(i).kind == Token::Word) {
        if (IndexOf(at(i).text, kWeekdays) < 0) return std::nullopt;
        ++i;
        if (isPunct(i, ',')) ++i;
    }
    const int day = NumberOf(at(i++), 1, 2);
    const int month = at(i).kind == Token::Word ? IndexOf(at(i).text, kMonths) + 1 : 0;
    ++i;
    int year = NumberOf(at(i++), 2, 4);
    if (day < 0 || month < 1 || year < 0) return std::nullopt;
    if (at(i - 1).text.size() == 2) year += year < 50 ? 2000 : 1900;
    else if (at(i - 1).text.size() == 3) year += 1900;
    if (year < 1900) return std::nullopt;

    const int hour = NumberOf(at(i++), 1, 2);
    if (!isPunct(i++, ':')) return std::nullopt;
    const int minute = NumberOf(at(i++), 1, 2);
    int second = 0;
    if (isPunct(i, ':')) {
        second = NumberOf(at(i + 1), 1, 2);
        i += 2;
    }
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60) return std::nullopt;

    int zoneMinutes = 0;
    if (isPunct(i, '+') || isPunct(i, '-')) {
        const int hhmm = NumberOf(at(i + 1), 4, 4);
        if (hhmm < 0 || hhmm / 100 > 23 || hhmm % 100 > 59) return std::nullopt;
        zoneMinutes = (hhmm / 100 * 60 + hhmm % 100) * (isPunct(i, '-') ? -1 : 1);
        i += 2;
    } else if (at(i).kind == Token::Word && at(i).text.size() <= 5) {
        zoneMinutes = NamedZoneMinutes(at(i).text);
        ++i;
    }
    if (i != t.size()) return std::nullopt;

    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                              std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    return days * 86400 + hour * 3600 + minute * 60 + second - zoneMinutes * 60;
}

namespace {
// Seconds from 1601-01-01 to 1970-01-01, and FILETIME units in a second.
constexpr std::int64_t kEpochGap = 11644473600;
constexpr std::uint64_t kUnitsPerSecond = 10000000;
}  // namespace

std::int64_t FileTimeToUnix(std::uint64_t filetime) {
    return static_cast<std::int64_t>(filetime / kUnitsPerSecond) - kEpochGap;
}

std::uint64_t UnixToFileTime(std::int64_t unixSeconds) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    if (unixSeconds < -kEpochGap) return 0;
    if (unixSeconds > static_cast<std::int64_t>(kMax / kUnitsPerSecond) - kEpochGap) return kMax;
    return static_cast<std::uint64_t>(unixSeconds + kEpochGap) * kUnitsPerSecond;
}

}  // namespace mailtext
