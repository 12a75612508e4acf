#pragma once
// Number, date and string routines of the runtime.
//
// Every text conversion of numbers and dates goes through one TFormatSettings
// record: the global FormatSettings, read from the environment's locale at start
// (LC_ALL / LC_NUMERIC / LC_TIME / LANG), or an explicit record passed to the
// overloads that take one. Tests set FormatSettings explicitly (TScopedFormatSettings)
// and never depend on the machine's locale.
//
// Rounding: Round halves to even. Number-to-text conversions (Format %f/%e/%g/%n/%m,
// FloatToStr, FloatToStrF, FormatFloat, CurrToStr, CurrToStrF, FormatCurr) round a
// decimal half away from zero, as people read numbers, in one step to the digits shown
// (of a double at most 15 significant ones). A double counts by the shortest decimal
// text that reads back as it: 1.05 is a half although the double lies a little below,
// so FormatFloat("0.0", 1.05) is "1.1", FormatFloat("0.0", 0.25) is "0.3",
// FormatFloat("0", 2.5) is "3", FormatFloat("0.0", 1.0499999999999998) is "1.0". A
// double's text never rounds beyond the largest double, so it always reads back.
//
// Text is 8-bit Windows-1252 throughout.
#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/rtl/Exception.h"

namespace rtl {

// Days since 30 December 1899 (local time); the fraction is the time of day.
using TDateTime = double;

// A floating-point operation without a result (Round of NaN, infinity or a value
// beyond 64 bits): "Invalid floating point operation".
// clang-format off
class EInvalidOp : public Exception { using Exception::Exception; };
// An integer division by zero: "Division by zero".
class EDivByZero : public Exception { using Exception::Exception; };
// An amount out of the range of its type: "Arithmetic overflow".
class EOverflow : public Exception { using Exception::Exception; };
// clang-format on

// Fixed-point amount with four decimals, kept as a 64-bit integer scaled by 10000.
struct Currency {
    std::int64_t Scaled = 0;

    static constexpr Currency FromScaled(std::int64_t scaled) { return Currency{scaled}; }
    // near(value * 10000), a half going to even; EOverflow beyond the range.
    static Currency FromDouble(double value);
    static constexpr Currency FromInt(std::int64_t whole) { return Currency{whole * 10000}; }
    double ToDouble() const { return static_cast<double>(Scaled) / 10000.0; }

    friend auto operator<=>(const Currency&, const Currency&) = default;
    Currency operator-() const { return Currency{-Scaled}; }
    // clang-format off
    Currency& operator+=(Currency other) { Scaled += other.Scaled; return *this; }
    Currency& operator-=(Currency other) { Scaled -= other.Scaled; return *this; }
    // clang-format on
    friend Currency operator+(Currency a, Currency b) { return a += b; }
    friend Currency operator-(Currency a, Currency b) { return a -= b; }
};

// ---------------------------------------------------------------------------
// Locale settings

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ','; // 0: no grouping
    char ListSeparator = ',';
    std::uint8_t CurrencyDecimals = 2;
    std::string CurrencyString = "$";
    // Position of the symbol: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    std::uint8_t CurrencyFormat = 0;
    // Negative amounts: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$",
    // 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    std::uint8_t NegCurrFormat = 0;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    // Date-time patterns as FormatDateTime takes them.
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March", "April",
                                               "May", "June", "July", "August",
                                               "September", "October", "November", "December"};
    // Index 0 is Sunday.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday", "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    // Two-digit years read by StrToDate fall within this many years before/after now.
    int TwoDigitYearCenturyWindow = 50;

    // The fixed settings above (US English); the same on every machine.
    static TFormatSettings Invariant();
    // The settings of a locale name ("de_DE", "C"); empty: the environment's locale.
    static TFormatSettings FromLocale(const std::string& localeName = {});
};

// The settings every conversion without an explicit record uses; filled from the
// environment at program start.
extern TFormatSettings FormatSettings;

// Replaces FormatSettings for its lifetime (tests); restores the previous record.
class TScopedFormatSettings {
public:
    explicit TScopedFormatSettings(const TFormatSettings& settings);
    // Invariant settings with the given separators.
    TScopedFormatSettings(char decimalSeparator, char thousandSeparator);
    ~TScopedFormatSettings();
    TScopedFormatSettings(const TScopedFormatSettings&) = delete;
    TScopedFormatSettings& operator=(const TScopedFormatSettings&) = delete;
private:
    TFormatSettings saved_;
};

// ---------------------------------------------------------------------------
// Format

