// Outdated log records, emptying the log, the progress of the services and the
// backup and rebuild at exit on a real database.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DModuleFixture.h"
#include "platform/rtl/SysUtils.h"

namespace {

class Maintenance : public dmtest::DModuleTest {
protected:
    Maintenance()
    {
        Main.Common.LogEnabled = 1;
        Main.Common.LogSystemEvents = 1;
    }

    // A record dated daysAgo days before now, through the stored procedure itself.
    void AddAged(double daysAgo, int code = 1000)
    {
        Dm->addToLog.ParamByName("DT").SetAsDouble(rtl::Now() - daysAgo);
        Dm->addToLog.ParamByName("DEVICEID").SetAsInteger(0);
        Dm->addToLog.ParamByName("DATA").SetAsString("\x01");
        Dm->addToLog.ParamByName("DATACODE").SetAsInteger(code);
        Dm->addToLog.ExecProc();
    }
    int LogCount()
    {
        fb::TIBSQL q(&Dm->IBDatabase, &Dm->IBTransaction);
        q.SetSQL("select count(*) from EVENT_LOG");
        q.ExecQuery();
        q.Next();
        return q.Fields(0).GetAsInteger();
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto& s : Splash.Shown) out.push_back(s.first);
        return out;
    }
    // When the database file was made: a rebuild makes it anew.
    double Created() { return Scalar("select MON$CREATION_DATE from MON$DATABASE").GetAsDateTime(); }
};

} // namespace

TEST_F(Maintenance, OutdatedRecords)
{
    Open();
    Main.Common.LogExpireDays = 30;
    double date = -1;
    EXPECT_EQ(Dm->GetOutdatedLog(date), 0); // no records
    EXPECT_NEAR(date, rtl::Now(), 1.0 / 24);

    for (double age : {45.0, 31.0, 29.0, 2.0, 0.5, 0.0}) AddAged(age);
    EXPECT_EQ(Dm->GetOutdatedLog(date), 2);
    EXPECT_NEAR(date, rtl::Now(), 1.0 / 24);
    Main.Common.LogExpireDays = 1; // older than one day
    EXPECT_EQ(Dm->GetOutdatedLog(date), 4);

    // The condition the log window shows them with selects exactly those.
    fb::TIBSQL q(&Dm->IBDatabase, &Dm->IBTransaction);
    q.SetSQL("select count(*) from get_log where DT <= " + rtl::Format(rtl::TFormatSettings::Invariant(), "%3.10f", date - 1));
    q.ExecQuery();
    q.Next();
    EXPECT_EQ(q.Fields(0).GetAsInteger(), 4);

    Main.Common.LogExpireDays = 30;
    Dm->ClearOutdatedLog();
    EXPECT_EQ(LogCount(), 4);
    EXPECT_EQ(Dm->GetOutdatedLog(date), 0);
    Dm->ClearOutdatedLog(); // nothing outdated: nothing removed
    EXPECT_EQ(LogCount(), 4);
    Main.Common.LogExpireDays = 1;
    Dm->ClearOutdatedLog();
    EXPECT_EQ(LogCount(), 2);

    Dm->emptyLog.ExecProc();
    EXPECT_EQ(LogCount(), 0);
}

TEST_F(Maintenance, ProgressDots)
{
    Open();
    std::int64_t now = 0;
    Dm->Clock = [&now] { return now; };

    // 300 ms per poll: a dot every second poll (600 ms), never more than 40, and the
    // polling goes on to the service's end.
    int polls = 0;
    Dm->ShowServiceProgress("Backup Database ", 0, [&] {
        now += 300;
        return ++polls <= 200;
    });
    EXPECT_EQ(polls, 201);
    ASSERT_EQ(Splash.Shown.size(), 40u);
    for (std::size_t k = 0; k < Splash.Shown.size(); ++k) {
        EXPECT_EQ(Splash.Shown[k].first, "Backup Database " + std::string(k + 1, '.'));
        EXPECT_EQ(Splash.Shown[k].second, 0);
    }

    // Exactly 500 ms is not enough for a dot.
    Splash.Shown.clear();
    polls = 0;
    Dm->ShowServiceProgress("x", now, [&] {
        now += 500;
        return ++polls <= 6;
    });
    EXPECT_EQ(Texts(), (std::vector<std::string>{"x.", "x..", "x..."}));

    // A service that ends at once shows nothing.
    Splash.Shown.clear();
    Dm->ShowServiceProgress("x", now, [] { return false; });
    EXPECT_TRUE(Splash.Shown.empty());
}

