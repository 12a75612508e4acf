// The text and image routines of the cell drawing: end ellipsis, aligned and wrapped
// text, upward text, clipped images and the shared drawing bitmap.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridExText.h"
#include "controls/grid/DBGridExUtils.h"

namespace {

using namespace grid;
using uitest::TImageCanvas;

class TextRoutines : public uitest::UiTest {
protected:
    // What text drawn at (x, y) in the canvas's font leaves on a white image.
    QImage Reference(int x, int y, const std::string& text, ui::TFontStyles style = 0)
    {
        QImage image = uitest::WhiteImage(200, 40);
        TImageCanvas paint(image);
        paint.Canvas.Font().SetStyle(style);
        paint.Canvas.Brush().SetColor(ui::clWhite);
        paint.Canvas.TextOut(x, y, text);
        return image;
    }
    ui::TCanvas Measure;
};

TEST_F(TextRoutines, TruncateTextShortensTwoCharactersFirstThenOneAtATime)
{
    // Wide last characters: every shortened form is narrower than the one before.
    const std::string text = "abcdWW";
    const std::vector<std::string> forms = {"abcdWW", "abcd...", "abc...", "ab...", "a...", "..."};
    for (std::size_t i = 0; i + 1 < forms.size(); ++i)
        ASSERT_LT(Measure.TextWidth(forms[i + 1]), Measure.TextWidth(forms[i]));
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const int width = Measure.TextWidth(forms[i]);
        SCOPED_TRACE(forms[i]);
        EXPECT_EQ(TruncateTextEx(text, Measure, width), forms[i]);
        // One pixel less: the next form, and the dots alone at the end.
        EXPECT_EQ(TruncateTextEx(text, Measure, width - 1), forms[std::min(i + 1, forms.size() - 1)]);
    }
    EXPECT_EQ(TruncateTextEx(text, Measure, 0), "...");
    EXPECT_EQ(TruncateTextEx("", Measure, 0), "");
    EXPECT_EQ(TruncateTextEx("a", Measure, 0), "...");
}

TEST_F(TextRoutines, TruncatingAHundredThousandCharactersKeepsTheLongestStartThatFits)
{
    std::string text;
    for (int i = 0; i < 100000; ++i) text += static_cast<char>('a' + (i * 7) % 26);
    for (const int width : {0, 5, 300, 4000}) {
        SCOPED_TRACE(width);
        const std::string cut = TruncateTextEx(text, Measure, width);
        ASSERT_GE(cut.size(), 3u);
        const std::size_t kept = cut.size() - 3;
        EXPECT_EQ(cut, text.substr(0, kept) + "...");
        if (kept > 0) {
            EXPECT_LE(Measure.TextWidth(cut), width);
        }
        EXPECT_GT(Measure.TextWidth(text.substr(0, kept + 1) + "..."), width);
    }
    // Room for all but two characters and the dots: the first shortened form.
    const int room = Measure.TextWidth(text.substr(0, text.size() - 2) + "...");
    EXPECT_EQ(TruncateTextEx(text, Measure, room), text.substr(0, text.size() - 2) + "...");
    EXPECT_EQ(TruncateTextEx(text, Measure, Measure.TextWidth(text)), text);
}

TEST_F(TextRoutines, ACellFarLargerThanTheCanvasNeedsABitmapOnlyAsLargeAsWhatShows)
{
    AcquireDrawBitmap();
    ReleaseDrawBitmap();
    ASSERT_EQ(SharedDrawBitmap(), nullptr); // nothing else holds it: it starts afresh
    QImage image = uitest::WhiteImage(200, 60);
    {
        TImageCanvas paint(image);
        paint.Canvas.Brush().SetColor(ui::clAqua);
        WriteTextEx(paint.Canvas, {-4000000, -50, 5000000, 40}, false, 2, 2, std::string(100000, 'w'),
                    rtl::taLeftJustify, ui::tlTop, true, false);
    }
    EXPECT_EQ(uitest::PixelAt(image, 0, 0), ui::clAqua);
    EXPECT_EQ(uitest::PixelAt(image, 199, 39), ui::clAqua);
    EXPECT_EQ(uitest::PixelAt(image, 100, 40), ui::clWhite);
    ASSERT_NE(SharedDrawBitmap(), nullptr);
    EXPECT_LE(SharedDrawBitmap()->Width(), 200);
    EXPECT_LE(SharedDrawBitmap()->Height(), 40);
}

