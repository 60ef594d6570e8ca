// unlha_cli: runs the Unlha command line found in the environment variable QB_UNLHA_COMMAND
// (so no C runtime quoting rules touch it), prints the report and exits with Unlha's result.
// The interop check with the Linux LHA tools drives the DLL through it.
#include <windows.h>

#include <cstdio>

int main() {
    static char command[32768];
    const DWORD n = GetEnvironmentVariableA("QB_UNLHA_COMMAND", command, sizeof command);
    if (n == 0 || n >= sizeof command) {
        std::fprintf(stderr, "unlha_cli: set QB_UNLHA_COMMAND to an Unlha command line\n");
        return 100;
    }
    HMODULE m = LoadLibraryW(L"unlha32.dll");
    auto unlha = m ? reinterpret_cast<int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD)>(
                         reinterpret_cast<void*>(GetProcAddress(m, "Unlha")))
                   : nullptr;
    if (!unlha) {
        std::fprintf(stderr, "unlha_cli: unlha32.dll or its entry Unlha not found\n");
        return 101;
    }
    static char out[65536];
    const int rc = unlha(nullptr, command, out, sizeof out);
    std::fputs(out, stdout);
    return rc;
}
