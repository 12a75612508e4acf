#include "controls/editors/EditorEnvironment.h"

#include <QElapsedTimer>
#include <QTimer>

#include "platform/ui/Application.h"

namespace editors {

namespace {

std::function<std::int64_t()>& tickClock()
{
    static std::function<std::int64_t()> clock;
    return clock;
}

std::function<std::unique_ptr<TIntervalTimer>()>& timerFactory()
{
    static std::function<std::unique_ptr<TIntervalTimer>()> factory;
    return factory;
}

std::function<bool()>& keyWaitingTest()
{
    static std::function<bool()> test;
    return test;
}

class TQtIntervalTimer : public TIntervalTimer {
public:
    TQtIntervalTimer()
    {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            if (OnTimer) ui::Guarded([this] { OnTimer(); });
        });
    }
    void Start(int intervalMs) override { timer_.start(std::max(0, intervalMs)); }
    void Stop() override { timer_.stop(); }
    bool Running() const override { return timer_.isActive(); }
    int Interval() const override { return timer_.interval(); }

private:
    QTimer timer_;
};

} // namespace

std::int64_t GetTickCountEx()
{
    if (tickClock()) return tickClock()();
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

void SetTickClock(std::function<std::int64_t()> clock) { tickClock() = std::move(clock); }

std::unique_ptr<TIntervalTimer> CreateIntervalTimer()
{
    if (timerFactory()) return timerFactory()();
    return std::make_unique<TQtIntervalTimer>();
}

void SetIntervalTimerFactory(std::function<std::unique_ptr<TIntervalTimer>()> factory)
{
    timerFactory() = std::move(factory);
}

bool KeyPressWaiting()
{
    if (keyWaitingTest()) return keyWaitingTest()();
    return false;
}

void SetKeyPressWaitingTest(std::function<bool()> test) { keyWaitingTest() = std::move(test); }

} // namespace editors
