// The edit base's data side: the three binding modes, what the text shows, when and how
// the value is written, and the read-only state the link, OnUpdateData and an in-place
// holder give the edit box.
#include "DBEditTestSupport.h"

#include "platform/rtl/Variant.h"

using namespace editors;
using editorstest::TTestHolder;

namespace {

class DBEditDataTest : public editorstest::DBEditTest {};

} // namespace

TEST_F(DBEditDataTest, ADataIndependentEditorKeepsItsValueInTheLink)
{
    TFieldDataLinkEx* link = edit->DataLink();
    EXPECT_TRUE(edit->DataIndependent());
    EXPECT_TRUE(link->GetKeptValue().IsNull());
    EXPECT_TRUE(link->GetVisualControl());

    // Typed text is written on leaving.
    Type("abc");
    EXPECT_TRUE(link->Editing());
    Leave();
    EXPECT_EQ(link->GetKeptValue(), rtl::Variant("abc"));
    EXPECT_FALSE(link->Editing());

    // Esc puts the kept value back; the text follows the link again.
    Enter();
    Type("xyz");
    EXPECT_EQ(edit->Text(), "xyz");
    Key(Qt::Key_Escape);
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(edit->SelLength(), 3);

    // A value the link keeps as an array shows as the empty text.
    link->SetValue(rtl::VarArrayOf({1, 2}));
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(link->GetKeptValue().IsArray());
    edit->SetValue(rtl::VarArrayOf({"a", "b"}));
    EXPECT_EQ(edit->Text(), "");

    // Value writes go straight to the link as the editor's text.
    edit->SetValue(42);
    EXPECT_EQ(edit->Text(), "42");
    EXPECT_EQ(link->GetKeptValue(), rtl::Variant("42"));
    EXPECT_EQ(edit->GetValue(), rtl::Variant("42"));
}

TEST_F(DBEditDataTest, EnteringTheDataIndependentModePutsNullBackAndRefreshesTheText)
{
    edit->SetText("kept");
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant("kept"));
    Bind("NAME");
    EXPECT_FALSE(edit->DataIndependent());
    EXPECT_TRUE(edit->DataLink()->GetKeptValue().IsNull());
    EXPECT_EQ(edit->Text(), "Row 1");
    edit->SetDataField("");
    EXPECT_FALSE(edit->DataIndependent()); // a data source still
    EXPECT_EQ(edit->Text(), "");
    edit->SetDataSource(nullptr);
    EXPECT_TRUE(edit->DataIndependent());
    EXPECT_TRUE(edit->DataLink()->GetKeptValue().IsNull());
    EXPECT_EQ(edit->Text(), "");

    // A text shown while neither bound nor independent goes when the mode is entered.
    edit->SetDataField("NAME");
    edit->SetText("unbound");
    EXPECT_EQ(edit->Text(), "unbound");
    edit->SetDataField("");
    EXPECT_TRUE(edit->DataIndependent());
    EXPECT_TRUE(edit->DataLink()->GetKeptValue().IsNull());
    EXPECT_EQ(edit->Text(), "");
    // And a kept value goes when the mode is left.
    edit->SetText("kept again");
    edit->SetDataField("NAME");
    EXPECT_TRUE(edit->DataLink()->GetKeptValue().IsNull());
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(DBEditDataTest, AFieldNameWithoutDataSourceSkipsTheDataSetSteps)
{
    edit->SetDataField("NAME");
    EXPECT_FALSE(edit->DataIndependent());
    EXPECT_NO_THROW(edit->SetText("typed"));
    EXPECT_EQ(edit->Text(), "typed");
    EXPECT_NO_THROW(edit->SetValue(rtl::Variant(12)));
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_FALSE(edit->ButtonEnabled());
}