// One argument of Format: an integer, a float, a text, a currency amount or a pointer.
class TFormatArg {
public:
    // clang-format off
    enum class Kind { Int, UInt, Float, Text, Curr, Pointer };
    // clang-format on
    TFormatArg(int v) : kind_(Kind::Int), i_(v) {}
    TFormatArg(long v) : kind_(Kind::Int), wide_(true), i_(v) {}
    TFormatArg(long long v) : kind_(Kind::Int), wide_(true), i_(v) {}
    TFormatArg(short v) : kind_(Kind::Int), i_(v) {}
    TFormatArg(signed char v) : kind_(Kind::Int), i_(v) {}
    TFormatArg(unsigned v) : kind_(Kind::UInt), u_(v) {}
    TFormatArg(unsigned long v) : kind_(Kind::UInt), wide_(true), u_(v) {}
    TFormatArg(unsigned long long v) : kind_(Kind::UInt), wide_(true), u_(v) {}
    TFormatArg(unsigned short v) : kind_(Kind::UInt), u_(v) {}
    TFormatArg(unsigned char v) : kind_(Kind::UInt), u_(v) {}
    TFormatArg(bool v) : kind_(Kind::Int), i_(v ? 1 : 0) {}
    TFormatArg(char c) : kind_(Kind::Text), text_(1, c) {}
    TFormatArg(double v) : kind_(Kind::Float), d_(v) {}
    TFormatArg(float v) : kind_(Kind::Float), d_(v) {}
    TFormatArg(long double v) : kind_(Kind::Float), d_(static_cast<double>(v)) {}
    TFormatArg(Currency v) : kind_(Kind::Curr), i_(v.Scaled) {}
    TFormatArg(const char* v) : kind_(Kind::Text), text_(v ? v : "") {}
    TFormatArg(char* v) : TFormatArg(static_cast<const char*>(v)) {}
    TFormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}
    TFormatArg(const std::string& v) : kind_(Kind::Text), text_(v) {}
    TFormatArg(const void* p) : kind_(Kind::Pointer), u_(reinterpret_cast<std::uintptr_t>(p)) {}

    Kind GetKind() const { return kind_; }
    // 64-bit integer types; %x and %u show a negative 32-bit value in 32 bits.
    bool Wide() const { return wide_; }
    std::int64_t Int() const { return i_; }
    std::uint64_t UInt() const { return u_; }
    double Float() const { return d_; }
    const std::string& Text() const { return text_; }
private:
    Kind kind_;
    bool wide_ = false;
    std::int64_t i_ = 0;
    std::uint64_t u_ = 0;
    double d_ = 0;
    std::string text_;
};

// Format with a list of arguments:
//   "%" [index ":"] ["-"] ["0"] [width] ["." precision] type
// width and precision may be "*" (taken from the next integer argument); either stops
// at 1,048,576, and a negative one from "*" counts as none.
//   d  signed integer (precision: at least that many digits, zero-filled)
//   u  unsigned integer      x  hexadecimal, upper case (precision as for d)
//   f  fixed (precision 2 by default)         n  like f with thousands separators
//   e  scientific "-d.ddd...E+ddd" (precision 15)   g  shortest of fixed and scientific (15)
//   m  currency with CurrencyString and CurrencyFormat/NegCurrFormat (CurrencyDecimals)
//   s  text (precision: at most that many characters)   p  pointer, 16 hex digits
//   %% a percent sign
// "-" left-justifies, a leading "0" in the width pads numbers with zeros.
// The decimal and thousands separators are those of the settings.
// Raises EConvertError "Format '%s' invalid or incompatible with argument" for a type
// that does not fit its argument and "No argument for format '%s'" for a missing one.
std::string FormatList(const TFormatSettings& settings, std::string_view format,
                       std::span<const TFormatArg> args);

template <typename... A>
std::string Format(const TFormatSettings& settings, std::string_view format, const A&... args)
{
    const TFormatArg list[] = {TFormatArg(args)..., TFormatArg(0)};
    return FormatList(settings, format, std::span<const TFormatArg>(list, sizeof...(A)));
}
template <typename... A>
std::string Format(std::string_view format, const A&... args)
{
    return Format(FormatSettings, format, args...);
}

// ---------------------------------------------------------------------------
// Numbers to text

// clang-format off
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// clang-format on

// General format with 15 significant digits: "0.1", "1E20", "-1.5E-7", "NAN", "INF".
std::string FloatToStr(double value);
std::string FloatToStr(double value, const TFormatSettings& settings);
// The general format of FloatToStr with as many significant digits as the shortest text
// that reads back (StrToFloat) as the same double: FloatToStr's text where 15 digits do,
// up to 17 where not ("1.2345678901234568E18", "0.30000000000000004").
std::string FloatToStrShortest(double value);
std::string FloatToStrShortest(double value, const TFormatSettings& settings);
// ffGeneral: shortest, at most precision significant digits, scientific when the
//   exponent is below -4 or not below precision; digits: minimum exponent digits (0-4).
// ffExponent: "d.ddd E+dddd": precision significant digits, at least digits exponent digits.
// ffFixed: digits decimals; ffNumber: the same with thousands separators;
// ffCurrency: digits decimals, thousands separators and the currency symbol.
// precision is 1..15 (clamped); values with 15 digits before the point fall back to ffExponent
// in ffFixed/ffNumber/ffCurrency.
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings);

