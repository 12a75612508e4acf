#include "controls/grid/DBGridExText.h"

#include <algorithm>
#include <memory>

#include "controls/grid/DBGridExUtils.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

constexpr const char* Ellipsis = "...";

struct TSharedDrawBitmap {
    std::unique_ptr<ui::TBitmap> Bitmap;
    int Users = 0;
};

TSharedDrawBitmap& Shared()
{
    static TSharedDrawBitmap shared;
    return shared;
}

// The shared bitmap, at least width x height pixels large.
ui::TBitmap& DrawBitmap(int width, int height)
{
    std::unique_ptr<ui::TBitmap>& bitmap = Shared().Bitmap;
    if (!bitmap) bitmap = std::make_unique<ui::TBitmap>();
    if (bitmap->Width() < width || bitmap->Height() < height)
        bitmap->SetSize(std::max(bitmap->Width(), width), std::max(bitmap->Height(), height));
    return *bitmap;
}

unsigned AlignmentFormat(rtl::TAlignment alignment)
{
    switch (alignment) {
    case rtl::taRightJustify: return ui::DT_RIGHT;
    case rtl::taCenter: return ui::DT_CENTER;
    case rtl::taLeftJustify: break;
    }
    return ui::DT_LEFT;
}

// Laid out text through the shared bitmap: filled with the brush, the text drawn on it
// without a background, the result copied into rect.
void WriteTextThroughBitmap(ui::TCanvas& canvas, const ui::TRect& rect, bool rightToLeft, int dx, int dy,
                            const std::string& text, rtl::TAlignment alignment, ui::TTextLayout layout, bool wordWrap,
                            bool endEllipsis, const ui::TDrawTextParams& params)
{
    // The bitmap holds only what is visible of the cell: a cell far wider or taller than
    // the screen (a long text's optimal width) costs no more than the screen.
    const ui::TRect shown = rect.Intersected(canvas.ClipRect());
    if (shown.IsEmpty()) return;
    const int width = rect.Width(), height = rect.Height();
    const int left = rect.Left - shown.Left, top = rect.Top - shown.Top; // the cell on the bitmap
    ui::TBitmap& bitmap = DrawBitmap(shown.Width(), shown.Height());
    ui::TCanvas& surface = bitmap.Canvas();
    surface.Brush().SetStyle(ui::bsSolid);
    surface.Brush().SetColor(canvas.Brush().Color());
    surface.FillRect({0, 0, shown.Width(), shown.Height()});
    surface.Font().Assign(canvas.Font());
    surface.Brush().SetStyle(ui::bsClear);

    unsigned format = ui::DT_NOPREFIX | ui::DT_EXPANDTABS | AlignmentFormat(alignment);
    if (wordWrap) format |= ui::DT_WORDBREAK;
    if (endEllipsis) format |= ui::DT_END_ELLIPSIS;
    if (rightToLeft) format |= ui::DT_RTLREADING;
    ui::TRect area{left + dx, top + dy, left + width - dx, top + height - dy};
    if (layout != ui::tlTop) {
        ui::TRect measured = area;
        const int textHeight = surface.DrawText(text, measured, format | ui::DT_CALCRECT, &params);
        area.Top = layout == ui::tlCenter ? area.Top + (area.Height() - textHeight) / 2 : area.Bottom - textHeight;
    }
    if (dx > 0) ++area.Right;
    surface.DrawText(text, area, format, &params);
    surface.Brush().SetStyle(ui::bsSolid);
    canvas.CopyRect(shown, bitmap, {0, 0, shown.Width(), shown.Height()});
}

} // namespace

std::string TruncateTextEx(const std::string& Text, ui::TCanvas& Canvas, int MaxWidth)
{
    if (Text.empty() || Canvas.TextWidth(Text) <= MaxWidth) return Text;
    // The longest start of at most all but two characters that fits with the ellipsis;
    // none fitting leaves the ellipsis alone.
    const auto fits = [&](long long n) {
        return Canvas.TextWidth(Text.substr(0, static_cast<std::size_t>(n)) + Ellipsis) <= MaxWidth;
    };
    const long long kept = ui::LongestFitting(1, static_cast<long long>(Text.size()) - 2, fits);
    return Text.substr(0, static_cast<std::size_t>(std::max(0LL, kept))) + Ellipsis;
}

