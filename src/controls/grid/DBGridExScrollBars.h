#pragma once
// The settings of the grid's two scroll bars: whether each is shown, whether the view
// follows the thumb, and an optional scroll-bar control outside the grid that takes the
// place of the grid's own bar.
#include "controls/grid/DBGridExTypes.h"
#include "platform/rtl/Persistent.h"
#include "platform/ui/StdControls.h"

namespace grid {

class TDBGridExScrollBar : public rtl::TPersistent {
public:
    TDBGridExScrollBar(TCustomDBGridEx& grid, ui::TScrollBarKind kind);
    // An attached bar gets its own handling back.
    ~TDBGridExScrollBar() override;
    TDBGridExScrollBar(const TDBGridExScrollBar&) = delete;
    TDBGridExScrollBar& operator=(const TDBGridExScrollBar&) = delete;

    TCustomDBGridEx& Grid() const { return grid_; }
    ui::TScrollBarKind Kind() const { return kind_; }

    using rtl::TPersistent::Assign;
    // Visible, Tracking and ExtScrollBar of another bar's settings.
    void Assign(const rtl::TPersistent* source) override;

    // The control that stands for the grid's bar; none: the grid's own. An attached bar
    // hands its scroll notices to the grid first, follows Visible, and is set free when
    // another bar (or none) is attached. A bar attached to another grid is refused with
    // "Possible <name> already attached to the other control."; the grid keeps its bar.
    ui::TScrollBar* GetExtScrollBar() const { return extScrollBar_; }
    void SetExtScrollBar(ui::TScrollBar* value);
    // The bar whose range and position count: the external one, else the grid's own.
    ui::TScrollBar* ScrollBar() const;
    bool GetTracking() const { return tracking_; }
    void SetTracking(bool value) { tracking_ = value; }
    // Not sbNeverShowEx; setting it chooses sbAutoShowEx or sbNeverShowEx and shows or
    // hides an external bar along.
    bool GetVisible() const { return visibleMode_ != sbNeverShowEx; }
    void SetVisible(bool value);
    virtual bool IsVisibleStored() const { return !GetVisible(); }
    TScrollBarVisibleModeEx GetVisibleMode() const { return visibleMode_; }
    // The grid lays out again.
    void SetVisibleMode(TScrollBarVisibleModeEx value);
    // The external bar is visible, or the grid shows its own.
    bool IsShowing() const;

private:
    void unhook();

    TCustomDBGridEx& grid_;
    ui::TScrollBar* extScrollBar_ = nullptr;
    // The external bar carries this grid's hook.
    bool hooked_ = false;
    ui::TScrollBarKind kind_;
    bool tracking_ = false;
    TScrollBarVisibleModeEx visibleMode_ = sbAutoShowEx;
};

// The vertical bar's settings: stored by VisibleMode rather than Visible.
class TVertDBGridExScrollBar : public TDBGridExScrollBar {
public:
    explicit TVertDBGridExScrollBar(TCustomDBGridEx& grid) : TDBGridExScrollBar(grid, ui::sbVertical) {}
    bool IsVisibleStored() const override { return false; }
    bool IsVisibleModeStored() const { return GetVisibleMode() != sbAutoShowEx; }
};

} // namespace grid
