// The grid's layout: the brackets and the deferred layout, the columns built from the
// fields, frozen columns, row and title heights, the automatic fitting of the widths and
// the widths the user drags.
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class GridLayout : public GridTest {
protected:
    void Show()
    {
        Grid->show();
        ASSERT_TRUE(Grid->HandleAllocated());
    }
    void DeliverPosted() { QCoreApplication::sendPostedEvents(Grid.get(), 0); }
    // The base grid's widths of the data columns.
    std::vector<int> Widths() const
    {
        std::vector<int> widths;
        for (int col = Grid->IndicatorOffset(); col < Grid->ColCount(); ++col) widths.push_back(Grid->ColWidths(col));
        return widths;
    }
    static int Sum(const std::vector<int>& widths) { return std::accumulate(widths.begin(), widths.end(), 0); }
    // What auto-fit columns share: the client width less the indicator and the lines.
    int Room(int visibleColumns) const { return Grid->ClientWidth() - TCustomDBGridEx::IndicatorWidth - visibleColumns - 1; }
    // The right edge of a title cell, where its sizing line starts.
    ui::TPoint TitleEdge(int col) const
    {
        const ui::TRect cell = Grid->CellRect(col, 0);
        return {cell.Right, cell.Top + cell.Height() / 2};
    }
    static constexpr unsigned DeferredLayout = TCustomDBGridEx::WM_DEFERLAYOUTEX;
};

TEST_F(GridLayout, OnlyTheEndOfTheOutermostBracketLaysOut)
{
    Bind();
    Grid->Layouts = 0;
    Grid->BeginLayout();
    Grid->BeginLayout();
    Grid->LayoutChanged(); // refused: a bracket is held
    Grid->EndLayout();
    EXPECT_EQ(Grid->Layouts, 0);
    Grid->EndLayout();
    EXPECT_EQ(Grid->Layouts, 1);
    Grid->EndLayout(); // nothing held
    EXPECT_EQ(Grid->Layouts, 1);
    EXPECT_FALSE(Grid->LayoutLocked());
    EXPECT_FALSE(Grid->UpdateLocked());

    // The scope releases without a layout when it is left by a failure.
    EXPECT_THROW(
        {
            TCustomDBGridEx::TLayoutLock lock(*Grid);
            throw std::runtime_error("failed");
        },
        std::runtime_error);
    EXPECT_FALSE(Grid->LayoutLocked());
    EXPECT_EQ(Grid->Layouts, 1);
}

TEST_F(GridLayout, TheDeferredLayoutWaitsForTheLockAndIsQueuedOnce)
{
    Grid->DeferLayout(); // no window yet: nothing to post to
    EXPECT_FALSE(Grid->HasPostedMessage(DeferredLayout));
    Show();
    Bind();
    Grid->Layouts = 0;
    Grid->BeginLayout();
    Grid->DeferLayout();
    Grid->DeferLayout();
    EXPECT_TRUE(Grid->LayoutLocked()); // posting takes and gives back no lock
    DeliverPosted();
    EXPECT_EQ(Grid->Layouts, 0);
    // Delivered while locked, it posted itself again, once.
    EXPECT_TRUE(Grid->RemovePostedMessage(DeferredLayout));
    EXPECT_FALSE(Grid->RemovePostedMessage(DeferredLayout));

    Grid->DeferLayout();
    Grid->UnlockLayout();
    EXPECT_EQ(Grid->Layouts, 0);
    DeliverPosted();
    EXPECT_EQ(Grid->Layouts, 1);
    EXPECT_FALSE(Grid->HasPostedMessage(DeferredLayout));

    // A layout that runs takes a waiting deferred one out of the queue.
    Grid->DeferLayout();
    Grid->LayoutChanged();
    EXPECT_FALSE(Grid->HasPostedMessage(DeferredLayout));
}

TEST_F(GridLayout, LoadingEndsInALayoutAndReleasesOnlyWhatItHolds)
{
    Show();
    Bind();
    Grid->BeginUpdate();
    Grid->BeginLoading();
    EXPECT_TRUE(Grid->IsLoading());
    Grid->EndLoading(); // lays out when it can, else leaves it to the deferred layout
    EXPECT_TRUE(Grid->UpdateLocked());
    EXPECT_FALSE(Grid->LayoutLocked());
    EXPECT_TRUE(Grid->HasPostedMessage(DeferredLayout));
    Grid->EndUpdate();
    EXPECT_FALSE(Grid->UpdateLocked());
    Grid->Layouts = 0;
    DeliverPosted();
    EXPECT_EQ(Grid->Layouts, 1);
}

