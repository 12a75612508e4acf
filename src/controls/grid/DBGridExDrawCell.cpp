// What a cell shows: the indicator's record glyphs, titles with images, sort markers and
// multi-level bands, data cells with their text, image or check box and edit buttons,
// footers, the search highlight and the focus frame; and the colours of selected cells.
#include <algorithm>
#include <string>

#include "controls/editors/ButtonPainting.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFooters.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/DBGridExStyle.h"
#include "controls/grid/DBGridExText.h"
#include "platform/ui/Form.h"
#include "platform/ui/InplaceEdit.h"

namespace grid {

namespace {

// The canvas's right-to-left mapping switched off for as long as it lives (when it is on).
class TUnmirroredScope {
public:
    explicit TUnmirroredScope(ui::TCanvas& canvas, int width) : canvas_(canvas), width_(width)
    {
        mirrored_ = canvas.RightToLeftMapping();
        if (mirrored_) canvas.SetRightToLeftMapping(false, width);
    }
    ~TUnmirroredScope()
    {
        if (mirrored_) canvas_.SetRightToLeftMapping(true, width_);
    }
    TUnmirroredScope(const TUnmirroredScope&) = delete;
    TUnmirroredScope& operator=(const TUnmirroredScope&) = delete;

private:
    ui::TCanvas& canvas_;
    int width_;
    bool mirrored_ = false;
};

ui::TRect Mirrored(const ui::TRect& r, int width)
{
    return {width - r.Right, r.Top, width - r.Left, r.Bottom};
}

TImagePlacement PlacementOf(rtl::TAlignment alignment)
{
    if (alignment == rtl::taRightJustify) return ipRight;
    if (alignment == rtl::taCenter) return ipCenter;
    return ipLeft;
}

editors::TButtonPaintKindEx MainButtonKind(TColumnEditStyleEx style)
{
    if (style == cesEllipsisEx) return editors::bpkEllipsisEx;
    if (style == cesUpDownEx) return editors::bpkUpDownEx;
    return editors::bpkDropDownEx;
}

ui::TCheckState CheckStateOf(TCheckBoxState state)
{
    if (state == cbChecked) return ui::csChecked;
    if (state == cbGrayed) return ui::csGrayed;
    return ui::csUnchecked;
}

} // namespace

// ---- colours of selected cells

bool TCustomDBGridEx::GetDataCellHighlight(ui::TFont& AFont, ui::TColor& Background, ui::TGridDrawState& State,
                                           int ACol, int ARow)
{
    const int dataCol = RawToDataColumn(ACol);
    if (style_) return style_->GetDataCellParams(*this, columnAt(ACol), AFont, Background, State, dataCol,
                                                 ARow - titleOffset_);
    const bool rowSelect = options_.Contains(dgRowSelect);
    const bool alwaysShow = options_.Contains(dgAlwaysShowSelection);
    const bool inCurrentRow = ARow == Row();
    const bool focused = GridFocused();
    const bool selected = dataLink_->Active()
                          && selection_->IsCellSelected(dataCol, dataLink_->DataSet()->GetBookmark());
    bool focusHighlight = false;
    if (!selected) {
        focusHighlight = focused && optionsEx_.Contains(dghHighlightFocus);
        if (optionsEx_.Contains(dghRowHighlight) && inCurrentRow && ACol != Col()
            && selection_->SelectionType() == gstNon) {
            focusHighlight = true;
            State |= ui::gdSelected;
        }
    }
    const bool marked = (State & ui::gdSelected) || (inCurrentRow && rowSelect);
    const bool shown = (alwaysShow || focusHighlight) && !(UpdateLocked() && !rowSelect);
    const bool highlighted = selected || (marked && shown);
    if (!highlighted) return false;
    const bool current = rowSelect ? inCurrentRow : inCurrentRow && ACol == Col();
    if (focused) {
        Background = ui::clHighlight;
        AFont.SetColor(ui::clHighlightText);
    } else if (current && (alwaysShow || focusHighlight)) {
        Background = ui::clBtnShadow;
        AFont.SetColor(ui::clHighlightText);
    } else {
        Background = ui::clBtnFace;
    }
    return true;
}

bool TCustomDBGridEx::GetFixedCellHighlight(ui::TFont& AFont, ui::TColor& Background, bool Highlight,
                                            ui::TGridDrawState State, const TCellArea& Area)
{
    if (style_) {
        TColumnEx* column = Area.ColKind == cckData ? columnAt(DataToRawColumn(Area.Col)) : nullptr;
        return style_->GetFixedCellParams(*this, column, AFont, Background, Highlight, State, Area.Code());
    }
    if (!Highlight) return false;
    const bool dataRows = Area.RowKind == crkData || Area.RowKind == crkAboveFooter || Area.RowKind == crkFooter;
    const bool bright = Area.ColKind == cckData ? dataRows : Area.RowKind == crkAboveFooter;
    if (!bright) {
        Background = ui::RGB(64, 64, 64);
        AFont.SetColor(ui::clWhite);
    } else if (GridFocused()) {
        Background = ui::clHighlight;
        AFont.SetColor(ui::clHighlightText);
    } else {
        Background = ui::clBtnFace;
    }
    return true;
}

void TCustomDBGridEx::GetCellParams(TColumnEx* Column, ui::TFont& AFont, ui::TColor& Background,
                                    ui::TGridDrawState State)
{
    if (OnGetCellParams) OnGetCellParams(this, Column, AFont, Background, State);
}

// ---- text

void TCustomDBGridEx::WriteCellText(const ui::TRect& ARect, int DX, int DY, const std::string& Text,
                                    rtl::TAlignment Alignment, ui::TTextLayout Layout, bool WordWrap,
                                    bool EndEllipsis)
{
    ui::TCanvas& canvas = Canvas();
    if (!canvas.RightToLeftMapping()) {
        WriteTextEx(canvas, ARect, false, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis);
        return;
    }
    TUnmirroredScope unmirrored(canvas, ClientWidth());
    WriteTextEx(canvas, Mirrored(ARect, ClientWidth()), true, DX, DY, Text, ui::MirroredAlignment(Alignment), Layout,
                WordWrap, EndEllipsis);
}

bool TCustomDBGridEx::isActiveControl() const
{
    const ui::TForm* form = ParentForm();
    if (!form) return GridFocused();
    return form->ActiveControl() == this;
}

// ---- the cell

void TCustomDBGridEx::DrawCell(int ACol, int ARow, const ui::TRect& ARect, ui::TGridDrawState AState)
{
    ui::TCanvas& canvas = Canvas();
    if (IsLoading()) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(ARect);
        return;
    }
    const bool frame3D = Is3DCell(ACol, ARow, AState);
    ui::TRect rect = ARect;
    if (frame3D) rect.Inflate(-1, -1);
    // The text keeps inside the frame; the flat look is one pixel lower.
    const int dx = frame3D ? 1 : 2;
    const int dy = flat_ ? dx - 1 : dx;
    const TCellArea area = GetCellType(ACol, ARow);
    const int dataCol = RawToDataColumn(ACol);
    bool pressed = false;

