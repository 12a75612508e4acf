// The grid's cell editor on a query of a copy of the program's database: a number
// changed with the calculator and with the up/down buttons, a colour from a pick list, a
// state from a key pick list, a customer from the lookup list and a date from the
// calendar, each posted and read back afresh from the engine.
#include <memory>
#include <string>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBUpdateSQL.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/UiTestSupport.h"
#include "support/TempDir.h"

namespace {

using namespace grid;

class InplaceEditFirebird : public uitest::UiTest {
protected:
    // Drop-downs are placed against this work area.
    uitest::TWorkAreaScope workArea{{0, 0, 1000, 800}};

    void SetUp() override
    {
        UiTest::SetUp();
        Execute("create table CELLS (ID integer not null primary key, AMOUNT double precision, QTY integer, "
                "BORN date, COLOR varchar(10), STATE char(1), CUST integer)");
        Execute("create table CUSTOMERS (CUSTID integer not null primary key, CUSTNAME varchar(20))");
        c.tr.Commit();
        Execute("insert into CUSTOMERS values (1, 'Ann')");
        Execute("insert into CUSTOMERS values (2, 'Bob')");
        Execute("insert into CUSTOMERS values (3, 'Cid')");
        Execute("insert into CELLS values (1, 1.5, 10, '2024-03-01', 'Red', 'A', 1)");
        Execute("insert into CELLS values (2, 3.0, 20, '2024-04-01', 'Blue', 'B', 2)");
        c.tr.CommitRetaining();

        customers.SetDatabase(&c.db);
        customers.SetSQL("select CUSTID, CUSTNAME from CUSTOMERS order by CUSTID");
        customers.Open();
        updates.ModifySQL = "update CELLS set AMOUNT = :AMOUNT, QTY = :QTY, BORN = :BORN, COLOR = :COLOR, "
                            "STATE = :STATE, CUST = :CUST where ID = :OLD_ID";
        cells.SetDatabase(&c.db);
        cells.SetSQL("select ID, AMOUNT, QTY, BORN, COLOR, STATE, CUST from CELLS order by ID");
        cells.SetUpdateObject(&updates);
        cells.AddField<db::TIntegerField>("ID");
        cells.AddField<db::TFloatField>("AMOUNT");
        cells.AddField<db::TIntegerField>("QTY");
        cells.AddField<db::TDateField>("BORN");
        cells.AddField<db::TStringField>("COLOR", db::fkData, 10);
        cells.AddField<db::TStringField>("STATE", db::fkData, 1);
        cells.AddField<db::TIntegerField>("CUST");
        db::TField* who = cells.AddField<db::TStringField>("WHO", db::fkLookup, 20);
        who->SetKeyFields("CUST");
        who->SetLookupDataSet(&customers);
        who->SetLookupKeyFields("CUSTID");
        who->SetLookupResultField("CUSTNAME");
        cells.Open();
        source.SetDataSet(&cells);

        grid = std::make_unique<TDBGridEx>();
        grid->SetBounds(40, 40, 600, 200);
        grid->SetDataSource(&source);
        for (const char* name : {"AMOUNT", "QTY", "BORN", "COLOR", "STATE", "WHO"}) {
            TColumnEx* column = grid->Columns().Add();
            column->SetFieldName(name);
            column->SetWidth(90);
        }
        Column("AMOUNT")->SetButtonStyle(cbsDropDown);
        Column("QTY")->SetButtonStyle(cbsUpDown);
        for (const char* line : {"Red", "Green", "Blue"}) Column("COLOR")->GetPickList().Add(line);
        for (const char* line : {"Active", "Blocked", "Closed"}) Column("STATE")->GetPickList().Add(line);
        for (const char* line : {"A", "B", "C"}) Column("STATE")->GetKeyList().Add(line);
        uitest::ShowActive(grid.get());
        grid->SetFocus();
    }
    void TearDown() override
    {
        grid.reset();
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        UiTest::TearDown();
    }

    void Execute(const std::string& sql)
    {
        fb::TIBSQL q(&c.db);
        q.SetSQL(sql);
        q.ExecQuery();
    }
    TColumnEx* Column(const std::string& field) const
    {
        for (int i = 0; i < grid->Columns().Count(); ++i)
            if (grid->Columns().Items(i)->GetFieldName() == field) return grid->Columns().Items(i);
        return nullptr;
    }
    TDBGridInplaceEdit* Edit(const std::string& field)
    {
        grid->SetSelectedIndex(Column(field)->GetIndex());
        grid->ShowEditor();
        return grid->InplaceEdit();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, m);
    }
    void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    // Leaves the first record for the second, which writes what the editor holds and
    // posts, commits, and comes back.
    void Post()
    {
        ASSERT_EQ(cells.FieldByName("ID")->GetAsInteger(), 1);
        Key(Qt::Key_Down);
        ASSERT_EQ(cells.FieldByName("ID")->GetAsInteger(), 2);
        EXPECT_EQ(cells.State(), db::dsBrowse);
        c.tr.CommitRetaining();
        Key(Qt::Key_Up);
    }
    // A column of the record as the engine has it now, through a statement of its own.
    fb::TSqlValue Stored(const std::string& column)
    {
        fb::TIBSQL read(&c.db);
        read.SetSQL("select " + column + " from CELLS where ID = 1");
        read.ExecQuery();
        EXPECT_TRUE(read.Next());
        return read.Fields(0).GetValue();
    }