TEST_F(DBEditDataTest, SeveralFieldsTakeAnArrayOrNull)
{
    TFieldDataLinkEx* link = edit->DataLink();
    link->SetMultiFields(true);
    db::TMemDataSet& ds = Bind("ID;NAME");
    ASSERT_EQ(link->FieldsCount(), 2);
    EXPECT_EQ(link->Field(), nullptr);
    EXPECT_EQ(link->Fields(1)->GetFieldName(), "NAME");

    ds.Edit();
    link->SetValue(rtl::VarArrayOf({7, "Seven"}));
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 7);
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Seven");

    // Arrays count from their own low bound.
    rtl::Variant shifted = rtl::VarArrayCreate(5, 6);
    shifted[5] = 8;
    shifted[6] = "Eight";
    link->SetValue(shifted);
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 8);
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Eight");

    link->SetValue(rtl::Null());
    EXPECT_TRUE(ds.FieldByName("ID")->IsNull());
    EXPECT_TRUE(ds.FieldByName("NAME")->IsNull());

    // Too few values, or no array, is the runtime's error.
    EXPECT_THROW(link->SetValue(rtl::VarArrayOf({1})), rtl::EVariantArrayBoundsError);
    EXPECT_THROW(link->SetValue(rtl::Variant(3)), rtl::EVariantError);

    // A missing name raises naming the editor.
    try {
        edit->SetDataField("ID;NOPE");
        FAIL() << "no error";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Editor: Field 'NOPE' not found");
    }
}

TEST_F(DBEditDataTest, ABoundEditorShowsTheEditTextOnlyWhileFocusedAndEditable)
{
    data = dbtest::MakeRows(3);
    db::TField* amount = data->FieldByName("AMOUNT");
    amount->OnGetText = db::TFieldGetTextEvent::FromFunction([](db::TField* f, std::string& text, bool display) {
        text = (display ? "Amount " : "") + rtl::FloatToStr(f->GetAsFloat());
    });
    db::TMemDataSet& ds = Bind("AMOUNT");
    EXPECT_TRUE(edit->FocusedFlag());
    EXPECT_EQ(edit->Text(), "1.5"); // focused, the field can be modified
    Leave();
    EXPECT_EQ(edit->Text(), "Amount 1.5");
    EXPECT_EQ(edit->GetDisplayText(), "Amount 1.5");
    ds.Next();
    EXPECT_EQ(edit->Text(), "Amount 3");
    Enter();
    EXPECT_EQ(edit->Text(), "3");
    EXPECT_EQ(edit->GetDisplayText(), "3");

    // A field that cannot be modified shows the display text even focused.
    Leave();
    amount->SetReadOnly(true);
    Enter();
    EXPECT_EQ(edit->Text(), "Amount 3");
    // A data set that cannot be modified the same.
    amount->SetReadOnly(false);
    ds.SetReadOnly(true);
    Leave();
    Enter();
    EXPECT_EQ(edit->Text(), "Amount 3");
}

TEST_F(DBEditDataTest, TheFieldGivesAlignmentMaskAndLengthUnlessSet)
{
    db::TMemDataSet& ds = Bind("ID");
    EXPECT_EQ(edit->GetAlignment(), ui::taRightJustify);
    edit->SetDataField("NAME");
    EXPECT_EQ(edit->GetAlignment(), ui::taLeftJustify);
    EXPECT_EQ(edit->MaxLength(), 20);
    // A positive MaxLength equal to the old field's size gives way to the new field's.
    ds.Close();
    auto* code = ds.AddField<db::TStringField>("CODE", db::fkData, 5);
    code->SetEditMask("00-00;0;_");
    ds.Open();
    ds.Append();
    ds.FieldByName("CODE")->SetAsString("1234");
    ds.Post();
    edit->SetDataField("CODE");
    EXPECT_EQ(edit->MaxLength(), 5);
    EXPECT_EQ(edit->EditMask(), "00-00;0;_");
    EXPECT_FALSE(edit->EditMaskAssigned());

    edit->SetAlignment(ui::taCenter);
    edit->SetDataField("ID");
    EXPECT_EQ(edit->GetAlignment(), ui::taCenter);
    EXPECT_EQ(edit->EditMask(), "");
    edit->SetEditMask("999");
    edit->SetDataField("CODE");
    EXPECT_EQ(edit->EditMask(), "999");
    EXPECT_TRUE(edit->EditMaskAssigned());
    EXPECT_EQ(edit->MaxLength(), 5);
}

