#include "platform/ui/Form.h"

#include <QApplication>
#include <QCloseEvent>

#include "platform/ui/Application.h"

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
    case caFree: Hide(); Release(); break;
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
    Guarded([&] { DoShow(); });
}

void TForm::hideEvent(QHideEvent* e)
{
    TControl::hideEvent(e);
    Guarded([&] { DoHide(); });
}

void TForm::DoShow() { if (OnShow) OnShow(this); }
void TForm::DoHide() { if (OnHide) OnHide(this); }

TControl* TForm::ActiveControl() const
{
    QWidget* f = QApplication::focusWidget();
    if (!f || f->window() != this) f = focusWidget();
    TControl* c = FromWidget(f);
    return c && c != this ? c : nullptr;
}

void TForm::SetActiveControl(TControl* control)
{
    if (control) control->SetFocus();
}

bool TForm::DialogKey(Word key, TShiftState shift)
{
    if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        focusNextPrevChild(!(shift & ssShift));
        return true;
    }
    return false;
}

} // namespace ui
