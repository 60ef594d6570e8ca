#include "platform/reg_import.h"

#include "platform/ansi.h"
#include "platform/handle.h"
#include "platform/reg_key.h"

namespace RegIO {
namespace {

constexpr LONGLONG kMaxFileSize = 256LL << 20;

// The system's lead bytes of `codePage` in the portable table.
backupfiles::LeadBytes SystemLeadBytes(UINT codePage) {
    const platform::LeadBytes system(codePage);
    backupfiles::LeadBytes lead;
    for (unsigned b = 0; b < 256; ++b)
        if (system(static_cast<char>(b))) lead.Mark(static_cast<unsigned char>(b), static_cast<unsigned char>(b));
    return lead;
}

}  // namespace

RegImport ParseRegText(const std::string& text, const std::wstring& identityKey, UINT codePage) {
    // A name the code page holds only by a best fit or its default character would let some
    // other identity's tree pass for this one.
    std::string identity;
    if (!platform::WideToAnsi(identityKey, identity)) identity.clear();
    return backupfiles::ParseRegText(text, identity, SystemLeadBytes(codePage));
}

DWORD ReadRegFile(const std::wstring& path, const std::wstring& identityKey, RegImport& out) {
    out = RegImport{};
    platform::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return GetLastError();
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) return GetLastError();
    if (size.QuadPart >= kMaxFileSize) return ERROR_FILE_TOO_LARGE;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) return GetLastError();
    text.resize(got);
    out = ParseRegText(text, identityKey);
    return ERROR_SUCCESS;
}

LONG ApplyRegImport(const RegImport& import) {
    LONG first = ERROR_SUCCESS;
    auto note = [&first](LONG rc) {
        if (first == ERROR_SUCCESS) first = rc;
    };
    for (const RegImportKey& k : import.keys) {
        HKEY opened = nullptr;
        LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, k.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, &opened, nullptr);
        if (rc != ERROR_SUCCESS) {
            note(rc);
            continue;
        }
        const platform::RegKey key(opened, HKEY_CURRENT_USER);
        for (const backupfiles::RegValue& v : k.values) {
            rc = RegSetValueExA(key.get(), v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                                static_cast<DWORD>(v.data.size()));
            if (rc != ERROR_SUCCESS) note(rc);
        }
    }
    return first;
}

}  // namespace RegIO
