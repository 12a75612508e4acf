#include "platform/rtl/Variant.h"

#include <cmath>
#include <limits>

namespace rtl {

namespace {

[[noreturn]] void CastError(TVarType from, TVarType to)
{
    throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from)
                                + ") into type (" + VarTypeAsText(to) + ")");
}

[[noreturn]] void Overflow() { throw EVariantOverflowError("Arithmetic overflow occurred"); }

[[noreturn]] void InvalidOp() { throw EVariantInvalidOpError("Invalid variant operation"); }

bool IsIntegralType(TVarType t)
{
    switch (t) {
    // clang-format off
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64:
        // clang-format on
        return true;
    default:
        return false;
    }
}

// Integer types and Boolean: values that compare and add as 64-bit integers.
bool IsIntLike(TVarType t) { return IsIntegralType(t) || t == varBoolean; }

bool InRange(std::int64_t v, TVarType t)
{
    switch (t) {
    case varShortInt: return v >= -128 && v <= 127;
    case varByte: return v >= 0 && v <= 255;
    case varSmallint: return v >= -32768 && v <= 32767;
    case varWord: return v >= 0 && v <= 65535;
    case varInteger: return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
    case varLongWord: return v >= 0 && v <= 0xFFFFFFFFLL;
    case varInt64: return true;
    default: return false;
    }
}

std::int64_t RoundChecked(double d)
{
    if (!(std::fabs(d) < 9.2233720368547758e18)) Overflow();
    return Round(d);
}

bool TextToBool(const std::string& s, bool& value)
{
    const std::string t = Trim(s);
    // clang-format off
    if (SameText(t, "True")) { value = true; return true; }
    if (SameText(t, "False")) { value = false; return true; }
    double d;
    if (TryStrToFloat(t, d)) { value = d != 0; return true; }
    // clang-format on
    return false;
}

} // namespace

Variant::Variant(unsigned long v) : type_(varInt64)
{
    if (v > static_cast<unsigned long>(std::numeric_limits<std::int64_t>::max())) Overflow();
    i_ = static_cast<std::int64_t>(v);
}

Variant::Variant(unsigned long long v) : type_(varInt64)
{
    if (v > static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max())) Overflow();
    i_ = static_cast<std::int64_t>(v);
}

Variant Variant::FromInteger(std::int64_t value, TVarType type)
{
    if (!IsIntegralType(type)) CastError(varInt64, type);
    if (!InRange(value, type)) Overflow();
    Variant v;
    v.type_ = type;
    v.i_ = value;
    return v;
}

bool Variant::IsNumeric() const { return !arr_ && (IsIntegralType(type_) || IsFloat()); }
bool Variant::IsOrdinal() const { return !arr_ && IsIntegralType(type_); }
bool Variant::IsFloat() const
{
    return !arr_ && (type_ == varSingle || type_ == varDouble || type_ == varCurrency);
}

std::string Variant::AsString() const
{
    if (arr_) CastError(VarType(), varString);
    switch (type_) {
    case varEmpty: return {};
    case varString: return s_;
    // clang-format off
    case varSingle: case varDouble: return FloatToStr(d_);
    // clang-format on
    case varCurrency: return CurrToStr(Currency{i_});
    case varDate: return DateTimeToStr(d_);
    case varBoolean: return i_ ? "True" : "False";
    default:
        if (IsIntegralType(type_)) return IntToStr(i_);
        CastError(type_, varString);
    }
}

std::int64_t Variant::AsInt64() const
{
    if (arr_) CastError(VarType(), varInt64);
    switch (type_) {
    case varEmpty: return 0;
    case varBoolean: return i_ ? -1 : 0;
    // clang-format off
    case varSingle: case varDouble: case varDate: return RoundChecked(d_);
    // clang-format on
    case varCurrency: {
        // Nearest whole amount, a half going to even.
        std::int64_t q = i_ / 10000, r = i_ % 10000;
        if (r > 5000 || (r == 5000 && (q & 1))) ++q;
        else if (r < -5000 || (r == -5000 && (q & 1))) --q;
        return q;
    }
    case varString: {
        std::int64_t v;
        if (TryStrToInt64(s_, v)) return v;
        double d;
        if (TryStrToFloat(s_, d)) return RoundChecked(d);
        throw EConvertError("'" + s_ + "' is not a valid integer value");
    }
    default:
        if (IsIntegralType(type_)) return i_;
        CastError(type_, varInt64);
    }
}

