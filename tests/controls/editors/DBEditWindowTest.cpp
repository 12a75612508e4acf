// The edit base as a window: the layout of its buttons and text area, the buttons'
// shortcuts, clicks and menus, its keys, the flat and hot border, its height, the edit
// image, the unfocused text, the in-place mode and pictures of it.
#include "DBEditTestSupport.h"

#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>

#include "controls/editors/ButtonPainting.h"
#include "platform/ui/Metrics.h"

using namespace editors;
using editorstest::TTestEdit;
using editorstest::SolidImages;
using editorstest::TTestHolder;

namespace {

// An editor whose value is a number, as the numeric editor's is.
class TNumberEdit : public TTestEdit {
public:
    using TTestEdit::TTestEdit;
    double Number = 0;

protected:
    rtl::Variant GetVariantValue() const override { return Number; }
};

class DBEditWindowTest : public editorstest::DBEditTest {
protected:
    // Counts the main button's presses and clicks.
    void CountButtonEvents()
    {
        edit->OnButtonDown = TButtonDownEventEx::FromFunction([this](rtl::TObject*, bool, bool&, bool&) { ++Downs; });
        edit->OnButtonClick = TButtonClickEventEx::FromFunction([this](rtl::TObject*, bool&) { ++Clicks; });
    }
    void ClickButton(int pair, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        TEditButtonControlEx* b = edit->EditButtonControl(pair);
        QTest::mouseClick(b, Qt::LeftButton, m, QPoint(b->Width() / 2, b->Height() / 2));
    }
    // Sets the client height (the 3-D border takes 2 pixels a side).
    void SetClientHeight(int h)
    {
        edit->SetAutoSize(false);
        edit->SetHeight(h + 4);
        ASSERT_EQ(edit->ClientHeight(), h);
    }
    QImage Picture() { return uitest::Render(edit); }

    int Downs = 0;
    int Clicks = 0;
};

} // namespace

TEST_F(DBEditWindowTest, FlatButtonsTakeTheFlatWidthAndASeparatorOthersTheScrollBarWidth)
{
    edit->GetEditButton()->SetVisible(true);
    const int client = edit->ClientWidth();
    struct Case {
        bool Flat;
        int ButtonWidth, SeparatorWidth;
    };
    for (const Case& c : {Case{true, GetDefaultFlatButtonWidth(), 1}, Case{false, ui::Metrics().VScrollWidth, 0}}) {
        SCOPED_TRACE(c.Flat ? "flat" : "3-D");
        edit->SetFlat(c.Flat);
        TEditButtonControlEx* button = edit->EditButtonControl(0);
        ui::TShape* separator = edit->ButtonSeparator(0);
        EXPECT_EQ(button->Width(), c.ButtonWidth);
        EXPECT_EQ(button->Left() + button->Width(), client);
        EXPECT_EQ(separator->Visible(), c.SeparatorWidth > 0);
        EXPECT_EQ(separator->Width(), c.SeparatorWidth);
        EXPECT_EQ(separator->Left(), button->Left() - c.SeparatorWidth);
        EXPECT_EQ(edit->ButtonsWidth(), c.ButtonWidth + c.SeparatorWidth);
        EXPECT_EQ(edit->GetEditRect(), (ui::TRect{0, 0, client - edit->ButtonsWidth(), edit->ClientHeight()}));
        EXPECT_EQ(edit->EditWindow()->geometry().width(), client - edit->ButtonsWidth());
        EXPECT_TRUE(button->Flat() == c.Flat);
    }

    // Further buttons stand right of the main one, in order; a width of their own holds.
    edit->SetFlat(true);
    edit->GetEditButtons()->Add()->SetWidth(9);
    edit->GetEditButtons()->Add();
    ASSERT_EQ(edit->ButtonControlCount(), 3);
    const int flat = GetDefaultFlatButtonWidth();
    EXPECT_EQ(edit->EditButtonControl(2)->Left(), client - flat);
    EXPECT_EQ(edit->EditButtonControl(1)->Left(), client - flat - 1 - 9);
    EXPECT_EQ(edit->EditButtonControl(1)->Width(), 9);
    EXPECT_EQ(edit->EditButtonControl(0)->Left(), client - flat - 1 - 9 - 1 - flat);
    EXPECT_EQ(edit->ButtonsWidth(), 3 * 1 + 2 * flat + 9);
    // A hidden button takes no room; a removed one leaves with its control.
    edit->GetEditButton()->SetVisible(false);
    EXPECT_EQ(edit->ButtonsWidth(), 2 * 1 + flat + 9);
    EXPECT_FALSE(edit->EditButtonControl(0)->Visible());
    delete edit->GetEditButtons()->Items(0);
    EXPECT_EQ(edit->ButtonControlCount(), 2);
    EXPECT_EQ(edit->ButtonsWidth(), 1 + flat);
}

