#pragma once
// The lookup combo box: an edit-type editor whose value is a key (KeyValue) chosen from
// the records of a list data set (ListSource). It shows the text of the list field of
// the record whose key fields (KeyField) equal the key, and drops down a data grid of
// the list to choose another. Bound to a field (DataSource, DataField) it writes the key
// into it; bound to a lookup field, list source, key and list fields come from the
// field's lookup definition. Without any of the five it is the plain edit base.
//
// Styles: in csDropDownListEx the text is only ever a record's (typing searches the
// list, Delete empties the key); in csDropDownEx the text is free and typing completes
// it from the list. A data-independent csDropDownEx editor keeps a text that is in no
// record as its value (free text) when no special row stands for such texts.
#include <string>

#include "controls/editors/DBComboBoxEx.h"
#include "controls/editors/DBCtrlsEx.h"
#include "controls/grid/DBGridExDropDownBox.h"
#include "controls/grid/DBLookupGridsEx.h"

namespace grid {

class TCustomDBLookupComboboxEx;

enum TDBLookupComboboxExStyle {
    csDropDownListEx,
    csDropDownEx,
};

// A text that is in no record is to be written: the handler may add it to the list and
// set RecheckInList, and the editor then looks for it again.
using TNotInListEventEx = editors::TNotInListEventEx;

// The editor's data link: a change of the key data fields is a change of its data, and
// it holds the free text of a data-independent editor.
class TDataSourceLinkEx : public editors::TFieldDataLinkEx {
public:
    explicit TDataSourceLinkEx(TCustomDBLookupComboboxEx& combo);

    // The kept value is a text that is in no record.
    bool FreeText() const { return freeText_; }
    void SetFreeText(bool value) { freeText_ = value; }

protected:
    void LayoutChanged() override;
    void RecordChanged(db::TField* field) override;

private:
    TCustomDBLookupComboboxEx& combo_;
    bool freeText_ = false;
};

// The link to the list source.
class TListSourceLinkEx : public db::TDataLink {
public:
    explicit TListSourceLinkEx(TCustomDBLookupComboboxEx& combo);

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;

private:
    TCustomDBLookupComboboxEx& combo_;
};

// The look of the drop-down grid.
class TLookupComboboxDropDownBoxEx : public TColumnDropDownBoxEx {
public:
    explicit TLookupComboboxDropDownBoxEx(TCustomDBLookupComboboxEx& combo);
};

class TCustomDBLookupComboboxEx : public editors::TCustomDBEditEx, public ILookupGridHolderEx {
public:
    explicit TCustomDBLookupComboboxEx(ui::TControl* parent = nullptr);
    ~TCustomDBLookupComboboxEx() override;

    // ---- binding. A data source that reaches the list is refused.
    void SetDataSource(db::TDataSource* Value) override;
    std::string GetDataField() const override { return dataFieldName_; }
    void SetDataField(const std::string& Value) override;
    // In lookup mode the three are the lookup field's (setting them is refused).
    db::TDataSource* GetListSource() const { return listSource_; }
    void SetListSource(db::TDataSource* Value);
    const std::string& GetKeyField() const { return keyFieldName_; }
    void SetKeyField(const std::string& Value);
    const std::string& GetListField() const { return listFieldNames_; }
    void SetListField(const std::string& Value);
    int GetListFieldIndex() const { return listFieldIndex_; }
    void SetListFieldIndex(int Value);
    // The list data set is open and its fields are resolved.
    bool ListActive() const { return listActive_; }
    const TLookupFieldsEx& LookupFields() const { return fields_; }
    bool LookupMode() const { return fields_.LookupMode; }
    // None of the five binding properties is set.
    bool PlainMode() const { return plainMode_; }

    // ---- the value
    const rtl::Variant& GetKeyValue() const { return keyValue_; }
    void SetKeyValue(const rtl::Variant& Value);
    TDBLookupComboboxExStyle GetStyle() const { return style_; }
    void SetStyle(TDBLookupComboboxExStyle Value);

    // ---- the drop-down
    TLookupComboboxDropDownBoxEx& DropDownBox() { return *dropDownBox_; }
    void SetDropDownBox(const TColumnDropDownBoxEx& Value) { dropDownBox_->Assign(&Value); }
    TPopupDataGridEx& PopupGrid() const { return *grid_; }
    bool ListVisible() const { return listVisible_; }
    // Opens the list below the editor (see DropDownBox), the key's record selected.
    void DropDown() override;
    // Closes it; accepting (when the editor can edit) takes the grid's key.
    void CloseUp(bool Accept) override;
    // The width the fields want: each list field's DisplayWidth in "0"s of the font.
    virtual int DefaultDropDownWidth() const;

    // ---- the drop-down grid's events
    const TCheckTitleExBtnEvent& GetOnDropDownBoxCheckButton() const { return grid_->OnCheckButton; }
    void SetOnDropDownBoxCheckButton(const TCheckTitleExBtnEvent& Value) { grid_->OnCheckButton = Value; }
    const TDrawColumnExCellEvent& GetOnDropDownBoxDrawColumnCell() const { return grid_->OnDrawColumnCell; }
    void SetOnDropDownBoxDrawColumnCell(const TDrawColumnExCellEvent& Value) { grid_->OnDrawColumnCell = Value; }
    const TGetCellExParamsEvent& GetOnDropDownBoxGetCellParams() const { return grid_->OnGetCellParams; }
    void SetOnDropDownBoxGetCellParams(const TGetCellExParamsEvent& Value) { grid_->OnGetCellParams = Value; }
    const rtl::TNotifyEvent& GetOnDropDownBoxSortMarkingChanged() const { return grid_->OnSortMarkingChanged; }
    void SetOnDropDownBoxSortMarkingChanged(const rtl::TNotifyEvent& Value) { grid_->OnSortMarkingChanged = Value; }
    const TTitleExClickEvent& GetOnDropDownBoxTitleBtnClick() const { return grid_->OnTitleBtnClick; }
    void SetOnDropDownBoxTitleBtnClick(const TTitleExClickEvent& Value) { grid_->OnTitleBtnClick = Value; }

