#include "platform/module_ini.h"

#include "platform/ansi.h"

#include <shellapi.h>

namespace platform {

LONG OpenKey(RootKey root, const char* path, RegKey& key) {
    HKEY parent = RootHandle(root);
    HKEY opened = nullptr;
    LONG rc = RegOpenKeyA(parent, path, &opened);
    if (rc == ERROR_SUCCESS) key = RegKey(opened, parent);
    return rc;
}

}  // namespace platform

namespace Module_ini {
namespace {

constexpr DWORD kRegBufferSize = 1024;
constexpr DWORD kTextBufferSize = 256;

}  // namespace

std::wstring IniFilePath;

std::wstring RegEnumSubKeys(RootKey root, const std::wstring& keyPath, std::int32_t index) {
    platform::RegKey key;
    if (platform::OpenKey(root, platform::ToAnsi(keyPath).c_str(), key) != ERROR_SUCCESS) return kErr;
    char name[kRegBufferSize] = {};
    if (RegEnumKeyA(key.get(), static_cast<DWORD>(index), name, kRegBufferSize) != ERROR_SUCCESS) return kErr;
    return platform::FromAnsi(platform::TakeUntilNul(name, sizeof name));
}

std::wstring RegReadString(RootKey root, const std::wstring& keyPath, const std::wstring& valueName) {
    platform::RegKey key;
    if (platform::OpenKey(root, platform::ToAnsi(keyPath).c_str(), key) != ERROR_SUCCESS) return kErr;
    char data[kRegBufferSize] = {};
    DWORD type = 0;
    DWORD size = kRegBufferSize;
    const std::string name = platform::ToAnsi(valueName);
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return kErr;
    return platform::FromAnsi(platform::TakeUntilNul(data, sizeof data));
}

LONG RegWriteString(RootKey root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text) {
    platform::RegKey key;
    LONG rc = platform::OpenKey(root, platform::ToAnsi(keyPath).c_str(), key);
    if (rc != ERROR_SUCCESS) return rc;
    const std::string data = platform::ToAnsi(text);
    const std::string name = platform::ToAnsi(valueName);
    // The stored size counts the terminating NUL, which c_str() provides.
    return RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
}

std::wstring ReadIniString(const std::wstring& section, const std::wstring& key) {
    // An empty file name would make the platform look in the Windows folder.
    if (IniFilePath.empty()) return kNoEnt;
    char value[kTextBufferSize] = {};
    GetPrivateProfileStringA(platform::ToAnsi(section).c_str(), platform::ToAnsi(key).c_str(), "no ent", value,
                             kTextBufferSize, platform::ToAnsi(IniFilePath).c_str());
    return platform::FromAnsi(platform::TakeUntilNul(value, sizeof value));
}

std::wstring GetWindowsFolder() {
    char folder[kTextBufferSize] = {};
    UINT n = GetWindowsDirectoryA(folder, kTextBufferSize);
    if (n == 0 || n >= kTextBufferSize) return {};
    return platform::FromAnsi(platform::TakeUntilNul(folder, sizeof folder));
}

std::wstring GetLogonUserName() {
    char name[kTextBufferSize] = {};
    DWORD size = kTextBufferSize;
    if (!GetUserNameA(name, &size)) return {};
    return platform::FromAnsi(platform::TakeUntilNul(name, sizeof name));
}

void OpenDocument(HWND owner, const std::wstring& target) {
    char folder[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(MAX_PATH, folder);
    const char* workDir = (n > 0 && n < MAX_PATH) ? folder : nullptr;
    ShellExecuteA(owner, nullptr, platform::ToAnsi(target).c_str(), nullptr, workDir, SW_SHOWNORMAL);
}

}  // namespace Module_ini
