// The version resources of the shipped files, read back as the Explorer's file properties do.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring BinFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    return path.substr(0, path.find_last_of(L'\\'));
}

struct Version {
    bool found = false;
    std::wstring fixed;  // "2.1.6.0", from the fixed part
    std::wstring text;   // the FileVersion string
    std::wstring original;
};

Version Read(const std::wstring& file) {
    Version v;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return v;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT n = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &n)) return v;
    v.found = true;
    v.fixed = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
              L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) && value
                   ? std::wstring(value)
                   : std::wstring();
    };
    v.text = text(L"FileVersion");
    v.original = text(L"OriginalFilename");
    return v;
}

TEST(VersionResource, EachShippedFileNamesItselfAndItsVersion) {
    struct Row { const wchar_t* file; const wchar_t* fixed; const wchar_t* text; };
    const Row rows[] = {
        {L"Quillbox.exe", L"2.1.6.0", L"2.1.6"},
        {L"about1.exe", L"2.1.6.0", L"2.1.6"},
        {L"unlha32.dll", L"1.0.0.0", L"1.0.0"},
    };
    for (const Row& row : rows) {
        const Version v = Read(BinFolder() + L"\\" + row.file);
        ASSERT_TRUE(v.found) << row.file;
        EXPECT_EQ(row.fixed, v.fixed) << row.file;
        EXPECT_EQ(row.text, v.text) << row.file;
        EXPECT_EQ(row.file, v.original);
    }
}

}  // namespace
