// Platform tests that tell the Windows NT family from the Windows 9x family.
#pragma once

#include <cstdint>

namespace PathText {

// The platform id of the version record (0 Win32s, 1 Windows 9x, 2 NT), or 0 when the
// version query fails.
std::uint32_t GetPlatformId();

// True when bit 1 (value 2) of the platform id is set: 2 (NT) and also 3; 0 and 1 give false.
bool IsNtPlatformId(std::uint32_t platformId);

// IsNtPlatformId(GetPlatformId()); a failing version query counts as the 9x family.
bool IsWindowsNT();

}  // namespace PathText
