// The watch every test program keeps on the user's database of the build: it tells
// when the file or its backup was opened, written, made or removed while the tests
// ran, and stays quiet about the other files of the program's folder; what the program
// the user runs beside the tests did is noted, not failed.
#include <filesystem>
#include <fstream>
#include <memory>

#include <QLockFile>
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/UserDatabaseGuard.h"

namespace {

TEST(UserDatabaseGuardTest, TellsWhatTouchedTheDatabaseOrItsBackupAndNothingElse)
{
    testsupport::TempDir bin;
    const std::string database = bin.Write("kv7200.FDB", "units and log");
    bin.Write("kv7200.FDB_", "backup");
    {
        testsupport::TUserDatabaseGuard guard(database);
        bin.Write("kv7200-template.FDB", "empty");
        std::ifstream(bin.File("kv7200-template.FDB")).get();
        bin.Write("kv7200", "program");
        EXPECT_EQ(guard.Report(), "");
    }
    {
        testsupport::TUserDatabaseGuard guard(database);
        std::ifstream(database).get();
        EXPECT_EQ(guard.Report(), "kv7200.FDB opened");
        EXPECT_EQ(guard.Report(), "") << "told twice";
        std::filesystem::copy_file(bin.File("kv7200-template.FDB"), bin.File("kv7200.FDB_"),
                                   std::filesystem::copy_options::overwrite_existing);
        EXPECT_NE(guard.Report().find("kv7200.FDB_ written"), std::string::npos);
        std::filesystem::remove(database);
        EXPECT_EQ(guard.Report(), "kv7200.FDB removed or renamed");
        bin.Write("kv7200.FDB", "new");
        EXPECT_NE(guard.Report().find("kv7200.FDB made or replaced"), std::string::npos);
    }
    // A folder that is not there (no build yet): nothing to watch, nothing to tell.
    testsupport::TUserDatabaseGuard nowhere(bin.File("none/kv7200.FDB"));
    EXPECT_EQ(nowhere.Report(), "");
}

// The program the user started beside the tests writes its database (its log, its
// backup at exit) while it holds its one-instance lock: a note, not a failure.
TEST(UserDatabaseGuardTest, ATouchWhileTheProgramHeldItsLockIsANoteElseAFailure)
{
    testsupport::TempDir bin;
    testsupport::TempDir tmp;
    const std::string database = bin.Write("kv7200.FDB", "units and log");
    const std::string lock = tmp.File("program.lock");
    const std::string byProgram = "by the running program";
    {
        QLockFile program(QString::fromStdString(lock));
        ASSERT_TRUE(program.tryLock(0));
        testsupport::TUserDatabaseGuard guard(database, lock);
        bin.Write("kv7200.FDB_", "backup at exit");
        const auto outcome = guard.Outcome();
        EXPECT_FALSE(outcome.Failed);
        EXPECT_NE(outcome.Text.find("note: "), std::string::npos) << outcome.Text;
        EXPECT_NE(outcome.Text.find(byProgram), std::string::npos) << outcome.Text;
        EXPECT_NE(outcome.Text.find("kv7200.FDB_ written"), std::string::npos) << outcome.Text;
    }
    for (const bool startsMeanwhile : {true, false}) {
        SCOPED_TRACE(startsMeanwhile ? "started and ended during the watch" : "held at its start only");
        auto program = std::make_unique<QLockFile>(QString::fromStdString(lock));
        if (!startsMeanwhile) {
            ASSERT_TRUE(program->tryLock(0));
        }
        testsupport::TUserDatabaseGuard guard(database, lock);
        if (startsMeanwhile) {
            ASSERT_TRUE(program->tryLock(0));
        }
        bin.Write("kv7200.FDB", "a log record more");
        program.reset();
        const auto outcome = guard.Outcome();
        EXPECT_FALSE(outcome.Failed) << outcome.Text;
        EXPECT_NE(outcome.Text.find(byProgram), std::string::npos) << outcome.Text;
    }
    {
        testsupport::TUserDatabaseGuard guard(database, lock);
        EXPECT_FALSE(guard.Outcome().Failed) << "nothing touched";
        EXPECT_EQ(guard.Outcome().Text, "");
        bin.Write("kv7200.FDB", "a test's rows");
        const auto outcome = guard.Outcome();
        EXPECT_TRUE(outcome.Failed);
        EXPECT_NE(outcome.Text.find("the running program is not the cause"), std::string::npos) << outcome.Text;
        EXPECT_NE(outcome.Text.find("kv7200.FDB written"), std::string::npos) << outcome.Text;
    }
}

} // namespace
