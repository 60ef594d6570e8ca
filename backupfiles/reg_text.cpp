#include "backupfiles/reg_text.h"

#include <optional>

namespace backupfiles {
namespace {

using std::string_view;

constexpr string_view kHeaderWord = "REGEDIT4";
constexpr string_view kRootName = "HKEY_CURRENT_USER";
constexpr string_view kIdentitiesKey = "Identities\\";
constexpr std::size_t kMaxHexTypeDigits = 8;
constexpr std::size_t kMaxDwordDigits = 8;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

string_view TrimLeft(string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

string_view TrimRight(string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool OnlyBlanks(string_view s) { return TrimLeft(s).empty(); }

bool IsCommentOrBlank(string_view line) { return line.empty() || line.front() == ';'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<std::uint32_t> ParseHexNumber(string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCaseAscii(string_view a, string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

// ---- quoted texts ----

// A quoted text read in the escaped form, from just after its opening quote.
struct Quoted {
    std::string text;
    std::size_t end = 0;        // just past the closing quote
    bool closed = false;
    bool strayBackslash = false;  // a backslash before something other than \ or "
};

// A double-byte character goes through whole: its trail byte may be 0x5C without being a
// backslash, exactly as the exporter leaves it unescaped.
Quoted ReadEscaped(string_view line, std::size_t pos, const LeadBytes& lead) {
    Quoted q;
    for (std::size_t i = pos; i < line.size(); ++i) {
        const char c = line[i];
        if (lead(c) && i + 1 < line.size()) {
            q.text += c;
            q.text += line[++i];
        } else if (c == '"') {
            q.closed = true;
            q.end = i + 1;
            return q;
        } else if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
            q.text += line[++i];
        } else {
            if (c == '\\') q.strayBackslash = true;
            q.text += c;
        }
    }
    return q;
}

// ---- value lines ----

enum class LineKind { kValue, kContinues, kDeletion, kMalformed };

struct ValueLine {
    LineKind kind = LineKind::kMalformed;
    RegValue value;
    bool strayBackslash = false;  // evidence of an unescaped file (escaped reading only)
};

// Appends the bytes of one segment of hex data ("01, a0,\" or a continuation line); false when
// it is not a comma list of one- or two-digit bytes. `more` tells a trailing backslash.
bool AppendHexSegment(string_view s, std::string& out, bool& more) {
    s = TrimRight(s);
    more = !s.empty() && s.back() == '\\';
    if (more) s = TrimRight(s.substr(0, s.size() - 1));
    while (!s.empty()) {
        const std::size_t comma = s.find(',');
        const string_view piece = TrimRight(TrimLeft(s.substr(0, comma)));
        const auto byte = ParseHexNumber(piece, 2);
        if (!byte) return false;
        out += static_cast<char>(*byte);
        if (comma == string_view::npos) break;
        s = TrimLeft(s.substr(comma + 1));
    }
    return true;
}

// The data after "=": a string (in the file's form), -, dword:, hex: or hex(N):.
void ParseData(string_view data, bool unescaped, const LeadBytes& lead, ValueLine& v) {
    if (!data.empty() && data.front() == '"') {
        std::string text;
        if (unescaped) {
            const std::size_t last = data.rfind('"');
            if (last == 0 || !OnlyBlanks(data.substr(last + 1))) return;
            text.assign(data.substr(1, last - 1));
        } else {
            Quoted q = ReadEscaped(data, 1, lead);
            v.strayBackslash = v.strayBackslash || q.strayBackslash;
            if (!q.closed || !OnlyBlanks(data.substr(q.end))) return;
            text = std::move(q.text);
        }
        v.value.type = kRegSz;
        v.value.data = std::move(text);
        v.value.data += '\0';
        v.kind = LineKind::kValue;
        return;
    }
    if (data.starts_with('-')) {
        if (OnlyBlanks(data.substr(1))) v.kind = LineKind::kDeletion;
        return;
    }
    if (data.starts_with("dword:")) {
        const auto n = ParseHexNumber(TrimRight(TrimLeft(data.substr(6))), kMaxDwordDigits);
        if (!n) return;
        v.value.type = kRegDword;
        for (int shift = 0; shift < 32; shift += 8) v.value.data += static_cast<char>(*n >> shift & 0xFF);
        v.kind = LineKind::kValue;
        return;
    }
    string_view bytes;
    if (data.starts_with("hex:")) {
        v.value.type = kRegBinary;
        bytes = data.substr(4);
    } else if (data.starts_with("hex(")) {
        const std::size_t close = data.find("):");
        if (close == string_view::npos) return;
        const auto type = ParseHexNumber(data.substr(4, close - 4), kMaxHexTypeDigits);
        if (!type) return;
        v.value.type = *type;
        bytes = data.substr(close + 2);
    } else {
        return;
    }
    bool more = false;
    if (!AppendHexSegment(bytes, v.value.data, more)) return;
    v.kind = more ? LineKind::kContinues : LineKind::kValue;
}

// A value line with its leading blanks already gone. In an unescaped file the name runs to the
// first quote followed by = (blanks allowed between).
ValueLine ParseValueLine(string_view line, bool unescaped, const LeadBytes& lead) {
    ValueLine v;
    std::size_t afterName = 0;
    if (line.starts_with('@')) {
        afterName = 1;
    } else if (line.starts_with('"')) {
        if (unescaped) {
            std::size_t q = 1;
            for (; (q = line.find('"', q)) != string_view::npos; ++q)
                if (TrimLeft(line.substr(q + 1)).starts_with('=')) break;
            if (q == string_view::npos) return v;
            v.value.name.assign(line.substr(1, q - 1));
            afterName = q + 1;
        } else {
            Quoted q = ReadEscaped(line, 1, lead);
            v.strayBackslash = q.strayBackslash;
            if (!q.closed) return v;
            v.value.name = std::move(q.text);
            afterName = q.end;
        }
        // The registry's ANSI calls would cut the name at a NUL and write some other value.
        if (v.value.name.find('\0') != std::string::npos) return v;
    } else {
        return v;
    }
    string_view rest = TrimLeft(line.substr(afterName));
    if (!rest.starts_with('=')) return v;
    ParseData(TrimLeft(rest.substr(1)), unescaped, lead, v);
    return v;
}

bool IsValueLine(string_view line) { return line.starts_with('"') || line.starts_with('@'); }

// Calls `f` with each line of `text` without its line end (LF or CR LF).
template <typename F>
void ForEachLine(string_view text, F f) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == string_view::npos) end = text.size();
        string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!f(line)) return;
    }
}

// See the header: evidence of the old unescaped form in any quoted text of the file.
bool IsUnescapedFile(string_view text, const LeadBytes& lead) {
    bool unescaped = false;
    ForEachLine(text, [&](string_view line) {
        line = TrimRight(TrimLeft(line));
        if (!IsValueLine(line)) return true;
        const ValueLine escaped = ParseValueLine(line, false, lead);
        unescaped = escaped.strayBackslash ||
                    (escaped.kind == LineKind::kMalformed && line.find("\\\"") != string_view::npos &&
                     ParseValueLine(line, true, lead).kind != LineKind::kMalformed);
        return !unescaped;
    });
    return unescaped;
}

// ---- key lines ----

// An empty component anywhere refuses the path, so "Identities\\{id}" or "Identities\{id}\"
// never pass for "Identities\{id}".
bool HasEmptyComponent(string_view path, const LeadBytes& lead) {
    bool afterSeparator = true;  // the start counts as one: a leading \ leaves an empty first part
    for (std::size_t i = 0; i < path.size(); i += lead.Length(path, i)) {
        const bool separator = path[i] == '\\';  // a character's first byte: never a trail byte
        if (separator && afterSeparator) return true;
        afterSeparator = separator;
    }
    return afterSeparator;
}

// ---- the reader ----

enum class State { kHeader, kRefused, kOutside, kBlock, kSkipBlock, kHexMore };

struct Reader {
    explicit Reader(const LeadBytes& bytes) : lead(bytes) {}
    State state = State::kHeader;
    bool unescaped = false;
    const LeadBytes& lead;
    std::string identityTree;  // empty: no identity tree is kept
    RegValue pending;          // hex data waiting for its continuation lines
    RegText out;
};

bool IsAllowedKey(const Reader& r, string_view path) {
    if (path.find('\0') != string_view::npos || HasEmptyComponent(path, r.lead)) return false;
    return IsKeyInTree(path, kAccountTree, r.lead) ||
           (!r.identityTree.empty() && IsKeyInTree(path, r.identityTree, r.lead));
}

// Counts a skipped key block and keeps the first few names, so the user can be told which.
void SkipBlock(Reader& r, string_view name) {
    if (r.out.skippedKeys.size() < kNamedSkippedKeys) r.out.skippedKeys.emplace_back(name);
    ++r.out.skippedBlocks;
}

// A key line opens a kept block or a skipped one.
void OpenBlock(Reader& r, string_view line) {
    r.state = State::kSkipBlock;
    const std::size_t close = line.rfind(']');
    if (close == string_view::npos || !OnlyBlanks(line.substr(close + 1))) {
        SkipBlock(r, line.substr(1));
        return;
    }
    const string_view name = line.substr(1, close - 1);
    const std::size_t slash = name.find('\\');
    if (name.starts_with('-') || slash == string_view::npos || !EqualsNoCaseAscii(name.substr(0, slash), kRootName)) {
        SkipBlock(r, name);
        return;
    }
    const string_view path = name.substr(slash + 1);
    if (!IsAllowedKey(r, path)) {
        SkipBlock(r, name);
        return;
    }
    r.out.keys.push_back({std::string(path), {}});
    r.state = State::kBlock;
}

// Each handler takes one line (leading blanks and the CR gone) and returns false when the line
// must be read again in the state it moved to.
bool OnHeader(Reader& r, string_view line) {
    r.out.hasHeader = line.starts_with(kHeaderWord) && OnlyBlanks(line.substr(kHeaderWord.size()));
    r.state = r.out.hasHeader ? State::kOutside : State::kRefused;
    return true;
}

bool OnOutside(Reader& r, string_view line) {
    if (line.starts_with('['))
        OpenBlock(r, line);
    else if (!IsCommentOrBlank(line))
        ++r.out.skippedLines;
    return true;
}

bool OnBlock(Reader& r, string_view line) {
    if (line.starts_with('[')) {
        OpenBlock(r, line);
        return true;
    }
    if (IsCommentOrBlank(line)) return true;
    ValueLine v = ParseValueLine(TrimRight(line), r.unescaped, r.lead);
    switch (v.kind) {
        case LineKind::kValue: r.out.keys.back().values.push_back(std::move(v.value)); break;
        case LineKind::kContinues:
            r.pending = std::move(v.value);
            r.state = State::kHexMore;
            break;
        case LineKind::kDeletion:
        case LineKind::kMalformed: ++r.out.skippedLines; break;
    }
    return true;
}

bool OnSkipBlock(Reader& r, string_view line) {
    if (line.starts_with('[')) OpenBlock(r, line);
    return true;
}

// Continuation lines of hex data; blank and comment lines between them are passed over. A line
// that is no hex data drops the value and is read again as a line of the block.
bool OnHexMore(Reader& r, string_view line) {
    if (IsCommentOrBlank(line)) return true;
    bool more = false;
    if (!AppendHexSegment(line, r.pending.data, more)) {
        ++r.out.skippedLines;
        r.state = State::kBlock;
        return false;
    }
    if (!more) {
        r.out.keys.back().values.push_back(std::move(r.pending));
        r.state = State::kBlock;
    }
    return true;
}

bool Step(Reader& r, string_view line) {
    switch (r.state) {
        case State::kHeader: return OnHeader(r, line);
        case State::kOutside: return OnOutside(r, line);
        case State::kBlock: return OnBlock(r, line);
        case State::kSkipBlock: return OnSkipBlock(r, line);
        case State::kHexMore: return OnHexMore(r, line);
        case State::kRefused: return true;
    }
    return true;
}

}  // namespace

bool IsKeyInTree(string_view path, string_view tree, const LeadBytes& lead) {
    std::size_t i = 0;
    while (i < tree.size()) {
        if (i >= path.size()) return false;
        const std::size_t n = lead.Length(tree, i);
        if (lead.Length(path, i) != n) return false;
        if (n == 2 ? path.substr(i, 2) != tree.substr(i, 2) : FoldAscii(path[i]) != FoldAscii(tree[i])) return false;
        i += n;
    }
    // Both ended on a whole character, so the byte after the tree starts one.
    return i == path.size() || path[i] == '\\';
}

RegText ParseRegText(string_view text, string_view identityKey, const LeadBytes& lead) {
    Reader r(lead);
    bool separator = false;
    for (std::size_t i = 0; i < identityKey.size() && !separator; i += lead.Length(identityKey, i))
        separator = identityKey[i] == '\\';
    if (!identityKey.empty() && !separator) (r.identityTree = kIdentitiesKey) += identityKey;
    r.unescaped = IsUnescapedFile(text, lead);
    ForEachLine(text, [&r](string_view line) {
        // The header line keeps its leading blanks: " REGEDIT4" is no header.
        if (r.state != State::kHeader) line = TrimLeft(line);
        while (!Step(r, line)) {
        }
        return r.state != State::kRefused;
    });
    if (r.state == State::kHexMore) ++r.out.skippedLines;  // the file ended inside continued data
    if (!r.out.hasHeader) return RegText{};
    r.out.cutShort = r.state == State::kHexMore || !text.ends_with('\n');
    r.out.unescaped = r.unescaped;
    return std::move(r.out);
}

}  // namespace backupfiles