TEST_F(DBEditDataTest, SettingTextOrValueOfABoundEditorEditsAndWritesTheRecord)
{
    db::TMemDataSet& ds = Bind("NAME");
    ASSERT_EQ(ds.State(), db::dsBrowse);
    edit->SetText("Renamed");
    EXPECT_EQ(ds.State(), db::dsEdit);
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Renamed");
    ds.Post();

    edit->SetDataField("AMOUNT");
    edit->SetValue(2.25);
    EXPECT_EQ(ds.State(), db::dsEdit);
    EXPECT_EQ(ds.FieldByName("AMOUNT")->GetAsFloat(), 2.25);
    ds.Cancel();

    // A data set that refuses the edit raises; nothing is written.
    ds.SetReadOnly(true);
    EXPECT_THROW(edit->SetText("x"), rtl::EDatabaseError);
    EXPECT_EQ(ds.FieldByName("AMOUNT")->GetAsFloat(), 1.5);
}

TEST_F(DBEditDataTest, OnUpdateDataCanTakeOverTheWrite)
{
    db::TMemDataSet& ds = Bind("NAME");
    bool handle = true;
    std::vector<std::string> seen;
    edit->OnUpdateData = TUpdateDataEventEx::FromFunction([&](rtl::TObject* sender, bool& handled) {
        EXPECT_EQ(sender, edit);
        seen.push_back(edit->Text());
        handled = handle;
        // Text written meanwhile is not written again.
        edit->SetText(edit->Text() + "!");
    });
    edit->SelectAll();
    Type("x");
    Leave();
    EXPECT_EQ(seen, (std::vector<std::string>{"x"}));
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Row 1");
    EXPECT_EQ(edit->Text(), "Row 1"); // the record shows again

    handle = false;
    Enter();
    edit->SelectAll();
    Type("y");
    Leave();
    EXPECT_EQ(seen.back(), "y");
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "y!");
}

TEST_F(DBEditDataTest, OnUpdateDataMakesTheEditorEditableWhileTheLinkIsNotEditing)
{
    db::TMemDataSet& ds = Bind("NAME");
    ds.SetReadOnly(true);
    Leave();
    Enter();
    EXPECT_TRUE(edit->EditReadOnly());
    Type("abc");
    EXPECT_EQ(edit->Text(), "Row 1");
    EXPECT_FALSE(edit->DataLink()->Editing());

    std::string received;
    edit->OnUpdateData = TUpdateDataEventEx::FromFunction([&](rtl::TObject*, bool& handled) {
        received = edit->Text();
        handled = true;
    });
    edit->SelectAll();
    Type("abc");
    EXPECT_FALSE(edit->EditReadOnly());
    EXPECT_FALSE(edit->DataLink()->Editing());
    EXPECT_EQ(edit->Text(), "abc");
    Leave();
    EXPECT_EQ(received, "abc");

    // The editor's own ReadOnly still holds.
    edit->SetReadOnly(true);
    Enter();
    Type("z");
    EXPECT_TRUE(edit->EditReadOnly());
    EXPECT_EQ(edit->Text(), "Row 1");
}

TEST_F(DBEditDataTest, TypingPutsTheBoundDataSetIntoEditAndLeavingWritesTheField)
{
    db::TMemDataSet& ds = Bind("NAME");
    EXPECT_TRUE(edit->EditReadOnly()); // browsing: the first key starts the edit
    edit->SelectAll();
    Type("Changed");
    EXPECT_EQ(ds.State(), db::dsEdit);
    EXPECT_FALSE(edit->EditReadOnly());
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Row 1"); // not yet
    Leave();
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "Changed");
    ds.Post();
    ds.Next();
    ds.Prior();
    EXPECT_EQ(edit->Text(), "Changed");
}

