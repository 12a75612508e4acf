#include "device_link/Freq.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/rtl/SysUtils.h"

namespace device_link {

namespace {

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kWeekDays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// RF level steps of the unit (descending) and their levels: 20 log10 of 540, 430,
// 270, 200, 120, 90, 62, 40, 24, 18, 12, 8, 4.3, 2.4 and 1 uV.
constexpr std::array<double, 15> kLevelSteps{15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
// clang-format off
constexpr std::array<double, 15> kLevelDBuV{54.64788, 52.66937, 48.62728, 46.0206, 41.58362,
                                            39.08485, 35.84783, 32.0412,  27.60422, 25.10545,
                                            21.58362, 18.0618,  12.66937, 7.604225, 0.0};
// clang-format on

constexpr std::uint32_t kClockBits = 0x1FFFF;

constexpr double kBandLow = 87.5;
constexpr double kBandHigh = 108.0;

int Int(double value) { return static_cast<int>(std::trunc(value)); }

} // namespace

std::string RdsDIText(std::uint8_t value, std::uint8_t validMask, int bit)
{
    if (bit < 0 || bit > 7) return {};
    if (((validMask >> bit) & 1) == 0) return "??";
    const bool set = ((value >> bit) & 1) != 0;
    switch (bit) {
    case 0: return set ? "STEREO" : "MONO";
    case 1: return set ? "AH" : "Not AH";
    case 2: return set ? "Compressed" : "Not Compressed";
    case 3: return set ? "Dynamic" : "Static";
    default: return {};
    }
}

void RdsCTText(std::uint32_t mjd, std::uint32_t packedTime, TRDSDateTime& result)
{
    result = TRDSDateTime{};
    // The clock carries 17 bits of each; more could only come from a corrupt record.
    mjd &= kClockBits;
    packedTime &= kClockBits;
    if (mjd == 0 || packedTime == 0) {
        result.Text = "not transmitted";
        return;
    }
    // Modified Julian day to date as RDS defines it (EN 50067, annex G).
    const double day = mjd;
    const int yearPrime = Int((day - 15078.2) / 365.25);
    const int monthPrime = Int((day - 14956.1 - Int(yearPrime * 365.25)) / 30.6001);
    const int dayOfMonth = static_cast<int>(mjd) - 14956 - Int(yearPrime * 365.25) - Int(monthPrime * 30.6001);
    const int k = (monthPrime == 14 || monthPrime == 15) ? 1 : 0;
    const int year = yearPrime + k + 1900;
    const int month = monthPrime - 1 - 12 * k;
    const int weekDay = static_cast<int>((mjd + 2) % 7) + 1;
    const int weekPrime = Int(day / 7 - 2144.64);
    const int weekYear = Int(weekPrime * 28.0 / 1461 - 0.0079);
    const int week = weekPrime - Int(weekYear * 1461.0 / 28 + 0.41);

    const unsigned hour = packedTime >> 12;
    const unsigned minute = (packedTime >> 6) & 63;
    const char* sign = (packedTime & 32) ? "-" : "+";
    const int offsetHours = static_cast<int>((packedTime & 31) >> 1);
    const int offsetMinutes = static_cast<int>(packedTime & 1) * 30;

    // Days before 1 March 1900 give no month of the table.
    const std::string monthName = (month >= 1 && month <= 12) ? kMonths[month - 1] : "??";
    const std::string weekDayName = kWeekDays[weekDay - 1];

    result.Day = rtl::Format("%02d", dayOfMonth);
    result.Month = monthName;
    result.Year = rtl::Format("%04d", year);
    result.WeekDay = weekDayName;
    result.Week = rtl::Format("%02d", week);
    result.Hour = rtl::Format("%-2u", hour);
    result.Minute = rtl::Format("%-2u", minute);
    result.Offset = rtl::Format("%s%2d:%-2d", sign, offsetHours, offsetMinutes);
    result.Text = rtl::Format("%02d %s %04d, %s, week %02d, %-2u:%-2u %s%2d:%-2d", dayOfMonth, monthName,
                              year, weekDayName, week, hour, minute, sign, offsetHours, offsetMinutes);
}

std::string NormalizeFreqText(const std::string& text)
{
    const char separator = rtl::FormatSettings.DecimalSeparator;
    std::string cleaned;
    bool haveSeparator = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            cleaned += c;
        } else if (c == separator && !haveSeparator) {
            cleaned += c;
            haveSeparator = true;
        }
    }
    const std::string low = rtl::Format("%3.1f", kBandLow);
    const std::string high = rtl::Format("%3.1f", kBandHigh);
    if (cleaned.empty() || cleaned == std::string(1, separator)) return low;
    // More than three digits before the separator are above the band.
    const std::size_t point = std::min(cleaned.find(separator), cleaned.size());
    const std::size_t firstSignificant = std::min(cleaned.find_first_not_of('0'), point);
    if (point - firstSignificant > 3) return high;
    // "5." and ".5" read as 5 and 0.5.
    std::string number = cleaned;
    if (number.front() == separator) number.insert(number.begin(), '0');
    if (number.back() == separator) number.pop_back();
    const double value = rtl::StrToFloat(number);
    if (value < kBandLow) return low;
    if (value > kBandHigh) return high;
    return cleaned;
}

double ClampFreq(double mhz)
{
    if (mhz < kBandLow) return kBandLow;
    if (mhz > kBandHigh) return kBandHigh;
    return mhz;
}

double Interpolate(std::span<const double> x, std::span<const double> y, double value)
{
    const std::size_t n = std::min(x.size(), y.size());
    if (n == 0) return 0.0;
    for (std::size_t i = 1; i < n; ++i) {
        if (value >= x[i]) {
            const double run = x[i - 1] - x[i];
            if (run == 0.0) return y[i];
            const double slope = (y[i - 1] - y[i]) / run;
            return slope * value + (y[i] - slope * x[i]);
        }
    }
    return y[n - 1];
}

double ADCToDBuV(double step)
{
    return Interpolate(kLevelSteps, kLevelDBuV, step);
}

double DBuVToADC(double dbuv)
{
    return Interpolate(kLevelDBuV, kLevelSteps, dbuv);
}

} // namespace device_link
