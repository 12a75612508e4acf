// The grid's mouse as a user clicks and drags: moving to a cell, title buttons and their
// sort markers, moving a column by its title, check boxes, selecting records, rectangles
// and columns, sizing columns from their titles and rows from the indicator.
#include <algorithm>
#include <string>
#include <vector>

#include <QCursor>
#include <QTimer>
#include <gtest/gtest.h>

#include "GridInputTest.h"
#include "controls/grid/DBGridExDataService.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/DBGridExUtils.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;
using gridtest::GridInputTest;

class GridMouse : public GridInputTest {
protected:
    int DataRow(int recordIndex) const { return Grid->TitleOffset() + recordIndex; }
    void MultiSelect(TDBGridExSelectionTypes allowed)
    {
        Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
        Grid->SetAllowedSelections(allowed);
    }
    // The point at the foot of a title, where columns are selected.
    ui::TPoint TitleFoot(int col) const
    {
        const ui::TRect r = Grid->CellRect(col, 0);
        return {(r.Left + r.Right) / 2, r.Bottom - 2};
    }
    // The right edge of a title cell, where its sizing line starts.
    ui::TPoint TitleEdge(int col) const
    {
        const ui::TRect r = Grid->CellRect(col, 0);
        return {r.Right, r.Top + r.Height() / 2};
    }
    bool CursorIs(ui::TCursor cursor) const
    {
        return Grid->cursor().pixmap().cacheKey() == ui::CursorToQt(cursor).pixmap().cacheKey()
               && Grid->cursor().shape() == ui::CursorToQt(cursor).shape();
    }
    void DoubleClick(ui::TPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseDClick(Grid.get(), Qt::LeftButton, modifiers, At(p));
    }
};

TEST_F(GridMouse, AClickMovesToTheCellAndAClickOnTheCurrentCellEdits)
{
    Records(8);
    ShowGrid({"ID", "NAME"});
    Click(2, DataRow(3));
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(G().Events, (std::vector<std::string>{"cell NAME"}));
    EXPECT_FALSE(EditorShown());

    // A click on the current cell opens the editor; its release lands in the editor and
    // is no cell click.
    Click(2, DataRow(3));
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(G().Events.size(), 1u);

    // Below the last record nothing moves.
    Records(3);
    Click(1, DataRow(5));
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(G().Events.size(), 1u);
}

