#pragma once
// Geometry, key codes, shift states and the small enumerations shared by every
// unit of the windowing layer. Coordinates are integer pixels; a TRect excludes
// its Right and Bottom edges, as the drawing routines expect.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/rtl/Persistent.h"

namespace ui {

using Word = std::uint16_t;
using Byte = std::uint8_t;

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    // True when r lies wholly inside this rectangle.
    bool ContainsRect(const TRect& r) const
    {
        return r.Left >= Left && r.Top >= Top && r.Right <= Right && r.Bottom <= Bottom;
    }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    // clang-format off
    void Offset(int dx, int dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
    // Grows (or, with negative values, shrinks) every side.
    void Inflate(int dx, int dy) { Left -= dx; Right += dx; Top -= dy; Bottom += dy; }
    TRect Inflated(int dx, int dy) const { TRect r = *this; r.Inflate(dx, dy); return r; }
    TRect Offsetted(int dx, int dy) const { TRect r = *this; r.Offset(dx, dy); return r; }
    // clang-format on
    TRect Intersected(const TRect& o) const
    {
        TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right), std::min(Bottom, o.Bottom)};
        if (r.IsEmpty()) return {};
        return r;
    }
    bool Intersects(const TRect& o) const { return !Intersected(o).IsEmpty(); }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
// Right and Bottom stop at the int limits rather than wrap.
inline TRect Bounds(int l, int t, int w, int h)
{
    const auto edge = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    return {l, t, edge(static_cast<long long>(l) + w), edge(static_cast<long long>(t) + h)};
}
inline TPoint Point(int x, int y) { return {x, y}; }

// Shift state: a set of modifier keys and mouse buttons held.
using TShiftState = unsigned;
enum : unsigned {
    // clang-format off
    ssShift = 1u << 0, ssAlt = 1u << 1, ssCtrl = 1u << 2,
    ssLeft = 1u << 3, ssRight = 1u << 4, ssMiddle = 1u << 5, ssDouble = 1u << 6,
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// clang-format on

using TAlignment = rtl::TAlignment;
using enum rtl::TAlignment;
// clang-format off
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TBorderStyle { bsNone, bsSingle };
enum TScrollBarKind { sbHorizontal, sbVertical };
// How a control reads: right to left it reads its text from the right and mirrors its
// layout (see TControl::BiDiMode).
enum TBiDiMode { bdLeftToRight, bdRightToLeft };
// clang-format on

// Left and right swapped (centred stays): where a mirrored layout puts the alignment.
inline TAlignment MirroredAlignment(TAlignment a)
{
    if (a == taLeftJustify) return taRightJustify;
    if (a == taRightJustify) return taLeftJustify;
    return a;
}

// Virtual key codes, as controls and stored shortcuts use them; letters and digits are
// their ASCII codes.
enum : Word {
    // clang-format off
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
    VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_EXECUTE = 0x2B, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
    // clang-format on
};

// A shortcut: a virtual key plus modifier bits (Alt+Down is 32808).
using TShortCut = Word;
// clang-format off
enum : Word { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };
// clang-format on
inline TShortCut ShortCut(Word key, TShiftState shift)
{
    Word sc = key & 0x0FFF;
    if (shift & ssShift) sc |= scShift;
    if (shift & ssCtrl) sc |= scCtrl;
    if (shift & ssAlt) sc |= scAlt;
    return sc;
}
inline void ShortCutToKey(TShortCut sc, Word& key, TShiftState& shift)
{
    key = sc & 0x0FFF;
    shift = 0;
    if (sc & scShift) shift |= ssShift;
    if (sc & scCtrl) shift |= ssCtrl;
    if (sc & scAlt) shift |= ssAlt;
}

// Cursors by their numeric identifiers (crDefault 0, crArrow -2 ...); further ones are
// registered by number.
using TCursor = int;
enum : int {
    // clang-format off
    crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22,
    crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
    crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
    crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
    crHandPoint = -21, crSizeAll = -22,
    // clang-format on
};

// Answer of a modal window or a message box.
using TModalResult = int;
enum : int {
    // clang-format off
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
    // clang-format on
};

// A numbered message with two parameters and a result, sent with Perform or posted.
struct TMessage {
    unsigned Msg = 0;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};
enum : unsigned { WM_USER = 0x0400 };

} // namespace ui
