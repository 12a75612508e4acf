#include "platform/ui/Control.h"

#include <utility>

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPolygon>
#include <QRegion>
#include <QWheelEvent>
#include <QWindow>

#include "platform/rtl/Exception.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Hints.h"
#include "platform/ui/InputState.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"
#include "platform/ui/QtText.h"
#include "platform/ui/Timer.h"

namespace ui {

namespace {

QPointer<TControl>& captureControl()
{
    static QPointer<TControl> capture;
    return capture;
}

// The widget that had the focus before the change being delivered: Qt announces a
// change after sending the focus events, so during FocusIn this still names the loser.
QPointer<QWidget>& focusBeforeChange()
{
    static QPointer<QWidget> previous;
    return previous;
}

// Cancel mode of a press: sent by the window-level watcher when the press arrives
// through a window (before Qt moves the focus); otherwise by the pressed control, to
// the control that lost the focus to this press or, failing that, the focused one.
bool& cancelModeSent()
{
    static bool sent = false;
    return sent;
}
QPointer<TControl>& focusLostToPress()
{
    static QPointer<TControl> lost;
    return lost;
}

class TPressWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* receiver, QEvent* e) override
    {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick) return false;
        auto* window = qobject_cast<QWindow*>(receiver);
        if (!window) return false;
        Guarded([&] {
            TControl* focused = TControl::FromWidget(QApplication::focusWidget());
            if (!focused) return;
            QWidget* top = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                // clang-format off
                if (w->windowHandle() == window) { top = w; break; }
            // clang-format on
            if (!top) return;
            QPoint pos = static_cast<QMouseEvent*>(e)->position().toPoint();
            QWidget* target = top->childAt(pos);
            TControl* sender = TControl::FromWidget(target ? target : top);
            if (TControl* capture = TControl::CaptureControl()) sender = capture;
            cancelModeSent() = true;
            SendCancelMode(focused, sender);
        });
        return false;
    }
};

void ensureFocusTracker()
{
    static bool connected = false;
    if (connected || !qApp) return;
    connected = true;
    focusBeforeChange() = QApplication::focusWidget();
    QObject::connect(qApp, &QApplication::focusChanged, qApp,
                     [](QWidget*, QWidget* now) { focusBeforeChange() = now; });
    qApp->installEventFilter(new TPressWatcher(qApp));
}

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPostedEvent : public QEvent {
public:
    explicit TPostedEvent(std::uint64_t serial) : QEvent(kPostedMessage), Serial(serial) {}
    std::uint64_t Serial;
};

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

TMouseButton buttonOf(Qt::MouseButton b)
{
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

} // namespace

TControl::TControl(TControl* parent) : QWidget(parent), rtl::TComponent(parent)
{
    ensureFocusTracker();
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    font_.OnChange = TNotifyEvent::FromFunction([this](TObject*) { fontChangedInternal(); });
    canvas_.Font().Assign(font_);
    if (parent) {
        parentFontChanged();
        parentColorChanged();
        if (parent->isVisible()) QWidget::setVisible(true);
    }
    RecalcNonClient();
}

TControl::~TControl()
{
    // Owned controls go while this one is still whole.
    Destroying();
    DestroyComponents();
    if (captureControl() == this) captureControl() = nullptr;
    canvas_.Detach();
}

TControl* TControl::FromWidget(QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (auto* c = dynamic_cast<TControl*>(w)) return c;
    return nullptr;
}

TControl* TControl::CaptureControl() { return captureControl().data(); }

// ---- parent and children ----

TControl* TControl::Parent() const { return dynamic_cast<TControl*>(parentWidget()); }

void TControl::SetParent(TControl* parent)
{
    if (parent == Parent()) return;
    Qt::WindowFlags flags = windowFlags();
    QWidget::setParent(parent, parent ? (flags & ~Qt::WindowType_Mask) : flags);
    applyGeometry();
    parentFontChanged();
    parentColorChanged();
    if (visible_ && parent) QWidget::setVisible(true);
}

int TControl::ControlCount() const
{
    int n = 0;
    for (QObject* o : children())
        if (dynamic_cast<TControl*>(o)) ++n;
    return n;
}

