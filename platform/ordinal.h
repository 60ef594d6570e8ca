// Wide text compared code unit by code unit, the letters a to z taken as A to Z. Stands in for
// CompareStringOrdinal (Vista and later): it needs no system call, so it answers alike on every
// system. Letters outside ASCII keep their case, so two names that differ only there compare
// unequal where the registry or the file system would take them as one.
#pragma once

#include <string_view>

namespace platform {

inline wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Negative, zero or positive as `a` sorts before, with or after `b`.
inline int CompareOrdinalNoCase(std::wstring_view a, std::wstring_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const wchar_t x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
