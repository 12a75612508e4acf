// The RTF writer: a table with a colour and a font table, the title (one row, or a row per
// level of multi-level titles with their merged blocks), the records and the footers.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExTitleTree.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

// num ÷ den to the nearest integer, a half going to the even one (den > 0).
std::int64_t NearDiv(std::int64_t num, std::int64_t den)
{
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) {
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return q;
}

const char* AlignmentWord(rtl::TAlignment alignment)
{
    switch (alignment) {
    case rtl::taRightJustify: return "\\qr";
    case rtl::taCenter: return "\\qc";
    default: return "\\ql";
    }
}

// Text as RTF readers take it whatever their own code page: \ { } escaped, every byte
// above 127 as \'hh of the document's code page, and a line break (CR LF, a lone LF or
// a lone CR) as \line, since readers drop the bare control characters.
void AppendEscaped(std::string& out, const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\line ";
        } else if (c > 127) {
            out += "\\'";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            if (c == '\\' || c == '{' || c == '}') out += '\\';
            out += static_cast<char>(c);
        }
    }
}

int PixelsPerInch()
{
    return std::max(ui::Metrics().PixelsPerInch, 1);
}

} // namespace

int TDBGridExExportAsRTF::twips(int pixels) const
{
    return static_cast<int>(NearDiv(std::int64_t(pixels) * 1440, PixelsPerInch()));
}

int TDBGridExExportAsRTF::ColorIndex(ui::TColor Color)
{
    const ui::TColor rgb = ui::ColorToRGB(Color) & 0xFFFFFF;
    const auto found = std::find(colorTable_.begin(), colorTable_.end(), rgb);
    if (found != colorTable_.end()) return static_cast<int>(found - colorTable_.begin());
    colorTable_.push_back(rgb);
    return static_cast<int>(colorTable_.size()) - 1;
}

int TDBGridExExportAsRTF::FontIndex(const std::string& Name)
{
    const int index = fontTable_.IndexOf(Name);
    return index >= 0 ? index : fontTable_.Add(Name);
}

void TDBGridExExportAsRTF::ExportToStream(rtl::TStream& Stream, bool IsExportAll)
{
    colorTable_.clear();
    fontTable_.Clear();
    cellEdges_.clear();
    ColorIndex(ui::clBlack);
    ColorIndex(ui::clWhite);
    ColorIndex(ui::clBtnFace);
    spacing_ = DBGrid->GetFlat() ? "12" : "24";
    rtl::TMemoryStream body;
    TDBGridExExport::ExportToStream(body, IsExportAll);
    // Nothing selected writes nothing, as the other formats do.
    if (body.GetSize() == 0) return;
    std::string head = "{\\rtf0\\ansi\r\n{\\colortbl";
    for (const ui::TColor rgb : colorTable_)
        head += "\\red" + std::to_string(ui::GetRValue(rgb)) + "\\green" + std::to_string(ui::GetGValue(rgb))
                + "\\blue" + std::to_string(ui::GetBValue(rgb)) + ";";
    head += "}\r\n{\\fonttbl";
    for (int i = 0; i < fontTable_.GetCount(); ++i) {
        head += "\\f" + std::to_string(i) + "\\fnil ";
        AppendEscaped(head, fontTable_[i]);
        head += ";";
    }
    head += "}\r\n";
    SetStream(Stream);
    Write(head);
    Stream.WriteBuffer(body.Memory(), body.GetSize());
}

void TDBGridExExportAsRTF::WriteSuffix()
{
    Write('}');
}

void TDBGridExExportAsRTF::writeRowStart(const TColumnsExList& columns, const std::vector<ui::TColor>& shading,
                                         const std::vector<TCellBorders>* borders)
{
    if (cellEdges_.empty()) {
        int edge = 0;
        for (const TColumnEx* column : columns) {
            edge += twips(column->GetWidth());
            cellEdges_.push_back(std::to_string(edge));
        }
    }
    std::string row = "\\trowd\\trgaph40\r\n";
    for (int c = 0; c < columns.Count(); ++c) {
        const TCellBorders sides = borders ? (*borders)[static_cast<std::size_t>(c)] : TCellBorders();
        if (sides.Left) row += "\\clbrdrl\\brdrs\\brdrcf0\r\n";
        if (sides.Top) row += "\\clbrdrt\\brdrs\\brdrcf0\r\n";
        if (sides.Bottom) row += "\\clbrdrb\\brdrs\\brdrcf0\r\n";
        if (sides.Right) row += "\\clbrdrr\\brdrs\\brdrcf0\r\n";
        // Pattern and background of one colour and no shading: readers that fill a cell with
        // its background and readers that lay the pattern over it show the same colour
        // (some draw any shaded cell black).
        const std::string color = std::to_string(ColorIndex(shading[static_cast<std::size_t>(c)]));
        row += "\\clcfpat" + color + "\\clcbpat" + color + "\\cellx" + cellEdges_[static_cast<std::size_t>(c)] + "\r\n";
    }
    row += "{\\trrh0\r\n";
    Write(row);
}

