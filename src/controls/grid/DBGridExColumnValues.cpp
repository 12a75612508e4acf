// What a column shows for the current record and what it writes back: kinds, display
// text, images, check boxes, stepping, and whether a cell may be changed.
#include <cmath>
#include <string>
#include <vector>

#include "controls/editors/ButtonPainting.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

// A check-box key-list line holds ';'-separated keys; the text matches one of them
// without regard to case.
bool MatchesKeyLine(const std::string& line, const std::string& text)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(';', start);
        if (rtl::AnsiSameText(line.substr(start, end - start), text)) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

std::string FirstKey(const std::string& line)
{
    return line.substr(0, line.find(';'));
}

bool IsSteppedNumber(db::TFieldType type)
{
    switch (type) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftBCD:
    case db::ftFMTBcd:
        return true;
    default:
        return false;
    }
}

// The key fields of a lookup field in its own data set; false when one is missing.
bool KeyFieldsOf(const db::TField& lookup, std::vector<db::TField*>& keys)
{
    const db::TDataSet* dataSet = lookup.DataSet();
    if (!dataSet) return false;
    for (const std::string& name : db::SplitFieldNames(lookup.GetKeyFields())) {
        db::TField* key = dataSet->FindField(name);
        if (!key) return false;
        keys.push_back(key);
    }
    return true;
}

bool LookupKeysModifiable(const db::TField& lookup)
{
    std::vector<db::TField*> keys;
    return KeyFieldsOf(lookup, keys) && !keys.empty() && FieldsCanModify(keys);
}

} // namespace

TColumnKindEx TColumnEx::GetColumnKind() const
{
    if (GetCheckboxes()) return ckCheckBox;
    const db::TField* field = Field();
    if (field && field->Lookup()) return ckLookupField;
    if (PickListCount() > 0 && KeyListCount() == 0) return ckPickList;
    if (imageList_ && !showImageAndText_) return ckImageList;
    if (KeyListCount() > 0 && PickListCount() > 0) return ckKeyPickList;
    return ckText;
}

TColumnEditStyleEx TColumnEx::GetColumnEditStyle() const
{
    switch (buttonStyle_) {
    case cbsEllipsis: return cesEllipsisEx;
    case cbsNone: return cesNoneEx;
    case cbsUpDown: return cesUpDownEx;
    case cbsDropDown: return cesDropDownEx;
    case cbsAuto: break;
    }
    const db::TField* field = Field();
    if (!field) return cesNoneEx;
    if (!field->Lookup()) {
        if (GetReadOnly()) return cesNoneEx;
        if (PickListCount() > 0) return cesPickListEx;
        const db::TFieldType type = field->DataType();
        if (type == db::ftDate || type == db::ftDateTime || type == db::ftTimeStamp) return cesDateEx;
        return cesNoneEx;
    }
    TCustomDBGridEx* grid = Grid();
    const bool keysModifiable = LookupKeysModifiable(*field) || (grid && grid->IsDesigning());
    const bool readOnlySet = assigned(cvReadOnly) && readOnly_;
    const bool gridEditable = grid && !grid->GetReadOnly() && grid->DataLink().Active()
                              && !grid->DataLink().GetReadOnly();
    return keysModifiable && !readOnlySet && gridEditable ? cesDataListEx : cesNoneEx;
}

int TColumnEx::LookupResultIndex() const
{
    const db::TField* field = Field();
    if (!field) return 0;
    const std::vector<std::string> names = db::SplitFieldNames(GetLookupDisplayFields());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (rtl::AnsiSameText(names[i], field->GetLookupResultField())) return static_cast<int>(i);
    return 0;
}

std::string TColumnEx::DisplayText() const
{
    const db::TField* field = Field();
    if (!field) return {};
    const TColumnKindEx kind = GetColumnKind();
    if (kind == ckImageList) return {};
    if (KeyListCount() > 0) {
        const int index = KeyListIndexOf(*keyList_, field->GetText());
        if (index >= 0 && index < PickListCount()) return (*pickList_)[index];
        if (notInKeyListIndex_ >= 0 && notInKeyListIndex_ < PickListCount()) return (*pickList_)[notInKeyListIndex_];
        return {};
    }
    TCustomDBGridEx* grid = Grid();
    if (grid && grid->GetDrawMemoText() && IsMemoField(*field)) return field->GetAsString();
    if (kind == ckLookupField && dropDownSpecRow_->GetVisible() && !field->GetKeyFields().empty()) {
        const rtl::Variant key = field->DataSet()->GetFieldValues(field->GetKeyFields());
        if (dropDownSpecRow_->ValueMatches(key)
            || (dropDownSpecRow_->GetShowIfNotInKeyList() && !rtl::VarIsClear(key) && field->IsNull()))
            return dropDownSpecRow_->CellText(LookupResultIndex());
    }
    if (displayFormat_.empty()) return field->DisplayText();
    if (field->IsNull()) return {};
    if (dynamic_cast<const db::TNumericField*>(field)) return rtl::FormatFloat(displayFormat_, field->GetAsFloat());
    if (dynamic_cast<const db::TDateTimeField*>(field))
        return rtl::FormatDateTime(displayFormat_, field->GetAsDateTime());
    return {};
}

