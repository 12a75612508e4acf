// The base grid's keys and mouse: moving the current cell, the selection box, column
// moving, column and row sizing, and timed scrolling while a selection is dragged.
#include "GridTestSupport.h"

#include <cstdlib>

#include "platform/rtl/SysUtils.h"

using namespace ui;
using uitest::GridTest;

namespace {

// Ten columns of 30 (column 3 and the last hidden), thirty rows of 10, in 200 x 100:
// five columns and eight rows of the scrolling part are on screen.
class GridKeysTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Matrix(10, 30, 30, 10);
        grid->SetColWidths(3, -1);
        grid->SetColWidths(9, -1);
    }
    void ExpectCell(int col, int row)
    {
        EXPECT_EQ(grid->Col(), col);
        EXPECT_EQ(grid->Row(), row);
    }
};

} // namespace

TEST_F(GridKeysTest, ArrowsHomeAndEndSkipHiddenColumns)
{
    ExpectCell(1, 1);
    grid->Key(VK_RIGHT);
    ExpectCell(2, 1);
    grid->Key(VK_RIGHT);
    ExpectCell(4, 1);
    grid->Key(VK_LEFT);
    ExpectCell(2, 1);
    grid->Key(VK_END);
    ExpectCell(8, 1);
    EXPECT_EQ(grid->LeftCol(), 3); // column 8 brought into view (hidden 3 leads, taking no room)
    grid->Key(VK_HOME);
    ExpectCell(1, 1);
    EXPECT_EQ(grid->LeftCol(), 1);
    grid->Key(VK_DOWN);
    ExpectCell(1, 2);
    grid->Key(VK_UP);
    grid->Key(VK_UP);
    ExpectCell(1, 1);
    grid->Key(VK_LEFT);
    ExpectCell(1, 1);
}

TEST_F(GridKeysTest, PagesMoveTheCellAndTheViewTogether)
{
    ASSERT_EQ(grid->VisibleRowCount(), 8);
    grid->Key(VK_NEXT);
    ExpectCell(1, 9);
    EXPECT_EQ(grid->TopRow(), 9);
    grid->Key(VK_NEXT);
    ExpectCell(1, 17);
    EXPECT_EQ(grid->TopRow(), 17);
    grid->Key(VK_PRIOR);
    ExpectCell(1, 9);
    EXPECT_EQ(grid->TopRow(), 9);
    // At the end the view stops at its largest TopRow, the cell at the last row.
    grid->Key(VK_NEXT);
    grid->Key(VK_NEXT);
    grid->Key(VK_NEXT);
    ExpectCell(1, 29);
    EXPECT_EQ(grid->TopRow(), 22);
    // Ctrl: the grid's corners, and the first and last rows on screen.
    grid->Key(VK_HOME, ssCtrl);
    ExpectCell(1, 1);
    EXPECT_EQ(grid->TopRow(), 1);
    grid->Key(VK_NEXT, ssCtrl);
    ExpectCell(1, 8);
    grid->Key(VK_END, ssCtrl);
    ExpectCell(8, 29);
    EXPECT_EQ(grid->TopRow(), 22);
    grid->Key(VK_PRIOR, ssCtrl);
    ExpectCell(8, 22);
    // Ctrl+Up scrolls the view and leaves the cell.
    grid->Key(VK_UP, ssCtrl);
    EXPECT_EQ(grid->TopRow(), 21);
    ExpectCell(8, 22);
}

TEST_F(GridKeysTest, TabFollowsTabStopsAcrossRows)
{
    grid->Key(VK_TAB);
    ExpectCell(1, 1); // without goTabs Tab is not the grid's
    grid->SetOptions(grid->Options() | goTabs);
    grid->SetTabStops(2, false);
    grid->Key(VK_TAB);
    ExpectCell(4, 1);
    grid->Key(VK_TAB, ssShift);
    ExpectCell(1, 1);
    grid->MoveColRow(8, 1, true, true);
    grid->Key(VK_TAB);
    ExpectCell(1, 2);
    grid->Key(VK_TAB, ssShift);
    ExpectCell(8, 1);
    // Tab on the very last cell stays there.
    grid->MoveColRow(8, 29, true, true);
    grid->Key(VK_TAB);
    ExpectCell(8, 29);
}

