// The message boxes a test's window shows: each recorded, and answered from a queue (Yes or OK
// once the queue is empty).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct Shown {
    std::wstring text, title;
    UINT flags;
};

class PromptRecorder {
protected:
    // What a window's message box hook returns.
    int Record(const std::wstring& text, const std::wstring& title, UINT flags) {
        shown_.push_back({text, title, flags});
        if (onPrompt_) onPrompt_();
        if (answers_.empty()) return (flags & MB_YESNO) ? IDYES : IDOK;
        const int a = answers_.front();
        answers_.pop_front();
        return a;
    }

    // The texts shown, each checked to carry the program's title.
    std::vector<std::wstring> TextsTitled(const wchar_t* title) const {
        std::vector<std::wstring> texts;
        for (const Shown& s : shown_) {
            EXPECT_EQ(title, s.title);
            texts.push_back(s.text);
        }
        return texts;
    }

    std::vector<Shown> shown_;
    std::deque<int> answers_;
    std::function<void()> onPrompt_;  // runs inside each box, as a user could act meanwhile
};

}  // namespace testsupport
