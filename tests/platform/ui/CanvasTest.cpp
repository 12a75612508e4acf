// Canvas drawing checked pixel by pixel in images.
#include "UiTestSupport.h"

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/Graphics.h"

using namespace ui;
using uitest::PixelAt;

namespace {

class CanvasTest : public uitest::UiTest {};

const TColor kBack = RGB(10, 20, 30);

QImage BackImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    return img;
}

} // namespace

TEST_F(CanvasTest, EdgesPaintOuterAndInnerRingsWithBottomRightTakingTheCorners)
{
    QImage img = BackImage(20, 20);
    {
        uitest::TImageCanvas c(img);
        TRect r{2, 2, 12, 10};
        c.Canvas.DrawEdge(r, EDGE_RAISED, BF_RECT);
    }
    const TSysColorTable& sys = SysColors();
    // clang-format off
    uitest::ExpectPixels(img, {
        {2, 2, sys[COLOR_3DLIGHT]}, // outer top-left
        {10, 2, sys[COLOR_3DLIGHT]}, // top row stops one short
        {11, 2, sys[COLOR_3DDKSHADOW]}, // top-right corner is the dark side
        {2, 9, sys[COLOR_3DDKSHADOW]}, // bottom-left corner too
        {11, 9, sys[COLOR_3DDKSHADOW]},
        {3, 3, sys[COLOR_BTNHIGHLIGHT]}, // inner ring
        {10, 8, sys[COLOR_BTNSHADOW]},
        {5, 5, kBack}, // no BF_MIDDLE: inside untouched
        {12, 5, kBack}, // right edge excluded
        {5, 10, kBack},
    });
    // clang-format on

    QImage sunken = BackImage(20, 20);
    TRect adjusted{2, 2, 12, 10};
    {
        uitest::TImageCanvas c(sunken);
        c.Canvas.DrawEdge(adjusted, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    }
    // clang-format off
    uitest::ExpectPixels(sunken, {
        {2, 2, sys[COLOR_BTNSHADOW]},
        {11, 9, sys[COLOR_BTNHIGHLIGHT]},
        {3, 3, sys[COLOR_3DDKSHADOW]},
        {10, 8, sys[COLOR_3DLIGHT]},
        {5, 5, sys[COLOR_BTNFACE]},
    });
    // clang-format on
    EXPECT_EQ(adjusted, (TRect{4, 4, 10, 8}));

    // Partial: only the bottom side of a single inner edge.
    QImage partial = BackImage(20, 20);
    {
        uitest::TImageCanvas c(partial);
        c.Canvas.DrawEdge(TRect{2, 2, 12, 10}, BDR_RAISEDINNER, BF_BOTTOM);
    }
    // clang-format off
    uitest::ExpectPixels(partial, {
        {5, 9, sys[COLOR_BTNSHADOW]},
        {2, 2, kBack},
        {11, 5, kBack},
    });
    // clang-format on
}

TEST_F(CanvasTest, FocusRectangleInvertsEveryOtherFramePixelAndASecondCallRestores)
{
    QImage img = BackImage(30, 20);
    QImage before = img.copy();
    {
        uitest::TImageCanvas c(img);
        c.Canvas.DrawFocusRect({4, 4, 20, 14});
    }
    const TColor inverted = RGB(255 - 10, 255 - 20, 255 - 30);
    // clang-format off
    uitest::ExpectPixels(img, {
        {4, 4, inverted}, // (x + y) even
        {5, 4, kBack}, // odd: untouched
        {19, 13, inverted}, // the frame's last pixel row and column
        {20, 14, kBack}, // outside
        {10, 8, kBack}, // inside
    });
    // clang-format on
    {
        uitest::TImageCanvas c(img);
        c.Canvas.DrawFocusRect({4, 4, 20, 14});
    }
    EXPECT_EQ(img, before);
}

TEST_F(CanvasTest, ThinLinesExcludeTheirLastPointAndGeometricPensHaveFlatEnds)
{
    QImage img = uitest::WhiteImage(40, 40);
    {
        uitest::TImageCanvas c(img);
        c.Canvas.MoveTo(2, 5);
        c.Canvas.LineTo(10, 5);
        c.Canvas.MoveTo(3, 10);
        c.Canvas.LineTo(3, 2);
        c.Canvas.MoveTo(20, 0);
        c.Canvas.LineTo(25, 5);
        EXPECT_EQ(c.Canvas.PenPos(), (TPoint{25, 5}));
    }
    // clang-format off
    uitest::ExpectPixels(img, {
        {2, 5, clBlack},
        {9, 5, clBlack},
        {10, 5, clWhite},
        {3, 10, clBlack},
        {3, 3, clBlack},
        {3, 2, clWhite},
        {24, 4, clBlack},
        {25, 5, clWhite},
    });
    // clang-format on

    QImage thick = uitest::WhiteImage(40, 40);
    {
        uitest::TImageCanvas c(thick);
        c.Canvas.Pen().SetWidth(3);
        c.Canvas.Pen().SetEndCap(pecFlat);
        c.Canvas.Pen().SetJoin(pjMiter);
        // Two polylines in one call.
        c.Canvas.PolyPolyline({{10, 20}, {30, 20}, {10, 30}, {30, 30}}, {2, 2});
    }
    for (int y : {19, 20, 21}) {
        EXPECT_EQ(PixelAt(thick, 10, y), clBlack) << y;
        EXPECT_EQ(PixelAt(thick, 29, y), clBlack) << y;
        EXPECT_EQ(PixelAt(thick, 9, y), clWhite) << y;
        EXPECT_EQ(PixelAt(thick, 30, y), clWhite) << y;
    }
    EXPECT_EQ(PixelAt(thick, 15, 30), clBlack);
    EXPECT_EQ(PixelAt(thick, 15, 25), clWhite);
}

TEST_F(CanvasTest, RectangleFrameIsInsideTheRectangleAndFillExcludesRightAndBottom)
{
    QImage img = uitest::WhiteImage(30, 30);
    {
        uitest::TImageCanvas c(img);
        c.Canvas.Brush().SetColor(clRed);
        c.Canvas.Rectangle(5, 5, 15, 12);
        c.Canvas.Brush().SetColor(clLime);
        c.Canvas.FillRect({20, 20, 25, 22});
        c.Canvas.Brush().SetColor(clBlue);
        c.Canvas.FrameRect({0, 20, 6, 26});
    }
    // clang-format off
    uitest::ExpectPixels(img, {
        {5, 5, clBlack},
        {14, 11, clBlack},
        {15, 11, clWhite},
        {14, 12, clWhite},
        {6, 6, clRed},
        {24, 21, clLime},
        {25, 21, clWhite},
        {24, 22, clWhite},
        {5, 25, clBlue},
        {3, 22, clWhite},
    });
    // clang-format on
}

TEST_F(CanvasTest, SystemColoursStaySymbolicUntilDrawn)
{
    QImage img = uitest::WhiteImage(10, 10);
    uitest::TImageCanvas c(img);
    c.Canvas.Brush().SetColor(clBtnFace);
    c.Canvas.FillRect({0, 0, 5, 5});
    SysColors()[COLOR_BTNFACE] = RGB(1, 2, 3);
    c.Canvas.FillRect({5, 5, 10, 10});
    c.End();
    EXPECT_EQ(PixelAt(img, 1, 1), RGB(192, 192, 192));
    EXPECT_EQ(PixelAt(img, 6, 6), RGB(1, 2, 3));
    EXPECT_EQ(c.Canvas.Brush().Color(), clBtnFace);

    // Installing a table is announced.
    int notices = 0;
    auto listener = rtl::Delegate<void()>::FromFunction([&] { ++notices; });
    SysColorChangeListeners().Add(listener);
    SetSysColors(TSysColorTable::Classic());
    SysColorChangeListeners().Remove(listener);
    SetSysColors(TSysColorTable::Classic());
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(192, 192, 192));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
}

