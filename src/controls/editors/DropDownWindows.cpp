#include "controls/editors/DropDownWindows.h"

#include <algorithm>

#include <QFontMetrics>

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/EditInterfaces.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/rtl/Clock.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"

namespace editors {

// ---- TPopupListboxEx ----

TPopupListboxEx::TPopupListboxEx(ui::TControl* owner) : ui::TCustomListBox(nullptr)
{
    ui::MakePopup(this, owner);
    setFocusPolicy(Qt::NoFocus);
    SetTabStop(false);
    SetStyle(ui::lbOwnerDrawFixed);
    SetHotTrack(true);
    sizeGrip_ = new TSizeGripEx(this);
    sizeGrip_->SetGripVisible(false);
}

int TPopupListboxEx::GetTextHeight() const { return std::max(1, QFontMetrics(Font().ToQFont()).height()); }

int TPopupListboxEx::GetBorderHeight() const
{
    ui::TRect r{0, 0, 100, 100};
    const_cast<TPopupListboxEx*>(this)->CalcNonClientSize(r);
    return 100 - r.Height();
}

int TPopupListboxEx::WidthForItems(int Rows) const
{
    ui::TCanvas measure;
    measure.Font().Assign(Font());
    int widest = 0;
    for (int i = 0; i < Count(); ++i) widest = std::max(widest, measure.TextWidth(Items().StringAt(i)));
    int client = widest + 5;
    if (imageList_) client += imageList_->Width() + 4;
    int width = client + Width() - ClientWidth();
    if (Count() > Rows) width += ui::Metrics().VScrollWidth;
    return width;
}

void TPopupListboxEx::SetRows(int Rows)
{
    SetHeight(ItemHeight() * std::max(1, Rows) + GetBorderHeight());
}

void TPopupListboxEx::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, ui::Metrics().VScrollWidth);
    height = std::max(height, ui::Metrics().HScrollHeight);
    const int border = GetBorderHeight();
    const int itemHeight = std::max(1, ItemHeight());
    rowCount_ = std::max(1, (height - border) / itemHeight);
    ui::TCustomListBox::SetBounds(left, top, width, border + rowCount_ * itemHeight);
}

void TPopupListboxEx::SetImageList(ui::TCustomImageList* value)
{
    if (imageList_ == value) return;
    imageList_ = value;
    if (value) value->FreeNotification(this);
    Invalidate();
}

void TPopupListboxEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    ui::TCustomListBox::Notification(component, operation);
    if (operation == rtl::opRemove && component == imageList_) imageList_ = nullptr;
}

void TPopupListboxEx::Resize()
{
    ui::TCustomListBox::Resize();
    if (sizeGrip_) sizeGrip_->UpdatePosition();
    sized_ = true;
}

void TPopupListboxEx::PaintNonClient(ui::TCanvas& canvas)
{
    if (BorderStyle() == ui::bsSingle && Ctl3D()) {
        canvas.DrawEdge(ui::TRect{0, 0, Width(), Height()}, ui::EDGE_RAISED, ui::BF_RECT);
        return;
    }
    ui::TCustomListBox::PaintNonClient(canvas);
}

void TPopupListboxEx::WndProc(ui::TMessage& message)
{
    if (message.Msg == CM_DROPDOWNPLACED && sizeGrip_) sizeGrip_->ChangePosition(static_cast<int>(message.WParam));
    ui::TCustomListBox::WndProc(message);
}

void TPopupListboxEx::DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state)
{
    const bool rightToLeft = UseRightToLeftAlignment();
    if (!imageList_ && !rightToLeft) {
        ui::TCustomListBox::DrawItem(index, rect, state);
        return;
    }
    // The image at the left of the text, at its right right to left.
    ui::TCanvas& c = Canvas();
    const int imageWidth = imageList_ ? imageList_->Width() + 4 : 0;
    const ui::TRect imageRect = rightToLeft ? ui::TRect{rect.Right - imageWidth, rect.Top, rect.Right, rect.Bottom}
                                            : ui::TRect{rect.Left, rect.Top, rect.Left + imageWidth, rect.Bottom};
    const ui::TRect textRect = rightToLeft ? ui::TRect{rect.Left, rect.Top, imageRect.Left, rect.Bottom}
                                           : ui::TRect{imageRect.Right, rect.Top, rect.Right, rect.Bottom};
    if (imageList_) {
        int imageIndex = index;
        if (OnGetItemImageIndex) OnGetItemImageIndex(GetOwner(), index, imageIndex);
        c.Brush().SetColor(Color());
        c.FillRect(imageRect);
        DrawImageCentered(c, imageRect, imageList_, imageIndex, state & ui::odSelected);
    }
    if (state & ui::odSelected) {
        c.Brush().SetColor(ui::clHighlight);
        c.Font().SetColor(ui::clHighlightText);
    }
    const std::string& text = Items().StringAt(index);
    // Right to left the text ends 2 pixels from the right of its part.
    const int x = rightToLeft ? textRect.Right - 2 - c.TextWidth(text) : imageRect.Right + 1;
    c.TextRect(textRect, x, rect.Top, text);
    if (state & ui::odFocused) c.DrawFocusRect(textRect);
}

