#pragma once
// The data-aware single-line editor on which every edit-type editor stands (the numeric
// editor, the combo box, the grid's lookup combo box and filter-row editor), and its data
// link.
//
// TFieldDataLinkEx binds an editor to one field of a data set, to a ';'-list of fields
// (MultiFields), or to nothing: with neither a data source nor a field name the link is
// data-independent and keeps the editor's value itself (a Variant, Null at first).
//
// TCustomDBEditEx is a masked edit with that link. Around the text it lays out a main
// edit button and any number of further ones, an image at the left, a flat or 3-D border
// that lights up while hot, and a drop-down of recently used texts. A grid hosts it in
// place through IInplaceEditHolderEx.
//
// How descendants build on it
// - Value: GetVariantValue reads it; SetValue goes through SetValueAndUpdate, which puts a
//   bound data set into edit state, InternalSetValue and then UpdateData (unless
//   OnUpdateData is running). InternalSetValue shows a value without posting it;
//   SetEditText shows a text without posting it. Both are the editor's own setters: no
//   data-set step.
// - Text: SetText (the property) is the user-level setter: edit state, SetEditText,
//   UpdateData. DataChanged fills the text from the link (the field's edit text while
//   focused and editable, else its display text; the kept value when data-independent).
// - Writing: UpdateData (the link asks for the value, or Text/Value was set) validates the
//   mask, fires OnUpdateData and, unless handled, PostTextToField, which writes through
//   the link's SetText (a descendant with a value of its own writes the link's SetValue).
// - Read-only: ReadOnly() is the editor's own flag. The edit box takes the user's changes
//   only while EditReadOnly() is false, which UpdateReadOnlyState computes: not ReadOnly
//   and (the link edits or OnUpdateData is assigned) and, in place, the holder allows it.
//   EditCanModify starts editing through the link and answers whether it edits.
// - Drop-downs: EditButtonDefaultAction (the main button, or its shortcut) calls DropDown
//   unless the button is an up/down pair or a drop-down is open; a descendant opens its
//   window in DropDown (calling the base first, which holds the main button down) and
//   marks it with SetDroppedDown; CloseUp(Accept) closes it (calling the base, which
//   releases the button). The main button's click while a drop-down is open closes it.
// - Keys: KeyDown looks up the buttons' shortcuts (the main one only while ButtonEnabled),
//   Ctrl+A selects all; KeyPress drops characters IsValidChar refuses (bound editors, with
//   a beep) and resets on Esc. Descendants call the base first unless they consume a key.
// - Layout: GetEditRect is the text area (client area less the buttons at the right and
//   the image at the left); RecreateWnd re-applies the look after a change of it.
//   EditWindowAlignment is the alignment the box edits with (left unless word wrapped).
// - Right to left: an editor that uses right-to-left alignment (BiDiMode right to left,
//   and a field that is no number or date) is laid out mirrored: buttons from the left
//   edge, the image at the right, the box's and the painted text's alignments swapped.
//   A change of the mode, or a new field that reads on the other side, lays the editor
//   out anew.
// - Parts: the data link, the main button, the further buttons and the edit image come
//   from CreateDataLink, CreateEditButton, CreateEditButtons and CreateEditImage. The
//   constructor makes them with this class's factories; a descendant that overrides one
//   calls CreateParts() at the end of its constructor, where its overrides are in effect.
#include <memory>
#include <string>
#include <vector>

#include "controls/editors/EditButtons.h"
#include "controls/editors/EditImage.h"
#include "controls/editors/EditInterfaces.h"
#include "controls/editors/MRUList.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/MaskEdit.h"

namespace editors {

class TMRUListboxEx;

// ---- the data link ----

class TFieldDataLinkEx : public db::TDataLink {
public:
    using TLinkEvent = rtl::Delegate<void(TFieldDataLinkEx* Link)>;

    // Control: the editor that owns the link (named in "field not found" errors; it takes
    // the focus for FocusControl).
    explicit TFieldDataLinkEx(ui::TControl* control = nullptr);

