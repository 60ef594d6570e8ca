// Archive command lines and text-file reading.
#include "engine/ext_win.h"

#include "engine/engine_error.h"
#include "engine/run_unlha.h"
#include "platform/ansi.h"
#include "platform/handle.h"

#include <iterator>

namespace ext_win {
namespace {

constexpr wchar_t kQ = L'"';

}  // namespace

std::wstring FolderCommand(const std::wstring& folder, const std::wstring& archive) {
    return L"a -r2 -x1 -a2 -jss " + (kQ + archive + kQ) + L" " + (kQ + folder + L"\\" + kQ);
}

std::wstring FileCommand(const std::wstring& file, const std::wstring& archive) {
    return L"a -a2 " + (kQ + archive + kQ) + L" " + (kQ + file + kQ);
}

std::wstring ExtractCommand(const std::wstring& archive, const std::wstring& destination) {
    return L"e -x1m1 " + (kQ + archive + kQ) + L" " + (kQ + destination + kQ) + L"\\ *";
}

int ArchiveFolder(const std::wstring& folder, const std::wstring& archive) {
    return Module_ini::RunUnlha(FolderCommand(folder, archive));
}

int ArchiveFile(const std::wstring& file, const std::wstring& archive) {
    return Module_ini::RunUnlha(FileCommand(file, archive));
}

int ExtractArchive(const std::wstring& archive, const std::wstring& destination) {
    return Module_ini::RunUnlha(ExtractCommand(archive, destination));
}

std::wstring ReadTextFile(const std::wstring& path) {
    // Through the system's file calls, not the C runtime's wide streams: those end in functions
    // that Windows 98's C runtime lacks (_wfopen works there only through a stub).
    platform::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw engine::TextFileError("cannot open " + platform::ToAnsi(path));
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    do {
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr))
            throw engine::TextFileError("cannot read " + platform::ToAnsi(path));
        bytes.append(chunk, got);
    } while (got > 0);
    if (bytes.empty()) throw engine::TextFileError("empty file " + platform::ToAnsi(path));
    return platform::FromAnsi(bytes);
}

}  // namespace ext_win
