#include "platform/db/FieldTypes.h"

#include <cmath>

#include "platform/db/DBConsts.h"

namespace db {

using rtl::Variant;

// --- strings

TStringField::TStringField(rtl::TComponent* owner, TFieldType type) : TField(owner, type)
{
    fastReads_ = kFastString;
    size_ = 20;
}


Variant TStringField::ConvertValue(const Variant& value) const
{
    std::string s = value.AsString();
    if (size_ > 0 && s.size() > static_cast<std::size_t>(size_)) s.resize(static_cast<std::size_t>(size_));
    return Variant(std::move(s));
}

// --- numbers

TNumericField::TNumericField(rtl::TComponent* owner, TFieldType type) : TField(owner, type)
{
    alignment_ = taRightJustify;
}

bool TNumericField::IsValidChar(char c) const
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-';
}

TIntegerField::TIntegerField(rtl::TComponent* owner, TFieldType type, std::int64_t minValue, std::int64_t maxValue)
    : TNumericField(owner, type), min_(minValue), max_(maxValue)
{
    fastReads_ = kFastInt;
}



double TIntegerField::ReadAsFloat() const
{
    return static_cast<double>(GetAsLargeInt());
}

std::string TIntegerField::ReadAsString() const
{
    return IsNull() ? std::string() : rtl::IntToStr(GetAsLargeInt());
}

void TIntegerField::SetAsString(const std::string& text)
{
    if (rtl::Trim(text).empty()) {
        Clear();
        return;
    }
    std::int64_t v;
    if (!rtl::TryStrToInt64(text, v)) RaiseConvertError(msg::InvalidIntegerValue, text);
    SetValue(Variant(static_cast<long long>(v)));
}

std::string TIntegerField::FormatText(bool displayText) const
{
    return IsNull() ? std::string() : textOf(GetAsLargeInt(), displayText);
}

std::string TIntegerField::textOf(std::int64_t value, bool displayText) const
{
    if (displayText && !GetDisplayFormat().empty())
        return rtl::FormatFloat(GetDisplayFormat(), static_cast<double>(value));
    return rtl::IntToStr(value);
}

bool TIntegerField::ParseDisplayText(const std::string& text, Variant& value) const
{
    auto show = [&](double v) {
        // Only a whole number of the type's range is shown by the field.
        if (v != std::trunc(v) || !(v >= static_cast<double>(min_) && v < static_cast<double>(max_) + 1.0))
            return std::string();
        return textOf(static_cast<std::int64_t>(v), true);
    };
    double v;
    if (!rtl::TryShownTextToFloat(text, show, v)) return false;
    value = Variant(static_cast<long long>(v));
    return true;
}

Variant TIntegerField::ConvertValue(const Variant& value) const
{
    std::int64_t v = value.AsInt64();
    if (v < min_ || v > max_) RaiseRangeError(rtl::IntToStr(v), rtl::IntToStr(min_), rtl::IntToStr(max_));
    if ((minValue_ != 0 || maxValue_ != 0) && (v < minValue_ || v > maxValue_))
        RaiseRangeError(rtl::IntToStr(v), rtl::IntToStr(minValue_), rtl::IntToStr(maxValue_));
    switch (DataType()) {
    case ftLargeint: return Variant(static_cast<long long>(v));
    case ftSmallint: return Variant::FromInteger(v, rtl::varSmallint);
    case ftWord: return Variant::FromInteger(v, rtl::varWord);
    default: return Variant(static_cast<int>(v));
    }
}

int TIntegerField::DefaultWidth() const
{
    switch (DataType()) {
    case ftSmallint: return 6;
    case ftWord: return 5;
    case ftLargeint: return 15;
    default: return 11;
    }
}

static bool isFloatChar(char c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'E' || c == 'e'
           || c == rtl::FormatSettings.DecimalSeparator;
}

TFloatField::TFloatField(rtl::TComponent* owner, TFieldType type) : TNumericField(owner, type)
{
    fastReads_ = kFastFloat;
    precision_ = 15;
}


int TFloatField::ReadAsInteger() const
{
    return static_cast<int>(rtl::Round(GetAsFloat()));
}

std::string TFloatField::ReadAsString() const
{
    return IsNull() ? std::string() : rtl::FloatToStrF(GetAsFloat(), rtl::ffGeneral, precision_, 0);
}

void TFloatField::SetAsString(const std::string& text)
{
    if (rtl::Trim(text).empty()) {
        Clear();
        return;
    }
    double v;
    if (!rtl::TryStrToFloat(text, v)) RaiseConvertError(msg::InvalidFloatValue, text);
    SetValue(Variant(v));
}

std::string TFloatField::FormatText(bool displayText) const
{
    return IsNull() ? std::string() : textOf(GetAsFloat(), displayText);
}

