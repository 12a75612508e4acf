#pragma once
// The lookup grid: a data grid turned into a pick list. Its rows are the records of a
// list data set (ListSource, shown through the grid's own data link), one column per
// list field (ListField), and the row whose key fields (KeyField) equal KeyValue is the
// selected one. The key may be bound to a field of another data set (DataSource,
// DataField); when that field is a lookup field, list source, key and list fields come
// from the field's lookup definition. A special row (SpecRow) above the data rows
// stands for a value outside the list.
//
// TPopupDataGridEx is the same grid as a drop-down window that never takes the focus:
// the lookup combo box and the grid's cell editor drop it down below themselves, pass it
// their keys and learn from its callbacks when the user picked a row.
//
// Names the grid shares with its base mean the lookup grid's own here: GetDataSource is
// the key's source (TCustomDBGridEx::GetDataSource is the list's), GetOptions the lookup
// options, GetRowCount/SetRowCount the rows the grid sizes itself to (ui::TCustomGrid's
// RowCount counts the grid rows), GetReadOnly the key link's.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/editors/MRUList.h"
#include "controls/editors/SizeGrip.h"
#include "controls/editors/SpecRow.h"
#include "controls/grid/DBGridEx.h"
#include "platform/db/DataSource.h"

namespace grid {

class TDBLookupGridEx;

// The fields of a lookup control, resolved from its names: the data side (the fields
// named by DataField, and those that receive the key) and the list side (key fields,
// shown fields and the one whose text is shown and searched). The lookup grid and the
// lookup combo box resolve theirs the same way.
class TLookupFieldsEx {
public:
    std::vector<db::TField*> DataFields;
    // The data-set fields that receive the key: the lookup field's key fields in lookup
    // mode, else the data fields.
    std::vector<db::TField*> KeyDataFields;
    bool LookupMode = false;
    std::vector<db::TField*> KeyFields;
    std::vector<db::TField*> ListFields;
    db::TField* ListField = nullptr;
    // The position of ListField among ListFields.
    int ListFieldPos = 0;

    // The data fields named in DataField of an open data set (none otherwise). One
    // lookup field starts lookup mode: LookupSource takes its lookup data set and
    // KeyFieldName its lookup key fields.
    void ResolveData(db::TDataSet* DataSet, const std::string& DataField, const rtl::TComponent* Owner,
                     db::TDataSource& LookupSource, std::string& KeyFieldName);
    // The list side of an open list data set with a key field name; false (and nothing
    // resolved) otherwise. Without list field names the key fields are shown; in lookup
    // mode the lookup result field is shown first when the names lack it.
    bool ResolveList(db::TDataSet* ListDataSet, const std::string& KeyFieldName, const std::string& ListFieldNames,
                     int ListFieldIndex, const rtl::TComponent* Owner);
    void ClearList();

    // The current record's values of the key fields: one value, or an array for several.
    rtl::Variant ListKeyValue() const;
    // The value fits the key fields: one field and no array, or an array with one
    // element per key field.
    bool KeyValueFits(const rtl::Variant& Value) const;
    // The data set's values of the key data fields: one value, or an array.
    rtl::Variant DataKeyValue() const;
    // Every key data field can be modified.
    bool KeyDataFieldsModifiable() const;
    // The ';'-lists of the key data fields' and the list fields' names.
    std::string KeyDataFieldNames() const;
    std::string ListFieldNames() const;
    // The list field is stored (or kept with the record) text: typing searches it.
    bool ListFieldSearchable() const;
};

// Raises "Circular datalinks are not allowed" when the data set reaches the list source
// (the source itself or one of its master sources).
void CheckNotCircular(const db::TDataSet* DataSet, const db::TDataSource* ListSource);
// Raises "Property already defined by lookup field" in lookup mode.
void CheckNotLookupMode(bool LookupMode);
// Puts the list on the record whose key fields hold Key; false when none does (a key of
// another type than the key fields' is in no record).
bool LocateListKey(db::TDataSet& List, const std::string& KeyFieldName, const rtl::Variant& Key);

// The link of the lookup grid to the key's data source.
class TLookupGridDataLinkEx : public db::TDataLink {
public:
    explicit TLookupGridDataLinkEx(TDBLookupGridEx& grid) : grid_(grid) {}

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(db::TField* field) override;
    void FocusControl(db::TField*& field) override;

private:
    TDBLookupGridEx& grid_;
};

// The look of a column's cell in the special row: unset, the special row's colour, font
// and cell text for the column (in a lookup grid).
class TGridColumnSpecCellEx : public rtl::TPersistent {
public:
    explicit TGridColumnSpecCellEx(TColumnEx& column);

    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;

