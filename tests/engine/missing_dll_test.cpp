// The adapter without a usable unlha32.dll: this program lives in a folder of its own, where
// the DLL is missing, or is a stand-in without the entry Unlha. Each archive operation must
// raise engine::ArchiverUnavailable.
#include "engine/engine_error.h"
#include "engine/ext_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace {

std::wstring HereFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring p(exe);
    return p.substr(0, p.find_last_of(L'\\'));
}

const std::wstring kDll = HereFolder() + L"\\unlha32.dll";

const std::pair<const char*, std::function<int()>> kOperations[] = {
    {"ArchiveFolder", [] { return ext_win::ArchiveFolder(L"C:\\nowhere\\", L"C:\\nowhere\\OL.lzh"); }},
    {"ArchiveFile", [] { return ext_win::ArchiveFile(L"C:\\nowhere\\a.wab", L"C:\\nowhere\\WAB.lzh"); }},
    {"ExtractArchive", [] { return ext_win::ExtractArchive(L"C:\\nowhere\\OL.lzh", L"C:\\nowhere\\x"); }},
};

TEST(MissingDllTest, EveryOperationRaisesWhenTheDllIsMissing) {
    DeleteFileW(kDll.c_str());
    ASSERT_EQ(GetFileAttributesW(kDll.c_str()), INVALID_FILE_ATTRIBUTES);
    for (const auto& [name, op] : kOperations) {
        EXPECT_THROW(op(), engine::ArchiverUnavailable) << name;
    }
}

TEST(MissingDllTest, EveryOperationRaisesWhenTheEntryIsMissing) {
    DeleteFileW(kDll.c_str());
    ASSERT_TRUE(CopyFileW((HereFolder() + L"\\stub\\unlha32.dll").c_str(), kDll.c_str(), FALSE));
    for (const auto& [name, op] : kOperations) {
        EXPECT_THROW(op(), engine::ArchiverUnavailable) << name;
    }
    // Still loaded by this process, so removing it may fail here; the next test removes it.
    DeleteFileW(kDll.c_str());
}

}  // namespace
