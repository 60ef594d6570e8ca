// The folder picker through the system's real dialog: a second thread plays the user, reads
// what the dialog shows and presses OK or Cancel.
#include "lha/threads.h"
#include "platform/module_brows.h"
#include "support/registry_sandbox.h"
#include "support/system_family.h"
#include "support/test_window.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::ScratchDir;
using testsupport::Widen;

// What the second thread saw of the picker before it pressed the button.
struct Seen {
    bool found = false;
    std::wstring prompt;    // the static text that holds the prompt, empty when none does
    std::wstring selected;  // the tree's selected item
};

HWND FindPicker(DWORD thread) {
    return testsupport::FirstThreadWindow(thread, [](HWND h) {
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        return lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h);
    });
}

std::wstring SelectedItem(HWND picker) {
    HWND tree = FindWindowExW(picker, nullptr, WC_TREEVIEWW, nullptr);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return {};
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

// Opens the selected item and selects its child of that name, as a click in the tree would.
void Descend(HWND picker, const std::wstring& child) {
    HWND tree = FindWindowExW(picker, nullptr, WC_TREEVIEWW, nullptr);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    for (auto c = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         c; c = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(c)))) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = c;
        tv.pszText = text;
        tv.cchTextMax = MAX_PATH;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        if (child == text) {
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(c));
            return;
        }
    }
}

// Runs the picker on this thread while another one walks down `path` below the selected item
// and answers with `button`.
std::wstring Pick(const std::wstring& initial, int button, Seen& seen, const std::vector<std::wstring>& path = {}) {
    testsupport::TestWindow owner;
    const DWORD self = GetCurrentThreadId();
    lha::Thread user([&] {
        for (int waited = 0; waited < 10000 && !seen.found; waited += 50) {
            if (HWND picker = FindPicker(self)) {
                // The picker shows before it has selected the initial folder.
                const bool preselects = initial.find_first_not_of(L' ') != std::wstring::npos;
                for (int w = 0; preselects && w < 5000 && SelectedItem(picker).empty(); w += 50) Sleep(50);
                seen.found = true;
                for (HWND c = nullptr; (c = FindWindowExW(picker, c, L"Static", ModuleBrows::kPrompt));)
                    seen.prompt = ModuleBrows::kPrompt;
                for (const std::wstring& child : path) Descend(picker, child);
                seen.selected = SelectedItem(picker);
                PostMessageW(picker, WM_COMMAND, button, 0);
            } else {
                Sleep(50);
            }
        }
    });
    std::wstring result = ModuleBrows::BrowseForFolder(owner.hwnd(), initial);
    user.join();
    return result;
}

constexpr wchar_t kDeepName[] = L"folder-of-a-long-backup-path";

// Nested folders below `base` until the whole path is longer than `length` characters.
std::wstring MakeDeepFolder(const std::wstring& base, std::size_t length, std::vector<std::wstring>& made) {
    std::wstring path = base;
    while (path.size() <= length) {
        path += std::wstring(L"\\") + kDeepName;
        CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
        made.push_back(path);
    }
    return path;
}

TEST(FolderPicker, OkWithTheInitialFolderGivesItsPath) {
    ScratchDir scratch("picker");
    const std::wstring base = Widen(scratch.path());
    const std::wstring plain = base + L"\\pick me";
    const std::wstring japanese = base + L"\\バックアップ先";  // not in a Western code page
    CreateDirectoryW(plain.c_str(), nullptr);
    CreateDirectoryW(japanese.c_str(), nullptr);

    struct Row { std::wstring initial, expected, selectedItem; };
    const Row rows[] = {
        {japanese, japanese, L"バックアップ先"},
        {L"  " + plain + L"  ", plain, L"pick me"},  // blanks around the typed text are trimmed
        {plain, plain, L"pick me"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.expected));
        if (!testsupport::SystemTakes(row.expected)) continue;  // no such folder on a 9x system of this code page
        Seen seen;
        EXPECT_EQ(row.expected, Pick(row.initial, IDOK, seen));
        ASSERT_TRUE(seen.found);
        if (testsupport::SystemTakes(ModuleBrows::kPrompt)) {
            EXPECT_EQ(ModuleBrows::kPrompt, seen.prompt);
        }
        EXPECT_EQ(row.selectedItem, seen.selected);
    }
    RemoveDirectoryW(plain.c_str());
    RemoveDirectoryW(japanese.c_str());
}

TEST(FolderPicker, APathLongerThanTheOldBuffersComesBackWhole) {
    if (testsupport::On9x()) GTEST_SKIP() << "paths stop at MAX_PATH on the 9x family";
    ScratchDir scratch("picker-deep");
    std::vector<std::wstring> made;
    // Just past 260: Wine lists no folder below a path that long, so the tree reaches no deeper.
    const std::wstring deep = MakeDeepFolder(Widen(scratch.path()), MAX_PATH, made);
    Seen seen;
    // A path this long is not preselected under Wine; the user walks down to it in the tree.
    const std::vector<std::wstring> walk(made.size(), kDeepName);
    EXPECT_EQ(deep, Pick(Widen(scratch.path()), IDOK, seen, walk));
    EXPECT_EQ(kDeepName, seen.selected);
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
}

TEST(FolderPicker, CancelGivesTheEmptyText) {
    ScratchDir scratch("picker-cancel");
    for (const std::wstring& initial : {Widen(scratch.path()), std::wstring(L"   "), std::wstring()}) {
        Seen seen;
        EXPECT_EQ(L"", Pick(initial, IDCANCEL, seen)) << "initial '" << testing::PrintToString(initial) << "'";
        EXPECT_TRUE(seen.found);
    }
}

TEST(FolderPicker, AVirtualFolderGivesItsDisplayName) {
    Seen seen;
    const std::wstring myComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    const std::wstring result = Pick(myComputer, IDOK, seen);
    EXPECT_EQ(seen.selected, result);
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(std::wstring::npos, result.find(L'\\'));
}

}  // namespace
