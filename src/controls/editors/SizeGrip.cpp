#include "controls/editors/SizeGrip.h"

#include <algorithm>

#include <QPolygon>
#include <QRegion>

#include "controls/editors/DropDownPlacement.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Metrics.h"

namespace editors {

TSizeGripEx::TSizeGripEx(ui::TControl* host) : ui::TControl(host)
{
    setFocusPolicy(Qt::NoFocus);
    SetColor(ui::clBtnFace);
    SetBounds(0, 0, ui::Metrics().VScrollWidth, ui::Metrics().HScrollHeight);
    applyShape();
}

void TSizeGripEx::SetPosition(TSizeGripPositionEx value)
{
    if (position_ == value) return;
    position_ = value;
    applyShape();
    UpdatePosition();
}

void TSizeGripEx::SetTriangleWindow(bool value)
{
    if (triangle_ == value) return;
    triangle_ = value;
    applyShape();
}

void TSizeGripEx::applyShape()
{
    const bool nwse = position_ == sgpTopLeft || position_ == sgpBottomRight;
    SetCursor(nwse ? ui::crSizeNWSE : ui::crSizeNESW);
    if (!triangle_) {
        clearMask();
        Invalidate();
        return;
    }
    const int w = Width(), h = Height();
    const QPoint corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    // The grip's corner and its two neighbours.
    const int c = static_cast<int>(position_);
    QPolygon triangle;
    triangle << corners[(c + 3) % 4] << corners[c] << corners[(c + 1) % 4];
    setMask(QRegion(triangle));
    Invalidate();
}

void TSizeGripEx::UpdatePosition()
{
    ui::TControl* host = Parent();
    if (!host) return;
    const ui::TRect client = host->ClientRect();
    const int left = onRight() ? client.Right - Width() : 0;
    const int top = onBottom() ? client.Bottom - Height() : 0;
    {
        const rtl::TFlagScope moving(internalMove_);
        SetBounds(left, top, Width(), Height());
    }
    raise();
}

void TSizeGripEx::ChangePosition(int Direction)
{
    TSizeGripPositionEx next = position_;
    switch (Direction) {
    case 0: // left
        if (position_ == sgpTopRight) next = sgpTopLeft;
        else if (position_ == sgpBottomRight) next = sgpBottomLeft;
        break;
    case 1: // right
        if (position_ == sgpTopLeft) next = sgpTopRight;
        else if (position_ == sgpBottomLeft) next = sgpBottomRight;
        break;
    case 2: // top
        if (position_ == sgpBottomRight) next = sgpTopRight;
        else if (position_ == sgpBottomLeft) next = sgpTopLeft;
        break;
    case 3: // bottom
        if (position_ == sgpTopRight) next = sgpBottomRight;
        else if (position_ == sgpTopLeft) next = sgpBottomLeft;
        break;
    default: break;
    }
    SetPosition(next);
}

void TSizeGripEx::Moved()
{
    ui::TControl::Moved();
    if (!internalMove_) UpdatePosition();
}

void TSizeGripEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TControl::MouseDown(button, shift, x, y);
    ui::TControl* host = Parent();
    if (button != ui::mbLeft || !host) return;
    dragStart_ = ClientToScreen({x, y});
    lastPoint_ = dragStart_;
    startBounds_ = host->BoundsRect();
    startClient_ = {host->ClientWidth(), host->ClientHeight()};
}

void TSizeGripEx::MouseMove(ui::TShiftState shift, int x, int y)
{
    ui::TControl::MouseMove(shift, x, y);
    ui::TControl* host = Parent();
    if (!(shift & ui::ssLeft) || internalMove_ || !host) return;
    const ui::TPoint point = ClientToScreen({x, y});
    if (point == lastPoint_) return;
    lastPoint_ = point;
    const ui::TRect work = ui::MonitorWorkArea(ScreenRect(host));
    const int frameWidth = startBounds_.Width() - startClient_.cx;
    const int frameHeight = startBounds_.Height() - startClient_.cy;
    ui::TRect bounds = startBounds_;
    const int dx = point.X - dragStart_.X;
    const int dy = point.Y - dragStart_.Y;
    if (onRight()) {
        const int width = std::min(startClient_.cx + dx + frameWidth, work.Right - bounds.Left);
        bounds.Right = bounds.Left + std::max(frameWidth, width);
    } else {
        const int width = std::min(startBounds_.Width() - dx, startBounds_.Right - work.Left);
        bounds.Left = bounds.Right - std::max(frameWidth, width);
    }
    if (onBottom()) {
        const int height = std::min(startClient_.cy + dy + frameHeight, work.Bottom - bounds.Top);
        bounds.Bottom = bounds.Top + std::max(frameHeight, height);
    } else {
        const int height = std::min(startBounds_.Height() - dy, startBounds_.Bottom - work.Top);
        bounds.Top = bounds.Bottom - std::max(frameHeight, height);
    }
    const ui::TSize before{host->ClientWidth(), host->ClientHeight()};
    host->SetBoundsRect(bounds);
    // A host that snaps its height keeps its bottom edge when sized from the top.
    if (!onBottom() && host->Height() != bounds.Height())
        host->SetBounds(host->Left(), bounds.Bottom - host->Height(), host->Width(), host->Height());
    if (before != ui::TSize{host->ClientWidth(), host->ClientHeight()} && OnParentResized) OnParentResized(this);
    UpdatePosition();
}

void TSizeGripEx::Paint()
{
    ui::TCanvas& c = Canvas();
    const int w = Width(), h = Height();
    const int size = std::max(w, h);
    // Ridges toward the corner: highlight, two shadow lines, a gap of face colour.
    static const ui::TColor ridge[4] = {ui::clBtnFace, ui::clBtnShadow, ui::clBtnShadow, ui::clBtnHighlight};
    for (int d = 0; d < size; ++d) {
        const ui::TColor color = ridge[d % 4];
        for (int i = 0; i <= d; ++i) {
            // (i, d - i) counted from the grip's corner.
            const int dx = i, dy = d - i;
            if (dx >= w || dy >= h) continue;
            const int x = onRight() ? w - 1 - dx : dx;
            const int y = onBottom() ? h - 1 - dy : dy;
            c.SetPixel(x, y, color);
        }
    }
}

} // namespace editors
