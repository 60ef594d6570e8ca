// Names for what the export writes: a store's folder names and message subjects become file
// and folder names that every Windows can hold and that never reach outside the output folder,
// however the store spells them ("..\x", "CON", "a:b", trailing dots).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace mailout {

// `text` with ASCII letters in lower case, the rest as it is: names compared as Windows compares
// them in the cases that matter here (file names, extensions, addresses).
std::string FoldCase(std::string_view text);
bool EndsWithNoCase(std::string_view text, std::string_view tail);

// One path component from a UTF-8 text: characters no Windows file name may hold (\ / : * ? " < >
// | and control characters) become '_', blanks at either end go, trailing dots become '_',
// a name made only of dots has them replaced, reserved device names (CON, NUL, COM1, LPT1,
// ... also with an extension) get a '_' after their base, and the result is cut to at most
// `maxBytes` bytes on a character boundary. Never empty: `fallback` stands in for an empty name.
std::string SafeComponent(std::string_view utf8, std::size_t maxBytes, std::string_view fallback);

// Names already given in one folder, compared as Windows compares them (ASCII letters without
// case), so an export copied to Windows keeps every name apart.
class NameSet {
public:
    bool taken(std::string_view name) const;
    void add(std::string_view name);

private:
    std::set<std::string> keys_;
};

// `name` with " (n)" put before its extension (".eml"), n = 2, 3, ...: the n-th try at a
// unique name; n = 1 gives `name` itself.
std::string Numbered(std::string_view name, std::string_view extension, unsigned n);

// "00042 2001-03-04 Subject" (number padded to `width` digits; the date only when known, in
// UTC; the subject only when not empty), already safe as a component.
std::string MessageFileStem(std::uint64_t number, int width, const std::int64_t* unixTime, std::string_view subjectUtf8);

}  // namespace mailout
