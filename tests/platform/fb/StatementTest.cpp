// Statements: named and positional parameters, typed values both ways, blobs,
// cursors fetched row by row, and the transaction's settings.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fb/FbClient.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBBlob.h"
#include "platform/fb/IBGenerator.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBStoredProc.h"
#include "platform/rtl/Stream.h"
#include "support/TempDir.h"

namespace {

class StatementTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    fbtest::TConnection c{fbtest::CopyBuiltDatabase(dir.Path())};

    // A select of one value; the value as the engine returns it.
    fb::TSqlValue Select(const std::string& expression)
    {
        fb::TIBSQL q(&c.db);
        q.SetSQL("select " + expression + " from rdb$database");
        q.ExecQuery();
        EXPECT_TRUE(q.Next());
        return q.Fields(0).GetValue();
    }

    static std::string AllBytes()
    {
        std::string bytes;
        for (int b = 0; b < 256; ++b)
            bytes += static_cast<char>(b);
        return bytes;
    }
};

TEST(PreprocessParams, NamesBecomePlaceholdersOutsideTextsAndComments)
{
    std::vector<std::string> names;
    std::string sql = fb::PreprocessParams(
        "update T set A = :a, B = ':not', \"C:x\" = :\"Mixed\" -- :no\n/* :no */ where ID = :ID and O = ? or X = :A",
        names);
    EXPECT_EQ(sql, "update T set A = ?, B = ':not', \"C:x\" = ? -- :no\n/* :no */ where ID = ? and O = ? or X = ?");
    EXPECT_EQ(names, (std::vector<std::string>{"A", "Mixed", "ID", "", "A"}));
}

TEST_F(StatementTest, ParametersOfEveryTypeRoundTrip)
{
    int id = static_cast<int>(fb::GenId(c.db, c.tr, "GEN_DEVICES_ID"));
    fb::TIBSQL ins(&c.db);
    ins.SetSQL("insert into DEVICES (ID, IP1, PORT, SERIAL, MAPX, MAPY, CONFIG, ALIAS) "
               "values (:ID, :IP1, :PORT, :SERIAL, :MAPX, :MAPY, :CONFIG, :ALIAS)");
    EXPECT_EQ(ins.GetParamCount(), 8);
    ins.ParamByName("ID").SetAsInteger(id);
    ins.ParamByName("IP1").SetAsString("192");     // text into a number
    ins.ParamByName("PORT").Clear();               // null
    ins.ParamByName("SERIAL").SetAsInteger(12345); // number into a text
    ins.ParamByName("MAPX").SetAsInt64(-2147483647);
    ins.ParamByName("MAPY").SetAsDouble(10.4); // rounds into the integer column
    ins.ParamByName("CONFIG").SetAsString(AllBytes());
    ins.ParamByName("ALIAS").SetAsString("Caf\xE9 \xB5");
    ins.ExecQuery();
    EXPECT_EQ(ins.GetRowsAffected(), 1);

    fb::TIBSQL sel(&c.db);
    sel.SetSQL("select * from DEVICES where ID = :ID");
    sel.ParamByName("ID").SetAsInteger(id);
    sel.ExecQuery();
    ASSERT_TRUE(sel.Next());
    EXPECT_EQ(sel.FieldByName("IP1").GetAsInteger(), 192);
    EXPECT_TRUE(sel.FieldByName("PORT").GetIsNull());
    EXPECT_TRUE(sel.FieldByName("IP2").GetIsNull());
    EXPECT_EQ(sel.FieldByName("SERIAL").GetAsString(), "12345");
    EXPECT_EQ(sel.FieldByName("MAPX").GetAsInt64(), -2147483647);
    EXPECT_EQ(sel.FieldByName("MAPY").GetAsInteger(), 10);
    EXPECT_EQ(sel.FieldByName("CONFIG").GetAsString(), AllBytes());
    EXPECT_TRUE(sel.FieldByName("CONFIG").IsBlob());
    EXPECT_EQ(sel.FieldByName("alias").GetAsString(), "Caf\xE9 \xB5");
    EXPECT_EQ(sel.FieldByName("ALIAS").GetSqlType(), SQL_VARYING);
    EXPECT_EQ(sel.FieldByName("ALIAS").GetRelationName(), "DEVICES");
    EXPECT_FALSE(sel.FieldByName("ID").GetNullable());
    EXPECT_TRUE(sel.FieldByName("ALIAS").GetNullable());
    EXPECT_EQ(sel.FindField("NOPE"), nullptr);
    EXPECT_THROW(sel.FieldByName("NOPE"), rtl::EDatabaseError);
    EXPECT_THROW(sel.ParamByName("NOPE"), rtl::EDatabaseError);
    EXPECT_FALSE(sel.Next());

    // A blob written from a stream and an empty blob.
    rtl::TMemoryStream stream;
    std::string big(200000, '\0');
    for (std::size_t k = 0; k < big.size(); ++k)
        big[k] = static_cast<char>(k * 7);
    stream.WriteBuffer(big.data(), static_cast<std::int64_t>(big.size()));
    fb::TIBSQL upd(&c.db);
    upd.SetSQL("update DEVICES set CONFIG = :C where ID = :ID");
    upd.ParamByName("C").LoadFromStream(stream);
    upd.ParamByName("ID").SetAsInteger(id);
    upd.ExecQuery();
    sel.ExecQuery();
    ASSERT_TRUE(sel.Next());
    rtl::TMemoryStream back;
    sel.FieldByName("CONFIG").GetValue().SaveToStream(back);
    EXPECT_EQ(back.ToString(), big);
    EXPECT_EQ(fb::ReadBlob(c.db, c.tr, sel.FieldByName("CONFIG").GetAsQuad()), big);
    sel.Close();

    upd.ParamByName("C").SetAsString("");
    upd.ExecQuery();
    sel.ExecQuery();
    ASSERT_TRUE(sel.Next());
    EXPECT_FALSE(sel.FieldByName("CONFIG").GetIsNull());
    EXPECT_EQ(sel.FieldByName("CONFIG").GetAsString(), "");
}

