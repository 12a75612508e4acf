// The base grid's paint loop: line gutters, cells through DrawCell, the row focus
// frame, the empty rest of the client area and the sizing and moving marks.
#include <algorithm>

#include "platform/ui/Grids.h"
#include "platform/ui/InplaceEdit.h"

namespace ui {

TColor TCustomGrid::DataLineColor() const
{
    return ColorToRGB(Color()) == clSilver ? clGray : clSilver;
}

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

void TCustomGrid::PaintLines(const TGridDrawInfo& info, bool horzLines, bool vertLines, int firstCol,
                             int firstRow, const TRect& area, TColor lineColor, TColor fillColor)
{
    if (area.IsEmpty()) return;
    TCanvas& c = Canvas();
    const TColor saved = c.Brush().Color();
    const int vw = info.Horz.EffectiveLineWidth;
    const int hw = info.Vert.EffectiveLineWidth;
    if (vw > 0) {
        c.Brush().SetColor(vertLines ? lineColor : fillColor);
        int x = area.Left;
        for (int col = firstCol; col < colCount_ && x < area.Right; ++col) {
            const int size = info.Horz.CellSize(col);
            if (size < 0) continue;
            x += size;
            c.FillRect({x, area.Top, std::min(x + vw, area.Right), area.Bottom});
            x += vw;
        }
    }
    if (hw > 0) {
        c.Brush().SetColor(horzLines ? lineColor : fillColor);
        int y = area.Top;
        for (int row = firstRow; row < rowCount_ && y < area.Bottom; ++row) {
            const int size = info.Vert.CellSize(row);
            if (size < 0) continue;
            y += size;
            c.FillRect({area.Left, y, area.Right, std::min(y + hw, area.Bottom)});
            y += hw;
        }
    }
    c.Brush().SetColor(saved);
}

void TCustomGrid::ForEachPaintCell(const TGridDrawInfo& info, int firstCol, int firstRow, const TRect& area,
                                   TGridDrawState areaState, const TPaintCellFunc& paintCell)
{
    if (area.IsEmpty()) return;
    const bool focused = GridFocused();
    const TGridRect sel = Selection();
    const bool editorOnCell = inplaceEdit_ && inplaceEdit_->Visible() && editorMode_ && (options_ & goEditing);
    const TRect clip = Canvas().ClipRect();

    int y = area.Top;
    for (int row = firstRow; row < rowCount_ && y < area.Bottom; ++row) {
        const int h = info.Vert.CellSize(row);
        if (h < 0) continue;
        const int rowTop = y;
        y += h + info.Vert.EffectiveLineWidth;
        if (h == 0 || rowTop >= clip.Bottom || rowTop + h <= clip.Top) continue;
        int x = area.Left;
        for (int col = firstCol; col < colCount_ && x < area.Right; ++col) {
            const int w = info.Horz.CellSize(col);
            if (w < 0) continue;
            const TRect r{x, rowTop, std::min(x + w, area.Right), std::min(rowTop + h, area.Bottom)};
            x += w + info.Horz.EffectiveLineWidth;
            if (w == 0 || !r.Intersects(clip)) continue;

            TGridDrawState state = areaState;
            const bool current = row == current_.Y && col == current_.X;
            if (focused && current) state |= gdFocused;
            if (sel.Contains(col, row)) state |= gdSelected;
            // The edit covers the current cell while it is shown.
            if (current && editorOnCell) continue;
            paintCell(col, row, r, state);
        }
    }
}

void TCustomGrid::PaintCells(const TGridDrawInfo& info, int firstCol, int firstRow, const TRect& area,
                             TColor color, TGridDrawState areaState)
{
    TCanvas& c = Canvas();
    const TColor textColor = Font().Color();
    const bool fixed3D = Ctl3D() && (options_ & (goFixedVertLine | goFixedHorzLine));
    unsigned fixedEdges = 0;
    if (options_ & goFixedVertLine) fixedEdges |= BF_LEFT | BF_RIGHT;
    if (options_ & goFixedHorzLine) fixedEdges |= BF_TOP | BF_BOTTOM;
    const bool frameFocus = !(options_ & goRowSelect)
                            && !((options_ & goEditing) && (options_ & goAlwaysShowEditor));

    auto paintCell = [&](int col, int row, const TRect& r, TGridDrawState state) {
        if (defaultDrawing_) {
            const bool highlight = (state & gdSelected)
                                   && (!(state & gdFocused) || (options_ & (goDrawFocusSelected | goRowSelect)));
            c.Brush().SetColor(highlight ? clHighlight : color);
            c.Font().SetColor(highlight ? clHighlightText : textColor);
            c.FillRect(r);
        }
        DrawCell(col, row, r, state);
        if (defaultDrawing_ && (state & gdFixed) && fixed3D) c.DrawEdge(r, BDR_RAISEDINNER, fixedEdges);
        if (defaultDrawing_ && (state & gdFocused) && frameFocus) c.DrawFocusRect(r);
    };
    ForEachPaintCell(info, firstCol, firstRow, area, areaState, paintCell);
    c.Font().SetColor(textColor);
}

void TCustomGrid::Paint()
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TCanvas& c = Canvas();
    const TColor color = Color();
    const int fixedRight = info.Horz.FixedBoundary, fixedBottom = info.Vert.FixedBoundary;
    const int gridRight = info.Horz.GridBoundary, gridBottom = info.Vert.GridBoundary;
    const TRect corner{0, 0, fixedRight, fixedBottom};
    const TRect fixedRowsArea{fixedRight, 0, gridRight, fixedBottom};
    const TRect fixedColsArea{0, fixedBottom, fixedRight, gridBottom};
    const TRect dataArea{fixedRight, fixedBottom, gridRight, gridBottom};

