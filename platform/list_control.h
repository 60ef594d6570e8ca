// A drop-down list or list box seen as one kind of list: items added in order, no sorting.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

class ListControl {
public:
    ListControl() = default;
    explicit ListControl(HWND hwnd);

    HWND hwnd() const { return hwnd_; }
    void AddItem(const std::wstring& text);
    int ListCount() const;
    std::wstring List(int index) const;
    // Selected position, -1 when nothing is selected.
    int ListIndex() const;
    // Selects a position without raising the owner's selection handler.
    void SetListIndex(int index);

private:
    HWND hwnd_ = nullptr;
    bool combo_ = false;
};

}  // namespace platform
