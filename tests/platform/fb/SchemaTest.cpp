// The built database: tables, generators and the stored procedures the program relies on.
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBGenerator.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBStoredProc.h"
#include "support/TempDir.h"

namespace {

// Local now as days since 30 December 1899, the way the program writes DT.
double LocalNow()
{
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    std::tm epoch{};
    epoch.tm_year = -1; // 1899
    epoch.tm_mon = 11;
    epoch.tm_mday = 30;
    epoch.tm_isdst = 0;
    // Day count through the UTC calendar of both dates; the time of day is local.
    std::tm day = local;
    day.tm_hour = day.tm_min = day.tm_sec = 0;
    day.tm_isdst = 0;
    double days = std::round((static_cast<double>(timegm(&day)) - static_cast<double>(timegm(&epoch))) / 86400.0);
    return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

class SchemaTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    fbtest::TConnection c{fbtest::CopyBuiltDatabase(dir.Path())};

    std::vector<std::string> Columns(const std::string& table)
    {
        fb::TIBSQL q(&c.db);
        q.SetSQL("select trim(rdb$field_name) from rdb$relation_fields where rdb$relation_name = :T "
                 "order by rdb$field_position");
        q.ParamByName("T").SetAsString(table);
        q.ExecQuery();
        std::vector<std::string> names;
        while (q.Next())
            names.push_back(q.Fields(0).GetAsString());
        return names;
    }

    void AddLog(double dt, int deviceId, const std::string& data, int code)
    {
        fb::TIBStoredProc add(&c.db);
        add.SetStoredProcName("ADD_TO_LOG");
        add.ParamByName("DT").SetAsDouble(dt);
        add.ParamByName("DEVICEID").SetAsInteger(deviceId);
        add.ParamByName("DATA").SetAsString(data);
        add.ParamByName("DATACODE").SetAsInteger(code);
        add.ExecProc();
    }

    int LogCount()
    {
        fb::TIBSQL q(&c.db);
        q.SetSQL("select count(*) from get_log");
        q.ExecQuery();
        q.Next();
        return q.Fields(0).GetAsInteger();
    }

    int InsertDevice(const std::string& alias)
    {
        int id = static_cast<int>(fb::GenId(c.db, c.tr, "GEN_DEVICES_ID"));
        fb::TIBSQL q(&c.db);
        q.SetSQL("insert into DEVICES (ID, DEVICETYPE, ALIAS, POS, MAPX, MAPY, MAPLOCK) "
                 "values (:ID, 3, :ALIAS, -1, 10, 10, 0)");
        q.ParamByName("ID").SetAsInteger(id);
        q.ParamByName("ALIAS").SetAsString(alias);
        q.ExecQuery();
        return id;
    }
};

TEST_F(SchemaTest, TablesHaveTheStoredColumnsAndOneSettingsRow)
{
    EXPECT_EQ(Columns("DEVICES"),
              (std::vector<std::string>{"ID", "IP1", "IP2", "IP3", "IP4", "PORT", "SERIAL", "DEVICETYPE", "USERID",
                                        "PASS", "USBSERIAL", "COMPORT", "ALIAS", "CONFIG", "POS", "MAPX", "MAPY",
                                        "MAPLOCK"}));
    EXPECT_EQ(Columns("CONFIG"), (std::vector<std::string>{"ID", "DBVERSION", "COMMON", "MAP"}));

    fb::TIBSQL q(&c.db);
    q.SetSQL("select ID, DBVERSION, COMMON, MAP from CONFIG");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.FieldByName("ID").GetAsInteger(), 1);
    EXPECT_EQ(q.FieldByName("DBVERSION").GetAsInteger(), 1);
    EXPECT_TRUE(q.FieldByName("COMMON").GetIsNull());
    EXPECT_TRUE(q.FieldByName("MAP").GetIsNull());
    EXPECT_FALSE(q.Next());

    q.SetSQL("select trim(rdb$character_set_name) from rdb$database");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.Fields(0).GetAsString(), "WIN1252");
}

TEST_F(SchemaTest, VersionIsOneAndGeneratorsCount)
{
    fb::TIBStoredProc version(&c.db);
    version.SetStoredProcName("GET_DB_VERSION");
    version.ExecProc();
    EXPECT_EQ(version.ParamByName("DBVER").GetAsInteger(), 1);

    std::int64_t first = fb::GenId(c.db, c.tr, "GEN_DEVICES_ID");
    EXPECT_EQ(fb::GenId(c.db, c.tr, "GEN_DEVICES_ID"), first + 1);
    EXPECT_EQ(fb::GenId(c.db, c.tr, "GEN_DEVICES_ID", 0), first + 1);
}