int Variant::AsInteger() const
{
    const std::int64_t v = AsInt64();
    if (!InRange(v, varInteger)) Overflow();
    return static_cast<int>(v);
}

double Variant::AsFloat() const
{
    if (arr_) CastError(VarType(), varDouble);
    switch (type_) {
    case varEmpty: return 0;
    case varBoolean: return i_ ? -1 : 0;
    // clang-format off
    case varSingle: case varDouble: case varDate: return d_;
    // clang-format on
    case varCurrency: return Currency{i_}.ToDouble();
    case varString: return StrToFloat(s_);
    default:
        if (IsIntegralType(type_)) return static_cast<double>(i_);
        CastError(type_, varDouble);
    }
}

bool Variant::AsBoolean() const
{
    if (arr_) CastError(VarType(), varBoolean);
    switch (type_) {
    case varEmpty: return false;
    case varBoolean: return i_ != 0;
    // clang-format off
    case varSingle: case varDouble: case varDate: return d_ != 0;
    // clang-format on
    case varCurrency: return i_ != 0;
    case varString: {
        bool b;
        if (!TextToBool(s_, b)) throw EConvertError("'" + s_ + "' is not a valid boolean value");
        return b;
    }
    default:
        if (IsIntegralType(type_)) return i_ != 0;
        CastError(type_, varBoolean);
    }
}

TDateTime Variant::AsDateTime() const
{
    if (type_ == varString && !arr_) return StrToDateTime(s_);
    if (type_ == varNull || type_ == varError || arr_) CastError(VarType(), varDate);
    return AsFloat();
}

Currency Variant::AsCurrency() const
{
    if (arr_) CastError(VarType(), varCurrency);
    switch (type_) {
    case varEmpty: return {};
    case varCurrency: return Currency{i_};
    case varString: return StrToCurr(s_);
    // clang-format off
    case varSingle: case varDouble: case varDate:
        // clang-format on
        if (!(std::fabs(d_) < 922337203685477.5807)) Overflow();
        return Currency::FromDouble(d_);
    case varBoolean: return Currency::FromInt(i_ ? -1 : 0);
    default:
        if (IsIntegralType(type_)) {
            if (i_ > 922337203685477LL || i_ < -922337203685477LL) Overflow();
            return Currency::FromInt(i_);
        }
        CastError(type_, varCurrency);
    }
}

std::int32_t Variant::AsError() const
{
    if (type_ != varError || arr_) CastError(VarType(), varError);
    return static_cast<std::int32_t>(i_);
}

int Variant::LowBound() const
{
    if (!arr_) InvalidOp();
    return arr_->low;
}

int Variant::HighBound() const
{
    if (!arr_) InvalidOp();
    return arr_->low + static_cast<int>(arr_->items.size()) - 1;
}

const Variant& Variant::operator[](int index) const
{
    if (!arr_) InvalidOp();
    const long long k = static_cast<long long>(index) - arr_->low;
    if (k < 0 || k >= static_cast<long long>(arr_->items.size()))
        throw EVariantArrayBoundsError("Variant or safe array index out of bounds");
    return arr_->items[static_cast<std::size_t>(k)];
}

Variant& Variant::operator[](int index)
{
    if (!arr_) InvalidOp();
    detach();
    return const_cast<Variant&>(static_cast<const Variant&>(*this)[index]);
}

void Variant::detach()
{
    if (arr_ && arr_.use_count() > 1) arr_ = std::make_shared<ArrayData>(*arr_);
}

