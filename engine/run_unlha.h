// The call into the archiver library unlha32.dll.
#pragma once

#include <cstdint>
#include <string>

namespace Module_ini {

// Hands one command line (converted to the ANSI code page) to Unlha with no owner window and
// a 1024-byte output buffer whose text is discarded; returns Unlha's 16-bit result.
// unlha32.dll is bound by name at the first call that finds it (the usual DLL search) and the
// binding is kept; when the file or its entry Unlha is missing, throws
// engine::ArchiverUnavailable and the next call tries again.
std::int16_t RunUnlha(const std::wstring& commandLine);

}  // namespace Module_ini
