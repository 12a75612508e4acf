// The watch every test program keeps on the user's database of the build: it tells
// when the file or its backup was opened, written, made or removed while the tests
// ran, and stays quiet about the other files of the program's folder.
#include <filesystem>
#include <fstream>

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

} // namespace
