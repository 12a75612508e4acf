// Scopes that undo what they began: nesting counters and flags, also when the work in
// them fails.
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/rtl/UpdateScope.h"

namespace {

TEST(UpdateScope, CountersAndFlagsComeBackOnEveryWayOut)
{
    int depth = 0;
    bool busy = false;
    {
        const rtl::TCountScope outer(depth);
        const rtl::TFlagScope flagged(busy);
        {
            const rtl::TCountScope inner(depth);
            const rtl::TFlagScope again(busy);
            EXPECT_EQ(depth, 2);
        }
        // The inner scope leaves the outer one's count and flag standing.
        EXPECT_EQ(depth, 1);
        EXPECT_TRUE(busy);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_FALSE(busy);

    EXPECT_THROW(
        {
            const rtl::TCountScope counting(depth);
            const rtl::TFlagScope flagged(busy);
            throw std::runtime_error("failed");
        },
        std::runtime_error);
    EXPECT_EQ(depth, 0);
    EXPECT_FALSE(busy);
}

} // namespace
