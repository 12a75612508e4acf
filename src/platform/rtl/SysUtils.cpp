#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

#include <QLocale>

#include "platform/rtl/Codec1252.h"

namespace rtl {

// ===========================================================================
// Currency

Currency Currency::FromDouble(double value)
{
    const double scaled = value * 10000.0;
    if (!(std::fabs(scaled) < 9.2233720368547758e18)) throw EOverflow("Arithmetic overflow");
    return Currency{Round(scaled)};
}

// ===========================================================================
// Decimal digits: the common ground of every number-to-text conversion.

namespace detail {

// A number as significant decimal digits: value = 0.digits x 10^exponent.
struct Decimal {
    enum class Special { None, NaN, PosInf, NegInf };
    Special special = Special::None;
    bool negative = false;
    std::string digits;  // no leading or trailing zeros; empty for zero
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
    static Decimal FromCurrency(Currency value);   // exact
    bool IsZero() const { return special == Special::None && digits.empty(); }
    void Normalize();
    // Keeps the first keep digits (at most maxSignificant) in one rounding: a decimal
    // half goes away from zero, or with halfToEven to the even digit.
    void RoundToDigits(int keep, bool halfToEven = false);
    std::string IntegerDigits() const;             // "" below 1
    std::string FractionDigits(int count) const;   // zero-filled

private:
    bool BeyondLargestDouble() const;
};

Decimal Decimal::FromDouble(double value)
{
    Decimal d;
    if (std::isnan(value)) { d.special = Special::NaN; return d; }
    if (std::isinf(value)) { d.special = value < 0 ? Special::NegInf : Special::PosInf; return d; }
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
    if (lead) { digits.erase(0, lead); exponent -= static_cast<int>(lead); }
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
    if (keep < 0) { digits.clear(); Normalize(); return; }
    const char first = digits[keep];
    bool up = first >= '5';
    if (halfToEven && first == '5') {
        bool rest = false;
        for (std::size_t i = keep + 1; i < digits.size(); ++i)
            if (digits[i] != '0') { rest = true; break; }
        const bool lastOdd = keep > 0 && ((digits[keep - 1] - '0') % 2 == 1);
        up = rest || lastOdd;
    }
    digits.resize(keep);
    if (up) {
        const std::string down = digits;
        const int downExponent = exponent;
        int i = keep - 1;
        while (i >= 0 && digits[i] == '9') { digits[i] = '0'; --i; }
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
    if (m.size() > 1) { out += decimalSeparator; out += m.substr(1); }
    return out;
}

std::string FixedText(const Decimal& d, int decimals, char decimalSeparator, char thousands)
{
    std::string intPart = d.IntegerDigits();
    if (intPart.empty()) intPart = "0";
    std::string s = detail::GroupThousands(intPart, thousands);
    if (decimals > 0) { s += decimalSeparator; s += d.FractionDigits(decimals); }
    return s;
}

std::string PlaceCurrency(const std::string& amount, bool negative, const TFormatSettings& fs)
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

// The number text of d (15 or 19 significant digits already) in one of the float formats.
std::string FormatDecimal(Decimal d, TFloatFormat format, int precision, int digits,
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

// ---------------------------------------------------------------------------
// Picture formats

struct Picture {
    int intPlaces = 0;   // digit placeholders before the point (or the exponent)
    int intZeros = 0;    // of them, those from the first '0' on
    int fracPlaces = 0;
    int fracZeros = 0;   // up to and including the last '0' after the point
    bool thousands = false;
    bool scientific = false;
};

bool IsQuote(char c) { return c == '"' || c == '\''; }

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
        if (quote) { if (c == quote) quote = 0; continue; }
        if (IsQuote(c)) { quote = c; continue; }
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
        if (quote) { if (c == quote) quote = 0; continue; }
        if (IsQuote(c)) { quote = c; continue; }
        if (ExponentTokenAt(sec, i)) {
            p.scientific = true;
            break;  // what follows the exponent is text
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
    bool intDone = p.intPlaces > 0;  // with no placeholder the digits wait for the point
    char quote = 0;
    for (std::size_t i = 0; i < sec.size(); ++i) {
        const char c = sec[i];
        if (quote) {
            if (c == quote) quote = 0; else out += c;
            continue;
        }
        if (IsQuote(c)) { quote = c; continue; }
        if (std::size_t len = ExponentTokenAt(sec, i)) {
            if (!intDone) { emitAllInt(); intDone = true; }
            out += c;
            const bool plus = sec[i + 1] == '+';
            out += ExponentText(exp10, plus, static_cast<int>(len) - 2);
            i += len - 1;
            // The rest of the section is literal text.
            for (++i; i < sec.size(); ++i) {
                const char r = sec[i];
                if (quote) { if (r == quote) quote = 0; else out += r; continue; }
                if (IsQuote(r)) { quote = r; continue; }
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
                if (!intDone) { emitAllInt(); intDone = true; }
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
    do { s.insert(s.begin(), hex[u & 15]); u >>= 4; } while (u);
    if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
    return s;
}

// ===========================================================================
// Format

namespace {

// The widest field and the longest precision Format makes.
constexpr int kMaxFormatWidth = 1 << 20;

[[noreturn]] void FormatError(std::string_view format)
{
    throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

std::string UnsignedText(std::uint64_t u, int base)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    do { s.insert(s.begin(), digits[u % base]); u /= base; } while (u);
    return s;
}

} // namespace

std::string FormatList(const TFormatSettings& fs, std::string_view format, std::span<const TFormatArg> args)
{
    std::string out;
    std::size_t next = 0;
    std::size_t i = 0;
    auto takeArg = [&]() -> const TFormatArg& {
        if (next >= args.size())
            throw EConvertError("No argument for format '" + std::string(format) + "'");
        return args[next++];
    };
    // Widths and precisions, written or given by "*", stop at kMaxFormatWidth; a negative
    // one given by "*" counts as none.
    auto readNumber = [&](int& n) -> bool {
        if (i < format.size() && format[i] == '*') {
            const TFormatArg& a = takeArg();
            if (a.GetKind() == TFormatArg::Kind::Int)
                n = static_cast<int>(std::clamp<std::int64_t>(a.Int(), -1, kMaxFormatWidth));
            else if (a.GetKind() == TFormatArg::Kind::UInt)
                n = static_cast<int>(std::min<std::uint64_t>(a.UInt(), kMaxFormatWidth));
            else
                FormatError(format);
            ++i;
            return true;
        }
        if (i >= format.size() || format[i] < '0' || format[i] > '9') return false;
        n = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            n = std::min(n * 10 + (format[i] - '0'), kMaxFormatWidth);
            ++i;
        }
        return true;
    };

    while (i < format.size()) {
        const char c = format[i++];
        if (c != '%') { out += c; continue; }
        if (i < format.size() && format[i] == '%') { out += '%'; ++i; continue; }

        bool left = false, zero = false;
        int width = -1, precision = -1;
        // index ":"
        {
            const std::size_t save = i;
            int n = 0;
            if (i < format.size() && format[i] != '*' && readNumber(n) && i < format.size() && format[i] == ':') {
                next = static_cast<std::size_t>(n);
                ++i;
            } else {
                i = save;
            }
        }
        if (i < format.size() && format[i] == '-') { left = true; ++i; }
        if (i < format.size() && format[i] == '0') zero = true;
        readNumber(width);
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (!readNumber(precision)) precision = 0;
        }
        if (i >= format.size()) FormatError(format);
        const char type = static_cast<char>(format[i++] | 0x20);
        const TFormatArg& a = takeArg();
        using K = TFormatArg::Kind;
        std::string text;
        std::string sign;
        bool numeric = true;
        switch (type) {
        case 'd': {
            std::uint64_t mag;
            if (a.GetKind() == K::Int) {
                mag = a.Int() < 0 ? 0 - static_cast<std::uint64_t>(a.Int()) : static_cast<std::uint64_t>(a.Int());
                if (a.Int() < 0) sign = "-";
            } else if (a.GetKind() == K::UInt) {
                mag = a.UInt();
            } else {
                FormatError(format);
            }
            text = UnsignedText(mag, 10);
            if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
            break;
        }
        case 'u':
        case 'x': {
            std::uint64_t u;
            if (a.GetKind() == K::Int) {
                u = static_cast<std::uint64_t>(a.Int());
                if (!a.Wide()) u &= 0xFFFFFFFFu;
            } else if (a.GetKind() == K::UInt) {
                u = a.UInt();
            } else {
                FormatError(format);
            }
            text = UnsignedText(u, type == 'u' ? 10 : 16);
            if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
            break;
        }
        case 'f': case 'e': case 'g': case 'n': case 'm': {
            Decimal d;
            if (a.GetKind() == K::Float) d = Decimal::FromDouble(a.Float());
            else if (a.GetKind() == K::Curr) d = Decimal::FromCurrency(Currency{a.Int()});
            else FormatError(format);
            const int maxPrecision = a.GetKind() == K::Curr ? 19 : 15;
            switch (type) {
            case 'f': text = FormatDecimal(d, ffFixed, maxPrecision, precision < 0 ? 2 : precision, fs); break;
            case 'n': text = FormatDecimal(d, ffNumber, maxPrecision, precision < 0 ? 2 : precision, fs); break;
            case 'e': text = FormatDecimal(d, ffExponent, precision < 0 ? 15 : std::clamp(precision, 1, 15), 3, fs); break;
            case 'g': text = FormatDecimal(d, ffGeneral, precision < 0 ? 15 : std::clamp(precision, 1, 15), 0, fs); break;
            default:
                text = FormatDecimal(d, ffCurrency, maxPrecision, precision < 0 ? fs.CurrencyDecimals : precision, fs);
                numeric = false;
                break;
            }
            if (numeric && !text.empty() && text[0] == '-') { sign = "-"; text.erase(0, 1); }
            if (d.special != Decimal::Special::None) numeric = false;
            break;
        }
        case 's':
            if (a.GetKind() != K::Text) FormatError(format);
            text = a.Text();
            if (precision >= 0 && static_cast<std::size_t>(precision) < text.size()) text.resize(precision);
            numeric = false;
            break;
        case 'p':
            if (a.GetKind() != K::Pointer) FormatError(format);
            text = UnsignedText(a.UInt(), 16);
            text.insert(0, 16 - std::min<std::size_t>(16, text.size()), '0');
            numeric = false;
            break;
        default:
            FormatError(format);
        }
        const int len = static_cast<int>(sign.size() + text.size());
        if (width > len) {
            const std::size_t pad = static_cast<std::size_t>(width - len);
            if (left) text += std::string(pad, ' ');
            else if (zero && numeric) text.insert(0, pad, '0');
            else sign.insert(0, pad, ' ');
        }
        out += sign;
        out += text;
    }
    return out;
}

// ===========================================================================
// Text to numbers

namespace {

std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool ParseInt64(std::string_view text, std::int64_t& value)
{
    std::string_view s = TrimView(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) { negative = s[0] == '-'; s.remove_prefix(1); }
    int base = 10;
    if (!s.empty() && s[0] == '$') { base = 16; s.remove_prefix(1); }
    else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) { base = 16; s.remove_prefix(2); }
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
    if (hex && v >= 0 && v <= 0xFFFFFFFFLL) { value = static_cast<int>(static_cast<std::uint32_t>(v)); return true; }
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
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) { if (s[i] == '-') out += '-'; ++i; }
    int digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++digits; }
    if (i < s.size() && s[i] == decimalSeparator) {
        out += '.';
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++digits; }
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
        int expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') { out += s[i++]; ++expDigits; }
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
        long long exp = 0;
        if (e != std::string::npos) {
            const char* b = norm.data() + e + 1;
            if (*b == '+') ++b;
            if (std::from_chars(b, norm.data() + norm.size(), exp).ec != std::errc()) exp = b[0] == '-' ? -100000 : 100000;
        }
        const std::size_t nz = mant.find_first_of("123456789");
        std::size_t point = mant.find('.');
        if (point == std::string::npos) point = mant.size();
        const long long magnitude = nz == std::string::npos ? -100000
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
    if (norm[i] == '-') { d.negative = true; ++i; }
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
    if (d.IsZero()) { value = Currency{}; return true; }
    if (d.exponent > 15) return false;
    std::string scaled = d.IntegerDigits() + d.FractionDigits(4);
    std::uint64_t mag = 0;
    if (std::from_chars(scaled.data(), scaled.data() + scaled.size(), mag).ec != std::errc()) return false;
    if (mag > (std::uint64_t(1) << 63) - 1) return false;
    value = Currency{d.negative ? -static_cast<std::int64_t>(mag) : static_cast<std::int64_t>(mag)};
    return true;
}

Currency StrToCurr(const std::string& text)
{
    Currency c;
    if (!TryStrToCurr(text, c)) throw EConvertError("'" + text + "' is not a valid floating point value");
    return c;
}

// ===========================================================================
// Arithmetic

std::int64_t Round(double value)
{
    if (!(std::fabs(value) < 9.2233720368547758e18)) throw EInvalidOp("Invalid floating point operation");
    const double fl = std::floor(value);
    const double diff = value - fl;
    double r = fl;
    if (diff > 0.5) r = fl + 1;
    else if (diff == 0.5) r = std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
    if (!(std::fabs(r) < 9.2233720368547758e18)) throw EInvalidOp("Invalid floating point operation");
    return static_cast<std::int64_t>(r);
}

std::int64_t Trunc(double value)
{
    if (!(std::fabs(value) < 9.2233720368547758e18)) throw EInvalidOp("Invalid floating point operation");
    return static_cast<std::int64_t>(value);
}

int MulDiv(int value, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    std::int64_t q = product / denominator;
    const std::int64_t r = product % denominator;
    // A remainder of at least half the divisor rounds away from zero.
    if (r != 0 && 2 * (r < 0 ? -r : r) >= (denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator))
        q += ((product < 0) != (denominator < 0)) ? -1 : 1;
    if (q < std::numeric_limits<int>::min() || q > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(q);
}

double RoundToDecimals(double value, int places)
{
    if (!std::isfinite(value) || value == 0) return value;
    Decimal d = Decimal::FromDouble(value);
    d.maxSignificant = std::numeric_limits<int>::max();  // every digit the double has
    const long long keep = static_cast<long long>(d.exponent) + std::max(places, 0);
    if (keep >= static_cast<long long>(d.digits.size())) return value;
    d.RoundToDigits(static_cast<int>(keep), true);
    if (d.IsZero()) return 0.0;
    const std::string text = (d.negative ? "-0." : "0.") + d.digits + "e" + std::to_string(d.exponent);
    double rounded = value;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    return rounded;
}

// ===========================================================================
// Dates

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;

// Days from 0001-01-01 (day 1) in the proleptic Gregorian calendar.
constexpr std::int64_t DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;  // days since 1970-01-01
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// Constant-initialized, so that dates encode right while other units' statics are built.
constexpr std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

// The day number and the milliseconds of the day; the fraction of a negative
// value counts forward from its day like that of a positive one.
void SplitDateTime(TDateTime value, std::int64_t& day, std::int64_t& msOfDay)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) throw EConvertError("Invalid argument to date encode");
    day = static_cast<std::int64_t>(value);  // toward zero
    const double frac = std::fabs(value - static_cast<double>(day));
    msOfDay = static_cast<std::int64_t>(std::llround(frac * kMSecsPerDay));
    if (msOfDay >= kMSecsPerDay) {
        msOfDay -= kMSecsPerDay;
        day += value < 0 ? -1 : 1;
    }
}

} // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    value = static_cast<double>(DaysFromCivil(year, month, day) - kEpochDays);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59
        || millisecond < 0 || millisecond > 999)
        return false;
    value = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / kMSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime v;
    if (!TryEncodeDate(year, month, day, v)) throw EConvertError("Invalid argument to date encode");
    return v;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    TDateTime v;
    if (!TryEncodeTime(hour, minute, second, millisecond, v)) throw EConvertError("Invalid argument to time encode");
    return v;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    std::int64_t d, ms;
    SplitDateTime(value, d, ms);
    CivilFromDays(d + kEpochDays, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond)
{
    std::int64_t d, ms;
    SplitDateTime(value, d, ms);
    millisecond = static_cast<int>(ms % 1000);
    second = static_cast<int>(ms / 1000 % 60);
    minute = static_cast<int>(ms / 60000 % 60);
    hour = static_cast<int>(ms / 3600000);
}

