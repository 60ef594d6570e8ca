// How the procedures ask and tell the user: one message-box call that tests replace to answer
// the questions and record what was shown.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace engine {

// Shows `text` under `title` with MessageBox flags (MB_OK, MB_YESNO, ...) and returns the
// button pressed (IDOK, IDYES, IDNO).
using Prompt = std::function<int(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags)>;

// The system's message box (MessageBoxW).
Prompt SystemPrompt();

}  // namespace engine