TEST_F(GridMouse, OneClickOnTheShownButtonOfAnotherRecordMovesThereAndPressesIt)
{
    Records(6);
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    std::vector<std::string> events;
    Grid->OnEditButtonClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) {
        events.push_back("button on " + F("NAME")->GetAsString());
    });
    ShowGrid({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetButtonStyle(cbsEllipsis);
    name->SetAlwaysShowEditButton(true);
    const ui::TRect cell = Grid->CellRect(2, DataRow(3));
    const ui::TPoint onButton{cell.Right - 4, (cell.Top + cell.Bottom) / 2};
    Press(onButton);
    Release(onButton);
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(events, (std::vector<std::string>{"button on Row 4"}));
    EXPECT_TRUE(G().Events.empty()) << "the release lands on the button: no cell click";

    // Left of the strip the click only moves to the cell.
    events.clear();
    Click(2, DataRow(1));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(events.empty());
}

TEST_F(GridMouse, TitleButtonsCycleTheSortMarkersOnRelease)
{
    Records(4);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghAutoSortMarking).Include(dghMultiSortMarking));
    Grid->ColumnDefValues().Title().SetTitleButton(true);
    ShowGrid({"ID", "NAME", "AMOUNT"});
    std::vector<std::string> sorted;
    DBGridExDataService().OnApplySorting = TDBGridExDataService::TGridEvent::FromFunction(
        [&](TCustomDBGridEx* grid) { sorted.push_back(grid == Grid.get() ? "this grid" : "another"); });
    TColumnEx* name = Grid->Columns().Items(1);
    TColumnEx* amount = Grid->Columns().Items(2);

    // Held down, the button shows pressed while the mouse is over it.
    Press(Center(2, 0));
    EXPECT_EQ(Grid->PressedTitleColumn(), 2);
    EXPECT_TRUE(Grid->TitleButtonPressed());
    testsupport::SaveSnapshot(Grid.get(), "grid", "title-button-pressed");
    Move(Center(2, DataRow(1)));
    EXPECT_FALSE(Grid->TitleButtonPressed());
    Move(Center(2, 0));
    EXPECT_TRUE(Grid->TitleButtonPressed());
    Release(Center(2, 0));
    EXPECT_EQ(Grid->PressedTitleColumn(), -1);
    EXPECT_EQ(name->Title()->GetSortMarker(), smDownEx);
    EXPECT_EQ(G().Events, (std::vector<std::string>{"button 1", "sort", "title NAME"}));
    EXPECT_EQ(sorted, (std::vector<std::string>{"this grid"}));

    Click(2, 0);
    EXPECT_EQ(name->Title()->GetSortMarker(), smUpEx);

    // With Ctrl the other markers stay and the sorting waits for Ctrl's release.
    G().Events.clear();
    Click(3, 0, Qt::ControlModifier);
    EXPECT_EQ(amount->Title()->GetSortMarker(), smDownEx);
    EXPECT_EQ(name->Title()->GetSortMarker(), smUpEx);
    EXPECT_EQ(G().Events, (std::vector<std::string>{"button 2", "title AMOUNT"}));
    EXPECT_TRUE(Grid->SortMarkingPending());
    QTest::keyRelease(Grid.get(), Qt::Key_Control);
    EXPECT_FALSE(Grid->SortMarkingPending());
    EXPECT_EQ(G().Events.back(), "sort");
    EXPECT_EQ(sorted.size(), 3u);

    // A release away from the button is no click; a handler that sorts itself takes
    // the data service's place; a disabled button is a plain title.
    G().Events.clear();
    Press(Center(2, 0));
    Release(Center(2, DataRow(2)));
    EXPECT_EQ(G().Events, (std::vector<std::string>{"cell NAME"}));
    int handled = 0;
    Grid->OnSortMarkingChanged = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++handled; });
    Click(2, 0);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(sorted.size(), 3u);
    Grid->OnCheckButton = TCheckTitleExBtnEvent::FromFunction(
        [](rtl::TObject*, int ACol, TColumnEx*, bool& Enabled) { Enabled = ACol != 1; });
    const TSortMarkerEx before = name->Title()->GetSortMarker();
    Press(Center(2, 0));
    EXPECT_EQ(Grid->PressedTitleColumn(), -1);
    Release(Center(2, 0));
    EXPECT_EQ(name->Title()->GetSortMarker(), before);
    DBGridExDataService().OnApplySorting = {};
}

TEST_F(GridMouse, DraggingATitleSidewaysMovesTheColumnInsteadOfClickingIt)
{
    Records(4);
    Grid->ColumnDefValues().Title().SetTitleButton(true);
    ShowGrid({"ID", "NAME", "AMOUNT"});
    const ui::TPoint from = Center(1, 0);
    Press(from);
    ASSERT_EQ(Grid->PressedTitleColumn(), 1);
    Move({from.X + 2, from.Y});
    EXPECT_EQ(Grid->PressedTitleColumn(), 1); // 3 pixels or less: still the button
    Move({from.X + 6, from.Y});
    EXPECT_EQ(Grid->PressedTitleColumn(), -1);
    EXPECT_EQ(G().MovingIndex(), 1);
    Move(Center(3, 0));
    Release(Center(3, 0));
    EXPECT_EQ(Grid->Columns().Items(2)->GetFieldName(), "ID");
    EXPECT_EQ(Grid->Columns().Items(0)->GetFieldName(), "NAME");
    EXPECT_TRUE(G().Events.empty());
}

