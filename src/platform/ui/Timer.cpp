#include "platform/ui/Timer.h"

#include <algorithm>

#include <QTimer>

#include "platform/rtl/Clock.h"
#include "platform/ui/Application.h"

namespace ui {

namespace {
TManualTimers*& manualEngine()
{
    static TManualTimers* engine = nullptr;
    return engine;
}
} // namespace

// ---- TTimerSlot ----

class TTimerSlot::TQtTimer : public QTimer {
public:
    explicit TQtTimer(TTimerSlot* slot)
    {
        QObject::connect(this, &QTimer::timeout, this, [slot] { slot->fire(); });
    }
};

TTimerSlot::TTimerSlot(std::function<void()> tick) : tick_(std::move(tick)) {}

TTimerSlot::~TTimerSlot() { Stop(); }

void TTimerSlot::Start(int intervalMs)
{
    Stop();
    interval_ = std::max(0, intervalMs);
    active_ = true;
    if (TManualTimers* engine = manualEngine()) {
        engine->add(this);
        return;
    }
    if (!qt_) qt_ = std::make_unique<TQtTimer>(this);
    qt_->start(interval_);
}

void TTimerSlot::Stop()
{
    if (!active_) return;
    active_ = false;
    if (manual_) manual_->remove(this);
    if (qt_) qt_->stop();
}

void TTimerSlot::fire()
{
    Guarded([this] { tick_(); });
}

// ---- TManualTimers ----

TManualTimers::TManualTimers(std::int64_t start) : now_(start), previous_(manualEngine())
{
    manualEngine() = this;
    rtl::SetTickSource([this] { return now_; });
}

TManualTimers::~TManualTimers()
{
    // Timers still running here stop: no engine is left to run them.
    for (TTimerSlot* slot : slots_) {
        slot->manual_ = nullptr;
        slot->active_ = false;
    }
    manualEngine() = previous_;
    if (previous_) {
        TManualTimers* outer = previous_;
        rtl::SetTickSource([outer] { return outer->now_; });
    } else {
        rtl::SetTickSource(nullptr);
    }
}

void TManualTimers::add(TTimerSlot* slot)
{
    slot->manual_ = this;
    slot->due_ = now_ + std::max(1, slot->interval_);
    slot->order_ = nextOrder_++;
    slots_.push_back(slot);
}

void TManualTimers::remove(TTimerSlot* slot)
{
    slot->manual_ = nullptr;
    slots_.erase(std::remove(slots_.begin(), slots_.end(), slot), slots_.end());
}

int TManualTimers::ActiveCount() const { return static_cast<int>(slots_.size()); }

void TManualTimers::Advance(int ms)
{
    const std::int64_t target = now_ + std::max(0, ms);
    for (;;) {
        TTimerSlot* next = nullptr;
        for (TTimerSlot* slot : slots_)
            if (slot->due_ <= target
                && (!next || slot->due_ < next->due_ || (slot->due_ == next->due_ && slot->order_ < next->order_)))
                next = slot;
        if (!next) break;
        now_ = next->due_;
        // Due again one period on, unless the tick restarts or stops it.
        next->due_ = now_ + std::max(1, next->interval_);
        next->order_ = nextOrder_++;
        next->fire();
    }
    now_ = target;
}

// ---- TTimer ----

TTimer::TTimer(rtl::TComponent* owner) : rtl::TComponent(owner), slot_([this] { Timer(); }) {}

TTimer::~TTimer() { slot_.Stop(); }

void TTimer::update()
{
    // A timer without a handler does not run.
    if (enabled_ && interval_ > 0 && onTimer_)
        slot_.Start(interval_);
    else
        slot_.Stop();
}

void TTimer::SetEnabled(bool v)
{
    if (enabled_ == v) return;
    enabled_ = v;
    update();
}

void TTimer::SetInterval(int ms)
{
    if (interval_ == ms) return;
    interval_ = ms;
    update();
}

void TTimer::SetOnTimer(rtl::TNotifyEvent handler)
{
    onTimer_ = std::move(handler);
    update();
}

void TTimer::Timer()
{
    if (onTimer_) onTimer_(this);
}

} // namespace ui
