// Member names between the archive (ANSI code page bytes, '/'-separated) and the file system
// (UTF-16, '\'-separated), and the checks that keep extraction inside its destination.
#pragma once

#include "platform/ansi.h"

#include <string>

namespace unlha {

enum class NameProblem { None, NotAnsi, Unsafe };

// Member names convert strictly, so a name is never stored or extracted with a '?' in it.
using platform::AnsiToWide;
using platform::WideToAnsi;

// Turns a stored member path into a relative path below the destination ('\'-separated).
// '/' and '\' both separate folders. Refused (Unsafe): empty paths, a leading separator,
// empty, "." or ".." components, a drive letter or any ':', control or wildcard characters,
// trailing dots or blanks, and device names such as CON, NUL, COM1, LPT1 (with or without
// an extension). NotAnsi: bytes the code page cannot decode.
NameProblem MemberToRelative(const std::string& member, std::wstring& relative);

// Turns a relative path ('\'-separated) into a stored member path; NotAnsi when a character
// cannot be held by the code page.
NameProblem RelativeToMember(const std::wstring& relative, std::string& member);

// True when the single path component is a Windows device name (CON, AUX, COM1, ...).
bool IsDeviceName(const std::wstring& component);

}  // namespace unlha
