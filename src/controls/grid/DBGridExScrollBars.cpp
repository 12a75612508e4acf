#include "controls/grid/DBGridExScrollBars.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/rtl/SysUtils.h"

namespace grid {

TDBGridExScrollBar::TDBGridExScrollBar(TCustomDBGridEx& grid, ui::TScrollBarKind kind) : grid_(grid), kind_(kind)
{
}

TDBGridExScrollBar::~TDBGridExScrollBar()
{
    unhook();
}

void TDBGridExScrollBar::unhook()
{
    if (extScrollBar_ && hooked_) extScrollBar_->SetScrollHook(nullptr);
    hooked_ = false;
}

void TDBGridExScrollBar::SetExtScrollBar(ui::TScrollBar* value)
{
    if (value == extScrollBar_) return;
    const bool designing = grid_.IsDesigning();
    if (value && !designing && value->ScrollHook())
        throw rtl::Exception(rtl::Format(msg::ScrollBarAlreadyAttached, value->GetName()));
    unhook();
    extScrollBar_ = value;
    if (value) {
        grid_.FreeNotification(value);
        if (!designing) {
            value->SetScrollHook([this](ui::TScrollCode code, int& pos) { grid_.ScrollMessage(kind_, code, pos); });
            hooked_ = true;
        }
        value->SetVisible(GetVisible());
    }
    if (grid_.HasState(rtl::csDestroying) || !grid_.HandleAllocated()) return;
    if (kind_ == ui::sbVertical) grid_.RefreshVertScrollBar();
    grid_.LayoutChanged();
}

ui::TScrollBar* TDBGridExScrollBar::ScrollBar() const
{
    return extScrollBar_ ? extScrollBar_ : grid_.ScrollBarControl(kind_);
}

void TDBGridExScrollBar::Assign(const rtl::TPersistent* source)
{
    if (auto* other = dynamic_cast<const TDBGridExScrollBar*>(source)) {
        SetVisible(other->GetVisible());
        SetTracking(other->GetTracking());
        SetExtScrollBar(other->GetExtScrollBar());
        return;
    }
    rtl::TPersistent::Assign(source);
}

void TDBGridExScrollBar::SetVisible(bool value)
{
    SetVisibleMode(value ? sbAutoShowEx : sbNeverShowEx);
    if (extScrollBar_) extScrollBar_->SetVisible(value);
}

void TDBGridExScrollBar::SetVisibleMode(TScrollBarVisibleModeEx value)
{
    if (value == visibleMode_) return;
    visibleMode_ = value;
    if (kind_ == ui::sbVertical) grid_.RefreshVertScrollBar();
    grid_.LayoutChanged();
}

bool TDBGridExScrollBar::IsShowing() const
{
    if (extScrollBar_) return extScrollBar_->Visible();
    return GetVisible() && grid_.ScrollBarShown(kind_);
}

} // namespace grid
