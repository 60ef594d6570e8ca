// Parses the command lines Unlha accepts: a command letter, switch groups, the archive and
// further arguments. Quotes toggle quoting, backslashes are literal, adjacent pieces join.
// Works on UTF-16 text so that a double-byte character's 0x5C trail byte is never a backslash.
#pragma once

#include <string>
#include <vector>

namespace unlha {

enum class Command { Add, Extract, List, Test };

struct Options {
    bool recurse = false;        // -r2
    bool keepPaths = false;      // -x1
    bool allFiles = false;       // -a2: hidden and system files, attributes kept
    bool sorted = false;         // -jss
    bool overwrite = false;      // -m1
};

struct CommandLine {
    Command command = Command::List;
    Options options;
    std::wstring archive;
    std::vector<std::wstring> sources;   // `a`: files and folders (folders end in '\')
    std::wstring destination;            // `e`: folder, trailing backslashes removed
};

// Splits the text into arguments at blanks outside quotes. `quoted` tells, per argument,
// whether any piece of it was inside quotes (such an argument is never a switch).
// Returns false on an unclosed quote.
bool SplitArguments(const std::wstring& text, std::vector<std::wstring>& args, std::vector<bool>& quoted);

// Parses a whole command line. On failure returns false and puts the reason in `error`:
// unknown command or switch, a switch that does not fit the command, missing archive,
// source or destination, a member selection other than `*`.
bool ParseCommandLine(const std::wstring& text, CommandLine& out, std::wstring& error);

// True when the argument names a folder: it ends in one or more backslashes.
bool NamesFolder(const std::wstring& arg);

// The argument without its trailing backslashes; a drive root keeps one ("C:\").
std::wstring StripTrailingBackslashes(const std::wstring& arg);

}  // namespace unlha
