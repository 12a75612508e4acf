// The grid's cell editor laid over its cell: the text rectangle, the main and further
// edit buttons with their separators, the image beside the text, what pressing and
// clicking the buttons does (menus, shortcuts, events), the focus rules, and pictures of
// each look.
#include "InplaceEditFixture.h"

#include <QMenu>
#include <QPointer>

#include "controls/editors/ButtonPainting.h"
#include "controls/editors/EditorsTestSupport.h"
#include "platform/ui/Form.h"

namespace {

using namespace grid;

class InplaceLayout : public inplacetest::InplaceEditTest {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        InplaceEditTest::TearDown();
    }
    // Adds a further edit button to the column.
    static editors::TEditButtonEx* AddButton(TColumnEx* column, editors::TEditButtonStyleEx style, int width = 0)
    {
        editors::TEditButtonEx* button = column->EditButtons()->Add();
        button->SetStyle(style);
        button->SetWidth(width);
        button->SetShortCut(0);
        return button;
    }
    static ui::TRect Bounds(const ui::TControl* control) { return control->BoundsRect(); }
};

TEST_F(InplaceLayout, WithoutButtonsTheTextSpansTheCellLessTwoPixelsEachSide)
{
    AddColumn("NAME", 120);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->EditStyle(), cesNoneEx);
    const int w = editor->Width(), h = editor->Height();
    EXPECT_EQ(editor->ButtonsWidth(), 0);
    EXPECT_FALSE(editor->EditButtonControl(0)->Visible());
    EXPECT_EQ(editor->EditRect(), (ui::TRect{2, 2, w - 2, h}));
    Snapshot("inplace-none");

    // Flat: one pixel from the top and the bottom, down to the bottom when the font is
    // taller than that.
    Grid->SetFlat(true);
    editor = Edit(0);
    const int fh = editor->Height();
    ASSERT_LE(TDBGridInplaceEdit::GetFontHeight(editor->Font()), fh - 2);
    EXPECT_EQ(editor->EditRect(), (ui::TRect{2, 1, editor->Width() - 2, fh - 1}));
    ui::TFont large(Grid->Columns().Items(0)->GetFont());
    large.SetSize(large.Size() * 3);
    Grid->Columns().Items(0)->SetFont(large);
    Grid->InvalidateEditor();
    ASSERT_GT(TDBGridInplaceEdit::GetFontHeight(editor->Font()), editor->Height() - 2);
    EXPECT_EQ(editor->EditRect(), (ui::TRect{2, 1, editor->Width() - 2, editor->Height()}));
}

TEST_F(InplaceLayout, ADropDownColumnHasAButtonAsWideAsAScrollBarAtTheRightEdge)
{
    AddColumn("NAME");
    AddColorColumn();
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    const int w = editor->Width(), h = editor->Height();
    const int bar = ui::Metrics().VScrollWidth;
    editors::TEditButtonControlEx* button = editor->EditButtonControl(0);
    ASSERT_TRUE(button->Visible());
    EXPECT_EQ(button->GetStyle(), editors::ebsDropDownEx);
    EXPECT_EQ(Bounds(button), (ui::TRect{w - bar, 0, w, h}));
    EXPECT_FALSE(editor->ButtonSeparator(0)->Visible());
    EXPECT_EQ(editor->ButtonsWidth(), bar);
    // Two pixels between the text and the button.
    EXPECT_EQ(editor->EditRect(), (ui::TRect{2, 2, w - bar - 2, h}));
    // As wide as the cell drawing leaves for the buttons.
    EXPECT_EQ(editor->ButtonsWidth(), Grid->Columns().Items(1)->EditButtonsWidth());
    Snapshot("inplace-picklist-button");
}

