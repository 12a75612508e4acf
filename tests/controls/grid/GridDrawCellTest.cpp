// What each cell shows: the colours of selected cells, the indicator's glyphs, titles with
// sort markers, images and bands, check boxes, edit buttons, footers, the focus frame, the
// drawing events, and the data set's cursor, which the drawing never moves.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "GridDrawFixture.h"
#include "controls/grid/DBGridExFooters.h"
#include "controls/grid/DBGridExResources.h"
#include "platform/ui/Metrics.h"

namespace {

using namespace grid;
using gridtest::GridDrawTest;

// A grid whose colour decisions the test asks.
class THighlightGrid : public gridtest::TTestGrid {
public:
    using gridtest::TTestGrid::TTestGrid;
    using TCustomDBGridEx::GetDataCellHighlight;
    using TCustomDBGridEx::GetFixedCellHighlight;
};

class CellDrawing : public GridDrawTest {
protected:
    void ShowThreeColumns()
    {
        Bind();
        Grid->BeginLayout();
        AddColumn("ID");
        AddColumn("NAME")->SetWidth(80);
        AddColumn("AMOUNT");
        Grid->EndLayout();
        uitest::ShowActive(Grid.get());
    }
    // The black pixels of an indicator glyph, where the indicator cell of row shows them.
    std::vector<QPoint> GlyphPixels(int glyph, int row)
    {
        ui::TRect r = Grid->CellRect(0, row);
        r.Inflate(-1, -1); // the raised frame
        const ui::TCustomImageList& images = DBGridExIndicatorImages();
        const int left = r.Right - 1 - images.Width(), top = r.Top + (r.Height() - images.Height()) / 2;
        std::vector<QPoint> points;
        const QImage& image = images.Image(glyph);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != 0 && (image.pixel(x, y) & 0xFFFFFF) == 0)
                    points.push_back({left + x, top + y});
        return points;
    }
    // The indicator cell of row shows exactly the glyph's black pixels.
    void ExpectGlyph(const QImage& rendering, int glyph, int row)
    {
        const std::vector<QPoint> expected = GlyphPixels(glyph, row);
        ASSERT_FALSE(expected.empty());
        for (const QPoint& p : expected) EXPECT_EQ(ClientPixel(rendering, p.x(), p.y()), ui::clBlack);
        EXPECT_EQ(gridtest::CountColor(CellImage(rendering, 0, row), ui::clBlack), int(expected.size()));
    }
};

TEST_F(CellDrawing, HighlightColoursWithoutAStyleWithAndWithoutFocus)
{
    Grid = std::make_unique<THighlightGrid>();
    Grid->SetBounds(0, 0, 400, 200);
    ShowThreeColumns();
    Grid->SetStyle(nullptr);
    auto& grid = static_cast<THighlightGrid&>(*Grid);
    ASSERT_EQ(Grid->Col(), 1);
    ASSERT_EQ(Grid->Row(), 1);
    struct TCase {
        const char* Name;
        TDBGridOptions OptionsOn;
        TDBGridExOptions OptionsEx;
        bool Focused;
        int Col, Row;
        ui::TGridDrawState State;
        bool Highlighted;
        ui::TColor Background, FontColor;
        bool GainsSelected;
    };
    const ui::TColor text = ui::clWindowText, hiText = ui::clHighlightText;
    const ui::TGridDrawState sel = ui::gdSelected;
    const std::vector<TCase> cases = {
        {"selected, not shown", {}, {}, false, 2, 1, sel, false, ui::clWindow, text, false},
        {"current cell", {dgAlwaysShowSelection}, {}, false, 1, 1, sel, true, ui::clBtnShadow, hiText, false},
        {"other selected cell", {dgAlwaysShowSelection}, {}, false, 2, 1, sel, true, ui::clBtnFace, text, false},
        {"not selected", {dgAlwaysShowSelection}, {}, false, 2, 2, 0, false, ui::clWindow, text, false},
        {"current row", {dgAlwaysShowSelection, dgRowSelect}, {}, false, 2, 1, 0, true, ui::clBtnShadow, hiText, false},
        {"row highlight", {}, {dghRowHighlight}, false, 2, 1, 0, true, ui::clBtnFace, text, true},
        {"focused current cell", {}, {dghHighlightFocus}, true, 1, 1, sel, true, ui::clHighlight, hiText, false},
        {"focused, no focus highlight", {}, {}, true, 1, 1, sel, false, ui::clWindow, text, false},
        {"focused row highlight", {}, {dghRowHighlight}, true, 2, 1, 0, true, ui::clHighlight, hiText, true},
        {"focused, other row", {}, {dghHighlightFocus}, true, 2, 2, 0, false, ui::clWindow, text, false},
    };
    const TDBGridOptions baseOptions = Grid->GetOptions();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Grid->SetOptions(baseOptions | c.OptionsOn);
        Grid->SetOptionsEx(c.OptionsEx);
        if (c.Focused) Grid->SetFocus();
        else Grid->Parent() ? Grid->Parent()->SetFocus() : Grid->clearFocus();
        ASSERT_EQ(Grid->GridFocused(), c.Focused);
        ui::TFont font;
        ui::TColor background = ui::clWindow;
        ui::TGridDrawState state = c.State;
        EXPECT_EQ(grid.GetDataCellHighlight(font, background, state, c.Col, c.Row), c.Highlighted);
        EXPECT_EQ(background, c.Background);
        EXPECT_EQ(font.Color(), c.FontColor);
        EXPECT_EQ((state & ui::gdSelected) != 0, c.GainsSelected || (c.State & ui::gdSelected));
    }

    // The update lock hides the highlight of a grid without row selection.
    Grid->SetOptions(baseOptions | TDBGridOptions{dgAlwaysShowSelection});
    Grid->BeginUpdate();
    ui::TFont font;
    ui::TColor background = ui::clWindow;
    ui::TGridDrawState state = ui::gdSelected;
    EXPECT_FALSE(grid.GetDataCellHighlight(font, background, state, 1, 1));
    Grid->EndUpdate();
}

