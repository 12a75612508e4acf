// The combo box's drop-down list as the user drives it: its size and place, the keys and
// clicks that open, move in and close it, the grip's size kept for the next time,
// dragging from the button into the list, the keyed combo box's click on its text, and
// pictures of it open and closed.
#include "DBComboBoxExTestSupport.h"

#include <QLineEdit>
#include <QWheelEvent>

#include "controls/editors/SizeGrip.h"
#include "platform/ui/Metrics.h"

using namespace editors;

namespace {

class DBComboBoxExDropDownTest : public editorstest::ComboBoxTest {
protected:
    // Drop-downs are placed against this work area.
    uitest::TWorkAreaScope workArea{{0, 0, 1000, 800}};

    void SetUp() override
    {
        ComboBoxTest::SetUp();
        combo->OnDropDown = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { ++dropDowns; });
        combo->OnCloseUp = TCloseUpEventEx::FromFunction([this](rtl::TObject*, bool accept) { closeUps.push_back(accept); });
    }
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        ComboBoxTest::TearDown();
    }

    TPopupListboxEx* List() const { return combo->ListBox(); }
    bool Open() const { return combo->ListVisible() && List() && List()->isVisible(); }
    int TextWidth(const std::string& text) const
    {
        ui::TCanvas canvas;
        canvas.Font().Assign(combo->Font());
        return canvas.TextWidth(text);
    }
    // An item wider than the editor, and the width of a list fitted to it: its text, 5
    // pixels and the frame.
    static constexpr const char* WideItem = "A rather long item, wider than the editor";
    int FittedWidth(const std::string& item) const { return TextWidth(item) + 5 + 4; }
    // A point in the list's window on the row of an item.
    QPoint OnItem(int index) const
    {
        const ui::TRect r = List()->ItemRect(index);
        const ui::TPoint offset = List()->ClientOffset();
        return QPoint(offset.X + r.Left + 5, offset.Y + r.Top + r.Height() / 2);
    }
    QPoint OnText() const
    {
        const ui::TRect r = combo->GetEditRect();
        return combo->EditWindow()->mapFrom(combo, QPoint(combo->ClientOffset().X + r.Left + 3,
                                                          combo->ClientOffset().Y + r.Height() / 2));
    }
    TEditButtonControlEx* Button() const { return combo->EditButtonControl(0); }
    // A double click on the text as the windowing system delivers it: press, release,
    // press and double click, release, 100 ms apart.
    void DoubleClickText()
    {
        const QPoint at = OnText();
        const QPoint global = combo->EditWindow()->mapToGlobal(at);
        const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
        const int times[] = {0, 50, 100, 100, 150};
        for (int i = 0; i < 5; ++i) {
            const bool down = types[i] != QEvent::MouseButtonRelease;
            QMouseEvent e(types[i], at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            e.setTimestamp(clickTime + times[i]);
            QApplication::sendEvent(combo->EditWindow(), &e);
        }
        clickTime += 10000;
    }
    // The editor and, while open, the list where it stands below it.
    QImage Picture() const { return uitest::RenderWithPopup(combo, Open() ? List() : nullptr); }

    int dropDowns = 0;
    std::vector<bool> closeUps;
    quint64 clickTime = 1'000'000'000;
};

} // namespace

TEST_F(DBComboBoxExDropDownTest, TheListOpensBelowTheEditorWithARowForEachItemAndHoldsTheButtonDown)
{
    SetItems({"a", "bb"});
    combo->DropDown();
    ASSERT_TRUE(Open());
    EXPECT_EQ(dropDowns, 1);
    TPopupListboxEx* list = List();
    EXPECT_EQ(list->RowCount(), 2); // two items, though Rows is 7
    EXPECT_EQ(combo->DropDownBox().GetRows(), 7);
    EXPECT_EQ(list->Width(), combo->Width());
    const ui::TPoint below = combo->ClientToScreen({0, 0});
    EXPECT_EQ(list->Left(), combo->ClientToScreen({-combo->ClientOffset().X, 0}).X);
    EXPECT_EQ(list->Top(), below.Y - combo->ClientOffset().Y + combo->Height());
    EXPECT_TRUE(Button()->AlwaysDown());
    EXPECT_TRUE(combo->Focused());
    combo->CloseUp(false);
    EXPECT_FALSE(Button()->AlwaysDown());
}

