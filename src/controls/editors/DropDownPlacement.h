#pragma once
// Where a drop-down window goes: below its host (or above it when only there is room),
// inside the work area of the host's monitor, and the size grip in the corner that
// faces away from the host.
#include "platform/ui/Control.h"

namespace editors {

// clang-format off
enum TDropDownAlign { daLeft = 0, daRight = 1, daCenter = 2 };
// clang-format on

struct TDropDownPlacement {
    ui::TPoint TopLeft;
    int Width = 0;
    int Height = 0;
    // The sides told to the drop-down (TDropDownSide): first the vertical one (top or
    // bottom), then the horizontal one (left or right).
    int VerticalSide = 3;
    int HorizontalSide = 1;
};

// The placement of a drop-down of the wanted size for a host rectangle, both in screen
// coordinates, inside the work area. Below the host when it fits there, else above when
// it fits there, else on the side with more room (below on a tie), shrunk to that room.
// Horizontally: left edges aligned (daLeft), right edges aligned (daRight) or centred
// (daCenter); narrowed to the work area and moved inside it.
TDropDownPlacement PlaceDropDown(const ui::TRect& Host, const ui::TRect& WorkArea, ui::TSize Wanted,
                                 TDropDownAlign Align);

// Places DropDown for a host rectangle in screen coordinates: sets its new size (a
// drop-down may snap its height, which is then used), tells it the sides with
// CM_DROPDOWNPLACED, and returns its top-left corner. It does not move the window.
ui::TPoint AlignDropDownWindowRect(const ui::TRect& HostRect, ui::TControl* DropDown, TDropDownAlign Align);
// The same for a host control.
ui::TPoint AlignDropDownWindow(const ui::TControl* Host, ui::TControl* DropDown, TDropDownAlign Align);

// The rectangle of a control in screen coordinates.
ui::TRect ScreenRect(const ui::TControl* control);

} // namespace editors