    if (area.ColKind == cckIndicator) {
        drawIndicatorCell(ARow, rect, AState, area, dy);
    } else if (area.RowKind == crkTitle && dataCol < columns_->Count()) {
        drawTitleCell(ACol, rect, AState, area, dx, dy, pressed);
    } else if (area.RowKind == crkSubTitle) {
        DrawFilterCell(ACol, ARow, rect, AState);
    } else if (area.RowKind == crkFooter && dataCol < columns_->Count()) {
        drawFooterCell(ACol, rect, AState, area, dx, dy);
    } else if (area.RowKind == crkData && dataRowHasRecord(area.Row) && dataCol < columns_->Count()) {
        drawDataCell(ACol, ARow, ARect, rect, AState, dx, dy);
    } else {
        canvas.FillRect(rect);
    }

    if (DefaultDrawing() && (AState & ui::gdFocused) && GridFocused() && !IsDesigning() && dataLink_->Active()
        && !options_.Contains(dgRowSelect) && !UpdateLocked() && isActiveControl()
        && (!style_ || style_->GetFocusFrame()))
        canvas.DrawFocusRect(rect);
    if (frame3D) {
        canvas.Pen().SetColor(flat_ ? ui::clGray : ui::clBlack);
        DrawCellFrame(canvas, rect.Inflated(1, 1), pressed, true, true);
    }
    if (area.RowKind == crkTitle && area.ColKind == cckData && useMultiTitle_ && options_.Contains(dgTitles))
        drawTitleBands(ACol, frame3D ? rect.Inflated(1, 1) : rect);
}

