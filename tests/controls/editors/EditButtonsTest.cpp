// Edit button descriptions, their collection, and the button control as the mouse drives it.
#include "EditorsTestSupport.h"

#include "controls/editors/EditButtons.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"

using namespace editors;

namespace {

class EditButtonsTest : public uitest::FormTest {
protected:
    // A button control on the shown form, recording its presses (with the driven clock's
    // time) and clicks.
    TEditButtonControlEx* ShowButton(TEditButtonStyleEx style, int width, int height)
    {
        auto* button = new TEditButtonControlEx(form);
        button->SetStyle(style);
        button->SetBounds(10, 10, width, height);
        button->OnDown = TButtonDownEventEx::FromFunction([this](rtl::TObject*, bool top, bool& repeat, bool&) {
            Presses.push_back({top, time.Now()});
            if (ClearAutoRepeat) repeat = false;
            if (SetAutoRepeat) repeat = true;
        });
        button->OnClick = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { ++Clicks; });
        uitest::ShowActive(form);
        return button;
    }

    struct Press {
        bool Top;
        std::int64_t At;
    };
    ui::TManualTimers time;
    std::vector<Press> Presses;
    int Clicks = 0;
    bool ClearAutoRepeat = false;
    bool SetAutoRepeat = false;
};

} // namespace

TEST_F(EditButtonsTest, TheVariantsDifferInShortcutAndVisibility)
{
    ui::TControl editor;
    TEditButtonEx plain(&editor);
    TDropDownEditButtonEx dropDown(&editor);
    TVisibleEditButtonEx visible(&editor);
    EXPECT_EQ(plain.GetShortCut(), 0);
    EXPECT_FALSE(plain.GetVisible());
    EXPECT_EQ(dropDown.GetShortCut(), 32808); // Alt+Down
    EXPECT_FALSE(dropDown.GetVisible());
    EXPECT_EQ(visible.GetShortCut(), 32808);
    EXPECT_TRUE(visible.GetVisible());
    for (const TEditButtonEx* b : {static_cast<TEditButtonEx*>(&plain), static_cast<TEditButtonEx*>(&dropDown),
                                   static_cast<TEditButtonEx*>(&visible)}) {
        EXPECT_EQ(b->GetEditor(), &editor);
        EXPECT_EQ(b->GetStyle(), ebsDropDownEx);
        EXPECT_EQ(b->GetNumGlyphs(), 1);
        EXPECT_EQ(b->GetWidth(), 0);
        EXPECT_TRUE(b->GetGlyph().Empty());
        EXPECT_TRUE(b->GetGlyph().Transparent());
    }
    TEditButtonsEx buttons(nullptr);
    EXPECT_TRUE(buttons.Add()->GetVisible()); // the editors' items are visible buttons
    EXPECT_EQ(buttons.Items(0)->GetShortCut(), 32808);
}

TEST_F(EditButtonsTest, NumGlyphsIsKeptBetweenOneAndFour)
{
    TEditButtonEx button(static_cast<ui::TControl*>(nullptr));
    for (auto [given, kept] : {std::pair{0, 1}, {9, 4}, {-3, 1}, {3, 3}, {4, 4}}) {
        button.SetNumGlyphs(given);
        EXPECT_EQ(button.GetNumGlyphs(), kept) << given;
    }
}

TEST_F(EditButtonsTest, EveryRealChangeIsReportedOnceToTheOwnerOrTheCollection)
{
    TEditButtonEx button(static_cast<ui::TControl*>(nullptr));
    int changes = 0;
    button.OnChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* sender) {
        EXPECT_EQ(sender, &button);
        ++changes;
    });
    QMenu menu;
    ui::TBitmap glyph(16, 8);
    const std::vector<std::function<void()>> setters = {
        // clang-format off
        [&] { button.SetStyle(ebsUpDownEx); },   [&] { button.SetHint("hint"); },
        [&] { button.SetNumGlyphs(2); },         [&] { button.SetShortCut(ui::VK_F4); },
        [&] { button.SetVisible(true); },        [&] { button.SetWidth(12); },
        [&] { button.SetDropdownMenu(&menu); },  [&] { button.SetGlyph(glyph); },
        // clang-format on
    };
    for (std::size_t i = 0; i < setters.size(); ++i) {
        setters[i]();
        EXPECT_EQ(changes, static_cast<int>(i) + 1) << i;
    }
    // Unchanged values: no notice (the glyph is copied, and reported, every time).
    for (std::size_t i = 0; i + 1 < setters.size(); ++i) setters[i]();
    EXPECT_EQ(changes, static_cast<int>(setters.size()));

    TEditButtonsEx buttons(nullptr, rtl::TCollection::ItemClass<TEditButtonEx>());
    int collectionChanges = 0;
    buttons.OnChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* sender) {
        EXPECT_EQ(sender, &buttons);
        ++collectionChanges;
    });
    TEditButtonEx* item = buttons.Add();
    EXPECT_FALSE(item->GetVisible());
    const int afterAdd = collectionChanges;
    item->SetWidth(30);
    EXPECT_EQ(collectionChanges, afterAdd + 1);
    item->SetWidth(30);
    EXPECT_EQ(collectionChanges, afterAdd + 1);
}