bool TColumnEx::FormattedTextToValue(const std::string& Text, rtl::Variant& Value) const
{
    const db::TField* field = Field();
    if (!field || rtl::Trim(Text).empty()) return false;
    if (displayFormat_.empty()) return field->DisplayTextToValue(Text, Value);
    if (dynamic_cast<const db::TNumericField*>(field)) {
        double v;
        if (!rtl::TryShownTextToFloat(
                Text, [&](double c) { return rtl::FormatFloat(displayFormat_, c); }, v))
            return false;
        Value = rtl::Variant(v);
        return true;
    }
    if (dynamic_cast<const db::TDateTimeField*>(field)) {
        rtl::TDateTime v;
        if (!rtl::TryFormattedTextToDateTime(Text, displayFormat_, v)) return false;
        Value = rtl::Variant::FromDateTime(v);
        return true;
    }
    return false;
}

int TColumnEx::GetImageIndex() const
{
    const db::TField* field = Field();
    if (!field) return -1;
    int index = -1;
    if (KeyListCount() > 0) {
        index = KeyListIndexOf(*keyList_, field->GetText());
    } else if (PickListCount() > 0) {
        index = pickList_->IndexOf(field->GetText());
    } else if (IsIntegerField(*field)) {
        const std::int64_t value = field->GetAsLargeInt();
        if (value >= INT32_MIN && value <= INT32_MAX) index = static_cast<int>(value);
    }
    return index == -1 ? notInKeyListIndex_ : index;
}

TCheckBoxState TColumnEx::GetCheckboxState() const
{
    const db::TField* field = Field();
    if (!field) return cbUnchecked;
    if (field->IsNull()) return cbGrayed;
    if (field->DataType() == db::ftBoolean) return field->GetAsBoolean() ? cbChecked : cbUnchecked;
    // Without a key list no text is needed (the exports ask every cell for its state).
    if (KeyListCount() == 0) return cbGrayed;
    const std::string text = field->GetText();
    if (MatchesKeyLine((*keyList_)[0], text)) return cbChecked;
    if (KeyListCount() > 1 && MatchesKeyLine((*keyList_)[1], text)) return cbUnchecked;
    return cbGrayed;
}

void TColumnEx::SetValueAsCheckboxState(TCheckBoxState value)
{
    const db::TField* field = Field();
    if (!field) return;
    if (value == cbGrayed) {
        UpdateDataValues(std::string(), rtl::Null(), false);
    } else if (field->DataType() == db::ftBoolean) {
        UpdateDataValues(std::string(), rtl::Variant(value == cbChecked), false);
    } else {
        std::string key;
        if (value == cbChecked && KeyListCount() >= 1) key = FirstKey((*keyList_)[0]);
        if (value == cbUnchecked && KeyListCount() >= 2) key = FirstKey((*keyList_)[1]);
        UpdateDataValues(key, rtl::Variant(key), true);
    }
}

void TColumnEx::FillColCellParams(TColCellParamsEx& Params) const
{
    Params.Alignment = GetAlignment();
    Params.Background = GetColor();
    Params.CheckboxState = GetCheckboxState();
    Params.Col = -1;
    if (Params.Font) Params.Font->Assign(GetFont());
    Params.ImageIndex = GetImageIndex();
    Params.ReadOnly = GetReadOnly();
    Params.Row = -1;
    Params.State = 0;
    Params.Text = DisplayText();
}

void TColumnEx::UpdateDataValues(const std::string& Text, const rtl::Variant& Value, bool UseText)
{
    std::string text = Text;
    rtl::Variant value = Value;
    bool useText = UseText;
    bool handled = false;
    if (OnUpdateData) OnUpdateData(this, text, value, useText, handled);
    db::TField* field = Field();
    if (handled || !field) return;
    TCustomDBGridEx* grid = Grid();
    if (useText) {
        if (IsMemoField(*field) && grid && grid->GetDrawMemoText()) field->SetAsString(text);
        else field->SetText(text);
    } else if (field->Lookup() && !field->GetKeyFields().empty()) {
        field->DataSet()->SetFieldValues(field->GetKeyFields(), value);
    } else {
        field->SetValue(value);
    }
    if (mruList_->GetActive() && mruList_->GetAutoAdd() && grid && grid->EditorMRUListInUse()) mruList_->Add(text);
}

