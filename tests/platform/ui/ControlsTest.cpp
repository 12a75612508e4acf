// Label, push button, panel, month calendar, speed-button captions and suppressed
// clicks, window regions, per-point hints and the form's placement and window state.
#include "UiTestSupport.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include "support/Snapshot.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Form.h"
#include "platform/ui/Hints.h"
#include "platform/ui/MonthCalendar.h"
#include "platform/ui/Popup.h"
#include "platform/ui/StdControls.h"
#include "platform/ui/Timer.h"

using namespace ui;

namespace {

class ControlsTest : public uitest::FormTest {};

// A speed button that suppresses the click of a release, as an up/down button does
// when the pointer left the pressed half.
class TNoClickButton : public TSpeedButton {
public:
    using TSpeedButton::TSpeedButton;
    bool suppress = false;

protected:
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override
    {
        if (suppress) NoClickOnRelease = true;
        TSpeedButton::MouseUp(button, shift, x, y);
    }
};

// Tips by cell: four 50-pixel cells in a row, each with its own tip at once.
class TCellTips : public TControl {
public:
    using TControl::TControl;
    int asked = 0;
    bool WantsHints() const override { return true; }
    int HintShowPause(TPoint p) override { return p.X < 100 ? 0 : TControl::HintShowPause(p); }
    bool ShowHintAt(THintInfo& info) override
    {
        ++asked;
        const int cell = info.CursorPos.X / 50;
        info.CursorRect = Bounds(cell * 50, 0, 50, Height());
        info.HintStr = "cell " + std::to_string(cell);
        info.HintPos = ClientToScreen({cell * 50, 0});
        info.HideTimeout = 0;
        return cell != 3; // the last cell has no tip
    }
};

// A pointer move delivered at once (a real pointer on X11 would arrive later).
void MoveTo(QWidget* w, QPoint p)
{
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The date cell of the calendar's view that shows day of the month now shown.
QPoint DayCell(TMonthCalendar* calendar, int day, QTableView*& view)
{
    view = calendar->CalendarWidget()->findChild<QTableView*>("qt_calendar_calendarview");
    QAbstractItemModel* model = view->model();
    for (int row = 2; row < model->rowCount(); ++row)
        for (int col = 0; col < model->columnCount(); ++col) {
            const QModelIndex index = model->index(row, col);
            if (model->data(index, Qt::DisplayRole).toInt() == day && (day > 7 || row < 4))
                return view->visualRect(index).center();
        }
    return {};
}

} // namespace

TEST_F(ControlsTest, ALabelsAcceleratorFocusesItsControl)
{
    auto* label = new TLabel(form);
    label->SetCaption("&Name:");
    auto* edit = new TCustomEdit(form);
    edit->SetTop(30);
    auto* other = new TCustomEdit(form);
    other->SetTop(60);
    label->SetFocusControl(edit);
    uitest::ShowActive(form);
    other->SetFocus();
    // AutoSize: the label is as wide as its text without the '&'.
    EXPECT_EQ(label->Width(), QFontMetrics(label->Font().ToQFont()).horizontalAdvance("Name:"));
    QTest::keyClick(other->EditWindow(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(other->Text(), "");
    // Another letter is no accelerator; without ShowAccelChar there is none.
    other->SetFocus();
    QTest::keyClick(other->EditWindow(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(other->Focused());
    label->SetShowAccelChar(false);
    QTest::keyClick(other->EditWindow(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(other->Focused());
    // A freed focus control is forgotten.
    label->SetShowAccelChar(true);
    delete edit;
    EXPECT_EQ(label->FocusControl(), nullptr);
    QTest::keyClick(other->EditWindow(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(other->Focused());
    EXPECT_TRUE(IsAccel('n', "&Name"));
    EXPECT_FALSE(IsAccel('n', "&&Name"));
    EXPECT_TRUE(IsAccel('N', "Save &&&now"));
    testsupport::SaveSnapshot(label, "ui", "label-accelerator");
}

TEST_F(ControlsTest, EnterClicksTheDefaultButtonEscTheCancelOneAndAFocusedButtonTakesEnter)
{
    auto* edit = new TCustomEdit(form);
    auto* ok = new TButton(form);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->SetBounds(10, 40, 75, 25);
    auto* cancel = new TButton(form);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    cancel->SetBounds(90, 40, 75, 25);
    auto* apply = new TButton(form);
    apply->SetCaption("&Apply");
    apply->SetBounds(170, 40, 75, 25);
    int applied = 0;
    apply->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++applied; });

    auto runModal = [&](const std::function<void()>& keys) {
        QTimer::singleShot(0, [&] {
            edit->SetFocus();
            keys();
        });
        return form->ShowModal();
    };
    EXPECT_EQ(runModal([&] { QTest::keyClick(edit->EditWindow(), Qt::Key_Return); }), mrOk);
    EXPECT_EQ(runModal([&] { QTest::keyClick(edit->EditWindow(), Qt::Key_Escape); }), mrCancel);
    // A focused button takes Enter itself; Space clicks it too; its accelerator clicks it.
    EXPECT_EQ(runModal([&] {
                  apply->SetFocus();
                  QTest::keyClick(apply, Qt::Key_Return);
                  QTest::keyClick(apply, Qt::Key_Space);
                  QTest::keyClick(apply, Qt::Key_A, Qt::AltModifier);
                  form->SetModalResult(mrAbort);
                  // clang-format off
    }), mrAbort);
    // clang-format on
    EXPECT_EQ(applied, 3);
    form->Show();
    apply->SetFocus();
    testsupport::SaveSnapshot(form, "ui", "buttons-default-cancel");
}

TEST_F(ControlsTest, APushButtonClicksOnReleaseOverItselfAndShowsPressedMeanwhile)
{
    auto* button = new TButton(form);
    button->SetCaption("Press");
    int clicks = 0;
    button->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++clicks; });
    uitest::ShowActive(form);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->Pressed());
    EXPECT_TRUE(button->Focused());
    uitest::MovePointer(button, QPoint(200, 10));
    EXPECT_FALSE(button->Pressed());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    button->SetEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, APanelDrawsItsBevelsBorderAndCaption)
{
    auto* panel = new TPanel(form);
    panel->SetBounds(0, 0, 100, 30);
    panel->SetColor(clBtnFace);
    const QImage raised = uitest::Render(panel);
    EXPECT_EQ(uitest::PixelAt(raised, 0, 0), SysColors()[COLOR_BTNHIGHLIGHT]);
    EXPECT_EQ(uitest::PixelAt(raised, 99, 29), SysColors()[COLOR_BTNSHADOW]);
    EXPECT_EQ(uitest::PixelAt(raised, 50, 15), SysColors()[COLOR_BTNFACE]);
    panel->SetBevelOuter(bvLowered);
    const QImage lowered = uitest::Render(panel);
    EXPECT_EQ(uitest::PixelAt(lowered, 0, 0), SysColors()[COLOR_BTNSHADOW]);

    // The calculator's display: no outer bevel, a border of 2, the number at the right.
    panel->SetBevelOuter(bvNone);
    panel->SetBorderWidth(2);
    panel->SetColor(clWhite);
    panel->SetAlignment(taRightJustify);
    panel->SetCaption("12.6");
    EXPECT_EQ(panel->InnerRect(), (TRect{2, 2, 98, 28}));
    const QImage display = uitest::Render(panel);
    testsupport::SaveSnapshot(display, "ui", "panel-display");
    const QRect ink = uitest::InkBounds(display);
    // The text ends at the inner rectangle's right edge.
    EXPECT_GE(ink.right(), 94);
    EXPECT_LE(ink.right(), 97);
    EXPECT_GE(ink.left(), 50);
}

TEST_F(ControlsTest, SpeedButtonCaptionsTakeTheFontColourAndADescendantCanSuppressAClick)
{
    auto* button = new TNoClickButton(form);
    button->SetBounds(10, 10, 40, 22);
    button->SetCaption("7");
    button->Font().SetColor(clBlue);
    button->Font().SetStyle(fsBold);
    int clicks = 0;
    button->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++clicks; });
    uitest::ShowActive(form);
    const QImage img = uitest::Render(button);
    testsupport::SaveSnapshot(img, "ui", "speedbutton-blue-caption");
    bool blue = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) blue = blue || uitest::PixelAt(img, x, y) == clBlue;
    EXPECT_TRUE(blue);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    button->suppress = true;
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), bsUp);
    // The suppression holds for that one release only.
    button->suppress = false;
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, AWindowRegionLimitsWhereAControlTakesTheMouse)
{
    auto* below = new TPanel(form);
    below->SetBounds(10, 10, 40, 40);
    auto* grip = new TPanel(form);
    grip->SetBounds(10, 10, 40, 40);
    // The bottom-right half: the triangle toward the corner.
    grip->SetWindowRgn({{40, 0}, {40, 40}, {0, 40}});
    EXPECT_TRUE(grip->HasWindowRgn());
    int gripClicks = 0, belowClicks = 0;
    grip->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++gripClicks; });
    below->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++belowClicks; });
    uitest::ShowActive(form);
    const TPoint off = form->ClientOffset();
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, QPoint(off.X + 10 + 35, off.Y + 10 + 35));
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, QPoint(off.X + 10 + 5, off.Y + 10 + 5));
    EXPECT_EQ(gripClicks, 1);
    EXPECT_EQ(belowClicks, 1);
    grip->ClearWindowRgn();
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, QPoint(off.X + 10 + 5, off.Y + 10 + 5));
    EXPECT_EQ(gripClicks, 2);
}

