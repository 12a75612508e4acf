#pragma once
// The text and image routines of the grid's cell drawing: texts shortened with an end
// ellipsis, clipped and aligned text, text written upwards, and images clipped to a cell.
// Wrapped text goes through one drawing bitmap that all grids share; it only grows.
#include <string>

#include "platform/rtl/Persistent.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Graphics.h"

namespace grid {

// The form of Text that fits MaxWidth on the canvas: the text itself, else all but its
// last two characters followed by "...", one character less at each step, and at last
// "..." alone (even when that does not fit either). An empty text stays empty.
std::string TruncateTextEx(const std::string& Text, ui::TCanvas& Canvas, int MaxWidth);

// Writes Text into Rect in the canvas's font and brush, the rectangle filled with the
// brush (unless it is clear) and the text clipped to it. Single-line text starts DX
// pixels from the left edge, ends 3 pixels before the right one or is centred, DY pixels
// below the top. Wrapped text is laid out in the rectangle less DX and DY, placed by
// Layout, in the reading order RightToLeft asks for, with Params' tab length and margins.
void WriteTextEx(ui::TCanvas& Canvas, const ui::TRect& Rect, bool RightToLeft, int DX, int DY,
                 const std::string& Text, rtl::TAlignment Alignment, ui::TTextLayout Layout, bool WordWrap,
                 bool EndEllipsis, const ui::TDrawTextParams& Params = {});

// The font turned to write upwards (90 degrees), bold or normal, the default face named.
ui::TFont CreateRotatedFont(const ui::TFont& Font);

// Writes Text upwards in Rect in the canvas's rotated font, centred across the rectangle:
// from its bottom (left alignment), ending at its top (right alignment) or in its middle,
// Margin pixels off the end it starts from.
void WriteRotatedTextEx(ui::TCanvas& Canvas, const ui::TRect& Rect, const std::string& Text,
                        rtl::TAlignment Alignment, int Margin);

// Where DrawClippedImage places an image across the rectangle.
enum TImagePlacement {
    ipLeft = 0,
    ipRight = 1,
    ipCenter = 2,
};
// Draws image Index of the list vertically centred in Rect, placed by Placement (XOffset
// pixels right of the left edge for ipLeft), and clipped to Rect when it does not fit.
void DrawClippedImage(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TCustomImageList& Images,
                      TImagePlacement Placement, int XOffset, int Index);

// Every grid holds the shared drawing bitmap from its construction to its destruction;
// the last one to let it go frees it.
void AcquireDrawBitmap();
void ReleaseDrawBitmap();
// The shared bitmap; none while no grid holds it and no text went through it.
const ui::TBitmap* SharedDrawBitmap();

// Holds the shared drawing bitmap for as long as it lives.
class TDrawBitmapUse {
public:
    TDrawBitmapUse() { AcquireDrawBitmap(); }
    ~TDrawBitmapUse() { ReleaseDrawBitmap(); }
    TDrawBitmapUse(const TDrawBitmapUse&) = delete;
    TDrawBitmapUse& operator=(const TDrawBitmapUse&) = delete;
};

} // namespace grid
