// The grid's companions: external scroll bars, the storage of column widths and order,
// the program-wide glyphs, cursors and font, and the tool-tip window.
#include <limits>
#include <memory>
#include <string>

#include <QScrollBar>
#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/DBGridExScrollBars.h"
#include "controls/grid/DBGridExToolTips.h"
#include "controls/grid/PropFilerEx.h"
#include "platform/ui/Resources.h"
#include "platform/rtl/UpdateScope.h"

namespace {

using namespace grid;
using gridtest::GridTest;

// ---- external scroll bars

class ExternalScrollBars : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Bind();
        Grid->BeginLayout();
        for (const char* name : {"ID", "NAME", "AMOUNT", "FLAG", "CUST"}) AddColumn(name)->SetWidth(120);
        Grid->EndLayout();
        Grid->SetBounds(0, 0, 300, 150);
        uitest::ShowActive(Grid.get());
        Bar = new ui::TScrollBar(Grid.get(), ui::sbHorizontal);
        Bar->SetName("OuterBar");
    }
    ui::TScrollBar* Bar = nullptr;
};

TEST_F(ExternalScrollBars, TheGridScrollsByAnAttachedBar)
{
    TDBGridExScrollBar& horz = Grid->HorzScrollBar();
    ui::TScrollBar* own = horz.ScrollBar();
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, Bar);
    horz.SetExtScrollBar(Bar);
    EXPECT_EQ(horz.ScrollBar(), Bar);
    // The grid's own bar gives way to it.
    EXPECT_FALSE(Grid->ScrollBarShown(ui::sbHorizontal));
    int lineSteps = 0;
    Bar->OnScroll = ui::TScrollEvent::FromFunction([&](rtl::TObject*, ui::TScrollCode code, int&) {
        if (code == ui::scLineDown) ++lineSteps;
    });
    const int leftCol = Grid->LeftCol();
    Bar->Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Grid->LeftCol(), leftCol + 1);
    EXPECT_EQ(lineSteps, 1); // the bar's own handling follows

    // Let go: the bar scrolls nothing but itself.
    horz.SetExtScrollBar(nullptr);
    EXPECT_FALSE(Bar->ScrollHook());
    Bar->Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Grid->LeftCol(), leftCol + 1);
    EXPECT_EQ(lineSteps, 2);
}

TEST_F(ExternalScrollBars, VisibleShowsAndHidesTheAttachedBar)
{
    TDBGridExScrollBar& horz = Grid->HorzScrollBar();
    horz.SetVisible(false);
    horz.SetExtScrollBar(Bar);
    EXPECT_FALSE(Bar->Visible()); // it follows Visible when attached
    horz.SetVisible(true);
    EXPECT_TRUE(Bar->Visible());
    EXPECT_TRUE(horz.IsShowing());
    horz.SetVisible(false);
    EXPECT_FALSE(Bar->Visible());
    EXPECT_FALSE(horz.IsShowing());
}

TEST_F(ExternalScrollBars, ABarServesOneGridAtATime)
{
    Grid->HorzScrollBar().SetExtScrollBar(Bar);
    gridtest::TTestGrid other;
    ui::TScrollBar own(&other);
    other.HorzScrollBar().SetExtScrollBar(&own);
    try {
        other.HorzScrollBar().SetExtScrollBar(Bar);
        FAIL() << "attached twice";
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Possible OuterBar already attached to the other control.");
    }
    EXPECT_EQ(other.HorzScrollBar().GetExtScrollBar(), &own);

    // Once the first grid lets it go the second may take it.
    Grid->HorzScrollBar().SetExtScrollBar(nullptr);
    other.HorzScrollBar().SetExtScrollBar(Bar);
    EXPECT_EQ(other.HorzScrollBar().GetExtScrollBar(), Bar);
    EXPECT_FALSE(own.ScrollHook()); // the bar it had before is its own again
    other.HorzScrollBar().SetExtScrollBar(nullptr);
}

TEST_F(ExternalScrollBars, ABarOutlivesItsGridAndAGridItsBar)
{
    {
        gridtest::TTestGrid other;
        other.HorzScrollBar().SetExtScrollBar(Bar);
        EXPECT_TRUE(Bar->ScrollHook());
    }
    EXPECT_FALSE(Bar->ScrollHook());
    Grid->HorzScrollBar().SetExtScrollBar(Bar);
    delete Bar;
    EXPECT_EQ(Grid->HorzScrollBar().GetExtScrollBar(), nullptr);
}

TEST_F(ExternalScrollBars, ADesignedGridDoesNotHookItsBar)
{
    Grid->SetDesigning(true);
    Grid->HorzScrollBar().SetExtScrollBar(Bar);
    EXPECT_FALSE(Bar->ScrollHook());
    Grid->HorzScrollBar().SetExtScrollBar(nullptr);
    Grid->SetDesigning(false);
}

// ---- storage of column widths and order