TEST_F(StatementTest, BlobOfEveryByteRoundTripsThroughTheLogProcedure)
{
    fb::TIBStoredProc add(&c.db);
    add.SetStoredProcName("ADD_TO_LOG");
    EXPECT_EQ(add.GetParamCount(), 4);
    EXPECT_EQ(add.Params(2).GetName(), "DATA");
    add.ParamByName("DT").SetAsDouble(45123.5);
    add.ParamByName("DEVICEID").SetAsInteger(0);
    add.ParamByName("DATA").SetAsString(AllBytes());
    add.ParamByName("DATACODE").SetAsInteger(1004);
    add.ExecProc();

    ISC_QUAD id = fb::WriteBlob(c.db, c.tr, AllBytes());
    EXPECT_EQ(fb::ReadBlob(c.db, c.tr, id), AllBytes());

    fb::TIBSQL q(&c.db);
    q.SetSQL("select DATA, DT from get_log");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.Fields(0).GetAsString(), AllBytes());
    EXPECT_DOUBLE_EQ(q.Fields(1).GetAsDouble(), 45123.5);
}

TEST_F(StatementTest, NumbersDatesAndTextsConvert)
{
    fb::TSqlValue scaled = Select("cast(-12.345 as numeric(9,3))");
    EXPECT_EQ(scaled.GetAsString(), "-12.345");
    EXPECT_DOUBLE_EQ(scaled.GetAsDouble(), -12.345);
    EXPECT_EQ(scaled.GetAsInt64(), -12);
    EXPECT_EQ(Select("cast(0.05 as numeric(18,2))").GetAsString(), "0.05");
    EXPECT_EQ(Select("cast(2.5 as numeric(9,1))").GetAsInteger(), 3); // half away from zero
    EXPECT_EQ(Select("cast(9000000000 as bigint)").GetAsInt64(), 9000000000LL);
    EXPECT_THROW(Select("cast(9000000000 as bigint)").GetAsInteger(), rtl::EConvertError);
    EXPECT_DOUBLE_EQ(Select("cast(0.1 as double precision)").GetAsDouble(), 0.1);
    EXPECT_EQ(Select("cast(0.1 as double precision)").GetAsString(), "0.1");
    EXPECT_EQ(Select("cast('ab' as char(4))").GetAsString(), "ab  ");
    EXPECT_TRUE(Select("true").GetAsBoolean());
    EXPECT_TRUE(Select("cast(null as integer)").GetIsNull());
    EXPECT_THROW(Select("'abc'").GetAsInteger(), rtl::EConvertError);

    EXPECT_DOUBLE_EQ(Select("date '1899-12-30'").GetAsDateTime(), 0);
    EXPECT_DOUBLE_EQ(Select("timestamp '1900-01-01 18:00:00'").GetAsDateTime(), 2.75);
    EXPECT_DOUBLE_EQ(Select("timestamp '1899-12-29 06:00:00'").GetAsDateTime(), -1.25);
    EXPECT_DOUBLE_EQ(Select("time '12:00:00'").GetAsDateTime(), 0.5);
    EXPECT_EQ(Select("timestamp '2024-02-29 13:45:10'").GetAsString(), "2024-02-29 13:45:10");

    // A date-time parameter into date and timestamp targets.
    fb::TIBSQL q(&c.db);
    q.SetSQL("select cast(:D as date), cast(:D as timestamp) - timestamp '1899-12-30 00:00' from rdb$database");
    q.ParamByName("D").SetAsDateTime(45351.75);
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_DOUBLE_EQ(q.Fields(0).GetAsDateTime(), 45351);
    EXPECT_DOUBLE_EQ(q.Fields(1).GetAsDouble(), 45351.75);
}

