#pragma once
// The base of every control: a QWidget with the programming model the editors,
// the grid and the windows are written against.
//
// - Bounds are in the parent's client coordinates. A control may have a non-client
//   border (BorderStyle, Ctl3D, or CalcNonClientSize); its client area starts inside it.
// - Window messages are virtual methods (key, mouse, focus, paint, timers, cancel mode,
//   numbered messages through WndProc); an override calls the base to keep the default,
//   which fires the matching On... event.
// - Keys: KeyDown/KeyUp get a virtual key code and a shift state, KeyPress an 8-bit
//   character; setting it to 0 consumes the key, changing it rewrites it. Enter, Esc
//   and Tab not claimed by WantSpecialKey or DialogCode go to the form's DialogKey.
// - Focus: FocusIn and FocusOut name the control on the other side of the change.
// - A mouse press anywhere on a control first sends CancelMode (with the pressed
//   control as sender) to the control that has the focus; pop-ups close on it.
// - Dragging: BeginDrag starts a drag and drop of the control (Qt's drag, which runs its
//   own loop until the drop); DoStartDrag fills what it carries. With DragMode automatic
//   a left press starts one (waiting for the pointer to move) instead of reaching MouseDown.
// - No exception leaves an event handler: failures reach HandleException.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPointer>
#include <QRegion>
#include <QWidget>

#include "platform/rtl/Component.h"
#include "platform/rtl/Delegate.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

class QMenu;
class QKeyEvent;
class QMouseEvent;

namespace ui {

class TControl;
class TForm;
class TTimerSlot;
struct THintInfo;

using rtl::TObject;
using rtl::TNotifyEvent;
using TMouseEvent = rtl::Delegate<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = rtl::Delegate<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = rtl::Delegate<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = rtl::Delegate<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent = rtl::Delegate<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = rtl::Delegate<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// Whether a left press drags the control (dmAutomatic) or only BeginDrag does (dmManual).
// clang-format off
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };
// clang-format on

// What a drag carries: a text and blocks of bytes under MIME types.
class TDragObject {
public:
    // An 8-bit text, as the clipboard's text.
    void SetText(const std::string& text) { text_ = text; }
    const std::string& Text() const { return text_; }
    void SetData(const std::string& mimeType, const std::string& bytes) { data_[mimeType] = bytes; }
    // Empty when nothing of that type is carried.
    std::string Data(const std::string& mimeType) const;
    const std::map<std::string, std::string>& AllData() const { return data_; }

private:
    std::string text_;
    std::map<std::string, std::string> data_;
};
using TStartDragEvent = rtl::Delegate<void(TObject* Sender, TDragObject& DragObject)>;

// What a control claims in dialogs (DialogCode).
enum : unsigned {
    // clang-format off
    DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_HASSETSEL = 0x8,
    // clang-format on
    DLGC_WANTCHARS = 0x80,
};

// Tells the focused control that sender was pressed (see TControl::CancelMode).
void SendCancelMode(TControl* focused, TControl* sender);
// Offers an accelerator character to root and every shown, enabled control inside it
// (TControl::DialogChar) until one takes it; true when one did.
bool SendDialogChar(TControl* root, char key);
// The time stamp (ms) of the input event being handled, or of the last one handled;
// double-click tests compare two of them.
unsigned long GetMessageTime();

// A control is a component: its owner frees it. The control given at construction is
// both its owner and its parent; SetParent moves it to another parent and keeps the owner.
class TControl : public QWidget, public rtl::TComponent {
public:
    explicit TControl(TControl* parent = nullptr);
    ~TControl() override;

    // The control a widget belongs to: the widget itself or its nearest control ancestor.
    static TControl* FromWidget(QWidget* w);
    // The control holding the mouse capture, if any.
    static TControl* CaptureControl();

    // ---- parent and children
    TControl* Parent() const;
    virtual void SetParent(TControl* parent);
    int ControlCount() const;
    TControl* Controls(int index) const;
    // The form the control is on (itself when it is a form), or nullptr.
    TForm* ParentForm() const;

