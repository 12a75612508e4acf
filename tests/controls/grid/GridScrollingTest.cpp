// Scrolling moves the data set: the vertical bar that numbers the records (or shows five
// places), its buttons, pages and thumb, an external bar in its place, the wheel, and the
// automatic scrolling while a selection is dragged beyond the data rows.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "GridInputTest.h"
#include "platform/ui/Timer.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;
using gridtest::GridInputTest;

class GridScrolling : public GridInputTest {
protected:
    bool BarShown() { return Grid->ScrollBarShown(ui::sbVertical); }
    // The bottom of the last data row on screen.
    int DataBottom() { return Grid->CellRect(1, Grid->TitleOffset() + Grid->DataRowCount() - 1).Bottom; }
    // The record on the top data row.
    int TopRecNo() { return Data.GetRecNo() - Grid->DataLink().GetActiveRecord(); }
    // Records "Row 1" ... "Row count" that are not numbered, shown in the grid.
    void ShowUnnumbered(gridtest::TUnnumberedDataSet& unnumbered, int count)
    {
        unnumbered.AddField<db::TStringField>("NAME", db::fkData, 20);
        unnumbered.Open();
        for (int i = 1; i <= count; ++i) {
            unnumbered.Append();
            unnumbered.FieldByName("NAME")->SetAsString("Row " + std::to_string(i));
            unnumbered.Post();
        }
        unnumbered.First();
        Source.SetDataSet(&unnumbered);
        ShowGrid({"NAME"});
    }
};

TEST_F(GridScrolling, TheVerticalBarNumbersTheRecordsWithThePageOnScreen)
{
    Records(40);
    ShowGrid();
    const int page = Grid->VisibleDataRowCount();
    ASSERT_GT(page, 3);
    ASSERT_LT(page, 40);
    EXPECT_TRUE(BarShown());
    EXPECT_TRUE(VBar().Enabled());
    EXPECT_EQ(VBar().Min(), 1);
    EXPECT_EQ(VBar().Max(), 40 + page - 1);
    EXPECT_EQ(VBar().PageSize(), page);
    EXPECT_EQ(VBar().MaxPosition(), 40);
    EXPECT_EQ(VBar().Position(), 1);
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Down);
    EXPECT_EQ(VBar().Position(), 4);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 40);
    EXPECT_EQ(VBar().Position(), 40);
    testsupport::SaveSnapshot(Grid.get(), "grid", "scroll-bar-at-the-last-record");

    // A record moved by the program moves the thumb too.
    Data.SetRecNo(17);
    EXPECT_EQ(VBar().Position(), 17);
}

TEST_F(GridScrolling, TheBarsButtonsAndPagesMoveTheDataSet)
{
    Records(50);
    ShowGrid();
    const int page = Grid->VisibleDataRowCount();
    QScrollBar* bar = VBar().Bar();

    // A line down goes to the record under the window: the record count of the window
    // less the active record's place in it (from the top row, a whole window down).
    Key(Qt::Key_Down);
    int before = RecNo();
    int active = Grid->DataLink().GetActiveRecord();
    ASSERT_EQ(active, 1);
    const int inWindow = Grid->DataLink().RecordCount();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(RecNo(), before + inWindow - active);
    EXPECT_EQ(Grid->DataLink().GetActiveRecord(), inWindow - 1);

    // A line up goes to the record above the window.
    Key(Qt::Key_Up);
    before = RecNo();
    active = Grid->DataLink().GetActiveRecord();
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(RecNo(), before - active - 1);
    EXPECT_EQ(Grid->DataLink().GetActiveRecord(), 0);

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(RecNo(), 1 + page);
    EXPECT_EQ(VBar().Position(), 1 + page);
    before = RecNo();
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(RecNo(), before - page);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(RecNo(), 50);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset());
}

