// Drives one restore through the real Quillbox.exe and times it from the click on Do to the end.
//   drive_restore.exe QUILLBOX_EXE BKD_FILE IDENTITY_KEY EXPECTED_STORE_ROOT [TIMEOUT_S]
// Brings the restore page up (FILE > Restor), types the OLdate.bkd path into BkDDir, double-clicks
// it and confirms the Open dialog with that path, then clicks Do. The identity's "Store Root" is
// set to a marker just before; the end is the first moment it holds EXPECTED_STORE_ROOT (the restore
// writes it last) and the main window answers a sent message again. Any message box is a failure.
// Prints "seconds=S peak_working_set_kib=K" on success.
#include "bench/drive_window.h"
#include "mainwindow/resource.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

using namespace drive;

namespace {

std::wstring StoreRootKey(const std::wstring& identity) {
    return L"Identities\\" + identity + L"\\Software\\Microsoft\\Outlook Express\\5.0";
}

std::wstring ReadStoreRoot(const std::wstring& key) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Store Root", RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return {};
    return buf;
}

bool WriteStoreRoot(const std::wstring& key, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Store Root", REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 5) {
        std::fprintf(stderr, "usage: drive_restore QUILLBOX_EXE BKD_FILE IDENTITY_KEY EXPECTED_STORE_ROOT [TIMEOUT_S]\n");
        return 2;
    }
    const std::wstring exe = argv[1], bkd = argv[2], key = StoreRootKey(argv[3]), expected = argv[4];
    const double timeout = argc > 5 ? _wtof(argv[5]) : 600.0;
    // The program checks the store at start-up, so the marker goes in just before the click and
    // the old value comes back at the end.
    const std::wstring before = ReadStoreRoot(key);

    HANDLE process = nullptr;
    HWND main = StartProgram(exe, kMainTitle, process);
    if (!main) return Fail("start-up failed", process);
    const DWORD pid = GetProcessId(process);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, WM_COMMAND, MAKEWPARAM(IDM_RESTOR, 0), 0, SMTO_ABORTIFHUNG, 5000, &result);
    HWND bkDDir = FindById(main, IDC_BKDDIR);
    HWND bkUser = FindById(main, IDC_BKUSER);
    HWND doButton = FindById(main, IDC_COMMAND2);
    if (!bkDDir || !bkUser || !doButton) return Fail("a control is missing", process);
    SendMessageTimeoutW(bkDDir, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bkd.c_str()), SMTO_ABORTIFHUNG, 5000, &result);

    // The double-click opens the Open dialog; it is given the full path and confirmed.
    PostMessageW(bkDDir, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    HWND dialog = nullptr;
    for (int waited = 0; !dialog && waited < 20000; waited += 50) {
        dialog = FindTop(pid, L"#32770", nullptr);
        if (!dialog) Sleep(50);
    }
    if (!dialog) return Fail("no Open dialog", process);
    Sleep(200);  // let the dialog finish its set-up
    HWND name = GetDlgItem(dialog, 1148);  // cmb13, the file name box
    if (!name) name = GetDlgItem(dialog, 1152);  // edt1 in older templates
    if (!name) return Fail("the Open dialog has no file name box", process);
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bkd.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    for (int waited = 0; IsWindow(dialog) && waited < 20000; waited += 50) Sleep(50);
    if (IsWindow(dialog)) return Fail("the Open dialog did not close", process);
    if (TextOf(bkUser).empty()) return Fail("the backup was not loaded (no identity shown)", process);

    if (!WriteStoreRoot(key, L"(before the restore)")) return Fail("cannot set the Store Root marker", process);
    const double start = Now();
    PostMessageW(doButton, BM_CLICK, 0, 0);
    double end = 0;
    for (int polls = 0;; ++polls) {
        if (polls % 10 == 0) {
            if (HWND box = FindTop(pid, L"#32770", nullptr)) {
                std::fprintf(stderr, "drive_restore: message box after %.1f s: %s\n", Now() - start, BoxText(box).c_str());
                return Fail("the restore showed a message", process);
            }
        }
        if (lstrcmpiW(ReadStoreRoot(key).c_str(), expected.c_str()) == 0) {
            // Answered only once the click handler has returned to a message loop.
            if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result))
                return Fail("the window did not answer after Store Root was written", process);
            end = Now();
            break;
        }
        if (Now() - start > timeout) return Fail("timed out", process);
        Sleep(10);
    }
    return EndRun(main, process, end - start, [&] { WriteStoreRoot(key, before); });
}