// Picture formats: "0" a digit always shown, "#" a digit shown when significant,
// "." the decimal separator (the first one), "," thousands separators (anywhere in the
// integer part), "E+00"/"E-00"/"e+00"/"e-00" scientific with at least that many exponent
// digits, '...' or "..." literal text, and up to three sections "positive;negative;zero"
// (an empty section takes the positive one; a negative value shown in a section of its own
// loses its minus sign). An empty format, and a value with more than 18 digits before
// the point, give the general form (FloatToStr).
std::string FormatFloat(std::string_view format, double value);
std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings);
// The same picture formats for an exact currency amount.
std::string FormatCurr(std::string_view format, Currency value);
std::string FormatCurr(std::string_view format, Currency value, const TFormatSettings& settings);

// General form with up to four decimals: "12.5", "-0.0001".
std::string CurrToStr(Currency value);
std::string CurrToStr(Currency value, const TFormatSettings& settings);
// As FloatToStrF on the exact amount, precision 19.
std::string CurrToStrF(Currency value, TFloatFormat format, int digits);
std::string CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& settings);

std::string IntToStr(std::int64_t value);
// Upper-case hexadecimal of at least digits digits (negative values as 64-bit two's complement).
std::string IntToHex(std::int64_t value, int digits);

// ---------------------------------------------------------------------------
// Text to numbers. Leading and trailing blanks (code 32 and below) are ignored.

// Decimal or "$"-prefixed hexadecimal; EConvertError "'%s' is not a valid integer value"
// (also for a value out of the 32-bit range).
int StrToInt(const std::string& text);
std::int64_t StrToInt64(const std::string& text);
bool TryStrToInt(const std::string& text, int& value);
bool TryStrToInt64(const std::string& text, std::int64_t& value);
int StrToIntDef(const std::string& text, int defaultValue);
std::int64_t StrToInt64Def(const std::string& text, std::int64_t defaultValue);

// [sign] digits [separator digits] [E [sign] digits] with the settings' decimal separator
// (no thousands separators); EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const std::string& text);
double StrToFloat(const std::string& text, const TFormatSettings& settings);
bool TryStrToFloat(const std::string& text, double& value);
bool TryStrToFloat(const std::string& text, double& value, const TFormatSettings& settings);
double StrToFloatDef(const std::string& text, double defaultValue);
// As StrToFloat, exact to four decimals (further decimals round half to even).
Currency StrToCurr(const std::string& text);
bool TryStrToCurr(const std::string& text, Currency& value);

// A number as a display shows it back to its value: show is the display's own writing
// (FormatFloat with a picture, FloatToStrF as currency, ...), and the value is the one
// show writes as exactly text. The text's digits, decimal separator and exponent are read
// whatever stands around them (a currency symbol, thousands separators, a sign or
// brackets, literal text), and the value or its negative is taken when show writes it so.
// False when neither is, and for an empty text.
bool TryShownTextToFloat(std::string_view text, const std::function<std::string(double)>& show, double& value);
bool TryShownTextToCurr(std::string_view text, const std::function<std::string(Currency)>& show, Currency& value);

// ---------------------------------------------------------------------------
// Arithmetic

// Nearest integer, a half going to the even one; EInvalidOp for NaN, infinities and
// values beyond 64 bits.
std::int64_t Round(double value);
// The integer part (towards zero); EInvalidOp as Round.
std::int64_t Trunc(double value);
// value * numerator / denominator in 64 bits, rounded to nearest (a half away from zero);
// -1 when denominator is 0, and when the result leaves the int range.
int MulDiv(int value, int numerator, int denominator);
// The same, never out of range: the 64-bit result (-1 when denominator is 0).
std::int64_t MulDiv64(int value, int numerator, int denominator);
// value rounded to places decimals, a half going to the even digit, judged on the value's
// shortest decimal text (what a person reads): 2.675 rounds to 2.68 and 2.665 to 2.66,
// although both doubles lie a little below. A value with no digit beyond places, NaN and
// the infinities come back unchanged; so does every value whose places-scaled form leaves
// the 64-bit range, which has no such digit. places below 0 count as 0.
double RoundToDecimals(double value, int places);

// ---------------------------------------------------------------------------
// Dates and times

// The date-times the date routines handle: from 1 January 0001 to the last millisecond
// of 31 December 9999.
inline constexpr TDateTime MinDateTime = -693593.0;
inline constexpr TDateTime MaxDateTime = 2958465.0 + 86399999.0 / 86400000.0;
// Whether a value lies in that range (NaN and the infinities do not): outside it there is
// no calendar date to decode or write.
bool IsValidDateTime(TDateTime value);

// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// 1 Sunday ... 7 Saturday.
int DayOfWeek(TDateTime value);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

TDateTime Now();  // local date and time, millisecond resolution
TDateTime Date(); // today, time 0
TDateTime Time(); // time of day only

// Patterns (letters in any case):
//   c  ShortDateFormat + " " + LongTimeFormat (time omitted at midnight)
//   d dd ddd dddd  day, two-digit day, short day name, long day name
//   ddddd ShortDateFormat   dddddd LongDateFormat
//   m mm mmm mmmm  month (minutes right after an h or hh), short and long month name
//   yy yyyy  year;  h hh  hour;  n nn  minute;  s ss  second;  z zzz  millisecond
//   t  ShortTimeFormat   tt LongTimeFormat
//   am/pm a/p ampm  12-hour clock and its marker (ampm: TimeAMString/TimePMString)
//   /  DateSeparator    :  TimeSeparator    '...' "..." literal text
std::string FormatDateTime(std::string_view format, TDateTime value);
std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings);
std::string DateTimeToStr(TDateTime value); // "c"
std::string DateToStr(TDateTime value);     // ShortDateFormat
std::string TimeToStr(TDateTime value);     // LongTimeFormat
std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings);
std::string DateToStr(TDateTime value, const TFormatSettings& settings);
std::string TimeToStr(TDateTime value, const TFormatSettings& settings);

// The date-time that FormatDateTime(format, value) writes as exactly text: the text read
// part by part as the pattern writes it (a part the pattern leaves out is this year, the
// first month or day, or midnight). False when no value is written so.
bool TryFormattedTextToDateTime(std::string_view text, std::string_view format, TDateTime& value);

// Dates in the order of ShortDateFormat (day, month, year), separated by DateSeparator,
// the year optional; times "h[:n[:s[.z]]] [AM|PM]" with TimeSeparator. EConvertError
// "'%s' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const std::string& text);
TDateTime StrToTime(const std::string& text);
TDateTime StrToDateTime(const std::string& text);
TDateTime StrToDate(const std::string& text, const TFormatSettings& settings);
TDateTime StrToTime(const std::string& text, const TFormatSettings& settings);
TDateTime StrToDateTime(const std::string& text, const TFormatSettings& settings);
bool TryStrToDate(const std::string& text, TDateTime& value, const TFormatSettings& settings = FormatSettings);
bool TryStrToTime(const std::string& text, TDateTime& value, const TFormatSettings& settings = FormatSettings);
bool TryStrToDateTime(const std::string& text, TDateTime& value, const TFormatSettings& settings = FormatSettings);

// ---------------------------------------------------------------------------
// Strings (8-bit, Windows-1252). Positions are 1-based as the runtime's, 0 for none.

// Without the characters of code 32 and below at the ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII letters only.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
int CompareStr(std::string_view a, std::string_view b);  // byte order; <0, 0, >0
int CompareText(std::string_view a, std::string_view b); // ASCII case ignored
bool SameText(std::string_view a, std::string_view b);

// Windows-1252 letters too (é <-> É, ÿ <-> Ÿ, š <-> Š ...; ß and µ have no capital).
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// The locale's collation: letters by their base letter first ("a" < "B" < "é" < "f"),
// then accents, then case (lower before upper); digits before letters.
int AnsiCompareStr(std::string_view a, std::string_view b);
// As AnsiCompareStr with case ignored.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);
// Whether s begins with, or holds, sub when both are upper-cased as AnsiUpperCase does
// (an empty sub is in every text).
bool AnsiStartsText(std::string_view sub, std::string_view s);
bool AnsiContainsText(std::string_view s, std::string_view sub);

// Position of sub in s from offset (1-based), 0 when absent or sub is empty.
std::size_t Pos(std::string_view sub, std::string_view s, std::size_t offset = 1);
// Characters from index (1-based), at most count; out-of-range parts are cut.
std::string Copy(std::string_view s, std::size_t index, std::size_t count = std::string::npos);

// clang-format off
enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
// clang-format on
// rfIgnoreCase compares Windows-1252 letters without regard to case.
std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, int flags);
// 'text' with each ' doubled.
std::string QuotedStr(std::string_view s);
// quote + text + quote with each quote character inside doubled.
std::string AnsiQuotedStr(std::string_view s, char quote);
// Undoes AnsiQuotedStr; a text not starting with quote comes back unchanged; a text
// without its closing quote gives what follows the opening quote.
std::string AnsiDequotedStr(std::string_view s, char quote);
std::string StringOfChar(char c, std::size_t count);

// The value of an environment variable; empty when it is not set.
std::string GetEnvironmentVariable(const char* name);

} // namespace rtl
