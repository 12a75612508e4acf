// The grid's edit rules and its cell editor: when the editor shows, which cells may be
// changed and which keys they take, the text, mask and length limit a cell edits with,
// and the editor driven by real keys.
#include <functional>
#include <string>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class EditRules : public GridTest {
protected:
    // The grid shown with stored columns for the fields, the editor always shown.
    void Columns(std::initializer_list<const char*> fields)
    {
        Bind();
        for (const char* field : fields) AddColumn(field);
        uitest::ShowActive(Grid.get());
        Grid->SetFocus();
    }
    TColumnEx* Column(int index) const { return Grid->Columns().Items(index); }
    // Puts the current cell on a data column and shows the editor there.
    TDBGridInplaceEdit* EditColumn(int index)
    {
        Grid->SetSelectedIndex(index);
        Grid->ShowEditor();
        return Grid->InplaceEdit();
    }
    bool EditorShown() const { return Grid->InplaceEdit() && Grid->InplaceEdit()->Visible(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, m);
    }
    void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }
};

TEST_F(EditRules, TheEditorShowsOnTextCellsOnly)
{
    ui::TCustomImageList images(8, 8);
    Columns({"NAME", "ACTIVE", "ID"});
    Column(2)->SetImageList(&images);
    ASSERT_EQ(Column(1)->GetColumnKind(), ckCheckBox);
    ASSERT_EQ(Column(2)->GetColumnKind(), ckImageList);
    EXPECT_NE(EditColumn(0), nullptr);
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(Grid->InplaceEdit()->Column(), Column(0));
    EditColumn(1);
    EXPECT_FALSE(EditorShown());
    EditColumn(2);
    EXPECT_FALSE(EditorShown());
    Column(2)->SetShowImageAndText(true); // an image beside the text: a text cell
    EditColumn(2);
    EXPECT_TRUE(EditorShown());

    // Not while a layout is running.
    Grid->BeginLayout();
    EXPECT_FALSE(Grid->CanEditShow());
    Grid->EndLayout();
    EXPECT_TRUE(Grid->CanEditShow());
    EXPECT_TRUE(EditorShown()); // back on its cell after the layout
    Column(2)->SetImageList(nullptr);
}

TEST_F(EditRules, SelectionKindsNeedMultiSelectAndCellKindsNeedCells)
{
    Bind();
    EXPECT_TRUE(Grid->SelectionTypeAllowed(gstNon));
    for (TDBGridExSelectionType kind : {gstRecordBookmarks, gstRectangle, gstColumns, gstAll})
        EXPECT_FALSE(Grid->SelectionTypeAllowed(kind));
    Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
    for (TDBGridExSelectionType kind : {gstRecordBookmarks, gstRectangle, gstColumns, gstAll})
        EXPECT_TRUE(Grid->SelectionTypeAllowed(kind));
    Grid->SetAllowedSelections({gstRecordBookmarks, gstRectangle});
    EXPECT_FALSE(Grid->SelectionTypeAllowed(gstAll));
    EXPECT_TRUE(Grid->SelectionTypeAllowed(gstRectangle));
    Grid->SetOptions(Grid->GetOptions().Include(dgRowSelect));
    EXPECT_FALSE(Grid->SelectionTypeAllowed(gstRectangle));
    EXPECT_TRUE(Grid->SelectionTypeAllowed(gstRecordBookmarks));
    Grid->SetAllowedSelections({gstColumns});
    EXPECT_FALSE(Grid->SelectionTypeAllowed(gstColumns));
}

