#include "platform/reg_io.h"

#include "platform/ansi.h"
#include "platform/handle.h"
#include "platform/reg_enum.h"

#include <cstdio>

namespace RegIO {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// The registry editor reads \\ and \" back as \ and "; a double-byte character goes through
// whole, since its trail byte may be 0x5C (as in the Shift-JIS form of 表) without being one.
void AppendEscaped(std::string& out, const char* text, std::size_t size, const platform::LeadBytes& lead) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (lead(c) && i + 1 < size) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
}

void AppendQuoted(std::string& out, const char* text, std::size_t size, const platform::LeadBytes& lead) {
    out += '"';
    AppendEscaped(out, text, size, lead);
    out += '"';
}

void AppendHexBytes(std::string& out, const std::string& data) {
    out.reserve(out.size() + 3 * data.size() + 2);
    for (unsigned char b : data) {
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 15];
        out += ',';
    }
}

void AppendValueLine(std::string& out, const std::string& name, DWORD type, const std::string& data,
                     const platform::LeadBytes& lead) {
    if (name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, name.data(), name.size(), lead);
    }
    out += '=';
    const std::size_t nul = data.find('\0');
    const std::size_t textSize = nul == std::string::npos ? data.size() : nul;
    // A line break inside a quoted text would end the line (a signature text holds several):
    // such a text goes out as hex(1) bytes, which registry editors read back through the code page.
    if (type == REG_SZ && data.find_first_of("\r\n", 0) >= textSize) {
        AppendQuoted(out, data.data(), textSize, lead);
    } else if (type == REG_DWORD && data.size() == 4) {
        out += "dword:";
        for (int i = 3; i >= 0; --i) {
            const auto b = static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
            out += kHexDigits[b >> 4];
            out += kHexDigits[b & 15];
        }
    } else if (type == REG_BINARY) {
        out += "hex:";
        AppendHexBytes(out, data);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(type));
        out += prefix;
        AppendHexBytes(out, data);
    }
    out += kLineEnd;
}

std::string JoinPath(const std::string& keyPath, const std::string& name) {
    return keyPath.empty() ? name : keyPath + '\\' + name;
}

void AppendBlock(std::string& out, platform::RootKey root, const std::string& keyPath, HKEY key,
                 const platform::LeadBytes& lead) {
    out += '[';
    out += RegRootKeyName(root);
    out += '\\';
    out += keyPath;
    out += ']';
    out += kLineEnd;
    platform::RegValue value;
    for (DWORD index = 0; platform::EnumValue(key, index, value) == ERROR_SUCCESS; ++index)
        AppendValueLine(out, value.name, value.type, value.data, lead);
    out += kLineEnd;
}

void AppendSubtrees(std::string& out, platform::RootKey root, const std::string& keyPath, HKEY key,
                    const platform::LeadBytes& lead);

// A key is opened once and the handle held for the whole listing of its values and subkeys:
// under Wine each open costs as much as reading a value.
void AppendTree(std::string& out, platform::RootKey root, const std::string& keyPath, const platform::LeadBytes& lead) {
    platform::RegKey key;
    if (platform::OpenKeyEx(root, keyPath.c_str(), KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key) == ERROR_SUCCESS) {
        AppendBlock(out, root, keyPath, key.get(), lead);
        AppendSubtrees(out, root, keyPath, key.get(), lead);
        return;
    }
    // Either right alone may still be granted.
    if (platform::OpenKeyEx(root, keyPath.c_str(), KEY_QUERY_VALUE, key) == ERROR_SUCCESS)
        AppendBlock(out, root, keyPath, key.get(), lead);
    if (platform::OpenKeyEx(root, keyPath.c_str(), KEY_ENUMERATE_SUB_KEYS, key) == ERROR_SUCCESS)
        AppendSubtrees(out, root, keyPath, key.get(), lead);
}

void AppendSubtrees(std::string& out, platform::RootKey root, const std::string& keyPath, HKEY key,
                    const platform::LeadBytes& lead) {
    std::string name;
    for (DWORD index = 0; RegEnumSubKeyName(key, index, name) == ERROR_SUCCESS; ++index)
        AppendTree(out, root, JoinPath(keyPath, name), lead);
}

}  // namespace

std::string RegRootKeyName(platform::RootKey root) {
    switch (root) {
        case platform::kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
        case platform::kHkeyCurrentUser: return "HKEY_CURRENT_USER";
        case platform::kHkeyLocalMachine: return "HKEY_LOCAL_MACHINE";
        case platform::kHkeyUsers: return "HKEY_USERS";
        case platform::kHkeyCurrentConfig: return "HKEY_CURRENT_CONFIG";
        default: return {};
    }
}

std::string FormatRegValueLine(const std::string& name, DWORD type, const std::string& data, UINT codePage) {
    std::string line;
    AppendValueLine(line, name, type, data, platform::LeadBytes(codePage));
    return line;
}

LONG RegEnumValueText(HKEY key, DWORD index, std::string& line) {
    line.clear();
    platform::RegValue value;
    LONG rc = platform::EnumValue(key, index, value);
    if (rc == ERROR_SUCCESS) AppendValueLine(line, value.name, value.type, value.data, platform::LeadBytes(CP_ACP));
    return rc;
}

LONG RegEnumSubKeyName(HKEY key, DWORD index, std::string& name) { return platform::EnumSubKey(key, index, name); }

std::string FormatRegKeyBlock(platform::RootKey root, const std::string& keyPath) {
    std::string text;
    platform::RegKey key;
    if (platform::OpenKeyEx(root, keyPath.c_str(), KEY_QUERY_VALUE, key) == ERROR_SUCCESS)
        AppendBlock(text, root, keyPath, key.get(), platform::LeadBytes(CP_ACP));
    return text;
}

std::string FormatRegKeyTree(platform::RootKey root, const std::string& keyPath) {
    std::string text;
    AppendTree(text, root, keyPath, platform::LeadBytes(CP_ACP));
    return text;
}

DWORD ExportRegKey(const std::wstring& fileName, platform::RootKey root, const std::wstring& keyPath) {
    std::string text = kLineEnd;
    AppendTree(text, root, platform::ToAnsi(keyPath), platform::LeadBytes(CP_ACP));
    text += kLineEnd;
    platform::Handle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return GetLastError();
    return written == text.size() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace RegIO
