// The filter row driven as the user drives it: a click opens the editor over a filter
// cell, typing stays as typed, Enter applies the condition through the data service (a
// feature object of the tests' own filters the memory data set), the keys move between
// filter cells and back to the data; and the row as it is drawn.
#include <memory>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "FilterFeatures.h"
#include "GridFixture.h"
#include "controls/editors/DropDownPlacement.h"
#include "controls/grid/DBGridExFilterEdit.h"
#include "platform/ui/Metrics.h"
#include "platform/rtl/SysUtils.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class FilterRow : public GridTest {
protected:
    // Drop-downs are placed against this work area.
    uitest::TWorkAreaScope workArea{{0, 0, 1000, 800}};

    void SetUp() override
    {
        GridTest::SetUp();
        Bind();
        for (const char* field : {"ID", "NAME", "AMOUNT", "FLAG"}) AddColumn(field);
        Amount()->Footer()->SetValueType(fvtSum);
        Grid->SetFooterRowCount(1);
        Grid->SumList().SetActive(true);
        Grid->STFilter().SetVisible(true);
        Grid->SetBounds(0, 0, 420, 220);
    }
    void TearDown() override
    {
        Data.SetFiltered(false);
        Data.OnFilterRecord = nullptr;
        if (Features) UnregisterDatasetFeaturesEx("TMemDataSet");
        GridTest::TearDown();
    }

    void RegisterFeatures()
    {
        auto owned = std::make_unique<gridtest::TFilterRowFeatures>();
        Features = owned.get();
        RegisterDatasetFeaturesEx("TMemDataSet", std::move(owned));
    }
    void Show()
    {
        uitest::ShowActive(Grid.get());
        Grid->SetFocus();
    }

    TColumnEx* Column(int index) const { return Grid->Columns().Items(index); }
    TColumnEx* Amount() const { return Column(2); }
    ui::TRect FilterCell(int dataCol) const
    {
        return Grid->CellRect(Grid->DataToRawColumn(dataCol), Grid->TitleOffset() - 1);
    }
    // A press on the filter cell, dx pixels from its left edge.
    void ClickFilterCell(int dataCol, int dx = 10, Qt::MouseButton button = Qt::LeftButton)
    {
        const ui::TRect cell = FilterCell(dataCol);
        QTest::mouseClick(Grid.get(), button, {}, gridtest::WidgetPoint(*Grid, {cell.Left + dx, cell.Top + 4}));
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, m);
    }
    void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }

    // The customers as the list of a CUST column's filter (picked by name, no key field).
    TColumnEx* AddCustomerColumn()
    {
        TColumnEx* cust = AddColumn("CUST");
        TSTColumnFilterEx& filter = *cust->STFilter();
        CustomerSource.SetDataSet(&Customers);
        filter.SetDataField("CUST");
        filter.SetListField("CUSTNAME");
        filter.SetListSource(&CustomerSource);
        Grid->SetWidth(640);
        return cust;
    }
    // Opens the filter editor of a keyed list's column, types a text that finds a record,
    // takes it with Enter and applies it with the next.
    void PickAndApply(int dataCol, const char* typed)
    {
        ClickFilterCell(dataCol, 4);
        Type(typed);
        Key(Qt::Key_Return);
        Key(Qt::Key_Return);
    }
    // The customers as the list of a CUST column's filter, picked by key; the grid shown.
    TSTColumnFilterEx& ShowKeyedCustomerFilter()
    {
        RegisterFeatures();
        TSTColumnFilterEx& filter = *AddCustomerColumn()->STFilter();
        filter.SetKeyField("CUSTID");
        Show();
        return filter;
    }
    // The titles "Row 1", "Row 3" and "Other" as the list of the NAME column's filter,
    // picked by their text (no key field); the grid shown.
    TSTColumnFilterEx& ShowNameFilterListingTitles()
    {
        RegisterFeatures();
        Titles.AddField<db::TStringField>("TITLE", db::fkData, 20);
        Titles.Open();
        for (const char* title : {"Row 1", "Row 3", "Other"}) {
            Titles.Append();
            Titles.FieldByName("TITLE")->SetAsString(title);
            Titles.Post();
        }
        TitleSource.SetDataSet(&Titles);
        TSTColumnFilterEx& filter = *Column(1)->STFilter();
        filter.SetDataField("NAME");
        filter.SetListField("TITLE");
        filter.SetListSource(&TitleSource);
        Show();
        return filter;
    }
    bool ListOpen() const { return Editor() && Editor()->ListVisible() && Editor()->PopupGrid().isVisible(); }
    QPoint OnListRow(int row) const
    {
        TPopupDataGridEx& list = Editor()->PopupGrid();
        const ui::TRect r = list.CellRect(0, list.TitleOffset() + row);
        return gridtest::WidgetPoint(list, {r.Left + 4, (r.Top + r.Bottom) / 2});
    }
    TInplaceFilterEditEx* Editor() const { return Grid->FilterEditor(); }
    bool EditorShown() const { return Editor() && Editor()->Visible(); }
    std::string EditorText() const { return Editor() ? Editor()->Text() : std::string(); }
    bool EditorFocused() const { return Editor() && QApplication::focusWidget() == Editor()->EditWindow(); }
    std::string Sum() { return Grid->GetFooterValue(0, Amount()); }
    std::string Names()
    {
        std::string names;
        for (Data.First(); !Data.Eof(); Data.Next()) names += (names.empty() ? "" : ",") + F("NAME")->GetAsString();
        Data.First();
        return names;
    }

    rtl::TScopedFormatSettings Settings{rtl::TFormatSettings::Invariant()};
    gridtest::TFilterRowFeatures* Features = nullptr;
    db::TDataSource CustomerSource;
    db::TMemDataSet Titles;
    db::TDataSource TitleSource;
};

