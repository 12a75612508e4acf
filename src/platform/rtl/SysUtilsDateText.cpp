// Date-times as text and back: FormatDateTime and the StrToDate family.
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::IsQuote;
using detail::Lower;
using detail::TrimView;

// ---------------------------------------------------------------------------
// FormatDateTime

namespace {

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
        // clang-format off
        if (quote) { if (f[i] == quote) quote = 0; continue; }
        if (IsQuote(f[i])) { quote = f[i]; continue; }
        // clang-format on
        if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm"))
            return true;
    }
    return false;
}

std::string Two(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

// How many times the letter stands from i on, case ignored.
std::size_t RunLength(std::string_view f, std::size_t i, char letter)
{
    std::size_t n = 0;
    while (i + n < f.size() && Lower(f[i + n]) == letter) ++n;
    return n;
}

// The text between the quote at i and its closing one (or the end of the pattern); next
// is where the pattern goes on.
std::string_view QuotedText(std::string_view f, std::size_t i, std::size_t& next)
{
    const std::size_t end = f.find(f[i], i + 1);
    const std::size_t stop = end == std::string_view::npos ? f.size() : end;
    next = stop == f.size() ? stop : stop + 1;
    return f.substr(i + 1, stop - i - 1);
}

// A year written with two digits, in the century window around this year.
int ExpandTwoDigitYear(int year, const TFormatSettings& fs)
{
    int cy, cm, cd;
    DecodeDate(Date(), cy, cm, cd);
    const int threshold = cy - fs.TwoDigitYearCenturyWindow;
    year += threshold / 100 * 100;
    if (fs.TwoDigitYearCenturyWindow > 0 && year < threshold) year += 100;
    return year;
}

struct DateParts {
    int year, month, day, hour, minute, second, ms, dow; // dow 1..7, 1 Sunday
    bool hasTime;
};

// Writes a date-time by a pattern. A letter pattern that names another one (c, ddddd,
// dddddd, t, tt) writes that one in its place, two levels deep at most.
class TDateWriter {
public:
    TDateWriter(std::string& out, const DateParts& parts, const TFormatSettings& fs) : out_(out), p_(parts), fs_(fs) {}

    void Write(std::string_view f, int depth = 0)
    {
        if (depth > 2) return; // a pattern naming itself
        const bool twelve = HasAmPm(f);
        bool afterHour = false; // "m" right after an hour is the minute
        std::size_t i = 0;
        while (i < f.size()) {
            const char c = f[i];
            if (IsQuote(c)) {
                std::size_t next;
                out_.append(QuotedText(f, i, next));
                i = next;
                continue;
            }
            const char letter = Lower(c);
            const std::size_t n = RunLength(f, i, letter);
            switch (letter) {
            case 'c':
                ++i;
                WriteDateAndTime(depth);
                break;
            // clang-format off
            case 'd': i += n; WriteDay(n, depth); break;
            case 'y': i += n; WriteYear(n); break;
            // clang-format on
            case 'm':
                i += n;
                if (afterHour && n <= 2) WriteNumber(p_.minute, n);
                else WriteMonth(n);
                break;
            // clang-format off
            case 'h': i += n; WriteHour(n, twelve); break;
            case 'n': i += n; WriteNumber(p_.minute, n); break;
            case 's': i += n; WriteNumber(p_.second, n); break;
            case 'z': i += n; WriteMilliseconds(n); break;
            // clang-format on
            case 't':
                i += n;
                Write(n == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1);
                break;
            default:
                // Separators, the half of the day and plain characters leave afterHour.
                i = WriteOther(f, i);
                continue;
            }
            afterHour = letter == 'h';
        }
    }

private:

    void WriteNumber(int value, std::size_t n) { out_ += n == 1 ? std::to_string(value) : Two(value); }

    // "c": the short date, and the long time when the value has one.
    void WriteDateAndTime(int depth)
    {
        Write(fs_.ShortDateFormat, depth + 1);
        if (p_.hasTime) {
            out_ += ' ';
            Write(fs_.LongTimeFormat, depth + 1);
        }
    }

    void WriteDay(std::size_t n, int depth)
    {
        switch (n) {
        case 1:
        case 2: WriteNumber(p_.day, n); break;
        case 3: out_ += fs_.ShortDayNames[p_.dow - 1]; break;
        case 4: out_ += fs_.LongDayNames[p_.dow - 1]; break;
        case 5: Write(fs_.ShortDateFormat, depth + 1); break;
        default: Write(fs_.LongDateFormat, depth + 1); break;
        }
    }

    void WriteYear(std::size_t n)
    {
        if (n <= 2) {
            out_ += Two(p_.year % 100);
            return;
        }
        std::string y = std::to_string(p_.year);
        if (y.size() < 4) y.insert(0, 4 - y.size(), '0');
        out_ += y;
    }

    void WriteMonth(std::size_t n)
    {
        switch (n) {
        case 1:
        case 2: WriteNumber(p_.month, n); break;
        case 3: out_ += fs_.ShortMonthNames[p_.month - 1]; break;
        default: out_ += fs_.LongMonthNames[p_.month - 1]; break;
        }
    }

    void WriteHour(std::size_t n, bool twelve)
    {
        int h = p_.hour;
        if (twelve) {
            h %= 12;
            if (h == 0) h = 12;
        }
        WriteNumber(h, n);
    }

    void WriteMilliseconds(std::size_t n)
    {
        std::string z = std::to_string(p_.ms);
        if (n >= 3) z.insert(0, 3 - z.size(), '0');
        out_ += z;
    }

    // The date and time separators, "am/pm", "a/p" and "ampm", or the character as it
    // stands; returns where the pattern goes on.
    std::size_t WriteOther(std::string_view f, std::size_t i)
    {
        const bool pm = p_.hour >= 12;
        if (f[i] == '/') {
            if (fs_.DateSeparator) out_ += fs_.DateSeparator;
            return i + 1;
        }
        if (f[i] == ':') {
            if (fs_.TimeSeparator) out_ += fs_.TimeSeparator;
            return i + 1;
        }
        if (StartsWithNoCase(f, i, "am/pm")) {
            // Keeps the case the pattern used for the chosen half.
            out_.append(f.substr(pm ? i + 3 : i, 2));
            return i + 5;
        }
        if (StartsWithNoCase(f, i, "a/p")) {
            out_ += f[pm ? i + 2 : i];
            return i + 3;
        }
        if (StartsWithNoCase(f, i, "ampm")) {
            out_ += pm ? fs_.TimePMString : fs_.TimeAMString;
            return i + 4;
        }
        out_ += f[i];
        return i + 1;
    }

    std::string& out_;
    const DateParts& p_;
    const TFormatSettings& fs_;
};

DateParts PartsOf(TDateTime value)
{
    DateParts p{};
    DecodeDate(value, p.year, p.month, p.day);
    DecodeTime(value, p.hour, p.minute, p.second, p.ms);
    p.dow = DayOfWeek(value);
    p.hasTime = p.hour != 0 || p.minute != 0 || p.second != 0 || p.ms != 0;
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
    TDateWriter(out, p, fs).Write(format.empty() ? std::string_view("c") : format);
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
    // clang-format off
    void SkipBlanks() { while (i < s.size() && s[i] == ' ') ++i; }
    bool AtEnd() { SkipBlanks(); return i >= s.size(); }
    // clang-format on
    bool Number(int& v, int& digits)
    {
        SkipBlanks();
        v = 0;
        digits = 0;
        // clang-format off
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9) { v = v * 10 + (s[i] - '0'); ++i; ++digits; }
        // clang-format on
        return digits > 0;
    }
    bool Char(char c)
    {
        SkipBlanks();
        // clang-format off
        if (i < s.size() && s[i] == c) { ++i; return true; }
        // clang-format on
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
        // clang-format off
        if (!sc.Number(n[count], digits[count])) { sc.i = save; return false; }
        // clang-format on
        ++count;
    }
    if (count < 2) return false;
    const std::string order = DateOrder(fs.ShortDateFormat);
    int y, m, d;
    bool yearGiven = true;
    int yearDigits = 0;
    // clang-format off
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
    // clang-format on
    if (yearGiven && yearDigits <= 2) y = ExpandTwoDigitYear(y, fs);
    return TryEncodeDate(y, m, d, value);
}

