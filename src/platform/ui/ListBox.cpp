#include "platform/ui/ListBox.h"

#include <QFontMetrics>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace ui {

TCustomListBox::TCustomListBox(TControl* parent) : TControl(parent), bar_(new TScrollBar(this, sbVertical))
{
    SetBorderStyle(bsSingle);
    SetColor(clWindow);
    SetTabStop(true);
    setFocusPolicy(Qt::StrongFocus);
    ClickOnRelease = false;
    bar_->Hide();
    bar_->SetSmallChange(1);
    bar_->OnScroll = TScrollEvent::FromFunction([this](TObject*, TScrollCode, int& pos) { SetTopIndex(pos); });
    items_.OnChange = TNotifyEvent::FromFunction([this](TObject*) { itemsChanged(); });
    SetBounds(Left(), Top(), 121, 97);
}

TCustomListBox::~TCustomListBox()
{
    Destroying();
    items_.OnChange = {};
}

// ---- geometry ----

int TCustomListBox::ItemHeight() const
{
    return itemHeight_ > 0 ? itemHeight_ : std::max(1, QFontMetrics(Font().ToQFont()).height());
}

void TCustomListBox::SetItemHeight(int v)
{
    v = std::max(0, v);
    if (v == itemHeight_) return;
    itemHeight_ = v;
    LayoutChanged();
}

void TCustomListBox::SetStyle(TListBoxStyle v)
{
    if (v == style_) return;
    style_ = v;
    Invalidate();
}

int TCustomListBox::VisibleRowCount() const { return std::max(1, ClientHeight() / ItemHeight()); }

int TCustomListBox::ItemsWidth() const
{
    return ClientWidth() - (bar_->isVisibleTo(const_cast<TCustomListBox*>(this)) ? bar_->Width() : 0);
}

int TCustomListBox::maxTopIndex() const { return std::max(0, Count() - VisibleRowCount()); }

int TCustomListBox::ItemAtPos(TPoint p, bool existing) const
{
    if (p.X < 0 || p.X >= ItemsWidth() || p.Y < 0 || p.Y >= ClientHeight()) return -1;
    const int index = topIndex_ + p.Y / ItemHeight();
    if (existing && index >= Count()) return -1;
    return index;
}

TRect TCustomListBox::ItemRect(int index) const
{
    const int h = ItemHeight();
    return Bounds(0, (index - topIndex_) * h, ItemsWidth(), h);
}

// ---- selection and view ----

void TCustomListBox::SetItemIndex(int v)
{
    if (v < 0 || v >= Count()) v = -1;
    if (v == itemIndex_) return;
    if (itemIndex_ >= 0) InvalidateRect(ItemRect(itemIndex_));
    itemIndex_ = v;
    if (v < 0) return;
    InvalidateRect(ItemRect(v));
    if (v < topIndex_) SetTopIndex(v);
    else if (v >= topIndex_ + VisibleRowCount()) SetTopIndex(v - VisibleRowCount() + 1);
}

void TCustomListBox::SetTopIndex(int v)
{
    v = std::clamp(v, 0, maxTopIndex());
    if (v == topIndex_) return;
    topIndex_ = v;
    bar_->SetPosition(v);
    Invalidate();
}

int TCustomListBox::SelectString(const std::string& text)
{
    // Long lists are searched on every typed letter: no copies, and the first letter
    // (equal ignoring case exactly when it collates equal) rules most items out.
    const char first = text.empty() ? 0 : rtl::AnsiUpperChar(text[0]);
    for (int i = 0; i < Count(); ++i) {
        const std::string& item = items_.StringAt(i);
        if (item.size() < text.size() || (!text.empty() && rtl::AnsiUpperChar(item[0]) != first)) continue;
        if (rtl::AnsiSameText(std::string_view(item).substr(0, text.size()), text)) {
            SetItemIndex(i);
            return i;
        }
    }
    return -1;
}

void TCustomListBox::setIndexByUser(int index)
{
    if (index < 0 || index >= Count() || index == itemIndex_) {
        if (index >= 0 && index < Count()) SetItemIndex(index); // scrolls it into view
        return;
    }
    SetItemIndex(index);
    SelectionChangedByUser();
}

void TCustomListBox::SelectionChangedByUser() { Click(); }

void TCustomListBox::itemsChanged()
{
    if (itemIndex_ >= Count()) itemIndex_ = -1;
    if (hotIndex_ >= Count()) hotIndex_ = -1;
    LayoutChanged();
}

void TCustomListBox::LayoutChanged()
{
    updateScrollBar();
    topIndex_ = std::clamp(topIndex_, 0, maxTopIndex());
    bar_->SetPosition(topIndex_);
    Invalidate();
}

void TCustomListBox::SetAutoScrollBar(bool v)
{
    if (v == autoScrollBar_) return;
    autoScrollBar_ = v;
    LayoutChanged();
}

