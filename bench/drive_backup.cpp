// Drives one backup through the real Quillbox.exe and times it from the click on Do to the end.
//   drive_backup.exe QUILLBOX_EXE BACKUP_FOLDER [TIMEOUT_S]
// Prints "seconds=S peak_working_set_kib=K" on success. The end is the first moment OL.lzh is
// in the backup folder (the archiver renames it into place only once it is complete) and the
// main window answers a sent message again. Any message box of the program is a failure.
#include "bench/drive_window.h"
#include "mainwindow/resource.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

using namespace drive;

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::fprintf(stderr, "usage: drive_backup QUILLBOX_EXE BACKUP_FOLDER [TIMEOUT_S]\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    const std::wstring folder = argv[2];
    const double timeout = argc > 3 ? _wtof(argv[3]) : 600.0;
    const std::wstring archive = folder + L"\\OL.lzh";
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return Fail("the backup folder exists already", nullptr);

    HANDLE process = nullptr;
    HWND main = StartProgram(exe, kMainTitle, process);
    if (!main) return Fail("start-up failed", process);
    const DWORD pid = GetProcessId(process);
    HWND bkDir = FindById(main, IDC_BKDIR);
    HWND wab = FindById(main, IDC_ADDRESBOOK);
    HWND doButton = FindById(main, IDC_COMMAND1);
    if (!bkDir || !wab || !doButton) return Fail("a control is missing", process);

    DWORD_PTR result = 0;
    SendMessageTimeoutW(wab, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    if (result != BST_UNCHECKED) SendMessageTimeoutW(wab, BM_SETCHECK, BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 5000, &result);
    SendMessageTimeoutW(bkDir, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
    if (TextOf(bkDir) != folder) return Fail("bkDir did not take the folder", process);

    const double start = Now();
    PostMessageW(doButton, BM_CLICK, 0, 0);
    double end = 0;
    for (int polls = 0;; ++polls) {
        // Boxes are looked for less often: listing windows costs more than one file lookup.
        if (polls % 10 == 0) {
            if (HWND box = FindTop(pid, L"#32770", nullptr)) {
                std::fprintf(stderr, "drive_backup: message box after %.1f s: %s\n", Now() - start, BoxText(box).c_str());
                return Fail("the backup showed a message", process);
            }
        }
        if (GetFileAttributesW(archive.c_str()) != INVALID_FILE_ATTRIBUTES) {
            // Answered only once the click handler has returned to a message loop.
            if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result))
                return Fail("the window did not answer after OL.lzh appeared", process);
            end = Now();
            break;
        }
        if (Now() - start > timeout) return Fail("timed out", process);
        Sleep(10);
    }
    return EndRun(main, process, end - start, [] {});
}
