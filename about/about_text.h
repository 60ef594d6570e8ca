// What the about box shows, read from the command line it was started with:
// "about1.exe NAME/VERSION/ DESCRIPTION".
#pragma once

#include <string>

namespace about {

struct AboutText {
    bool parsed = false;      // NAME and VERSION found; otherwise only `description` is set
    std::wstring name;        // "Quillbox"
    std::wstring version;     // "2.1.6"
    std::wstring description; // the rest, blanks in front dropped; the whole argument when not parsed
};

// The command line without the program's own name (quoted or not) and the blanks after it;
// one pair of quotes around the whole rest is dropped.
std::wstring ArgumentOf(const std::wstring& commandLine);

// Splits NAME/VERSION/ DESCRIPTION at the first two slashes. Anything else (no second slash, an
// empty name or version) is not parsed and comes back whole as the description.
AboutText ParseArgument(const std::wstring& argument);

}  // namespace about