std::string TFloatField::textOf(double value, bool displayText) const
{
    if (!GetDisplayFormat().empty()) return rtl::FormatFloat(GetDisplayFormat(), value);
    if (currency_)
        return rtl::FloatToStrF(value, displayText ? rtl::ffCurrency : rtl::ffFixed, precision_,
                                rtl::FormatSettings.CurrencyDecimals);
    return rtl::FloatToStrF(value, rtl::ffGeneral, precision_, 0);
}

bool TFloatField::ParseDisplayText(const std::string& text, Variant& value) const
{
    double v;
    if (!rtl::TryShownTextToFloat(
            text, [&](double c) { return textOf(c, true); }, v)) return false;
    value = Variant(v);
    return true;
}

bool TFloatField::IsValidChar(char c) const
{
    return isFloatChar(c);
}

Variant TFloatField::ConvertValue(const Variant& value) const
{
    const double v = value.AsFloat();
    if ((minValue_ != 0 || maxValue_ != 0) && (v < minValue_ || v > maxValue_))
        RaiseRangeError(rtl::FloatToStr(v), rtl::FloatToStr(minValue_), rtl::FloatToStr(maxValue_));
    return Variant(v);
}

int TFloatField::DefaultWidth() const
{
    return (precision_ > 0 && precision_ < 15) ? precision_ + 2 : 10;
}

TBCDField::TBCDField(rtl::TComponent* owner, TFieldType type) : TNumericField(owner, type)
{
    fastReads_ = kFastCurrency;
    size_ = 4;
}


double TBCDField::ReadAsFloat() const
{
    return GetAsCurrency().ToDouble();
}

std::string TBCDField::ReadAsString() const
{
    return IsNull() ? std::string() : rtl::CurrToStr(GetAsCurrency());
}

void TBCDField::SetAsString(const std::string& text)
{
    if (rtl::Trim(text).empty()) {
        Clear();
        return;
    }
    rtl::Currency v;
    if (!rtl::TryStrToCurr(text, v)) RaiseConvertError(msg::InvalidFloatValue, text);
    SetValue(Variant(v));
}

std::string TBCDField::FormatText(bool displayText) const
{
    return IsNull() ? std::string() : textOf(GetAsCurrency(), displayText);
}

std::string TBCDField::textOf(rtl::Currency value, bool displayText) const
{
    if (!GetDisplayFormat().empty()) return rtl::FormatCurr(GetDisplayFormat(), value);
    if (currency_)
        return rtl::CurrToStrF(value, displayText ? rtl::ffCurrency : rtl::ffFixed,
                               rtl::FormatSettings.CurrencyDecimals);
    return rtl::CurrToStr(value);
}

bool TBCDField::ParseDisplayText(const std::string& text, Variant& value) const
{
    rtl::Currency v;
    if (!rtl::TryShownTextToCurr(
            text, [&](rtl::Currency c) { return textOf(c, true); }, v)) return false;
    value = Variant(v);
    return true;
}

bool TBCDField::IsValidChar(char c) const
{
    return isFloatChar(c);
}

Variant TBCDField::ConvertValue(const Variant& value) const
{
    const rtl::Currency v = value.AsCurrency();
    const rtl::Currency none;
    if ((minValue_ != none || maxValue_ != none) && (v < minValue_ || v > maxValue_))
        RaiseRangeError(rtl::CurrToStr(v), rtl::CurrToStr(minValue_), rtl::CurrToStr(maxValue_));
    return Variant(v);
}

// --- Boolean

TBooleanField::TBooleanField(rtl::TComponent* owner) : TField(owner, ftBoolean)
{
    fastReads_ = kFastBool;
}


std::string TBooleanField::ReadAsString() const
{
    if (IsNull()) return {};
    return GetAsBoolean() ? "True" : "False";
}

std::string TBooleanField::FormatText(bool displayText) const
{
    (void)displayText;
    return GetAsString();
}

void TBooleanField::SetAsString(const std::string& text)
{
    std::string t = rtl::Trim(text);
    if (t.empty()) {
        Clear();
        return;
    }
    // A leading part of "True" or "False" in either case is enough.
    auto startsTrue = rtl::AnsiSameText(t, rtl::Copy("True", 1, t.size())) && t.size() <= 4;
    auto startsFalse = rtl::AnsiSameText(t, rtl::Copy("False", 1, t.size())) && t.size() <= 5;
    if (startsTrue) SetValue(Variant(true));
    else if (startsFalse) SetValue(Variant(false));
    else RaiseConvertError(msg::InvalidBoolValue, text);
}

Variant TBooleanField::ConvertValue(const Variant& value) const
{
    return Variant(value.AsBoolean());
}

// --- dates and times

TDateTimeField::TDateTimeField(rtl::TComponent* owner, TFieldType type) : TField(owner, type)
{
    fastReads_ = kFastFloat | kFastDateTime;
}


double TDateTimeField::ReadAsFloat() const
{
    return GetAsDateTime();
}

std::string TDateTimeField::ReadAsString() const
{
    return FormatText(false);
}

static const char* defaultDatePattern(TFieldType type)
{
    switch (type) {
    case ftDate: return "ddddd";
    case ftTime: return "tt";
    default: return "c";
    }
}