TControl* TControl::Controls(int index) const
{
    int n = 0;
    for (QObject* o : children())
        if (auto* c = dynamic_cast<TControl*>(o)) {
            if (n == index) return c;
            ++n;
        }
    throw rtl::EListError("Control index out of bounds (" + std::to_string(index) + ")");
}

TForm* TControl::ParentForm() const
{
    for (QWidget* w = const_cast<TControl*>(this); w; w = w->parentWidget())
        if (auto* f = dynamic_cast<TForm*>(w)) return f;
    return nullptr;
}

// ---- bounds ----

void TControl::applyGeometry()
{
    settingGeometry_ = true;
    if (!isWindow()) {
        TPoint off;
        if (TControl* p = Parent()) off = p->ClientOffset();
        setGeometry(left_ + off.X, top_ + off.Y, width_, height_);
    } else {
        setGeometry(left_, top_, width_, height_);
    }
    settingGeometry_ = false;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    bool moved = left != left_ || top != top_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
    // A hidden widget gets its resize event only when shown; the layout must follow now.
    if (resized && testAttribute(Qt::WA_PendingResizeEvent)) {
        if (!RecalcNonClient()) Resize();
    }
    if (moved && testAttribute(Qt::WA_PendingMoveEvent)) Moved();
}

TRect TControl::ClientRect() const
{
    return {0, 0, std::max(0, clientInWindow_.Width()), std::max(0, clientInWindow_.Height())};
}

void TControl::SetClientSize(int width, int height)
{
    SetBounds(left_, top_, width + (width_ - ClientWidth()), height + (height_ - ClientHeight()));
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    QPoint g = mapToGlobal(QPoint(p.X + clientInWindow_.Left, p.Y + clientInWindow_.Top));
    return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    QPoint l = mapFromGlobal(QPoint(p.X, p.Y));
    return {l.x() - clientInWindow_.Left, l.y() - clientInWindow_.Top};
}

void TControl::resizeEvent(QResizeEvent*)
{
    Guarded([&] {
        if (!settingGeometry_) {
            width_ = width();
            height_ = height();
        }
        if (!RecalcNonClient()) Resize();
    });
}

