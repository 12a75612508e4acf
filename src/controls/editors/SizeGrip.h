#pragma once
// The size grip in a corner of a drop-down window: dragging it resizes the window, which
// keeps its opposite edges where they are and stays inside the work area.
#include "platform/ui/Control.h"

namespace editors {

// clang-format off
enum TSizeGripPositionEx { sgpTopLeft = 0, sgpTopRight = 1, sgpBottomRight = 2, sgpBottomLeft = 3 };
// clang-format on

class TSizeGripEx : public ui::TControl {
public:
    // A grip of a scroll bar's size in the bottom-right corner of its parent (the host).
    explicit TSizeGripEx(ui::TControl* host);

    TSizeGripPositionEx GetPosition() const { return position_; }
    void SetPosition(TSizeGripPositionEx value);
    // With the triangle on, only the half of the grip toward its corner is part of it.
    bool GetTriangleWindow() const { return triangle_; }
    void SetTriangleWindow(bool value);
    // Moves the grip into its corner of the host's client area.
    void UpdatePosition();
    // The host was placed on this side of its owner (TDropDownSide): the grip moves to
    // the corner that faces away from it.
    void ChangePosition(int Direction);
    void SetGripVisible(bool value) { SetVisible(value); }

    // The user resized the host.
    rtl::TNotifyEvent OnParentResized;

protected:
    void Paint() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void Moved() override;

private:
    void applyShape();
    bool onRight() const { return position_ == sgpTopRight || position_ == sgpBottomRight; }
    bool onBottom() const { return position_ == sgpBottomRight || position_ == sgpBottomLeft; }

    TSizeGripPositionEx position_ = sgpBottomRight;
    bool triangle_ = true;
    bool internalMove_ = false;
    ui::TPoint dragStart_;
    ui::TPoint lastPoint_{-1, -1};
    ui::TRect startBounds_;
    ui::TSize startClient_;
};

} // namespace editors
