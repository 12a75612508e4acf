// The combo box and the check box bound to fields of a query on a copy of the program's
// database: the user picks a unit's type and locks its map place, the record is posted,
// and a second reading finds both in the database; emptied, both read Null.
#include "DBComboBoxExTestSupport.h"
#include "FirebirdTestSupport.h"

#include "controls/editors/DBCheckBoxEx.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBUpdateSQL.h"

using namespace editors;

namespace {

class ChoiceEditorsFirebirdTest : public editorstest::WithFirebird<editorstest::ComboBoxTest> {
protected:
    void SetUp() override
    {
        ComboBoxTest::SetUp();
        check = new TDBCheckBoxEx(form);
        check->SetBounds(10, 50, 120, 17);
        check->SetCaption("Map place locked");
        check->SetValueChecked("1");
        check->SetValueUnchecked("0");
        SetItems({"Serial line", "USB bridge", "TCP"});
        SetKeys({"0", "1", "2"});
    }
    void TearDown() override
    {
        combo->SetDataSource(nullptr);
        check->SetDataSource(nullptr);
        ComboBoxTest::TearDown();
    }

    // DEVICETYPE and MAPLOCK of a unit as stored, read afresh ("null" for Null).
    std::vector<std::string> Stored(int id)
    {
        fb::TIBSQL read(&connection.db);
        read.SetSQL("select DEVICETYPE, MAPLOCK from DEVICES where ID = :ID");
        read.ParamByName("ID").SetAsInteger(id);
        read.ExecQuery();
        EXPECT_TRUE(read.Next());
        std::vector<std::string> values;
        for (int i = 0; i < 2; ++i) values.push_back(read.Fields(i).GetIsNull() ? "null" : read.Fields(i).GetAsString());
        return values;
    }

    TDBCheckBoxEx* check = nullptr;
};

} // namespace

TEST_F(ChoiceEditorsFirebirdTest, ATypePickedAndALockCheckedArePostedAndReadBack)
{
    fbtest::ExecuteSql(connection.db.DatabaseName,
                       "insert into DEVICES (ID, ALIAS, POS, DEVICETYPE, MAPLOCK) values (7, 'Tower', 0, 1, 0)");

    fb::TIBUpdateSQL updates;
    updates.ModifySQL = "update DEVICES set DEVICETYPE = :DEVICETYPE, MAPLOCK = :MAPLOCK where ID = :OLD_ID";
    fb::TIBQuery query;
    query.SetDatabase(&connection.db);
    query.SetSQL("select ID, DEVICETYPE, MAPLOCK from DEVICES order by ID");
    query.SetUpdateObject(&updates);
    query.Open();
    source.SetDataSet(&query);
    combo->SetDataSource(&source);
    combo->SetDataField("DEVICETYPE");
    check->SetDataSource(&source);
    check->SetDataField("MAPLOCK");
    EXPECT_EQ(combo->Text(), "USB bridge");
    EXPECT_EQ(check->GetState(), cbUnchecked);

    // The user types the start of a type and clicks the box.
    Enter();
    combo->SelectAll();
    Type("tc");
    EXPECT_EQ(combo->Text(), "TCP");
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_TRUE(check->Focused());
    EXPECT_EQ(check->GetState(), cbChecked);
    Leave();
    EXPECT_EQ(query.State(), db::dsEdit);
    query.Post();
    connection.tr.CommitRetaining();
    EXPECT_EQ(Stored(7), (std::vector<std::string>{"2", "1"}));

    // Reopened, both show what is stored.
    query.Close();
    query.Open();
    EXPECT_EQ(combo->Text(), "TCP");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("2"));
    EXPECT_EQ(check->GetState(), cbChecked);

    // Emptied: Delete in the combo box, the grayed state in the check box.
    Enter();
    Key(Qt::Key_Delete);
    check->SetState(cbGrayed);
    Leave();
    query.Post();
    connection.tr.CommitRetaining();
    EXPECT_EQ(Stored(7), (std::vector<std::string>{"null", "null"}));
    query.Close();
    query.Open();
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(check->GetState(), cbGrayed);
}
