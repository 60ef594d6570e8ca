// Where the running program lies, as the system names it.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Full path of the running program's file, however long.
inline std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The program's folder; at a drive root it keeps its backslash ("D:\"), as the system reports it.
inline std::wstring ProgramFolder() {
    const std::wstring path = ProgramPath();
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    return path.substr(0, (slash == 2 && path[1] == L':') ? slash + 1 : slash);
}

// The program's file name without folder and extension ("Quillbox").
inline std::wstring ProgramName() {
    const std::wstring path = ProgramPath();
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

}  // namespace platform
