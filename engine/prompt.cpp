#include "engine/prompt.h"

namespace engine {

Prompt SystemPrompt() {
    return [](HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) {
        return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
    };
}

}  // namespace engine