    // ---- binding. A change of either re-evaluates the mode: data-independent with neither
    // a data source nor a field name. Entering or leaving it makes the kept value Null;
    // entering it also tells the control (OnDataChange).
    void SetDataSource(db::TDataSource* source);
    const std::string& GetFieldName() const { return fieldName_; }
    // The fields are resolved while the data set is open; a name it lacks raises
    // "Field '%s' not found" (prefixed with the control's name).
    void SetFieldName(const std::string& name);
    // The field name is a ';'-list of several fields.
    bool GetMultiFields() const { return multiFields_; }
    void SetMultiFields(bool value);
    bool DataIndependent() const { return dataIndependent_; }
    ui::TControl* GetControl() const { return control_; }

    // The bound field of a single-field link, else nullptr.
    db::TField* Field() const { return fields_.size() == 1 ? fields_.front() : nullptr; }
    int FieldsCount() const { return static_cast<int>(fields_.size()); }
    db::TField* Fields(int index) const { return fields_.at(static_cast<std::size_t>(index)); }

    // ---- editing. Editing (shadowing the base link's) is the edit in progress: bound, the
    // data set edits and CanModify; data-independent, started by Edit and ended by UpdateData.
    bool Editing() const { return editing_; }
    // Starts editing where it can (a bound link puts the data set into edit state through
    // the data source); returns Editing.
    bool Edit();
    // Not read-only, and data-independent or every bound field can be modified.
    bool CanModify() const;
    bool GetModified() const { return modified_; }
    // Marks the control's text changed since the last data change.
    void Modified() { modified_ = true; }
    void SetModified(bool value) { modified_ = value; }
    // Drops the control's changes: the control is told the record changed.
    void Reset() { RecordChanged(nullptr); }
    // Before the program writes a control's value (Text, Value, State): a bound data set
    // goes into edit state; a link without a data set has none to edit. False in the
    // designer, where only a data-independent control takes such writes.
    bool PrepareWrite(bool Designing);
    // Data-independent: the kept value becomes the text; bound: the field's text (AsString
    // of a memo field). A link with several fields or none takes no text.
    void SetText(const std::string& text);
    // Data-independent: the kept value; several fields: Null clears them all, else field i
    // takes element i of the array (counted from its low bound); one field: AsVariant.
    void SetValue(const rtl::Variant& value);
    const rtl::Variant& GetKeptValue() const { return keptValue_; }

    TLinkEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

    void DataEvent(db::TDataEvent event, std::intptr_t info) override;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(db::TField* field) override;
    void UpdateData() override;
    void FocusControl(db::TField*& field) override;
    // Resolves the fields from the field name (on a change of the name, of the multi-field
    // mode, of the active state and of the layout).
    virtual void UpdateFields();
    // Re-evaluates the data-independent mode.
    void UpdateDataIndependent();
    bool IsBound(const db::TField* field) const;

private:
    void setFields(std::vector<db::TField*> fields);
    void updateEditing();

    std::vector<db::TField*> fields_;
    std::string fieldName_;
    ui::TControl* control_;
    bool multiFields_ = false;
    bool dataIndependent_ = true;
    bool editing_ = false;
    bool modified_ = false;
    rtl::Variant keptValue_ = rtl::Null();
};

// ---- the editor ----

// Before the text is written to the data: Handled skips the write.
using TUpdateDataEventEx = rtl::Delegate<void(rtl::TObject* Sender, bool& Handled)>;
// The image the edit image shows.
using TGetImageIndexEventEx = rtl::Delegate<void(rtl::TObject* Sender, int& ImageIndex)>;

class TCustomDBEditEx : public ui::TCustomMaskEdit, public IPopupOwnerEx, public IInplaceEditEx {
public:
    explicit TCustomDBEditEx(ui::TControl* parent = nullptr);
    ~TCustomDBEditEx() override;