int DayOfWeek(TDateTime value)
{
    std::int64_t d, ms;
    SplitDateTime(value, d, ms);
    // 1899-12-30 was a Saturday.
    const std::int64_t w = ((d + 6) % 7 + 7) % 7;  // 0 Sunday
    return static_cast<int>(w) + 1;
}

TDateTime Now()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday)
           + EncodeTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59), static_cast<int>(ms));
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time()
{
    const TDateTime n = Now();
    return n - std::floor(n);
}

// ---------------------------------------------------------------------------
// FormatDateTime

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view token)
{
    if (i + token.size() > s.size()) return false;
    for (std::size_t k = 0; k < token.size(); ++k)
        if (Lower(s[i + k]) != token[k]) return false;
    return true;
}

bool HasAmPm(std::string_view f)
{
    char quote = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (quote) { if (f[i] == quote) quote = 0; continue; }
        if (IsQuote(f[i])) { quote = f[i]; continue; }
        if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm"))
            return true;
    }
    return false;
}

std::string Two(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

struct DateParts {
    int year, month, day, hour, minute, second, ms, dow;  // dow 1..7, 1 Sunday
    bool hasTime;
};

void AppendFormatted(std::string& out, std::string_view f, const DateParts& p,
                     const TFormatSettings& fs, int depth)
{
    if (depth > 2) return;  // a pattern naming itself
    const bool twelve = HasAmPm(f);
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char letter) {
        std::size_t n = 0;
        while (i + n < f.size() && Lower(f[i + n]) == letter) ++n;
        return n;
    };
    while (i < f.size()) {
        const char c = f[i];
        const char lc = Lower(c);
        if (IsQuote(c)) {
            const std::size_t end = f.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? f.size() : end;
            out.append(f.substr(i + 1, stop - i - 1));
            i = stop == f.size() ? stop : stop + 1;
            continue;
        }
        switch (lc) {
        case 'c': {
            ++i;
            AppendFormatted(out, fs.ShortDateFormat, p, fs, depth + 1);
            if (p.hasTime) { out += ' '; AppendFormatted(out, fs.LongTimeFormat, p, fs, depth + 1); }
            afterHour = false;
            continue;
        }
        case 'd': {
            const std::size_t n = run('d');
            i += n;
            switch (n) {
            case 1: out += std::to_string(p.day); break;
            case 2: out += Two(p.day); break;
            case 3: out += fs.ShortDayNames[p.dow - 1]; break;
            case 4: out += fs.LongDayNames[p.dow - 1]; break;
            case 5: AppendFormatted(out, fs.ShortDateFormat, p, fs, depth + 1); break;
            default: AppendFormatted(out, fs.LongDateFormat, p, fs, depth + 1); break;
            }
            afterHour = false;
            continue;
        }
        case 'y': {
            const std::size_t n = run('y');
            i += n;
            if (n <= 2) out += Two(p.year % 100);
            else { std::string y = std::to_string(p.year); if (y.size() < 4) y.insert(0, 4 - y.size(), '0'); out += y; }
            afterHour = false;
            continue;
        }
        case 'm': {
            const std::size_t n = run('m');
            i += n;
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(p.minute) : Two(p.minute);
            } else {
                switch (n) {
                case 1: out += std::to_string(p.month); break;
                case 2: out += Two(p.month); break;
                case 3: out += fs.ShortMonthNames[p.month - 1]; break;
                default: out += fs.LongMonthNames[p.month - 1]; break;
                }
            }
            afterHour = false;
            continue;
        }
        case 'h': {
            const std::size_t n = run('h');
            i += n;
            int h = p.hour;
            if (twelve) { h %= 12; if (h == 0) h = 12; }
            out += n == 1 ? std::to_string(h) : Two(h);
            afterHour = true;
            continue;
        }
        case 'n': {
            const std::size_t n = run('n');
            i += n;
            out += n == 1 ? std::to_string(p.minute) : Two(p.minute);
            afterHour = false;
            continue;
        }
        case 's': {
            const std::size_t n = run('s');
            i += n;
            out += n == 1 ? std::to_string(p.second) : Two(p.second);
            afterHour = false;
            continue;
        }
        case 'z': {
            const std::size_t n = run('z');
            i += n;
            if (n < 3) out += std::to_string(p.ms);
            else { std::string z = std::to_string(p.ms); z.insert(0, 3 - z.size(), '0'); out += z; }
            afterHour = false;
            continue;
        }
        case 't': {
            const std::size_t n = run('t');
            i += n;
            AppendFormatted(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, fs, depth + 1);
            afterHour = false;
            continue;
        }
        case 'a': {
            const bool pm = p.hour >= 12;
            if (StartsWithNoCase(f, i, "am/pm")) {
                // Keeps the case the pattern used for the chosen half.
                out.append(f.substr(pm ? i + 3 : i, 2));
                i += 5;
                continue;
            }
            if (StartsWithNoCase(f, i, "a/p")) {
                out += f[pm ? i + 2 : i];
                i += 3;
                continue;
            }
            if (StartsWithNoCase(f, i, "ampm")) {
                out += pm ? fs.TimePMString : fs.TimeAMString;
                i += 4;
                continue;
            }
            break;
        }
        case '/':
            ++i;
            if (fs.DateSeparator) out += fs.DateSeparator;
            continue;
        case ':':
            ++i;
            if (fs.TimeSeparator) out += fs.TimeSeparator;
            continue;
        default:
            break;
        }
        out += c;
        ++i;
    }
}

