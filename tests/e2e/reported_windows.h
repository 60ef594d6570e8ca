// The system the programs under test see. With QB_E2E_WINDOWS set to win2k, winxp or win98 (the
// 32-bit suite's extra runs), Wine reports that system to every program started from then on,
// and the version texts such a system holds replace Wine's own; both are put back afterwards.
#pragma once


#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace e2e {

struct OldWindows {
    const char* wineVersion;  // HKCU\Software\Wine "Version"
    bool nineX;               // the version texts live under ...\Windows\CurrentVersion, not ...\Windows NT
    const char *product, *version, *build, *servicePack;  // NT: CurrentVersion, CurrentBuildNumber, CSDVersion
                                                         // 9x: VersionNumber, build unused, SubVersionNumber
    const char* ie;                                      // HKLM ...\Internet Explorer "Version"

    // What the upper area shows for it.
    std::wstring SystemLine() const {
        const std::string line = nineX ? std::string(product) + " build " + version + servicePack
                                       : std::string(product) + " build " + build;
        return std::wstring(line.begin(), line.end());
    }
};

inline const OldWindows* ReportedWindows() {
    static const OldWindows kSystems[] = {
        {"win2k", false, "Microsoft Windows 2000", "5.0", "2195", "Service Pack 4", "6.0.2800.1106"},
        {"winxp", false, "Microsoft Windows XP", "5.1", "2600", "Service Pack 3", "6.0.2900.5512"},
        {"win98", true, "Microsoft Windows 98", "4.10.2222", "", " A ", "5.00.2614.3500"},
    };
    const char* wanted = std::getenv("QB_E2E_WINDOWS");
    for (const OldWindows& w : kSystems)
        if (wanted && std::string(wanted) == w.wineVersion) return &w;
    return nullptr;
}

class ReportedWindowsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* wanted = std::getenv("QB_E2E_WINDOWS");
        if (!wanted || !*wanted) return;
        const OldWindows* w = ReportedWindows();
        ASSERT_NE(nullptr, w) << "QB_E2E_WINDOWS=" << wanted << " is not a system these runs know";
        Set(HKEY_CURRENT_USER, "Software\\Wine", "Version", w->wineVersion);
        if (w->nineX) {
            const char* nineX = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
            Set(HKEY_LOCAL_MACHINE, nineX, "ProductName", w->product);
            Set(HKEY_LOCAL_MACHINE, nineX, "Version", "Windows 98");
            Set(HKEY_LOCAL_MACHINE, nineX, "VersionNumber", w->version);
            Set(HKEY_LOCAL_MACHINE, nineX, "SubVersionNumber", w->servicePack);
        } else {
            const char* nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
            Set(HKEY_LOCAL_MACHINE, nt, "ProductName", w->product);
            Set(HKEY_LOCAL_MACHINE, nt, "CurrentVersion", w->version);
            Set(HKEY_LOCAL_MACHINE, nt, "CurrentBuildNumber", w->build);
            Set(HKEY_LOCAL_MACHINE, nt, "CurrentBuild", w->build);
            Set(HKEY_LOCAL_MACHINE, nt, "CSDVersion", w->servicePack);
        }
        Set(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer", "Version", w->ie);
    }
    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(it->root, it->key.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
            if (it->existed)
                RegSetValueExA(key, it->name.c_str(), 0, it->type, reinterpret_cast<const BYTE*>(it->data.data()),
                               static_cast<DWORD>(it->data.size()));
            else
                RegDeleteValueA(key, it->name.c_str());
            RegCloseKey(key);
        }
        saved_.clear();
    }

private:
    struct Saved {
        HKEY root;
        std::string key, name;
        bool existed;
        DWORD type;
        std::string data;
    };
    void Set(HKEY root, const char* key, const char* name, const char* value) {
        Saved s{root, key, name, false, REG_SZ, std::string(4096, '\0')};
        DWORD size = static_cast<DWORD>(s.data.size());
        s.existed = RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &s.type, s.data.data(), &size) ==
                    ERROR_SUCCESS;
        s.data.resize(s.existed ? size : 0);
        saved_.push_back(s);
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr)) << key;
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                                static_cast<DWORD>(std::string(value).size() + 1)));
        RegCloseKey(h);
    }
    std::vector<Saved> saved_;
};

}  // namespace e2e
