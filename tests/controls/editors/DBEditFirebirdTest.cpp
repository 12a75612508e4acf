// An editor bound to a field of a query on a copy of the program's database: the user
// changes the unit's alias, the record is posted, and a second reading finds the text in
// the database.
#include "DBEditTestSupport.h"
#include "FirebirdTestSupport.h"

#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBUpdateSQL.h"

using namespace editors;

namespace {

class DBEditFirebirdTest : public editorstest::WithFirebird<editorstest::DBEditTest> {
protected:
    // The alias stored for a unit, read afresh.
    std::string StoredAlias(int id)
    {
        fb::TIBSQL read(&connection.db);
        read.SetSQL("select ALIAS from DEVICES where ID = :ID");
        read.ParamByName("ID").SetAsInteger(id);
        read.ExecQuery();
        EXPECT_TRUE(read.Next());
        return read.Fields(0).GetAsString();
    }
};

} // namespace

TEST_F(DBEditFirebirdTest, AnAliasEditedInTheEditorIsPostedAndReadBack)
{
    fbtest::ExecuteSql(connection.db.DatabaseName, "insert into DEVICES (ID, ALIAS, POS) values (7, 'Tower', 0)");

    fb::TIBUpdateSQL updates;
    updates.ModifySQL = "update DEVICES set ALIAS = :ALIAS where ID = :OLD_ID";
    fb::TIBQuery query;
    query.SetDatabase(&connection.db);
    query.SetSQL("select ID, ALIAS from DEVICES order by ID");
    query.SetUpdateObject(&updates);
    query.Open();
    source.SetDataSet(&query);
    edit->SetDataSource(&source);
    edit->SetDataField("ALIAS");
    EXPECT_EQ(edit->Text(), "Tower");
    EXPECT_EQ(edit->MaxLength(), 50); // the column's size

    edit->SelectAll();
    Type("Hill ");
    QTest::sendKeyEvent(QTest::Click, Box(), Qt::Key_mu, QString(QChar(0xB5)), Qt::NoModifier);
    EXPECT_EQ(query.State(), db::dsEdit);
    Leave();
    query.Post();
    connection.tr.CommitRetaining();
    EXPECT_EQ(StoredAlias(7), "Hill \xB5");

    // Reopened, the editor shows the stored text.
    query.Close();
    query.Open();
    EXPECT_EQ(edit->Text(), "Hill \xB5");
    edit->SetDataSource(nullptr);
}