TEST_F(Maintenance, BackupAndOptimizeAtExitKeepEveryRecord)
{
    Open();
    for (int k = 0; k < 3000; ++k) Dm->AddToLogStr(0, 1004, "unit " + std::to_string(k) + ":10.0.0.1");
    Main.Common.LogExpireDays = 30;
    Dm->SaveCommon(Main.Common);
    Main.Common.BackupOnExit = 1;
    Main.Common.OptimizeOnExit = 1;
    const double before = Created();

    Dm->ExitMaintenance();
    EXPECT_FALSE(Dm->IBDatabase.GetConnected());
    const auto texts = Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(Splash.Shown.front(), (std::pair<std::string, int>{"Backup Database ", 100}));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Optimize Database "), texts.end());
    EXPECT_TRUE(std::filesystem::exists(DbPath + "_"));
    EXPECT_GT(std::filesystem::file_size(DbPath + "_"), 3000u * 10);
    EXPECT_GT(Created(), before); // the file was rebuilt
    Dm.reset();

    EXPECT_EQ(Count("EVENT_LOG"), 3000);
    EXPECT_EQ(Scalar("select DATA from EVENT_LOG order by ID desc rows 1").GetAsString(), "unit 2999:10.0.0.1");
    // A rebuilt database opens with its settings.
    Open();
    EXPECT_TRUE(Dm->DBVersionOk);
    storage::TCommonSettings loaded;
    Dm->LoadCommon(loaded);
    EXPECT_EQ(loaded.LogExpireDays, 30);
}

TEST_F(Maintenance, ExitStepsFollowTheSettings)
{
    // Optimize alone does nothing: it needs the backup.
    Open();
    Main.Common.BackupOnExit = 0;
    Main.Common.OptimizeOnExit = 1;
    const double before = Created();
    Dm->ExitMaintenance();
    EXPECT_FALSE(Dm->IBDatabase.GetConnected());
    EXPECT_TRUE(Splash.Shown.empty());
    EXPECT_FALSE(std::filesystem::exists(DbPath + "_"));
    EXPECT_EQ(Created(), before);

    // Backup alone leaves the database file as it was.
    Dm.reset();
    Open();
    Main.Common.BackupOnExit = 1;
    Main.Common.OptimizeOnExit = 0;
    Dm->ExitMaintenance();
    EXPECT_TRUE(std::filesystem::exists(DbPath + "_"));
    EXPECT_EQ(Created(), before);
    EXPECT_EQ(Texts().front(), "Backup Database ");
    for (const auto& t : Texts()) EXPECT_EQ(t.rfind("Backup Database ", 0), 0u) << t;
}

TEST_F(Maintenance, ABackupThatCannotTakeItsPlaceFailsAndIsNotRestored)
{
    Open();
    Dm->AddToLogStr(0, 1004, "kept:1");
    Main.Common.BackupOnExit = 1;
    Main.Common.OptimizeOnExit = 1;
    // The backup cannot be put where a folder stands.
    std::filesystem::create_directory(DbPath + "_");
    const double before = Created();
    try {
        Dm->ExitMaintenance();
        ADD_FAILURE() << "the failed backup was not reported";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("The database backup failed: ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(Dm->IBDatabase.GetConnected());
    const auto texts = Texts();
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Optimize Database "), texts.end());
    EXPECT_EQ(Created(), before);
    EXPECT_TRUE(std::filesystem::is_directory(DbPath + "_"));
    EXPECT_FALSE(std::filesystem::exists(DbPath + "_.new"));
    Dm.reset();
    EXPECT_EQ(Count("EVENT_LOG"), 1);
    // Only one failing service per test: the embedded engine crashes now and then
    // when failing services follow one another in a process.
}

TEST_F(Maintenance, ABackupOfADamagedDatabaseFailsAndKeepsThePreviousBackup)
{
    Open();
    for (int k = 0; k < 3000; ++k) Dm->AddToLogStr(0, 1004, "unit " + std::to_string(k) + ":10.0.0.1");
    Dm.reset();
    fbtest::DamageDataPage(DbPath);
    const std::string previous = "the backup of the last exit";
    std::ofstream(DbPath + "_", std::ios::binary) << previous;

    Open();
    Main.Common.BackupOnExit = 1;
    Main.Common.OptimizeOnExit = 1;
    const double before = Created();
    // The engine goes on past the records it cannot read, and says so: that is a failure.
    try {
        Dm->ExitMaintenance();
        ADD_FAILURE() << "the failed backup was not reported";
    } catch (const rtl::EDatabaseError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("The database backup failed: ", 0), 0u) << text;
        EXPECT_NE(text.find("wrong page type"), std::string::npos) << text;
        EXPECT_NE(text.find("The previous backup \"kv7200.FDB_\" is kept."), std::string::npos) << text;
    }
    std::ifstream kept(DbPath + "_", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), previous);
    EXPECT_FALSE(std::filesystem::exists(DbPath + "_.new"));
    const auto texts = Texts();
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Optimize Database "), texts.end());
    EXPECT_EQ(Created(), before);
}

TEST_F(Maintenance, NothingRunsForARejectedVersion)
{
    Execute("alter procedure GET_DB_VERSION returns (DBVER integer) as begin DBVER = 2; end", false);
    Open();
    Main.Common.BackupOnExit = 1;
    Main.Common.OptimizeOnExit = 1;
    Dm->ExitMaintenance();
    EXPECT_TRUE(Splash.Shown.empty());
    EXPECT_FALSE(std::filesystem::exists(DbPath + "_"));
}
