// The paint of the grid area: which cells get raised frames, the colours of the lines by
// area, the footer band, the flat border, the frame of the current row, the mirrored
// paint, and what is painted while the grid is laid out or loaded.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridDrawFixture.h"
#include "controls/grid/DBGridExFilter.h"

namespace {

using namespace grid;
using gridtest::GridDrawTest;

// A grid whose 3-D decisions the test asks.
class T3DGrid : public gridtest::TTestGrid {
public:
    using gridtest::TTestGrid::TTestGrid;
    using TCustomDBGridEx::Is3DCell;
};

class GridPaint : public GridDrawTest {
protected:
    // Two columns of the people, shown.
    void ShowTwoColumns()
    {
        Bind();
        Grid->BeginLayout();
        AddColumn("ID");
        AddColumn("NAME");
        AddColumn("AMOUNT");
        Grid->EndLayout();
        uitest::ShowActive(Grid.get());
    }
    // The line right of a cell and the line below it, on the rendering.
    ui::TColor LineRightOf(const QImage& image, int col, int row)
    {
        const ui::TRect r = Grid->CellRect(col, row);
        return ClientPixel(image, r.Right, r.Top + r.Height() / 2);
    }
    ui::TColor LineBelow(const QImage& image, int col, int row)
    {
        const ui::TRect r = Grid->CellRect(col, row);
        return ClientPixel(image, r.Left + r.Width() / 2, r.Bottom);
    }
};

TEST_F(GridPaint, FixedLinesAreBlackDataLinesSilver)
{
    ShowTwoColumns();
    QImage image = Render();
    EXPECT_EQ(LineRightOf(image, 1, 0), ui::clBlack);  // between titles
    EXPECT_EQ(LineBelow(image, 1, 0), ui::clBlack);    // under a title
    EXPECT_EQ(LineBelow(image, 0, 1), ui::clBlack);    // in the indicator column
    EXPECT_EQ(LineRightOf(image, 1, 1), ui::clSilver); // between data cells
    EXPECT_EQ(LineBelow(image, 1, 1), ui::clSilver);

    // On a silver grid the data lines turn grey.
    Grid->SetColor(ui::clSilver);
    image = Render();
    EXPECT_EQ(LineRightOf(image, 1, 1), ui::clGray);
    EXPECT_EQ(LineRightOf(image, 1, 0), ui::clBlack);

    // The flat look greys the fixed lines.
    Grid->SetColor(ui::clWindow);
    Grid->SetFlat(true);
    image = Render();
    EXPECT_EQ(LineRightOf(image, 1, 0), ui::clGray);
    EXPECT_EQ(LineBelow(image, 0, 1), ui::clGray);
    EXPECT_EQ(LineRightOf(image, 1, 1), ui::clSilver);
}

TEST_F(GridPaint, FrozenColumnsHaveDataLinesUnlessTheyAre3D)
{
    ShowTwoColumns();
    Grid->SetFrozenCols(1);
    ASSERT_EQ(Grid->FixedCols(), 2);
    QImage image = Render();
    EXPECT_EQ(LineBelow(image, 1, 1), ui::clSilver);
    EXPECT_EQ(LineRightOf(image, 1, 1), ui::clBlack); // where the scrolled part begins
    EXPECT_EQ(LineRightOf(image, 0, 1), ui::clBlack);

    SetOptionEx(dghFrozen3D, true);
    image = Render();
    EXPECT_EQ(LineBelow(image, 1, 1), ui::clBlack);
    // A raised frame: light top and left, shadow bottom and right.
    const ui::TRect frozen = Grid->CellRect(1, 1);
    EXPECT_EQ(ClientPixel(image, frozen.Left, frozen.Top + 3), ui::clWhite);
    EXPECT_EQ(ClientPixel(image, frozen.Right - 1, frozen.Top + 3), ui::clGray);
}

TEST_F(GridPaint, TheFooterBandHasFixedLinesWhenItIs3DOrOnTheWindowColour)
{
    ShowTwoColumns();
    Grid->SetFooterRowCount(1);
    const int footer = Grid->RowCount() - 1;
    const int gap = footer - 1;
    struct TCase {
        const char* Name;
        bool Footer3D;
        ui::TColor FooterColor;
        ui::TColor Lines;
    };
    const TCase cases[] = {
        {"window colour", false, ui::clWindow, ui::clBlack},
        {"another colour", false, ui::clBtnFace, ui::clSilver},
        {"3-D", true, ui::clBtnFace, ui::clBlack},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetOptionEx(dghFooter3D, c.Footer3D);
        Grid->SetFooterColor(c.FooterColor);
        const QImage image = Render();
        EXPECT_EQ(LineRightOf(image, 1, footer), c.Lines);
        // The line along the top of the band.
        EXPECT_EQ(LineBelow(image, 1, gap), c.Lines);
        EXPECT_EQ(LineBelow(image, 1, 1), ui::clSilver);
    }
}

TEST_F(GridPaint, RaisedFramesByOption)
{
    Grid = std::make_unique<T3DGrid>();
    Grid->SetBounds(0, 0, 400, 200);
    ShowTwoColumns();
    Grid->SetFooterRowCount(2);
    Grid->SetFrozenCols(1);
    auto& grid = static_cast<T3DGrid&>(*Grid);
    // Title 0, data 1 to 3, the gap row 4, footers 5 and 6; the indicator 0, the frozen
    // column 1, the scrolled ones from 2.
    ASSERT_EQ(Grid->RowCount(), 7);
    ASSERT_EQ(Grid->FixedCols(), 2);
    struct TCell {
        int Col, Row;
    };
    const TCell cells[] = {{0, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 4}, {2, 4}, {0, 5}, {2, 5}, {1, 5}};
    struct TCase {
        TDBGridExOptions Options;
        const char* Expected; // per cell above: 1 raised, 0 not
    };
    const TCase cases[] = {
        {{dghFixed3D}, "1110000100"},
        {{dghFixed3D, dghFrozen3D}, "1111010101"},
        {{dghFooter3D}, "0000000111"},
        {{dghData3D}, "0000101000"},
        {{dghFixed3D, dghData3D}, "1110111100"},
        {{}, "0000000000"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Expected);
        Grid->SetOptionsEx(c.Options);
        std::string got;
        for (const TCell& cell : cells) {
            const bool fixed = cell.Col < Grid->FixedCols() || cell.Row < Grid->FixedRows();
            got += grid.Is3DCell(cell.Col, cell.Row, fixed ? ui::TGridDrawState{ui::gdFixed} : 0u) ? '1' : '0';
        }
        EXPECT_EQ(got, c.Expected);
    }

    // A shown filter cell is never raised.
    Grid->SetOptionsEx({dghFixed3D});
    Grid->Columns().Items(2)->STFilter()->SetVisible(false);
    Grid->STFilter().SetVisible(true);
    ASSERT_EQ(Grid->TitleOffset(), 2);
    EXPECT_FALSE(grid.Is3DCell(2, 1, ui::gdFixed));
    EXPECT_TRUE(grid.Is3DCell(3, 1, ui::gdFixed)); // its filter settings are hidden
}

TEST_F(GridPaint, TheFlatLookHasAOnePixelSunkenBorder)
{
    ShowTwoColumns();
    EXPECT_EQ(Grid->ClientOffset(), (ui::TPoint{2, 2}));
    Grid->SetFlat(true);
    EXPECT_EQ(Grid->ClientOffset(), (ui::TPoint{1, 1}));
    const QImage image = Render();
    EXPECT_EQ(uitest::PixelAt(image, 0, 0), ui::clGray);
    EXPECT_EQ(uitest::PixelAt(image, image.width() - 1, image.height() - 1), ui::clWhite);
    // The client area starts right inside it: the corner cell's fill.
    EXPECT_EQ(uitest::PixelAt(image, 1, 1), ui::clWhite);

    // Without 3-D controls only the lines and the margins change.
    Grid->SetCtl3D(false);
    EXPECT_EQ(Grid->ClientOffset(), (ui::TPoint{1, 1}));
    EXPECT_EQ(uitest::PixelAt(Render(), 0, 0), ui::clBlack);
    Grid->SetBorderStyle(ui::bsNone);
    Grid->SetCtl3D(true);
    EXPECT_EQ(Grid->ClientOffset(), (ui::TPoint{0, 0}));
}

TEST_F(GridPaint, NothingIsPaintedWhileTheLayoutLockIsHeld)
{
    ShowTwoColumns();
    int drawn = 0;
    Grid->OnDrawColumnCell = grid::TDrawColumnExCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect&, int, TColumnEx*, ui::TGridDrawState) { ++drawn; });
    Grid->BeginLayout();
    Render();
    EXPECT_EQ(drawn, 0);
    Grid->EndLayout();
    Render();
    EXPECT_EQ(drawn, 9); // three columns of three records
}