TEST_F(FilterRow, TypingAConditionFiltersTheRowsAndUpdatesTheFooters)
{
    RegisterFeatures();
    Show();
    const std::string allSum = Sum();
    ClickFilterCell(2);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(EditorFocused());
    EXPECT_EQ(Grid->FilterEditColumn(), 2);
    EXPECT_EQ(Grid->SelectedIndex(), 2) << "the column came into view as the current one";
    Type("> 2");
    Key(Qt::Key_Return);
    EXPECT_EQ(Features->Calls, 1);
    EXPECT_EQ(Features->LastGrid, Grid.get());
    EXPECT_EQ(Names(), "Row 2,Row 3");
    EXPECT_EQ(Sum(), "7.5");
    EXPECT_NE(Sum(), allSum);
    // The editor stays, showing the condition as the filter row writes it.
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), "> 2");

    // A second condition, in a text column, narrows the rows further.
    Grid->SetOptions(Grid->GetOptions().Include(dgTabs));
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->FilterEditColumn(), 1);
    Type("3");
    Key(Qt::Key_Return);
    EXPECT_EQ(EditorText(), "~ '3'");
    EXPECT_EQ(Names(), "Row 3");
    EXPECT_EQ(Sum(), "4.5");
    EXPECT_TRUE(Exceptions.empty());
    QApplication::processEvents();
    EXPECT_FALSE(testsupport::SaveSnapshot(Grid.get(), "grid", "filter-row-editing").empty());
}

TEST_F(FilterRow, WithoutAFeatureObjectTheRowsStay)
{
    Show();
    ClickFilterCell(2);
    Type("> 2");
    Key(Qt::Key_Return);
    EXPECT_EQ(Amount()->STFilter()->ExpressionText(), "> 2") << "the condition is kept";
    EXPECT_FALSE(Data.GetFiltered());
    EXPECT_EQ(Names(), "Row 1,Row 2,Row 3");
    EXPECT_EQ(Sum(), "9");
}

TEST_F(FilterRow, TypingKeepsTheTextUntilTheCellIsLeft)
{
    RegisterFeatures();
    Show();
    ClickFilterCell(1);
    Type("R");
    EXPECT_EQ(EditorText(), "R");
    Type("o");
    EXPECT_EQ(EditorText(), "Ro");
    EXPECT_EQ(Column(1)->STFilter()->ExpressionText(), "") << "not stored while typed";
    Type("w");
    // Unfinished conditions are no error while they are typed.
    ClickFilterCell(0);
    EXPECT_EQ(Column(1)->STFilter()->ExpressionText(), "~ 'Row'") << "stored on leaving the cell";
    Type("In (1,");
    Type("'");
    EXPECT_EQ(EditorText(), "In (1,'");
    EXPECT_TRUE(Exceptions.empty());

    // Applying a text that does not read reports it and keeps it in the open editor.
    Key(Qt::Key_Return);
    ASSERT_EQ(Exceptions.size(), 1u);
    EXPECT_EQ(Exceptions[0], "Quote is absent: In (1,'");
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), "In (1,'");
    EXPECT_EQ(Features->Calls, 0);
    // Leaving it so does too.
    Key(Qt::Key_Down);
    ASSERT_EQ(Exceptions.size(), 2u);
    EXPECT_TRUE(Grid->FilterEditing());
    EXPECT_TRUE(EditorFocused());

    Key(Qt::Key_F2);
    Key(Qt::Key_Backspace);
    Type("3)");
    Key(Qt::Key_Return);
    EXPECT_EQ(EditorText(), "In (1,3)");
    EXPECT_EQ(Names(), "Row 1,Row 3");
    EXPECT_EQ(Exceptions.size(), 2u);
}