TEST_F(CanvasTest, ClipSaveIntersectRestore)
{
    QImage img = uitest::WhiteImage(50, 50);
    {
        uitest::TImageCanvas c(img);
        TCanvas::TClipState saved = c.Canvas.SaveClip();
        c.Canvas.IntersectClipRect({10, 10, 20, 20});
        c.Canvas.IntersectClipRect({15, 0, 50, 50});
        EXPECT_EQ(c.Canvas.ClipRect(), (TRect{15, 10, 20, 20}));
        EXPECT_FALSE(c.Canvas.RectVisible({30, 30, 40, 40}));
        c.Canvas.Brush().SetColor(clRed);
        c.Canvas.FillRect({0, 0, 50, 50});
        c.Canvas.RestoreClip(saved);
        c.Canvas.Brush().SetColor(clLime);
        c.Canvas.FillRect({30, 30, 40, 40});
    }
    EXPECT_EQ(uitest::InkBounds(img.copy(0, 0, 25, 25)), QRect(15, 10, 5, 10));
    // clang-format off
    uitest::ExpectPixels(img, {
        {16, 11, clRed},
        {12, 11, clWhite},
        {35, 35, clLime},
    });
    // clang-format on
}

TEST_F(CanvasTest, AClipScopeNarrowsTheClipAndGivesBackTheOneBefore)
{
    QImage img = uitest::WhiteImage(50, 50);
    {
        uitest::TImageCanvas c(img);
        c.Canvas.IntersectClipRect({0, 0, 40, 40});
        {
            const TClipScope clip(c.Canvas, {10, 10, 20, 20});
            EXPECT_EQ(c.Canvas.ClipRect(), (TRect{10, 10, 20, 20}));
            c.Canvas.IntersectClipRect({15, 0, 50, 50}); // narrowed further, undone too
            c.Canvas.Brush().SetColor(clRed);
            c.Canvas.FillRect({0, 0, 50, 50});
        }
        EXPECT_EQ(c.Canvas.ClipRect(), (TRect{0, 0, 40, 40}));
        c.Canvas.Brush().SetColor(clLime);
        c.Canvas.FillRect({30, 30, 50, 50});
    }
    // clang-format off
    uitest::ExpectPixels(img, {
        {16, 11, clRed},
        {12, 11, clWhite},
        {35, 35, clLime},
        {45, 45, clWhite}, // outside the clip before the scope
    });
    // clang-format on
}

