// The grid's cell editor with its drop-downs, as the user drives it with keys and the
// mouse: the calendar of a date, the pick list and the key pick list with type-ahead,
// the calculator of a number, stepping with the up/down buttons and double clicks, the
// list of recently used texts, and pictures of each style open and closed.
#include "InplaceEditFixture.h"

#include <QWheelEvent>

#include "controls/editors/SizeGrip.h"

namespace {

using namespace grid;
using inplacetest::kMarch1;

class InplaceDropDown : public inplacetest::InplaceEditTest {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        InplaceEditTest::TearDown();
    }
    editors::TPopupListboxEx* PickList() const { return Editor()->PickListBox(); }
    // The drop-down stands below the editor, left edges aligned.
    void ExpectBelowTheEditor() const
    {
        const ui::TControl* dropDown = Editor()->DropDownControl();
        const ui::TPoint corner = Editor()->ClientToScreen({0, Editor()->Height()});
        EXPECT_EQ(dropDown->Left(), corner.X);
        EXPECT_EQ(dropDown->Top(), corner.Y);
    }
};

TEST_F(InplaceDropDown, ADateOpensOnCtrlEnterAndAltDownEscKeepsTheValueAndEnterWritesTheDate)
{
    AddColumn("NAME");
    AddColumn("BORN");
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    ASSERT_EQ(editor->EditStyle(), cesDateEx);
    const std::string shown = rtl::DateToStr(kMarch1);
    ASSERT_EQ(editor->Text(), shown);

    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->DropDownControl(), editor->Calendar());
    ExpectBelowTheEditor();
    EXPECT_EQ(editor->Calendar()->Date(), kMarch1);
    EXPECT_TRUE(editor->EditButtonControl(0)->AlwaysDown());
    Snapshot("inplace-date-open");
    // The arrows move in the calendar; the cell keeps its value meanwhile.
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->Calendar()->Date(), kMarch1 + 8);
    EXPECT_EQ(editor->Text(), shown);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_FALSE(editor->EditButtonControl(0)->AlwaysDown());
    EXPECT_EQ(editor->Text(), shown);
    EXPECT_EQ(F("BORN")->GetAsDateTime(), kMarch1);
    EXPECT_EQ(Data.State(), db::dsBrowse);

    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->Calendar()->Date(), kMarch1);
    Key(Qt::Key_Left);
    Key(Qt::Key_Return);
    EXPECT_FALSE(Open());
    EXPECT_EQ(F("BORN")->GetAsDateTime(), kMarch1 - 1);
    EXPECT_EQ(editor->Text(), rtl::DateToStr(kMarch1 - 1));
    // Alt+Up opens too, and closes accepting.
    Key(Qt::Key_Up, Qt::AltModifier);
    ASSERT_TRUE(Open());
    Key(Qt::Key_Left);
    Key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(Open());
    Data.Post();
    EXPECT_EQ(F("BORN")->GetAsDateTime(), kMarch1 - 2);
    Snapshot("inplace-date-closed");

    // An empty cell opens on today.
    Data.Edit();
    F("BORN")->Clear();
    Data.Post();
    ASSERT_EQ(editor->Text(), "");
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->Calendar()->Date(), rtl::Date());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(F("BORN")->IsNull());
}

