// The paint of the grid's client area: lines and cells area by area (corner, titles,
// indicator and frozen columns, data, footer band), raised frames of 3-D cells, the
// frame of the current row, right-to-left mirroring and the flat border.
#include <algorithm>
#include <exception>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExStyle.h"

namespace grid {

bool TCustomDBGridEx::UseRightToLeftAlignment() const { return ui::TControl::UseRightToLeftAlignment(); }

void TCustomDBGridEx::SetRightToLeftMapping(bool RightToLeft)
{
    Canvas().SetRightToLeftMapping(RightToLeft, ClientWidth());
}

ui::TRect TCustomDBGridEx::InplaceEditRect() const
{
    return LayoutRect(ui::TCustomGrid::InplaceEditRect());
}

int TCustomDBGridEx::footerTop(const ui::TGridDrawInfo& info) const
{
    if (footerRowCount_ <= 0) return -1;
    const int firstFooter = RowCount() - footerRowCount_;
    if (firstFooter < info.Vert.FirstGridCell) return -1;
    int top = info.Vert.FixedBoundary;
    for (int row = info.Vert.FirstGridCell; row < firstFooter; ++row) top += info.Vert.CellSpan(row);
    return top < info.Vert.GridBoundary ? top : -1;
}

void TCustomDBGridEx::Paint()
{
    // A layout pass (or the filter row rebuilding the view) is under way.
    if (LayoutLocked()) return;
    ui::TCanvas& canvas = Canvas();
    const bool rightToLeft = UseRightToLeftAlignment();
    if (rightToLeft) SetRightToLeftMapping(true);

    ui::TGridDrawInfo& info = paintInfo_;
    CalcDrawInfo(info);
    const ui::TColor color = Color();
    const ui::TColor fixedColor = FixedColor();
    const ui::TColor fixedLineColor = flat_ ? ui::clGray : ui::clBlack;
    const ui::TColor dataLineColor = DataLineColor();
    const bool colLines = options_.Contains(dgColLines);
    const bool rowLines = options_.Contains(dgRowLines);
    const int fixedRight = info.Horz.FixedBoundary, fixedBottom = info.Vert.FixedBoundary;
    const int gridRight = info.Horz.GridBoundary, gridBottom = info.Vert.GridBoundary;
    // Where the frozen columns start: after the indicator.
    const int frozenLeft = indicatorOffset_ > 0 ? info.Horz.CellSpan(0) : 0;
    const int footersTop = footerTop(info);
    const int footerExtent = footersTop >= 0 ? gridBottom - footersTop : 0;
    const bool footerBand = footerExtent > 0 && (optionsEx_.Contains(dghFooter3D) || footerColor_ == ui::clWindow);

    const ui::TRect corner{0, 0, fixedRight, fixedBottom};
    const ui::TRect titles{fixedRight, 0, gridRight, fixedBottom};
    const ui::TRect fixedColumns{0, fixedBottom, fixedRight, gridBottom};
    const ui::TRect data{fixedRight, fixedBottom, gridRight, gridBottom};
    if (info.Horz.EffectiveLineWidth > 0 || info.Vert.EffectiveLineWidth > 0) {
        PaintAreaLines(info, rowLines, colLines, 0, 0, corner, fixedLineColor, fixedColor);
        PaintAreaLines(info, rowLines, colLines, LeftCol(), 0, titles, fixedLineColor, fixedColor);
        PaintAreaLines(info, rowLines, colLines, 0, TopRow(), fixedColumns, fixedLineColor, fixedColor);
        // Frozen columns have the lines of data; the line after the last one stays fixed.
        if (FixedCols() > indicatorOffset_ && !optionsEx_.Contains(dghFrozen3D))
            PaintAreaLines(info, rowLines, colLines, indicatorOffset_, TopRow(),
                           {frozenLeft, fixedBottom, fixedRight - 1, gridBottom - (footerBand ? footerExtent : 0)},
                           dataLineColor, color);
        PaintAreaLines(info, rowLines, colLines, LeftCol(), TopRow(), data, dataLineColor, color);
        if (footerBand) {
            const int firstFooter = RowCount() - footerRowCount_;
            const ui::TRect fixedPart{0, footersTop, fixedRight, gridBottom};
            const ui::TRect scrolledPart{fixedRight, footersTop, gridRight, gridBottom};
            PaintAreaLines(info, rowLines, colLines, 0, firstFooter, fixedPart, fixedLineColor, fixedColor);
            PaintAreaLines(info, rowLines, colLines, LeftCol(), firstFooter, scrolledPart, fixedLineColor, fixedColor);
            if (rowLines) {
                canvas.Brush().SetColor(fixedLineColor);
                canvas.FillRect({frozenLeft, footersTop - info.Vert.EffectiveLineWidth, gridRight, footersTop});
            }
        }
    }

    PaintAreaCells(info, 0, 0, corner, fixedColor, ui::gdFixed);
    PaintAreaCells(info, LeftCol(), 0, titles, fixedColor, ui::gdFixed);
    PaintAreaCells(info, 0, TopRow(), fixedColumns, fixedColor, ui::gdFixed);
    PaintAreaCells(info, LeftCol(), TopRow(), data, color, 0);

    canvas.Brush().SetColor(color);
    canvas.FillRect({gridRight, 0, ClientWidth(), ClientHeight()});
    canvas.FillRect({0, gridBottom, gridRight, ClientHeight()});
    paintRowFrame();
    if (rightToLeft) SetRightToLeftMapping(false);

    if (options_.Contains(dgTitles) && useMultiTitle_)
        titleTreeRoot_->ForEachNode([](THeadTreeNode& node) { node.Drawn = false; });
    PaintGridStateMarks();
}

void TCustomDBGridEx::PaintAreaLines(const ui::TGridDrawInfo& Info, bool DrawHorz, bool DrawVert, int FirstCol,
                                     int FirstRow, const ui::TRect& Area, ui::TColor LineColor, ui::TColor FillColor)
{
    PaintLines(Info, DrawHorz, DrawVert, FirstCol, FirstRow, Area, LineColor, FillColor);
}

void TCustomDBGridEx::paintRowFrame()
{
    const bool frame = !IsDesigning() && options_.Contains(dgRowSelect) && DefaultDrawing() && GridFocused()
                       && dataLink_->Active() && (!style_ || style_->GetFocusFrame());
    if (!frame) return;
    const ui::TGridRect selection = ui::TCustomGrid::Selection();
    const int left = std::max(0, selection.Left - (FixedCols() - indicatorOffset_));
    const ui::TRect box = BoxRect(left, selection.Top, selection.Right, selection.Bottom);
    if (box.IsEmpty()) return;
    Canvas().Font().SetColor(ui::clWindowText);
    Canvas().Brush().SetColor(ui::clWindow);
    Canvas().DrawFocusRect(box);
}

void TCustomDBGridEx::PaintAreaCells(const ui::TGridDrawInfo& Info, int FirstCol, int FirstRow,
                                     const ui::TRect& Area, ui::TColor AreaColor, ui::TGridDrawState AreaState)
{
    ui::TCanvas& canvas = Canvas();
    auto paintCell = [&](int col, int row, const ui::TRect& rect, ui::TGridDrawState state) {
        canvas.Brush().SetStyle(ui::bsSolid);
        canvas.Brush().SetColor(AreaColor);
        try {
            DrawCell(col, row, rect, state);
        } catch (const std::exception&) {
            // A cell that cannot be drawn (a footer naming a field the data set lacks)
            // stays empty; the paint goes on.
            canvas.Brush().SetStyle(ui::bsSolid);
            canvas.Brush().SetColor(AreaColor);
            canvas.FillRect(rect);
        }
    };
    ForEachPaintCell(Info, FirstCol, FirstRow, Area, AreaState, paintCell);
}

bool TCustomDBGridEx::Is3DCell(int ACol, int ARow, ui::TGridDrawState State)
{
    const int dataCol = ACol - indicatorOffset_;
    const int dataRow = ARow - titleOffset_;
    const bool fixed = State & ui::gdFixed;
    const bool footers = footerRowCount_ > 0;
    const int gapRow = footers ? RowCount() - footerRowCount_ - 1 - titleOffset_ : 0;
    const bool fixed3D = optionsEx_.Contains(dghFixed3D);
    const bool frozen3D = optionsEx_.Contains(dghFrozen3D);
    const bool data3D = optionsEx_.Contains(dghData3D);

    bool result = (fixed && fixed3D && (dataCol < 0 || dataRow < 0) && !(footers && dataRow == gapRow))
                  || (optionsEx_.Contains(dghFooter3D) && footers && dataRow > gapRow)
                  || (data3D && !fixed && (!footers || dataRow <= gapRow))
                  || (fixed3D && (data3D || frozen3D) && footers && dataCol < 0 && dataRow == gapRow)
                  || (frozen3D && fixed && dataCol >= 0 && dataRow >= 0);
    // A shown filter cell is flat.
    if (result && dataRow == -1 && stFilter_->GetVisible() && dataCol >= 0 && dataCol < columns_->Count()) {
        const TColumnEx* column = columns_->Items(dataCol);
        if (column->GetVisible() && column->STFilter()->GetVisible()) result = false;
    }
    return result;
}

void TCustomDBGridEx::DrawCellFrame(ui::TCanvas& ACanvas, const ui::TRect& ARect, bool Pressed, bool BottomLine,
                                    bool RightLine)
{
    const unsigned edge = Pressed ? ui::BDR_SUNKENINNER : ui::BDR_RAISEDINNER;
    auto plainLine = [&](int x1, int y1, int x2, int y2) {
        ACanvas.MoveTo(x1, y1);
        ACanvas.LineTo(x2, y2);
    };
    const ui::TRect& r = ARect;
    if (!flat_ && BottomLine && RightLine) {
        ACanvas.DrawEdge(r, edge, ui::BF_RECT);
        return;
    }
    ACanvas.DrawEdge(r, edge, ui::BF_TOPLEFT);
    if (!flat_ && BottomLine) ACanvas.DrawEdge(r, edge, ui::BF_BOTTOM);
    else plainLine(r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
    if (!flat_ && RightLine) ACanvas.DrawEdge(r, edge, ui::BF_RIGHT);
    else plainLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom);
}

// ---- the flat border

void TCustomDBGridEx::CalcNonClientSize(ui::TRect& client)
{
    if (!flat_ || !Ctl3D()) {
        ui::TCustomGrid::CalcNonClientSize(client);
        return;
    }
    const int border = BorderStyle() == ui::bsSingle ? 1 : 0;
    client.Inflate(-border, -border);
    ExcludeScrollBars(client);
}

void TCustomDBGridEx::PaintNonClient(ui::TCanvas& canvas)
{
    if (!flat_ || !Ctl3D()) {
        ui::TCustomGrid::PaintNonClient(canvas);
        return;
    }
    if (BorderStyle() == ui::bsSingle)
        canvas.DrawEdge(ui::TRect{0, 0, Width(), Height()}, ui::BDR_SUNKENOUTER, ui::BF_RECT);
    PaintScrollBarCorner(canvas);
}

} // namespace grid