TEST_F(EditButtonsTest, AssignCopiesPropertiesEventsAndCollections)
{
    QMenu menu;
    TEditButtonEx source(static_cast<ui::TControl*>(nullptr));
    int clicked = 0;
    source.SetStyle(ebsEllipsisEx);
    source.SetHint("more");
    source.SetNumGlyphs(3);
    source.SetShortCut(ui::VK_F2);
    source.SetVisible(true);
    source.SetWidth(15);
    source.SetDropdownMenu(&menu);
    source.SetGlyph(ui::TBitmap(9, 3));
    source.OnClick = TButtonClickEventEx::FromFunction([&](rtl::TObject*, bool&) { ++clicked; });

    TEditButtonsEx buttons(nullptr);
    buttons.Add()->Assign(&source);
    buttons.Add();
    TEditButtonsEx copy(nullptr);
    copy.Assign(&buttons);
    ASSERT_EQ(copy.GetCount(), 2);
    const TEditButtonEx* b = copy.Items(0);
    EXPECT_EQ(b->GetStyle(), ebsEllipsisEx);
    EXPECT_EQ(b->GetHint(), "more");
    EXPECT_EQ(b->GetNumGlyphs(), 3);
    EXPECT_EQ(b->GetShortCut(), ui::VK_F2);
    EXPECT_TRUE(b->GetVisible());
    EXPECT_EQ(b->GetWidth(), 15);
    EXPECT_EQ(b->GetDropdownMenu(), &menu);
    EXPECT_EQ(b->GetGlyph().Width(), 9);
    bool handled = false;
    b->OnClick(nullptr, handled);
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(dynamic_cast<TVisibleEditButtonEx*>(copy.Items(1)) != nullptr, true);
}

TEST_F(EditButtonsTest, AButtonMakesItsControlOnItsEditor)
{
    TVisibleEditButtonEx button(form);
    TEditButtonControlEx* control = button.CreateEditButtonControl();
    EXPECT_EQ(control->Parent(), form);
    EXPECT_EQ(control->GetOwner(), form);
    EXPECT_EQ(control->Width(), 10);
    EXPECT_EQ(control->Height(), 17);
    EXPECT_FALSE(control->Transparent());
    EXPECT_TRUE(control->Visible());
}

TEST_F(EditButtonsTest, OnASeventeenPixelUpDownButtonTheMiddleRowsPressNeitherHalf)
{
    TEditButtonControlEx* button = ShowButton(ebsUpDownEx, 17, 17);
    for (int y = 0; y < 17; ++y) {
        Presses.clear();
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, y));
        const int half = button->DownHalf();
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, y));
        SCOPED_TRACE(y);
        if (y <= 7) {
            EXPECT_EQ(half, 1);
            ASSERT_EQ(Presses.size(), 1u);
            EXPECT_TRUE(Presses[0].Top);
        } else if (y >= 10) {
            EXPECT_EQ(half, 2);
            ASSERT_EQ(Presses.size(), 1u);
            EXPECT_FALSE(Presses[0].Top);
        } else {
            EXPECT_EQ(half, 0);
            EXPECT_TRUE(Presses.empty());
        }
        EXPECT_EQ(button->DownHalf(), 0); // released
    }
    // An even height has one middle row.
    button->SetHeight(16);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(button->DownHalf(), 0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 9));
    EXPECT_EQ(button->DownHalf(), 2);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 9));
}

TEST_F(EditButtonsTest, HoldingAnUpDownHalfForOneSecondStepsAtZeroFourHundredAndEveryHundredAfter)
{
    TEditButtonControlEx* button = ShowButton(ebsUpDownEx, 17, 17);
    const std::int64_t start = time.Now();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 3));
    time.Advance(1000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 3));
    std::vector<std::int64_t> at;
    for (const Press& p : Presses) {
        EXPECT_TRUE(p.Top);
        at.push_back(p.At - start);
    }
    EXPECT_EQ(at, (std::vector<std::int64_t>{0, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(Clicks, 1);
    ASSERT_NE(button->RepeatTimer(), nullptr);
    EXPECT_FALSE(button->RepeatTimer()->Active());
    time.Advance(1000);
    EXPECT_EQ(Presses.size(), 8u);

    // The lower half repeats the same way; a press that is let go early steps once.
    Presses.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 14));
    time.Advance(399);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 14));
    time.Advance(500);
    ASSERT_EQ(Presses.size(), 1u);
    EXPECT_FALSE(Presses[0].Top);
}

