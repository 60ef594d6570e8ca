#include "support/registry_sandbox.h"

#include <shellapi.h>

#include <fstream>

namespace testsupport {

bool CreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteTree(const std::string& path) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool SetRawValue(const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

ScratchKey::ScratchKey(const std::string& name) : path_("Software\\QuillboxTest\\" + name) {
    DeleteTree(path_);
}

ScratchKey::~ScratchKey() { DeleteTree(path_); }

bool RemoveFolder(const std::string& path) {
    std::string from = path + '\0';  // the shell wants a double-NUL-terminated list
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    return SHFileOperationA(&op) == 0;
}

ScratchDir::ScratchDir(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "quillbox-test-" + name;
    RemoveFolder(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveFolder(path_); }

std::string ScratchDir::WriteFile(const std::string& name, const std::string& content) const {
    const std::string full = path_ + "\\" + name;
    std::ofstream(full, std::ios::binary) << content;
    return full;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace testsupport