TEST_F(InplaceLayout, AFlatGridGivesEveryVisibleButtonASeparatorAtItsLeft)
{
    TColumnEx* column = AddColorColumn();
    AddButton(column, editors::ebsEllipsisEx);
    AddButton(column, editors::ebsPlusEx)->SetVisible(false);
    AddButton(column, editors::ebsMinusEx, 9);
    Grid->SetFlat(true);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->ButtonControlCount(), 4);
    const int w = editor->Width();
    const int flat = editors::GetDefaultFlatButtonWidth();
    // A button narrower than two thirds of the editor's height is as high as it is wide,
    // and every button takes the lowest height.
    ASSERT_GT(editor->ClientHeight(), rtl::Round(9 * 3.0 / 2));
    const int h = 9;
    // From the right: minus (9), the hidden plus, ellipsis, the main button, each visible
    // one with its separator before it.
    EXPECT_EQ(Bounds(editor->EditButtonControl(3)), (ui::TRect{w - 9, 0, w, h}));
    EXPECT_EQ(Bounds(editor->ButtonSeparator(3)), (ui::TRect{w - 10, 0, w - 9, h}));
    EXPECT_FALSE(editor->EditButtonControl(2)->Visible());
    EXPECT_FALSE(editor->ButtonSeparator(2)->Visible());
    EXPECT_EQ(editor->EditButtonControl(2)->Width(), 0);
    EXPECT_EQ(Bounds(editor->EditButtonControl(1)), (ui::TRect{w - 10 - flat, 0, w - 10, h}));
    EXPECT_EQ(Bounds(editor->EditButtonControl(0)), (ui::TRect{w - 11 - 2 * flat, 0, w - 11 - flat, h}));
    EXPECT_EQ(Bounds(editor->ButtonSeparator(0)), (ui::TRect{w - 12 - 2 * flat, 0, w - 11 - 2 * flat, h}));
    for (int i : {0, 1, 3}) {
        EXPECT_TRUE(editor->ButtonSeparator(i)->Visible()) << i;
        EXPECT_EQ(editor->ButtonSeparator(i)->Pen().Color(), ui::clBtnFace) << i;
        EXPECT_TRUE(editor->EditButtonControl(i)->GetActive()) << i;
        EXPECT_EQ(editor->EditButtonControl(i)->GetTag(), i);
    }
    EXPECT_EQ(editor->ButtonsWidth(), 12 + 2 * flat);
    EXPECT_EQ(editor->ButtonsWidth(), column->EditButtonsWidth());
    EXPECT_EQ(editor->EditRect().Right, w - 2 - editor->ButtonsWidth());
    Snapshot("inplace-flat-buttons");
}

TEST_F(InplaceLayout, ATallEditorKeepsItsButtonsAtTheirUsualHeightAtTheTop)
{
    TColumnEx* column = AddColorColumn();
    Grid->SetFlat(true);
    Grid->SetRowLines(4);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    const int flat = editors::GetDefaultFlatButtonWidth();
    const int usual = static_cast<int>(rtl::Round(flat * 3.0 / 2));
    ASSERT_GT(editor->ClientHeight(), usual);
    EXPECT_EQ(Bounds(editor->EditButtonControl(0)), (ui::TRect{editor->Width() - flat, 0, editor->Width(), usual}));
    // Further buttons are as high as they are wide, and all take the lowest height.
    AddButton(column, editors::ebsEllipsisEx, usual + 4);
    AddButton(column, editors::ebsEllipsisEx, flat - 2);
    editor = Edit(0);
    Grid->InvalidateEditor();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(editor->EditButtonControl(i)->Top(), 0) << i;
        EXPECT_EQ(editor->EditButtonControl(i)->Height(), flat - 2) << i;
    }
    // In a low editor of a 3-D grid the buttons fill its height.
    Grid->SetFlat(false);
    Grid->SetRowLines(0);
    Grid->InvalidateEditor();
    ASSERT_LE(editor->ClientHeight(), rtl::Round(ui::Metrics().VScrollWidth * 3.0 / 2));
    column->EditButtons()->Items(1)->SetWidth(editor->ClientHeight());
    Grid->InvalidateEditor();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(editor->EditButtonControl(i)->Height(), editor->ClientHeight()) << i;
}