DateParts PartsOf(TDateTime value)
{
    DateParts p{};
    std::int64_t d, ms;
    SplitDateTime(value, d, ms);
    CivilFromDays(d + kEpochDays, p.year, p.month, p.day);
    p.ms = static_cast<int>(ms % 1000);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.hour = static_cast<int>(ms / 3600000);
    p.dow = static_cast<int>(((d + 6) % 7 + 7) % 7) + 1;
    p.hasTime = ms != 0;
    return p;
}

} // namespace

std::string FormatDateTime(std::string_view format, TDateTime value)
{
    return FormatDateTime(format, value, FormatSettings);
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs)
{
    std::string out;
    const DateParts p = PartsOf(value);
    AppendFormatted(out, format.empty() ? std::string_view("c") : format, p, fs, 0);
    return out;
}

std::string DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }
std::string DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
std::string TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }
std::string DateTimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("c", value, fs); }
std::string DateToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("ddddd", value, fs); }
std::string TimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("tt", value, fs); }

// ---------------------------------------------------------------------------
// Text to dates

namespace {

struct Scanner {
    std::string_view s;
    std::size_t i = 0;
    void SkipBlanks() { while (i < s.size() && s[i] == ' ') ++i; }
    bool AtEnd() { SkipBlanks(); return i >= s.size(); }
    bool Number(int& v, int& digits)
    {
        SkipBlanks();
        v = 0;
        digits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9) { v = v * 10 + (s[i] - '0'); ++i; ++digits; }
        return digits > 0;
    }
    bool Char(char c)
    {
        SkipBlanks();
        if (i < s.size() && s[i] == c) { ++i; return true; }
        return false;
    }
    bool Word(const std::string& w)
    {
        SkipBlanks();
        if (w.empty() || i + w.size() > s.size()) return false;
        for (std::size_t k = 0; k < w.size(); ++k)
            if (AnsiUpperChar(s[i + k]) != AnsiUpperChar(w[k])) return false;
        i += w.size();
        return true;
    }
};