TEST_F(DBEditDataTest, AValueTheFieldRefusesKeepsTheTextAndTheFocus)
{
    db::TMemDataSet& ds = Bind("ID");
    edit->SelectAll();
    Type("12");
    edit->SetSelStart(2);
    edit->SetSelText("99999999999"); // beyond an integer field's range
    Leave();
    ASSERT_EQ(Exceptions.size(), 1u);
    EXPECT_NE(Exceptions.front().find("is not a valid"), std::string::npos) << Exceptions.front();
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), "1299999999999");
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 1);
    Exceptions.clear();
}

TEST_F(DBEditDataTest, TheHolderVetoesEditingInPlace)
{
    ui::TControl plain(form);
    try {
        edit->SetInplaceEditHolder(&plain);
        FAIL() << "no error";
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.what(), "InplaceEditHolder have to support IInplaceEditHolderEx interface");
    }
    EXPECT_FALSE(edit->InplaceMode());

    auto* holder = new TTestHolder(form);
    edit->SetInplaceEditHolder(holder);
    EXPECT_TRUE(edit->InplaceMode());
    holder->CanModify = false;
    Type("no");
    EXPECT_TRUE(edit->EditReadOnly());
    EXPECT_EQ(edit->Text(), "");
    holder->CanModify = true;
    Type("yes");
    EXPECT_EQ(edit->Text(), "yes");
    EXPECT_FALSE(edit->EditReadOnly());

    edit->SetInplaceEditHolder(nullptr);
    EXPECT_FALSE(edit->InplaceMode());
    holder->CanModify = false;
    Type("!");
    EXPECT_EQ(edit->Text(), "yes!");
}

TEST_F(DBEditDataTest, TheLinkFollowsDisabledControlsFocusRequestsAndADataSourceGoingAway)
{
    db::TMemDataSet& ds = Bind("NAME");
    TFieldDataLinkEx* link = edit->DataLink();
    ds.DisableControls();
    EXPECT_EQ(link->Field(), nullptr); // the fields may go unheard meanwhile
    ds.Next();
    EXPECT_EQ(edit->Text(), "Row 1");
    ds.EnableControls();
    EXPECT_EQ(link->Field(), ds.FieldByName("NAME"));
    EXPECT_EQ(edit->Text(), "Row 2");

    Leave();
    ds.FieldByName("ID")->FocusControl();
    EXPECT_FALSE(edit->Focused());
    ds.FieldByName("NAME")->FocusControl();
    EXPECT_TRUE(edit->Focused());

    // Without the data source the editor is unbound: with a field name still, or, without
    // one, data-independent.
    auto* own = new db::TDataSource;
    own->SetDataSet(&ds);
    edit->SetDataSource(own);
    delete own;
    EXPECT_EQ(edit->GetDataSource(), nullptr);
    EXPECT_FALSE(edit->DataIndependent());
    EXPECT_FALSE(edit->ButtonEnabled());
    edit->SetDataField("");
    EXPECT_TRUE(edit->DataIndependent());
    own = new db::TDataSource;
    edit->SetDataSource(own);
    EXPECT_FALSE(edit->DataIndependent());
    delete own;
    EXPECT_TRUE(edit->DataIndependent());
    EXPECT_TRUE(edit->ButtonEnabled());
}

TEST_F(DBEditDataTest, InTheDesignerOnlyADataIndependentEditorTakesTextAndValue)
{
    db::TMemDataSet& ds = Bind("NAME");
    edit->SetDesigning(true);
    edit->SetText("x");
    edit->SetValue(rtl::Variant("y"));
    EXPECT_EQ(ds.State(), db::dsBrowse);
    EXPECT_EQ(edit->Text(), "Row 1");
    ds.Close();
    EXPECT_EQ(edit->GetDisplayText(), "Editor"); // an inactive link shows the name

    edit->SetDataSource(nullptr);
    edit->SetDataField("");
    edit->SetText("x");
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant("x"));
    edit->SetDesigning(false);
}