    // ---- binding
    virtual db::TDataSource* GetDataSource() const;
    virtual void SetDataSource(db::TDataSource* Value);
    virtual std::string GetDataField() const;
    virtual void SetDataField(const std::string& Value);
    TFieldDataLinkEx* DataLink() const { return dataLink_.get(); }
    // The link's data-independent mode.
    virtual bool DataIndependent() const;

    // ---- value and text
    rtl::Variant GetValue() const { return GetVariantValue(); }
    // SetValueAndUpdate: a bound data set goes into edit state, the value is shown and
    // written (unless OnUpdateData is running).
    void SetValue(const rtl::Variant& Value) { SetValueAndUpdate(Value); }
    // A bound data set goes into edit state (skipped when the link has no data set), the
    // text is shown (SetEditText) and written (unless OnUpdateData is running). In the
    // designer only a data-independent editor takes it.
    void SetText(const std::string& Value) override;
    // The text painted while the editor is not focused.
    virtual std::string GetDisplayText() const;

    // ---- look
    // The explicit alignment when set, else DefaultAlignment (the field's).
    ui::TAlignment GetAlignment() const;
    void SetAlignment(ui::TAlignment Value);
    bool AlignmentAssigned() const { return alignmentAssigned_; }
    bool GetAlwaysShowBorder() const { return alwaysShowBorder_; }
    void SetAlwaysShowBorder(bool Value);
    bool GetFlat() const { return flat_; }
    void SetFlat(bool Value);
    // The edit mask: the field's unless set here; a set one is kept (EditMaskAssigned).
    void SetEditMask(const std::string& Value) override;
    bool EditMaskAssigned() const { return editMaskAssigned_; }
    void SetWordWrap(bool Value) override;
    void SetAutoSize(bool Value) override;
    // The border shows as active: focused, the pointer over the editor, or AlwaysShowBorder.
    bool Hot() const { return hot_; }
    // Right to left unless the bound field holds numbers or dates (DBUseRightToLeftAlignment).
    bool UseRightToLeftAlignment() const override;

    // ---- read-only
    // The editor's own flag (a change updates the edit box's state).
    bool ReadOnly() const override { return readOnly_; }
    void SetReadOnly(bool Value) override;
    // Whether the edit box refuses the user's changes now (see UpdateReadOnlyState).
    bool EditReadOnly() const { return editReadOnly_; }

    // ---- keys typed into the text
    bool GetWantTabs() const { return wantTabs_; }
    void SetWantTabs(bool Value) { wantTabs_ = Value; }
    bool GetWantReturns() const { return wantReturns_; }
    void SetWantReturns(bool Value) { wantReturns_ = Value; }

    // ---- buttons and image
    TEditButtonEx* GetEditButton() const { return editButton_.get(); }
    // Copies the description.
    void SetEditButton(const TEditButtonEx& Value) { editButton_->Assign(&Value); }
    TEditButtonsEx* GetEditButtons() const { return editButtons_.get(); }
    void SetEditButtons(const TEditButtonsEx& Value) { editButtons_->Assign(&Value); }
    TEditImageEx* GetEditImage() const { return editImage_.get(); }
    ui::TCustomImageList* GetImages() const;
    // Also shows the edit image.
    void SetImages(ui::TCustomImageList* Value);
    // Pair 0 is the main button, pair i the i-th of EditButtons (1-based).
    int ButtonControlCount() const { return static_cast<int>(buttonControls_.size()); }
    TEditButtonControlEx* EditButtonControl(int Index) const { return buttonControls_.at(Index).Button; }
    ui::TShape* ButtonSeparator(int Index) const { return buttonControls_.at(Index).Separator; }
    // The room the visible buttons and separators take, and the height they were given.
    int ButtonsWidth() const { return buttonsWidth_; }
    int ButtonsHeight() const { return buttonsHeight_; }
    // The image area at the left: the image's width plus 4, 0 without a visible image.
    int ImageWidth() const { return imageWidth_; }