TEST_F(ControlsTest, HintsShowAfterTheirPauseStayInTheirRectangleAndGoOnAPress)
{
    TManualTimers timers;
    auto* control = new TPanel(form);
    control->SetBounds(10, 10, 100, 50);
    control->SetHint("a panel");
    control->SetShowHint(true);
    uitest::ShowActive(form);
    MoveTo(control, QPoint(20, 20));
    EXPECT_EQ(HintShownFor(), nullptr);
    timers.Advance(HintSettings().Pause - 1);
    EXPECT_EQ(HintShownFor(), nullptr);
    timers.Advance(1);
    ASSERT_EQ(HintShownFor(), control);
    EXPECT_EQ(ControlHintWindow().Caption(), "a panel");
    EXPECT_TRUE(ControlHintWindow().isVisible());
    MoveTo(control, QPoint(30, 25));
    EXPECT_EQ(HintShownFor(), control);
    timers.Advance(HintSettings().HidePause);
    EXPECT_EQ(HintShownFor(), nullptr); // it hid itself
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(30, 25));
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(30, 25));
    timers.Advance(10 * HintSettings().Pause);
    EXPECT_EQ(HintShownFor(), nullptr); // a press ends hints until the pointer moves on
    CancelHint();
}

TEST_F(ControlsTest, PerPointHintsGiveEachCellItsOwnTipAtOnce)
{
    TManualTimers timers;
    auto* cells = new TCellTips(form);
    cells->SetBounds(0, 0, 200, 30);
    uitest::ShowActive(form);
    MoveTo(cells, QPoint(10, 10));
    ASSERT_EQ(HintShownFor(), cells);
    EXPECT_EQ(ControlHintWindow().Caption(), "cell 0");
    EXPECT_EQ(ControlHintWindow().Left(), cells->ClientToScreen({0, 0}).X);
    MoveTo(cells, QPoint(40, 12)); // the same cell: the same tip, not asked again
    EXPECT_EQ(cells->asked, 1);
    MoveTo(cells, QPoint(60, 12));
    EXPECT_EQ(ControlHintWindow().Caption(), "cell 1");
    EXPECT_EQ(cells->asked, 2);
    // Cell 2 waits for the ordinary pause; cell 3 has no tip at all.
    MoveTo(cells, QPoint(110, 12));
    EXPECT_EQ(HintShownFor(), nullptr);
    timers.Advance(HintSettings().Pause);
    EXPECT_EQ(ControlHintWindow().Caption(), "cell 2");
    // No hide time-out: it stays while the pointer stays.
    timers.Advance(10 * HintSettings().HidePause);
    EXPECT_EQ(HintShownFor(), cells);
    MoveTo(cells, QPoint(160, 12));
    timers.Advance(HintSettings().Pause);
    EXPECT_EQ(HintShownFor(), nullptr);
    CancelHint();
}

