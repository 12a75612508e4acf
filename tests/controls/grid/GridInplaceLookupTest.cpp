// The cell editor on a lookup field (the data-list style) as the user drives it: the
// column's drop-down grid opened, moved in with the keys and closed, typing that finds
// customers by their names, Delete and the special row's shortcut, and pasting.
#include "InplaceEditFixture.h"

#include "controls/grid/DBLookupGridsEx.h"
#include "platform/ui/Clipboard.h"

namespace {

using namespace grid;

class InplaceLookup : public inplacetest::InplaceEditTest {
protected:
    void SetUp() override
    {
        InplaceEditTest::SetUp();
        AddColumn("NAME");
        Who = AddColumn("WHO");
    }
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        InplaceEditTest::TearDown();
    }
    TPopupDataGridEx* List() const { return Editor()->LookupGrid(); }
    TColumnEx* Who = nullptr;
};

TEST_F(InplaceLookup, TheListGridOpensOnTheCellsKeyEnterTakesTheRowAndEscDropsIt)
{
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    ASSERT_EQ(editor->EditStyle(), cesDataListEx);
    ASSERT_EQ(editor->Text(), "Ann");
    EXPECT_TRUE(editor->EditButtonControl(0)->Visible());
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    ASSERT_NE(List(), nullptr);
    EXPECT_EQ(editor->DropDownControl(), List());
    const ui::TPoint corner = editor->ClientToScreen({0, editor->Height()});
    EXPECT_EQ(List()->Left(), corner.X);
    EXPECT_EQ(List()->Top(), corner.Y);
    EXPECT_GE(List()->Width(), editor->Width());
    // Four customers, fewer than the seven rows a drop-down has.
    EXPECT_EQ(List()->GetRowCount(), 4);
    EXPECT_EQ(List()->GetKeyValue().AsInteger(), 1);
    Snapshot("inplace-datalist-open");

    // The keys move in the list; the editor shows the row, the grid keeps its text.
    Key(Qt::Key_Down);
    EXPECT_EQ(List()->GetKeyValue().AsInteger(), 2);
    EXPECT_EQ(editor->Text(), "Bob");
    EXPECT_EQ(Grid->CurrentEditText(), "Ann");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Ann");
    EXPECT_EQ(F("CUST")->GetAsInteger(), 1);
    EXPECT_EQ(Data.State(), db::dsBrowse);

    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->GetKeyValue().AsInteger(), 1);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(editor->Text(), "Bea");
    Key(Qt::Key_Return);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Bea");
    EXPECT_EQ(editor->SelLength(), 3);
    EXPECT_EQ(Grid->CurrentEditText(), "Bea");
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 4);
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_TRUE(Grid->DataLink().IsModified());
    Snapshot("inplace-datalist-closed");

    // Opened again before the write, it stands on the chosen key.
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->GetKeyValue().AsInteger(), 4);
    Key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(Open());
}

TEST_F(InplaceLookup, AClickOnARowOfTheListTakesItAndTheGripSizeIsKept)
{
    Who->SetDropDownSizing(true);
    Who->SetDropDownRows(2);
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    ClickMainButton();
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->GetRowCount(), 2);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(List()));
    editors::TSizeGripEx* grip = List()->SizeGrip();
    ASSERT_TRUE(grip->Visible());
    const int width = List()->Width();
    const QPoint to = grip->mapToGlobal(QPoint(5, 5)) + QPoint(20, List()->DataRowHeight() + 1);
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
    uitest::MovePointer(grip, grip->mapFromGlobal(to));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(to));
    ASSERT_EQ(List()->GetRowCount(), 3);
    // The third row is Cid.
    const ui::TRect third = List()->CellRect(List()->FixedCols(), List()->FixedRows() + 2);
    const ui::TPoint on{third.Left + 3, third.Top + third.Height() / 2};
    uitest::MovePointer(List(), At(List(), on));
    Click(List(), on);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Cid");
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 3);
    EXPECT_EQ(Who->GetDropDownRows(), 3);
    EXPECT_EQ(Who->GetDropDownWidth(), width + 20);
}