    rtl::TScopedFormatSettings settings{rtl::TFormatSettings::Invariant()};
    testsupport::TempDir dir;
    fbtest::TConnection c{fbtest::CopyBuiltDatabase(dir.Path())};
    fb::TIBUpdateSQL updates;
    fb::TIBQuery customers;
    fb::TIBQuery cells;
    db::TDataSource source;
    std::unique_ptr<TDBGridEx> grid;
};

TEST_F(InplaceEditFirebird, NumbersFromTheCalculatorAndTheUpDownButtonsArePostedAndReadBack)
{
    TDBGridInplaceEdit* editor = Edit("AMOUNT");
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    Type("*4");
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    ASSERT_FALSE(editor->ListVisible());
    EXPECT_EQ(editor->Text(), "6");
    Post();
    EXPECT_EQ(Stored("AMOUNT").GetAsDouble(), 6.0);

    editor = Edit("QTY");
    editors::TEditButtonControlEx* button = editor->EditButtonControl(0);
    const QPoint top(button->ClientOffset().X + button->Width() / 2, button->ClientOffset().Y + 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, top);
    QTest::mouseClick(button, Qt::LeftButton, {}, top);
    EXPECT_EQ(editor->Text(), "12");
    Post();
    EXPECT_EQ(Stored("QTY").GetAsInteger(), 12);
}

TEST_F(InplaceEditFirebird, APickedColourAndADateArePostedAndReadBack)
{
    TDBGridInplaceEdit* editor = Edit("COLOR");
    Type("b");
    EXPECT_EQ(editor->Text(), "Blue");
    Post();
    EXPECT_EQ(Stored("COLOR").GetAsString(), "Blue");

    editor = Edit("BORN");
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(editor->ListVisible());
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Return);
    Post();
    EXPECT_EQ(Stored("BORN").GetAsDateTime(), rtl::EncodeDate(2024, 3, 3));
}

TEST_F(InplaceEditFirebird, AStateFromTheKeyPickListAndACustomerFromTheLookupListArePostedAndReadBack)
{
    // The list shows the state's name; the engine gets its key.
    TDBGridInplaceEdit* editor = Edit("STATE");
    ASSERT_EQ(editor->Text(), "Active");
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_EQ(editor->Text(), "Closed");
    Post();
    EXPECT_EQ(Stored("STATE").GetAsString(), "C");
    // Typed, it completes from the names.
    editor = Edit("STATE");
    Type("b");
    EXPECT_EQ(editor->Text(), "Blocked");
    Post();
    EXPECT_EQ(Stored("STATE").GetAsString(), "B");

    editor = Edit("WHO");
    ASSERT_EQ(editor->EditStyle(), cesDataListEx);
    ASSERT_EQ(editor->Text(), "Ann");
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(editor->ListVisible());
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Return);
    EXPECT_EQ(editor->Text(), "Cid");
    Post();
    EXPECT_EQ(Stored("CUST").GetAsInteger(), 3);
    EXPECT_EQ(cells.FieldByName("WHO")->GetAsString(), "Cid");
    editor = Edit("WHO");
    Type("b");
    EXPECT_EQ(editor->Text(), "Bob");
    Post();
    EXPECT_EQ(Stored("CUST").GetAsInteger(), 2);
}

TEST_F(InplaceEditFirebird, EscDropsWhatWasTypedAndTheEngineKeepsTheValue)
{
    TDBGridInplaceEdit* editor = Edit("QTY");
    Type("77");
    EXPECT_EQ(cells.State(), db::dsEdit);
    // The first Esc drops the typed text, the second the record's edit.
    Key(Qt::Key_Escape);
    EXPECT_EQ(editor->Text(), "10");
    Key(Qt::Key_Escape);
    EXPECT_EQ(cells.State(), db::dsBrowse);
    EXPECT_EQ(cells.FieldByName("QTY")->GetAsInteger(), 10);
    editor = Edit("COLOR");
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_Down);
    // Esc closes the list and takes nothing from it.
    Key(Qt::Key_Escape);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(editor->Text(), "Red");
    EXPECT_EQ(cells.State(), db::dsBrowse);
    Post();
    EXPECT_EQ(Stored("QTY").GetAsInteger(), 10);
    EXPECT_EQ(Stored("COLOR").GetAsString(), "Red");
}

} // namespace