    ui::TColor GetColor() const;
    void SetColor(ui::TColor value);
    bool IsColorStored() const { return colorAssigned_; }
    const ui::TFont& GetFont() const;
    ui::TFont& GetFont();
    void SetFont(const ui::TFont& value);
    bool IsFontStored() const { return fontAssigned_; }
    std::string GetText() const;
    void SetText(const std::string& value);
    bool IsTextStored() const { return textAssigned_; }

private:
    editors::TSpecRowEx* specRow() const;
    void fontChanged(rtl::TObject*);

    TColumnEx& column_;
    ui::TColor color_ = ui::clWindow;
    mutable ui::TFont font_;
    std::string text_;
    bool colorAssigned_ = false;
    bool fontAssigned_ = false;
    bool textAssigned_ = false;
    mutable bool copyingFont_ = false;
};

// A column of a lookup grid.
class TDBLookupGridColumnEx : public TColumnEx {
public:
    explicit TDBLookupGridColumnEx(rtl::TCollection* collection);
    ~TDBLookupGridColumnEx() override;

    TGridColumnSpecCellEx& SpecCell() const { return *specCell_; }
    void SetSpecCell(const TGridColumnSpecCellEx& value) { specCell_->Assign(&value); }

    using TColumnEx::Assign;
    void Assign(const rtl::TPersistent* source) override;
    // In a lookup grid the list field, the special row's texts and the list field names
    // follow the new column order.
    void SetIndex(int value) override;

private:
    std::unique_ptr<TGridColumnSpecCellEx> specCell_;
};

class TDBLookupGridColumnDefValuesEx : public TColumnDefValuesEx {
public:
    using TColumnDefValuesEx::TColumnDefValuesEx;
};

class TDBLookupGridEx : public TCustomDBGridEx {
public:
    explicit TDBLookupGridEx(ui::TControl* parent = nullptr);
    ~TDBLookupGridEx() override;

    // ---- binding of the key
    db::TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
    // Refused when it would link the grid to its own list.
    void SetDataSource(db::TDataSource* value);
    const std::string& GetDataField() const { return dataFieldName_; }
    void SetDataField(const std::string& value);
    // The key link's read-only state.
    bool GetReadOnly() const { return dataLink_->GetReadOnly(); }
    void SetReadOnly(bool value) { dataLink_->SetReadOnly(value); }

    // ---- the list. In lookup mode the three are the lookup field's (setting them is
    // refused).
    db::TDataSource* GetListSource() const { return listSource_; }
    void SetListSource(db::TDataSource* value);
    const std::string& GetKeyField() const { return keyFieldName_; }
    void SetKeyField(const std::string& value);
    const std::string& GetListField() const { return listFieldNames_; }
    void SetListField(const std::string& value);
    // Which list field's text is Text and is searched; -1: the first.
    int GetListFieldIndex() const { return listFieldIndex_; }
    void SetListFieldIndex(int value);
    // The list data set is open and its fields are resolved.
    bool ListActive() const { return listActive_; }
    db::TDataSet* ListDataSet() const;
    const TLookupFieldsEx& LookupFields() const { return fields_; }
    bool LookupMode() const { return fields_.LookupMode; }

    // ---- the value
    // The selected key: one value or an array (several key fields); Null for none.
    const rtl::Variant& GetKeyValue() const { return keyValue_; }
    void SetKeyValue(const rtl::Variant& value);
    // The text of the selected row: the special row's, else the list field's.
    const std::string& Text() const { return text_; }
    // The special row is the selection.
    bool SpecRowSelected() const { return specRowSelected_; }
    // The typed search text.
    const std::string& SearchText() const { return searchText_; }

