// Arithmetic and the plain string routines; the other parts of SysUtils.h live in
// SysUtils<part>.cpp beside this file.
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::Decimal;
using detail::TrimView;

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

std::int64_t MulDiv64(int value, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    std::int64_t q = product / denominator;
    const std::int64_t r = product % denominator;
    // A remainder of at least half the divisor rounds away from zero.
    if (r != 0 && 2 * (r < 0 ? -r : r) >= (denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator))
        q += ((product < 0) != (denominator < 0)) ? -1 : 1;
    return q;
}

int MulDiv(int value, int numerator, int denominator)
{
    const std::int64_t q = MulDiv64(value, numerator, denominator);
    if (q < std::numeric_limits<int>::min() || q > std::numeric_limits<int>::max()) return -1;
    return static_cast<int>(q);
}

double RoundToDecimals(double value, int places)
{
    if (!std::isfinite(value) || value == 0) return value;
    Decimal d = Decimal::FromDouble(value);
    d.maxSignificant = std::numeric_limits<int>::max(); // every digit the double has
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
            // clang-format off
            if (i + 1 < s.size() && s[i + 1] == quote) { out += quote; ++i; continue; }
            // clang-format on
            break;
        }
        out += s[i];
    }
    return out;
}

std::string StringOfChar(char c, std::size_t count) { return std::string(count, c); }

std::string GetEnvironmentVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace rtl