TEST_F(StatementTest, CursorFetchesRowByRowAndSurvivesCommitRetaining)
{
    fb::TIBStoredProc add(&c.db);
    add.SetStoredProcName("ADD_TO_LOG");
    for (int k = 0; k < 50; ++k) {
        add.ParamByName("DT").SetAsDouble(k);
        add.ParamByName("DEVICEID").SetAsInteger(0);
        add.ParamByName("DATA").SetAsString(std::to_string(k));
        add.ParamByName("DATACODE").SetAsInteger(1000);
        add.ExecProc();
    }
    fb::TIBSQL q(&c.db);
    q.SetSQL("select DATA from get_log order by DT");
    q.ExecQuery();
    EXPECT_TRUE(q.GetOpen());
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.Fields(0).GetAsString(), "0");
    c.tr.CommitRetaining();
    int rows = 1;
    while (q.Next())
        ++rows;
    EXPECT_EQ(rows, 50);
    EXPECT_TRUE(q.GetEof());
    EXPECT_FALSE(q.GetOpen());

    // A hard commit closes the cursor; the statement stays usable.
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    c.tr.Commit();
    EXPECT_FALSE(q.GetOpen());
    EXPECT_FALSE(q.Next());
    q.ExecQuery(); // starts the transaction again
    EXPECT_TRUE(q.Next());
}

TEST_F(StatementTest, OtherConnectionsSeeCommitsAndConflictsFailAtOnce)
{
    fbtest::TConnection other(c.db.DatabaseName);
    fb::TIBSQL write(&c.db);
    write.SetSQL("update CONFIG set DBVERSION = :V where ID = 1");
    write.ParamByName("V").SetAsInteger(7);
    write.ExecQuery();

    fb::TIBSQL read(&other.db);
    read.SetSQL("select DBVERSION from CONFIG where ID = 1");
    read.ExecQuery();
    ASSERT_TRUE(read.Next());
    EXPECT_EQ(read.Fields(0).GetAsInteger(), 1); // not committed yet: the old version

    fb::TIBSQL conflict(&other.db);
    conflict.SetSQL("update CONFIG set DBVERSION = 8 where ID = 1");
    try {
        conflict.ExecQuery(); // nowait: no waiting for the first writer
        FAIL() << "update conflict expected";
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.SQLCode, -913) << e.Message;
        EXPECT_NE(e.Message.find("deadlock"), std::string::npos) << e.Message;
    }

    c.tr.CommitRetaining();
    read.ExecQuery(); // read committed: the new value without a new transaction
    ASSERT_TRUE(read.Next());
    EXPECT_EQ(read.Fields(0).GetAsInteger(), 7);
}

