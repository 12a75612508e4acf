// The lookup grid: its fields, binding, key value and display, sizing to whole rows, the
// special row, its columns, and the drop-down grid a grid column keeps.
#include "controls/grid/DBLookupGridsEx.h"

#include <algorithm>

#include "controls/editors/ToolCtrlsEx.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

// ---- fields

void TLookupFieldsEx::ResolveData(db::TDataSet* DataSet, const std::string& DataField, const rtl::TComponent* Owner,
                                  db::TDataSource& LookupSource, std::string& KeyFieldName)
{
    DataFields.clear();
    KeyDataFields.clear();
    LookupMode = false;
    if (!DataSet || !DataSet->GetActive() || DataField.empty()) return;
    DataFields = editors::FieldsByNamesToArray(*DataSet, Owner, DataField);
    if (DataFields.size() == 1 && DataFields.front()->Lookup()) {
        db::TField* lookup = DataFields.front();
        LookupMode = true;
        KeyDataFields = editors::FieldsByNamesToArray(*DataSet, Owner, lookup->GetKeyFields());
        LookupSource.SetDataSet(lookup->GetLookupDataSet());
        KeyFieldName = lookup->GetLookupKeyFields();
        return;
    }
    KeyDataFields = DataFields;
}

bool TLookupFieldsEx::ResolveList(db::TDataSet* ListDataSet, const std::string& KeyFieldName,
                                  const std::string& ListFieldNames, int ListFieldIndex, const rtl::TComponent* Owner)
{
    ClearList();
    if (!ListDataSet || !ListDataSet->GetActive() || KeyFieldName.empty()) return false;
    KeyFields = editors::FieldsByNamesToArray(*ListDataSet, Owner, KeyFieldName);
    ListFields = editors::FieldsByNamesToArray(*ListDataSet, Owner, ListFieldNames);
    if (LookupMode && !DataFields.empty()) {
        db::TField* result = ListDataSet->FindField(DataFields.front()->GetLookupResultField());
        if (result && std::find(ListFields.begin(), ListFields.end(), result) == ListFields.end())
            ListFields.insert(ListFields.begin(), result);
    }
    if (ListFields.empty()) ListFields = KeyFields;
    ListFieldPos = ListFieldIndex >= 0 && ListFieldIndex < static_cast<int>(ListFields.size()) ? ListFieldIndex : 0;
    ListField = ListFields.empty() ? nullptr : ListFields[static_cast<std::size_t>(ListFieldPos)];
    return true;
}

void TLookupFieldsEx::ClearList()
{
    KeyFields.clear();
    ListFields.clear();
    ListField = nullptr;
    ListFieldPos = 0;
}

