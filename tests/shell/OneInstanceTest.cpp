// The single-instance guard: one holder per name, later starts reach the holder.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <gtest/gtest.h>

#include "platform/ui/QtText.h"
#include "shell/OneInstance.h"
#include "support/TempDir.h"

namespace {

std::string UniqueName(const std::string& tag) { return "KV7200TEST_" + tag + "_" + std::to_string(::getpid()); }

TEST(OneInstance, ALaterStartIsRefusedAndRaisesTheRunningOne)
{
    const std::string name = UniqueName("raise");
    int raised = 0;
    {
        shell::TInstanceGuard first(name);
        first.OnRaiseRequest = [&] { ++raised; };
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(first.Acquire()); // asking again keeps it

        shell::TInstanceGuard second(name);
        EXPECT_FALSE(second.Acquire());
        EXPECT_FALSE(second.Acquired());
        EXPECT_TRUE(second.SignalRunning());
        EXPECT_TRUE(testsupport::WaitUntil([&] { return raised == 1; }, 3000));

        // Another name is another program.
        shell::TInstanceGuard other(UniqueName("other"));
        EXPECT_TRUE(other.Acquire());
    }
    // Once the first has ended, the next start runs.
    shell::TInstanceGuard next(name);
    EXPECT_TRUE(next.Acquire());
    EXPECT_EQ(raised, 1);
}

TEST(OneInstance, NobodyToRaiseWhenNoInstanceRuns)
{
    shell::TInstanceGuard lone(UniqueName("lone"));
    EXPECT_FALSE(lone.SignalRunning(200));
}

TEST(OneInstance, ASocketLeftByAProgramThatDiedDoesNotBlockTheName)
{
    const std::string name = UniqueName("stale");
    const std::string socketPath = ui::FromQString(QDir::tempPath()) + "/" + name;
    std::ofstream(socketPath) << "left over";
    int raised = 0;
    shell::TInstanceGuard first(name);
    first.OnRaiseRequest = [&] { ++raised; };
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(shell::TInstanceGuard(name).SignalRunning());
    EXPECT_TRUE(testsupport::WaitUntil([&] { return raised == 1; }, 3000));
}

TEST(OneInstance, ALockLeftByAProgramThatDiedIsTakenOver)
{
    const std::string name = UniqueName("deadlock");
    const QString lockPath = QDir::tempPath() + "/" + ui::ToQString(name) + ".lock";
    // A child takes the lock and dies without giving it back.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockPath);
        ::_exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(lockPath));

    shell::TInstanceGuard next(name);
    EXPECT_TRUE(next.Acquire());
}

} // namespace