void TPopupListboxEx::KeyPress(char& key)
{
    if (key == ui::VK_BACK || key == ui::VK_ESCAPE) {
        searchText_.clear();
    } else if (static_cast<unsigned char>(key) >= 32) {
        const std::uint32_t now = rtl::GetTickCount();
        if (now - lastKeyTick_ > static_cast<std::uint32_t>(SearchResetMs)) searchText_.clear();
        lastKeyTick_ = now;
        if (searchText_.size() < static_cast<std::size_t>(SearchMaxLength)) searchText_ += key;
        SelectString(searchText_);
        key = 0;
    }
    ui::TCustomListBox::KeyPress(key);
}

bool TPopupListboxEx::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos)
{
    if (!ui::TCustomListBox::DoMouseWheelDown(shift, mousePos)) SetTopIndex(TopIndex() + 1);
    return true;
}

bool TPopupListboxEx::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos)
{
    if (!ui::TCustomListBox::DoMouseWheelUp(shift, mousePos)) SetTopIndex(TopIndex() - 1);
    return true;
}

// ---- TMRUListboxEx ----

TMRUListboxEx::TMRUListboxEx(ui::TControl* owner) : TPopupListboxEx(owner) { UpdateScrollBar(); }

void TMRUListboxEx::UpdateScrollBar()
{
    ui::TScrollBar* bar = ScrollBar();
    if (internalMove_) return;
    internalMove_ = true;
    TSizeGripEx* grip = SizeGrip();
    const bool gripOnRight = grip->GetPosition() == sgpBottomRight || grip->GetPosition() == sgpTopRight;
    const int gripHeight = grip->Visible() && gripOnRight ? grip->Height() : 0;
    const int top = grip->GetPosition() == sgpTopRight ? gripHeight : 0;
    const int bottom = ClientHeight() - (grip->GetPosition() == sgpBottomRight ? gripHeight : 0);
    bar->SetBounds(ClientWidth() - bar->Width(), top, bar->Width(), std::max(0, bottom - top));
    grip->SetTriangleWindow(!(bar->Visible() && gripOnRight));
    internalMove_ = false;
}

void TMRUListboxEx::DropDownUnder(const ui::TRect& Host, int Rows, int Width, const ui::TControl& Look)
{
    SetColor(Look.Color());
    Font().Assign(Look.Font());
    SetItemHeight(GetTextHeight());
    SetItemIndex(-1);
    SetBounds(Left(), Top(), Width, Height());
    SetRows(Rows);
    PlaceUnder(Host);
    ui::ShowPopupNoActivate(this);
    SizeGrip()->SetGripVisible(true);
    UpdateScrollBar();
}

void TMRUListboxEx::PlaceUnder(const ui::TRect& Host)
{
    const ui::TPoint at = AlignDropDownWindowRect(Host, this, daLeft);
    SetBounds(at.X, at.Y, Width(), Height());
}

bool TMRUListboxEx::MoveByOwnerKey(ui::Word& Key, ui::TShiftState Shift)
{
    switch (Key) {
    case ui::VK_UP:
    case ui::VK_DOWN:
    case ui::VK_PRIOR:
    case ui::VK_NEXT:
        if (Shift & ui::ssAlt) return false;
        break;
    case ui::VK_HOME:
    case ui::VK_END:
        if (!(Shift & ui::ssCtrl)) return false;
        // The first and the last item, as Home and End go there in the list.
        Shift &= ~static_cast<ui::TShiftState>(ui::ssCtrl);
        break;
    default:
        return false;
    }
    KeyDownFromOwner(Key, Shift);
    Key = 0;
    return true;
}