void TControl::moveEvent(QMoveEvent*)
{
    Guarded([&] {
        if (!settingGeometry_ && isWindow()) {
            left_ = geometry().x();
            top_ = geometry().y();
        }
        Moved();
    });
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

// ---- non-client area ----

void TControl::SetBorderStyle(TBorderStyle v)
{
    if (borderStyle_ == v) return;
    borderStyle_ = v;
    RecalcNonClient();
    markForPainting(rect());
}

void TControl::SetCtl3D(bool v)
{
    if (ctl3D_ == v) return;
    ctl3D_ = v;
    RecalcNonClient();
    markForPainting(rect());
}

void TControl::CalcNonClientSize(TRect& client)
{
    if (borderStyle_ != bsSingle) return;
    int inset = ctl3D_ ? Metrics().EdgeWidth : Metrics().BorderWidth;
    client.Inflate(-inset, -inset);
}

bool TControl::RecalcNonClient()
{
    TRect c{0, 0, width_, height_};
    CalcNonClientSize(c);
    if (c == clientInWindow_) return false;
    bool moved = c.Left != clientInWindow_.Left || c.Top != clientInWindow_.Top;
    clientInWindow_ = c;
    if (moved) layoutChildren();
    markForPainting(rect());
    Resize();
    return true;
}

void TControl::layoutChildren()
{
    for (QObject* o : children())
        if (auto* c = dynamic_cast<TControl*>(o); c && !c->isWindow()) c->applyGeometry();
}

void TControl::PaintNonClient(TCanvas& canvas)
{
    if (borderStyle_ != bsSingle) return;
    TRect r{0, 0, width_, height_};
    if (ctl3D_) {
        canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
    } else {
        canvas.Brush().SetColor(clWindowFrame);
        canvas.FrameRect(r);
    }
}

// ---- painting ----

void TControl::paintEvent(QPaintEvent* e)
{
    Guarded([&] {
        QPainter painter(this);
        struct Detach {
            TCanvas& c;
            ~Detach() { c.Detach(); }
        } detach{canvas_};
        unpainted_ -= e->region();
        const QRect clientArea = toQRect(clientInWindow_);
        const QRect dirty = e->rect();
        const TPoint off = ClientOffset();
        QRect visible = dirty.intersected(clientArea).translated(-off.X, -off.Y);
        if (!visible.isEmpty()) {
            painter.save();
            painter.setClipRect(clientArea);
            painter.translate(off.X, off.Y);
            canvas_.Attach(&painter, {visible.left(), visible.top(), visible.left() + visible.width(),
                                      visible.top() + visible.height()});
            if (EraseBackground) painter.fillRect(QRect(0, 0, clientArea.width(), clientArea.height()), ToQColor(color_));
            Paint();
            canvas_.Detach();
            painter.restore();
        }
        if (clientInWindow_ != TRect{0, 0, width_, height_}) {
            canvas_.Attach(&painter, {0, 0, width_, height_});
            PaintNonClient(canvas_);
        }
    });
}

QRegion TControl::InvalidatedArea() const { return QRegion(rect()); }

void TControl::markForPainting(const QRegion& area)
{
    unpainted_ += area;
    update(area);
}

void TControl::Invalidate() { markForPainting(InvalidatedArea()); }

void TControl::InvalidateRect(const TRect& r)
{
    markForPainting(QRegion(toQRect(r).translated(clientInWindow_.Left, clientInWindow_.Top)));
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::Update()
{
    if (unpainted_.isEmpty()) return;
    repaint(std::exchange(unpainted_, QRegion()));
}

// ---- visibility, enabled, caption, cursor ----

void TControl::SetVisible(bool v)
{
    if (Visible() == v) return;
    visible_ = v;
    QWidget::setVisible(v);
    VisibleChanged();
}

void TControl::SetEnabled(bool v)
{
    if (enabled_ == v) return;
    enabled_ = v;
    QWidget::setEnabled(v);
}

void TControl::changeEvent(QEvent* e)
{
    Guarded([&] {
        if (e->type() == QEvent::EnabledChange) {
            EnabledChanged();
            markForPainting(rect());
        }
        if (e->type() == QEvent::LayoutDirectionChange) BiDiModeChanged();
    });
    QWidget::changeEvent(e);
}

void TControl::SetParentBiDiMode(bool v)
{
    if (v == ParentBiDiMode()) return;
    if (v) unsetLayoutDirection();
    else SetBiDiMode(BiDiMode());
}

void TControl::SetCaption(const std::string& text)
{
    if (caption_ == text) return;
    caption_ = text;
    if (isWindow()) setWindowTitle(ToQString(text));
    TextChanged();
    markForPainting(rect());
}

void TControl::SetCursor(TCursor c)
{
    cursor_ = c;
    if (c == crDefault)
        unsetCursor();
    else
        QWidget::setCursor(CursorToQt(c));
}

// ---- font and colour ----

void TControl::fontChangedInternal()
{
    if (!takingParentFont_) parentFont_ = false;
    QWidget::setFont(font_.ToQFont());
    canvas_.Font().Assign(font_);
    FontChanged();
    markForPainting(rect());
    for (QObject* o : children())
        if (auto* c = dynamic_cast<TControl*>(o)) c->parentFontChanged();
}

void TControl::parentFontChanged()
{
    TControl* p = Parent();
    if (!parentFont_ || !p) return;
    takingParentFont_ = true;
    font_.Assign(p->Font());
    takingParentFont_ = false;
}

void TControl::SetParentFont(bool v)
{
    parentFont_ = v;
    if (v) parentFontChanged();
}

void TControl::parentColorChanged()
{
    TControl* p = Parent();
    if (!parentColor_ || !p || color_ == p->Color()) return;
    color_ = p->Color();
    ColorChanged();
    markForPainting(rect());
    for (QObject* o : children())
        if (auto* c = dynamic_cast<TControl*>(o)) c->parentColorChanged();
}

void TControl::SetColor(TColor c)
{
    parentColor_ = false;
    if (color_ == c) return;
    color_ = c;
    ColorChanged();
    markForPainting(rect());
    for (QObject* o : children())
        if (auto* child = dynamic_cast<TControl*>(o)) child->parentColorChanged();
}

void TControl::SetParentColor(bool v)
{
    parentColor_ = v;
    if (v) parentColorChanged();
}

// ---- focus ----

void TControl::updateFocusPolicy()
{
    if (focusPolicy() == Qt::NoFocus) return;
    setFocusPolicy(tabStop_ ? Qt::StrongFocus : Qt::ClickFocus);
}

void TControl::SetTabStop(bool v)
{
    tabStop_ = v;
    updateFocusPolicy();
}

bool TControl::CanFocus() const
{
    return focusPolicy() != Qt::NoFocus && isVisible() && isEnabled();
}

void TControl::SetFocus()
{
    if (!CanFocus()) throw rtl::EInvalidOperation("Cannot focus a disabled or invisible window");
    setFocus(Qt::OtherFocusReason);
}

bool TControl::Focused() const { return hasFocus(); }

void TControl::handleFocus(QFocusEvent* e, bool in)
{
    if (e->reason() == Qt::PopupFocusReason) return;
    QPointer<TControl> self(this);
    const bool windowSwitch = e->reason() == Qt::ActiveWindowFocusReason;
    TControl* other = FromWidget(in ? focusBeforeChange().data() : QApplication::focusWidget());
    // The focus moving between the inner boxes of one control does not leave it.
    if (other == this) return;
    if (!in && e->reason() == Qt::MouseFocusReason && !cancelModeSent()) focusLostToPress() = this;
    if (in) {
        FocusIn(other);
        if (self && !windowSwitch) DoEnter();
    } else {
        FocusOut(other);
        if (self && !windowSwitch) DoExit();
    }
}

void TControl::FocusIn(TControl*) {}
void TControl::FocusOut(TControl*) {}
// clang-format off
void TControl::DoEnter() { if (OnEnter) OnEnter(this); }
void TControl::DoExit() { if (OnExit) OnExit(this); }
// clang-format on

// ---- mouse ----

void TControl::SetMouseCapture(bool v)
{
    QPointer<TControl>& capture = captureControl();
    if (v) {
        if (capture == this) return;
        QPointer<TControl> old = capture;
        capture = this;
        if (old) {
            old->releaseMouse();
            old->CaptureCancelled();
        }
        // Qt's grab sends presses in this window here without moving the focus first.
        if (isVisible()) grabMouse();
    } else if (capture == this) {
        capture = nullptr;
        releaseMouse();
    }
}

void TControl::CaptureCancelled()
{
    // Losing the mouse ends the wait for a drag as well.
    dragPending_ = false;
    heldPress_.reset();
    if (MouseCapture()) SetMouseCapture(false);
}

void TControl::CancelMode(TControl*) {}

int TControl::HintShowPause(TPoint) { return HintSettings().Pause; }

bool TControl::ShowHintAt(THintInfo& info) { return !info.HintStr.empty(); }

bool SendDialogChar(TControl* root, char key)
{
    if (!root || !root->isVisible() || !root->isEnabled()) return false;
    if (root->DialogChar(key)) return true;
    for (QObject* o : root->children())
        if (auto* c = dynamic_cast<TControl*>(o); c && !c->isWindow() && SendDialogChar(c, key)) return true;
    return false;
}

// ---- window region ----

void TControl::SetWindowRgn(const std::vector<TPoint>& polygon)
{
    QPolygon p;
    for (const TPoint& pt : polygon) p << QPoint(pt.X, pt.Y);
    hasRegion_ = true;
    setMask(QRegion(p));
}

void TControl::ClearWindowRgn()
{
    hasRegion_ = false;
    clearMask();
}

void SendCancelMode(TControl* focused, TControl* sender)
{
    if (focused) focused->CancelMode(sender);
}

TPoint TControl::toClient(QWidget* from, const QPointF& pos) const
{
    QPoint p = pos.toPoint();
    if (from && from != this) p = from->mapTo(const_cast<TControl*>(this), p);
    return {p.x() - clientInWindow_.Left, p.y() - clientInWindow_.Top};
}

bool TControl::forwardToCapture(QWidget*, QMouseEvent* e)
{
    TControl* capture = CaptureControl();
    if (!capture || capture == this) return false;
    QPointF local = capture->mapFromGlobal(e->globalPosition());
    QMouseEvent copy(e->type(), local, e->globalPosition(), e->button(), e->buttons(), e->modifiers());
    capture->handleMouse(capture, &copy, nullptr);
    e->accept();
    return true;
}

void TControl::handleMouse(QWidget* from, QMouseEvent* e, const std::function<bool(QEvent*)>& defaultEvent)
{
    if (forwardToCapture(from, e)) return;
    // A disabled control takes no mouse input.
    if (!isEnabled()) {
        e->accept();
        return;
    }
    QPointer<TControl> self(this);
    const TPoint p = toClient(from, e->position());
    TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
    const TMouseButton button = buttonOf(e->button());
    const bool inner = from != this && defaultEvent;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        CancelHint();
        if (!cancelModeSent()) {
            TControl* focused = focusLostToPress() ? focusLostToPress().data() : FromWidget(QApplication::focusWidget());
            SendCancelMode(focused, this);
            if (!self) return;
        }
        cancelModeSent() = false;
        focusLostToPress() = nullptr;
        const bool dbl = e->type() == QEvent::MouseButtonDblClick;
        if (dragPress(button, dbl ? shift | ssDouble : shift, p)) break;
        if (inner) defaultEvent(e);
        // The release after a double click is no second click.
        clickPending_ = button == mbLeft && !dbl;
        if (dbl) {
            shift |= ssDouble;
            if (button == mbLeft) DblClick();
            if (!self) return;
        }
        MouseDown(button, shift, p.X, p.Y);
        break;
    }
    case QEvent::MouseMove:
        if (dragPending_ && dragMove(e->buttons() & Qt::LeftButton, p)) break;
        if (inner) defaultEvent(e);
        MouseMove(shift, p.X, p.Y);
        if (self) HintMouseMove(this, p);
        break;
    case QEvent::MouseButtonRelease: {
        if (button == mbLeft && dragPending_) {
            dropPendingDrag();
            if (!self) return;
        }
        if (inner) defaultEvent(e);
        const bool click = button == mbLeft && clickPending_ && ClickOnRelease && ClientRect().Contains(p);
        if (button == mbLeft) clickPending_ = false;
        if (click) {
            Click();
            if (!self) return;
        }
        MouseUp(button, shift, p.X, p.Y);
        if (!self) return;
        if (button == mbRight) {
            bool handled = false;
            DoContextPopup(p, handled);
            if (self && !handled && popupMenu_) popupMenu_->popup(e->globalPosition().toPoint());
        }
        break;
    }
    default:
        break;
    }
    e->accept();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

// clang-format off
void TControl::Click() { if (OnClick) OnClick(this); }
void TControl::DblClick() { if (OnDblClick) OnDblClick(this); }
void TControl::MouseEnter() { if (OnMouseEnter) OnMouseEnter(this); }
void TControl::MouseLeave() { if (OnMouseLeave) OnMouseLeave(this); }
// clang-format on

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (!handled) handled = wheelDelta < 0 ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
    return handled;
}