    // ---- behaviour
    // False outside plain mode without an active list, and when read-only; true without
    // a data source; else the key data fields decide (and with Edit the data link's Edit).
    virtual bool CanModify(bool Edit);
    virtual bool KeyValueCompatible() const { return fields_.KeyValueFits(keyValue_); }
    // Finds the text in the list field (Partial: as a prefix); found, the key and the
    // text become the record's, the typed part stays and the rest is selected.
    virtual bool LocateText(const std::string& Text, bool Partial);
    // Typed keys in csDropDownListEx (and completion in csDropDownEx).
    virtual bool ProcessSearchKey(const std::string& Keys);
    // A user's choice: the key, or the key data fields of the data source.
    virtual void SelectKeyValue(const rtl::Variant& Value);
    // Puts the list on the key's record; true when found.
    virtual bool LocateKey();
    virtual void DataLinkActiveChanged();
    virtual void ListLinkActiveChanged();

    // ---- the drop-down's holder
    void LookupGridFreeNotification(rtl::TComponent* component) override { FreeNotification(component); }
    TCustomDBGridEx* LookupGrid() override { return grid_; }
    TDBLookupGridExOptions GetLookupGridOptions() const override { return grid_->GetOptions(); }
    void SetLookupGridOptions(TDBLookupGridExOptions options) override { grid_->SetOptions(options); }

    editors::TCloseUpEventEx OnCloseUp;
    rtl::TNotifyEvent OnDropDown;
    rtl::TNotifyEvent OnKeyValueChanged;
    TNotInListEventEx OnNotInList;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    virtual void KeyValueChanged();
    virtual void SpecRowChanged(rtl::TObject* Sender);
    // Selects the whole text.
    virtual void SelectAllText() { SelectAll(); }

    editors::TFieldDataLinkEx* CreateDataLink() override;
    editors::TEditButtonEx* CreateEditButton() override;
    bool ButtonEnabled() const override;
    bool EditCanModify() override;
    ui::TAlignment DefaultAlignment() const override;
    rtl::Variant GetVariantValue() const override;
    bool IsValidChar(char Key) const override;
    void UpdateControlState() override;
    void InternalSetValue(const rtl::Variant& Value) override;
    void SetEditText(const std::string& Text) override;
    void EditButtonDefaultAction(bool TopButton) override;
    void EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y) override;
    void DataChanged() override;
    void UpdateData() override;
    void PostTextToField() override;
    void UpdateReadOnlyState() override;

    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    void InsertTyped(const std::string& text) override;
    void PasteFromClipboard() override;
    // Held back while the editor replaces its text with a record's.
    void Change() override;
    bool TextBoxTakesMouseButtons() const override { return plainMode_ || style_ == csDropDownEx; }
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) override;
    void FocusOut(ui::TControl* next) override;
    void CancelMode(ui::TControl* sender) override;

private:
    friend class TDataSourceLinkEx;
    friend class TListSourceLinkEx;

    void updatePlainMode();
    // The text's read-only state and cursor after a change of the mode or the style.
    void updateLook();
    // Puts the bound data set into edit state for the key; true when it edits.
    bool editData();
    void setKeyValue(const rtl::Variant& value);
    // The text the key shows: its record's list text, else the special row's when it
    // stands for the key, else none. Sets it without posting.
    void showKeyText();
    void showText(const std::string& text);
    bool isKeyDataField(const db::TField* field) const;
    // The record one up or down from the key's (from the first without one) is chosen.
    void stepKey(bool up);
    int dropDownWidth() const;
    void gridCloseUp(rtl::TObject*, bool accept) { CloseUp(accept); }
    void gridColumnMoved(rtl::TObject*, int, int) { columnsMoved_ = true; }

    std::unique_ptr<TListSourceLinkEx> listLink_;
    std::unique_ptr<TLookupComboboxDropDownBoxEx> dropDownBox_;
    TPopupDataGridEx* grid_ = nullptr;
    db::TDataSource lookupSource_;
    db::TDataSource* listSource_ = nullptr;
    TLookupFieldsEx fields_;
    std::string dataFieldName_;
    std::string keyFieldName_;
    std::string listFieldNames_;
    int listFieldIndex_ = 0;
    bool listActive_ = false;
    bool listVisible_ = false;
    bool plainMode_ = true;
    rtl::Variant keyValue_ = rtl::Null();
    TDBLookupComboboxExStyle style_ = csDropDownListEx;
    bool inDataLinkChange_ = false;
    int holdChange_ = 0;
    bool changedWhileHeld_ = false;
    bool columnsMoved_ = false;
};

class TDBLookupComboboxEx : public TCustomDBLookupComboboxEx {
public:
    using TCustomDBLookupComboboxEx::TCustomDBLookupComboboxEx;
};

} // namespace grid
