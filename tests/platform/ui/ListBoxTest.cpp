// The list-box base: keys, mouse, hot item, top index, owner drawing, the wheel and the
// scroll bar.
#include "UiTestSupport.h"

#include <QScrollBar>
#include <QWheelEvent>

#include "support/Snapshot.h"
#include "platform/ui/Form.h"
#include "platform/ui/ListBox.h"

using namespace ui;

namespace {

class TRecordingListBox : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;
    using TCustomListBox::ScrollBarControl;
    std::vector<std::pair<int, TOwnerDrawState>> drawn;

protected:
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override
    {
        drawn.emplace_back(index, state);
        TCustomListBox::DrawItem(index, rect, state);
    }
};

class ListBoxTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new TForm;
        form->SetBounds(60, 60, 300, 200);
        list = new TRecordingListBox(form);
        list->SetBorderStyle(bsNone);
        list->SetItemHeight(16);
        list->SetBounds(10, 10, 150, 80); // five rows
        list->Items().BeginUpdate();
        for (int i = 0; i < 100; ++i) list->Items().Add("item " + std::to_string(i));
        list->Items().EndUpdate();
        list->OnClick = TNotifyEvent::FromFunction([this](TObject*) { clicks.push_back(list->ItemIndex()); });
        uitest::ShowActive(form);
        list->SetFocus();
    }
    void TearDown() override
    {
        delete form;
        UiTest::TearDown();
    }
    void Key(Qt::Key key) { QTest::keyClick(list, key); }
    QPoint Row(int row) const { return QPoint(20, row * 16 + 8); }

    TForm* form = nullptr;
    TRecordingListBox* list = nullptr;
    std::vector<int> clicks;
};

} // namespace

TEST_F(ListBoxTest, KeysMoveTheSelectionAndTheTopIndexFollows)
{
    EXPECT_EQ(list->VisibleRowCount(), 5);
    EXPECT_EQ(list->ItemIndex(), -1);
    Key(Qt::Key_Down); // from nothing: the top item
    EXPECT_EQ(list->ItemIndex(), 0);
    Key(Qt::Key_Down);
    Key(Qt::Key_PageDown); // a page is the rows on screen less one
    EXPECT_EQ(list->ItemIndex(), 5);
    EXPECT_EQ(list->TopIndex(), 1);
    Key(Qt::Key_End);
    EXPECT_EQ(list->ItemIndex(), 99);
    EXPECT_EQ(list->TopIndex(), 95);
    Key(Qt::Key_Down); // at the end: nothing changes, nothing fires
    Key(Qt::Key_PageUp);
    EXPECT_EQ(list->ItemIndex(), 95);
    Key(Qt::Key_Home);
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(clicks, (std::vector<int>{0, 1, 5, 99, 95, 0}));
    // The program's selection scrolls too, without a click.
    list->SetItemIndex(50);
    EXPECT_EQ(list->TopIndex(), 46);
    list->SetItemIndex(1000);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(clicks.size(), 6u);
}

TEST_F(ListBoxTest, TheTopIndexKeepsTheLastPageFullAndOnlyVisibleRowsAreDrawn)
{
    list->SetTopIndex(1000);
    EXPECT_EQ(list->TopIndex(), 95);
    list->SetTopIndex(-3);
    EXPECT_EQ(list->TopIndex(), 0);
    list->SetTopIndex(40);
    list->SetItemIndex(42);
    list->drawn.clear();
    list->repaint();
    ASSERT_FALSE(list->drawn.empty());
    EXPECT_EQ(list->drawn.front().first, 40);
    EXPECT_LE(list->drawn.back().first, 45); // five rows and a part
    for (const auto& [index, state] : list->drawn)
        EXPECT_EQ(state & (odSelected | odFocused), index == 42 ? (odSelected | odFocused) : 0u) << index;
    EXPECT_EQ(list->ItemRect(42), Bounds(0, 32, list->ItemsWidth(), 16));
    EXPECT_EQ(list->ItemAtPos({5, 33}, true), 42);
    list->Items().Clear();
    EXPECT_EQ(list->ItemAtPos({5, 33}, true), -1);
    EXPECT_EQ(list->ItemAtPos({5, 33}, false), 2);
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, AClickSelectsDraggingFollowsAndTheHotItemTracksThePointer)
{
    QTest::mouseClick(list, Qt::LeftButton, {}, Row(2));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(clicks, (std::vector<int>{2}));
    // Dragging selects what it passes over; past the bottom it scrolls on.
    QTest::mousePress(list, Qt::LeftButton, {}, Row(1));
    uitest::MovePointer(list, Row(3));
    EXPECT_EQ(list->ItemIndex(), 3);
    uitest::MovePointer(list, QPoint(20, 120));
    EXPECT_EQ(list->ItemIndex(), 5);
    EXPECT_EQ(list->TopIndex(), 1);
    QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(20, 120));

    // Moving without a button only changes the hot item ...
    uitest::MovePointer(list, Row(4));
    EXPECT_EQ(list->HotIndex(), 5);
    EXPECT_EQ(list->ItemIndex(), 5);
    // ... unless HotTrack makes the hot item the selected one.
    list->SetHotTrack(true);
    uitest::MovePointer(list, Row(0));
    EXPECT_EQ(list->HotIndex(), 1);
    EXPECT_EQ(list->ItemIndex(), 1);
    // The program's scrolling under a resting pointer selects nothing.
    list->SetTopIndex(10);
    EXPECT_EQ(list->ItemIndex(), 1);
    const std::size_t before = clicks.size();
    uitest::MovePointer(list, Row(1));
    EXPECT_EQ(list->ItemIndex(), 11);
    EXPECT_EQ(clicks.size(), before); // hot tracking is no click
}

