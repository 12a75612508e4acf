// Controls: focus, keys, mouse, capture and cancel mode, messages, timers, fonts and colours.
#include "UiTestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <QWheelEvent>

#include "platform/rtl/Exception.h"
#include "platform/ui/Control.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Form.h"
#include "platform/ui/Timer.h"

using namespace ui;

namespace {

// A control that records what reaches its hooks.
class TProbe : public TControl {
public:
    explicit TProbe(TControl* parent = nullptr) : TControl(parent)
    {
        SetTabStop(true);
        SetBounds(0, 0, 50, 30);
    }

    std::vector<std::string> Log;   // focus
    std::vector<std::string> Mouse; // buttons, clicks, context pop-up
    TControl* FocusPrevious = nullptr;
    TControl* FocusNext = nullptr;
    TControl* CancelSender = nullptr;
    std::vector<TMessage> Messages;
    std::vector<int> Ticks;
    std::vector<Word> KeysDown;
    std::string Typed;
    bool WantEscape = false;
    bool ConsumeWheel = false;
    int WheelCount = 0;
    TPoint LastMouse;
    int DoubleDowns = 0;
    int DblClicks = 0;

protected:
    // clang-format off
    void FocusIn(TControl* previous) override { FocusPrevious = previous; Log.push_back("focusin"); }
    void FocusOut(TControl* next) override { FocusNext = next; Log.push_back("focusout"); }
    void DoEnter() override { Log.push_back("enter"); TControl::DoEnter(); }
    void DoExit() override { Log.push_back("exit"); TControl::DoExit(); }
    void CancelMode(TControl* sender) override { CancelSender = sender; }
    void WndProc(TMessage& m) override { Messages.push_back(m); m.Result = static_cast<std::intptr_t>(m.Msg) + 1; }
    void TimerTick(int id) override { Ticks.push_back(id); }
    void KeyDown(Word& key, TShiftState shift) override { KeysDown.push_back(key); TControl::KeyDown(key, shift); }
    void KeyPress(char& key) override { TControl::KeyPress(key); if (key) Typed += key; }
    // clang-format on
    bool WantSpecialKey(Word key, TShiftState) override { return WantEscape && key == VK_ESCAPE; }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        LastMouse = {x, y};
        if (s & ssDouble) ++DoubleDowns;
        Mouse.push_back(b == mbRight ? "rdown" : "down");
        TControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        Mouse.push_back(b == mbRight ? "rup" : "up");
        TControl::MouseUp(b, s, x, y);
    }
    // clang-format off
    void Click() override { Mouse.push_back("click"); TControl::Click(); }
    void DblClick() override { ++DblClicks; TControl::DblClick(); }
    void DoContextPopup(TPoint p, bool& handled) override { Mouse.push_back("popup"); TControl::DoContextPopup(p, handled); }
    // clang-format on
    bool DoMouseWheel(TShiftState shift, int delta, TPoint pos) override
    {
        ++WheelCount;
        TControl::DoMouseWheel(shift, delta, pos);
        return ConsumeWheel;
    }
};

class TDialogForm : public TForm {
public:
    std::vector<Word> DialogKeys;
    bool DialogKey(Word key, TShiftState shift) override
    {
        if (key == VK_RETURN || key == VK_ESCAPE) {
            DialogKeys.push_back(key);
            return true;
        }
        return TForm::DialogKey(key, shift);
    }
};

class ControlTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new TDialogForm;
        form->SetBounds(100, 100, 300, 200);
        a = new TProbe(form);
        b = new TProbe(form);
        b->SetLeft(100);
    }
    void TearDown() override
    {
        delete form;
        UiTest::TearDown();
    }

    TDialogForm* form = nullptr;
    TProbe* a = nullptr;
    TProbe* b = nullptr;
};

} // namespace

