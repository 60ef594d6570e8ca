// Thunderbird's local folders: one mbox file per folder. Messages are separated by a "From "
// line and a blank line, and any line of a message that reads ">*From " gets one more '>'
// (mboxrd), so a reader takes every message back whole by removing one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mailout {

// "From sender Thu Jan  4 09:05:00 2001\r\n"; the sender is the envelope address (or
// MAILER-DAEMON when none is known), the time in UTC (1970-01-01 when unknown).
std::string MboxFromLine(std::string_view sender, const std::int64_t* unixTime);

// Quotes a message's text piece by piece, however the pieces cut its lines.
class MboxQuoter {
public:
    // Appends the quoted form of `data` to `out`.
    void feed(std::string_view data, std::string& out);
    // Ends the message: what was held back, and a line break when the text did not end in
    // one, then the blank line that separates messages.
    void finish(std::string& out);

private:
    bool lineStart_ = true;
    std::size_t gts_ = 0;      // '>' characters seen at the start of the current line
    std::size_t matched_ = 0;  // characters of "From " matched after them
    char last_ = '\n';
};

}  // namespace mailout
