#pragma once
// The typed fields: each converts values and texts for its data type.
#include "platform/db/Field.h"
#include "platform/rtl/Stream.h"

namespace db {

// Text of at most Size characters (longer texts are cut).
class TStringField : public TField {
public:
    explicit TStringField(rtl::TComponent* owner = nullptr) : TStringField(owner, ftString) {}
protected:
    TStringField(rtl::TComponent* owner, TFieldType type);
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    int DefaultWidth() const override { return size_ > 0 ? size_ : 10; }
};

class TFixedCharField : public TStringField {
public:
    explicit TFixedCharField(rtl::TComponent* owner = nullptr) : TStringField(owner, ftFixedChar) {}
};

class TWideStringField : public TStringField {
public:
    explicit TWideStringField(rtl::TComponent* owner = nullptr) : TStringField(owner, ftWideString) {}
};

// Numbers: right-aligned, digits and signs typed.
class TNumericField : public TField {
public:
    bool IsValidChar(char c) const override;
protected:
    TNumericField(rtl::TComponent* owner, TFieldType type);
};

// MinValue and MaxValue, when either is not 0, limit the values the field takes (a
// value outside raises the range error); both 0 leave only the type's own range.
class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(rtl::TComponent* owner = nullptr)
        : TIntegerField(owner, ftInteger, -2147483647 - 1, 2147483647) {}
    void SetAsString(const std::string& text) override;
    std::int64_t GetMinValue() const { return minValue_; }
    void SetMinValue(std::int64_t v) { minValue_ = v; }
    std::int64_t GetMaxValue() const { return maxValue_; }
    void SetMaxValue(std::int64_t v) { maxValue_ = v; }
protected:
    std::string ReadAsString() const override;
    double ReadAsFloat() const override;
    TIntegerField(rtl::TComponent* owner, TFieldType type, std::int64_t minValue, std::int64_t maxValue);
    std::string FormatText(bool displayText) const override;
    bool ParseDisplayText(const std::string& text, rtl::Variant& value) const override;
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    int DefaultWidth() const override;
    std::int64_t min_; // the type's range
    std::int64_t max_;
    std::int64_t minValue_ = 0;
    std::int64_t maxValue_ = 0;

private:
    std::string textOf(std::int64_t value, bool displayText) const;
};

class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(rtl::TComponent* owner = nullptr) : TIntegerField(owner, ftSmallint, -32768, 32767) {}
};

class TWordField : public TIntegerField {
public:
    explicit TWordField(rtl::TComponent* owner = nullptr) : TIntegerField(owner, ftWord, 0, 65535) {}
};

class TAutoIncField : public TIntegerField {
public:
    explicit TAutoIncField(rtl::TComponent* owner = nullptr)
        : TIntegerField(owner, ftAutoInc, -2147483647 - 1, 2147483647) {}
};

class TLargeintField : public TIntegerField {
public:
    explicit TLargeintField(rtl::TComponent* owner = nullptr) : TIntegerField(owner, ftLargeint, INT64_MIN, INT64_MAX) {}
};

// Double precision; Precision significant digits (15 by default) in general format.
// MinValue and MaxValue as for integer fields.
class TFloatField : public TNumericField {
public:
    explicit TFloatField(rtl::TComponent* owner = nullptr) : TFloatField(owner, ftFloat) {}
    void SetAsString(const std::string& text) override;
    bool IsValidChar(char c) const override;
    double GetMinValue() const { return minValue_; }
    void SetMinValue(double v) { minValue_ = v; }
    double GetMaxValue() const { return maxValue_; }
    void SetMaxValue(double v) { maxValue_ = v; }
protected:
    std::string ReadAsString() const override;
    int ReadAsInteger() const override;
    TFloatField(rtl::TComponent* owner, TFieldType type);
    std::string FormatText(bool displayText) const override;
    bool ParseDisplayText(const std::string& text, rtl::Variant& value) const override;
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    int DefaultWidth() const override;

private:
    std::string textOf(double value, bool displayText) const;
    double minValue_ = 0;
    double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(rtl::TComponent* owner = nullptr) : TFloatField(owner, ftCurrency) { currency_ = true; }
};