// Which of day, month and year the short date pattern names first: "MDY", "DMY" or "YMD".
std::string DateOrder(const std::string& shortDate)
{
    for (char c : shortDate) {
        const char l = Lower(c);
        if (l == 'd') return "DMY";
        if (l == 'm') return "MDY";
        if (l == 'y') return "YMD";
    }
    return "MDY";
}

bool ScanDate(Scanner& sc, TDateTime& value, const TFormatSettings& fs)
{
    int n[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
    int count = 0;
    const char sep = fs.DateSeparator ? fs.DateSeparator : '/';
    if (!sc.Number(n[0], digits[0])) return false;
    count = 1;
    while (count < 3) {
        const std::size_t save = sc.i;
        if (!sc.Char(sep)) break;
        if (!sc.Number(n[count], digits[count])) { sc.i = save; return false; }
        ++count;
    }
    if (count < 2) return false;
    const std::string order = DateOrder(fs.ShortDateFormat);
    int y, m, d;
    bool yearGiven = true;
    int yearDigits = 0;
    if (count == 2) {
        yearGiven = false;
        if (order == "YMD") { m = n[0]; d = n[1]; }
        else if (order == "DMY") { d = n[0]; m = n[1]; }
        else { m = n[0]; d = n[1]; }
        int cd, cm;
        DecodeDate(Date(), y, cm, cd);
    } else if (order == "YMD") { y = n[0]; yearDigits = digits[0]; m = n[1]; d = n[2]; }
    else if (order == "DMY") { d = n[0]; m = n[1]; y = n[2]; yearDigits = digits[2]; }
    else { m = n[0]; d = n[1]; y = n[2]; yearDigits = digits[2]; }
    if (yearGiven && yearDigits <= 2) {
        int cy, cm, cd;
        DecodeDate(Date(), cy, cm, cd);
        const int threshold = cy - fs.TwoDigitYearCenturyWindow;
        y += threshold / 100 * 100;
        if (fs.TwoDigitYearCenturyWindow > 0 && y < threshold) y += 100;
    }
    return TryEncodeDate(y, m, d, value);
}

bool ScanTime(Scanner& sc, TDateTime& value, const TFormatSettings& fs)
{
    const char sep = fs.TimeSeparator ? fs.TimeSeparator : ':';
    const std::string am = fs.TimeAMString.empty() ? "AM" : fs.TimeAMString;
    const std::string pm = fs.TimePMString.empty() ? "PM" : fs.TimePMString;
    auto marker = [&](int& half) {
        if (sc.Word(am) || sc.Word("AM")) { half = 1; return true; }
        if (sc.Word(pm) || sc.Word("PM")) { half = 2; return true; }
        return false;
    };
    int half = 0;
    marker(half);
    int h, m = 0, s = 0, ms = 0, dg;
    if (!sc.Number(h, dg)) return false;
    if (sc.Char(sep)) {
        if (!sc.Number(m, dg)) return false;
        if (sc.Char(sep)) {
            if (!sc.Number(s, dg)) return false;
            if (sc.Char('.') || (fs.DecimalSeparator != '.' && sc.Char(fs.DecimalSeparator))) {
                if (!sc.Number(ms, dg)) return false;
            }
        }
    }
    if (!half) marker(half);
    if (half) {
        if (h < 1 || h > 12) return false;
        h %= 12;
        if (half == 2) h += 12;
    }
    return TryEncodeTime(h, m, s, ms, value);
}

} // namespace