TEST_F(DBEditWindowTest, ButtonsTakeTheFullClientHeightUpToOneAndAHalfTheirWidth)
{
    edit->GetEditButton()->SetVisible(true);
    for (bool flat : {false, true}) {
        SCOPED_TRACE(flat ? "flat" : "3-D");
        edit->SetFlat(flat);
        const int width = edit->EditButtonControl(0)->Width();
        const int limit = static_cast<int>(rtl::Round(3.0 * width / 2));
        SetClientHeight(limit);
        EXPECT_EQ(edit->EditButtonControl(0)->Height(), limit);
        EXPECT_EQ(edit->ButtonsHeight(), limit);
        SetClientHeight(limit + 1);
        EXPECT_EQ(edit->EditButtonControl(0)->Height(), DefaultEditButtonHeight(width, flat));
        EXPECT_EQ(edit->EditButtonControl(0)->Top(), 0);
        EXPECT_EQ(edit->ButtonSeparator(0)->Height(), edit->ButtonsHeight());
    }
    // The lowest visible button sets the height of all.
    edit->SetFlat(false);
    edit->GetEditButtons()->Add()->SetWidth(40);
    SetClientHeight(30);
    EXPECT_EQ(edit->EditButtonControl(0)->Height(), 17);
    EXPECT_EQ(edit->EditButtonControl(1)->Height(), 17);

    // A thin border keeps the buttons a pixel off it, yet the client height decides:
    // one pixel above the limit gives the usual height.
    delete edit->GetEditButtons()->Items(0);
    edit->SetCtl3D(false);
    const int width = edit->EditButtonControl(0)->Width();
    const int limit = static_cast<int>(rtl::Round(3.0 * width / 2));
    edit->SetHeight(limit + 1 + 2);
    ASSERT_EQ(edit->ClientHeight(), limit + 1);
    EXPECT_EQ(edit->EditButtonControl(0)->Height(), DefaultEditButtonHeight(width, false));
    EXPECT_EQ(edit->EditButtonControl(0)->Top(), 1);
    edit->SetHeight(limit + 2);
    EXPECT_EQ(edit->EditButtonControl(0)->Height(), limit - 2);
}

TEST_F(DBEditWindowTest, TheMainButtonsShortcutDoesNothingWhileButtonEnabledIsFalse)
{
    CountButtonEvents();
    edit->GetEditButton()->SetShortCut(AltDownShortCut);
    db::TMemDataSet& ds = Bind("NAME");
    ds.Close();
    EXPECT_FALSE(edit->ButtonEnabled());
    EXPECT_FALSE(edit->EditButtonControl(0)->Enabled());
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Downs, 0);
    EXPECT_TRUE(edit->Calls.empty());

    ds.Open();
    EXPECT_TRUE(edit->ButtonEnabled());
    EXPECT_TRUE(edit->EditButtonControl(0)->Enabled());
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Downs, 1);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(edit->Calls, (std::vector<std::string>{"DropDown"}));
    // The same key again: the click closes what the shortcut's press did not open.
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(edit->Calls, (std::vector<std::string>{"DropDown", "CloseUp cancel"}));

    // A further button's shortcut fires its own events; its key goes no further.
    int further = 0;
    TEditButtonEx* extra = edit->GetEditButtons()->Add();
    extra->SetShortCut(ui::VK_F4);
    extra->OnDown = TButtonDownEventEx::FromFunction([&](rtl::TObject* sender, bool top, bool&, bool&) {
        EXPECT_EQ(sender, extra);
        EXPECT_FALSE(top);
        ++further;
    });
    extra->OnClick = TButtonClickEventEx::FromFunction([&](rtl::TObject*, bool&) { ++further; });
    const std::string before = edit->Text();
    Key(Qt::Key_F4);
    EXPECT_EQ(further, 2);
    EXPECT_EQ(Downs, 2);
    EXPECT_EQ(edit->Text(), before);
}

