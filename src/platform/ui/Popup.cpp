#include "platform/ui/Popup.h"

#include <QPointer>

#include "platform/ui/Metrics.h"

namespace ui {

namespace {
constexpr int kHideTimer = 1;
constexpr int kHintMargin = 2;
} // namespace

void MakePopup(TControl* control, TControl* owner)
{
    // A tool-tip type window is never activated, on any platform plug-in.
    control->setParent(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                  | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    control->setAttribute(Qt::WA_ShowWithoutActivating);
    control->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    if (owner) owner->InsertComponent(control);
}

void ShowPopupNoActivate(TControl* popup)
{
    if (!popup->isVisible()) popup->Show();
    popup->raise();
}

TPopupWindow::TPopupWindow(TControl* owner) : TControl(nullptr)
{
    MakePopup(this, owner);
    setFocusPolicy(Qt::NoFocus);
}

void TPopupWindow::ShowAt(int left, int top)
{
    SetBounds(left, top, Width(), Height());
    ShowNoActivate();
}

void TPopupWindow::ShowNoActivate() { ShowPopupNoActivate(this); }

THintWindow::THintWindow(TControl* owner) : TPopupWindow(owner)
{
    SetColor(clInfoBk);
    Font().SetColor(clInfoText);
    SetBorderStyle(bsSingle);
    SetCtl3D(false);
    setWindowFlag(Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& text)
{
    TRect r{0, 0, std::max(1, maxWidth), 0};
    Canvas().Font().Assign(Font());
    Canvas().DrawText(text, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    const int border = Metrics().BorderWidth;
    r.Right += 2 * (kHintMargin + border);
    r.Bottom += 2 * (kHintMargin + border);
    return r;
}

void THintWindow::ActivateHint(const TRect& r, const std::string& text)
{
    SetCaption(text);
    SetBoundsRect(r);
    ShowNoActivate();
    Invalidate();
    if (HidePause > 0) SetTimer(kHideTimer, HidePause);
    else KillTimer(kHideTimer);
}

void THintWindow::Paint()
{
    TRect r = ClientRect();
    r.Inflate(-kHintMargin, -kHintMargin);
    Canvas().Font().Assign(Font());
    Canvas().Brush().SetStyle(bsClear);
    Canvas().DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::TimerTick(int id)
{
    if (id != kHideTimer) return;
    KillTimer(kHideTimer);
    Hide();
}

namespace {
QPointer<THintWindow>& controlHint()
{
    static QPointer<THintWindow> window;
    return window;
}
} // namespace

THintWindow& ControlHintWindow()
{
    if (!controlHint()) controlHint() = new THintWindow(nullptr);
    return *controlHint();
}

} // namespace ui
