// Numbers to text: the float formats, picture formats and currency texts.
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

// ===========================================================================
// Currency

Currency Currency::FromDouble(double value)
{
    // Scaled on the decimal text: value × 10000 in doubles loses the cents from about
    // 10^12 up (822762763115243.0 would read ...243.0080).
    if (!std::isfinite(value)) throw EOverflow("Arithmetic overflow");
    detail::Decimal d = detail::Decimal::FromDouble(value);
    d.maxSignificant = std::numeric_limits<int>::max();
    d.RoundToDigits(d.exponent + 4, true);
    Currency result;
    if (!detail::DecimalToCurrency(d, result)) throw EOverflow("Arithmetic overflow");
    return result;
}

// ===========================================================================
// Decimal digits: the common ground of every number-to-text conversion.

namespace detail {

Decimal Decimal::FromDouble(double value)
{
    Decimal d;
    // clang-format off
    if (std::isnan(value)) { d.special = Special::NaN; return d; }
    if (std::isinf(value)) { d.special = value < 0 ? Special::NegInf : Special::PosInf; return d; }
    // clang-format on
    d.maxSignificant = 15;
    d.fromDouble = true;
    if (value == 0) return d;
    d.negative = value < 0;
    char buf[48];
    // "d.ddde+xx" with as few digits as read back the same double.
    const auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const char* p = buf;
    d.digits += *p++;
    if (*p == '.') ++p;
    while (p < result.ptr && *p >= '0' && *p <= '9') d.digits += *p++;
    int exp = 0;
    if (p < result.ptr && (*p == 'e' || *p == 'E')) std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exp);
    d.exponent = exp + 1;
    d.Normalize();
    return d;
}

bool DecimalToCurrency(const Decimal& d, Currency& value)
{
    if (d.IsZero()) {
        value = Currency{};
        return true;
    }
    if (d.special != Decimal::Special::None || d.exponent > 15) return false;
    const std::string scaled = d.IntegerDigits() + d.FractionDigits(4);
    std::uint64_t mag = 0;
    if (std::from_chars(scaled.data(), scaled.data() + scaled.size(), mag).ec != std::errc()) return false;
    const std::uint64_t limit = (std::uint64_t(1) << 63) - (d.negative ? 0 : 1);
    if (mag > limit) return false;
    value = Currency{d.negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag)};
    return true;
}

Decimal Decimal::FromCurrency(Currency value)
{
    Decimal d;
    if (value.Scaled == 0) return d;
    d.negative = value.Scaled < 0;
    const std::uint64_t mag = d.negative ? 0 - static_cast<std::uint64_t>(value.Scaled)
                                         : static_cast<std::uint64_t>(value.Scaled);
    d.digits = std::to_string(mag);
    d.exponent = static_cast<int>(d.digits.size()) - 4;
    d.Normalize();
    return d;
}

void Decimal::Normalize()
{
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    std::size_t lead = 0;
    while (lead < digits.size() && digits[lead] == '0') ++lead;
    // clang-format off
    if (lead) { digits.erase(0, lead); exponent -= static_cast<int>(lead); }
    // clang-format on
    if (digits.empty()) exponent = 0;
}

bool Decimal::BeyondLargestDouble() const
{
    // 1.7976931348623157e308, the largest double as its shortest digits.
    static const std::string kLargest = "17976931348623157";
    if (exponent != 309) return exponent > 309;
    std::string a = digits, b = kLargest;
    a.resize(std::max(a.size(), b.size()), '0');
    b.resize(a.size(), '0');
    return a > b;
}

