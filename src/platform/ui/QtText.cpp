#include "platform/ui/QtText.h"

#include "platform/rtl/Codec1252.h"

namespace ui {

QString ToQString(std::string_view text) { return rtl::Cp1252ToQString(text); }

std::string FromQString(const QString& text) { return rtl::QStringToCp1252(text); }

char FromQChar(QChar c)
{
    int b = rtl::UnicodeToCp1252(c.unicode());
    return b < 0 ? 0 : static_cast<char>(b);
}

} // namespace ui
