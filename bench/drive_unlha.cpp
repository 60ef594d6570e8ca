// Runs one Unlha command the way the restore does and times the call.
//   drive_unlha.exe DLL COMMAND_LINE
// Prints "load=S seconds=S result=N": loading the DLL, and the call alone; the exit code is the
// result. The window libraries are loaded first, since the program has them before it binds the
// DLL. The progress window follows the environment, as in the program.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

using UnlhaFn = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: drive_unlha DLL COMMAND_LINE\n");
        return 100;
    }
    LoadLibraryA("comctl32.dll");  // brings user32 and gdi32
    LARGE_INTEGER freq, t0, t1, t2;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    HMODULE dll = LoadLibraryA(argv[1]);
    auto unlha = dll ? reinterpret_cast<UnlhaFn>(reinterpret_cast<void*>(GetProcAddress(dll, "Unlha"))) : nullptr;
    if (!unlha) {
        std::fprintf(stderr, "cannot load Unlha from the DLL (%lu)\n", GetLastError());
        return 101;
    }
    const std::string cmd = argv[2];  // ANSI, as the program sends it
    std::vector<char> report(1 << 16);
    QueryPerformanceCounter(&t1);
    const int rc = unlha(nullptr, cmd.c_str(), report.data(), static_cast<DWORD>(report.size()));
    QueryPerformanceCounter(&t2);
    if (rc != 0) std::fprintf(stderr, "%s", report.data());
    const auto sec = [&](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
        return static_cast<double>(b.QuadPart - a.QuadPart) / freq.QuadPart;
    };
    std::printf("load=%.3f seconds=%.3f result=%d\n", sec(t0, t1), sec(t1, t2), rc);
    return rc;
}