TEST_F(GridScrolling, TheThumbGoesToItsRecordOnReleaseOrWhileDraggedWithTracking)
{
    Records(80);
    ShowGrid();
    QScrollBar* bar = VBar().Bar();
    QRect thumb = Thumb(*bar);
    ASSERT_FALSE(thumb.isEmpty());
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    uitest::MovePointer(bar, thumb.center() + QPoint(0, 30));
    const int held = bar->sliderPosition();
    EXPECT_GT(held, 1);
    EXPECT_EQ(RecNo(), 1); // nothing moves until the thumb is released
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb.center() + QPoint(0, 30));
    EXPECT_EQ(RecNo(), held);
    EXPECT_EQ(VBar().Position(), held);

    Grid->VertScrollBar().SetTracking(true);
    thumb = Thumb(*bar);
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    uitest::MovePointer(bar, thumb.center() + QPoint(0, 20));
    const int tracked = bar->sliderPosition();
    EXPECT_GT(tracked, held);
    EXPECT_EQ(RecNo(), tracked);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb.center() + QPoint(0, 20));
    EXPECT_EQ(RecNo(), tracked);

    // The thumb at the end is the last record.
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->maximum());
    bar->setSliderDown(false);
    EXPECT_EQ(RecNo(), 80);
}

TEST_F(GridScrolling, RecordsWithoutNumbersGiveTheBarFivePlaces)
{
    gridtest::TUnnumberedDataSet unnumbered;
    ShowUnnumbered(unnumbered, 40);
    const int page = Grid->VisibleDataRowCount();
    EXPECT_TRUE(BarShown());
    EXPECT_EQ(VBar().Min(), 0);
    EXPECT_EQ(VBar().Max(), 4);
    EXPECT_EQ(VBar().Position(), 0); // at the beginning
    Key(Qt::Key_Down);
    EXPECT_EQ(VBar().Position(), 2); // in the middle
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(VBar().Position(), 4); // at the end

    QScrollBar* bar = VBar().Bar();
    auto dropThumbAt = [&](int position) {
        bar->setSliderDown(true);
        bar->setSliderPosition(position);
        bar->setSliderDown(false);
    };
    dropThumbAt(0);
    EXPECT_EQ(unnumbered.GetRecNo(), 1);
    unnumbered.SetRecNo(20);
    dropThumbAt(3);
    EXPECT_EQ(unnumbered.GetRecNo(), 20 + page);
    dropThumbAt(1);
    EXPECT_EQ(unnumbered.GetRecNo(), 20);
    dropThumbAt(4);
    EXPECT_EQ(unnumbered.GetRecNo(), 40);
    Source.SetDataSet(&Data);
}

TEST_F(GridScrolling, PageDownRepaintsTheRowsAndOnlyTheBarWhoseValuesChanged)
{
    Records(60);
    Grid->SetBounds(0, 0, 150, 200);
    ShowGrid();
    ASSERT_TRUE(BarShown());
    ui::TScrollBar& hbar = *G().ScrollBarControl(ui::sbHorizontal);
    ASSERT_TRUE(G().ScrollBarShown(ui::sbHorizontal)) << "the columns are wider than the grid";
    uitest::TPaintCounter gridPaints(Grid.get()), vertPaints(VBar().Bar()), horzPaints(hbar.Bar());
    QApplication::processEvents();
    gridPaints.Reset();
    vertPaints.Reset();
    horzPaints.Reset();

    // The key paints the rows at once; the moved bar paints itself, the other one not.
    const int before = VBar().Position();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(gridPaints.Count, 1);
    EXPECT_FALSE(gridPaints.Painted.intersects(hbar.geometry()));
    EXPECT_FALSE(gridPaints.Painted.intersects(VBar().geometry()));
    QApplication::processEvents();
    EXPECT_GT(VBar().Position(), before);
    EXPECT_GE(vertPaints.Count, 1);
    EXPECT_EQ(horzPaints.Count, 0);
}

TEST_F(GridScrolling, ABarOfFivePlacesInTheMiddleIsNotRepaintedByPaging)
{
    gridtest::TUnnumberedDataSet unnumbered;
    ShowUnnumbered(unnumbered, 80);
    Key(Qt::Key_PageDown);
    ASSERT_EQ(VBar().Position(), 2);
    uitest::TPaintCounter gridPaints(Grid.get()), vertPaints(VBar().Bar());
    QApplication::processEvents();
    gridPaints.Reset();
    vertPaints.Reset();
    Key(Qt::Key_PageDown);
    QApplication::processEvents();
    EXPECT_EQ(VBar().Position(), 2);
    EXPECT_GE(gridPaints.Count, 1);
    EXPECT_EQ(vertPaints.Count, 0);
    Source.SetDataSet(&Data);
}