TEST_F(DBComboBoxExDropDownTest, TheListFitsItsItemsAndIsNeverNarrowerThanTheEditor)
{
    // Width -1: the widest item, its 5 pixels and the frame; never narrower than the editor.
    const std::string wide = WideItem;
    struct Case {
        const char* Name;
        std::vector<std::string> Items;
        int WantedWidth;
        int Width;
        int Rows;
    };
    std::vector<std::string> nine;
    for (int i = 0; i < 8; ++i) nine.push_back("item " + std::to_string(i));
    nine.push_back(wide);
    const int fitted = FittedWidth(wide);
    ASSERT_GT(fitted, combo->Width());
    const Case cases[] = {
        {"fits the widest", {"a", wide}, -1, fitted, 2},
        {"with a scroll bar", nine, -1, fitted + ui::Metrics().VScrollWidth, 7},
        {"short items", {"a", "b"}, -1, combo->Width(), 2},
        {"in pixels", {"a"}, 300, 300, 1},
        {"narrower than the editor", {"a"}, 50, combo->Width(), 1},
        {"the editor's", {"a", wide}, 0, combo->Width(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        combo->Items().Clear();
        for (const std::string& item : c.Items) combo->Items().Add(item);
        combo->DropDownBox().SetWidth(c.WantedWidth);
        combo->DropDown();
        TPopupListboxEx* list = List();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->Width(), c.Width);
        EXPECT_EQ(list->RowCount(), c.Rows);
        EXPECT_EQ(list->Count(), static_cast<int>(c.Items.size()));
        combo->CloseUp(false);
    }
}

TEST_F(DBComboBoxExDropDownTest, AKeyedComboBoxOffersOnlyTheItemsThatHaveKeys)
{
    SetItems({"One", "Two", "Three"});
    SetKeys({"1", "2"});
    combo->DropDown();
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->Count(), 2);
    EXPECT_EQ(List()->RowCount(), 2);
    combo->CloseUp(false);
}

TEST_F(DBComboBoxExDropDownTest, ImagesMakeTheRowsAsHighAsTheyAreAndTakeRoomBesideTheText)
{
    auto images = editorstest::SolidImages({ui::clRed, ui::clBlue}, 24);
    combo->SetImages(images.get());
    combo->DropDownBox().SetWidth(-1);
    SetItems({"One", WideItem});
    SetKeys({"1", "2"});
    combo->DropDown();
    ASSERT_TRUE(Open());
    TPopupListboxEx* list = List();
    EXPECT_EQ(list->ItemHeight(), 24);
    EXPECT_EQ(list->Width(), FittedWidth(WideItem) + 16 + 4);
    EXPECT_EQ(list->GetImageList(), images.get());
    combo->CloseUp(false);
    combo->SetImages(nullptr);
}