    if (info.Horz.EffectiveLineWidth > 0 || info.Vert.EffectiveLineWidth > 0) {
        const bool fixedH = options_ & goFixedHorzLine, fixedV = options_ & goFixedVertLine;
        PaintLines(info, fixedH, fixedV, 0, 0, corner, clBlack, fixedColor_);
        PaintLines(info, fixedH, fixedV, topLeft_.X, 0, fixedRowsArea, clBlack, fixedColor_);
        PaintLines(info, fixedH, fixedV, 0, topLeft_.Y, fixedColsArea, clBlack, fixedColor_);
        PaintLines(info, options_ & goHorzLine, options_ & goVertLine, topLeft_.X, topLeft_.Y, dataArea,
                   DataLineColor(), color);
    }
    PaintCells(info, 0, 0, corner, fixedColor_, gdFixed);
    PaintCells(info, topLeft_.X, 0, fixedRowsArea, fixedColor_, gdFixed);
    PaintCells(info, 0, topLeft_.Y, fixedColsArea, fixedColor_, gdFixed);
    PaintCells(info, topLeft_.X, topLeft_.Y, dataArea, color, 0);

    if ((options_ & goRowSelect) && defaultDrawing_ && GridFocused()) {
        const TGridRect sel = Selection();
        const TRect box = BoxRect(sel.Left, sel.Top, sel.Right, sel.Bottom);
        if (!box.IsEmpty()) c.DrawFocusRect(box);
    }

    c.Brush().SetColor(color);
    c.FillRect({gridRight, 0, ClientWidth(), ClientHeight()});
    c.FillRect({0, gridBottom, gridRight, ClientHeight()});
    PaintGridStateMarks();
}

void TCustomGrid::PaintGridStateMarks()
{
    const TRect mark = sizingLineRect();
    if (mark.IsEmpty()) return;
    Canvas().Brush().SetColor(clBlack);
    Canvas().FillRect(mark);
}

// Where the sizing line or the drop mark of a moved column shows now (mirrored like
// the cells when the grid reads right to left).
TRect TCustomGrid::sizingLineRect() const
{
    if (sizingLineShown_) {
        if (sizingLineKind_ == gsRowSizing) return {0, sizingPos_, ClientWidth(), sizingPos_ + 1};
        return LayoutRect({sizingPos_, 0, sizingPos_ + 1, ClientHeight()});
    }
    if (gridState_ == gsColMoving && movePos_ != moveIndex_) {
        // A two-pixel bar on the side of the target where the column will land.
        const TRect target = CellRect(movePos_, 0);
        if (target.IsEmpty()) return {};
        const int x = movePos_ > moveIndex_ ? target.Right : target.Left - 1;
        return LayoutRect({std::max(0, x - 1), 0, x + 1, ClientHeight()});
    }
    return {};
}

void TCustomGrid::ShowSizingLine(TGridState kind, int pos)
{
    const TRect before = sizingLineRect();
    sizingLineShown_ = true;
    sizingLineKind_ = kind;
    sizingPos_ = pos;
    if (!before.IsEmpty()) InvalidateRect(before);
    InvalidateRect(sizingLineRect());
}

void TCustomGrid::HideSizingLine()
{
    if (!sizingLineShown_) return;
    const TRect before = sizingLineRect();
    sizingLineShown_ = false;
    InvalidateRect(before);
}

} // namespace ui
