// Speed button, scroll bar, gauge and shape.
#include "UiTestSupport.h"

#include <QPaintEngine>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>

#include "platform/rtl/Exception.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdControls.h"

using namespace ui;

namespace {

class StdControlsTest : public uitest::FormTest {};

} // namespace

TEST_F(StdControlsTest, ASpeedButtonClicksOnReleaseOnlyWhenReleasedOverItself)
{
    auto* button = new TSpeedButton(form);
    button->SetBounds(10, 10, 23, 22);
    int clicks = 0;
    button->OnClick = TNotifyEvent::FromFunction([&](TObject*) { ++clicks; });
    uitest::ShowActive(form);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->State(), bsDown);
    EXPECT_EQ(clicks, 0);
    uitest::MovePointer(button, QPoint(40, 5)); // dragged off: shown up again
    EXPECT_EQ(button->State(), bsUp);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button->State(), bsUp);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), bsUp);
    EXPECT_FALSE(button->Down()); // no group: never stays down

    button->SetEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
}

TEST_F(StdControlsTest, GroupedSpeedButtonsStayDownAndReleaseEachOther)
{
    auto* first = new TSpeedButton(form);
    auto* second = new TSpeedButton(form);
    second->SetLeft(30);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    uitest::ShowActive(form);

    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(first->Down());
    EXPECT_EQ(first->State(), bsExclusive);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    // Without AllowAllUp a down button does not come up by a click.
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(second->Down());
    second->SetAllowAllUp(true);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(second->Down());
    // Down by the program; a button without a group cannot be down.
    first->SetDown(true);
    EXPECT_TRUE(first->Down());
    first->SetGroupIndex(0);
    EXPECT_FALSE(first->Down());
    first->SetDown(true);
    EXPECT_FALSE(first->Down());
}

TEST_F(StdControlsTest, SpeedButtonFacesFollowFlatAndPressedStates)
{
    auto* button = new TSpeedButton(form);
    button->SetBounds(0, 0, 20, 20);
    form->SetColor(RGB(10, 20, 30));
    uitest::ShowActive(form);
    QImage up = uitest::Render(button);
    EXPECT_EQ(uitest::PixelAt(up, 0, 0), SysColors()[COLOR_3DLIGHT]); // raised face
    EXPECT_EQ(uitest::PixelAt(up, 19, 19), SysColors()[COLOR_3DDKSHADOW]);
    button->SetFlat(true);
    QImage flat = uitest::Render(button);
    EXPECT_EQ(uitest::PixelAt(flat, 0, 0), RGB(10, 20, 30)); // no face until hot
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QImage pressed = uitest::Render(button);
    EXPECT_EQ(uitest::PixelAt(pressed, 0, 0), SysColors()[COLOR_BTNSHADOW]);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    // The glyph's bottom-left colour is transparent; two glyphs: the second shows disabled.
    TBitmap glyph(8, 4);
    glyph.Canvas().Brush().SetColor(clFuchsia);
    glyph.Canvas().FillRect({0, 0, 8, 4});
    glyph.Canvas().Brush().SetColor(clRed);
    glyph.Canvas().FillRect({1, 0, 3, 2});
    glyph.Canvas().Brush().SetColor(clBlue);
    glyph.Canvas().FillRect({5, 0, 7, 2});
    button->SetFlat(false);
    button->SetNumGlyphs(2);
    button->SetGlyph(glyph);
    QImage withGlyph = uitest::Render(button);
    // A 4 x 4 glyph centred in the 16 x 16 content area that starts at (2, 2).
    EXPECT_EQ(uitest::PixelAt(withGlyph, 9, 8), clRed);
    EXPECT_EQ(uitest::PixelAt(withGlyph, 8, 8), SysColors()[COLOR_BTNFACE]);
    button->SetEnabled(false);
    QImage disabled = uitest::Render(button);
    EXPECT_EQ(uitest::PixelAt(disabled, 9, 8), clBlue);
}

TEST_F(StdControlsTest, TheScrollBarsLargestPositionIsMaxLessPagePlusOne)
{
    auto* bar = new TScrollBar(form, sbVertical);
    bar->SetBounds(0, 0, 17, 150);
    std::vector<std::pair<TScrollCode, int>> scrolls;
    int changes = 0;
    bar->OnScroll = TScrollEvent::FromFunction([&](TObject*, TScrollCode code, int& pos) { scrolls.push_back({code, pos}); });
    bar->OnChange = TNotifyEvent::FromFunction([&](TObject*) { ++changes; });
    bar->SetParams(0, 0, 99);
    bar->SetPageSize(10);
    bar->SetLargeChange(7);
    EXPECT_EQ(bar->MaxPosition(), 90);
    EXPECT_EQ(bar->Bar()->maximum(), 90);
    EXPECT_EQ(bar->Bar()->pageStep(), 10);
    bar->SetPosition(95);
    EXPECT_EQ(bar->Position(), 90);
    EXPECT_EQ(changes, 1);
    bar->SetPosition(-5);
    EXPECT_EQ(bar->Position(), 0);

    // A page step moves by LargeChange; the end takes the largest position.
    bar->Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->Position(), 7);
    EXPECT_EQ(bar->Bar()->value(), 7);
    bar->Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(bar->Position(), 90);
    ASSERT_GE(scrolls.size(), 4u);
    EXPECT_EQ(scrolls[0], std::make_pair(scPageDown, 7));
    EXPECT_EQ(scrolls[1], std::make_pair(scEndScroll, 7));
    EXPECT_EQ(scrolls[2], std::make_pair(scBottom, 90));

    // The scroll handler may change where the scroll ends.
    bar->OnScroll = TScrollEvent::FromFunction([](TObject*, TScrollCode code, int& pos) { if (code == scLineUp) pos = 50; });
    bar->Bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar->Position(), 50);

    // Without a page the largest position is Max.
    bar->SetPageSize(0);
    EXPECT_EQ(bar->MaxPosition(), 99);
    EXPECT_THROW(bar->SetParams(0, 10, 5), rtl::EInvalidOperation);
}