TEST_F(ControlTest, FocusChangesReportTheControlOnTheOtherSide)
{
    uitest::ShowActive(form);
    auto* edit = new TCustomEdit(form);
    edit->SetLeft(200);
    a->SetFocus();
    a->Log.clear();
    b->SetFocus();
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(a->FocusNext, b);
    EXPECT_EQ(b->FocusPrevious, a);
    EXPECT_EQ(a->Log, (std::vector<std::string>{"focusout", "exit"}));
    EXPECT_EQ(b->Log, (std::vector<std::string>{"focusin", "enter"}));
    // An edit's text box stands for the edit.
    edit->SetFocus();
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(b->FocusNext, edit);
    a->SetFocus();
    EXPECT_EQ(a->FocusPrevious, edit);
    EXPECT_EQ(form->ActiveControl(), a);
}

TEST_F(ControlTest, AMessagePostedOnceIsQueuedOnceAndCanBeTakenBack)
{
    EXPECT_TRUE(a->PostMessageOnce(WM_USER + 1, 5, 6));
    EXPECT_FALSE(a->PostMessageOnce(WM_USER + 1, 7, 8));
    EXPECT_TRUE(a->HasPostedMessage(WM_USER + 1));
    a->PostMessage(WM_USER + 2);
    TMessage removed;
    EXPECT_TRUE(a->RemovePostedMessage(WM_USER + 2, &removed));
    EXPECT_EQ(removed.Msg, WM_USER + 2u);
    EXPECT_FALSE(a->RemovePostedMessage(WM_USER + 2));
    QCoreApplication::processEvents();
    ASSERT_EQ(a->Messages.size(), 1u);
    EXPECT_EQ(a->Messages[0].Msg, WM_USER + 1u);
    EXPECT_EQ(a->Messages[0].WParam, 5);
    EXPECT_EQ(a->Messages[0].LParam, 6);
    EXPECT_FALSE(a->HasPostedMessage(WM_USER + 1));
    // Once delivered, it may be posted again.
    EXPECT_TRUE(a->PostMessageOnce(WM_USER + 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(a->Messages.size(), 2u);
    // Perform runs at once and returns the result.
    EXPECT_EQ(a->Perform(WM_USER + 9), static_cast<std::intptr_t>(WM_USER + 10));
    EXPECT_EQ(a->Messages.size(), 3u);
}

TEST_F(ControlTest, AnExceptionInAKeyHandlerReachesTheHandlerAndTheProgramGoesOn)
{
    uitest::ShowActive(form);
    a->SetFocus();
    int calls = 0;
    a->OnKeyDown = TKeyEvent::FromFunction([&](TObject*, Word& key, TShiftState) {
        ++calls;
        if (key == 'X') throw rtl::Exception("bad key");
    });
    QTest::keyClick(a, Qt::Key_X);
    ASSERT_EQ(Exceptions.size(), 1u);
    EXPECT_EQ(Exceptions[0], "bad key");
    QTest::keyClick(a, Qt::Key_Y);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(a->Typed, "y");

    // Without an installed handler the failure is shown in a box captioned "Error".
    SetExceptionHandler(nullptr);
    QTest::keyClick(a, Qt::Key_X);
    ASSERT_EQ(Boxes.Requests.size(), 1u);
    EXPECT_EQ(Boxes.Requests[0].Caption, "Error");
    EXPECT_EQ(Boxes.Requests[0].Text, "bad key");
    EXPECT_EQ(Boxes.Requests[0].Type, mtError);
}

TEST_F(ControlTest, KeysCarryVirtualCodesAndShiftStateAndCanBeConsumedOrRewritten)
{
    uitest::ShowActive(form);
    a->SetFocus();
    TShiftState seen = 0;
    a->OnKeyDown = TKeyEvent::FromFunction([&](TObject*, Word& key, TShiftState shift) {
        seen = shift;
        if (key == VK_F2) key = 0; // consumed: no character follows
    });
    QTest::keyClick(a, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(a->KeysDown.back(), 'A');
    EXPECT_TRUE(seen & ssShift);
    QTest::keyClick(a, Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(a->KeysDown.back(), '1');
    QTest::keyClick(a, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(a->KeysDown.back(), VK_NUMPAD0 + 5);
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_EQ(a->KeysDown.back(), VK_DOWN);
    QTest::keyClick(a, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(a->Typed.back(), '\x16');
    EXPECT_TRUE(seen & ssCtrl);
    a->Typed.clear();
    a->OnKeyPress = TKeyPressEvent::FromFunction([](TObject*, char& key) { if (key == 'q') key = 0; });
    QTest::keyClick(a, Qt::Key_Q);
    EXPECT_TRUE(a->Typed.empty());

    // In an edit a rewritten character is what gets typed.
    auto* edit = new TCustomEdit(form);
    edit->SetLeft(200);
    edit->SetFocus();
    edit->OnKeyPress = TKeyPressEvent::FromFunction([](TObject*, char& key) {
        if (key == ',') key = '.';
        if (key == 'x') key = 0;
    });
    QTest::keyClicks(edit->EditWindow(), "1,5x");
    EXPECT_EQ(edit->Text(), "1.5");
}

TEST_F(ControlTest, EnterAndEscapeGoToTheFormUnlessTheControlWantsThem)
{
    uitest::ShowActive(form);
    a->SetFocus();
    QTest::keyClick(a, Qt::Key_Escape);
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_EQ(form->DialogKeys, (std::vector<Word>{VK_ESCAPE, VK_RETURN}));
    EXPECT_TRUE(a->KeysDown.empty());

    // A control with an open pop-up keeps Esc from the dialog, and from the form's shortcuts.
    int shortcutHits = 0;
    QShortcut shortcut(QKeySequence(Qt::Key_Escape), form);
    QObject::connect(&shortcut, &QShortcut::activated, [&] { ++shortcutHits; });
    a->WantEscape = true;
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_EQ(shortcutHits, 0);
    EXPECT_EQ(form->DialogKeys.size(), 2u);
    ASSERT_EQ(a->KeysDown.size(), 1u);
    EXPECT_EQ(a->KeysDown[0], VK_ESCAPE);
    EXPECT_EQ(a->Typed, "\x1b");
    a->WantEscape = false;
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_EQ(shortcutHits, 1);

    // Tab that nobody keeps moves the focus.
    QTest::keyClick(a, Qt::Key_Tab);
    EXPECT_TRUE(b->Focused());
}

TEST_F(ControlTest, KeyPreviewShowsKeysToTheFormFirst)
{
    uitest::ShowActive(form);
    a->SetFocus();
    form->SetKeyPreview(true);
    std::vector<Word> previewed;
    form->OnKeyDown = TKeyEvent::FromFunction([&](TObject*, Word& key, TShiftState) {
        previewed.push_back(key);
        if (key == 'K') key = 0;
    });
    QTest::keyClick(a, Qt::Key_K);
    QTest::keyClick(a, Qt::Key_L);
    EXPECT_EQ(previewed, (std::vector<Word>{'K', 'L'}));
    EXPECT_EQ(a->KeysDown, (std::vector<Word>{'L'}));
    // A key without a code (an accented letter) is not previewed and still types.
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xE9)));
    QApplication::sendEvent(a, &accent);
    EXPECT_EQ(previewed.size(), 2u);
    EXPECT_EQ(a->Typed, "l\xE9");
}

TEST_F(ControlTest, APressOnAnotherControlSendsCancelModeToTheFocusedOne)
{
    uitest::ShowActive(form);
    a->SetFocus();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(a->CancelSender, b);
    EXPECT_EQ(b->CancelSender, nullptr);
    EXPECT_TRUE(b->Focused());
    // A press on the focused control itself names it as the sender.
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->CancelSender, b);
}

TEST_F(ControlTest, MouseCaptureTakesEveryMouseEventUntilReleased)
{
    uitest::ShowActive(form);
    a->SetMouseCapture(true);
    EXPECT_TRUE(a->MouseCapture());
    EXPECT_EQ(TControl::CaptureControl(), a);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Mouse.empty());
    EXPECT_EQ(a->Mouse, (std::vector<std::string>{"down", "up"}));
    EXPECT_EQ(a->LastMouse, (TPoint{105, 5})); // in the capturing control's coordinates
    // Another control taking the capture cancels the first one's.
    b->SetMouseCapture(true);
    EXPECT_FALSE(a->MouseCapture());
    b->SetMouseCapture(false);
    a->Mouse.clear();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a->Mouse.empty());
    EXPECT_EQ(b->Mouse, (std::vector<std::string>{"down", "click", "up"}));
}

