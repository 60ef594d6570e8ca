// What RunUnlha hands to Unlha. This program lives in a folder of its own beside a stand-in
// unlha32.dll that records its arguments.
#include "engine/run_unlha.h"
#include "recording_unlha.h"

#include <gtest/gtest.h>

namespace {

TEST(RunUnlhaCall, NoOwnerWindowAnd1024ByteBuffer) {
    const std::int16_t result = Module_ini::RunUnlha(L"e -x1m1 \"C:\\bk\\OL.lzh\" \"C:\\to\"\\ *");
    const auto lastCall = reinterpret_cast<LastUnlhaCallProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"unlha32.dll"), "LastUnlhaCall")));
    ASSERT_NE(nullptr, lastCall) << "the recording stand-in was not the library bound";
    const UnlhaCall& call = *lastCall();
    EXPECT_EQ(1, call.calls);
    EXPECT_EQ(nullptr, call.owner);
    EXPECT_EQ(1024u, call.outputSize);
    EXPECT_STREQ("e -x1m1 \"C:\\bk\\OL.lzh\" \"C:\\to\"\\ *", call.command);
    EXPECT_EQ(kRecordingUnlhaResult, result);
}

}  // namespace