bool ScanTime(Scanner& sc, TDateTime& value, const TFormatSettings& fs)
{
    const char sep = fs.TimeSeparator ? fs.TimeSeparator : ':';
    const std::string am = fs.TimeAMString.empty() ? "AM" : fs.TimeAMString;
    const std::string pm = fs.TimePMString.empty() ? "PM" : fs.TimePMString;
    auto marker = [&](int& half) {
        // clang-format off
        if (sc.Word(am) || sc.Word("AM")) { half = 1; return true; }
        if (sc.Word(pm) || sc.Word("PM")) { half = 2; return true; }
        // clang-format on
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

namespace {

// Reads a date-time by the pattern it was written with, step for step as TDateWriter
// writes it; what it reads is checked by writing it again.
class TDateReader {
public:
    TDateReader(std::string_view text, const TFormatSettings& fs) : s_(text), fs_(fs) {}

    bool Read(std::string_view f, int depth = 0)
    {
        if (depth > 2) return true; // a pattern naming itself writes nothing
        bool afterHour = false;
        std::size_t i = 0;
        while (i < f.size()) {
            const char c = f[i];
            if (IsQuote(c)) {
                std::size_t next;
                if (!Literal(QuotedText(f, i, next))) return false;
                i = next;
                continue;
            }
            const char letter = Lower(c);
            std::size_t n = RunLength(f, i, letter);
            bool ok = true;
            switch (letter) {
            case 'c':
                n = 1;
                ok = ReadDateAndTime(depth);
                break;
            case 'd': ok = ReadDay(n, depth); break;
            case 'y': ok = n <= 2 ? (twoDigitYear_ = true, Number(year_, 2, 2)) : Number(year_, 4, 4); break;
            case 'm':
                if (afterHour && n <= 2) ok = Number(minute_, n, 2);
                else if (n <= 2) ok = Number(month_, n, 2);
                else ok = Name(n == 3 ? fs_.ShortMonthNames.data() : fs_.LongMonthNames.data(), 12, month_);
                break;
            // clang-format off
            case 'h': ok = Number(hour_, n == 1 ? 1 : 2, 2); break;
            case 'n': ok = Number(minute_, n == 1 ? 1 : 2, 2); break;
            case 's': ok = Number(second_, n == 1 ? 1 : 2, 2); break;
            case 'z': ok = Number(ms_, n >= 3 ? 3 : 1, 3); break;
            case 't': ok = Read(n == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1); break;
            // clang-format on
            default:
                if (!ReadOther(f, i)) return false;
                continue;
            }
            if (!ok) return false;
            i += n;
            afterHour = letter == 'h';
        }
        return true;
    }

    bool AtEnd() const { return i_ == s_.size(); }

    // The date-time of the parts read: a missing year is this year's, a missing month or
    // day the first; no date part at all is day 0.
    bool Value(TDateTime& value) const
    {
        TDateTime date = 0, time = 0;
        if (year_ >= 0 || month_ >= 0 || day_ >= 0) {
            int year = year_;
            if (year < 0) {
                int m, d;
                DecodeDate(Date(), year, m, d);
            } else if (twoDigitYear_) {
                year = ExpandTwoDigitYear(year, fs_);
            }
            if (!TryEncodeDate(year, month_ < 0 ? 1 : month_, day_ < 0 ? 1 : day_, date)) return false;
        }
        int hour = hour_ < 0 ? 0 : hour_;
        if (half_) {
            if (hour < 1 || hour > 12) return false;
            hour = hour % 12 + (half_ == 2 ? 12 : 0);
        }
        if (!TryEncodeTime(hour, minute_ < 0 ? 0 : minute_, second_ < 0 ? 0 : second_, ms_ < 0 ? 0 : ms_, time))
            return false;
        value = date < 0 ? date - time : date + time;
        return true;
    }

private:
    // At least minDigits and at most maxDigits digits.
    bool Number(int& value, std::size_t minDigits, std::size_t maxDigits)
    {
        std::size_t n = 0;
        int v = 0;
        while (n < maxDigits && i_ + n < s_.size() && s_[i_ + n] >= '0' && s_[i_ + n] <= '9')
            v = v * 10 + (s_[i_ + n++] - '0');
        if (n < minDigits) return false;
        i_ += n;
        value = v;
        return true;
    }

    bool Literal(std::string_view text)
    {
        if (s_.substr(i_, text.size()) != text) return false;
        i_ += text.size();
        return true;
    }

    // The longest of the names that the text goes on with, case ignored; index is 1-based.
    bool Name(const std::string* names, int count, int& index)
    {
        std::size_t best = 0;
        for (int k = 0; k < count; ++k) {
            const std::string& name = names[k];
            if (name.size() > best && AnsiSameText(s_.substr(i_, name.size()), name)) {
                best = name.size();
                index = k + 1;
            }
        }
        i_ += best;
        return best > 0;
    }

    bool ReadDateAndTime(int depth)
    {
        if (!Read(fs_.ShortDateFormat, depth + 1)) return false;
        // The time is written only when the value has one.
        const std::size_t save = i_;
        if (i_ < s_.size() && s_[i_] == ' ') {
            ++i_;
            if (Read(fs_.LongTimeFormat, depth + 1)) return true;
        }
        i_ = save;
        hour_ = minute_ = second_ = ms_ = -1;
        half_ = 0;
        return true;
    }

    bool ReadDay(std::size_t n, int depth)
    {
        int ignored = 0;
        switch (n) {
        case 1:
        case 2: return Number(day_, n, 2);
        // The weekday follows from the date; the check by writing again holds them together.
        case 3: return Name(fs_.ShortDayNames.data(), 7, ignored);
        case 4: return Name(fs_.LongDayNames.data(), 7, ignored);
        case 5: return Read(fs_.ShortDateFormat, depth + 1);
        default: return Read(fs_.LongDateFormat, depth + 1);
        }
    }

    // The separators, the half of the day and any other character as TDateWriter writes
    // them; i moves past the pattern's part.
    bool ReadOther(std::string_view f, std::size_t& i)
    {
        if (f[i] == '/' || f[i] == ':') {
            const char separator = f[i] == '/' ? fs_.DateSeparator : fs_.TimeSeparator;
            ++i;
            return !separator || Literal(std::string_view(&separator, 1));
        }
        if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p")) {
            const std::size_t width = StartsWithNoCase(f, i, "am/pm") ? 2 : 1;
            i += width == 2 ? 5 : 3;
            if (i_ + width > s_.size()) return false;
            const char first = Lower(s_[i_]);
            if ((first != 'a' && first != 'p') || (width == 2 && Lower(s_[i_ + 1]) != 'm')) return false;
            half_ = first == 'p' ? 2 : 1;
            i_ += width;
            return true;
        }
        if (StartsWithNoCase(f, i, "ampm")) {
            i += 4;
            const std::string_view rest = s_.substr(i_);
            const std::string& am = fs_.TimeAMString;
            const std::string& pm = fs_.TimePMString;
            // The longer marker first, in case one begins with the other.
            const bool pmFirst = pm.size() >= am.size();
            for (int k = 0; k < 2; ++k) {
                const bool isPm = (k == 0) == pmFirst;
                const std::string& marker = isPm ? pm : am;
                if (AnsiSameText(rest.substr(0, marker.size()), marker)) {
                    half_ = isPm ? 2 : 1;
                    i_ += marker.size();
                    return true;
                }
            }
            return false;
        }
        return Literal(f.substr(i++, 1));
    }

    std::string_view s_;
    std::size_t i_ = 0;
    const TFormatSettings& fs_;
    int year_ = -1, month_ = -1, day_ = -1;
    int hour_ = -1, minute_ = -1, second_ = -1, ms_ = -1;
    int half_ = 0; // 1 before noon, 2 after
    bool twoDigitYear_ = false;
};

} // namespace

bool TryFormattedTextToDateTime(std::string_view text, std::string_view format, TDateTime& value)
{
    const TFormatSettings& fs = FormatSettings;
    if (format.empty()) format = "c";
    TDateReader reader(text, fs);
    TDateTime v;
    if (!reader.Read(format) || !reader.AtEnd() || !reader.Value(v)) return false;
    if (FormatDateTime(format, v, fs) != text) return false;
    value = v;
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

} // namespace rtl