TEST_F(InplaceDropDown, APickListOpensOnTheFirstLetterAndTypingCompletesTheTextWithTheTailSelected)
{
    AddColumn("NAME");
    TColumnEx* color = AddColorColumn();
    color->SetAutoDropDown(true);
    Show();
    TDBGridInplaceEdit* editor = Edit(1);
    ASSERT_EQ(editor->EditStyle(), cesPickListEx);
    EXPECT_FALSE(Open());

    Type("g");
    ASSERT_TRUE(Open());
    EXPECT_EQ(editor->DropDownControl(), PickList());
    ExpectBelowTheEditor();
    EXPECT_EQ(PickList()->Count(), 4);
    EXPECT_EQ(editor->Text(), "Green");
    EXPECT_EQ(editor->SelStart(), 1);
    EXPECT_EQ(editor->SelLength(), 4);
    EXPECT_EQ(PickList()->ItemIndex(), 1);
    EXPECT_EQ(Grid->CurrentEditText(), "Green");
    EXPECT_EQ(Data.State(), db::dsEdit);
    Snapshot("inplace-picklist-open");

    // Letter case does not matter; a letter that matches nothing is typed as usual.
    Type("X");
    EXPECT_EQ(editor->Text(), "GX");
    Key(Qt::Key_Backspace);
    Type("R");
    EXPECT_EQ(editor->Text(), "Green");
    EXPECT_EQ(editor->SelText(), "een");

    // Moving in the list shows its line; Esc puts the grid's text back.
    Key(Qt::Key_Down);
    EXPECT_EQ(PickList()->ItemIndex(), 2);
    EXPECT_EQ(editor->Text(), "Blue");
    EXPECT_EQ(Grid->CurrentEditText(), "Green");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Green");

    // Enter takes the line.
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(PickList()->ItemIndex(), 1);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(editor->Text(), "Black");
    Key(Qt::Key_Return);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Black");
    EXPECT_EQ(Grid->CurrentEditText(), "Black");
    Snapshot("inplace-picklist-closed");
    Data.Post();
    EXPECT_EQ(F("COLOR")->GetAsString(), "Black");
}

TEST_F(InplaceDropDown, AListThatDoesNotFitBelowTheCellOpensAboveItAndStaysOnTheScreen)
{
    ui::Metrics().WorkAreaOverride = ui::TRect{0, 0, 500, 300};
    Grid->SetBounds(460, 210, 300, 80);
    AddColorColumn()->SetWidth(60);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    const ui::TControl* list = PickList();
    const ui::TPoint corner = editor->ClientToScreen({0, 0});
    ASSERT_GT(corner.Y + editor->Height() + list->Height(), 300);
    ASSERT_GT(corner.X + list->Width(), 500);
    EXPECT_EQ(list->Top() + list->Height(), corner.Y);
    EXPECT_EQ(list->Left() + list->Width(), 500);
    Key(Qt::Key_Escape);
}

TEST_F(InplaceDropDown, TheWheelDoesNothingWhileAListIsOpen)
{
    AddColorColumn();
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    const int index = PickList()->ItemIndex();
    const int top = PickList()->TopIndex();
    QWidget* box = editor->EditWindow();
    QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    EXPECT_TRUE(Open());
    EXPECT_EQ(PickList()->ItemIndex(), index);
    EXPECT_EQ(PickList()->TopIndex(), top);
    EXPECT_EQ(editor->Text(), "Red");
    EXPECT_EQ(Data.GetRecNo(), 1);
}

TEST_F(InplaceDropDown, ResizingThePickListWithItsGripSetsTheColumnsRowsAndWidth)
{
    TColumnEx* color = AddColorColumn();
    color->SetDropDownRows(2);
    Show();
    Edit(0);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    editors::TPopupListboxEx* list = PickList();
    EXPECT_EQ(list->RowCount(), 2);
    EXPECT_FALSE(list->SizeGrip()->Visible());
    Key(Qt::Key_Escape);

    color->SetDropDownSizing(true);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    editors::TSizeGripEx* grip = list->SizeGrip();
    ASSERT_TRUE(grip->Visible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    const int width = list->Width();
    const QPoint to = grip->mapToGlobal(QPoint(5, 5)) + QPoint(30, list->ItemHeight() + 2);
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(grip, grip->mapFromGlobal(to));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(to));
    EXPECT_EQ(list->RowCount(), 3);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(color->GetDropDownRows(), 3);
    EXPECT_EQ(color->GetDropDownWidth(), width + 30);

    // The next opening has that size; opening and closing alone keep it.
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(list->RowCount(), 3);
    EXPECT_EQ(list->Width(), width + 30);
    Key(Qt::Key_Escape);
    EXPECT_EQ(color->GetDropDownRows(), 3);
    EXPECT_EQ(color->GetDropDownWidth(), width + 30);
}