TEST_F(InplaceLayout, MovingFromThreeFurtherButtonsToOneKeepsOnlyTheFirstPair)
{
    TColumnEx* three = AddColumn("NAME");
    for (int i = 0; i < 3; ++i) AddButton(three, editors::ebsEllipsisEx);
    TColumnEx* one = AddColumn("AMOUNT");
    AddButton(one, editors::ebsPlusEx);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->ButtonControlCount(), 4);
    QPointer<editors::TEditButtonControlEx> first = editor->EditButtonControl(1);
    QPointer<editors::TEditButtonControlEx> surplus = editor->EditButtonControl(3);
    QPointer<ui::TShape> surplusSeparator = editor->ButtonSeparator(3);
    editor = Edit(1);
    ASSERT_EQ(editor->ButtonControlCount(), 2);
    EXPECT_EQ(editor->EditButtonControl(1), first.data());
    EXPECT_EQ(first->GetStyle(), editors::ebsPlusEx);
    EXPECT_EQ(first->GetTag(), 1);
    EXPECT_EQ(editor->ButtonsWidth(), ui::Metrics().VScrollWidth);
    ASSERT_TRUE(surplus);
    EXPECT_FALSE(surplus->Visible());
    EXPECT_FALSE(surplusSeparator->Visible());
    // The pairs that left go once the events are done.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(surplus);
    EXPECT_FALSE(surplusSeparator);
    // A column that needs more pairs again makes new ones.
    editor = Edit(0);
    EXPECT_EQ(editor->ButtonControlCount(), 4);
    EXPECT_EQ(editor->EditButtonControl(1), first.data());
    EXPECT_TRUE(editor->EditButtonControl(3)->Visible());
}

TEST_F(InplaceLayout, AReadOnlyAutomaticColumnHasNoButton)
{
    AddColumn("BORN")->SetReadOnly(true);
    AddColorColumn()->SetReadOnly(true);
    AddColumn("BORN");
    Show();
    for (int i : {0, 1}) {
        TDBGridInplaceEdit* editor = Edit(i);
        EXPECT_EQ(editor->EditStyle(), cesNoneEx) << i;
        EXPECT_FALSE(editor->EditButtonControl(0)->Visible()) << i;
        EXPECT_EQ(editor->ButtonsWidth(), 0) << i;
        EXPECT_EQ(editor->DropDownControl(), nullptr) << i;
        Key(Qt::Key_Down, Qt::AltModifier);
        EXPECT_FALSE(editor->ListVisible()) << i;
    }
    TDBGridInplaceEdit* editor = Edit(2);
    EXPECT_EQ(editor->EditStyle(), cesDateEx);
    EXPECT_TRUE(editor->EditButtonControl(0)->Visible());
}