TEST_F(GridMouse, ACheckBoxStepsWhenPressAndReleaseShareItsCell)
{
    Records(4);
    ShowGrid({"ID", "ACTIVE"});
    TColumnEx* active = Grid->Columns().Items(1);
    active->SetCheckboxes(true);
    Click(2, DataRow(1));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(F("ACTIVE")->GetAsBoolean());
    Click(2, DataRow(1));
    EXPECT_FALSE(F("ACTIVE")->GetAsBoolean());
    Click(2, DataRow(1), Qt::ShiftModifier);
    EXPECT_TRUE(F("ACTIVE")->GetAsBoolean());

    // Pressed on one check box and released on another: nothing steps.
    Press(Center(2, DataRow(1)));
    Release(Center(2, DataRow(2)));
    EXPECT_TRUE(F("ACTIVE")->GetAsBoolean());
    EXPECT_EQ(RecNo(), 2);

    // With DblClickNextVal a click does nothing and a double click steps once.
    active->SetDblClickNextVal(true);
    Click(2, DataRow(1));
    EXPECT_TRUE(F("ACTIVE")->GetAsBoolean());
    DoubleClick(Center(2, DataRow(1)));
    EXPECT_FALSE(F("ACTIVE")->GetAsBoolean());
}

TEST_F(GridMouse, RecordsAreSelectedByClicksShiftClicksAndDrags)
{
    Records(10);
    MultiSelect({gstRecordBookmarks});
    ShowGrid();
    Move(Center(0, DataRow(2)));
    EXPECT_TRUE(CursorIs(crDBGridExRight));
    Move(Center(1, DataRow(2)));
    EXPECT_FALSE(CursorIs(crDBGridExRight));

    Click(0, DataRow(1));
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2}));
    Click(0, DataRow(3), Qt::ControlModifier);
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2, 4}));
    Click(0, DataRow(3), Qt::ControlModifier);
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2}));

    // Shift: every record between the current one and the one clicked.
    Click(0, DataRow(0));
    Click(0, DataRow(4), Qt::ShiftModifier);
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(RecNo(), 5);

    // A drag selects the records it passes; dragging back gives them up again.
    Press(Center(0, DataRow(1)));
    Move(Center(0, DataRow(5)));
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2, 3, 4, 5, 6}));
    Move(Center(0, DataRow(3)));
    Release(Center(0, DataRow(3)));
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2, 3, 4}));
    testsupport::SaveSnapshot(Grid.get(), "grid", "records-selected-by-dragging");
}

TEST_F(GridMouse, ARectangleOfCellsIsDraggedAndShiftClicked)
{
    Records(10);
    MultiSelect({gstRecordBookmarks, gstRectangle, gstColumns, gstAll});
    ShowGrid({"ID", "NAME", "AMOUNT"});
    Press(Center(1, DataRow(1)));
    Move(Center(2, DataRow(2)));
    Move(Center(2, DataRow(3)));
    Release(Center(2, DataRow(3)));
    ASSERT_EQ(Grid->Selection().SelectionType(), gstRectangle);
    const TDBGridExSelectionRect& rect = Grid->Selection().Rect();
    EXPECT_EQ(rect.LeftCol(), 0);
    EXPECT_EQ(rect.RightCol(), 1);
    EXPECT_EQ(Data.RecNoOfBookmark(rect.TopRow()), 2);
    EXPECT_EQ(Data.RecNoOfBookmark(rect.BottomRow()), 4);
    EXPECT_EQ(RecNo(), 4);
    testsupport::SaveSnapshot(Grid.get(), "grid", "rectangle-dragged");

    Click(3, DataRow(5), Qt::ShiftModifier);
    EXPECT_EQ(rect.RightCol(), 2);
    EXPECT_EQ(Data.RecNoOfBookmark(rect.BottomRow()), 6);
    EXPECT_EQ(Data.RecNoOfBookmark(rect.TopRow()), 2);
    // A plain click ends it.
    Click(1, DataRow(0));
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
}

