// The progress window as the caller's thread sees it: owned by the given window, never
// activated, gone when Unlha returns, and absent when switched off.
#include "unlha_support.h"

#include "support/registry_sandbox.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

using namespace unlhatest;

// What a thread-local CBT hook saw of the progress window class.
struct Seen {
    int created = 0;
    int destroyed = 0;
    int activated = 0;
    HWND owner = nullptr;
    LONG exStyle = 0;
    std::vector<HWND> windows;
};
Seen g_seen;

bool IsProgress(HWND h) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    return lstrcmpW(cls, L"QuillboxUnlhaProgress") == 0;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        auto* cw = reinterpret_cast<CBT_CREATEWNDW*>(lp);
        if (!IS_INTRESOURCE(cw->lpcs->lpszClass) && lstrcmpW(cw->lpcs->lpszClass, L"QuillboxUnlhaProgress") == 0) {
            ++g_seen.created;
            g_seen.owner = cw->lpcs->hwndParent;
            g_seen.exStyle = cw->lpcs->dwExStyle;
            g_seen.windows.push_back(reinterpret_cast<HWND>(wp));
        }
    } else if (code == HCBT_DESTROYWND && IsProgress(reinterpret_cast<HWND>(wp))) {
        ++g_seen.destroyed;
    } else if (code == HCBT_ACTIVATE && IsProgress(reinterpret_cast<HWND>(wp))) {
        ++g_seen.activated;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen = {};
        dir_ = std::make_unique<testsupport::ScratchDir>("unlha-progress");
        WriteBytes(testsupport::Widen(dir_->path() + "\\big.dbx"), Sample(4 << 20, 11));
        hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook_, nullptr);
        SetEnvironmentVariableW(L"QUILLBOX_UNLHA_PROGRESSDELAY", L"0");
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook_);
        SetEnvironmentVariableW(L"QUILLBOX_UNLHA_PROGRESSDELAY", nullptr);
        SetEnvironmentVariableW(L"QUILLBOX_UNLHA_NOPROGRESS", nullptr);
    }
    CallResult Archive(HWND owner) {
        return CallUnlha("a -a2 \"" + dir_->path() + "\\p.lzh\" \"" + dir_->path() + "\\big.dbx\"", owner);
    }

    std::unique_ptr<testsupport::ScratchDir> dir_;
    HHOOK hook_ = nullptr;
};

TEST_F(ProgressWindowTest, OwnedByTheCallerNeverActivatedAndGoneAfterTheCall) {
    testsupport::TestWindow owner;
    ShowWindow(owner.hwnd(), SW_SHOW);
    SetForegroundWindow(owner.hwnd());
    const HWND foreground = GetForegroundWindow();
    SetEnvironmentVariableW(L"QUILLBOX_UNLHA_NOPROGRESS", nullptr);
    const CallResult r = Archive(owner.hwnd());
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(g_seen.created, 1);
    EXPECT_EQ(g_seen.destroyed, g_seen.created);
    EXPECT_EQ(g_seen.activated, 0);
    EXPECT_EQ(g_seen.owner, owner.hwnd());
    EXPECT_TRUE(g_seen.exStyle & WS_EX_NOACTIVATE);
    EXPECT_TRUE(g_seen.exStyle & WS_EX_TOOLWINDOW);
    for (HWND h : g_seen.windows) EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(GetForegroundWindow(), foreground);
}

TEST_F(ProgressWindowTest, NoOwnerForHandleZeroAndNoneWhenSwitchedOff) {
    struct Row {
        const wchar_t* off;
        int windows;
    } rows[] = {{nullptr, 1}, {L"1", 0}};
    for (const auto& row : rows) {
        g_seen = {};
        SetEnvironmentVariableW(L"QUILLBOX_UNLHA_NOPROGRESS", row.off);
        ASSERT_EQ(Archive(nullptr).code, 0);
        EXPECT_EQ(g_seen.created, row.windows) << (row.off ? "off" : "on");
        EXPECT_EQ(g_seen.owner, nullptr);
        EXPECT_EQ(g_seen.destroyed, g_seen.created);
    }
}

}  // namespace