TEST_F(GridLayout, DefaultColumnsFollowTheFieldsAndKeepTheirObjects)
{
    Bind();
    ASSERT_EQ(Grid->Columns().Count(), 8);
    EXPECT_EQ(Grid->ColCount(), 9);
    EXPECT_EQ(Grid->Columns().Items(7)->Field(), F("WHO"));
    TColumnEx* name = Grid->Columns().Items(1);
    TColumnEx* flag = Grid->Columns().Items(3);

    F("FLAG")->SetIndex(0); // the data set's notice lays the grid out
    EXPECT_EQ(Grid->Columns().Items(0), flag);
    EXPECT_EQ(Grid->Columns().Items(2), name);
    EXPECT_EQ(flag->GetIndex(), 0);

    F("NOTE")->SetVisible(false);
    ASSERT_EQ(Grid->Columns().Count(), 7);
    EXPECT_EQ(Grid->Columns().Items(2), name);
    for (int i = 0; i < Grid->Columns().Count(); ++i) EXPECT_NE(Grid->Columns().Items(i)->Field(), F("NOTE"));
    EXPECT_FALSE(Grid->Columns().Customized());

    // A stored column after built ones: the built ones go.
    AddColumn("AMOUNT");
    ASSERT_EQ(Grid->Columns().Count(), 1);
    EXPECT_TRUE(Grid->Columns().Customized());
    EXPECT_EQ(Grid->ColCount(), 2);
}

TEST_F(GridLayout, AClosedDataSetThatMakesItsFieldsGivesNoColumnsAndNoFieldsGiveOneEmptyColumn)
{
    db::TMemDataSet made;
    made.FieldDefs().Add("CODE", db::ftInteger);
    made.FieldDefs().Add("TITLE", db::ftString, 10);
    db::TDataSource source;
    source.SetDataSet(&made);
    Grid->SetDataSource(&source);
    EXPECT_EQ(Grid->Columns().Count(), 0);
    EXPECT_EQ(Grid->ColCount(), 1);
    made.Open();
    ASSERT_EQ(Grid->Columns().Count(), 2);
    EXPECT_EQ(Grid->Columns().Items(1)->GetFieldName(), "TITLE");
    made.Close();
    EXPECT_EQ(Grid->Columns().Count(), 0);

    // Every field hidden: one column without a field stands in.
    made.Open();
    made.FieldByName("CODE")->SetVisible(false);
    made.FieldByName("TITLE")->SetVisible(false);
    ASSERT_EQ(Grid->Columns().Count(), 1);
    EXPECT_EQ(Grid->Columns().Items(0)->Field(), nullptr);
    EXPECT_EQ(Grid->ColCount(), 2);
    Grid->SetDataSource(nullptr);
}

TEST_F(GridLayout, HiddenColumnsAmongTheFrozenOnesKeepTheFrozenPartWhole)
{
    Bind();
    for (const char* name : {"ID", "NAME", "AMOUNT", "FLAG", "CUST"}) AddColumn(name);
    ASSERT_EQ(Grid->ColCount(), 6);
    EXPECT_EQ(Grid->FixedCols(), 1);
    Grid->SetFrozenCols(2);
    EXPECT_EQ(Grid->FixedCols(), 3);
    Grid->Columns().Items(0)->SetVisible(false); // hidden among the frozen ones
    EXPECT_EQ(Grid->FixedCols(), 4);
    Grid->Columns().Items(2)->SetVisible(false); // hidden right after them
    EXPECT_EQ(Grid->FixedCols(), 5);
    Grid->Columns().Items(2)->SetVisible(true);
    EXPECT_EQ(Grid->FixedCols(), 4);

    Grid->SetFrozenCols(-1); // ignored
    EXPECT_EQ(Grid->GetFrozenCols(), 2);
    // More frozen columns than there are: one column still scrolls.
    Grid->SetFrozenCols(40);
    EXPECT_EQ(Grid->FixedCols(), Grid->ColCount() - 1);
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgIndicator));
    EXPECT_EQ(Grid->ColCount(), 5);
    EXPECT_EQ(Grid->FixedCols(), 4);
    EXPECT_EQ(Grid->SelectedIndex(), Grid->Col()); // no indicator: data and grid columns agree

    // Without an active link the columns the grid would build freeze nothing.
    Grid->SetFrozenCols(1);
    Data.Close();
    Grid->Columns().Clear();
    EXPECT_EQ(Grid->FixedCols(), 0);
}

