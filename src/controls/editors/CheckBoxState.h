#pragma once
// The state of a check box as editors and grid cells keep it. The painters take the
// windowing layer's ui::TCheckState; convert only where a box is painted.
#include "platform/ui/Themes.h"

namespace editors {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

constexpr ui::TCheckState ToPaintCheckState(TCheckBoxState state)
{
    switch (state) {
    case cbChecked: return ui::csChecked;
    case cbGrayed: return ui::csGrayed;
    default: return ui::csUnchecked;
    }
}

} // namespace editors
