// Archive command lines and text-file reading.
#include "engine/ext_win.h"

#include "engine/engine_error.h"
#include "engine/run_unlha.h"
#include "platform/ansi.h"

#include <filesystem>
#include <fstream>
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
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) throw engine::TextFileError("cannot open " + platform::ToAnsi(path));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw engine::TextFileError("cannot read " + platform::ToAnsi(path));
    if (bytes.empty()) throw engine::TextFileError("empty file " + platform::ToAnsi(path));
    return platform::FromAnsi(bytes);
}

}  // namespace ext_win