TEST_F(ControlTest, ClickNeedsTheReleaseOverTheControlAndTheRightButtonUpComesBeforeTheContextPopup)
{
    uitest::ShowActive(form);
    QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(80, 5)); // released outside
    EXPECT_EQ(a->Mouse, (std::vector<std::string>{"down", "up"}));
    a->Mouse.clear();
    QTest::mouseClick(a, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(a->Mouse, (std::vector<std::string>{"rdown", "rup", "popup"}));
    // A double click is a press with ssDouble after DblClick.
    a->Mouse.clear();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), a->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(a, &dbl);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), a->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(a, &up);
    EXPECT_EQ(a->Mouse, (std::vector<std::string>{"down", "up"}));
    EXPECT_EQ(a->DoubleDowns, 1);
    EXPECT_EQ(a->DblClicks, 1);
}

TEST_F(ControlTest, AnUnhandledWheelGoesToTheParent)
{
    auto* outer = new TProbe(form);
    outer->SetBounds(0, 50, 200, 100);
    auto* inner = new TProbe(outer);
    uitest::ShowActive(form);
    auto wheel = [&] {
        QWheelEvent ev(QPointF(5, 5), inner->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(inner, &ev);
    };
    int delta = 0;
    inner->OnMouseWheel = TMouseWheelEvent::FromFunction([&](TObject*, TShiftState, int d, TPoint, bool&) { delta = d; });
    wheel();
    EXPECT_EQ(delta, -120);
    EXPECT_EQ(inner->WheelCount, 1);
    EXPECT_EQ(outer->WheelCount, 1);
    inner->ConsumeWheel = true;
    wheel();
    EXPECT_EQ(inner->WheelCount, 2);
    EXPECT_EQ(outer->WheelCount, 1);
}

TEST_F(ControlTest, WindowTimersTickByIdUntilKilled)
{
    TManualTimers timers;
    a->SetTimer(7, 5);
    a->SetTimer(7, 5); // the same id once
    a->SetTimer(8, 5);
    timers.Advance(10);
    EXPECT_EQ(a->Ticks, (std::vector<int>{7, 8, 7, 8}));
    a->KillTimer(7);
    a->KillTimer(8);
    EXPECT_FALSE(a->TimerActive(7));
    timers.Advance(30);
    EXPECT_EQ(a->Ticks.size(), 4u);
}

TEST_F(ControlTest, ParentFontAndColourFollowTheParentUntilSetOnTheControl)
{
    auto* child = new TProbe(a);
    auto* grandchild = new TProbe(child);
    a->Font().SetHeight(-20);
    EXPECT_EQ(child->Font().Height(), -20);
    EXPECT_EQ(grandchild->Font().Height(), -20);
    EXPECT_FALSE(a->ParentFont());
    EXPECT_TRUE(child->ParentFont());
    child->Font().SetStyle(fsBold);
    EXPECT_FALSE(child->ParentFont());
    a->Font().SetHeight(-14);
    EXPECT_EQ(child->Font().Height(), -20);
    EXPECT_EQ(grandchild->Font().Style(), fsBold);
    child->SetParentFont(true);
    EXPECT_EQ(child->Font().Height(), -14);
    EXPECT_EQ(child->Font().Style(), 0u);

    a->SetColor(clYellow);
    EXPECT_EQ(child->Color(), clYellow);
    EXPECT_EQ(grandchild->Color(), clYellow);
    child->SetColor(clAqua);
    a->SetColor(clRed);
    EXPECT_EQ(child->Color(), clAqua);
    EXPECT_EQ(grandchild->Color(), clAqua);
    b->SetParentColor(true);
    EXPECT_EQ(b->Color(), form->Color());
}

TEST_F(ControlTest, ABorderShrinksTheClientAreaAndChildrenAndPaintingStartInsideIt)
{
    class TPainted : public TProbe {
    public:
        using TProbe::TProbe;
        void Paint() override
        {
            Canvas().Brush().SetColor(clRed);
            Canvas().FillRect({0, 0, 1, 1});
        }
    };
    auto* box = new TPainted(form);
    box->SetBounds(0, 0, 40, 30);
    box->SetColor(clWhite);
    auto* inner = new TProbe(box);
    inner->SetBounds(3, 4, 10, 10);
    box->SetBorderStyle(bsSingle);
    EXPECT_EQ(box->ClientRect(), (TRect{0, 0, 36, 26}));
    EXPECT_EQ(inner->geometry(), QRect(5, 6, 10, 10));
    QImage img = uitest::Render(box);
    EXPECT_EQ(uitest::PixelAt(img, 2, 2), clRed);
    EXPECT_EQ(uitest::PixelAt(img, 0, 0), SysColors()[COLOR_BTNSHADOW]);
    EXPECT_EQ(uitest::PixelAt(img, 39, 29), SysColors()[COLOR_BTNHIGHLIGHT]);
    box->SetCtl3D(false);
    EXPECT_EQ(box->ClientRect(), (TRect{0, 0, 38, 28}));
    EXPECT_EQ(inner->geometry(), QRect(4, 5, 10, 10));
    EXPECT_EQ(box->ClientToScreen({0, 0}).X - box->mapToGlobal(QPoint(0, 0)).x(), 1);
}

TEST_F(ControlTest, UpdatePaintsNowWhatIsMarkedAndNothingElse)
{
    class TPainted : public TProbe {
    public:
        using TProbe::TProbe;
        std::vector<TRect> Painted;
        void Paint() override { Painted.push_back(Canvas().ClipRect()); }
    };
    auto* box = new TPainted(form);
    box->SetBounds(0, 0, 100, 60);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    QApplication::processEvents();
    box->Painted.clear();

    // A marked part waits for the event loop, unless Update paints it at once, alone.
    box->InvalidateRect({10, 20, 30, 25});
    EXPECT_TRUE(box->Painted.empty());
    box->Update();
    ASSERT_EQ(box->Painted.size(), 1u);
    EXPECT_EQ(box->Painted[0], (TRect{10, 20, 30, 25}));
    box->Update();
    QApplication::processEvents();
    EXPECT_EQ(box->Painted.size(), 1u) << "nothing is left to paint";

    // Repaint paints the whole control now.
    box->Repaint();
    ASSERT_EQ(box->Painted.size(), 2u);
    EXPECT_EQ(box->Painted[1], (TRect{0, 0, 100, 60}));

    // What a property change marks is painted by Update too.
    box->SetColor(clRed);
    EXPECT_EQ(box->Painted.size(), 2u);
    box->Update();
    ASSERT_EQ(box->Painted.size(), 3u);
    EXPECT_EQ(box->Painted[2], (TRect{0, 0, 100, 60}));
}

TEST_F(ControlTest, ChildrenAreListedAndWidgetsMapToTheirControl)
{
    EXPECT_EQ(form->ControlCount(), 2);
    EXPECT_EQ(form->Controls(0), a);
    EXPECT_EQ(form->Controls(1), b);
    EXPECT_THROW(form->Controls(2), rtl::EListError);
    EXPECT_EQ(a->Parent(), form);
    EXPECT_EQ(a->ParentForm(), form);
    auto* edit = new TCustomEdit(form);
    EXPECT_EQ(TControl::FromWidget(edit->EditWindow()), edit);
    b->SetParent(a);
    EXPECT_EQ(form->ControlCount(), 2);
    EXPECT_EQ(a->ControlCount(), 1);
    EXPECT_EQ(b->geometry().topLeft(), QPoint(100, 0));
    a->SetVisible(false);
    EXPECT_THROW(a->SetFocus(), rtl::EInvalidOperation);
}

TEST_F(ControlTest, OwnersFreeTheirControlsAndAMovedControlIsFreedOnce)
{
    uitest::ShowActive(form);
    const int owned = form->GetComponentCount();
    auto* panel = new TProbe(form);
    auto* moved = new TProbe(form);
    moved->SetParent(panel);
    EXPECT_EQ(moved->GetOwner(), form);
    EXPECT_EQ(moved->Parent(), panel);
    EXPECT_EQ(form->GetComponentCount(), owned + 2);
    QPointer<TProbe> watch(moved);
    delete panel; // takes its child with it; the owner forgets both
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(form->GetComponentCount(), owned);

    // A focused edit freed with its form.
    auto* edit = new TCustomEdit(form);
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());
    delete form;
    form = nullptr;
}
