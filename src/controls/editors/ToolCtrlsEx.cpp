#include "controls/editors/ToolCtrlsEx.h"

#include <algorithm>
#include <cstdlib>

#include "platform/db/DBConsts.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace editors {

bool VarEquals(const rtl::Variant& A, const rtl::Variant& B)
{
    // The runtime's equality already is the editors' rule: arrays by bounds and elements,
    // Unassigned and Null each equal only to themselves.
    return A == B;
}

void FieldNotFoundError(const rtl::TComponent* Component, std::string_view Name)
{
    const std::string name(Name);
    if (Component && !Component->GetName().empty())
        throw rtl::EDatabaseError(rtl::Format(db::msg::ComponentFieldNotFound, Component->GetName(), name));
    throw rtl::EDatabaseError(rtl::Format(db::msg::FieldNotFound, name));
}

void FieldsByNamesToList(std::vector<db::TField*>& List, const db::TDataSet& DataSet,
                         const rtl::TComponent* Component, std::string_view Names)
{
    for (const std::string& name : db::SplitFieldNames(Names)) {
        db::TField* field = DataSet.FindField(name);
        if (!field) FieldNotFoundError(Component, name);
        List.push_back(field);
    }
}

std::vector<db::TField*> FieldsByNamesToArray(const db::TDataSet& DataSet, const rtl::TComponent* Component,
                                              std::string_view Names)
{
    std::vector<db::TField*> fields;
    FieldsByNamesToList(fields, DataSet, Component, Names);
    return fields;
}

void AssignFieldsValue(db::TDataSet& DataSet, std::string_view Names, const rtl::Variant& Value)
{
    if (VarEquals(Value, rtl::Null())) {
        for (db::TField* field : DataSet.GetFieldList(Names)) field->Clear();
        return;
    }
    DataSet.SetFieldValues(Names, Value);
}

bool DBUseRightToLeftAlignment(const ui::TControl& Control, const db::TField* Field)
{
    if (Control.BiDiMode() != ui::bdRightToLeft) return false;
    return !dynamic_cast<const db::TNumericField*>(Field) && !dynamic_cast<const db::TDateTimeField*>(Field);
}

void DrawImageCentered(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TCustomImageList* Images,
                       int ImageIndex, bool Selected)
{
    if (!Images || ImageIndex < 0 || ImageIndex >= Images->Count()) return;
    const ui::TRect image = ui::Bounds((Rect.Left + Rect.Right - Images->Width()) / 2,
                                       (Rect.Top + Rect.Bottom - Images->Height()) / 2,
                                       Images->Width(), Images->Height());
    const ui::TColor foreground = Selected ? ui::clHighlight : Images->BlendColor;
    unsigned style = Selected ? ui::ILD_SELECTED : ui::ILD_NORMAL;
    if (Images->ImageType == ui::itMask) style |= ui::ILD_MASK;
    if (Rect.ContainsRect(image)) {
        Images->DrawEx(Canvas, image.Left, image.Top, ImageIndex, Images->BkColor, foreground, style);
        return;
    }
    const ui::TCanvas::TClipState saved = Canvas.SaveClip();
    Canvas.IntersectClipRect(Rect);
    Images->DrawEx(Canvas, image.Left, image.Top, ImageIndex, Images->BkColor, foreground, style);
    Canvas.RestoreClip(saved);
}

ui::TRect CheckBoxRect(const ui::TRect& Rect, ui::TAlignment HorzAlign, ui::TTextLayout VertAlign)
{
    const int width = std::clamp(Rect.Width(), 0, ui::Metrics().CheckBoxWidth);
    const int height = std::clamp(Rect.Height(), 0, ui::Metrics().CheckBoxHeight);
    ui::TRect r = ui::Bounds(Rect.Left, Rect.Top, width, height);
    switch (HorzAlign) {
    case ui::taLeftJustify: break;
    case ui::taRightJustify: r.Offset(Rect.Right - r.Right, 0); break;
    case ui::taCenter: r.Offset(Rect.Width() / 2 - width / 2, 0); break;
    }
    switch (VertAlign) {
    case ui::tlTop: break;
    case ui::tlCenter: r.Offset(0, Rect.Height() / 2 - height / 2); break;
    case ui::tlBottom: r.Offset(0, Rect.Bottom - r.Bottom); break;
    }
    return r;
}

