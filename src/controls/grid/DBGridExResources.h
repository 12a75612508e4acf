#pragma once
// Program-wide settings and resources of the data grid, made on first use.
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

namespace grid {

// Shortcuts, the incremental search's time-out and the colours of its highlight.
struct TDBGridExSettings {
    ui::TShortCut IncSearchShortCut = ui::ShortCut('F', ui::ssCtrl);
    ui::TShortCut FindShortCut = ui::ShortCut('F', ui::ssCtrl);
    ui::TShortCut NextMatchShortCut = ui::ShortCut(ui::VK_RETURN, ui::ssCtrl);
    ui::TShortCut PriorMatchShortCut = ui::ShortCut(ui::VK_RETURN, ui::ssShift | ui::ssCtrl);
    ui::TShortCut CopyFromAboveShortCut = ui::ShortCut(ui::VK_OEM_7, ui::ssCtrl);   // Ctrl and the quote key
    int IncSearchTimeOut = 1500;   // ms
    ui::TColor IncSearchColor = ui::clYellow;
    ui::TColor IncSearchFontColor = ui::clBlack;
};

TDBGridExSettings& DBGridExSettings();

// The width a sort marker takes in a title cell.
inline constexpr int SortMarkerWidth = 16;

// The font of the sort index beside a marker: characters one pixel lower than the
// marker glyph.
const ui::TFont& DBGridExSortIndexFont();

} // namespace grid