// ---------------------------------------------------------------------------
// Comparison

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b)
{
    if (a.IsArray() || b.IsArray()) {
        if (!a.IsArray() || !b.IsArray()) return vrNotEqual;
        if (a.LowBound() != b.LowBound() || a.HighBound() != b.HighBound()) return vrNotEqual;
        for (int i = a.LowBound(); i <= a.HighBound(); ++i)
            if (VarCompareValue(a[i], b[i]) != vrEqual) return vrNotEqual;
        return vrEqual;
    }
    // Unassigned, then Null, before every value.
    auto rank = [](const Variant& v) { return v.IsEmpty() ? 0 : (v.IsNull() ? 1 : 2); };
    const int ra = rank(a), rb = rank(b);
    if (ra != 2 || rb != 2) return ra == rb ? vrEqual : (ra < rb ? vrLessThan : vrGreaterThan);

    const TVarType ta = a.VarType(), tb = b.VarType();
    if (ta == varError || tb == varError)
        return ta == tb && a.AsError() == b.AsError() ? vrEqual : vrNotEqual;

    auto order = [](auto x, auto y) { return x < y ? vrLessThan : (y < x ? vrGreaterThan : vrEqual); };
    if (ta == varString && tb == varString) {
        const int c = CompareStr(a.AsString(), b.AsString());
        return c < 0 ? vrLessThan : (c > 0 ? vrGreaterThan : vrEqual);
    }
    if (ta == varString || tb == varString) {
        // A text against a number or date: compare what the text reads as.
        const Variant& text = ta == varString ? a : b;
        const Variant& other = ta == varString ? b : a;
        double x;
        TDateTime dt;
        if (other.VarType() == varDate) {
            if (!TryStrToDateTime(text.AsString(), dt)) return vrNotEqual;
            x = dt;
        } else if (!TryStrToFloat(text.AsString(), x)) {
            return vrNotEqual;
        }
        const Variant converted(x);
        return ta == varString ? VarCompareValue(converted, other) : VarCompareValue(other, converted);
    }
    if (IsIntLike(ta) && IsIntLike(tb)) return order(a.AsInt64(), b.AsInt64());
    if ((ta == varCurrency || IsIntLike(ta)) && (tb == varCurrency || IsIntLike(tb))) {
        auto scaled = [](const Variant& v, TVarType t) -> __int128 {
            return t == varCurrency ? v.AsCurrency().Scaled : static_cast<__int128>(v.AsInt64()) * 10000;
        };
        return order(scaled(a, ta), scaled(b, tb));
    }
    const double x = a.AsFloat(), y = b.AsFloat();
    if (std::isnan(x) || std::isnan(y)) return vrNotEqual;
    return order(x, y);
}

bool operator==(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }

// ---------------------------------------------------------------------------
// Arithmetic

namespace {

// clang-format off
enum class NumKind { Int, Curr, Float, Date };
// clang-format on

NumKind KindOf(const Variant& v)
{
    switch (v.VarType()) {
    case varCurrency: return NumKind::Curr;
    // clang-format off
    case varSingle: case varDouble: case varString: return NumKind::Float;
    // clang-format on
    case varDate: return NumKind::Date;
    default: return NumKind::Int;
    }
}

bool SmallInt(const Variant& v)
{
    const TVarType t = v.VarType();
    return t != varInt64 && t != varLongWord;
}

Variant Arith(const Variant& a, const Variant& b, int sign)
{
    if (a.IsArray() || b.IsArray()) InvalidOp();
    if (a.VarType() == varError || b.VarType() == varError) InvalidOp();
    if (a.IsNull() || b.IsNull()) return Null();
    if (a.IsEmpty() && b.IsEmpty()) return Variant();
    if (sign > 0 && a.IsStr() && b.IsStr()) return Variant(a.AsString() + b.AsString());

    const NumKind ka = KindOf(a), kb = KindOf(b);
    if (ka == NumKind::Date || kb == NumKind::Date) {
        if (ka == NumKind::Date && kb == NumKind::Date && sign < 0) return Variant(a.AsFloat() - b.AsFloat());
        return Variant::FromDateTime(a.AsFloat() + sign * b.AsFloat());
    }
    if (ka == NumKind::Float || kb == NumKind::Float) return Variant(a.AsFloat() + sign * b.AsFloat());
    if (ka == NumKind::Curr || kb == NumKind::Curr) {
        std::int64_t r;
        const std::int64_t x = a.AsCurrency().Scaled, y = b.AsCurrency().Scaled;
        if (sign > 0 ? __builtin_add_overflow(x, y, &r) : __builtin_sub_overflow(x, y, &r)) Overflow();
        return Variant(Currency{r});
    }
    const std::int64_t x = a.AsInt64(), y = b.AsInt64();
    std::int64_t r;
    if (sign > 0 ? __builtin_add_overflow(x, y, &r) : __builtin_sub_overflow(x, y, &r))
        return Variant(static_cast<double>(x) + sign * static_cast<double>(y));
    if (SmallInt(a) && SmallInt(b) && InRange(r, varInteger)) return Variant(static_cast<int>(r));
    return Variant(static_cast<long long>(r));
}

} // namespace