TEST_F(TextRoutines, AlignedTextStandsWhereTheAlignmentPutsIt)
{
    const ui::TRect rect{10, 5, 150, 30};
    const std::string text = "Aligned";
    const int plain = Measure.TextWidth(text);
    ui::TCanvas bold;
    bold.Font().SetStyle(ui::fsBold);
    const int boldCalc = TextWidthCalc(bold, text);
    struct TCase {
        rtl::TAlignment Alignment;
        ui::TFontStyles Style;
        int ExpectedX;
    };
    const TCase cases[] = {
        {rtl::taLeftJustify, 0, rect.Left + 4},
        {rtl::taRightJustify, 0, rect.Right - plain - 3},
        {rtl::taCenter, 0, rect.Left + rect.Width() / 2 - plain / 2},
        // Bold text is measured as the text drawing lays it out.
        {rtl::taRightJustify, ui::fsBold, rect.Right - boldCalc - 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Alignment));
        QImage image = uitest::WhiteImage(200, 40);
        {
            TImageCanvas paint(image);
            paint.Canvas.Font().SetStyle(c.Style);
            paint.Canvas.Brush().SetColor(ui::clWhite);
            WriteTextEx(paint.Canvas, rect, false, 4, 3, text, c.Alignment, ui::tlTop, false, false);
        }
        EXPECT_EQ(image, Reference(c.ExpectedX, rect.Top + 3, text, c.Style));
    }
}

TEST_F(TextRoutines, TheTextFillsItsRectangleAndStaysInside)
{
    QImage image = uitest::WhiteImage(200, 40);
    {
        TImageCanvas paint(image);
        paint.Canvas.Brush().SetColor(ui::clYellow);
        WriteTextEx(paint.Canvas, {10, 5, 40, 25}, false, 2, 2, "far too long a text", rtl::taLeftJustify,
                    ui::tlTop, false, false);
    }
    // Yellow behind the text, nothing outside the rectangle.
    EXPECT_EQ(uitest::PixelAt(image, 39, 24), ui::clYellow);
    EXPECT_EQ(uitest::InkBounds(image), QRect(10, 5, 30, 20));
}

TEST_F(TextRoutines, TheEllipsisLeavesRoomForTheLeftInset)
{
    const std::string text = "abcdefghij";
    const int room = Measure.TextWidth("abcdef...");
    QImage image = uitest::WhiteImage(200, 40);
    {
        TImageCanvas paint(image);
        paint.Canvas.Brush().SetColor(ui::clWhite);
        WriteTextEx(paint.Canvas, {0, 0, room + 5, 20}, false, 5, 0, text, rtl::taLeftJustify, ui::tlTop, false,
                    true);
    }
    EXPECT_EQ(image, Reference(5, 0, "abcdef..."));
}

TEST_F(TextRoutines, WrappedTextGoesThroughTheSharedBitmapOnSeveralLines)
{
    const int lineHeight = Measure.TextHeight("Wg");
    QImage image = uitest::WhiteImage(200, 80);
    {
        TImageCanvas paint(image);
        paint.Canvas.Brush().SetColor(ui::clAqua);
        WriteTextEx(paint.Canvas, {10, 10, 70, 70}, false, 2, 2, "one two three four", rtl::taLeftJustify,
                    ui::tlTop, true, false);
    }
    // The whole rectangle takes the brush; the text runs over more than one line.
    EXPECT_EQ(uitest::PixelAt(image, 10, 10), ui::clAqua);
    EXPECT_EQ(uitest::PixelAt(image, 69, 69), ui::clAqua);
    EXPECT_EQ(uitest::PixelAt(image, 70, 70), ui::clWhite);
    const QRect ink = uitest::InkBounds(image.copy(10, 10, 60, 60), qRgb(0, 255, 255));
    EXPECT_GT(ink.height(), lineHeight);
    EXPECT_LT(ink.right(), 60);
    ASSERT_NE(SharedDrawBitmap(), nullptr);
    EXPECT_GE(SharedDrawBitmap()->Width(), 60);
    EXPECT_GE(SharedDrawBitmap()->Height(), 60);

    // It never shrinks.
    QImage small = uitest::WhiteImage(40, 40);
    {
        TImageCanvas paint(small);
        WriteTextEx(paint.Canvas, {0, 0, 20, 20}, false, 0, 0, "x", rtl::taLeftJustify, ui::tlTop, true, false);
    }
    EXPECT_GE(SharedDrawBitmap()->Width(), 60);
}

