// The highlight colours of the shared style, and the small routines of the grid.
#include <cstdint>
#include <memory>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/ui/Metrics.h"

namespace {

using namespace grid;
using gridtest::GridTest;

TEST(BlendColors, GivesTheDocumentedValues)
{
    EXPECT_EQ(BlendColors(ui::clWhite, ui::clBlack, false), ui::RGB(186, 186, 186));
    EXPECT_EQ(BlendColors(ui::clWhite, ui::clBlack, true), ui::RGB(202, 202, 202));
    EXPECT_EQ(BlendColors(ui::clWhite, ui::clWhite, false), ui::RGB(237, 237, 237));
    EXPECT_EQ(BlendColors(ui::clWhite, ui::clWhite, true), ui::RGB(255, 255, 255)); // 265.75 clamped
    // 0 and 37 with contrast land on 147.5 exactly: the even neighbour.
    EXPECT_EQ(ui::GetRValue(BlendColors(ui::RGB(0, 0, 0), ui::RGB(37, 0, 0), true)), 148);
    // Channels are blended on their own; system colours are looked up first.
    const ui::TColor mixed = BlendColors(ui::RGB(255, 0, 10), ui::RGB(0, 0, 30), false);
    EXPECT_EQ(mixed, ui::RGB(186, 135, 143));
    EXPECT_EQ(BlendColors(ui::clWindow, ui::clHighlight, true),
              BlendColors(ui::ColorToRGB(ui::clWindow), ui::ColorToRGB(ui::clHighlight), true));
}

// The steps m = c1 + (c2 - c1) / 2, m += (225 - m) * 3 / 5, m -= (122 - m) / 4 carried out in
// exact fractions (fortieths), then taken to the nearest integer, halves to even.
int ExactBlend(int c1, int c2, bool contrast)
{
    std::int64_t m = 40 * c1 + (40 * c2 - 40 * c1) / 2;
    m = m + (40 * 225 - m) * 3 / 5;
    if (contrast) m = m - (40 * 122 - m) / 4;
    std::int64_t whole = m / 40;
    const std::int64_t rest = m % 40;
    if (rest > 20 || (rest == 20 && whole % 2 == 1)) ++whole;
    return static_cast<int>(std::clamp<std::int64_t>(whole, 0, 255));
}

TEST(BlendColors, MatchesExactArithmeticForEveryPairOfChannels)
{
    int mismatches = 0;
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            for (bool contrast : {false, true}) {
                const int got = ui::GetRValue(BlendColors(ui::RGB(a, 0, 0), ui::RGB(b, 0, 0), contrast));
                if (got != ExactBlend(a, b, contrast)) ++mismatches;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// A style whose screen depth the test chooses; read again on a system colour change.
class TDepthStyle : public TDBGridExStyle {
public:
    int Depth = 32;
    void ReadScreenColors() override { SetScreenColorCount(Depth > 8 ? -1 : 1 << Depth); }
};

class StyleColours : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Bind();
        AddColumn("ID");
        AddColumn("NAME");
        Grid->SetColCount(3);
        Grid->SetStyle(&Style);
        Data.First();
    }
    void TearDown() override
    {
        Grid->SetStyle(nullptr);
        GridTest::TearDown();
    }
    // The colours the style gives a data cell, or none when it leaves them.
    bool DataCell(ui::TGridDrawState state, int dataCol, int dataRow)
    {
        Font = ui::TFont();
        Background = ui::clWindow;
        return Style.GetDataCellParams(*Grid, nullptr, Font, Background, state, dataCol, dataRow);
    }
    bool FixedCell(bool selected, TCellColumnKind col, TCellRowKind row)
    {
        Font = ui::TFont();
        Background = ui::clBtnFace;
        TCellArea area;
        area.ColKind = col;
        area.RowKind = row;
        return Style.GetFixedCellParams(*Grid, nullptr, Font, Background, selected, 0, area.Code());
    }
    void SetOption(TDBGridOption option, bool on)
    {
        TDBGridOptions options = Grid->GetOptions();
        Grid->SetOptions(on ? options.Include(option) : options.Exclude(option));
    }

    TDepthStyle Style;
    ui::TFont Font;
    ui::TColor Background = ui::clWindow;
};

TEST_F(StyleColours, AnUnfocusedGridGreysItsSelection)
{
    // The current cell is (data column 0, data row 0).
    EXPECT_FALSE(DataCell(ui::gdSelected, 1, 0)); // selected cells show only with dgAlwaysShowSelection
    SetOption(dgAlwaysShowSelection, true);
    EXPECT_TRUE(DataCell(ui::gdSelected, 0, 0));
    EXPECT_EQ(Background, ui::clBtnShadow);
    EXPECT_EQ(Font.Color(), ui::clHighlightText);
    EXPECT_TRUE(DataCell(ui::gdSelected, 1, 0));
    EXPECT_EQ(Background, BlendColors(ui::clWindow, ui::clBtnShadow, false));
    EXPECT_EQ(Font.Color(), ui::clWindowText);
    EXPECT_FALSE(DataCell(0, 1, 1));

    // With row selection the whole current row is current.
    SetOption(dgRowSelect, true);
    EXPECT_TRUE(DataCell(0, 1, 0));
    EXPECT_EQ(Background, ui::clBtnShadow);

    // On a screen of 256 colours or fewer nothing is blended.
    SetOption(dgRowSelect, false);
    Style.Depth = 8;
    ui::SetSysColors(ui::SysColors()); // a system colour change reads the screen again
    EXPECT_EQ(Style.ScreenColorCount(), 256);
    EXPECT_TRUE(DataCell(ui::gdSelected, 1, 0));
    EXPECT_EQ(Background, ui::clBtnFace);
}

TEST_F(StyleColours, RowHighlightMarksTheRestOfTheCurrentRow)
{
    TDBGridExOptions options = Grid->GetOptionsEx();
    Grid->SetOptionsEx(options.Include(dghRowHighlight));
    EXPECT_TRUE(DataCell(0, 1, 0)); // current row, another column
    EXPECT_EQ(Background, BlendColors(ui::clWindow, ui::clBtnShadow, false));
    EXPECT_FALSE(DataCell(0, 0, 1)); // another row
    EXPECT_FALSE(DataCell(0, 0, 0)); // the current cell itself is not selected here
}

TEST_F(StyleColours, FixedCellsOfTheSelection)
{
    EXPECT_FALSE(FixedCell(false, cckIndicator, crkData));
    EXPECT_TRUE(FixedCell(true, cckIndicator, crkData));
    EXPECT_EQ(Background, ui::RGB(64, 64, 64));
    EXPECT_EQ(Font.Color(), ui::clWhite);
    EXPECT_TRUE(FixedCell(true, cckData, crkTitle));
    EXPECT_EQ(Background, ui::RGB(64, 64, 64));
    EXPECT_TRUE(FixedCell(true, cckData, crkSubTitle));
    EXPECT_EQ(Background, ui::RGB(64, 64, 64));
    EXPECT_TRUE(FixedCell(true, cckIndicator, crkAboveFooter));
    EXPECT_EQ(Background, BlendColors(ui::clBtnFace, ui::clBtnShadow, false));
    EXPECT_TRUE(FixedCell(true, cckData, crkFooter));
    EXPECT_EQ(Background, BlendColors(ui::clBtnFace, ui::clBtnShadow, false));
    Style.Depth = 4;
    Style.ReadScreenColors();
    EXPECT_TRUE(FixedCell(true, cckData, crkFooter));
    EXPECT_EQ(Background, ui::clBtnFace);
}

TEST_F(StyleColours, AFocusedGridHighlightsTheCurrentCellAndBlendsTheRest)
{
    uitest::ShowActive(Grid.get());
    Grid->SetFocus();
    ASSERT_TRUE(Grid->GridFocused());
    EXPECT_TRUE(DataCell(ui::gdSelected, 0, 0)); // dghHighlightFocus marks it
    EXPECT_EQ(Background, ui::clHighlight);
    EXPECT_EQ(Font.Color(), ui::clHighlightText);
    EXPECT_TRUE(DataCell(ui::gdSelected, 1, 0));
    EXPECT_EQ(Background, BlendColors(ui::clWindow, ui::clHighlight, true));
    Style.SetBlendedHighlight(false);
    EXPECT_TRUE(DataCell(ui::gdSelected, 1, 0));
    EXPECT_EQ(Background, ui::clHighlight);
    EXPECT_TRUE(FixedCell(true, cckData, crkFooter));
    EXPECT_EQ(Background, ui::clHighlight);
    Style.SetBlendedHighlight(true);
    EXPECT_TRUE(FixedCell(true, cckData, crkFooter));
    EXPECT_EQ(Background, BlendColors(ui::clBtnFace, ui::clHighlight, true));
}

TEST_F(GridTest, GridsUseTheSharedStyleUntilGivenAnotherAndLoseOneThatGoes)
{
    EXPECT_EQ(Grid->GetStyle(), &DBGridExStyle());
    EXPECT_TRUE(DBGridExStyle().IsGridRegistered(Grid.get()));
    auto own = std::make_unique<TDBGridExStyle>();
    gridtest::TTestGrid second;
    Grid->SetStyle(own.get());
    second.SetStyle(own.get());
    EXPECT_FALSE(DBGridExStyle().IsGridRegistered(Grid.get()));
    EXPECT_TRUE(own->IsGridRegistered(&second));
    own.reset();
    EXPECT_EQ(Grid->GetStyle(), nullptr);
    EXPECT_EQ(second.GetStyle(), nullptr);
    const TDBGridExStyle* shared = &DBGridExStyle();
    {
        gridtest::TTestGrid gone;
        EXPECT_TRUE(shared->IsGridRegistered(&gone));
    }
    EXPECT_EQ(shared->ScreenColorCount(), -1);
}

TEST(GridUtilities, RectanglesPointsAndDivisions)
{
    const ui::TRect r{10, 20, 30, 60};
    EXPECT_TRUE(PointInRectInclusive({10, 20}, r));
    EXPECT_TRUE(PointInRectInclusive({30, 60}, r));
    EXPECT_FALSE(PointInRectInclusive({31, 60}, r));
    EXPECT_FALSE(PointInRectInclusive({10, 19}, r));
    EXPECT_EQ(SwapRectSides(r), (ui::TRect{10, 20, 50, 40}));
    EXPECT_EQ(MulDivOr(10, 3, 4, -7), 8);
    EXPECT_EQ(MulDivOr(10, 3, 0, -7), -7);
    EXPECT_THROW(RaiseGridError("bad"), ui::EInvalidGridOperation);
}

TEST(GridUtilities, TextNeedsAToolTipWhenItDoesNotFitItsCell)
{
    ui::TFixedMetricsScope metrics;
    ui::TCanvas canvas;
    const int wide = canvas.TextWidth("A rather long cell text");
    const int high = canvas.TextHeight("Wg");
    int height = 0;
    int width = 0;
    EXPECT_FALSE(TextNeedsToolTip(canvas, false, 0, 0, height, width, false, {0, 0, wide + 2, high},
                                  "A rather long cell text"));
    EXPECT_EQ(width, wide);
    EXPECT_EQ(height, high);
    EXPECT_TRUE(TextNeedsToolTip(canvas, false, 4, 0, height, width, false, {0, 0, wide + 2, high},
                                 "A rather long cell text"));
    // Wrapped, the text fits in width but needs more lines than the cell has.
    EXPECT_TRUE(TextNeedsToolTip(canvas, false, 0, 0, height, width, true, {0, 0, wide / 2, high},
                                 "A rather long cell text"));
    EXPECT_LE(width, wide / 2);
    EXPECT_GT(height, high);
    EXPECT_FALSE(TextNeedsToolTip(canvas, false, 0, 0, height, width, true, {0, 0, wide / 2, 4 * high},
                                  "A rather long cell text"));
    EXPECT_EQ(TextWidthCalc(canvas, "A rather long cell text"), wide);
}

} // namespace