TEST_F(EditRules, WhichCellsMayBeChanged)
{
    struct TCase {
        const char* Name;
        int Column; // in NAME, AMOUNT, NOTE, WHO, ACTIVE
        std::function<void()> Setup;
        bool May;
    };
    const TCase cases[] = {
        {"a text field", 0, nullptr, true},
        {"a number field", 1, nullptr, true},
        {"on a read-only grid", 0, [this] { Grid->SetReadOnly(true); }, false},
        {"on a read-only column", 0, [this] { Column(0)->SetReadOnly(true); }, false},
        {"on a read-only field", 0, [this] { F("NAME")->SetReadOnly(true); }, false},
        {"on a read-only data set", 0, [this] { Data.SetReadOnly(true); }, false},
        {"without updates allowed", 0, [this] { Grid->SetAllowedOperations({alopInsertEx}); }, false},
        {"a memo", 2, nullptr, false},
        {"a memo shown as text", 2, [this] { Grid->SetDrawMemoText(true); }, true},
        {"a lookup with modifiable keys", 3, nullptr, true},
        {"a lookup with a read-only key", 3, [this] { F("CUST")->SetReadOnly(true); }, false},
        {"a check box", 4, nullptr, false},
    };
    Columns({"NAME", "AMOUNT", "NOTE", "WHO", "ACTIVE"});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Setup) c.Setup();
        Grid->SetSelectedIndex(c.Column);
        EXPECT_EQ(Grid->CanEditModify(), c.May);
        // A cell that may be changed puts the data set into edit for the change.
        EXPECT_EQ(Data.State() == db::dsEdit, c.May);
        EXPECT_EQ(Grid->DataLink().IsModified(), c.May);
        Data.Cancel();
        Grid->SetReadOnly(false);
        Column(0)->SetReadOnly(false);
        Data.SetReadOnly(false);
        for (const char* field : {"NAME", "CUST"}) F(field)->SetReadOnly(false);
        Grid->SetAllowedOperations(DefaultAllowedOperations);
        Grid->SetDrawMemoText(false);
    }
}

TEST_F(EditRules, TheCellHookMayDecideTheReadOnlyState)
{
    Columns({"NAME", "AMOUNT"});
    bool readOnly = false;
    for (int i = 0; i < 2; ++i)
        Column(i)->SetOnGetCellParams(TGetColCellParamsEventEx::FromFunction(
            [&](rtl::TObject*, bool editMode, TColCellParamsEx& params) {
                if (editMode) params.ReadOnly = readOnly;
            }));
    // The hook makes a read-only column editable.
    Column(0)->SetReadOnly(true);
    TDBGridInplaceEdit* editor = EditColumn(0);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->ReadOnlySetByCellParams());
    EXPECT_FALSE(editor->ReadOnly());
    EXPECT_TRUE(Grid->CanEditModify());
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_TRUE(Grid->CanEditAcceptKey('x'));
    Data.Cancel();

    // On a data set that cannot be changed the cell stays editable but nothing goes
    // into edit: that would fail.
    Data.SetReadOnly(true);
    EXPECT_TRUE(Grid->CanEditModify());
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_FALSE(Grid->DataLink().IsModified());
    Data.SetReadOnly(false);

    // The hook makes an editable column read-only: no change and no key.
    readOnly = true;
    EditColumn(1);
    EXPECT_TRUE(editor->ReadOnlySetByCellParams());
    EXPECT_TRUE(editor->ReadOnly());
    EXPECT_FALSE(Grid->CanEditModify());
    EXPECT_FALSE(Grid->CanEditAcceptKey('1'));
    EXPECT_EQ(Data.State(), db::dsBrowse);

    // Without the hook's say the column decides.
    Column(0)->SetOnGetCellParams(nullptr);
    EditColumn(0);
    EXPECT_FALSE(editor->ReadOnlySetByCellParams());
    EXPECT_TRUE(editor->ReadOnly());
}

TEST_F(EditRules, KeysGoByTheKeyListOrTheFieldsCharacters)
{
    Columns({"ID", "NAME", "FLAG"});
    Grid->SetSelectedIndex(0);
    EXPECT_TRUE(Grid->CanEditAcceptKey('7'));
    EXPECT_FALSE(Grid->CanEditAcceptKey('x'));
    Grid->SetSelectedIndex(1);
    EXPECT_TRUE(Grid->CanEditAcceptKey('x'));
    // A key list's column takes anything: what counts is the pick list text.
    Column(0)->GetKeyList().Add("1");
    Column(0)->GetPickList().Add("one");
    Grid->SetSelectedIndex(0);
    EXPECT_TRUE(Grid->CanEditAcceptKey('x'));
    // Without an active link nothing is taken.
    Data.Close();
    EXPECT_FALSE(Grid->CanEditAcceptKey('1'));
}

