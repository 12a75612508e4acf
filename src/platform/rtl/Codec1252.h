#pragma once
// Windows-1252, the 8-bit text of the program, to and from Unicode.
//
// Every byte round-trips: the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the control characters U+0081 ... U+009D and back.
// Characters the code page lacks become the replacement byte ('?' by default).
#include <string>
#include <string_view>

#include <QString>

namespace rtl {

// The Unicode code point of one byte.
char32_t Cp1252ToUnicode(unsigned char byte);
// The byte of a code point, or -1 when the code page lacks it.
int UnicodeToCp1252(char32_t codePoint);

QString Cp1252ToQString(std::string_view text);
std::string QStringToCp1252(const QString& text, char replacement = '?');

std::string Cp1252ToUtf8(std::string_view text);
// Malformed UTF-8 sequences count as one replacement each.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');

} // namespace rtl