bool TryStrToDate(const std::string& text, TDateTime& value, const TFormatSettings& fs)
{
    Scanner sc{TrimView(text)};
    TDateTime v;
    if (!ScanDate(sc, v, fs) || !sc.AtEnd()) return false;
    value = v;
    return true;
}

bool TryStrToTime(const std::string& text, TDateTime& value, const TFormatSettings& fs)
{
    Scanner sc{TrimView(text)};
    TDateTime v;
    if (!ScanTime(sc, v, fs) || !sc.AtEnd()) return false;
    value = v;
    return true;
}

bool TryStrToDateTime(const std::string& text, TDateTime& value, const TFormatSettings& fs)
{
    Scanner sc{TrimView(text)};
    TDateTime d = 0, t = 0;
    const std::size_t start = sc.i;
    if (!ScanDate(sc, d, fs)) {
        // A time alone.
        sc.i = start;
        if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
        value = t;
        return true;
    }
    if (!sc.AtEnd() && (!ScanTime(sc, t, fs) || !sc.AtEnd())) return false;
    value = d < 0 ? d - t : d + t;
    return true;
}

TDateTime StrToDate(const std::string& text) { return StrToDate(text, FormatSettings); }

TDateTime StrToDate(const std::string& text, const TFormatSettings& fs)
{
    TDateTime v;
    if (!TryStrToDate(text, v, fs)) throw EConvertError("'" + text + "' is not a valid date");
    return v;
}