TEST_F(DBComboBoxExDropDownTest, ASizeGivenWithTheGripIsKeptForTheNextTime)
{
    SetItems({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"});
    combo->DropDownBox().SetRows(4);
    combo->DropDown();
    ASSERT_TRUE(Open());
    EXPECT_FALSE(List()->SizeGrip()->Visible());
    combo->CloseUp(false);
    // Opening and closing alone keep the settings.
    EXPECT_EQ(combo->DropDownBox().GetRows(), 4);
    EXPECT_EQ(combo->DropDownBox().GetWidth(), 0);

    combo->DropDownBox().SetSizable(true);
    combo->DropDown();
    TPopupListboxEx* list = List();
    TSizeGripEx* grip = list->SizeGrip();
    ASSERT_TRUE(grip->Visible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    const int itemHeight = list->ItemHeight();
    const int width = list->Width();
    const QPoint from = grip->mapToGlobal(QPoint(10, 10));
    const QPoint to = from + QPoint(30, 2 * itemHeight + 3);
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(10, 10));
    uitest::MovePointer(grip, grip->mapFromGlobal(to));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(to));
    EXPECT_EQ(list->RowCount(), 6);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->DropDownBox().GetRows(), 6);
    EXPECT_EQ(combo->DropDownBox().GetWidth(), width + 30);

    combo->DropDown();
    EXPECT_EQ(list->RowCount(), 6);
    EXPECT_EQ(list->Width(), width + 30);
    combo->CloseUp(false);
}

