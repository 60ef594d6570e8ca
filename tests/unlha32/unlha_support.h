// Helpers for the unlha32 tests: calling the real DLL and building and reading folder trees.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace unlhatest {

struct CallResult {
    int code = -1;
    std::string output;
};

// Calls Unlha of the unlha32.dll beside the test program with a 4096-byte buffer.
CallResult CallUnlha(const std::string& commandLine, HWND owner = nullptr);

// The Unlha entry itself, for tests that hand in their own buffers.
using UnlhaProc = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);
UnlhaProc UnlhaEntry();

// File tree: relative path ('\'-separated) to content; folders map to the marker kFolder.
using Tree = std::map<std::wstring, std::string>;
inline const std::string kFolder = "<folder>";

// Writes every file and folder of `tree` below `root` (which must exist).
void WriteTree(const std::wstring& root, const Tree& tree);
// Reads everything below `root`.
Tree ReadTree(const std::wstring& root);

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// Content that compresses but is not trivial: `size` bytes from a seeded generator.
std::string Sample(std::size_t size, unsigned seed);

std::string Narrow(const std::wstring& ascii);

}  // namespace unlhatest