TEST_F(InplaceDropDown, AKeyPickListTakesOnlyListedTextsUnlessTheColumnTakesOthers)
{
    TColumnEx* state = AddStateColumn();
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->Text(), "Active");
    ASSERT_EQ(editor->EditStyle(), cesPickListEx);
    Type("c");
    EXPECT_EQ(editor->Text(), "Closed");
    EXPECT_EQ(editor->SelText(), "losed");
    // Nothing else can be typed; Backspace only moves the caret.
    Type("x");
    EXPECT_EQ(editor->Text(), "Closed");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "Closed");
    EXPECT_EQ(editor->SelStart(), 0);
    EXPECT_EQ(editor->SelLength(), 0);
    Key(Qt::Key_End);
    Key(Qt::Key_Delete);
    EXPECT_EQ(editor->Text(), "");
    EXPECT_EQ(Grid->CurrentEditText(), "");

    // With OnNotInList a text that is not listed stands, with no key.
    std::vector<std::string> notInList;
    state->OnNotInList = TNotInListEventEx::FromFunction(
        [&](rtl::TObject*, const std::string& text, bool&) { notInList.push_back(text); });
    Type("z");
    EXPECT_EQ(editor->Text(), "z");
    EXPECT_EQ(Grid->CurrentEditText(), "z");
    EXPECT_TRUE(Grid->EditKeyValue().IsNull());
    EXPECT_EQ(Grid->EditKeyText(), "z");
    Type("q");
    EXPECT_EQ(editor->Text(), "zq");
    // Backspace deletes the character before the caret, Delete the selection.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "z");
    EXPECT_EQ(Grid->CurrentEditText(), "z");
    Type("bl");
    EXPECT_EQ(editor->Text(), "zbl");
    Key(Qt::Key_Home);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(editor->Text(), "bl");
    EXPECT_EQ(editor->SelStart(), 0);
    Key(Qt::Key_End);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "b");
    EXPECT_EQ(Grid->CurrentEditText(), "b");
    // Delete with nothing selected takes the character after the caret.
    Type("a");
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(editor->Text(), "a");
    EXPECT_EQ(editor->SelStart(), 0);
    EXPECT_EQ(Grid->CurrentEditText(), "a");
    EXPECT_TRUE(notInList.empty());
}

TEST_F(InplaceDropDown, AKeyPickListOffersOnlyTheLinesThatHaveAKey)
{
    TColumnEx* state = AddStateColumn();
    state->GetPickList().Add("Deleted");
    state->GetKeyList().Delete(2);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    EXPECT_EQ(PickList()->Count(), 2);
    EXPECT_EQ(PickList()->ItemIndex(), 0);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->Text(), "Blocked");
    Key(Qt::Key_Return);
    Data.Post();
    EXPECT_EQ(F("STATE")->GetAsString(), "B");
    // A line without a key cannot be typed either.
    Type("c");
    EXPECT_EQ(editor->Text(), "Blocked");
}

TEST_F(InplaceDropDown, BackspaceWithTheSelectionAtTheStartDeletesNothing)
{
    TColumnEx* state = AddStateColumn();
    state->OnNotInList = TNotInListEventEx::FromFunction([](rtl::TObject*, const std::string&, bool&) {});
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->Text(), "Active");
    // The whole text selected, and then the caret alone at the start.
    ASSERT_EQ(editor->SelStart(), 0);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "Active");
    Key(Qt::Key_Home);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "Active");
    EXPECT_EQ(Grid->CurrentEditText(), "Active");
    EXPECT_EQ(Data.State(), db::dsBrowse);
    // From the second character on it deletes with the selection.
    Key(Qt::Key_Right);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Text(), "tive");
    EXPECT_EQ(editor->SelStart(), 0);
}

TEST_F(InplaceDropDown, TheClickThatOpenedTheListKeepsItOpenAndTheNextClosesItWithoutTakingIt)
{
    AddColorColumn();
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ClickMainButton();
    ASSERT_TRUE(Open());
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->Text(), "Green");
    ClickMainButton();
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Red");
    EXPECT_EQ(Data.State(), db::dsBrowse);

    // A click in the list takes its line.
    ClickMainButton();
    ASSERT_TRUE(Open());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(PickList()));
    const ui::TRect item = PickList()->ItemRect(2);
    QTest::mouseMove(PickList(), At(PickList(), {item.Left + 5, item.Top + 2}));
    Click(PickList(), {item.Left + 5, item.Top + 2});
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "Blue");
    Data.Post();
    EXPECT_EQ(F("COLOR")->GetAsString(), "Blue");
}

