// The mouse on a grid that reads right to left: clicks, title buttons, column moves and
// sizing land on the cell drawn under the pointer, which is the mirror of its layout.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridInputTest.h"
#include "controls/grid/DBGridExDataService.h"
#include "support/Snapshot.h"
#include "platform/ui/Timer.h"
#include "platform/ui/UiTestSupport.h"

namespace {

using namespace grid;
using gridtest::GridInputTest;

class RightToLeftMouse : public GridInputTest {
protected:
    void ShowMirrored(std::initializer_list<const char*> fields = {"ID", "NAME", "AMOUNT"})
    {
        Grid->setLayoutDirection(Qt::RightToLeft);
        ShowGrid(fields);
    }
    int DataRow(int recordIndex) const { return Grid->TitleOffset() + recordIndex; }
    // A pixel of the layout where the mirrored paint puts it on screen.
    int Screen(int x) const { return Grid->ClientWidth() - 1 - x; }
    // The middle of a cell as drawn.
    ui::TPoint Drawn(int col, int row) const
    {
        const ui::TPoint c = Center(col, row);
        return {Screen(c.X), c.Y};
    }
    // The line drawn after a title cell (its left side on screen).
    ui::TPoint DrawnTitleEdge(int col) const
    {
        const ui::TRect r = Grid->CellRect(col, 0);
        return {Screen(r.Right), r.Top + r.Height() / 2};
    }
    void ClickAt(ui::TPoint p)
    {
        Press(p);
        Release(p);
    }
};

TEST_F(RightToLeftMouse, AClickLandsOnTheCellDrawnUnderIt)
{
    Records(6);
    ShowMirrored();
    // The first data column stands beside the indicator at the right edge.
    const ui::TRect first = Grid->CellRect(1, DataRow(0));
    ASSERT_GT(Screen(first.Left), Grid->ClientWidth() / 2);
    ClickAt(Drawn(1, DataRow(2)));
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Data.GetRecNo(), 3);
    ClickAt(Drawn(3, DataRow(4)));
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_EQ(Data.GetRecNo(), 5);
    EXPECT_EQ(G().Events, (std::vector<std::string>{"cell ID", "cell AMOUNT"}));

    // A point left of the drawn cells is beyond the last column: nothing moves.
    const ui::TRect last = Grid->CellRect(3, DataRow(1));
    ClickAt({Screen(last.Right) - 5, Center(3, DataRow(1)).Y});
    EXPECT_EQ(Data.GetRecNo(), 5);
    EXPECT_EQ(G().Events.size(), 2u);

    // A click on the current cell opens the editor over it, where it is drawn.
    ClickAt(Drawn(3, DataRow(4)));
    ASSERT_TRUE(EditorShown());
    const ui::TRect cell = Grid->CellRect(3, DataRow(4));
    EXPECT_EQ(Editor()->BoundsRect().Left, Grid->ClientWidth() - cell.Right);
    testsupport::SaveSnapshot(Grid.get(), "grid", "right-to-left-editing");
}

TEST_F(RightToLeftMouse, TheBiDiModeTurnsTheGridAsQtsDirectionDoes)
{
    Records(6);
    Grid->SetBiDiMode(ui::bdRightToLeft);
    ShowGrid();
    EXPECT_TRUE(Grid->UseRightToLeftAlignment());
    ClickAt(Drawn(2, DataRow(3)));
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(Data.GetRecNo(), 4);
    Grid->SetBiDiMode(ui::bdLeftToRight);
    EXPECT_FALSE(Grid->UseRightToLeftAlignment());
}

TEST_F(RightToLeftMouse, ATitleClickSortsTheColumnDrawnThereAndADragMovesIt)
{
    Records(4);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghAutoSortMarking));
    Grid->ColumnDefValues().Title().SetTitleButton(true);
    ShowMirrored();
    DBGridExDataService().OnApplySorting =
        TDBGridExDataService::TGridEvent::FromFunction([](TCustomDBGridEx*) {});
    TColumnEx* id = Grid->Columns().Items(0);
    ClickAt(Drawn(1, 0));
    EXPECT_EQ(id->Title()->GetSortMarker(), smDownEx);
    EXPECT_EQ(Grid->Columns().Items(2)->Title()->GetSortMarker(), smNoneEx);
    EXPECT_EQ(G().Events, (std::vector<std::string>{"button 0", "sort", "title ID"}));
    DBGridExDataService().OnApplySorting = {};

    // Dragged towards the left (the layout's right), the first column goes after the third.
    G().Events.clear();
    const ui::TPoint from = Drawn(1, 0);
    Press(from);
    Move({from.X - 6, from.Y});
    EXPECT_EQ(G().MovingIndex(), 1);
    Move(Drawn(3, 0));
    Release(Drawn(3, 0));
    EXPECT_EQ(Grid->Columns().Items(2)->GetFieldName(), "ID");
    EXPECT_EQ(Grid->Columns().Items(0)->GetFieldName(), "NAME");
    EXPECT_TRUE(G().Events.empty());
}

