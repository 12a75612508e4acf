// Time and input seams: the driven timer engine and tick clock, the keyboard and mouse
// state, the waiting-key probe, and EAbort at the event boundary.
#include "UiTestSupport.h"

#include "platform/rtl/Abort.h"
#include "platform/rtl/Clock.h"
#include "platform/ui/Control.h"
#include "platform/ui/Form.h"
#include "platform/ui/InputState.h"
#include "platform/ui/Timer.h"

using namespace ui;

namespace {

// A control that records its timer ticks with the tick clock's reading.
class TTicker : public TControl {
public:
    using TControl::TControl;
    std::vector<std::pair<int, std::int64_t>> Ticks;
    std::function<void(int)> OnTick;

protected:
    void TimerTick(int id) override
    {
        Ticks.emplace_back(id, rtl::GetTickCount64());
        if (OnTick) OnTick(id);
    }
};

class TimeAndInputTest : public uitest::UiTest {
protected:
    TManualTimers timers{10'000};
};

} // namespace

TEST_F(TimeAndInputTest, AnAutoRepeatOf400ThenEvery100MsStepsOnScheduleWithoutSleeping)
{
    // The repeat rule of a held button: a step at the press, one after 400 ms, then
    // every 100 ms (the tick changes its own interval, as the button does).
    TTicker button;
    std::vector<std::int64_t> steps{rtl::GetTickCount64()};
    button.OnTick = [&](int id) {
        steps.push_back(rtl::GetTickCount64());
        if (button.TimerInterval(id) == 400) button.SetTimer(id, 100);
    };
    button.SetTimer(1, 400);
    EXPECT_EQ(button.TimerInterval(1), 400);
    timers.Advance(399);
    EXPECT_EQ(steps.size(), 1u);
    timers.Advance(601); // one second after the press
    EXPECT_EQ(steps, (std::vector<std::int64_t>{10'000, 10'400, 10'500, 10'600, 10'700, 10'800, 10'900, 11'000}));
    EXPECT_EQ(button.TimerInterval(1), 100);
    button.KillTimer(1);
    EXPECT_FALSE(button.TimerActive(1));
    EXPECT_EQ(button.TimerInterval(1), 0);
    timers.Advance(1000);
    EXPECT_EQ(steps.size(), 8u);
    EXPECT_EQ(timers.ActiveCount(), 0);
}

TEST_F(TimeAndInputTest, DueTimersFireInOrderOfTimeThenOfStartingAndARestartBeginsANewPeriod)
{
    TTicker control;
    control.SetTimer(2, 30);
    control.SetTimer(1, 20);
    control.SetTimer(3, 20);
    timers.Advance(40);
    std::vector<std::pair<int, std::int64_t>> expected{{1, 10'020}, {3, 10'020}, {2, 10'030}, {1, 10'040}, {3, 10'040}};
    EXPECT_EQ(control.Ticks, expected);
    // Setting a running id again starts its period afresh.
    control.Ticks.clear();
    timers.Advance(5);
    control.SetTimer(2, 30); // was due at 10'060
    timers.Advance(29);
    EXPECT_EQ(control.Ticks, (std::vector<std::pair<int, std::int64_t>>{{1, 10'060}, {3, 10'060}}));
    timers.Advance(1);
    EXPECT_EQ(control.Ticks.back(), (std::pair<int, std::int64_t>{2, 10'075}));
}

TEST_F(TimeAndInputTest, TimerComponentsRunOnTheDrivenEngineAndAFailingTickGoesToTheHandler)
{
    TTimer timer;
    timer.SetInterval(1500);
    std::vector<std::uint32_t> at;
    timer.SetOnTimer(TNotifyEvent::FromFunction([&](TObject*) {
        at.push_back(rtl::GetTickCount());
        if (at.size() == 2) throw rtl::Exception("tick failed");
    }));
    EXPECT_EQ(rtl::GetTickCount(), 10'000u); // the engine's time is the tick clock's
    timers.Advance(4499);
    EXPECT_EQ(at, (std::vector<std::uint32_t>{11'500, 13'000}));
    EXPECT_EQ(Exceptions, (std::vector<std::string>{"tick failed"}));
    timer.SetEnabled(false);
    timers.Advance(10'000);
    EXPECT_EQ(at.size(), 2u);
    // A timer that outlives the engine stops with it.
    auto* inner = new TManualTimers(0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
    delete inner;
    EXPECT_FALSE(timer.Running());
}

TEST_F(TimeAndInputTest, KeyboardAndMouseStateFollowTheEventsAndCanBeFixedByATest)
{
    TForm form;
    form.SetBounds(40, 40, 200, 100);
    auto* control = new TTicker(&form);
    control->SetBounds(10, 10, 80, 40);
    control->SetTabStop(true);
    uitest::ShowActive(&form);
    control->SetFocus();

    // Each modifier key on its own, as the keyboard sends them.
    auto send = [&](QEvent::Type type, int key, Qt::KeyboardModifiers mods) {
        QKeyEvent e(type, key, mods);
        QApplication::sendEvent(control, &e);
    };
    send(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_EQ(KeyboardShiftState(), ssShift);
    send(QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier);
    EXPECT_EQ(KeyboardShiftState(), ssShift | ssCtrl);
    send(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(KeyboardShiftState(), ssCtrl);
    send(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(KeyboardShiftState(), 0u);

    QTest::mousePress(control, Qt::LeftButton, Qt::AltModifier, QPoint(5, 5));
    EXPECT_EQ(MouseButtonsState(), ssLeft);
    EXPECT_EQ(GetShiftState(), ssLeft | ssAlt);
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(GetShiftState(), 0u);

    {
        TInputStateScope fixed(ssCtrl, ssRight);
        EXPECT_EQ(GetShiftState(), ssCtrl | ssRight);
        // A real event does not disturb the fixed state.
        QTest::keyClick(control, Qt::Key_A, Qt::ShiftModifier);
        EXPECT_EQ(KeyboardShiftState(), ssCtrl);
        EXPECT_FALSE(KeyPressWaiting());
        int polls = 0;
        fixed.KeyPressProbe = [&] { return ++polls >= 3; };
        EXPECT_FALSE(KeyPressWaiting());
        EXPECT_FALSE(KeyPressWaiting());
        EXPECT_TRUE(KeyPressWaiting());
    }
    EXPECT_EQ(KeyboardShiftState(), 0u);
    EXPECT_FALSE(KeyPressWaiting());
}

TEST_F(TimeAndInputTest, AnAbortEndsTheOperationSilentlyWhereOtherFailuresAreReported)
{
    TForm form;
    form.SetBounds(40, 40, 200, 100);
    auto* control = new TTicker(&form);
    control->SetTabStop(true);
    std::string typed;
    control->OnKeyPress = TKeyPressEvent::FromFunction([&](TObject*, char& key) {
        if (key == 'a') rtl::Abort();
        if (key == 'e') throw rtl::EConvertError("'e' is not a valid integer value");
        typed += key;
    });
    uitest::ShowActive(&form);
    control->SetFocus();
    QTest::keyClicks(control, "xaye");
    EXPECT_EQ(typed, "xy");
    EXPECT_EQ(Exceptions, (std::vector<std::string>{"'e' is not a valid integer value"}));
    EXPECT_TRUE(Boxes.Requests.empty());

    // The same holds for a timer tick.
    int ticks = 0;
    control->SetTimer(1, 10);
    control->OnTick = [&](int) {
        ++ticks;
        rtl::Abort();
    };
    timers.Advance(30);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(Exceptions.size(), 1u);
}
