#pragma once
// Timers. Every timer of the windowing layer (TTimer and the controls' window timers)
// runs on one engine: Qt's timers in the program, or TManualTimers in a test, which
// stands time still until the test moves it.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Component.h"

namespace ui {

class TManualTimers;

// One repeating timer: Tick every Interval milliseconds while started. Starting again
// restarts the period. Tick runs inside the event boundary's guard.
class TTimerSlot {
public:
    explicit TTimerSlot(std::function<void()> tick);
    ~TTimerSlot();
    TTimerSlot(const TTimerSlot&) = delete;
    TTimerSlot& operator=(const TTimerSlot&) = delete;

    void Start(int intervalMs);
    void Stop();
    bool Active() const { return active_; }
    // The interval of the last Start (kept after Stop).
    int Interval() const { return interval_; }

private:
    friend class TManualTimers;
    void fire();

    std::function<void()> tick_;
    bool active_ = false;
    int interval_ = 0;
    class TQtTimer;
    std::unique_ptr<TQtTimer> qt_;    // on Qt's engine
    TManualTimers* manual_ = nullptr; // on a test's engine
    std::int64_t due_ = 0;
    std::uint64_t order_ = 0;
};

// A test's timer engine and tick clock, for as long as it lives: timers started
// meanwhile run on it and rtl::GetTickCount reads its time. Nothing fires until
// Advance moves the time: every timer that falls due fires then, in order of its due
// time (and of starting, at equal times), each at its own moment of the clock.
class TManualTimers {
public:
    explicit TManualTimers(std::int64_t start = 1'000'000);
    ~TManualTimers();
    TManualTimers(const TManualTimers&) = delete;
    TManualTimers& operator=(const TManualTimers&) = delete;

    std::int64_t Now() const { return now_; }
    void Advance(int ms);
    // Timers running on this engine now.
    int ActiveCount() const;

private:
    friend class TTimerSlot;
    void add(TTimerSlot* slot);
    void remove(TTimerSlot* slot);

    std::int64_t now_;
    std::uint64_t nextOrder_ = 1;
    std::vector<TTimerSlot*> slots_;
    TManualTimers* previous_;
};

// A timer component: OnTimer every Interval milliseconds while Enabled and a handler
// is set.
class TTimer : public rtl::TComponent {
public:
    explicit TTimer(rtl::TComponent* owner = nullptr);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int Interval() const { return interval_; }
    // A new interval restarts a running timer.
    void SetInterval(int ms);
    void SetOnTimer(rtl::TNotifyEvent handler);
    const rtl::TNotifyEvent& OnTimer() const { return onTimer_; }
    bool Running() const { return slot_.Active(); }

protected:
    virtual void Timer();

private:
    void update();

    TTimerSlot slot_;
    bool enabled_ = true;
    int interval_ = 1000;
    rtl::TNotifyEvent onTimer_;
};

} // namespace ui
