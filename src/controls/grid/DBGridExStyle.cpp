#include "controls/grid/DBGridExStyle.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

#include "controls/grid/DBGridEx.h"
#include "platform/ui/InplaceEdit.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

// n / d to the nearest integer, a half to the even one (n >= 0, d > 0).
int DivideRoundHalfEven(int n, int d)
{
    const int q = n / d;
    const int twiceRest = 2 * (n % d);
    if (twiceRest > d || (twiceRest == d && (q & 1))) return q + 1;
    return q;
}

// The channel in whole numbers: with s = c1 + c2 the mean moved towards 225 is
// (s + 675) / 5, and moved away from 122 as well (s + 553) / 4.
int BlendChannel(int c1, int c2, bool contrast)
{
    const int s = c1 + c2;
    const int m = contrast ? DivideRoundHalfEven(s + 553, 4) : DivideRoundHalfEven(s + 675, 5);
    return std::clamp(m, 0, 255);
}

} // namespace

ui::TColor BlendColors(ui::TColor color1, ui::TColor color2, bool contrast)
{
    const ui::TColor a = ui::ColorToRGB(color1);
    const ui::TColor b = ui::ColorToRGB(color2);
    return ui::RGB(BlendChannel(ui::GetRValue(a), ui::GetRValue(b), contrast),
                   BlendChannel(ui::GetGValue(a), ui::GetGValue(b), contrast),
                   BlendChannel(ui::GetBValue(a), ui::GetBValue(b), contrast));
}

TDBGridExStyle& DBGridExStyle()
{
    static TDBGridExStyle style;
    return style;
}

TDBGridExStyle::TDBGridExStyle()
{
    ReadScreenColors();
    ui::SysColorChangeListeners().Add({this, &TDBGridExStyle::sysColorsChanged});
}

TDBGridExStyle::~TDBGridExStyle()
{
    ui::SysColorChangeListeners().Remove({this, &TDBGridExStyle::sysColorsChanged});
    const std::vector<TCustomDBGridEx*> grids = grids_;
    for (auto it = grids.rbegin(); it != grids.rend(); ++it) (*it)->SetStyle(nullptr);
}

void TDBGridExStyle::ReadScreenColors()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int depth = screen ? screen->depth() : 32;
    screenColorCount_ = depth > 8 ? -1 : 1 << depth;
}

void TDBGridExStyle::AddGrid(TCustomDBGridEx* grid)
{
    if (grid && !IsGridRegistered(grid)) grids_.push_back(grid);
}

void TDBGridExStyle::RemoveGrid(TCustomDBGridEx* grid)
{
    std::erase(grids_, grid);
}

bool TDBGridExStyle::IsGridRegistered(const TCustomDBGridEx* grid) const
{
    return std::find(grids_.begin(), grids_.end(), grid) != grids_.end();
}

bool TDBGridExStyle::GetDataCellParams(TCustomDBGridEx& Grid, TColumnEx*, ui::TFont& AFont, ui::TColor& Background,
                                       ui::TGridDrawState State, int dataCol, int dataRow)
{
    const TDBGridOptions options = Grid.GetOptions();
    const TDBGridExOptions optionsEx = Grid.GetOptionsEx();
    const bool rowSelect = options.Contains(dgRowSelect);
    const bool inCurrentRow = dataRow + Grid.TitleOffset() == Grid.Row();
    const bool inCurrentCol = dataCol == Grid.SelectedIndex();
    const bool focused = Grid.GridFocused();

    bool selected = false;
    if (Grid.DataLink().Active())
        selected = Grid.Selection().IsCellSelected(dataCol, Grid.DataLink().DataSet()->GetBookmark());
    bool focusMark = optionsEx.Contains(dghHighlightFocus) && focused;
    bool coloured = selected;
    if (!selected) {
        bool highlighted = (State & ui::gdSelected) || (inCurrentRow && rowSelect);
        if (!highlighted && optionsEx.Contains(dghRowHighlight) && Grid.Selection().SelectionType() == gstNon
            && inCurrentRow && !inCurrentCol) {
            highlighted = true;
            focusMark = true;
        }
        const ui::TInplaceEdit* editor = Grid.InplaceEditor();
        const bool editorShown = editor && editor->Visible();
        coloured = highlighted && (options.Contains(dgAlwaysShowSelection) || focusMark) && (!editorShown || rowSelect);
    }
    if (!coloured) return false;

    // The current cell, or with row selection the current row. On screens of more than
    // 256 colours the nearest screen colour is the colour itself.
    const bool current = rowSelect ? inCurrentRow : inCurrentRow && inCurrentCol;
    if (focused) {
        if (blendedHighlight_ && manyColors() && !current) {
            Background = BlendColors(Background, ui::clHighlight, true);
        } else {
            Background = ui::clHighlight;
            AFont.SetColor(ui::clHighlightText);
        }
    } else if (current && (options.Contains(dgAlwaysShowSelection) || focusMark)) {
        Background = ui::clBtnShadow;
        AFont.SetColor(ui::clHighlightText);
    } else {
        Background = manyColors() ? BlendColors(Background, ui::clBtnShadow, false) : ui::clBtnFace;
    }
    return true;
}

bool TDBGridExStyle::GetFixedCellParams(TCustomDBGridEx& Grid, TColumnEx*, ui::TFont& AFont, ui::TColor& Background,
                                        bool Selected, ui::TGridDrawState, unsigned CellKind)
{
    if (!Selected) return false;
    const auto colKind = static_cast<TCellColumnKind>(CellKind & 0xFF);
    const auto rowKind = static_cast<TCellRowKind>(CellKind >> 8);
    if ((colKind == cckIndicator && rowKind != crkAboveFooter)
        || (colKind == cckData && (rowKind == crkTitle || rowKind == crkSubTitle))) {
        Background = ui::RGB(64, 64, 64);
        AFont.SetColor(ui::clWhite);
    } else if (!Grid.GridFocused()) {
        Background = manyColors() ? BlendColors(Background, ui::clBtnShadow, false) : ui::clBtnFace;
    } else if (blendedHighlight_ && manyColors()) {
        Background = BlendColors(Background, ui::clHighlight, true);
    } else {
        Background = ui::clHighlight;
        AFont.SetColor(ui::clHighlightText);
    }
    return true;
}

} // namespace grid
