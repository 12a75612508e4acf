// The tick clock and its replaceable source.
#include <gtest/gtest.h>

#include "platform/rtl/Clock.h"
#include "platform/rtl/UpdateScope.h"

TEST(ClockTest, TheTickCountWrapsAtThirtyTwoBitsAndDifferencesStayRight)
{
    {
        std::int64_t now = 0xFFFFFF00;
        rtl::SetTickSource([&] { return now; });
        const rtl::TScopeExit noSource([] { rtl::SetTickSource(nullptr); });
        const std::uint32_t start = rtl::GetTickCount();
        EXPECT_EQ(start, 0xFFFFFF00u);
        now += 0x200; // past 2^32
        EXPECT_LT(rtl::GetTickCount(), start);
        EXPECT_EQ(rtl::TicksSince(start), 0x200u);
        EXPECT_EQ(rtl::GetTickCount64(), 0x100000100);
    }
    // Without a source the steady clock counts again.
    const std::int64_t a = rtl::GetTickCount64();
    EXPECT_GE(rtl::GetTickCount64(), a);
}