// Fixed point with four decimals at most (Size decimals, Precision digits). MinValue
// and MaxValue as for integer fields.
class TBCDField : public TNumericField {
public:
    explicit TBCDField(rtl::TComponent* owner = nullptr) : TBCDField(owner, ftBCD) {}
    void SetAsString(const std::string& text) override;
    bool IsValidChar(char c) const override;
    rtl::Currency GetMinValue() const { return minValue_; }
    void SetMinValue(rtl::Currency v) { minValue_ = v; }
    rtl::Currency GetMaxValue() const { return maxValue_; }
    void SetMaxValue(rtl::Currency v) { maxValue_ = v; }
protected:
    std::string ReadAsString() const override;
    double ReadAsFloat() const override;
    TBCDField(rtl::TComponent* owner, TFieldType type);
    std::string FormatText(bool displayText) const override;
    bool ParseDisplayText(const std::string& text, rtl::Variant& value) const override;
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    int DefaultWidth() const override { return precision_ > 0 ? precision_ + 2 : 10; }

private:
    std::string textOf(rtl::Currency value, bool displayText) const;
    rtl::Currency minValue_;
    rtl::Currency maxValue_;
};

class TFMTBCDField : public TBCDField {
public:
    explicit TFMTBCDField(rtl::TComponent* owner = nullptr) : TBCDField(owner, ftFMTBcd) {}
};

// "True" / "False".
class TBooleanField : public TField {
public:
    explicit TBooleanField(rtl::TComponent* owner = nullptr);
    void SetAsString(const std::string& text) override;
protected:
    std::string ReadAsString() const override;
    std::string FormatText(bool displayText) const override;
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    int DefaultWidth() const override { return 5; }
};

// Date and time; text by DisplayFormat, else the short date and long time of FormatSettings.
// A value outside the calendar (rtl::IsValidDateTime) raises the range error.
class TDateTimeField : public TField {
public:
    explicit TDateTimeField(rtl::TComponent* owner = nullptr) : TDateTimeField(owner, ftDateTime) {}
    void SetAsString(const std::string& text) override;
protected:
    std::string ReadAsString() const override;
    double ReadAsFloat() const override;
    TDateTimeField(rtl::TComponent* owner, TFieldType type);
    std::string FormatText(bool displayText) const override;
    bool ParseDisplayText(const std::string& text, rtl::Variant& value) const override;
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    int DefaultWidth() const override;

private:
    // The pattern of the text for display or for editing.
    std::string_view pattern(bool displayText) const;
};

// The date part only.
class TDateField : public TDateTimeField {
public:
    explicit TDateField(rtl::TComponent* owner = nullptr) : TDateTimeField(owner, ftDate) {}
};

// The time of day only.
class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(rtl::TComponent* owner = nullptr) : TDateTimeField(owner, ftTime) {}
};

// Bytes; shown as "(Blob)", or "(BLOB)" when it holds data.
class TBlobField : public TField {
public:
    explicit TBlobField(rtl::TComponent* owner = nullptr) : TBlobField(owner, ftBlob) {}
    bool IsBlob() const override { return true; }
    std::int64_t BlobSize() const;
    // Writes the bytes at the stream's position.
    void SaveToStream(rtl::TStream& stream) const;
    // Takes the whole stream from its start (empty gives Null).
    void LoadFromStream(rtl::TStream& stream);
protected:
    TBlobField(rtl::TComponent* owner, TFieldType type);
    std::string FormatText(bool displayText) const override;
    rtl::Variant ConvertValue(const rtl::Variant& value) const override;
    virtual const char* BlobName() const { return "Blob"; }
};

// Text kept as a blob; shown as "(Memo)" / "(MEMO)".
class TMemoField : public TBlobField {
public:
    explicit TMemoField(rtl::TComponent* owner = nullptr) : TBlobField(owner, ftMemo) {}
protected:
    TMemoField(rtl::TComponent* owner, TFieldType type) : TBlobField(owner, type) {}
    const char* BlobName() const override { return "Memo"; }
};

class TFmtMemoField : public TMemoField {
public:
    explicit TFmtMemoField(rtl::TComponent* owner = nullptr) : TMemoField(owner, ftFmtMemo) {}
};

// A new field of the class that serves the data type (a string field for unknown types),
// owned by owner (or by the caller when owner is null).
TField* CreateFieldOfType(TFieldType type, rtl::TComponent* owner);
// "String", "Integer", "Float" ... for messages.
const char* FieldTypeName(TFieldType type);

} // namespace db