TEST_F(CanvasTest, TextOutIsPlacedByItsCellAndOpaqueUnlessTheBrushIsClear)
{
    QImage img = uitest::WhiteImage(120, 40);
    int w = 0, h = 0;
    {
        uitest::TImageCanvas c(img);
        c.Canvas.Brush().SetColor(clYellow);
        w = c.Canvas.TextWidth("Hq");
        h = c.Canvas.TextHeight("Hq");
        c.Canvas.TextOut(10, 5, "Hq");
        c.Canvas.Brush().SetStyle(bsClear);
        c.Canvas.TextOut(60, 5, "Hq");
        EXPECT_EQ(c.Canvas.PenPos(), (TPoint{60 + w, 5}));
    }
    ASSERT_GT(w, 0);
    // clang-format off
    uitest::ExpectPixels(img, {
        {10, 5, clYellow},
        {10 + w - 1, 5 + h - 1, clYellow},
        {10 + w, 5, clWhite},
    });
    // clang-format on
    QRect ink = uitest::InkBounds(img.copy(60, 0, 60, 40));
    EXPECT_GE(ink.top(), 5);
    EXPECT_LE(ink.bottom(), 5 + h - 1);
    EXPECT_EQ(PixelAt(img, 60, 5), clWhite); // no background for a clear brush
}

