// The lookup combo box: binding and fields, key value and text, searching the list,
// keys, mouse, writing the key, and its drop-down grid.
#include "controls/grid/DBLookupEx.h"

#include <algorithm>

#include <QLineEdit>

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/editors/ItemSearch.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Popup.h"

namespace grid {

// ---- links

TDataSourceLinkEx::TDataSourceLinkEx(TCustomDBLookupComboboxEx& combo) : editors::TFieldDataLinkEx(&combo), combo_(combo)
{
}

void TDataSourceLinkEx::LayoutChanged()
{
    editors::TFieldDataLinkEx::LayoutChanged();
    combo_.DataLinkActiveChanged();
}

void TDataSourceLinkEx::RecordChanged(db::TField* field)
{
    // The key data fields of a lookup field are the editor's data too.
    editors::TFieldDataLinkEx::RecordChanged(field && combo_.isKeyDataField(field) ? nullptr : field);
}

TListSourceLinkEx::TListSourceLinkEx(TCustomDBLookupComboboxEx& combo) : combo_(combo)
{
    SetReadOnly(true);
}

void TListSourceLinkEx::ActiveChanged()
{
    combo_.ListLinkActiveChanged();
}

void TListSourceLinkEx::LayoutChanged()
{
    combo_.ListLinkActiveChanged();
}

TLookupComboboxDropDownBoxEx::TLookupComboboxDropDownBoxEx(TCustomDBLookupComboboxEx& combo)
    : TColumnDropDownBoxEx(&combo)
{
    SetRows(7);
}

// ---- construction and binding

TCustomDBLookupComboboxEx::TCustomDBLookupComboboxEx(ui::TControl* parent) : editors::TCustomDBEditEx(parent)
{
    listLink_ = std::make_unique<TListSourceLinkEx>(*this);
    dropDownBox_ = std::make_unique<TLookupComboboxDropDownBoxEx>(*this);
    dropDownBox_->SpecRow().OnChange = {this, &TCustomDBLookupComboboxEx::SpecRowChanged};
    grid_ = new TPopupDataGridEx(this);
    grid_->Hide();
    grid_->SetCtl3D(true);
    grid_->OnCloseUp = {this, &TCustomDBLookupComboboxEx::gridCloseUp};
    CreateParts();
    UpdateReadOnlyState();
}

TCustomDBLookupComboboxEx::~TCustomDBLookupComboboxEx()
{
    Destroying();
    dropDownBox_->SpecRow().OnChange = nullptr;
    grid_->OnCloseUp = nullptr;
    grid_->OnColumnMoved = nullptr;
    listLink_.reset();
}

editors::TFieldDataLinkEx* TCustomDBLookupComboboxEx::CreateDataLink()
{
    return new TDataSourceLinkEx(*this);
}

editors::TEditButtonEx* TCustomDBLookupComboboxEx::CreateEditButton()
{
    return new editors::TVisibleEditButtonEx(this);
}

void TCustomDBLookupComboboxEx::updatePlainMode()
{
    plainMode_ = !DataLink()->GetDataSource() && dataFieldName_.empty() && !listSource_ && listFieldNames_.empty()
                 && keyFieldName_.empty();
    updateLook();
}

void TCustomDBLookupComboboxEx::updateLook()
{
    // A list's text is only picked: no I-beam over it.
    const bool picked = !plainMode_ && style_ == csDropDownListEx;
    EditWindow()->setCursor(picked ? Qt::ArrowCursor : Qt::IBeamCursor);
    UpdateReadOnlyState();
}

void TCustomDBLookupComboboxEx::SetDataSource(db::TDataSource* Value)
{
    if (Value == GetDataSource()) return;
    if (Value) CheckNotCircular(Value->GetDataSet(), listLink_->GetDataSource());
    editors::TCustomDBEditEx::SetDataSource(Value);
    updatePlainMode();
    DataLinkActiveChanged();
}

void TCustomDBLookupComboboxEx::SetDataField(const std::string& Value)
{
    if (Value == dataFieldName_) return;
    dataFieldName_ = Value;
    DataLink()->SetMultiFields(Value.find(';') != std::string::npos);
    editors::TCustomDBEditEx::SetDataField(Value);
    updatePlainMode();
    DataLinkActiveChanged();
}

void TCustomDBLookupComboboxEx::SetListSource(db::TDataSource* Value)
{
    CheckNotLookupMode(fields_.LookupMode);
    if (Value == listSource_) return;
    if (Value) CheckNotCircular(DataLink()->DataSet(), Value);
    listSource_ = Value;
    if (Value) FreeNotification(Value);
    updatePlainMode();
    if (listLink_->GetDataSource() == Value) ListLinkActiveChanged();
    else listLink_->SetDataSource(Value);
}

void TCustomDBLookupComboboxEx::SetKeyField(const std::string& Value)
{
    CheckNotLookupMode(fields_.LookupMode);
    if (Value == keyFieldName_) return;
    keyFieldName_ = Value;
    updatePlainMode();
    ListLinkActiveChanged();
}

void TCustomDBLookupComboboxEx::SetListField(const std::string& Value)
{
    CheckNotLookupMode(fields_.LookupMode);
    if (Value == listFieldNames_) return;
    listFieldNames_ = Value;
    updatePlainMode();
    ListLinkActiveChanged();
}

void TCustomDBLookupComboboxEx::SetListFieldIndex(int Value)
{
    if (Value == listFieldIndex_) return;
    listFieldIndex_ = Value;
    ListLinkActiveChanged();
}

void TCustomDBLookupComboboxEx::SetStyle(TDBLookupComboboxExStyle Value)
{
    if (Value == style_) return;
    style_ = Value;
    updateLook();
}

void TCustomDBLookupComboboxEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    editors::TCustomDBEditEx::Notification(component, operation);
    if (operation != rtl::opRemove || HasState(rtl::csDestroying) || !listLink_) return;
    if (component == listSource_) {
        listSource_ = nullptr;
        if (!fields_.LookupMode) listLink_->SetDataSource(nullptr);
        updatePlainMode();
    }
    if (dropDownBox_ && component == dropDownBox_->GetListSource()) {
        dropDownBox_->SetListSource(nullptr);
        DataLink()->Reset();
    }
}

