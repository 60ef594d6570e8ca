// What the recording stand-in unlha32.dll keeps of the last Unlha call, and how a test asks.
#pragma once

#include <windows.h>

struct UnlhaCall {
    int calls;
    HWND owner;
    DWORD outputSize;
    char command[1024];
};

// The stand-in's export "LastUnlhaCall".
using LastUnlhaCallProc = const UnlhaCall*(WINAPI*)();

// What the stand-in's Unlha returns.
inline constexpr int kRecordingUnlhaResult = 3;