TEST_F(DBComboBoxExDropDownTest, KeysMoveInTheOpenListEnterAcceptsAndEscCancels)
{
    auto* defaultButton = new ui::TButton(form);
    defaultButton->SetBounds(200, 200, 75, 25);
    defaultButton->SetDefault(true);
    int defaultClicks = 0;
    defaultButton->OnClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++defaultClicks; });
    SetItems({"One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine", "Ten"});
    combo->SetText("Two");

    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(List()->ItemIndex(), 1);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(List()->ItemIndex(), 3);
    EXPECT_EQ(combo->Text(), "Two"); // the keys went to the list
    Key(Qt::Key_Return);
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->Text(), "Four");
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(Selected(), "Four");
    EXPECT_EQ(closeUps, (std::vector<bool>{true}));
    EXPECT_EQ(defaultClicks, 0); // Enter went no further

    // PageDown, Ctrl+Home; Esc drops the choice.
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_PageDown);
    EXPECT_GT(List()->ItemIndex(), 3);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(List()->ItemIndex(), 0);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->Text(), "Four");
    EXPECT_EQ(closeUps, (std::vector<bool>{true, false}));

    // Alt+Down opens and closes; closed, Enter reaches the form again.
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(Open());
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(Open());
    EXPECT_EQ(closeUps.back(), false);
    Key(Qt::Key_Return);
    EXPECT_EQ(defaultClicks, 1);
    EXPECT_EQ(dropDowns, 3);

    // A character opens the list when AutoDrop is on; the wheel then scrolls the list.
    combo->DropDownBox().SetAutoDrop(true);
    combo->SelectAll();
    Type("T");
    EXPECT_TRUE(Open());
    EXPECT_EQ(combo->Text(), "Two");
    EXPECT_EQ(List()->ItemIndex(), 1);
    const int top = List()->TopIndex();
    const QPointF at(20, 10);
    QWheelEvent wheel(at, combo->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &wheel);
    EXPECT_EQ(List()->TopIndex(), top + 1);
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(DBComboBoxExDropDownTest, AClickOnAnItemAcceptsAClickElsewhereOrLeavingCancels)
{
    SetItems({"One", "Two", "Three"});
    QTest::mouseClick(Button(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(Open());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(List()));
    uitest::MovePointer(List(), OnItem(2));
    QTest::mouseClick(List(), Qt::LeftButton, {}, OnItem(2));
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->Text(), "Three");
    EXPECT_TRUE(combo->Focused());
    EXPECT_EQ(closeUps, (std::vector<bool>{true}));

    // A second click on the button closes what the first opened.
    QTest::mouseClick(Button(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Open());
    QTest::mouseClick(Button(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(Open());
    EXPECT_EQ(closeUps.back(), false);

    QTest::mouseClick(Button(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->Text(), "Three");

    Enter();
    combo->DropDown();
    Leave();
    EXPECT_FALSE(Open());
    EXPECT_EQ(closeUps, (std::vector<bool>{true, false, false, false}));
}

TEST_F(DBComboBoxExDropDownTest, DraggingFromTheButtonIntoTheListPicksWhereItIsReleased)
{
    SetItems({"One", "Two", "Three", "Four"});
    TEditButtonControlEx* button = Button();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(Open());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(List()));
    uitest::MovePointer(button, QPoint(4, 6)); // still on the button: nothing
    EXPECT_EQ(List()->ItemIndex(), -1);
    const QPoint onThird = button->mapFromGlobal(List()->mapToGlobal(OnItem(2)));
    uitest::MovePointer(button, onThird);
    EXPECT_EQ(List()->ItemIndex(), 2);
    EXPECT_TRUE(List()->MouseCapture());
    const QPoint onSecond = List()->mapFromGlobal(button->mapToGlobal(onThird)) - QPoint(0, List()->ItemHeight());
    uitest::MovePointer(List(), onSecond);
    EXPECT_EQ(List()->ItemIndex(), 1);
    QTest::mouseRelease(List(), Qt::LeftButton, {}, onSecond);
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->Text(), "Two");
    EXPECT_FALSE(List()->MouseCapture());
    EXPECT_FALSE(button->AlwaysDown());
    EXPECT_EQ(closeUps, (std::vector<bool>{true}));

    // Released on the button, the list stays open.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Open());
}

TEST_F(DBComboBoxExDropDownTest, KeyedAClickOnTheTextOpensTheListAndTheNextClosesIt)
{
    SetItems({"One", "Two", "Three"});
    SetKeys({"1", "2", "3"});
    combo->SetValue("2");
    EXPECT_EQ(combo->EditWindow()->cursor().shape(), Qt::ArrowCursor);
    Leave();
    QTest::mouseClick(combo->EditWindow(), Qt::LeftButton, {}, OnText());
    EXPECT_TRUE(Open());
    EXPECT_TRUE(combo->Focused());
    EXPECT_EQ(List()->ItemIndex(), 1);
    EXPECT_EQ(Selected(), "Two"); // the text box took no part: the selection stands
    QTest::mouseClick(combo->EditWindow(), Qt::LeftButton, {}, OnText());
    EXPECT_FALSE(Open());
    EXPECT_EQ(closeUps, (std::vector<bool>{false}));
    EXPECT_EQ(combo->Text(), "Two");

    // A double click opens the list as its first click did: its second press closes nothing.
    DoubleClickText();
    EXPECT_TRUE(Open());
    EXPECT_EQ(closeUps.size(), 1u);
    EXPECT_EQ(Selected(), "Two");
    combo->CloseUp(false);

    // Free text: a click places the caret and opens nothing.
    combo->KeyItems().Clear();
    combo->SetText("Three");
    combo->SelectAll();
    EXPECT_EQ(combo->EditWindow()->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(combo->EditWindow(), Qt::LeftButton, {}, OnText());
    EXPECT_FALSE(Open());
    EXPECT_EQ(combo->SelLength(), 0);
}

TEST_F(DBComboBoxExDropDownTest, PicturesOfTheComboBoxOpenAndClosed)
{
    SetItems({"Serial line", "USB bridge", "TCP"});
    SetKeys({"0", "1", "2"});
    combo->SetValue("1");
    editorstest::WriteSnapshot("combobox_closed", Picture());
    combo->SetFlat(true);
    editorstest::WriteSnapshot("combobox_closed_flat", Picture());
    combo->SetFlat(false);
    combo->DropDown();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(List()));
    editorstest::WriteSnapshot("combobox_open", Picture());
    combo->CloseUp(false);

    auto images = editorstest::SolidImages({ui::clRed, ui::clLime, ui::clBlue});
    combo->SetImages(images.get());
    combo->DropDownBox().SetWidth(-1);
    combo->DropDownBox().SetSizable(true);
    combo->DropDown();
    editorstest::WriteSnapshot("combobox_open_images_grip", Picture());
    combo->CloseUp(false);
    combo->SetImages(nullptr);
}