    // ---- look
    editors::TSpecRowEx& SpecRow() const { return *specRow_; }
    void SetSpecRow(const editors::TSpecRowEx& value) { specRow_->Assign(&value); }
    TDBLookupGridExOptions GetOptions() const { return lookupOptions_; }
    void SetOptions(TDBLookupGridExOptions value);
    // The data rows the height holds: 1 to 100; the height follows.
    int GetRowCount() const { return rowCount_; }
    void SetRowCount(int value);
    bool GetShowTitles() const;
    void SetShowTitles(bool value);

    // ---- sizes
    virtual int BorderHeight() const;
    virtual int SpecRowHeight() const;
    virtual int DataRowHeight() const;
    // The grid row of the special row; -1 while it is hidden.
    int SpecRowGridRow() const;
    // The height that shows Rows data rows.
    int HeightForRows(int Rows) const;
    // The width that shows every visible column as wide as it is, with the frame and
    // the scroll bar beside them.
    int WidthForColumns() const;

    // ---- behaviour
    // The list is active, the key link is not read-only, and without a data source or
    // with every key data field modifiable.
    virtual bool CanModify() const;
    virtual bool KeyValueCompatible() const { return fields_.KeyValueFits(keyValue_); }
    // Selection and Text from the key value (the list goes to the key's record, else
    // to its first record).
    virtual void UpdateDisplay();
    // The vertical bar follows the list's window.
    virtual void UpdateScrollInfo();
    // One typed character of the incremental search (Backspace and Esc clear it).
    virtual void ProcessSearchKey(char Key);
    // A user's choice: the key value, or the key data fields of the data source.
    virtual void SelectKeyValue(const rtl::Variant& Value);
    // Puts the list on the key's record; true when found.
    virtual bool LocateKey();
    virtual void DataLinkActiveChanged();
    virtual void ListLinkActiveChanged();

    // Characters typed within this long of each other extend one search.
    static constexpr int SearchResetMs = 2000;
    static constexpr int SearchMaxLength = 32;
    // The window timer that moves the list while the held mouse is above or below it.
    static constexpr int TrackTimerId = 7;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
    void SetBounds(int left, int top, int width, int height) override;

protected:
    virtual void SpecRowChanged(rtl::TObject* Sender);
    // The record key of data row Row of the list's window.
    rtl::Variant RowKey(int Row);
    // The list moved by a key, the wheel or the held mouse: Distance records (the special
    // row taking a step before the first record), then the reached key is selected.
    void MoveSelection(int Distance);
    // Fired after each change of the display; the drop-down grid tells its owner.
    virtual void DisplayChanged() {}

    // ---- the base grid's hooks
    void LinkActive(bool Value) override;
    void Scroll(int Distance) override;
    void DefineFieldMap() override;
    int SubTitleRowCount() const override;
    void RecalcDataRows() override;
    void DrawCell(int ACol, int ARow, const ui::TRect& ARect, ui::TGridDrawState AState) override;
    bool Is3DCell(int ACol, int ARow, ui::TGridDrawState State) override;
    bool GetDataCellHighlight(ui::TFont& AFont, ui::TColor& Background, ui::TGridDrawState& State, int ACol,
                              int ARow) override;
    void Paint() override;
    bool GetVertScrollInfo(TScrollBarInfo& info) const override;
    void ScrollMessage(ui::TScrollBarKind kind, ui::TScrollCode code, int& pos) override;

    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void DblClick() override;
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    unsigned DialogCode() const override;
    void TimerTick(int id) override;
    void FocusIn(ui::TControl* previous) override;
    void FocusOut(ui::TControl* next) override;
    void CaptureCancelled() override;

