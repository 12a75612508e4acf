#pragma once
// The interfaces between editors, their drop-down windows and the grid that hosts an
// editor in place. A control implements one by deriving from it; the other side finds
// it with dynamic_cast.
#include "platform/rtl/Variant.h"
#include "platform/ui/Control.h"

namespace editors {

// Messages of drop-down windows and editors (sent with Perform or posted).
enum : unsigned {
    // Sent to a drop-down window after it was placed: WParam is the side of the host it
    // went to (0 left, 1 right, 2 top, 3 bottom), so that it moves its size grip.
    CM_DROPDOWNPLACED = ui::WM_USER + 100,
    // Posted to a drop-down window: close without accepting.
    CM_CLOSEUPNOACCEPT = ui::WM_USER + 101,
    // Sent to an editor when its edit image changed in a way that needs a new layout. It
    // shares its number with CM_CLOSEUPNOACCEPT on purpose: that one goes only to drop-down
    // windows, this one only to editors, so no window gets both.
    CM_EDITIMAGECHANGED = ui::WM_USER + 101,
    // Posted to an editor when a button's drop-down menu pops up: a press of that button
    // while it still waits only takes it out of the queue (the press that closes the
    // menu opens nothing).
    CM_BUTTONMENUMARKER = ui::WM_USER + 102,
};

// The sides of CM_DROPDOWNPLACED.
// clang-format off
enum TDropDownSide { ddsLeft = 0, ddsRight = 1, ddsTop = 2, ddsBottom = 3 };
// clang-format on

// The owner of a drop-down window: the window calls CloseUp to close itself.
class IPopupOwnerEx {
public:
    virtual ~IPopupOwnerEx() = default;
    virtual void CloseUp(bool Accept) = 0;
};

// A drop-down that edits a value (the calculator): its owner reads and writes the value.
class IPopupValueEditorEx {
public:
    virtual ~IPopupValueEditorEx() = default;
    // The drop-down stands ready to hand its value over (the calculator shows "Ok").
    virtual bool IsOk() const = 0;
    virtual bool GetFlat() const = 0;
    // A double, or an error value while the drop-down shows an error.
    virtual rtl::Variant GetValue() const = 0;
    virtual void SetFlat(bool Value) = 0;
    virtual void SetValue(const rtl::Variant& Value) = 0;
};

// The grid that hosts an editor in place. The editor calls it in these situations.
class IInplaceEditHolderEx {
public:
    virtual ~IInplaceEditHolderEx() = default;
    virtual bool InplaceEditCanModify(ui::TControl* Editor) = 0;
    // The screen point and message time of the holder's last mouse press.
    virtual void GetMouseDownInfo(ui::TPoint& Pos, unsigned long& Time) = 0;
    // Every message of the editor comes here first; a Result other than 0 ends its handling.
    virtual void InplaceEditWndProc(ui::TControl* Editor, ui::TMessage& Message) = 0;
    virtual void InplaceEditKeyDown(ui::TControl* Editor, ui::Word& Key, ui::TShiftState Shift) = 0;
    virtual void InplaceEditKeyPress(ui::TControl* Editor, char& Key) = 0;
    virtual void InplaceEditKeyUp(ui::TControl* Editor, ui::Word& Key, ui::TShiftState Shift) = 0;
};

// An editor that a grid can host in place.
class IInplaceEditEx {
public:
    virtual ~IInplaceEditEx() = default;
    virtual ui::TFont& GetFont() = 0;
    // The holder must implement IInplaceEditHolderEx (see RequireInplaceEditHolder);
    // nullptr ends in-place mode.
    virtual void SetInplaceEditHolder(ui::TControl* Holder) = 0;
    virtual void SetBorderStyle(ui::TBorderStyle Value) = 0;
    virtual void SetFont(const ui::TFont& Value) = 0;
    virtual void SetColor(ui::TColor Value) = 0;
    virtual void SetOnKeyPress(ui::TKeyPressEvent Value) = 0;
    virtual void SetOnExit(rtl::TNotifyEvent Value) = 0;
};

inline constexpr const char* InplaceEditHolderRequired =
    "InplaceEditHolder have to support IInplaceEditHolderEx interface";

// The holder's interface; nullptr for no holder. A holder without the interface raises
// rtl::Exception InplaceEditHolderRequired.
IInplaceEditHolderEx* RequireInplaceEditHolder(ui::TControl* holder);

// The drop-down owner interface of a drop-down window's owner, or nullptr.
IPopupOwnerEx* PopupOwnerOf(const rtl::TComponent* dropDown);

} // namespace editors