TEST_F(CanvasTest, AFontKeepsItsQtFontWhenOnlyItsColourChanges)
{
    TFont font;
    font.SetHeight(-13);
    const unsigned made = font.QFontVersion();
    const QFont* qfont = &font.ToQFont();
    font.SetColor(clRed);
    font.SetOrientation(900);
    EXPECT_EQ(font.QFontVersion(), made);
    EXPECT_EQ(&font.ToQFont(), qfont);
    font.SetColor(clBlue);
    EXPECT_EQ(font.QFontVersion(), made);
    font.SetStyle(fsBold);
    EXPECT_NE(font.QFontVersion(), made);
    EXPECT_TRUE(font.ToQFont().bold());
    EXPECT_EQ(font.ToQFont().pixelSize(), 13);
    const unsigned bold = font.QFontVersion();
    font.SetHeight(-15);
    EXPECT_NE(font.QFontVersion(), bold);
    EXPECT_EQ(font.ToQFont().pixelSize(), 15);
    font.SetName("Some Other Face");
    EXPECT_EQ(font.ToQFont().family(), QString("Some Other Face"));

    // A canvas draws with the font as it stands, colour included.
    QImage img = uitest::WhiteImage(60, 30);
    {
        uitest::TImageCanvas c(img);
        c.Canvas.Brush().SetStyle(bsClear);
        c.Canvas.Font().SetColor(clRed);
        c.Canvas.TextOut(2, 2, "W");
        c.Canvas.Font().SetColor(clBlue);
        c.Canvas.TextOut(30, 2, "W");
    }
    const auto inks = [&](int left, TColor colour) {
        for (int y = 0; y < 30; ++y)
            for (int x = left; x < left + 28; ++x)
                if (PixelAt(img, x, y) == colour) return true;
        return false;
    };
    EXPECT_TRUE(inks(0, clRed));
    EXPECT_FALSE(inks(0, clBlue));
    EXPECT_TRUE(inks(30, clBlue));
    EXPECT_FALSE(inks(30, clRed));
}

TEST_F(CanvasTest, ExtTextOutClipsToItsRectangleAndFillsItWhenOpaque)
{
    QImage img = uitest::WhiteImage(100, 30);
    {
        uitest::TImageCanvas c(img);
        c.Canvas.Brush().SetColor(clAqua);
        TRect r{10, 5, 30, 25};
        c.Canvas.ExtTextOut(12, 8, ETO_CLIPPED | ETO_OPAQUE, &r, "WWWWWWWWWW");
    }
    EXPECT_EQ(PixelAt(img, 10, 24), clAqua);
    QRect ink = uitest::InkBounds(img);
    EXPECT_EQ(ink, QRect(10, 5, 20, 20));
}

