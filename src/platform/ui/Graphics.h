#pragma once
// Colours, fonts, pens, brushes and cursors.
//
// A TColor is a 32-bit colour value: 0x00BBGGRR for a plain colour,
// 0xFF0000nn for system colour nn (kept symbolic until drawn, then looked up in the
// system-colour table of Metrics.h), plus clNone and clDefault. Stored records carry
// these numbers unchanged.
#include <cstdint>
#include <string>

#include <QColor>
#include <QCursor>
#include <QFont>

#include "platform/rtl/Delegate.h"
#include "platform/rtl/Persistent.h"
#include "platform/ui/UiTypes.h"

namespace ui {

using TColor = std::int32_t;

constexpr TColor RGB(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// System colour indexes: the nn of a system colour 0xFF0000nn.
enum TSysColorIndex : int {
    // clang-format off
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND, COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_MENU,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_MENUTEXT, COLOR_WINDOWTEXT, COLOR_CAPTIONTEXT,
    COLOR_ACTIVEBORDER, COLOR_INACTIVEBORDER, COLOR_APPWORKSPACE, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
    COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_GRAYTEXT, COLOR_BTNTEXT, COLOR_INACTIVECAPTIONTEXT,
    COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_INFOTEXT, COLOR_INFOBK,
    COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION, COLOR_GRADIENTINACTIVECAPTION,
    COLOR_MENUHILIGHT, COLOR_MENUBAR,
    // clang-format on
    SysColorCount = 31,
};

constexpr TColor SysColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index)); }

// clang-format off
constexpr TColor clBlack = RGB(0, 0, 0), clMaroon = RGB(128, 0, 0), clGreen = RGB(0, 128, 0),
    clOlive = RGB(128, 128, 0), clNavy = RGB(0, 0, 128), clPurple = RGB(128, 0, 128),
    clTeal = RGB(0, 128, 128), clGray = RGB(128, 128, 128), clSilver = RGB(192, 192, 192),
    clRed = RGB(255, 0, 0), clLime = RGB(0, 255, 0), clYellow = RGB(255, 255, 0),
    clBlue = RGB(0, 0, 255), clFuchsia = RGB(255, 0, 255), clAqua = RGB(0, 255, 255),
    clWhite = RGB(255, 255, 255), clMoneyGreen = RGB(192, 220, 192), clSkyBlue = RGB(166, 202, 240),
    clCream = RGB(255, 251, 240), clMedGray = RGB(160, 160, 164);
// clang-format on
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// clang-format off
constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR), clBackground = SysColor(COLOR_BACKGROUND),
    clActiveCaption = SysColor(COLOR_ACTIVECAPTION), clInactiveCaption = SysColor(COLOR_INACTIVECAPTION),
    clMenu = SysColor(COLOR_MENU), clWindow = SysColor(COLOR_WINDOW), clWindowFrame = SysColor(COLOR_WINDOWFRAME),
    clMenuText = SysColor(COLOR_MENUTEXT), clWindowText = SysColor(COLOR_WINDOWTEXT),
    clCaptionText = SysColor(COLOR_CAPTIONTEXT), clActiveBorder = SysColor(COLOR_ACTIVEBORDER),
    clInactiveBorder = SysColor(COLOR_INACTIVEBORDER), clAppWorkSpace = SysColor(COLOR_APPWORKSPACE),
    clHighlight = SysColor(COLOR_HIGHLIGHT), clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT),
    clBtnFace = SysColor(COLOR_BTNFACE), clBtnShadow = SysColor(COLOR_BTNSHADOW),
    clGrayText = SysColor(COLOR_GRAYTEXT), clBtnText = SysColor(COLOR_BTNTEXT),
    clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT), clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT),
    cl3DDkShadow = SysColor(COLOR_3DDKSHADOW), cl3DLight = SysColor(COLOR_3DLIGHT),
    clInfoText = SysColor(COLOR_INFOTEXT), clInfoBk = SysColor(COLOR_INFOBK), clHotLight = SysColor(COLOR_HOTLIGHT),
    clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION),
    clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION),
    clMenuHighlight = SysColor(COLOR_MENUHILIGHT), clMenuBar = SysColor(COLOR_MENUBAR);
// clang-format on

