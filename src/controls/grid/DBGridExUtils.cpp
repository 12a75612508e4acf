#include "controls/grid/DBGridExUtils.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Grids.h"

namespace grid {

bool PointInRectInclusive(ui::TPoint point, const ui::TRect& rect)
{
    return point.X >= rect.Left && point.X <= rect.Right && point.Y >= rect.Top && point.Y <= rect.Bottom;
}

ui::TRect SwapRectSides(const ui::TRect& rect)
{
    return {rect.Left, rect.Top, rect.Left + rect.Height(), rect.Top + rect.Width()};
}

int TextWidthCalc(ui::TCanvas& canvas, const std::string& text)
{
    ui::TRect r;
    canvas.DrawText(text, r, ui::DT_CALCRECT | ui::DT_NOPREFIX);
    return r.Width();
}

bool TextNeedsToolTip(ui::TCanvas& canvas, bool rightToLeft, int extraWidth, int extraHeight, int& textHeight,
                      int& textWidth, bool wordWrap, const ui::TRect& cellRect, const std::string& text)
{
    const int room = cellRect.Width() - 2 - extraWidth;
    unsigned flags = ui::DT_CALCRECT | ui::DT_NOPREFIX;
    if (rightToLeft) flags |= ui::DT_RTLREADING;
    if (wordWrap) flags |= ui::DT_WORDBREAK;
    ui::TRect r{0, 0, std::max(1, room), 0};
    canvas.DrawText(text, r, flags);
    textWidth = r.Width();
    textHeight = r.Height();
    return textWidth > room || textHeight > cellRect.Height() - extraHeight + 1;
}

bool FieldsCanModify(const std::vector<db::TField*>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const db::TField* f) { return f->CanModify(); });
}

bool IsMemoField(const db::TField& field)
{
    return field.DataType() == db::ftMemo || field.DataType() == db::ftFmtMemo;
}

bool IsIntegerField(const db::TField& field)
{
    switch (field.DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
    case db::ftLargeint:
        return true;
    default:
        return false;
    }
}

int KeyListIndexOf(const rtl::TStrings& list, const std::string& text)
{
    for (int i = 0; i < list.GetCount(); ++i)
        if (list[i] == text) return i;
    return -1;
}

void RaiseGridError(const std::string& message)
{
    throw ui::EInvalidGridOperation(message);
}

void TakeDerivedFont(ui::TFont& font, const ui::TFont& derived, bool& copying)
{
    if (font.SameAs(derived)) return;
    const rtl::TFlagScope copyingScope(copying);
    font.Assign(derived);
}

int MulDivOr(int value, int numerator, int denominator, int fallback)
{
    return denominator == 0 ? fallback : rtl::MulDiv(value, numerator, denominator);
}

void ForEachWindowRecord(db::TDataLink& link, const std::function<void(int index)>& fn)
{
    if (!link.Active()) return;
    struct TRestore {
        db::TDataLink& link;
        int active;
        ~TRestore()
        {
            try {
                link.SetActiveRecord(active);
            } catch (...) {
            }
        }
    } restore{link, link.GetActiveRecord()};
    for (int i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        fn(i);
    }
}

} // namespace grid