void TCustomDBLookupComboboxEx::DataLinkActiveChanged()
{
    if (inDataLinkChange_ || HasState(rtl::csDestroying) || !listLink_) return;
    const rtl::TFlagScope changing(inDataLinkChange_);
    db::TDataSet* dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    const bool wasLookup = fields_.LookupMode;
    if (dataSet) CheckNotCircular(dataSet, listLink_->GetDataSource());
    fields_.ResolveData(dataSet, dataFieldName_, this, lookupSource_, keyFieldName_);
    if (fields_.LookupMode || wasLookup) {
        db::TDataSource* source = fields_.LookupMode ? &lookupSource_ : listSource_;
        if (listLink_->GetDataSource() == source) ListLinkActiveChanged();
        else listLink_->SetDataSource(source);
    }
    UpdateEditButtonControls();
    DataChanged();
}

void TCustomDBLookupComboboxEx::ListLinkActiveChanged()
{
    if (HasState(rtl::csDestroying) || !listLink_) return;
    db::TDataSet* list = listLink_->Active() ? listLink_->DataSet() : nullptr;
    listActive_ = fields_.ResolveList(list, keyFieldName_, listFieldNames_, listFieldIndex_, this);
    UpdateEditButtonControls();
    if (!plainMode_) DataChanged();
}

void TCustomDBLookupComboboxEx::UpdateControlState()
{
    editors::TCustomDBEditEx::UpdateControlState();
    DataLinkActiveChanged();
}

bool TCustomDBLookupComboboxEx::isKeyDataField(const db::TField* field) const
{
    return std::find(fields_.KeyDataFields.begin(), fields_.KeyDataFields.end(), field)
           != fields_.KeyDataFields.end();
}

// ---- value and text

bool TCustomDBLookupComboboxEx::CanModify(bool Edit)
{
    if ((!plainMode_ && !listActive_) || ReadOnly()) return false;
    if (!DataLink()->GetDataSource()) return true;
    if (fields_.KeyDataFields.empty() || !fields_.KeyDataFieldsModifiable()) return false;
    return !Edit || editData();
}