bool TControl::handleWheel(QWidget*, QWheelEvent* e)
{
    int delta = e->angleDelta().y();
    if (delta == 0) delta = e->angleDelta().x();
    const QPoint g = e->globalPosition().toPoint();
    const TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
    // A wheel turn a control does not handle goes up to its parents, the nearest first.
    QPointer<TControl> control(this);
    while (control) {
        if (control->DoMouseWheel(shift, delta, {g.x(), g.y()})) break;
        control = control->isWindow() ? nullptr : control->Parent();
    }
    e->accept();
    return true;
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled)
{
    if (OnContextPopup) OnContextPopup(this, mousePos, handled);
}

bool TControl::handleContextMenu(QContextMenuEvent* e)
{
    e->accept();
    if (e->reason() == QContextMenuEvent::Mouse) return true; // raised on the button's release instead
    bool handled = false;
    QPointer<TControl> self(this);
    DoContextPopup({-1, -1}, handled);
    if (self && !handled && popupMenu_) popupMenu_->popup(mapToGlobal(rect().center()));
    return true;
}

// ---- keys ----

bool TControl::WantSpecialKey(Word, TShiftState) { return false; }

// clang-format off
void TControl::KeyDown(Word& key, TShiftState shift) { if (OnKeyDown) OnKeyDown(this, key, shift); }
void TControl::KeyPress(char& key) { if (OnKeyPress) OnKeyPress(this, key); }
void TControl::KeyUp(Word& key, TShiftState shift) { if (OnKeyUp) OnKeyUp(this, key, shift); }
// clang-format on