TEST_F(EditRules, TheEditTextGoesThroughKeyListsMemosAndTheCellHook)
{
    Columns({"FLAG", "NOTE", "NAME", "WHO", "ID"});
    Data.First();
    Put("FLAG", "Y");
    Put("NOTE", "a note");
    Column(0)->GetKeyList().SetText("N\nY\nZ");
    Column(0)->GetPickList().SetText("No\nYes");
    auto text = [&](int column) { return Grid->GetEditText(Grid->DataToRawColumn(column), Grid->Row()); };
    EXPECT_EQ(text(0), "Yes");
    EXPECT_EQ(Grid->CurrentEditText(), "Yes");
    Put("FLAG", "Z"); // beyond the pick list
    EXPECT_EQ(text(0), "");
    Put("FLAG", "Q"); // not in the key list
    EXPECT_EQ(text(0), "");
    EXPECT_EQ(Grid->GetEditLimit(), 0);

    EXPECT_EQ(text(1), "(MEMO)"); // the field's own edit text
    Grid->SetDrawMemoText(true);
    EXPECT_EQ(text(1), "a note");

    Column(2)->SetOnGetCellParams(TGetColCellParamsEventEx::FromFunction(
        [](rtl::TObject*, bool editMode, TColCellParamsEx& params) {
            if (editMode) params.Text = "[" + params.Text + "]";
        }));
    EXPECT_EQ(text(2), "[Row 1]");
    EXPECT_EQ(Grid->CurrentEditText(), "[Row 1]");

    // A lookup edits its text and keeps the key it stands for.
    EXPECT_EQ(text(3), "Ann");
    EXPECT_EQ(Grid->EditKeyValue(), rtl::Variant(1));
    EXPECT_EQ(Grid->EditKeyText(), "Ann");
    EXPECT_TRUE(rtl::VarIsNull((text(4), Grid->EditKeyValue())));

    Data.Close();
    EXPECT_EQ(text(2), "");
}

TEST_F(EditRules, MaskAndLengthComeFromTheColumnOrTheField)
{
    Columns({"NAME", "ID", "FLAG"});
    F("NAME")->SetEditMask(">ccc;0;_");
    Grid->SetSelectedIndex(0);
    EXPECT_EQ(Grid->GetEditMask(Grid->Col(), Grid->Row()), ">ccc;0;_");
    EXPECT_EQ(Grid->GetEditLimit(), 20);
    Column(0)->SetEditMask("99;0;_");
    EXPECT_EQ(Grid->GetEditMask(Grid->Col(), Grid->Row()), "99;0;_");
    Grid->SetSelectedIndex(1);
    EXPECT_EQ(Grid->GetEditLimit(), 0); // not a string
    Grid->SetSelectedIndex(2);
    EXPECT_EQ(Grid->GetEditLimit(), 3);
    Column(2)->GetKeyList().Add("Y");
    EXPECT_EQ(Grid->GetEditLimit(), 0);
    F("FLAG")->SetEditMask("L");
    EXPECT_EQ(Grid->GetEditMask(Grid->Col(), Grid->Row()), ""); // the key list's text is free
    Data.Close();
    EXPECT_EQ(Grid->GetEditMask(Grid->DataToRawColumn(0), 1), "");
}