TEST_F(CellDrawing, FixedCellHighlightWithoutAStyleWithAndWithoutFocus)
{
    Grid = std::make_unique<THighlightGrid>();
    ShowThreeColumns();
    Grid->SetStyle(nullptr);
    auto& grid = static_cast<THighlightGrid&>(*Grid);
    struct TCase {
        TCellColumnKind Col;
        TCellRowKind Row;
        bool Focused;
        ui::TColor Background, FontColor;
    };
    const ui::TColor darkGrey = ui::RGB(64, 64, 64);
    const TCase cases[] = {
        {cckData, crkData, true, ui::clHighlight, ui::clHighlightText},
        {cckData, crkFooter, true, ui::clHighlight, ui::clHighlightText},
        {cckData, crkAboveFooter, false, ui::clBtnFace, ui::clWindowText},
        {cckIndicator, crkAboveFooter, true, ui::clHighlight, ui::clHighlightText},
        {cckData, crkTitle, true, darkGrey, ui::clWhite},
        {cckData, crkSubTitle, false, darkGrey, ui::clWhite},
        {cckIndicator, crkData, true, darkGrey, ui::clWhite},
        {cckIndicator, crkTitle, false, darkGrey, ui::clWhite},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Row) * 10 + int(c.Col));
        if (c.Focused) Grid->SetFocus();
        else Grid->clearFocus();
        TCellArea area;
        area.ColKind = c.Col;
        area.RowKind = c.Row;
        ui::TFont font;
        ui::TColor background = ui::clBtnFace;
        EXPECT_FALSE(grid.GetFixedCellHighlight(font, background, false, 0, area));
        EXPECT_EQ(background, ui::clBtnFace);
        EXPECT_TRUE(grid.GetFixedCellHighlight(font, background, true, 0, area));
        EXPECT_EQ(background, c.Background);
        EXPECT_EQ(font.Color(), c.FontColor);
    }
}

TEST_F(CellDrawing, TheIndicatorShowsTheRecordsState)
{
    ShowThreeColumns();
    ExpectGlyph(Render(), iiCurrent, 1);
    EXPECT_EQ(Grid->IndicatorRow(), 1);
    EXPECT_EQ(gridtest::CountColor(CellImage(Render(), 0, 2), ui::clBlack), 0); // not current

    Data.Next();
    Data.Edit();
    QImage image = Render();
    ExpectGlyph(image, iiEdit, 2);
    EXPECT_EQ(Grid->IndicatorRow(), 2);
    EXPECT_EQ(gridtest::CountColor(CellImage(image, 0, 1), ui::clBlack), 0);
    Data.Cancel();

    Data.Insert();
    image = Render();
    ExpectGlyph(image, iiInsert, Grid->Row());
    Data.Cancel();
}