std::string_view TDateTimeField::pattern(bool displayText) const
{
    const std::string& fmt = GetDisplayFormat();
    return displayText && !fmt.empty() ? std::string_view(fmt) : defaultDatePattern(DataType());
}

std::string TDateTimeField::FormatText(bool displayText) const
{
    return IsNull() ? std::string() : rtl::FormatDateTime(pattern(displayText), GetAsDateTime());
}

bool TDateTimeField::ParseDisplayText(const std::string& text, Variant& value) const
{
    rtl::TDateTime v;
    if (!rtl::TryFormattedTextToDateTime(text, pattern(true), v)) return false;
    value = Variant::FromDateTime(v);
    return true;
}

void TDateTimeField::SetAsString(const std::string& text)
{
    if (rtl::Trim(text).empty()) {
        Clear();
        return;
    }
    rtl::TDateTime v;
    switch (DataType()) {
    case ftDate: v = rtl::StrToDate(text); break;
    case ftTime: v = rtl::StrToTime(text); break;
    default: v = rtl::StrToDateTime(text); break;
    }
    SetValue(Variant::FromDateTime(v));
}

Variant TDateTimeField::ConvertValue(const Variant& value) const
{
    rtl::TDateTime v = value.AsDateTime();
    // A value beyond the calendar would have no text and break every display of it.
    if (!rtl::IsValidDateTime(v))
        RaiseRangeError(rtl::FloatToStr(v), rtl::DateTimeToStr(rtl::MinDateTime), rtl::DateTimeToStr(rtl::MaxDateTime));
    if (DataType() == ftDate) v = std::trunc(v);
    else if (DataType() == ftTime) v = static_cast<double>(rtl::Round(std::fabs(v - std::trunc(v)) * 86400000.0)) / 86400000.0; // whole milliseconds
    return Variant::FromDateTime(v);
}

int TDateTimeField::DefaultWidth() const
{
    rtl::TDateTime sample = rtl::EncodeDate(2000, 12, 29) + rtl::EncodeTime(23, 59, 59, 0);
    return static_cast<int>(rtl::FormatDateTime(pattern(true), sample).size());
}

// --- blobs

TBlobField::TBlobField(rtl::TComponent* owner, TFieldType type) : TField(owner, type)
{
    fastReads_ = kFastString;
}

std::int64_t TBlobField::BlobSize() const
{
    return static_cast<std::int64_t>(GetAsString().size());
}

void TBlobField::SaveToStream(rtl::TStream& stream) const
{
    std::string bytes = GetAsString();
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TBlobField::LoadFromStream(rtl::TStream& stream)
{
    std::int64_t size = stream.GetSize();
    std::string bytes(static_cast<std::size_t>(size), '\0');
    stream.SetPosition(0);
    if (size > 0) stream.ReadBuffer(bytes.data(), size);
    if (bytes.empty()) Clear();
    else SetValue(Variant(std::move(bytes)));
}

std::string TBlobField::FormatText(bool displayText) const
{
    (void)displayText;
    std::string name = BlobName();
    return "(" + (IsNull() ? name : rtl::UpperCase(name)) + ")";
}

Variant TBlobField::ConvertValue(const Variant& value) const
{
    return Variant(value.AsString());
}

// --- factory

TField* CreateFieldOfType(TFieldType type, rtl::TComponent* owner)
{
    switch (type) {
    case ftSmallint: return new TSmallintField(owner);
    case ftInteger: return new TIntegerField(owner);
    case ftWord: return new TWordField(owner);
    case ftAutoInc: return new TAutoIncField(owner);
    case ftLargeint: return new TLargeintField(owner);
    case ftBoolean: return new TBooleanField(owner);
    case ftFloat: return new TFloatField(owner);
    case ftCurrency: return new TCurrencyField(owner);
    case ftBCD: return new TBCDField(owner);
    case ftFMTBcd: return new TFMTBCDField(owner);
    case ftDate: return new TDateField(owner);
    case ftTime: return new TTimeField(owner);
    case ftDateTime:
    case ftTimeStamp: return new TDateTimeField(owner);
    case ftBlob: return new TBlobField(owner);
    case ftMemo: return new TMemoField(owner);
    case ftFmtMemo: return new TFmtMemoField(owner);
    case ftFixedChar: return new TFixedCharField(owner);
    case ftWideString: return new TWideStringField(owner);
    default: return new TStringField(owner);
    }
}

const char* FieldTypeName(TFieldType type)
{
    static const char* const names[] = {
        "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency", "BCD",
        "Date", "Time", "DateTime", "AutoInc", "Blob", "Memo", "FmtMemo", "FixedChar", "WideString",
        "LargeInt", "Guid", "TimeStamp", "FMTBcd"};
    return (type >= 0 && type < static_cast<int>(sizeof names / sizeof names[0])) ? names[type] : "Unknown";
}

} // namespace db
