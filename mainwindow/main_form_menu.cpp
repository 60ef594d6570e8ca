// The main window's HELP and ABOUT menus and the backup folder picker.
#include "mainwindow/main_form.h"

#include "platform/program_file.h"
#include "quillbox_version.h"

namespace mainwindow {
namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring HelpDocument() {
    if (IsFile(kHelpPage)) return kHelpPage;
    const std::wstring beside = ProgramFolder() + L"\\" + kHelpPage;
    // Started from a shortcut whose working folder is elsewhere, the page still opens.
    return IsFile(beside) ? beside : kHelpPage;
}

std::wstring AboutCommandLine() {
    return kAboutProgram + platform::ProgramName() + L"/" + std::to_wstring(QB_VERSION_MAJOR) + L"." +
           std::to_wstring(QB_VERSION_MINOR) + L"." + std::to_wstring(QB_VERSION_REVISION) + kAboutDescription;
}

void mainFrm::bkDir_DblClick() {
    const std::wstring chosen = hooks_.BrowseFolder(hwnd(), bkDir.Text());
    if (!chosen.empty()) bkDir.SetText(chosen);
}

void mainFrm::mnhlp_Click() { hooks_.OpenDocument(hwnd(), HelpDocument()); }

void mainFrm::mnAbout_Click() {
    std::wstring commandLine = AboutCommandLine();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    // Not waited for; a missing or refused program is not reported.
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        // Lets the about box take the focus from this window.
        AllowSetForegroundWindow(process.dwProcessId);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace mainwindow
