#pragma once
// A drawing surface over QPainter with the semantics the drawing code expects:
// rectangles exclude their right and bottom edges, a thin line excludes its last
// point, text is positioned by the top of its cell and, unless the brush is clear,
// drawn on an opaque background in the brush colour.
//
// A control's canvas is bound to the painter of its paint event (Attach/Detach);
// a bitmap's canvas paints on the bitmap. Font, pen and brush are re-applied to the
// painter only when they changed.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QFontMetrics>
#include <QPainter>
#include <QRegion>

#include "platform/ui/Graphics.h"
#include "platform/ui/UiTypes.h"

namespace ui {

class TBitmap;
struct TTextRun;

// Edge parts and sides for DrawEdge.
enum : unsigned {
    // clang-format off
    BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
    BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8,
    BF_TOPLEFT = BF_LEFT | BF_TOP, BF_BOTTOMRIGHT = BF_RIGHT | BF_BOTTOM,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x800, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000,
    // clang-format on
};

// Options of ExtTextOut.
// clang-format off
enum : unsigned { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4 };
// clang-format on

// Format flags of DrawText.
enum : unsigned {
    // clang-format off
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
    DT_EDITCONTROL = 0x2000, DT_END_ELLIPSIS = 0x8000, DT_RTLREADING = 0x20000,
    // clang-format on
    DT_WORD_ELLIPSIS = 0x40000,
};

// Extra parameters of DrawText: tab stops every TabLength average character widths,
// margins in pixels.
struct TDrawTextParams {
    int TabLength = 8;
    int LeftMargin = 0;
    int RightMargin = 0;
};

struct TTextMetric {
    int Height = 0; // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0; // room for accents inside Height
    int ExternalLeading = 0; // recommended gap between lines
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    int Overhang = 0; // extra width an italic font reaches past its advance
};

// How DrawText measures its lines (Canvas.cpp).
struct TTextWidths;

// The largest n in [low, high] for which fits(n) holds, where fits holds up to some n and
// not beyond (as the width of a text's start grows with its length); low - 1 when it holds
// for none. Halving the range asks fits about log2(high - low) times.
template <typename Fits>
long long LongestFitting(long long low, long long high, Fits&& fits)
{
    long long yes = low - 1, no = high + 1;
    while (no - yes > 1) {
        const long long mid = yes + (no - yes) / 2;
        if (fits(mid)) yes = mid;
        else no = mid;
    }
    return yes;
}

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TPoint PenPos() const { return penPos_; }

    // Binds to a painter that the caller began; visible is the part being painted.
    void Attach(QPainter* painter, const TRect& visible);
    void Detach();
    bool HandleAllocated() const { return painter_ != nullptr; }
    // The painter, with font, pen and brush applied; nullptr when there is none.
    QPainter* Handle();

    // Shapes.
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(const TRect& r);
    void Rectangle(int l, int t, int r, int b) { Rectangle(TRect{l, t, r, b}); }
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    // Several polylines in one call: counts[i] points each, taken in order from points.
    void PolyPolyline(const std::vector<TPoint>& points, const std::vector<int>& counts);
    void SetPixel(int x, int y, TColor c);
    // Raised or sunken edges (BDR_/EDGE_) on the sides in flags (BF_); returns false
    // for an empty rectangle. BF_ADJUST shrinks r by what was drawn.
    bool DrawEdge(TRect& r, unsigned edge, unsigned flags);
    // clang-format off
    bool DrawEdge(const TRect& r, unsigned edge, unsigned flags) { TRect c = r; return DrawEdge(c, edge, flags); }
    // clang-format on
    // The dotted focus frame, drawn by inverting: drawing it twice restores the pixels.
    void DrawFocusRect(const TRect& r);

