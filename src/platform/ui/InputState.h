#pragma once
// The keyboard and mouse as the program last saw them: which modifier keys and mouse
// buttons are held now, and whether a key press waits to be handled. Each has a test
// seam (TInputStateScope), so that code reading them is tested without a real device.
#include <functional>

#include "platform/ui/UiTypes.h"

class QInputEvent;

namespace ui {

// Shift, Ctrl and Alt held now (as of the last input event handled).
TShiftState KeyboardShiftState();
// The mouse buttons held now: ssLeft, ssRight, ssMiddle.
TShiftState MouseButtonsState();
// Both together.
inline TShiftState GetShiftState() { return KeyboardShiftState() | MouseButtonsState(); }
// Whether a key press waits in the input queue. Long loops poll it to yield to typing.
// Qt keeps its window-system queue to itself, so without a probe (tests, or a platform
// that offers one) this answers false and such loops run to their end.
bool KeyPressWaiting();

// Records the state an input event carries; the controls' event dispatch calls it.
void TrackInputState(const QInputEvent& e);

// For its lifetime, the state reads as given here instead of as tracked (tests).
class TInputStateScope {
public:
    TInputStateScope(TShiftState keys, TShiftState buttons = 0);
    ~TInputStateScope();
    TInputStateScope(const TInputStateScope&) = delete;
    TInputStateScope& operator=(const TInputStateScope&) = delete;

    void SetKeys(TShiftState keys) { keys_ = keys; }
    void SetButtons(TShiftState buttons) { buttons_ = buttons; }
    // Answers KeyPressWaiting (default: no key waits).
    std::function<bool()> KeyPressProbe;

private:
    friend TShiftState KeyboardShiftState();
    friend TShiftState MouseButtonsState();
    friend bool KeyPressWaiting();
    TShiftState keys_;
    TShiftState buttons_;
    TInputStateScope* previous_;
};

} // namespace ui
