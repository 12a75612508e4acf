#include "controls/editors/DropDownPlacement.h"

#include <algorithm>

#include "controls/editors/EditInterfaces.h"
#include "platform/ui/Metrics.h"

namespace editors {

TDropDownPlacement PlaceDropDown(const ui::TRect& Host, const ui::TRect& WorkArea, ui::TSize Wanted,
                                 TDropDownAlign Align)
{
    TDropDownPlacement p;
    p.Width = std::max(0, Wanted.cx);
    p.Height = std::max(0, Wanted.cy);

    const bool fitsBelow = Host.Bottom + p.Height <= WorkArea.Bottom;
    const bool fitsAbove = Host.Top - p.Height >= WorkArea.Top;
    const int roomBelow = WorkArea.Bottom - Host.Bottom;
    const int roomAbove = Host.Top - WorkArea.Top;
    const bool above = !fitsBelow && (fitsAbove || roomAbove > roomBelow);
    if (above) {
        if (!fitsAbove) p.Height = std::max(0, roomAbove);
        p.TopLeft.Y = Host.Top - p.Height;
        p.VerticalSide = ddsTop;
    } else {
        if (!fitsBelow) p.Height = std::max(0, roomBelow);
        p.TopLeft.Y = Host.Bottom;
        p.VerticalSide = ddsBottom;
    }

    int left = Host.Left;
    if (Align == daRight) left -= p.Width - Host.Width();
    else if (Align == daCenter) left -= (p.Width - Host.Width()) / 2;
    p.Width = std::min(p.Width, std::max(0, WorkArea.Width()));
    if (left + p.Width > WorkArea.Right) {
        left = WorkArea.Right - p.Width;
        p.HorizontalSide = ddsLeft;
    } else if (left < WorkArea.Left) {
        left = WorkArea.Left;
        p.HorizontalSide = ddsRight;
    } else {
        p.HorizontalSide = Align == daRight ? ddsLeft : ddsRight;
    }
    p.TopLeft.X = left;
    return p;
}

ui::TPoint AlignDropDownWindowRect(const ui::TRect& HostRect, ui::TControl* DropDown, TDropDownAlign Align)
{
    const TDropDownPlacement p =
        PlaceDropDown(HostRect, ui::MonitorWorkArea(HostRect), {DropDown->Width(), DropDown->Height()}, Align);
    DropDown->SetBounds(DropDown->Left(), DropDown->Top(), p.Width, p.Height);
    ui::TPoint topLeft = p.TopLeft;
    // A drop-down that keeps whole rows may have taken less than it was given.
    if (p.VerticalSide == ddsTop) topLeft.Y = HostRect.Top - DropDown->Height();
    DropDown->Perform(CM_DROPDOWNPLACED, p.VerticalSide);
    DropDown->Perform(CM_DROPDOWNPLACED, p.HorizontalSide);
    return topLeft;
}

ui::TRect ScreenRect(const ui::TControl* control)
{
    const QPoint origin = control->mapToGlobal(QPoint(0, 0));
    return ui::Bounds(origin.x(), origin.y(), control->Width(), control->Height());
}

ui::TPoint AlignDropDownWindow(const ui::TControl* Host, ui::TControl* DropDown, TDropDownAlign Align)
{
    return AlignDropDownWindowRect(ScreenRect(Host), DropDown, Align);
}

} // namespace editors
