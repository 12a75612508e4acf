// The base grid: cell geometry, the scrolling range, the scroll bars and painting.
#include "GridTestSupport.h"

#include <limits>

#include <QScrollBar>

using namespace ui;
using uitest::GridTest;

namespace {

// Columns 20, 30, hidden, 0 and 40 wide, rows 10 high, one line between cells.
class GeometryTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Matrix(5, 6, 10, 10);
        grid->SetColWidths(0, 20);
        grid->SetColWidths(1, 30);
        grid->SetColWidths(2, -1);
        grid->SetColWidths(3, 0);
        grid->SetColWidths(4, 40);
    }
};

} // namespace

TEST_F(GeometryTest, CellRectsSkipHiddenColumnsAndLines)
{
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 20, 10));
    EXPECT_EQ(grid->CellRect(1, 1), Rect(21, 11, 51, 21));
    // A hidden column takes no room, not even its line; width 0 keeps only the line.
    EXPECT_TRUE(grid->CellRect(2, 1).IsEmpty());
    EXPECT_TRUE(grid->CellRect(3, 1).IsEmpty());
    EXPECT_EQ(grid->CellRect(4, 1), Rect(53, 11, 93, 21));
    EXPECT_EQ(grid->BoxRect(4, 2, 1, 1), Rect(21, 11, 93, 32));
    EXPECT_EQ(grid->GridWidth(), 21 + 31 + 0 + 1 + 41);
    EXPECT_EQ(grid->GridHeight(), 6 * 11);

    // Lines off on both axes: cells touch.
    grid->SetOptions(0);
    EXPECT_EQ(grid->CellRect(4, 1), Rect(50, 10, 90, 20));
    EXPECT_EQ(grid->GridWidth(), 90);
}

TEST_F(GeometryTest, MouseCoordAtCellBorders)
{
    EXPECT_EQ(grid->MouseCoord(0, 0), (TGridCoord{0, 0}));
    EXPECT_EQ(grid->MouseCoord(19, 9), (TGridCoord{0, 0}));
    // The line after a cell belongs to that cell.
    EXPECT_EQ(grid->MouseCoord(20, 10), (TGridCoord{0, 0}));
    EXPECT_EQ(grid->MouseCoord(21, 11), (TGridCoord{1, 1}));
    EXPECT_EQ(grid->MouseCoord(50, 21), (TGridCoord{1, 1}));
    EXPECT_EQ(grid->MouseCoord(51, 22), (TGridCoord{1, 2}));
    // The hidden column is never hit; the 0-wide one is its line alone.
    EXPECT_EQ(grid->MouseCoord(52, 30).X, 3);
    EXPECT_EQ(grid->MouseCoord(53, 30).X, 4);
    EXPECT_EQ(grid->MouseCoord(93, 30).X, 4);
    // Beyond the cells and outside the client area.
    EXPECT_EQ(grid->MouseCoord(94, 30), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid->MouseCoord(30, 66), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid->MouseCoord(-1, 5), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid->MouseCoord(30, 100), (TGridCoord{-1, -1}));
}

