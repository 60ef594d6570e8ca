// A stand-in unlha32.dll whose Unlha does nothing but keep what it was called with.
#include "recording_unlha.h"

namespace {
UnlhaCall last;
}

extern "C" __declspec(dllexport) int WINAPI Unlha(HWND owner, LPCSTR command, LPSTR, DWORD outputSize) {
    ++last.calls;
    last.owner = owner;
    last.outputSize = outputSize;
    lstrcpynA(last.command, command ? command : "", sizeof last.command);
    return kRecordingUnlhaResult;
}

extern "C" __declspec(dllexport) const UnlhaCall* WINAPI LastUnlhaCall() { return &last; }
