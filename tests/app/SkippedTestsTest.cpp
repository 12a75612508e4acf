// How a test program tells ctest that its tests could not run here: run by a user who is
// not root, the load test's run skips; alone it makes the program end with the skip
// status ctest was given (KV_ALL_SKIPPED_EXIT_CODE), beside a test that ran with 0; the
// reason is printed at the end either way.
#include <gtest/gtest.h>

#include "support/SecondUser.h"

namespace {

TEST(SkippedTestsTest, ARunWhoseTestsAllSkippedEndsWithTheSkipStatusAndTheReason)
{
    if (const std::string why = testsupport::TSecondUser::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    testsupport::TSecondUser user;
    user.MakeFolder("bin", 0755);
    user.CopyIn(KV_APP_TESTS, "bin/app_tests");
    const std::string reason =
        "skipped: LoadTestRunTest.TellsItsProgressAndLogsNoMoreThanWasSent: the load test's units listen on port 843, "
        "which only root may bind\n";
    struct TCase {
        const char* Filter;
        int ExitCode;
    };
    for (const TCase c : {TCase{"LoadTestRunTest.*", 77}, TCase{"LoadTestRunTest.*:UserDatabaseGuardTest.*", 0}}) {
        SCOPED_TRACE(c.Filter);
        const auto run = user.Run({user.ChildPath("bin/app_tests"), std::string("--gtest_filter=") + c.Filter},
                                  {"QT_QPA_PLATFORM=offscreen", "KV_ALL_SKIPPED_EXIT_CODE=77"}, std::chrono::seconds(60));
        ASSERT_FALSE(run.TimedOut) << run.Output;
        EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Output;
        EXPECT_NE(run.Output.find(reason), std::string::npos) << run.Output;
    }
}

} // namespace
