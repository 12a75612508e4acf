// The keys the grid's cell editor hands on to its grid while the user types in it: Enter
// as Tab, Ctrl+' (the value above), Ctrl+F (the search and the find dialog), leaving the
// row, which writes and posts what was typed, and Esc, which drops it.
#include "InplaceEditFixture.h"

#include <vector>

#include "platform/rtl/UpdateScope.h"

namespace {

using namespace grid;

class InplaceKeys : public inplacetest::InplaceEditTest {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        InplaceEditTest::TearDown();
    }
    bool EditorShown() const { return Editor() && Editor()->Visible(); }
};

TEST_F(InplaceKeys, EnterAsTabAndCtrlQuoteGoFromTheEditorToTheGrid)
{
    AddColumn("NAME");
    AddColumn("QTY");
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghEnterAsTab));
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    ASSERT_TRUE(editor->Focused());
    Type("Zed");
    Key(Qt::Key_Return);
    // The typed name is written and the next column is current.
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    EXPECT_EQ(F("NAME")->GetAsString(), "Zed");
    EXPECT_EQ(Data.GetRecNo(), 1);

    // On the second record Ctrl+' takes the first record's quantity.
    Key(Qt::Key_Down);
    ASSERT_EQ(Data.GetRecNo(), 2);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    Data.First();
    EXPECT_EQ(F("NAME")->GetAsString(), "Zed");
    Data.Next();
    editor = Edit(1);
    ASSERT_TRUE(editor->Focused());
    ASSERT_EQ(editor->Text(), "20");
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(F("QTY")->GetAsInteger(), 10);
    EXPECT_EQ(editor->Text(), "10");
}

TEST_F(InplaceKeys, CtrlFInTheEditorStartsTheSearchOrOpensTheFindDialog)
{
    AddColumn("NAME");
    static std::vector<std::string> opened;
    opened.clear();
    const rtl::TValueScope<TShowDBGridExFindDialogProc> findDialog(
        ShowDBGridExFindDialogProc, [](TCustomDBGridEx&, const std::string&, const std::string&, bool,
                                       const std::vector<std::pair<std::string, TColumnEx*>>&) {
            opened.push_back("find");
        });
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghDialogFind));
    Show();
    Edit(0);
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(Editor()->Text(), "Row 1");

    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghIncSearch));
    Edit(0);
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Grid->IncSearchActive());
    EXPECT_EQ(opened.size(), 1u);
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(Grid->IncSearchActive());
    EXPECT_EQ(opened.size(), 2u);
    // Without either option Ctrl+F is the editor's.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Exclude(dghIncSearch).Exclude(dghDialogFind));
    Edit(0);
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(Grid->IncSearchActive());
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(InplaceKeys, LeavingTheRowPostsWhatWasTypedAndEscDropsIt)
{
    AddColumn("NAME");
    AddColorColumn();
    Show();
    TDBGridInplaceEdit* editor = Edit(0);
    Type("Yew");
    Key(Qt::Key_Down);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(Data.GetRecNo(), 2);
    Key(Qt::Key_Up);
    EXPECT_EQ(F("NAME")->GetAsString(), "Yew");

    // A line picked from the list is posted the same way.
    editor = Edit(1);
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    ASSERT_EQ(editor->Text(), "Green");
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(F("COLOR")->GetAsString(), "Green");

    // Esc drops the typed text, a second Esc the record's edit.
    editor = Edit(0);
    Type("Oak");
    EXPECT_EQ(Data.State(), db::dsEdit);
    Key(Qt::Key_Escape);
    EXPECT_EQ(editor->Text(), "Yew");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(F("NAME")->GetAsString(), "Yew");
    Snapshot("inplace-keys-after-esc");
}

} // namespace
