#pragma once
// Pop-up windows that never take activation (drop-down lists, calendars, hints):
// the focus stays in the control that opened them. An owned pop-up is freed with
// its owner; its bounds are screen coordinates.
#include <string>

#include "platform/ui/Control.h"

namespace ui {

// Makes a control of any kind (a list box, a calendar) a top-level pop-up that never
// takes activation, as TPopupWindow is; owned by owner when one is given.
void MakePopup(TControl* control, TControl* owner);
// Shows a pop-up without activating it, above the other windows.
void ShowPopupNoActivate(TControl* popup);

class TPopupWindow : public TControl {
public:
    explicit TPopupWindow(TControl* owner = nullptr);

    // Places the window (screen coordinates) and shows it without activating it.
    void ShowAt(int left, int top);
    void ShowNoActivate();
};

// A hint: the text on the info colour in a thin frame. Hides itself after HidePause ms
// (0: stays). The pointer passes through it to what lies below.
class THintWindow : public TPopupWindow {
public:
    explicit THintWindow(TControl* owner = nullptr);

    // The size (at the origin) the text needs, wrapped at maxWidth.
    virtual TRect CalcHintRect(int maxWidth, const std::string& text);
    // Shows text in r (screen coordinates).
    virtual void ActivateHint(const TRect& r, const std::string& text);
    void ReleaseHint() { Hide(); }

    int HidePause = 2500;

protected:
    void Paint() override;
    void TimerTick(int id) override;
};

// The window that shows control hints (created on first use).
THintWindow& ControlHintWindow();

} // namespace ui