void Decimal::RoundToDigits(int keep, bool halfToEven)
{
    if (special != Special::None) return;
    keep = std::min(keep, maxSignificant);
    if (keep >= static_cast<int>(digits.size())) return;
    // clang-format off
    if (keep < 0) { digits.clear(); Normalize(); return; }
    // clang-format on
    const char first = digits[keep];
    bool up = first >= '5';
    if (halfToEven && first == '5') {
        bool rest = false;
        for (std::size_t i = keep + 1; i < digits.size(); ++i)
            // clang-format off
            if (digits[i] != '0') { rest = true; break; }
        // clang-format on
        const bool lastOdd = keep > 0 && ((digits[keep - 1] - '0') % 2 == 1);
        up = rest || lastOdd;
    }
    digits.resize(keep);
    if (up) {
        const std::string down = digits;
        const int downExponent = exponent;
        int i = keep - 1;
        // clang-format off
        while (i >= 0 && digits[i] == '9') { digits[i] = '0'; --i; }
        // clang-format on
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
            ++exponent;
        }
        if (fromDouble && BeyondLargestDouble()) {
            digits = down;
            exponent = downExponent;
        }
    }
    Normalize();
}

std::string Decimal::IntegerDigits() const
{
    if (exponent <= 0) return {};
    std::string s = digits.substr(0, std::min<std::size_t>(digits.size(), exponent));
    s.append(static_cast<std::size_t>(exponent) - s.size(), '0');
    return s;
}

std::string Decimal::FractionDigits(int count) const
{
    std::string s;
    for (int i = 0; i < count; ++i) {
        const int pos = exponent + i;
        s += (pos >= 0 && pos < static_cast<int>(digits.size())) ? digits[pos] : '0';
    }
    return s;
}

std::string GroupThousands(const std::string& intDigits, char separator)
{
    if (!separator || intDigits.size() <= 3) return intDigits;
    std::string out;
    const std::size_t n = intDigits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += intDigits[i];
        const std::size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += separator;
    }
    return out;
}

} // namespace detail

using detail::Decimal;
using detail::FormatDecimal;
using detail::PlaceCurrency;
using detail::IsQuote;

namespace {

std::string SpecialText(const Decimal& d)
{
    switch (d.special) {
    case Decimal::Special::NaN: return "NAN";
    case Decimal::Special::PosInf: return "INF";
    case Decimal::Special::NegInf: return "-INF";
    default: return {};
    }
}

std::string ExponentText(int exp, bool alwaysSign, int minDigits)
{
    std::string s;
    if (exp < 0) s += '-';
    else if (alwaysSign) s += '+';
    std::string e = std::to_string(exp < 0 ? -exp : exp);
    if (static_cast<int>(e.size()) < minDigits) e.insert(0, minDigits - e.size(), '0');
    return s + e;
}

// "d.ddd" of the first count digits (zeros added) and the decimal exponent.
std::string Mantissa(const Decimal& d, int count, bool keepTrailingZeros, char decimalSeparator)
{
    std::string m = d.digits.empty() ? std::string("0") : d.digits;
    if (static_cast<int>(m.size()) < count) m.append(count - m.size(), '0');
    if (!keepTrailingZeros) {
        while (m.size() > 1 && m.back() == '0') m.pop_back();
    } else if (static_cast<int>(m.size()) > count) {
        m.resize(count);
    }
    std::string out(1, m[0]);
    // clang-format off
    if (m.size() > 1) { out += decimalSeparator; out += m.substr(1); }
    // clang-format on
    return out;
}

std::string FixedText(const Decimal& d, int decimals, char decimalSeparator, char thousands)
{
    std::string intPart = d.IntegerDigits();
    if (intPart.empty()) intPart = "0";
    std::string s = detail::GroupThousands(intPart, thousands);
    // clang-format off
    if (decimals > 0) { s += decimalSeparator; s += d.FractionDigits(decimals); }
    // clang-format on
    return s;
}


} // namespace

