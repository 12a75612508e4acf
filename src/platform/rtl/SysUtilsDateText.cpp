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

} // namespace rtl