TEST_F(EditButtonsTest, DraggingOffThePressedHalfStopsTheStepsAndTheReleaseDoesNotClick)
{
    TEditButtonControlEx* button = ShowButton(ebsUpDownEx, 17, 17);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 3));
    time.Advance(450); // the press and one repeat
    uitest::MovePointer(button, QPoint(8, 14));
    EXPECT_EQ(button->State(), ui::bsUp);
    time.Advance(500);
    EXPECT_EQ(Presses.size(), 2u);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 14));
    EXPECT_EQ(Clicks, 0);

    // Back over the pressed half before letting go: the timer, which kept its first
    // delay while the half was left, steps again at its next tick, and the release clicks.
    Presses.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 14));
    uitest::MovePointer(button, QPoint(8, 2));
    time.Advance(450);
    uitest::MovePointer(button, QPoint(8, 13));
    time.Advance(400);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 13));
    EXPECT_EQ(Presses.size(), 2u);
    EXPECT_EQ(Clicks, 1);

    // Other buttons' releases leave the next click alone.
    QTest::mouseClick(button, Qt::RightButton, {}, QPoint(8, 3));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(Clicks, 2);
    Clicks = 1;

    // Other styles: no repeat, and a release outside the button does not click.
    button->SetStyle(ebsEllipsisEx);
    Presses.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 12));
    time.Advance(1000);
    uitest::MovePointer(button, QPoint(40, 12));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 12));
    ASSERT_EQ(Presses.size(), 1u);
    EXPECT_TRUE(Presses[0].Top);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(EditButtonsTest, APressWhoseReleaseWentElsewhereStopsRepeating)
{
    TEditButtonControlEx* button = ShowButton(ebsUpDownEx, 17, 17);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 3));
    time.Advance(450);
    ASSERT_EQ(Presses.size(), 2u);
    {
        // A menu took the mouse and the button was let go over it.
        ui::TInputStateScope released(0, 0);
        time.Advance(1000);
    }
    EXPECT_EQ(Presses.size(), 2u);
    EXPECT_FALSE(button->RepeatTimer()->Active());
    EXPECT_EQ(button->State(), ui::bsUp);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(Clicks, 0);
}

TEST_F(EditButtonsTest, TheDownHandlerDecidesWhetherAPressRepeats)
{
    TEditButtonControlEx* button = ShowButton(ebsUpDownEx, 17, 17);
    ClearAutoRepeat = true;
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 3));
    time.Advance(1000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(Presses.size(), 1u);

    // A repeat the handler stops after three steps.
    ClearAutoRepeat = false;
    Presses.clear();
    button->OnDown = TButtonDownEventEx::FromFunction([this](rtl::TObject*, bool top, bool& repeat, bool&) {
        Presses.push_back({top, time.Now()});
        repeat = Presses.size() < 3;
    });
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, 3));
    time.Advance(1000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(Presses.size(), 3u);

    // Any style repeats when the handler asks for it.
    TEditButtonControlEx* plus = ShowButton(ebsPlusEx, 17, 17);
    Presses.clear();
    SetAutoRepeat = true;
    QTest::mousePress(plus, Qt::LeftButton, {}, QPoint(8, 12));
    time.Advance(600);
    QTest::mouseRelease(plus, Qt::LeftButton, {}, QPoint(8, 12));
    EXPECT_EQ(Presses.size(), 4u); // 0, 400, 500, 600
}

TEST_F(EditButtonsTest, AnAlwaysDownButtonStaysPressedUntilReleased)
{
    TEditButtonControlEx* button = ShowButton(ebsDropDownEx, 17, 20);
    button->SetAlwaysDown(true);
    EXPECT_TRUE(button->AlwaysDown());
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->State(), ui::bsExclusive);
    EXPECT_EQ(button->DownHalf(), 1);
    // A click on it while down (closing a drop-down) keeps it down.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(Clicks, 1);
    const QImage pressed = uitest::Render(button);
    button->SetAlwaysDown(false);
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->GroupIndex(), 0);
    EXPECT_EQ(button->DownHalf(), 0);
    EXPECT_NE(uitest::Render(button), pressed);
}

TEST_F(EditButtonsTest, DefaultButtonHeightAndFlatWidth)
{
    struct Case {
        int width;
        bool flat;
        int height;
    };
    // Flat: half as high again, halves rounded to even.
    for (const Case& c : {Case{17, false, 17}, Case{17, true, 26}, Case{15, true, 22}, Case{13, true, 20},
                          Case{9, true, 14}, Case{0, true, 0}, Case{0, false, 0}})
        EXPECT_EQ(DefaultEditButtonHeight(c.width, c.flat), c.height) << c.width << (c.flat ? " flat" : "");

    const int flatWidth = GetDefaultFlatButtonWidth();
    EXPECT_EQ(flatWidth % 2, 1);
    EXPECT_GE(flatWidth, 5);
    EXPECT_LE(flatWidth, ui::Metrics().VScrollWidth);
    ui::Metrics().VScrollWidth = 4;
    EXPECT_EQ(GetDefaultFlatButtonWidth(), 4);
}