TEST_F(GridTest, SizesAtTheIntegerLimitsAreCappedAndTheAxisSumsDoNotWrap)
{
    // 300 fixed and 300 scrolling columns, each asked to be INT_MAX wide: every sum along
    // the axis passes the int range many times over.
    Matrix(600, 3, 10, 10);
    grid->SetFixedCols(300);
    for (int col = 0; col < 600; ++col) grid->SetColWidths(col, std::numeric_limits<int>::max());
    EXPECT_EQ(grid->ColWidths(0), MaxCellSize);
    grid->SetDefaultRowHeight(std::numeric_limits<int>::max());
    EXPECT_EQ(grid->DefaultRowHeight(), MaxCellSize);
    grid->SetDefaultRowHeight(10);
    EXPECT_EQ(grid->GridWidth(), std::numeric_limits<int>::max());
    EXPECT_EQ(grid->GridHeight(), 3 * 11);
    // The first fixed column fills the client area; nothing else is on screen.
    EXPECT_EQ(grid->MouseCoord(10, 5), (TGridCoord{0, 0}));
    EXPECT_EQ(grid->MouseCoord(199, 25), (TGridCoord{0, 2}));
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 200, 10));
    EXPECT_TRUE(grid->CellRect(299, 0).IsEmpty());
    EXPECT_TRUE(grid->CellRect(599, 0).IsEmpty());
    EXPECT_EQ(grid->VisibleColCount(), 1);
    EXPECT_EQ(grid->MaxTopLeft().X, 599);
    grid->SetLeftCol(450);
    EXPECT_EQ(grid->LeftCol(), 450);
    grid->SetGridLineWidth(std::numeric_limits<int>::max());
    EXPECT_EQ(grid->GridLineWidth(), MaxCellSize);
    EXPECT_EQ(grid->GridWidth(), std::numeric_limits<int>::max());
    grid->repaint();
}

TEST_F(GridTest, FixedCellsStayWhileTheRestScrolls)
{
    Matrix(12, 20, 30, 10);
    grid->SetFixedCols(2);
    grid->SetFixedRows(1);
    grid->SetLeftCol(5);
    grid->SetTopRow(4);
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 30, 10));
    EXPECT_EQ(grid->CellRect(1, 7), Rect(31, 44, 61, 54));
    // The first scrolling cell on screen starts right after the fixed ones.
    EXPECT_EQ(grid->CellRect(5, 4), Rect(62, 11, 92, 21));
    EXPECT_EQ(grid->MouseCoord(70, 15), (TGridCoord{5, 4}));
    EXPECT_EQ(grid->MouseCoord(10, 15), (TGridCoord{0, 4}));
    // Scrolled away under the fixed cells: not on screen.
    EXPECT_TRUE(grid->CellRect(3, 4).IsEmpty());
    EXPECT_TRUE(grid->CellRect(5, 2).IsEmpty());
    // A box from a fixed cell into the scrolled part covers both.
    EXPECT_EQ(grid->BoxRect(0, 0, 5, 4), Rect(0, 0, 92, 21));
    // The last cell on screen is cut at the client edge: 62 + 31 * 4 = 186, then 14 pixels of column 9.
    EXPECT_EQ(grid->CellRect(9, 4), Rect(186, 11, 200, 21));
    EXPECT_TRUE(grid->CellRect(10, 4).IsEmpty());
    EXPECT_EQ(grid->VisibleColCount(), 4);
    EXPECT_EQ(grid->VisibleRowCount(), 8);
}

TEST_F(GridTest, ScrollingKeepsLeftColAndTopRowInRange)
{
    Matrix(12, 20, 30, 10);
    // 89 pixels under the fixed row hold 8 rows of 11: the view can start at row 12 at most.
    grid->SetTopRow(50);
    EXPECT_EQ(grid->TopRow(), 12);
    grid->SetTopRow(-3);
    EXPECT_EQ(grid->TopRow(), 1);
    // 169 pixels right of the fixed column hold 5 columns of 31.
    grid->SetLeftCol(11);
    EXPECT_EQ(grid->LeftCol(), 7);
    EXPECT_EQ(grid->MaxTopLeft(), (TGridCoord{7, 12}));

    // Fewer rows or a taller window pull the view back.
    grid->SetTopRow(12);
    grid->SetRowCount(15);
    EXPECT_EQ(grid->TopRow(), 7);
    grid->SetHeight(200);
    EXPECT_EQ(grid->TopRow(), 1);
    // A column that grows past the window still leads the view when it is the last.
    grid->SetColWidths(11, 500);
    grid->SetLeftCol(20);
    EXPECT_EQ(grid->LeftCol(), 11);
    // Moving the current cell brings it into view, and only as far as needed.
    grid->SetColWidths(11, 30);
    grid->SetLeftCol(1);
    grid->MoveColRow(9, 1, true, true);
    EXPECT_EQ(grid->LeftCol(), 5);
    grid->MoveColRow(2, 1, true, true);
    EXPECT_EQ(grid->LeftCol(), 2);
    // Counts below one and fixed counts beyond the grid are refused or raised.
    grid->SetColCount(0);
    EXPECT_EQ(grid->ColCount(), 1);
    EXPECT_EQ(grid->FixedCols(), 1);
    EXPECT_THROW(grid->SetFixedRows(16), EInvalidGridOperation);
    EXPECT_THROW(grid->MoveColRow(0, 99, true, true), EInvalidGridOperation);
    EXPECT_THROW(grid->ColWidths(5), EInvalidGridOperation);
}