TEST_F(ControlsTest, TheMonthCalendarPicksADateByClickAndKeysAndHitTestsItsParts)
{
    auto* calendar = new TMonthCalendar(form);
    calendar->SetBounds(0, 0, 260, 190);
    int changes = 0;
    calendar->OnChange = TNotifyEvent::FromFunction([&](TObject*) { ++changes; });
    std::vector<Word> keys;
    calendar->OnKeyDown = TKeyEvent::FromFunction([&](TObject*, Word& key, TShiftState) {
        keys.push_back(key);
        if (key == VK_RETURN) key = 0;
    });
    std::vector<unsigned> released;
    calendar->OnMouseUp = TMouseEvent::FromFunction([&](TObject*, TMouseButton, TShiftState, int x, int y) {
        released.push_back(calendar->HitTest({x, y}));
    });
    uitest::ShowActive(form);
    calendar->SetDate(rtl::EncodeDate(2026, 3, 10));
    EXPECT_EQ(calendar->Date(), rtl::EncodeDate(2026, 3, 10));
    EXPECT_GE(calendar->MinimumSize().cx, 100);

    QTableView* view = nullptr;
    const QPoint cell = DayCell(calendar, 18, view);
    ASSERT_FALSE(cell.isNull());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(calendar->Date(), rtl::EncodeDate(2026, 3, 18));
    EXPECT_GE(changes, 1);
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0], MCHT_CALENDARDATE);

    // Keys reach the control's hooks first; those it leaves move the date.
    calendar->SetFocus();
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(calendar->Date(), rtl::EncodeDate(2026, 3, 19));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(keys, (std::vector<Word>{VK_RIGHT, VK_RETURN}));

    // Hit codes of the parts.
    auto at = [&](const char* name) {
        auto* w = calendar->CalendarWidget()->findChild<QWidget*>(name);
        const QPoint c = w->mapTo(calendar, w->rect().center());
        return calendar->HitTest({c.x(), c.y()});
    };
    EXPECT_EQ(at("qt_calendar_prevmonth"), MCHT_TITLEBTNPREV);
    EXPECT_EQ(at("qt_calendar_nextmonth"), MCHT_TITLEBTNNEXT);
    EXPECT_EQ(at("qt_calendar_monthbutton"), MCHT_TITLEMONTH);
    const QRect header = view->visualRect(view->model()->index(0, 3));
    const QPoint h = view->viewport()->mapTo(calendar, header.center());
    EXPECT_EQ(calendar->HitTest({h.x(), h.y()}), MCHT_CALENDARDAY);
    const QRect first = view->visualRect(view->model()->index(1, 0)); // March 2026 starts on a Sunday
    const QPoint f = view->viewport()->mapTo(calendar, first.center());
    EXPECT_EQ(calendar->HitTest({f.x(), f.y()}), MCHT_CALENDARDATEPREV);
    EXPECT_EQ(calendar->HitTest({-5, -5}), MCHT_NOWHERE);
    testsupport::SaveSnapshot(calendar, "ui", "monthcalendar");
}

