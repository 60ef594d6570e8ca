// Drive, folder and file lists as Windows users know them from the classic file dialogs, on the
// system's own combo box and list boxes. A change the program makes runs the same handler as the
// user's: every setter that moves a list calls its onChange / onClick, and one that leaves it as
// it was calls nothing.
#pragma once

#include "platform/list_control.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

// Every drive of the system as "c: [label]" (remote drives as "x: [\\server\share]") in a
// drop-down list, one of them picked.
class DriveList {
public:
    DriveList() = default;
    // Fills the combo box; nothing is picked yet.
    explicit DriveList(HWND combo);

    // The picked item's text, "c: [label]"; empty while nothing is picked.
    std::wstring Drive() const;
    // Picks the drive that `path` begins with ("D:\x", "d:"); runs onChange when the pick moved.
    // False, nothing changed, when the path names no listed drive.
    bool SetDrive(const std::wstring& path);
    // Shows the drive of `path` as picked without running onChange (undoing a pick that failed).
    void ShowDrive(const std::wstring& path);
    // The user's pick (CBN_SELCHANGE).
    void OnUserPick();
    // Reads the drives and their labels anew; the pick stays on its drive when it still exists.
    void Refresh();

    std::function<void()> onChange;

private:
    int IndexOf(const std::wstring& path) const;

    ListControl list_;
    std::vector<wchar_t> letters_;  // lower-case, index-aligned with the items
    int picked_ = -1;
};

// The folders from the drive's root down to the current one, each opened under the one above,
// then the current folder's subfolders, in an owner-drawn list box (LBS_OWNERDRAWFIXED |
// LBS_HASSTRINGS). A double click opens a folder.
class FolderList {
public:
    FolderList() = default;
    // Takes the list box over; it shows nothing until a path is set.
    explicit FolderList(HWND listbox);

    // The current folder as a full path, no trailing backslash except at a drive root ("C:\");
    // empty until set.
    const std::wstring& Path() const { return path_; }
    // Moves to `folder` (a relative text or "d:" counts from that drive's current folder); runs
    // onChange when it is another folder than before (letter case ignored). False, nothing
    // changed, when it is no folder that can be listed.
    bool SetPath(const std::wstring& folder);
    // Opens the item at `index` as the current folder (the double click).
    bool OpenItem(int index);
    int ListCount() const { return static_cast<int>(items_.size()); }
    // The full path an item stands for.
    std::wstring ItemPath(int index) const;
    // The item that stands for the current folder.
    int CurrentIndex() const { return current_; }
    // Paints one item (WM_DRAWITEM of the list box).
    void Draw(const DRAWITEMSTRUCT& item) const;

    std::function<void()> onChange;

private:
    struct Item {
        std::wstring name, path;
        int level;
        bool open;  // on the way from the root to the current folder
    };
    bool Fill(const std::wstring& folder);

    HWND hwnd_ = nullptr;
    std::wstring path_;
    std::vector<Item> items_;
    int current_ = -1;
};

// The plain files (not hidden, system or folders) of one folder whose names match a pattern
// such as "*.bkd", sorted by name ignoring case, in a list box.
class FileList {
public:
    FileList() = default;
    FileList(HWND listbox, std::wstring pattern);

    // The folder listed, as given (a drive root keeps its backslash); empty until set.
    const std::wstring& Path() const { return path_; }
    // Lists `folder`; a folder already listed is left as it is (selection included).
    void SetPath(const std::wstring& folder);
    // Reads the listed folder anew; nothing is selected afterwards.
    void Refresh();
    int ListCount() const { return list_.ListCount(); }
    std::wstring List(int index) const { return list_.List(index); }
    int ListIndex() const { return list_.ListIndex(); }
    // Selects an entry and runs onClick, as the user's click does.
    void SetListIndex(int index);
    // The user's selection (LBN_SELCHANGE).
    void OnUserClick();

    std::function<void()> onClick;

private:
    ListControl list_;
    std::wstring pattern_, path_;
};

}  // namespace platform
