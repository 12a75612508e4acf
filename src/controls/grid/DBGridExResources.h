#pragma once
// Program-wide settings and resources of the data grid, made on first use: shortcuts
// and colours, the indicator and sort-marker glyphs, the sort-index font and the three
// cursors. StartDBGridExUnit runs what the grid's unit sets up at start, once.
#include "platform/ui/Bitmap.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

namespace grid {

// Shortcuts, the incremental search's time-out and the colours of its highlight.
struct TDBGridExSettings {
    ui::TShortCut IncSearchShortCut = ui::ShortCut('F', ui::ssCtrl);
    ui::TShortCut FindShortCut = ui::ShortCut('F', ui::ssCtrl);
    ui::TShortCut NextMatchShortCut = ui::ShortCut(ui::VK_RETURN, ui::ssCtrl);
    ui::TShortCut PriorMatchShortCut = ui::ShortCut(ui::VK_RETURN, ui::ssShift | ui::ssCtrl);
    ui::TShortCut CopyFromAboveShortCut = ui::ShortCut(ui::VK_OEM_7, ui::ssCtrl); // Ctrl and the quote key
    int IncSearchTimeOut = 1500;                                                  // ms
    // A new colour takes effect in the indicator glyph with UpdateIncSearchIndicatorImage.
    ui::TColor IncSearchColor = ui::clYellow;
    ui::TColor IncSearchFontColor = ui::clBlack;
};

TDBGridExSettings& DBGridExSettings();

// The width a sort marker takes in a title cell.
inline constexpr int SortMarkerWidth = 16;

// The font of the sort index beside a marker: characters one pixel lower than the
// marker glyph.
const ui::TFont& DBGridExSortIndexFont();

// The glyphs of the indicator column, by what the row shows.
enum TIndicatorImage {
    iiCurrent = 0,
    iiEdit = 1,
    iiInsert = 2,
    iiMultiDot = 3,
    iiMultiArrow = 4,
    iiCurrentSelected = 5,  // the current record of a selected row (light arrow)
    iiCurrentSearching = 6, // the current record while a search runs: the light arrow on the search colour
};
ui::TCustomImageList& DBGridExIndicatorImages();
// Draws the searching glyph again over DBGridExSettings().IncSearchColor.
void UpdateIncSearchIndicatorImage();

// The sort markers: 0 for smDownEx, 1 for smUpEx.
ui::TCustomImageList& DBGridExSortMarkerImages();

// The grid's cursors: down over the foot of a title (column selection), right (left in
// a right-to-left grid) over the indicator column (record selection).
inline constexpr ui::TCursor crDBGridExDown = 1101;
inline constexpr ui::TCursor crDBGridExRight = 1102;
inline constexpr ui::TCursor crDBGridExLeft = 1103;

// The unit's start-up, run once (by the first grid): the storage interceptors of the
// columns registered, the cursors loaded (ui::EOutOfResources "Cannot load cursor
// resource" when one is missing), the glyphs, the font, the style and the data service
// made. Later calls do nothing.
void StartDBGridExUnit();

// Registers the storage interceptors of the columns (Width) and of the column collection
// (ColumnsIndex).
void RegisterDBGridExPropertyInterceptors();

// Holds what a grid uses of the program-wide resources from its construction to its
// destruction: the unit has started and the shared drawing bitmap is in use.
class TDBGridExResourcesUse {
public:
    TDBGridExResourcesUse();
    ~TDBGridExResourcesUse();
    TDBGridExResourcesUse(const TDBGridExResourcesUse&) = delete;
    TDBGridExResourcesUse& operator=(const TDBGridExResourcesUse&) = delete;
};

} // namespace grid