bool IsDoubleClick(ui::TPoint FirstPoint, ui::TPoint SecondPoint, std::int64_t IntervalMs)
{
    const ui::TSystemMetrics& m = ui::Metrics();
    return IntervalMs >= 0 && IntervalMs <= m.DoubleClickTime
           && std::abs(FirstPoint.X - SecondPoint.X) <= m.DoubleClickWidth
           && std::abs(FirstPoint.Y - SecondPoint.Y) <= m.DoubleClickHeight;
}

void DrawDottedLine(ui::TCanvas& Canvas, ui::TPoint Start, int Length, int Parity, bool Horizontal)
{
    if (((Start.X + Start.Y) & 1) != (Parity & 1)) {
        if (Horizontal) ++Start.X;
        else ++Start.Y;
        --Length;
    }
    if (Length <= 0) return;
    std::vector<ui::TPoint> points;
    std::vector<int> counts;
    points.reserve(static_cast<std::size_t>(Length) + 1);
    for (int i = 0; i < Length; i += 2) {
        const ui::TPoint dot = Horizontal ? ui::TPoint{Start.X + i, Start.Y} : ui::TPoint{Start.X, Start.Y + i};
        points.push_back(dot);
        points.push_back(Horizontal ? ui::TPoint{dot.X + 1, dot.Y} : ui::TPoint{dot.X, dot.Y + 1});
        counts.push_back(2);
    }
    Canvas.PolyPolyline(points, counts);
}

void DrawTreeElement(ui::TCanvas& Canvas, const ui::TRect& Rect, int Parity, TTreeElementEx Element)
{
    const int x = (Rect.Left + Rect.Right) / 2;
    const int y = (Rect.Top + Rect.Bottom) / 2;
    const ui::TColor savedPen = Canvas.Pen().Color();
    const ui::TColor savedBrush = Canvas.Brush().Color();
    const ui::TBrushStyle savedBrushStyle = Canvas.Brush().Style();
    auto vertical = [&](int from, int to) { DrawDottedLine(Canvas, {x, from}, to - from, Parity, false); };
    auto horizontal = [&](int from) { DrawDottedLine(Canvas, {from, y}, Rect.Right - from, 0, true); };

    Canvas.Pen().SetColor(ui::clBtnShadow);
    if (Element <= tePlusFirstEx) {
        const ui::TRect box{x - 4, y - 4, x + 5, y + 5};
        horizontal(box.Right);
        const bool above = Element != teMinusFirstEx && Element != tePlusFirstEx;
        const bool below = Element != teMinusLastEx && Element != tePlusLastEx;
        if (above) vertical(Rect.Top, box.Top);
        if (below) vertical(box.Bottom, Rect.Bottom);
        Canvas.Brush().SetColor(ui::clWindow);
        Canvas.Rectangle(box);
        Canvas.Pen().SetColor(ui::clWindowText);
        Canvas.MoveTo(box.Left + 2, y);
        Canvas.LineTo(box.Right - 2, y);
        if (Element >= tePlusMiddleEx) {
            Canvas.MoveTo(x, box.Top + 2);
            Canvas.LineTo(x, box.Bottom - 2);
        }
    } else {
        switch (Element) {
        case teBranchEx: vertical(Rect.Top, Rect.Bottom); break;
        case teLastBranchEx: vertical(Rect.Top, y + 1); break;
        case teFirstBranchEx: vertical(y, Rect.Bottom); break;
        default: vertical(Rect.Top, Rect.Bottom); break;
        }
        if (Element != teLineEx) horizontal(x);
    }
    Canvas.Pen().SetColor(savedPen);
    Canvas.Brush().SetColor(savedBrush);
    Canvas.Brush().SetStyle(savedBrushStyle);
}

} // namespace editors
