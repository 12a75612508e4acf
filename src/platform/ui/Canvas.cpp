#include "platform/ui/Canvas.h"

#include <algorithm>
#include <cstdlib>

#include <QFontMetrics>
#include <QPolygon>
#include <QTransform>

#include "platform/ui/Bitmap.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TextRuns.h"

namespace ui {

namespace {

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

TRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

Qt::BrushStyle qtBrushStyle(TBrushStyle s)
{
    switch (s) {
    case bsSolid: return Qt::SolidPattern;
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

Qt::PenStyle qtPenStyle(TPenStyle s)
{
    switch (s) {
    // clang-format off
    case psSolid: case psInsideFrame: return Qt::SolidLine;
    // clang-format on
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

// Points of a thin line from (x1, y1) towards (x2, y2), the end point excluded.
QPolygon linePoints(int x1, int y1, int x2, int y2)
{
    QPolygon pts;
    int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    while (!(x1 == x2 && y1 == y2)) {
        pts << QPoint(x1, y1);
        int e2 = 2 * err;
        // clang-format off
        if (e2 >= dy) { err += dy; x1 += sx; }
        if (e2 <= dx) { err += dx; y1 += sy; }
        // clang-format on
    }
    return pts;
}

} // namespace

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::Attach(QPainter* painter, const TRect& visible) { SetPainter(painter, visible); }
void TCanvas::Detach() { SetPainter(nullptr, {}); }

void TCanvas::SetPainter(QPainter* p, const TRect& visible)
{
    painter_ = p;
    visible_ = visible;
    mirrorWidth_ = -1;
    fontApplied_ = 0;
    penApplied_ = 0;
}

bool TCanvas::ready()
{
    if (!painter_) CreateHandle();
    return painter_ != nullptr;
}

QPainter* TCanvas::Handle()
{
    if (!ready()) return nullptr;
    applyFont();
    applyPen();
    painter_->setBrush(QBrush(brushColor(), qtBrushStyle(brush_.Style())));
    return painter_;
}

void TCanvas::applyFont()
{
    // The painter keeps the Qt font until another one is made (a new colour makes none).
    const unsigned look = font_.QFontVersion();
    if (fontApplied_ != look) {
        painter_->setFont(font_.ToQFont());
        fontApplied_ = look;
    }
}

unsigned TCanvas::fontNumber()
{
    const unsigned look = font_.QFontVersion();
    if (fontNumberLook_ != look) {
        fontNumber_ = FontNumber(font_.ToQFont());
        fontNumberLook_ = look;
    }
    return fontNumber_;
}

bool TCanvas::drawsFromRuns(std::string_view text) const
{
    // Turned, mirrored and underlined or struck-out text is drawn as Qt draws a text.
    return font_.Orientation() == 0 && mirrorWidth_ < 0 && !(font_.Style() & (fsUnderline | fsStrikeOut))
           && TTextRuns::Takes(text);
}

const QFontMetrics& TCanvas::fontMetrics()
{
    const unsigned look = font_.QFontVersion();
    if (!metrics_ || metricsLook_ != look) {
        metrics_.emplace(font_.ToQFont());
        metricsLook_ = look;
    }
    return *metrics_;
}

void TCanvas::applyPen()
{
    QPen pen(ToQColor(pen_.Color()));
    pen.setStyle(qtPenStyle(pen_.Style()));
    if (pen_.Width() <= 1) {
        pen.setWidth(0);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setWidth(pen_.Width());
        // clang-format off
        pen.setCapStyle(pen_.EndCap() == pecFlat ? Qt::FlatCap : pen_.EndCap() == pecSquare ? Qt::SquareCap : Qt::RoundCap);
        pen.setJoinStyle(pen_.Join() == pjMiter ? Qt::MiterJoin : pen_.Join() == pjBevel ? Qt::BevelJoin : Qt::RoundJoin);
        // clang-format on
    }
    painter_->setPen(pen);
    penApplied_ = pen_.Version();
}

void TCanvas::setRasterOpForPen()
{
    switch (pen_.Mode()) {
    case pmCopy: painter_->setCompositionMode(QPainter::CompositionMode_SourceOver); break;
    case pmXor: painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case pmNot: painter_->setCompositionMode(QPainter::RasterOp_NotDestination); break;
    case pmNotXor: painter_->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
    }
}

QColor TCanvas::brushColor() const { return ToQColor(brush_.Color()); }

void TCanvas::fillSolid(const QRect& r, const QColor& c)
{
    if (r.width() > 0 && r.height() > 0) painter_->fillRect(r, c);
}

// ---- shapes ----

void TCanvas::FillRect(const TRect& r)
{
    if (brush_.Style() == bsClear || r.IsEmpty() || !ready()) return;
    if (brush_.Style() == bsSolid)
        fillSolid(toQRect(r), brushColor());
    else
        painter_->fillRect(toQRect(r), QBrush(brushColor(), qtBrushStyle(brush_.Style())));
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.IsEmpty() || !ready()) return;
    QColor c = brushColor();
    fillSolid(QRect(r.Left, r.Top, r.Width(), 1), c);
    if (r.Height() > 1) fillSolid(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
    fillSolid(QRect(r.Left, r.Top + 1, 1, r.Height() - 2), c);
    if (r.Width() > 1) fillSolid(QRect(r.Right - 1, r.Top + 1, 1, r.Height() - 2), c);
}

void TCanvas::Rectangle(const TRect& r)
{
    if (r.IsEmpty() || !ready()) return;
    setRasterOpForPen();
    bool hollow = brush_.Style() == bsClear;
    if (pen_.Style() == psClear) {
        if (!hollow) fillSolid(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), brushColor());
    } else if (pen_.Width() <= 1 && pen_.Style() == psSolid) {
        if (!hollow) fillSolid(QRect(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2), brushColor());
        QColor c = ToQColor(pen_.Color());
        fillSolid(QRect(r.Left, r.Top, r.Width(), 1), c);
        if (r.Height() > 1) fillSolid(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
        fillSolid(QRect(r.Left, r.Top + 1, 1, r.Height() - 2), c);
        if (r.Width() > 1) fillSolid(QRect(r.Right - 1, r.Top + 1, 1, r.Height() - 2), c);
    } else {
        int w = std::max(1, pen_.Width());
        if (!hollow) fillSolid(QRect(r.Left + w, r.Top + w, r.Width() - 2 * w, r.Height() - 2 * w), brushColor());
        applyPen();
        painter_->setBrush(Qt::NoBrush);
        QRectF inner(r.Left + w / 2.0, r.Top + w / 2.0, r.Width() - w, r.Height() - w);
        painter_->drawRect(inner);
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::drawThinLine(int x1, int y1, int x2, int y2)
{
    QColor c = ToQColor(pen_.Color());
    if (pen_.Style() == psSolid || pen_.Style() == psInsideFrame) {
        if (y1 == y2) {
            int a = x2 > x1 ? x1 : x2 + 1, b = x2 > x1 ? x2 : x1 + 1;
            fillSolid(QRect(a, y1, b - a, 1), c);
            return;
        }
        if (x1 == x2) {
            int a = y2 > y1 ? y1 : y2 + 1, b = y2 > y1 ? y2 : y1 + 1;
            fillSolid(QRect(x1, a, 1, b - a), c);
            return;
        }
        QPen pen(c, 0);
        painter_->setPen(pen);
        painter_->drawPoints(linePoints(x1, y1, x2, y2));
        penApplied_ = 0;
        return;
    }
    applyPen();
    painter_->drawLine(x1, y1, x2, y2);
}

void TCanvas::LineTo(int x, int y)
{
    if (ready() && pen_.Style() != psClear) {
        setRasterOpForPen();
        if (pen_.Width() <= 1) {
            drawThinLine(penPos_.X, penPos_.Y, x, y);
        } else {
            applyPen();
            painter_->drawLine(penPos_.X, penPos_.Y, x, y);
        }
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    penPos_ = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    PolyPolyline(points, {static_cast<int>(points.size())});
}

void TCanvas::PolyPolyline(const std::vector<TPoint>& points, const std::vector<int>& counts)
{
    if (!ready() || pen_.Style() == psClear) return;
    setRasterOpForPen();
    std::size_t at = 0;
    bool thin = pen_.Width() <= 1;
    if (!thin) applyPen();
    for (int n : counts) {
        if (n < 0 || at + static_cast<std::size_t>(n) > points.size()) break;
        if (thin) {
            for (int i = 1; i < n; ++i) {
                const TPoint& a = points[at + i - 1];
                const TPoint& b = points[at + i];
                drawThinLine(a.X, a.Y, b.X, b.Y);
            }
        } else if (n > 1) {
            QPolygon poly;
            for (int i = 0; i < n; ++i) poly << QPoint(points[at + i].X, points[at + i].Y);
            painter_->drawPolyline(poly);
        }
        at += static_cast<std::size_t>(n);
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (!ready() || points.size() < 2) return;
    setRasterOpForPen();
    applyPen();
    painter_->setBrush(brush_.Style() == bsClear ? QBrush(Qt::NoBrush) : QBrush(brushColor(), qtBrushStyle(brush_.Style())));
    QPolygon poly;
    for (const TPoint& p : points) poly << QPoint(p.X, p.Y);
    painter_->drawPolygon(poly);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::SetPixel(int x, int y, TColor c)
{
    if (ready()) fillSolid(QRect(x, y, 1, 1), ToQColor(c));
}

bool TCanvas::DrawEdge(TRect& r, unsigned edge, unsigned flags)
{
    if (r.IsEmpty()) return false;
    if (!ready()) return false;
    // clang-format off
    struct Ring { bool present; TColor topLeft; TColor bottomRight; };
    // clang-format on
    Ring outer{false, 0, 0}, inner{false, 0, 0};
    if (flags & BF_MONO) {
        outer = {(edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) != 0, clWindowFrame, clWindowFrame};
        inner = {(edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) != 0, clWindow, clWindow};
    } else if (flags & BF_FLAT) {
        outer = {(edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) != 0, clBtnShadow, clBtnShadow};
        inner = {(edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) != 0, clBtnFace, clBtnFace};
    } else {
        if (edge & BDR_RAISEDOUTER) outer = {true, cl3DLight, cl3DDkShadow};
        else if (edge & BDR_SUNKENOUTER) outer = {true, clBtnShadow, clBtnHighlight};
        if (edge & BDR_RAISEDINNER) inner = {true, clBtnHighlight, clBtnShadow};
        else if (edge & BDR_SUNKENINNER) inner = {true, cl3DDkShadow, cl3DLight};
    }
    TRect cur = r;
    auto drawRing = [&](const Ring& ring) {
        if (!ring.present || cur.IsEmpty()) return;
        QColor tl = ToQColor(ring.topLeft), br = ToQColor(ring.bottomRight);
        // Top and left stop one pixel short; bottom and right take the corners.
        if (flags & BF_TOP) fillSolid(QRect(cur.Left, cur.Top, cur.Width() - 1, 1), tl);
        if (flags & BF_LEFT) fillSolid(QRect(cur.Left, cur.Top, 1, cur.Height() - 1), tl);
        if (flags & BF_BOTTOM) fillSolid(QRect(cur.Left, cur.Bottom - 1, cur.Width(), 1), br);
        if (flags & BF_RIGHT) fillSolid(QRect(cur.Right - 1, cur.Top, 1, cur.Height()), br);
        if (flags & BF_LEFT) ++cur.Left;
        if (flags & BF_TOP) ++cur.Top;
        if (flags & BF_RIGHT) --cur.Right;
        if (flags & BF_BOTTOM) --cur.Bottom;
    };
    drawRing(outer);
    drawRing(inner);
    if ((flags & BF_MIDDLE) && !cur.IsEmpty())
        fillSolid(toQRect(cur), ToQColor((flags & BF_MONO) ? clWindow : clBtnFace));
    if (flags & BF_ADJUST) r = cur;
    return true;
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (r.IsEmpty() || !ready()) return;
    // Every other pixel of the frame, each pixel once, so a second call restores it.
    QPolygon pts;
    auto add = [&](int x, int y) { if (((x + y) & 1) == 0) pts << QPoint(x, y); };
    int w = std::max(1, Metrics().FocusBorderWidth);
    for (int k = 0; k < w; ++k) {
        int l = r.Left + k, t = r.Top + k, rr = r.Right - 1 - k, b = r.Bottom - 1 - k;
        if (l > rr || t > b) break;
        for (int x = l; x <= rr; ++x) add(x, t);
        // clang-format off
        if (b != t) for (int x = l; x <= rr; ++x) add(x, b);
        for (int y = t + 1; y < b; ++y) add(l, y);
        if (rr != l) for (int y = t + 1; y < b; ++y) add(rr, y);
        // clang-format on
    }
    painter_->save();
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_->setPen(QPen(QColor(255, 255, 255), 0));
    painter_->drawPoints(pts);
    painter_->restore();
    penApplied_ = 0;
}

// ---- text ----

int TCanvas::TextWidth(std::string_view text)
{
    // A line kept for drawing knows its width (the same as measured).
    if (TTextRuns::Takes(text))
        if (const TTextRun* run = TextRuns().Find(fontNumber(), text)) return run->Width;
    return fontMetrics().horizontalAdvance(ToQString(text));
}

int TCanvas::TextHeight(std::string_view) { return fontMetrics().height(); }

TSize TCanvas::TextExtent(std::string_view text) { return {TextWidth(text), TextHeight(text)}; }

TTextMetric TCanvas::TextMetrics()
{
    const QFontMetrics& fm = fontMetrics();
    TTextMetric tm;
    tm.Ascent = fm.ascent();
    tm.Descent = fm.descent();
    tm.Height = fm.height();
    tm.InternalLeading = std::max(0, tm.Height - font_.ToQFont().pixelSize());
    tm.ExternalLeading = std::max(0, fm.leading());
    tm.AveCharWidth = fm.averageCharWidth();
    tm.MaxCharWidth = fm.maxWidth();
    tm.Overhang = (font_.Style() & fsItalic) ? std::max(0, -fm.minRightBearing()) : 0;
    return tm;
}

void TCanvas::drawTextCell(int x, int y, const QString& text, const TRect* clip, bool opaqueCell, int width)
{
    applyFont();
    const QFontMetrics& fm = fontMetrics();
    const bool mirrored = mirrorWidth_ >= 0;
    // Measuring shapes the text a second time: only for a box that is filled or mirrored.
    if (width < 0 && (opaqueCell || mirrored)) width = fm.horizontalAdvance(text);
    const int height = fm.height();
    painter_->save();
    if (clip) {
        if (painter_->hasClipping())
            painter_->setClipRect(toQRect(*clip), Qt::IntersectClip);
        else
            painter_->setClipRect(toQRect(*clip));
    }
    if (mirrored) {
        // The text's box (turned with the font) is mirrored as a whole; the glyphs are not.
        QTransform turn;
        turn.rotate(-font_.Orientation() / 10.0);
        const QRect box = turn.mapRect(QRect(0, 0, width, height));
        painter_->translate(x + 2 * box.left() + box.width(), y);
        painter_->scale(-1, 1);
    } else {
        painter_->translate(x, y);
    }
    if (font_.Orientation() != 0) painter_->rotate(-font_.Orientation() / 10.0);
    if (opaqueCell) painter_->fillRect(QRect(0, 0, width, height), brushColor());
    painter_->setPen(ToQColor(font_.Color()));
    painter_->drawText(QPoint(0, fm.ascent()), text);
    painter_->restore();
    penApplied_ = 0;
}

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    ExtTextOut(x, y, 0, nullptr, text);
    penPos_ = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text)
{
    unsigned options = ETO_CLIPPED;
    if (brush_.Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOut(x, y, options, &r, text);
}

void TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* r, std::string_view text)
{
    if (!ready()) return;
    const bool filled = r && (options & ETO_OPAQUE);
    if (filled) fillSolid(toQRect(*r), brushColor());
    const TRect* clip = (r && (options & ETO_CLIPPED)) ? r : nullptr;
    // Text clipped to a rectangle already filled needs no background of its own.
    const bool opaque = brush_.Style() != bsClear && !(filled && clip);
    const TTextRun* run = drawsFromRuns(text) ? TextRuns().Use(font_.ToQFont(), fontNumber(), text) : nullptr;
    if (run)
        drawTextRun(x, y, *run, clip, opaque);
    else
        drawTextCell(x, y, ToQString(text), clip, opaque);
}

void TCanvas::drawTextRun(int x, int y, const TTextRun& run, const TRect* clip, bool opaqueCell)
{
    applyFont();
    const QFontMetrics& fm = fontMetrics();
    painter_->save();
    if (clip) painter_->setClipRect(toQRect(*clip), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter_->translate(x, y);
    if (opaqueCell) painter_->fillRect(QRect(0, 0, run.Width, fm.height()), brushColor());
    painter_->setPen(ToQColor(font_.Color()));
    // The baseline where a drawn text has it.
    const QPointF origin(0, fm.ascent() - run.Ascent);
    for (const QGlyphRun& glyphs : run.Glyphs) painter_->drawGlyphRun(origin, glyphs);
    painter_->restore();
    penApplied_ = 0;
}

// How wide a line of DrawText is: with tab expansion every tab moves to the next stop.
struct TTextWidths {
    const QFontMetrics& Metrics;
    int TabWidth;
    bool ExpandTabs;

    bool HasTabs(const QString& s) const { return ExpandTabs && s.contains(u'\t'); }

    // Calls part(text, x) for each piece between tabs, at its offset from the line's start;
    // returns the line's width.
    template <typename Part>
    int ForEachTabPart(const QString& s, Part&& part) const
    {
        int x = 0;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= s.size(); ++i) {
            if (i == s.size() || s[i] == u'\t') {
                const QString piece = s.mid(start, i - start);
                part(piece, x);
                x += Metrics.horizontalAdvance(piece);
                if (i < s.size()) x = (x / TabWidth + 1) * TabWidth;
                start = i + 1;
            }
        }
        return x;
    }

    int Of(const QString& s) const
    {
        if (!HasTabs(s)) return Metrics.horizontalAdvance(s);
        return ForEachTabPart(s, [](const QString&, int) {});
    }
};

namespace {

struct TLine {
    QString Text;
    int Underline = -1; // index of the character marked by '&', or -1
};

// Removes the '&' marks; "&&" stands for one '&'.
TLine stripPrefix(const QString& s)
{
    TLine line;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            // clang-format off
            if (i + 1 < s.size() && s[i + 1] == u'&') { line.Text += u'&'; ++i; continue; }
            // clang-format on
            if (i + 1 < s.size() && line.Underline < 0) line.Underline = static_cast<int>(line.Text.size());
            continue;
        }
        line.Text += s[i];
    }
    return line;
}

// The lines of text and the '&' marks of each, unless the format says to keep them.
class TLineBuilder {
public:
    TLineBuilder(unsigned format, const TTextWidths& widths, const QFont& font, int areaWidth)
        : format_(format), widths_(widths), fine_(font), areaWidth_(areaWidth) {}

    std::vector<TLine> Build(const QString& all)
    {
        if (format_ & DT_SINGLELINE) {
            QString s = all;
            s.remove(u'\r');
            s.remove(u'\n');
            Add(s);
            return std::move(lines_);
        }
        QString norm = all;
        norm.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        norm.replace(u'\r', u'\n');
        for (const QString& paragraph : norm.split(u'\n')) {
            if (format_ & DT_WORDBREAK) Wrap(paragraph);
            else Add(paragraph);
        }
        return std::move(lines_);
    }

private:
    void Add(const QString& s) { lines_.push_back((format_ & DT_NOPREFIX) ? TLine{s, -1} : stripPrefix(s)); }

    // A word (empty only at a paragraph that starts with blanks) and the blanks after it.
    struct TToken {
        qsizetype Start, WordEnd, End;
    };

    // Greedy word wrap at blanks; a word wider than the area keeps a line of its own. A
    // line takes the words after its first while the text from its start to the word's end
    // fits. Where that ends is guessed from each word's own width and then measured: at
    // the guess when it is right, by a doubling search from it when it is not. So a
    // paragraph costs time about linear in its length, however long its lines.
    void Wrap(const QString& paragraph)
    {
        std::vector<TToken> tokens;
        for (qsizetype i = 0; i < paragraph.size();) {
            qsizetype j = i;
            while (j < paragraph.size() && paragraph[j] != u' ') ++j;
            qsizetype k = j;
            while (k < paragraph.size() && paragraph[k] == u' ') ++k;
            tokens.push_back({i, j, k});
            i = k;
        }
        if (tokens.empty()) {
            Add(paragraph);
            return;
        }
        // The estimated width from the paragraph's start to each token, and of each word.
        const std::size_t count = tokens.size();
        std::vector<double> before(count + 1, 0.0), word(count, 0.0);
        for (std::size_t t = 0; t < count; ++t) {
            const TToken& token = tokens[t];
            word[t] = fine_.horizontalAdvance(paragraph.mid(token.Start, token.WordEnd - token.Start));
            const double blanks = fine_.horizontalAdvance(paragraph.mid(token.WordEnd, token.End - token.WordEnd));
            before[t + 1] = before[t] + word[t] + blanks;
        }
        const auto text = [&](std::size_t first, std::size_t last) {
            return paragraph.mid(tokens[first].Start, tokens[last].WordEnd - tokens[first].Start);
        };
        bool broken = false;
        for (std::size_t first = 0; first < count;) {
            // Measured whole: does the line from first take the words up to last?
            const auto fits = [&](std::size_t last) {
                const QString line = text(first, last);
                return widths_.Of((format_ & DT_NOPREFIX) ? line : stripPrefix(line).Text) <= areaWidth_;
            };
            const auto seemsToFit = [&](long long last) {
                const auto t = static_cast<std::size_t>(last);
                return before[t] - before[first] + word[t] <= areaWidth_;
            };
            const auto guess = static_cast<std::size_t>(
                LongestFitting(static_cast<long long>(first) + 1, static_cast<long long>(count) - 1, seemsToFit) + 1);
            const std::size_t next = FirstNotFitting(first, guess, count, fits);
            if (next == count) {
                QString last = paragraph.mid(tokens[first].Start);
                while (last.endsWith(u' ') && broken) last.chop(1);
                Add(last);
                return;
            }
            Add(text(first, next - 1));
            broken = true;
            first = next;
        }
    }

    // The first of the words after first that the line cannot take (count when it takes
    // all), searched from a guess; fits holds up to some word and not after it.
    template <typename Fits>
    static std::size_t FirstNotFitting(std::size_t first, std::size_t guess, std::size_t count, Fits& fits)
    {
        // The line takes yes (first always) and not no (count: every word fits).
        std::size_t yes = first, no = guess;
        if (guess < count && fits(guess)) {
            yes = guess;
            for (std::size_t step = 1;; step *= 2) {
                no = yes + step;
                if (no >= count) {
                    no = count;
                    break;
                }
                if (!fits(no)) break;
                yes = no;
            }
        } else {
            for (std::size_t step = 1;; step *= 2) {
                if (no - first <= step) break;
                const std::size_t probe = no - step;
                if (fits(probe)) {
                    yes = probe;
                    break;
                }
                no = probe;
            }
        }
        const long long last = LongestFitting(static_cast<long long>(yes) + 1, static_cast<long long>(no) - 1,
                                              [&](long long n) { return fits(static_cast<std::size_t>(n)); });
        return static_cast<std::size_t>(last + 1);
    }

    unsigned format_;
    const TTextWidths& widths_;
    const QFontMetricsF fine_;
    int areaWidth_;
    std::vector<TLine> lines_;
};

// End ellipsis: a line too wide keeps the longest start that fits with "..." after it.
void CutWithEllipsis(std::vector<TLine>& lines, const TTextWidths& widths, int areaWidth)
{
    for (TLine& line : lines) {
        if (widths.Of(line.Text) <= areaWidth) continue;
        const auto fits = [&](long long n) {
            return widths.Of(line.Text.left(static_cast<qsizetype>(n)) + QStringLiteral("...")) <= areaWidth;
        };
        const long long n = std::max(0LL, LongestFitting(1, static_cast<long long>(line.Text.size()) - 1, fits));
        const QString cut = line.Text.left(static_cast<qsizetype>(n)) + QStringLiteral("...");
        if (line.Underline >= 0 && line.Underline >= cut.size() - 3) line.Underline = -1;
        line.Text = cut;
    }
}

} // namespace

void TCanvas::drawTextLine(int x, int y, const QString& text, int width, int underline, const TTextWidths& widths,
                           const TRect* clip, bool opaque)
{
    if (widths.HasTabs(text)) {
        widths.ForEachTabPart(text, [&](const QString& part, int offset) {
            drawTextCell(x + offset, y, part, clip, opaque);
        });
    } else {
        drawTextCell(x, y, text, clip, opaque, width);
    }
    if (underline < 0) return;
    const QFontMetrics& fm = widths.Metrics;
    const int ux = x + fm.horizontalAdvance(text.left(underline));
    const int uw = fm.horizontalAdvance(text.mid(underline, 1));
    painter_->save();
    if (clip) painter_->setClipRect(toQRect(*clip), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter_->fillRect(QRect(ux, y + fm.ascent() + 1, uw, 1), ToQColor(font_.Color()));
    painter_->restore();
}

int TCanvas::DrawText(std::string_view text8, TRect& r, unsigned format, const TDrawTextParams* params)
{
    const TDrawTextParams p = params ? *params : TDrawTextParams{};
    const QFontMetrics& fm = fontMetrics();
    const int lineHeight = fm.height() + ((format & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
    const int tabWidth = std::max(1, (p.TabLength > 0 ? p.TabLength : 8) * std::max(1, fm.averageCharWidth()));
    const TTextWidths widths{fm, tabWidth, (format & DT_EXPANDTABS) != 0};
    const TRect area{r.Left + p.LeftMargin, r.Top, r.Right - p.RightMargin, r.Bottom};
    const int areaWidth = std::max(0, area.Width());

    std::vector<TLine> lines = TLineBuilder(format, widths, font_.ToQFont(), areaWidth).Build(ToQString(text8));
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) CutWithEllipsis(lines, widths, areaWidth);

    int widest = 0;
    for (const TLine& line : lines) widest = std::max(widest, widths.Of(line.Text));
    const int totalHeight = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        r.Right = r.Left + p.LeftMargin + widest + p.RightMargin;
        r.Bottom = r.Top + totalHeight;
        return totalHeight;
    }

    int top = r.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = r.Top + (r.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM) top = r.Bottom - lineHeight;
    }
    if (!ready()) return (top - r.Top) + totalHeight;

    const bool opaque = brush_.Style() != bsClear;
    const TRect* clip = (format & DT_NOCLIP) ? nullptr : &r;
    int y = top;
    for (const TLine& line : lines) {
        const int lw = widths.Of(line.Text);
        int x = area.Left;
        if (format & DT_CENTER) x = area.Left + (area.Width() - lw) / 2;
        else if (format & DT_RIGHT) x = area.Right - lw;
        drawTextLine(x, y, line.Text, lw, line.Underline, widths, clip, opaque);
        y += lineHeight;
    }
    return (top - r.Top) + totalHeight;
}

void TCanvas::SetRightToLeftMapping(bool on, int width)
{
    if (!ready() || on == RightToLeftMapping()) return;
    const QTransform flip(-1, 0, 0, 1, on ? width : mirrorWidth_, 0);
    painter_->setTransform(flip, true);
    if (on) {
        mirrorWidth_ = width;
        unmirroredVisible_ = visible_;
        visible_ = {width - visible_.Right, visible_.Top, width - visible_.Left, visible_.Bottom};
    } else {
        mirrorWidth_ = -1;
        visible_ = unmirroredVisible_;
    }
}

// ---- clipping ----

TCanvas::TClipState TCanvas::SaveClip()
{
    if (!ready()) return {};
    return {painter_->hasClipping(), painter_->clipRegion()};
}

void TCanvas::RestoreClip(const TClipState& s)
{
    if (!ready()) return;
    if (s.Clipping)
        painter_->setClipRegion(s.Region);
    else
        painter_->setClipping(false);
}

void TCanvas::IntersectClipRect(const TRect& r)
{
    if (!ready()) return;
    if (painter_->hasClipping())
        painter_->setClipRect(toQRect(r), Qt::IntersectClip);
    else
        painter_->setClipRect(toQRect(r));
}

void TCanvas::ExcludeClipRect(const TRect& r)
{
    if (!ready()) return;
    QRegion current = painter_->hasClipping() ? painter_->clipRegion() : QRegion(toQRect(visible_));
    painter_->setClipRegion(current.subtracted(QRegion(toQRect(r))));
}

TRect TCanvas::ClipRect()
{
    if (!ready()) return {};
    if (painter_->hasClipping())
        return fromQRect(painter_->clipBoundingRect().toAlignedRect()).Intersected(visible_);
    return visible_;
}

// ---- images ----

void TCanvas::Draw(int x, int y, const TBitmap& bitmap)
{
    if (bitmap.Empty() || !ready()) return;
    painter_->drawImage(QPoint(x, y), bitmap.DrawingImage());
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& bitmap)
{
    if (bitmap.Empty() || r.IsEmpty() || !ready()) return;
    painter_->drawImage(toQRect(r), bitmap.DrawingImage());
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect)
{
    if (source.Empty() || dest.IsEmpty() || !ready()) return;
    painter_->drawImage(toQRect(dest), source.Image(), toQRect(sourceRect));
}

} // namespace ui