TEST_F(GridMouse, ColumnsAreSelectedAtTheFootOfTheirTitles)
{
    Records(5);
    MultiSelect({gstColumns, gstAll});
    ShowGrid({"ID", "NAME", "AMOUNT", "FLAG"});
    Move(TitleFoot(2));
    EXPECT_TRUE(CursorIs(crDBGridExDown));
    Press(TitleFoot(2));
    Release(TitleFoot(2));
    TDBGridExSelectionCols& columns = Grid->Selection().Columns();
    ASSERT_EQ(Grid->Selection().SelectionType(), gstColumns);
    ASSERT_EQ(columns.Count(), 1);
    EXPECT_EQ(columns.Items(0)->GetFieldName(), "NAME");
    Press(TitleFoot(4), Qt::ControlModifier);
    Release(TitleFoot(4), Qt::ControlModifier);
    EXPECT_EQ(columns.Count(), 2);
    Press(TitleFoot(1), Qt::ShiftModifier);
    Release(TitleFoot(1), Qt::ShiftModifier);
    EXPECT_TRUE(Grid->Selection().IsColumnSelected(0));
    // A drag over the titles extends the selection.
    Press(TitleFoot(1));
    Move(TitleFoot(2));
    Move(TitleFoot(3));
    Release(TitleFoot(3));
    EXPECT_EQ(columns.Count(), 3);
    EXPECT_FALSE(Grid->Selection().IsColumnSelected(3));
    testsupport::SaveSnapshot(Grid.get(), "grid", "columns-selected-by-dragging");

    // The indicator's title selects everything, and again nothing.
    Click(0, 0);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
    Click(0, 0);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstAll);
}

TEST_F(GridMouse, ColumnsAreSizedFromTheirTitlesAndFittedByADoubleClick)
{
    SetNames({"a", "a much longer name than the rest", "b"});
    ShowGrid({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetWidth(40);
    const ui::TPoint edge = TitleEdge(2);
    Move(edge);
    EXPECT_EQ(Grid->cursor().shape(), Qt::SplitHCursor);
    Press(edge);
    EXPECT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmTitleSizing);
    Move({edge.X + 25, edge.Y});
    EXPECT_EQ(name->GetWidth(), 40); // only the line moves
    Release({edge.X + 25, edge.Y});
    EXPECT_EQ(name->GetWidth(), 65);
    EXPECT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmNone);
    EXPECT_TRUE(G().Events.empty());

    // Esc drops the sizing: the width stays and the release is no click on the title.
    Press(edge);
    Move({edge.X + 10, edge.Y});
    Key(Qt::Key_Escape);
    EXPECT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmNone);
    Release({edge.X + 10, edge.Y});
    EXPECT_EQ(name->GetWidth(), 65);
    EXPECT_TRUE(G().Events.empty());

    // Traced, the width follows the mouse.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghTraceColSizing));
    const ui::TPoint traced = TitleEdge(2);
    Press(traced);
    Move({traced.X - 15, traced.Y});
    EXPECT_EQ(name->GetWidth(), 50);
    Release({traced.X - 15, traced.Y});
    EXPECT_EQ(name->GetWidth(), 50);

    // A double click on the edge fits the column to its longest text.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghDblClickOptimizeColWidth));
    DoubleClick(TitleEdge(2));
    ui::TCanvas canvas;
    canvas.Font().Assign(name->GetFont());
    const std::string longest = "a much longer name t"; // NAME holds 20 characters
    EXPECT_EQ(name->GetWidth(), TextWidthCalc(canvas, longest) + 4);
    EXPECT_FALSE(EditorShown());
}