TDateTime StrToTime(const std::string& text) { return StrToTime(text, FormatSettings); }

TDateTime StrToTime(const std::string& text, const TFormatSettings& fs)
{
    TDateTime v;
    if (!TryStrToTime(text, v, fs)) throw EConvertError("'" + text + "' is not a valid time");
    return v;
}

TDateTime StrToDateTime(const std::string& text) { return StrToDateTime(text, FormatSettings); }

TDateTime StrToDateTime(const std::string& text, const TFormatSettings& fs)
{
    TDateTime v;
    if (!TryStrToDateTime(text, v, fs)) throw EConvertError("'" + text + "' is not a valid date and time");
    return v;
}

// ===========================================================================
// Locale settings

TFormatSettings TFormatSettings::Invariant() { return TFormatSettings{}; }

namespace {

// One Qt locale character as a byte of the code page; spaces become a no-break space.
char LocaleChar(const QString& s, char fallback)
{
    if (s.size() != 1) return fallback;
    const int b = UnicodeToCp1252(s[0].unicode());
    if (b > 0) return static_cast<char>(b);
    return s[0].isSpace() ? '\xA0' : fallback;
}

// Qt's date-time pattern ("M/d/yy", "HH:mm:ss AP t") in this runtime's letters. With
// learn, the first separator found becomes the date or time separator; either way that
// separator is written as '/' or ':'.
std::string FromQtPattern(const QString& qtPattern, char& separator, bool isTime, bool learn)
{
    const std::string f = QStringToCp1252(qtPattern);
    std::string out;
    bool sepSet = !learn;
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        std::size_t n = 1;
        while (i + n < f.size() && f[i + n] == c) ++n;
        if (c == '\'') {
            const std::size_t end = f.find('\'', i + 1);
            const std::size_t stop = end == std::string::npos ? f.size() : end;
            if (stop > i + 1) out += '"' + f.substr(i + 1, stop - i - 1) + '"';
            else out += "\"'\"";
            i = stop == f.size() ? stop : stop + 1;
            continue;
        }
        switch (c) {
        case 'd': out += std::string(std::min<std::size_t>(n, 4), 'd'); break;
        case 'M': out += std::string(std::min<std::size_t>(n, 4), 'm'); break;
        case 'y': out += n <= 2 ? "yy" : "yyyy"; break;
        case 'h': case 'H': out += n == 1 ? "h" : "hh"; break;
        case 'm': out += n == 1 ? "n" : "nn"; break;
        case 's': out += n == 1 ? "s" : "ss"; break;
        case 'z': out += n < 3 ? "z" : "zzz"; break;
        case 'A': case 'a':
            out += "AMPM";
            if (i + n < f.size() && (f[i + n] == 'P' || f[i + n] == 'p')) ++n;
            break;
        case 't': break;  // time zone: not shown
        default:
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                out += '"' + std::string(n, c) + '"';
            } else {
                for (std::size_t k = 0; k < n; ++k) {
                    const bool sepChar = c != ' ' && c != ',' && (isTime ? (c == ':' || c == '.') : (c == '/' || c == '.' || c == '-'));
                    if (sepChar && !sepSet) { separator = c; sepSet = true; }
                    if (sepSet && c == separator) out += isTime ? ':' : '/';
                    else if (c == '/' || c == ':' || c == '"') out += std::string("'") + c + "'";
                    else out += c;
                }
            }
            break;
        }
        i += n;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    while (!out.empty() && out.front() == ' ') out.erase(0, 1);
    return out;
}

} // namespace

