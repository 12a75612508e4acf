#include "controls/editors/ButtonPainting.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QFontMetrics>
#include <QImage>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Metrics.h"

namespace editors {

namespace {

// What a face looks like; faces with equal keys are the same pixels.
struct TFaceKey {
    int Width = 0;
    int Height = 0;
    TButtonPaintKindEx Kind = bpkDropDownEx;
    bool Pressed = false;
    bool Bottom = false; // the lower half of an up/down pair
    bool Active = false;
    bool Flat = false;
    bool Enabled = true;
    ui::TCheckState CheckState = ui::csUnchecked;
    bool Themed = false;
    friend bool operator==(const TFaceKey&, const TFaceKey&) = default;
};

// Faces up to this many pixels are cached; a larger one would hold much memory for
// a face that is rarely drawn twice.
constexpr int kLargestCachedFace = 128 * 128;

std::uint64_t& facesPainted()
{
    static std::uint64_t count = 0;
    return count;
}

class TButtonsBitmapCache {
public:
    TButtonsBitmapCache()
    {
        ui::SysColorChangeListeners().Add(rtl::Delegate<void()>::FromFunction([this] { Clear(); }));
    }

    // The cached face for key, painted by paint on a miss.
    template <typename Paint>
    const ui::TBitmap& Find(const TFaceKey& key, Paint&& paint)
    {
        ++useClock_;
        for (TEntry& e : entries_)
            if (e.Key == key) {
                e.LastUse = useClock_;
                return *e.Bitmap;
            }
        if (static_cast<int>(entries_.size()) >= ButtonsBitmapCacheCapacity) evictOldest();
        // Transparent where the face paints nothing (the round corners of a themed face).
        QImage clear(key.Width, key.Height, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        auto bitmap = std::make_unique<ui::TBitmap>();
        bitmap->SetImage(clear);
        paint(bitmap->Canvas(), ui::TRect{0, 0, key.Width, key.Height});
        entries_.push_back({key, std::move(bitmap), useClock_});
        return *entries_.back().Bitmap;
    }

    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }
    bool Enabled = true;

private:
    struct TEntry {
        TFaceKey Key;
        std::unique_ptr<ui::TBitmap> Bitmap;
        std::uint64_t LastUse = 0;
    };

    void evictOldest()
    {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [](const TEntry& a, const TEntry& b) { return a.LastUse < b.LastUse; });
        if (oldest != entries_.end()) entries_.erase(oldest);
    }

