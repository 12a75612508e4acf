#pragma once
// Edit buttons: the small buttons at the right edge of an editor or a grid cell. A
// TEditButtonEx describes one button (its style, glyph, shortcut and events); the
// editor shows it through a TEditButtonControlEx, which presses, half-presses (the two
// halves of an up/down pair) and repeats while held.
#include <memory>
#include <string>

#include <QMenu>
#include <QPointer>

#include "controls/editors/ButtonPainting.h"
#include "platform/rtl/Collection.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/StdControls.h"
#include "platform/ui/Timer.h"

namespace editors {

// clang-format off
enum TEditButtonStyleEx { ebsDropDownEx, ebsEllipsisEx, ebsGlyphEx, ebsUpDownEx, ebsPlusEx, ebsMinusEx };
// clang-format on

// How a button of this style is painted (glyph buttons paint their glyph instead).
TButtonPaintKindEx ButtonPaintKind(TEditButtonStyleEx Style);

// A button was clicked; Handled stops the default action.
using TButtonClickEventEx = rtl::Delegate<void(rtl::TObject* Sender, bool& Handled)>;
// A button was pressed (TopButton: the upper half of an up/down pair, or any other
// button); AutoRepeat keeps the press repeating while held.
using TButtonDownEventEx = rtl::Delegate<void(rtl::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;

class TEditButtonControlEx;

// Alt+Down, the shortcut of drop-down buttons.
inline constexpr ui::TShortCut AltDownShortCut = ui::TShortCut(ui::scAlt) | ui::VK_DOWN;

// The description of one edit button: an item of a TEditButtonsEx, or the main button
// of an editor (made with the editor and no collection).
class TEditButtonEx : public rtl::TCollectionItem {
public:
    explicit TEditButtonEx(rtl::TCollection* collection);
    explicit TEditButtonEx(ui::TControl* editor);

    using rtl::TCollectionItem::Assign;
    // From another edit button: every property and both events.
    void Assign(const rtl::TPersistent* source) override;

    // A control for this button: 10 x 17, visible, opaque, on the editor.
    virtual TEditButtonControlEx* CreateEditButtonControl();

    ui::TControl* GetEditor() const { return editor_; }
    // Shown instead of the default action when the button is pressed.
    QMenu* GetDropdownMenu() const { return dropdownMenu_.data(); }
    void SetDropdownMenu(QMenu* value);
    const ui::TBitmap& GetGlyph() const { return glyph_; }
    void SetGlyph(const ui::TBitmap& value);
    const std::string& GetHint() const { return hint_; }
    void SetHint(const std::string& value);
    // 1 to 4 images side by side in the glyph; other values are brought into that range.
    int GetNumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    ui::TShortCut GetShortCut() const { return shortCut_; }
    void SetShortCut(ui::TShortCut value);
    TEditButtonStyleEx GetStyle() const { return style_; }
    void SetStyle(TEditButtonStyleEx value);
    bool GetVisible() const { return visible_; }
    void SetVisible(bool value);
    // 0: the default width.
    int GetWidth() const { return width_; }
    void SetWidth(int value);

    TButtonClickEventEx OnClick;
    TButtonDownEventEx OnDown;
    // Set by the owner to hear of every change; without it the collection hears.
    rtl::TNotifyEvent OnChange;

protected:
    // For the variants: their defaults replace these without a change notice.
    void SetDefaults(ui::TShortCut shortCut, bool visible);
    void Changed();

private:
    void init();

    ui::TControl* editor_ = nullptr;
    QPointer<QMenu> dropdownMenu_;
    ui::TBitmap glyph_;
    std::string hint_;
    int numGlyphs_ = 1;
    ui::TShortCut shortCut_ = 0;
    TEditButtonStyleEx style_ = ebsDropDownEx;
    bool visible_ = false;
    int width_ = 0;
};

// The main button of the numeric editor: Alt+Down, hidden until shown.
class TDropDownEditButtonEx : public TEditButtonEx {
public:
    explicit TDropDownEditButtonEx(rtl::TCollection* collection);
    explicit TDropDownEditButtonEx(ui::TControl* editor);
};

// The further buttons of an editor, and the main button of the combo boxes: Alt+Down, visible.
class TVisibleEditButtonEx : public TEditButtonEx {
public:
    explicit TVisibleEditButtonEx(rtl::TCollection* collection);
    explicit TVisibleEditButtonEx(ui::TControl* editor);
};

// A collection of edit buttons of one item class.
class TEditButtonsEx : public rtl::TCollection {
public:
    TEditButtonsEx(rtl::TPersistent* owner, ItemFactory itemClass = ItemClass<TVisibleEditButtonEx>());

    TEditButtonEx* Items(int index) const { return static_cast<TEditButtonEx*>(GetItem(index)); }
    TEditButtonEx* Add() { return static_cast<TEditButtonEx*>(rtl::TCollection::Add()); }

    // After every change notice.
    rtl::TNotifyEvent OnChange;

protected:
    void Update(rtl::TCollectionItem* item) override;
};

// The control of an edit button on an editor. A left press fires OnDown (through
// EditButtonDown) with the half pressed; an up/down button keeps firing it while held,
// after 400 ms and then every 100 ms, until the left button is no longer held. A release
// after the pointer left the pressed half of an up/down button does not click.
class TEditButtonControlEx : public ui::TSpeedButton {
public:
    explicit TEditButtonControlEx(ui::TControl* parent = nullptr);
    ~TEditButtonControlEx() override;

    static constexpr int FirstRepeatDelay = 400;
    static constexpr int RepeatInterval = 100;

    // The hot look, set by the editor while it is hot.
    bool GetActive() const { return active_; }
    void SetActive(bool value);
    TEditButtonStyleEx GetStyle() const { return style_; }
    void SetStyle(TEditButtonStyleEx value);
    // 0 none, 1 the upper half (or the whole button), 2 the lower half.
    int DownHalf() const { return downHalf_; }
    // Held down while a drop-down is open, released when it closes.
    void SetAlwaysDown(bool value);
    bool AlwaysDown() const { return alwaysDown_; }
    // The repeat timer, once the button was first pressed.
    const ui::TTimerSlot* RepeatTimer() const { return repeatTimer_.get(); }

    // Fires OnDown.
    virtual void EditButtonDown(bool TopButton, bool& AutoRepeat);
    // Shows Button: its visibility, style, glyph and glyph count and hint, flat or not.
    void TakeButton(const TEditButtonEx& Button, bool Flat);

    TButtonDownEventEx OnDown;

protected:
    void Paint() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    bool pressedLook() const { return State() == ui::bsDown || State() == ui::bsExclusive; }
    int halfAt(int y) const;
    void setDownHalf(int half);
    void startRepeat();
    void stopRepeat();
    void repeatTick();

    bool active_ = false;
    bool alwaysDown_ = false;
    int downHalf_ = 0;
    TEditButtonStyleEx style_ = ebsDropDownEx;
    std::unique_ptr<ui::TTimerSlot> repeatTimer_;
};

// The edit button control as a stand-alone control.
class TSpeedButtonEx : public TEditButtonControlEx {
public:
    using TEditButtonControlEx::TEditButtonControlEx;
};

// The width an editor gives the control of Button: 0 while it is hidden, its Width when
// set, else a flat button's width in the flat look, else a vertical scroll bar's.
int EditButtonControlWidth(const TEditButtonEx& Button, bool Flat);

// Pops Menu up below Button, an edit button of Editor: the button comes up at once
// (without a click), and when the menu closes Editor is posted CM_BUTTONMENUMARKER with
// the button's Tag, so that the press that closed the menu opens nothing.
void PopupEditButtonMenu(ui::TControl* Editor, TEditButtonControlEx* Button, QMenu* Menu);

// A button of an editor lets go of the press it holds (without a click) and the open
// drop-down takes the press over at the screen point, so that a drag from the button
// selects in the drop-down and the release there picks.
void PassButtonPressTo(ui::TControl* Button, ui::TControl* DropDown, ui::TPoint Screen);

} // namespace editors
