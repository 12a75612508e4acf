// The lookup grid as a program and a user drive it: its fields in plain and lookup mode,
// the key value and the text, the special row, the refused settings, its size in whole
// rows, the keys, the incremental search on a clock the test moves, the mouse with its
// tracking timer, the wheel and the vertical scroll bar.
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "LookupGridFixture.h"
#include "controls/grid/DBLookupGridsEx.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/Timer.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;

class TTestLookupGrid : public TDBLookupGridEx {
public:
    using TDBLookupGridEx::TDBLookupGridEx;
    using TDBLookupGridEx::ScrollBarControl;
    using TDBLookupGridEx::Tracking;
};

class LookupGrid : public lookuptest::LookupTest {
protected:
    void SetUp() override
    {
        LookupTest::SetUp();
        grid = std::make_unique<TTestLookupGrid>();
        grid->SetBounds(0, 0, 200, 100);
    }
    void TearDown() override
    {
        grid.reset();
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        LookupTest::TearDown();
    }
    // A list of the customers, five rows high, shown.
    void ShowList(int rows = 5)
    {
        grid->SetListSource(&CustomerSource);
        grid->SetKeyField("CUSTID");
        grid->SetListField("CUSTNAME");
        grid->SetRowCount(rows);
        uitest::ShowActive(grid.get());
        grid->SetFocus();
    }
    void Key(Qt::Key key) { QTest::keyClick(grid.get(), key); }
    int Key() const { return grid->GetKeyValue().IsNull() ? 0 : grid->GetKeyValue().AsInteger(); }
    // A client point on data row Row of the grid (or on the special row for -1).
    QPoint OnRow(int row) const
    {
        const int gridRow = row < 0 ? grid->SpecRowGridRow() : grid->TitleOffset() + row;
        const ui::TRect r = grid->CellRect(0, gridRow);
        const ui::TPoint offset = grid->ClientOffset();
        return {offset.X + r.Left + 4, offset.Y + (r.Top + r.Bottom) / 2};
    }
    QPoint Client(int x, int y) const { return {grid->ClientOffset().X + x, grid->ClientOffset().Y + y}; }
    // A move of the pointer, handled before the test goes on.
    void MoveTo(QPoint at)
    {
        uitest::MovePointer(grid.get(), at);
        QApplication::processEvents();
    }

    std::unique_ptr<TTestLookupGrid> grid;
};

TEST_F(LookupGrid, TheKeyValueSelectsItsRecordAndNamesItsText)
{
    ShowList();
    ASSERT_TRUE(grid->ListActive());
    ASSERT_EQ(grid->Columns().Count(), 1);
    EXPECT_EQ(grid->Columns().Items(0)->GetFieldName(), "CUSTNAME");
    grid->SetKeyValue(4);
    EXPECT_EQ(grid->Text(), "Dave");
    EXPECT_EQ(CurrentCustomer(), 4);
    EXPECT_FALSE(grid->SpecRowSelected());
    // A key that is in no record: the list shows its first record, which is not chosen,
    // so the text names nothing.
    grid->SetKeyValue(99);
    EXPECT_EQ(CurrentCustomer(), 1);
    EXPECT_EQ(grid->Text(), "");
    EXPECT_EQ(Key(), 99);
    // A key of another type than the key field's is in no record either.
    grid->SetKeyValue("abc");
    EXPECT_EQ(grid->Text(), "");
    grid->SetKeyValue(99);
    // Nothing is drawn highlighted then; the key's row is once it is in the list.
    const QImage none = uitest::Render(grid.get());
    grid->SetKeyValue(1);
    const QImage first = uitest::Render(grid.get());
    const QPoint row0 = OnRow(0) + QPoint(40, 0);
    EXPECT_EQ(uitest::PixelAt(none, row0.x(), row0.y() - 3), ui::ColorToRGB(ui::clWindow));
    EXPECT_EQ(uitest::PixelAt(first, row0.x(), row0.y() - 3), ui::ColorToRGB(ui::clHighlight));
    // The list field index chooses which field names the record.
    grid->SetListField("CUSTNAME;CUSTID");
    grid->SetListFieldIndex(1);
    EXPECT_EQ(grid->Text(), "1");
    grid->SetListFieldIndex(7);
    EXPECT_EQ(grid->Text(), "Ann");
}

