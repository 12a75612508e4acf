#include "platform/ui/Graphics.h"

#include <cmath>
#include <map>

#include "platform/ui/Metrics.h"
#include "platform/ui/QtText.h"

namespace ui {

TColor ColorToRGB(TColor c)
{
    if (IsSystemColor(c)) {
        int index = c & 0xFF;
        if (index < SysColorCount) return SysColors()[index];
        return clBlack;
    }
    return c;
}

QColor ToQColor(TColor c)
{
    if (c == clNone) return QColor(Qt::transparent);
    if (c == clDefault) return QColor(Qt::black);
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c)
{
    return RGB(c.red(), c.green(), c.blue());
}

void TGraphicsObject::Changed()
{
    ++version_;
    if (OnChange) OnChange(this);
}

// ---- TFont ----

TFont::TFont()
{
    const TSystemMetrics& m = Metrics();
    name_ = m.SystemFontName;
    height_ = m.SystemFontHeight;
    ppi_ = m.PixelsPerInch > 0 ? m.PixelsPerInch : 96;
}

TFont::TFont(const TFont& other) : TGraphicsObject()
{
    copyLook(other);
    ppi_ = other.ppi_;
}

// Everything Assign takes over; the pixels per inch stay the device's own.
void TFont::copyLook(const TFont& other)
{
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    style_ = other.style_;
    pitch_ = other.pitch_;
    charset_ = other.charset_;
    orientation_ = other.orientation_;
}

void TFont::Assign(const rtl::TPersistent* source)
{
    if (auto* f = dynamic_cast<const TFont*>(source)) Assign(*f);
    else rtl::TPersistent::Assign(source);
}

void TFont::Assign(const TFont& other)
{
    if (this == &other || SameAs(other)) return;
    copyLook(other);
    Changed();
}

bool TFont::SameAs(const TFont& o) const
{
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_
           && pitch_ == o.pitch_ && charset_ == o.charset_ && orientation_ == o.orientation_;
}

void TFont::set(auto& field, auto value)
{
    if (field == value) return;
    field = value;
    Changed();
}

void TFont::SetName(const std::string& v) { set(name_, v); }
void TFont::SetHeight(int v) { set(height_, v); }
int TFont::Size() const
{
    return -static_cast<int>(std::lround(static_cast<double>(height_) * 72.0 / ppi_));
}
void TFont::SetSize(int points)
{
    set(height_, -static_cast<int>(std::lround(static_cast<double>(points) * ppi_ / 72.0)));
}
void TFont::SetColor(TColor v) { set(color_, v); }
void TFont::SetStyle(TFontStyles v) { set(style_, v); }
void TFont::SetPitch(TFontPitch v) { set(pitch_, v); }
void TFont::SetCharset(Byte v) { set(charset_, v); }
void TFont::SetOrientation(int v) { set(orientation_, v); }

const QFont& TFont::ToQFont() const
{
    if (qfontVersion_ == Version()) return qfont_;
    qfontVersion_ = Version();
    // A change of colour or orientation leaves the Qt font as it is: drawing code sets
    // colours cell by cell.
    const bool same = qfontLook_ != 0 && qfontName_ == name_ && qfontHeight_ == height_ && qfontStyle_ == style_
                      && qfontPitch_ == pitch_;
    if (!same) {
        QFont f(ToQString(name_));
        f.setPixelSize(std::max(1, std::abs(height_)));
        f.setBold(style_ & fsBold);
        f.setItalic(style_ & fsItalic);
        f.setUnderline(style_ & fsUnderline);
        f.setStrikeOut(style_ & fsStrikeOut);
        if (pitch_ == fpFixed) f.setFixedPitch(true);
        // Pixel-exact output: no sub-pixel positioning or smoothing differences between runs.
        f.setStyleStrategy(QFont::NoAntialias);
        f.setHintingPreference(QFont::PreferFullHinting);
        qfont_ = f;
        qfontName_ = name_;
        qfontHeight_ = height_;
        qfontStyle_ = style_;
        qfontPitch_ = pitch_;
        ++qfontLook_;
    }
    return qfont_;
}

// ---- TPen ----

void TPen::Assign(const rtl::TPersistent* source)
{
    if (auto* p = dynamic_cast<const TPen*>(source)) Assign(*p);
    else rtl::TPersistent::Assign(source);
}

void TPen::Assign(const TPen& o)
{
    if (this == &o) return;
    if (color_ == o.color_ && width_ == o.width_ && style_ == o.style_ && mode_ == o.mode_
        && endCap_ == o.endCap_ && join_ == o.join_)
        return;
    color_ = o.color_;
    width_ = o.width_;
    style_ = o.style_;
    mode_ = o.mode_;
    endCap_ = o.endCap_;
    join_ = o.join_;
    Changed();
}

// clang-format off
void TPen::SetColor(TColor v) { if (color_ != v) { color_ = v; Changed(); } }
void TPen::SetWidth(int v) { v = std::max(0, v); if (width_ != v) { width_ = v; Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (style_ != v) { style_ = v; Changed(); } }
void TPen::SetMode(TPenMode v) { if (mode_ != v) { mode_ = v; Changed(); } }
void TPen::SetEndCap(TPenEndCap v) { if (endCap_ != v) { endCap_ = v; Changed(); } }
void TPen::SetJoin(TPenJoin v) { if (join_ != v) { join_ = v; Changed(); } }
// clang-format on

// ---- TBrush ----

void TBrush::Assign(const rtl::TPersistent* source)
{
    if (auto* b = dynamic_cast<const TBrush*>(source)) Assign(*b);
    else rtl::TPersistent::Assign(source);
}

void TBrush::Assign(const TBrush& o)
{
    if (this == &o || (color_ == o.color_ && style_ == o.style_)) return;
    color_ = o.color_;
    style_ = o.style_;
    Changed();
}

void TBrush::SetColor(TColor v)
{
    if (color_ == v && style_ != bsClear) return;
    color_ = v;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

// clang-format off
void TBrush::SetStyle(TBrushStyle v) { if (style_ != v) { style_ = v; Changed(); } }
// clang-format on

// ---- cursors ----

namespace {
std::map<TCursor, QCursor>& registeredCursors()
{
    static std::map<TCursor, QCursor> cursors;
    return cursors;
}
} // namespace

QCursor CursorToQt(TCursor c)
{
    switch (c) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    // clang-format off
    case crSizeNS: case crVSplit: return QCursor(c == crVSplit ? Qt::SplitVCursor : Qt::SizeVerCursor);
    // clang-format on
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    // clang-format off
    case crHourGlass: case crSQLWait: return QCursor(Qt::WaitCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crDrag: case crMultiDrag: return QCursor(Qt::DragMoveCursor);
    case crNoDrop: case crNo: return QCursor(Qt::ForbiddenCursor);
    // clang-format on
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: break;
    }
    auto it = registeredCursors().find(c);
    if (it != registeredCursors().end()) return it->second;
    return QCursor(Qt::ArrowCursor);
}

void RegisterCursor(TCursor id, const QCursor& cursor)
{
    registeredCursors()[id] = cursor;
}

} // namespace ui
