// Started by a test through the shell: records the working folder it was given in cwd.txt there.
#include <windows.h>

#include <cstdio>

int main() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    // Written under another name first so the test never reads a half-written report.
    if (FILE* f = std::fopen("cwd.tmp", "wb")) {
        std::fputs(folder, f);
        std::fclose(f);
        MoveFileA("cwd.tmp", "cwd.txt");
    }
    return 0;
}