TEST_F(ListBoxTest, TheWheelScrollsThreeRowsANotchUnlessAHandlerTakesIt)
{
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(20, 20), list->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &e);
    };
    wheel(-120);
    EXPECT_EQ(list->TopIndex(), 3);
    wheel(120);
    wheel(120);
    EXPECT_EQ(list->TopIndex(), 0);
    list->OnMouseWheel = TMouseWheelEvent::FromFunction([](TObject*, TShiftState, int, TPoint, bool& handled) { handled = true; });
    wheel(-120);
    EXPECT_EQ(list->TopIndex(), 0);
}

TEST_F(ListBoxTest, TheScrollBarShowsWhileTheItemsDoNotFitAndScrollsTheList)
{
    TScrollBar* bar = list->ScrollBarControl();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(list->ItemsWidth(), 150 - Metrics().VScrollWidth);
    EXPECT_EQ(bar->PageSize(), 5);
    bar->Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(list->TopIndex(), 5);
    // A list with a scroll bar of its own switches this one off.
    list->SetAutoScrollBar(false);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(list->ItemsWidth(), 150);
    // Items that fit need no bar.
    list->SetAutoScrollBar(true);
    while (list->Count() > 5) list->Items().Delete(list->Count() - 1);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(list->TopIndex(), 0);
}

TEST_F(ListBoxTest, OwnerDrawnItemsAreDrawnByTheHandlerWithTheirState)
{
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemIndex(1);
    std::vector<std::pair<int, TRect>> handled;
    list->OnDrawItem = TDrawItemEvent::FromFunction([&](TObject*, int index, const TRect& r, TOwnerDrawState state) {
        handled.emplace_back(index, r);
        list->Canvas().Brush().SetColor((state & odSelected) ? clRed : clYellow);
        list->Canvas().FillRect(r);
    });
    const QImage img = uitest::Render(list);
    testsupport::SaveSnapshot(img, "ui", "listbox-owner-drawn");
    ASSERT_GE(handled.size(), 5u);
    EXPECT_EQ(handled[1], (std::pair<int, TRect>{1, Bounds(0, 16, list->ItemsWidth(), 16)}));
    EXPECT_EQ(uitest::PixelAt(img, 5, 20), clRed);
    EXPECT_EQ(uitest::PixelAt(img, 5, 40), clYellow);
}

TEST_F(ListBoxTest, SelectStringFindsTheFirstItemStartingWithTheTextInEitherCase)
{
    list->Items().Insert(0, "Zeta");
    EXPECT_EQ(list->SelectString("ITEM 4"), 5);
    EXPECT_EQ(list->ItemIndex(), 5);
    EXPECT_EQ(list->SelectString("item 42"), 43);
    EXPECT_EQ(list->SelectString("zet"), 0);
    EXPECT_EQ(list->SelectString("nothing"), -1);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(ListBoxTest, TheDefaultDrawingHighlightsTheSelectedItem)
{
    list->SetBorderStyle(bsSingle);
    list->SetItemIndex(2);
    const QImage img = uitest::Render(list);
    testsupport::SaveSnapshot(img, "ui", "listbox-standard");
    const TPoint off = list->ClientOffset();
    EXPECT_EQ(uitest::PixelAt(img, off.X + list->ItemsWidth() - 3, off.Y + 2 * 16 + 8), SysColors()[COLOR_HIGHLIGHT]);
    EXPECT_EQ(uitest::PixelAt(img, off.X + list->ItemsWidth() - 3, off.Y + 16 + 8), SysColors()[COLOR_WINDOW]);
}