std::string detail::PlaceCurrency(const std::string& amount, bool negative, const TFormatSettings& fs)
{
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1: return amount + c;
        case 2: return c + " " + amount;
        case 3: return amount + " " + c;
        default: return c + amount;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1: return "-" + c + amount;
    case 2: return c + "-" + amount;
    case 3: return c + amount + "-";
    case 4: return "(" + amount + c + ")";
    case 5: return "-" + amount + c;
    case 6: return amount + "-" + c;
    case 7: return amount + c + "-";
    case 8: return "-" + amount + " " + c;
    case 9: return "-" + c + " " + amount;
    case 10: return amount + " " + c + "-";
    case 11: return c + " " + amount + "-";
    case 12: return c + " -" + amount;
    case 13: return amount + "- " + c;
    case 14: return "(" + c + " " + amount + ")";
    case 15: return "(" + amount + " " + c + ")";
    default: return "(" + c + amount + ")";
    }
}

std::string detail::FormatDecimal(Decimal d, TFloatFormat format, int precision, int digits,
                                  const TFormatSettings& fs)
{
    if (d.special != Decimal::Special::None) return SpecialText(d);
    const char ds = fs.DecimalSeparator;
    switch (format) {
    case ffGeneral: {
        d.RoundToDigits(precision);
        if (d.IsZero()) return "0";
        const std::string sign = d.negative ? "-" : "";
        if (d.exponent > precision || d.exponent < -3)
            return sign + Mantissa(d, 1, false, ds) + "E" + ExponentText(d.exponent - 1, false, std::clamp(digits, 0, 4));
        const int decimals = std::max(0, static_cast<int>(d.digits.size()) - d.exponent);
        return sign + FixedText(d, decimals, ds, 0);
    }
    case ffExponent: {
        d.RoundToDigits(precision);
        const std::string sign = d.negative && !d.IsZero() ? "-" : "";
        const int exp = d.IsZero() ? 0 : d.exponent - 1;
        return sign + Mantissa(d, precision, true, ds) + "E" + ExponentText(exp, true, std::clamp(digits, 0, 4));
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        Decimal whole = d;
        whole.RoundToDigits(precision);
        if (whole.exponent > precision)
            return FormatDecimal(whole, ffExponent, precision, 0, fs);
        digits = std::clamp(digits, 0, 18);
        // One rounding to what is shown: rounding to precision first could make a half
        // of a value below it.
        d.RoundToDigits(std::min(precision, d.exponent + digits));
        const bool negative = d.negative && !d.IsZero();
        const char thousands = format == ffFixed ? 0 : fs.ThousandSeparator;
        const std::string amount = FixedText(d, digits, ds, thousands);
        if (format == ffCurrency) return PlaceCurrency(amount, negative, fs);
        return negative ? "-" + amount : amount;
    }
    }
    return {};
}