TEST_F(GridKeysTest, ShiftExtendsTheSelectionOnlyWithRangeSelect)
{
    grid->Key(VK_DOWN, ssShift);
    grid->Key(VK_DOWN, ssShift);
    grid->Key(VK_RIGHT, ssShift);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 3}));
    grid->Key(VK_DOWN);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 4, 2, 4}));
    // MoveColRow keeps the anchor when asked; row select spans the scrolling columns.
    grid->MoveColRow(4, 6, false, true);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 4, 4, 6}));
    grid->SetOptions(grid->Options() | goRowSelect);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 4, 9, 6}));

    grid->SetOptions(goVertLine | goHorzLine);
    grid->MoveColRow(2, 2, true, true);
    grid->Key(VK_DOWN, ssShift);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 3}));
    grid->MoveColRow(4, 5, false, true);
    EXPECT_EQ(grid->Selection(), (TGridRect{4, 5, 4, 5}));
}

TEST_F(GridKeysTest, ClicksAndTheWheelMoveTheCurrentCell)
{
    int clicks = 0;
    grid->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++clicks; });
    const TPoint p = grid->Center(4, 3);
    grid->ClickAt(p.X, p.Y);
    ExpectCell(4, 3);
    EXPECT_EQ(clicks, 1);
    grid->Key(VK_DOWN);
    EXPECT_EQ(clicks, 2);
    grid->Key(VK_UP);
    const TPoint q = grid->Center(5, 5);
    grid->ClickAt(q.X, q.Y, ssShift);
    ExpectCell(5, 5);
    EXPECT_EQ(grid->Selection(), (TGridRect{4, 3, 5, 5}));
    // Fixed cells are not selected by a click.
    grid->ClickAt(5, 5);
    ExpectCell(5, 5);
    EXPECT_TRUE(grid->DoMouseWheelDown(0, {0, 0}));
    ExpectCell(5, 6);
}

TEST_F(GridKeysTest, DraggingBeyondTheCellsScrollsOnTimerTicks)
{
    const TPoint p = grid->Center(2, 3);
    grid->MouseDown(mbLeft, 0, p.X, p.Y);
    EXPECT_EQ(grid->GridState(), gsSelecting);
    grid->MouseMove(ssLeft, p.X, 150);
    grid->TimerTick(uitest::TTextGrid::ScrollTimerId);
    EXPECT_EQ(grid->TopRow(), 2);
    ExpectCell(2, 9); // the last row on screen
    grid->TimerTick(uitest::TTextGrid::ScrollTimerId);
    EXPECT_EQ(grid->TopRow(), 3);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 10}));
    // Back inside the cells the ticks do nothing.
    grid->MouseMove(ssLeft, p.X, 50);
    const int top = grid->TopRow();
    grid->TimerTick(uitest::TTextGrid::ScrollTimerId);
    EXPECT_EQ(grid->TopRow(), top);
    grid->MouseUp(mbLeft, 0, p.X, 50);
    EXPECT_EQ(grid->GridState(), gsNormal);
}

namespace {

// Six columns of 30 (column 2 is 25), five rows of 10, one fixed row and column.
class GridDragTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Matrix(6, 5, 30, 10);
        grid->SetColWidths(2, 25);
        grid->SetOptions(grid->Options() | goColMoving | goColSizing | goRowSizing);
        grid->colWidthChanges = 0;
        grid->rowHeightChanges = 0;
    }
    void Drag(TPoint from, TPoint to, TShiftState shift = 0)
    {
        grid->MouseDown(mbLeft, shift, from.X, from.Y);
        grid->MouseMove(ssLeft, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
        grid->MouseMove(ssLeft, to.X, to.Y);
        grid->MouseUp(mbLeft, shift, to.X, to.Y);
    }
};

} // namespace

TEST_F(GridDragTest, ColumnDragEndsInColumnMoved)
{
    grid->MoveColRow(2, 1, true, true);
    grid->SetTabStops(2, false);
    Drag(grid->Center(2, 0), grid->Center(4, 0));
    ASSERT_EQ(grid->moves.size(), 1u);
    EXPECT_EQ(grid->moves[0], std::make_pair(2, 4));
    // The width and tab stop travel with the column, and so does the current cell.
    EXPECT_EQ(grid->ColWidths(4), 25);
    EXPECT_EQ(grid->ColWidths(2), 30);
    EXPECT_FALSE(grid->TabStops(4));
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->GridState(), gsNormal);

    // Back to the left, beyond the fixed column: it lands on the first scrolling column.
    Drag(grid->Center(4, 0), {3, 5});
    ASSERT_EQ(grid->moves.size(), 2u);
    EXPECT_EQ(grid->moves[1], std::make_pair(4, 1));
    // A drag that ends where it began moves nothing; data cells do not start a move.
    Drag(grid->Center(3, 0), grid->Center(3, 0));
    Drag(grid->Center(3, 2), grid->Center(5, 2));
    EXPECT_EQ(grid->moves.size(), 2u);
    // Esc drops a move in progress.
    grid->MouseDown(mbLeft, 0, grid->Center(3, 0).X, 5);
    grid->MouseMove(ssLeft, grid->Center(5, 0).X, 5);
    grid->Key(VK_ESCAPE);
    grid->MouseUp(mbLeft, 0, grid->Center(5, 0).X, 5);
    EXPECT_EQ(grid->moves.size(), 2u);
}

