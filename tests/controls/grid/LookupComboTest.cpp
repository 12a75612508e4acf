// The lookup combo box as a program and a user drive it: the key and its text, the
// special row, lookup mode and the refused settings, typing into either style, the keys
// that step, empty and pick the special row, the drop-down grid opened, moved in and
// closed by keys and by the mouse, free text, and the not-in-list handler's recheck.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "GridFixture.h"
#include "LookupGridFixture.h"
#include "controls/editors/DropDownPlacement.h"
#include "controls/grid/DBLookupEx.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/Metrics.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;

class TTestLookupCombo : public TDBLookupComboboxEx {
public:
    using TDBLookupComboboxEx::TDBLookupComboboxEx;
    using TDBLookupComboboxEx::GetEditRect;
};

class LookupCombo : public lookuptest::LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        ui::Metrics().WorkAreaOverride = ui::TRect{0, 0, 1000, 800};
        form = new ui::TForm;
        form->SetBounds(50, 50, 400, 300);
        combo = new TTestLookupCombo(form);
        combo->SetBounds(10, 10, 150, 21);
        other = new ui::TCustomEdit(form);
        other->SetBounds(10, 250, 150, 21);
        combo->OnChange = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { ++changes; });
    }
    void TearDown() override
    {
        delete form;
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        LookupTest::TearDown();
    }
    // The customers as the list, the editor shown and focused.
    void ShowList()
    {
        combo->SetListSource(&CustomerSource);
        combo->SetKeyField("CUSTID");
        combo->SetListField("CUSTNAME");
        Show();
    }
    void Show()
    {
        uitest::ShowActive(form);
        combo->SetFocus();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, m);
    }
    void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    int KeyOf() const { return combo->GetKeyValue().IsNull() ? 0 : combo->GetKeyValue().AsInteger(); }
    bool Open() const { return combo->ListVisible() && combo->PopupGrid().isVisible(); }
    QPoint OnGridRow(int row) const
    {
        TPopupDataGridEx& grid = combo->PopupGrid();
        const ui::TRect r = grid.CellRect(0, grid.TitleOffset() + row);
        return {grid.ClientOffset().X + r.Left + 4, grid.ClientOffset().Y + (r.Top + r.Bottom) / 2};
    }
    QImage Picture() const { return uitest::RenderWithPopup(combo, Open() ? &combo->PopupGrid() : nullptr); }

    ui::TForm* form = nullptr;
    TTestLookupCombo* combo = nullptr;
    ui::TCustomEdit* other = nullptr;
    int changes = 0;
};

TEST_F(LookupCombo, TheKeyShowsItsRecordsTextOrTheSpecialRowsOrNothing)
{
    EXPECT_TRUE(combo->PlainMode());
    EXPECT_EQ(combo->EditWindow()->cursor().shape(), Qt::IBeamCursor);
    ShowList();
    EXPECT_FALSE(combo->PlainMode());
    EXPECT_EQ(combo->EditWindow()->cursor().shape(), Qt::ArrowCursor);
    ASSERT_TRUE(combo->ListActive());
    combo->SetKeyValue(3);
    EXPECT_EQ(combo->Text(), "Cid");
    EXPECT_EQ(combo->GetValue().AsInteger(), 3);
    combo->SetKeyValue(99);
    EXPECT_EQ(combo->Text(), "Cid") << "a key that is set keeps the text while it is in no record";
    combo->SetValue(99);
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(KeyOf(), 99);
    editors::TSpecRowEx& specialRow = combo->DropDownBox().SpecRow();
    specialRow.SetCellsText("(nobody)");
    specialRow.SetVisible(true);
    EXPECT_EQ(combo->Text(), "(nobody)");
    specialRow.SetShowIfNotInKeyList(false);
    EXPECT_EQ(combo->Text(), "");
    combo->SetValue(rtl::Null());
    EXPECT_EQ(combo->Text(), "(nobody)");
    // Alt+Del picks the special row.
    combo->SetValue(2);
    specialRow.SetValue(0);
    Key(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_EQ(KeyOf(), 0);
    EXPECT_EQ(combo->Text(), "(nobody)");
    EXPECT_EQ(combo->SelLength(), static_cast<int>(combo->Text().size()));
}

TEST_F(LookupCombo, ALookupFieldGivesTheListAndReceivesTheKey)
{
    combo->SetDataSource(&OrderSource);
    combo->SetDataField("WHO");
    ASSERT_TRUE(combo->LookupMode());
    EXPECT_EQ(combo->Text(), "Ann");
    Orders.Next();
    EXPECT_EQ(combo->Text(), "Bob");
    try {
        combo->SetListField("CUSTID");
        ADD_FAILURE() << "not refused";
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.what(), "Property already defined by lookup field");
    }
    EXPECT_THROW(combo->SetKeyField("CUSTNAME"), rtl::EDatabaseError);
    EXPECT_THROW(combo->SetListSource(&CustomerSource), rtl::EDatabaseError);
    // The key goes into CUST, the order's own field.
    Show();
    Key(Qt::Key_Down);
    EXPECT_EQ(combo->Text(), "Cid");
    EXPECT_EQ(Orders.FieldByName("CUST")->GetAsInteger(), 3);
    Orders.Post();
    EXPECT_EQ(Orders.FieldByName("WHO")->GetAsString(), "Cid");
    // CUST is required: Delete with part of the text selected keeps the key.
    combo->SetSelStart(1);
    combo->SetSelLength(1);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Orders.FieldByName("CUST")->GetAsInteger(), 3);
    combo->SelectAll();
    Key(Qt::Key_Delete);
    EXPECT_TRUE(Orders.FieldByName("CUST")->IsNull());
    EXPECT_EQ(combo->Text(), "");
    Orders.Cancel();
}

