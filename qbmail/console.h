// The terminal side of qbmail: its arguments as UTF-8, text out in the console's own code page
// (Windows) or as UTF-8 (elsewhere), a progress line that rewrites itself, and Ctrl-C turned
// into a request to stop cleanly.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace qbmail {

// The command line's arguments after the program name.
std::vector<std::string> Arguments(int argc, char** argv);

void Out(std::string_view utf8);   // standard output
void Err(std::string_view utf8);   // standard error

// Turns Ctrl-C (and, on POSIX, SIGTERM) into `stop` turning true.
void CatchInterrupt(std::atomic<bool>& stop);

// Shows `line` in place of the last progress line on a terminal; nothing when standard error
// is no terminal. An empty line clears it.
class ProgressLine {
public:
    void show(const std::string& line);
    void clear() { show({}); }

private:
    std::size_t shown_ = 0;
};

}  // namespace qbmail
