// The combo box as the user types into it and the program sets it: completion of free
// text, keyed mode's items and keys, the search typed keys make, stepping with the arrow
// keys, the wheel and an up/down button, and how the value reaches the data.
#include "DBComboBoxExTestSupport.h"

#include <QWheelEvent>

#include "platform/ui/Clipboard.h"
#include "platform/ui/Timer.h"

using namespace editors;

namespace {

class DBComboBoxExTest : public editorstest::ComboBoxTest {
protected:
    // Fruit in keyed mode: keys "1" to "5".
    void KeyedFruit()
    {
        SetItems({"Apple", "Apricot", "Banana", "Blueberry", "Blackcurrant"});
        SetKeys({"1", "2", "3", "4", "5"});
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(20, 10);
        QWheelEvent e(at, combo->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &e);
    }
};

} // namespace

TEST_F(DBComboBoxExTest, FreeTextTypedAtTheEndIsCompletedFromTheItems)
{
    SetItems({"Abcd", "Abxy"});
    EXPECT_FALSE(combo->Keyed());
    EXPECT_EQ(combo->ItemCount(), 2);

    Type("ab");
    EXPECT_EQ(combo->Text(), "Abcd");
    EXPECT_EQ(Selected(), "cd");
    EXPECT_EQ(combo->SelStart(), 2);
    EXPECT_EQ(combo->ItemIndex(), 0);
    Type("x");
    EXPECT_EQ(combo->Text(), "Abxy");
    EXPECT_EQ(Selected(), "y");
    EXPECT_EQ(combo->ItemIndex(), 1);

    // Backspace deletes the completion and does not complete again.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(combo->Text(), "Abx");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->SelLength(), 0);
    // A letter that matches nothing stays as typed.
    Type("q");
    EXPECT_EQ(combo->Text(), "Abxq");
    EXPECT_EQ(combo->ItemIndex(), -1);

    // Typing in the middle does not complete; a text that is now an item (letter case
    // ignored) takes the item's spelling and the caret stays.
    combo->SelectAll();
    Type("zz");
    combo->SetSelStart(0);
    Type("a");
    EXPECT_EQ(combo->Text(), "azz");
    combo->SelectAll();
    Type("bcd");
    EXPECT_EQ(combo->Text(), "bcd");
    combo->SetSelStart(0);
    Type("A");
    EXPECT_EQ(combo->Text(), "Abcd");
    EXPECT_EQ(combo->SelStart(), 1);
    EXPECT_EQ(combo->SelLength(), 0);
    EXPECT_EQ(combo->ItemIndex(), 0);

    // The decimal point never completes.
    SetItems({"1.5", "1.25"});
    combo->SelectAll();
    Type("1.");
    EXPECT_EQ(combo->Text(), "1.");
    Type("2");
    EXPECT_EQ(combo->Text(), "1.25");
}

TEST_F(DBComboBoxExTest, ItemsIndexOfIgnoresLetterCase)
{
    SetItems({"Alpha", "Beta"});
    combo->SetText("BETA");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Items().IndexOf("alpha"), 0);
    EXPECT_EQ(combo->Text(), "BETA"); // free text stays as given
    combo->SetText("Gamma");
    EXPECT_EQ(combo->ItemIndex(), -1);

    // Keyed, a text given in other letters picks the item, which shows as spelt.
    SetKeys({"a", "b"});
    combo->SetText("alpha");
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), "Alpha");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("a"));
    // Keys too: "B" finds the key "b".
    combo->SetValue("B");
    EXPECT_EQ(combo->Text(), "Beta");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("B"));
}

TEST_F(DBComboBoxExTest, KeyedTheTextIsOnlyEverAnItemAndTheValueItsKey)
{
    SetItems({"Red", "Green", "Blue", "Extra"});
    SetKeys({"r", "g", "b"});
    EXPECT_TRUE(combo->Keyed());
    EXPECT_EQ(combo->ItemCount(), 3); // "Extra" has no key
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->Text(), "");

    combo->SetValue("g");
    EXPECT_EQ(combo->Text(), "Green");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->DataLink()->GetKeptValue(), rtl::Variant("g"));

    // An unknown key reads back as given, with no item and an empty text.
    combo->SetValue("x9");
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->GetValue(), rtl::Variant("x9"));
    // A text that is no usable item changes nothing.
    for (const char* text : {"Purple", "Extra", ""}) {
        SCOPED_TRACE(text);
        combo->SetText(text);
        EXPECT_EQ(combo->Text(), "");
        EXPECT_EQ(combo->GetValue(), rtl::Variant("x9"));
    }
    // An index outside the items leaves no item and no key: the unknown key is not written.
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->DataLink()->GetKeptValue().VarType(), rtl::varNull);
    combo->SetText("Blue");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("b"));

    // Items beyond the keys cannot be chosen.
    combo->SetItemIndex(3);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->Text(), "");
    combo->SetItemIndex(0);
    EXPECT_EQ(combo->Text(), "Red");

    // No key is written as Null, not as a text.
    combo->Clear();
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->DataLink()->GetKeptValue().VarType(), rtl::varNull);

    // New items keep the key; its item shows with the new text.
    combo->SetValue("g");
    combo->Items().SetStrings(1, "Lime");
    EXPECT_EQ(combo->Text(), "Lime");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->GetValue(), rtl::Variant("g"));

    // Without keys the text is free again and the value is the text.
    combo->KeyItems().Clear();
    EXPECT_FALSE(combo->Keyed());
    combo->SetText("anything");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("anything"));
}