TEST_F(TextRoutines, WrappedTextCanBeCentredOrPutAtTheBottom)
{
    auto inkTop = [&](ui::TTextLayout layout) {
        QImage image = uitest::WhiteImage(100, 100);
        {
            TImageCanvas paint(image);
            paint.Canvas.Brush().SetColor(ui::clWhite);
            WriteTextEx(paint.Canvas, {0, 0, 100, 100}, false, 0, 0, "x", rtl::taLeftJustify, layout, true, false);
        }
        return uitest::InkBounds(image).top();
    };
    const int top = inkTop(ui::tlTop), centre = inkTop(ui::tlCenter), bottom = inkTop(ui::tlBottom);
    const int lineHeight = Measure.TextHeight("x");
    EXPECT_EQ(centre - top, (100 - lineHeight) / 2);
    EXPECT_EQ(bottom - top, 100 - lineHeight);
}

TEST_F(TextRoutines, UpwardTextRunsFromTheBottomTheTopOrTheMiddle)
{
    const ui::TRect rect{20, 10, 50, 150};
    auto ink = [&](rtl::TAlignment alignment) {
        QImage image = uitest::WhiteImage(100, 170);
        {
            TImageCanvas paint(image);
            paint.Canvas.Brush().SetColor(ui::clWhite);
            WriteRotatedTextEx(paint.Canvas, rect, "Upwards", alignment, 3);
            EXPECT_EQ(paint.Canvas.Font().Orientation(), 0); // the canvas gets its font back
        }
        return uitest::InkBounds(image);
    };
    const QRect bottom = ink(rtl::taLeftJustify), top = ink(rtl::taRightJustify), middle = ink(rtl::taCenter);
    EXPECT_GT(bottom.height(), bottom.width());
    EXPECT_LE(bottom.bottom(), rect.Bottom - 3);
    EXPECT_GT(bottom.bottom(), rect.Bottom - 10);
    EXPECT_GE(top.top(), rect.Top + 3);
    EXPECT_LT(top.top(), rect.Top + 10);
    EXPECT_NEAR(middle.center().y(), (rect.Top + rect.Bottom) / 2, 3);
    // Across the cell the text stands in the middle.
    EXPECT_NEAR(bottom.center().x(), (rect.Left + rect.Right) / 2, 3);
    EXPECT_EQ(CreateRotatedFont(ui::TFont()).Orientation(), 900);
    ui::TFont byDefault;
    byDefault.SetName("Default");
    EXPECT_EQ(CreateRotatedFont(byDefault).Name(), ui::Metrics().SystemFontName);
}

TEST_F(TextRoutines, ImagesArePlacedAcrossTheCellAndClippedToIt)
{
    ui::TImageList images(10, 6);
    ui::TBitmap red(10, 6);
    red.Canvas().Brush().SetColor(ui::clRed);
    red.Canvas().FillRect({0, 0, 10, 6});
    images.Add(red);
    const ui::TRect cell{20, 10, 60, 21}; // 11 high: 2.5 pixels above and below, rounded down
    struct TCase {
        TImagePlacement Placement;
        int XOffset;
        QRect Expected;
    };
    const TCase cases[] = {
        {ipLeft, 3, QRect(23, 12, 10, 6)},
        {ipRight, 3, QRect(50, 12, 10, 6)},
        {ipCenter, 0, QRect(35, 12, 10, 6)},
    };
    for (const TCase& c : cases) {
        QImage image = uitest::WhiteImage(100, 40);
        {
            TImageCanvas paint(image);
            DrawClippedImage(paint.Canvas, cell, images, c.Placement, c.XOffset, 0);
        }
        EXPECT_EQ(uitest::InkBounds(image), c.Expected);
    }
    // A cell smaller than the image shows the part inside it only.
    QImage image = uitest::WhiteImage(100, 40);
    {
        TImageCanvas paint(image);
        DrawClippedImage(paint.Canvas, {20, 10, 26, 14}, images, ipLeft, 0, 0);
        DrawClippedImage(paint.Canvas, {40, 10, 60, 20}, images, ipLeft, 0, 5); // no such image
    }
    EXPECT_EQ(uitest::InkBounds(image), QRect(20, 10, 6, 4));
}

TEST(SharedDrawBitmap, LivesWhileAGridDoes)
{
    ui::TFixedMetricsScope metrics;
    {
        auto first = std::make_unique<gridtest::TTestGrid>();
        auto second = std::make_unique<gridtest::TTestGrid>();
        QImage image = uitest::WhiteImage(40, 40);
        {
            TImageCanvas paint(image);
            WriteTextEx(paint.Canvas, {0, 0, 30, 30}, false, 0, 0, "x", rtl::taLeftJustify, ui::tlTop, true, false);
        }
        EXPECT_NE(SharedDrawBitmap(), nullptr);
        first.reset();
        EXPECT_NE(SharedDrawBitmap(), nullptr);
    }
    EXPECT_EQ(SharedDrawBitmap(), nullptr);
}

} // namespace