TEST_F(FilterRow, ArrowsTabAndHomeMoveBetweenFilterCellsAndWrapAround)
{
    Column(1)->STFilter()->SetVisible(false); // NAME shows no filter cell
    Column(0)->STFilter()->SetExpressionFromText("1");
    Column(3)->STFilter()->SetExpressionFromText("x");
    Grid->SetOptions(Grid->GetOptions().Include(dgTabs));
    Show();
    ClickFilterCell(2);
    Type("12");
    Key(Qt::Key_Right); // at the end of the text: the next filter cell
    EXPECT_EQ(Grid->FilterEditColumn(), 3);
    EXPECT_EQ(Amount()->STFilter()->ExpressionText(), "= 12") << "stored on leaving";
    EXPECT_EQ(EditorText(), "~ 'x'");
    Key(Qt::Key_End); // all selected: End only goes to the end
    EXPECT_EQ(Grid->FilterEditColumn(), 3);
    Key(Qt::Key_End); // past the last column to the first
    EXPECT_EQ(Grid->FilterEditColumn(), 0);
    Key(Qt::Key_Home); // all selected: Home only moves the caret
    EXPECT_EQ(Grid->FilterEditColumn(), 0);
    Key(Qt::Key_Left); // before the first column to the last
    EXPECT_EQ(Grid->FilterEditColumn(), 3);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Grid->FilterEditColumn(), 0);
    Key(Qt::Key_Tab); // NAME is skipped
    EXPECT_EQ(Grid->FilterEditColumn(), 2);
    EXPECT_EQ(EditorText(), "= 12");
    Key(Qt::Key_Home);
    Key(Qt::Key_Home);
    EXPECT_EQ(Grid->FilterEditColumn(), 0);
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->FilterEditColumn(), 3);

    // Inside the text the arrows move the caret.
    Type("ab");
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Editor()->SelStart(), 0);
    EXPECT_EQ(Grid->FilterEditColumn(), 3);
    Key(Qt::Key_F2); // the caret to the end
    EXPECT_EQ(Editor()->SelStart(), 2);
    EXPECT_EQ(Grid->FilterEditColumn(), 3);
    Key(Qt::Key_Up); // ignored
    EXPECT_EQ(EditorText(), "ab");
    EXPECT_TRUE(EditorShown());

    // With no other filter cell the keys stay where they are.
    for (int i : {0, 2}) Column(i)->STFilter()->SetVisible(false);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Tab, Qt::Key_Home, Qt::Key_Left}) {
        Key(key);
        EXPECT_EQ(Grid->FilterEditColumn(), 3);
        EXPECT_TRUE(EditorShown());
    }
}

TEST_F(FilterRow, DownGoesBackToTheDataAtTheTopOfTheWindow)
{
    Show();
    Data.Last();
    ASSERT_EQ(F("ID")->GetAsInteger(), 3);
    // A record being edited is posted before the editor opens.
    Data.Edit();
    F("FLAG")->SetAsString("new");
    ClickFilterCell(3);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(F("FLAG")->GetAsString(), "new");
    Type("x");
    Key(Qt::Key_Down);
    EXPECT_FALSE(Grid->FilterEditing());
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Column(3)->STFilter()->ExpressionText(), "~ 'x'");
    EXPECT_EQ(Grid->SelectedIndex(), 3);
    EXPECT_EQ(F("ID")->GetAsInteger(), 1) << "the first record of the window";
    EXPECT_TRUE(Grid->GridFocused());

    // Ctrl+Down leaves the record where it is.
    Data.Last();
    ClickFilterCell(0);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_FALSE(Grid->FilterEditing());
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(F("ID")->GetAsInteger(), 3);
}

