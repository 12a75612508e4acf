#pragma once
// The data-aware combo box: the edit base with a list of item texts (Items) that drops
// down below it.
//
// Free mode (KeyItems empty): the text is free; the items complete what the user types
// at the end of the text, and the value is the text.
// Keyed mode (KeyItems not empty): the text is only ever an item, picked from the list,
// by typing its first letters, with the arrow keys or the wheel; the value is the key at
// the item's position in KeyItems, Null for none. Only as many items as there are keys
// can be chosen. A value that is no key shows an empty text and reads back unchanged.
//
// Texts and keys are matched with letter case ignored (Items.IndexOf and
// KeyItems.IndexOf ignore case): "abcd" picks the item "Abcd", which then shows as the
// item is spelt.
//
// The searches typing makes are in ItemSearch.h, shared with the grid's lookup combo box.
#include <string>

#include "controls/editors/DBCtrlsEx.h"
#include "controls/editors/DropDownBoxEx.h"
#include "controls/editors/DropDownWindows.h"
#include "platform/rtl/StringList.h"

namespace editors {

// A text that is no item was written; the handler may add it and set RecheckInList
// (which this editor does not act on).
using TNotInListEventEx = rtl::Delegate<void(rtl::TObject* Sender, const std::string& NewText, bool& RecheckInList)>;

class TCustomDBComboBoxEx : public TCustomDBEditEx {
public:
    explicit TCustomDBComboBoxEx(ui::TControl* parent = nullptr);
    ~TCustomDBComboBoxEx() override;

    // ---- items. Changing either list re-evaluates the mode.
    rtl::TStringList& Items() { return items_; }
    const rtl::TStringList& Items() const { return items_; }
    void SetItems(const rtl::TStrings& Value) { items_.Assign(&Value); }
    rtl::TStringList& KeyItems() { return keyItems_; }
    const rtl::TStringList& KeyItems() const { return keyItems_; }
    void SetKeyItems(const rtl::TStrings& Value) { keyItems_.Assign(&Value); }
    // KeyItems is not empty.
    bool Keyed() const { return keyed_; }
    // The items that can be chosen: all of them in free mode, as many as there are keys
    // in keyed mode.
    int ItemCount() const { return itemCount_; }
    // The current item, -1 for none.
    int ItemIndex() const { return itemIndex_; }
    // Selects an item (out of range: none) and writes the value; a bound data set goes
    // into edit state first. In the designer only a data-independent editor takes it.
    void SetItemIndex(int Index);
    // Keyed: Value := Null; free: the text is emptied.
    void Clear();

    // ---- the drop-down list
    TDropDownBoxEx& DropDownBox() { return dropDownBox_; }
    void SetDropDownBox(const TDropDownBoxEx& Value) { dropDownBox_.Assign(&Value); }
    bool ListVisible() const { return listVisible_; }
    // The list window, once it first dropped down.
    TPopupListboxEx* ListBox() const { return listBox_; }
    // Opens the list below the editor, sized as DropDownBox says (see DropDownBoxEx.h).
    void DropDown() override;
    // Closes the list; when accepting (and the editor can edit) its item becomes current.
    // A size the user gave the list with its grip is kept in DropDownBox.
    void CloseUp(bool Accept) override;

    // ---- searching the items
    // Only when the editor can edit: finds S among the items (Partial: as a prefix,
    // letter case ignored); found, the item becomes current, the caret goes to the end of
    // its text and what follows S is selected; not found, free mode has no item. True
    // when the current item changed.
    virtual bool LocateText(const std::string& S, bool Partial);
    // Typed keys (keyed mode), pasted text (keyed mode) and completion (free mode, no
    // keys): see SearchTypedKeys. False for an editor neither data-independent nor bound
    // to a field.
    virtual bool ProcessSearchKey(const std::string& Keys);

    std::string GetDisplayText() const override;

    TNotInListEventEx OnNotInList;
    TCloseUpEventEx OnCloseUp;
    rtl::TNotifyEvent OnDropDown;
    // The image of an item, in the list and in the edit image (ImageIndex starts as the
    // item's index).
    TListGetImageIndexEventEx OnGetItemImageIndex;

protected:
    TEditButtonEx* CreateEditButton() override;
    ui::TAlignment DefaultAlignment() const override;
    int DefaultImageIndex() const override { return imageIndex_; }
    rtl::Variant GetVariantValue() const override;
    bool IsValidChar(char Key) const override;
    // An up/down main button steps to the previous (upper half) or next item.
    void EditButtonDefaultAction(bool TopButton) override;
    // Dragging from the main button into the open list selects there.
    void EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y) override;
    void DataChanged() override;
    void SetEditText(const std::string& Text) override;
    void InternalSetValue(const rtl::Variant& Value) override;
    void PostTextToField() override;
    void ResetMaxLength() override;
    void UpdateReadOnlyState() override;
    void UpdateImageIndex() override;
    // Fires OnNotInList while no item is current, then writes.
    void UpdateData() override;

    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    void InsertTyped(const std::string& text) override;
    void PasteFromClipboard() override;
    void Change() override;
    bool TextBoxTakesMouseButtons() const override { return !keyed_; }
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) override;
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    void FocusOut(ui::TControl* next) override;
    void CancelMode(ui::TControl* sender) override;

private:
    void itemsChanged(rtl::TObject*);
    void keyItemsChanged(rtl::TObject*);
    void updateMode();
    // Makes item I current without posting (I outside the usable items: none).
    void selectInternal(int index);
    // Shows item I (or none): item index, key, image, list and text.
    void showItem(int index);
    // Free mode: the item whose text the editor shows.
    void itemIndexFromText();
    // The previous (up) or next item, as the arrow keys, the wheel and an up/down button step.
    void selectNeighbour(bool previous);
    bool wheelSelect(bool previous, ui::TShiftState shift);
    int dropDownWidth(int rows) const;
    TPopupListboxEx* listBox();
    void listMouseUp(rtl::TObject*, ui::TMouseButton button, ui::TShiftState shift, int x, int y);

    TDropDownBoxEx dropDownBox_;
    rtl::TStringList items_;
    rtl::TStringList keyItems_;
    TPopupListboxEx* listBox_ = nullptr;
    rtl::Variant keyValue_ = rtl::Null();
    int itemIndex_ = -1;
    int itemCount_ = 0;
    int imageIndex_ = -1;
    bool keyed_ = false;
    bool listVisible_ = false;
    bool showingItem_ = false;
    // The press on the keyed text that opened the list (a second one soon after makes a
    // double click, not a click that closes it).
    bool openedByText_ = false;
    ui::TPoint openingPress_;
    unsigned long openingPressTime_ = 0;
};

class TDBComboBoxEx : public TCustomDBComboBoxEx {
public:
    using TCustomDBComboBoxEx::TCustomDBComboBoxEx;
};

} // namespace editors
