#include "controls/grid/DBGridExScrollBars.h"

#include "controls/grid/DBGridEx.h"

namespace grid {

TDBGridExScrollBar::TDBGridExScrollBar(TCustomDBGridEx& grid, ui::TScrollBarKind kind) : grid_(grid), kind_(kind)
{
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
