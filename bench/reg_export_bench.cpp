// reg_export_bench: builds a large key tree and times RegIO's export of it (Windows program,
// run under Wine by reg_export_bench.sh).
//   reg_export_bench build KEY KEYS VALUES_PER_KEY   makes HKCU\KEY anew
//   reg_export_bench export FILE KEY                  one ExportRegKey, as a whole process
//   reg_export_bench compare KEY RUNS                 in-process times: one open per key listing
//                                                     (RegIO) against one open per item
//   reg_export_bench noop                             process start alone
//   reg_export_bench clean KEY
#include "platform/reg_enum.h"
#include "platform/reg_io.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using platform::kHkeyCurrentUser;

void SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) {
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

// A tree shaped like mail settings: KEYS keys two levels deep, each with VALUES values of
// mixed types (paths, numbers, small binaries, expandable texts, text lists).
int Build(const std::string& root, int keys, int valuesPerKey) {
    RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
    const int top = 40;
    for (int k = 0; k < keys; ++k) {
        std::string path = root + "\\{Group " + std::to_string(k % top) + "}";
        if (k >= top) path += "\\Account " + std::to_string(k);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
            return 1;
        for (int v = 0; v < valuesPerKey; ++v) {
            const std::string name = "Value " + std::to_string(v);
            const DWORD n = static_cast<DWORD>(k * valuesPerKey + v);
            switch (v % 5) {
                case 0: SetValue(key, name, REG_SZ, "C:\\Documents and Settings\\user\\Store " + std::to_string(n) + '\0'); break;
                case 1: SetValue(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&n), 4)); break;
                case 2: SetValue(key, name, REG_BINARY, std::string(16 + n % 48, static_cast<char>(n))); break;
                case 3: SetValue(key, name, REG_EXPAND_SZ, "%UserProfile%\\Local Settings\\" + std::to_string(n) + '\0'); break;
                default: SetValue(key, name, REG_MULTI_SZ, std::string("pop3\0smtp\0imap\0\0", 16)); break;
            }
        }
        RegCloseKey(key);
    }
    return 0;
}

// The same text as RegIO::FormatRegKeyTree, opening the key afresh for every value and subkey.
void TreeReopening(std::string& out, const std::string& path) {
    platform::RegKey probe;
    if (platform::OpenKeyEx(kHkeyCurrentUser, path.c_str(), KEY_QUERY_VALUE, probe) == ERROR_SUCCESS) {
        probe = platform::RegKey();
        out += '[';
        out += RegIO::RegRootKeyName(kHkeyCurrentUser);
        out += '\\';
        out += path;
        out += "]\r\n";
        std::string line;
        for (DWORD i = 0;; ++i) {
            platform::RegKey key;
            if (platform::OpenKeyEx(kHkeyCurrentUser, path.c_str(), KEY_QUERY_VALUE, key) != ERROR_SUCCESS) break;
            if (RegIO::RegEnumValueText(key.get(), i, line) != ERROR_SUCCESS) break;
            out += line;
        }
        out += "\r\n";
    }
    std::string name;
    for (DWORD i = 0;; ++i) {
        platform::RegKey key;
        if (platform::OpenKeyEx(kHkeyCurrentUser, path.c_str(), KEY_ENUMERATE_SUB_KEYS, key) != ERROR_SUCCESS) break;
        if (RegIO::RegEnumSubKeyName(key.get(), i, name) != ERROR_SUCCESS) break;
        key = platform::RegKey();
        TreeReopening(out, path + "\\" + name);
    }
}

template <class F>
double BestMs(int runs, F f) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (ms < best) best = ms;
    }
    return best;
}

int Compare(const std::string& root, int runs) {
    std::string once, reopened;
    const double onceMs = BestMs(runs, [&] { once = RegIO::FormatRegKeyTree(kHkeyCurrentUser, root); });
    const double reopenMs = BestMs(runs, [&] {
        reopened.clear();
        TreeReopening(reopened, root);
    });
    std::printf("open once per listing: %.1f ms\nopen per item:         %.1f ms\ntext: %zu bytes, %s\n", onceMs,
                reopenMs, once.size(), once == reopened ? "identical" : "DIFFERENT");
    return once == reopened ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "build" && argc == 5) return Build(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (mode == "export" && argc == 4) {
        const std::string file = argv[2], key = argv[3];
        return static_cast<int>(RegIO::ExportRegKey(std::wstring(file.begin(), file.end()), kHkeyCurrentUser,
                                                    std::wstring(key.begin(), key.end())));
    }
    if (mode == "compare" && argc == 4) return Compare(argv[2], std::atoi(argv[3]));
    if (mode == "noop") return 0;
    if (mode == "clean" && argc == 3) return static_cast<int>(RegDeleteTreeA(HKEY_CURRENT_USER, argv[2]));
    std::fprintf(stderr, "usage: reg_export_bench build KEY KEYS VALUES | export FILE KEY | compare KEY RUNS | clean KEY\n");
    return 2;
}
