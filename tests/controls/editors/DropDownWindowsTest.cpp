// The drop-down list, the recently-used list and the drop-down calendar as the user
// drives them.
#include "EditorsTestSupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QScrollBar>
#include <QWheelEvent>

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/editors/EditInterfaces.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Form.h"
#include "platform/ui/Popup.h"

using namespace editors;

namespace {

// The control that owns the drop-downs: records how they asked to be closed.
class TOwner : public ui::TForm, public IPopupOwnerEx {
public:
    void CloseUp(bool Accept) override { CloseUps.push_back(Accept); }
    std::vector<bool> CloseUps;
};

class DropDownWindowsTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        owner = new TOwner;
        owner->SetBounds(50, 50, 300, 200);
    }
    void TearDown() override
    {
        delete owner;
        UiTest::TearDown();
    }

    TPopupListboxEx* ShownList(std::initializer_list<const char*> items, int rows = 5)
    {
        auto* list = new TPopupListboxEx(owner);
        list->SetItemHeight(16);
        for (const char* item : items) list->Items().Add(item);
        list->SetBounds(100, 100, 150, 0);
        list->SetRows(rows);
        ui::ShowPopupNoActivate(list);
        return list;
    }

    static void Wheel(ui::TControl* control, int delta)
    {
        QWheelEvent e(QPointF(20, 20), control->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(control, &e);
    }

    ui::TManualTimers time;
    TOwner* owner = nullptr;
};

} // namespace

TEST_F(DropDownWindowsTest, TheListSnapsToWholeRowsAndKeepsAFloor)
{
    auto* list = new TPopupListboxEx(owner);
    list->SetItemHeight(16);
    EXPECT_EQ(list->GetBorderHeight(), 4); // raised edges on both sides
    EXPECT_FALSE(list->CanFocus());
    // 7.5 rows snap to 7.
    list->SetBounds(0, 0, 120, 4 + 16 * 7 + 8);
    EXPECT_EQ(list->Height(), 4 + 16 * 7);
    EXPECT_EQ(list->RowCount(), 7);
    EXPECT_EQ(list->VisibleRowCount(), 7);
    list->SetRows(3);
    EXPECT_EQ(list->Height(), 52);
    list->SetRows(0);
    EXPECT_EQ(list->Height(), 20);
    list->SetRows(-4);
    EXPECT_EQ(list->RowCount(), 1);
    // Never smaller than a scroll bar; zero and negative heights give one row.
    list->SetBounds(0, 0, 3, 0);
    EXPECT_EQ(list->Width(), 17);
    EXPECT_EQ(list->Height(), 20);
    list->SetBounds(0, 0, 50, -100);
    EXPECT_EQ(list->Height(), 20);
    // Without Ctl3D a thin border; with no item height the font's line height.
    list->SetCtl3D(false);
    EXPECT_EQ(list->GetBorderHeight(), 2);
    list->SetItemHeight(0);
    list->SetRows(2);
    EXPECT_EQ(list->Height(), 2 + 2 * list->GetTextHeight());
}