TEST_F(InplaceDropDown, ADropDownNumberColumnOpensTheCalculatorAndTakesItsResult)
{
    AddColumn("NAME")->SetButtonStyle(cbsDropDown);
    AddColumn("AMOUNT")->SetButtonStyle(cbsDropDown);
    int buttonClicks = 0;
    Grid->OnEditButtonClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++buttonClicks; });
    Show();
    // A drop-down column of text has its button but no list.
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->EditStyle(), cesDropDownEx);
    EXPECT_TRUE(editor->EditButtonControl(0)->Visible());
    EXPECT_EQ(editor->DropDownControl(), nullptr);
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(editor->ListVisible());
    ClickMainButton();
    EXPECT_EQ(buttonClicks, 1);

    editor = Edit(1);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());
    editors::TPopupCalculatorEx* calculator = editor->Calculator();
    EXPECT_EQ(editor->DropDownControl(), calculator);
    EXPECT_EQ(calculator->GetValue().AsFloat(), 1.5);
    Snapshot("inplace-calculator-open");
    // What is typed goes to the calculator; Enter computes and then takes the result.
    Type("2*3");
    EXPECT_EQ(editor->Text(), "1.5");
    Key(Qt::Key_Return);
    EXPECT_TRUE(Open());
    EXPECT_EQ(calculator->GetValue().AsFloat(), 6.0);
    Key(Qt::Key_Return);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "6");
    EXPECT_EQ(editor->SelLength(), 1);
    EXPECT_EQ(Grid->CurrentEditText(), "6");
    Snapshot("inplace-calculator-closed");
    // Esc drops what the calculator shows.
    Key(Qt::Key_Down, Qt::AltModifier);
    Type("9");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "6");
    Data.Post();
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 6.0);
    // With AutoDropDown the first digit opens the calculator and goes there.
    Grid->Columns().Items(1)->SetAutoDropDown(true);
    Type("7");
    ASSERT_TRUE(Open());
    Type("+1");
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    EXPECT_FALSE(Open());
    EXPECT_EQ(editor->Text(), "8");
}

TEST_F(InplaceDropDown, UpDownButtonsStepNumbersByTheIncrementAndListsToTheirNextLine)
{
    TColumnEx* qty = AddColumn("QTY");
    qty->SetButtonStyle(cbsUpDown);
    qty->SetIncrement(5);
    AddColorColumn()->SetButtonStyle(cbsUpDown);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_EQ(editor->EditStyle(), cesUpDownEx);
    editors::TEditButtonControlEx* button = editor->EditButtonControl(0);
    ASSERT_EQ(button->GetStyle(), editors::ebsUpDownEx);
    const ui::TPoint top{button->Width() / 2, 2};
    const ui::TPoint bottom{button->Width() / 2, button->Height() - 3};
    Click(button, top);
    EXPECT_EQ(F("QTY")->GetAsInteger(), 15);
    EXPECT_EQ(editor->Text(), "15");
    Click(button, bottom);
    Click(button, bottom);
    EXPECT_EQ(F("QTY")->GetAsInteger(), 5);
    // A typed number is written first, then stepped.
    Type("40");
    Click(button, top);
    EXPECT_EQ(F("QTY")->GetAsInteger(), 45);
    EXPECT_EQ(editor->Text(), "45");
    Data.Post();
    EXPECT_EQ(F("QTY")->GetAsInteger(), 45);

    // In a list the lower button goes to the next line.
    editor = Edit(1);
    button = editor->EditButtonControl(0);
    Click(button, bottom);
    EXPECT_EQ(F("COLOR")->GetAsString(), "Green");
    EXPECT_EQ(editor->Text(), "Green");
    Click(button, top);
    EXPECT_EQ(F("COLOR")->GetAsString(), "Red");
    Snapshot("inplace-updown");
}

TEST_F(InplaceDropDown, ADoubleClickStepsAColumnThatAsksForIt)
{
    TColumnEx* qty = AddColumn("QTY");
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    QWidget* box = editor->EditWindow();
    QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_EQ(F("QTY")->GetAsInteger(), 10);
    qty->SetDblClickNextVal(true);
    QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    EXPECT_EQ(F("QTY")->GetAsInteger(), 11);
    QTest::mouseDClick(box, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, box->height() / 2));
    QTest::mouseDClick(box, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, box->height() / 2));
    EXPECT_EQ(F("QTY")->GetAsInteger(), 9);
    EXPECT_EQ(editor->Text(), "9");
}

