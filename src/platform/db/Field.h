#pragma once
// TField: one column of a data set as controls see it: its value in the data set's
// current record, the value's text for editing and for display, and the properties
// (label, width, alignment, visibility, format) that controls lay themselves out by.
// The typed descendants live in FieldTypes.h; TFields is a data set's list of fields.
// A field is a component: its owner frees it (fields added through TDataSet::AddField
// and the fields a data set makes for itself belong to the data set).
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/db/RecordStore.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

namespace db {

class TField : public rtl::TComponent {
public:
    TField(rtl::TComponent* owner, TFieldType dataType);
    ~TField() override;

    // --- identity
    TDataSet* DataSet() const { return dataSet_; }
    // Joins the field to a data set's Fields (both data sets closed); null leaves it.
    void SetDataSet(TDataSet* dataSet);
    const std::string& GetFieldName() const { return fieldName_; }
    void SetFieldName(std::string name); // only while the data set is closed
    TFieldType DataType() const { return dataType_; }
    TFieldKind GetFieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind kind); // only while the data set is closed
    // 1-based number of the stored column of a data field; 0 for other kinds.
    int FieldNo() const { return column_ + 1; }
    // Position in the data set's Fields; setting it moves the field (a layout change).
    int GetIndex() const;
    void SetIndex(int index);
    bool Calculated() const { return fieldKind_ == fkCalculated || fieldKind_ == fkInternalCalc; }
    bool Lookup() const { return fieldKind_ == fkLookup; }
    virtual bool IsBlob() const { return false; }

    // --- presentation (a change is a notice to the data set's controls)
    std::string GetDisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(std::string label);
    std::string DisplayName() const { return GetDisplayLabel(); }
    // Characters a control shows; 0 set means the type's default.
    int GetDisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultWidth(); }
    void SetDisplayWidth(int width);
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool GetVisible() const { return visible_; }
    void SetVisible(bool visible);
    bool GetReadOnly() const { return readOnly_; }
    // A change is a layout notice: links re-read whether they may edit, grids their columns.
    void SetReadOnly(bool readOnly);
    bool GetRequired() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    // Characters of a string field, decimals of a BCD field.
    int GetSize() const { return size_; }
    void SetSize(int size);
    int GetPrecision() const { return precision_; }
    void SetPrecision(int precision);
    // Numbers: a FormatFloat picture; dates and times: a FormatDateTime pattern.
    const std::string& GetDisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(std::string format);
    const std::string& GetEditMask() const { return editMask_; }
    void SetEditMask(std::string mask);
    // Float and BCD fields shown as money.
    bool GetCurrency() const { return currency_; }
    void SetCurrency(bool currency);

    // --- lookup fields: the value of LookupResultField in the LookupDataSet record whose
    // LookupKeyFields equal this data set's KeyFields (';'-separated lists).
    const std::string& GetKeyFields() const { return keyFields_; }
    void SetKeyFields(std::string names) { keyFields_ = std::move(names); }
    TDataSet* GetLookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* dataSet);
    const std::string& GetLookupKeyFields() const { return lookupKeyFields_; }
    void SetLookupKeyFields(std::string names) { lookupKeyFields_ = std::move(names); }
    const std::string& GetLookupResultField() const { return lookupResultField_; }
    void SetLookupResultField(std::string name) { lookupResultField_ = std::move(name); }

    // --- value in the current record. Reading a closed or empty data set gives Null.
    // Writing needs the edit or insert state (calculated fields: OnCalcFields).
    rtl::Variant GetValue() const;
    void SetValue(const rtl::Variant& value);
    rtl::Variant GetAsVariant() const { return GetValue(); }
    void SetAsVariant(const rtl::Variant& value) { SetValue(value); }
    // Null reads as "", 0, 0.0, False and 0. A typed field reads its own type straight
    // from the stored row; other conversions go through ReadAsX.
    std::string GetAsString() const
    {
        TSlot slot;
        if ((fastReads_ & kFastString) && StoredCell(slot) && !stored_->Pending(slot)) return stored_->strings[slot];
        return ReadAsString();
    }
    int GetAsInteger() const
    {
        TSlot slot;
        if ((fastReads_ & kFastInt) && StoredCell(slot)) {
            std::int64_t v = stored_->null[slot] ? 0 : stored_->ints[slot];
            if (v == static_cast<int>(v)) return static_cast<int>(v);
        }
        return ReadAsInteger(); // also raises for a 64-bit value beyond the range
    }
    std::int64_t GetAsLargeInt() const
    {
        TSlot slot;
        if ((fastReads_ & kFastInt) && StoredCell(slot)) return stored_->null[slot] ? 0 : stored_->ints[slot];
        return ReadAsLargeInt();
    }
    double GetAsFloat() const
    {
        TSlot slot;
        if ((fastReads_ & kFastFloat) && StoredCell(slot)) return stored_->null[slot] ? 0.0 : stored_->floats[slot];
        return ReadAsFloat();
    }
    bool GetAsBoolean() const
    {
        TSlot slot;
        if ((fastReads_ & kFastBool) && StoredCell(slot))
            return stored_->null[slot] == 0 && stored_->ints[slot] != 0;
        return ReadAsBoolean();
    }
    rtl::TDateTime GetAsDateTime() const
    {
        TSlot slot;
        if ((fastReads_ & kFastDateTime) && StoredCell(slot))
            return stored_->null[slot] ? 0.0 : stored_->floats[slot];
        return ReadAsDateTime();
    }
    rtl::Currency GetAsCurrency() const
    {
        TSlot slot;
        if ((fastReads_ & kFastCurrency) && StoredCell(slot))
            return rtl::Currency::FromScaled(stored_->null[slot] ? 0 : stored_->ints[slot]);
        return ReadAsCurrency();
    }
    virtual void SetAsString(const std::string& text);
    virtual void SetAsInteger(int value);
    virtual void SetAsLargeInt(std::int64_t value);
    virtual void SetAsFloat(double value);
    virtual void SetAsBoolean(bool value);
    virtual void SetAsDateTime(rtl::TDateTime value);
    virtual void SetAsCurrency(rtl::Currency value);
    bool IsNull() const;
    void Clear() { SetValue(rtl::Null()); }

    // Text for editing; setting it parses it (an empty text clears the field).
    // OnGetText and OnSetText replace the conversions.
    std::string GetText() const;
    void SetText(const std::string& text);
    // Text for display (DisplayFormat applied).
    std::string DisplayText() const;
    // The value whose DisplayText is exactly text, where a type shows values otherwise
    // than its text for editing reads them (a display format, a currency symbol): so a
    // display's text reads back. False for an empty text, with OnGetText, and when no
    // value shows so.
    bool DisplayTextToValue(const std::string& text, rtl::Variant& value) const;

    // Whether a typed character can belong to the field's text.
    // clang-format off
    virtual bool IsValidChar(char c) const { (void)c; return true; }
    // clang-format on
    // Not read-only, stored or looked-up data, in a data set that can be modified.
    bool CanModify() const;
    // Asks the data set's controls to focus the control that shows this field.
    void FocusControl();

    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    // Conversions of the current value (Null gives the empty value).
    virtual std::string ReadAsString() const;
    virtual int ReadAsInteger() const;
    virtual std::int64_t ReadAsLargeInt() const;
    virtual double ReadAsFloat() const;
    virtual bool ReadAsBoolean() const;
    virtual rtl::TDateTime ReadAsDateTime() const;
    virtual rtl::Currency ReadAsCurrency() const;
    // Which GetAsX read the stored row directly (set by the typed fields).
    enum : unsigned {
        // clang-format off
        kFastString = 1, kFastInt = 2, kFastFloat = 4, kFastDateTime = 8, kFastBool = 16, kFastCurrency = 32
        // clang-format on
    };
    unsigned fastReads_ = 0;

    // The text of the value (DisplayText: for display, else for editing); "" for Null
    // except where a type shows something for it.
    virtual std::string FormatText(bool displayText) const;
    // The inverse of FormatText(true), for the types that have one.
    virtual bool ParseDisplayText(const std::string& text, rtl::Variant& value) const
    {
        (void)text;
        (void)value;
        return false;
    }
    virtual int DefaultWidth() const { return 10; }
    // The value as the field stores it (type, range and length checked); never Null.
    virtual rtl::Variant ConvertValue(const rtl::Variant& value) const;
    [[noreturn]] void RaiseConvertError(const char* format, const std::string& text) const;
    [[noreturn]] void RaiseRangeError(const std::string& value, const std::string& low,
                                      const std::string& high) const;
    // True when the value in the current record is a stored cell (then read through
    // Store() at slot and Column()); typed getters use it to skip the Variant.
    bool StoredCell(TSlot& slot) const
    {
        if (!stored_ || ref_->values || ref_->slot == kNoSlot) return false;
        slot = ref_->slot;
        return true;
    }
    const TRecordStore& Store() const { return *ref_->store; }
    // The stored column of a data field of an open data set.
    const TRecordStore::Column& StoredColumn() const { return *stored_; }
    int Column() const { return column_; }

    TAlignment alignment_ = taLeftJustify;
    int size_ = 0;
    int precision_ = 0;
    bool currency_ = false;