TEST_F(StdControlsTest, ATallScrollBarIsPaintedInStripsThatLookAsQtPaintsItWhole)
{
    // Records the device lines each drawing of a scroll bar may touch.
    class TRecordingStyle : public QProxyStyle {
    public:
        mutable std::vector<QRect> Clips;
        void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                const QWidget* widget) const override
        {
            if (control == CC_ScrollBar) Clips.push_back(painter->paintEngine()->systemClip().boundingRect());
            QProxyStyle::drawComplexControl(control, option, painter, widget);
        }
    };
    auto* bar = new TScrollBar(form, sbVertical);
    bar->SetBounds(0, 0, 17, 230);
    bar->SetParams(30, 0, 99);
    bar->SetPageSize(10);
    // A plain Qt bar beside it, in the same window.
    auto* plain = new QScrollBar(Qt::Vertical, form);
    plain->setGeometry(50, 0, 17, 230);
    plain->setRange(bar->Bar()->minimum(), bar->Bar()->maximum());
    plain->setPageStep(bar->Bar()->pageStep());
    plain->setValue(bar->Bar()->value());
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));

    auto* style = new TRecordingStyle; // the bar does not own it
    bar->Bar()->setStyle(style);
    const QImage strips = uitest::Render(bar);
    ASSERT_GE(style->Clips.size(), 3u) << "230 lines in strips of at most 95";
    int covered = 0;
    for (const QRect& clip : style->Clips) {
        EXPECT_LE(clip.height(), 95);
        covered += clip.height();
    }
    EXPECT_EQ(covered, 230);
    EXPECT_EQ(strips, uitest::Render(plain));

    // A short bar is painted whole.
    style->Clips.clear();
    bar->SetBounds(0, 0, 17, 60);
    uitest::Render(bar);
    ASSERT_EQ(style->Clips.size(), 1u);
    EXPECT_EQ(style->Clips[0].height(), 60);
    bar->Bar()->setStyle(nullptr);
    delete style;
}

TEST_F(StdControlsTest, TheBacklogGaugeTurnsRedAbove100)
{
    auto* gauge = new TGauge(form);
    gauge->SetBounds(0, 0, 100, 10);
    EXPECT_EQ(gauge->MinValue(), 0);
    EXPECT_EQ(gauge->MaxValue(), 500);
    EXPECT_FALSE(gauge->ShowText());
    gauge->SetProgress(100);
    QImage at100 = uitest::Render(gauge);
    EXPECT_EQ(uitest::PixelAt(at100, 0, 5), clLime);
    EXPECT_EQ(uitest::PixelAt(at100, 19, 5), clLime); // 100 of 500 is a fifth
    EXPECT_EQ(uitest::PixelAt(at100, 20, 5), clWhite);
    EXPECT_EQ(uitest::PixelAt(at100, 99, 9), clWhite);
    gauge->SetProgress(101);
    QImage at101 = uitest::Render(gauge);
    EXPECT_EQ(uitest::PixelAt(at101, 0, 5), clRed);
    EXPECT_EQ(uitest::PixelAt(at101, 19, 5), clRed);
    EXPECT_EQ(uitest::PixelAt(at101, 21, 5), clWhite);
    gauge->SetProgress(9999);
    EXPECT_EQ(gauge->Progress(), 500);
    EXPECT_EQ(gauge->PercentDone(), 100);
    QImage full = uitest::Render(gauge);
    EXPECT_EQ(uitest::PixelAt(full, 99, 9), clRed);
    gauge->SetProgress(-3);
    QImage empty = uitest::Render(gauge);
    EXPECT_EQ(uitest::InkBounds(empty), QRect()); // all white, no text
}

TEST_F(StdControlsTest, AShapeIsARectangleInItsPenAndBrush)
{
    auto* shape = new TShape(form);
    shape->SetBounds(0, 0, 1, 20);
    shape->Pen().SetColor(clBtnFace);
    QImage img = uitest::Render(shape);
    EXPECT_EQ(uitest::PixelAt(img, 0, 0), SysColors()[COLOR_BTNFACE]);
    EXPECT_EQ(uitest::PixelAt(img, 0, 19), SysColors()[COLOR_BTNFACE]);
}