bool TCustomDBLookupComboboxEx::editData()
{
    if (!fields_.LookupMode) return DataLink()->Edit();
    // The link's field is the lookup field, which takes no value: the key data fields do.
    db::TDataSource* source = DataLink()->GetDataSource();
    if (DataLink()->GetReadOnly() || !source || !fields_.KeyDataFieldsModifiable()) return false;
    source->Edit();
    const db::TDataSet* dataSet = source->GetDataSet();
    return dataSet && db::IsEditState(dataSet->State());
}

bool TCustomDBLookupComboboxEx::EditCanModify()
{
    return plainMode_ ? editors::TCustomDBEditEx::EditCanModify() : editData();
}

bool TCustomDBLookupComboboxEx::LocateKey()
{
    db::TDataSet* list = listLink_->DataSet();
    if (!listActive_ || rtl::VarIsClear(keyValue_) || !list || !KeyValueCompatible()) return false;
    return LocateListKey(*list, keyFieldName_, keyValue_);
}

void TCustomDBLookupComboboxEx::showText(const std::string& text)
{
    editors::TCustomDBEditEx::SetEditText(text);
}

void TCustomDBLookupComboboxEx::showKeyText()
{
    if (!listActive_) return;
    const editors::TSpecRowEx& specRow = dropDownBox_->SpecRow();
    const bool located = LocateKey();
    const bool specMatches = specRow.ValueMatches(keyValue_);
    if (located && !specMatches) showText(fields_.ListField->DisplayText());
    else if (specRow.GetVisible() && (specMatches || (specRow.GetShowIfNotInKeyList() && !located)))
        showText(specRow.CellText(fields_.ListFieldPos));
    else showText(std::string());
}

void TCustomDBLookupComboboxEx::setKeyValue(const rtl::Variant& value)
{
    if (editors::VarEquals(value, keyValue_)) return;
    keyValue_ = value;
    KeyValueChanged();
}

void TCustomDBLookupComboboxEx::SetKeyValue(const rtl::Variant& Value)
{
    setKeyValue(Value);
}

void TCustomDBLookupComboboxEx::KeyValueChanged()
{
    DataLink()->Modified();
    SetModified(true);
    if (!plainMode_) {
        if (listActive_ && LocateKey() && !dropDownBox_->SpecRow().ValueMatches(keyValue_))
            showText(fields_.ListField->DisplayText());
        if (listVisible_) grid_->SetKeyValue(keyValue_);
        if (style_ == csDropDownListEx && Showing()) SelectAllText();
    }
    if (OnKeyValueChanged) OnKeyValueChanged(this);
}

rtl::Variant TCustomDBLookupComboboxEx::GetVariantValue() const
{
    if (plainMode_) return editors::TCustomDBEditEx::GetVariantValue();
    const auto* link = static_cast<const TDataSourceLinkEx*>(DataLink());
    // Free text is the value itself.
    if (DataIndependent() && link->FreeText()) return link->GetKeptValue();
    return keyValue_;
}

void TCustomDBLookupComboboxEx::InternalSetValue(const rtl::Variant& Value)
{
    if (plainMode_) {
        editors::TCustomDBEditEx::InternalSetValue(Value);
        return;
    }
    setKeyValue(Value);
}

void TCustomDBLookupComboboxEx::SetEditText(const std::string& Text)
{
    if (plainMode_ || style_ == csDropDownEx) editors::TCustomDBEditEx::SetEditText(Text);
    if (!plainMode_) LocateText(Text, false);
}

void TCustomDBLookupComboboxEx::DataChanged()
{
    if (plainMode_) {
        editors::TCustomDBEditEx::DataChanged();
        return;
    }
    auto* link = static_cast<TDataSourceLinkEx*>(DataLink());
    if (DataIndependent() && link->FreeText()) {
        const std::string text = rtl::VarToStr(link->GetKeptValue());
        showText(text);
        LocateText(text, false);
        SetModified(false);
        DataLink()->SetModified(false);
        return;
    }
    rtl::Variant key = rtl::Null();
    if (DataLink()->Active() && !fields_.KeyDataFields.empty()) key = fields_.DataKeyValue();
    else if (DataIndependent()) key = link->GetKeptValue();
    setKeyValue(key);
    showKeyText();
    UpdateReadOnlyState();
    SetModified(false);
    DataLink()->SetModified(false);
}