TEST_F(GridScrolling, ADataSetThatFitsShowsNoBarOrADisabledOne)
{
    Records(3);
    ShowGrid();
    EXPECT_FALSE(BarShown());
    Grid->VertScrollBar().SetVisibleMode(sbAlwaysShowEx);
    EXPECT_TRUE(BarShown());
    EXPECT_FALSE(VBar().Enabled());
    testsupport::SaveSnapshot(Grid.get(), "grid", "scroll-bar-always-shown-disabled");

    Records(40);
    EXPECT_TRUE(BarShown());
    EXPECT_TRUE(VBar().Enabled());
    Grid->VertScrollBar().SetVisibleMode(sbNeverShowEx);
    EXPECT_FALSE(BarShown());
    Grid->VertScrollBar().SetVisibleMode(sbAutoShowEx);
    EXPECT_TRUE(BarShown());

    // A record count that just fills the window leaves nothing to scroll.
    Records(Grid->VisibleDataRowCount());
    EXPECT_FALSE(BarShown());
    Records(Grid->VisibleDataRowCount() + 1);
    EXPECT_TRUE(BarShown());

    // No records: one empty data row and nothing to scroll.
    while (!Data.IsEmpty()) Data.Delete();
    EXPECT_EQ(Grid->DataRowCount(), 1);
    EXPECT_EQ(Grid->RowCount(), Grid->TitleOffset() + 1);
    EXPECT_FALSE(BarShown());
    Grid->VertScrollBar().SetVisibleMode(sbAlwaysShowEx);
    EXPECT_TRUE(BarShown());
    EXPECT_FALSE(VBar().Enabled());
    EXPECT_EQ(VBar().Position(), VBar().Min());
}

TEST_F(GridScrolling, ExternalBarsStandForTheGridsOwn)
{
    Records(40);
    auto vertical = std::make_unique<ui::TScrollBar>(nullptr, ui::sbVertical);
    auto horizontal = std::make_unique<ui::TScrollBar>(nullptr, ui::sbHorizontal);
    vertical->Show();
    horizontal->Show();
    Grid->VertScrollBar().SetExtScrollBar(vertical.get());
    Grid->HorzScrollBar().SetExtScrollBar(horizontal.get());
    ShowGrid();
    for (int i = 0; i < 3; ++i) Grid->Columns().Items(i)->SetWidth(250);
    const int page = Grid->VisibleDataRowCount();
    EXPECT_FALSE(BarShown());
    EXPECT_EQ(vertical->Min(), 1);
    EXPECT_EQ(vertical->Max(), 40 + page - 1);
    EXPECT_EQ(vertical->PageSize(), page);
    vertical->Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(RecNo(), 1 + page);
    EXPECT_EQ(vertical->Position(), 1 + page);

    // The horizontal one counts 0 to 127 over the columns that can lead the view.
    EXPECT_EQ(horizontal->Max(), 127);
    EXPECT_EQ(horizontal->Position(), 0);
    horizontal->Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    const int lastLeft = Grid->LeftCol();
    EXPECT_GT(lastLeft, Grid->FixedCols());
    EXPECT_EQ(horizontal->Position(), 127);
    Grid->SetLeftCol(Grid->ColCount() - 1);
    EXPECT_EQ(Grid->LeftCol(), lastLeft); // no further than the bar went
    Grid->SetLeftCol(Grid->FixedCols());
    EXPECT_EQ(horizontal->Position(), 0);

    Grid->VertScrollBar().SetExtScrollBar(nullptr);
    Grid->HorzScrollBar().SetExtScrollBar(nullptr);
    EXPECT_TRUE(BarShown());
}