    // ---- recently used texts
    TMRUListEx* GetMRUList() const { return mruList_.get(); }
    // Its drop-down, once it was first dropped down.
    TMRUListboxEx* MRUListBox() const { return mruListBox_; }

    // ---- drop-downs
    // Holds the main button down and closes an open MRU list.
    virtual void DropDown();
    // Releases the main button (IPopupOwnerEx: drop-down windows close themselves here).
    void CloseUp(bool Accept) override;
    // A descendant's drop-down is open.
    bool DroppedDown() const { return droppedDown_; }

    // ---- in place (IInplaceEditEx)
    ui::TFont& GetFont() override { return Font(); }
    // The holder must implement IInplaceEditHolderEx, else "InplaceEditHolder have to
    // support IInplaceEditHolderEx interface" is raised; nullptr ends in-place mode.
    void SetInplaceEditHolder(ui::TControl* Holder) override;
    void SetBorderStyle(ui::TBorderStyle Value) override { ui::TControl::SetBorderStyle(Value); }
    void SetFont(const ui::TFont& Value) override { ui::TControl::SetFont(Value); }
    void SetColor(ui::TColor Value) override { ui::TControl::SetColor(Value); }
    void SetOnKeyPress(ui::TKeyPressEvent Value) override { OnKeyPress = Value; }
    void SetOnExit(rtl::TNotifyEvent Value) override { OnExit = Value; }
    ui::TControl* InplaceEditHolder() const { return inplaceHolder_; }
    bool InplaceMode() const { return inplaceHolder_ != nullptr; }
    // In place: an empty rectangle hides the window (the holder takes the focus it had);
    // any other shows it there, cancelling the editor's pop-ups, and focuses it when the
    // holder has the focus.
    void SetBounds(int left, int top, int width, int height) override;
    // In place the window's own visibility: hiding hides the window only, as an empty
    // rectangle does. (These shadow the control's; a grid reaches them through the
    // editor's type.)
    bool Visible() const;
    void SetVisible(bool Value);
    // In place only while the window is shown.
    void SetFocus() override;

    // ---- events
    TButtonClickEventEx OnButtonClick;
    TButtonDownEventEx OnButtonDown;
    TUpdateDataEventEx OnUpdateData;
    const TGetImageIndexEventEx& GetOnGetImageIndex() const { return onGetImageIndex_; }
    // Also updates the image index.
    void SetOnGetImageIndex(TGetImageIndexEventEx Value);

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    // ---- parts (see the header comment)
    void CreateParts();
    virtual TFieldDataLinkEx* CreateDataLink();
    virtual TEditButtonEx* CreateEditButton();
    virtual TEditButtonControlEx* CreateEditButtonControl();
    virtual TEditButtonsEx* CreateEditButtons();
    virtual TEditImageEx* CreateEditImage();
    virtual TMRUListboxEx* CreateMRUListBox();

    // ---- defaults the field gives
    virtual ui::TAlignment DefaultAlignment() const;
    virtual std::string DefaultEditMask() const;
    virtual int DefaultImageIndex() const;