TEST_F(GridLayout, RowsFitWholeLinesOfText)
{
    // The fixed metrics give "Wg" 13 pixels (internal leading 2, no external leading);
    // without row lines a row has 3 pixels more than its text.
    struct TCase {
        int RowHeight, RowLines;
        bool Fit;
        int Height, StoredLines, StoredHeight;
        bool CanWrap;
    };
    const TCase cases[] = {
        {0, 0, false, 16, 0, 0, false},
        {0, 0, true, 16, 1, 3, false},
        {0, 2, true, 29, 2, 3, true},
        {8, 1, true, 16, 1, 3, false},   // 18 pixels of text: one line and a bit
        {10, 1, true, 29, 2, 3, true},   // 20 pixels: more than half a line more
        {-5, 0, false, 16, 0, 0, false}, // a negative height counts as 0
        {4, 1, false, 17, 1, 4, false},
    };
    Bind();
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgRowLines));
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.RowHeight << " pixels, " << c.RowLines << " lines, fit " << c.Fit);
        Grid->BeginLayout();
        Grid->SetOptionsEx(c.Fit ? Grid->GetOptionsEx().Include(dghFitRowHeightToText)
                                 : Grid->GetOptionsEx().Exclude(dghFitRowHeightToText));
        Grid->SetRowHeight(c.RowHeight);
        Grid->SetRowLines(c.RowLines);
        Grid->EndLayout();
        EXPECT_EQ(Grid->DefaultRowHeight(), c.Height);
        EXPECT_EQ(Grid->GetRowLines(), c.StoredLines);
        EXPECT_EQ(Grid->GetRowHeight(), c.StoredHeight);
        EXPECT_EQ(Grid->RowsCanWrap(), c.CanWrap);
        EXPECT_EQ(Grid->RowHeights(1), c.Height);
    }
    // Row lines add their width; a flat grid has one pixel instead of three.
    Grid->SetRowHeight(0);
    Grid->SetRowLines(0);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Exclude(dghFitRowHeightToText));
    Grid->SetOptions(Grid->GetOptions().Include(dgRowLines));
    EXPECT_EQ(Grid->DefaultRowHeight(), 17);
    Grid->SetFlat(true);
    EXPECT_EQ(Grid->DefaultRowHeight(), 15);
    EXPECT_EQ(Grid->FrameHeightAllowance(), 2);
}

TEST_F(GridLayout, TheTitleRowTakesTheTallestTitleFontOrItsLines)
{
    Bind();
    EXPECT_EQ(Grid->RowHeights(0), 13 + 4); // "Wg" and the frame allowance
    ui::TFont big;
    big.SetHeight(-24);
    ui::TCanvas canvas;
    canvas.Font().Assign(big);
    const int bigText = canvas.TextHeight("Wg");
    const ui::TTextMetric bigMetric = canvas.TextMetrics();
    ASSERT_GT(bigText, 13);
    Grid->Columns().Items(2)->Title()->SetFont(big);
    EXPECT_EQ(Grid->RowHeights(0), bigText + 4);

    // Lines and extra pixels of their own, measured in the tallest font; row lines add one.
    Grid->SetTitleLines(2);
    EXPECT_EQ(Grid->RowHeights(0), 2 * bigMetric.Height + bigMetric.ExternalLeading + 2 + 1);
    Grid->SetTitleLines(0);
    Grid->SetTitleHeight(6);
    EXPECT_EQ(Grid->RowHeights(0), bigMetric.ExternalLeading + 2 + 6 + 1);
    Grid->SetTitleHeight(0);
    Grid->SetFlat(true);
    EXPECT_EQ(Grid->RowHeights(0), bigText + 2);

    // Without titles the first row is a data row.
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgTitles));
    EXPECT_EQ(Grid->TitleOffset(), 0);
    EXPECT_EQ(Grid->FixedRows(), 0);
    EXPECT_EQ(Grid->RowHeights(0), Grid->DefaultRowHeight());
}