void WriteTextEx(ui::TCanvas& Canvas, const ui::TRect& Rect, bool RightToLeft, int DX, int DY,
                 const std::string& Text, rtl::TAlignment Alignment, ui::TTextLayout Layout, bool WordWrap,
                 bool EndEllipsis, const ui::TDrawTextParams& Params)
{
    // Every colour is drawn solid here, so only wrapped text needs the layout of the
    // text drawing.
    if (WordWrap) {
        if (Rect.IsEmpty()) return;
        WriteTextThroughBitmap(Canvas, Rect, RightToLeft, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis,
                               Params);
        return;
    }
    const std::string text = EndEllipsis ? TruncateTextEx(Text, Canvas, Rect.Width() - DX) : Text;
    int x = Rect.Left + DX;
    if (Alignment != rtl::taLeftJustify) {
        // Bold and italic glyphs reach past their advance: measured as the text drawing
        // lays them out.
        const bool slanted = Canvas.Font().Style() & (ui::fsBold | ui::fsItalic);
        const int width = slanted ? TextWidthCalc(Canvas, text) : Canvas.TextWidth(text);
        if (Alignment == rtl::taRightJustify) x = Rect.Right - width - 3;
        else x = Rect.IsEmpty() ? 0 : Rect.Left + (Rect.Right - Rect.Left) / 2 - width / 2;
    }
    Canvas.TextRect(Rect, x, Rect.Top + DY, text);
}

ui::TFont CreateRotatedFont(const ui::TFont& Font)
{
    ui::TFont rotated(Font);
    if (Font.Name() == "Default") rotated.SetName(ui::Metrics().SystemFontName);
    rotated.SetOrientation(900);
    return rotated;
}

void WriteRotatedTextEx(ui::TCanvas& Canvas, const ui::TRect& Rect, const std::string& Text,
                        rtl::TAlignment Alignment, int Margin)
{
    const ui::TFont normal(Canvas.Font());
    Canvas.Font().Assign(CreateRotatedFont(normal));
    struct TRestore {
        ui::TCanvas& canvas;
        const ui::TFont& font;
        ~TRestore() { canvas.Font().Assign(font); }
    } restore{Canvas, normal};

    // Along the text runs the rectangle's height, across it its width.
    const ui::TTextMetric metric = Canvas.TextMetrics();
    const int length = Canvas.TextWidth(Text) + ((normal.Style() & ui::fsItalic) ? metric.Overhang : 0);
    int start = Rect.Bottom - Margin;                                         // upwards from the bottom
    if (Alignment == rtl::taRightJustify) start = Rect.Top + Margin + length; // ending at the top
    else if (Alignment == rtl::taCenter) start = Rect.Top + (Rect.Height() + length) / 2;
    const int across = Rect.Left + (Rect.Width() - metric.Height) / 2;
    if (Canvas.Brush().Style() != ui::bsClear) Canvas.FillRect(Rect);
    const ui::TBrushStyle brush = Canvas.Brush().Style();
    Canvas.Brush().SetStyle(ui::bsClear);
    {
        const ui::TClipScope clip(Canvas, Rect);
        Canvas.TextOut(across, start, Text);
    }
    Canvas.Brush().SetStyle(brush);
}

void DrawClippedImage(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TCustomImageList& Images,
                      TImagePlacement Placement, int XOffset, int Index)
{
    if (Index < 0 || Index >= Images.Count()) return;
    const int width = Images.Width(), height = Images.Height();
    int x = Rect.Left + XOffset;
    if (Placement == ipRight) x = Rect.Right - width;
    else if (Placement == ipCenter) x = Rect.Left + (Rect.Width() - width) / 2;
    const int y = Rect.Top + (Rect.Height() - height) / 2;
    if (Rect.ContainsRect(ui::Bounds(x, y, width, height))) {
        Images.Draw(Canvas, x, y, Index);
        return;
    }
    const ui::TClipScope clip(Canvas, Rect);
    Images.Draw(Canvas, x, y, Index);
}

void AcquireDrawBitmap()
{
    ++Shared().Users;
}

void ReleaseDrawBitmap()
{
    TSharedDrawBitmap& shared = Shared();
    if (shared.Users > 0 && --shared.Users == 0) shared.Bitmap.reset();
}

const ui::TBitmap* SharedDrawBitmap()
{
    return Shared().Bitmap.get();
}

} // namespace grid
