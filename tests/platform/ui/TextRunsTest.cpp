// Lines of text kept laid out for drawing them again: they draw and measure as Qt's own
// text drawing does, are kept from their second use, and stay within their bound.
#include "UiTestSupport.h"

#include <string>
#include <vector>

#include <QFontMetrics>

#include "platform/ui/Canvas.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/QtText.h"
#include "platform/ui/TextRuns.h"

using namespace ui;

namespace {

class TextRunsTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        TextRuns().Clear();
    }
    void TearDown() override
    {
        TextRuns().Clear();
        UiTest::TearDown();
    }
};

// Texts of every kind a grid shows: figures, names, 8-bit letters, blanks at either end.
const std::vector<std::string> kTexts = {
    "Station 12", "87.50 MHz", "1,234.5", "12/01/2023 00:05:43", "AVATAR Ta To Wo fi fl", "  lead", "trail  ",
    "\x80 \x85 \x93quoted\x94 \x96 dash", "56.3 dB\xB5V", "\xC4\xD6\xDC \xE9t\xE9", "x", ""};

// The texts drawn in a column in the canvas font given: each clipped to a narrow cell that
// is filled first, or on its own background, not clipped.
QImage DrawColumn(const TFont& font, bool clipped)
{
    QImage img = uitest::WhiteImage(200, 20 * static_cast<int>(kTexts.size()));
    uitest::TImageCanvas c(img);
    c.Canvas.Font().Assign(font);
    c.Canvas.Brush().SetColor(clYellow);
    int top = 0;
    for (const std::string& text : kTexts) {
        if (clipped) c.Canvas.TextRect({2, top, 90, top + 18}, 4, top + 2, text);
        else c.Canvas.TextOut(10, top + 1, text);
        top += 20;
    }
    return img;
}

} // namespace

TEST_F(TextRunsTest, KeptLinesDrawAndMeasureAsQtDrawsText)
{
    TFont fonts[4];
    fonts[1].SetStyle(fsBold);
    fonts[1].SetColor(clBlue);
    fonts[2].SetStyle(fsItalic);
    fonts[3].SetHeight(-17);
    for (const TFont& font : fonts) {
        const unsigned number = FontNumber(font.ToQFont());
        for (const bool clipped : {true, false}) {
            // The first paint draws as Qt does; from the second on the lines are kept.
            TextRuns().Clear();
            const QImage first = DrawColumn(font, clipped);
            for (const std::string& text : kTexts) EXPECT_EQ(TextRuns().Find(number, text), nullptr);
            const QImage second = DrawColumn(font, clipped);
            for (const std::string& text : kTexts)
                EXPECT_NE(TextRuns().Find(number, text), nullptr) << "'" << text << "' is kept";
            const QImage third = DrawColumn(font, clipped);
            EXPECT_EQ(first, second);
            EXPECT_EQ(first, third);
        }

        // A kept line's width is the measured one.
        TCanvas measure;
        measure.Font().Assign(font);
        const QFontMetrics metrics(font.ToQFont());
        for (const std::string& text : kTexts) {
            EXPECT_EQ(measure.TextWidth(text), metrics.horizontalAdvance(ToQString(text))) << "'" << text << "'";
            ASSERT_NE(TextRuns().Find(number, text), nullptr);
            EXPECT_EQ(TextRuns().Find(number, text)->Width, metrics.horizontalAdvance(ToQString(text)));
        }
    }
}

TEST_F(TextRunsTest, OnlyPlainLinesOfTextInPlainFontsAreKept)
{
    EXPECT_TRUE(TTextRuns::Takes("Station 12"));
    EXPECT_FALSE(TTextRuns::Takes("a\tb"));
    EXPECT_FALSE(TTextRuns::Takes("two\nlines"));
    EXPECT_FALSE(TTextRuns::Takes("soft\xADhyphen"));
    EXPECT_FALSE(TTextRuns::Takes(std::string(256, 'x')));

    TFont underlined;
    underlined.SetStyle(fsUnderline);
    const QImage first = DrawColumn(underlined, true);
    const QImage second = DrawColumn(underlined, true);
    EXPECT_EQ(first, second);
    for (const std::string& text : kTexts)
        EXPECT_EQ(TextRuns().Find(FontNumber(underlined.ToQFont()), text), nullptr) << "'" << text << "'";

    // Equal Qt fonts share a number; others get their own.
    TFont a, b, c;
    b.SetColor(clRed);
    c.SetHeight(-20);
    EXPECT_EQ(FontNumber(a.ToQFont()), FontNumber(b.ToQFont()));
    EXPECT_NE(FontNumber(a.ToQFont()), FontNumber(c.ToQFont()));
    EXPECT_NE(FontNumber(a.ToQFont()), 0u);
}

TEST_F(TextRunsTest, LinesAreKeptFromTheirSecondUseWithinTheBound)
{
    TTextRuns runs(4);
    const QFont font = TFont().ToQFont();
    const unsigned number = FontNumber(font);
    EXPECT_EQ(runs.Use(font, number, "once"), nullptr);
    EXPECT_EQ(runs.Find(number, "once"), nullptr);
    const TTextRun* again = runs.Use(font, number, "once");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Width, QFontMetrics(font).horizontalAdvance("once"));
    EXPECT_EQ(runs.Use(font, number, "once"), runs.Find(number, "once"));

    // Many more lines than the bound: the store keeps at most twice the bound, the lately
    // used among them.
    for (int i = 0; i < 20; ++i) {
        const std::string text = "line " + std::to_string(i);
        runs.Use(font, number, text);
        runs.Use(font, number, text);
        runs.Use(font, number, "once"); // used all along
        EXPECT_LE(runs.Count(), 2 * runs.Capacity());
    }
    EXPECT_NE(runs.Find(number, "once"), nullptr);
    EXPECT_NE(runs.Find(number, "line 19"), nullptr);
    EXPECT_EQ(runs.Find(number, "line 0"), nullptr);
    runs.Clear();
    EXPECT_EQ(runs.Count(), 0u);
    EXPECT_EQ(runs.Use(font, number, "once"), nullptr) << "its use is forgotten too";
}
