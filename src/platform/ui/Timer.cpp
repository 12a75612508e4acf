#include "platform/ui/Timer.h"

#include "platform/ui/Application.h"

namespace ui {

TTimer::TTimer(rtl::TComponent* owner) : rtl::TComponent(owner)
{
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Guarded([this] { Timer(); }); });
}

void TTimer::update()
{
    // Runs only with a handler, as the original component does.
    if (enabled_ && interval_ > 0 && onTimer_)
        timer_.start(interval_);
    else
        timer_.stop();
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
