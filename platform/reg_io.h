// Writes a registry key tree as the registry editor's REGEDIT4 key blocks: a key line per key,
// one line per value, an empty line after each block. The header line is the caller's.
// Everything works on code-page bytes as the ANSI API reports them, so names and data the code
// page holds come back byte for byte when the registry editor imports the file.
#pragma once

#include "platform/reg_key.h"

#include <windows.h>

#include <string>

namespace RegIO {

// Name of a predefined root key for key lines ("HKEY_CURRENT_USER"); empty for any other
// handle value.
std::string RegRootKeyName(platform::RootKey root);

// One value line with its CR LF, from the value's name, type and data bytes:
//   @= for the default value, else "name"=  (\ and " escaped as \\ and \")
//   REG_SZ          "text"        the data up to its first NUL (all of it if it has none), escaped;
//                                 a text with a CR or LF in it as hex(1): bytes instead
//   REG_DWORD       dword:0000000A  four data bytes, most significant first
//   REG_BINARY      hex:01,A0,    every byte followed by a comma; no data gives hex:
//   any other type  hex(N):...    N in lower-case hex, bytes as for hex:, terminators included;
//                                 also a REG_DWORD whose data is not four bytes long (hex(4):)
// `codePage` says which bytes lead a double-byte character: their trail byte may equal a
// backslash or a quote and is not escaped.
std::string FormatRegValueLine(const std::string& name, DWORD type, const std::string& data,
                               UINT codePage = CP_ACP);

// The line of the value at `index` of a key opened with KEY_QUERY_VALUE. Returns 0,
// ERROR_NO_MORE_ITEMS after the last value, or the platform's error code (line left empty).
LONG RegEnumValueText(HKEY key, DWORD index, std::string& line);

// Name of the subkey at `index` of a key opened with KEY_ENUMERATE_SUB_KEYS. Returns 0,
// ERROR_NO_MORE_ITEMS after the last subkey, or the platform's error code (name left empty).
// Only the result tells the end: a subkey may well be named "259".
LONG RegEnumSubKeyName(HKEY key, DWORD index, std::string& name);

// Block of one key: "[root\path]", its value lines in the platform's order, an empty line.
// Empty when the key cannot be opened to read its values. A read failing part way ends the
// value lines there.
std::string FormatRegKeyBlock(platform::RootKey root, const std::string& keyPath);

// Block of the key, then depth first the tree of each subkey in the platform's order. A key
// left out for its values still has its subkeys visited; a key whose subkeys cannot be listed
// adds none.
std::string FormatRegKeyTree(platform::RootKey root, const std::string& keyPath);

// Writes CR LF, the tree text of `keyPath` (converted to the ANSI code page) and CR LF into
// `fileName`, created or truncated, in one write. Returns 0 or the Win32 error code of creating
// or writing the file; the registry side never fails the export.
DWORD ExportRegKey(const std::wstring& fileName, platform::RootKey root, const std::wstring& keyPath);

}  // namespace RegIO