    std::vector<TEntry> entries_;
    std::uint64_t useClock_ = 0;
};

TButtonsBitmapCache& cache()
{
    static TButtonsBitmapCache instance;
    return instance;
}

bool themed() { return ui::ThemeServices().ThemesEnabled(); }

void fill(ui::TCanvas& c, const ui::TRect& r, ui::TColor color)
{
    c.Brush().SetColor(color);
    c.FillRect(r);
}

void frame(ui::TCanvas& c, const ui::TRect& r, ui::TColor color)
{
    c.Brush().SetColor(color);
    c.FrameRect(r);
}

unsigned themeState(bool pressed, bool active, bool enabled)
{
    if (!enabled) return ui::tsDisabled;
    if (pressed) return ui::tsPressed;
    return active ? ui::tsHot : ui::tsNormal;
}

unsigned frameControlState(bool pressed, bool flat, bool enabled)
{
    unsigned s = 0;
    if (pressed) s |= ui::DFCS_PUSHED;
    if (flat) s |= ui::DFCS_FLAT;
    if (!enabled) s |= ui::DFCS_INACTIVE;
    return s;
}

// Small squares or bars in the text colour; disabled ones etched (highlight below right, then shadow).
void drawMarks(ui::TCanvas& c, const std::vector<ui::TRect>& marks, bool enabled)
{
    auto draw = [&](int offset, ui::TColor color) {
        for (const ui::TRect& m : marks) fill(c, m.Offsetted(offset, offset), color);
    };
    if (enabled) {
        draw(0, ui::clBtnText);
    } else {
        draw(1, ui::clBtnHighlight);
        draw(0, ui::clBtnShadow);
    }
}

void drawPushFace(ui::TCanvas& c, const ui::TRect& r, bool pressed, bool active, bool flat, bool enabled)
{
    if (themed()) {
        const ui::TThemedPart part = flat && active ? ui::tpToolButton : ui::tpPushButton;
        ui::ThemeServices().DrawPart(c, part, r, themeState(pressed, active, enabled));
    } else if (flat) {
        fill(c, r, ui::clBtnFace);
    } else {
        c.DrawEdge(r, pressed ? ui::EDGE_SUNKEN : ui::EDGE_RAISED, ui::BF_RECT | ui::BF_MIDDLE);
    }
}

void drawEllipsis(ui::TCanvas& c, const ui::TRect& r, bool pressed, bool enabled)
{
    const int dot = r.Width() < 8 ? 1 : 2;
    const int gap = r.Width() < 12 ? 1 : 2;
    int x = r.Left + (r.Width() - (3 * dot + 2 * gap)) / 2;
    int y = r.Top + (r.Height() - dot) / 2;
    if (pressed) {
        ++x;
        ++y;
    }
    std::vector<ui::TRect> dots;
    for (int i = 0; i < 3; ++i) dots.push_back(ui::Bounds(x + i * (dot + gap), y, dot, dot));
    drawMarks(c, dots, enabled);
}

void drawSign(ui::TCanvas& c, const ui::TRect& r, bool plus, bool pressed, bool flat, bool enabled)
{
    const int side = std::min(r.Width(), r.Height());
    int length = side * 4 / 7 - (flat ? 1 : 0);
    length = std::max(1, length);
    // The same parity as the side, so that the bar sits exactly in the middle.
    if ((side - length) % 2 != 0) length += length > 1 ? -1 : 1;
    const int thickness = std::max(1, length / 3);
    const int shift = pressed ? 1 : 0;
    std::vector<ui::TRect> bars{ui::Bounds(r.Left + (r.Width() - length) / 2 + shift,
                                           r.Top + (r.Height() - thickness) / 2 + shift, length, thickness)};
    if (plus)
        bars.push_back(ui::Bounds(r.Left + (r.Width() - thickness) / 2 + shift,
                                  r.Top + (r.Height() - length) / 2 + shift, thickness, length));
    drawMarks(c, bars, enabled);
}

void drawCheckBoxFace(ui::TCanvas& c, const ui::TRect& r, bool pressed, bool active, bool flat, bool enabled,
                      ui::TCheckState check)
{
    if (themed()) {
        ui::ThemeServices().DrawPart(c, ui::tpCheckBox, r, themeState(pressed, active, enabled), check);
        return;
    }
    unsigned state = ui::DFCS_BUTTONCHECK;
    if (check != ui::csUnchecked) state |= ui::DFCS_CHECKED;
    if (check == ui::csGrayed) state |= ui::DFCS_BUTTON3STATE;
    if (!enabled) state |= ui::DFCS_INACTIVE;
    if (pressed) state |= ui::DFCS_PUSHED;
    if (!flat) {
        ui::DrawFrameControl(c, r, ui::DFC_BUTTON, state);
        return;
    }
    // Flat: the sunken box without its outer ring, framed in one colour instead.
    {
        const ui::TClipScope clip(c, r.Inflated(-1, -1));
        ui::DrawFrameControl(c, r, ui::DFC_BUTTON, state);
    }
    frame(c, r, active ? ui::clBtnFace : ui::clBtnShadow);
}

// Paints one face in r, clipped to r.
void paintFace(ui::TCanvas& c, const ui::TRect& r, const TFaceKey& key)
{
    ++facesPainted();
    if (key.Kind == bpkCheckBoxEx) {
        const ui::TClipScope clip(c, r);
        drawCheckBoxFace(c, r, key.Pressed, key.Active, key.Flat, key.Enabled, key.CheckState);
        return;
    }
    const bool flatClassic = key.Flat && !key.Themed;
    const bool edgeInside = flatClassic && key.Active;
    {
        const ui::TClipScope clip(c, edgeInside ? r.Inflated(-1, -1) : r);
        // A flat face is drawn larger than r, so that its own 3D edges fall outside.
        const ui::TRect face = flatClassic ? r.Inflated(key.Active ? 1 : 2, key.Active ? 1 : 2) : r;
        const unsigned flatState = frameControlState(key.Pressed, key.Flat, key.Enabled);
        switch (key.Kind) {
        case bpkDropDownEx:
            if (key.Themed)
                ui::ThemeServices().DrawPart(c, ui::tpDropDown, face, themeState(key.Pressed, key.Active, key.Enabled));
            else
                ui::DrawFrameControl(c, face, ui::DFC_SCROLL, ui::DFCS_SCROLLCOMBOBOX | flatState);
            break;
        case bpkUpDownEx:
            if (key.Themed)
                ui::ThemeServices().DrawPart(c, key.Bottom ? ui::tpSpinDown : ui::tpSpinUp, face,
                                             themeState(key.Pressed, key.Active, key.Enabled));
            else
                ui::DrawFrameControl(c, face, ui::DFC_SCROLL,
                                     (key.Bottom ? ui::DFCS_SCROLLDOWN : ui::DFCS_SCROLLUP) | flatState);
            break;
        case bpkEllipsisEx:
            drawPushFace(c, face, key.Pressed, key.Active, key.Flat, key.Enabled);
            drawEllipsis(c, r, key.Pressed, key.Enabled);
            break;
        case bpkPlusEx:
        case bpkMinusEx:
            drawPushFace(c, face, key.Pressed, key.Active, key.Flat, key.Enabled);
            drawSign(c, r, key.Kind == bpkPlusEx, key.Pressed, key.Flat, key.Enabled);
            break;
        case bpkCheckBoxEx:
            break;
        }
    }
    if (edgeInside) c.DrawEdge(r, key.Pressed ? ui::BDR_SUNKENOUTER : ui::BDR_RAISEDINNER, ui::BF_RECT);
}

// Draws the face for key into r, from the cache when it may be cached.
void drawFace(ui::TCanvas& c, const ui::TRect& r, TFaceKey key)
{
    if (r.IsEmpty()) return;
    key.Width = r.Width();
    key.Height = r.Height();
    key.Themed = themed();
    if (!cache().Enabled || key.Width * key.Height > kLargestCachedFace) {
        paintFace(c, r, key);
        return;
    }
    const ui::TBitmap& bitmap =
        cache().Find(key, [&](ui::TCanvas& target, const ui::TRect& area) { paintFace(target, area, key); });
    c.StretchDraw(r, bitmap);
}

// The largest square centred in r; an odd surplus goes to the right or bottom.
ui::TRect centredSquare(const ui::TRect& r)
{
    const int side = std::min(r.Width(), r.Height());
    const int left = r.Left + (r.Width() - side) / 2;
    const int top = r.Top + (r.Height() - side) / 2;
    return ui::Bounds(left, top, side, side);
}

} // namespace

