// A mail message's header fields as the export needs them: a field's value, its text decoded to
// UTF-8, the date as a Unix time and the sender's address for the mbox "From " line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mailtext {

// The value of the first field named `name` (case-insensitive) in `headerBlock`, which may be the
// whole message: reading stops at the first empty line. Lines end in CR LF or LF. The value is
// unfolded (a line break before a blank is dropped, the blank kept) and has no blanks at either
// end. Blanks between a field name and its colon are allowed (RFC 5322 4.5); a line that is not
// a field, such as a leading "From " line, is passed over. nullopt when there is no such field.
std::optional<std::string> HeaderField(std::string_view headerBlock, std::string_view name);

// Header text to UTF-8. RFC 2047 encoded-words ("=?charset?B?...?=", Q as well; a charset may
// carry an RFC 2231 language, "*ja") are decoded in any charset DecodeCharset knows; adjacent
// words of the same charset are decoded together, so a character split between them survives,
// and only whitespace between two words is dropped (RFC 2047 6.2). A malformed word stays as it
// is, and so does one in an unknown charset. The rest is read as UTF-8 when all 8-bit bytes of
// `raw` form well-formed UTF-8, else in `fallbackCodePage`; CR and LF are dropped. *decoded
// turns false (left alone otherwise) for an unknown charset or any byte that became U+FFFD.
std::string DecodeHeaderText(std::string_view raw, unsigned fallbackCodePage, bool* decoded = nullptr);

// A Date field's value in seconds since 1970-01-01 00:00 UTC. Reads RFC 5322 3.3 with the
// obsolete forms of 4.3: optional weekday (not checked against the date), comments and extra
// blanks anywhere, case-insensitive names, seconds optional, two-digit years (00-49 are 20xx,
// 50-99 19xx) and three-digit ones (+1900), the zones UT, GMT, EST/EDT, CST/CDT, MST/MDT,
// PST/PDT and military letters (as -0000); other alphabetic zones count as -0000 too, except
// JST (+0900). Also takes a weekday without its comma and a missing zone (UTC). nullopt for
// anything else, a date that does not exist (Feb 30), a year before 1900 or a time past 23:59:60.
std::optional<std::int64_t> ParseMailDate(std::string_view value);

// The bare address (local@domain) of the first mailbox in an address field: "Taro <taro@example.jp>" and
// "taro@example.jp (Taro)" both give "taro@example.jp". Quoted display names, comments, a
// source route and the obsolete blanks around "@" and "." are dealt with; in a group the first
// member counts. Empty when the first mailbox has no address (a display name alone, an empty
// group, nothing).
std::string FirstAddress(std::string_view raw);

// A Windows FILETIME (100 ns units since 1601-01-01 UTC) in whole seconds since 1970, rounded
// down, so times before 1970 are negative.
std::int64_t FileTimeToUnix(std::uint64_t filetime);

// Seconds since 1970 as a FILETIME; times before 1601 give 0, and times past its range the
// largest FILETIME.
std::uint64_t UnixToFileTime(std::int64_t unixSeconds);

}  // namespace mailtext
