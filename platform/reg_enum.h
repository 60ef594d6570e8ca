// Typed registry reads of any size through the ANSI API: opening a key with a chosen access,
// and listing its values and subkeys by index on one open handle.
#pragma once

#include "platform/reg_key.h"

#include <windows.h>

#include <string>

namespace platform {

// One value as the ANSI API reports it: name and data are code-page bytes, the data whole.
struct RegValue {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

// RegOpenKeyExA below a root key with the given access; returns the Win32 result and fills
// `key` on success. An empty path opens a new handle to the root key itself.
LONG OpenKeyEx(RootKey root, const char* path, REGSAM access, RegKey& key);

// The value at `index` of a key opened with KEY_QUERY_VALUE, read whole however large its name
// or data. Returns 0, ERROR_NO_MORE_ITEMS after the last value, or the platform's error code.
// `value` may be reused from call to call: its buffers are kept.
LONG EnumValue(HKEY key, DWORD index, RegValue& value);

// Name of the subkey at `index` of a key opened with KEY_ENUMERATE_SUB_KEYS. Returns 0,
// ERROR_NO_MORE_ITEMS after the last subkey, or the platform's error code.
LONG EnumSubKey(HKEY key, DWORD index, std::string& name);

}  // namespace platform