    // The row under a client point: the special row (-1), a data row of the window (0
    // up), or none (-2).
    static constexpr int NoRow = -2;
    static constexpr int SpecialRow = -1;
    int RowAt(int y) const;
    // Selects the row: a data row's record becomes current and its key is chosen.
    void SelectRow(int row);
    bool Tracking() const { return tracking_; }

private:
    friend class TLookupGridDataLinkEx;
    friend class TDBLookupGridColumnEx;

    void dataValueChanged();
    void setKeyValueQuiet(const rtl::Variant& value);
    void applyListSource();
    void applyOptions();
    // The height for the row count, after a layout changed the row heights.
    void snapHeight();
    void drawSpecRowCell(int ACol, const ui::TRect& rect);
    int titleSpan() const;
    int lineWidth() const;
    // The columns' order reached the list field names, the list field index and the
    // special row's texts.
    void columnMoved(int fromIndex, int toIndex);
    void trackTo(int y);
    void stopTracking();
    // The list stands on its first record.
    bool listAtFirst() const;
    // The list's current record is chosen, unless its key is the selection already.
    void chooseCurrentRecord();

    std::unique_ptr<TLookupGridDataLinkEx> dataLink_;
    std::unique_ptr<editors::TSpecRowEx> specRow_;
    db::TDataSource lookupSource_;
    db::TDataSource* listSource_ = nullptr;
    TLookupFieldsEx fields_;
    std::string dataFieldName_;
    std::string keyFieldName_;
    std::string listFieldNames_;
    int listFieldIndex_ = -1;
    bool listActive_ = false;
    rtl::Variant keyValue_ = rtl::Null();
    std::string text_;
    bool specRowSelected_ = false;
    bool inKeyChange_ = false;
    std::string searchText_;
    TDBLookupGridExOptions lookupOptions_ = {dlgColLinesEx};
    int rowCount_ = 7;
    bool sizing_ = false;
    bool tracking_ = false;
    int mouseRowPos_ = 0;
    bool settingColumns_ = false;
};

// The drop-down data grid: a lookup grid in a pop-up window that never takes the focus
// or the activation, with a raised edge, a size grip in its corner and hot tracking.
// The owner (the control that drops it down) passes its keys and wheel on while it is
// down, and closes it when OnCloseUp asks.
class TPopupDataGridEx : public TDBLookupGridEx {
public:
    // Owner: the control that drops it down and frees it (none: freed by whoever made it).
    explicit TPopupDataGridEx(ui::TControl* owner);

    // The user sized the window with its grip since the flag was last cleared.
    bool Resized() const { return resized_; }
    void SetResized(bool value) { resized_ = value; }
    editors::TSizeGripEx* SizeGrip() const { return sizeGrip_; }
    // The user rearranged the columns since the flag was last cleared.
    bool ColumnsMoved() const { return columnsMoved_; }
    void SetColumnsMoved(bool value) { columnsMoved_ = value; }

    // Keys and the wheel of the owner while the grid is down.
    void KeyDownFromOwner(ui::Word& Key, ui::TShiftState Shift);
    void KeyPressFromOwner(char& Key);
    bool MouseWheelFromOwner(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos);

    bool CanFocus() const override { return false; }
    // Never smaller than a scroll bar's width and height.
    void SetBounds(int left, int top, int width, int height) override;

    // A release over a row asks the owner to close the drop-down accepting.
    editors::TCloseUpEventEx OnCloseUp;
    // The user changed the selection (keys or mouse): the display shows it.
    rtl::TNotifyEvent OnUserChange;

protected:
    void DisplayChanged() override;
    void CalcNonClientSize(ui::TRect& client) override;
    void PaintNonClient(ui::TCanvas& canvas) override;
    void Resize() override;
    void WndProc(ui::TMessage& Message) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    void gripResized(rtl::TObject*) { resized_ = true; }
    // Runs a handling of the user's, after which display changes are reported.
    template <typename F>
    void byUser(F&& handling);

    editors::TSizeGripEx* sizeGrip_ = nullptr;
    bool resized_ = false;
    bool columnsMoved_ = false;
    int userChanges_ = 0;
    ui::TPoint lastMouse_{-1, -1};
};

} // namespace grid
