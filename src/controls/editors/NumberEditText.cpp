#include "controls/editors/NumberEditText.h"

#include <algorithm>
#include <cmath>

namespace editors {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentLetter(char c) { return c == 'E' || c == 'e'; }

} // namespace

std::string NormalizeNumberText(std::string_view text, const rtl::TFormatSettings& settings)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const char decimal = settings.DecimalSeparator;
    const char thousands = settings.ThousandSeparator;
    const bool dotIsDecimal = decimal != '.' && thousands != '.';
    const bool commaIsDecimal = decimal != ',' && thousands != ',';
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (decimal != thousands && c == thousands) continue;
        if ((c == '.' && dotIsDecimal) || (c == ',' && commaIsDecimal)) c = decimal;
        out += c;
    }
    return out;
}

TNumberText ReadNumberText(const std::string& normalized, double& value, const rtl::TFormatSettings& settings)
{
    if (normalized.empty() || normalized == "+" || normalized == "-") return TNumberText::Empty;
    double number = 0;
    if (!rtl::TryStrToFloat(normalized, number, settings) || !std::isfinite(number)) return TNumberText::NotANumber;
    value = number;
    return TNumberText::Number;
}

double NumberOfValue(const rtl::Variant& value)
{
    const double number = value.AsFloat();
    if (!std::isfinite(number))
        throw rtl::EConvertError("'" + rtl::FloatToStr(number) + "' is not a valid floating point value");
    return number;
}

bool TryNumberOfValue(const rtl::Variant& value, double& number)
{
    try {
        number = NumberOfValue(value);
        return true;
    } catch (const rtl::Exception&) {
        return false;
    }
}

std::string EditFormatOfDisplayFormat(std::string_view displayFormat)
{
    std::string out;
    char quote = 0;
    for (std::size_t i = 0; i < displayFormat.size(); ++i) {
        const char c = displayFormat[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (c == ';') break; // the negative and zero sections do not count
        if (IsExponentLetter(c) && i + 1 < displayFormat.size()
            && (displayFormat[i + 1] == '+' || displayFormat[i + 1] == '-')) {
            // An exponent: the letter, its sign and its digits.
            ++i;
            while (i + 1 < displayFormat.size() && displayFormat[i + 1] == '0') ++i;
            continue;
        }
        if (c == '#' || c == ',' || c == '.' || c == '0') out += c;
    }
    return out;
}

std::string CurrencyEditFormat(const rtl::TFormatSettings& settings)
{
    return ",#." + std::string(settings.CurrencyDecimals, '0');
}

std::string ThousandsGroupedText(std::string_view text, bool group, const rtl::TFormatSettings& settings)
{
    if (text.empty() || text == "-") return std::string(text);
    std::string number = NormalizeNumberText(text, settings);
    std::string sign;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        sign = number.substr(0, 1);
        number.erase(0, 1);
    }
    const char separator = settings.ThousandSeparator;
    if (!group || separator == 0 || separator == settings.DecimalSeparator) return sign + number;
    const std::size_t end =
        std::min({number.find(settings.DecimalSeparator), number.find_first_of("Ee"), number.size()});

    // From the last digit of the integer part to its first: a separator before every third
    // digit that has digits to its left.
    const std::string integerPart = number.substr(0, end);
    std::string grouped;
    int digits = 0;
    int digitsLeft = static_cast<int>(std::count_if(integerPart.begin(), integerPart.end(), IsDigit));
    for (std::size_t i = integerPart.size(); i-- > 0;) {
        const char c = integerPart[i];
        grouped += c;
        if (!IsDigit(c)) continue;
        --digitsLeft;
        if (++digits % 3 == 0 && digitsLeft > 0) grouped += separator;
    }
    std::reverse(grouped.begin(), grouped.end());
    return sign + grouped + number.substr(end);
}

bool NumberTextAcceptable(std::string_view normalized, unsigned decimalPlaces, bool refuseNegative,
                          const rtl::TFormatSettings& settings)
{
    if (normalized.empty()) return true;
    const char decimal = settings.DecimalSeparator;
    if (const std::size_t separator = normalized.find(decimal); separator != std::string_view::npos) {
        std::size_t end = normalized.find_first_of("Ee", separator + 1);
        if (end == std::string_view::npos) end = normalized.size();
        if (end - separator - 1 > decimalPlaces) return false;
    }
    const bool allowed = std::all_of(normalized.begin(), normalized.end(), [decimal](char c) {
        return c == decimal || c == '+' || c == '-' || IsDigit(c) || IsExponentLetter(c);
    });
    if (!allowed) return false;
    double value = 0;
    switch (ReadNumberText(std::string(normalized), value, settings)) {
    case TNumberText::Empty: return true; // a lone sign is not negative
    case TNumberText::Number: return !(refuseNegative && value < 0);
    case TNumberText::NotANumber: break;
    }
    return false;
}

double ClampToLimits(double value, double minValue, double maxValue)
{
    if (minValue == maxValue) return value;
    if (minValue < maxValue) return std::clamp(value, minValue, maxValue);
    if (maxValue == 0) return std::max(value, minValue);
    if (minValue == 0) return std::min(value, maxValue);
    return value;
}

double RoundToPlaces(double value, unsigned places)
{
    if (places >= 38) return value;
    return rtl::RoundToDecimals(value, static_cast<int>(places));
}

} // namespace editors
