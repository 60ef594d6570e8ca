// Test helpers for unlha32.
#include "unlha_support.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace unlhatest {

UnlhaProc UnlhaEntry() {
    static UnlhaProc proc = [] {
        HMODULE m = LoadLibraryW(L"unlha32.dll");
        if (!m) throw std::runtime_error("unlha32.dll not found beside the test");
        return reinterpret_cast<UnlhaProc>(reinterpret_cast<void*>(GetProcAddress(m, "Unlha")));
    }();
    return proc;
}

CallResult CallUnlha(const std::string& commandLine, HWND owner) {
    char buffer[4096];
    FillMemory(buffer, sizeof buffer, 'x');
    CallResult r;
    r.code = UnlhaEntry()(owner, commandLine.c_str(), buffer, sizeof buffer);
    r.output.assign(buffer, strnlen(buffer, sizeof buffer));
    return r;
}

void WriteTree(const std::wstring& root, const Tree& tree) {
    for (const auto& [rel, content] : tree) {
        const std::wstring full = root + L"\\" + rel;
        for (std::size_t i = full.find(L'\\', root.size() + 1); i != std::wstring::npos; i = full.find(L'\\', i + 1))
            CreateDirectoryW(full.substr(0, i).c_str(), nullptr);
        if (content == kFolder) CreateDirectoryW(full.c_str(), nullptr);
        else WriteBytes(full, content);
    }
}

Tree ReadTree(const std::wstring& root) {
    Tree tree;
    struct Walk {
        Tree& tree;
        const std::wstring& root;
        void operator()(const std::wstring& rel) {
            WIN32_FIND_DATAW fd;
            const std::wstring dir = rel.empty() ? root : root + L"\\" + rel;
            HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
            if (h == INVALID_HANDLE_VALUE) return;
            do {
                const std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring r = rel.empty() ? name : rel + L"\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    tree[r] = kFolder;
                    (*this)(r);
                } else {
                    tree[r] = ReadBytes(root + L"\\" + r);
                }
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
    } walk{tree, root};
    walk(L"");
    return tree;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    // Through kernel32's own wide call, not the 9x stand-in this program links: in the run as 98
    // a file may still get a name the code page lacks, as files copied from another system have.
    static const auto systemCreateFile = reinterpret_cast<decltype(&CreateFileW)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateFileW")));
    HANDLE h = systemCreateFile(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write test file");
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

std::string Sample(std::size_t size, unsigned seed) {
    static const char* const kWords[] = {"Subject: ", "Re: ", "backup ", "mail ", "\r\n", "store ", "Inbox ",
                                         "identity ", "From: ", "quill "};
    std::string out;
    unsigned x = seed * 2654435761u + 1;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        if ((x >> 28) == 0) out.push_back(static_cast<char>(x >> 16));
        else out += kWords[(x >> 16) % 10];
    }
    out.resize(size);
    return out;
}

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

}  // namespace unlhatest
