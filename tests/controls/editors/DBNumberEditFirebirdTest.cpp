// The numeric editor bound to a field of a query on a copy of the program's database: the
// user types and steps a unit's port, the record is posted, and a second reading finds the
// number in the database.
#include "NumberEditTestSupport.h"

#include "platform/db/DataSource.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBUpdateSQL.h"
#include "support/TempDir.h"

using namespace editors;

namespace {

class DBNumberEditFirebirdTest : public editorstest::NumberEditFixture {
protected:
    DBNumberEditFirebirdTest() : NumberEditFixture(editorstest::kPointDecimal) {}

    // The port stored for a unit, read afresh.
    int StoredPort(int id)
    {
        fb::TIBSQL read(&connection.db);
        read.SetSQL("select PORT from DEVICES where ID = :ID");
        read.ParamByName("ID").SetAsInteger(id);
        read.ExecQuery();
        EXPECT_TRUE(read.Next());
        return read.Fields(0).GetAsInteger();
    }

    testsupport::TempDir dir;
    fbtest::TConnection connection{fbtest::CopyBuiltDatabase(dir.Path())};
    db::TDataSource source;
};

} // namespace

TEST_F(DBNumberEditFirebirdTest, APortTypedAndSteppedInTheEditorIsPostedAndReadBack)
{
    fbtest::ExecuteSql(connection.db.DatabaseName, "insert into DEVICES (ID, PORT, POS) values (7, 4001, 0)");

    fb::TIBUpdateSQL updates;
    updates.ModifySQL = "update DEVICES set PORT = :PORT where ID = :OLD_ID";
    fb::TIBQuery query;
    query.SetDatabase(&connection.db);
    query.SetSQL("select ID, PORT from DEVICES order by ID");
    query.SetUpdateObject(&updates);
    query.Open();
    source.SetDataSet(&query);
    edit->SetDecimalPlaces(0);
    edit->SetMaxValue(32767);
    edit->SetMinValue(1);
    edit->SetDataSource(&source);
    edit->SetDataField("PORT");
    EXPECT_EQ(Value(), rtl::Variant(4001.0));
    EXPECT_EQ(edit->GetAlignment(), ui::taRightJustify);

    Retype("99999");
    EXPECT_EQ(Value(), rtl::Variant(32767.0));
    Retype("8079");
    Key(Qt::Key_Up);
    EXPECT_EQ(query.State(), db::dsEdit);
    EXPECT_EQ(edit->Text(), "8080");
    Leave();
    query.Post();
    connection.tr.CommitRetaining();
    EXPECT_EQ(StoredPort(7), 8080);

    // Reopened, the editor shows the stored number.
    query.Close();
    query.Open();
    EXPECT_EQ(Value(), rtl::Variant(8080.0));
    EXPECT_EQ(edit->Text(), "8080");
    edit->SetDataSource(nullptr);
}
