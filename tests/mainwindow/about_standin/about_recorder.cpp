// Stands in for about1.exe beside a test program: records the wide command line it was started
// with in about1-cmdline.txt beside itself (UTF-16), then ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    const std::wstring line = GetCommandLineW();
    // Written under another name first so the test never reads a half-written record.
    const std::wstring temp = folder + L"\\about1-cmdline.tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temp.c_str(), (folder + L"\\about1-cmdline.txt").c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