TEST_F(GridDragTest, SizingAColumnReportsColWidthsChanged)
{
    const int line = grid->CellRect(1, 0).Right; // 61: the first pixel of the line
    ASSERT_EQ(line, 61);
    Drag({line, 5}, {line + 15, 5});
    EXPECT_EQ(grid->ColWidths(1), 45);
    EXPECT_EQ(grid->colWidthChanges, 1);
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->SizingLinePos(), -1);

    // The zone is 7 pixels centred on the line, and only in the fixed rows.
    const int edge = grid->CellRect(1, 0).Right;
    TGridDrawInfo info;
    grid->CalcDrawInfo(info);
    TGridState state;
    int index, pos, ofs;
    grid->CalcSizingState(edge - 3, 5, info, state, index, pos, ofs);
    EXPECT_EQ(state, gsColSizing);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(pos, edge);
    EXPECT_EQ(ofs, 3);
    grid->CalcSizingState(edge + 3, 5, info, state, index, pos, ofs);
    EXPECT_EQ(state, gsColSizing);
    grid->CalcSizingState(edge - 4, 5, info, state, index, pos, ofs);
    EXPECT_EQ(state, gsNormal);
    grid->CalcSizingState(edge, 25, info, state, index, pos, ofs);
    EXPECT_EQ(state, gsNormal);

    // The line follows the mouse with the offset of the press; Esc cancels.
    grid->MouseDown(mbLeft, 0, edge - 2, 5);
    grid->MouseMove(ssLeft, edge + 20, 5);
    EXPECT_EQ(grid->SizingLinePos(), edge + 22);
    grid->Key(VK_ESCAPE);
    grid->MouseUp(mbLeft, 0, edge + 20, 5);
    EXPECT_EQ(grid->ColWidths(1), 45);
    // A width of one pixel or less is not taken.
    Drag({edge, 5}, {grid->CellRect(1, 0).Left + 1, 5});
    EXPECT_EQ(grid->ColWidths(1), 45);
    EXPECT_EQ(grid->colWidthChanges, 1);
}

TEST_F(GridDragTest, SizingARowReportsRowHeightsChanged)
{
    const int line = grid->CellRect(0, 1).Bottom; // 21
    Drag({10, line}, {10, line + 10});
    EXPECT_EQ(grid->RowHeights(1), 20);
    EXPECT_EQ(grid->rowHeightChanges, 1);
    // Without goRowSizing the same drag selects instead.
    grid->SetOptions(grid->Options() & ~goRowSizing);
    grid->MouseDown(mbLeft, 0, 10, grid->CellRect(0, 1).Bottom);
    EXPECT_EQ(grid->GridState(), gsNormal);
    grid->MouseUp(mbLeft, 0, 10, 25);
    EXPECT_EQ(grid->RowHeights(1), 20);
}