Variant operator+(const Variant& a, const Variant& b) { return Arith(a, b, +1); }
Variant operator-(const Variant& a, const Variant& b) { return Arith(a, b, -1); }

// ---------------------------------------------------------------------------
// Free routines

std::string VarTypeAsText(TVarType type)
{
    if (type & varArray) return "Array of " + VarTypeAsText(type & varTypeMask);
    switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varError: return "Error";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varString: return "String";
    default: return "Unknown";
    }
}

std::string VarToStr(const Variant& v) { return VarToStrDef(v, {}); }

std::string VarToStrDef(const Variant& v, const std::string& defaultText)
{
    return VarIsClear(v) ? defaultText : v.AsString();
}

Variant VarAsType(const Variant& v, TVarType type)
{
    if (v.VarType() == type) return v;
    if (v.IsArray()) CastError(v.VarType(), type);
    switch (type) {
    case varEmpty: return Variant();
    case varNull: return Null();
    case varSingle: return Variant(static_cast<float>(v.AsFloat()));
    case varDouble: return Variant(v.AsFloat());
    case varCurrency: return Variant(v.AsCurrency());
    case varDate: return Variant::FromDateTime(v.AsDateTime());
    case varBoolean: return Variant(v.AsBoolean());
    case varString: return Variant(v.AsString());
    default:
        if (IsIntegralType(type)) {
            if (v.IsNull()) CastError(varNull, type);
            return Variant::FromInteger(v.AsInt64(), type);
        }
        CastError(v.VarType(), type);
    }
}

Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType)
{
    if (elementType != varVariant) throw EVariantError("Variant arrays hold Variant elements only");
    if (static_cast<long long>(highBound) < static_cast<long long>(lowBound) - 1)
        throw EVariantArrayBoundsError("Variant or safe array index out of bounds");
    Variant v;
    v.arr_ = std::make_shared<Variant::ArrayData>();
    v.arr_->low = lowBound;
    v.arr_->items.resize(static_cast<std::size_t>(static_cast<long long>(highBound) - lowBound + 1));
    return v;
}

Variant VarArrayOf(const std::vector<Variant>& values)
{
    Variant v = VarArrayCreate(0, static_cast<int>(values.size()) - 1);
    for (std::size_t i = 0; i < values.size(); ++i) v[static_cast<int>(i)] = values[i];
    return v;
}

Variant VarArrayOf(std::initializer_list<Variant> values) { return VarArrayOf(std::vector<Variant>(values)); }

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? 1 : 0; }

int VarArrayLowBound(const Variant& v, int dim)
{
    if (dim != 1) throw EVariantInvalidOpError("Invalid variant array dimension");
    return v.LowBound();
}

int VarArrayHighBound(const Variant& v, int dim)
{
    if (dim != 1) throw EVariantInvalidOpError("Invalid variant array dimension");
    return v.HighBound();
}

void VarArrayRedim(Variant& array, int highBound)
{
    if (!array.IsArray()) InvalidOp();
    if (static_cast<long long>(highBound) < static_cast<long long>(array.arr_->low) - 1)
        throw EVariantArrayBoundsError("Variant or safe array index out of bounds");
    array.detach();
    array.arr_->items.resize(static_cast<std::size_t>(static_cast<long long>(highBound) - array.arr_->low + 1));
}

} // namespace rtl
