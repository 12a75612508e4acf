// The query as a data set: rows fetched on demand, edits written back through the
// update statements, keys from a generator.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/db/FieldTypes.h"
#include "platform/fb/FbClient.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBGenerator.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "support/TempDir.h"

namespace {

// The unit table's statements, one keyword or column a line as the data module keeps them.
void SetDeviceStatements(fb::TIBUpdateSQL& u)
{
    const char* columns[] = {"ID", "IP1", "IP2", "IP3", "IP4", "PORT", "SERIAL", "DEVICETYPE", "USERID", "PASS",
                             "USBSERIAL", "COMPORT", "ALIAS", "CONFIG", "POS", "MAPX", "MAPY", "MAPLOCK"};
    std::string list, values, assignments;
    for (const char* c : columns) {
        std::string sep = list.empty() ? "" : ",\n";
        list += sep + c;
        values += sep + ":" + c;
        assignments += sep + c + " = :" + c;
    }
    u.RefreshSQL = "Select\n" + list + "\nfrom DEVICES\nwhere\nID = :ID";
    u.ModifySQL = "update DEVICES\nset\n" + assignments + "\nwhere\nID = :OLD_ID";
    u.InsertSQL = "insert into DEVICES\n(" + list + ")\nvalues\n(" + values + ")";
    u.DeleteSQL = "delete from DEVICES\nwhere\nID = :OLD_ID";
}

// The blobs opened and the segment reads that found only a blob's end, counted at the
// client library's entry points while an object of TBlobCalls lives.
decltype(&::isc_open_blob2) gOpenBlob = nullptr;
decltype(&::isc_get_segment) gGetSegment = nullptr;
int gBlobsOpened = 0;
int gEndsFound = 0;

template <typename F>
struct TCounted;
template <typename R, typename... A>
struct TCounted<R (*)(A...)> {
    static R Open(A... a)
    {
        ++gBlobsOpened;
        return gOpenBlob(a...);
    }
    static R Get(A... a)
    {
        const R rc = gGetSegment(a...);
        if (rc == isc_segstr_eof) ++gEndsFound;
        return rc;
    }
};

class TBlobCalls {
public:
    TBlobCalls()
    {
        gBlobsOpened = gEndsFound = 0;
        gOpenBlob = api_.isc_open_blob2;
        gGetSegment = api_.isc_get_segment;
        api_.isc_open_blob2 = &TCounted<decltype(gOpenBlob)>::Open;
        api_.isc_get_segment = &TCounted<decltype(gGetSegment)>::Get;
    }
    ~TBlobCalls()
    {
        api_.isc_open_blob2 = gOpenBlob;
        api_.isc_get_segment = gGetSegment;
    }

private:
    fb::TFbApi& api_ = const_cast<fb::TFbApi&>(fb::Api());
};

class QueryTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    fbtest::TConnection c{fbtest::CopyBuiltDatabase(dir.Path())};

    // count log records in one statement
    void FillLog(int count)
    {
        fb::TIBSQL fill(&c.db);
        fill.SetParamCheck(false);
        fill.SetSQL("execute block as declare i integer = 0; begin "
                    // clang-format off
                    "while (i < " + std::to_string(count) + ") do begin "
                                              // clang-format on
                                              "execute procedure ADD_TO_LOG(45000 + :i / 1000.0, mod(:i, 3), 'payload', 39); i = i + 1; end end");
        fill.ExecQuery();
        c.tr.CommitRetaining();
    }

    int StoredCount(const std::string& where)
    {
        fb::TIBSQL q(&c.db);
        q.SetSQL("select count(*) from DEVICES where " + where);
        q.ExecQuery();
        q.Next();
        return q.Fields(0).GetAsInteger();
    }
};

TEST_F(QueryTest, OpeningReadsOnlyTheRowsShown)
{
    FillLog(20000);
    fb::TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetSQL("select * from get_log");
    q.Open();
    EXPECT_LE(q.Store().Count(), 2u); // one window of one record
    for (int k = 0; k < 99; ++k)
        q.Next();
    EXPECT_EQ(q.GetRecNo(), 100);
    EXPECT_LE(q.Store().Count(), 101u);
    EXPECT_EQ(q.FieldByName("DATA")->GetAsString(), "payload");
    EXPECT_EQ(q.FieldByName("DATACODE")->GetAsInteger(), 39);

    // A commit retaining (the data module's after every post) keeps the cursor going.
    c.tr.CommitRetaining();
    q.Last();
    EXPECT_EQ(q.RecordCount(), 20000);
    EXPECT_TRUE(q.Eof());
}

