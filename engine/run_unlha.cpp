// Binding unlha32.dll by name and calling its Unlha entry.
#include "engine/run_unlha.h"

#include "engine/engine_error.h"
#include "platform/ansi.h"

#include <windows.h>


namespace Module_ini {
namespace {

using UnlhaProc = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);

constexpr DWORD kOutputSize = 1024;

// Resolves Unlha once; a failed attempt is not remembered, so a later call may succeed. Only the
// window's thread archives, so the binding needs no lock.
UnlhaProc Bind() {
    static UnlhaProc proc = nullptr;
    if (proc) return proc;
    HMODULE module = LoadLibraryW(L"unlha32.dll");
    if (!module) throw engine::ArchiverUnavailable("unlha32.dll cannot be loaded");
    auto found = reinterpret_cast<UnlhaProc>(reinterpret_cast<void*>(GetProcAddress(module, "Unlha")));
    if (!found) {
        FreeLibrary(module);
        throw engine::ArchiverUnavailable("unlha32.dll has no entry Unlha");
    }
    proc = found;  // the module stays loaded for the life of the program
    return proc;
}

}  // namespace

std::int16_t RunUnlha(const std::wstring& commandLine) {
    const UnlhaProc unlha = Bind();
    const std::string ansi = platform::ToAnsi(commandLine);
    char output[kOutputSize] = {};
    // The library's result is a 16-bit code carried in an int.
    return static_cast<std::int16_t>(unlha(nullptr, ansi.c_str(), output, kOutputSize));
}

}  // namespace Module_ini