    // Text.
    void TextOut(int x, int y, std::string_view text);
    // Text at (x, y) clipped to r; r is filled first unless the brush is clear.
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    void ExtTextOut(int x, int y, unsigned options, const TRect* r, std::string_view text);
    // Lays out and draws text in r as the format flags say; returns the text height.
    // With DT_CALCRECT nothing is drawn and r becomes the text's extent: its width that
    // of the widest line (wrapped at r's width with DT_WORDBREAK), its height all lines'.
    int DrawText(std::string_view text, TRect& r, unsigned format, const TDrawTextParams* params = nullptr);
    int TextWidth(std::string_view text);
    int TextHeight(std::string_view text);
    TSize TextExtent(std::string_view text);
    TTextMetric TextMetrics();

    // Clipping. SaveClip/RestoreClip bracket an IntersectClipRect.
    struct TClipState {
        bool Clipping = false;
        QRegion Region;
    };
    TClipState SaveClip();
    void RestoreClip(const TClipState& s);
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    // Bounds of what can be drawn: the clip when one is set, else the painted part.
    TRect ClipRect();
    bool RectVisible(const TRect& r) { return ClipRect().Intersects(r); }

    // Right-to-left mapping: until it is switched off, what is drawn at x lands at
    // width - x, so that the left edge of the area is at its right. Text keeps its
    // reading direction: only its place is mirrored.
    void SetRightToLeftMapping(bool on, int width);
    bool RightToLeftMapping() const { return mirrorWidth_ >= 0; }

    // Images.
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const TRect& r, const TBitmap& bitmap);
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect);

protected:
    // Called when a drawing call finds no painter; a bitmap canvas begins one here.
    virtual void CreateHandle() {}
    void SetPainter(QPainter* p, const TRect& visible);

private:
    bool ready();
    void applyPen();
    void applyFont();
    QColor brushColor() const;
    void fillSolid(const QRect& r, const QColor& c);
    void drawThinLine(int x1, int y1, int x2, int y2);
    // Text with the top of its line at (x, y); opaqueCell fills its box (width wide, measured
    // when negative) with the brush first.
    void drawTextCell(int x, int y, const QString& text, const TRect* clip, bool opaqueCell, int width = -1);
    // One line of DrawText, width wide: its pieces between tab stops, and the mark under the
    // character at underline (none when negative).
    void drawTextLine(int x, int y, const QString& text, int width, int underline, const TTextWidths& widths,
                      const TRect* clip, bool opaque);
    // The metrics of the font, kept while its Qt font stays the same.
    const QFontMetrics& fontMetrics();
    // The font's number among the Qt fonts (FontNumber), kept likewise.
    unsigned fontNumber();
    // Whether the text is drawn from the laid-out lines the canvases keep (TextRuns).
    bool drawsFromRuns(std::string_view text) const;
    void drawTextRun(int x, int y, const TTextRun& run, const TRect* clip, bool opaqueCell);
    void setRasterOpForPen();

    TFont font_;
    TPen pen_;
    TBrush brush_;
    TPoint penPos_;
    QPainter* painter_ = nullptr;
    TRect visible_;
    int mirrorWidth_ = -1; // the mirrored width, -1 when not mirrored
    TRect unmirroredVisible_;
    unsigned fontApplied_ = 0;
    unsigned penApplied_ = 0;
    std::optional<QFontMetrics> metrics_;
    unsigned metricsLook_ = 0;
    unsigned fontNumber_ = 0;
    unsigned fontNumberLook_ = 0;
};

// The canvas's clip narrowed to a rectangle for as long as the scope lives; the clip it
// had comes back at the end. Narrowing it further meanwhile is undone too.
class TClipScope {
public:
    TClipScope(TCanvas& canvas, const TRect& rect) : canvas_(canvas), saved_(canvas.SaveClip())
    {
        canvas.IntersectClipRect(rect);
    }
    ~TClipScope() { canvas_.RestoreClip(saved_); }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

private:
    TCanvas& canvas_;
    TCanvas::TClipState saved_;
};

} // namespace ui
