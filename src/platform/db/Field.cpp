#include "platform/db/Field.h"

#include <algorithm>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"

namespace db {

using rtl::Format;

TField::TField(rtl::TComponent* owner, TFieldType dataType) : rtl::TComponent(owner), dataType_(dataType) {}

TField::~TField()
{
    if (dataSet_) dataSet_->fieldDestroyed(this);
}

void TField::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_) return;
    if ((dataSet_ && dataSet_->GetActive()) || (dataSet && dataSet->GetActive()))
        TDataSet::DatabaseError(msg::DataSetOpen);
    if (dataSet && !fieldName_.empty() && dataSet->FindField(fieldName_))
        TDataSet::DatabaseError(Format(msg::DuplicateFieldName, fieldName_));
    if (dataSet_) dataSet_->fieldDestroyed(this);
    dataSet_ = dataSet;
    ref_ = dataSet_ ? &dataSet_->read_ : nullptr;
    if (dataSet_) dataSet_->fields_.list_.push_back(this);
}

void TField::SetLookupDataSet(TDataSet* dataSet)
{
    if (dataSet == lookupDataSet_) return;
    if (lookupDataSet_) RemoveFreeNotification(lookupDataSet_);
    lookupDataSet_ = dataSet;
    if (lookupDataSet_) FreeNotification(lookupDataSet_);
}

void TField::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    rtl::TComponent::Notification(component, operation);
    if (operation == rtl::opRemove && component == lookupDataSet_) lookupDataSet_ = nullptr;
}

void TField::SetFieldName(std::string name)
{
    if (dataSet_ && dataSet_->GetActive()) TDataSet::DatabaseError(msg::DataSetOpen);
    if (dataSet_) {
        TField* other = dataSet_->FindField(name);
        if (other && other != this) TDataSet::DatabaseError(Format(msg::DuplicateFieldName, name));
    }
    fieldName_ = std::move(name);
}

void TField::SetFieldKind(TFieldKind kind)
{
    if (dataSet_ && dataSet_->GetActive()) TDataSet::DatabaseError(msg::DataSetOpen);
    fieldKind_ = kind;
}

int TField::GetIndex() const
{
    return dataSet_ ? dataSet_->Fields().IndexOf(this) : -1;
}

void TField::SetIndex(int index)
{
    if (!dataSet_) return;
    std::vector<TField*>& list = dataSet_->fields_.list_;
    int cur = GetIndex();
    index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
    if (cur == index) return;
    list.erase(list.begin() + cur);
    list.insert(list.begin() + index, this);
    propertyChanged(true);
}

void TField::propertyChanged(bool layout)
{
    if (dataSet_ && dataSet_->GetActive()) dataSet_->notifyLayout(layout);
}

void TField::SetDisplayLabel(std::string label)
{
    if (label == fieldName_) label.clear();
    if (label == displayLabel_) return;
    displayLabel_ = std::move(label);
    propertyChanged(true);
}

void TField::SetDisplayWidth(int width)
{
    if (width == displayWidth_) return;
    displayWidth_ = width;
    propertyChanged(true);
}

void TField::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    propertyChanged(false);
}

void TField::SetReadOnly(bool readOnly)
{
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    propertyChanged(true);
}

void TField::SetVisible(bool visible)
{
    if (visible == visible_) return;
    visible_ = visible;
    propertyChanged(true);
}

void TField::SetSize(int size)
{
    if (dataSet_ && dataSet_->GetActive()) TDataSet::DatabaseError(msg::DataSetOpen);
    size_ = size;
}

void TField::SetPrecision(int precision)
{
    if (precision == precision_) return;
    precision_ = precision;
    propertyChanged(false);
}

void TField::SetDisplayFormat(std::string format)
{
    if (format == displayFormat_) return;
    displayFormat_ = std::move(format);
    propertyChanged(false);
}

void TField::SetEditMask(std::string mask)
{
    if (mask == editMask_) return;
    editMask_ = std::move(mask);
    propertyChanged(false);
}

void TField::SetCurrency(bool currency)
{
    if (currency == currency_) return;
    currency_ = currency;
    propertyChanged(false);
}

// --- values

rtl::Variant TField::GetValue() const
{
    if (!dataSet_) return rtl::Null();
    const TRecordRef& r = *ref_;
    if (column_ >= 0) {
        if (r.values) return r.values[column_];
        if (r.slot != kNoSlot) return r.store->Get(r.slot, column_);
        return rtl::Null();
    }
    if (calcIndex_ < 0) return rtl::Null();
    if (const rtl::Variant* calc = r.calc ? r.calc : dataSet_->dueCalc()) return calc[calcIndex_];
    return rtl::Null();
}

bool TField::IsNull() const
{
    std::uint32_t slot;
    if (StoredCell(slot)) return StoredColumn().null[slot] != 0;
    return rtl::VarIsClear(GetValue());
}

