// Times one export of a backup through the mail window, or through qbmail.exe, both under the
// same Wine, for mailwindow_bench.sh:
//   drive_mailwindow.exe window QUILLBOXMAIL_EXE OUTDIR [TIMEOUT_S]
//     The program sits in the backup folder, so it lists that backup on its own, as for a user
//     who copied it there. Once the listing is shown, To is set to OUTDIR and Do clicked; the end
//     is the window's closing message, which must say it wrote the mail (not an error).
//   drive_mailwindow.exe command QBMAIL_EXE SOURCE OUTDIR
//     qbmail.exe export SOURCE OUTDIR, from its start to its exit (status 0 required).
// Prints "seconds=S peak_working_set_kib=K" (K 0 where Wine cannot tell an ended process's).
#include "bench/drive_window.h"
#include "mailwindow/resource.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

using namespace drive;

namespace {

constexpr wchar_t kCaption[] = L"Quillbox Mail Export";

LRESULT Ask(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, msg, w, l, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

int Window(const std::wstring& exe, const std::wstring& out, double timeout) {
    HANDLE process = nullptr;
    HWND main = StartProgram(exe, kCaption, process);
    if (!main) return Fail("start-up failed", process);
    const DWORD pid = GetProcessId(process);
    HWND contents = FindById(main, IDC_CONTENTS);
    HWND to = FindById(main, IDC_TO);
    HWND doButton = FindById(main, IDC_DO);
    if (!contents || !to || !doButton) return Fail("a control is missing", process);

    // The listing replaces the one "Reading ..." line with several.
    const double listStart = Now();
    while (Ask(contents, LB_GETCOUNT) < 2) {
        if (FindTop(pid, L"#32770", nullptr)) return Fail("a message box during the listing", process);
        if (Now() - listStart > timeout) return Fail("the listing did not end", process);
        Sleep(20);
    }
    Ask(to, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(out.c_str()));
    if (TextOf(to) != out) return Fail("To did not take the folder", process);

    const double start = Now();
    PostMessageW(doButton, BM_CLICK, 0, 0);
    HWND box = nullptr;
    while (!(box = FindTop(pid, L"#32770", nullptr))) {
        if (Now() - start > timeout) return Fail("timed out", process);
        Sleep(10);
    }
    const double seconds = Now() - start;
    const std::string text = BoxText(box);
    // Only a whole export asks whether to open the folder: a Yes button.
    if (!GetDlgItem(box, IDYES)) {
        std::fprintf(stderr, "drive_mailwindow: %s\n", text.c_str());
        return Fail("the export did not end whole", process);
    }
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    for (double t = Now(); FindTop(pid, L"#32770", nullptr); Sleep(20))
        if (Now() - t > 10) return Fail("the closing message stayed", process);
    return EndRun(main, process, seconds, [] {});
}

int Command(const std::wstring& exe, const std::wstring& source, const std::wstring& out) {
    std::wstring cmd = L"\"" + exe + L"\" export \"" + source + L"\" \"" + out + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return Fail("cannot start qbmail.exe", nullptr);
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double seconds = Now() - start;
    DWORD status = 1;
    GetExitCodeProcess(pi.hProcess, &status);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    const bool haveMemory = GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(nul);
    if (status != 0) {
        std::fprintf(stderr, "drive_mailwindow: qbmail.exe ended with %lu\n", status);
        return 1;
    }
    std::printf("seconds=%.3f peak_working_set_kib=%llu\n", seconds,
                haveMemory ? static_cast<unsigned long long>(pmc.PeakWorkingSetSize / 1024) : 0ULL);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"window" && argc >= 4) return Window(argv[2], argv[3], argc > 4 ? _wtof(argv[4]) : 600.0);
    if (mode == L"command" && argc == 5) return Command(argv[2], argv[3], argv[4]);
    std::fprintf(stderr,
                 "usage: drive_mailwindow window QUILLBOXMAIL_EXE OUTDIR [TIMEOUT_S]\n"
                 "       drive_mailwindow command QBMAIL_EXE SOURCE OUTDIR\n");
    return 2;
}