void TColumnEx::stepList(const rtl::TStrings& list, bool forward, bool viaPickList)
{
    const int count = list.GetCount();
    if (count == 0) return;
    const int index = viaPickList ? list.IndexOf(Field()->GetText()) : KeyListIndexOf(list, Field()->GetText());
    int target;
    bool wrapped;
    if (forward) {
        wrapped = index < 0 || index == count - 1;
        target = wrapped ? 0 : index + 1;
    } else {
        wrapped = index <= 0;
        target = wrapped ? count - 1 : index - 1;
    }
    const std::string line = list[target];
    if (!viaPickList) UpdateDataValues(line, rtl::Variant(line), false);
    else if (wrapped) Field()->SetText(line);
    else UpdateDataValues(line, rtl::Variant(line), true);
}

void TColumnEx::stepLookup(db::TField& field, bool forward)
{
    db::TDataSet* lookup = field.GetLookupDataSet();
    if (!lookup || !lookup->GetActive() || field.GetKeyFields().empty()) return;
    const rtl::Variant key = field.DataSet()->GetFieldValues(field.GetKeyFields());
    if (rtl::VarIsClear(key) || !lookup->Locate(field.GetLookupKeyFields(), key)) {
        lookup->First();
    } else if (forward) {
        lookup->Next();
        if (lookup->Eof()) lookup->First();
    } else {
        lookup->Prior();
        if (lookup->Bof()) lookup->Last();
    }
    const db::TField* result = lookup->FindField(field.GetLookupResultField());
    UpdateDataValues(result ? result->GetText() : std::string(), lookup->GetFieldValues(field.GetLookupKeyFields()),
                     false);
}

void TColumnEx::SetNextFieldValue(double Increment)
{
    TCustomDBGridEx* grid = Grid();
    db::TField* field = Field();
    if (!grid || !field || !CanModify(false)) return;
    if (!grid->DataLink().Edit()) return;
    grid->DataLink().Modified();
    // The sign chooses the direction; a negated 0 steps backwards like any negative step.
    const bool forward = !std::signbit(Increment);
    switch (GetColumnKind()) {
    case ckCheckBox:
        SetValueAsCheckboxState(GetCheckboxState() == cbChecked ? cbUnchecked : cbChecked);
        return;
    case ckKeyPickList:
        stepList(*keyList_, forward, false);
        return;
    case ckImageList:
        // Without a key list the image follows the number itself.
        if (KeyListCount() == 0) break;
        stepList(*keyList_, forward, false);
        return;
    case ckPickList:
        stepList(*pickList_, forward, true);
        return;
    case ckLookupField:
        stepLookup(*field, forward);
        return;
    case ckText:
        break;
    }
    if (!IsSteppedNumber(field->DataType())) return;
    const double value = (field->IsNull() ? 0.0 : field->GetAsFloat()) + Increment;
    UpdateDataValues(rtl::FloatToStr(value), rtl::Variant(value), false);
}

bool TColumnEx::CanModify(bool TryEdit)
{
    TCustomDBGridEx* grid = Grid();
    if (grid && (grid->GetReadOnly() || !grid->DataLink().Active() || grid->DataLink().GetReadOnly())) return false;
    if (GetReadOnly()) return false;
    db::TField* field = Field();
    if (!field) return false;
    db::TField* judged = field;
    if (field->Lookup()) {
        std::vector<db::TField*> keys;
        if (!KeyFieldsOf(*field, keys) || keys.empty() || !FieldsCanModify(keys)) return false;
        judged = keys.front();
    }
    if (!judged->CanModify()) return false;
    if (judged->IsBlob() && !judged->OnSetText && !(IsMemoField(*judged) && grid && grid->GetDrawMemoText())) return false;
    if (grid && !grid->CanEditData()) return false;
    if (!TryEdit || !grid) return true;
    grid->DataLink().Edit();
    if (!grid->DataLink().Editing()) return false;
    grid->DataLink().Modified();
    return true;
}

int TColumnEx::EditButtonsWidth() const
{
    TCustomDBGridEx* grid = Grid();
    const bool flat = grid && grid->GetFlat();
    const int defaultWidth = flat ? editors::GetDefaultFlatButtonWidth() : ui::Metrics().VScrollWidth;
    const int gap = flat ? 1 : 0;
    int width = 0;
    if (GetColumnEditStyle() != cesNoneEx) width += defaultWidth + gap;
    for (int i = 0; i < editButtons_->GetCount(); ++i) {
        const editors::TEditButtonEx* button = editButtons_->Items(i);
        if (!button->GetVisible()) continue;
        width += (button->GetWidth() != 0 ? button->GetWidth() : defaultWidth) + gap;
    }
    return width;
}

db::TDataSet* TColumnEx::LookupDataSet() const
{
    const db::TField* field = Field();
    return field && field->Lookup() ? field->GetLookupDataSet() : nullptr;
}

db::TDataSet* TColumnEx::LookupListDataSet() const
{
    if (const db::TDataSource* source = dropDownBox_->GetListSource())
        if (source->GetDataSet()) return source->GetDataSet();
    return LookupDataSet();
}

} // namespace grid
