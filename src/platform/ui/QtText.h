#pragma once
// The one crossing between the program's 8-bit Windows-1252 text and Qt's strings.
// Nothing outside the windowing layer converts text for Qt.
#include <string>
#include <string_view>

#include <QString>

namespace ui {

QString ToQString(std::string_view text);
std::string FromQString(const QString& text);
// One 8-bit character from a Qt character; 0 when the character has no Windows-1252 byte.
char FromQChar(QChar c);

} // namespace ui
