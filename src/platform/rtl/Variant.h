#pragma once
// Variant: a value of one of the runtime's dynamic types, as data sets, fields and
// data-aware controls pass values around.
//
// Unassigned (varEmpty) and Null (varNull) are distinct. Numbers keep their type
// (small integer, integer, 64-bit integer, single, double, currency, date-time),
// texts are 8-bit (varString), and one-dimensional arrays of Variants keep their own
// low and high bounds.
//
// Equality (operator==) is the one data-aware controls need:
//   - Unassigned equals only Unassigned; Null equals only Null (Null == Null).
//   - An array equals only an array with the same bounds and equal elements.
//   - Numbers compare by value across their types (1 == 1.0 == Currency 1);
//     True is -1 and False 0 against a number.
//   - Texts compare exactly; a text against a number compares as the number it
//     reads as (StrToFloat), and is unequal when it does not read as one.
// VarCompareValue orders values the same way: Unassigned before Null before every
// other value; vrNotEqual where there is no order (arrays, errors, a text that is not
// a number against a number).
//
// Conversions (AsString, AsInteger, ...) follow the runtime: a text that does not read
// as the type raises EConvertError with "'%s' is not a valid integer value",
// "'%s' is not a valid floating point value" or "'%s' is not a valid boolean value";
// Null, Unassigned in a number, an array or an error value raise EVariantTypeCastError
// "Could not convert variant of type (%s) into type (%s)"; a number out of the target's
// range raises EVariantOverflowError. Unassigned reads as 0, "" and False.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/SysUtils.h"

namespace rtl {

using TVarType = std::uint16_t;
inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002; // 16-bit signed
inline constexpr TVarType varInteger = 0x0003;  // 32-bit signed
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;  // element type of Variant arrays
inline constexpr TVarType varShortInt = 0x0010; // 8-bit signed
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;

// clang-format off
class EVariantError : public Exception { using Exception::Exception; };
class EVariantTypeCastError : public EVariantError { using EVariantError::EVariantError; };
class EVariantOverflowError : public EVariantError { using EVariantError::EVariantError; };
// "Variant or safe array index out of bounds"
class EVariantArrayBoundsError : public EVariantError { using EVariantError::EVariantError; };
// "Invalid variant operation" (arithmetic on arrays, texts that are not numbers ...)
class EVariantInvalidOpError : public EVariantError { using EVariantError::EVariantError; };
// clang-format on

class Variant {
public:
    Variant() noexcept = default; // Unassigned
    Variant(bool v) : type_(varBoolean) { i_ = v ? 1 : 0; }
    Variant(int v) : type_(varInteger) { i_ = v; }
    Variant(long v) : type_(varInt64) { i_ = v; }
    Variant(long long v) : type_(varInt64) { i_ = v; }
    Variant(unsigned v) : type_(varLongWord) { i_ = v; }
    // varInt64; EVariantOverflowError above the 64-bit signed range.
    Variant(unsigned long v);
    Variant(unsigned long long v);
    Variant(std::nullptr_t) = delete;
    Variant(double v) : type_(varDouble) { d_ = v; }
    Variant(float v) : type_(varSingle) { d_ = v; }
    Variant(Currency v) : type_(varCurrency) { i_ = v.Scaled; }
    Variant(const char* v) : type_(varString), s_(v ? v : "") {}
    Variant(std::string v) : type_(varString), s_(std::move(v)) {}
    Variant(std::string_view v) : type_(varString), s_(v) {}

    // clang-format off
    static Variant Null() { Variant v; v.type_ = varNull; return v; }
    static Variant FromDateTime(TDateTime value) { Variant v; v.type_ = varDate; v.d_ = value; return v; }
    static Variant FromError(std::int32_t code) { Variant v; v.type_ = varError; v.i_ = code; return v; }
    // clang-format on
    // An integer of the given integer type (varSmallint ... varInt64); EVariantOverflowError
    // when the value does not fit.
    static Variant FromInteger(std::int64_t value, TVarType type);