TEST_F(InplaceLayout, InAWrappedTextUpAndDownMoveBetweenItsLinesBeforeTheyGoToTheGrid)
{
    AddColumn("NAME", 150)->SetWordWrap(true);
    Grid->SetRowLines(3);
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_TRUE(editor->WordWrap());
    Key(Qt::Key_End);
    Key(Qt::Key_Return, Qt::ControlModifier);
    Type("two");
    Key(Qt::Key_Return, Qt::ControlModifier);
    Type("three");
    ASSERT_EQ(editor->LineCount(), 3);
    const int row = Grid->Row();
    // (At the end of the text the grid would take Up too.)
    Key(Qt::Key_Left);
    Key(Qt::Key_Up);
    EXPECT_EQ(editor->CaretLine(), 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(editor->CaretLine(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->CaretLine(), 1);
    EXPECT_EQ(Grid->Row(), row);
    // From the last line the grid takes Down.
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->CaretLine(), 2);
    Key(Qt::Key_Down);
    EXPECT_EQ(Grid->Row(), row + 1);
}

TEST_F(InplaceLayout, AnImageColumnKeepsTheImagesRoomAlsoWhenTheValueHasNoImage)
{
    const auto images = editorstest::SolidImages({ui::clRed, ui::clGreen});
    TColumnEx* color = AddColorColumn();
    color->SetImageList(images.get());
    color->SetShowImageAndText(true);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    EXPECT_EQ(editor->ImageIndex(), 0);
    EXPECT_EQ(editor->EditRect().Left, 2 + 16 + 5);
    const QImage red = uitest::Render(editor);
    const int middle = editor->Height() / 2;
    EXPECT_EQ(uitest::PixelAt(red, 10, middle), ui::clRed);
    Snapshot("inplace-image");
    // Typing another line shows its image.
    Type("g");
    EXPECT_EQ(editor->ImageIndex(), 1);
    EXPECT_EQ(uitest::PixelAt(uitest::Render(editor), 10, middle), ui::clGreen);
    // A text that is no line has no image, and its room stays.
    Key(Qt::Key_End);
    Type("x");
    EXPECT_EQ(editor->ImageIndex(), -1);
    EXPECT_EQ(editor->EditRect().Left, 2 + 16 + 5);
    EXPECT_EQ(uitest::PixelAt(uitest::Render(editor), 10, middle), ui::ColorToRGB(editor->Color()));
}

TEST_F(InplaceLayout, AnIntegerImageColumnShowsTheImageOfItsValueElseTheNotInListImage)
{
    const auto images = editorstest::SolidImages({ui::clRed, ui::clGreen, ui::clBlue});
    TColumnEx* cust = AddColumn("CUST");
    cust->SetImageList(images.get());
    cust->SetShowImageAndText(true);
    cust->SetNotInKeyListIndex(2);
    Show();
    // The first record's CUST is 1.
    TDBGridInplaceEdit* editor = Edit(0);
    EXPECT_EQ(editor->ImageIndex(), 1);
    EXPECT_EQ(uitest::PixelAt(uitest::Render(editor), 10, editor->Height() / 2), ui::clGreen);
    // An empty value has no number: the image for values not in the list.
    Data.Edit();
    F("CUST")->Clear();
    Data.Post();
    EXPECT_EQ(editor->ImageIndex(), 2);
    EXPECT_EQ(uitest::PixelAt(uitest::Render(editor), 10, editor->Height() / 2), ui::clBlue);
}

TEST_F(InplaceLayout, RightToLeftTheButtonsStandAtTheLeftAndTheImageAtTheRight)
{
    const auto images = editorstest::SolidImages({ui::clRed});
    TColumnEx* color = AddColorColumn();
    color->SetImageList(images.get());
    color->SetShowImageAndText(true);
    AddButton(color, editors::ebsEllipsisEx, 12);
    Grid->setLayoutDirection(Qt::RightToLeft);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    const int w = editor->Width(), h = editor->Height();
    const int bar = ui::Metrics().VScrollWidth;
    // The editor lies over the cell as the grid draws it, mirrored.
    const ui::TRect cell = Grid->CellRect(Grid->Col(), Grid->Row());
    EXPECT_EQ(editor->BoundsRect(),
              (ui::TRect{Grid->ClientWidth() - cell.Right, cell.Top, Grid->ClientWidth() - cell.Left, cell.Bottom}));
    // From the left edge: the last further button, then the main button.
    EXPECT_EQ(Bounds(editor->EditButtonControl(1)), (ui::TRect{0, 0, 12, h}));
    EXPECT_EQ(Bounds(editor->EditButtonControl(0)), (ui::TRect{12, 0, 12 + bar, h}));
    EXPECT_EQ(editor->ButtonsWidth(), 12 + bar);
    // The text leaves the buttons' room at the left and the image's at the right.
    EXPECT_EQ(editor->EditRect(), (ui::TRect{2 + 12 + bar, 2, w - 2 - 16 - 5, h}));
    ASSERT_EQ(editor->ImageIndex(), 0);
    const QImage picture = uitest::Render(editor);
    EXPECT_EQ(uitest::PixelAt(picture, w - 10, h / 2), ui::clRed);
    EXPECT_NE(uitest::PixelAt(picture, 10, h / 2), ui::clRed);
    Snapshot("inplace-right-to-left");
}

TEST_F(InplaceLayout, AnEllipsisButtonFiresTheGridsClickAndThenTheColumns)
{
    TColumnEx* name = AddColumn("NAME");
    name->SetButtonStyle(cbsEllipsis);
    std::vector<std::string> events;
    Grid->OnEditButtonClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { events.push_back("grid"); });
    name->OnEditButtonClick =
        editors::TButtonClickEventEx::FromFunction([&](rtl::TObject*, bool&) { events.push_back("column"); });
    name->OnEditButtonDown = editors::TButtonDownEventEx::FromFunction(
        [&](rtl::TObject*, bool top, bool&, bool&) { events.push_back(top ? "down top" : "down bottom"); });
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    EXPECT_EQ(editor->EditButtonControl(0)->GetStyle(), editors::ebsEllipsisEx);
    Snapshot("inplace-ellipsis");
    ClickMainButton();
    EXPECT_EQ(events, (std::vector<std::string>{"down top", "grid", "column"}));
    EXPECT_FALSE(editor->ListVisible());
    // The grid hands a press on the cell's button strip to the editor's button.
    events.clear();
    editors::TEditButtonControlEx* button = editor->EditButtonControl(0);
    EXPECT_TRUE(editor->PressButtonAt(button->ClientToScreen({3, 3})));
    QTest::mouseRelease(button, Qt::LeftButton, {}, At(button, {3, 3}));
    EXPECT_EQ(events, (std::vector<std::string>{"down top", "grid", "column"}));
    EXPECT_FALSE(editor->PressButtonAt(editor->ClientToScreen({3, 3})));
}