TEST_F(CanvasTest, EndEllipsisDrawsThreeDotsAfterTheLongestStartThatFits)
{
    const std::string text = "Measurements";
    QImage img = uitest::WhiteImage(200, 20);
    QImage expected = uitest::WhiteImage(200, 20);
    std::string cut;
    {
        uitest::TImageCanvas c(img);
        const int width = c.Canvas.TextWidth("Measur...");
        TRect r{0, 0, width, 20};
        for (std::size_t n = text.size() - 1; n > 0; --n)
            // clang-format off
            if (c.Canvas.TextWidth(text.substr(0, n) + "...") <= width) { cut = text.substr(0, n) + "..."; break; }
        // clang-format on
        c.Canvas.Brush().SetStyle(bsClear);
        c.Canvas.DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    EXPECT_EQ(cut.substr(0, 6), "Measur");
    {
        uitest::TImageCanvas c(expected);
        c.Canvas.Brush().SetStyle(bsClear);
        c.Canvas.TextOut(0, 0, cut);
    }
    EXPECT_EQ(img, expected);

    // With no room for any character the three dots stand alone.
    QImage tiny = uitest::WhiteImage(200, 20);
    QImage dots = uitest::WhiteImage(200, 20);
    {
        uitest::TImageCanvas c(tiny);
        TRect r{0, 0, c.Canvas.TextWidth("..."), 20};
        c.Canvas.Brush().SetStyle(bsClear);
        c.Canvas.DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    {
        uitest::TImageCanvas c(dots);
        c.Canvas.Brush().SetStyle(bsClear);
        c.Canvas.TextOut(0, 0, "...");
    }
    EXPECT_EQ(tiny, dots);
}

TEST_F(CanvasTest, DrawTextMeasuresWrapsAlignsAndExpandsTabs)
{
    TCanvas c;
    const int line = c.TextHeight("X");
    TRect single{5, 5, 6, 6};
    EXPECT_EQ(c.DrawText("Hello", single, DT_CALCRECT | DT_SINGLELINE), line);
    EXPECT_EQ(single, (TRect{5, 5, 5 + c.TextWidth("Hello"), 5 + line}));

    const int twoWords = c.TextWidth("aaa bbb");
    TRect wrap{0, 0, twoWords, 0};
    EXPECT_EQ(c.DrawText("aaa bbb ccc ddd", wrap, DT_CALCRECT | DT_WORDBREAK), 2 * line);
    EXPECT_EQ(wrap.Right, twoWords);
    TRect narrow{0, 0, 1000, 0};
    c.DrawText("aaa", narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(narrow.Right, c.TextWidth("aaa"));

    TRect multi{0, 0, 100, 0};
    EXPECT_EQ(c.DrawText("one\r\ntwo\nthree", multi, DT_CALCRECT), 3 * line);

    const int ave = c.TextMetrics().AveCharWidth;
    TRect tabs{0, 0, 1, 1};
    c.DrawText("a\tb", tabs, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(tabs.Right, 8 * ave + c.TextWidth("b"));
    TDrawTextParams params;
    params.TabLength = 2;
    params.LeftMargin = 3;
    TRect tabs2{0, 0, 1, 1};
    c.DrawText("a\tb", tabs2, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS, &params);
    EXPECT_EQ(tabs2.Right, 3 + 2 * ave + c.TextWidth("b"));

    TRect prefix{0, 0, 1, 1};
    c.DrawText("&File", prefix, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(prefix.Right, c.TextWidth("File"));

    // Right and centred alignment, vertical centring of one line.
    QImage img = uitest::WhiteImage(100, 40);
    {
        uitest::TImageCanvas ic(img);
        ic.Canvas.Brush().SetStyle(bsClear);
        TRect r{0, 0, 100, 40};
        ic.Canvas.DrawText("I", r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    QRect ink = uitest::InkBounds(img);
    EXPECT_GE(ink.left(), 100 - c.TextWidth("I"));
    EXPECT_LE(ink.right(), 99);
    EXPECT_GE(ink.top(), (40 - line) / 2);
    EXPECT_LE(ink.bottom(), (40 - line) / 2 + line);
}

namespace {

// Word wrap as a person does it, one word at a time with the whole line measured again:
// the lines' count and the widest line.
std::pair<int, int> WrappedByHand(TCanvas& c, const std::string& paragraph, int width)
{
    std::vector<std::string> lines;
    std::string current;
    bool broken = false;
    for (std::size_t i = 0; i < paragraph.size();) {
        std::size_t j = paragraph.find(' ', i);
        if (j == std::string::npos) j = paragraph.size();
        std::size_t k = paragraph.find_first_not_of(' ', j);
        if (k == std::string::npos) k = paragraph.size();
        const std::string word = paragraph.substr(i, j - i), blanks = paragraph.substr(j, k - j);
        if (!current.empty() && c.TextWidth(current + word) > width) {
            lines.push_back(current.substr(0, current.find_last_not_of(' ') + 1));
            if (lines.back().find_first_not_of(' ') == std::string::npos) lines.back().clear();
            broken = true;
            current = word + blanks;
        } else {
            current += word + blanks;
        }
        i = k;
    }
    if (broken) current = current.substr(0, current.find_last_not_of(' ') + 1);
    lines.push_back(current);
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, c.TextWidth(line));
    return {static_cast<int>(lines.size()), widest};
}

} // namespace

TEST_F(CanvasTest, WordWrapBreaksWhereWrappingWordByWordBreaks)
{
    TCanvas c;
    const int line = c.TextHeight("X");
    std::mt19937 random(510);
    const char* words[] = {"a", "Wide", "iiii", "MMMMMM", "x.y", "longerwordhere", "q"};
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 5 == 0 ? "  " : "";
        const int count = 1 + static_cast<int>(random() % 60);
        for (int w = 0; w < count; ++w) {
            text += words[random() % 7];
            text += std::string(1 + random() % 3 / 2, ' ');
        }
        if (round % 3 == 0) text.pop_back();
        const int width = 1 + static_cast<int>(random() % 300);
        const auto [lines, widest] = WrappedByHand(c, text, width);
        TRect r{0, 0, width, 0};
        ASSERT_EQ(c.DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX), lines * line)
            << '"' << text << "\" in " << width;
        ASSERT_EQ(r.Right, widest) << '"' << text << "\" in " << width;
    }
}

TEST_F(CanvasTest, AHundredThousandCharactersWrapAndEndInAnEllipsisAsShorterTextsDo)
{
    TCanvas c;
    const int line = c.TextHeight("X");
    std::string text;
    while (text.size() < 100000) text += "word" + std::to_string(text.size() % 97) + " ";
    text.pop_back();
    // Wide enough for all of it: one line, however many words.
    TRect wide{0, 0, c.TextWidth(text), 0};
    EXPECT_EQ(c.DrawText(text, wide, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX), line);
    EXPECT_EQ(wide.Right, c.TextWidth(text));
    // A column's width: as many lines as wrapping word by word gives.
    const auto [lines, widest] = WrappedByHand(c, text, 150);
    TRect narrow{0, 0, 150, 0};
    EXPECT_EQ(c.DrawText(text, narrow, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX), lines * line);
    EXPECT_EQ(narrow.Right, widest);
    // One line of it cut with an ellipsis keeps the longest start that fits.
    const std::string solid(100000, 'm');
    QImage img = uitest::WhiteImage(300, 20), expected = uitest::WhiteImage(300, 20);
    std::string cut;
    {
        uitest::TImageCanvas ic(img);
        const int room = ic.Canvas.TextWidth(solid.substr(0, 20) + "...") + 2;
        std::size_t n = 20;
        while (ic.Canvas.TextWidth(solid.substr(0, n + 1) + "...") <= room) ++n;
        cut = solid.substr(0, n) + "...";
        TRect r{0, 0, room, 20};
        ic.Canvas.Brush().SetStyle(bsClear);
        ic.Canvas.DrawText(solid, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    {
        uitest::TImageCanvas ic(expected);
        ic.Canvas.Brush().SetStyle(bsClear);
        ic.Canvas.TextOut(0, 0, cut);
    }
    EXPECT_EQ(img, expected);
}

TEST_F(CanvasTest, RotatedTextRunsUpwardsFromItsOrigin)
{
    QImage img = uitest::WhiteImage(100, 120);
    int w = 0, h = 0;
    {
        uitest::TImageCanvas c(img);
        c.Canvas.Font().SetOrientation(900);
        c.Canvas.Brush().SetStyle(bsClear);
        w = c.Canvas.TextWidth("ABCDEF");
        h = c.Canvas.TextHeight("ABCDEF");
        c.Canvas.TextOut(20, 100, "ABCDEF");
    }
    QRect ink = uitest::InkBounds(img);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 20);
    EXPECT_LT(ink.right(), 20 + h);
    EXPECT_GE(ink.top(), 100 - w);
    EXPECT_LT(ink.bottom(), 100);
    EXPECT_GT(ink.height(), ink.width());
}

TEST_F(CanvasTest, TextMetricsAreConsistent)
{
    TCanvas c;
    TTextMetric tm = c.TextMetrics();
    EXPECT_EQ(tm.Height, tm.Ascent + tm.Descent);
    EXPECT_GT(tm.AveCharWidth, 0);
    EXPECT_GE(tm.MaxCharWidth, tm.AveCharWidth);
    EXPECT_EQ(tm.Overhang, 0);
    EXPECT_EQ(c.TextHeight("x"), tm.Height);
    c.Font().SetHeight(-30);
    EXPECT_GT(c.TextMetrics().Height, tm.Height);
}
