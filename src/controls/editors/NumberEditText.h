#pragma once
// The number rules of the numeric editor, apart from its window: how a typed text reads
// (either '.' or ',' may stand for the decimal separator), the picture a value is edited
// in, the thousands grouping while typing, the test of the key filter, and the limits
// and rounding of a value.
#include <string>
#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

namespace editors {

// The text without blanks (" ") at its ends and without thousands separators, with '.'
// and ',' read as the decimal separator unless one of them is the thousands separator.
std::string NormalizeNumberText(std::string_view text, const rtl::TFormatSettings& settings = rtl::FormatSettings);

enum class TNumberText {
    Empty,     // nothing, or a lone sign
    Number,    // a finite number
    NotANumber // anything else: "abc", "1e", "1e400", "INF"
};
// What a normalized text holds; value is set for a number.
TNumberText ReadNumberText(const std::string& normalized, double& value,
                           const rtl::TFormatSettings& settings = rtl::FormatSettings);
// A value as a finite double: a number, a text that reads as one, a date, a Boolean.
// Null, arrays, other texts and infinities raise rtl::EConvertError "'%s' is not a valid
// floating point value" (or the Variant's cast error).
double NumberOfValue(const rtl::Variant& value);
// The same without raising: false where NumberOfValue would.
bool TryNumberOfValue(const rtl::Variant& value, double& number);

// The picture a value is edited in, from a display format: its "#", ",", "." and "0"
// outside quoted text, from the first section only; an exponent ("E+00") goes with its
// digits.
std::string EditFormatOfDisplayFormat(std::string_view displayFormat);
// The edit picture of currency amounts: ",#." and the currency decimals' zeros.
std::string CurrencyEditFormat(const rtl::TFormatSettings& settings = rtl::FormatSettings);

// The text normalized and, with group, a thousands separator before every third digit of
// its integer part (the part before the decimal separator or the exponent). An empty
// text and a lone "-" stay as they are.
std::string ThousandsGroupedText(std::string_view text, bool group,
                                 const rtl::TFormatSettings& settings = rtl::FormatSettings);

// The key filter's test of the normalized text a key would produce: no more decimals than
// decimalPlaces (counted up to an exponent), a number or a lone sign, and not negative
// when refuseNegative. The empty text passes.
bool NumberTextAcceptable(std::string_view normalized, unsigned decimalPlaces, bool refuseNegative,
                          const rtl::TFormatSettings& settings = rtl::FormatSettings);

// value within the limits: none when they are equal; both when min < max; when min > max
// only the lower one if max is 0, only the upper one if min is 0, else none.
double ClampToLimits(double value, double minValue, double maxValue);
// value rounded to places decimals, a half to even as the value reads (2.675 to 2.68 at
// two places); 38 places and more leave it unchanged.
double RoundToPlaces(double value, unsigned places);

} // namespace editors