TEST_F(LookupCombo, ADataSourceThatReachesTheListIsRefused)
{
    ShowList();
    try {
        combo->SetDataSource(&CustomerSource);
        ADD_FAILURE() << "not refused";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Circular datalinks are not allowed");
    }
    EXPECT_EQ(combo->GetDataSource(), nullptr);
}

TEST_F(LookupCombo, TypingSearchesTheListAndSelectsWhatItCompleted)
{
    ShowList();
    changes = 0;
    Type("da");
    EXPECT_EQ(combo->Text(), "Dave");
    EXPECT_EQ(KeyOf(), 4);
    EXPECT_EQ(combo->SelStart(), 2);
    EXPECT_EQ(combo->SelLength(), 2);
    EXPECT_EQ(changes, 1) << "one replacement, one change";
    Type("r");
    EXPECT_EQ(KeyOf(), 4) << "Dar is in no record";
    Type("o");
    EXPECT_EQ(KeyOf(), 4);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(combo->SelStart(), 1);
    Type("o");
    EXPECT_EQ(combo->Text(), "Dora");
    EXPECT_EQ(KeyOf(), 5);
    // Up and Down step from the key's record.
    Key(Qt::Key_Down);
    EXPECT_EQ(combo->Text(), "Name06");
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(combo->Text(), "Dave");
    // Delete empties a list's key.
    combo->SelectAll();
    Key(Qt::Key_Delete);
    EXPECT_TRUE(combo->GetKeyValue().IsNull());
    EXPECT_EQ(combo->Text(), "");
    Key(Qt::Key_Down);
    EXPECT_EQ(combo->Text(), "Ann");
}