void TCustomDBLookupComboboxEx::UpdateReadOnlyState()
{
    editors::TCustomDBEditEx::UpdateReadOnlyState();
    // A list's text is only ever picked.
    if (!plainMode_ && style_ == csDropDownListEx) {
        SetEditReadOnly(true);
    } else if (fields_.LookupMode) {
        const db::TDataSet* dataSet = DataLink()->DataSet();
        SetEditReadOnly(ReadOnly() || !dataSet || !db::IsEditState(dataSet->State())
                        || !fields_.KeyDataFieldsModifiable());
    }
}

bool TCustomDBLookupComboboxEx::ButtonEnabled() const
{
    return editors::TCustomDBEditEx::ButtonEnabled() && (listActive_ || OnButtonClick || OnButtonDown);
}

ui::TAlignment TCustomDBLookupComboboxEx::DefaultAlignment() const
{
    return plainMode_ ? editors::TCustomDBEditEx::DefaultAlignment() : ui::taLeftJustify;
}

bool TCustomDBLookupComboboxEx::IsValidChar(char Key) const
{
    if (listActive_ && fields_.ListField) return fields_.ListField->IsValidChar(Key);
    return editors::TCustomDBEditEx::IsValidChar(Key);
}

// ---- searching

bool TCustomDBLookupComboboxEx::LocateText(const std::string& Text, bool Partial)
{
    if (!listActive_ || !fields_.ListField || !CanModify(true)) return false;
    db::TDataSet* list = listLink_->DataSet();
    db::TLocateOptions options = db::loCaseInsensitive;
    if (Partial) options |= db::loPartialKey;
    if (!list->Locate(fields_.ListField->GetFieldName(), rtl::Variant(Text), options)) {
        if (style_ == csDropDownEx) setKeyValue(rtl::Null());
        return false;
    }
    changedWhileHeld_ = false;
    {
        const rtl::TCountScope holding(holdChange_);
        setKeyValue(fields_.ListKeyValue());
        showText(fields_.ListField->DisplayText());
        editors::SelectCompletedPart(*this, static_cast<int>(Text.size()));
    }
    if (changedWhileHeld_) editors::TCustomDBEditEx::Change();
    return true;
}

void TCustomDBLookupComboboxEx::Change()
{
    if (holdChange_ > 0) {
        changedWhileHeld_ = true;
        return;
    }
    editors::TCustomDBEditEx::Change();
}

bool TCustomDBLookupComboboxEx::ProcessSearchKey(const std::string& Keys)
{
    if (!listActive_ || !fields_.ListFieldSearchable() || !CanModify(true)) return false;
    return editors::SearchTypedKeys(*this, Keys,
                                    [this](const std::string& text, bool partial) { return LocateText(text, partial); });
}

void TCustomDBLookupComboboxEx::SelectKeyValue(const rtl::Variant& Value)
{
    if (fields_.KeyDataFields.empty()) {
        setKeyValue(Value);
        if (!InplaceMode()) UpdateData();
    } else if (editData()) {
        editors::AssignFieldsValue(*DataLink()->DataSet(), fields_.KeyDataFieldNames(), Value);
    }
    if (listActive_ && !LocateKey()) {
        const editors::TSpecRowEx& specRow = dropDownBox_->SpecRow();
        if (!(specRow.ValueMatches(Value) || (specRow.GetVisible() && specRow.GetShowIfNotInKeyList())))
            showText(std::string());
    }
}

// ---- writing

void TCustomDBLookupComboboxEx::UpdateData()
{
    if (!plainMode_ && listActive_ && OnNotInList && fields_.ListField) {
        db::TDataSet* list = listLink_->DataSet();
        const std::string text = Text();
        const std::string field = fields_.ListField->GetFieldName();
        if (!list->Locate(field, rtl::Variant(text), db::loCaseInsensitive)) {
            bool recheck = false;
            OnNotInList(this, text, recheck);
            if (recheck && list->Locate(field, rtl::Variant(text), db::loCaseInsensitive))
                setKeyValue(fields_.ListKeyValue());
        }
    }
    editors::TCustomDBEditEx::UpdateData();
}