namespace {

// ---------------------------------------------------------------------------
// Picture formats

struct Picture {
    int intPlaces = 0; // digit placeholders before the point (or the exponent)
    int intZeros = 0;  // of them, those from the first '0' on
    int fracPlaces = 0;
    int fracZeros = 0; // up to and including the last '0' after the point
    bool thousands = false;
    bool scientific = false;
};

// Length of the exponent token ("E+00") at i, 0 when there is none.
std::size_t ExponentTokenAt(std::string_view s, std::size_t i)
{
    if (i + 1 >= s.size() || (s[i] != 'E' && s[i] != 'e') || (s[i + 1] != '+' && s[i + 1] != '-'))
        return 0;
    std::size_t j = i + 2;
    while (j < s.size() && s[j] == '0' && j - (i + 2) < 4) ++j;
    return j - i;
}

std::vector<std::string_view> SplitSections(std::string_view format)
{
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        // clang-format off
        if (quote) { if (c == quote) quote = 0; continue; }
        if (IsQuote(c)) { quote = c; continue; }
        // clang-format on
        if (c == ';' && sections.size() < 2) {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    return sections;
}

Picture Analyze(std::string_view sec)
{
    Picture p;
    bool point = false, firstZero = false;
    char quote = 0;
    for (std::size_t i = 0; i < sec.size(); ++i) {
        const char c = sec[i];
        // clang-format off
        if (quote) { if (c == quote) quote = 0; continue; }
        if (IsQuote(c)) { quote = c; continue; }
        // clang-format on
        if (ExponentTokenAt(sec, i)) {
            p.scientific = true;
            break; // what follows the exponent is text
        }
        if (c == '0' || c == '#') {
            if (!point) {
                ++p.intPlaces;
                if (c == '0') firstZero = true;
                if (firstZero) ++p.intZeros;
            } else {
                ++p.fracPlaces;
                if (c == '0') p.fracZeros = p.fracPlaces;
            }
        } else if (c == '.') {
            point = true;
        } else if (c == ',') {
            p.thousands = true;
        }
    }
    return p;
}

// Formats a non-negative decimal by one section. isZero tells whether it rounded to 0.
std::string ApplySection(std::string_view sec, Decimal d, const TFormatSettings& fs, bool& isZero)
{
    const Picture p = Analyze(sec);
    std::string intDigits, fracDigits;
    int exp10 = 0;
    if (p.scientific) {
        d.RoundToDigits(1 + p.fracPlaces);
        if (!d.IsZero()) exp10 = d.exponent - 1;
        intDigits = d.IsZero() ? std::string() : d.digits.substr(0, 1);
        fracDigits = d.digits.size() > 1 ? d.digits.substr(1) : std::string();
        fracDigits.resize(p.fracPlaces, '0');
    } else {
        d.RoundToDigits(d.exponent + p.fracPlaces);
        intDigits = d.IntegerDigits();
        fracDigits = d.FractionDigits(p.fracPlaces);
    }
    isZero = d.IsZero();
    if (static_cast<int>(intDigits.size()) < p.intZeros)
        intDigits.insert(0, p.intZeros - intDigits.size(), '0');
    while (static_cast<int>(fracDigits.size()) > p.fracZeros && fracDigits.back() == '0') fracDigits.pop_back();

    const int n = static_cast<int>(intDigits.size());
    const char sep = p.thousands ? fs.ThousandSeparator : 0;
    std::string out;
    auto emitIntDigit = [&](int idx) {
        out += intDigits[idx];
        const int left = n - 1 - idx;
        if (sep && left > 0 && left % 3 == 0) out += sep;
    };
    // With no placeholder before the point, the integer digits go before the point.
    auto emitAllInt = [&] { for (int i = 0; i < n; ++i) emitIntDigit(i); };

    int intIndex = 0, fracIndex = 0;
    bool point = false;
    bool intDone = p.intPlaces > 0; // with no placeholder the digits wait for the point
    char quote = 0;
    for (std::size_t i = 0; i < sec.size(); ++i) {
        const char c = sec[i];
        if (quote) {
            // clang-format off
            if (c == quote) quote = 0; else out += c;
            continue;
        }
        if (IsQuote(c)) { quote = c; continue; }
        if (std::size_t len = ExponentTokenAt(sec, i)) {
            if (!intDone) { emitAllInt(); intDone = true; }
            // clang-format on
            out += c;
            const bool plus = sec[i + 1] == '+';
            out += ExponentText(exp10, plus, static_cast<int>(len) - 2);
            i += len - 1;
            // The rest of the section is literal text.
            for (++i; i < sec.size(); ++i) {
                const char r = sec[i];
                // clang-format off
                if (quote) { if (r == quote) quote = 0; else out += r; continue; }
                if (IsQuote(r)) { quote = r; continue; }
                // clang-format on
                out += r;
            }
            break;
        }
        if (c == '0' || c == '#') {
            if (!point) {
                if (intIndex == 0) {
                    const int lead = n - (p.intPlaces - 1);
                    for (int k = 0; k < lead; ++k) emitIntDigit(k);
                } else {
                    const int idx = n - p.intPlaces + intIndex;
                    if (idx >= 0) emitIntDigit(idx);
                }
                ++intIndex;
            } else {
                if (fracIndex < static_cast<int>(fracDigits.size())) out += fracDigits[fracIndex];
                ++fracIndex;
            }
        } else if (c == '.') {
            if (!point) {
                point = true;
                // clang-format off
                if (!intDone) { emitAllInt(); intDone = true; }
                // clang-format on
                if (!fracDigits.empty()) out += fs.DecimalSeparator;
            }
        } else if (c == ',') {
            // a grouping marker, never shown itself
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormatPicture(std::string_view format, const Decimal& value, bool exactCurrency,
                          const TFormatSettings& fs)
{
    if (value.special != Decimal::Special::None) return SpecialText(value);
    const auto sections = SplitSections(format);
    auto general = [&] {
        return FormatDecimal(value, ffGeneral, exactCurrency ? 19 : 15, 0, fs);
    };
    if (sections[0].empty() && sections.size() == 1) return general();

    const bool hasNeg = sections.size() >= 2 && !sections[1].empty();
    const bool hasZero = sections.size() >= 3 && !sections[2].empty();
    Decimal mag = value;
    mag.negative = false;

    std::size_t index = 0;
    if (value.IsZero()) index = hasZero ? 2 : 0;
    else if (value.negative && hasNeg) index = 1;
    if (sections[index].empty()) {
        if (sections[0].empty()) return general();
        index = 0;
    }
    // Beyond 18 digits before the point a picture makes no sense: general form.
    if (!Analyze(sections[index]).scientific && mag.exponent > 18) return general();
    bool isZero = false;
    std::string out = ApplySection(sections[index], mag, fs, isZero);
    if (index != 2 && isZero && hasZero) return ApplySection(sections[2], mag, fs, isZero);
    if (index == 0 && value.negative && !isZero) out.insert(0, 1, '-');
    return out;
}

} // namespace

// ===========================================================================
// Numbers to text

std::string FloatToStr(double value) { return FloatToStr(value, FormatSettings); }
std::string FloatToStr(double value, const TFormatSettings& fs)
{
    return FloatToStrF(value, ffGeneral, 15, 0, fs);
}

std::string FloatToStrShortest(double value) { return FloatToStrShortest(value, FormatSettings); }
std::string FloatToStrShortest(double value, const TFormatSettings& fs)
{
    Decimal d = Decimal::FromDouble(value);
    d.maxSignificant = std::numeric_limits<int>::max();
    const int precision = std::max(15, static_cast<int>(d.digits.size()));
    return FormatDecimal(d, ffGeneral, precision, 0, fs);
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits)
{
    return FloatToStrF(value, format, precision, digits, FormatSettings);
}
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& fs)
{
    return FormatDecimal(Decimal::FromDouble(value), format, std::clamp(precision, 1, 15), digits, fs);
}

std::string FormatFloat(std::string_view format, double value)
{
    return FormatFloat(format, value, FormatSettings);
}
std::string FormatFloat(std::string_view format, double value, const TFormatSettings& fs)
{
    return FormatPicture(format, Decimal::FromDouble(value), false, fs);
}

std::string FormatCurr(std::string_view format, Currency value)
{
    return FormatCurr(format, value, FormatSettings);
}
std::string FormatCurr(std::string_view format, Currency value, const TFormatSettings& fs)
{
    return FormatPicture(format, Decimal::FromCurrency(value), true, fs);
}

std::string CurrToStr(Currency value) { return CurrToStr(value, FormatSettings); }
std::string CurrToStr(Currency value, const TFormatSettings& fs)
{
    return FormatDecimal(Decimal::FromCurrency(value), ffGeneral, 19, 0, fs);
}

std::string CurrToStrF(Currency value, TFloatFormat format, int digits)
{
    return CurrToStrF(value, format, digits, FormatSettings);
}
std::string CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& fs)
{
    return FormatDecimal(Decimal::FromCurrency(value), format, 19, digits, fs);
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string IntToHex(std::int64_t value, int digits)
{
    static const char* hex = "0123456789ABCDEF";
    auto u = static_cast<std::uint64_t>(value);
    std::string s;
    // clang-format off
    do { s.insert(s.begin(), hex[u & 15]); u >>= 4; } while (u);
    // clang-format on
    if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
    return s;
}

} // namespace rtl
