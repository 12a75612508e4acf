// The built program run by a second user of the machine, for whom the engine's shared
// lock folder exists and is closed: it starts, logs, backs up and ends all the same.
#include <signal.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "StorageTestEngine.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/FbTestDatabase.h"
#include "support/SecondUser.h"

namespace {

namespace fs = std::filesystem;
using kvtest::TLogRecord;

TEST(SecondUserProgramTest, StartsAndEndsWhileTheSharedLockFolderIsClosedToIt)
{
    if (const std::string why = testsupport::TSecondUser::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    // A database that logs the start and the end and is backed up at exit.
    const std::string engine = storagetest::EngineFolder();
    fbtest::CopyBuiltDatabase(engine);
    rig::ConfigureDatabase(engine, {}, [](storage::TCommonSettings& common) {
        common.LogEnabled = 1;
        common.LogSystemEvents = 1;
        common.BackupOnExit = 1;
    });
    testsupport::TSecondUser user;
    const fs::path folder = user.MakeFolder("program", 0755);
    user.CopyIn(KV7200_PROGRAM, "program/kv7200");
    user.CopyIn(engine + "kv7200.FDB", "program/kv7200.FDB");

    // Once the engine has locked in the user's folder the program is past the point where
    // a signal could kill it; it ends on the first one that finds its main loop running.
    const fs::path engineUp = user.Root() / ("firebird-" + std::to_string(user.Uid())) / "fb_init";
    bool signalled = false;
    const auto run = user.Run({user.ChildPath("program/kv7200")}, {"QT_QPA_PLATFORM=offscreen"},
                              std::chrono::seconds(30), [&](pid_t pid) {
                                  if (!signalled && !fs::exists(engineUp)) return;
                                  signalled = true;
                                  ::kill(pid, SIGTERM);
                              });
    ASSERT_FALSE(run.TimedOut) << run.Output;
    EXPECT_EQ(run.Signal, 0);
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_TRUE(signalled);

    EXPECT_TRUE(fs::exists(folder / "kv7200.FDB_")) << "no backup at exit";
    EXPECT_FALSE(fs::exists(folder / "firebird.conf")) << "the engine files stayed";
    fbtest::TConnection c((folder / "kv7200.FDB").string());
    EXPECT_EQ(kvtest::Select(kvtest::ReadLog(c.db), 1000, 0),
              (std::vector<TLogRecord>{{1000, 0, kvtest::Bytes({1})}, {1000, 0, kvtest::Bytes({2})}}));
}

} // namespace