    TVarType VarType() const { return arr_ ? static_cast<TVarType>(varArray | varVariant) : type_; }
    bool IsEmpty() const { return type_ == varEmpty && !arr_; }
    bool IsNull() const { return type_ == varNull; }
    bool IsArray() const { return arr_ != nullptr; }
    bool IsNumeric() const; // integer, float, currency types (not Boolean, not date)
    bool IsOrdinal() const; // integer types
    bool IsFloat() const;   // single, double, currency
    bool IsStr() const { return type_ == varString; }

    std::string AsString() const; // Unassigned "", Boolean "True"/"False", date DateTimeToStr
    int AsInteger() const;        // floats round half to even
    std::int64_t AsInt64() const;
    double AsFloat() const;
    bool AsBoolean() const;       // numbers: not 0; texts: "True"/"False" or a number
    TDateTime AsDateTime() const; // texts: StrToDateTime, else a number
    Currency AsCurrency() const;
    std::int32_t AsError() const; // the code of an error value

    // One-dimensional arrays. Indexes run from LowBound to HighBound.
    int LowBound() const;
    int HighBound() const;
    int ElementCount() const { return arr_ ? static_cast<int>(arr_->items.size()) : 0; }
    // EVariantArrayBoundsError outside the bounds; EVariantInvalidOpError on a non-array.
    const Variant& operator[](int index) const;
    Variant& operator[](int index);

    friend bool operator==(const Variant& a, const Variant& b);

    // Arithmetic as the runtime does it: Null in, Null out; Unassigned counts as 0;
    // integer + integer stays integer (64-bit on overflow of 32), a float makes a double,
    // currency with an integer stays currency; a text reads as a number.
    friend Variant operator+(const Variant& a, const Variant& b);
    friend Variant operator-(const Variant& a, const Variant& b);

private:
    friend Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType);
    friend void VarArrayRedim(Variant& array, int highBound);

    struct ArrayData {
        int low = 0;
        std::vector<Variant> items;
    };
    void detach();

    TVarType type_ = varEmpty;
    union {
        std::int64_t i_ = 0;
        double d_;
    };
    std::string s_;
    std::shared_ptr<ArrayData> arr_; // shared until written (copy on write)
};

inline Variant Null() { return Variant::Null(); }
inline Variant Unassigned() { return Variant(); }

inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
// Null or Unassigned.
inline bool VarIsClear(const Variant& v) { return v.IsNull() || v.IsEmpty(); }
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }
inline bool VarIsNumeric(const Variant& v) { return v.IsNumeric(); }
inline bool VarIsOrdinal(const Variant& v) { return v.IsOrdinal(); }
inline bool VarIsFloat(const Variant& v) { return v.IsFloat(); }
inline bool VarIsStr(const Variant& v) { return v.IsStr(); }
inline TVarType VarType(const Variant& v) { return v.VarType(); }
// "Empty", "Null", "Integer", "Double", "String", "Array of Variant" ...
std::string VarTypeAsText(TVarType type);

// Text of a value; Null and Unassigned give "".
std::string VarToStr(const Variant& v);
std::string VarToStrDef(const Variant& v, const std::string& defaultText);
// The value converted to the given simple type (varString, varDouble, varInteger ...).
Variant VarAsType(const Variant& v, TVarType type);

// An array low..high of Unassigned elements (elementType must be varVariant).
Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType = varVariant);
// An array 0..n-1 of the given values.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
int VarArrayDimCount(const Variant& v); // 1 for an array, 0 otherwise
// EVariantInvalidOpError for a dimension other than 1 or a value that is no array.
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
// New high bound; kept elements stay, new ones are Unassigned.
void VarArrayRedim(Variant& array, int highBound);

// clang-format off
enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };
// clang-format on
// Order of two values by the equality rules above; texts by byte order.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
inline bool VarSameValue(const Variant& a, const Variant& b) { return a == b; }

} // namespace rtl
