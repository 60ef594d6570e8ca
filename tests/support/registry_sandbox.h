// Test helpers that build and remove registry trees in the test prefix's real registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Creates HKCU\<path> (and its parents); returns false on failure.
bool CreateKey(const std::string& path);
// Removes HKCU\<path> with everything below it; a missing key is fine.
void DeleteTree(const std::string& path);
bool KeyExists(const std::string& path);
// Writes a value of any type with exactly the given bytes (no terminator added).
bool SetRawValue(const std::string& path, const std::string& name, DWORD type, const std::string& bytes);

// A scratch key HKCU\Software\QuillboxTest\<name>, removed before and after the test.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& path() const { return path_; }
    std::wstring wpath() const { return std::wstring(path_.begin(), path_.end()); }

private:
    std::string path_;
};

// What a hostile-input test plants outside its own keys, should the code under test let it
// through: removed when the test starts (left by an earlier run that failed) and when it ends,
// pass or fail, so one failure does not fail the runs after it.
class Planted {
public:
    struct Item {
        HKEY root;
        std::string key;
        std::string value;  // empty: the key with everything below it
    };
    explicit Planted(std::vector<Item> items) : items_(std::move(items)) { Remove(); }
    ~Planted() { Remove(); }
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;

private:
    void Remove() const;
    std::vector<Item> items_;
};

// Removes a folder with everything in it; true when it is gone afterwards.
bool RemoveFolder(const std::string& path);

// A fresh empty folder under the temporary folder, removed afterwards.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    // Writes `content` as the file `name` in the folder; returns its full path.
    std::string WriteFile(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

std::wstring Widen(const std::string& ascii);

}  // namespace testsupport
