#pragma once
// What the parts of SysUtils share and nobody else uses: decimal digits of a number,
// the float formats over them, and a few character tests. Include SysUtils.h elsewhere.
#include <limits>
#include <string>
#include <string_view>

#include "platform/rtl/SysUtils.h"

namespace rtl::detail {

// A number as significant decimal digits: value = 0.digits x 10^exponent.
struct Decimal {
    // clang-format off
    enum class Special { None, NaN, PosInf, NegInf };
    // clang-format on
    Special special = Special::None;
    bool negative = false;
    std::string digits; // no leading or trailing zeros; empty for zero
    int exponent = 0;
    // The most significant digits a text shows: a double's digits beyond 15 are noise
    // of its binary form; an exact amount shows all of its own.
    int maxSignificant = std::numeric_limits<int>::max();
    // From a double: never rounded to a text beyond the largest double, which would
    // not read back.
    bool fromDouble = false;

    // The shortest digits that read back as value: 1.05 is "105" x 10^1, although the
    // double lies a little below 1.05, so that a decimal half is a half as people see it.
    static Decimal FromDouble(double value);
    static Decimal FromCurrency(Currency value); // exact
    bool IsZero() const { return special == Special::None && digits.empty(); }
    void Normalize();
    // Keeps the first keep digits (at most maxSignificant) in one rounding: a decimal
    // half goes away from zero, or with halfToEven to the even digit.
    void RoundToDigits(int keep, bool halfToEven = false);
    std::string IntegerDigits() const;           // "" below 1
    std::string FractionDigits(int count) const; // zero-filled

private:
    bool BeyondLargestDouble() const;
};

// A decimal already rounded to four decimals as a currency amount; false when it lies
// beyond the currency range.
bool DecimalToCurrency(const Decimal& d, Currency& value);

// The digits with a separator between each group of three ("1234567" -> "1,234,567").
std::string GroupThousands(const std::string& intDigits, char separator);

// The amount with the currency string and sign placed by the settings' formats.
std::string PlaceCurrency(const std::string& amount, bool negative, const TFormatSettings& fs);

// The number text of d (15 or 19 significant digits already) in one of the float formats.
std::string FormatDecimal(Decimal d, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);

// s without the control characters and blanks at either end.
inline std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// The quotes of format patterns.
inline bool IsQuote(char c) { return c == '"' || c == '\''; }

// ASCII lower case; other bytes unchanged.
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

} // namespace rtl::detail