void TCustomDBLookupComboboxEx::PostTextToField()
{
    if (plainMode_) {
        editors::TCustomDBEditEx::PostTextToField();
        return;
    }
    auto* link = static_cast<TDataSourceLinkEx*>(DataLink());
    const bool freeText = DataIndependent() && listActive_ && !LocateKey() && !Text().empty() && style_ == csDropDownEx
                          && !dropDownBox_->SpecRow().GetVisible();
    link->SetFreeText(freeText);
    if (freeText) {
        link->SetValue(rtl::Variant(Text()));
        return;
    }
    if (DataIndependent()) {
        link->SetValue(keyValue_);
        return;
    }
    if (fields_.KeyDataFields.empty() || !editData()) return;
    editors::AssignFieldsValue(*DataLink()->DataSet(), fields_.KeyDataFieldNames(), keyValue_);
}

// ---- keys

void TCustomDBLookupComboboxEx::stepKey(bool up)
{
    db::TDataSet* list = listLink_->DataSet();
    if (LocateKey()) list->MoveBy(up ? -1 : 1);
    else list->First();
    SelectKeyValue(fields_.ListKeyValue());
    if (Focused()) SelectAllText();
}

void TCustomDBLookupComboboxEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    if (plainMode_ || !listActive_) {
        editors::TCustomDBEditEx::KeyDown(key, shift);
        return;
    }
    // The Ctrl key itself goes to the grid too.
    const bool gridKey =
        IsDropDownListKey(key, shift) || (key == ui::VK_CONTROL && !IsEditButtonShortCut(key, shift));
    if (listVisible_ && gridKey) {
        // Ctrl+Home and Ctrl+End go to the first and the last record.
        ui::TShiftState gridShift = shift;
        if (key == ui::VK_HOME || key == ui::VK_END) gridShift &= ~static_cast<ui::TShiftState>(ui::ssCtrl);
        grid_->KeyDownFromOwner(key, gridShift);
        key = 0;
        return;
    }
    editors::TCustomDBEditEx::KeyDown(key, shift);
    if (key == 0) return;
    editors::TSpecRowEx& specRow = dropDownBox_->SpecRow();
    if (specRow.GetVisible() && ui::ShortCut(key, shift) == specRow.GetShortCut()) {
        setKeyValue(specRow.GetValue());
        showText(specRow.CellText(fields_.ListFieldPos));
        SelectAllText();
        key = 0;
        return;
    }
    if ((key == ui::VK_UP || key == ui::VK_DOWN) && !listVisible_) {
        if (CanModify(true)) stepKey(key == ui::VK_UP);
        key = 0;
        return;
    }
    if (key == ui::VK_DELETE && style_ == csDropDownEx && (shift & (ui::ssShift | ui::ssAlt | ui::ssCtrl)) == 0
        && !IsMasked()) {
        // Deleted here, so that the free text is located again afterwards.
        key = 0;
        if (SelLength() == 0 && SelStart() >= static_cast<int>(Text().size())) return;
        if (SelLength() == 0) SetSelLength(1);
        InsertTyped("\b");
        return;
    }
    if (key == ui::VK_DELETE && style_ == csDropDownListEx) {
        const bool partial = SelLength() < static_cast<int>(Text().size());
        const bool required = std::any_of(fields_.KeyDataFields.begin(), fields_.KeyDataFields.end(),
                                          [](const db::TField* f) { return f->GetRequired(); });
        if (CanModify(true) && !(partial && required)) {
            SelectKeyValue(rtl::Null());
            showText(std::string());
        }
        key = 0;
    }
}

void TCustomDBLookupComboboxEx::KeyPress(char& key)
{
    if (listVisible_ && (key == '\r' || key == ui::VK_ESCAPE)) {
        const bool accept = key == '\r';
        key = 0;
        CloseUp(accept);
        return;
    }
    editors::TCustomDBEditEx::KeyPress(key);
    if (key == ui::VK_BACK && !plainMode_ && style_ == csDropDownEx && !IsMasked()) {
        // Typed here, so that the free text is located again afterwards.
        key = 0;
        InsertTyped("\b");
        return;
    }
    if (key == 0 || plainMode_ || style_ != csDropDownListEx) return;
    const auto ch = static_cast<unsigned char>(key);
    if (ch != ui::VK_BACK && ch < 32) return;
    if (ch >= 32 && dropDownBox_->GetAutoDrop() && listActive_ && !listVisible_) DropDown();
    ProcessSearchKey(std::string(1, key));
    key = 0;
}