void TCustomDBGridEx::drawIndicatorCell(int ARow, const ui::TRect& rect, ui::TGridDrawState state,
                                        const TCellArea& area, int inset)
{
    ui::TCanvas& canvas = Canvas();
    const bool gapRow = area.RowKind == crkAboveFooter && footerRowCount_ > 0;
    ui::TColor background = gapRow && !optionsEx_.Contains(dghFrozen3D) ? Color() : FixedColor();
    canvas.Font().Assign(Font());
    const bool dataRow = area.RowKind == crkData && dataRowHasRecord(area.Row);
    if (!dataRow) {
        canvas.Brush().SetColor(background);
        canvas.FillRect(rect);
        return;
    }
    const bool current = isCurrentDataRow(area.Row);
    TDataRowRead record(*this, area.Row);
    const db::TDataSet* dataSet = dataLink_->DataSet();
    const bool selected = (options_.Contains(dgMultiSelect) && selection_->IsRowSelected(dataSet->GetBookmark()))
                          || selection_->SelectionType() == gstAll;
    if (selected) GetFixedCellHighlight(canvas.Font(), background, true, state, area);
    canvas.Brush().SetColor(background);
    canvas.FillRect(rect);
    if (current) indicatorRow_ = ARow;
    // A selected row that is not current shows its highlight only.
    if (!current) return;
    int glyph = iiCurrent;
    switch (dataSet->State()) {
    case db::dsBrowse:
        if (selected) glyph = iiCurrentSelected;
        else if (IncSearchActive()) glyph = iiCurrentSearching;
        break;
    case db::dsEdit: glyph = iiEdit; break;
    case db::dsInsert: glyph = iiInsert; break;
    default: break;
    }
    DrawClippedImage(canvas, {rect.Left, rect.Top, rect.Right - inset, rect.Bottom}, DBGridExIndicatorImages(),
                     ipRight, 0, glyph);
}

