#include "platform/ui/Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "platform/ui/Application.h"
#include "platform/ui/StdControls.h"

namespace ui {

TForm::TForm(TControl* owner) : TControl(nullptr)
{
    if (owner) {
        QWidget::setParent(owner, Qt::Window);
        owner->InsertComponent(this);
    }
    SetParentFont(false);
    SetColor(clBtnFace);
}

void TForm::SetModalResult(TModalResult v)
{
    modalResult_ = v;
    if (v != mrNone && loop_) loop_->quit();
}

TModalResult TForm::ShowModal()
{
    modalResult_ = mrNone;
    setWindowModality(Qt::ApplicationModal);
    Show();
    activateWindow();
    QEventLoop loop;
    loop_ = &loop;
    QPointer<TForm> self(this);
    if (modalResult_ == mrNone) loop.exec();
    if (!self) return mrCancel;
    loop_ = nullptr;
    Hide();
    setWindowModality(Qt::NonModal);
    return modalResult_;
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close()
{
    if (closing_) return;
    if (loop_) {
        if (CloseQuery()) SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    if (OnClose) OnClose(this, action);
    closing_ = true;
    switch (action) {
    case caNone: break;
    case caHide: Hide(); break;
    case caMinimize: showMinimized(); break;
    // clang-format off
    case caFree: Hide(); Release(); break;
        // clang-format on
    }
    closing_ = false;
}

void TForm::closeEvent(QCloseEvent* e)
{
    e->ignore();
    if (closing_) return;
    Guarded([&] { Close(); });
}

void TForm::showEvent(QShowEvent* e)
{
    TControl::showEvent(e);
    Guarded([&] {
        applyPosition();
        // The user does not size a dialog; the program still may while it is hidden.
        if (formBorderStyle_ == bsDialog) setFixedSize(size());
        DoShow();
    });
}

void TForm::applyPosition()
{
    if (WindowState() != wsNormal) return;
    TRect area;
    switch (position_) {
    case poScreenCenter: {
        QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        const QRect g = screen->geometry();
        area = Bounds(g.x(), g.y(), g.width(), g.height());
        break;
    }
    case poDesktopCenter: {
        QRect g;
        for (QScreen* s : QGuiApplication::screens()) g |= s->geometry();
        area = Bounds(g.x(), g.y(), g.width(), g.height());
        break;
    }
    case poMainFormCenter:
    case poOwnerFormCenter: {
        QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        if (!owner) return;
        const QRect g = owner->frameGeometry();
        area = Bounds(g.x(), g.y(), g.width(), g.height());
        break;
    }
    case poDesigned:
    case poDefault:
        return;
    }
    SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TForm::SetFormStyle(TFormStyle v)
{
    if (v == formStyle_) return;
    formStyle_ = v;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, v == fsStayOnTop);
    // Changing a window's flags hides it; it comes back as it was.
    if (shown) show();
}

void TForm::SetFormBorderStyle(TFormBorderStyle v)
{
    if (v == formBorderStyle_) return;
    formBorderStyle_ = v;
    const bool shown = isVisible();
    Qt::WindowFlags flags = windowFlags() & ~Qt::WindowType_Mask;
    if (v == bsDialog) {
        flags |= Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        flags &= ~Qt::WindowMinMaxButtonsHint;
    } else {
        flags = (flags & ~(Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)) | Qt::Window;
    }
    setWindowFlags(flags);
    // Changing a window's flags hides it; it comes back as it was.
    if (shown) show();
}

TWindowState TForm::WindowState() const
{
    const Qt::WindowStates s = windowState();
    if (s & Qt::WindowMinimized) return wsMinimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState v)
{
    if (v == WindowState()) return;
    if (v != wsNormal && !normalBoundsSet_) {
        normalBounds_ = BoundsRect();
        normalBoundsSet_ = true;
    }
    Qt::WindowStates s = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (v == wsMinimized) s |= Qt::WindowMinimized;
    else if (v == wsMaximized) s |= Qt::WindowMaximized;
    setWindowState(s);
}

TRect TForm::NormalBounds() const { return WindowState() == wsNormal || !normalBoundsSet_ ? BoundsRect() : normalBounds_; }

void TForm::SetNormalBounds(const TRect& r)
{
    if (WindowState() == wsNormal) {
        SetBoundsRect(r);
        return;
    }
    normalBounds_ = r;
    normalBoundsSet_ = true;
}

void TForm::changeEvent(QEvent* e)
{
    TControl::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    Guarded([&] {
        if (WindowState() != wsNormal) {
            // A state the window manager chose: the bounds it leaves are the normal ones.
            if (!normalBoundsSet_) {
                const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
                normalBounds_ = Bounds(g.x(), g.y(), g.width(), g.height());
                normalBoundsSet_ = true;
            }
            return;
        }
        if (normalBoundsSet_) {
            normalBoundsSet_ = false;
            SetBoundsRect(normalBounds_);
        }
    });
}

void TForm::hideEvent(QHideEvent* e)
{
    TControl::hideEvent(e);
    if (formBorderStyle_ == bsDialog) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    Guarded([&] { DoHide(); });
}

// clang-format off
void TForm::DoShow() { if (OnShow) OnShow(this); }
void TForm::DoHide() { if (OnHide) OnHide(this); }
// clang-format on

TControl* TForm::ActiveControl() const
{
    QWidget* f = QApplication::focusWidget();
    if (!f || f->window() != this) f = focusWidget();
    TControl* c = FromWidget(f);
    return c && c != this ? c : nullptr;
}

void TForm::SetActiveControl(TControl* control)
{
    if (!control) return;
    if (isVisible() || !CanActivate(control)) {
        control->SetFocus();
        return;
    }
    // Qt gives the focus to this widget when the window shows.
    control->setFocus(Qt::OtherFocusReason);
}

bool TForm::CanActivate(const TControl* control) const
{
    if (!control || control->ParentForm() != this) return false;
    if (isVisible()) return control->CanFocus();
    return control->focusPolicy() != Qt::NoFocus && control->isEnabled() && control->isVisibleTo(this);
}

namespace {
// The shown, enabled push buttons of the form, in the order of its controls.
void collectButtons(TControl* c, std::vector<TButton*>& out)
{
    for (int i = 0; i < c->ControlCount(); ++i) {
        TControl* child = c->Controls(i);
        if (child->isWindow() || !child->isVisible() || !child->isEnabled()) continue;
        if (auto* b = dynamic_cast<TButton*>(child)) out.push_back(b);
        collectButtons(child, out);
    }
}
} // namespace

bool TForm::DialogKey(Word key, TShiftState shift)
{
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        focusNextPrevChild(!(shift & ssShift));
        return true;
    }
    if ((key != VK_RETURN && key != VK_ESCAPE) || (shift & (ssShift | ssCtrl | ssAlt))) return false;
    if (key == VK_RETURN)
        if (auto* focused = dynamic_cast<TButton*>(ActiveControl())) {
            focused->Click();
            return true;
        }
    std::vector<TButton*> buttons;
    collectButtons(this, buttons);
    for (TButton* b : buttons)
        if (key == VK_RETURN ? b->Default() : b->Cancel()) {
            b->Click();
            return true;
        }
    return false;
}

} // namespace ui
