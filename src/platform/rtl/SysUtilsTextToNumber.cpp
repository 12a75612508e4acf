// Text to numbers: integers, floats and currency amounts.
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::Decimal;
using detail::TrimView;

// ===========================================================================
// Text to numbers

namespace {

bool ParseInt64(std::string_view text, std::int64_t& value)
{
    std::string_view s = TrimView(text);
    bool negative = false;
    // clang-format off
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) { negative = s[0] == '-'; s.remove_prefix(1); }
    int base = 10;
    if (!s.empty() && s[0] == '$') { base = 16; s.remove_prefix(1); }
    else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) { base = 16; s.remove_prefix(2); }
    // clang-format on
    if (s.empty()) return false;
    std::uint64_t mag = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), mag, base);
    if (ec != std::errc() || ptr != s.data() + s.size()) return false;
    if (base == 10) {
        const std::uint64_t limit = negative ? (std::uint64_t(1) << 63) : (std::uint64_t(1) << 63) - 1;
        if (mag > limit) return false;
        value = negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
    } else {
        // Hexadecimal is a bit pattern: $FFFFFFFFFFFFFFFF is -1.
        value = static_cast<std::int64_t>(negative ? 0 - mag : mag);
    }
    return true;
}

} // namespace

bool TryStrToInt64(const std::string& text, std::int64_t& value) { return ParseInt64(text, value); }

bool TryStrToInt(const std::string& text, int& value)
{
    std::int64_t v;
    if (!ParseInt64(text, v)) return false;
    // Hexadecimal up to $FFFFFFFF is a 32-bit pattern.
    const std::string_view t = TrimView(text);
    const bool hex = t.find('$') != std::string_view::npos || t.find('x') != std::string_view::npos
                     || t.find('X') != std::string_view::npos;
    // clang-format off
    if (hex && v >= 0 && v <= 0xFFFFFFFFLL) { value = static_cast<int>(static_cast<std::uint32_t>(v)); return true; }
    // clang-format on
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const std::string& text)
{
    int v;
    if (!TryStrToInt(text, v)) throw EConvertError("'" + text + "' is not a valid integer value");
    return v;
}

std::int64_t StrToInt64(const std::string& text)
{
    std::int64_t v;
    if (!TryStrToInt64(text, v)) throw EConvertError("'" + text + "' is not a valid integer value");
    return v;
}

int StrToIntDef(const std::string& text, int defaultValue)
{
    int v;
    return TryStrToInt(text, v) ? v : defaultValue;
}

std::int64_t StrToInt64Def(const std::string& text, std::int64_t defaultValue)
{
    std::int64_t v;
    return TryStrToInt64(text, v) ? v : defaultValue;
}

namespace {

// Checks the shape [sign] digits [sep digits] [E [sign] digits] and gives it with '.'.
bool NormalizeFloatText(std::string_view text, char decimalSeparator, std::string& out)
{
    std::string_view s = TrimView(text);
    out.clear();
    std::size_t i = 0;
    // clang-format off
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { if (s[i] == '-') out += '-'; ++i; }
    int digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++digits; }
    // clang-format on
    if (i < s.size() && s[i] == decimalSeparator) {
        out += '.';
        ++i;
        // clang-format off
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++digits; }
        // clang-format on
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
        int expDigits = 0;
        // clang-format off
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++expDigits; }
        // clang-format on
        if (!expDigits) return false;
    }
    return i == s.size();
}

} // namespace

bool TryStrToFloat(const std::string& text, double& value)
{
    return TryStrToFloat(text, value, FormatSettings);
}

bool TryStrToFloat(const std::string& text, double& value, const TFormatSettings& fs)
{
    std::string norm;
    if (!NormalizeFloatText(text, fs.DecimalSeparator, norm)) return false;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (ptr != norm.data() + norm.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        // Too small reads as zero, too large fails: the decimal magnitude tells them apart.
        const std::size_t e = norm.find('e');
        std::string mant = norm.substr(0, e);
        if (!mant.empty() && mant[0] == '-') mant.erase(0, 1);
        // An exponent beyond the text's length plus the double range decides alone, whatever
        // the digits: bounded there, the sum below cannot overflow.
        const long long kFar = static_cast<long long>(norm.size()) + 1000;
        long long exp = 0;
        if (e != std::string::npos) {
            const char* b = norm.data() + e + 1;
            if (*b == '+') ++b;
            if (std::from_chars(b, norm.data() + norm.size(), exp).ec != std::errc()) exp = b[0] == '-' ? -kFar : kFar;
            exp = std::clamp(exp, -kFar, kFar);
        }
        const std::size_t nz = mant.find_first_of("123456789");
        std::size_t point = mant.find('.');
        if (point == std::string::npos) point = mant.size();
        const long long magnitude = nz == std::string::npos ? -kFar
                                                            : (nz < point ? static_cast<long long>(point - nz) : -static_cast<long long>(nz - point - 1)) + exp;
        if (magnitude > 0) return false;
        v = 0;
    } else if (ec != std::errc()) {
        return false;
    }
    value = v;
    return true;
}

