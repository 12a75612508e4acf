#pragma once
// The drop-down windows of the editors and the grid: a list of values with images and
// incremental search, the list of recently used texts with its own scroll bar, and a
// month calendar. Each is a top-level window that never takes activation; the control
// that owns it keeps the focus and passes it the keys that move in it.
#include <cstdint>
#include <string>

#include "controls/editors/SizeGrip.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MonthCalendar.h"

namespace editors {

// The image of an item (ImageIndex starts as the item's index).
using TListGetImageIndexEventEx = rtl::Delegate<void(rtl::TObject* Sender, int ItemIndex, int& ImageIndex)>;

// A drop-down list: rows of one height (the window snaps to whole rows), the item under
// a moving pointer selected, typed letters searching the items, an optional image per
// item and a size grip. Right to left (BiDiMode) the image stands at the right of an
// item and the text is right-aligned.
class TPopupListboxEx : public ui::TCustomListBox {
public:
    static constexpr int SearchResetMs = 2000;
    static constexpr int SearchMaxLength = 32;

    explicit TPopupListboxEx(ui::TControl* owner);

    ui::TCustomImageList* GetImageList() const { return imageList_; }
    void SetImageList(ui::TCustomImageList* value);
    // Height for Rows whole rows (at least one).
    void SetRows(int Rows);
    // Rows the window showed after its last sizing.
    int RowCount() const { return rowCount_; }
    int GetTextHeight() const;
    // The height of the frame: what the window is higher than its rows.
    int GetBorderHeight() const;
    // The width that shows the widest of its items whole in its font (with its image),
    // and a scroll bar beside them when they are more than Rows.
    int WidthForItems(int Rows) const;
    // Set whenever the window changes size (the owner clears it when it sizes the list,
    // so that it tells a size the user gave it with the grip).
    bool Sized() const { return sized_; }
    void SetSized(bool value) { sized_ = value; }
    TSizeGripEx* SizeGrip() const { return sizeGrip_; }
    // The text typed so far for the incremental search.
    const std::string& SearchText() const { return searchText_; }

    // Keys the owner passes on while the list is down (it never has the focus itself).
    void KeyDownFromOwner(ui::Word& Key, ui::TShiftState Shift) { KeyDown(Key, Shift); }
    void KeyPressFromOwner(char& Key) { KeyPress(Key); }
    // The owner's mouse wheel while the list is down; true when the list used it.
    bool MouseWheelFromOwner(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos)
    {
        return DoMouseWheel(Shift, WheelDelta, MousePos);
    }

    // Heights snap to whole rows; never smaller than a scroll bar's width and height.
    void SetBounds(int left, int top, int width, int height) override;
    bool CanFocus() const override { return false; }

    // Sender is the list's owner.
    TListGetImageIndexEventEx OnGetItemImageIndex;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    void DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state) override;
    // It draws as focused while it is down.
    bool DrawsFocused() const override { return true; }
    void KeyPress(char& key) override;
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    void Resize() override;
    void PaintNonClient(ui::TCanvas& canvas) override;
    // CM_DROPDOWNPLACED moves the size grip.
    void WndProc(ui::TMessage& message) override;

private:
    ui::TCustomImageList* imageList_ = nullptr;
    TSizeGripEx* sizeGrip_ = nullptr;
    int rowCount_ = 0;
    bool sized_ = false;
    std::string searchText_;
    std::uint32_t lastKeyTick_ = 0;
};

// The list of recently used texts: a drop-down list whose scroll bar stands beside the
// size grip (the grip then is a whole square, else a triangle).
class TMRUListboxEx : public TPopupListboxEx {
public:
    explicit TMRUListboxEx(ui::TControl* owner);

    ui::TScrollBar* ScrollBar() const { return ScrollBarControl(); }
    // Places the scroll bar beside the grip.
    void UpdateScrollBar();

    // Drops the list down below Host (screen coordinates), left edges aligned: in Look's
    // colour and font, a row per text line, nothing selected, Rows rows and Width wide;
    // shown without activation, with its grip and its scroll bar.
    void DropDownUnder(const ui::TRect& Host, int Rows, int Width, const ui::TControl& Look);
    // Places the open list below Host again.
    void PlaceUnder(const ui::TRect& Host);
    // A key of the owner while the list is down: Up, Down, PageUp and PageDown (without
    // Alt), Ctrl+Home and Ctrl+End move in the list and are consumed (true).
    bool MoveByOwnerKey(ui::Word& Key, ui::TShiftState Shift);

protected:
    void LayoutChanged() override;
    void WndProc(ui::TMessage& message) override;

private:
    bool internalMove_ = false;
};

// A month calendar as a drop-down. Enter picks the date and Esc drops it, as does a
// click on a date, on the today mark or on the month title; it closes itself through
// its owner's IPopupOwnerEx.
class TPopupMonthCalendarEx : public ui::TMonthCalendar {
public:
    explicit TPopupMonthCalendarEx(ui::TControl* owner);

    // The frame: 2 pixels of raised edges (Ctl3D), else none beside a thin border.
    int BorderWidth() const { return Ctl3D() ? 2 : 0; }

    void KeyDownFromOwner(ui::Word& Key, ui::TShiftState Shift) { KeyDown(Key, Shift); }

protected:
    void CalcNonClientSize(ui::TRect& client) override;
    void PaintNonClient(ui::TCanvas& canvas) override;
    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    unsigned DialogCode() const override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    void FocusOut(ui::TControl* next) override;
    // CM_CLOSEUPNOACCEPT closes it without taking the date.
    void WndProc(ui::TMessage& message) override;

private:
    void closeUp(bool accept);
};

} // namespace editors