void PaintButtonControlEx(ui::TCanvas& Canvas, const ui::TRect& Rect, ui::TColor ParentColor,
                          ui::TCheckState CheckState, bool Enabled, bool Active, bool Flat, int DownHalf,
                          TButtonPaintKindEx Kind)
{
    if (Rect.IsEmpty()) return;
    const ui::TColor savedBrush = Canvas.Brush().Color();
    const ui::TBrushStyle savedBrushStyle = Canvas.Brush().Style();
    TFaceKey key;
    key.Kind = Kind;
    key.Active = Active;
    key.Flat = Flat;
    key.Enabled = Enabled;
    key.Pressed = DownHalf != 0;

    if (Kind == bpkCheckBoxEx) {
        const ui::TRect square = centredSquare(Rect);
        key.CheckState = CheckState;
        drawFace(Canvas, Flat ? square.Inflated(-1, -1) : square, key);
        if (Flat) {
            if (Active) Canvas.DrawEdge(square, ui::BDR_SUNKENOUTER, ui::BF_RECT);
            else frame(Canvas, square, ParentColor);
        }
    } else {
        const bool framed = Flat && !Active && !themed();
        const ui::TRect r = framed ? Rect.Inflated(-1, -1) : Rect;
        if (Kind == bpkUpDownEx) {
            const int half = r.Height() / 2;
            key.Pressed = DownHalf == 1;
            drawFace(Canvas, {r.Left, r.Top, r.Right, r.Top + half}, key);
            key.Pressed = DownHalf == 2;
            key.Bottom = true;
            drawFace(Canvas, {r.Left, r.Bottom - half, r.Right, r.Bottom}, key);
            // The row between the halves; flat halves have no edges, so they always get one.
            if (r.Height() % 2 != 0 || Flat)
                fill(Canvas, {r.Left, r.Top + half, r.Right, r.Top + half + 1}, ParentColor);
        } else {
            drawFace(Canvas, r, key);
        }
        if (framed) frame(Canvas, Rect, ParentColor);
    }
    Canvas.Brush().SetColor(savedBrush);
    Canvas.Brush().SetStyle(savedBrushStyle);
}

int DefaultEditButtonHeight(int Width, bool Flat)
{
    if (!Flat) return Width;
    return static_cast<int>(rtl::Round(Width * 3.0 / 2.0));
}

int GetDefaultFlatButtonWidth()
{
    const ui::TFont systemFont;
    const int textHeight = QFontMetrics(systemFont.ToQFont()).height();
    int width = static_cast<int>(rtl::Round(textHeight * 2.0 / 3.0));
    if (width % 2 == 0) ++width;
    return std::min(width, ui::Metrics().VScrollWidth);
}

void ClearButtonsBitmapCache() { cache().Clear(); }
bool ButtonsBitmapCacheEnabled() { return cache().Enabled; }
void SetButtonsBitmapCacheEnabled(bool enabled) { cache().Enabled = enabled; }
int ButtonsBitmapCacheCount() { return cache().Count(); }
std::uint64_t ButtonFacesPainted() { return facesPainted(); }

} // namespace editors
