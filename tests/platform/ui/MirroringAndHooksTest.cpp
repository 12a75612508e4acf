// Right-to-left mapping of the canvas, the bidirectional mode of controls, and the scroll
// hook another control puts on a bar.
#include <string>
#include <vector>

#include <QScrollBar>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/StdControls.h"

namespace {

using namespace ui;
using uitest::TImageCanvas;

TEST(RightToLeftMapping, MirrorsPlacesButNotTheReadingDirection)
{
    TFixedMetricsScope metrics;
    QImage mirrored = uitest::WhiteImage(100, 30);
    {
        TImageCanvas paint(mirrored);
        paint.Canvas.SetRightToLeftMapping(true, 100);
        EXPECT_TRUE(paint.Canvas.RightToLeftMapping());
        paint.Canvas.Brush().SetColor(clRed);
        paint.Canvas.FillRect({0, 0, 10, 30}); // lands at the right edge
        paint.Canvas.Brush().SetColor(clWhite);
        paint.Canvas.TextOut(20, 5, "Text");
        // The visible part is mirrored with the mapping.
        EXPECT_EQ(paint.Canvas.ClipRect(), (TRect{0, 0, 100, 30}));
        paint.Canvas.SetRightToLeftMapping(false, 100);
        EXPECT_FALSE(paint.Canvas.RightToLeftMapping());
        paint.Canvas.Brush().SetColor(clBlue);
        paint.Canvas.FillRect({0, 0, 5, 5}); // back at the left
    }
    QImage expected = uitest::WhiteImage(100, 30);
    {
        TImageCanvas paint(expected);
        paint.Canvas.Brush().SetColor(clRed);
        paint.Canvas.FillRect({90, 0, 100, 30});
        paint.Canvas.Brush().SetColor(clWhite);
        const int width = paint.Canvas.TextWidth("Text");
        paint.Canvas.TextOut(100 - 20 - width, 5, "Text"); // the text's box mirrored, its glyphs as they are
        paint.Canvas.Brush().SetColor(clBlue);
        paint.Canvas.FillRect({0, 0, 5, 5});
    }
    EXPECT_EQ(mirrored, expected);
}

TEST(RightToLeftMapping, TurnedTextKeepsItsDirectionToo)
{
    TFixedMetricsScope metrics;
    auto upwards = [](bool mirror, int x) {
        QImage image = uitest::WhiteImage(60, 80);
        TImageCanvas paint(image);
        paint.Canvas.SetRightToLeftMapping(mirror, 60);
        paint.Canvas.Font().SetOrientation(900);
        paint.Canvas.Brush().SetStyle(bsClear);
        paint.Canvas.TextOut(x, 70, "Up");
        paint.End();
        return image;
    };
    const int height = TCanvas().TextHeight("Up");
    EXPECT_EQ(upwards(true, 10), upwards(false, 60 - 10 - height));
}

TEST(BiDiMode, IsQtsLayoutDirectionTakenFromTheParentUntilSet)
{
    class TListening : public TControl {
    public:
        using TControl::TControl;
        int Changes = 0;

    protected:
        void BiDiModeChanged() override { ++Changes; }
    };
    TControl parent;
    auto* child = new TListening(&parent);
    // Set through Qt it reads the same, and the child follows.
    parent.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(parent.BiDiMode(), bdRightToLeft);
    EXPECT_TRUE(child->ParentBiDiMode());
    EXPECT_TRUE(child->UseRightToLeftAlignment());
    // Its own mode holds against the parent's until it takes the parent's again.
    child->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(child->ParentBiDiMode());
    parent.SetBiDiMode(bdLeftToRight);
    parent.SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(child->BiDiMode(), bdLeftToRight);
    child->SetParentBiDiMode(true);
    EXPECT_EQ(child->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(child->Changes, 3);
    EXPECT_EQ(MirroredAlignment(taRightJustify), taLeftJustify);
    EXPECT_EQ(MirroredAlignment(taCenter), taCenter);
}

TEST(ScrollHook, SeesEachNoticeBeforeTheBar)
{
    TFixedMetricsScope metrics;
    TScrollBar bar(nullptr, sbHorizontal);
    bar.SetParams(0, 0, 10);
    std::vector<std::string> order;
    bar.OnScroll = TScrollEvent::FromFunction([&](TObject*, TScrollCode code, int& pos) {
        if (code == scLineDown) order.push_back("bar at " + std::to_string(pos));
    });
    bar.SetScrollHook([&](TScrollCode code, int& pos) {
        if (code != scLineDown) return;
        order.push_back("hook at " + std::to_string(pos));
        pos = 5; // the hook may move the bar elsewhere
    });
    bar.Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(order, (std::vector<std::string>{"hook at 1", "bar at 5"}));
    EXPECT_EQ(bar.Position(), 5);
    bar.SetScrollHook(nullptr);
    EXPECT_FALSE(bar.ScrollHook());
    bar.Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(order.back(), "bar at 6");
}

} // namespace