double StrToFloat(const std::string& text) { return StrToFloat(text, FormatSettings); }

double StrToFloat(const std::string& text, const TFormatSettings& fs)
{
    double v;
    if (!TryStrToFloat(text, v, fs)) throw EConvertError("'" + text + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(const std::string& text, double defaultValue)
{
    double v;
    return TryStrToFloat(text, v) ? v : defaultValue;
}

bool TryStrToCurr(const std::string& text, Currency& value)
{
    std::string norm;
    if (!NormalizeFloatText(text, FormatSettings.DecimalSeparator, norm)) return false;
    // Exact decimal arithmetic: digits and a power of ten.
    Decimal d;
    std::size_t i = 0;
    // clang-format off
    if (norm[i] == '-') { d.negative = true; ++i; }
    // clang-format on
    int pointPos = -1;
    std::string digits;
    for (; i < norm.size() && norm[i] != 'e'; ++i) {
        if (norm[i] == '.') pointPos = static_cast<int>(digits.size());
        else digits += norm[i];
    }
    int exp = 0;
    if (i < norm.size()) {
        // Beyond +-100 the amount overflows or rounds to zero anyway.
        const char* b = norm.data() + i + 1;
        const bool negativeExp = *b == '-';
        if (*b == '+' || *b == '-') ++b;
        long long e = 0;
        if (std::from_chars(b, norm.data() + norm.size(), e).ec == std::errc::result_out_of_range) e = 1000;
        exp = static_cast<int>(std::clamp(negativeExp ? -e : e, -1000LL, 1000LL));
        if (exp > 100) return false;
        exp = std::max(exp, -100);
    }
    d.digits = digits;
    d.exponent = (pointPos < 0 ? static_cast<int>(digits.size()) : pointPos) + exp;
    d.Normalize();
    d.RoundToDigits(d.exponent + 4, true);
    return detail::DecimalToCurrency(d, value);
}

Currency StrToCurr(const std::string& text)
{
    Currency c;
    if (!TryStrToCurr(text, c)) throw EConvertError("'" + text + "' is not a valid floating point value");
    return c;
}

// ===========================================================================
// Shown numbers back to values

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number a shown text holds, as plain text: its digits, the first decimal separator
// and an exponent (E or e, a sign, digits) after the first digit; everything else (a
// currency symbol, thousands separators, signs, brackets, blanks, literal text) is left
// out. Empty when the text has no digit.
std::string PlainNumber(std::string_view text, char decimalSeparator)
{
    std::string plain;
    bool digits = false, point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            plain += c;
            digits = true;
        } else if (c == decimalSeparator && !point) {
            plain += c;
            point = true;
        } else if ((c == 'E' || c == 'e') && digits && plain.find('E') == std::string::npos) {
            const std::size_t next = i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-') ? i + 2 : i + 1;
            if (next >= text.size() || !IsDigit(text[next])) continue;
            plain += 'E';
            if (next == i + 2) plain += text[i + 1];
            i = next - 1;
        }
    }
    return digits ? plain : std::string();
}

// The value, or its negative, that show writes as exactly text: read from the text's
// plain number, first with the currency string taken out (it may hold a separator).
template <typename T, typename Parse>
bool TryShown(std::string_view text, const Parse& parse, const std::function<std::string(T)>& show, T& value)
{
    if (TrimView(text).empty()) return false;
    const std::string& symbol = FormatSettings.CurrencyString;
    std::string withoutSymbol(text);
    if (!symbol.empty()) withoutSymbol = StringReplace(text, symbol, "", rfReplaceAll);
    for (const std::string_view source : {std::string_view(withoutSymbol), text}) {
        const std::string plain = PlainNumber(source, FormatSettings.DecimalSeparator);
        T magnitude{};
        if (!plain.empty() && !parse(plain, magnitude)) continue;
        for (const T candidate : {magnitude, -magnitude}) {
            if (show(candidate) != text) continue;
            value = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

bool TryShownTextToFloat(std::string_view text, const std::function<std::string(double)>& show, double& value)
{
    auto parse = [](const std::string& plain, double& v) { return TryStrToFloat(plain, v); };
    return TryShown<double>(text, parse, show, value);
}

bool TryShownTextToCurr(std::string_view text, const std::function<std::string(Currency)>& show, Currency& value)
{
    auto parse = [](const std::string& plain, Currency& v) { return TryStrToCurr(plain, v); };
    return TryShown<Currency>(text, parse, show, value);
}

} // namespace rtl
