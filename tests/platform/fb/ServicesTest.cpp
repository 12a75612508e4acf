// Backup and restore through the embedded services manager.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBServices.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBStoredProc.h"
#include "support/TempDir.h"

namespace {

template <typename Service>
void Prepare(Service& service)
{
    service.LoginPrompt = false;
    service.Params = {"user_name=SYSDBA", "password=quillbarn"};
    service.Attach();
    ASSERT_TRUE(service.GetActive());
}

// Polls until the service ends; returns how many times it answered "running".
template <typename Service>
int WaitForService(Service& service)
{
    int polls = 0;
    while (service.IsServiceRunning())
        ++polls;
    return polls;
}

int LogCount(const std::string& path)
{
    fbtest::TConnection c(path);
    fb::TIBSQL q(&c.db);
    q.SetSQL("select count(*) from get_log");
    q.ExecQuery();
    q.Next();
    return q.Fields(0).GetAsInteger();
}

TEST(Services, BackupAndRestoreKeepTheRows)
{
    testsupport::TempDir dir;
    std::string path = fbtest::CopyBuiltDatabase(dir.Path());
    {
        fbtest::TConnection c(path);
        fb::TIBStoredProc add(&c.db);
        add.SetStoredProcName("ADD_TO_LOG");
        for (int k = 0; k < 2000; ++k) {
            add.ParamByName("DT").SetAsDouble(45000 + k);
            add.ParamByName("DEVICEID").SetAsInteger(0);
            add.ParamByName("DATA").SetAsString(std::string(static_cast<std::size_t>(k % 50 + 1), 'x'));
            add.ParamByName("DATACODE").SetAsInteger(1000);
            add.ExecProc();
        }
    } // closed, as before a backup at exit
    const std::string backupFile = path + "_";

    fb::TIBBackupService backup;
    Prepare(backup);
    backup.DatabaseName = path;
    backup.BackupFile = {backupFile};
    backup.Options = {fb::TBackupOption::IgnoreLimbo};
    backup.ServiceStart();
    EXPECT_GT(WaitForService(backup), 0); // it was seen running, then done
    backup.Detach();
    EXPECT_FALSE(backup.GetActive());
    ASSERT_TRUE(std::filesystem::exists(backupFile));
    EXPECT_GT(std::filesystem::file_size(backupFile), 10000u);

    // Rebuild the file from the backup and check what it holds.
    std::filesystem::resize_file(path, 0);
    fb::TIBRestoreService restore;
    Prepare(restore);
    restore.DatabaseName = {path};
    restore.BackupFile = {backupFile};
    restore.Options = {fb::TRestoreOption::Replace, fb::TRestoreOption::UseAllSpace};
    restore.ServiceStart();
    WaitForService(restore);
    restore.Detach();

    EXPECT_EQ(LogCount(path), 2000);
    fbtest::TConnection c(path);
    fb::TIBStoredProc version(&c.db);
    version.SetStoredProcName("GET_DB_VERSION");
    version.ExecProc();
    EXPECT_EQ(version.ParamByName("DBVER").GetAsInteger(), 1);
}

// Reads the service's output until it has ended.
template <typename Service>
std::string ReadToEof(Service& service)
{
    std::string output;
    while (!service.Eof()) output += service.GetNextChunk();
    return output;
}

void FillLog(const std::string& path, int records)
{
    fbtest::ExecuteSql(path,
                       "execute block as declare i integer = 0; begin while (i < " + std::to_string(records)
                           + ") do begin insert into EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA) values "
                             "(gen_id(GEN_EVENT_LOG_ID, 1), 45000 + :i, 0, 1000, 'unit ' || :i); i = i + 1; end end",
                       false);
}

TEST(Services, TheOutputOfABackupTellsOfADamagedDatabase)
{
    testsupport::TempDir dir;
    const std::string path = fbtest::CopyBuiltDatabase(dir.Path());
    FillLog(path, 3000);

    // A sound database: the service ends without a word.
    fb::TIBBackupService sound;
    Prepare(sound);
    sound.DatabaseName = path;
    sound.BackupFile = {path + "_"};
    sound.ServiceStart();
    EXPECT_EQ(ReadToEof(sound), "");
    EXPECT_EQ(sound.GetNextChunk(), "");
    sound.Detach();
    EXPECT_GT(std::filesystem::file_size(path + "_"), 3000u * 10);

    // A damaged one: the service says so for every record it cannot read, and, its
    // output being read, ends instead of waiting for a reader.
    fbtest::DamageDataPage(path);
    fb::TIBBackupService damaged;
    Prepare(damaged);
    damaged.DatabaseName = path;
    damaged.BackupFile = {path + "_"};
    damaged.ServiceStart();
    const std::string output = ReadToEof(damaged);
    EXPECT_NE(output.find("wrong page type"), std::string::npos) << output;
    EXPECT_NE(output.find("ERROR"), std::string::npos) << output;
    damaged.Detach();
}

TEST(Services, PollingNeedsAnAttachment)
{
    fb::TIBBackupService backup;
    EXPECT_THROW(backup.IsServiceRunning(), rtl::EDatabaseError);
    EXPECT_THROW(backup.GetNextChunk(), rtl::EDatabaseError);
    EXPECT_THROW(backup.ServiceStart(), rtl::EDatabaseError);
    backup.Params = {"bogus=1"};
    EXPECT_THROW(backup.Attach(), rtl::EDatabaseError);
}

} // namespace