void TCustomDBGridEx::drawTitleCell(int ACol, ui::TRect& rect, ui::TGridDrawState state, const TCellArea& area,
                                    int dx, int dy, bool& pressed)
{
    ui::TCanvas& canvas = Canvas();
    const int dataCol = area.Col;
    TColumnEx* column = columns_->Items(dataCol);
    TColumnTitleEx* title = column->Title();
    pressed = PressedTitleColumn() == ACol && TitleButtonPressed();
    const bool multiTitle = useMultiTitle_;
    const THeadTreeNode* leaf = multiTitle ? TitleLeaf(dataCol) : nullptr;
    std::string text = leaf ? leaf->Text : title->GetCaption();
    // In a multi-level title the column owns the leaf's band only.
    if (leaf) rect.Top = rect.Bottom - leaf->Height + 3;
    // A pressed button shifts its content; further in a title of fixed or several lines.
    int shift = 0;
    if (pressed) shift = multiTitle || titleHeight_ != 0 || titleLines_ != 0 ? 2 : 1;
    ui::TCustomImageList* images = titleImages_;
    const bool image = images && title->GetImageIndex() != -1;
    if (image) text.clear();

    TSortMarkerEx marker = title->GetSortMarker();
    if (column->Field() && OnGetBtnParams) {
        ui::TFont font(title->GetFont());
        ui::TColor background = title->GetColor();
        OnGetBtnParams(this, column, font, background, marker, pressed);
    }
    // The marker and, when several columns are sorted, the sort number; a narrow column
    // gives up the glyph first, then the number.
    const bool numbered = marker != smNoneEx && sortMarkedColumns_.Count() >= 2 && title->GetSortIndex() > 0;
    const std::string number = numbered ? std::to_string(title->GetSortIndex()) : std::string();
    int numberWidth = 0;
    if (numbered) {
        canvas.Font().Assign(DBGridExSortIndexFont());
        numberWidth = canvas.TextWidth(number);
    }
    int markerWidth = marker == smNoneEx ? 0 : SortMarkerWidth + numberWidth;
    bool showGlyph = marker != smNoneEx;
    bool showNumber = numbered;
    const int room = column->GetWidth() - 4;
    if (markerWidth > room) {
        markerWidth -= SortMarkerWidth - 2;
        showGlyph = false;
    }
    if (markerWidth > room) {
        markerWidth = 0;
        showNumber = false;
    }

    canvas.Font().Assign(title->GetFont());
    ui::TColor background = title->GetColor();
    if (OnGetBtnParams) {
        TSortMarkerEx ignored = marker;
        OnGetBtnParams(this, column, canvas.Font(), background, ignored, pressed);
    }
    const bool highlighted =
        GetFixedCellHighlight(canvas.Font(), background, selection_->IsColumnSelected(dataCol), state, area);
    canvas.Brush().SetColor(background);
    canvas.FillRect(rect);

    TClipScope clip(canvas, rect);
    ui::TRect textRect{rect.Left, rect.Top, rect.Right - markerWidth, rect.Bottom};
    textRect.Offset(shift, shift);
    const rtl::TAlignment alignment = title->GetAlignment();
    if (title->GetOrientation() == tohVertical) {
        WriteRotatedTextEx(canvas, textRect, text, alignment, 3);
    } else {
        const int lineHeight = canvas.TextHeight(text);
        const bool wrap = textRect.Height() - dy >= 2 * lineHeight;
        WriteCellText(textRect, dx, dy, text, alignment, ui::tlTop, wrap, title->GetEndEllipsis());
    }
    if (image) {
        const ui::TRect imageRect = rect.Offsetted(shift, shift);
        DrawClippedImage(canvas, imageRect, *images, multiTitle ? ipCenter : PlacementOf(alignment), dx,
                         title->GetImageIndex());
    }
    const ui::TRect markerStrip = ui::TRect{rect.Right - markerWidth, rect.Top, rect.Right, rect.Bottom}.Offsetted(
        shift, shift);
    const ui::TRect glyphStrip{markerStrip.Right - SortMarkerWidth, markerStrip.Top, markerStrip.Right,
                               markerStrip.Bottom};
    if (showGlyph)
        DrawClippedImage(canvas, glyphStrip, DBGridExSortMarkerImages(), ipCenter, 0, marker == smDownEx ? 0 : 1);
    if (showNumber) {
        const ui::TColor color = highlighted ? ui::clHighlightText : canvas.Font().Color();
        canvas.Font().Assign(DBGridExSortIndexFont());
        canvas.Font().SetColor(color);
        canvas.Brush().SetStyle(ui::bsClear);
        const int x = showGlyph ? markerStrip.Right - SortMarkerWidth - numberWidth : markerStrip.Left;
        canvas.TextOut(x, markerStrip.Top + (markerStrip.Height() - canvas.TextHeight(number)) / 2, number);
        canvas.Brush().SetStyle(ui::bsSolid);
    }
}