TFormatSettings TFormatSettings::FromLocale(const std::string& localeName)
{
    const QLocale loc = localeName.empty() ? QLocale::system() : QLocale(QString::fromStdString(localeName));
    if (loc.language() == QLocale::C) return Invariant();
    TFormatSettings fs;
    fs.DecimalSeparator = LocaleChar(loc.decimalPoint(), '.');
    fs.ThousandSeparator = LocaleChar(loc.groupSeparator(), fs.DecimalSeparator == ',' ? '.' : ',');
    if (fs.ThousandSeparator == fs.DecimalSeparator) fs.ThousandSeparator = 0;
    fs.ListSeparator = fs.DecimalSeparator == ',' ? ';' : ',';

    std::string symbol = QStringToCp1252(loc.currencySymbol(QLocale::CurrencySymbol));
    if (symbol.empty() || symbol.find('?') != std::string::npos)
        symbol = QStringToCp1252(loc.currencySymbol(QLocale::CurrencyIsoCode));
    fs.CurrencyString = symbol;
    // Where the symbol and the sign go: match Qt's texts of 1 and -1 against the layouts.
    auto norm = [](std::string s) {
        for (char& ch : s) if (ch == '\xA0') ch = ' ';
        return s;
    };
    const std::string pos = norm(QStringToCp1252(loc.toCurrencyString(1.0)));
    const std::string neg = norm(QStringToCp1252(loc.toCurrencyString(-1.0)));
    const std::size_t first = pos.find_first_of("0123456789");
    const std::size_t last = pos.find_last_of("0123456789");
    if (first != std::string::npos) {
        const std::string amount = pos.substr(first, last - first + 1);
        const std::size_t sep = amount.find(fs.DecimalSeparator);
        fs.CurrencyDecimals = static_cast<std::uint8_t>(sep == std::string::npos ? 0 : amount.size() - sep - 1);
        TFormatSettings probe = fs;
        for (int k = 0; k < 4; ++k) {
            probe.CurrencyFormat = static_cast<std::uint8_t>(k);
            if (norm(PlaceCurrency(amount, false, probe)) == pos) { fs.CurrencyFormat = probe.CurrencyFormat; break; }
        }
        for (int k = 0; k < 16; ++k) {
            probe.NegCurrFormat = static_cast<std::uint8_t>(k);
            if (norm(PlaceCurrency(amount, true, probe)) == neg) { fs.NegCurrFormat = probe.NegCurrFormat; break; }
        }
    }

    fs.ShortDateFormat = FromQtPattern(loc.dateFormat(QLocale::ShortFormat), fs.DateSeparator, false, true);
    fs.LongDateFormat = FromQtPattern(loc.dateFormat(QLocale::LongFormat), fs.DateSeparator, false, false);
    fs.LongTimeFormat = FromQtPattern(loc.timeFormat(QLocale::LongFormat), fs.TimeSeparator, true, true);
    fs.ShortTimeFormat = FromQtPattern(loc.timeFormat(QLocale::ShortFormat), fs.TimeSeparator, true, false);
    fs.TimeAMString = QStringToCp1252(loc.amText());
    fs.TimePMString = QStringToCp1252(loc.pmText());
    for (int m = 1; m <= 12; ++m) {
        fs.ShortMonthNames[m - 1] = QStringToCp1252(loc.monthName(m, QLocale::ShortFormat));
        fs.LongMonthNames[m - 1] = QStringToCp1252(loc.monthName(m, QLocale::LongFormat));
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts from Monday
        fs.ShortDayNames[d] = QStringToCp1252(loc.dayName(qtDay, QLocale::ShortFormat));
        fs.LongDayNames[d] = QStringToCp1252(loc.dayName(qtDay, QLocale::LongFormat));
    }
    return fs;
}

TFormatSettings FormatSettings = TFormatSettings::FromLocale();

TScopedFormatSettings::TScopedFormatSettings(const TFormatSettings& settings) : saved_(FormatSettings)
{
    FormatSettings = settings;
}

TScopedFormatSettings::TScopedFormatSettings(char decimalSeparator, char thousandSeparator)
    : saved_(FormatSettings)
{
    FormatSettings = TFormatSettings::Invariant();
    FormatSettings.DecimalSeparator = decimalSeparator;
    FormatSettings.ThousandSeparator = thousandSeparator;
}

TScopedFormatSettings::~TScopedFormatSettings() { FormatSettings = saved_; }

// ===========================================================================
// Strings

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string TrimLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(0, e));
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

int CompareStr(std::string_view a, std::string_view b)
{
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]) == a[i] && a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i]);
        const auto y = static_cast<unsigned char>(Lower(b[i]) == b[i] && b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

char AnsiUpperChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    switch (u) {
    case 0x9A: return '\x8A';  // š
    case 0x9C: return '\x8C';  // œ
    case 0x9E: return '\x8E';  // ž
    case 0xFF: return '\x9F';  // ÿ
    default: return c;
    }
}

char AnsiLowerChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
    switch (u) {
    case 0x8A: return '\x9A';
    case 0x8C: return '\x9C';
    case 0x8E: return '\x9E';
    case 0x9F: return '\xFF';
    default: return c;
    }
}

std::string AnsiUpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = AnsiUpperChar(c);
    return r;
}

std::string AnsiLowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = AnsiLowerChar(c);
    return r;
}

namespace {

// Collation weights of one byte: primary (base character), secondary (accent), tertiary (case).
struct CollationTable {
    std::uint16_t primary[256];
    std::uint8_t secondary[256];
    std::uint8_t tertiary[256];