TEST_F(CellDrawing, ASelectedRowIsHighlightedAndOnlyTheCurrentOneHasAGlyph)
{
    ShowThreeColumns();
    SetOption(dgMultiSelect, true);
    Data.Next();
    Grid->SelectedRows().SetCurrentRowSelected(true);
    Data.First();
    const ui::TColor darkGrey = ui::RGB(64, 64, 64);
    auto interior = [&](const QImage& image, int row) {
        const QImage cell = CellImage(image, 0, row);
        return cell.copy(1, 1, cell.width() - 2, cell.height() - 2); // inside the raised frame
    };
    QImage image = Render();
    // The selected row in browse state: the highlight, no glyph.
    QImage selected = interior(image, 2);
    EXPECT_EQ(gridtest::CountColor(selected, darkGrey), selected.width() * selected.height());
    ExpectGlyph(image, iiCurrent, 1);

    // While the current record is edited the other selected row still shows no glyph.
    Data.Edit();
    image = Render();
    selected = interior(image, 2);
    EXPECT_EQ(gridtest::CountColor(selected, darkGrey), selected.width() * selected.height());
    ExpectGlyph(image, iiEdit, 1);
    Data.Cancel();

    // The current record selected as well: the light arrow on the highlight.
    Grid->SelectedRows().SetCurrentRowSelected(true);
    const QImage current = interior(Render(), 1);
    EXPECT_GT(gridtest::CountColor(current, ui::clWhite), 0);
    EXPECT_GT(gridtest::CountColor(current, darkGrey), current.width() * current.height() / 2);
}

TEST_F(CellDrawing, ASelectedColumnsTitleIsHighlighted)
{
    ShowThreeColumns();
    SetOption(dgMultiSelect, true);
    Grid->Selection().Columns().Select(Grid->Columns().Items(1), false);
    ASSERT_TRUE(Grid->Selection().IsColumnSelected(1));
    const QImage image = Render();
    const ui::TRect title = Grid->CellRect(2, 0);
    EXPECT_EQ(ClientPixel(image, title.Left + 2, title.Top + 2), ui::RGB(64, 64, 64));
    EXPECT_GT(gridtest::CountColor(CellImage(image, 2, 0), ui::clWhite), title.Width()); // its caption
    EXPECT_NE(ClientPixel(CellImage(image, 3, 0), 2, 2), ui::RGB(64, 64, 64));
}

TEST_F(CellDrawing, TheTypedPartOfASearchStandsOutInTheFocusedCell)
{
    ShowThreeColumns();
    Grid->SetSelectedIndex(1);
    Grid->SetFocus();
    ASSERT_TRUE(Grid->GridFocused());
    Grid->StartIncSearch("Row", -1, isdFromTop);
    ASSERT_TRUE(Grid->IncSearchActive());
    const QImage image = Render();
    const ui::TRect cell = Grid->CellRect(2, 1);
    ui::TCanvas measure;
    measure.Font().Assign(Grid->Columns().Items(1)->GetFont());
    const QImage cellImage = CellImage(image, 2, 1);
    QRect yellow;
    for (int y = 0; y < cellImage.height(); ++y)
        for (int x = 0; x < cellImage.width(); ++x)
            if (uitest::PixelAt(cellImage, x, y) == ui::clYellow) yellow |= QRect(x, y, 1, 1);
    // Where "Row" stands in the left-aligned text, two pixels in, the cell's height.
    EXPECT_EQ(yellow, QRect(2, 0, measure.TextWidth("Row"), cell.Height()));
    // The indicator shows the arrow on the search colour.
    EXPECT_GT(gridtest::CountColor(CellImage(image, 0, 1), ui::clYellow), 20);

    Grid->StopIncSearch();
    EXPECT_EQ(gridtest::CountColor(CellImage(Render(), 2, 1), ui::clYellow), 0);
}