TEST_F(GridLayout, AutoFitWidthsFillTheRoomExactlyAndKeepTheBounds)
{
    Show();
    Bind();
    TColumnEx* a = AddColumn("ID");
    TColumnEx* b = AddColumn("NAME");
    TColumnEx* c = AddColumn("AMOUNT");
    a->SetWidth(100);
    b->SetWidth(50);
    c->SetWidth(30);
    Grid->SetAutoFitColWidths(true);
    EXPECT_EQ(Grid->ScrollBars(), ui::ssNone);
    const int room = Room(3);
    std::vector<int> widths = Widths();
    EXPECT_EQ(Sum(widths), room);
    EXPECT_NEAR(widths[0], room * 100 / 180, 1);
    EXPECT_NEAR(widths[1], room * 50 / 180, 1);
    EXPECT_EQ(widths[0], a->GetWidth());

    // A column its maximum holds keeps it; the others share the rest.
    b->SetMaxWidth(40);
    widths = Widths();
    EXPECT_EQ(widths[1], 40);
    EXPECT_EQ(Sum(widths), room);
    EXPECT_GT(widths[0], widths[2]);

    // A column that does not fit keeps its width and takes from the room.
    a->SetAutoFitColWidth(false);
    a->SetWidth(70);
    widths = Widths();
    EXPECT_EQ(widths[0], 70);
    EXPECT_EQ(Sum(widths), room);

    // The room is at least MinAutoFitWidth, and follows the client width.
    Grid->SetMinAutoFitWidth(Grid->ClientWidth() + 200);
    EXPECT_EQ(Sum(Widths()), room + 200);
    Grid->SetMinAutoFitWidth(0);
    Grid->SetBounds(Grid->Left(), Grid->Top(), Grid->Width() + 60, Grid->Height());
    EXPECT_EQ(Sum(Widths()), Room(3));

    Grid->SetAutoFitColWidths(false);
    EXPECT_EQ(Grid->ScrollBars(), ui::ssHorizontal);
    Grid->HorzScrollBar().SetVisible(false);
    EXPECT_EQ(Grid->ScrollBars(), ui::ssNone);
}

TEST_F(GridLayout, DraggedEdgesOfAutoFitColumnsMoveTheirShares)
{
    Show();
    Bind();
    for (const char* name : {"ID", "NAME", "AMOUNT"}) AddColumn(name)->SetWidth(100);
    Grid->SetAutoFitColWidths(true);
    const std::vector<int> before = Widths();
    ASSERT_EQ(Sum(before), Room(3));
    int changes = 0;
    Grid->OnColWidthsChanged = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++changes; });

    // The last column ends at the client's edge: dragging it changes no column.
    const ui::TPoint last = TitleEdge(3);
    gridtest::DragMouse(*Grid, last, {last.X - 30, last.Y});
    EXPECT_EQ(Widths(), before);
    EXPECT_EQ(changes, 1);

    // The first column's edge moves its share to the next column; the third stays.
    const ui::TPoint first = TitleEdge(1);
    gridtest::DragMouse(*Grid, first, {first.X + 20, first.Y});
    std::vector<int> after = Widths();
    EXPECT_NEAR(after[0], before[0] + 20, 1);
    EXPECT_NEAR(after[1], before[1] - 20, 1);
    EXPECT_NEAR(after[2], before[2], 1);
    EXPECT_EQ(Sum(after), Room(3));

    // With dghResizeWholeRightPart the columns to the right share the change.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghResizeWholeRightPart));
    const std::vector<int> start = Widths();
    const ui::TPoint edge = TitleEdge(1);
    gridtest::DragMouse(*Grid, edge, {edge.X - 30, edge.Y});
    after = Widths();
    EXPECT_NEAR(after[0], start[0] - 30, 1);
    EXPECT_GT(after[1], start[1] + 5);
    EXPECT_GT(after[2], start[2] + 5);
    EXPECT_EQ(Sum(after), Room(3));
}

TEST_F(GridLayout, DraggedWidthsStayWithinTheColumnsBounds)
{
    Show();
    Bind();
    TColumnEx* a = AddColumn("ID");
    TColumnEx* b = AddColumn("NAME");
    a->SetWidth(100);
    b->SetWidth(60);
    a->SetMinWidth(70);
    b->SetMaxWidth(80);
    const ui::TPoint edgeA = TitleEdge(1);
    gridtest::DragMouse(*Grid, edgeA, {edgeA.X - 60, edgeA.Y});
    EXPECT_EQ(a->GetWidth(), 70);
    EXPECT_EQ(Grid->ColWidths(1), 70);
    const ui::TPoint edgeB = TitleEdge(2);
    gridtest::DragMouse(*Grid, edgeB, {edgeB.X + 50, edgeB.Y});
    EXPECT_EQ(b->GetWidth(), 80);
    EXPECT_EQ(Grid->ColWidths(2), 80);
    const ui::TPoint again = TitleEdge(2);
    gridtest::DragMouse(*Grid, again, {again.X - 10, again.Y});
    EXPECT_EQ(b->GetWidth(), 70);
}

} // namespace