TEST_F(ControlsTest, ACalendarAsAPopupLeavesTheFocusInTheEdit)
{
    auto* edit = new TCustomEdit(form);
    auto* calendar = new TMonthCalendar(nullptr);
    MakePopup(calendar, form);
    calendar->SetBounds(form->Left() + 10, form->Top() + 40, 240, 170);
    uitest::ShowActive(form);
    edit->SetFocus();
    ShowPopupNoActivate(calendar);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_TRUE(calendar->isWindow());
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(QApplication::activeWindow(), form);
    calendar->Hide();
}

TEST_F(ControlsTest, AFormCentresKeepsItsNormalBoundsAndStaysOnTop)
{
    form->SetPosition(poScreenCenter);
    form->SetBounds(0, 0, 300, 200);
    form->Show();
    const QRect screen = form->screen()->geometry();
    EXPECT_EQ(form->Left(), screen.x() + (screen.width() - 300) / 2);
    EXPECT_EQ(form->Top(), screen.y() + (screen.height() - 200) / 2);

    // A form owned by another centres on it.
    TForm dialog(form);
    dialog.SetPosition(poOwnerFormCenter);
    dialog.SetBounds(0, 0, 100, 60);
    dialog.Show();
    const QRect owner = form->frameGeometry();
    EXPECT_EQ(dialog.Left(), owner.x() + (owner.width() - 100) / 2);
    dialog.Hide();

    form->SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->isVisible());
    form->SetFormStyle(fsNormal);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);

    form->SetPosition(poDesigned);
    form->SetBounds(40, 30, 300, 200);
    form->SetWindowState(wsMaximized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->WindowState() == wsMaximized; }, 2000));
    EXPECT_EQ(form->NormalBounds(), (TRect{40, 30, 340, 230}));
    form->SetNormalBounds({50, 60, 250, 160});
    EXPECT_EQ(form->WindowState(), wsMaximized);
    form->SetWindowState(wsNormal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->WindowState() == wsNormal; }, 2000));
    EXPECT_EQ(form->BoundsRect(), (TRect{50, 60, 250, 160}));
    EXPECT_EQ(form->NormalBounds(), form->BoundsRect());
}