TEST_F(GridScrolling, AWheelNotchMovesOneRecord)
{
    Records(30);
    ShowGrid();
    Wheel(-120);
    EXPECT_EQ(RecNo(), 2);
    for (int i = 0; i < 3; ++i) Wheel(-120);
    EXPECT_EQ(RecNo(), 5);
    Wheel(120);
    EXPECT_EQ(RecNo(), 4);
    // On the bottom row the window moves by one.
    Key(Qt::Key_Down, Qt::ControlModifier);
    const int top = TopRecNo();
    Wheel(-120);
    EXPECT_EQ(TopRecNo(), top + 1);
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset() + Grid->DataRowCount() - 1);
}

TEST_F(GridScrolling, DraggingPastTheDataRowsScrollsFasterTheFurtherOut)
{
    ui::TManualTimers timers;
    Records(60);
    Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
    Grid->SetAllowedSelections({gstRecordBookmarks});
    ShowGrid();
    const int first = Grid->TitleOffset();
    const int x = Center(1, first).X;
    Press(Center(0, first));
    ASSERT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmRecords);

    // 48 pixels below: 8 records a tick, a tick at once.
    Move({x, DataBottom() + 48});
    ASSERT_TRUE(Grid->TimerActive(TCustomDBGridEx::AutoScrollTimerId));
    EXPECT_EQ(Grid->TimerInterval(TCustomDBGridEx::AutoScrollTimerId), 0);
    EXPECT_EQ(RecNo(), 1);
    timers.Advance(1);
    EXPECT_EQ(RecNo(), 9);
    timers.Advance(1);
    EXPECT_EQ(RecNo(), 17);

    // 12 pixels below: 2 records a tick, every 200 - 15 * 12 = 20 ms.
    Move({x, DataBottom() + 12});
    timers.Advance(1);
    EXPECT_EQ(RecNo(), 19);
    EXPECT_EQ(Grid->TimerInterval(TCustomDBGridEx::AutoScrollTimerId), 20);
    timers.Advance(19);
    EXPECT_EQ(RecNo(), 19);
    timers.Advance(1);
    EXPECT_EQ(RecNo(), 21);

    // Back over the current row the scrolling stops; the records passed are selected.
    Move(Center(1, Grid->Row()));
    EXPECT_FALSE(Grid->TimerActive(TCustomDBGridEx::AutoScrollTimerId));
    Release(Center(1, Grid->Row()));
    std::vector<int> expected;
    for (int i = 1; i <= 21; ++i) expected.push_back(i);
    EXPECT_EQ(SelectedRecNos(), expected);

    // Above the data rows it scrolls upwards.
    Press(Center(0, Grid->Row()));
    Move({x, Grid->CellRect(1, first).Top - 30});
    timers.Advance(1); // 30 pixels: 5 records a tick, at once
    EXPECT_EQ(RecNo(), 16);
    Release({x, Grid->CellRect(1, first).Top - 30});
    EXPECT_FALSE(Grid->TimerActive(TCustomDBGridEx::AutoScrollTimerId));
}

TEST_F(GridScrolling, ColumnsDraggedByTheirTitlesScrollAColumnATick)
{
    ui::TManualTimers timers;
    Records(5);
    Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
    ShowGrid({"ID", "NAME", "AMOUNT", "FLAG", "CUST"});
    for (int i = 0; i < 5; ++i) Grid->Columns().Items(i)->SetWidth(120);
    ASSERT_EQ(Grid->LeftCol(), Grid->FixedCols());
    const ui::TRect title = Grid->CellRect(1, 0);
    Press({title.Left + 10, title.Bottom - 2});
    ASSERT_EQ(Grid->MouseMode(), TCustomDBGridEx::mmColumns);
    // 8 pixels right of the columns on screen: a column every 200 - 10 * 8 ms.
    ui::TGridDrawInfo info;
    Grid->CalcDrawInfo(info);
    const int right = info.Horz.GridBoundary + 8;
    Move({right, title.Bottom - 2});
    EXPECT_EQ(Grid->TimerInterval(TCustomDBGridEx::AutoScrollTimerId), 120);
    timers.Advance(119);
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols());
    timers.Advance(1);
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols() + 1);
    Release({right, title.Bottom - 2});
    EXPECT_EQ(Grid->Selection().SelectionType(), gstColumns);
    EXPECT_GE(Grid->Selection().Columns().Count(), 3);
}

} // namespace
