#include "platform/path_text.h"

#include <windows.h>

namespace PathText {
namespace {

// The ANSI version record without the EX fields; older systems reject any other size.
constexpr DWORD kVersionRecordSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize);

}  // namespace

std::uint32_t GetPlatformId() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = kVersionRecordSize;
    if (!GetVersionExA(&info)) return 0;
    return info.dwPlatformId;
}

bool IsNtPlatformId(std::uint32_t platformId) { return (platformId & VER_PLATFORM_WIN32_NT) != 0; }

bool IsWindowsNT() { return IsNtPlatformId(GetPlatformId()); }

}  // namespace PathText