TEST_F(QueryTest, BlobsAreReadWhenTheirValueIsFirstAskedForAndByTheirLength)
{
    FillLog(3000);
    // A blob of several segments, an empty one and none.
    std::string big;
    for (int i = 0; i < 200000; ++i) big += static_cast<char>(i * 31 % 251);
    fb::TIBSQL add(&c.db);
    add.SetSQL("insert into EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA) "
               "values (gen_id(GEN_EVENT_LOG_ID, 1), 45999, 0, :CODE, :DATA)");
    for (const auto& [code, data] : {std::pair<int, const std::string*>{77, &big}, {78, nullptr}, {79, nullptr}}) {
        add.ParamByName("CODE").SetAsInteger(code);
        if (data) add.ParamByName("DATA").SetAsString(*data);
        else if (code == 78) add.ParamByName("DATA").SetAsString("");
        else add.ParamByName("DATA").Clear();
        add.ExecQuery();
    }
    c.tr.CommitRetaining();

    TBlobCalls calls;
    fb::TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetSQL("select * from get_log");
    q.Open();
    q.Last();
    EXPECT_EQ(q.RecordCount(), 3003);
    EXPECT_EQ(gBlobsOpened, 0); // fetching every row read no blob
    ASSERT_TRUE(q.Locate("DATACODE", 77));
    EXPECT_EQ(q.FieldByName("DATA")->GetAsString(), big);
    EXPECT_EQ(gBlobsOpened, 1);
    ASSERT_TRUE(q.Locate("DATACODE", 78));
    EXPECT_FALSE(q.FieldByName("DATA")->IsNull());
    EXPECT_EQ(q.FieldByName("DATA")->GetAsString(), "");
    ASSERT_TRUE(q.Locate("DATACODE", 79));
    EXPECT_TRUE(q.FieldByName("DATA")->IsNull());
    EXPECT_EQ(gBlobsOpened, 2);
    // The rows a screen shows, each read once however often it is asked for.
    q.First();
    for (int row = 0; row < 40; ++row, q.Next()) {
        EXPECT_EQ(q.FieldByName("DATA")->GetAsString(), "payload");
        EXPECT_EQ(q.FieldByName("DATA")->GetAsString(), "payload");
    }
    EXPECT_EQ(gBlobsOpened, 42);
    EXPECT_EQ(gEndsFound, 0); // every blob read to its known length, no further
}

TEST_F(QueryTest, FieldsFollowTheColumnsAndParametersSelect)
{
    FillLog(30);
    fb::TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetSQL("select * from get_log where DEVICEID = :D order by ID");
    q.ParamByName("D").SetAsInteger(2);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 10);
    EXPECT_EQ(q.FieldByName("DEVICEID")->GetAsInteger(), 2);
    EXPECT_EQ(q.FieldByName("DT")->DataType(), db::ftFloat);
    EXPECT_EQ(q.FieldByName("DATA")->DataType(), db::ftBlob);
    EXPECT_TRUE(q.FieldByName("ALIAS")->IsNull());
    EXPECT_FALSE(q.CanModify()); // no update object
    EXPECT_THROW(q.Edit(), rtl::EDatabaseError);
    q.Close();

    q.ParamByName("D").SetAsInteger(0);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 10);
    q.Close();

    q.SetSQL("select * from DEVICES");
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(q.FieldDefs()[q.FieldDefs().IndexOf("ID")].Required, true);
    EXPECT_EQ(q.FieldByName("ID")->DataType(), db::ftInteger);
    EXPECT_EQ(q.FieldByName("PORT")->DataType(), db::ftSmallint);
    EXPECT_EQ(q.FieldByName("ALIAS")->DataType(), db::ftString);
    EXPECT_EQ(q.FieldByName("ALIAS")->GetSize(), 50);
    EXPECT_EQ(q.FieldByName("CONFIG")->DataType(), db::ftBlob);
    q.Close();

    q.SetSQL("delete from DEVICES");
    EXPECT_THROW(q.Open(), rtl::EDatabaseError);
    EXPECT_FALSE(q.GetActive());
}

