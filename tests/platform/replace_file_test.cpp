#include "platform/find_handle.h"
#include "platform/replace_file.h"

#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

using testsupport::ScratchDir;
using testsupport::Widen;

std::string Read(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : "<missing>";
}

std::set<std::wstring> Names(const std::wstring& folder) {
    std::set<std::wstring> names;
    platform::FindHandle find(folder + L"\\*");
    if (!find.ok()) return names;
    do {
        const std::wstring n = find.data().cFileName;
        if (n != L"." && n != L"..") names.insert(n);
    } while (find.Next());
    return names;
}

void Put(platform::ReplaceFile& f, const std::string& text) {
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(f.handle(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr));
}

// A write that is never committed, or whose commit is refused, keeps the old target and
// leaves no temporary behind.
TEST(ReplaceFile, WithoutASuccessfulCommitTheTargetStaysAndTheTemporaryGoes) {
    struct Case {
        const char* name;
        bool commit;
        bool targetIsFolder;  // a folder cannot be replaced by a file
    } cases[] = {
        {"never committed", false, false},
        {"commit refused", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir("replace_file_kept");
        const std::wstring folder = Widen(dir.path());
        const std::wstring target = folder + L"\\WAB.wab";
        if (c.targetIsFolder) {
            ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
        } else {
            dir.WriteFile("WAB.wab", "old book");
        }
        {
            platform::ReplaceFile f(target);
            ASSERT_TRUE(f.ok()) << f.error();
            EXPECT_EQ(folder + L"\\", f.temporary().substr(0, folder.size() + 1));
            EXPECT_EQ((std::set<std::wstring>{L"WAB.wab", f.temporary().substr(folder.size() + 1)}), Names(folder));
            Put(f, "half a new bo");
            if (c.commit) {
                EXPECT_NE(0u, f.Commit());
            }
        }
        if (c.targetIsFolder) {
            EXPECT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        } else {
            EXPECT_EQ("old book", Read(target));
        }
        EXPECT_EQ(std::set<std::wstring>{L"WAB.wab"}, Names(folder));
    }
}

TEST(ReplaceFile, CommitPutsTheNewFileInPlace) {
    for (const bool existed : {true, false}) {
        SCOPED_TRACE(existed ? "over an old file" : "no old file");
        ScratchDir dir("replace_file_commit");
        const std::wstring folder = Widen(dir.path());
        const std::wstring target = folder + L"\\WAB.wab";
        if (existed) dir.WriteFile("WAB.wab", "old book, longer than the new one");
        {
            platform::ReplaceFile f(target);
            ASSERT_TRUE(f.ok()) << f.error();
            Put(f, "new book");
            EXPECT_EQ(0u, f.Commit());
            EXPECT_EQ(INVALID_HANDLE_VALUE, f.handle());
        }
        EXPECT_EQ("new book", Read(target));
        EXPECT_EQ(std::set<std::wstring>{L"WAB.wab"}, Names(folder));
    }
}

TEST(ReplaceFile, AFolderThatCannotBeWrittenIsReportedAndLeavesNothing) {
    platform::ReplaceFile f(L"C:\\no such folder\\WAB.wab");
    EXPECT_FALSE(f.ok());
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, f.error());
    EXPECT_NE(0u, f.Commit());
}

}  // namespace
