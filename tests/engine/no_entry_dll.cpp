// A stand-in unlha32.dll that loads but lacks the entry Unlha.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI NotUnlha(HWND, LPCSTR, LPSTR, DWORD) { return 0; }