TEST_F(EditRules, TypingIntoTheEditorChangesTheRecordThroughTheLink)
{
    Columns({"NAME", "ID"});
    Grid->SetSelectedIndex(0);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    TDBGridInplaceEdit* editor = Grid->InplaceEdit();
    EXPECT_EQ(editor->Text(), "Row 1");
    EXPECT_EQ(editor->MaxLength(), 20);
    EXPECT_TRUE(editor->Font().SameAs(Column(0)->GetFont()));
    Type("x");
    EXPECT_EQ(Grid->CurrentEditText(), "Row 1x");
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_TRUE(Grid->DataLink().IsModified());

    // Posting writes the edit text into the field.
    Data.Post();
    EXPECT_EQ(F("NAME")->GetAsString(), "Row 1x");

    // The number column refuses letters, with a beep.
    Grid->SetSelectedIndex(1);
    Grid->ShowEditor();
    ASSERT_TRUE(EditorShown());
    Grid->InplaceEdit()->SetFocus();
    const int beeps = Boxes.Beeps;
    Type("a5"); // the shown text is selected: typing replaces it
    EXPECT_EQ(Grid->InplaceEdit()->Text(), "5");
    EXPECT_EQ(Boxes.Beeps, beeps + 1);
    Data.Cancel();

    // A change of the record from elsewhere reloads the editor.
    Grid->SetSelectedIndex(0);
    Grid->ShowEditor();
    Put("NAME", "changed");
    EXPECT_EQ(Grid->InplaceEdit()->Text(), "changed");
    EXPECT_EQ(Grid->CurrentEditText(), "changed");
}

TEST_F(EditRules, WhatWasTypedSurvivesLayoutsAndResizesUntilItIsWrittenOrDropped)
{
    Columns({"NAME", "ID"});
    Grid->SetSelectedIndex(0);
    Key(Qt::Key_F2);
    Type("x");
    ASSERT_EQ(Grid->CurrentEditText(), "Row 1x");
    Grid->SetBounds(Grid->Left(), Grid->Top(), Grid->Width() + 40, Grid->Height() + 30);
    Column(1)->SetWidth(90);    // a layout
    Grid->SetFooterRowCount(1); // and another
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Grid->InplaceEdit()->Text(), "Row 1x");
    EXPECT_EQ(Grid->CurrentEditText(), "Row 1x");
    Data.Post();
    EXPECT_EQ(F("NAME")->GetAsString(), "Row 1x");

    // Dropping the change shows the record's value again.
    Grid->InplaceEdit()->SetFocus();
    Type("y");
    ASSERT_TRUE(Grid->DataLink().IsModified());
    Grid->DataLink().Reset();
    EXPECT_EQ(Grid->InplaceEdit()->Text(), "Row 1x");
    EXPECT_EQ(Grid->CurrentEditText(), "Row 1x");
    Data.Cancel();
    EXPECT_EQ(F("NAME")->GetAsString(), "Row 1x");
}

TEST_F(EditRules, TheEditorsQueriesAnswerForAnEditorWithoutDropDowns)
{
    Columns({"NAME"});
    TDBGridInplaceEdit* editor = EditColumn(0);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->ListVisible());
    editor->CloseUp(true);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_FALSE(editor->PressButtonAt({0, 0}));
    EXPECT_FALSE(Grid->EditorMRUListInUse());
    Column(0)->MRUList()->SetActive(true);
    EXPECT_TRUE(Grid->EditorMRUListInUse());
    // A value written through the editor goes into the column's list.
    Key(Qt::Key_F2);
    Type("z");
    Data.Post();
    EXPECT_EQ(Column(0)->MRUList()->GetItems().GetCount(), 1);
    Grid->HideEditor();
    EXPECT_FALSE(Grid->EditorMRUListInUse());
}

TEST_F(EditRules, AWrittenTextGoesIntoTheRecentListOnlyWhenItAddsByItself)
{
    Columns({"NAME"});
    editors::TMRUListEx& recent = *Column(0)->MRUList();
    recent.SetActive(true);
    recent.SetAutoAdd(false);
    EditColumn(0);
    Key(Qt::Key_F2);
    Type("z");
    Data.Post();
    EXPECT_EQ(F("NAME")->GetAsString(), "Row 1z");
    EXPECT_EQ(recent.GetItems().GetCount(), 0);

    recent.SetAutoAdd(true);
    EditColumn(0);
    Key(Qt::Key_F2);
    Type("y");
    Data.Post();
    ASSERT_EQ(recent.GetItems().GetCount(), 1);
    EXPECT_EQ(recent.GetItems()[0], "Row 1zy");
}

} // namespace
