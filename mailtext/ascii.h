// ASCII-only character helpers: header syntax is ASCII, and the C library's versions follow the
// locale.
#pragma once

#include <cstddef>
#include <string_view>

namespace mailtext {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when `a` and `b` differ at most in the case of ASCII letters.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// A blank (WSP in RFC 5322): space or tab.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace mailtext
