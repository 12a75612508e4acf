// The recently-used drop-down of the edit base as the user drives it: typing filters it,
// keys move in it, Enter and a click accept, Esc and leaving cancel, written texts are
// added, and a filter that stops for a waiting key shows no partial list.
#include "DBEditTestSupport.h"

#include "controls/editors/DropDownWindows.h"
#include "platform/ui/InputState.h"

using namespace editors;

namespace {

class DBEditMRUTest : public editorstest::DBEditTest {
protected:
    void SetUp() override
    {
        DBEditTest::SetUp();
        mru = edit->GetMRUList();
        mru->SetActive(true);
        for (const char* s : {"apple", "Apricot", "banana", "cherry"}) mru->GetItems().Add(s);
    }
    bool Dropped() const { return mru->GetDroppedDown() && edit->MRUListBox() && edit->MRUListBox()->isVisible(); }
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> items;
        const rtl::TStringList& list = edit->MRUListBox()->Items();
        for (int i = 0; i < list.GetCount(); ++i) items.push_back(list.StringAt(i));
        return items;
    }

    TMRUListEx* mru = nullptr;
};

} // namespace

TEST_F(DBEditMRUTest, TypingDropsTheListFilteredByThePrefixAndEnterAccepts)
{
    Type("ap");
    ASSERT_TRUE(Dropped());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"apple", "Apricot"}));
    TMRUListboxEx* box = edit->MRUListBox();
    EXPECT_EQ(box->RowCount(), 2);
    EXPECT_EQ(box->Width(), edit->GetEditRect().Width());
    const ui::TPoint below = edit->ClientToScreen({0, edit->ClientHeight()});
    EXPECT_EQ(box->Left(), below.X);
    EXPECT_EQ(box->Top(), below.Y);
    EXPECT_FALSE(box->hasFocus());
    EXPECT_TRUE(edit->Focused());

    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(box->ItemIndex(), 1);
    EXPECT_EQ(edit->Text(), "ap"); // the keys went to the list
    Key(Qt::Key_Return);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(edit->Text(), "Apricot");
    EXPECT_EQ(edit->SelLength(), 7);
    EXPECT_FALSE(Dropped()); // the accepted text does not open it again

    // A further letter narrows the open list; one that matches nothing closes it.
    edit->Deselect();
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "Ap");
    EXPECT_EQ(Shown().size(), 2u);
    Type("p");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"apple"}));
    Type("z");
    EXPECT_FALSE(Dropped());
}

TEST_F(DBEditMRUTest, EscLeavingAndAnEmptyTextCloseWithoutAccepting)
{
    Type("b");
    ASSERT_TRUE(Dropped());
    Key(Qt::Key_Down);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(edit->Text(), "b");

    Type("a");
    ASSERT_TRUE(Dropped());
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_FALSE(Dropped()); // empty text

    Type("c");
    ASSERT_TRUE(Dropped());
    Leave();
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(edit->Text(), "c");

    // A press on another control cancels it too; the text stays typed.
    Enter();
    edit->Deselect();
    Type("h");
    ASSERT_TRUE(Dropped());
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(edit->Text(), "ch");
}

TEST_F(DBEditMRUTest, AClickOnAnItemAcceptsIt)
{
    Type("a");
    ASSERT_TRUE(Dropped());
    TMRUListboxEx* box = edit->MRUListBox();
    const ui::TRect second = box->ItemRect(1);
    const QPoint at(second.Left + 5, second.Top + second.Height() / 2);
    uitest::MovePointer(box, at);
    QTest::mouseClick(box, Qt::LeftButton, {}, at);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(edit->Text(), "Apricot");
    EXPECT_TRUE(edit->Focused());
}

TEST_F(DBEditMRUTest, WrittenTextsAreAddedAndTheCaseRuleHolds)
{
    Type("date");
    Leave();
    EXPECT_EQ(mru->GetItems().StringAt(mru->GetItems().GetCount() - 1), "date");
    mru->SetAutoAdd(false);
    Enter();
    edit->SelectAll();
    Type("elder");
    Leave();
    EXPECT_EQ(mru->GetItems().GetCount(), 5);

    mru->SetCaseSensitive(true);
    Enter();
    edit->SelectAll();
    Type("Ap");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Apricot"}));
    Key(Qt::Key_Escape);

    // A bound editor adds what it writes to the field.
    mru->SetAutoAdd(true);
    Bind("NAME");
    edit->SelectAll();
    Type("fig");
    Leave();
    EXPECT_EQ(mru->GetItems().StringAt(mru->GetItems().GetCount() - 1), "fig");
    EXPECT_EQ(data->FieldByName("NAME")->GetAsString(), "fig");
}

TEST_F(DBEditMRUTest, AFilterStoppedByAWaitingKeyShowsNoPartialList)
{
    ui::TInputStateScope input(0);
    input.KeyPressProbe = [] { return true; };
    Type("a");
    EXPECT_FALSE(Dropped());
    // An open list closes instead of showing what the filter found so far.
    input.KeyPressProbe = nullptr;
    Type("p");
    ASSERT_TRUE(Dropped());
    input.KeyPressProbe = [] { return true; };
    Type("p");
    EXPECT_FALSE(Dropped());
    input.KeyPressProbe = nullptr;
    Type("l");
    EXPECT_TRUE(Dropped());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"apple"}));
}

TEST_F(DBEditMRUTest, TheListStaysShutForTheEditorsOwnTextAndWhileADropDownIsOpen)
{
    edit->SetText("apple");
    EXPECT_FALSE(Dropped());
    Bind("NAME");
    data->Next();
    EXPECT_FALSE(Dropped());
    edit->SetDataSource(nullptr);
    edit->SetDataField("");
    edit->DropDown();
    Type("a");
    EXPECT_FALSE(Dropped());
    edit->CloseUp(false);
    Type("p");
    EXPECT_TRUE(Dropped());
    edit->DropDown(); // a descendant's drop-down closes the list
    EXPECT_FALSE(Dropped());
}