class ColumnStorage : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Bind();
        Grid->BeginLayout();
        for (const char* name : {"ID", "NAME", "AMOUNT"}) AddColumn(name);
        Grid->EndLayout();
    }
    std::string Order()
    {
        std::string order;
        for (int i = 0; i < Grid->Columns().Count(); ++i) order += Grid->Columns().Items(i)->GetFieldName() + " ";
        return order;
    }
    std::unique_ptr<TStoragePropertyInterceptor> ColumnsInterceptor()
    {
        return CreatePropertyInterceptor(Grid->Columns());
    }
};

TEST_F(ColumnStorage, AColumnsWidthIsStoredAndComesBack)
{
    TColumnEx* name = Grid->Columns().Items(1);
    name->SetWidth(77);
    std::unique_ptr<TStoragePropertyInterceptor> interceptor = CreatePropertyInterceptor(*name);
    ASSERT_NE(interceptor, nullptr);
    EXPECT_EQ(interceptor->PropertyNames(), std::vector<std::string>{"Width"});
    EXPECT_EQ(interceptor->GetPropertyValue("Width").AsInteger(), 77);
    EXPECT_TRUE(interceptor->SetPropertyValue("width", rtl::Variant(120)));
    EXPECT_EQ(name->GetWidth(), 120);
    EXPECT_FALSE(interceptor->SetPropertyValue("Width", rtl::Variant("wide")));
    EXPECT_EQ(name->GetWidth(), 120);
}

TEST_F(ColumnStorage, WidthsAtTheIntegerLimitsStopAtTheColumnBound)
{
    // Any integer a store holds reaches the column: it keeps at most MaxColumnWidth, and
    // the grid's sums over such columns stay true.
    TColumnEx* name = Grid->Columns().Items(1);
    std::unique_ptr<TStoragePropertyInterceptor> interceptor = CreatePropertyInterceptor(*name);
    EXPECT_TRUE(interceptor->SetPropertyValue("Width", rtl::Variant(std::numeric_limits<int>::max())));
    EXPECT_EQ(name->GetWidth(), MaxColumnWidth);
    EXPECT_EQ(Grid->ColWidths(Grid->DataToRawColumn(1)), MaxColumnWidth);
    for (int i = 0; i < Grid->Columns().Count(); ++i) Grid->Columns().Items(i)->SetMinWidth(std::numeric_limits<int>::max());
    for (int i = 0; i < Grid->Columns().Count(); ++i) {
        EXPECT_EQ(Grid->Columns().Items(i)->GetMinWidth(), MaxColumnWidth);
        EXPECT_EQ(Grid->Columns().Items(i)->GetWidth(), MaxColumnWidth);
    }
    name->SetMaxWidth(std::numeric_limits<int>::max());
    EXPECT_EQ(name->GetMaxWidth(), MaxColumnWidth);
    // The last column's cell lies past the client edge: nothing of it is on screen.
    EXPECT_TRUE(Grid->CellRect(Grid->ColCount() - 1, 1).IsEmpty());
    EXPECT_EQ(Grid->MouseCoord(Grid->ColWidths(0) + 5, 30).X, 1);
    EXPECT_TRUE(interceptor->SetPropertyValue("Width", rtl::Variant(std::numeric_limits<int>::min())));
    EXPECT_EQ(name->GetWidth(), MaxColumnWidth); // the minimum width holds
}

TEST_F(ColumnStorage, TheColumnOrderIsStoredAsQuotedFieldNames)
{
    std::unique_ptr<TStoragePropertyInterceptor> interceptor = ColumnsInterceptor();
    ASSERT_NE(interceptor, nullptr);
    EXPECT_EQ(interceptor->GetPropertyValue("ColumnsIndex").AsString(), "\"ID\",\"NAME\",\"AMOUNT\"");
    EXPECT_TRUE(interceptor->SetPropertyValue("ColumnsIndex", rtl::Variant("\"amount\",\"ID\",\"NAME\"")));
    EXPECT_EQ(Order(), "AMOUNT ID NAME ");
}

TEST_F(ColumnStorage, RestoringTheOrderSkipsWhatItCannotPlace)
{
    struct TCase {
        const char* Stored;
        const char* Order;
    };
    const TCase cases[] = {
        // A name no column carries moves nothing to its position.
        {"\"GONE\",\"AMOUNT\",\"ID\"", "AMOUNT NAME ID "},
        // More names than columns: the rest is ignored.
        {"\"NAME\",\"ID\",\"AMOUNT\",\"NAME\",\"MORE\"", "NAME ID AMOUNT "},
        // Quotes that do not close, and text after a closing quote.
        {"\"AMOUNT", "AMOUNT ID NAME "},
        {"\"AMOUNT\"X,\"NAME", "ID NAME AMOUNT "},    // "AMOUNTX" and "NAME"
        {"\"\"\"AMOUNT\",\"ID\"", "NAME ID AMOUNT "}, // a quote inside: no such column
        {"", "ID NAME AMOUNT "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Stored);
        Grid->BeginLayout();
        for (const char* name : {"ID", "NAME", "AMOUNT"})
            for (int i = 0; i < Grid->Columns().Count(); ++i)
                if (Grid->Columns().Items(i)->GetFieldName() == name) Grid->Columns().Items(i)->SetIndex(3);
        Grid->EndLayout();
        ASSERT_EQ(Order(), "ID NAME AMOUNT ");
        EXPECT_TRUE(ColumnsInterceptor()->SetPropertyValue("ColumnsIndex", rtl::Variant(c.Stored)));
        EXPECT_EQ(Order(), c.Order);
    }
}

