// The lookup combo box bound to a unit's type in a query of a copy of the program's
// database, with its list of types from a second query on the same database: the user
// picks a type by the keys, by typing and with the mouse in the drop-down grid, the
// record is posted, and a fresh reading finds each choice in the database.
#include <memory>
#include <string>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/grid/DBLookupEx.h"
#include "platform/db/DataSource.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBUpdateSQL.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/UiTestSupport.h"
#include "support/TempDir.h"

namespace {

using namespace grid;

class LookupComboFirebird : public uitest::UiTest {
protected:
    // Drop-downs are placed against this work area.
    uitest::TWorkAreaScope workArea{{0, 0, 1000, 800}};

    void SetUp() override
    {
        UiTest::SetUp();
        fb::TIBSQL insert(&c.db);
        insert.SetSQL("insert into DEVICES (ID, ALIAS, POS, DEVICETYPE, MAPLOCK) values (7, 'Tower', 0, 0, 0)");
        insert.ExecQuery();
        c.tr.CommitRetaining();

        updates.ModifySQL = "update DEVICES set DEVICETYPE = :DEVICETYPE where ID = :OLD_ID";
        units.SetDatabase(&c.db);
        units.SetSQL("select ID, ALIAS, DEVICETYPE from DEVICES where ID = 7");
        units.SetUpdateObject(&updates);
        units.Open();
        unitSource.SetDataSet(&units);
        // The types as the engine lists them, from a query of their own.
        types.SetDatabase(&c.db);
        types.SetSQL("select 0 as TYPEID, cast('Serial line' as varchar(20)) as TYPENAME from RDB$DATABASE "
                     "union all select 1, 'USB bridge' from RDB$DATABASE "
                     "union all select 2, 'TCP' from RDB$DATABASE");
        types.Open();
        typeSource.SetDataSet(&types);

        form = new ui::TForm;
        form->SetBounds(50, 50, 300, 200);
        combo = new TDBLookupComboboxEx(form);
        combo->SetBounds(10, 10, 150, 21);
        other = new ui::TCustomEdit(form);
        other->SetBounds(10, 150, 150, 21);
        combo->SetListSource(&typeSource);
        combo->SetKeyField("TYPEID");
        combo->SetListField("TYPENAME");
        combo->SetDataSource(&unitSource);
        combo->SetDataField("DEVICETYPE");
        uitest::ShowActive(form);
        combo->SetFocus();
    }
    void TearDown() override
    {
        delete form;
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        UiTest::TearDown();
    }
    // The unit's type as stored, read afresh.
    int StoredType()
    {
        fb::TIBSQL read(&c.db);
        read.SetSQL("select DEVICETYPE from DEVICES where ID = 7");
        read.ExecQuery();
        EXPECT_TRUE(read.Next());
        return read.Fields(0).GetAsInteger();
    }
    void Post()
    {
        other->SetFocus();
        units.Post();
        c.tr.CommitRetaining();
        combo->SetFocus();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, m);
    }

    testsupport::TempDir dir;
    fbtest::TConnection c{fbtest::CopyBuiltDatabase(dir.Path())};
    fb::TIBUpdateSQL updates;
    fb::TIBQuery units;
    fb::TIBQuery types;
    db::TDataSource unitSource;
    db::TDataSource typeSource;
    ui::TForm* form = nullptr;
    TDBLookupComboboxEx* combo = nullptr;
    ui::TCustomEdit* other = nullptr;
};

TEST_F(LookupComboFirebird, TypesPickedByKeysTypingAndTheMouseArePostedAndReadBack)
{
    ASSERT_TRUE(combo->ListActive());
    EXPECT_EQ(combo->Text(), "Serial line");

    Key(Qt::Key_Down);
    EXPECT_EQ(combo->Text(), "USB bridge");
    Post();
    EXPECT_EQ(StoredType(), 1);

    QTest::keyClicks(QApplication::focusWidget(), "tc");
    EXPECT_EQ(combo->Text(), "TCP");
    Post();
    EXPECT_EQ(StoredType(), 2);

    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(combo->ListVisible());
    TPopupDataGridEx& grid = combo->PopupGrid();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const ui::TRect first = grid.CellRect(0, grid.TitleOffset());
    QTest::mouseClick(&grid, Qt::LeftButton, {},
                      QPoint(grid.ClientOffset().X + first.Left + 5, grid.ClientOffset().Y + first.Top + 3));
    EXPECT_FALSE(combo->ListVisible());
    EXPECT_EQ(combo->Text(), "Serial line");
    Post();
    EXPECT_EQ(StoredType(), 0);
    EXPECT_EQ(units.FieldByName("DEVICETYPE")->GetAsInteger(), 0);
}

} // namespace
