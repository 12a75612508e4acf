// The drop-down data grid, and the one a grid column keeps for its lookup drop-down.
#include <algorithm>

#include "controls/editors/EditInterfaces.h"
#include "controls/grid/DBLookupGridsEx.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"

namespace grid {

TPopupDataGridEx::TPopupDataGridEx(ui::TControl* owner) : TDBLookupGridEx(nullptr)
{
    ui::MakePopup(this, owner);
    setFocusPolicy(Qt::NoFocus);
    // Hot tracking: moves with no button held come too.
    setMouseTracking(true);
    SetCtl3D(true);
    sizeGrip_ = new editors::TSizeGripEx(this);
    sizeGrip_->SetGripVisible(false);
    sizeGrip_->OnParentResized = {this, &TPopupDataGridEx::gripResized};
    RecalcNonClient();
}

template <typename F>
void TPopupDataGridEx::byUser(F&& handling)
{
    const rtl::TCountScope counting(userChanges_);
    handling();
}

void TPopupDataGridEx::DisplayChanged()
{
    if (userChanges_ > 0 && OnUserChange) OnUserChange(this);
}

void TPopupDataGridEx::SetBounds(int left, int top, int width, int height)
{
    TDBLookupGridEx::SetBounds(left, top, std::max(width, ui::Metrics().VScrollWidth),
                               std::max(height, ui::Metrics().HScrollHeight));
}

void TPopupDataGridEx::CalcNonClientSize(ui::TRect& client)
{
    if (!Ctl3D()) {
        TDBLookupGridEx::CalcNonClientSize(client);
        return;
    }
    client.Inflate(-2, -2);
    ExcludeScrollBars(client);
}

void TPopupDataGridEx::PaintNonClient(ui::TCanvas& canvas)
{
    if (!Ctl3D()) {
        TDBLookupGridEx::PaintNonClient(canvas);
        return;
    }
    canvas.DrawEdge(ui::TRect{0, 0, Width(), Height()}, ui::EDGE_RAISED, ui::BF_RECT);
    PaintScrollBarCorner(canvas);
}

void TPopupDataGridEx::Resize()
{
    TDBLookupGridEx::Resize();
    if (sizeGrip_) sizeGrip_->UpdatePosition();
}

void TPopupDataGridEx::WndProc(ui::TMessage& Message)
{
    if (Message.Msg == editors::CM_DROPDOWNPLACED && sizeGrip_)
        sizeGrip_->ChangePosition(static_cast<int>(Message.WParam));
    TDBLookupGridEx::WndProc(Message);
}

void TPopupDataGridEx::ColumnMoved(int FromIndex, int ToIndex)
{
    columnsMoved_ = true;
    TDBLookupGridEx::ColumnMoved(FromIndex, ToIndex);
}

void TPopupDataGridEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    byUser([&] { TDBLookupGridEx::KeyDown(key, shift); });
}

void TPopupDataGridEx::KeyDownFromOwner(ui::Word& Key, ui::TShiftState Shift)
{
    KeyDown(Key, Shift);
}

void TPopupDataGridEx::KeyPressFromOwner(char& Key)
{
    byUser([&] { KeyPress(Key); });
}

bool TPopupDataGridEx::MouseWheelFromOwner(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos)
{
    return DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TPopupDataGridEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    byUser([&] { TDBLookupGridEx::MouseDown(button, shift, x, y); });
}

void TPopupDataGridEx::MouseMove(ui::TShiftState shift, int x, int y)
{
    const ui::TPoint at{x, y};
    const bool moved = at.X != lastMouse_.X || at.Y != lastMouse_.Y;
    lastMouse_ = at;
    byUser([&] {
        // Hot tracking: the row under a pointer that moves with no button held.
        const bool buttons = shift & (ui::ssLeft | ui::ssRight | ui::ssMiddle);
        if (moved && !buttons && !Tracking() && x >= 0 && x < ClientWidth()) {
            const int row = RowAt(y);
            if (row >= 0 && CanModify()) SelectRow(row);
        }
        TDBLookupGridEx::MouseMove(shift, x, y);
    });
}

void TPopupDataGridEx::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    byUser([&] { TDBLookupGridEx::MouseUp(button, shift, x, y); });
    if (button != ui::mbLeft || x < 0 || x >= ClientWidth() || y < 0 || y >= ClientHeight()) return;
    if (RowAt(y) != NoRow && OnCloseUp) OnCloseUp(this, true);
}

// ---- the drop-down grid of a grid column

TPopupDataGridEx* TColumnEx::PopupLookupGrid()
{
    if (popupLookupGrid_) return popupLookupGrid_;
    TCustomDBGridEx* grid = Grid();
    if (!grid) return nullptr;
    popupLookupGrid_ = new TPopupDataGridEx(grid);
    popupLookupGrid_->Hide();
    HandDropDownBoxEventsToLookupGrid();
    return popupLookupGrid_;
}

TCustomDBGridEx* TColumnEx::LookupGrid()
{
    return PopupLookupGrid();
}

TDBLookupGridExOptions TColumnEx::GetLookupGridOptions() const
{
    return popupLookupGrid_ ? popupLookupGrid_->GetOptions() : TDBLookupGridExOptions{dlgColLinesEx};
}

void TColumnEx::SetLookupGridOptions(TDBLookupGridExOptions options)
{
    if (TPopupDataGridEx* popup = PopupLookupGrid()) popup->SetOptions(options);
}

void TColumnEx::HandDropDownBoxEventsToLookupGrid()
{
    if (!popupLookupGrid_) return;
    popupLookupGrid_->OnCheckButton = onDropDownBoxCheckButton_;
    popupLookupGrid_->OnDrawColumnCell = onDropDownBoxDrawColumnCell_;
    popupLookupGrid_->OnGetCellParams = onDropDownBoxGetCellParams_;
    popupLookupGrid_->OnSortMarkingChanged = onDropDownBoxSortMarkingChanged_;
    popupLookupGrid_->OnTitleBtnClick = onDropDownBoxTitleBtnClick_;
}

void TColumnEx::freeLookupGrid()
{
    delete popupLookupGrid_;
    popupLookupGrid_ = nullptr;
}

} // namespace grid