TEST_F(InplaceDropDown, TypingDropsDownTheRecentlyUsedTextsAndEnterTakesOne)
{
    TColumnEx* name = AddColumn("NAME");
    editors::TMRUListEx& mru = *name->MRUList();
    for (const char* text : {"Alpha", "Beta", "Alpine"}) mru.Add(text);
    mru.SetActive(true);
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    Type("al");
    ASSERT_TRUE(editor->MRUListDropped());
    editors::TMRUListboxEx* box = editor->MRUListBox();
    EXPECT_EQ(box->Count(), 2);
    const ui::TRect text = editor->EditRect();
    EXPECT_EQ(box->Left(), editor->ClientToScreen(text.TopLeft()).X);
    EXPECT_EQ(box->Width(), text.Width());
    Snapshot("inplace-mru-open");
    Type("p");
    EXPECT_EQ(box->Count(), 2);
    Type("h");
    EXPECT_EQ(box->Count(), 1);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(box->ItemIndex(), 1);
    Key(Qt::Key_Return);
    EXPECT_FALSE(editor->MRUListDropped());
    EXPECT_EQ(editor->Text(), "Alpine");
    EXPECT_EQ(Grid->CurrentEditText(), "Alpine");
    // Emptying the text closes the list; a text that nothing starts with shows none.
    Type("b");
    EXPECT_TRUE(editor->MRUListDropped());
    Key(Qt::Key_Backspace);
    EXPECT_FALSE(editor->MRUListDropped());
    Type("z");
    EXPECT_FALSE(editor->MRUListDropped());

    // Widened with its grip, it opens that wide from then on.
    Key(Qt::Key_Backspace);
    Type("b");
    ASSERT_TRUE(editor->MRUListDropped());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    editors::TSizeGripEx* grip = box->SizeGrip();
    const QPoint to = grip->mapToGlobal(QPoint(5, 5)) + QPoint(40, 0);
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(grip, grip->mapFromGlobal(to));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, grip->mapFromGlobal(to));
    EXPECT_EQ(mru.GetWidth(), text.Width() + 40);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(editor->MRUListDropped());
    EXPECT_EQ(editor->Text(), "b");
    Type("e");
    ASSERT_TRUE(editor->MRUListDropped());
    EXPECT_EQ(box->Width(), text.Width() + 40);
}

TEST_F(InplaceDropDown, AClosedDataSetLeavesNoCellToEditAndNoFocusFrameOnTheFooter)
{
    AddColumn("NAME");
    AddColorColumn();
    Grid->SetFooterRowCount(1);
    Show();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    ASSERT_EQ(Data.GetRecNo(), 3);
    Grid->SetSelectedIndex(1);
    Key(Qt::Key_F2);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Open());

    Data.Close();
    EXPECT_FALSE(Open());
    EXPECT_FALSE(Editor()->Visible());
    // The current cell is back on the one (empty) data row, above the footer.
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset());
    Key(Qt::Key_Down);
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset());
    Key(Qt::Key_Return);
    Key(Qt::Key_F2);
    Key(Qt::Key_Down, Qt::AltModifier);
    Type("Red");
    EXPECT_FALSE(Editor()->Visible());
    EXPECT_FALSE(Open());
    EXPECT_TRUE(Grid->hasFocus());
    // No cell shows a focus frame: the grid looks the same with frames turned off.
    auto expectNoFrame = [this] {
        const QImage shown = Picture();
        DBGridExStyle().SetFocusFrame(false);
        const QImage withoutFrames = Picture();
        DBGridExStyle().SetFocusFrame(true);
        EXPECT_EQ(shown, withoutFrames);
    };
    expectNoFrame();
    Snapshot("inplace-closed-data-set");
    // Nor the row of a row-select grid.
    const TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(TDBGridOptions(options).Include(dgRowSelect));
    expectNoFrame();
    Grid->SetOptions(options);

    // Open again (a memory data set opens empty), a record's cell takes the editor again.
    Data.Open();
    AddRow(7, "Row 7", 1.0, 1, kMarch1, "Blue", "A", 1);
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset());
    Key(Qt::Key_F2);
    EXPECT_TRUE(Editor()->Visible());
    EXPECT_EQ(Editor()->Text(), "Blue");
}

} // namespace