TEST_F(LookupGrid, TheSpecialRowStandsForNullAndForKeysNotInTheList)
{
    ShowList();
    grid->SpecRow().SetCellsText("(none)");
    grid->SpecRow().SetShowIfNotInKeyList(false);
    grid->SpecRow().SetVisible(true);
    EXPECT_EQ(grid->SpecRowGridRow(), 0);
    EXPECT_EQ(grid->GetRowCount(), 5);
    grid->SetKeyValue(rtl::Null());
    EXPECT_TRUE(grid->SpecRowSelected());
    EXPECT_EQ(grid->Text(), "(none)");
    grid->SetKeyValue(99);
    EXPECT_FALSE(grid->SpecRowSelected());
    EXPECT_EQ(grid->Text(), "");
    grid->SpecRow().SetShowIfNotInKeyList(true);
    EXPECT_TRUE(grid->SpecRowSelected());
    EXPECT_EQ(grid->Text(), "(none)");
    testsupport::SaveSnapshot(grid.get(), "grid", "lookup-grid-special-row");
    // Its cells take the colour and text of their column's special cell.
    auto* column = static_cast<TDBLookupGridColumnEx*>(grid->Columns().Items(0));
    EXPECT_EQ(column->SpecCell().GetText(), "(none)");
    column->SpecCell().SetText("nobody");
    grid->SetKeyValue(2);
    column->SpecCell().SetColor(ui::clYellow);
    const QImage image = uitest::Render(grid.get());
    const QPoint specialRowPoint = OnRow(-1) + QPoint(40, 0);
    EXPECT_EQ(uitest::PixelAt(image, specialRowPoint.x(), specialRowPoint.y() - 3), ui::clYellow);
}

TEST_F(LookupGrid, KeysOfTwoFieldsAreArraysOfTwo)
{
    grid->SetListSource(&PairSource);
    grid->SetKeyField("A;B");
    grid->SetListField("LABEL");
    grid->SetKeyValue(rtl::VarArrayOf({2, 1}));
    EXPECT_EQ(grid->Text(), "2/1");
    EXPECT_TRUE(grid->KeyValueCompatible());
    // An array of another length, or one value, is not located; nothing is raised.
    for (const rtl::Variant& key : {rtl::VarArrayOf({2, 1, 1}), rtl::VarArrayOf({2}), rtl::Variant(2)}) {
        grid->SetKeyValue(key);
        EXPECT_FALSE(grid->KeyValueCompatible());
        EXPECT_FALSE(grid->LocateKey());
        EXPECT_EQ(grid->Text(), "");
    }
    // With one key field an array of one element is that key.
    grid->SetKeyField("A");
    grid->SetKeyValue(rtl::VarArrayOf({2}));
    EXPECT_TRUE(grid->LocateKey());
    EXPECT_EQ(grid->Text(), "2/1");
}

TEST_F(LookupGrid, ALookupFieldDefinesTheListAndTheKeyFollowsTheRecord)
{
    grid->SetDataSource(&OrderSource);
    grid->SetDataField("WHO");
    ASSERT_TRUE(grid->LookupMode());
    EXPECT_EQ(grid->GetKeyField(), "CUSTID");
    EXPECT_EQ(grid->ListDataSet(), &Customers);
    EXPECT_EQ(grid->Text(), "Ann");
    Orders.Next();
    EXPECT_EQ(Key(), 2);
    EXPECT_EQ(grid->Text(), "Bob");
    for (auto set : {+[](TDBLookupGridEx& g) { g.SetListField("CUSTID"); },
                     +[](TDBLookupGridEx& g) { g.SetKeyField("CUSTNAME"); },
                     +[](TDBLookupGridEx& g) { g.SetListSource(nullptr); }}) {
        try {
            set(*grid);
            ADD_FAILURE() << "not refused";
        } catch (const rtl::Exception& e) {
            EXPECT_STREQ(e.what(), "Property already defined by lookup field");
        }
    }
    // A choice writes the key into the order.
    uitest::ShowActive(grid.get());
    grid->SetFocus();
    Key(Qt::Key_Down);
    EXPECT_EQ(Orders.FieldByName("CUST")->GetAsInteger(), 3);
    EXPECT_EQ(Orders.State(), db::dsEdit);
    EXPECT_EQ(grid->Text(), "Cid");
}