TEST_F(StatementTest, EngineErrorsCarryMessageAndSqlCode)
{
    fb::TIBSQL q(&c.db);
    q.SetSQL("selec 1 from rdb$database");
    try {
        q.ExecQuery();
        FAIL();
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.SQLCode, -104);
        EXPECT_NE(e.Message.find("Token unknown"), std::string::npos) << e.Message;
        EXPECT_EQ(e.IBErrorCode, isc_dsql_error);
        // The codes after the first say what it was.
        ASSERT_FALSE(e.ErrorCodes.empty());
        EXPECT_EQ(e.ErrorCodes.front(), isc_dsql_error);
        EXPECT_TRUE(e.HasErrorCode(isc_dsql_token_unk_err));
        EXPECT_FALSE(e.HasErrorCode(isc_already_opened));
    }
    q.SetSQL("select * from NO_SUCH_TABLE");
    try {
        q.ExecQuery();
        FAIL();
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_EQ(e.SQLCode, -204);
        EXPECT_NE(e.Message.find("NO_SUCH_TABLE"), std::string::npos) << e.Message;
    }
    q.SetSQL("insert into CONFIG (ID) values (1)");
    try {
        q.ExecQuery();
        FAIL();
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_EQ(e.SQLCode, -803);
        EXPECT_NE(e.Message.find("PK_CONFIG"), std::string::npos) << e.Message;
    }
    fb::TIBStoredProc missing(&c.db);
    missing.SetStoredProcName("NO_SUCH_PROC");
    EXPECT_THROW(missing.ExecProc(), fb::EIBError);
    fb::TIBStoredProc version(&c.db);
    version.SetStoredProcName("GET_DB_VERSION");
    EXPECT_THROW(version.ParamByName("DBVERSION"), rtl::EDatabaseError);

    // The connection still works after the failures.
    q.SetSQL("select count(*) from CONFIG");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.Fields(0).GetAsInteger(), 1);
}

TEST(Database, MissingAndCorruptFilesFailWithTheEnginesMessage)
{
    testsupport::TempDir dir;
    fbtest::TConnection missing(dir.File("absent.FDB"), false);
    try {
        missing.db.Open();
        FAIL();
    } catch (const fb::EIBError& e) {
        EXPECT_NE(e.Message.find("absent.FDB"), std::string::npos) << e.Message;
        EXPECT_NE(e.SQLCode, 0);
        EXPECT_TRUE(e.HasErrorCode(isc_io_error));
        EXPECT_FALSE(e.HasErrorCode(isc_already_opened));
    }
    EXPECT_FALSE(missing.db.GetConnected());

    std::string noise;
    unsigned seed = 12345;
    for (int k = 0; k < 64 * 1024; ++k) {
        seed = seed * 1103515245u + 12345u;
        noise += static_cast<char>(seed >> 16);
    }
    fbtest::TConnection corrupt(dir.Write("noise.FDB", noise), false);
    try {
        corrupt.db.Open();
        FAIL();
    } catch (const fb::EIBError& e) {
        EXPECT_NE(e.Message.find("noise.FDB"), std::string::npos) << e.Message;
    }
    EXPECT_FALSE(corrupt.db.GetConnected());
    EXPECT_EQ(dir.Read("noise.FDB"), noise); // left as it was

    fbtest::TConnection unnamed("", false);
    EXPECT_THROW(unnamed.db.Open(), rtl::EDatabaseError);
    unnamed.db.DatabaseName = dir.File("x.FDB");
    unnamed.db.Params.push_back("no_such_parameter=1");
    EXPECT_THROW(unnamed.db.Open(), rtl::EDatabaseError);
}

TEST(Database, ComponentsOutliveEachOtherInEitherOrder)
{
    testsupport::TempDir dir;
    std::string path = fbtest::CopyBuiltDatabase(dir.Path());
    auto q = std::make_unique<fb::TIBSQL>();
    {
        fbtest::TConnection c(path);
        q->SetDatabase(&c.db);
        q->SetSQL("select ID from CONFIG");
        q->ExecQuery();
        ASSERT_TRUE(q->Next());
        c.db.Close(); // frees the statement's handles
        EXPECT_FALSE(q->GetPrepared());
        c.db.Open();
        q->ExecQuery(); // prepares again
        EXPECT_TRUE(q->Next());
    }
    EXPECT_EQ(q->GetDatabase(), nullptr);
    EXPECT_THROW(q->ExecQuery(), rtl::EDatabaseError);
    q.reset();
}

} // namespace