TEST_F(FilterRow, AClickPutsTheCaretWhereItWasMadeAndClearsASelection)
{
    Column(1)->SetWidth(150);
    Column(1)->STFilter()->SetExpressionFromText("abcdefghij");
    Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
    Grid->SetAllowedSelections({gstRectangle});
    Show();
    Data.Last();
    const db::TBookmark last = Data.GetBookmark();
    Data.First();
    Grid->Selection().Rect().Select(1, Data.GetBookmark(), false);
    Grid->Selection().Rect().Select(2, last, true);
    ASSERT_EQ(Grid->Selection().SelectionType(), gstRectangle);

    ClickFilterCell(1, 3);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), "~ 'abcdefghij'");
    EXPECT_EQ(Editor()->SelLength(), 0);
    EXPECT_EQ(Editor()->SelStart(), 0);
    ClickFilterCell(1, 140);
    EXPECT_EQ(Editor()->SelStart(), 14);

    // A press elsewhere in the filter row ends the editing.
    ClickFilterCell(-1, 3);
    EXPECT_FALSE(Grid->FilterEditing());
    // The right button opens the editor too, with everything selected.
    ClickFilterCell(1, 40, Qt::RightButton);
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->SelLength(), 14);

    // A selection made meanwhile closes the editor.
    Grid->Selection().Rect().Select(1, Data.GetBookmark(), false);
    Grid->Selection().Rect().Select(2, last, true);
    Grid->UpdateFilterEditor(true);
    EXPECT_FALSE(Grid->FilterEditing());
    EXPECT_FALSE(EditorShown());
}

TEST_F(FilterRow, TheFocusComingFromAnotherControlEndsTheEditing)
{
    ui::TForm form;
    form.SetBounds(20, 20, 480, 300);
    Grid->SetParent(&form);
    ui::TCustomEdit other(&form);
    other.SetBounds(10, 240, 100, 24);
    uitest::ShowActive(&form);
    ClickFilterCell(0);
    ASSERT_TRUE(EditorFocused());
    Type("2");
    other.SetFocus();
    EXPECT_TRUE(Grid->FilterEditing()) << "the editor stays while the focus is elsewhere";
    EXPECT_EQ(EditorText(), "2");
    // Back on the editor's own grid from its editor: it stays too.
    ClickFilterCell(1);
    EXPECT_EQ(Grid->FilterEditColumn(), 1);
    EXPECT_EQ(Column(0)->STFilter()->ExpressionText(), "= 2");
    const ui::TRect data = Grid->CellRect(1, Grid->TitleOffset());
    QTest::mouseClick(Grid.get(), Qt::LeftButton, {}, gridtest::WidgetPoint(*Grid, {data.Left + 4, data.Top + 4}));
    EXPECT_TRUE(Grid->FilterEditing());
    EXPECT_TRUE(EditorShown());
    other.SetFocus();
    Grid->SetFocus();
    EXPECT_FALSE(Grid->FilterEditing());
    EXPECT_FALSE(EditorShown());
    EXPECT_TRUE(Grid->GridFocused());
    Grid->SetParent(nullptr);
}

TEST_F(FilterRow, HidingTheRowOrLockedSettingsDecideTheEnd)
{
    Show();
    ClickFilterCell(0);
    Type("2");
    Grid->STFilter().SetVisible(false);
    EXPECT_FALSE(Grid->FilterEditing());
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Column(0)->STFilter()->ExpressionText(), "= 2");
    EXPECT_EQ(Grid->TitleOffset(), 1);

    Grid->STFilter().SetVisible(true);
    ClickFilterCell(0);
    ASSERT_TRUE(Grid->FilterEditing());
    // Opening the same cell again keeps what was typed.
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("3");
    Grid->StartFilterEdit(0);
    EXPECT_EQ(Column(0)->STFilter()->ExpressionText(), "= 3");
    EXPECT_EQ(EditorText(), "= 3");
    EXPECT_TRUE(EditorFocused());
    // Locked settings keep the editor open.
    Grid->STFilter().BeginUpdate();
    Grid->StopFilterEdit();
    EXPECT_TRUE(Grid->FilterEditing());
    Grid->STFilter().EndUpdate();
    Grid->StopFilterEdit();
    EXPECT_FALSE(Grid->FilterEditing());
}