TEST_F(GridMouse, RowsAreSizedInTheIndicatorOnly)
{
    Records(5);
    Grid->SetRowSizingAllowed(true);
    ShowGrid({"ID", "NAME"});
    const int height = Grid->DefaultRowHeight();
    const ui::TRect row = Grid->CellRect(0, DataRow(1));
    // The line under a row in a data column sizes nothing.
    Move({Grid->CellRect(1, DataRow(1)).Left + 5, row.Bottom});
    EXPECT_NE(Grid->cursor().shape(), Qt::SplitVCursor);
    Press({row.Left + 5, row.Bottom});
    Move({row.Left + 5, row.Bottom + 10});
    Release({row.Left + 5, row.Bottom + 10});
    EXPECT_EQ(Grid->GetRowHeight(), height + 10);
    EXPECT_EQ(Grid->GetRowLines(), 0);
    EXPECT_EQ(Grid->DefaultRowHeight(), height + 10);
    EXPECT_EQ(Grid->RowHeights(DataRow(0)), height + 10);
}

TEST_F(GridMouse, AGroupedTitleIsAButtonFromTheFirstPixelOfItsOwnBand)
{
    Records(3);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghAutoSortMarking));
    Grid->ColumnDefValues().Title().SetTitleButton(true);
    Grid->SetUseMultiTitle(true);
    ShowGrid({"ID", "NAME"});
    Grid->Columns().Items(0)->Title()->SetCaption("Person|Number");
    Grid->Columns().Items(1)->Title()->SetCaption("Person|Name");
    TColumnEx* name = Grid->Columns().Items(1);
    const ui::TRect cell = Grid->CellRect(2, 0);
    const THeadTreeNode* leaf = Grid->TitleLeaf(1);
    ASSERT_NE(leaf, nullptr);
    const int top = cell.Bottom - leaf->Height + 1;
    ASSERT_GT(top, cell.Top + 1) << "the group's band stands above the column's own";
    const int x = (cell.Left + cell.Right) / 2;

    // The group's band is no button of the column.
    Press({x, top - 1});
    EXPECT_EQ(Grid->PressedTitleColumn(), -1);
    Release({x, top - 1});
    EXPECT_EQ(name->Title()->GetSortMarker(), smNoneEx);

    // Its first pixel row is the column's.
    Press({x, top});
    EXPECT_EQ(Grid->PressedTitleColumn(), 2);
    EXPECT_TRUE(Grid->TitleButtonPressed());
    Release({x, top});
    EXPECT_EQ(name->Title()->GetSortMarker(), smDownEx);
    EXPECT_EQ(std::count(G().Events.begin(), G().Events.end(), "button 1"), 1);
}

TEST_F(GridMouse, AQuickDragSelectsUpToTheRecordUnderThePointer)
{
    Records(10);
    MultiSelect({gstRecordBookmarks, gstRectangle});
    ShowGrid({"ID", "NAME", "AMOUNT"});
    // One move over four rows, as a quick hand gives it, and the release there.
    Press(Center(1, DataRow(1)));
    Move(Center(2, DataRow(5)));
    Release(Center(2, DataRow(5)));
    ASSERT_EQ(Grid->Selection().SelectionType(), gstRectangle);
    EXPECT_EQ(Data.RecNoOfBookmark(Grid->Selection().Rect().BottomRow()), 6);
    EXPECT_EQ(RecNo(), 6);

    // The same over the indicator selects the records.
    Press(Center(0, DataRow(6)));
    Move(Center(0, DataRow(2)));
    Release(Center(0, DataRow(2)));
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{3, 4, 5, 6, 7}));
}

// The selection dragged away; on a real window system the drag's loop runs until the Esc
// that the start sends.
class SelectionDrag : public GridMouse {
protected:
    void SetUp() override
    {
        GridMouse::SetUp();
        Grid->OnStartDrag = ui::TStartDragEvent::FromFunction([this](rtl::TObject*, ui::TDragObject& dragged) {
            Dragged.push_back(dragged.Text());
            QTimer::singleShot(0, Grid.get(), [this] {
                if (Grid->Dragging()) QTest::keyClick(Grid.get(), Qt::Key_Escape);
            });
        });
    }
    // Records 2 to 4 selected by their indicator, the fourth current.
    void SelectTwoToFour()
    {
        Click(0, DataRow(1));
        Click(0, DataRow(3), Qt::ShiftModifier);
        ASSERT_EQ(SelectedRecNos(), (std::vector<int>{2, 3, 4}));
    }
    std::vector<std::string> Dragged;
};

