#pragma once
// Shared pieces of the editor tests: timers and a tick clock driven by the test, a
// waiting-key switch, and the snapshot folder.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QImage>

#include "controls/editors/EditorEnvironment.h"
#include "platform/ui/UiTestSupport.h"

namespace editorstest {

// Replaces the editors' clock and timers for as long as it lives. Advance moves the
// clock and fires every timer that falls due on the way, in time order.
class TDrivenTime {
public:
    TDrivenTime()
    {
        editors::SetTickClock([this] { return now_; });
        editors::SetIntervalTimerFactory([this] { return std::make_unique<TTimer>(*this); });
        editors::SetKeyPressWaitingTest([this] { return KeyWaiting; });
    }
    ~TDrivenTime()
    {
        editors::SetTickClock(nullptr);
        editors::SetIntervalTimerFactory(nullptr);
        editors::SetKeyPressWaitingTest(nullptr);
    }
    TDrivenTime(const TDrivenTime&) = delete;
    TDrivenTime& operator=(const TDrivenTime&) = delete;

    std::int64_t Now() const { return now_; }

    void Advance(std::int64_t ms)
    {
        const std::int64_t end = now_ + ms;
        for (;;) {
            TTimer* next = nullptr;
            for (TTimer* t : timers_)
                if (t->running_ && t->due_ <= end && (!next || t->due_ < next->due_)) next = t;
            if (!next) break;
            now_ = next->due_;
            next->due_ += std::max(1, next->interval_);
            if (next->OnTimer) next->OnTimer();
        }
        now_ = end;
    }

    // What KeyPressWaiting answers.
    bool KeyWaiting = false;

private:
    class TTimer : public editors::TIntervalTimer {
    public:
        explicit TTimer(TDrivenTime& time) : time_(time) { time_.timers_.push_back(this); }
        ~TTimer() override { std::erase(time_.timers_, this); }
        void Start(int intervalMs) override
        {
            interval_ = intervalMs;
            running_ = true;
            due_ = time_.now_ + std::max(1, intervalMs);
        }
        void Stop() override { running_ = false; }
        bool Running() const override { return running_; }
        int Interval() const override { return interval_; }

        TDrivenTime& time_;
        bool running_ = false;
        int interval_ = 0;
        std::int64_t due_ = 0;
    };

    std::int64_t now_ = 1'000'000;
    std::vector<TTimer*> timers_;
};

// Writes what a control drew to build/snapshots/editors/<name>.png for people to look at.
inline void WriteSnapshot(const std::string& name, const QImage& image)
{
    QDir().mkpath(KV_SNAPSHOT_DIR);
    image.save(QString::fromStdString(std::string(KV_SNAPSHOT_DIR) + "/" + name + ".png"));
}

} // namespace editorstest
