// Date-times: days since 30 December 1899 encoded and decoded, and the clock.
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

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
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468; // days since 1970-01-01
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
static_assert(DaysFromCivil(1, 1, 1) - kEpochDays == MinDateTime);
static_assert(DaysFromCivil(9999, 12, 31) - kEpochDays == static_cast<std::int64_t>(MaxDateTime));

// The day number and the milliseconds of the day; the fraction of a negative
// value counts forward from its day like that of a positive one.
void SplitDateTime(TDateTime value, std::int64_t& day, std::int64_t& msOfDay)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) throw EConvertError("Invalid argument to date encode");
    day = static_cast<std::int64_t>(value); // toward zero
    const double frac = std::fabs(value - static_cast<double>(day));
    msOfDay = static_cast<std::int64_t>(std::llround(frac * kMSecsPerDay));
    if (msOfDay >= kMSecsPerDay) {
        msOfDay -= kMSecsPerDay;
        day += value < 0 ? -1 : 1;
    }
}

} // namespace

bool IsValidDateTime(TDateTime value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return false;
    // Judged by the day the value decodes to, its time rounded to the millisecond.
    std::int64_t day, msOfDay;
    SplitDateTime(value, day, msOfDay);
    return day >= static_cast<std::int64_t>(MinDateTime) && day <= static_cast<std::int64_t>(MaxDateTime);
}

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
    const std::int64_t w = ((d + 6) % 7 + 7) % 7; // 0 Sunday
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

} // namespace rtl