TEST_F(DBEditWindowTest, TheMainButtonOpensTheDropDownAndItsNextClickClosesIt)
{
    CountButtonEvents();
    edit->GetEditButton()->SetVisible(true);
    other->SetFocus();
    ClickButton(0);
    EXPECT_TRUE(edit->Focused()); // the press takes the focus first
    EXPECT_EQ(edit->Calls, (std::vector<std::string>{"DropDown"}));
    EXPECT_TRUE(edit->DroppedDown());
    EXPECT_TRUE(edit->EditButtonControl(0)->AlwaysDown());
    EXPECT_EQ(Downs, 1);
    EXPECT_EQ(Clicks, 1);
    ClickButton(0);
    EXPECT_EQ(edit->Calls, (std::vector<std::string>{"DropDown", "CloseUp cancel"}));
    EXPECT_FALSE(edit->EditButtonControl(0)->AlwaysDown());

    // A press that opens it and a release outside the button: the next click closes it.
    TEditButtonControlEx* b = edit->EditButtonControl(0);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-5, 3));
    EXPECT_EQ(edit->Calls.size(), 3u);
    EXPECT_TRUE(edit->DroppedDown());
    ClickButton(0);
    EXPECT_EQ(edit->Calls.back(), "CloseUp cancel");

    // OnButtonClick may keep it open; OnButtonDown may keep it shut.
    edit->OnButtonClick = TButtonClickEventEx::FromFunction([](rtl::TObject*, bool& handled) { handled = true; });
    ClickButton(0);
    ClickButton(0);
    EXPECT_TRUE(edit->DroppedDown());
    edit->CloseUp(false);
    edit->OnButtonDown = TButtonDownEventEx::FromFunction([](rtl::TObject*, bool, bool&, bool& handled) { handled = true; });
    const std::size_t calls = edit->Calls.size();
    ClickButton(0);
    EXPECT_EQ(edit->Calls.size(), calls);

    // An up/down pair has no drop-down.
    edit->OnButtonDown = nullptr;
    edit->GetEditButton()->SetStyle(ebsUpDownEx);
    ClickButton(0);
    EXPECT_EQ(edit->Calls.size(), calls);
}