TEST_F(GridTest, ScrollBarsFollowTopRowWithPageSemantics)
{
    grid->SetScrollBars(ssBoth);
    Matrix(4, 20, 30, 10);
    // Rows overflow: only the vertical bar shows and takes its width from the client area.
    ASSERT_TRUE(grid->ScrollBarShown(sbVertical));
    EXPECT_FALSE(grid->ScrollBarShown(sbHorizontal));
    EXPECT_EQ(grid->ClientWidth(), 200 - Metrics().VScrollWidth);
    TScrollBar* bar = grid->ScrollBarControl(sbVertical);
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 18);
    EXPECT_EQ(bar->PageSize(), 8);
    // The largest position the bar reaches is the largest TopRow less the fixed row.
    EXPECT_EQ(bar->MaxPosition(), grid->MaxTopLeft().Y - 1);

    grid->SetTopRow(5);
    EXPECT_EQ(bar->Position(), 4);
    // The user pages down on the bar: the view moves a page and the bar follows it.
    bar->Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid->TopRow(), 12);
    EXPECT_EQ(bar->Position(), 11);
    bar->Bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(grid->TopRow(), 11);
    bar->Bar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(grid->TopRow(), 1);

    // Dragging the thumb moves the view only with thumb tracking.
    int pos = 6;
    grid->ScrollMessage(sbVertical, scTrack, pos);
    EXPECT_EQ(grid->TopRow(), 1);
    grid->ScrollMessage(sbVertical, scPosition, pos);
    EXPECT_EQ(grid->TopRow(), 7);
    grid->SetOptions(grid->Options() | goThumbTracking);
    pos = 2;
    grid->ScrollMessage(sbVertical, scTrack, pos);
    EXPECT_EQ(grid->TopRow(), 3);
    pos = 0;
    grid->ScrollMessage(sbVertical, scBottom, pos);
    EXPECT_EQ(grid->TopRow(), 12);
    EXPECT_EQ(pos, 11);

    // Everything fits: the bar goes and gives its room back.
    grid->SetRowCount(5);
    EXPECT_FALSE(grid->ScrollBarShown(sbVertical));
    EXPECT_EQ(grid->ClientWidth(), 200);
    EXPECT_EQ(grid->TopRow(), 1);
    // Wide columns call for the horizontal bar, whose height narrows the rows' room.
    Matrix(10, 8, 40, 10);
    EXPECT_TRUE(grid->ScrollBarShown(sbHorizontal));
    EXPECT_EQ(grid->ClientHeight(), 100 - Metrics().HScrollHeight);
    EXPECT_TRUE(grid->ScrollBarShown(sbVertical));
}