void TCustomDBGridEx::drawTitleBands(int ACol, const ui::TRect& leafFrame)
{
    THeadTreeNode* node = TitleLeaf(RawToDataColumn(ACol));
    if (!node) return;
    ui::TCanvas& canvas = Canvas();
    const ui::TGridDrawInfo& info = paintInfo_;
    // The bands of scrolled columns stay off the fixed ones, and the other way round.
    const int indicatorRight = indicatorOffset_ > 0 ? info.Horz.CellSpan(0) : 0;
    const bool frozen = ACol < FixedCols();
    const int titleBottom = RowHeights(0);
    const ui::TRect titleArea{frozen ? indicatorRight : info.Horz.FixedBoundary, 0,
                              frozen ? info.Horz.FixedBoundary : info.Horz.GridBoundary, titleBottom};
    const int lineWidth = options_.Contains(dgColLines) ? GridLineWidth() : 0;
    int left = leafFrame.Left;
    int bottom = leafFrame.Top;
    for (THeadTreeNode* band = node->Host; band && band->Host && !band->Drawn; node = band, band = band->Host) {
        // The band starts where its first child does.
        for (const THeadTreeNode* child = band->Child; child != node; child = child->Next)
            left -= child->Width + lineWidth;
        const ui::TRect bandRect{left, bottom - band->Height, left + band->Width, bottom};
        bottom = bandRect.Top;
        band->Drawn = true;
        if (bandRect.IsEmpty()) continue;

        TClipScope clip(canvas, titleArea);
        ui::TRect face = bandRect;
        if (options_.Contains(dgRowLines)) --face.Bottom;
        canvas.Brush().SetColor(FixedColor());
        canvas.FillRect(face);
        canvas.Font().Assign(TitleFont());
        WriteCellText(face, 2, 2, band->Text, rtl::taCenter, ui::tlCenter, true, false);
        if (optionsEx_.Contains(dghFixed3D)) {
            canvas.Pen().SetColor(flat_ ? ui::clGray : ui::clBlack);
            DrawCellFrame(canvas, face, false, true, true);
        }
        if (options_.Contains(dgRowLines)) {
            canvas.Brush().SetColor(flat_ ? ui::clGray : ui::clBlack);
            canvas.FillRect({bandRect.Left, bandRect.Bottom - 1, bandRect.Right, bandRect.Bottom});
        }
    }
}

void TCustomDBGridEx::drawDataCell(int ACol, int ARow, const ui::TRect& ARect, const ui::TRect& rect,
                                   ui::TGridDrawState state, int dx, int dy)
{
    ui::TCanvas& canvas = Canvas();
    const int dataCol = RawToDataColumn(ACol);
    const int dataRow = ARow - titleOffset_;
    TDataRowRead record(*this, dataRow);
    TColumnEx* column = columns_->Items(dataCol);

    TColCellParamsEx& params = cellParams_;
    params.Font = &canvas.Font();
    column->FillColCellParams(params);
    params.Col = dataCol;
    params.Row = dataRow;
    params.State = state;
    GetCellParams(column, canvas.Font(), params.Background, state);
    column->GetColCellParams(false, params);
    if (GetDataCellHighlight(canvas.Font(), params.Background, state, ACol, ARow)) state |= ui::gdSelected;
    canvas.Brush().SetColor(params.Background);

    if (DefaultDrawing() && rect.Width() > 0) {
        ui::TRect contentRect = rect;
        // The tree's nodes stand before everything else of the cell.
        if (const int nodes = ShowsTreeNodes(column) ? TreeNodeWidth(dataRow + 1) : 0; nodes > 0) {
            contentRect.Left = std::min(rect.Right, rect.Left + nodes);
            PaintTreeNodes(canvas, {rect.Left, rect.Top, contentRect.Left, rect.Bottom}, dataRow + 1,
                           column->GetColor());
        }
        if (column->GetAlwaysShowEditButton()) {
            const int buttonsWidth = std::min(column->EditButtonsWidth(), contentRect.Width());
            contentRect.Right -= buttonsWidth;
            drawEditButtons({contentRect.Right, rect.Top, rect.Right, rect.Bottom}, rect, *column, params.Background);
        }
        canvas.Brush().SetColor(params.Background);
        drawCellContent(contentRect, *column, params, dx, dy, params.Background, 0);
    }
    if (!columns_->Customized()) DrawDataCell(ARect, column->Field(), state);
    DrawColumnCell(ARect, dataCol, column, state);
    drawIncSearchPrefix(rect, params, state, dx, dy);
}

