// Registry locations as root-key handle values, and an owning key handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace platform {

// A predefined root key as its 32-bit handle value (HKEY_CURRENT_USER = 0x80000001).
using RootKey = std::uint32_t;
inline constexpr RootKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RootKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RootKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RootKey kHkeyUsers = 0x80000003u;
inline constexpr RootKey kHkeyCurrentConfig = 0x80000005u;

// 64-bit Windows sign-extends the 32-bit predefined handle values.
inline HKEY RootHandle(RootKey root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

// Owns an open registry key and closes it once. Never closes a predefined root key, which
// RegOpenKeyA hands back unchanged for an empty key path.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key, HKEY parent) : key_(key == parent ? nullptr : key), alias_(key) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept
        : key_(std::exchange(other.key_, nullptr)), alias_(std::exchange(other.alias_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            Close();
            key_ = std::exchange(other.key_, nullptr);
            alias_ = std::exchange(other.alias_, nullptr);
        }
        return *this;
    }
    ~RegKey() { Close(); }

    HKEY get() const { return alias_; }

private:
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
        alias_ = nullptr;
    }

    HKEY key_ = nullptr;    // what we must close
    HKEY alias_ = nullptr;  // what callers use
};

// RegOpenKeyA below a root key; returns the Win32 result and fills `key` on success.
LONG OpenKey(RootKey root, const char* path, RegKey& key);

}  // namespace platform
