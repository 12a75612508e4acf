#pragma once
// Themed drawing of the small button faces (drop-down arrow, spin halves, push
// button, tool-bar button, check box) through the application's QStyle, and the
// classic frame-control drawing that serves when themes are off.
#include "platform/ui/Canvas.h"

namespace ui {

// clang-format off
enum TThemedPart { tpDropDown, tpSpinUp, tpSpinDown, tpPushButton, tpToolButton, tpCheckBox };

// State bits of a themed part; check boxes add their check state.
enum : unsigned { tsNormal = 0, tsHot = 0x1, tsPressed = 0x2, tsDisabled = 0x4 };
enum TCheckState { csUnchecked = 0, csChecked = 1, csGrayed = 2 };
// clang-format on

class TThemeServices {
public:
    bool ThemesEnabled() const { return enabled_; }
    // Off: every part is drawn by the classic frame-control routine.
    void SetThemesEnabled(bool v) { enabled_ = v; }
    void DrawPart(TCanvas& canvas, TThemedPart part, const TRect& r, unsigned state,
                  TCheckState check = csUnchecked);

private:
    bool enabled_ = true;
};

TThemeServices& ThemeServices();

// Classic frame controls.
// clang-format off
enum : unsigned { DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : unsigned {
    DFCS_BUTTONCHECK = 0x0, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10,
    DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
    DFCS_SCROLLCOMBOBOX = 0x5,
    DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_HOT = 0x1000,
    DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000,
    // clang-format on
};
// Draws a push button, check box or scroll arrow button face in r; false for an
// unknown kind or an empty rectangle.
bool DrawFrameControl(TCanvas& canvas, const TRect& r, unsigned type, unsigned state);

} // namespace ui