TEST_F(DBComboBoxExTest, KeyedTypingSearchesTheTextBeforeTheCaret)
{
    ui::TManualTimers time;
    KeyedFruit();
    Type("a");
    EXPECT_EQ(combo->Text(), "Apple");
    EXPECT_EQ(Selected(), "pple");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("1"));
    Type("pr");
    EXPECT_EQ(combo->Text(), "Apricot");
    EXPECT_EQ(Selected(), "icot");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("2"));
    // No pause starts the search again: it goes by the text before the caret.
    time.Advance(5000);
    Type("i");
    EXPECT_EQ(Selected(), "cot");
    // A letter that makes no item's start is dropped.
    Type("x");
    EXPECT_EQ(combo->Text(), "Apricot");
    EXPECT_EQ(Selected(), "cot");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("2"));

    // Backspace widens the selection by one; the next letter searches from there.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Selected(), "icot");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Selected(), "pricot");
    Type("b");
    EXPECT_EQ(Selected(), "pricot"); // "Ab" is no item's start
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Selected(), "Apricot");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(combo->SelStart(), 0);
    Type("BLA");
    EXPECT_EQ(combo->Text(), "Blackcurrant");
    EXPECT_EQ(Selected(), "ckcurrant");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("5"));

    // A paste searches as typed keys do.
    ui::Clipboard().SetAsText("blu\r\nignored");
    combo->SelectAll();
    QTest::keyClick(Box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(combo->Text(), "Blueberry");
    EXPECT_EQ(Selected(), "eberry");

    // Delete empties the value.
    Key(Qt::Key_Delete);
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->Text(), "");

    // A read-only combo box takes no search.
    combo->SetReadOnly(true);
    Type("b");
    EXPECT_EQ(combo->Text(), "");
}

TEST_F(DBComboBoxExTest, ArrowKeysWheelAndAnUpDownButtonStepThroughTheItems)
{
    for (bool keyed : {false, true}) {
        SCOPED_TRACE(keyed ? "keyed" : "free");
        SetItems({"One", "Two", "Three"});
        if (keyed) SetKeys({"1", "2", "3"});
        else combo->SetText("");
        ASSERT_EQ(combo->ItemIndex(), -1);
        Key(Qt::Key_Up); // from none: the last item
        EXPECT_EQ(combo->Text(), "Three");
        EXPECT_EQ(Selected(), "Three");
        Key(Qt::Key_Up);
        Key(Qt::Key_Up);
        EXPECT_EQ(combo->ItemIndex(), 0);
        Key(Qt::Key_Up); // the first stays
        EXPECT_EQ(combo->ItemIndex(), 0);
        Key(Qt::Key_Down);
        EXPECT_EQ(combo->Text(), "Two");
        Key(Qt::Key_Down);
        Key(Qt::Key_Down); // the last stays
        EXPECT_EQ(combo->ItemIndex(), 2);
        if (keyed) {
            EXPECT_EQ(combo->DataLink()->GetKeptValue(), rtl::Variant("3"));
        }

        // The wheel steps while the combo box is edited, without modifiers.
        Wheel(120);
        EXPECT_EQ(combo->ItemIndex(), 1);
        Wheel(-120);
        EXPECT_EQ(combo->ItemIndex(), 2);
        Wheel(120, Qt::ControlModifier);
        EXPECT_EQ(combo->ItemIndex(), 2);
        Leave();
        Wheel(120);
        EXPECT_EQ(combo->ItemIndex(), 2);
        Enter();
        combo->KeyItems().Clear();
    }

    // Read-only: the keys do nothing.
    combo->SetItemIndex(0);
    combo->SetReadOnly(true);
    Key(Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 0);
    combo->SetReadOnly(false);

    // An up/down main button: the upper half steps back, the lower half on.
    combo->GetEditButton()->SetStyle(ebsUpDownEx);
    TEditButtonControlEx* button = combo->EditButtonControl(0);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, button->Height() - 2));
    EXPECT_EQ(combo->ItemIndex(), 1);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 1));
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->ListVisible());
}

TEST_F(DBComboBoxExTest, LeavingTextThatIsNoItemFiresOnNotInList)
{
    SetItems({"One", "Two"});
    std::vector<std::string> notInList;
    combo->OnNotInList = TNotInListEventEx::FromFunction([&](rtl::TObject* sender, const std::string& text, bool& recheck) {
        EXPECT_EQ(sender, combo);
        EXPECT_FALSE(recheck);
        notInList.push_back(text);
    });
    Type("xyz");
    Leave();
    EXPECT_EQ(notInList, (std::vector<std::string>{"xyz"}));
    EXPECT_EQ(combo->DataLink()->GetKeptValue(), rtl::Variant("xyz")); // written all the same
    Enter();
    combo->SelectAll();
    Type("tw");
    Leave();
    EXPECT_EQ(notInList.size(), 1u);
    EXPECT_EQ(combo->DataLink()->GetKeptValue(), rtl::Variant("Two"));
}