void TField::SetValue(const rtl::Variant& value)
{
    if (!dataSet_) TDataSet::DatabaseError(Format("Field '%s' has no dataset", DisplayName()));
    if (rtl::VarIsClear(value)) {
        dataSet_->setFieldData(*this, rtl::Null());
        return;
    }
    dataSet_->setFieldData(*this, ConvertValue(value));
}

rtl::Variant TField::ConvertValue(const rtl::Variant& value) const
{
    return value;
}

std::string TField::ReadAsString() const
{
    return rtl::VarToStr(GetValue());
}

void TField::SetAsString(const std::string& text)
{
    SetValue(rtl::Variant(text));
}

int TField::ReadAsInteger() const
{
    rtl::Variant v = GetValue();
    return rtl::VarIsClear(v) ? 0 : v.AsInteger();
}

void TField::SetAsInteger(int value) { SetValue(rtl::Variant(value)); }

std::int64_t TField::ReadAsLargeInt() const
{
    rtl::Variant v = GetValue();
    return rtl::VarIsClear(v) ? 0 : v.AsInt64();
}

void TField::SetAsLargeInt(std::int64_t value) { SetValue(rtl::Variant(static_cast<long long>(value))); }

double TField::ReadAsFloat() const
{
    rtl::Variant v = GetValue();
    return rtl::VarIsClear(v) ? 0.0 : v.AsFloat();
}

void TField::SetAsFloat(double value) { SetValue(rtl::Variant(value)); }

bool TField::ReadAsBoolean() const
{
    rtl::Variant v = GetValue();
    return rtl::VarIsClear(v) ? false : v.AsBoolean();
}

void TField::SetAsBoolean(bool value) { SetValue(rtl::Variant(value)); }

rtl::TDateTime TField::ReadAsDateTime() const
{
    rtl::Variant v = GetValue();
    return rtl::VarIsClear(v) ? 0.0 : v.AsDateTime();
}

void TField::SetAsDateTime(rtl::TDateTime value) { SetValue(rtl::Variant::FromDateTime(value)); }

rtl::Currency TField::ReadAsCurrency() const
{
    rtl::Variant v = GetValue();
    return rtl::VarIsClear(v) ? rtl::Currency{} : v.AsCurrency();
}

void TField::SetAsCurrency(rtl::Currency value) { SetValue(rtl::Variant(value)); }

std::string TField::FormatText(bool displayText) const
{
    (void)displayText;
    return IsNull() ? std::string() : GetAsString();
}

std::string TField::GetText() const
{
    std::string text;
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, false);
        return text;
    }
    return FormatText(false);
}

std::string TField::DisplayText() const
{
    std::string text;
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, true);
        return text;
    }
    return FormatText(true);
}

bool TField::DisplayTextToValue(const std::string& text, rtl::Variant& value) const
{
    if (OnGetText || rtl::Trim(text).empty()) return false;
    return ParseDisplayText(text, value);
}

void TField::SetText(const std::string& text)
{
    if (OnSetText) OnSetText(this, text);
    else SetAsString(text);
}

bool TField::CanModify() const
{
    if (readOnly_ || !dataSet_) return false;
    if (fieldKind_ != fkData) return false;
    return dataSet_->CanModify();
}

void TField::FocusControl()
{
    if (!dataSet_ || !dataSet_->GetActive()) return;
    TField* field = this;
    dataSet_->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&field));
}

void TField::RaiseConvertError(const char* format, const std::string& text) const
{
    TDataSet::DatabaseError(Format(format, text, DisplayName()));
}

void TField::RaiseRangeError(const std::string& value, const std::string& low, const std::string& high) const
{
    TDataSet::DatabaseError(Format(msg::FieldRangeError, value, DisplayName(), low, high));
}

// --- TFields

TField* TFields::operator[](int index) const
{
    if (index < 0 || index >= Count()) throw rtl::EListError(msg::FieldIndexError);
    return list_[static_cast<std::size_t>(index)];
}

TField* TFields::FindField(std::string_view name) const
{
    for (TField* f : list_)
        if (rtl::AnsiSameText(f->GetFieldName(), name)) return f;
    return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const
{
    TField* f = FindField(name);
    if (!f) TDataSet::DatabaseError(Format(msg::FieldNotFound, name));
    return f;
}

int TFields::IndexOf(const TField* field) const
{
    auto it = std::find(list_.begin(), list_.end(), field);
    return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

std::vector<std::string> SplitFieldNames(std::string_view names)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string_view::npos) end = names.size();
        std::string name = rtl::Trim(names.substr(start, end - start));
        if (!name.empty()) out.push_back(std::move(name));
        start = end + 1;
    }
    return out;
}

} // namespace db