TEST_F(CellDrawing, ASingleSortMarkerHasNoNumber)
{
    ShowThreeColumns();
    SetOptionEx(dghMultiSortMarking, true);
    for (int i = 0; i < 2; ++i) Grid->Columns().Items(i)->Title()->SetCaption("");
    TColumnTitleEx* id = Grid->Columns().Items(0)->Title();
    id->SetSortMarker(smDownEx);

    // The marker's strip is the 16 pixels at the right, inside the raised frame.
    auto strip = [&](const QImage& image, int col) {
        ui::TRect r = Grid->CellRect(col, 0);
        r.Inflate(-1, -1);
        const ui::TPoint offset = Grid->ClientOffset();
        return image.copy(r.Right - SortMarkerWidth + offset.X, r.Top + offset.Y, SortMarkerWidth, r.Height() - 1);
    };
    auto rest = [&](const QImage& image, int col) {
        ui::TRect r = Grid->CellRect(col, 0);
        r.Inflate(-1, -1);
        const ui::TPoint offset = Grid->ClientOffset();
        return image.copy(r.Left + offset.X, r.Top + offset.Y, r.Width() - SortMarkerWidth, r.Height() - 1);
    };
    const ui::TColor markerGrey = ui::clGray;
    QImage image = Render();
    // The whole glyph (a triangle of 9, 7, 5, 3 and 1 pixels), centred in its strip.
    EXPECT_EQ(gridtest::CountColor(strip(image, 1), markerGrey), 25);
    EXPECT_EQ(uitest::InkBounds(strip(image, 1), qRgb(192, 192, 192)).left(), (SortMarkerWidth - 9) / 2);
    EXPECT_EQ(gridtest::CountColor(rest(image, 1), ui::clBlack), 0);

    // Two marked columns: each shows its number beside the marker.
    Grid->Columns().Items(1)->Title()->SetSortMarker(smUpEx);
    image = Render();
    EXPECT_EQ(gridtest::CountColor(strip(image, 1), markerGrey), 25);
    EXPECT_GT(gridtest::CountColor(rest(image, 1), ui::clBlack), 0);
    EXPECT_GT(gridtest::CountColor(rest(image, 2), ui::clBlack), 0);

    // A column too narrow for the glyph and the number keeps the number alone.
    Grid->Columns().Items(0)->SetWidth(18);
    const QImage narrow = CellImage(Render(), 1, 0);
    const QImage inside = narrow.copy(2, 2, narrow.width() - 4, narrow.height() - 4);
    EXPECT_EQ(gridtest::CountColor(inside, markerGrey), 0);
    EXPECT_GT(gridtest::CountColor(inside, ui::clBlack), 0);
}

TEST_F(CellDrawing, ACheckBoxInANarrowCellTakesItsWholeWidth)
{
    ShowEveryKind();
    TColumnEx* active = Grid->Columns().Items(3);
    active->SetColor(ui::clYellow);
    auto boxInk = [&]() {
        const QImage cell = CellImage(Render(), 4, 2);
        return uitest::InkBounds(cell, qRgb(255, 255, 0));
    };
    const QRect wide = boxInk();
    EXPECT_EQ(wide.width(), ui::Metrics().CheckBoxWidth);
    active->SetWidth(8);
    const QRect narrow = boxInk();
    EXPECT_EQ(narrow.left(), 0);
    EXPECT_EQ(narrow.width(), 8);
}

TEST_F(CellDrawing, DrawingNeverMovesTheDataSetsCursor)
{
    ShowThreeColumns();
    Data.Next();
    const int recNo = Data.GetRecNo();
    std::vector<std::string> seen;
    Grid->OnDrawColumnCell = TDrawColumnExCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect&, int dataCol, TColumnEx*, ui::TGridDrawState) {
            if (dataCol == 1) seen.push_back(Data.FieldByName("NAME")->GetAsString());
        });
    Render();
    EXPECT_EQ(seen, (std::vector<std::string>{"Row 1", "Row 2", "Row 3"}));
    EXPECT_EQ(Data.GetRecNo(), recNo);
    EXPECT_EQ(Data.FieldByName("NAME")->GetAsString(), "Row 2");
}

TEST_F(CellDrawing, TheDataCellEventIsForDefaultColumnsOnly)
{
    int dataCells = 0, columnCells = 0;
    Grid->OnDrawDataCell = TDrawDataCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect&, db::TField* field, ui::TGridDrawState) {
            EXPECT_NE(field, nullptr);
            ++dataCells;
        });
    Grid->OnDrawColumnCell = TDrawColumnExCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect&, int, TColumnEx*, ui::TGridDrawState) { ++columnCells; });
    Bind();
    uitest::ShowActive(Grid.get());
    Render();
    EXPECT_GT(dataCells, 0);
    EXPECT_EQ(dataCells, columnCells);

    Grid->hide();
    dataCells = columnCells = 0;
    Grid->Columns().Clear();
    AddColumn("NAME");
    uitest::ShowActive(Grid.get());
    Render();
    EXPECT_EQ(dataCells, 0);
    EXPECT_EQ(columnCells, 3);
}