TEST_F(LookupGrid, ALinkToItsOwnListIsRefused)
{
    grid->SetListSource(&CustomerSource);
    grid->SetKeyField("CUSTID");
    EXPECT_THROW(grid->SetDataSource(&CustomerSource), rtl::EDatabaseError);
    EXPECT_EQ(grid->GetDataSource(), nullptr);
    // Also through a master source: the list's master is the key's data set.
    db::TMemDataSet detail;
    detail.AddField<db::TIntegerField>("CUSTID");
    detail.Open();
    db::TDataSource detailSource;
    detailSource.SetDataSet(&detail);
    detail.SetMasterSource(&OrderSource);
    grid->SetListSource(&detailSource);
    try {
        grid->SetDataSource(&OrderSource);
        ADD_FAILURE() << "not refused";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Circular datalinks are not allowed");
    }
    grid->SetListSource(nullptr);
}

TEST_F(LookupGrid, ItsHeightHoldsWholeRows)
{
    ShowList(4);
    const int row = grid->DataRowHeight();
    ASSERT_GT(row, 0);
    EXPECT_EQ(grid->Height(), 4 * row + grid->BorderHeight());
    grid->SetRowCount(0);
    EXPECT_EQ(grid->GetRowCount(), 1);
    EXPECT_EQ(grid->Height(), row + grid->BorderHeight());
    grid->SetRowCount(150);
    EXPECT_EQ(grid->GetRowCount(), 100);
    EXPECT_EQ(grid->Height(), 100 * row + grid->BorderHeight());
    // A height between two counts snaps to the smaller.
    grid->SetBounds(0, 0, 200, 6 * row + row / 2 + grid->BorderHeight());
    EXPECT_EQ(grid->GetRowCount(), 6);
    EXPECT_EQ(grid->Height(), 6 * row + grid->BorderHeight());
    EXPECT_EQ(grid->DataLink().GetBufferCount(), 6);
    // Titles and the special row add their own height; the rows stay.
    grid->SetShowTitles(true);
    EXPECT_EQ(grid->GetRowCount(), 6);
    const int titled = grid->Height();
    EXPECT_GT(titled, 6 * row + grid->BorderHeight());
    grid->SpecRow().SetVisible(true);
    EXPECT_EQ(grid->Height(), titled + row);
    EXPECT_EQ(grid->DataLink().GetBufferCount(), 6);
    // A larger font gives taller rows, as many.
    ui::TFont font(grid->Font());
    font.SetSize(font.Size() * 2);
    grid->SetFont(font);
    EXPECT_GT(grid->DataRowHeight(), row);
    EXPECT_EQ(grid->GetRowCount(), 6);
    EXPECT_EQ(grid->DataLink().GetBufferCount(), 6);
}

TEST_F(LookupGrid, KeysMoveTheSelectionAndTheSpecialRowComesBeforeTheFirstRecord)
{
    ShowList(5);
    grid->SetKeyValue(1);
    Key(Qt::Key_Down);
    EXPECT_EQ(Key(), 2);
    EXPECT_EQ(grid->Text(), "Bob");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Key(), 6);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Key(), 2);
    Key(Qt::Key_End);
    EXPECT_EQ(Key(), 30);
    Key(Qt::Key_Up);
    EXPECT_EQ(Key(), 29);
    Key(Qt::Key_Home);
    EXPECT_EQ(Key(), 1);
    // Left and right step while the columns fit.
    Key(Qt::Key_Right);
    EXPECT_EQ(Key(), 2);
    Key(Qt::Key_Left);
    EXPECT_EQ(Key(), 1);
    // Without a special row the first record stays.
    Key(Qt::Key_Up);
    EXPECT_EQ(Key(), 1);
    grid->SpecRow().SetValue(0);
    grid->SpecRow().SetCellsText("(none)");
    grid->SpecRow().SetVisible(true);
    Key(Qt::Key_Up);
    EXPECT_TRUE(grid->SpecRowSelected());
    EXPECT_EQ(Key(), 0);
    EXPECT_EQ(grid->Text(), "(none)");
    Key(Qt::Key_Down);
    EXPECT_EQ(Key(), 1);
    EXPECT_FALSE(grid->SpecRowSelected());
    // A key whose record went out of view: the first move brings it back.
    grid->SetKeyValue(20);
    Customers.First();
    Key(Qt::Key_Down);
    EXPECT_EQ(Key(), 20);
    EXPECT_EQ(CurrentCustomer(), 20);
    Key(Qt::Key_Down);
    EXPECT_EQ(Key(), 21);
    // A read-only grid moves nothing.
    grid->SetReadOnly(true);
    Key(Qt::Key_Down);
    EXPECT_EQ(Key(), 21);
}

