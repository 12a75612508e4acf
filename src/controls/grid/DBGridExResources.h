#pragma once
// Program-wide settings and resources of the data grid, made on first use.
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

namespace grid {

// Shortcuts, the incremental search's time-out and the colours of its highlight.
struct TDBGridExSettings {
    ui::TShortCut IncSearchShortCut = ui::scCtrl | 'F';
    ui::TShortCut FindShortCut = ui::scCtrl | 'F';
    ui::TShortCut NextMatchShortCut = ui::scCtrl | ui::VK_RETURN;
    ui::TShortCut PriorMatchShortCut = ui::scShift | ui::scCtrl | ui::VK_RETURN;
    ui::TShortCut CopyFromAboveShortCut = ui::scCtrl | ui::VK_OEM_7;
    int IncSearchTimeOut = 1500;   // ms
    ui::TColor IncSearchColor = ui::clYellow;
    ui::TColor IncSearchFontColor = ui::clBlack;
};

TDBGridExSettings& DBGridExSettings();

// The height of the sort-marker glyphs in the title cells.
inline constexpr int SortMarkerGlyphHeight = 8;
// The width a sort marker takes in a title cell.
inline constexpr int SortMarkerWidth = 16;

// The font of the sort index beside a marker: one pixel lower than the glyph.
const ui::TFont& DBGridExSortIndexFont();

} // namespace grid