TEST_F(InplaceLayout, FurtherButtonsRunTheirOwnEventsAndShortcuts)
{
    TColumnEx* color = AddColorColumn();
    editors::TEditButtonEx* plus = AddButton(color, editors::ebsPlusEx);
    plus->SetShortCut(ui::TShortCut(ui::scCtrl) | 'K');
    std::vector<std::string> events;
    plus->OnDown = editors::TButtonDownEventEx::FromFunction([&](rtl::TObject*, bool, bool&, bool&) {
        events.push_back("down");
    });
    plus->OnClick = editors::TButtonClickEventEx::FromFunction([&](rtl::TObject* sender, bool&) {
        events.push_back(sender == Editor()->EditButtonControl(1) ? "click" : "click from elsewhere");
    });
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    editors::TEditButtonControlEx* button = editor->EditButtonControl(1);
    Click(button, {3, 3});
    EXPECT_EQ(events, (std::vector<std::string>{"down", "click"}));
    EXPECT_FALSE(editor->ListVisible());
    Key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(events, (std::vector<std::string>{"down", "click", "click"}));
    EXPECT_EQ(editor->Text(), "Red");
}

TEST_F(InplaceLayout, AButtonsMenuSwallowsOnlyTheNextPressOfThatButton)
{
    TColumnEx* color = AddColorColumn();
    QMenu menu;
    menu.addAction("One");
    editors::TEditButtonEx* first = AddButton(color, editors::ebsEllipsisEx);
    first->SetDropdownMenu(&menu);
    int secondDowns = 0;
    AddButton(color, editors::ebsEllipsisEx)->OnDown =
        editors::TButtonDownEventEx::FromFunction([&](rtl::TObject*, bool, bool&, bool&) { ++secondDowns; });
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    editors::TEditButtonControlEx* withMenu = editor->EditButtonControl(1);
    auto press = [&](editors::TEditButtonControlEx* button) {
        QTest::mousePress(button, Qt::LeftButton, {}, At(button, {3, 3}));
        QTest::mouseRelease(button, Qt::LeftButton, {}, At(button, {3, 3}));
    };
    press(withMenu);
    ASSERT_TRUE(menu.isVisible());
    menu.close();
    // The menu's marker waits; presses of the other buttons are not swallowed.
    press(editor->EditButtonControl(2));
    EXPECT_EQ(secondDowns, 1);
    press(editor->EditButtonControl(0));
    EXPECT_TRUE(editor->ListVisible());
    press(editor->EditButtonControl(0));
    EXPECT_FALSE(editor->ListVisible());
    // Its own button's next press only takes the marker away; the one after opens the menu.
    press(withMenu);
    EXPECT_FALSE(menu.isVisible());
    press(withMenu);
    ASSERT_TRUE(menu.isVisible());
    menu.close();
    // Moving the editor drops a waiting marker.
    Grid->SetSelectedIndex(0);
    Grid->InvalidateEditor();
    press(editor->EditButtonControl(1));
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

TEST_F(InplaceLayout, TheListClosesWhenTheFocusLeavesTheEditorButNotForItsOwnWindows)
{
    ui::TForm form;
    form.SetBounds(30, 30, 620, 320);
    Grid->SetParent(&form);
    Grid->SetBounds(0, 0, 560, 220);
    auto* other = new ui::TCustomEdit(&form);
    other->SetBounds(10, 250, 100, 22);
    AddColorColumn();
    AddColumn("NAME")->MRUList()->SetActive(true);
    Grid->Columns().Items(1)->MRUList()->Add("Rowan");
    uitest::ShowActive(&form);
    Grid->SetFocus();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_TRUE(editor->Focused());
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    Key(Qt::Key_Down);
    // A click into the list leaves it open (it never takes the focus).
    QTest::mouseMove(editor->PickListBox(), At(editor->PickListBox(), {4, 4}));
    EXPECT_TRUE(Open());
    other->SetFocus();
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Red");
    EXPECT_EQ(Data.State(), db::dsBrowse);

    // The list of recently used texts closes the same way.
    Grid->SetFocus();
    editor = Edit(1);
    ASSERT_TRUE(editor->Focused());
    Type("ro");
    ASSERT_TRUE(editor->MRUListDropped());
    other->SetFocus();
    EXPECT_FALSE(editor->MRUListDropped());
    EXPECT_EQ(editor->Text(), "ro");
    Grid->SetParent(nullptr);
}

TEST_F(InplaceLayout, OverTheButtonsAndTheImageTheMouseShowsTheArrow)
{
    const auto images = editorstest::SolidImages({ui::clRed, ui::clGreen});
    TColumnEx* color = AddColorColumn();
    color->SetImageList(images.get());
    color->SetShowImageAndText(true);
    AddButton(color, editors::ebsEllipsisEx);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->ButtonControlCount(), 2);
    // The cursor the window system shows over a point of the editor.
    auto cursorAt = [editor](ui::TPoint client) {
        QWidget* under = editor->childAt(At(editor, client));
        return (under ? under : editor)->cursor().shape();
    };
    const ui::TRect text = editor->EditRect();
    // The image stands left of the text.
    ASSERT_GT(text.Left, 16);
    EXPECT_EQ(cursorAt({10, (text.Top + text.Bottom) / 2}), Qt::ArrowCursor);
    for (int i = 0; i < editor->ButtonControlCount(); ++i) {
        const ui::TRect button = Bounds(editor->EditButtonControl(i));
        EXPECT_EQ(cursorAt({(button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2}), Qt::ArrowCursor) << i;
    }
    EXPECT_EQ(cursorAt({(text.Left + text.Right) / 2, (text.Top + text.Bottom) / 2}), Qt::IBeamCursor);
}

} // namespace