void TCustomDBLookupComboboxEx::InsertTyped(const std::string& text)
{
    const std::string before = Text();
    editors::TCustomDBEditEx::InsertTyped(text);
    if (plainMode_ || style_ != csDropDownEx || text.size() != 1 || Text() == before) return;
    editors::CompleteTypedText(
        *this, text == "\b", [this](const std::string& keys) { return ProcessSearchKey(keys); },
        [this](const std::string& s, bool partial) { return LocateText(s, partial); });
}

void TCustomDBLookupComboboxEx::PasteFromClipboard()
{
    if (plainMode_ || style_ != csDropDownListEx) {
        editors::TCustomDBEditEx::PasteFromClipboard();
        if (!plainMode_) LocateText(Text(), false);
        return;
    }
    // A pasted text searches the list as typed keys do (its first line only).
    std::string text = ui::Clipboard().AsText();
    if (const auto eol = text.find_first_of("\r\n"); eol != std::string::npos) text.resize(eol);
    if (!text.empty()) ProcessSearchKey(text);
}

bool TCustomDBLookupComboboxEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if ((key == ui::VK_RETURN || key == ui::VK_ESCAPE) && listVisible_) return true;
    return editors::TCustomDBEditEx::WantSpecialKey(key, shift);
}

// ---- buttons and mouse

void TCustomDBLookupComboboxEx::EditButtonDefaultAction(bool TopButton)
{
    if (GetEditButton()->GetStyle() != editors::ebsUpDownEx || plainMode_ || !listActive_) {
        editors::TCustomDBEditEx::EditButtonDefaultAction(TopButton);
        return;
    }
    if (CanModify(true)) stepKey(TopButton);
}

void TCustomDBLookupComboboxEx::EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y)
{
    editors::TCustomDBEditEx::EditButtonMouseMove(Sender, Shift, X, Y);
    if (!listVisible_ || !(Shift & ui::ssLeft) || ButtonControlCount() == 0 || Sender != EditButtonControl(0)) return;
    editors::TEditButtonControlEx* button = EditButtonControl(0);
    const ui::TPoint screen = button->ClientToScreen({X, Y});
    if (grid_->ClientRect().Contains(grid_->ScreenToClient(screen))) editors::PassButtonPressTo(button, grid_, screen);
}

void TCustomDBLookupComboboxEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    editors::TCustomDBEditEx::MouseDown(button, shift, x, y);
    // A list's text opens the drop-down on a press and closes it on the next.
    if (plainMode_ || style_ != csDropDownListEx || button != ui::mbLeft || (shift & ui::ssDouble)
        || !GetEditRect().Contains({x, y}))
        return;
    if (listVisible_) {
        CloseUp(false);
        return;
    }
    if (CanFocus() && !Focused()) SetFocus();
    DropDown();
}

bool TCustomDBLookupComboboxEx::DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos)
{
    if (listVisible_ && grid_->MouseWheelFromOwner(shift, wheelDelta, mousePos)) return true;
    return editors::TCustomDBEditEx::DoMouseWheel(shift, wheelDelta, mousePos);
}

void TCustomDBLookupComboboxEx::FocusOut(ui::TControl* next)
{
    if (listVisible_ && next != grid_) CloseUp(false);
    editors::TCustomDBEditEx::FocusOut(next);
}

void TCustomDBLookupComboboxEx::CancelMode(ui::TControl* sender)
{
    editors::TCustomDBEditEx::CancelMode(sender);
    if (!listVisible_ || !sender) return;
    const bool ours = sender == this || isAncestorOf(sender) || sender == grid_ || grid_->isAncestorOf(sender);
    if (!ours) CloseUp(false);
}

// ---- the drop-down

void TCustomDBLookupComboboxEx::SpecRowChanged(rtl::TObject*)
{
    if (!plainMode_ && listActive_ && !listVisible_) DataChanged();
}

int TCustomDBLookupComboboxEx::DefaultDropDownWidth() const
{
    ui::TCanvas measure;
    measure.Font().Assign(Font());
    const int zero = measure.TextWidth("0");
    int width = 0;
    for (const db::TField* field : fields_.ListFields) width += field->GetDisplayWidth() * zero + 4;
    return width;
}

