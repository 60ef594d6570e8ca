#include "mailout/mbox.h"

#include <cstdio>

namespace mailout {

namespace {
constexpr std::string_view kFrom = "From ";
}

std::string MboxFromLine(std::string_view sender, const std::int64_t* unixTime) {
    static constexpr const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::int64_t t = unixTime ? *unixTime : 0;
    if (t < 0 || t > 253402300799) t = 0;  // years 1970 to 9999
    const std::int64_t days = t / 86400, secs = t % 86400;
    // Civil date from days since 1970 (proleptic Gregorian).
    const std::int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    std::string who;
    for (char c : sender)
        if (c > ' ' && c != 0x7F) who += c;  // the envelope address is one word
    if (who.empty()) who = "MAILER-DAEMON";
    char buf[96];
    std::snprintf(buf, sizeof buf, " %s %s %2lld %02lld:%02lld:%02lld %lld\r\n", kDays[days % 7], kMonths[m - 1],
                  static_cast<long long>(d), static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                  static_cast<long long>(secs % 60), static_cast<long long>(y));
    return "From " + who + buf;
}

void MboxQuoter::feed(std::string_view data, std::string& out) {
    std::size_t i = 0;
    while (i < data.size()) {
        if (!lineStart_) {
            // Inside a line nothing changes: copy through its end in one piece.
            const std::size_t nl = data.find('\n', i);
            const std::size_t end = nl == std::string_view::npos ? data.size() : nl + 1;
            out.append(data.substr(i, end - i));
            last_ = data[end - 1];
            lineStart_ = nl != std::string_view::npos;
            i = end;
            continue;
        }
        const char c = data[i++];
        // At the start of a line: hold back '>'s and a partial "From " until they tell.
        if (matched_ == 0 && c == '>') {
            ++gts_;
            continue;
        }
        if (c == kFrom[matched_]) {
            if (++matched_ == kFrom.size()) {
                out.append(gts_ + 1, '>');
                out += kFrom;
                last_ = ' ';
                lineStart_ = false;
                gts_ = matched_ = 0;
            }
            continue;
        }
        out.append(gts_, '>');
        out += kFrom.substr(0, matched_);
        out += c;
        last_ = c;
        gts_ = matched_ = 0;
        lineStart_ = c == '\n';
    }
}

void MboxQuoter::finish(std::string& out) {
    if (gts_ || matched_) {
        out.append(gts_, '>');
        out += kFrom.substr(0, matched_);
        last_ = matched_ ? kFrom[matched_ - 1] : '>';
    }
    if (last_ != '\n') out += "\r\n";
    out += "\r\n";
    *this = MboxQuoter{};
}

}  // namespace mailout