namespace {

rtl::Variant ValuesOf(const std::vector<db::TField*>& fields)
{
    if (fields.size() == 1) return fields.front()->GetValue();
    std::vector<rtl::Variant> values;
    values.reserve(fields.size());
    for (const db::TField* field : fields) values.push_back(field->GetValue());
    return rtl::VarArrayOf(values);
}

std::string FieldNamesOf(const std::vector<db::TField*>& fields)
{
    std::string names;
    for (const db::TField* field : fields) {
        if (!names.empty()) names += ';';
        names += field->GetFieldName();
    }
    return names;
}

// A cell of a ';'-joined special row text, quoted when it would not come back whole.
std::string CellsTextItem(const std::string& text)
{
    const bool plain = text.find_first_of(";\"") == std::string::npos
                       && std::none_of(text.begin(), text.end(), [](char c) { return c > 0 && c < 32; });
    if (plain) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

rtl::Variant TLookupFieldsEx::ListKeyValue() const
{
    if (KeyFields.empty()) return rtl::Null();
    return ValuesOf(KeyFields);
}

bool TLookupFieldsEx::KeyValueFits(const rtl::Variant& Value) const
{
    if (KeyFields.empty()) return false;
    if (!Value.IsArray()) return KeyFields.size() == 1;
    return rtl::VarArrayHighBound(Value, 1) - rtl::VarArrayLowBound(Value, 1) + 1
           == static_cast<int>(KeyFields.size());
}

rtl::Variant TLookupFieldsEx::DataKeyValue() const
{
    if (KeyDataFields.empty()) return rtl::Null();
    return ValuesOf(KeyDataFields);
}

bool TLookupFieldsEx::KeyDataFieldsModifiable() const
{
    return std::all_of(KeyDataFields.begin(), KeyDataFields.end(), [](const db::TField* f) { return f->CanModify(); });
}

std::string TLookupFieldsEx::KeyDataFieldNames() const
{
    return FieldNamesOf(KeyDataFields);
}

std::string TLookupFieldsEx::ListFieldNames() const
{
    return FieldNamesOf(ListFields);
}

bool TLookupFieldsEx::ListFieldSearchable() const
{
    if (!ListField) return false;
    const db::TFieldType type = ListField->DataType();
    const db::TFieldKind kind = ListField->GetFieldKind();
    return (kind == db::fkData || kind == db::fkInternalCalc)
           && (type == db::ftString || type == db::ftFixedChar || type == db::ftWideString);
}

void CheckNotCircular(const db::TDataSet* DataSet, const db::TDataSource* ListSource)
{
    // Through the list's master sources; a chain that loops ends at its start.
    for (const db::TDataSource* source = ListSource; DataSet && source;) {
        const db::TDataSet* linked = source->GetDataSet();
        if (!linked) return;
        if (linked == DataSet) db::TDataSet::DatabaseError(db::msg::CircularDataLink);
        source = linked->GetMasterSource();
        if (source == ListSource) return;
    }
}

void CheckNotLookupMode(bool LookupMode)
{
    if (LookupMode) db::TDataSet::DatabaseError(msg::PropDefByLookup);
}

bool LocateListKey(db::TDataSet& List, const std::string& KeyFieldName, const rtl::Variant& Key)
{
    try {
        return List.Locate(KeyFieldName, Key, 0);
    } catch (const rtl::EConvertError&) {
        return false;
    }
}

// ---- the key's data link

void TLookupGridDataLinkEx::ActiveChanged()
{
    grid_.DataLinkActiveChanged();
}

void TLookupGridDataLinkEx::LayoutChanged()
{
    grid_.DataLinkActiveChanged();
}

void TLookupGridDataLinkEx::RecordChanged(db::TField*)
{
    grid_.dataValueChanged();
}

void TLookupGridDataLinkEx::FocusControl(db::TField*& field)
{
    const std::vector<db::TField*>& dataFields = grid_.LookupFields().DataFields;
    if (!field || dataFields.empty() || field != dataFields.front() || !grid_.CanFocus()) return;
    field = nullptr;
    grid_.SetFocus();
}

// ---- the special row's cells of a column

TGridColumnSpecCellEx::TGridColumnSpecCellEx(TColumnEx& column) : column_(column)
{
    font_.OnChange = {this, &TGridColumnSpecCellEx::fontChanged};
}

editors::TSpecRowEx* TGridColumnSpecCellEx::specRow() const
{
    auto* grid = dynamic_cast<TDBLookupGridEx*>(column_.Grid());
    return grid ? &grid->SpecRow() : nullptr;
}

void TGridColumnSpecCellEx::Assign(const rtl::TPersistent* source)
{
    const auto* other = dynamic_cast<const TGridColumnSpecCellEx*>(source);
    if (!other) {
        rtl::TPersistent::Assign(source);
        return;
    }
    if (other->colorAssigned_) SetColor(other->color_);
    if (other->fontAssigned_) SetFont(other->font_);
    if (other->textAssigned_) SetText(other->text_);
}

ui::TColor TGridColumnSpecCellEx::GetColor() const
{
    if (colorAssigned_) return color_;
    const editors::TSpecRowEx* row = specRow();
    return row ? row->GetColor() : color_;
}

void TGridColumnSpecCellEx::SetColor(ui::TColor value)
{
    if (colorAssigned_ && color_ == value) return;
    color_ = value;
    colorAssigned_ = true;
    column_.Changed(false);
}

const ui::TFont& TGridColumnSpecCellEx::GetFont() const
{
    if (!fontAssigned_)
        if (editors::TSpecRowEx* row = specRow()) {
            const rtl::TFlagScope copying(copyingFont_);
            font_.Assign(row->GetFont());
        }
    return font_;
}

ui::TFont& TGridColumnSpecCellEx::GetFont()
{
    return const_cast<ui::TFont&>(static_cast<const TGridColumnSpecCellEx*>(this)->GetFont());
}

void TGridColumnSpecCellEx::SetFont(const ui::TFont& value)
{
    font_.Assign(value);
}

void TGridColumnSpecCellEx::fontChanged(rtl::TObject*)
{
    if (copyingFont_) return;
    fontAssigned_ = true;
    column_.Changed(false);
}

std::string TGridColumnSpecCellEx::GetText() const
{
    if (textAssigned_) return text_;
    const editors::TSpecRowEx* row = specRow();
    return row ? row->CellText(column_.GetIndex()) : text_;
}

void TGridColumnSpecCellEx::SetText(const std::string& value)
{
    if (textAssigned_ && text_ == value) return;
    text_ = value;
    textAssigned_ = true;
    column_.Changed(false);
}

// ---- the lookup grid's columns

TDBLookupGridColumnEx::TDBLookupGridColumnEx(rtl::TCollection* collection)
    : TColumnEx(collection), specCell_(std::make_unique<TGridColumnSpecCellEx>(*this))
{
}

TDBLookupGridColumnEx::~TDBLookupGridColumnEx() = default;

void TDBLookupGridColumnEx::Assign(const rtl::TPersistent* source)
{
    TColumnEx::Assign(source);
    if (const auto* other = dynamic_cast<const TDBLookupGridColumnEx*>(source)) SetSpecCell(other->SpecCell());
}

void TDBLookupGridColumnEx::SetIndex(int value)
{
    auto* grid = dynamic_cast<TDBLookupGridEx*>(Grid());
    const int from = GetIndex();
    if (!grid || value == from || value < 0 || value >= GetCollection()->GetCount()) {
        TColumnEx::SetIndex(value);
        return;
    }
    // The list's fields keep their places: the columns show them in another order.
    rtl::TCollectionItem::SetIndex(value);
    grid->columnMoved(from, value);
}

// ---- the lookup grid

namespace {

TDBGridExClasses LookupGridClasses()
{
    TDBGridExClasses classes;
    classes.ColumnClass = rtl::TCollection::ItemClass<TDBLookupGridColumnEx>();
    classes.ColumnDefValuesClass = [](TCustomDBGridEx& grid) -> std::unique_ptr<TColumnDefValuesEx> {
        return std::make_unique<TDBLookupGridColumnDefValuesEx>(grid);
    };
    return classes;
}

} // namespace

TDBLookupGridEx::TDBLookupGridEx(ui::TControl* parent) : TCustomDBGridEx(parent, LookupGridClasses())
{
    SetParentColor(false);
    dataLink_ = std::make_unique<TLookupGridDataLinkEx>(*this);
    specRow_ = std::make_unique<editors::TSpecRowEx>(this);
    specRow_->OnChange = {this, &TDBLookupGridEx::SpecRowChanged};
    TCustomDBGridEx::SetOptions({dgColLines, dgRowSelect});
    TCustomDBGridEx::SetOptionsEx(TCustomDBGridEx::GetOptionsEx() | TDBGridExOptions{dghTraceColSizing});
    SetFlat(true);
    SetDrawMemoText(true);
    SetTabStop(false);
    SetAutoFitColWidths(false);
    SetVTitleMargin(5);
    // Sized to whole rows from the start.
    SetBounds(Left(), Top(), Width(), Height());
}

TDBLookupGridEx::~TDBLookupGridEx()
{
    Destroying();
    stopTracking();
    specRow_->OnChange = nullptr;
    dataLink_.reset();
}

db::TDataSet* TDBLookupGridEx::ListDataSet() const
{
    return DataLink().DataSet();
}

void TDBLookupGridEx::SetDataSource(db::TDataSource* value)
{
    if (value == GetDataSource()) return;
    if (value) CheckNotCircular(value->GetDataSet(), TCustomDBGridEx::GetDataSource());
    dataLink_->SetDataSource(value);
    if (value) FreeNotification(value);
}

void TDBLookupGridEx::SetDataField(const std::string& value)
{
    if (value == dataFieldName_) return;
    dataFieldName_ = value;
    DataLinkActiveChanged();
}

void TDBLookupGridEx::SetListSource(db::TDataSource* value)
{
    CheckNotLookupMode(fields_.LookupMode);
    if (value == listSource_) return;
    if (value) CheckNotCircular(dataLink_->DataSet(), value);
    listSource_ = value;
    if (value) FreeNotification(value);
    applyListSource();
}

void TDBLookupGridEx::applyListSource()
{
    db::TDataSource* source = fields_.LookupMode ? &lookupSource_ : listSource_;
    if (source == TCustomDBGridEx::GetDataSource()) {
        ListLinkActiveChanged();
        return;
    }
    TCustomDBGridEx::SetDataSource(source);
}

void TDBLookupGridEx::SetKeyField(const std::string& value)
{
    CheckNotLookupMode(fields_.LookupMode);
    if (value == keyFieldName_) return;
    keyFieldName_ = value;
    ListLinkActiveChanged();
}

void TDBLookupGridEx::SetListField(const std::string& value)
{
    CheckNotLookupMode(fields_.LookupMode);
    if (value == listFieldNames_) return;
    listFieldNames_ = value;
    ListLinkActiveChanged();
}

void TDBLookupGridEx::SetListFieldIndex(int value)
{
    if (value == listFieldIndex_) return;
    listFieldIndex_ = value;
    ListLinkActiveChanged();
}

void TDBLookupGridEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    TCustomDBGridEx::Notification(component, operation);
    if (operation != rtl::opRemove || HasState(rtl::csDestroying)) return;
    if (dataLink_ && component == GetDataSource()) SetDataSource(nullptr);
    if (component == listSource_) {
        listSource_ = nullptr;
        if (!fields_.LookupMode) TCustomDBGridEx::SetDataSource(nullptr);
    }
}

void TDBLookupGridEx::DataLinkActiveChanged()
{
    if (HasState(rtl::csDestroying)) return;
    db::TDataSet* dataSet = dataLink_->Active() ? dataLink_->DataSet() : nullptr;
    const bool wasLookup = fields_.LookupMode;
    if (dataSet) CheckNotCircular(dataSet, TCustomDBGridEx::GetDataSource());
    fields_.ResolveData(dataSet, dataFieldName_, this, lookupSource_, keyFieldName_);
    if (fields_.LookupMode || wasLookup) applyListSource();
    dataValueChanged();
}

void TDBLookupGridEx::ListLinkActiveChanged()
{
    if (HasState(rtl::csDestroying)) return;
    db::TDataSet* list = DataLink().Active() ? ListDataSet() : nullptr;
    listActive_ = fields_.ResolveList(list, keyFieldName_, listFieldNames_, listFieldIndex_, this);
    LayoutChanged();
    if (listActive_) UpdateDisplay();
    else UpdateScrollInfo();
}

void TDBLookupGridEx::LinkActive(bool Value)
{
    ListLinkActiveChanged();
    TCustomDBGridEx::LinkActive(Value);
    UpdateScrollInfo();
}

void TDBLookupGridEx::DefineFieldMap()
{
    if (Columns().Customized()) {
        TCustomDBGridEx::DefineFieldMap();
        return;
    }
    for (const db::TField* field : fields_.ListFields) DataLink().AddMapping(field->GetFieldName());
}

// ---- the key value

void TDBLookupGridEx::dataValueChanged()
{
    setKeyValueQuiet(fields_.KeyDataFields.empty() ? rtl::Null() : fields_.DataKeyValue());
}

void TDBLookupGridEx::setKeyValueQuiet(const rtl::Variant& value)
{
    if (editors::VarEquals(value, keyValue_)) return;
    keyValue_ = value;
    UpdateDisplay();
}

void TDBLookupGridEx::SetKeyValue(const rtl::Variant& value)
{
    setKeyValueQuiet(value);
}

bool TDBLookupGridEx::CanModify() const
{
    if (!listActive_ || dataLink_->GetReadOnly()) return false;
    if (!dataLink_->GetDataSource()) return true;
    return dataLink_->Active() && !fields_.KeyDataFields.empty() && fields_.KeyDataFieldsModifiable();
}

bool TDBLookupGridEx::LocateKey()
{
    db::TDataSet* list = ListDataSet();
    if (rtl::VarIsClear(keyValue_) || !list || !list->GetActive() || !KeyValueCompatible()) return false;
    return LocateListKey(*list, keyFieldName_, keyValue_);
}

void TDBLookupGridEx::UpdateDisplay()
{
    specRowSelected_ = specRow_->ValueMatches(keyValue_);
    const bool moving = listActive_ && !inKeyChange_;
    bool located = false;
    if (moving) located = LocateKey();
    else if (listActive_) located = editors::VarEquals(fields_.ListKeyValue(), keyValue_);
    const bool selectedByValue = specRowSelected_;
    if (!specRowSelected_ && !located && specRow_->GetVisible() && specRow_->GetShowIfNotInKeyList())
        specRowSelected_ = true;
    if (moving && !located && !selectedByValue) ListDataSet()->First();
    // A key that is in no record names none: the first record the list shows is not it.
    if (specRowSelected_) text_ = specRow_->CellText(fields_.ListFieldPos);
    else if (located && fields_.ListField) text_ = fields_.ListField->DisplayText();
    else text_.clear();
    UpdateScrollInfo();
    Invalidate();
    DisplayChanged();
}

void TDBLookupGridEx::SelectKeyValue(const rtl::Variant& Value)
{
    if (fields_.KeyDataFields.empty()) {
        SetKeyValue(Value);
    } else if (dataLink_->Edit()) {
        editors::AssignFieldsValue(*dataLink_->DataSet(), fields_.KeyDataFieldNames(), Value);
    }
    UpdateScrollInfo();
    Invalidate();
    Click();
}

rtl::Variant TDBLookupGridEx::RowKey(int Row)
{
    TGridDataLinkEx& link = DataLink();
    const int saved = link.GetActiveRecord();
    link.SetActiveRecord(Row);
    rtl::Variant key = fields_.ListKeyValue();
    link.SetActiveRecord(saved);
    return key;
}

// ---- look

void TDBLookupGridEx::SetOptions(TDBLookupGridExOptions value)
{
    if (value == lookupOptions_) return;
    lookupOptions_ = value;
    applyOptions();
}

void TDBLookupGridEx::applyOptions()
{
    // Each lookup option sets or clears one of the grid's.
    auto follow = [this](auto& set, TDBLookupGridExOption from, auto to) {
        if (lookupOptions_.Contains(from)) set.Include(to);
        else set.Exclude(to);
    };
    TDBGridOptions options = TCustomDBGridEx::GetOptions();
    follow(options, dlgColumnResizeEx, dgColumnResize);
    follow(options, dlgColLinesEx, dgColLines);
    follow(options, dlgRowLinesEx, dgRowLines);
    TDBGridExOptions optionsEx = TCustomDBGridEx::GetOptionsEx();
    follow(optionsEx, dlgAutoSortMarkingEx, dghAutoSortMarking);
    follow(optionsEx, dlgMultiSortMarkingEx, dghMultiSortMarking);
    TCustomDBGridEx::SetOptions(options);
    TCustomDBGridEx::SetOptionsEx(optionsEx);
}

bool TDBLookupGridEx::GetShowTitles() const
{
    return TCustomDBGridEx::GetOptions().Contains(dgTitles);
}

void TDBLookupGridEx::SetShowTitles(bool value)
{
    TDBGridOptions options = TCustomDBGridEx::GetOptions();
    if (value) options.Include(dgTitles);
    else options.Exclude(dgTitles);
    // The layout gives the grid the height of the same rows.
    TCustomDBGridEx::SetOptions(options);
}

void TDBLookupGridEx::SpecRowChanged(rtl::TObject*)
{
    if (IsLoading()) return;
    const bool shown = SpecRowGridRow() >= 0;
    if (shown != specRow_->GetVisible()) LayoutChanged();
    UpdateDisplay();
}

int TDBLookupGridEx::SubTitleRowCount() const
{
    return TCustomDBGridEx::SubTitleRowCount() + (specRow_ && specRow_->GetVisible() ? 1 : 0);
}

int TDBLookupGridEx::SpecRowGridRow() const
{
    if (!specRow_->GetVisible() || TitleOffset() <= TitleRowCount()) return -1;
    return TitleOffset() - 1;
}

// ---- sizes

int TDBLookupGridEx::lineWidth() const
{
    return TCustomDBGridEx::GetOptions().Contains(dgRowLines) ? GridLineWidth() : 0;
}

int TDBLookupGridEx::BorderHeight() const
{
    return Height() - ClientHeight();
}

int TDBLookupGridEx::DataRowHeight() const
{
    return DefaultRowHeight() + lineWidth();
}

int TDBLookupGridEx::SpecRowHeight() const
{
    return specRow_->GetVisible() ? DataRowHeight() : 0;
}

int TDBLookupGridEx::titleSpan() const
{
    return GetShowTitles() && ui::TCustomGrid::RowCount() > 0 ? RowHeights(0) + lineWidth() : 0;
}

int TDBLookupGridEx::HeightForRows(int Rows) const
{
    return titleSpan() + Rows * DataRowHeight() + BorderHeight() + SpecRowHeight();
}

int TDBLookupGridEx::WidthForColumns() const
{
    const int line = TCustomDBGridEx::GetOptions().Contains(dgColLines) ? GridLineWidth() : 0;
    int columns = 0;
    for (int i = 0; i < Columns().Count(); ++i)
        if (Columns().Items(i)->GetVisible()) columns += Columns().Items(i)->GetWidth() + line;
    return columns + Width() - ClientWidth();
}

void TDBLookupGridEx::SetRowCount(int value)
{
    rowCount_ = std::clamp(value, 1, 100);
    snapHeight();
}

void TDBLookupGridEx::snapHeight()
{
    const int height = HeightForRows(rowCount_);
    if (height == Height() || sizing_) return;
    const rtl::TFlagScope sizing(sizing_);
    TCustomDBGridEx::SetBounds(Left(), Top(), Width(), height);
}

void TDBLookupGridEx::SetBounds(int left, int top, int width, int height)
{
    if (!sizing_ && DataRowHeight() > 0) {
        const int room = height - BorderHeight() - titleSpan() - SpecRowHeight();
        rowCount_ = std::max(1, room / DataRowHeight());
        height = HeightForRows(rowCount_);
    }
    TCustomDBGridEx::SetBounds(left, top, width, height);
}

void TDBLookupGridEx::RecalcDataRows()
{
    // A new layout may have changed the row heights: the rows stay, the height follows.
    snapHeight();
    TCustomDBGridEx::RecalcDataRows();
}

// ---- drawing

void TDBLookupGridEx::DrawCell(int ACol, int ARow, const ui::TRect& ARect, ui::TGridDrawState AState)
{
    if (ARow != SpecRowGridRow() || ACol < IndicatorOffset()) {
        TCustomDBGridEx::DrawCell(ACol, ARow, ARect, AState);
        return;
    }
    drawSpecRowCell(ACol, ARect);
}

void TDBLookupGridEx::drawSpecRowCell(int ACol, const ui::TRect& rect)
{
    ui::TCanvas& canvas = Canvas();
    const int dataCol = RawToDataColumn(ACol);
    auto* column = dataCol < Columns().Count() ? dynamic_cast<TDBLookupGridColumnEx*>(Columns().Items(dataCol))
                                               : nullptr;
    if (!column) {
        canvas.Brush().SetColor(specRow_->GetColor());
        canvas.FillRect(rect);
        return;
    }
    const TGridColumnSpecCellEx& cell = column->SpecCell();
    canvas.Font().Assign(cell.GetFont());
    ui::TColor background = cell.GetColor();
    if (specRowSelected_) {
        background = ui::clHighlight;
        canvas.Font().SetColor(ui::clHighlightText);
    }
    canvas.Brush().SetColor(background);
    canvas.FillRect(rect);
    WriteCellText(rect, 2, GetFlat() ? 1 : 2, cell.GetText(), column->GetAlignment(), ui::tlTop, false,
                  column->GetEndEllipsis());
}

bool TDBLookupGridEx::Is3DCell(int ACol, int ARow, ui::TGridDrawState State)
{
    if (ARow == SpecRowGridRow()) return false;
    return TCustomDBGridEx::Is3DCell(ACol, ARow, State);
}

bool TDBLookupGridEx::GetDataCellHighlight(ui::TFont& AFont, ui::TColor& Background, ui::TGridDrawState& State,
                                           int, int)
{
    // The row of the key, not the current row, is the selected one.
    State &= ~static_cast<ui::TGridDrawState>(ui::gdSelected);
    if (specRowSelected_ || !listActive_ || !editors::VarEquals(fields_.ListKeyValue(), keyValue_)) return false;
    Background = ui::clHighlight;
    AFont.SetColor(ui::clHighlightText);
    return true;
}

void TDBLookupGridEx::Paint()
{
    TCustomDBGridEx::Paint();
    const int row = SpecRowGridRow();
    if (!specRowSelected_ || row < 0 || LayoutLocked()) return;
    const ui::TRect box = BoxRect(FixedCols(), row, ui::TCustomGrid::ColCount() - 1, row);
    if (box.IsEmpty()) return;
    Canvas().Font().SetColor(ui::clWindowText);
    Canvas().Brush().SetColor(ui::clWindow);
    Canvas().DrawFocusRect(box);
}

// ---- columns

void TDBLookupGridEx::columnMoved(int fromIndex, int toIndex)
{
    // The list field stays the same field; the special row's texts move with their cells.
    int listIndex = fields_.ListFieldPos;
    if (listIndex == fromIndex) listIndex = toIndex;
    else if (fromIndex < listIndex && toIndex >= listIndex) --listIndex;
    else if (fromIndex > listIndex && toIndex <= listIndex) ++listIndex;
    std::vector<std::string> cells;
    for (int i = 0; i < std::max(specRow_->CellCount(), Columns().Count()); ++i) cells.push_back(specRow_->CellText(i));
    if (fromIndex < static_cast<int>(cells.size()) && toIndex < static_cast<int>(cells.size())) {
        std::string moved = cells[static_cast<std::size_t>(fromIndex)];
        cells.erase(cells.begin() + fromIndex);
        cells.insert(cells.begin() + toIndex, moved);
    }
    std::string cellsText;
    std::string names;
    for (int i = 0; i < Columns().Count(); ++i) {
        if (i > 0) {
            cellsText += ';';
            names += ';';
        }
        cellsText += CellsTextItem(i < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(i)] : "");
        names += Columns().Items(i)->GetFieldName();
    }
    listFieldIndex_ = listIndex;
    listFieldNames_ = names;
    specRow_->SetCellsText(cellsText);
    ListLinkActiveChanged();
}

} // namespace grid
