// Header fields (RFC 5322 2.2) and the first address of an address field (RFC 5322 3.4).
#include "mailtext/header.h"

#include <vector>

#include "mailtext/ascii.h"

namespace mailtext {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The next line of `block` from `pos` without its CR LF or LF; moves `pos` past the line end.
std::string_view NextLine(std::string_view block, std::size_t& pos) {
    const std::size_t lf = block.find('\n', pos);
    const std::size_t end = lf == std::string_view::npos ? block.size() : lf;
    std::string_view line = block.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = lf == std::string_view::npos ? block.size() : lf + 1;
    return line;
}

bool IsFoldingBlank(char c) { return IsBlank(c) || c == '\r' || c == '\n'; }

enum class CharKind { Plain, Quoted, Comment };

// Walks an address text telling quoted strings and (nested) comments from the plain text
// between them; a backslash quotes the next character inside both.
struct Scanner {
    std::string_view text;
    std::size_t pos = 0;
    int commentDepth = 0;
    bool quoted = false;

    // Moves past one character (two for a quoted pair) and tells what it belonged to; the
    // quote marks and parentheses belong to their string or comment.
    CharKind Step() {
        const char c = text[pos++];
        if (commentDepth > 0 || quoted) {
            const CharKind kind = quoted ? CharKind::Quoted : CharKind::Comment;
            if (c == '\\') {
                if (pos < text.size()) ++pos;
            } else if (quoted) {
                quoted = c != '"';
            } else {
                commentDepth += c == '(' ? 1 : c == ')' ? -1 : 0;
            }
            return kind;
        }
        if (c == '(') ++commentDepth;
        if (c == '"') quoted = true;
        return c == '(' ? CharKind::Comment : c == '"' ? CharKind::Quoted : CharKind::Plain;
    }
};

// A bare address (local@domain) from `text` with comments dropped and the obsolete blanks around "@" and "."
// closed up; empty when blanks separate two words, or a quoted string stands alone (a display
// name, not an address).
std::string CleanAddress(std::string_view text) {
    std::vector<std::string> chunks(1);
    Scanner scan{text};
    while (scan.pos < text.size()) {
        const std::size_t at = scan.pos;
        const CharKind kind = scan.Step();
        if (kind == CharKind::Comment || (kind == CharKind::Plain && IsFoldingBlank(text[at]))) {
            if (!chunks.back().empty()) chunks.emplace_back();
        } else {
            chunks.back().append(text.substr(at, scan.pos - at));
        }
    }
    std::string out;
    for (const std::string& chunk : chunks) {
        if (chunk.empty()) continue;
        const bool joins = out.empty() || out.back() == '@' || out.back() == '.' || chunk.front() == '@' ||
                           chunk.front() == '.';
        if (!joins) return {};
        out += chunk;
    }
    if (!out.empty() && out.front() == '"' && out.find('@') == std::string::npos) return {};
    return out;
}

}  // namespace

std::optional<std::string> HeaderField(std::string_view headerBlock, std::string_view name) {
    std::size_t pos = 0;
    while (pos < headerBlock.size()) {
        std::string_view line = NextLine(headerBlock, pos);
        if (line.empty()) break;
        const std::size_t colon = line.find(':');
        if (IsBlank(line.front()) || colon == std::string_view::npos) continue;
        std::string_view fieldName = line.substr(0, colon);
        while (!fieldName.empty() && IsBlank(fieldName.back())) fieldName.remove_suffix(1);
        if (!EqualsIgnoringCase(fieldName, name)) continue;
        std::string value(line.substr(colon + 1));
        while (pos < headerBlock.size() && IsBlank(headerBlock[pos])) value += NextLine(headerBlock, pos);
        return std::string(Trim(value));
    }
    return std::nullopt;
}

std::string FirstAddress(std::string_view raw) {
    // The first mailbox runs to the first "," outside quotes, comments and angle brackets; a
    // group's display name ends at its ":" and the mailbox after it counts.
    Scanner scan{raw};
    std::size_t start = 0, angleOpen = std::string_view::npos, angleClose = std::string_view::npos;
    std::size_t end = raw.size();
    while (scan.pos < raw.size()) {
        const std::size_t at = scan.pos;
        if (scan.Step() != CharKind::Plain) continue;
        const char c = raw[at];
        if (angleOpen != std::string_view::npos && angleClose == std::string_view::npos) {
            if (c == '>') angleClose = at;
        } else if (c == '<' && angleOpen == std::string_view::npos) {
            angleOpen = at;
        } else if (c == ':' && angleOpen == std::string_view::npos) {
            start = at + 1;
        } else if (c == ',' || c == ';') {
            end = at;
            break;
        }
    }
    if (angleOpen == std::string_view::npos) return CleanAddress(raw.substr(start, end - start));
    if (angleClose == std::string_view::npos) angleClose = end;
    std::string_view inside = raw.substr(angleOpen + 1, angleClose - angleOpen - 1);
    // An obsolete source route, "@relay.example,@other.example:", comes before the address.
    std::size_t first = 0;
    while (first < inside.size() && IsFoldingBlank(inside[first])) ++first;
    if (first < inside.size() && inside[first] == '@') {
        const std::size_t routeEnd = inside.find(':');
        if (routeEnd != std::string_view::npos) inside.remove_prefix(routeEnd + 1);
    }
    return CleanAddress(inside);
}

}  // namespace mailtext
