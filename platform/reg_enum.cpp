#include "platform/reg_enum.h"

#include <algorithm>

namespace platform {
namespace {

constexpr DWORD kFirstBufferSize = 1024;
// A value name holds at most 16,383 characters; in a double-byte code page that is twice as
// many bytes, plus the NUL.
constexpr DWORD kMaxValueNameBytes = 2 * 16383 + 1;
// A key name holds at most 255 characters.
constexpr DWORD kMaxKeyNameBytes = 2 * 255 + 1;

}  // namespace

LONG OpenKeyEx(RootKey root, const char* path, REGSAM access, RegKey& key) {
    HKEY parent = RootHandle(root);
    HKEY opened = nullptr;
    LONG rc = RegOpenKeyExA(parent, path, 0, access, &opened);
    if (rc == ERROR_SUCCESS) key = RegKey(opened, parent);
    return rc;
}

LONG EnumValue(HKEY key, DWORD index, RegValue& value) {
    std::string& name = value.name;
    std::string& data = value.data;
    name.resize(std::max<std::size_t>(name.capacity(), kFirstBufferSize));
    data.resize(std::max<std::size_t>(data.capacity(), kFirstBufferSize));
    for (;;) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        LONG rc = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &value.type,
                                reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (rc == ERROR_SUCCESS) {
            name.resize(nameSize);
            data.resize(dataSize);
            return rc;
        }
        if (rc != ERROR_MORE_DATA) {
            name.clear();
            data.clear();
            return rc;
        }
        // The platform reports the data size it needs but not the name size, so a too-small
        // name buffer shows only as a data size that would have fitted.
        if (dataSize > data.size()) {
            data.resize(dataSize);
        } else if (name.size() < kMaxValueNameBytes) {
            name.resize(std::min<std::size_t>(name.size() * 4, kMaxValueNameBytes));
        } else {
            name.clear();
            data.clear();
            return rc;
        }
    }
}

LONG EnumSubKey(HKEY key, DWORD index, std::string& name) {
    char buffer[kMaxKeyNameBytes];
    DWORD size = kMaxKeyNameBytes;
    LONG rc = RegEnumKeyExA(key, index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS)
        name.assign(buffer, size);
    else
        name.clear();
    return rc;
}

}  // namespace platform
