// unlha32.dll's entry: Unlha(window, command line, output buffer, buffer size).
#include "unlha32/commands.h"
#include "unlha32/member_path.h"

#include <windows.h>

#include <exception>
#include <new>

namespace {

// Parses and runs one command; the report collects the text and the result code.
void Run(HWND owner, const char* cmdLine, unlha::Report& report) {
    if (!cmdLine) {
        report.fail(unlha::kBadCommand, L"no command line");
        return;
    }
    std::wstring text;
    if (!unlha::AnsiToWide(cmdLine, text)) {
        report.fail(unlha::kNameNotAnsi, L"the command line is not valid text in the ANSI code page");
        return;
    }
    unlha::CommandLine cl;
    std::wstring error;
    if (!unlha::ParseCommandLine(text, cl, error)) {
        report.fail(unlha::kBadCommand, error);
        return;
    }
    unlha::ProgressWindow progress(owner, L"unlha32");
    if (cl.command == unlha::Command::Add) {
        unlha::RunAdd(cl, report, progress);
    } else {
        unlha::RunRead(cl, report, progress);
    }
}

}  // namespace

extern "C" int WINAPI Unlha(HWND owner, LPCSTR cmdLine, LPSTR output, DWORD outputSize) {
    unlha::Report report;
    try {
        Run(owner, cmdLine, report);
    } catch (const std::bad_alloc&) {
        report.fail(unlha::kInternal, L"out of memory");
    } catch (const std::exception&) {
        report.fail(unlha::kInternal, L"unexpected failure");
    }
    report.copyTo(output, outputSize);
    return report.result();
}
