// Test helpers that change real registry values or trees in the test prefix (HKCU or HKLM) and
// put them back as they were when the helper goes out of scope.
#pragma once

#include <windows.h>

#include <string>

namespace profiletest {

// Remembers one value (type and bytes, or its absence); restores it on destruction. The key
// is created for Set when missing and left in place afterwards.
class SavedValue {
public:
    SavedValue(HKEY root, std::wstring keyPath, std::wstring name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    bool Set(const std::wstring& text, DWORD type = REG_SZ) const;
    bool Remove() const;  // true when the value is gone afterwards

private:
    HKEY root_;
    std::wstring keyPath_, name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::string bytes_;
};

// Remembers a whole key tree (or its absence) by copying it aside below the key
// HKCU\Software\QuillboxTest\saved; on destruction the tree is deleted and the copy put back.
class SavedTree {
public:
    SavedTree(HKEY root, std::wstring keyPath);
    ~SavedTree();
    SavedTree(const SavedTree&) = delete;
    SavedTree& operator=(const SavedTree&) = delete;

    bool saved() const { return saved_; }  // false: copying failed, the test must not go on
    bool Remove() const;                    // deletes the tree; true when it is gone

private:
    void Restore() const;

    HKEY root_;
    std::wstring keyPath_, backup_;
    std::wstring created_;  // topmost key of keyPath_ that did not exist
    bool existed_ = false;
    bool saved_ = false;
};

bool KeyExists(HKEY root, const std::wstring& keyPath);

// Writes a REG_SZ value, creating the key; nothing is put back (for keys a SavedTree guards).
bool SetText(HKEY root, const std::wstring& keyPath, const std::wstring& name, const std::wstring& text);

}  // namespace profiletest
