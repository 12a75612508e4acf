#include "platform/ui/Hints.h"

#include <QPointer>

#include "platform/ui/Control.h"
#include "platform/ui/Popup.h"
#include "platform/ui/Timer.h"

namespace ui {

namespace {

class THintState {
public:
    THintState() : pause_([this] { show(); }) {}

    void Move(TControl* control, TPoint p)
    {
        if (control == control_ && cursorRect_.Contains(p)) {
            pos_ = p;
            return;
        }
        Cancel();
        if (!control->WantsHints()) return;
        control_ = control;
        pos_ = p;
        cursorRect_ = control->ClientRect();
        const int pause = control->HintShowPause(p);
        if (pause <= 0) show();
        else pause_.Start(pause);
    }

    void Cancel()
    {
        pause_.Stop();
        if (window_ && window_->isVisible()) window_->ReleaseHint();
        window_ = nullptr;
        shown_ = false;
        control_ = nullptr;
        cursorRect_ = {};
    }

    TControl* Pending() const { return control_; }
    TControl* Shown() const { return shown_ && window_ && window_->isVisible() ? control_.data() : nullptr; }

private:
    void show()
    {
        pause_.Stop();
        TControl* control = control_;
        if (!control || !control->isVisible()) return;
        THintInfo info;
        info.HintControl = control;
        info.CursorPos = pos_;
        info.CursorRect = control->ClientRect();
        info.HintStr = control->Hint();
        const TPoint screen = control->ClientToScreen(pos_);
        info.HintPos = {screen.X, screen.Y + 20};
        info.HideTimeout = HintSettings().HidePause;
        const bool wanted = control->ShowHintAt(info);
        // Where nothing shows, the pointer must leave the rectangle before another try.
        cursorRect_ = info.CursorRect;
        if (!wanted || info.HintStr.empty()) return;
        THintWindow* window = info.HintWindow ? info.HintWindow : &ControlHintWindow();
        TRect r = window->CalcHintRect(info.HintMaxWidth, info.HintStr);
        r.Offset(info.HintPos.X, info.HintPos.Y);
        window->HidePause = info.HideTimeout;
        window->ActivateHint(r, info.HintStr);
        window_ = window;
        shown_ = true;
    }

    QPointer<TControl> control_;
    QPointer<THintWindow> window_;
    TPoint pos_;
    TRect cursorRect_;
    bool shown_ = false;
    TTimerSlot pause_;
};

// Lives as long as the program (its timer must not outlive the application object).
THintState& state()
{
    static THintState* s = new THintState;
    return *s;
}

} // namespace

THintSettings& HintSettings()
{
    static THintSettings settings;
    return settings;
}

void HintMouseMove(TControl* control, TPoint clientPos) { state().Move(control, clientPos); }

void CancelHint() { state().Cancel(); }

void CancelHintFor(TControl* control)
{
    if (state().Pending() == control) state().Cancel();
}

TControl* HintShownFor() { return state().Shown(); }

} // namespace ui
