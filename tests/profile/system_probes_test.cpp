// Windows and Internet Explorer version texts and the platform test, against the test prefix's
// real registry. The 9x answers come from a child program started under Wine's per-program
// Windows version setting.
#include "platform/path_text.h"
#include "profile/system_probes.h"
#include "saved_registry.h"
#include "support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace {

using namespace std::string_literals;
using profiletest::SavedTree;
using profiletest::SavedValue;
using profiletest::SetText;

constexpr wchar_t kNtKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kNineXKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr wchar_t kIeKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";

TEST(IsNtPlatformId, IsBitOneOfThePlatformId) {
    const std::pair<std::uint32_t, bool> rows[] = {
        {2, true}, {3, true}, {6, true}, {0xFFFFFFFFu, true},
        {0, false}, {1, false}, {4, false}, {5, false},
    };
    for (const auto& [id, nt] : rows) EXPECT_EQ(nt, PathText::IsNtPlatformId(id)) << id;
}

// The NT key's two values, set or removed for one row and put back afterwards.
struct NtRow { std::optional<std::wstring> product, build; std::wstring expected; };

TEST(GetOsVersionText, OnNtJoinsProductNameAndBuildNumber) {
    if (!PathText::IsWindowsNT()) GTEST_SKIP() << "this run reports a 9x system (its texts: SystemProbesUnderWindowsVersions)";
    SavedValue product(HKEY_LOCAL_MACHINE, kNtKey, L"ProductName");
    SavedValue build(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentBuildNumber");
    const NtRow rows[] = {
        {L"Quillbox Test NT", L"2600", L"Quillbox Test NT build 2600"},
        {L"Quillbox Test NT", L" 2600 ", L"Quillbox Test NT build  2600 "},
        {std::nullopt, L"2600", L"err build 2600"},
        {L"Quillbox Test NT", std::nullopt, L"Quillbox Test NT build err"},
        {std::nullopt, std::nullopt, L"err build err"},
    };
    for (const NtRow& r : rows) {
        ASSERT_TRUE(r.product ? product.Set(*r.product) : product.Remove());
        ASSERT_TRUE(r.build ? build.Set(*r.build) : build.Remove());
        EXPECT_EQ(r.expected, Module_ini::GetOsVersionText());
    }
}

struct IeRow { const char* what; bool keepKey; std::optional<std::wstring> version; std::wstring expected; };

TEST(GetIeVersionText, ReadsTheVersionValue) {
    SavedTree ie(HKEY_LOCAL_MACHINE, kIeKey);
    ASSERT_TRUE(ie.saved());
    const IeRow rows[] = {
        {"version", true, L"6.0.2800.1106", L"6.0.2800.1106"},
        {"blanks kept", true, L" 5.50 ", L" 5.50 "},
        {"no Version value", true, std::nullopt, L"err"},
        {"no key", false, std::nullopt, L"err"},
        {"over 1024 bytes", true, std::wstring(1024, L'9'), L"err"},
    };
    for (const IeRow& r : rows) {
        ASSERT_TRUE(ie.Remove()) << r.what;
        if (r.keepKey) { ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kIeKey, L"svcVersion", L"11.0")); }  // another value
        if (r.version) { ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, kIeKey, L"Version", *r.version)); }
        EXPECT_EQ(r.expected, Module_ini::GetIeVersionText()) << r.what;
    }
}

// What the child program reported: platform id, NT or not, Windows version text.
struct ChildReport { std::string platformId, family, osText; };

std::wstring ChildPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"system_probe_child.exe";
}

// Runs the child and reads its report; an empty report when it did not finish.
ChildReport RunChild(const std::string& reportPath) {
    std::wstring command = L"\"" + ChildPath() + L"\" \"" + testsupport::Widen(reportPath) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return {};
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0) return {};
    std::ifstream in(reportPath, std::ios::binary);
    ChildReport report;
    std::getline(in, report.platformId);
    std::getline(in, report.family);
    std::getline(in, report.osText);
    return report;
}

struct ModeRow {
    const wchar_t* windowsVersion;  // Wine's per-program "Version" setting
    bool write9xValues;             // the 9x key's values exist only when the test writes them
    ChildReport expected;
};

TEST(SystemProbesUnderWindowsVersions, ReportThePlatformAndItsVersionText) {
    const std::wstring appDefaults = L"Software\\Wine\\AppDefaults\\system_probe_child.exe";
    SavedTree setting(HKEY_CURRENT_USER, appDefaults);
    ASSERT_TRUE(setting.saved());
    SavedValue ntProduct(HKEY_LOCAL_MACHINE, kNtKey, L"ProductName");
    SavedValue ntBuild(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentBuildNumber");
    SavedValue product(HKEY_LOCAL_MACHINE, kNineXKey, L"ProductName");
    SavedValue version(HKEY_LOCAL_MACHINE, kNineXKey, L"VersionNumber");
    SavedValue subVersion(HKEY_LOCAL_MACHINE, kNineXKey, L"SubVersionNumber");
    ASSERT_TRUE(ntProduct.Set(L"Quillbox Test NT"));
    ASSERT_TRUE(ntBuild.Set(L"2600"));
    testsupport::ScratchDir dir("system-probes");

    const std::string ninetyEight = "Microsoft Windows 98 build 4.10.2222 A ";
    const ModeRow rows[] = {
        {L"win98", true, {"1", "not NT", ninetyEight}},
        {L"win95", false, {"1", "not NT", "err build errerr"}},
        {L"win31", true, {"0", "not NT", ninetyEight}},
        {L"winxp", true, {"2", "NT", "Quillbox Test NT build 2600"}},
        {L"win10", false, {"2", "NT", "Quillbox Test NT build 2600"}},
    };
    for (const ModeRow& r : rows) {
        SCOPED_TRACE(r.windowsVersion);
        ASSERT_TRUE(SetText(HKEY_CURRENT_USER, appDefaults, L"Version", r.windowsVersion));
        if (r.write9xValues) {
            ASSERT_TRUE(product.Set(L"Microsoft Windows 98"));
            ASSERT_TRUE(version.Set(L"4.10.2222"));
            ASSERT_TRUE(subVersion.Set(L" A "));  // 9x keeps the leading blank of the sub-version
        } else {
            ASSERT_TRUE(product.Remove() && version.Remove() && subVersion.Remove());
        }
        const std::string report = dir.path() + "\\report.txt";
        DeleteFileA(report.c_str());
        const ChildReport got = RunChild(report);
        EXPECT_EQ(r.expected.platformId, got.platformId);
        EXPECT_EQ(r.expected.family, got.family);
        EXPECT_EQ(r.expected.osText, got.osText);
    }
}

}  // namespace
