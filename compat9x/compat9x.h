// Stand-ins that let the 32-bit programs run on Windows 98 and Me, where almost every wide
// (...W) function is a stub that fails. The programs keep calling the wide functions; on the 9x
// family each call goes to an implementation here over the system's ANSI (...A) function, text
// converted through the ANSI code page. On the NT family the system's own function is called.
//
// bind_i686.cpp puts each stand-in in place of the import the linker would take from the
// system's import library, and binds it at its first call: to the system's function on NT, to
// the implementation here on 9x. The implementations themselves build for both Windows
// architectures, so tests can run them under 64-bit Wine too.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace compat9x {

// The functions the 32-bit programs stand in for (bind_i686.cpp): wide ones, stubs on the 9x
// family, and ones 98 or Me lack. Both kinds bind to the system's own on NT and to ours on 9x.
struct StandIn {
    enum Kind { kWide, kMissingOn9x } kind;
    const char* dll;
    const char* name;
};
const std::vector<StandIn>& StandIns();

// Whether the running system is of the 9x family (Windows 95, 98, Me). Asked once.
bool OnWin9x();

// Text through the ANSI code page, as the 9x family's ANSI functions take and give it. A
// character the code page cannot hold comes out as "?" (never as a look-alike: "Ā" is no "A"),
// and `exact`, when given, turns false.
std::string Narrow(const wchar_t* text, int length = -1, bool* exact = nullptr);
std::wstring Widen(const char* text, int length = -1);
// A file or folder name the 9x family hands back. "?" is in no name: it is the code page's mark
// for a character it lacks. It becomes U+FFFD, which no code page holds, so a later call with
// the name fails instead of reaching another file ("?" would be a wildcard there).
std::wstring WidenName(const char* text, int length = -1);

// A wide text argument as an ANSI one: null stays null, and an atom or resource number
// (MAKEINTRESOURCE, below 0x10000) passes unchanged. exact() tells whether the code page held
// every character: a name that it cannot hold must not reach a file or folder of another name.
class AnsiArg {
public:
    explicit AnsiArg(const wchar_t* text);
    const char* get() const { return ptr_; }
    operator const char*() const { return ptr_; }
    bool exact() const { return exact_; }

private:
    std::string text_;
    const char* ptr_;
    bool exact_ = true;
};

// Copies `text` into a wide buffer of `size` characters, cut to fit and always ended by a NUL
// (when size > 0). Returns the characters copied, without the NUL.
int CopyOut(const std::wstring& text, wchar_t* buffer, int size);

}  // namespace compat9x
