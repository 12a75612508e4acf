// The main of every test program: an offscreen QApplication on the main thread,
// so widget tests and main-thread call queues work without a display. Started with a
// child switch, the program runs that child routine instead of its tests.
//
// Around the tests: a scratch folder as the temporary folder, gone however the program
// ends; a watch on the user's database of the build, which no test may touch (the
// program the user runs beside the tests may: that is noted, not failed); the
// reasons of skipped tests at the end; and, when KV_ALL_SKIPPED_EXIT_CODE is set, that
// exit status when every test that ran was skipped (ctest's SKIP_RETURN_CODE).
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/rtl/Thread.h"
#include "shell/OneInstance.h"
#include "support/ChildRoutine.h"
#include "support/ScratchFolder.h"
#include "support/UserDatabaseGuard.h"

namespace {

// "skipped: Suite.Test: reason" for every skipped test, for a summary to find.
void PrintSkipReasons(const ::testing::UnitTest& unit)
{
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo& test = *suite.GetTestInfo(t);
            if (!test.should_run() || !test.result()->Skipped()) continue;
            std::string reason;
            for (int p = 0; p < test.result()->total_part_count(); ++p)
                if (test.result()->GetTestPartResult(p).skipped())
                    reason = test.result()->GetTestPartResult(p).message();
            std::printf("skipped: %s.%s: %s\n", suite.name(), test.name(), reason.c_str());
        }
    }
}

bool AllSkipped(const ::testing::UnitTest& unit)
{
    return unit.test_to_run_count() > 0 && unit.skipped_test_count() == unit.test_to_run_count();
}

} // namespace

int main(int argc, char** argv)
{
    // The program the user runs keeps its lock in the user's temporary folder, not in ours.
    const std::string programLock = shell::InstanceLockFile().toStdString();
    testsupport::UseScratchFolder("kv7200-tests");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    rtl::MainThread::Init();
    int childExit = 0;
    if (testsupport::RunChildRoutine(argc, argv, childExit)) return childExit;
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::TUserDatabaseGuard userDatabase(KV_USER_DATABASE, programLock);
    int result = RUN_ALL_TESTS();
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    PrintSkipReasons(unit);
    if (const auto outcome = userDatabase.Outcome(); outcome.Failed) {
        std::printf("%s\n", outcome.Text.c_str());
        result = 1;
    } else if (!outcome.Text.empty()) {
        std::fprintf(stderr, "%s\n", outcome.Text.c_str());
    }
    std::fflush(stdout);
    const char* skippedExit = std::getenv("KV_ALL_SKIPPED_EXIT_CODE");
    if (result == 0 && skippedExit && *skippedExit && AllSkipped(unit)) return std::atoi(skippedExit);
    return result;
}