TEST_F(DropDownWindowsTest, HoveringSelectsAndTypingSearchesWithATwoSecondPause)
{
    TPopupListboxEx* list = ShownList({"apple", "apricot", "banana", "blueberry", "Blackcurrant", "cherry"});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    const ui::TPoint client = list->ClientOffset();
    uitest::MovePointer(list, QPoint(client.X + 20, client.Y + 5)); // the pointer comes in
    uitest::MovePointer(list, QPoint(client.X + 20, client.Y + 16 * 3 + 5));
    EXPECT_EQ(list->ItemIndex(), 3);
    uitest::MovePointer(list, QPoint(client.X + 25, client.Y + 16 + 2));
    EXPECT_EQ(list->ItemIndex(), 1);

    // Two letters within two seconds search together; after a longer pause a new search starts.
    QTest::keyClick(list, Qt::Key_B);
    EXPECT_EQ(list->ItemIndex(), 2);
    time.Advance(1500);
    QTest::keyClick(list, Qt::Key_L);
    EXPECT_EQ(list->ItemIndex(), 3); // "bl": blueberry
    EXPECT_EQ(list->SearchText(), "bl");
    time.Advance(1000);
    QTest::keyClick(list, Qt::Key_A);
    EXPECT_EQ(list->ItemIndex(), 4); // "bla", letter case ignored
    time.Advance(2001);
    QTest::keyClick(list, Qt::Key_C);
    EXPECT_EQ(list->ItemIndex(), 5);
    EXPECT_EQ(list->SearchText(), "c");
    // No match leaves the selection; Backspace and Esc start over.
    QTest::keyClick(list, Qt::Key_Z);
    EXPECT_EQ(list->ItemIndex(), 5);
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(list->SearchText(), "");
    QTest::keyClick(list, Qt::Key_A);
    EXPECT_EQ(list->ItemIndex(), 0);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(list->SearchText(), "");
    // The search text stops growing at 32 characters.
    for (int i = 0; i < 40; ++i) QTest::keyClick(list, Qt::Key_X);
    EXPECT_EQ(list->SearchText(), std::string(32, 'x'));
    // Keys the owner passes on work the same way.
    time.Advance(3000);
    char key = 'b';
    list->KeyPressFromOwner(key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(list->ItemIndex(), 2);
    ui::Word down = ui::VK_DOWN;
    list->KeyDownFromOwner(down, 0);
    EXPECT_EQ(list->ItemIndex(), 3);
}

TEST_F(DropDownWindowsTest, TheWheelMovesOneRowANotch)
{
    TPopupListboxEx* list = ShownList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}, 4);
    Wheel(list, -120);
    EXPECT_EQ(list->TopIndex(), 1);
    Wheel(list, -120);
    Wheel(list, 120);
    EXPECT_EQ(list->TopIndex(), 1);
    // A handler that takes the wheel comes first.
    list->OnMouseWheel = ui::TMouseWheelEvent::FromFunction(
        [](rtl::TObject*, ui::TShiftState, int, ui::TPoint, bool& handled) { handled = true; });
    Wheel(list, -120);
    EXPECT_EQ(list->TopIndex(), 1);
}

TEST_F(DropDownWindowsTest, ItemsShowTheirImagesBesideTheText)
{
    ui::TCustomImageList images(8, 8);
    for (ui::TColor color : {ui::clRed, ui::clBlue}) {
        ui::TBitmap b(8, 8);
        b.Canvas().Brush().SetColor(color);
        b.Canvas().FillRect({0, 0, 8, 8});
        images.Add(b);
    }
    TPopupListboxEx* list = ShownList({"first", "second", "third"}, 3);
    list->SetImageList(&images);
    std::vector<int> asked;
    list->OnGetItemImageIndex =
        TListGetImageIndexEventEx::FromFunction([&](rtl::TObject* sender, int item, int& image) {
            EXPECT_EQ(sender, owner);
            asked.push_back(item);
            image = item == 2 ? 0 : image;
        });
    list->SetItemIndex(1);
    const QImage img = uitest::Render(list);
    editorstest::WriteSnapshot("popup-list-images", img);
    const ui::TPoint c = list->ClientOffset();
    auto at = [&](int x, int row, int y) { return uitest::PixelAt(img, c.X + x, c.Y + row * 16 + y); };
    // The image area is the image width and 4 more, the image centred in it.
    EXPECT_EQ(at(6, 0, 8), ui::clRed);
    EXPECT_EQ(at(1, 0, 8), ui::SysColors()[ui::COLOR_WINDOW]);
    EXPECT_NE(at(6, 1, 8), ui::clBlue); // selected: blended
    EXPECT_EQ(at(6, 2, 8), ui::clRed);  // the handler gave the third item the first image
    // The selection and its focus frame take the text part only.
    EXPECT_EQ(at(1, 1, 8), ui::SysColors()[ui::COLOR_WINDOW]);
    EXPECT_EQ(at(40, 1, 1), ui::SysColors()[ui::COLOR_HIGHLIGHT]);
    EXPECT_EQ(at(40, 0, 1), ui::SysColors()[ui::COLOR_WINDOW]);
    EXPECT_FALSE(asked.empty());
    // The text starts 5 pixels after the image (in the text part, 12 pixels in).
    const QRect text = uitest::InkBounds(img.copy(c.X + 12, c.Y + 2 * 16, 100, 16), qRgb(255, 255, 255));
    EXPECT_GE(text.left(), 1);
    EXPECT_LE(text.left(), 3);
}

