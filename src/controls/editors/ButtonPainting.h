#pragma once
// The faces of edit buttons, of the grid's cell buttons and of check boxes, drawn once
// per distinct look into a bitmap cache and afterwards only copied.
#include <cstdint>

#include "platform/ui/Canvas.h"
#include "platform/ui/Themes.h"

namespace editors {

enum TButtonPaintKindEx {
    bpkDropDownEx = 0, // drop-down arrow
    bpkEllipsisEx = 1, // three dots
    bpkUpDownEx = 2,   // an up and a down half
    bpkCheckBoxEx = 3,
    bpkPlusEx = 4,
    bpkMinusEx = 5,
};

// Paints a button face into Rect. DownHalf: 0 not pressed, 1 pressed (the upper half of
// an up/down pair), 2 the lower half pressed. ParentColor fills what the face leaves
// (flat frames, the middle row of an up/down pair). CheckState is for check boxes.
void PaintButtonControlEx(ui::TCanvas& Canvas, const ui::TRect& Rect, ui::TColor ParentColor,
                          ui::TCheckState CheckState, bool Enabled, bool Active, bool Flat, int DownHalf,
                          TButtonPaintKindEx Kind);

// The height of an edit button of this width: half as high again when flat, else square.
int DefaultEditButtonHeight(int Width, bool Flat);
// The width of a flat edit button: two thirds of the system font's height (odd), at most
// a scroll bar's width.
int GetDefaultFlatButtonWidth();

// The cache of painted faces. It holds a bounded number of small faces (larger ones are
// painted directly) and forgets the least recently used first; it empties itself when
// the system colours change.
void ClearButtonsBitmapCache();
bool ButtonsBitmapCacheEnabled();
void SetButtonsBitmapCacheEnabled(bool enabled);
int ButtonsBitmapCacheCount();
inline constexpr int ButtonsBitmapCacheCapacity = 256;
// How often a face was painted anew (cache misses and uncached paints).
std::uint64_t ButtonFacesPainted();

} // namespace editors