TEST_F(DBComboBoxExTest, KeyedBoundToAFieldWritesTheKeyAndNullClearsIt)
{
    db::TMemDataSet& ds = Bind("ID");
    SetItems({"One", "Two", "Three"});
    SetKeys({"1", "2", "3"});
    EXPECT_EQ(combo->Text(), "One");
    EXPECT_EQ(combo->GetValue(), rtl::Variant("1"));
    EXPECT_EQ(combo->MaxLength(), 0);

    combo->SetItemIndex(2);
    EXPECT_EQ(ds.State(), db::dsEdit);
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 3);

    // Typing searches but writes only when the combo box is left; Esc reads the data again.
    combo->SelectAll();
    Type("t");
    EXPECT_EQ(combo->Text(), "Two");
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 3);
    Key(Qt::Key_Escape);
    EXPECT_EQ(combo->Text(), "Three");
    EXPECT_EQ(Selected(), "Three");
    Type("o");
    Leave();
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 1);

    // Delete clears a field that is not required; a Null field has no key.
    Enter();
    Key(Qt::Key_Delete);
    EXPECT_TRUE(ds.FieldByName("ID")->IsNull());
    EXPECT_TRUE(combo->GetValue().IsNull());
    EXPECT_EQ(combo->ItemIndex(), -1);
    ds.Cancel();
    ds.FieldByName("ID")->SetRequired(true);
    Key(Qt::Key_Delete);
    EXPECT_EQ(combo->GetValue(), rtl::Variant("1"));
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 1);

    // Unfocused, the item of the field's key is painted.
    ds.Cancel();
    ds.Next();
    Leave();
    EXPECT_EQ(combo->GetDisplayText(), "Two");

    // New items or keys while the user is in the combo box are no change to write.
    Enter();
    SetItems({"Uno", "Dos", "Tres"});
    EXPECT_EQ(combo->Text(), "Dos");
    SetKeys({"3", "2", "1"});
    EXPECT_EQ(combo->Text(), "Dos");
    Leave();
    EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
    EXPECT_EQ(ds.State(), db::dsBrowse);
}

TEST_F(DBComboBoxExTest, FreeBoundToAStringFieldShowsAndWritesTheText)
{
    SetItems({"Row 1", "Row 2", "Other"});
    db::TMemDataSet& ds = Bind("NAME");
    EXPECT_EQ(combo->Text(), "Row 1");
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->MaxLength(), 20);
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Row 2");
    combo->SelectAll();
    Type("Ot");
    EXPECT_EQ(combo->Text(), "Other");
    Leave();
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Other");
    ds.Post();
    ds.Next();
    EXPECT_EQ(combo->Text(), "Row 2");
    EXPECT_EQ(combo->ItemIndex(), 1);

    // A data set that refuses the edit raises; nothing changes.
    ds.SetReadOnly(true);
    EXPECT_THROW(combo->SetItemIndex(2), rtl::EDatabaseError);
    EXPECT_EQ(combo->Text(), "Row 2");
}

TEST_F(DBComboBoxExTest, AFieldNameWithoutDataSourceSkipsTheDataSetSteps)
{
    SetItems({"One", "Two"});
    combo->SetDataField("ID");
    EXPECT_FALSE(combo->DataIndependent());
    EXPECT_NO_THROW(combo->SetItemIndex(1));
    EXPECT_EQ(combo->Text(), "Two");
    EXPECT_FALSE(combo->ProcessSearchKey("o"));
    SetKeys({"1", "2"});
    EXPECT_NO_THROW(combo->SetValue("1"));
    EXPECT_EQ(combo->Text(), "One");
    EXPECT_NO_THROW(combo->Clear());
    EXPECT_TRUE(combo->GetValue().IsNull());
}

TEST_F(DBComboBoxExTest, TheEditImageShowsTheCurrentItemsImage)
{
    auto images = editorstest::SolidImages({ui::clRed, ui::clLime, ui::clBlue});
    combo->SetImages(images.get());
    SetItems({"Red", "Lime", "Blue"});
    SetKeys({"r", "l", "b"});
    EXPECT_EQ(combo->GetEditImage()->GetImageIndex(), -1);
    combo->SetValue("b");
    EXPECT_EQ(combo->GetEditImage()->GetImageIndex(), 2);
    std::vector<int> asked;
    combo->OnGetItemImageIndex =
        TListGetImageIndexEventEx::FromFunction([&](rtl::TObject* sender, int item, int& image) {
            EXPECT_EQ(sender, combo);
            asked.push_back(item);
            image = 2 - item;
        });
    Key(Qt::Key_Up);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(asked.back(), 1);
    EXPECT_EQ(combo->GetEditImage()->GetImageIndex(), 1);
    combo->SetItemIndex(0);
    EXPECT_EQ(combo->GetEditImage()->GetImageIndex(), 2);
    combo->SetImages(nullptr);
}