void TCustomDBGridEx::drawCellContent(const ui::TRect& rect, TColumnEx& column, const TColCellParamsEx& params,
                                      int dx, int dy, ui::TColor stripColor, int stripGap)
{
    ui::TCanvas& canvas = Canvas();
    ui::TRect textRect = rect;
    ui::TCustomImageList* images = column.GetImageList();
    const TColumnKindEx kind = column.GetColumnKind();
    if (images && column.GetShowImageAndText()) {
        const ui::TColor background = canvas.Brush().Color();
        const ui::TRect strip{rect.Left, rect.Top, std::min(rect.Right, rect.Left + images->Width() + 4), rect.Bottom};
        canvas.Brush().SetColor(stripColor);
        canvas.FillRect(strip);
        DrawClippedImage(canvas, strip, *images, ipCenter, 0, params.ImageIndex);
        canvas.Brush().SetColor(background);
        textRect.Left = strip.Right + stripGap;
    }
    if (kind == ckImageList) {
        canvas.FillRect(rect);
        if (images) DrawClippedImage(canvas, rect, *images, ipCenter, 0, params.ImageIndex);
    } else if (kind == ckCheckBox) {
        canvas.FillRect(rect);
        drawCheckBox(rect, params.CheckboxState);
    } else {
        const bool wrap = column.GetWordWrap() && RowsCanWrap();
        WriteCellText(textRect, dx, dy, params.Text, params.Alignment, ui::tlTop, wrap, column.GetEndEllipsis());
    }
}

void TCustomDBGridEx::drawCheckBox(const ui::TRect& rect, TCheckBoxState state)
{
    ui::TCanvas& canvas = Canvas();
    ui::TRect box = editors::CheckBoxRect(rect, rtl::taCenter, ui::tlCenter);
    // Painted unmirrored, so that the check mark keeps its direction.
    if (canvas.RightToLeftMapping()) box = Mirrored(box, ClientWidth());
    TUnmirroredScope unmirrored(canvas, ClientWidth());
    editors::PaintButtonControlEx(canvas, box, canvas.Brush().Color(), CheckStateOf(state), true, false, flat_, 0,
                                  editors::bpkCheckBoxEx);
}

void TCustomDBGridEx::drawEditButtons(const ui::TRect& strip, const ui::TRect& cell, TColumnEx& column,
                                      ui::TColor background)
{
    ui::TCanvas& canvas = Canvas();
    TClipScope clip(canvas, cell);
    const int height = EditButtonHeight();
    const int gap = flat_ ? 1 : 0;
    int x = strip.Left;
    if (column.GetColumnEditStyle() != cesNoneEx) {
        const int width = EditButtonWidth() + gap;
        editors::PaintButtonControlEx(canvas, {x, strip.Top, x + width, strip.Top + height}, background,
                                      ui::csUnchecked, true, false, flat_, 0,
                                      MainButtonKind(column.GetColumnEditStyle()));
        x += width;
    }
    const editors::TEditButtonsEx& buttons = *column.EditButtons();
    for (int i = 0; i < buttons.GetCount(); ++i) {
        const editors::TEditButtonEx* button = buttons.Items(i);
        if (!button->GetVisible()) continue;
        const int width = (button->GetWidth() != 0 ? button->GetWidth() : EditButtonWidth()) + gap;
        const ui::TRect face{x, strip.Top, x + width, strip.Top + height};
        x += width;
        if (button->GetStyle() != editors::ebsGlyphEx) {
            editors::PaintButtonControlEx(canvas, face, background, ui::csUnchecked, true, false, flat_, 0,
                                          editors::ButtonPaintKind(button->GetStyle()));
            continue;
        }
        canvas.Brush().SetColor(ui::clBtnFace);
        canvas.FillRect(face);
        canvas.DrawEdge(face, ui::EDGE_RAISED, ui::BF_RECT);
        const ui::TBitmap& glyph = button->GetGlyph();
        if (!glyph.Empty()) {
            TClipScope glyphClip(canvas, face);
            canvas.Draw(face.Left + (face.Width() - glyph.Width() / std::max(1, button->GetNumGlyphs())) / 2,
                        face.Top + (face.Height() - glyph.Height()) / 2, glyph);
        }
    }
    if (height < strip.Height()) {
        canvas.Brush().SetColor(background);
        canvas.FillRect({strip.Left, strip.Top + height, strip.Right, strip.Bottom});
    }
}