TEST_F(FilterRow, AListWithAKeyFieldDropsItsRecordsAndPicksByKey)
{
    TSTColumnFilterEx& filter = ShowKeyedCustomerFilter();
    ClickFilterCell(4, 4);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(Editor()->GetEditButton()->GetVisible());
    EXPECT_TRUE(Editor()->ListActive());
    EXPECT_EQ(Editor()->GetStyle(), csDropDownListEx);
    // A press on a text that is only picked drops the records, as many rows as there are.
    ASSERT_TRUE(ListOpen());
    EXPECT_EQ(Editor()->PopupGrid().GetRowCount(), 3);
    EXPECT_EQ(Editor()->PopupGrid().Top(), editors::ScreenRect(Editor()).Bottom);
    // Typing searches the list; Enter takes the record and only closes the list.
    Type("b");
    EXPECT_EQ(Editor()->PopupGrid().GetKeyValue(), rtl::Variant(2));
    Key(Qt::Key_Return);
    EXPECT_FALSE(ListOpen());
    EXPECT_EQ(EditorText(), "Bob");
    EXPECT_EQ(filter.ExpressionText(), "") << "not applied by the list";
    EXPECT_EQ(Names(), "Row 1,Row 2,Row 3");
    // The next Enter applies the key.
    Key(Qt::Key_Return);
    EXPECT_EQ(filter.ExpressionText(), "Bob");
    EXPECT_EQ(filter.CurrentKeyValue(), rtl::Variant(2));
    EXPECT_EQ(Names(), "Row 2");
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, TheButtonDropsAKeyedListKeysMoveInItEscTakesNothingAndAClickOnARowPicksIt)
{
    TSTColumnFilterEx& filter = ShowKeyedCustomerFilter();
    PickAndApply(4, "b");
    ASSERT_EQ(filter.CurrentKeyValue(), rtl::Variant(2));

    QTest::mouseClick(Editor()->EditButtonControl(0), Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_TRUE(ListOpen());
    EXPECT_EQ(Editor()->PopupGrid().GetKeyValue(), rtl::Variant(2)) << "on the picked record";
    Key(Qt::Key_Down);
    EXPECT_EQ(Editor()->PopupGrid().GetKeyValue(), rtl::Variant(3));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(ListOpen());
    EXPECT_EQ(EditorText(), "Bob") << "Esc takes nothing";
    QTest::mouseClick(Editor()->EditButtonControl(0), Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_TRUE(ListOpen());
    QApplication::processEvents();
    testsupport::SaveSnapshot(uitest::RenderWithPopup(Grid.get(), &Editor()->PopupGrid()), "grid", "filter-row-list-open");
    QTest::mouseClick(&Editor()->PopupGrid(), Qt::LeftButton, {}, OnListRow(0));
    EXPECT_FALSE(ListOpen());
    EXPECT_EQ(EditorText(), "Ann");
    EXPECT_TRUE(EditorFocused());
    Key(Qt::Key_Return);
    EXPECT_EQ(filter.CurrentKeyValue(), rtl::Variant(1));
    EXPECT_EQ(Names(), "Row 1");
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, APlainColumnsEditorHasNeitherAListNorAButtonNorTheListsTextOrKey)
{
    Column(0)->STFilter()->SetExpressionFromText("> 0");
    TSTColumnFilterEx& filter = ShowKeyedCustomerFilter();
    PickAndApply(4, "a");
    ASSERT_EQ(filter.CurrentKeyValue(), rtl::Variant(1));

    ClickFilterCell(0);
    EXPECT_TRUE(Editor()->PlainMode());
    EXPECT_FALSE(Editor()->GetEditButton()->GetVisible());
    EXPECT_EQ(EditorText(), "> 0");
    EXPECT_TRUE(Editor()->GetKeyValue().IsNull());
    EXPECT_FALSE(ListOpen());
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, APressOnTheDropDownButtonOfAListsCellOpensItDownAndDeleteEmptiesThePickForGood)
{
    TSTColumnFilterEx& filter = ShowKeyedCustomerFilter();
    PickAndApply(4, "a");
    ASSERT_EQ(filter.CurrentKeyValue(), rtl::Variant(1));
    ClickFilterCell(0);

    const ui::TRect cell = FilterCell(4);
    ClickFilterCell(4, cell.Width() - 3);
    EXPECT_EQ(Grid->FilterEditColumn(), 4);
    EXPECT_EQ(EditorText(), "Ann");
    ASSERT_TRUE(ListOpen());
    Key(Qt::Key_Escape);
    // Delete empties the pick; applied, every row is back.
    Key(Qt::Key_Delete);
    EXPECT_EQ(EditorText(), "");
    Key(Qt::Key_Return);
    EXPECT_EQ(filter.ExpressionText(), "");
    EXPECT_TRUE(filter.CurrentKeyValue().IsNull());
    EXPECT_EQ(Names(), "Row 1,Row 2,Row 3");
    EXPECT_EQ(EditorText(), "") << "the emptied pick stays empty";
    // Back from a plain column an empty pick stays empty.
    ClickFilterCell(0);
    EXPECT_TRUE(filter.CurrentKeyValue().IsNull());
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("5");
    ClickFilterCell(4, 4);
    EXPECT_EQ(EditorText(), "");
    EXPECT_TRUE(Editor()->GetKeyValue().IsNull());
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, AnOpenListOfTheFilterEditorKeepsTheWheelFromTheRecords)
{
    TSTColumnFilterEx& filter = *AddCustomerColumn()->STFilter();
    filter.SetKeyField("CUSTID");
    Show();
    auto wheelDown = [this] {
        const ui::TRect cell = Grid->CellRect(Grid->DataToRawColumn(1), Grid->TitleOffset());
        const QPointF at = gridtest::WidgetPoint(*Grid, {cell.Left + 4, cell.Top + 4});
        QWheelEvent wheel(at, Grid->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Grid.get(), &wheel);
    };
    ClickFilterCell(4, 4);
    ASSERT_TRUE(ListOpen());
    const rtl::Variant picked = Editor()->PopupGrid().GetKeyValue();
    wheelDown();
    EXPECT_EQ(Data.GetRecNo(), 1);
    EXPECT_TRUE(ListOpen());
    EXPECT_EQ(Editor()->PopupGrid().GetKeyValue(), picked);
    // Closed, the list gives the wheel back to the records.
    Key(Qt::Key_Escape);
    ASSERT_FALSE(ListOpen());
    ASSERT_TRUE(EditorShown());
    wheelDown();
    EXPECT_EQ(Data.GetRecNo(), 2);
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, AListWithoutAKeyFieldCompletesTypedTextsAndPicksByText)
{
    TSTColumnFilterEx& filter = ShowNameFilterListingTitles();
    ClickFilterCell(1, 4);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->GetStyle(), csDropDownEx);
    EXPECT_FALSE(ListOpen()) << "a free text takes the press for its caret";
    // What the list holds is completed as typed and picked by its text.
    Type("Row 3");
    EXPECT_EQ(EditorText(), "Row 3");
    EXPECT_EQ(Editor()->GetKeyValue(), rtl::Variant("Row 3"));
    Type("x");
    EXPECT_TRUE(Editor()->GetKeyValue().IsNull()) << "Row 3x is in no record";
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Return);
    EXPECT_EQ(filter.ExpressionText(), "Row 3");
    EXPECT_EQ(filter.CurrentKeyValue(), rtl::Variant("Row 3"));
    EXPECT_EQ(Names(), "Row 3");
    // A letter is completed from the list, the completed part selected.
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("R");
    EXPECT_EQ(EditorText(), "Row 1");
    EXPECT_EQ(Editor()->SelLength(), 4) << "what the list completed is selected";
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, ATextAListWithoutAKeyFieldDoesNotHoldIsACondition)
{
    TSTColumnFilterEx& filter = ShowNameFilterListingTitles();
    ClickFilterCell(1, 4);
    ASSERT_TRUE(EditorShown());
    Type("~ 2");
    EXPECT_EQ(EditorText(), "~ 2");
    Key(Qt::Key_Return);
    EXPECT_EQ(filter.ExpressionText(), "~ '2'");
    EXPECT_TRUE(filter.CurrentKeyValue().IsNull());
    EXPECT_EQ(EditorText(), "~ '2'");
    EXPECT_EQ(Names(), "Row 2");
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, AltDownDropsAListWithoutAKeyFieldEnterTakesTheRecordAndLeavingTheCellStoresThePick)
{
    TSTColumnFilterEx& filter = ShowNameFilterListingTitles();
    ClickFilterCell(1, 4);
    ASSERT_TRUE(EditorShown());
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(ListOpen());
    EXPECT_TRUE(EditorFocused());
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_FALSE(ListOpen());
    EXPECT_EQ(EditorText(), "Row 3");
    // Leaving the cell stores the pick.
    Key(Qt::Key_Down);
    EXPECT_FALSE(Grid->FilterEditing());
    EXPECT_EQ(filter.ExpressionText(), "Row 3");
    EXPECT_EQ(filter.CurrentKeyValue(), rtl::Variant("Row 3"));
    ClickFilterCell(1, 4);
    EXPECT_EQ(EditorText(), "Row 3");
    EXPECT_EQ(Editor()->GetKeyValue(), rtl::Variant("Row 3"));
    EXPECT_TRUE(Exceptions.empty());
    filter.SetListSource(nullptr);
}

