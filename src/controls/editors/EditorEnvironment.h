#pragma once
// What the editors read from the running system beyond their own windows: the tick
// clock of incremental searches, the timers of held buttons and whether a key press is
// waiting. The program uses the real ones; tests install driven ones, so that repeat
// rates and search resets are tested without sleeping.
#include <cstdint>
#include <functional>
#include <memory>

namespace editors {

// Milliseconds of a monotonic clock.
std::int64_t GetTickCountEx();
// Replaces the clock; an empty function restores the real one.
void SetTickClock(std::function<std::int64_t()> clock);

// A repeating timer: OnTimer every interval from Start until Stop.
class TIntervalTimer {
public:
    virtual ~TIntervalTimer() = default;
    // Starts, or restarts with a new interval, counting from now.
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
    virtual int Interval() const = 0;

    std::function<void()> OnTimer;
};

std::unique_ptr<TIntervalTimer> CreateIntervalTimer();
// Replaces what CreateIntervalTimer makes; an empty function restores real timers.
void SetIntervalTimerFactory(std::function<std::unique_ptr<TIntervalTimer>()> factory);

// True when a key press waits to be handled (long filtering runs stop for it).
bool KeyPressWaiting();
// Replaces the test; an empty function restores the real one.
void SetKeyPressWaitingTest(std::function<bool()> test);

} // namespace editors