    CollationTable()
    {
        for (int b = 0; b < 256; ++b) {
            primary[b] = static_cast<std::uint16_t>(b);  // symbols and controls: below digits
            secondary[b] = 0;
            tertiary[b] = 0;
        }
        for (int d = 0; d < 10; ++d) primary['0' + d] = static_cast<std::uint16_t>(300 + d);
        auto letter = [&](unsigned char b, char base, std::uint8_t accent) {
            primary[b] = static_cast<std::uint16_t>(400 + (base - 'a'));
            secondary[b] = accent;
            tertiary[b] = AnsiLowerChar(static_cast<char>(b)) == static_cast<char>(b) ? 0 : 1;
        };
        for (char c = 'a'; c <= 'z'; ++c) {
            letter(static_cast<unsigned char>(c), c, 0);
            letter(static_cast<unsigned char>(c - 32), c, 0);
        }
        // Accented letters of the code page, lower and upper case, by base letter.
        struct Row { const char* bytes; char base; };
        static const Row rows[] = {
            {"\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xC0\xC1\xC2\xC3\xC4\xC5\xC6", 'a'},
            {"\xE7\xC7", 'c'},
            {"\xF0\xD0", 'd'},
            {"\xE8\xE9\xEA\xEB\xC8\xC9\xCA\xCB", 'e'},
            {"\x83", 'f'},
            {"\xEC\xED\xEE\xEF\xCC\xCD\xCE\xCF", 'i'},
            {"\xF1\xD1", 'n'},
            {"\xF2\xF3\xF4\xF5\xF6\xF8\x9C\xD2\xD3\xD4\xD5\xD6\xD8\x8C", 'o'},
            {"\x9A\x8A\xDF", 's'},
            {"\xFE\xDE", 't'},
            {"\xF9\xFA\xFB\xFC\xD9\xDA\xDB\xDC", 'u'},
            {"\xFD\xFF\xDD\x9F", 'y'},
            {"\x9E\x8E", 'z'},
        };
        for (const Row& r : rows) {
            std::uint8_t accent = 1;
            for (const char* p = r.bytes; *p; ++p) {
                const auto b = static_cast<unsigned char>(*p);
                const bool upper = AnsiLowerChar(*p) != *p;
                // The same accent in both cases: compare the lower-case form's position.
                const auto lower = static_cast<unsigned char>(AnsiLowerChar(*p));
                std::uint8_t acc = accent;
                if (upper) {
                    for (const char* q = r.bytes; *q; ++q)
                        if (static_cast<unsigned char>(*q) == lower) { acc = secondary[lower]; break; }
                } else {
                    ++accent;
                }
                letter(b, r.base, acc);
                (void)b;
            }
        }
    }
};

const CollationTable& Collation()
{
    static const CollationTable table;
    return table;
}

int CollationCompare(std::string_view a, std::string_view b, bool ignoreCase)
{
    const CollationTable& t = Collation();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (t.primary[x] != t.primary[y]) return t.primary[x] < t.primary[y] ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (t.secondary[x] != t.secondary[y]) return t.secondary[x] < t.secondary[y] ? -1 : 1;
    }
    if (ignoreCase) return 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (t.tertiary[x] != t.tertiary[y]) return t.tertiary[x] < t.tertiary[y] ? -1 : 1;
    }
    return 0;
}

} // namespace

int AnsiCompareStr(std::string_view a, std::string_view b) { return CollationCompare(a, b, false); }
int AnsiCompareText(std::string_view a, std::string_view b) { return CollationCompare(a, b, true); }
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }
bool AnsiSameStr(std::string_view a, std::string_view b) { return a == b; }

std::size_t Pos(std::string_view sub, std::string_view s, std::size_t offset)
{
    if (sub.empty() || offset < 1 || offset > s.size()) return 0;
    const std::size_t p = s.find(sub, offset - 1);
    return p == std::string_view::npos ? 0 : p + 1;
}

std::string Copy(std::string_view s, std::size_t index, std::size_t count)
{
    if (index < 1) index = 1;
    if (index > s.size()) return {};
    return std::string(s.substr(index - 1, count));
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern, int flags)
{
    if (oldPattern.empty()) return std::string(s);
    const bool ignoreCase = flags & rfIgnoreCase;
    const std::string hay = ignoreCase ? AnsiUpperCase(s) : std::string(s);
    const std::string needle = ignoreCase ? AnsiUpperCase(oldPattern) : std::string(oldPattern);
    std::string out;
    std::size_t from = 0;
    while (true) {
        const std::size_t p = hay.find(needle, from);
        if (p == std::string::npos) break;
        out.append(s.substr(from, p - from));
        out.append(newPattern);
        from = p + needle.size();
        if (!(flags & rfReplaceAll)) break;
    }
    out.append(s.substr(from));
    return out;
}

std::string QuotedStr(std::string_view s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiQuotedStr(std::string_view s, char quote)
{
    std::string out(1, quote);
    for (char c : s) {
        out += c;
        if (c == quote) out += quote;
    }
    out += quote;
    return out;
}

std::string AnsiDequotedStr(std::string_view s, char quote)
{
    if (s.empty() || s[0] != quote) return std::string(s);
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) { out += quote; ++i; continue; }
            break;
        }
        out += s[i];
    }
    return out;
}

std::string StringOfChar(char c, std::size_t count) { return std::string(count, c); }

} // namespace rtl