TEST_F(SchemaTest, LogRecordsComeBackWithTheirUnitsAlias)
{
    std::string alias = "Tower \xB5 1"; // the micro sign is one Windows-1252 byte
    int id = InsertDevice(alias);
    std::string payload("\x00\x01\xFF \x20", 5);
    AddLog(45000.25, id, payload, 39);
    AddLog(45000.5, 0, "x", 1000);
    AddLog(45000.75, id + 100, "gone", 1002); // a unit removed meanwhile

    fb::TIBStoredProc getAlias(&c.db);
    getAlias.SetStoredProcName("GET_ALIAS");
    getAlias.ParamByName("DID").SetAsInteger(id);
    getAlias.ExecProc();
    EXPECT_EQ(getAlias.ParamByName("ALIAS").GetAsString(), alias);
    getAlias.ParamByName("DID").SetAsInteger(id + 100);
    getAlias.ExecProc();
    EXPECT_TRUE(getAlias.ParamByName("ALIAS").GetIsNull());

    fb::TIBSQL q(&c.db);
    q.SetSQL("select * from get_log order by ID");
    q.ExecQuery();
    std::vector<std::string> columns;
    for (int k = 0; k < q.GetFieldCount(); ++k)
        columns.push_back(q.Fields(k).GetName());
    EXPECT_EQ(columns, (std::vector<std::string>{"DATA", "DATACODE", "ALIAS", "DT", "ID", "DEVICEID"}));

    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.FieldByName("DATA").GetAsString(), payload);
    EXPECT_EQ(q.FieldByName("DATACODE").GetAsInteger(), 39);
    EXPECT_EQ(q.FieldByName("ALIAS").GetAsString(), alias);
    EXPECT_DOUBLE_EQ(q.FieldByName("DT").GetAsDouble(), 45000.25);
    EXPECT_EQ(q.FieldByName("DEVICEID").GetAsInteger(), id);
    int firstId = q.FieldByName("ID").GetAsInteger();

    ASSERT_TRUE(q.Next());
    EXPECT_TRUE(q.FieldByName("ALIAS").GetIsNull()); // system event
    EXPECT_EQ(q.FieldByName("DEVICEID").GetAsInteger(), 0);
    EXPECT_EQ(q.FieldByName("ID").GetAsInteger(), firstId + 1);
    ASSERT_TRUE(q.Next());
    EXPECT_TRUE(q.FieldByName("ALIAS").GetIsNull());
    EXPECT_FALSE(q.Next());
}

TEST_F(SchemaTest, OutdatedRecordsAreCountedAndClearedByAge)
{
    const double now = LocalNow();
    for (double age : {40.0, 31.0, 30.01, 29.9, 1.5, 0.5})
        AddLog(now - age, 0, "a", 1000);

    fb::TIBStoredProc outdated(&c.db);
    outdated.SetStoredProcName("GET_OUTDATED_LOG");
    outdated.ParamByName("EXPIRE").SetAsInteger(30);
    outdated.ExecProc();
    EXPECT_EQ(outdated.ParamByName("CNT").GetAsInteger(), 3);
    double maxDate = outdated.ParamByName("MAXDATE").GetAsDouble();
    EXPECT_NEAR(maxDate, now, 2.0 / 1440); // two minutes

    // The shell exports "DT <= MAXDATE - EXPIRE"; those are the records counted.
    fb::TIBSQL q(&c.db);
    q.SetSQL("select count(*) from get_log where DT <= :LIMIT");
    q.ParamByName("LIMIT").SetAsDouble(maxDate - 30);
    q.ExecQuery();
    q.Next();
    EXPECT_EQ(q.Fields(0).GetAsInteger(), 3);

    outdated.ParamByName("EXPIRE").SetAsInteger(1);
    outdated.ExecProc();
    EXPECT_EQ(outdated.ParamByName("CNT").GetAsInteger(), 5);

    fb::TIBStoredProc clear(&c.db);
    clear.SetStoredProcName("CLEAR_OUTDATED_LOG");
    clear.ParamByName("EXPIRE").SetAsInteger(30);
    clear.ExecProc();
    EXPECT_EQ(LogCount(), 3);
    clear.ParamByName("EXPIRE").SetAsInteger(1);
    clear.ExecProc();
    EXPECT_EQ(LogCount(), 1);

    fb::TIBStoredProc empty(&c.db);
    empty.SetStoredProcName("EMPTY_LOG");
    empty.ExecProc();
    EXPECT_EQ(LogCount(), 0);
    outdated.ExecProc();
    EXPECT_EQ(outdated.ParamByName("CNT").GetAsInteger(), 0);
}

TEST_F(SchemaTest, LogRecordsSurviveTheConnectionThroughItsDefaultAction)
{
    AddLog(45000, 0, "kept", 1000);
    c.db.Close(); // the open transaction ends with its default action
    fbtest::TConnection again(c.db.DatabaseName);
    fb::TIBSQL q(&again.db);
    q.SetSQL("select DATA from get_log");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.Fields(0).GetAsString(), "kept");
}

} // namespace