TEST_F(ControlsTest, ADialogKeepsItsSizeWhileShownAndHasNoMinimizeOrMaximize)
{
    TForm dialog(form);
    dialog.SetFormBorderStyle(bsDialog);
    EXPECT_EQ(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.SetClientSize(505, 124);
    dialog.Show();
    EXPECT_EQ(dialog.minimumSize(), QSize(505, 124));
    EXPECT_EQ(dialog.maximumSize(), QSize(505, 124));
    dialog.Hide();
    dialog.SetClientSize(300, 100);
    EXPECT_EQ(dialog.ClientWidth(), 300);
    dialog.SetFormBorderStyle(bsSizeable);
    EXPECT_EQ(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Window);
    dialog.Show();
    EXPECT_EQ(dialog.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    dialog.Hide();
}

TEST_F(ControlsTest, AFormNotShownYetFocusesItsActiveControlWhenItShows)
{
    auto* first = new TCustomEdit(form);
    auto* second = new TCustomEdit(form);
    auto* disabled = new TCustomEdit(form);
    disabled->SetEnabled(false);
    auto* hidden = new TCustomEdit(form);
    hidden->Hide();
    TForm other;
    auto* elsewhere = new TCustomEdit(&other);
    for (TControl* c : std::initializer_list<TControl*>{disabled, hidden, elsewhere})
        EXPECT_FALSE(form->CanActivate(c));
    EXPECT_FALSE(form->CanActivate(nullptr));
    EXPECT_TRUE(form->CanActivate(second));
    EXPECT_THROW(form->SetActiveControl(disabled), rtl::EInvalidOperation);

    form->SetActiveControl(second);
    EXPECT_EQ(form->ActiveControl(), second);
    uitest::ShowActive(form);
    EXPECT_TRUE(second->Focused());
    EXPECT_TRUE(form->CanActivate(first));
    EXPECT_FALSE(form->CanActivate(hidden));
    form->SetActiveControl(first);
    EXPECT_TRUE(first->Focused());
}