bool TControl::handleShortcutOverride(QKeyEvent* e)
{
    const Word key = VirtualKeyOf(*e);
    const TShiftState shift = ShiftStateOf(e->modifiers());
    unsigned mask = 0;
    if (key == VK_TAB) mask = DLGC_WANTTAB;
    else if (key == VK_RETURN || key == VK_ESCAPE) mask = DLGC_WANTALLKEYS;
    if (mask && (WantSpecialKey(key, shift) || (DialogCode() & mask))) {
        e->accept();
        return true;
    }
    return false;
}

bool TControl::handleKey(QKeyEvent* e, const std::function<bool(QEvent*)>& defaultEvent)
{
    QPointer<TControl> self(this);
    if (e->type() == QEvent::KeyPress) CancelHint();
    Word key = VirtualKeyOf(*e);
    TShiftState shift = ShiftStateOf(e->modifiers()) | MouseButtonsState();
    const Word original = key;
    e->accept();
    if (e->type() == QEvent::KeyRelease) {
        if (original != 0) KeyUp(key, shift);
        if (!self || (key == 0 && original != 0) || !defaultEvent) return true;
        if (key != original) {
            std::unique_ptr<QKeyEvent> rw(RewrittenKeyEvent(*e, key, 0));
            defaultEvent(rw.get());
        } else {
            defaultEvent(e);
        }
        e->accept();
        return true;
    }

    TForm* form = ParentForm();
    // A key without a virtual key code has nothing to preview (and its 0 must not read
    // as a key the form took).
    if (form && form != this && form->KeyPreview() && original != 0) {
        form->PreviewKeyDown(key, shift);
        if (!self || key == 0) return true;
    }
    if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_EXECUTE || key == VK_CANCEL) {
        const unsigned mask = key == VK_TAB ? unsigned(DLGC_WANTTAB) : unsigned(DLGC_WANTALLKEYS);
        const bool wanted = WantSpecialKey(key, shift) || (DialogCode() & mask);
        if (!wanted) {
            if (form && form->DialogKey(key, shift)) return true;
            if (!self) return true;
            if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
                focusNextPrevChild(!(shift & ssShift));
                return true;
            }
        }
    }
    // A key without a virtual key code (an accented letter of some layouts) only types.
    if (original != 0) {
        KeyDown(key, shift);
        if (!self || key == 0) return true;
    }
    char ch = key == original ? CharOf(*e) : 0;
    if (ch != 0 && (shift & ssAlt) && !(shift & ssCtrl) && form) {
        if (SendDialogChar(form, ch)) return true;
        if (!self) return true;
    }
    bool charChanged = false;
    if (ch != 0) {
        const char before = ch;
        KeyPress(ch);
        if (!self || ch == 0) return true;
        charChanged = ch != before;
    }
    if (!defaultEvent) return true;
    if (key != original || charChanged) {
        std::unique_ptr<QKeyEvent> rw(RewrittenKeyEvent(*e, key, ch));
        defaultEvent(rw.get());
    } else {
        defaultEvent(e);
    }
    // A key the inner widget ignores (Enter in a text box) must not reach the parents.
    e->accept();
    return true;
}