private:
    friend class TDataSet;
    friend class TFields;
    void propertyChanged(bool layout);

    TDataSet* dataSet_ = nullptr;
    const TRecordRef* ref_ = nullptr;              // the data set's current record
    const TRecordStore::Column* stored_ = nullptr; // while open
    std::string fieldName_;
    TFieldType dataType_;
    TFieldKind fieldKind_ = fkData;
    int column_ = -1;    // stored column of a data field
    int calcIndex_ = -1; // place among calculated and lookup values
    std::string displayLabel_;
    int displayWidth_ = 0;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    std::string displayFormat_;
    std::string editMask_;
    std::string keyFields_;
    TDataSet* lookupDataSet_ = nullptr;
    std::string lookupKeyFields_;
    std::string lookupResultField_;
};

// A data set's fields in order. Names are found without regard to case.
class TFields {
public:
    int Count() const { return static_cast<int>(list_.size()); }
    TField* operator[](int index) const;
    TField* FindField(std::string_view name) const;
    // Raises EDatabaseError "Field '%s' not found".
    TField* FieldByName(std::string_view name) const;
    int IndexOf(const TField* field) const;
    std::vector<TField*>::const_iterator begin() const { return list_.begin(); }
    std::vector<TField*>::const_iterator end() const { return list_.end(); }

private:
    friend class TDataSet;
    friend class TField;
    std::vector<TField*> list_;
};

// Splits a ';'-separated list of field names (blanks around names dropped).
std::vector<std::string> SplitFieldNames(std::string_view names);

} // namespace db