TEST_F(CellDrawing, AnEventHandlerDrawsTheDefaultWayWithItsOwnColours)
{
    ShowThreeColumns();
    Grid->OnDrawColumnCell = TDrawColumnExCellEvent::FromFunction(
        [&](rtl::TObject*, const ui::TRect& rect, int dataCol, TColumnEx* column, ui::TGridDrawState state) {
            Grid->Canvas().Brush().SetColor(ui::clYellow);
            Grid->DefaultDrawColumnCell(rect, dataCol, column, state);
        });
    const ui::TRect cell = Grid->CellRect(2, 2);
    QImage image = Render();
    EXPECT_EQ(ClientPixel(image, cell.Left, cell.Top), ui::clYellow);
    EXPECT_EQ(ClientPixel(image, cell.Right - 1, cell.Bottom - 1), ui::clYellow);
    EXPECT_GT(gridtest::CountColor(CellImage(image, 2, 2), ui::clBlack), 0); // its text

    // With dghFooter3D the cell keeps a one-pixel ring of its own.
    SetOptionEx(dghFooter3D, true);
    image = Render();
    EXPECT_EQ(ClientPixel(image, cell.Left, cell.Top), ui::ColorToRGB(ui::clWindow));
    EXPECT_EQ(ClientPixel(image, cell.Left + 1, cell.Top + 1), ui::clYellow);
}

TEST_F(CellDrawing, FootersTakeTheirColourAndTellTheirEvent)
{
    ShowThreeColumns();
    Grid->SetFooterRowCount(2);
    Grid->SetFooterColor(ui::clYellow);
    Grid->Columns().Items(1)->Footers()->Add();
    static_cast<TColumnFooterEx*>(Grid->Columns().Items(1)->Footers()->GetItem(0))->SetColor(ui::clAqua);
    std::vector<std::pair<int, int>> drawn;
    Grid->OnDrawFooterCell = TDrawFooterCellEvent::FromFunction(
        [&](rtl::TObject*, int dataCol, int row, TColumnEx* column, const ui::TRect&, ui::TGridDrawState) {
            EXPECT_EQ(column, Grid->Columns().Items(dataCol));
            drawn.emplace_back(dataCol, row);
        });
    const QImage image = Render();
    const int first = Grid->RowCount() - 2;
    const ui::TRect plain = Grid->CellRect(1, first);
    const ui::TRect own = Grid->CellRect(2, first);
    EXPECT_EQ(ClientPixel(image, plain.Left + 3, plain.Top + 3), ui::clYellow);
    EXPECT_EQ(ClientPixel(image, own.Left + 3, own.Top + 3), ui::clAqua);
    // The second footer row of that column has no footer item: the column's footer.
    const ui::TRect second = Grid->CellRect(2, first + 1);
    EXPECT_EQ(ClientPixel(image, second.Left + 3, second.Top + 3), ui::clYellow);
    EXPECT_EQ(drawn, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}));
}

TEST_F(CellDrawing, AlwaysShownEditButtonsStandAtTheCellsRight)
{
    ShowThreeColumns();
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetButtonStyle(cbsEllipsis);
    name->SetAlwaysShowEditButton(true);
    const ui::TRect cell = Grid->CellRect(2, 2);
    const int width = name->EditButtonsWidth();
    ASSERT_EQ(width, ui::Metrics().VScrollWidth);
    const QImage image = Render();
    const QImage strip = image.copy(cell.Right - width + Grid->ClientOffset().X, cell.Top + Grid->ClientOffset().Y,
                                    width, cell.Height());
    // A button face with the three dots, as high as the grid's buttons.
    EXPECT_EQ(ClientPixel(image, cell.Right - width + 3, cell.Top + 3), ui::ColorToRGB(ui::clBtnFace));
    EXPECT_GT(gridtest::CountColor(strip, ui::clBlack), 0);
    // The text keeps left of the strip.
    EXPECT_LT(uitest::InkBounds(CellImage(image, 2, 2).copy(0, 0, cell.Width() - width, cell.Height())).right(),
              cell.Width() - width);

    // Rows taller than the buttons: under them the strip has the cell's colour.
    name->SetColor(ui::clAqua);
    Grid->SetRowHeight(20);
    const ui::TRect tall = Grid->CellRect(2, 2);
    const int below = tall.Top + Grid->EditButtonHeight();
    ASSERT_LT(below, tall.Bottom);
    const QImage taller = Render();
    EXPECT_NE(ClientPixel(taller, tall.Right - width + 3, below - 1), ui::clAqua); // its edge
    EXPECT_EQ(ClientPixel(taller, tall.Right - width + 3, below), ui::clAqua);
    EXPECT_EQ(ClientPixel(taller, tall.Right - width + 3, tall.Bottom - 1), ui::clAqua);
}

