#pragma once
// A top-level window: caption, show and close with their events, modal showing with a
// modal result, key preview, the dialog keys (Enter, Esc, Tab) that no control kept and
// the Alt accelerators of its controls; where it first appears (Position), staying on
// top, its window state and the bounds it returns to from a maximized or minimized state.
#include <QEventLoop>
#include <QPointer>

#include "platform/ui/Control.h"

namespace ui {

// clang-format off
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
// A sizeable window, or a dialog: fixed in size while shown, without minimize and maximize buttons.
enum TFormBorderStyle { bsSizeable, bsDialog };
// clang-format on

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
    // Focuses control (SetFocus's error when it cannot take the focus). On a form not
    // shown yet, the control takes the focus when the form shows.
    void SetActiveControl(TControl* control);
    // Whether SetActiveControl can take control: a control on this form that can take
    // the focus, or, while the form is not shown, that can once it shows.
    bool CanActivate(const TControl* control) const;

    // Applied each time the form is shown: centred on the screen under the form (the
    // primary one at first), on the whole desktop, or on the owning form.
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle v);
    TFormBorderStyle FormBorderStyle() const { return formBorderStyle_; }
    void SetFormBorderStyle(TFormBorderStyle v);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState v);
    // The bounds of the normal state, also while maximized or minimized; setting them then
    // changes only where the form returns to.
    TRect NormalBounds() const;
    void SetNormalBounds(const TRect& r);

    // A key no control kept (Enter, Esc, Tab); true when the form used it. Tab moves
    // the focus; Enter clicks the focused push button, else the Default one; Esc clicks
    // the Cancel button.
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
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void applyPosition();

    bool keyPreview_ = false;
    TPosition position_ = poDesigned;
    TFormStyle formStyle_ = fsNormal;
    TFormBorderStyle formBorderStyle_ = bsSizeable;
    TRect normalBounds_;
    bool normalBoundsSet_ = false; // set while not in the normal state
    TModalResult modalResult_ = mrNone;
    QEventLoop* loop_ = nullptr;
    bool closing_ = false;
};

} // namespace ui