void TDBGridExExportAsRTF::writeRowEnd()
{
    Write("\\pard\\intbl\\row}\r\n");
}

void TDBGridExExportAsRTF::writeCell(rtl::TAlignment alignment, const ui::TFont& font, ui::TColor background,
                                     const std::string& text, const std::string& spacing)
{
    std::string cell = "\\pard\\intbl{";
    cell += AlignmentWord(alignment);
    if (!spacing.empty()) cell += "\\sb" + spacing + "\\sa" + spacing;
    cell += "\\fs" + std::to_string(font.Size() * 2);
    const ui::TFontStyles style = font.Style();
    if (style & ui::fsBold) cell += "\\b";
    if (style & ui::fsItalic) cell += "\\i";
    if (style & ui::fsStrikeOut) cell += "\\strike";
    if (style & ui::fsUnderline) cell += "\\ul";
    cell += "\\f" + std::to_string(FontIndex(font.Name())) + "\\cf" + std::to_string(ColorIndex(font.Color())) + "\\cb"
            + std::to_string(ColorIndex(background)) + " ";
    AppendEscaped(cell, text);
    cell += "\\cell}\r\n";
    Write(cell);
}

void TDBGridExExportAsRTF::WriteTitle(TColumnsExList& Columns)
{
    if (DBGrid->GetUseMultiTitle()) writeMultiTitle(Columns);
    else writePlainTitle(Columns);
}

void TDBGridExExportAsRTF::writePlainTitle(TColumnsExList& Columns)
{
    std::vector<ui::TColor> shading;
    for (const TColumnEx* column : Columns) shading.push_back(column->Title()->GetColor());
    writeRowStart(Columns, shading);
    for (TColumnEx* column : Columns) {
        TColumnTitleEx& title = *column->Title();
        writeCell(title.GetAlignment(), title.GetFont(), title.GetColor(), title.GetCaption(), spacing_);
    }
    writeRowEnd();
}

