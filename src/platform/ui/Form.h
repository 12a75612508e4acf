#pragma once
// A top-level window: caption, show and close with their events, modal showing with a
// modal result, key preview, and the dialog keys (Enter, Esc, Tab) that no control kept.
#include <QEventLoop>
#include <QPointer>

#include "platform/ui/Control.h"

namespace ui {

enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = rtl::Delegate<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = rtl::Delegate<void(TObject* Sender, bool& CanClose)>;

class TForm : public TControl {
public:
    // An owned form is freed with its owner and stays above it.
    explicit TForm(TControl* owner = nullptr);

    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    TModalResult ModalResult() const { return modalResult_; }
    // A non-zero result ends ShowModal.
    void SetModalResult(TModalResult v);
    // Shows the form modally and returns its modal result.
    TModalResult ShowModal();
    bool Modal() const { return loop_ != nullptr; }
    // Asks CloseQuery, then hides (or frees) the form as OnClose says; a modal form ends with mrCancel.
    void Close();
    // The control with the focus, when it is on this form.
    TControl* ActiveControl() const;
    void SetActiveControl(TControl* control);

    // A key no control kept (Enter, Esc, Tab); true when the form used it. Tab moves
    // the focus unless overridden.
    virtual bool DialogKey(Word key, TShiftState shift);
    // With KeyPreview, every key pressed on the form's controls comes here first.
    void PreviewKeyDown(Word& key, TShiftState shift) { KeyDown(key, shift); }

    TNotifyEvent OnShow, OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    virtual bool CloseQuery();
    virtual void DoShow();
    virtual void DoHide();
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    bool keyPreview_ = false;
    TModalResult modalResult_ = mrNone;
    QEventLoop* loop_ = nullptr;
    bool closing_ = false;
};

} // namespace ui
