// What the grid writes into the data as a user types: the editor's text by the column's
// kind (lists, key lists, lookups), and Ctrl+' copying the value of the record above.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridInputTest.h"

namespace {

using namespace grid;
using gridtest::GridInputTest;

class GridEditData : public GridInputTest {
protected:
    // Types text over the current cell's text and presses Enter.
    void Enter(const std::string& text)
    {
        Key(Qt::Key_F2);
        ASSERT_TRUE(EditorShown());
        Editor()->SelectAll();
        Key(Qt::Key_Delete);
        if (!text.empty()) Type(text);
        Key(Qt::Key_Return);
    }
    static void SetLines(rtl::TStrings& list, std::initializer_list<const char*> lines)
    {
        list.Clear();
        for (const char* line : lines) list.Add(line);
    }
};

TEST_F(GridEditData, APickListColumnAsksAboutANewTextAndWritesIt)
{
    Records(3);
    ShowGrid({"ID", "NAME"});
    TColumnEx* name = Grid->Columns().Items(1);
    SetLines(name->GetPickList(), {"Alpha", "Beta"});
    std::vector<std::string> asked;
    name->OnNotInList = TNotInListEventEx::FromFunction(
        [&](rtl::TObject*, const std::string& text, bool&) { asked.push_back(text); });
    Key(Qt::Key_Right);
    Enter("Beta");
    EXPECT_EQ(Name(), "Beta");
    EXPECT_TRUE(asked.empty());
    Enter("Gamma");
    EXPECT_EQ(Name(), "Gamma");
    EXPECT_EQ(asked, (std::vector<std::string>{"Gamma"}));
}

TEST_F(GridEditData, AKeyPickListColumnWritesTheKeyOfTheTextOrNothing)
{
    Records(3);
    ShowGrid({"ID", "FLAG"});
    TColumnEx* flag = Grid->Columns().Items(1);
    SetLines(flag->GetKeyList(), {"Y;y", "N"});
    SetLines(flag->GetPickList(), {"Yes", "No"});
    Key(Qt::Key_Right);
    Enter("No");
    EXPECT_EQ(F("FLAG")->GetAsString(), "N");
    Enter("yes"); // the list's own case does not matter
    EXPECT_EQ(F("FLAG")->GetAsString(), "Y");

    // A text not in the list: the handler may add it, and it is looked up again.
    int asked = 0;
    flag->OnNotInList = TNotInListEventEx::FromFunction([&](rtl::TObject*, const std::string& text, bool& recheck) {
        ++asked;
        if (text != "Maybe") return;
        flag->GetPickList().Add("Maybe");
        flag->GetKeyList().Add("M");
        recheck = true;
    });
    Enter("Maybe");
    EXPECT_EQ(F("FLAG")->GetAsString(), "M");
    // Still missing, or empty, the field is left empty (kept as designed: no key, no value).
    Enter("Never");
    EXPECT_TRUE(F("FLAG")->IsNull());
    EXPECT_EQ(asked, 2);
    Enter("No");
    Enter("");
    EXPECT_TRUE(F("FLAG")->IsNull());
    EXPECT_EQ(asked, 2);
}

TEST_F(GridEditData, ALookupColumnWritesTheKeyOfTheNameTyped)
{
    Records(3);
    ShowGrid({"ID", "WHO"});
    TColumnEx* who = Grid->Columns().Items(1);
    Key(Qt::Key_Right);
    ASSERT_EQ(F("CUST")->GetAsInteger(), 1);
    Enter("bob");
    EXPECT_EQ(F("CUST")->GetAsInteger(), 2);
    EXPECT_EQ(F("WHO")->GetAsString(), "Bob");

    // A name that names no customer changes nothing, after asking.
    std::vector<std::string> asked;
    who->OnNotInList = TNotInListEventEx::FromFunction(
        [&](rtl::TObject*, const std::string& text, bool&) { asked.push_back(text); });
    Enter("Zoe");
    EXPECT_EQ(F("CUST")->GetAsInteger(), 2);
    EXPECT_EQ(asked, (std::vector<std::string>{"Zoe"}));
    // No name: no customer.
    Enter("");
    EXPECT_TRUE(F("CUST")->IsNull());
}

TEST_F(GridEditData, CtrlQuoteCopiesTheValueOfTheRecordAbove)
{
    Records(4);
    ShowGrid({"ID", "NAME", "WHO"});
    Data.SetRecNo(3);
    Data.Edit();
    F("CUST")->SetAsInteger(3);
    Data.Post();
    Data.SetRecNo(1);
    Key(Qt::Key_Right);
    // The first record of the window has nothing above it.
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(Name(), "Row 1");

    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    // A change already typed into the record stays while the value above is read.
    Data.Edit();
    F("AMOUNT")->SetAsFloat(99);
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_EQ(Name(), "Row 3");
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 99);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->Text(), "Row 3");
    EXPECT_EQ(Editor()->SelLength(), static_cast<int>(Editor()->Text().size()));

    // A lookup column copies the key.
    Key(Qt::Key_Escape);
    Key(Qt::Key_Right);
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 3);
    EXPECT_EQ(F("WHO")->GetAsString(), "Cid");
    Data.Cancel();

    // A read-only column copies nothing.
    Grid->Columns().Items(1)->SetReadOnly(true);
    Key(Qt::Key_Left);
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(Name(), "Row 4");
}

} // namespace
