// Editors that read right to left: the edit base, the numeric editor, the combo box's list
// and the check box laid out mirrored, a bound number keeping left to right, driven by
// real clicks where the parts are drawn, and pictures of them.
#include "DBEditTestSupport.h"

#include "controls/editors/CalculatorEx.h"
#include "controls/editors/DBCheckBoxEx.h"
#include "controls/editors/DBComboBoxEx.h"
#include "controls/editors/DBNumberEditEx.h"
#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/DropDownWindows.h"

using namespace editors;
using editorstest::SolidImages;

namespace {

class DBEditRightToLeftTest : public editorstest::DBEditTest {
protected:
    // Presses and releases the left button at a point of w, on whatever is drawn there.
    static void ClickAt(QWidget* w, QPoint p)
    {
        QWidget* target = w->childAt(p);
        if (!target) target = w;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(w, p));
    }
    // The middle of a part of the editor, in the editor's window.
    static QPoint Middle(const ui::TControl* part) { return part->geometry().center(); }
    // The columns of w's picture that its text (or selection) covers.
    static QRect Ink(QWidget* w) { return uitest::InkBounds(uitest::Render(w)); }
};

TEST_F(DBEditRightToLeftTest, ButtonsStandFromTheLeftTheImageAtTheRightAndClicksFindThemThere)
{
    const auto images = SolidImages({ui::clRed});
    edit->SetImages(images.get());
    edit->SetOnGetImageIndex(TGetImageIndexEventEx::FromFunction([](rtl::TObject*, int& index) { index = 0; }));
    edit->GetEditButton()->SetVisible(true);
    int further = 0;
    edit->GetEditButtons()->Add()->SetWidth(9);
    edit->GetEditButtons()->Items(0)->OnClick =
        TButtonClickEventEx::FromFunction([&](rtl::TObject*, bool&) { ++further; });
    edit->SetFlat(true);
    edit->SetBiDiMode(ui::bdRightToLeft);
    ASSERT_TRUE(edit->UseRightToLeftAlignment());
    const int flat = GetDefaultFlatButtonWidth(), w = edit->ClientWidth(), h = edit->ClientHeight();
    // From the left edge: the further button, its separator, the main button, its separator.
    EXPECT_EQ(edit->EditButtonControl(1)->BoundsRect(), (ui::TRect{0, 0, 9, edit->ButtonsHeight()}));
    EXPECT_EQ(edit->ButtonSeparator(1)->Left(), 9);
    EXPECT_EQ(edit->EditButtonControl(0)->Left(), 10);
    EXPECT_EQ(edit->ButtonsWidth(), 11 + flat);
    EXPECT_EQ(edit->GetEditRect(), (ui::TRect{11 + flat, 0, w - 20, h}));
    const QImage picture = uitest::Render(edit);
    EXPECT_EQ(uitest::PixelAt(picture, edit->ClientOffset().X + w - 10, h / 2), ui::clRed);
    editorstest::WriteSnapshot("edit-right-to-left", picture);

    ClickAt(edit, Middle(edit->EditButtonControl(0)));
    EXPECT_EQ(edit->Calls, (std::vector<std::string>{"DropDown"}));
    ClickAt(edit, Middle(edit->EditButtonControl(1)));
    EXPECT_EQ(further, 1);

    // Back to left to right: laid out anew, the buttons at the right edge.
    edit->SetBiDiMode(ui::bdLeftToRight);
    EXPECT_EQ(edit->EditButtonControl(1)->Left() + 9, w);
    EXPECT_EQ(edit->GetEditRect(), (ui::TRect{20, 0, w - edit->ButtonsWidth(), h}));
    // Without a 3-D border the buttons keep a pixel off the border they stand at.
    edit->SetCtl3D(false);
    edit->SetBiDiMode(ui::bdRightToLeft);
    EXPECT_EQ(edit->EditButtonControl(1)->Left(), 1);
}