// ---- messages and timers ----

std::intptr_t TControl::Perform(unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::PostMessage(unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    const std::uint64_t serial = nextSerial_++;
    posted_.push_back({TMessage{msg, wParam, lParam, 0}, serial});
    QCoreApplication::postEvent(this, new TPostedEvent(serial));
}

bool TControl::PostMessageOnce(unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    if (HasPostedMessage(msg)) return false;
    PostMessage(msg, wParam, lParam);
    return true;
}

bool TControl::HasPostedMessage(unsigned msg) const
{
    for (const TPosted& p : posted_)
        if (p.Message.Msg == msg) return true;
    return false;
}

bool TControl::RemovePostedMessage(unsigned msg, TMessage* removed)
{
    for (auto it = posted_.begin(); it != posted_.end(); ++it)
        if (it->Message.Msg == msg) {
            if (removed) *removed = it->Message;
            posted_.erase(it);
            return true;
        }
    return false;
}

bool TControl::deliverPosted(std::uint64_t serial)
{
    for (auto it = posted_.begin(); it != posted_.end(); ++it)
        if (it->Serial == serial) {
            TMessage m = it->Message;
            posted_.erase(it);
            WndProc(m);
            return true;
        }
    return false; // taken out of the queue before it arrived
}

void TControl::SetTimer(int id, int intervalMs)
{
    auto& slot = timers_[id];
    if (!slot) slot = std::make_unique<TTimerSlot>([this, id] { TimerTick(id); });
    slot->Start(intervalMs);
}

void TControl::KillTimer(int id)
{
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->Stop();
}

bool TControl::TimerActive(int id) const
{
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->Active();
}

int TControl::TimerInterval(int id) const
{
    return TimerActive(id) ? timers_.at(id)->Interval() : 0;
}

void TControl::Release() { deleteLater(); }

// ---- event dispatch ----

namespace {
unsigned long& lastInputTime()
{
    static unsigned long t = 0;
    return t;
}
} // namespace

unsigned long GetMessageTime() { return lastInputTime(); }

bool TControl::dispatch(QWidget* from, QEvent* e, const std::function<bool(QEvent*)>& defaultEvent)
{
    const bool inner = from != this;
    if (e->isInputEvent()) {
        lastInputTime() = static_cast<unsigned long>(static_cast<QInputEvent*>(e)->timestamp());
        TrackInputState(*static_cast<QInputEvent*>(e));
    }
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        handleMouse(from, static_cast<QMouseEvent*>(e), inner ? defaultEvent : nullptr);
        return true;
    case QEvent::Wheel:
        return handleWheel(from, static_cast<QWheelEvent*>(e));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return handleKey(static_cast<QKeyEvent*>(e), inner ? defaultEvent : nullptr);
    case QEvent::ShortcutOverride:
        if (handleShortcutOverride(static_cast<QKeyEvent*>(e))) return true;
        return inner ? defaultEvent(e) : false;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        bool r = defaultEvent(e);
        handleFocus(static_cast<QFocusEvent*>(e), e->type() == QEvent::FocusIn);
        return r;
    }
    case QEvent::Enter:
        if (!inner) MouseEnter();
        return defaultEvent(e);
    case QEvent::Leave:
        if (!inner) {
            CancelHintFor(this);
            MouseLeave();
        }
        return defaultEvent(e);
    case QEvent::ContextMenu:
        return handleContextMenu(static_cast<QContextMenuEvent*>(e));
    case QEvent::ToolTip:
        // Hints come from the hint machinery (Hints.h), not from Qt's tool tips.
        return true;
    default:
        if (e->type() == kPostedMessage) {
            deliverPosted(static_cast<TPostedEvent*>(e)->Serial);
            return true;
        }
        return defaultEvent(e);
    }
}

bool TControl::event(QEvent* e)
{
    if (HasState(rtl::csDestroying)) return QWidget::event(e);
    bool result = true;
    Guarded([&] { result = dispatch(this, e, [this](QEvent* ev) { return QWidget::event(ev); }); });
    return result;
}

bool TControl::InnerWidgetEvent(QWidget* inner, QEvent* e, const std::function<bool(QEvent*)>& defaultEvent)
{
    if (HasState(rtl::csDestroying)) return defaultEvent(e);
    bool result = true;
    Guarded([&] { result = dispatch(inner, e, defaultEvent); });
    return result;
}

} // namespace ui