TEST_F(LookupGrid, TypedLettersSearchWithinTwoSecondsAndAtMostThirtyTwoOfThem)
{
    ui::TManualTimers timers;
    AddCustomer(31, std::string(40, 'Z'));
    ShowList();
    QTest::keyClicks(grid.get(), "da");
    EXPECT_EQ(Key(), 4);
    EXPECT_EQ(grid->SearchText(), "da");
    timers.Advance(1999);
    QTest::keyClicks(grid.get(), "v");
    EXPECT_EQ(grid->SearchText(), "dav");
    EXPECT_EQ(grid->Text(), "Dave");
    // A letter that matches nothing leaves the search as it was.
    QTest::keyClicks(grid.get(), "q");
    EXPECT_EQ(grid->SearchText(), "dav");
    // After a longer pause a letter starts a new search.
    timers.Advance(2001);
    QTest::keyClicks(grid.get(), "do");
    EXPECT_EQ(grid->Text(), "Dora");
    // The pause counts from the last key of any lookup grid.
    TDBLookupGridEx other;
    other.SetListSource(&CustomerSource);
    timers.Advance(1500);
    grid->SetKeyValue(1);
    QTest::keyClick(grid.get(), Qt::Key_Backspace);
    EXPECT_EQ(grid->SearchText(), "");
    timers.Advance(3000);
    QTest::keyClicks(grid.get(), std::string(40, 'z').c_str());
    EXPECT_EQ(grid->SearchText(), std::string(32, 'z'));
    EXPECT_EQ(Key(), 31);
    // A moving key ends the search.
    Key(Qt::Key_Up);
    EXPECT_EQ(grid->SearchText(), "");
}

TEST_F(LookupGrid, AClickPicksTheRowAndTheHeldMouseStepsBeyondTheEdges)
{
    ui::TManualTimers timers;
    grid->SpecRow().SetValue(0);
    grid->SpecRow().SetVisible(true);
    ShowList(5);
    int clicks = 0;
    grid->OnClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++clicks; });
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, OnRow(2));
    EXPECT_EQ(Key(), 3);
    EXPECT_GE(clicks, 1);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, OnRow(-1));
    EXPECT_TRUE(grid->SpecRowSelected());
    // Pressed on a row and dragged below the grid: the timer steps one record at a time,
    // sooner the further away the pointer is.
    QTest::mousePress(grid.get(), Qt::LeftButton, {}, OnRow(4));
    EXPECT_EQ(Key(), 5);
    MoveTo(Client(20, grid->ClientHeight() + 9));
    EXPECT_EQ(grid->TimerInterval(TDBLookupGridEx::TrackTimerId), 200 - 15 * 10);
    timers.Advance(50);
    EXPECT_EQ(Key(), 6);
    timers.Advance(100);
    EXPECT_EQ(Key(), 8);
    MoveTo(Client(20, grid->ClientHeight() + 29));
    EXPECT_EQ(grid->TimerInterval(TDBLookupGridEx::TrackTimerId), 0);
    // Above the grid it climbs back to the special row.
    MoveTo(Client(20, -1));
    EXPECT_EQ(grid->TimerInterval(TDBLookupGridEx::TrackTimerId), 185);
    timers.Advance(185 * 12);
    EXPECT_TRUE(grid->SpecRowSelected());
    // Back inside, the timer stops; the release picks the row under the pointer.
    MoveTo(OnRow(1));
    EXPECT_FALSE(grid->TimerActive(TDBLookupGridEx::TrackTimerId));
    QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, OnRow(1));
    EXPECT_EQ(Key(), 2);
    EXPECT_FALSE(grid->Tracking());
    // A double click on the chosen row is the grid's double click.
    int doubleClicks = 0;
    grid->OnDblClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++doubleClicks; });
    QTest::mouseDClick(grid.get(), Qt::LeftButton, {}, OnRow(3));
    EXPECT_EQ(doubleClicks, 0);
    QTest::mouseDClick(grid.get(), Qt::LeftButton, {}, OnRow(1));
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(LookupGrid, ARightToLeftListPicksTheRowClickedAtEitherSide)
{
    grid->setLayoutDirection(Qt::RightToLeft);
    ShowList(5);
    // The row is found at the height of the point wherever the mirrored list is hit.
    const QPoint nearRight{grid->ClientOffset().X + grid->ClientWidth() - 3, OnRow(2).y()};
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, nearRight);
    EXPECT_EQ(Key(), 3);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, QPoint{grid->ClientOffset().X + 2, OnRow(0).y()});
    EXPECT_EQ(Key(), 1);
}