TEST_F(CellDrawing, TheFocusedCellIsFramedWhenTheStyleSaysSo)
{
    ShowThreeColumns();
    Grid->SetFocus();
    ASSERT_TRUE(Grid->GridFocused());
    const auto [framed, plain] = RenderFramedAndPlain();
    const ui::TRect cell = Grid->CellRect(Grid->Col(), Grid->Row());
    const TDifferences differences = DifferencesAround(framed, plain, cell);
    EXPECT_GT(differences.OnBorder, cell.Width());
    EXPECT_EQ(differences.Elsewhere, 0);
}

TEST_F(CellDrawing, TitleImagesTakeThePlaceOfTheCaption)
{
    ShowThreeColumns();
    Grid->SetTitleImages(&Images);
    TColumnTitleEx* name = Grid->Columns().Items(1)->Title();
    name->SetAlignment(rtl::taLeftJustify);
    name->SetImageIndex(2);
    const QImage cell = CellImage(Render(), 2, 0);
    EXPECT_EQ(gridtest::CountColor(cell, ui::clBlue), 100);
    EXPECT_EQ(gridtest::CountColor(cell, ui::clBlack), 0);
    // Left of the title: after the frame and the inset.
    EXPECT_EQ(uitest::InkBounds(cell.copy(1, 1, cell.width() - 2, cell.height() - 2), qRgb(192, 192, 192)).left(),
              1);
}

TEST_F(CellDrawing, AVerticalTitleRunsUpwards)
{
    ShowThreeColumns();
    Grid->SetTitleHeight(60);
    TColumnTitleEx* name = Grid->Columns().Items(1)->Title();
    name->SetCaption("Upwards");
    name->SetOrientation(tohVertical);
    const QImage cell = CellImage(Render(), 2, 0);
    const QRect ink = uitest::InkBounds(cell.copy(1, 1, cell.width() - 2, cell.height() - 2), qRgb(192, 192, 192));
    EXPECT_GT(ink.height(), 2 * ink.width());
}

TEST_F(CellDrawing, ABandSpansTheColumnsItGroups)
{
    ShowThreeColumns();
    Grid->BeginLayout();
    Grid->Columns().Items(0)->Title()->SetCaption("Group|Id");
    Grid->Columns().Items(1)->Title()->SetCaption("Group|Name");
    Grid->SetUseMultiTitle(true);
    Grid->EndLayout();
    const QImage image = Render();
    const ui::TRect id = Grid->CellRect(1, 0);
    const THeadTreeNode* group = Grid->TitleLeaf(0)->Host;
    ASSERT_EQ(group->Text, "Group");
    const int bandMiddle = id.Top + group->Height / 2;
    const int leafMiddle = id.Bottom - Grid->TitleLeaf(0)->Height / 2;
    // The column line between the two leaves stops under the band.
    EXPECT_EQ(ClientPixel(image, id.Right, leafMiddle), ui::clBlack);
    EXPECT_NE(ClientPixel(image, id.Right, bandMiddle), ui::clBlack);
    // The band's caption stands over the line.
    const QImage band = image.copy(id.Left + Grid->ClientOffset().X, id.Top + Grid->ClientOffset().Y,
                                   group->Width, group->Height - 1);
    const QRect caption = uitest::InkBounds(band.copy(2, 2, band.width() - 4, band.height() - 4), qRgb(192, 192, 192));
    EXPECT_NEAR(caption.center().x() + 2, group->Width / 2, 2);
    // Drawn once, and ready to be drawn again by the next paint.
    EXPECT_FALSE(group->Drawn);
}

} // namespace