TEST_F(GridTest, AScrollBarIsRepaintedOnlyWhenItsValuesChange)
{
    grid->SetScrollBars(ssBoth);
    Matrix(10, 40, 40, 10);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    ASSERT_TRUE(grid->ScrollBarShown(sbVertical));
    ASSERT_TRUE(grid->ScrollBarShown(sbHorizontal));
    uitest::TPaintCounter gridPaints(grid), vertPaints(grid->ScrollBarControl(sbVertical)->Bar()),
        horzPaints(grid->ScrollBarControl(sbHorizontal)->Bar());
    QApplication::processEvents();
    const auto reset = [&] {
        for (uitest::TPaintCounter* c : {&gridPaints, &vertPaints, &horzPaints}) c->Reset();
    };

    // The grid painted again, its range and position the same: the bars stay as they are.
    reset();
    grid->SetOptions(grid->Options() | goDrawFocusSelected);
    grid->InvalidateGrid();
    QApplication::processEvents();
    EXPECT_GE(gridPaints.Count, 1);
    EXPECT_EQ(vertPaints.Count, 0);
    EXPECT_EQ(horzPaints.Count, 0);
    EXPECT_FALSE(gridPaints.Painted.intersects(grid->ScrollBarControl(sbVertical)->geometry()));

    // Rows scrolled: the vertical bar moves and is painted, the horizontal one is not.
    reset();
    grid->SetTopRow(9);
    QApplication::processEvents();
    EXPECT_EQ(grid->ScrollBarControl(sbVertical)->Position(), 8);
    EXPECT_GE(vertPaints.Count, 1);
    EXPECT_EQ(horzPaints.Count, 0);
    EXPECT_GE(gridPaints.Count, 1);

    // Columns scrolled: the other way round.
    reset();
    grid->SetLeftCol(3);
    QApplication::processEvents();
    EXPECT_EQ(vertPaints.Count, 0);
    EXPECT_GE(horzPaints.Count, 1);
}

TEST_F(GridTest, PaintDrawsEachVisibleCellOnceWithItsState)
{
    Matrix(6, 12, 40, 15);
    grid->SetColWidths(2, -1);
    grid->Cell(1, 1) = "abc";
    grid->SetOptions(grid->Options() | goDrawFocusSelected);
    EXPECT_FALSE(grid->HandleAllocated());
    form->Show();
    EXPECT_TRUE(grid->HandleAllocated());
    grid->MoveColRow(3, 2, true, true);
    grid->drawn.clear();
    const QImage img = uitest::Render(grid);

    // 5 columns of 41 pixels cover 200 (the last cut); 100 pixels show 7 rows (the last cut).
    std::map<std::pair<int, int>, int> seen;
    for (auto& [col, row, rect, state] : grid->drawn) {
        ++seen[{col, row}];
        EXPECT_EQ(rect, grid->CellRect(col, row));
        EXPECT_EQ((state & gdFixed) != 0, col == 0 || row == 0) << col << "," << row;
        EXPECT_EQ((state & gdSelected) != 0, col == 3 && row == 2) << col << "," << row;
    }
    EXPECT_EQ(seen.size(), 5u * 7u);
    EXPECT_EQ(seen.count({2, 1}), 0u);
    for (auto& [cell, times] : seen) EXPECT_EQ(times, 1) << cell.first << "," << cell.second;

    // Fixed lines black, data lines silver, fixed cells in FixedColor, data in Color.
    EXPECT_EQ(uitest::PixelAt(img, 40, 5), clBlack);
    EXPECT_EQ(uitest::PixelAt(img, 81, 40), clSilver);
    EXPECT_EQ(uitest::PixelAt(img, 20, 40), ColorToRGB(clBtnFace));
    EXPECT_EQ(uitest::PixelAt(img, 60, 55), ColorToRGB(clWindow));
    // The selected cell (current, the grid unfocused) is highlighted.
    const TRect sel = grid->CellRect(3, 2);
    EXPECT_EQ(uitest::PixelAt(img, sel.Right - 2, sel.Bottom - 2), ColorToRGB(clHighlight));
    // The text of a cell is drawn inside it.
    const QRect ink = uitest::InkBounds(img.copy(41, 16, 40, 15), ToQColor(clWindow).rgb());
    EXPECT_FALSE(ink.isEmpty());
    // On a silver grid the data lines turn grey.
    grid->SetColor(clSilver);
    EXPECT_EQ(uitest::PixelAt(uitest::Render(grid), 81, 40), clGray);
}
