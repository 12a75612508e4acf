#pragma once
// Small routines shared by the units of the data grid.
#include <functional>
#include <string>
#include <vector>

#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/UiTypes.h"

namespace grid {

// The point lies in the rectangle, its right and bottom edges counted as inside.
bool PointInRectInclusive(ui::TPoint point, const ui::TRect& rect);
// The rectangle turned about its top-left corner: width and height exchanged.
ui::TRect SwapRectSides(const ui::TRect& rect);
// The width a single-line text takes when laid out by the text drawing (no prefix
// characters), which can differ from the plain advance for bold and italic fonts.
int TextWidthCalc(ui::TCanvas& canvas, const std::string& text);
// Measures text as a cell of cellRect shows it, less extraWidth and extraHeight for what
// else the cell holds (wrapped at the cell's width with wordWrap); true when it does not fit.
bool TextNeedsToolTip(ui::TCanvas& canvas, bool rightToLeft, int extraWidth, int extraHeight, int& textHeight,
                      int& textWidth, bool wordWrap, const ui::TRect& cellRect, const std::string& text);
// Every field of the list can be modified.
bool FieldsCanModify(const std::vector<db::TField*>& fields);
// A memo field (plain or formatted).
bool IsMemoField(const db::TField& field);
// A field of one of the integer types, large integers and auto-increment included: any
// whole value can name a cell's image (one beyond 32 bits names none).
bool IsIntegerField(const db::TField& field);
// The line of a key list that equals text exactly; -1 when none does.
int KeyListIndexOf(const rtl::TStrings& list, const std::string& text);
// Raises ui::EInvalidGridOperation with the message.
[[noreturn]] void RaiseGridError(const std::string& message);
// Takes the derived font into font when the two differ; copying is set meanwhile, so that
// the font's change handler does not take the copy for a change of its own.
void TakeDerivedFont(ui::TFont& font, const ui::TFont& derived, bool& copying);
// value * numerator / denominator rounded to nearest; fallback when denominator is 0.
int MulDivOr(int value, int numerator, int denominator, int fallback);
// Makes each record of the link's window the active one in turn, top to bottom, and
// calls fn with its index; the active record is set back afterwards, also when fn fails.
// Nothing moves: a record being edited stays as it is.
void ForEachWindowRecord(db::TDataLink& link, const std::function<void(int index)>& fn);

} // namespace grid
