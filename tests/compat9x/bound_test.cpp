// The binding of the 32-bit programs: every function it stands in for is one the system exports
// under that name, and a call binds the import to the function of the system's family.
#include "compat9x/compat9x.h"
#include "compat9x/nine.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

extern "C" HMODULE(WINAPI* qb9x_slot_GetModuleHandleW)(LPCWSTR) __asm__("__imp__GetModuleHandleW@4");
extern "C" BOOL(WINAPI* qb9x_slot_GetFileSizeEx)(HANDLE, PLARGE_INTEGER) __asm__("__imp__GetFileSizeEx@8");

namespace {

TEST(StandInTable, EveryNameIsOneTheSystemExports) {
    std::set<std::string> seen;
    for (const compat9x::StandIn& s : compat9x::StandIns()) {
        SCOPED_TRACE(std::string(s.dll) + "!" + s.name);
        EXPECT_TRUE(seen.insert(s.name).second) << "listed twice";
        EXPECT_NE(nullptr, GetProcAddress(LoadLibraryA(s.dll), s.name));
    }
    EXPECT_LE(60u, seen.size());
}

// A wide function and one that 98 lacks: on NT the slot holds the system's own function after
// the first call, on the 9x family (the suite's run as 98) the implementation over the ANSI call.
TEST(StandInTable, ACallBindsToTheFamilysFunction) {
    const bool nineX = compat9x::OnWin9x();
    EXPECT_EQ(nineX, (GetVersion() & 0x80000000u) != 0);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), kernel);
    EXPECT_EQ(nineX ? reinterpret_cast<void*>(&compat9x::nine::GetModuleHandleW)
                    : reinterpret_cast<void*>(GetProcAddress(kernel, "GetModuleHandleW")),
              reinterpret_cast<void*>(qb9x_slot_GetModuleHandleW));
    LARGE_INTEGER size = {};
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    HANDLE h = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(GetFileSizeEx(h, &size));
    CloseHandle(h);
    EXPECT_LT(0, size.QuadPart);
    EXPECT_EQ(nineX ? reinterpret_cast<void*>(&compat9x::nine::GetFileSizeEx)
                    : reinterpret_cast<void*>(GetProcAddress(kernel, "GetFileSizeEx")),
              reinterpret_cast<void*>(qb9x_slot_GetFileSizeEx));
}

}  // namespace