int TCustomDBLookupComboboxEx::dropDownWidth() const
{
    const int wanted = dropDownBox_->GetWidth();
    int width = Width();
    if (wanted > 0) {
        width = wanted;
    } else if (wanted == -1) {
        width = grid_->WidthForColumns();
    }
    return std::max(width, Width());
}

void TCustomDBLookupComboboxEx::DropDown()
{
    if (!listActive_ || listVisible_) return;
    if (CanFocus() && !Focused()) SetFocus();
    if (OnDropDown) OnDropDown(this);
    TPopupDataGridEx& grid = *grid_;
    grid.SetKeyValue(rtl::Null());
    grid.SetColor(Color());
    grid.SetFont(Font());
    grid.SetShowTitles(dropDownBox_->GetShowTitles());
    grid.SetUseMultiTitle(dropDownBox_->GetUseMultiTitle());
    grid.SetReadOnly(!CanModify(false));
    grid.SpecRow().Assign(&dropDownBox_->SpecRow());
    db::TDataSet* list = listLink_->DataSet();
    int rows = dropDownBox_->GetRows();
    if (list->IsSequenced()) {
        const int count = list->RecordCount();
        if (count >= 1 && count < rows) rows = count;
    }
    grid.SetListSource(nullptr);
    grid.SetKeyField(keyFieldName_);
    grid.SetListField(fields_.ListFieldNames());
    grid.SetListFieldIndex(fields_.ListFieldPos);
    grid.SetListSource(listLink_->GetDataSource());
    grid.SetRowCount(rows);
    grid.SetAutoFitColWidths(dropDownBox_->GetAutoFitColWidths());
    grid.SetBounds(grid.Left(), grid.Top(), dropDownWidth(), grid.Height());
    grid.SetKeyValue(keyValue_);
    columnsMoved_ = false;
    grid.OnColumnMoved = {this, &TCustomDBLookupComboboxEx::gridColumnMoved};
    const ui::TPoint at = editors::AlignDropDownWindow(this, &grid, dropDownBox_->GetAlign());
    grid.SetBounds(at.X, at.Y, grid.Width(), grid.Height());
    ui::ShowPopupNoActivate(&grid);
    grid.SizeGrip()->SetGripVisible(dropDownBox_->GetSizable());
    listVisible_ = true;
    SetDroppedDown(true);
    grid.SetResized(false);
    editors::TCustomDBEditEx::DropDown();
}

void TCustomDBLookupComboboxEx::CloseUp(bool Accept)
{
    if (!listVisible_) return;
    TPopupDataGridEx& grid = *grid_;
    if (grid.MouseCapture()) grid.SetMouseCapture(false);
    const rtl::Variant chosen = grid.GetKeyValue();
    grid.Hide();
    listVisible_ = false;
    SetDroppedDown(false);
    if (grid.Resized()) {
        dropDownBox_->SetRows(grid.GetRowCount());
        dropDownBox_->SetWidth(grid.Width());
    }
    grid.OnColumnMoved = nullptr;
    grid.SetAutoFitColWidths(false);
    grid.SetListSource(nullptr);
    // Default columns are made anew from the list fields at every drop-down; the order the
    // user gave columns of the grid's own is the list fields' from now on.
    if (columnsMoved_ && grid.Columns().Customized()) {
        listFieldNames_ = grid.GetListField();
        listFieldIndex_ = std::max(0, grid.GetListFieldIndex());
        dropDownBox_->SpecRow().SetCellsText(grid.SpecRow().GetCellsText());
        ListLinkActiveChanged();
    }
    Invalidate();
    editors::TCustomDBEditEx::CloseUp(Accept);
    if (Accept && CanModify(true)) {
        SelectKeyValue(chosen);
        const editors::TSpecRowEx& specRow = dropDownBox_->SpecRow();
        if (specRow.ValueMatches(keyValue_) || (specRow.GetVisible() && specRow.GetShowIfNotInKeyList() && !LocateKey()))
            showText(specRow.CellText(fields_.ListFieldPos));
        SelectAllText();
    } else if (style_ == csDropDownEx && Showing()) {
        SelectAllText();
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

} // namespace grid