TEST_F(DBEditWindowTest, AButtonMenuPopsUpAndThePressThatClosesItOpensNothing)
{
    CountButtonEvents();
    QMenu menu;
    menu.addAction(QStringLiteral("Clear"));
    edit->GetEditButton()->SetVisible(true);
    edit->GetEditButton()->SetDropdownMenu(&menu);
    QTest::mousePress(edit->EditButtonControl(0), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(Downs, 1);
    EXPECT_TRUE(edit->Calls.empty()); // no drop-down
    EXPECT_EQ(edit->EditButtonControl(0)->State(), ui::bsUp);
    const QPoint below = edit->EditButtonControl(0)->mapToGlobal(QPoint(0, edit->EditButtonControl(0)->Height()));
    EXPECT_EQ(menu.pos(), below);

    // The press that closes the menu finds the marker and does nothing.
    menu.hide();
    QTest::mousePress(edit->EditButtonControl(0), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(edit->EditButtonControl(0), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(Downs, 1);
    QCoreApplication::processEvents();
    QTest::mousePress(edit->EditButtonControl(0), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(Downs, 2);
    menu.hide();
    QCoreApplication::processEvents();
}

TEST_F(DBEditWindowTest, CtrlAEscAndRejectedCharactersThroughRealKeys)
{
    db::TMemDataSet& ds = Bind("ID");
    Key(Qt::Key_End);
    Type("2x");
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_EQ(Boxes.Beeps, 1);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->SelLength(), 2);
    Key(Qt::Key_End);
    Key(Qt::Key_Escape); // the text was changed: the editor claims Esc and resets
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(edit->SelLength(), 1);
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 1);

    // Data-independent, every character goes in.
    edit->SetDataSource(nullptr);
    edit->SetDataField("");
    Type("x7");
    EXPECT_EQ(edit->Text(), "x7");
    EXPECT_EQ(Boxes.Beeps, 1);

    // Enter and Tab go into the text only when wanted.
    edit->SetWordWrap(true);
    QTest::keyClick(edit->MemoBox(), Qt::Key_Return);
    EXPECT_EQ(edit->Text(), "x7");
    edit->SetWantReturns(true);
    EXPECT_EQ(edit->QueryDialogCode() & ui::DLGC_WANTALLKEYS, unsigned(ui::DLGC_WANTALLKEYS));
    edit->Deselect();
    QTest::keyClick(edit->MemoBox(), Qt::Key_Return);
    EXPECT_EQ(edit->Text(), "x7\r\n");
    QTest::keyClick(edit->MemoBox(), Qt::Key_Tab);
    EXPECT_FALSE(edit->MemoBox()->hasFocus()); // Tab moved on
    edit->SetFocus();
    edit->SetWantTabs(true);
    edit->Deselect();
    QTest::keyClick(edit->MemoBox(), Qt::Key_Tab);
    EXPECT_EQ(edit->Text(), "x7\r\n\t");
    edit->SetReadOnly(true);
    QTest::keyClick(edit->MemoBox(), Qt::Key_Tab);
    QTest::keyClick(edit->MemoBox(), Qt::Key_Return);
    EXPECT_EQ(edit->Text(), "x7\r\n\t");
}

TEST_F(DBEditWindowTest, TheFlatBorderLightsUpWhileHot)
{
    edit->SetFlat(true);
    Leave();
    EXPECT_FALSE(edit->Hot());
    QImage cold = Picture();
    const ui::TColor face = ui::ColorToRGB(ui::clBtnFace);
    EXPECT_EQ(uitest::PixelAt(cold, 0, 0), face);
    EXPECT_EQ(uitest::PixelAt(cold, 1, 1), face);
    EXPECT_EQ(uitest::PixelAt(cold, edit->Width() - 1, edit->Height() - 1), face);

    edit->SetAlwaysShowBorder(true);
    EXPECT_TRUE(edit->Hot());
    QImage hot = Picture();
    EXPECT_EQ(uitest::PixelAt(hot, 0, 0), ui::ColorToRGB(ui::clBtnShadow));
    EXPECT_EQ(uitest::PixelAt(hot, edit->Width() - 1, edit->Height() - 1), ui::ColorToRGB(ui::clBtnHighlight));
    EXPECT_EQ(uitest::PixelAt(hot, 1, 1), face);
    edit->SetAlwaysShowBorder(false);
    Enter();
    EXPECT_TRUE(edit->Hot());
    Leave();
    EXPECT_FALSE(edit->Hot());

    // The buttons show the hot look with the editor; separators take the frame colour.
    edit->GetEditButton()->SetVisible(true);
    EXPECT_FALSE(edit->EditButtonControl(0)->GetActive());
    EXPECT_EQ(edit->ButtonSeparator(0)->Pen().Color(), edit->Color());
    edit->SetAlwaysShowBorder(true);
    EXPECT_TRUE(edit->EditButtonControl(0)->GetActive());
    EXPECT_EQ(edit->ButtonSeparator(0)->Pen().Color(), ui::clBtnFace);
}

TEST_F(DBEditWindowTest, TheHeightFollowsTheFontTheBorderAndTallerImages)
{
    const int text = edit->FontHeight();
    struct Case {
        bool Ctl3D, Flat;
        int Border;
    };
    for (const Case& c : {Case{true, false, 8}, Case{true, true, 6}, Case{false, false, 6}, Case{false, true, 4}}) {
        edit->SetCtl3D(c.Ctl3D);
        edit->SetFlat(c.Flat);
        EXPECT_EQ(edit->Height(), text + c.Border) << c.Ctl3D << c.Flat;
    }
    edit->SetCtl3D(true);
    edit->SetFlat(false);
    auto tall = SolidImages({ui::clRed}, text + 10);
    edit->SetImages(tall.get());
    EXPECT_EQ(edit->Height(), text + 10 + 8);
    edit->GetEditImage()->SetUseImageHeight(false);
    EXPECT_EQ(edit->Height(), text + 8);
    edit->SetImages(nullptr);

    // Without AutoSize the height stays as set.
    edit->SetAutoSize(false);
    edit->SetHeight(40);
    edit->Font().SetSize(20);
    EXPECT_EQ(edit->Height(), 40);
    edit->SetAutoSize(true);
    EXPECT_EQ(edit->Height(), edit->FontHeight() + 8);
}

TEST_F(DBEditWindowTest, TheEditImageStandsLeftOfTheTextWithTheIndexItIsGiven)
{
    auto images = SolidImages({ui::clRed, ui::clBlue, ui::clLime});
    edit->SetImages(images.get());
    EXPECT_TRUE(edit->GetEditImage()->GetVisible());
    EXPECT_EQ(edit->ImageWidth(), 20);
    EXPECT_EQ(edit->EditWindow()->geometry().left(), 2 + 20);
    EXPECT_EQ(edit->GetEditImage()->GetImageIndex(), -1); // the default index

    int asked = 0;
    edit->SetOnGetImageIndex(TGetImageIndexEventEx::FromFunction([&](rtl::TObject*, int& index) {
        ++asked;
        index = edit->Text().size() % 3;
    }));
    EXPECT_EQ(asked, 1);
    Type("x");
    EXPECT_EQ(edit->GetEditImage()->GetImageIndex(), 1);
    const QImage picture = Picture();
    EXPECT_EQ(uitest::PixelAt(picture, 2 + 10, edit->Height() / 2), ui::clBlue);

    edit->GetEditImage()->SetWidth(30);
    EXPECT_EQ(edit->ImageWidth(), 34);
    EXPECT_EQ(edit->EditWindow()->geometry().left(), 2 + 34);
    edit->GetEditImage()->SetVisible(false);
    EXPECT_EQ(edit->ImageWidth(), 0);
    EXPECT_EQ(edit->EditWindow()->geometry().left(), 2);
    images.reset(); // the editor hears that its images went
    EXPECT_EQ(edit->GetImages(), nullptr);
}

TEST_F(DBEditWindowTest, ANumberValueChoosesTheImageRoundedHalfToEven)
{
    auto* number = new TNumberEdit(form);
    auto images = SolidImages({ui::clRed, ui::clBlue, ui::clLime, ui::clRed, ui::clBlue});
    for (auto [value, index] : {std::pair{2.5, 2}, {3.5, 4}, {0.4, 0}}) {
        number->Number = value;
        number->SetImages(images.get());
        number->SetOnGetImageIndex(nullptr); // runs the update
        EXPECT_EQ(number->GetEditImage()->GetImageIndex(), index) << value;
    }
}

TEST_F(DBEditWindowTest, UnfocusedTheTextStandsAtTheEditorsAlignment)
{
    Bind("ID");
    auto inkOf = [this] {
        QImage p = Picture();
        const QRect box = edit->EditWindow()->geometry();
        return uitest::InkBounds(p.copy(box));
    };
    const QRect focused = inkOf();
    EXPECT_LT(focused.left(), 8); // the box edits left-aligned
    Leave();
    const QRect right = inkOf();
    EXPECT_GT(right.left(), edit->EditWindow()->width() / 2);
    EXPECT_GE(right.right(), edit->EditWindow()->width() - 8);
    edit->SetAlignment(ui::taCenter);
    const QRect centre = inkOf();
    EXPECT_NEAR((centre.left() + centre.right()) / 2, edit->EditWindow()->width() / 2, 4);
    edit->SetAlignment(ui::taLeftJustify);
    EXPECT_LT(inkOf().left(), 8);

    // A password shows as password characters there too.
    edit->SetAlignment(ui::taRightJustify);
    edit->SetPasswordChar('*');
    std::string shown;
    EXPECT_EQ(edit->GetDisplayText(), "1");
    edit->SetDataField("NAME");
    editorstest::WriteSnapshot("dbedit-password-unfocused", Picture());
    EXPECT_GT(inkOf().width(), 20); // five stars, not one letter
}

TEST_F(DBEditWindowTest, InPlaceTheHolderGetsTheKeysAndMessagesFirstAndPlacesTheEditor)
{
    auto* holder = new TTestHolder(form);
    holder->SetBounds(200, 10, 150, 80);
    holder->SetFocus();
    edit->SetInplaceEditHolder(holder);

    // An empty rectangle hides the window (the holder keeps the focus it had) ...
    edit->SetFocus();
    edit->SetBounds(0, 0, 0, 0);
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(edit->ui::TControl::Visible());
    EXPECT_TRUE(holder->Focused());
    edit->SetFocus(); // not while hidden
    EXPECT_TRUE(holder->Focused());
    // ... another shows it there, focused when the holder has the focus.
    edit->SetBounds(20, 30, 100, 21);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->BoundsRect(), (ui::TRect{20, 30, 120, 51}));
    EXPECT_TRUE(edit->Focused());
    edit->SetVisible(false);
    EXPECT_FALSE(edit->Visible());
    edit->SetBounds(20, 30, 100, 21);

    holder->Calls.clear();
    holder->SwallowKey = ui::VK_F2;
    Key(Qt::Key_F2);
    Type("a");
    EXPECT_EQ(holder->Calls[0], "KeyDown " + std::to_string(ui::VK_F2));
    EXPECT_EQ(holder->Calls[1], "KeyDown " + std::to_string('A'));
    EXPECT_EQ(holder->Calls[2], "KeyPress a");
    EXPECT_EQ(edit->Text(), "a");

    // The holder wants tabs: Tab reaches it instead of moving the focus.
    holder->Calls.clear();
    Key(Qt::Key_Tab);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(holder->Calls.front(), "KeyDown " + std::to_string(ui::VK_TAB));

    // Messages go to the holder first; an answer ends them there.
    EXPECT_EQ(edit->Perform(ui::WM_USER + 500), 1);

    // A press soon after the holder's own, near it, is a double click.
    int doubles = 0;
    edit->OnDblClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++doubles; });
    const QPoint at(10, 5); // the box lies at the client area's origin
    holder->MouseDownPos = edit->ClientToScreen({at.x() + 2, at.y() - 1});
    holder->MouseDownAgo = ui::Metrics().DoubleClickTime - 100;
    QTest::mouseClick(edit->EditWindow(), Qt::LeftButton, {}, at);
    EXPECT_EQ(doubles, 1);
    holder->MouseDownAgo = ui::Metrics().DoubleClickTime + 100;
    QTest::mouseClick(edit->EditWindow(), Qt::LeftButton, {}, at);
    holder->MouseDownAgo = 0;
    holder->MouseDownPos = edit->ClientToScreen({at.x() + 5, at.y()});
    QTest::mouseClick(edit->EditWindow(), Qt::LeftButton, {}, at);
    EXPECT_EQ(doubles, 1);
    edit->SetInplaceEditHolder(nullptr);
}

