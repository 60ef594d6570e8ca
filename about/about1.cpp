// about1.exe: the about box the main program's ABOUT menu starts. It shows the name, version and
// description it is given on its command line, who made the programs and which archiver
// library lies beside it; OK closes it.
#include "about/about_text.h"
#include "about/res/resource.h"
#include "platform/program_file.h"

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kArchiver[] = L"unlha32.dll";
constexpr wchar_t kMaker[] = L"Made by the Quillbox developers";


// "Archiver: unlha32.dll 1.0.0", from the version resource of the library beside this program.
std::wstring ArchiverLine() {
    const std::wstring folder = platform::ProgramFolder();
    const std::wstring path = folder + (folder.empty() || folder.back() != L'\\' ? L"\\" : L"") + kArchiver;
    const std::wstring head = std::wstring(L"Archiver: ") + kArchiver;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return head + L" is missing";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixedSize < sizeof *fixed)
        return head + L" (no version information)";
    return head + L" " + std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
}

// The dialog font, bold and larger, for the program's name; deleted with the dialog.
HFONT MakeNameFont(HWND dialog) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    font.lfHeight = font.lfHeight * 3 / 2;
    return CreateFontIndirectW(&font);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    static HFONT nameFont = nullptr;
    switch (message) {
    case WM_INITDIALOG: {
        const auto& text = *reinterpret_cast<const about::AboutText*>(lParam);
        SetWindowTextW(dialog, text.parsed ? (L"About " + text.name).c_str() : L"About");
        SetDlgItemTextW(dialog, IDC_ABOUT_NAME, text.name.c_str());
        SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, text.parsed ? (L"Version " + text.version).c_str() : L"");
        SetDlgItemTextW(dialog, IDC_ABOUT_DESCRIPTION, text.description.c_str());
        SetDlgItemTextW(dialog, IDC_ABOUT_MAKER, kMaker);
        SetDlgItemTextW(dialog, IDC_ABOUT_ARCHIVER, ArchiverLine().c_str());
        nameFont = MakeNameFont(dialog);
        SendDlgItemMessageW(dialog, IDC_ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont), FALSE);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        DeleteObject(nameFont);
        nameFont = nullptr;
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The wide command line: the ANSI one has lost every character outside the code page.
    const about::AboutText text = about::ParseArgument(about::ArgumentOf(GetCommandLineW()));
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), nullptr, AboutProc, reinterpret_cast<LPARAM>(&text));
    return 0;
}