void TCustomDBGridEx::drawIncSearchPrefix(const ui::TRect& rect, const TColCellParamsEx& params,
                                          ui::TGridDrawState state, int dx, int dy)
{
    const bool show = IncSearchActive() && (state & ui::gdSelected) && params.Row + titleOffset_ == Row()
                      && params.Col == SelectedIndex() && (GridFocused() || options_.Contains(dgAlwaysShowSelection))
                      && !IsDesigning() && !UpdateLocked() && isActiveControl();
    if (!show) return;
    ui::TCanvas& canvas = Canvas();
    const std::string prefix = params.Text.substr(0, std::min(params.Text.size(), IncSearchText().size()));
    if (prefix.empty()) return;
    const int textWidth = canvas.TextWidth(params.Text);
    int x = rect.Left + dx;
    if (params.Alignment == rtl::taRightJustify) x = rect.Right - textWidth - 3;
    else if (params.Alignment == rtl::taCenter) x = rect.Left + rect.Width() / 2 - textWidth / 2;
    const ui::TRect prefixRect =
        ui::TRect{x, rect.Top, x + canvas.TextWidth(prefix), rect.Bottom}.Intersected(rect);
    if (prefixRect.IsEmpty()) return;
    canvas.Brush().SetColor(DBGridExSettings().IncSearchColor);
    canvas.Font().SetColor(DBGridExSettings().IncSearchFontColor);
    canvas.TextRect(prefixRect, x, rect.Top + dy, prefix);
}

void TCustomDBGridEx::drawFooterCell(int ACol, const ui::TRect& rect, ui::TGridDrawState state,
                                     const TCellArea& area, int dx, int dy)
{
    ui::TCanvas& canvas = Canvas();
    const int dataCol = RawToDataColumn(ACol);
    const int footerRow = area.Row - 1;
    TColumnEx* column = columns_->Items(dataCol);
    TColumnFooterEx* footer = column->FooterForRow(footerRow);
    canvas.Font().Assign(footer->GetFont());
    ui::TColor background = footer->GetColor();
    rtl::TAlignment alignment = footer->GetAlignment();
    std::string text = GetFooterValue(footerRow, column);
    GetFooterParams(dataCol, footerRow, column, canvas.Font(), background, alignment, state, text);
    GetFixedCellHighlight(canvas.Font(), background, selection_->IsColumnSelected(dataCol), state, area);
    canvas.Brush().SetColor(background);
    canvas.FillRect(rect);
    if (DefaultDrawing())
        WriteCellText(rect, dx, dy, text, alignment, ui::tlTop, footer->GetWordWrap() && RowsCanWrap(),
                      footer->GetEndEllipsis());
    if (OnDrawFooterCell) OnDrawFooterCell(this, dataCol, footerRow, column, rect, state);
}

void TCustomDBGridEx::DefaultDrawColumnCell(const ui::TRect& Rect, int DataCol, TColumnEx* Column,
                                            ui::TGridDrawState State)
{
    if (!Column) return;
    // The inset follows dghFooter3D, as the grid has always drawn it.
    const bool inset3D = optionsEx_.Contains(dghFooter3D);
    ui::TRect rect = Rect;
    if (inset3D) rect.Inflate(-1, -1);
    const int dx = inset3D ? 1 : 2;
    const int dy = flat_ ? dx - 1 : dx;
    TColCellParamsEx params;
    params.Alignment = Column->GetAlignment();
    params.Text = Column->DisplayText();
    params.ImageIndex = Column->GetImageIndex();
    params.CheckboxState = Column->GetCheckboxState();
    params.Col = DataCol;
    params.State = State;
    drawCellContent(rect, *Column, params, dx, dy, Column->GetColor(), 1);
}

} // namespace grid