TEST_F(GridPaint, ALoadingGridShowsOnlyItsColour)
{
    ShowTwoColumns();
    Grid->BeginLoading();
    const QImage image = Render();
    Grid->EndLoading();
    for (const ui::TGridCoord cell : {ui::TGridCoord{1, 0}, ui::TGridCoord{0, 1}, ui::TGridCoord{2, 1}}) {
        const QImage cellImage = CellImage(image, cell.X, cell.Y);
        EXPECT_EQ(gridtest::CountColor(cellImage, ui::clWindow), cellImage.width() * cellImage.height());
    }
}

TEST_F(GridPaint, ACellThatCannotBeDrawnStaysEmpty)
{
    ShowTwoColumns();
    Grid->OnDrawColumnCell = grid::TDrawColumnExCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect&, int dataCol, TColumnEx*, ui::TGridDrawState) {
            if (dataCol == 1 && Data.FieldByName("ID")->GetAsInteger() == 2) throw rtl::Exception("no such field");
        });
    const QImage image = Render();
    const QImage failed = CellImage(image, 2, 2);
    EXPECT_EQ(gridtest::CountColor(failed, ui::clWindow), failed.width() * failed.height());
    // Its neighbours are drawn as usual, and nothing reaches the user.
    EXPECT_LT(gridtest::CountColor(CellImage(image, 2, 3), ui::clWindow), failed.width() * failed.height());
    EXPECT_TRUE(Exceptions.empty());
}