TEST_F(DBEditWindowTest, InPlaceAFocusTheFormWillNotGiveTheHolderIsDropped)
{
    int enters = 0;
    edit->OnEnter = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++enters; });
    auto* holder = new TTestHolder(form);
    holder->SetBounds(200, 10, 150, 80);
    holder->setFocusPolicy(Qt::NoFocus); // the form cannot make it its active control
    Leave();
    edit->SetInplaceEditHolder(holder);
    edit->SetBounds(20, 30, 100, 21);
    QTest::mouseClick(Box(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(other->Focused());
    EXPECT_FALSE(edit->FocusedFlag());
    EXPECT_FALSE(edit->Hot());
    EXPECT_EQ(enters, 0);
    // A holder the form takes: so does the editor.
    holder->setFocusPolicy(Qt::StrongFocus);
    QTest::mouseClick(Box(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(edit->Focused());
    EXPECT_TRUE(edit->FocusedFlag());
    EXPECT_EQ(enters, 1);
    edit->SetInplaceEditHolder(nullptr);
}

TEST_F(DBEditWindowTest, LeavingAMaskedEditorWithNothingSelectedMovesTheCaretTwoPlacesBack)
{
    edit->SetEditMask("000-000;1;_");
    edit->SetText("123-456");
    Key(Qt::Key_End);
    Key(Qt::Key_Left);
    ASSERT_EQ(edit->SelStart(), 6);
    Leave();
    EXPECT_EQ(edit->SelStart(), 4);
    // Never before the start.
    Enter();
    Key(Qt::Key_Home);
    Key(Qt::Key_Right);
    Leave();
    EXPECT_EQ(edit->SelStart(), 0);
    // An editor without a mask keeps its caret.
    edit->SetEditMask("");
    Enter();
    Key(Qt::Key_End);
    Leave();
    EXPECT_EQ(edit->SelStart(), 7);
}

TEST_F(DBEditWindowTest, PicturesOfTheEditor)
{
    Bind("NAME");
    edit->SetBounds(10, 10, 180, 21);
    edit->GetEditButton()->SetVisible(true);
    edit->GetEditButtons()->Add()->SetStyle(ebsEllipsisEx);
    auto images = SolidImages({ui::clTeal});
    std::vector<QImage> all;
    auto shoot = [&](const std::string& name) {
        all.push_back(Picture());
        editorstest::WriteSnapshot(name, all.back());
    };
    Leave();
    shoot("dbedit-3d-unfocused-buttons");
    Enter();
    shoot("dbedit-3d-focused-buttons");
    edit->SetFlat(true);
    shoot("dbedit-flat-focused-buttons");
    Leave();
    shoot("dbedit-flat-unfocused-buttons");
    edit->SetImages(images.get());
    edit->SetOnGetImageIndex(TGetImageIndexEventEx::FromFunction([](rtl::TObject*, int& index) { index = 0; }));
    shoot("dbedit-flat-unfocused-image");
    edit->SetFlat(false);
    edit->SetDataField("AMOUNT");
    shoot("dbedit-3d-unfocused-right-aligned-image");
    Enter();
    shoot("dbedit-3d-focused-image");
    EXPECT_EQ(edit->GetEditImage()->GetImageIndex(), 0);

    // All of them, one under the other and three times the size, to look at.
    QImage sheet(edit->Width(), static_cast<int>(all.size()) * (edit->Height() + 4), QImage::Format_RGB32);
    sheet.fill(Qt::magenta);
    QPainter painter(&sheet);
    for (std::size_t i = 0; i < all.size(); ++i) painter.drawImage(0, static_cast<int>(i) * (edit->Height() + 4), all[i]);
    painter.end();
    editorstest::WriteSnapshot("dbedit-all-states-x3", sheet.scaled(sheet.size() * 3));
}