TEST_F(LookupGrid, TheWheelAndTheScrollBarMoveTheListNotTheKey)
{
    ShowList(5);
    grid->SetKeyValue(1);
    ui::TScrollBar* bar = grid->ScrollBarControl(ui::sbVertical);
    ASSERT_TRUE(bar->Visible());
    // R = 5 rows in the window, A = the current record's place in it.
    struct TStep {
        QAbstractSlider::SliderAction Action;
        int FromRecord;
        int ActiveRow;
        int Expected;
    };
    auto place = [&](int record, int activeRow) {
        Customers.First();
        Customers.MoveBy(record - 1 + (4 - activeRow));
        Customers.MoveBy(activeRow - 4);
        ASSERT_EQ(CurrentCustomer(), record);
        ASSERT_EQ(grid->DataLink().GetActiveRecord(), activeRow);
    };
    const TStep steps[] = {
        // line down: MoveBy(R - A); line up: MoveBy(-A - 1)
        {QAbstractSlider::SliderSingleStepAdd, 1, 0, 6},
        {QAbstractSlider::SliderSingleStepAdd, 13, 2, 16},
        {QAbstractSlider::SliderSingleStepAdd, 28, 4, 29},
        {QAbstractSlider::SliderSingleStepSub, 1, 0, 1},
        {QAbstractSlider::SliderSingleStepSub, 13, 2, 10},
        {QAbstractSlider::SliderSingleStepSub, 30, 4, 25},
        // page down: MoveBy(2R - A - 2); page up: MoveBy(-A - R + 1)
        {QAbstractSlider::SliderPageStepAdd, 1, 0, 9},
        {QAbstractSlider::SliderPageStepAdd, 13, 2, 19},
        {QAbstractSlider::SliderPageStepAdd, 26, 4, 30},
        {QAbstractSlider::SliderPageStepSub, 3, 2, 1},
        {QAbstractSlider::SliderPageStepSub, 13, 2, 7},
        {QAbstractSlider::SliderPageStepSub, 30, 4, 22},
    };
    for (const TStep& step : steps) {
        place(step.FromRecord, step.ActiveRow);
        bar->Bar()->triggerAction(step.Action);
        EXPECT_EQ(CurrentCustomer(), step.Expected) << "from " << step.FromRecord << " row " << step.ActiveRow;
        EXPECT_EQ(Key(), 1);
    }
    // The wheel takes one record beyond the rows on screen.
    place(13, 2);
    QWheelEvent down(QPointF(20, 20), QPointF(20, 20), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.get(), &down);
    EXPECT_EQ(CurrentCustomer(), 16);
    QWheelEvent up(QPointF(20, 20), QPointF(20, 20), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                   false);
    QApplication::sendEvent(grid.get(), &up);
    EXPECT_EQ(CurrentCustomer(), 11);
    EXPECT_EQ(Key(), 1);
    EXPECT_EQ(grid->Text(), "Ann");
    // The bar's thumb stands at the top rows of the window among all the records.
    EXPECT_EQ(bar->Position(), Customers.GetRecNo() - grid->DataLink().GetActiveRecord());
    bar->Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(CurrentCustomer(), 30);
}

} // namespace