TEST_F(SelectionDrag, APressOnTheSelectionDragsItOnceThePointerMoves)
{
    Records(10);
    MultiSelect({gstRecordBookmarks});
    Grid->SetDragMode(ui::dmAutomatic);
    ShowGrid({"ID", "NAME"});
    SelectTwoToFour();
    const ui::TPoint on = Center(2, DataRow(2));
    Press(on);
    EXPECT_TRUE(Grid->SelectionDragPending());
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2, 3, 4})) << "the press keeps the selection";
    Move({on.X + 2, on.Y + 2});
    EXPECT_TRUE(Dragged.empty());
    Move({on.X, on.Y + 12});
    ASSERT_EQ(Dragged.size(), 1u);
    EXPECT_FALSE(Grid->SelectionDragPending());
    const std::string& text = Dragged[0];
    for (const char* name : {"Row 2", "Row 3", "Row 4"}) EXPECT_NE(text.find(name), std::string::npos) << text;
    EXPECT_EQ(text.find("Row 5"), std::string::npos) << text;
    Release({on.X, on.Y + 12});
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(RecNo(), 3);
    EXPECT_TRUE(G().Events.empty()) << "a drag is no click";
}

TEST_F(SelectionDrag, APressOnTheSelectionReleasedInPlaceIsAClick)
{
    Records(10);
    MultiSelect({gstRecordBookmarks});
    Grid->SetDragMode(ui::dmAutomatic);
    ShowGrid({"ID", "NAME"});
    SelectTwoToFour();
    Click(2, DataRow(2));
    EXPECT_FALSE(Grid->SelectionDragPending());
    EXPECT_TRUE(Dragged.empty());
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(G().Events, (std::vector<std::string>{"cell NAME"}));

    // With rows selected whole, Ctrl takes the clicked row out of the selection.
    Grid->SetOptions(Grid->GetOptions().Include(dgRowSelect));
    SelectTwoToFour();
    Click(2, DataRow(2), Qt::ControlModifier);
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{2, 4}));
    EXPECT_TRUE(Dragged.empty());

    // A press beside the selection selects as always.
    Click(2, DataRow(6));
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{7}));
    EXPECT_FALSE(Grid->SelectionDragPending());
}

TEST_F(SelectionDrag, OnlyAnAutomaticGridDragsAndWithoutMultiSelectAnyPressDoes)
{
    Records(10);
    MultiSelect({gstRecordBookmarks});
    ShowGrid({"ID", "NAME"});
    SelectTwoToFour();
    // Manual: the press on the selection is a plain press that selects its record.
    const ui::TPoint on = Center(2, DataRow(2));
    Press(on);
    EXPECT_FALSE(Grid->SelectionDragPending());
    Move({on.X, on.Y + 12});
    Release({on.X, on.Y + 12});
    EXPECT_TRUE(Dragged.empty());
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{3, 4}));

    // Automatic without several selectable records: every press waits to drag the grid.
    Grid->SetOptions(Grid->GetOptions().Exclude(dgMultiSelect));
    Grid->SetDragMode(ui::dmAutomatic);
    Press(Center(2, DataRow(6)));
    EXPECT_EQ(RecNo(), 4) << "the press waits";
    Move(Center(2, DataRow(8)));
    ASSERT_EQ(Dragged.size(), 1u);
    EXPECT_EQ(Dragged[0], "") << "nothing selected, nothing carried";
    Release(Center(2, DataRow(8)));
    EXPECT_EQ(RecNo(), 4);
    // Released in place, the held press moves as a press does.
    Click(2, DataRow(6));
    EXPECT_EQ(RecNo(), 7);
    EXPECT_EQ(Dragged.size(), 1u);
}

} // namespace