namespace {

// A descendant grid that drives the base's states from its own mouse handling: a title
// dragged more than 3 pixels moves its column (without goColMoving), and a press within 3
// pixels of the client area's right edge sizes the last column.
class TTitleGrid : public uitest::TTextGrid {
public:
    using TTextGrid::TTextGrid;
    using TCustomGrid::BeginColumnMoving;
    using TCustomGrid::MovingIndex;
    using TCustomGrid::SizingIndex;
    using TCustomGrid::SizingOffset;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override
    {
        const TGridCoord cell = MouseCoord(x, y);
        if (button == mbLeft && cell.Y == 0 && x >= ClientWidth() - 3) {
            // The last pixel is the last column's line.
            BeginSizing(gsColSizing, ColCount() - 1, ClientWidth() - 1, ClientWidth() - 1 - x);
            return;
        }
        titlePress_ = button == mbLeft && cell.Y == 0 && cell.X >= FixedCols() ? cell.X : -1;
        pressX_ = x;
        TTextGrid::MouseDown(button, shift, x, y);
    }
    void MouseMove(TShiftState shift, int x, int y) override
    {
        if (titlePress_ >= 0 && std::abs(x - pressX_) > 3) {
            BeginColumnMoving(titlePress_);
            titlePress_ = -1;
        }
        TTextGrid::MouseMove(shift, x, y);
    }

private:
    int titlePress_ = -1;
    int pressX_ = 0;
};

// A descendant grid's own in-place edit: it reaches the grid's hooks through its base.
class TUpperEdit : public TInplaceEdit {
public:
    using TInplaceEdit::TInplaceEdit;
    bool locked = false;
    void UpdateContents() override
    {
        TInplaceEdit::UpdateContents();
        SetText(rtl::AnsiUpperCase(GridGetEditText(Grid()->Col(), Grid()->Row())));
    }

protected:
    bool EditCanModify() override { return !locked && GridCanEditModify(); }
    void KeyPress(char& key) override
    {
        if (key == '!') {
            // Copies the cell to the right into the grid's text for this cell.
            GridSetEditText(Grid()->Col(), Grid()->Row(), GridGetEditText(Grid()->Col() + 1, Grid()->Row()));
            key = 0;
            return;
        }
        TInplaceEdit::KeyPress(key);
    }
};

class TUpperGrid : public uitest::TTextGrid {
public:
    using TTextGrid::TTextGrid;

protected:
    TInplaceEdit* CreateEditor() override { return new TUpperEdit(this); }
};

} // namespace

TEST_F(GridTest, ADescendantStartsSizingAndColumnMovingFromItsOwnMouseHandling)
{
    auto* titles = UseGrid<TTitleGrid>();
    Matrix(4, 3, 50, 10);
    grid->SetBounds(0, 0, grid->GridWidth(), 40); // the columns end at the right edge
    ASSERT_FALSE(grid->Options() & goColMoving);

    grid->MouseDown(mbLeft, 0, grid->Center(1, 0).X, 5);
    grid->MouseMove(ssLeft, grid->Center(1, 0).X + 2, 5);
    EXPECT_EQ(grid->GridState(), gsNormal);
    grid->MouseMove(ssLeft, grid->Center(1, 0).X + 4, 5);
    EXPECT_EQ(grid->GridState(), gsColMoving);
    EXPECT_EQ(titles->MovingIndex(), 1);
    grid->MouseMove(ssLeft, grid->Center(3, 0).X, 5);
    grid->MouseUp(mbLeft, 0, grid->Center(3, 0).X, 5);
    EXPECT_EQ(grid->moves, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(titles->MovingIndex(), -1);

    const int right = grid->ClientWidth();
    grid->MouseDown(mbLeft, 0, right - 2, 5);
    EXPECT_EQ(grid->GridState(), gsColSizing);
    EXPECT_EQ(titles->SizingIndex(), 3);
    EXPECT_EQ(titles->SizingOffset(), 1);
    EXPECT_EQ(grid->SizingLinePos(), right - 1);
    grid->MouseMove(ssLeft, right - 22, 5);
    grid->MouseUp(mbLeft, 0, right - 22, 5);
    EXPECT_EQ(grid->ColWidths(3), 30);
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_THROW(titles->BeginColumnMoving(99), EInvalidGridOperation);
}

TEST_F(GridTest, ADescendantGridsOwnEditReachesTheGridsHooks)
{
    UseGrid<TUpperGrid>();
    Matrix(4, 4, 40, 18);
    grid->SetOptions(grid->Options() | goEditing);
    grid->Cell(1, 1) = "abc";
    grid->Cell(2, 1) = "right";
    uitest::ShowActive(form);
    grid->SetFocus();
    grid->SetEditorMode(true);
    auto* edit = dynamic_cast<TUpperEdit*>(grid->InplaceEditor());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text(), "ABC");
    QTest::keyClicks(QApplication::focusWidget(), "!");
    EXPECT_EQ(grid->Cell(1, 1), "right");
    edit->locked = true;
    QTest::keyClicks(QApplication::focusWidget(), "x");
    EXPECT_EQ(edit->Text(), "ABC");
    edit->locked = false;
    grid->modifiable = false;
    QTest::keyClicks(QApplication::focusWidget(), "x");
    EXPECT_EQ(edit->Text(), "ABC");
}
