// What tests compare: a folder's files and a registry tree, read whole.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace testsupport {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>");
}

// Every file below `folder` (relative name, '\'-separated) with its bytes.
inline std::map<std::string, std::string> Snapshot(const std::string& folder, const std::string& rel = "") {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "\\" + rel + "*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = f.cFileName;
        if (name == "." || name == "..") continue;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[rel + name + "\\"] = "";
            files.merge(Snapshot(folder, rel + name + "\\"));
        } else {
            files[rel + name] = ReadBytes(folder + "\\" + rel + name);
        }
    } while (FindNextFileA(h, &f));
    FindClose(h);
    return files;
}

// Every key and value below HKCU\<path> by relative path, a value as "type:bytes"; empty when
// the key is missing.
inline void DumpTree(const std::string& path, const std::string& rel, std::map<std::string, std::string>& out) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    out[rel] = "key";
    char name[1024];
    std::string data(1 << 20, '\0');
    DWORD size, dataSize, type;
    for (DWORD i = 0; size = sizeof name, dataSize = static_cast<DWORD>(data.size()),
               RegEnumValueA(h, i, name, &size, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &dataSize) ==
                   ERROR_SUCCESS;
         ++i)
        out[rel + "|" + std::string(name, size)] = std::to_string(type) + ":" + data.substr(0, dataSize);
    for (DWORD i = 0; size = sizeof name, RegEnumKeyExA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0; ++i)
        DumpTree(path + "\\" + name, rel + "\\" + name, out);
    RegCloseKey(h);
}
inline std::map<std::string, std::string> DumpTree(const std::string& path) {
    std::map<std::string, std::string> out;
    DumpTree(path, "", out);
    return out;
}

}  // namespace testsupport