TEST_F(DropDownWindowsTest, TheGripFollowsThePlacementAndResizesTheListByWholeRows)
{
    const uitest::TWorkAreaScope workArea({0, 0, 800, 600});
    TPopupListboxEx* list = ShownList({"a", "b", "c", "d", "e", "f", "g", "h"}, 4);
    TSizeGripEx* grip = list->SizeGrip();
    grip->SetGripVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    list->Perform(CM_DROPDOWNPLACED, ddsTop);
    EXPECT_EQ(grip->GetPosition(), sgpTopRight);
    list->Perform(CM_DROPDOWNPLACED, ddsBottom);
    EXPECT_EQ(grip->GetPosition(), sgpBottomRight);

    list->SetSized(false);
    int resized = 0;
    grip->OnParentResized = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++resized; });
    const QPoint from = grip->mapToGlobal(QPoint(10, 10));
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(10, 10));
    uitest::MovePointer(grip, grip->mapFromGlobal(from + QPoint(20, 37)));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(from + QPoint(20, 37)));
    EXPECT_EQ(list->Width(), 170);
    EXPECT_EQ(list->RowCount(), 6); // 37 more pixels: two more whole rows
    EXPECT_EQ(list->Height(), 4 + 6 * 16);
    EXPECT_TRUE(list->Sized());
    EXPECT_EQ(resized, 1);
    // The grip sits in its corner again.
    EXPECT_EQ((ui::TPoint{grip->Left(), grip->Top()}),
              (ui::TPoint{list->ClientWidth() - 17, list->ClientHeight() - 17}));
}

TEST_F(DropDownWindowsTest, TheRecentlyUsedListCarriesItsOwnScrollBarBesideTheGrip)
{
    auto* list = new TMRUListboxEx(owner);
    list->SetItemHeight(16);
    list->SetBounds(100, 100, 150, 0);
    list->SetRows(4);
    list->SizeGrip()->SetGripVisible(true);
    ui::ShowPopupNoActivate(list);
    ui::TScrollBar* bar = list->ScrollBar();
    for (const char* t : {"one", "two", "three"}) list->Items().Add(t);
    EXPECT_FALSE(bar->Visible());
    EXPECT_TRUE(list->SizeGrip()->GetTriangleWindow());

    for (const char* t : {"four", "five", "six", "seven", "eight", "nine", "ten"}) list->Items().Add(t);
    EXPECT_TRUE(bar->Visible());
    EXPECT_FALSE(list->SizeGrip()->GetTriangleWindow()); // a square beside the bar
    EXPECT_EQ(bar->Max(), 9);
    EXPECT_EQ(bar->PageSize(), 4);
    // Along the right edge, above the grip at the bottom-right.
    EXPECT_EQ(bar->BoundsRect(), (ui::TRect{146 - 17, 0, 146, 64 - 17}));
    list->Perform(CM_DROPDOWNPLACED, ddsTop);
    EXPECT_EQ(bar->BoundsRect(), (ui::TRect{146 - 17, 17, 146, 64}));
    list->Perform(CM_DROPDOWNPLACED, ddsLeft); // the grip goes to the top-left
    EXPECT_EQ(bar->BoundsRect(), (ui::TRect{146 - 17, 0, 146, 64}));
    EXPECT_TRUE(list->SizeGrip()->GetTriangleWindow());

    // The bar scrolls the list; the wheel and the keys move the bar.
    bar->Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(list->TopIndex(), 1);
    Wheel(list, -120);
    EXPECT_EQ(list->TopIndex(), 2);
    EXPECT_EQ(bar->Position(), 2);
    ui::Word end = ui::VK_END;
    list->KeyDownFromOwner(end, 0);
    EXPECT_EQ(list->ItemIndex(), 9);
    EXPECT_EQ(bar->Position(), 6);
    editorstest::WriteSnapshot("mru-list", uitest::Render(list));

    while (list->Items().GetCount() > 2) list->Items().Delete(0);
    EXPECT_FALSE(bar->Visible());
}