TEST_F(ColumnStorage, AFieldNameWithAQuoteComesBackWhole)
{
    Grid->Columns().Items(0)->SetFieldName("O\"Brien");
    std::unique_ptr<TStoragePropertyInterceptor> interceptor = ColumnsInterceptor();
    const std::string stored = interceptor->GetPropertyValue("ColumnsIndex").AsString();
    EXPECT_EQ(stored, "\"O\"\"Brien\",\"NAME\",\"AMOUNT\"");
    interceptor->SetPropertyValue("ColumnsIndex", rtl::Variant("\"AMOUNT\",\"O\"\"Brien\""));
    EXPECT_EQ(Order(), "AMOUNT O\"Brien NAME ");
}

// ---- resources of the unit

TEST(GridResources, TheUnitsStartUpRegistersWhatItCarries)
{
    ui::TFixedMetricsScope metrics;
    StartDBGridExUnit();
    // The column interceptors, for columns and their collection.
    gridtest::TTestGrid grid;
    grid.Columns().Add();
    EXPECT_NE(GetPropertyInterceptorClass(*grid.Columns().Items(0)), nullptr);
    EXPECT_NE(GetPropertyInterceptorClass(grid.Columns()), nullptr);
    // The three cursors, from the carried images.
    for (ui::TCursor cursor : {crDBGridExDown, crDBGridExRight, crDBGridExLeft})
        EXPECT_EQ(ui::CursorToQt(cursor).shape(), Qt::BitmapCursor);
    // The sort index: characters one pixel lower than the 8-pixel marker.
    EXPECT_EQ(DBGridExSortIndexFont().Name(), "Arial");
    EXPECT_EQ(DBGridExSortIndexFont().Height(), -7);
}

TEST(GridResources, TheGlyphsOfTheIndicatorAndTheSortMarkers)
{
    ui::TFixedMetricsScope metrics;
    const ui::TCustomImageList& indicator = DBGridExIndicatorImages();
    ASSERT_EQ(indicator.Count(), 7);
    // White (olive for the light arrow) is left out.
    EXPECT_EQ(qAlpha(indicator.Image(iiCurrent).pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(indicator.Image(iiCurrentSelected).pixel(0, 0)), 0);
    EXPECT_EQ(indicator.Image(iiCurrentSelected).pixel(2, 4) & 0xFFFFFF, 0xFFFFFFu); // the light arrow's inside
    // The searching glyph stands on the search colour.
    EXPECT_EQ(indicator.Image(iiCurrentSearching).pixel(0, 0) & 0xFFFFFF, 0xFFFF00u);

    {
        // The light arrow's transparent colour.
        const rtl::TValueScope<ui::TColor> searchColor(DBGridExSettings().IncSearchColor, ui::clOlive);
        UpdateIncSearchIndicatorImage();
        EXPECT_EQ(indicator.Count(), 7);
        EXPECT_EQ(indicator.Image(iiCurrentSearching).pixel(0, 0) & 0xFFFFFF, 0x007F7Fu);
    }
    UpdateIncSearchIndicatorImage(); // in the colour it had

    const ui::TCustomImageList& markers = DBGridExSortMarkerImages();
    ASSERT_EQ(markers.Count(), 2);
    EXPECT_EQ(qAlpha(markers.Image(0).pixel(0, 0)), 0); // magenta is left out
    EXPECT_NE(qAlpha(markers.Image(0).pixel(4, 1)), 0);
}

// ---- tool tips

TEST(ToolTipsWindow, MeasuresTheHintInTheCellsFont)
{
    ui::TFixedMetricsScope metrics;
    TToolTipsWindow window;
    ui::TFont small;
    window.SetHintFont(small);
    const ui::TRect smallRect = window.CalcHintRect(300, "A cut-off cell text");
    ui::TFont large;
    large.SetHeight(-20);
    large.SetColor(ui::clRed);
    window.SetHintFont(large);
    const ui::TRect largeRect = window.CalcHintRect(300, "A cut-off cell text");
    EXPECT_GT(largeRect.Width(), smallRect.Width());
    EXPECT_GT(largeRect.Height(), smallRect.Height());
    EXPECT_EQ(window.Font().Height(), -20);
    EXPECT_EQ(window.Font().Color(), ui::clWindowText);
}

} // namespace