    // ---- value, text and data
    // The value as a Variant: the text (the edit text when data-independent).
    virtual rtl::Variant GetVariantValue() const;
    // True without a field, else the field's test.
    virtual bool IsValidChar(char Key) const;
    // The link's data changed (or was reset): the text follows it.
    virtual void DataChanged();
    // The link's editing state changed: UpdateReadOnlyState.
    virtual void EditingChanged();
    // The link asks for the edited value (and Text/Value writes end here).
    virtual void UpdateData();
    // Writes the text (the edit text when data-independent) through the link.
    virtual void PostTextToField();
    // Shows a text without posting it.
    virtual void SetEditText(const std::string& Text);
    // Shows a value without posting it (an array shows as the empty text).
    virtual void InternalSetValue(const rtl::Variant& Value);
    virtual void SetValueAndUpdate(const rtl::Variant& Value);
    // The edit box's read-only state (SetEditReadOnly), see the header comment.
    virtual void UpdateReadOnlyState();
    void SetEditReadOnly(bool Value) { editReadOnly_ = Value; }
    // ResetMaxLength, then UpdateEditButtonControls (the link's active state changed).
    virtual void UpdateControlState();
    // A positive MaxLength that equals the size of the bound string field goes back to 0,
    // so that a new field's size applies.
    virtual void ResetMaxLength();
    // Stores the focused flag (FocusedFlag) and resets the link, which shows the edit text
    // or the display text.
    virtual void SetFocused(bool Value);
    // The flag SetFocused keeps: true from the focus entering the editor to it leaving.
    bool FocusedFlag() const { return focused_; }
    bool InUpdateData() const { return inUpdateData_; }
    // Starts editing through the link; true when it edits.
    bool EditCanModify() override;
    // The edit box takes the user's change: EditCanModify was asked and the box is not
    // read-only.
    bool CanChangeText() override;
    // Esc in a modified masked text: the link is reset and everything selected.
    void Reset() override;

    // ---- buttons
    // Enabled and data-independent, or active with a bound field.
    virtual bool ButtonEnabled() const;
    // Unless the main button is an up/down pair or a drop-down is open: DropDown, and the
    // main button's click that follows does not close it again.
    virtual void EditButtonDefaultAction(bool TopButton);
    virtual void EditButtonClick(rtl::TObject* Sender);
    virtual void EditButtonDown(rtl::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y);
    virtual void EditButtonMouseUp(rtl::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    // Lays out the button controls and their separators (after any change of the buttons,
    // the size, the look), then the text area.
    void UpdateEditButtonControlList();
    // Enabled, hot look and separator colour of every button control.
    void UpdateEditButtonControls();
    void SetDroppedDown(bool Value) { droppedDown_ = Value; }
    // The key with its shift state is the shortcut of the main button or a further one.
    bool IsEditButtonShortCut(ui::Word Key, ui::TShiftState Shift) const;
    // A key an open drop-down list takes from the editor: PageUp, PageDown, Up, Down,
    // and Home and End with Ctrl, unless it is a button's shortcut (Alt+Down closes).
    bool IsDropDownListKey(ui::Word Key, ui::TShiftState Shift) const;
    bool ButtonDroppedIt() const { return buttonDroppedIt_; }

    // ---- layout and look
    virtual ui::TRect GetEditRect() const;
    // Fits the height to the font (or to taller images of the edit image).
    void AdjustHeight() override;
    virtual void UpdateHeight();
    virtual void UpdateImageIndex();
    // The alignment the box edits with: left, or the editor's alignment when word wrapped
    // (mirrored on screen under right-to-left alignment).
    virtual ui::TAlignment EditWindowAlignment() const;
    // Gives the box the alignment EditWindowAlignment asks for.
    void UpdateEditWindowAlignment();
    // Re-applies what depends on the look (box alignment, height, layout, hot state).
    void RecreateWnd();
    void UpdateHot();

    // ---- recently used texts
    // After a change of the text by the user: closes the list on an empty text, else drops
    // it down filtered by the text.
    virtual void UpdateMRUDropDown();
    // The user resized the open list: its rows and width are kept in MRUList.
    virtual void MRUListBoxResized();
    // Whether the recently used text AText is offered under the editor's text: it starts
    // with the text (case as the list says), then the list's OnFilterItem may change that.
    virtual void FilterMRUItem(const std::string& AText, bool& Accept);

    // ---- in place
    IInplaceEditHolderEx* InplaceEditHolderInterface() const { return holderInterface_; }

    // ---- window
    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void KeyUp(ui::Word& key, ui::TShiftState shift) override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    unsigned DialogCode() const override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) override;
    void FocusIn(ui::TControl* previous) override;
    void FocusOut(ui::TControl* next) override;
    void DoEnter() override;
    void DoExit() override;
    void CancelMode(ui::TControl* sender) override;
    void WndProc(ui::TMessage& message) override;
    void Loaded() override;
    void Change() override;
    void Resize() override;
    void Paint() override;
    void PaintNonClient(ui::TCanvas& canvas) override;
    bool UnfocusedText(std::string& text) const override;
    ui::TAlignment UnfocusedTextAlignment() const override { return screenAlignment(GetAlignment()); }
    void BiDiModeChanged() override { RecreateWnd(); }
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void PasteFromClipboard() override;
    void CutToClipboard() override;
    void Undo() override;

private:
    struct TButtonPair {
        ui::TShape* Separator = nullptr;
        TEditButtonControlEx* Button = nullptr;
    };