TEST_F(DropDownWindowsTest, TheCalendarClosesThroughItsOwner)
{
    auto* calendar = new TPopupMonthCalendarEx(owner);
    const ui::TSize minimum = calendar->MinimumSize();
    EXPECT_EQ(calendar->Width(), minimum.cx + 4);
    EXPECT_EQ(calendar->Height(), minimum.cy + 4);
    calendar->SetDate(rtl::EncodeDate(2026, 3, 14));
    calendar->SetBounds(100, 100, calendar->Width(), calendar->Height());
    ui::ShowPopupNoActivate(calendar);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(calendar));
    editorstest::WriteSnapshot("popup-calendar", uitest::Render(calendar));

    QWidget* grid = calendar->CalendarWidget();
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_EQ(owner->CloseUps, (std::vector<bool>{true, false}));

    // The wheel moves the date a day at a time.
    Wheel(calendar, -120);
    EXPECT_EQ(calendar->Date(), rtl::EncodeDate(2026, 3, 15));
    Wheel(calendar, 120);
    Wheel(calendar, 120);
    EXPECT_EQ(calendar->Date(), rtl::EncodeDate(2026, 3, 13));

    // Clicks: a date picks it; the month arrows and the day names keep the calendar open.
    auto find = [&](unsigned code) {
        for (int y = 0; y < calendar->ClientHeight(); y += 2)
            for (int x = 0; x < calendar->ClientWidth(); x += 2)
                if (calendar->HitTest({x, y}) == code) return QPoint(x, y);
        return QPoint(-1, -1);
    };
    auto click = [&](QPoint p) {
        const ui::TPoint off = calendar->ClientOffset();
        const QPoint inWindow(p.x() + off.X, p.y() + off.Y);
        QWidget* part = calendar->childAt(inWindow);
        ASSERT_NE(part, nullptr);
        QTest::mouseClick(part, Qt::LeftButton, {}, part->mapFrom(calendar, inWindow));
    };
    owner->CloseUps.clear();
    const unsigned keepOpen[] = {ui::MCHT_TITLEBTNNEXT, ui::MCHT_CALENDARDAY, ui::MCHT_TITLEBTNPREV};
    for (unsigned code : keepOpen) {
        const QPoint p = find(code);
        ASSERT_NE(p, QPoint(-1, -1)) << code;
        click(p);
        EXPECT_TRUE(owner->CloseUps.empty()) << code;
    }
    const QPoint date = find(ui::MCHT_CALENDARDATE);
    ASSERT_NE(date, QPoint(-1, -1));
    click(date);
    EXPECT_EQ(owner->CloseUps, (std::vector<bool>{true}));

    // Posted close: without taking the date.
    owner->CloseUps.clear();
    calendar->PostMessage(CM_CLOSEUPNOACCEPT);
    QApplication::processEvents();
    EXPECT_EQ(owner->CloseUps, (std::vector<bool>{false}));
}

TEST_F(DropDownWindowsTest, ADropDownLeavesTheFocusAndActivationWithItsOwner)
{
    auto* edit = new ui::TCustomEdit(owner);
    edit->SetBounds(10, 10, 120, 21);
    uitest::ShowActive(owner);
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());

    TPopupListboxEx* list = ShownList({"one", "two", "three"}, 3);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    const ui::TPoint c = list->ClientOffset();
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(c.X + 10, c.Y + 16 * 2 + 4));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(QApplication::activeWindow(), owner);

    auto* calendar = new TPopupMonthCalendarEx(owner);
    calendar->SetBounds(100, 200, calendar->Width(), calendar->Height());
    ui::ShowPopupNoActivate(calendar);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(calendar));
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(QApplication::activeWindow(), owner);
}