void TMRUListboxEx::LayoutChanged()
{
    TPopupListboxEx::LayoutChanged();
    UpdateScrollBar();
}

void TMRUListboxEx::WndProc(ui::TMessage& message)
{
    TPopupListboxEx::WndProc(message);
    if (message.Msg == CM_DROPDOWNPLACED) UpdateScrollBar();
}

// ---- TPopupMonthCalendarEx ----

TPopupMonthCalendarEx::TPopupMonthCalendarEx(ui::TControl* owner) : ui::TMonthCalendar(nullptr)
{
    ui::MakePopup(this, owner);
    SetTabStop(false);
    SetBorderStyle(ui::bsSingle);
    SetCtl3D(true);
    const ui::TSize size = MinimumSize();
    SetClientSize(size.cx, size.cy);
}

void TPopupMonthCalendarEx::CalcNonClientSize(ui::TRect& client)
{
    // Raised edges with Ctl3D, else a thin border.
    const int inset = Ctl3D() ? BorderWidth() : ui::Metrics().BorderWidth;
    client.Inflate(-inset, -inset);
}

void TPopupMonthCalendarEx::PaintNonClient(ui::TCanvas& canvas)
{
    const ui::TRect r{0, 0, Width(), Height()};
    if (Ctl3D()) {
        canvas.DrawEdge(r, ui::EDGE_RAISED, ui::BF_RECT);
    } else {
        canvas.Brush().SetColor(ui::clWindowFrame);
        canvas.FrameRect(r);
    }
}

void TPopupMonthCalendarEx::closeUp(bool accept)
{
    if (IPopupOwnerEx* owner = PopupOwnerOf(this)) owner->CloseUp(accept);
}

void TPopupMonthCalendarEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    if (key == ui::VK_RETURN || key == ui::VK_ESCAPE) {
        const bool accept = key == ui::VK_RETURN;
        key = 0;
        closeUp(accept);
        return;
    }
    ui::TMonthCalendar::KeyDown(key, shift);
}

bool TPopupMonthCalendarEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if (key == ui::VK_RETURN || key == ui::VK_ESCAPE) return true;
    return ui::TMonthCalendar::WantSpecialKey(key, shift);
}

unsigned TPopupMonthCalendarEx::DialogCode() const
{
    return ui::TMonthCalendar::DialogCode() | ui::DLGC_WANTARROWS | ui::DLGC_WANTTAB | ui::DLGC_WANTCHARS;
}

void TPopupMonthCalendarEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TMonthCalendar::MouseDown(button, shift, x, y);
    if (!ClientRect().Contains({x, y})) closeUp(false);
}

void TPopupMonthCalendarEx::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TMonthCalendar::MouseUp(button, shift, x, y);
    if (!ClientRect().Contains({x, y})) {
        closeUp(false);
        return;
    }
    const unsigned hit = HitTest({x, y});
    // Navigation and the day names keep it open; a date, the today mark or the title pick.
    if ((hit & ui::MCHT_CALENDARDATE) == 0 || hit == ui::MCHT_CALENDARDAY || hit == ui::MCHT_TITLEBTNNEXT
        || hit == ui::MCHT_TITLEBTNPREV)
        return;
    closeUp(true);
}

bool TPopupMonthCalendarEx::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos)
{
    ui::TMonthCalendar::DoMouseWheelDown(shift, mousePos);
    SetDate(Date() + 1);
    return true;
}

bool TPopupMonthCalendarEx::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos)
{
    ui::TMonthCalendar::DoMouseWheelUp(shift, mousePos);
    SetDate(Date() - 1);
    return true;
}

void TPopupMonthCalendarEx::FocusOut(ui::TControl* next)
{
    ui::TMonthCalendar::FocusOut(next);
    const bool toChild = next && (next == this || isAncestorOf(next));
    if (!toChild) PostMessageOnce(CM_CLOSEUPNOACCEPT);
}

void TPopupMonthCalendarEx::WndProc(ui::TMessage& message)
{
    if (message.Msg == CM_CLOSEUPNOACCEPT) {
        closeUp(false);
        return;
    }
    ui::TMonthCalendar::WndProc(message);
}

} // namespace editors
