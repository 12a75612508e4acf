#pragma once
// A timer component: OnTimer every Interval milliseconds while Enabled.
#include <QTimer>

#include "platform/rtl/Component.h"

namespace ui {

class TTimer : public rtl::TComponent {
public:
    explicit TTimer(rtl::TComponent* owner = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int Interval() const { return interval_; }
    // A new interval restarts a running timer.
    void SetInterval(int ms);
    void SetOnTimer(rtl::TNotifyEvent handler);
    const rtl::TNotifyEvent& OnTimer() const { return onTimer_; }
    bool Running() const { return timer_.isActive(); }

protected:
    virtual void Timer();

private:
    void update();

    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
    rtl::TNotifyEvent onTimer_;
};

} // namespace ui