TEST_F(DBEditRightToLeftTest, TheModeComesFromTheParentAndANumberFieldKeepsItsSideAsBindingChanges)
{
    Bind("NAME");
    edit->GetEditButton()->SetVisible(true);
    form->SetBiDiMode(ui::bdRightToLeft);
    EXPECT_EQ(edit->EditButtonControl(0)->Left(), 0);
    // A number keeps its left-to-right layout: the button at the right, the text (the
    // box's, then the painted right-aligned one) where left to right puts it.
    edit->SetDataField("AMOUNT");
    EXPECT_FALSE(edit->UseRightToLeftAlignment());
    EXPECT_EQ(edit->EditButtonControl(0)->Left() + edit->EditButtonControl(0)->Width(), edit->ClientWidth());
    QWidget* box = edit->EditWindow();
    EXPECT_LT(Ink(box).right(), box->width() / 2);
    Leave();
    ASSERT_EQ(edit->GetAlignment(), ui::taRightJustify);
    EXPECT_GT(Ink(box).left(), box->width() / 2);
    // A text field again: mirrored, the painted right alignment at the left.
    edit->SetDataField("NAME");
    EXPECT_EQ(edit->EditButtonControl(0)->Left(), 0);
    edit->SetAlignment(ui::taRightJustify);
    EXPECT_LT(Ink(box).right(), box->width() / 2);
    editorstest::WriteSnapshot("edit-right-to-left-unfocused", uitest::Render(edit));
}

TEST_F(DBEditRightToLeftTest, TheNumberEditorMirrorsItsAlignmentAndDropsItsCalculatorRightAligned)
{
    auto* number = new TDBNumberEditEx(form);
    number->SetBounds(200, 10, 150, 21);
    number->GetEditButton()->SetVisible(true);
    number->SetBiDiMode(ui::bdRightToLeft);
    number->SetValue(12.5);
    number->SetFocus();
    // Right-justified numbers stand at the left.
    EXPECT_LT(Ink(number->EditWindow()).right(), number->EditWindow()->width() / 2);
    ClickAt(number, Middle(number->EditButtonControl(0)));
    ASSERT_TRUE(number->DroppedDown());
    TPopupCalculatorEx* calculator = number->GetCalculator();
    EXPECT_EQ(calculator->Left() + calculator->Width(), ScreenRect(number).Right);
    editorstest::WriteSnapshot("number-right-to-left-calculator", uitest::RenderWithPopup(form, calculator));
}

TEST_F(DBEditRightToLeftTest, TheComboListDrawsItsImagesAtTheRightAndItsTextRightAligned)
{
    auto* combo = new TDBComboBoxEx(form);
    combo->SetBounds(200, 10, 150, 21);
    combo->Items().Add("Ab");
    combo->Items().Add("Cd");
    const auto images = SolidImages({ui::clRed, ui::clBlue});
    combo->SetImages(images.get());
    combo->SetBiDiMode(ui::bdRightToLeft);
    ClickAt(combo, Middle(combo->EditButtonControl(0)));
    TPopupListboxEx* list = combo->ListBox();
    ASSERT_TRUE(list && list->isVisible());
    const QImage picture = uitest::Render(list);
    const int row = list->ClientOffset().Y + list->ItemHeight() / 2;
    const int right = list->ClientOffset().X + list->ClientWidth();
    EXPECT_EQ(uitest::PixelAt(picture, right - 10, row), ui::clRed);
    EXPECT_NE(uitest::PixelAt(picture, list->ClientOffset().X + 10, row), ui::clRed);
    // The text ends 2 pixels before the image's room.
    const int left = list->ClientOffset().X;
    const QRect text = uitest::InkBounds(picture.copy(left, row - 4, right - 20 - left, 8));
    EXPECT_GT(text.left(), (right - 20 - left) / 2);
    EXPECT_LE(left + text.right(), right - 20 - 2);
    editorstest::WriteSnapshot("combo-right-to-left-list", picture);
}

TEST_F(DBEditRightToLeftTest, TheCheckBoxsSideFollowsTheReadingOfItsField)
{
    auto* box = new TDBCheckBoxEx(form);
    box->SetBounds(200, 10, 120, 17);
    box->SetCaption("Done");
    box->SetBiDiMode(ui::bdRightToLeft);
    const int middle = ui::Metrics().CheckBoxWidth / 2;
    const ui::TColor inside = ui::ColorToRGB(ui::clWindow);
    // The box's white inside at the right, the caption left of it.
    const auto boxAtRight = [&] {
        const QImage picture = uitest::Render(box);
        return uitest::PixelAt(picture, box->Width() - middle, box->Height() / 2) == inside
               && uitest::PixelAt(picture, middle, box->Height() / 2) != inside;
    };
    EXPECT_TRUE(boxAtRight());
    editorstest::WriteSnapshot("check-box-right-to-left", uitest::Render(box));
    // Bound to a number it keeps its left-to-right side; a text field turns it again.
    data = dbtest::MakeRows(2);
    source.SetDataSet(data.get());
    box->SetValueUnchecked("1;Row 1");
    box->SetDataSource(&source);
    box->SetDataField("ID");
    EXPECT_FALSE(boxAtRight());
    box->SetDataField("NAME");
    EXPECT_TRUE(boxAtRight());
}

} // namespace