TEST_F(GridPaint, TheCurrentRowIsFramedInAFocusedRowSelectGrid)
{
    ShowTwoColumns();
    SetOption(dgRowSelect, true);
    Grid->SetFocus();
    ASSERT_TRUE(Grid->GridFocused());
    const auto [framed, plain] = RenderFramedAndPlain();
    // The two differ only on the border of the row's box, the frozen columns included.
    const ui::TRect box = Grid->BoxRect(Grid->IndicatorOffset(), Grid->Row(), Grid->ColCount() - 1, Grid->Row());
    const TDifferences differences = DifferencesAround(framed, plain, box);
    EXPECT_GT(differences.OnBorder, box.Width());
    EXPECT_EQ(differences.Elsewhere, 0);
}

TEST_F(GridPaint, ARightToLeftGridIsMirrored)
{
    ShowTwoColumns();
    const QImage plain = Render();
    Grid->setLayoutDirection(Qt::RightToLeft);
    const QImage mirrored = Render();
    // The indicator column with its arrow stands at the right.
    const ui::TRect indicator = Grid->CellRect(0, 1);
    const int width = Grid->ClientWidth();
    const ui::TPoint offset = Grid->ClientOffset();
    const QImage left = plain.copy(indicator.Left + offset.X, indicator.Top + offset.Y, indicator.Width(),
                                   indicator.Height());
    const QImage right = mirrored.copy(width - indicator.Right + offset.X, indicator.Top + offset.Y,
                                       indicator.Width(), indicator.Height());
    EXPECT_GT(gridtest::CountColor(left, ui::clBlack), 0);
    EXPECT_EQ(right, left.mirrored(true, false));
    // The lines follow: the line right of the first title is left of it now.
    const ui::TRect title = Grid->CellRect(1, 0);
    EXPECT_EQ(uitest::PixelAt(mirrored, width - title.Right - 1 + offset.X, title.Top + 3 + offset.Y), ui::clBlack);
}

} // namespace
