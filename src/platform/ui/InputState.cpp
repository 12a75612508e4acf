#include "platform/ui/InputState.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/ui/Keys.h"

namespace ui {

namespace {

struct TTracked {
    TShiftState keys = 0;
    TShiftState buttons = 0;
};

TTracked& tracked()
{
    static TTracked t;
    return t;
}

TInputStateScope*& scope()
{
    static TInputStateScope* s = nullptr;
    return s;
}

constexpr TShiftState kKeyMask = ssShift | ssCtrl | ssAlt;
constexpr TShiftState kButtonMask = ssLeft | ssRight | ssMiddle;

// The modifier a key itself is (its own press or release changes the state).
TShiftState modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift: return ssShift;
    case Qt::Key_Control: return ssCtrl;
    case Qt::Key_Alt: return ssAlt;
    default: return 0;
    }
}

} // namespace

void TrackInputState(const QInputEvent& e)
{
    TTracked& t = tracked();
    switch (e.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto& k = static_cast<const QKeyEvent&>(e);
        TShiftState keys = ShiftStateOf(k.modifiers()) & kKeyMask;
        // Platforms differ on whether a modifier's own event counts it; the event says.
        if (TShiftState own = modifierOfKey(k.key()))
            keys = e.type() == QEvent::KeyPress ? (keys | own) : (keys & ~own);
        t.keys = keys;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto& m = static_cast<const QMouseEvent&>(e);
        t.keys = ShiftStateOf(m.modifiers()) & kKeyMask;
        t.buttons = ShiftStateOf(Qt::NoModifier, m.buttons()) & kButtonMask;
        break;
    }
    default:
        t.keys = ShiftStateOf(e.modifiers()) & kKeyMask;
        break;
    }
}

TShiftState KeyboardShiftState()
{
    if (TInputStateScope* s = scope()) return s->keys_ & kKeyMask;
    return tracked().keys;
}

TShiftState MouseButtonsState()
{
    if (TInputStateScope* s = scope()) return s->buttons_ & kButtonMask;
    return tracked().buttons;
}

bool KeyPressWaiting()
{
    if (TInputStateScope* s = scope()) return s->KeyPressProbe && s->KeyPressProbe();
    return false;
}

TInputStateScope::TInputStateScope(TShiftState keys, TShiftState buttons)
    : keys_(keys), buttons_(buttons), previous_(scope())
{
    scope() = this;
}

TInputStateScope::~TInputStateScope() { scope() = previous_; }

} // namespace ui