TEST_F(QueryTest, EditsGoThroughTheUpdateStatementsWithGeneratedKeys)
{
    fb::TIBUpdateSQL updates;
    SetDeviceStatements(updates);
    fb::TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetSQL("select * from DEVICES\norder by pos");
    q.SetUpdateObject(&updates);
    q.GeneratorField = {"ID", "GEN_DEVICES_ID"};
    q.Open();

    std::string config;
    for (int b = 0; b < 256; ++b)
        config += static_cast<char>(b);
    q.Append();
    int id = q.FieldByName("ID")->GetAsInteger(); // filled as the record starts
    EXPECT_EQ(id, fb::GenId(c.db, c.tr, "GEN_DEVICES_ID", 0));
    q.FieldByName("DEVICETYPE")->SetAsInteger(3);
    q.FieldByName("IP1")->SetAsInteger(192);
    q.FieldByName("ALIAS")->SetAsString("Tower \xB5");
    q.FieldByName("CONFIG")->SetAsString(config);
    q.FieldByName("POS")->SetAsInteger(-1);
    q.Post();
    EXPECT_EQ(StoredCount("ID = " + std::to_string(id) + " and PORT is null and POS = -1 and IP1 = 192"), 1);

    // A second connection sees it once committed.
    c.tr.CommitRetaining();
    {
        fbtest::TConnection other(c.db.DatabaseName);
        fb::TIBSQL s(&other.db);
        s.SetSQL("select ALIAS, CONFIG from DEVICES where ID = :ID");
        s.ParamByName("ID").SetAsInteger(id);
        s.ExecQuery();
        ASSERT_TRUE(s.Next());
        EXPECT_EQ(s.Fields(0).GetAsString(), "Tower \xB5");
        EXPECT_EQ(s.Fields(1).GetAsString(), config);
    }

    q.Edit();
    q.FieldByName("ALIAS")->SetAsString("Renamed");
    q.FieldByName("ID")->SetAsInteger(id + 1000); // the key itself may change: OLD_ID finds the row
    q.Post();
    EXPECT_EQ(StoredCount("ID = " + std::to_string(id + 1000) + " and ALIAS = 'Renamed'"), 1);
    EXPECT_EQ(StoredCount("ID = " + std::to_string(id)), 0);

    // A refused change raises and keeps the record in edit.
    q.Append();
    q.FieldByName("ID")->SetAsInteger(id + 1000); // taken
    EXPECT_THROW(q.Post(), fb::EIBError);
    EXPECT_EQ(q.State(), db::dsInsert);
    q.Cancel();

    q.Delete();
    EXPECT_EQ(StoredCount("1 = 1"), 0);
    EXPECT_TRUE(q.IsEmpty());
}

TEST_F(QueryTest, ReopenedRowsRoundTrip)
{
    fb::TIBUpdateSQL updates;
    SetDeviceStatements(updates);
    fb::TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetSQL("select * from DEVICES order by ID");
    q.SetUpdateObject(&updates);
    q.GeneratorField = {"ID", "GEN_DEVICES_ID"};
    q.Open();
    for (const char* alias : {"same", "same"}) { // nothing but ID is unique
        q.Append();
        q.FieldByName("ALIAS")->SetAsString(alias);
        q.FieldByName("MAPX")->SetAsInteger(10);
        q.Post();
    }
    q.Close();
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    int first = q.FieldByName("ID")->GetAsInteger();
    q.Next();
    EXPECT_EQ(q.FieldByName("ID")->GetAsInteger(), first + 1);
    EXPECT_EQ(q.FieldByName("ALIAS")->GetAsString(), "same");
    EXPECT_EQ(q.FieldByName("MAPX")->GetAsInteger(), 10);
    EXPECT_TRUE(q.FieldByName("CONFIG")->IsNull());
}

} // namespace