TEST_F(FilterRow, TheEditorsTextStandsAPixelLowerThanALookupComboBoxs)
{
    Show();
    ClickFilterCell(0);
    ASSERT_TRUE(EditorShown());
    TDBLookupComboboxEx combo(Grid.get());
    combo.SetAutoSize(false);
    combo.SetFlat(true);
    combo.SetBorderStyle(ui::bsNone);
    combo.GetEditButton()->SetVisible(false);
    combo.SetBounds(Editor()->Left(), Editor()->Top(), Editor()->Width(), Editor()->Height());
    combo.Show();
    const QRect plain = combo.EditWindow()->geometry();
    const QRect filter = Editor()->EditWindow()->geometry();
    EXPECT_EQ(filter.top(), plain.top() + 1);
    EXPECT_EQ(filter.left(), plain.left());
    EXPECT_EQ(filter.bottom(), plain.bottom());
    // Everything is selected when the editor opens, with the caret at the end.
    Type("12345");
    Grid->StartFilterEdit(0);
    EXPECT_EQ(Editor()->SelLength(), 7);
    EXPECT_EQ(Editor()->EditWindow()->cursorPosition(), 7);
}

TEST_F(FilterRow, TheRowIsDrawnInBlueOnTheLightenedFixedColour)
{
    struct TCase {
        ui::TColor fixed;
        ui::TColor lighter;
    };
    // Each part gains an eighth, rounded (halves to even), at most 255.
    for (const TCase& c : {TCase{ui::RGB(0, 0, 0), ui::RGB(0, 0, 0)}, TCase{ui::RGB(255, 4, 12), ui::RGB(255, 4, 14)},
                           TCase{ui::RGB(100, 200, 248), ui::RGB(112, 225, 255)},
                           TCase{ui::RGB(8, 20, 36), ui::RGB(9, 22, 40)}}) {
        Grid->SetFixedColor(c.fixed);
        EXPECT_EQ(Grid->FilterRowColor(), c.lighter) << std::hex << c.fixed;
    }
    Grid->SetFixedColor(ui::RGB(160, 160, 160));
    db::TDataSource customers;
    customers.SetDataSet(&Customers);
    Column(3)->STFilter()->SetListSource(&customers);
    Column(1)->STFilter()->SetVisible(false);
    Column(0)->STFilter()->SetExpressionFromText("In (1,2,3)");
    Column(2)->STFilter()->SetExpressionFromText("> 1.5 AND < 4");
    Show();
    QApplication::processEvents();
    const QImage image = uitest::Render(Grid.get());
    testsupport::SaveSnapshot(image, "grid", "filter-row");

    const ui::TColor filterColour = ui::RGB(180, 180, 180);
    const ui::TPoint offset = Grid->ClientOffset();
    const auto at = [&](int x, int y) { return uitest::PixelAt(image, x + offset.X, y + offset.Y); };
    const auto blueIn = [&](const ui::TRect& r) {
        int blue = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) blue += at(x, y) == ui::clBlue;
        return blue;
    };
    const ui::TRect id = FilterCell(0);
    EXPECT_EQ(at(id.Right - 2, id.Bottom - 1), filterColour);
    EXPECT_GT(blueIn(id), 10) << "the condition's text";
    // A column without a filter cell keeps the fixed colour and shows nothing.
    const ui::TRect name = FilterCell(1);
    EXPECT_EQ(at(name.Left + 3, name.Top + 3), ui::RGB(160, 160, 160));
    EXPECT_EQ(blueIn(name), 0);
    // A list source gives the cell a drop-down button at its right end.
    const ui::TRect flag = FilterCell(3);
    EXPECT_NE(at(flag.Right - Grid->EditButtonWidth() / 2, flag.Top + 2), filterColour);
    EXPECT_EQ(at(flag.Left + 3, flag.Top + 3), filterColour);
    Column(3)->STFilter()->SetListSource(nullptr);
}

} // namespace
