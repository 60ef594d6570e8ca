#include "saved_registry.h"

namespace profiletest {
namespace {

HKEY OpenOrCreate(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool DeleteTreeW(HKEY root, const std::wstring& path) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
    return !KeyExists(root, path);
}

int nextBackup = 0;

}  // namespace

bool KeyExists(HKEY root, const std::wstring& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

SavedValue::SavedValue(HKEY root, std::wstring keyPath, std::wstring name)
    : root_(root), keyPath_(std::move(keyPath)), name_(std::move(name)) {
    DWORD size = 0;
    if (RegGetValueW(root_, keyPath_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size) !=
        ERROR_SUCCESS)
        return;
    bytes_.resize(size);
    existed_ = RegGetValueW(root_, keyPath_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, bytes_.data(),
                            &size) == ERROR_SUCCESS;
    bytes_.resize(size);
}

SavedValue::~SavedValue() {
    if (existed_) {
        if (HKEY key = OpenOrCreate(root_, keyPath_)) {
            RegSetValueExW(key, name_.c_str(), 0, type_, reinterpret_cast<const BYTE*>(bytes_.data()),
                           static_cast<DWORD>(bytes_.size()));
            RegCloseKey(key);
        }
    } else {
        Remove();
    }
}

namespace {

bool SetTyped(HKEY root, const std::wstring& keyPath, const std::wstring& name, const std::wstring& text, DWORD type) {
    HKEY key = OpenOrCreate(root, keyPath);
    if (!key) return false;
    LONG rc = RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace

bool SetText(HKEY root, const std::wstring& keyPath, const std::wstring& name, const std::wstring& text) {
    return SetTyped(root, keyPath, name, text, REG_SZ);
}

bool SavedValue::Set(const std::wstring& text, DWORD type) const { return SetTyped(root_, keyPath_, name_, text, type); }

bool SavedValue::Remove() const {
    LONG rc = RegDeleteKeyValueW(root_, keyPath_.c_str(), name_.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

SavedTree::SavedTree(HKEY root, std::wstring keyPath)
    : root_(root), keyPath_(std::move(keyPath)),
      backup_(L"Software\\QuillboxTest\\saved\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(nextBackup++)) {
    DeleteTreeW(HKEY_CURRENT_USER, backup_);
    existed_ = KeyExists(root_, keyPath_);
    if (!existed_) {
        // Parents the test creates on the way go too: the topmost missing one is removed.
        created_ = keyPath_;
        for (std::size_t cut = created_.rfind(L'\\'); cut != std::wstring::npos; cut = created_.rfind(L'\\')) {
            if (KeyExists(root_, created_.substr(0, cut))) break;
            created_.resize(cut);
        }
        saved_ = true;
        return;
    }
    HKEY from = nullptr;
    if (RegOpenKeyExW(root_, keyPath_.c_str(), 0, KEY_READ, &from) != ERROR_SUCCESS) return;
    if (HKEY to = OpenOrCreate(HKEY_CURRENT_USER, backup_)) {
        saved_ = RegCopyTreeW(from, nullptr, to) == ERROR_SUCCESS;
        RegCloseKey(to);
    }
    RegCloseKey(from);
}

SavedTree::~SavedTree() {
    if (saved_) Restore();
    DeleteTreeW(HKEY_CURRENT_USER, backup_);
    // The parents go too once empty; a non-empty key refuses deletion.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillboxTest\\saved");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillboxTest");
}

void SavedTree::Restore() const {
    DeleteTreeW(root_, existed_ ? keyPath_ : created_);
    if (existed_) {
        HKEY from = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, backup_.c_str(), 0, KEY_READ, &from) == ERROR_SUCCESS) {
            if (HKEY to = OpenOrCreate(root_, keyPath_)) {
                RegCopyTreeW(from, nullptr, to);
                RegCloseKey(to);
            }
            RegCloseKey(from);
        }
    }
}

bool SavedTree::Remove() const { return DeleteTreeW(root_, keyPath_); }

}  // namespace profiletest
