// Any text read as a number, under both decimal separators: a float that reads is finite
// and its own text reads back as it; an amount that reads is a float that reads; a float
// becomes a currency amount within half its last decimal, or overflows beyond the range.
// The first byte picks the separator.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    rtl::FormatSettings = rtl::TFormatSettings::Invariant();
    if (data[0] & 1) {
        rtl::FormatSettings.DecimalSeparator = ',';
        rtl::FormatSettings.ThousandSeparator = '.';
    }
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    double value = 0;
    const bool isFloat = rtl::TryStrToFloat(text, value);
    if (isFloat) {
        Require(std::isfinite(value));
        // Its shortest text, with the separator of the settings, reads back as it.
        char shortest[64];
        std::string written(shortest, std::to_chars(shortest, shortest + sizeof shortest, value).ptr);
        for (char& c : written)
            if (c == '.') c = rtl::FormatSettings.DecimalSeparator;
        double back = 0;
        Require(rtl::TryStrToFloat(written, back) && back == value);
        try {
            const rtl::Currency amount = rtl::Currency::FromDouble(value);
            Require(std::fabs(amount.ToDouble() - value) <= 0.00005 + std::fabs(value) * 1e-15);
        } catch (const rtl::EOverflow&) {
            Require(std::fabs(value) >= 922337203685477.5);
        }
    }
    rtl::Currency amount;
    if (rtl::TryStrToCurr(text, amount)) Require(isFloat);
    return 0;
}
