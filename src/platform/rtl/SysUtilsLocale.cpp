// The format settings: read from the locale at start, replaced by tests.
#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <QLocale>

#include "platform/rtl/Codec1252.h"
#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::PlaceCurrency;

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
        // clang-format off
        case 'h': case 'H': out += n == 1 ? "h" : "hh"; break;
        // clang-format on
        case 'm': out += n == 1 ? "n" : "nn"; break;
        case 's': out += n == 1 ? "s" : "ss"; break;
        case 'z': out += n < 3 ? "z" : "zzz"; break;
        // clang-format off
        case 'A': case 'a':
            // clang-format on
            out += "AMPM";
            if (i + n < f.size() && (f[i + n] == 'P' || f[i + n] == 'p')) ++n;
            break;
        case 't': break; // time zone: not shown
        default:
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                out += '"' + std::string(n, c) + '"';
            } else {
                for (std::size_t k = 0; k < n; ++k) {
                    const bool sepChar = c != ' ' && c != ',' && (isTime ? (c == ':' || c == '.') : (c == '/' || c == '.' || c == '-'));
                    // clang-format off
                    if (sepChar && !sepSet) { separator = c; sepSet = true; }
                    // clang-format on
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
        // clang-format off
        for (char& ch : s) if (ch == '\xA0') ch = ' ';
        // clang-format on
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
            // clang-format off
            if (norm(PlaceCurrency(amount, false, probe)) == pos) { fs.CurrencyFormat = probe.CurrencyFormat; break; }
            // clang-format on
        }
        for (int k = 0; k < 16; ++k) {
            probe.NegCurrFormat = static_cast<std::uint8_t>(k);
            // clang-format off
            if (norm(PlaceCurrency(amount, true, probe)) == neg) { fs.NegCurrFormat = probe.NegCurrFormat; break; }
            // clang-format on
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
        const int qtDay = d == 0 ? 7 : d; // Qt counts from Monday
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

} // namespace rtl