    // link handlers
    void linkDataChange(TFieldDataLinkEx*);
    void linkEditingChange(TFieldDataLinkEx*) { EditingChanged(); }
    void linkUpdateData(TFieldDataLinkEx*) { UpdateData(); }
    void linkActiveChange(TFieldDataLinkEx*) { UpdateControlState(); }
    void partsChanged(rtl::TObject*) { UpdateEditButtonControlList(); }

    // Sets the text as the editor itself does (not a change by the user).
    void setOwnText(const std::string& text);
    TEditButtonEx* buttonOfPair(int index) const;
    int buttonIndexOf(rtl::TObject* control) const;
    bool runShortCut(ui::Word key, ui::TShiftState shift);
    void updateImageWidth();
    ui::TRect imageRect() const;
    // An alignment of the editor where it shows on screen: swapped under right-to-left
    // alignment.
    ui::TAlignment screenAlignment(ui::TAlignment Alignment) const;
    // Leaving a masked editor with nothing selected moves the caret two places back;
    // answers where it went (-1: not moved).
    int placeCaretOnExit();
    // In place, the form must let the holder have the focus the editor takes.
    bool holderRefusesFocus() const;
    bool flatLook() const;
    // In place: hides the window; the holder takes the focus it had.
    void hideInPlace();

    // recently used texts
    void mruDropDown(rtl::TObject*);
    void mruCloseUp(rtl::TObject*, bool accept);
    void mruListMouseUp(rtl::TObject*, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void mruListResized(rtl::TObject*) { MRUListBoxResized(); }
    bool mruDropped() const;
    bool mruKey(ui::Word& key, ui::TShiftState shift);

    std::unique_ptr<TFieldDataLinkEx> dataLink_;
    std::unique_ptr<TEditButtonEx> editButton_;
    std::unique_ptr<TEditButtonsEx> editButtons_;
    std::unique_ptr<TEditImageEx> editImage_;
    std::unique_ptr<TMRUListEx> mruList_;
    TMRUListboxEx* mruListBox_ = nullptr;
    std::vector<TButtonPair> buttonControls_;
    TGetImageIndexEventEx onGetImageIndex_;

    ui::TAlignment explicitAlignment_ = ui::taLeftJustify;
    bool alignmentAssigned_ = false;
    bool editMaskAssigned_ = false;
    bool alwaysShowBorder_ = false;
    bool flat_ = false;
    bool readOnly_ = false;
    bool editReadOnly_ = true;
    bool wantTabs_ = false;
    bool wantReturns_ = false;
    bool hot_ = false;
    bool focused_ = false;
    bool mouseOver_ = false;
    bool inUpdateData_ = false;
    bool droppedDown_ = false;
    bool buttonDroppedIt_ = false;
    bool fixedHeight_ = false;
    bool laidOutRightToLeft_ = false;
    bool refusingFocus_ = false;
    int buttonsWidth_ = 0;
    int buttonsHeight_ = 0;
    int imageWidth_ = 0;
    int ownText_ = 0; // the editor is setting its text itself
    bool mruUpdating_ = false;
    ui::TControl* inplaceHolder_ = nullptr;
    IInplaceEditHolderEx* holderInterface_ = nullptr;
};

} // namespace editors