void TDBGridExExportAsRTF::writeMultiTitle(TColumnsExList& columns)
{
    const std::size_t n = static_cast<std::size_t>(columns.Count());
    if (n == 0) return;
    // Each column climbs from its leaf; the columns whose bands end lowest climb first, so
    // that the bands of one level stand side by side.
    std::vector<THeadTreeNode*> nodes(n);
    std::vector<std::int64_t> heights(n);
    for (std::size_t c = 0; c < n; ++c) {
        nodes[c] = DBGrid->TitleLeaf(columns.Items(static_cast<int>(c))->GetIndex());
        // No tree yet (the grid was never laid out with its titles): the plain title row.
        if (!nodes[c]) {
            writePlainTitle(columns);
            return;
        }
        heights[c] = nodes[c]->Height;
    }
    std::vector<std::vector<THeadTreeNode*>> levels;
    for (;;) {
        const std::int64_t lowest = *std::min_element(heights.begin(), heights.end());
        std::vector<THeadTreeNode*> level = nodes;
        bool moved = false;
        for (std::size_t c = 0; c < n; ++c) {
            if (heights[c] != lowest || !nodes[c]->Host) continue;
            nodes[c] = nodes[c]->Host;
            heights[c] += nodes[c]->Height;
            moved = true;
        }
        if (moved || levels.empty()) levels.push_back(std::move(level));
        if (!moved) break;
    }

    // Merged blocks, from the top level down and from the left: a cell not yet covered
    // takes its node; the cells below and to its right with the same node join it.
    struct TBlock {
        std::size_t Top, Bottom, Left, Right;
    };
    const std::size_t levelCount = levels.size();
    std::vector<TBlock> blocks;
    std::vector<std::vector<int>> blockOf(levelCount, std::vector<int>(n, -1));
    for (std::size_t l = levelCount; l-- > 0;) {
        for (std::size_t c = 0; c < n; ++c) {
            if (blockOf[l][c] >= 0) continue;
            const THeadTreeNode* node = levels[l][c];
            std::size_t bottom = l;
            while (bottom > 0 && levels[bottom - 1][c] == node && blockOf[bottom - 1][c] < 0) --bottom;
            std::size_t right = c;
            while (right + 1 < n && levels[l][right + 1] == node && blockOf[l][right + 1] < 0) ++right;
            const int id = static_cast<int>(blocks.size());
            blocks.push_back({l, bottom, c, right});
            for (std::size_t b = bottom; b <= l; ++b)
                for (std::size_t r = c; r <= right; ++r) blockOf[b][r] = id;
        }
    }

    // |near(VTitleMargin ÷ 2 ÷ ppi × 1440 − 20)|, in exact arithmetic.
    const std::int64_t ppi = PixelsPerInch();
    const std::string spacing =
        std::to_string(std::abs(NearDiv(std::int64_t(DBGrid->GetVTitleMargin()) * 720 - 20 * ppi, ppi)));

    for (std::size_t l = levelCount; l-- > 0;) {
        std::vector<ui::TColor> shading(n);
        std::vector<TCellBorders> borders(n);
        for (std::size_t c = 0; c < n; ++c) {
            const TBlock& block = blocks[static_cast<std::size_t>(blockOf[l][c])];
            shading[c] = l > 0 ? DBGrid->FixedColor() : columns.Items(static_cast<int>(c))->Title()->GetColor();
            borders[c].Left = c == block.Left;
            borders[c].Right = c == block.Right;
            borders[c].Top = l == block.Top;
            borders[c].Bottom = l == block.Bottom;
        }
        writeRowStart(columns, shading, &borders);
        for (std::size_t c = 0; c < n; ++c) {
            const TBlock& block = blocks[static_cast<std::size_t>(blockOf[l][c])];
            const bool holdsNode = l == block.Top && c == block.Left;
            TColumnTitleEx& title = *columns.Items(static_cast<int>(c))->Title();
            const ui::TFont& font = l > 0 ? DBGrid->TitleFont() : title.GetFont();
            const ui::TColor background = l > 0 ? DBGrid->FixedColor() : title.GetColor();
            if (holdsNode) writeCell(rtl::taCenter, font, background, levels[l][c]->Text, spacing);
            else writeCell(rtl::taCenter, font, background, std::string(), std::string());
        }
        writeRowEnd();
    }
}

void TDBGridExExportAsRTF::WriteRecord(TColumnsExList& Columns)
{
    const std::size_t n = static_cast<std::size_t>(Columns.Count());
    if (rowFonts_.size() != n) {
        rowFonts_.assign(n, ui::TFont());
        rowParams_.assign(n, TColCellParamsEx());
    }
    // Every cell's background is in the row's head, before the cells.
    std::vector<ui::TColor> shading(n);
    for (std::size_t c = 0; c < n; ++c) {
        FillCellParams(*Columns.Items(static_cast<int>(c)), rowFonts_[c], rowParams_[c]);
        shading[c] = rowParams_[c].Background;
    }
    writeRowStart(Columns, shading);
    for (std::size_t c = 0; c < n; ++c) WriteDataCell(Columns.Items(static_cast<int>(c)), rowParams_[c]);
    writeRowEnd();
}

void TDBGridExExportAsRTF::WriteDataCell(TColumnEx*, TColCellParamsEx& CellParams)
{
    writeCell(CellParams.Alignment, *CellParams.Font, CellParams.Background, CellParams.Text, spacing_);
}

void TDBGridExExportAsRTF::WriteFooter(TColumnsExList& Columns, int FooterNo)
{
    const std::size_t n = static_cast<std::size_t>(Columns.Count());
    std::vector<TFooterCell> cells(n);
    std::vector<ui::TColor> shading(n);
    for (std::size_t c = 0; c < n; ++c) {
        FillFooterCell(*Columns.Items(static_cast<int>(c)), static_cast<int>(c), FooterNo, cells[c]);
        shading[c] = cells[c].Background;
    }
    writeRowStart(Columns, shading);
    for (std::size_t c = 0; c < n; ++c)
        WriteFooterCell(static_cast<int>(c), FooterNo, Columns.Items(static_cast<int>(c)), cells[c].Font,
                        cells[c].Background, cells[c].Alignment, cells[c].Text);
    writeRowEnd();
}

void TDBGridExExportAsRTF::WriteFooterCell(int, int, TColumnEx*, ui::TFont& AFont, ui::TColor Background,
                                           rtl::TAlignment Alignment, const std::string& Text)
{
    writeCell(Alignment, AFont, Background, Text, spacing_);
}

} // namespace grid
