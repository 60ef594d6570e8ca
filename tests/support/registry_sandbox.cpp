#include "support/registry_sandbox.h"

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

void Planted::Remove() const {
    for (const Item& i : items_) {
        if (i.value.empty())
            RegDeleteTreeA(i.root, i.key.c_str());
        else
            RegDeleteKeyValueA(i.root, i.key.c_str(), i.value.c_str());
    }
}

namespace {

// Deletes what is below `dir`, then `dir`. Each file and folder directly, not through the
// shell's delete, which takes seconds per thousand files under Wine.
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = f.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = dir + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(full.c_str());
            else if (f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveDirectoryW(full.c_str());  // the link only, never what it points to
            else
                RemoveTree(full);
        } while (FindNextFileW(h, &f));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

bool RemoveFolder(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    if (wide.empty()) return false;
    RemoveTree(wide);
    return GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
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
