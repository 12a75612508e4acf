#include "platform/fb/IBXSQLDA.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/fb/FbClient.h"
#include "platform/fb/IBBlob.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/SysUtils.h"

namespace fb {

namespace {

// A value of type T from a column buffer, which need not be aligned for T.
template <typename T>
T Load(const char* data)
{
    T x;
    std::memcpy(&x, data, sizeof x);
    return x;
}

// 30 December 1899 as a modified Julian day, the engine's day count.
constexpr int kDateDelta = 15018;
constexpr double kTimeUnitsPerDay = 864000000.0; // ISC_TIME counts 1/10000 s

std::int64_t Pow10(int n)
{
    std::int64_t r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

std::int64_t RoundToInt64(double value)
{
    double r = std::round(value);
    if (!(r >= -9.2233720368547758e18 && r < 9.2233720368547758e18))
        throw rtl::EConvertError("Value out of range for a 64-bit integer");
    return static_cast<std::int64_t>(r);
}

// Numbers in text values are read as the engine writes them: '.' before the decimals.
const rtl::TFormatSettings& EngineFormat()
{
    static const rtl::TFormatSettings settings = rtl::TFormatSettings::Invariant();
    return settings;
}

std::string ScaledToString(std::int64_t value, int scale)
{
    if (scale >= 0)
        return std::to_string(value * Pow10(scale));
    std::string digits = std::to_string(value < 0 ? -static_cast<unsigned long long>(value)
                                                  : static_cast<unsigned long long>(value));
    auto places = static_cast<std::size_t>(-scale);
    if (digits.size() <= places)
        digits.insert(0, places - digits.size() + 1, '0');
    digits.insert(digits.size() - places, 1, '.');
    return (value < 0 ? "-" : "") + digits;
}

std::string DoubleToString(double value)
{
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

std::string DateTimeToString(TDateTime value)
{
    ISC_TIMESTAMP ts = DateTimeToTimestamp(value);
    // Civil date from the modified Julian day.
    long j = static_cast<long>(ts.timestamp_date) + 2400001 + 68569;
    long c = 4 * j / 146097;
    j -= (146097 * c + 3) / 4;
    long y = 4000 * (j + 1) / 1461001;
    j = j - 1461 * y / 4 + 31;
    long m = 80 * j / 2447;
    long d = j - 2447 * m / 80;
    j = m / 11;
    m = m + 2 - 12 * j;
    y = 100 * (c - 49) + y + j;
    unsigned t = ts.timestamp_time / 10000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04ld-%02ld-%02ld %02u:%02u:%02u", y, m, d, t / 3600, t / 60 % 60, t % 60);
    return buf;
}

} // namespace

// ------------------------------------------------------------------ dates

ISC_TIMESTAMP DateTimeToTimestamp(TDateTime value)
{
    // As the runtime counts: the integer part is the day, the fraction's absolute value
    // the time of that day (also before 1899).
    double day = std::trunc(value);
    double fraction = std::fabs(value - day);
    auto units = static_cast<std::int64_t>(std::llround(fraction * kTimeUnitsPerDay));
    auto date = static_cast<std::int64_t>(day) + kDateDelta;
    if (units >= static_cast<std::int64_t>(kTimeUnitsPerDay)) {
        units -= static_cast<std::int64_t>(kTimeUnitsPerDay);
        ++date;
    }
    ISC_TIMESTAMP ts;
    ts.timestamp_date = static_cast<ISC_DATE>(date);
    ts.timestamp_time = static_cast<ISC_TIME>(units);
    return ts;
}

TDateTime TimestampToDateTime(const ISC_TIMESTAMP& value)
{
    double day = static_cast<double>(value.timestamp_date) - kDateDelta;
    double fraction = value.timestamp_time / kTimeUnitsPerDay;
    return day >= 0 ? day + fraction : day - fraction;
}

// ------------------------------------------------------------------ TSqlValue

void TSqlValue::SetScaled(std::int64_t value, int scale)
{
    kind_ = TKind::Integer;
    int_ = value;
    scale_ = scale;
    text_.clear();
}

void TSqlValue::SetAsDouble(double value)
{
    kind_ = TKind::Float;
    float_ = value;
    text_.clear();
}

void TSqlValue::SetAsString(std::string value)
{
    kind_ = TKind::Text;
    text_ = std::move(value);
}

void TSqlValue::SetAsDateTime(TDateTime value)
{
    kind_ = TKind::DateTime;
    float_ = value;
    text_.clear();
}

void TSqlValue::SetAsBoolean(bool value)
{
    kind_ = TKind::Boolean;
    int_ = value ? 1 : 0;
    scale_ = 0;
    text_.clear();
}

void TSqlValue::LoadFromStream(rtl::TStream& stream)
{
    std::string bytes(static_cast<std::size_t>(stream.GetSize()), '\0');
    stream.SetPosition(0);
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    SetAsString(std::move(bytes));
}

void TSqlValue::SaveToStream(rtl::TStream& stream) const
{
    std::string bytes = GetAsString();
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TSqlValue::SetAsVariant(const rtl::Variant& value)
{
    if (value.IsArray())
        throw rtl::EConvertError("An array cannot be a parameter value");
    switch (value.VarType()) {
    case rtl::varEmpty:
    case rtl::varNull:
        Clear();
        break;
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varShortInt:
    case rtl::varByte:
    case rtl::varWord:
    case rtl::varLongWord:
    case rtl::varInt64:
        SetAsInt64(value.AsInt64());
        break;
    case rtl::varSingle:
    case rtl::varDouble:
        SetAsDouble(value.AsFloat());
        break;
    case rtl::varCurrency:
        SetScaled(value.AsCurrency().Scaled, -4);
        break;
    case rtl::varDate:
        SetAsDateTime(value.AsDateTime());
        break;
    case rtl::varBoolean:
        SetAsBoolean(value.AsBoolean());
        break;
    case rtl::varString:
        SetAsString(value.AsString());
        break;
    default:
        throw rtl::EConvertError("Variant type " + std::to_string(value.VarType()) + " cannot be a parameter value");
    }
}

rtl::Variant TSqlValue::GetAsVariant() const
{
    switch (kind_) {
    case TKind::Null:
        return rtl::Variant::Null();
    case TKind::Integer:
        if (scale_ != 0)
            return rtl::Variant(GetAsDouble());
        if (int_ >= std::numeric_limits<int>::min() && int_ <= std::numeric_limits<int>::max())
            return rtl::Variant(static_cast<int>(int_));
        return rtl::Variant(static_cast<long long>(int_));
    case TKind::Float:
        return rtl::Variant(float_);
    case TKind::Text:
        return rtl::Variant(text_);
    case TKind::DateTime:
        return rtl::Variant::FromDateTime(float_);
    case TKind::Boolean:
        return rtl::Variant(int_ != 0);
    }
    return rtl::Variant::Null();
}

int TSqlValue::GetAsInteger() const
{
    std::int64_t v = GetAsInt64();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw rtl::EConvertError("Value " + std::to_string(v) + " out of range for an integer");
    return static_cast<int>(v);
}

std::int64_t TSqlValue::GetAsInt64() const
{
    switch (kind_) {
    case TKind::Null:
        return 0;
    case TKind::Integer:
    case TKind::Boolean:
        if (scale_ == 0)
            return int_;
        if (scale_ > 0)
            return int_ * Pow10(scale_);
        {
            std::int64_t div = Pow10(-scale_);
            std::int64_t q = int_ / div, r = int_ % div;
            if (2 * (r < 0 ? -r : r) >= div)
                q += int_ < 0 ? -1 : 1;
            return q;
        }
    case TKind::Float:
    case TKind::DateTime:
        return RoundToInt64(float_);
    case TKind::Text:
        return rtl::StrToInt64(text_);
    }
    return 0;
}

double TSqlValue::GetAsDouble() const
{
    switch (kind_) {
    case TKind::Null:
        return 0;
    case TKind::Integer:
    case TKind::Boolean:
        if (scale_ < 0)
            return static_cast<double>(int_) / static_cast<double>(Pow10(-scale_));
        return static_cast<double>(int_) * static_cast<double>(Pow10(scale_));
    case TKind::Float:
    case TKind::DateTime:
        return float_;
    case TKind::Text:
        return rtl::StrToFloat(text_, EngineFormat());
    }
    return 0;
}

std::string TSqlValue::GetAsString() const
{
    switch (kind_) {
    case TKind::Null:
        return {};
    case TKind::Integer:
        return ScaledToString(int_, scale_);
    case TKind::Float:
        return DoubleToString(float_);
    case TKind::DateTime:
        return DateTimeToString(float_);
    case TKind::Boolean:
        return int_ ? "True" : "False";
    case TKind::Text:
        return text_;
    }
    return {};
}

TDateTime TSqlValue::GetAsDateTime() const
{
    if (kind_ == TKind::Text) {
        double v;
        if (rtl::TryStrToFloat(text_, v, EngineFormat()))
            return v;
        throw rtl::EConvertError("'" + text_ + "' is not a valid date and time");
    }
    return GetAsDouble();
}

bool TSqlValue::GetAsBoolean() const
{
    if (kind_ == TKind::Text) {
        const std::string t = rtl::LowerCase(rtl::Trim(text_));
        if (t == "true")
            return true;
        if (t == "false")
            return false;
        double v;
        if (rtl::TryStrToFloat(text_, v, EngineFormat()))
            return v != 0;
        throw rtl::EConvertError("'" + text_ + "' is not a valid boolean value");
    }
    return GetAsDouble() != 0;
}

// ------------------------------------------------------------------ TIBXSQLVar

std::string TIBXSQLVar::GetName() const
{
    return std::string(var_->aliasname, static_cast<std::size_t>(var_->aliasname_length));
}

std::string TIBXSQLVar::GetSqlName() const
{
    return std::string(var_->sqlname, static_cast<std::size_t>(var_->sqlname_length));
}

std::string TIBXSQLVar::GetRelationName() const
{
    return std::string(var_->relname, static_cast<std::size_t>(var_->relname_length));
}

ISC_QUAD TIBXSQLVar::GetAsQuad() const
{
    if (!IsBlob())
        throw rtl::EConvertError("Column " + GetName() + " is not a blob");
    return Load<ISC_QUAD>(var_->sqldata);
}

std::string TIBXSQLVar::ReadBlob(const ISC_QUAD& id) const
{
    if (!reader_)
        throw rtl::EDatabaseError("Blob " + GetName() + " cannot be read here");
    return reader_->ReadBlob(id);
}

TSqlValue TIBXSQLVar::GetValue() const
{
    TSqlValue v;
    if (GetIsNull())
        return v;
    const char* data = var_->sqldata;
    switch (GetSqlType()) {
    case SQL_SHORT:
        v.SetScaled(Load<ISC_SHORT>(data), var_->sqlscale);
        break;
    case SQL_LONG:
        v.SetScaled(Load<ISC_LONG>(data), var_->sqlscale);
        break;
    case SQL_INT64:
        v.SetScaled(Load<ISC_INT64>(data), var_->sqlscale);
        break;
    case SQL_FLOAT:
        v.SetAsDouble(Load<float>(data));
        break;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        v.SetAsDouble(Load<double>(data));
        break;
    case SQL_TEXT:
        v.SetAsString(std::string(data, static_cast<std::size_t>(var_->sqllen)));
        break;
    case SQL_VARYING:
        v.SetAsString(std::string(data + 2, Load<ISC_USHORT>(data)));
        break;
    case SQL_BLOB:
        v.SetAsString(ReadBlob(GetAsQuad()));
        break;
    case SQL_TIMESTAMP:
        v.SetAsDateTime(TimestampToDateTime(Load<ISC_TIMESTAMP>(data)));
        break;
    case SQL_TYPE_DATE:
        v.SetAsDateTime(static_cast<double>(Load<ISC_DATE>(data)) - kDateDelta);
        break;
    case SQL_TYPE_TIME:
        v.SetAsDateTime(Load<ISC_TIME>(data) / kTimeUnitsPerDay);
        break;
    case SQL_BOOLEAN:
        v.SetAsBoolean(*reinterpret_cast<const unsigned char*>(data) != 0);
        break;
    case SQL_NULL:
        break;
    default:
        throw rtl::EDatabaseError("Column " + GetName() + " has an unsupported type "
                                  + std::to_string(GetSqlType()));
    }
    return v;
}

// ------------------------------------------------------------------ TIBXSQLDA

TIBXSQLDA::TIBXSQLDA() = default;

TIBXSQLDA::~TIBXSQLDA()
{
    Clear();
}

void TIBXSQLDA::Clear()
{
    std::free(da_);
    da_ = nullptr;
    vars_.clear();
    described_.clear();
    buffers_.clear();
    capacities_.clear();
    indicators_.clear();
}

void TIBXSQLDA::Allocate(int count)
{
    std::free(da_);
    int n = count < 1 ? 1 : count;
    da_ = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n)));
    if (!da_)
        throw std::bad_alloc();
    da_->version = SQLDA_VERSION1;
    da_->sqln = static_cast<ISC_SHORT>(n);
}

void TIBXSQLDA::Describe(isc_stmt_handle* statement, int dialect, bool input)
{
    Clear();
    const TFbApi& api = Api();
    ISC_STATUS_ARRAY status;
    auto describe = [&] {
        if (input)
            api.isc_dsql_describe_bind(status, statement, static_cast<unsigned short>(dialect), da_);
        else
            api.isc_dsql_describe(status, statement, static_cast<unsigned short>(dialect), da_);
        Check(status);
    };
    Allocate(20);
    describe();
    if (da_->sqld > da_->sqln) {
        Allocate(da_->sqld);
        describe();
    }
    int count = da_->sqld;
    buffers_.resize(static_cast<std::size_t>(count));
    capacities_.resize(static_cast<std::size_t>(count));
    indicators_.assign(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        XSQLVAR& var = da_->sqlvar[i];
        described_.push_back(var);
        std::size_t size = static_cast<std::size_t>(var.sqllen) + 2;
        capacities_[static_cast<std::size_t>(i)] = (size + 7) / 8 * 8;
        buffers_[static_cast<std::size_t>(i)] = std::make_unique<std::int64_t[]>((size + 7) / 8);
        var.sqldata = reinterpret_cast<ISC_SCHAR*>(buffers_[static_cast<std::size_t>(i)].get());
        var.sqlind = &indicators_[static_cast<std::size_t>(i)];
        var.sqltype = static_cast<ISC_SHORT>(var.sqltype | 1); // always get an indicator
    }
}

void TIBXSQLDA::DescribeOutput(isc_stmt_handle* statement, int dialect, TBlobReader* reader)
{
    Describe(statement, dialect, false);
    vars_.reserve(static_cast<std::size_t>(GetCount()));
    for (int i = 0; i < GetCount(); ++i) {
        vars_.emplace_back(&da_->sqlvar[i], reader);
        vars_.back().nullable_ = (described_[static_cast<std::size_t>(i)].sqltype & 1) != 0;
    }
}

void TIBXSQLDA::DescribeInput(isc_stmt_handle* statement, int dialect)
{
    Describe(statement, dialect, true);
}

void TIBXSQLDA::SetInput(int index, const TSqlValue& value, isc_db_handle* db, isc_tr_handle* tr)
{
    auto i = static_cast<std::size_t>(index);
    XSQLVAR& var = da_->sqlvar[index];
    const XSQLVAR& described = described_[i];
    const short target = static_cast<short>(described.sqltype & ~1);
    auto& buffer = buffers_[i];
    std::size_t& capacity = capacities_[i];

    auto use = [&](short type, short len, short scale, short subtype) {
        var.sqltype = static_cast<ISC_SHORT>(type | 1);
        var.sqllen = len;
        var.sqlscale = scale;
        var.sqlsubtype = subtype;
        var.sqldata = reinterpret_cast<ISC_SCHAR*>(buffer.get());
        indicators_[i] = 0;
    };
    auto storeDate = [&](TDateTime dt) {
        ISC_TIMESTAMP ts = DateTimeToTimestamp(dt);
        if (target == SQL_TYPE_DATE) {
            use(SQL_TYPE_DATE, sizeof(ISC_DATE), 0, 0);
            std::memcpy(var.sqldata, &ts.timestamp_date, sizeof ts.timestamp_date);
        } else if (target == SQL_TYPE_TIME) {
            use(SQL_TYPE_TIME, sizeof(ISC_TIME), 0, 0);
            std::memcpy(var.sqldata, &ts.timestamp_time, sizeof ts.timestamp_time);
        } else {
            use(SQL_TIMESTAMP, sizeof(ISC_TIMESTAMP), 0, 0);
            std::memcpy(var.sqldata, &ts, sizeof ts);
        }
    };
    const bool dateTarget = target == SQL_TIMESTAMP || target == SQL_TYPE_DATE || target == SQL_TYPE_TIME;

    if (value.GetIsNull()) {
        var = described;
        var.sqltype = static_cast<ISC_SHORT>(target | 1);
        var.sqldata = reinterpret_cast<ISC_SCHAR*>(buffer.get());
        var.sqlind = &indicators_[i];
        indicators_[i] = -1;
        return;
    }
    if (target == SQL_BLOB) {
        ISC_QUAD id = WriteBlob(db, tr, value.GetAsString());
        use(SQL_BLOB, sizeof(ISC_QUAD), 0, described.sqlsubtype);
        std::memcpy(var.sqldata, &id, sizeof id);
        return;
    }
    if (target == SQL_BOOLEAN && value.GetKind() != TSqlValue::TKind::Text) {
        use(SQL_BOOLEAN, 1, 0, 0);
        *reinterpret_cast<unsigned char*>(var.sqldata) = value.GetAsBoolean() ? 1 : 0;
        return;
    }
    switch (value.GetKind()) {
    case TSqlValue::TKind::Integer:
    case TSqlValue::TKind::Boolean:
        if (dateTarget) {
            storeDate(value.GetAsDouble());
        } else {
            use(SQL_INT64, sizeof(ISC_INT64), static_cast<short>(value.GetScale()), 0);
            ISC_INT64 x = value.GetScaledValue();
            std::memcpy(var.sqldata, &x, sizeof x);
        }
        return;
    case TSqlValue::TKind::Float:
    case TSqlValue::TKind::DateTime:
        if (dateTarget) {
            storeDate(value.GetAsDouble());
        } else {
            use(SQL_DOUBLE, sizeof(double), 0, 0);
            double x = value.GetAsDouble();
            std::memcpy(var.sqldata, &x, sizeof x);
        }
        return;
    case TSqlValue::TKind::Text: {
        std::string text = value.GetAsString();
        if (text.size() > 32765)
            throw rtl::EDatabaseError("Parameter text too long (" + std::to_string(text.size()) + " bytes)");
        if (text.size() + 2 > capacity) {
            capacity = (text.size() + 2 + 7) / 8 * 8;
            buffer = std::make_unique<std::int64_t[]>(capacity / 8);
        }
        // Texts keep the character set the engine described; other targets convert.
        bool textTarget = target == SQL_TEXT || target == SQL_VARYING;
        use(SQL_VARYING, static_cast<short>(text.size()), 0, textTarget ? described.sqlsubtype : 0);
        auto len = static_cast<ISC_USHORT>(text.size());
        std::memcpy(var.sqldata, &len, sizeof len);
        std::memcpy(var.sqldata + 2, text.data(), text.size());
        return;
    }
    case TSqlValue::TKind::Null:
        break;
    }
}

} // namespace fb