TEST_F(LookupCombo, TheDropDownGridOpensOnTheKeyAndHandsItBack)
{
    ShowList();
    combo->SetValue(3);
    int dropDowns = 0;
    std::vector<bool> closeUps;
    combo->OnDropDown = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++dropDowns; });
    combo->OnCloseUp = editors::TCloseUpEventEx::FromFunction([&](rtl::TObject*, bool a) { closeUps.push_back(a); });
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(dropDowns, 1);
    TPopupDataGridEx& grid = combo->PopupGrid();
    EXPECT_EQ(grid.GetKeyValue().AsInteger(), 3);
    EXPECT_EQ(grid.GetRowCount(), 7);
    EXPECT_EQ(grid.Width(), combo->Width());
    EXPECT_EQ(grid.Top(), editors::ScreenRect(combo).Bottom);
    EXPECT_EQ(QApplication::focusWidget(), combo->EditWindow());
    testsupport::SaveSnapshot(Picture(), "grid", "lookup-combobox-open");
    // Keys move in the grid; Esc leaves the key as it was.
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.GetKeyValue().AsInteger(), 5);
    EXPECT_EQ(KeyOf(), 3);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(KeyOf(), 3);
    // Enter takes the grid's key.
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_Return);
    EXPECT_EQ(KeyOf(), 9);
    EXPECT_EQ(combo->Text(), "Name09");
    // A click on the text opens it, a click on a row picks that row.
    QTest::mouseClick(combo->EditWindow(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(Open());
    QTest::mouseClick(&grid, Qt::LeftButton, {}, OnGridRow(0));
    EXPECT_FALSE(Open());
    EXPECT_EQ(closeUps, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(KeyOf(), grid.GetKeyValue().AsInteger());
    EXPECT_EQ(combo->Text(), NameOf(KeyOf()));
    // A short list shows as many rows as it has; -1 fits the columns.
    combo->DropDownBox().SetWidth(-1);
    combo->SetListField("CUSTNAME;CUSTID");
    EXPECT_GT(combo->DefaultDropDownWidth(), 0);
    combo->DropDownBox().SetRows(40);
    combo->DropDown();
    EXPECT_EQ(grid.GetRowCount(), 30);
    int columns = 0;
    for (int i = 0; i < grid.Columns().Count(); ++i) columns += grid.Columns().Items(i)->GetWidth() + 1;
    EXPECT_EQ(grid.Width(), std::max(combo->Width(), columns + grid.Width() - grid.ClientWidth()));
    // Leaving the editor closes it without taking anything.
    other->SetFocus();
    EXPECT_FALSE(Open());
}

TEST_F(LookupCombo, AFreeTextStaysTheValueOfADataIndependentEditor)
{
    combo->SetStyle(csDropDownEx);
    ShowList();
    Type("Bo");
    EXPECT_EQ(combo->Text(), "Bob");
    EXPECT_EQ(KeyOf(), 2);
    combo->SelectAll();
    Type("Zed");
    EXPECT_EQ(combo->Text(), "Zed");
    EXPECT_TRUE(combo->GetKeyValue().IsNull());
    // Backspace and Delete look the text up again, the caret staying where it was.
    combo->SelectAll();
    Type("Bobx");
    EXPECT_TRUE(combo->GetKeyValue().IsNull());
    Key(Qt::Key_Backspace);
    EXPECT_EQ(combo->Text(), "Bob");
    EXPECT_EQ(KeyOf(), 2);
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(combo->GetKeyValue().IsNull()) << "Bo is in no record";
    Key(Qt::Key_Home);
    Type("x");
    Key(Qt::Key_Delete);
    EXPECT_EQ(combo->Text(), "xo");
    Type("Bob");
    EXPECT_EQ(KeyOf(), 0);
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(combo->Text(), "Bobo");
    EXPECT_EQ(combo->SelStart(), 0);
    Key(Qt::Key_End);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(combo->Text(), "Bob");
    EXPECT_EQ(KeyOf(), 2);
    combo->SelectAll();
    Type("Zed");
    other->SetFocus();
    EXPECT_EQ(combo->Text(), "Zed");
    EXPECT_EQ(rtl::VarToStr(combo->GetValue()), "Zed");
    // With a special row visible the text is in no record: no value.
    combo->DropDownBox().SpecRow().SetVisible(true);
    combo->SetFocus();
    combo->SelectAll();
    Type("Yul");
    other->SetFocus();
    EXPECT_TRUE(combo->GetValue().IsNull());
}

TEST_F(LookupCombo, ATextAddedByTheNotInListHandlerIsLookedForAgain)
{
    combo->SetStyle(csDropDownEx);
    ShowList();
    std::vector<std::string> asked;
    combo->OnNotInList = TNotInListEventEx::FromFunction([&](rtl::TObject*, const std::string& text, bool& recheck) {
        asked.push_back(text);
        AddCustomer(40, text);
        recheck = true;
    });
    Type("Quill");
    other->SetFocus();
    ASSERT_EQ(asked, std::vector<std::string>{"Quill"});
    EXPECT_EQ(KeyOf(), 40);
    EXPECT_EQ(combo->GetValue().AsInteger(), 40);
}

TEST_F(LookupCombo, ColumnsOfTheDropDownsOwnTakeTheListFieldsAlongWhenMoved)
{
    ShowList();
    combo->SetListField("CUSTNAME;CUSTID");
    combo->DropDownBox().SetShowTitles(true);
    combo->DropDownBox().SetWidth(-1);
    TPopupDataGridEx& grid = combo->PopupGrid();
    grid.SetOptions({dlgColLinesEx, dlgColumnResizeEx});
    // Opens the list, drags the first column's title onto the second's and closes it.
    auto moveFirstColumn = [&] {
        Key(Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(Open());
        ASSERT_EQ(grid.Columns().Count(), 2);
        const ui::TRect from = grid.CellRect(0, 0);
        const ui::TRect to = grid.CellRect(1, 0);
        gridtest::DragMouse(grid, {from.Left + from.Width() / 2, from.Top + 3},
                            {to.Left + to.Width() * 3 / 4, to.Top + 3});
        Key(Qt::Key_Escape);
        ASSERT_FALSE(Open());
    };

    // Default columns are made anew from the list fields: the editor keeps its order.
    moveFirstColumn();
    EXPECT_EQ(combo->GetListField(), "CUSTNAME;CUSTID");
    EXPECT_EQ(combo->GetListFieldIndex(), 0);

    // Columns of the drop-down's own keep the order the user gave them, and the editor's
    // list fields follow it.
    for (const char* name : {"CUSTNAME", "CUSTID"}) grid.Columns().Add()->SetFieldName(name);
    moveFirstColumn();
    EXPECT_EQ(grid.Columns().Items(1)->GetFieldName(), "CUSTNAME");
    EXPECT_EQ(combo->GetListField(), "CUSTID;CUSTNAME");
    EXPECT_EQ(combo->GetListFieldIndex(), 1);
    combo->SetValue(2);
    EXPECT_EQ(combo->Text(), "Bob");
}

} // namespace
