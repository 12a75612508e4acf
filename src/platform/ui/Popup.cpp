#include "platform/ui/Popup.h"

#include <QPointer>

#include "platform/ui/Metrics.h"

namespace ui {

namespace {
constexpr int kHideTimer = 1;
constexpr int kHintMargin = 2;
} // namespace

TPopupWindow::TPopupWindow(TControl* owner) : TControl(nullptr)
{
    // A tool-tip type window is never activated, on any platform plug-in.
    QWidget::setParent(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                  | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    if (owner) owner->InsertComponent(this);
}

void TPopupWindow::ShowAt(int left, int top)
{
    SetBounds(left, top, Width(), Height());
    ShowNoActivate();
}

void TPopupWindow::ShowNoActivate()
{
    if (!isVisible()) Show();
    raise();
}

THintWindow::THintWindow(TControl* owner) : TPopupWindow(owner)
{
    SetColor(clInfoBk);
    Font().SetColor(clInfoText);
    SetBorderStyle(bsSingle);
    SetCtl3D(false);
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

void ActivateControlHint(TControl* control, const QPoint& globalPos)
{
    THintWindow& hint = ControlHintWindow();
    TRect r = hint.CalcHintRect(300, control->Hint());
    r.Offset(globalPos.x(), globalPos.y() + 20);
    hint.ActivateHint(r, control->Hint());
}

void CancelControlHint()
{
    if (controlHint() && controlHint()->isVisible()) controlHint()->ReleaseHint();
}

} // namespace ui
