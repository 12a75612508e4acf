#pragma once
// The list-box base: a column of items of one fixed height, drawn by the control or by
// its owner (DrawItem / OnDrawItem), scrolled by a top index, with one selected item,
// the hot item under the pointer, keys, mouse, wheel and a vertical scroll bar that
// shows when the items do not fit. Drop-down lists, the recently-used list, the grid's
// drop-down box and pick lists are made of it.
//
// Only the rows on screen are drawn, so a list of any length costs what it shows.
#include <string>

#include "platform/rtl/StringList.h"
#include "platform/ui/Control.h"
#include "platform/ui/StdControls.h"

namespace ui {

// clang-format off
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
// clang-format on

// State bits of an item being drawn.
using TOwnerDrawState = unsigned;
// clang-format off
enum : unsigned { odSelected = 1u << 0, odFocused = 1u << 1, odDisabled = 1u << 2, odHotLight = 1u << 3 };
// clang-format on

using TDrawItemEvent = rtl::Delegate<void(TObject* Sender, int Index, const TRect& Rect, TOwnerDrawState State)>;

class TCustomListBox : public TControl {
public:
    explicit TCustomListBox(TControl* parent = nullptr);
    ~TCustomListBox() override;

    // The items; any change shows at once.
    rtl::TStringList& Items() { return items_; }
    const rtl::TStringList& Items() const { return items_; }
    int Count() const { return items_.GetCount(); }

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle v);
    // 0 (the default) takes the height of a line of the font.
    int ItemHeight() const;
    void SetItemHeight(int v);

    // The selected item, -1 for none. Setting it scrolls it into view; out of range: -1.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    // The first item on screen; kept so that the last page is full where it can be.
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int v);
    // Whole rows the client area shows (at least 1).
    int VisibleRowCount() const;
    // The item under the pointer, -1 when none.
    int HotIndex() const { return hotIndex_; }
    // With HotTrack, moving the pointer (no button held) to a new point selects the
    // item under it.
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool v) { hotTrack_ = v; }
    // Whether the scroll bar shows when the items do not fit (default: yes). A list
    // that carries a scroll bar of its own switches this off.
    bool AutoScrollBar() const { return autoScrollBar_; }
    void SetAutoScrollBar(bool v);

    // The item at a client point (with existing: -1 below the last item, else the
    // index the row would have); the rectangle of an item's row in client coordinates.
    int ItemAtPos(TPoint p, bool existing) const;
    TRect ItemRect(int index) const;
    // Selects the first item that starts with text (letter case ignored), searching from
    // the first item; returns its index or -1 (the selection is then unchanged).
    int SelectString(const std::string& text);
    // The width left for the items: the client width less a shown scroll bar.
    int ItemsWidth() const;

    TDrawItemEvent OnDrawItem;

protected:
    // Draws one item: OnDrawItem when set for an owner-drawn list, else the default
    // (the highlight for a selected item, the text 2 pixels in, a focus frame).
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    // Whether the selected item is drawn as focused (the default: while focused).
    virtual bool DrawsFocused() const { return Focused(); }
    // The selection changed by the user (keys, mouse): fires OnClick.
    virtual void SelectionChangedByUser();
    // The items, the item height or the size changed: scroll range and view follow.
    virtual void LayoutChanged();

    void Paint() override;
    void Resize() override;
    void FontChanged() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    // Unhandled wheel turns scroll three rows a notch.
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    unsigned DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    TScrollBar* ScrollBarControl() const { return bar_; }

private:
    void itemsChanged();
    void updateScrollBar();
    void setIndexByUser(int index);
    int maxTopIndex() const;

    rtl::TStringList items_;
    TScrollBar* bar_;
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 0;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int hotIndex_ = -1;
    bool hotTrack_ = false;
    bool autoScrollBar_ = true;
    bool selecting_ = false;
    TPoint lastMouse_{-1, -1};
};

} // namespace ui