    // ---- bounds, in the parent's client coordinates (screen for a window)
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // The client area in client coordinates: (0, 0, client width, client height).
    TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientSize(int width, int height);
    // Where the client area starts inside the control's window.
    TPoint ClientOffset() const { return {clientInWindow_.Left, clientInWindow_.Top}; }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    // ---- border (non-client area)
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v);
    // Recomputes the non-client area (after whatever CalcNonClientSize reads changed);
    // when the client area moved or changed size, Resize follows. True when it changed.
    bool RecalcNonClient();

    // ---- visibility and enabled state (the control's own flags)
    // A window is visible when shown; a child by its own flag (it shows with its parent).
    bool Visible() const { return isWindow() ? isVisible() : visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible with every ancestor.
    bool Showing() const { return isVisible(); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    // ---- font and colour; a control with ParentFont/ParentColor follows its parent
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    // ---- bidirectional mode: Qt's layout direction, so a control set right to left
    // through Qt reads the same. A control takes its parent's mode (ParentBiDiMode) until
    // it is given one; a window takes the application's.
    TBiDiMode BiDiMode() const { return layoutDirection() == Qt::RightToLeft ? bdRightToLeft : bdLeftToRight; }
    void SetBiDiMode(TBiDiMode v) { setLayoutDirection(v == bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight); }
    bool ParentBiDiMode() const { return !testAttribute(Qt::WA_SetLayoutDirection); }
    void SetParentBiDiMode(bool v);
    // Whether the control lays itself out mirrored, its alignments swapped: right to left
    // (a control that keeps some content left to right answers for it).
    virtual bool UseRightToLeftAlignment() const { return BiDiMode() == bdRightToLeft; }

    // ---- hints (Hints.h): asked of the control under the pointer
    // Whether the pointer over this control brings hints (default: ShowHint).
    virtual bool WantsHints() const { return showHint_; }
    // The pause before the hint at client point p shows; 0 shows it at once.
    virtual int HintShowPause(TPoint p);
    // Fills or changes the hint for info.CursorPos (info comes with the control's Hint,
    // its client rectangle and a place below the pointer); false shows none.
    virtual bool ShowHintAt(THintInfo& info);

    // ---- caption, hint, cursor, popup menu
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& text) { hint_ = text; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    // ---- focus
    virtual bool CanFocus() const;
    // Throws rtl::EInvalidOperation for a hidden or disabled control.
    virtual void SetFocus();
    virtual bool Focused() const;
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    // The DLGC_ bits the control claims (DialogCode), for an edit it hosts in place.
    unsigned QueryDialogCode() const { return DialogCode(); }

    // ---- window region: the control shows, and takes the mouse, only inside it
    // Points in window coordinates (the control's own, border included).
    void SetWindowRgn(const std::vector<TPoint>& polygon);
    void ClearWindowRgn();
    bool HasWindowRgn() const { return hasRegion_; }

    // ---- mouse capture: while set, every mouse event of the program's controls comes here
    bool MouseCapture() const { return CaptureControl() == this; }
    void SetMouseCapture(bool v);

    // ---- painting
    TCanvas& Canvas() { return canvas_; }
    // Marks the control for painting (InvalidatedArea) or a part of its client area.
    void Invalidate();
    void InvalidateRect(const TRect& clientRect);
    // Marks the control for painting and paints it now.
    void Repaint();
    // Paints now what is marked for painting, if anything.
    void Update();

    // ---- dragging the control
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    // Starts a drag of the control: at once, or once the pointer has moved Threshold pixels
    // (negative: the system's drag threshold) from the last press with the left button
    // held; a release first drops the request. The drag runs until it is dropped or
    // cancelled; the control's mouse capture ends with its start.
    void BeginDrag(bool Immediate, int Threshold = -1);
    // A drag was asked for and waits for the pointer to move.
    bool DragPending() const { return dragPending_; }
    // A drag of the control runs.
    bool Dragging() const { return dragging_; }

    // ---- numbered messages
    std::intptr_t Perform(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    void PostMessage(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    // Posts unless a message with this number is already waiting; false when one was.
    bool PostMessageOnce(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    bool HasPostedMessage(unsigned msg) const;
    // Takes a waiting message with this number out of the queue; false when none waited.
    bool RemovePostedMessage(unsigned msg, TMessage* removed = nullptr);

    // ---- window timers: TimerTick(id) every interval until KillTimer; setting an id again restarts it
    void SetTimer(int id, int intervalMs);
    void KillTimer(int id);
    bool TimerActive(int id) const;
    // The interval a running timer was set with; 0 when it does not run.
    int TimerInterval(int id) const;

    // Frees the control once the current event is done.
    void Release();

    // ---- events
    TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnResize, OnMouseEnter, OnMouseLeave;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseWheelEvent OnMouseWheel;
    TContextPopupEvent OnContextPopup;
    TStartDragEvent OnStartDrag;

protected:
    // ---- message hooks
    virtual void Paint() {}
    // What Invalidate marks, in window coordinates: the whole control. Controls inside it
    // paint themselves when they change; one that stands in the frame and covers its place
    // (a scroll bar) may be left out.
    virtual QRegion InvalidatedArea() const;
    // The non-client area in window coordinates; the default draws the border.
    virtual void PaintNonClient(TCanvas& canvas);
    // Shrinks the window rectangle (0, 0, width, height) to the client area.
    virtual void CalcNonClientSize(TRect& client);
    virtual void Resize();
    virtual void Moved() {}
    virtual void KeyDown(Word& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void KeyUp(Word& key, TShiftState shift);
    // True to keep Enter, Esc or Tab from the dialog (CM_WANTSPECIALKEY).
    virtual bool WantSpecialKey(Word key, TShiftState shift);
    // DLGC_ bits: DLGC_WANTTAB keeps Tab, DLGC_WANTALLKEYS keeps Enter and Esc.
    virtual unsigned DialogCode() const { return 0; }
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseEnter();
    virtual void MouseLeave();
    // The wheel; returns true when handled (an unhandled wheel goes to the parent's).
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    virtual bool DoMouseWheelDown(TShiftState, TPoint) { return false; }
    virtual bool DoMouseWheelUp(TShiftState, TPoint) { return false; }
    // Whether a left press (or double click) at (x, y) starts the automatic drag instead of
    // going to MouseDown; by default with DragMode automatic.
    virtual bool AutoDragPress(TShiftState shift, int x, int y);
    // The drag starts: fills what it carries (the default fires OnStartDrag).
    virtual void DoStartDrag(TDragObject& dragObject);
    // After the right button is released (MouseUp first), or from the keyboard with (-1, -1).
    virtual void DoContextPopup(TPoint mousePos, bool& handled);
    virtual void FocusIn(TControl* previous);
    virtual void FocusOut(TControl* next);
    virtual void DoEnter();
    virtual void DoExit();
    // A mouse press on sender (any control, this one too) while this control has the
    // focus, delivered before the press moves the focus (CM_CANCELMODE).
    virtual void CancelMode(TControl* sender);
    friend void SendCancelMode(TControl* focused, TControl* sender);
    // An accelerator: Alt with a character that no control's KeyDown took is offered to
    // the form's controls (CM_DIALOGCHAR); true when this control used it.
    virtual bool DialogChar(char /*key*/) { return false; }
    friend bool SendDialogChar(TControl* root, char key);
    // The capture was taken away (WM_CANCELMODE); the default releases it.
    virtual void CaptureCancelled();
    virtual void TimerTick(int /*id*/) {}
    virtual void WndProc(TMessage& /*message*/) {}
    virtual void FontChanged() {}
    virtual void ColorChanged() {}
    virtual void EnabledChanged() {}
    virtual void VisibleChanged() {}
    virtual void TextChanged() {}
    // The bidirectional mode changed (set here or taken from the parent).
    virtual void BiDiModeChanged() {}

    // Whether Paint gets a client area filled with Color first (the default).
    bool EraseBackground = true;
    // Whether a left press and release over the control calls Click (the default).
    bool ClickOnRelease = true;

    // For a control whose default processing is done by an inner Qt widget (the text
    // box of an edit): the inner widget hands every event here first; input events run
    // through the hooks above, and defaultEvent does the inner widget's own processing.
    // Returns the value the inner widget's event() should return.
    bool InnerWidgetEvent(QWidget* inner, QEvent* e, const std::function<bool(QEvent*)>& defaultEvent);

    // ---- Qt
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct TPosted {
        TMessage Message;
        std::uint64_t Serial;
    };

    void applyGeometry();
    void layoutChildren();
    void fontChangedInternal();
    void parentFontChanged();
    void parentColorChanged();
    void updateFocusPolicy();
    TPoint toClient(QWidget* from, const QPointF& pos) const;
    bool forwardToCapture(QWidget* from, QMouseEvent* e);
    void handleMouse(QWidget* from, QMouseEvent* e, const std::function<bool(QEvent*)>& defaultEvent);
    bool handleKey(QKeyEvent* e, const std::function<bool(QEvent*)>& defaultEvent);
    bool handleShortcutOverride(QKeyEvent* e);
    bool handleWheel(QWidget* from, QWheelEvent* e);
    void handleFocus(QFocusEvent* e, bool in);
    bool handleContextMenu(QContextMenuEvent* e);
    bool dispatch(QWidget* from, QEvent* e, const std::function<bool(QEvent*)>& defaultEvent);
    bool deliverPosted(std::uint64_t serial);
    // A press: a waiting drag is dropped; true when the press starts the automatic drag.
    bool dragPress(TMouseButton button, TShiftState shift, TPoint p);
    // A move with a drag pending: starts it past the threshold; true when the drag took it.
    bool dragMove(bool leftHeld, TPoint p);
    // A release before the drag started; the press an automatic drag held back goes on.
    void dropPendingDrag();
    void startDrag();

    void markForPainting(const QRegion& area);

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TRect clientInWindow_;
    QRegion unpainted_; // marked by Invalidate and InvalidateRect, not painted since
    TBorderStyle borderStyle_ = bsNone;
    bool ctl3D_ = true;
    bool visible_ = true;
    bool enabled_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool takingParentFont_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    std::string caption_;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = crDefault;
    QMenu* popupMenu_ = nullptr;
    bool tabStop_ = false;
    bool clickPending_ = false;
    TCanvas canvas_;
    std::map<int, std::unique_ptr<TTimerSlot>> timers_;
    std::deque<TPosted> posted_;
    std::uint64_t nextSerial_ = 1;
    bool settingGeometry_ = false;
    bool hasRegion_ = false;
    TDragMode dragMode_ = dmManual;
    bool dragPending_ = false;
    bool dragging_ = false;
    // Where the last press was, and how far a pending drag waits for the pointer to move.
    TPoint pressPoint_;
    int dragThreshold_ = 0;
    // The shift state of the press an automatic drag holds back.
    std::optional<TShiftState> heldPress_;
};

} // namespace ui