void TCustomListBox::updateScrollBar()
{
    const int rows = std::max(1, ClientHeight() / ItemHeight());
    const bool needed = autoScrollBar_ && Count() > rows;
    if (needed) {
        const int w = Metrics().VScrollWidth;
        bar_->SetBounds(ClientWidth() - w, 0, w, ClientHeight());
        bar_->SetParams(std::min(bar_->Position(), std::max(0, Count() - 1)), 0, std::max(0, Count() - 1));
        bar_->SetPageSize(rows);
        bar_->SetLargeChange(rows);
    }
    bar_->SetVisible(needed);
}

void TCustomListBox::Resize()
{
    TControl::Resize();
    LayoutChanged();
}

void TCustomListBox::FontChanged()
{
    TControl::FontChanged();
    if (itemHeight_ == 0) LayoutChanged();
}

// ---- painting ----

void TCustomListBox::Paint()
{
    TCanvas& c = Canvas();
    const int h = ItemHeight();
    const int rows = ClientHeight() / h + 1;
    for (int i = topIndex_; i < Count() && i < topIndex_ + rows; ++i) {
        const TRect r = ItemRect(i);
        TOwnerDrawState state = 0;
        if (i == itemIndex_) state |= odSelected;
        if (i == itemIndex_ && DrawsFocused()) state |= odFocused;
        if (i == hotIndex_) state |= odHotLight;
        if (!Enabled()) state |= odDisabled;
        c.Font().Assign(Font());
        c.Brush().SetColor(Color());
        c.Brush().SetStyle(bsSolid);
        DrawItem(i, r, state);
    }
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (style_ == lbOwnerDrawFixed && OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas& c = Canvas();
    if (state & odSelected) {
        c.Brush().SetColor(clHighlight);
        c.Font().SetColor(clHighlightText);
    } else if (state & odDisabled) {
        c.Font().SetColor(clGrayText);
    }
    c.TextRect(rect, rect.Left + 2, rect.Top, items_.GetStrings(index));
    if (state & odFocused) c.DrawFocusRect(rect);
}

// ---- keys, mouse, wheel ----

void TCustomListBox::KeyDown(Word& key, TShiftState shift)
{
    TControl::KeyDown(key, shift);
    if (key == 0 || Count() == 0 || (shift & (ssAlt | ssCtrl))) return;
    const int page = std::max(1, VisibleRowCount() - 1);
    const int current = itemIndex_;
    int target;
    switch (key) {
    case VK_UP: target = current < 0 ? topIndex_ : current - 1; break;
    case VK_DOWN: target = current < 0 ? topIndex_ : current + 1; break;
    case VK_PRIOR: target = current < 0 ? topIndex_ : current - page; break;
    case VK_NEXT: target = current < 0 ? topIndex_ : current + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = Count() - 1; break;
    default: return;
    }
    setIndexByUser(std::clamp(target, 0, Count() - 1));
    key = 0;
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && CanFocus() && !Focused()) SetFocus();
    TControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    selecting_ = true;
    const int index = ItemAtPos({x, y}, true);
    if (index >= 0) setIndexByUser(index);
}

void TCustomListBox::MouseMove(TShiftState shift, int x, int y)
{
    TControl::MouseMove(shift, x, y);
    const int hot = ItemAtPos({x, y}, true);
    if (hot != hotIndex_) {
        if (hotIndex_ >= 0) InvalidateRect(ItemRect(hotIndex_));
        hotIndex_ = hot;
        if (hot >= 0) InvalidateRect(ItemRect(hot));
    }
    const bool moved = !(TPoint{x, y} == lastMouse_);
    lastMouse_ = {x, y};
    if (selecting_ && (shift & ssLeft)) {
        // Dragging past the ends scrolls the selection on.
        if (y < 0) setIndexByUser(std::max(0, topIndex_ - 1));
        else if (y >= ClientHeight()) setIndexByUser(std::min(Count() - 1, topIndex_ + VisibleRowCount()));
        else if (hot >= 0) setIndexByUser(hot);
    } else if (hotTrack_ && moved && !(shift & (ssLeft | ssRight | ssMiddle)) && hot >= 0) {
        SetItemIndex(hot);
    }
}

void TCustomListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) selecting_ = false;
    TControl::MouseUp(button, shift, x, y);
}

void TCustomListBox::MouseLeave()
{
    TControl::MouseLeave();
    if (hotIndex_ >= 0) InvalidateRect(ItemRect(hotIndex_));
    hotIndex_ = -1;
}

bool TCustomListBox::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    if (TControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
    const int rows = -wheelDelta * 3 / 120;
    if (rows == 0) return false;
    SetTopIndex(topIndex_ + rows);
    return true;
}

} // namespace ui