constexpr bool IsSystemColor(TColor c) { return (static_cast<std::uint32_t>(c) & 0xFF000000u) == 0xFF000000u; }
// The plain colour that c stands for now: system colours are looked up in the table;
// clNone and clDefault come back unchanged.
TColor ColorToRGB(TColor c);
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// Base of fonts, pens, brushes and bitmaps: a change notice, and a version that grows
// with every change so that a canvas knows when to re-apply the object.
class TGraphicsObject : public rtl::TPersistent {
public:
    rtl::TNotifyEvent OnChange;
    unsigned Version() const { return version_; }

protected:
    void Changed();

private:
    unsigned version_ = 1;
};

using TFontStyles = unsigned;
// clang-format off
enum : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TFontPitch { fpDefault, fpVariable, fpFixed };
// clang-format on

// A font: face name, height in pixels (negative: character height; positive: cell
// height), style, colour, pitch, character set and escapement in tenths of a degree
// (900 draws upwards). A new font is the system font of the metrics object.
class TFont : public TGraphicsObject {
public:
    TFont();
    TFont(const TFont& other);
    // clang-format off
    TFont& operator=(const TFont& other) { Assign(other); return *this; }
    // clang-format on

    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;
    void Assign(const TFont& other);
    // Same face, height, style, colour, pitch, character set and orientation.
    bool SameAs(const TFont& other) const;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& v);
    int Height() const { return height_; }
    void SetHeight(int v);
    // Points at the font's pixels per inch.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch v);
    Byte Charset() const { return charset_; }
    void SetCharset(Byte v);
    int Orientation() const { return orientation_; }
    void SetOrientation(int tenthsOfDegree);
    int PixelsPerInch() const { return ppi_; }

    // The Qt font with the same face, pixel height and style (orientation is the canvas's).
    // It is made again only when one of those changes, not for a new colour.
    const QFont& ToQFont() const;
    // Counts the Qt fonts made so far: a new value means another ToQFont.
    unsigned QFontVersion() const
    {
        ToQFont();
        return qfontLook_;
    }

private:
    void set(auto& field, auto value);
    void copyLook(const TFont& other);

    std::string name_;
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    TFontPitch pitch_ = fpDefault;
    Byte charset_ = 1;
    int orientation_ = 0;
    int ppi_ = 96;
    mutable QFont qfont_;
    mutable unsigned qfontVersion_ = 0; // the Version() qfont_ was checked at
    mutable unsigned qfontLook_ = 0;    // bumped when qfont_ is made
    // What qfont_ was made of.
    mutable std::string qfontName_;
    mutable int qfontHeight_ = 0;
    mutable TFontStyles qfontStyle_ = 0;
    mutable TFontPitch qfontPitch_ = fpDefault;
};

// clang-format off
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How a pen combines with the pixels below: copy, exclusive or with the pen colour,
// invert, or exclusive or with the inverted pen colour.
enum TPenMode { pmCopy, pmXor, pmNot, pmNotXor };
enum TPenEndCap { pecRound, pecSquare, pecFlat };
enum TPenJoin { pjRound, pjBevel, pjMiter };
// clang-format on

// A pen. Width 1 is a cosmetic pen (a line excludes its last point); wider pens are
// geometric and use EndCap and Join.
class TPen : public TGraphicsObject {
public:
    TPen() = default;
    TPen(const TPen& other) : TGraphicsObject() { Assign(other); }
    // clang-format off
    TPen& operator=(const TPen& other) { Assign(other); return *this; }
    // clang-format on
    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;
    void Assign(const TPen& other);

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode v);
    TPenEndCap EndCap() const { return endCap_; }
    void SetEndCap(TPenEndCap v);
    TPenJoin Join() const { return join_; }
    void SetJoin(TPenJoin v);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    TPenEndCap endCap_ = pecRound;
    TPenJoin join_ = pjRound;
};

// clang-format off
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
// clang-format on

class TBrush : public TGraphicsObject {
public:
    TBrush() = default;
    TBrush(const TBrush& other) : TGraphicsObject() { Assign(other); }
    // clang-format off
    TBrush& operator=(const TBrush& other) { Assign(other); return *this; }
    // clang-format on
    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;
    void Assign(const TBrush& other);

    TColor Color() const { return color_; }
    // Setting a colour makes a clear brush solid.
    void SetColor(TColor v);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// The Qt cursor for a cursor number; numbers above 0 are those registered.
QCursor CursorToQt(TCursor c);
void RegisterCursor(TCursor id, const QCursor& cursor);

} // namespace ui
