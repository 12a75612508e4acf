// Scopes that undo what they began: nesting counters and flags, update brackets and
// closing steps, also when the work in them fails.
#include <stdexcept>
#include <string>

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

// Writes down its brackets; its EndUpdate fails when asked to.
struct TBracketed {
    void BeginUpdate() { Log += "("; }
    void EndUpdate()
    {
        Log += ")";
        if (FailEnd) throw std::logic_error("end failed");
    }
    std::string Log;
    bool FailEnd = false;
};

TEST(UpdateScope, ABracketEndsOnEveryWayOutAndNoTargetBracketsNothing)
{
    TBracketed target;
    {
        const rtl::TUpdateScope outer(target);
        const rtl::TUpdateScope inner(&target);
        target.Log += "work";
    }
    EXPECT_EQ(target.Log, "((work))");

    TBracketed* none = nullptr;
    EXPECT_NO_THROW({ const rtl::TUpdateScope nothing(none); });

    // The work's error travels on, not the end's; an end that fails on its own raises.
    target.Log.clear();
    target.FailEnd = true;
    EXPECT_THROW(
        {
            const rtl::TUpdateScope update(target);
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(target.Log, "()");
    EXPECT_THROW({ const rtl::TUpdateScope update(target); }, std::logic_error);
}

TEST(UpdateScope, AClosingStepRunsOnceOnEveryWayOut)
{
    int closed = 0;
    {
        const rtl::TScopeExit close([&] { ++closed; });
        EXPECT_EQ(closed, 0);
    }
    EXPECT_EQ(closed, 1);
    EXPECT_THROW(
        {
            const rtl::TScopeExit close([&] { ++closed; });
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(closed, 2);

    // A failing step yields to the work's error, and raises its own otherwise.
    auto failingStep = [&] {
        ++closed;
        throw std::logic_error("step failed");
    };
    EXPECT_THROW(
        {
            const rtl::TScopeExit close(failingStep);
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_THROW({ const rtl::TScopeExit close(failingStep); }, std::logic_error);
    EXPECT_EQ(closed, 4);
}

} // namespace