TEST_F(InplaceLookup, TheListIsAsWideAsTheColumnSaysButNeverNarrowerThanTheCell)
{
    Customers.Append();
    Customers.FieldByName("CUSTID")->SetAsInteger(5);
    Customers.FieldByName("CUSTNAME")->SetAsString("Bartholomew Montgomery");
    Customers.Post();
    Who->SetDropDownRows(3);
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    // 0: the cell's width; five customers, three rows.
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->Width(), editor->Width());
    EXPECT_EQ(List()->GetRowCount(), 3);
    Key(Qt::Key_Escape);
    // -1: as wide as the names need, wider than the cell here.
    Who->SetDropDownWidth(-1);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    const int fitted = List()->Width();
    EXPECT_GT(fitted, editor->Width());
    Snapshot("inplace-datalist-fitted");
    Key(Qt::Key_Escape);
    // A width of the column's own, but not below the cell's.
    Who->SetDropDownWidth(fitted + 40);
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(List()->Width(), fitted + 40);
    Key(Qt::Key_Escape);
    Who->SetDropDownWidth(20);
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(List()->Width(), editor->Width());
    Key(Qt::Key_Escape);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 1);
}

TEST_F(InplaceLookup, TypingFindsTheFirstNameStartingWithTheTypedTextAndAnOpenListFollows)
{
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    Type("b");
    EXPECT_EQ(editor->Text(), "Bob");
    EXPECT_EQ(editor->SelText(), "ob");
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 2);
    EXPECT_EQ(Grid->CurrentEditText(), "Bob");
    EXPECT_EQ(Data.State(), db::dsEdit);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->GetKeyValue().AsInteger(), 2);
    Type("E");
    EXPECT_EQ(editor->Text(), "Bea");
    EXPECT_EQ(List()->GetKeyValue().AsInteger(), 4);
    // Nothing else can be typed; Backspace moves the caret back.
    Type("x");
    EXPECT_EQ(editor->Text(), "Bea");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->SelStart(), 1);
    Type("o");
    EXPECT_EQ(editor->Text(), "Bob");
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 2);

    // With OnNotInList a name the list lacks stands, with no key.
    Who->OnNotInList = TNotInListEventEx::FromFunction([](rtl::TObject*, const std::string&, bool&) {});
    Key(Qt::Key_Home);
    Type("z");
    EXPECT_EQ(editor->Text(), "z");
    EXPECT_TRUE(Grid->EditKeyValue().IsNull());
    EXPECT_EQ(Grid->EditKeyText(), "z");
    // Backspace then deletes, and the key follows the text that is left.
    Type("ed");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "");
    Type("c");
    EXPECT_EQ(editor->Text(), "Cid");
    Key(Qt::Key_End);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "Ci");
    EXPECT_TRUE(Grid->EditKeyValue().IsNull());
    Type("d");
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 3);
    // Delete before the last character leaves a name the list lacks.
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    EXPECT_EQ(editor->Text(), "Ci");
    EXPECT_EQ(editor->SelStart(), 2);
    EXPECT_TRUE(Grid->EditKeyValue().IsNull());
}

TEST_F(InplaceLookup, DeleteAtTheEndClearsTheKeyAndTheSpecialRowsShortcutTakesItsValue)
{
    editors::TSpecRowEx& specRow = *Who->DropDownSpecRow();
    specRow.SetCellsText("(nobody)");
    specRow.SetValue(rtl::Variant(0));
    specRow.SetVisible(true);
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    Key(Qt::Key_End);
    Key(Qt::Key_Delete);
    EXPECT_EQ(editor->Text(), "");
    EXPECT_TRUE(F("CUST")->IsNull());
    EXPECT_TRUE(Grid->EditKeyValue().IsNull());
    EXPECT_TRUE(Grid->DataLink().IsModified());
    Data.Cancel();
    ASSERT_EQ(F("CUST")->GetAsInteger(), 1);

    Key(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_EQ(editor->Text(), "(nobody)");
    EXPECT_EQ(editor->SelLength(), 8);
    EXPECT_EQ(Grid->CurrentEditText(), "(nobody)");
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 0);
    // An open list goes to the special row.
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_TRUE(List()->SpecRowSelected());
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->Text(), "Ann");
    Key(Qt::Key_Up);
    EXPECT_EQ(editor->Text(), "(nobody)");
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 0);
}

TEST_F(InplaceLookup, APastedNameIsMatchedAsTypedOne)
{
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    ui::Clipboard().SetAsText("ci");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->Text(), "Cid");
    EXPECT_EQ(editor->SelText(), "d");
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 3);
    // A name the list lacks changes nothing without OnNotInList.
    ui::Clipboard().SetAsText("Zed");
    editor->SelectAll();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->Text(), "Cid");
}

TEST_F(InplaceLookup, ALookupColumnThatGoesWhileItsListIsOpenTakesTheListAlong)
{
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    delete Who;
    Who = nullptr;
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(editor->LookupGrid(), nullptr);
    EXPECT_NE(editor->EditStyle(), cesDataListEx);
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(editor->ListVisible());
}

} // namespace
