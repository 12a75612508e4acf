#pragma once
// Hints of controls. While the pointer rests on a control that wants hints, the
// control is asked after its pause (HintShowPause, which may be 0 for at once) what to
// show there (ShowHintAt fills a THintInfo); the hint stays while the pointer stays in
// the info's CursorRect, for HideTimeout at most, and goes at a press, a key, or when
// the pointer leaves. A control that shows tips by cell answers per point: its own
// pause, text, rectangle, position and hint window for each.
#include <string>

#include "platform/ui/UiTypes.h"

namespace ui {

class TControl;
class THintWindow;

struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint CursorPos;                  // the pointer, in the control's client coordinates
    TRect CursorRect;                  // client coordinates: the hint lasts while the pointer is inside
    std::string HintStr;               // the text; empty shows nothing
    TPoint HintPos;                    // screen: where the hint window's top left goes
    int HintMaxWidth = 300;            // wider text wraps
    int HideTimeout = 2500;            // ms the hint shows; 0: until the pointer leaves
    THintWindow* HintWindow = nullptr; // the window to show it in (not owned); none: the common one
};

struct THintSettings {
    int Pause = 500;      // ms before a hint shows
    int HidePause = 2500; // ms a hint stays
};
THintSettings& HintSettings();

// The hint machinery's side of the controls' mouse and key events.
void HintMouseMove(TControl* control, TPoint clientPos);
// Hides any hint and forgets a pending one (a press, a key).
void CancelHint();
// The pointer left control: its hint goes (another control's stays).
void CancelHintFor(TControl* control);
// The control whose hint shows now, or nullptr.
TControl* HintShownFor();

} // namespace ui