TEST_F(RightToLeftMouse, OneClickOnTheButtonDrawnAtTheCellsLeftPressesIt)
{
    Records(6);
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    std::vector<std::string> events;
    Grid->OnEditButtonClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) {
        events.push_back("button on " + F("NAME")->GetAsString());
    });
    ShowMirrored({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetButtonStyle(cbsEllipsis);
    name->SetAlwaysShowEditButton(true);
    const ui::TRect cell = Grid->CellRect(2, DataRow(3));
    const ui::TPoint onButton{Screen(cell.Right - 4), (cell.Top + cell.Bottom) / 2};
    ClickAt(onButton);
    EXPECT_EQ(Data.GetRecNo(), 4);
    EXPECT_EQ(events, (std::vector<std::string>{"button on Row 4"}));

    // At the cell's other side the click only moves to it.
    events.clear();
    ClickAt({Screen(cell.Left + 4), Center(2, DataRow(1)).Y});
    EXPECT_EQ(Data.GetRecNo(), 2);
    EXPECT_TRUE(events.empty());
}

TEST_F(RightToLeftMouse, TheEdgeDrawnBetweenTitlesSizesItsColumnTheWayTheMouseGoes)
{
    Records(3);
    ShowMirrored({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetWidth(40);
    const ui::TPoint edge = DrawnTitleEdge(2);
    Move(edge);
    EXPECT_EQ(Grid->cursor().shape(), Qt::SplitHCursor);
    // The mirrored zone of the unmirrored layout holds no edge here.
    Move({Screen(edge.X), edge.Y});
    EXPECT_NE(Grid->cursor().shape(), Qt::SplitHCursor);

    // Drawn at the column's left side, the edge dragged further left widens it; the
    // sizing line follows the pointer.
    Press(edge);
    ASSERT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmTitleSizing);
    Move({edge.X - 25, edge.Y});
    EXPECT_EQ(name->GetWidth(), 40);
    const QImage moving = Grid->grab().toImage();
    const ui::TPoint offset = Grid->ClientOffset();
    const int below = Grid->ClientHeight() - 3;
    EXPECT_EQ(uitest::PixelAt(moving, edge.X - 25 + offset.X, below + offset.Y), ui::clBlack);
    EXPECT_NE(uitest::PixelAt(moving, Screen(edge.X - 25) + offset.X, below + offset.Y), ui::clBlack);
    testsupport::SaveSnapshot(moving, "grid", "right-to-left-column-sizing");
    Release({edge.X - 25, edge.Y});
    EXPECT_EQ(name->GetWidth(), 65);
    EXPECT_TRUE(G().Events.empty());

    // Traced, the width follows the mouse: to the right it narrows.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghTraceColSizing));
    const ui::TPoint traced = DrawnTitleEdge(2);
    Press(traced);
    Move({traced.X + 15, traced.Y});
    EXPECT_EQ(name->GetWidth(), 50);
    Release({traced.X + 15, traced.Y});
    EXPECT_EQ(name->GetWidth(), 50);
}

TEST_F(RightToLeftMouse, RowsAreSizedInTheIndicatorDrawnAtTheRight)
{
    Records(5);
    Grid->SetRowSizingAllowed(true);
    ShowMirrored({"ID", "NAME"});
    const int height = Grid->DefaultRowHeight();
    const ui::TRect row = Grid->CellRect(0, DataRow(1));
    const ui::TPoint line{Screen(row.Left + 5), row.Bottom};
    // The same line under a data cell sizes nothing.
    Move({Screen(Grid->CellRect(1, DataRow(1)).Left + 5), row.Bottom});
    EXPECT_NE(Grid->cursor().shape(), Qt::SplitVCursor);
    Move(line);
    EXPECT_EQ(Grid->cursor().shape(), Qt::SplitVCursor);
    Press(line);
    Move({line.X, line.Y + 10});
    Release({line.X, line.Y + 10});
    EXPECT_EQ(Grid->GetRowHeight(), height + 10);
}

TEST_F(RightToLeftMouse, ColumnsDraggedPastTheDrawnLeftEdgeScrollAndInsideStop)
{
    ui::TManualTimers timers;
    Records(5);
    Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
    ShowMirrored({"ID", "NAME", "AMOUNT", "FLAG", "CUST"});
    for (int i = 0; i < 5; ++i) Grid->Columns().Items(i)->SetWidth(120);
    ASSERT_EQ(Grid->LeftCol(), Grid->FixedCols());
    const ui::TRect title = Grid->CellRect(1, 0);
    const int y = title.Bottom - 2;
    Press({Screen(title.Left + 10), y});
    ASSERT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmColumns);
    ui::TGridDrawInfo info;
    Grid->CalcDrawInfo(info);
    // Inside the drawn columns nothing scrolls; the layout's side of it is no edge.
    Move({Screen(info.Horz.GridBoundary - 10), y});
    EXPECT_FALSE(Grid->TimerActive(TCustomDBGridEx::AutoScrollTimerId));
    // 8 pixels left of the columns as drawn: a column every 200 - 10 * 8 ms.
    Move({Screen(info.Horz.GridBoundary + 8), y});
    EXPECT_EQ(Grid->TimerInterval(TCustomDBGridEx::AutoScrollTimerId), 120);
    timers.Advance(120);
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols() + 1);
    Release({Screen(info.Horz.GridBoundary + 8), y});
    EXPECT_FALSE(Grid->TimerActive(TCustomDBGridEx::AutoScrollTimerId));
    EXPECT_EQ(Grid->Selection().SelectionType(), gstColumns);
}

} // namespace
