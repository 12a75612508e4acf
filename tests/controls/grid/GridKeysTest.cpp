// The grid's keys as a user presses them: moving through records and columns, new
// records at the end, Tab, selections with Shift, Esc, Ctrl+Delete, check boxes, the
// characters that go to the cell editor or to a search, and the find shortcuts.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridInputTest.h"
#include "controls/grid/DBGridExSeams.h"
#include "platform/ui/Clipboard.h"
#include "platform/rtl/UpdateScope.h"

namespace {

using namespace grid;
using gridtest::GridInputTest;

class GridKeys : public GridInputTest {
protected:
    int Page() { return Grid->VisibleDataRowCount(); }
    int TopRecNo() { return RecNo() - Grid->DataLink().GetActiveRecord(); }
    void Options(std::initializer_list<TDBGridOption> add, std::initializer_list<TDBGridOption> remove = {})
    {
        TDBGridOptions options = Grid->GetOptions();
        for (TDBGridOption o : add) options.Include(o);
        for (TDBGridOption o : remove) options.Exclude(o);
        Grid->SetOptions(options);
    }
    void OptionsEx(std::initializer_list<TDBGridExOption> add)
    {
        TDBGridExOptions options = Grid->GetOptionsEx();
        for (TDBGridExOption o : add) options.Include(o);
        Grid->SetOptionsEx(options);
    }
    // Six records in a grid that selects records (or all), the first two selected with the
    // keys; the clipboard empty.
    void SelectTheFirstTwoOfSixRecords()
    {
        Records(6);
        Options({dgMultiSelect});
        Grid->SetAllowedSelections({gstRecordBookmarks, gstAll});
        ShowGrid({"ID", "NAME"});
        ui::Clipboard().Clear();
        Key(Qt::Key_Down, Qt::ShiftModifier);
        ASSERT_EQ(SelectedRecNos(), (std::vector<int>{1, 2}));
    }
};

TEST_F(GridKeys, ArrowsPagesAndEndsMoveTheRecord)
{
    Records(50);
    ShowGrid();
    const int page = Page();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(RecNo(), 3);
    Key(Qt::Key_Up);
    EXPECT_EQ(RecNo(), 2);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(RecNo(), 2 + page);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(RecNo(), 2);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 50);
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset() + Grid->DataRowCount() - 1);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 1);

    // Ctrl with Down or PgDn: the last record of the window; with Up or PgUp the first.
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), page);
    EXPECT_EQ(TopRecNo(), 1);
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 1);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), page);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 1);
    // Up on the first record stays there.
    Key(Qt::Key_Up);
    EXPECT_EQ(RecNo(), 1);
}

TEST_F(GridKeys, DownPastTheLastRecordAppendsOneThatUpDropsAgain)
{
    Records(3);
    ShowGrid();
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(Data.State(), db::dsInsert);
    EXPECT_TRUE(Data.Eof());
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset() + 3);
    // Down on the new, untouched record at the end does nothing.
    Key(Qt::Key_Down);
    EXPECT_EQ(Data.State(), db::dsInsert);
    EXPECT_EQ(Data.RecordCount(), 3);
    Key(Qt::Key_Up);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(Data.RecordCount(), 3);
    EXPECT_EQ(Name(), "Row 3");

    // A record typed into stays: Down posts it and appends the next.
    Key(Qt::Key_Down);
    Type("44");
    Key(Qt::Key_Down);
    EXPECT_EQ(Data.RecordCount(), 4);
    EXPECT_EQ(Data.State(), db::dsInsert);
    Key(Qt::Key_Escape);
    Data.Last();
    EXPECT_EQ(F("ID")->GetAsInteger(), 44);

    // Without appending allowed, or in a read-only grid, Down stays on the last record.
    Grid->SetAllowedOperations({alopInsertEx, alopUpdateEx, alopDeleteEx});
    Key(Qt::Key_Down);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    Grid->SetAllowedOperations(DefaultAllowedOperations);
    Grid->SetReadOnly(true);
    Key(Qt::Key_Down);
    EXPECT_EQ(Data.State(), db::dsBrowse);
}

TEST_F(GridKeys, InsertInsertsOrAppendsAsTheOperationsAllow)
{
    Records(5);
    ShowGrid();
    Key(Qt::Key_Down);
    Key(Qt::Key_Insert);
    EXPECT_EQ(Data.State(), db::dsInsert);
    EXPECT_FALSE(Data.Eof()); // before the current record
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset() + 1);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Data.State(), db::dsBrowse);

    Grid->SetAllowedOperations({alopUpdateEx, alopAppendEx});
    Key(Qt::Key_Insert);
    EXPECT_EQ(Data.State(), db::dsInsert);
    EXPECT_TRUE(Data.Eof()); // after the last record
    Key(Qt::Key_Escape);

    Grid->SetAllowedOperations({alopUpdateEx});
    Key(Qt::Key_Insert);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    Grid->SetAllowedOperations(DefaultAllowedOperations);
    Options({}, {dgEditing});
    Key(Qt::Key_Insert);
    EXPECT_EQ(Data.State(), db::dsBrowse);
}

TEST_F(GridKeys, HomeEndAndArrowsMoveTheColumnWithSeveralColumnsAndTheRecordWithOne)
{
    Records(20);
    ShowGrid({"ID", "NAME", "AMOUNT", "FLAG"});
    const int first = Grid->IndicatorOffset();
    std::vector<std::string> exits;
    Grid->OnColExit = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { exits.push_back(Grid->SelectedField()->GetFieldName()); });
    Key(Qt::Key_End);
    EXPECT_EQ(Grid->Col(), first + 3);
    EXPECT_EQ(RecNo(), 1);
    Key(Qt::Key_Home);
    EXPECT_EQ(Grid->Col(), first);
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->Col(), first + 1);
    EXPECT_EQ(exits, (std::vector<std::string>{"ID", "FLAG", "ID"}));
    // A hidden column is passed over.
    Grid->Columns().Items(2)->SetVisible(false);
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->Col(), first + 3);
    Key(Qt::Key_Left);
    EXPECT_EQ(Grid->Col(), first + 1);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Grid->Col(), first + 3);
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Grid->Col(), first);
    // Left on the first column stays.
    Key(Qt::Key_Left);
    EXPECT_EQ(Grid->Col(), first);

    // A single column: Home and End go to the first and the last record.
    for (int i : {3, 2, 1}) Grid->Columns().Items(i)->SetVisible(false);
    Key(Qt::Key_End);
    EXPECT_EQ(RecNo(), 20);
    Key(Qt::Key_Home);
    EXPECT_EQ(RecNo(), 1);
}

TEST_F(GridKeys, LeftAndRightScrollTheColumnsOfARowSelectGrid)
{
    Records(5);
    Options({dgRowSelect});
    ShowGrid({"ID", "NAME", "AMOUNT", "FLAG"});
    for (int i = 0; i < 4; ++i) Grid->Columns().Items(i)->SetWidth(200);
    const int fixed = Grid->FixedCols();
    const int col = Grid->Col();
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->LeftCol(), fixed + 1);
    EXPECT_EQ(Grid->Col(), col);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->LeftCol() + Grid->VisibleColCount(), Grid->ColCount());
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Grid->LeftCol(), fixed);
}

TEST_F(GridKeys, AFrozenColumnTakesTheCurrentCellWithoutScrolling)
{
    Records(5);
    ShowGrid({"ID", "NAME", "AMOUNT", "FLAG"});
    for (int i = 0; i < 4; ++i) Grid->Columns().Items(i)->SetWidth(150);
    Grid->SetFrozenCols(1);
    const int frozen = Grid->IndicatorOffset();
    ASSERT_EQ(Grid->FixedCols(), frozen + 1);
    Key(Qt::Key_End);
    ASSERT_EQ(Grid->Col(), Grid->ColCount() - 1);
    const int left = Grid->LeftCol();
    ASSERT_GT(left, Grid->FixedCols());
    Key(Qt::Key_Home);
    EXPECT_EQ(Grid->Col(), frozen);
    EXPECT_EQ(Grid->LeftCol(), left);
    // Right goes on into the scrolled columns, which come into view.
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->Col(), frozen + 1);
    EXPECT_EQ(Grid->LeftCol(), frozen + 1);
    Key(Qt::Key_Left);
    EXPECT_EQ(Grid->Col(), frozen);
    EXPECT_EQ(Grid->LeftCol(), frozen + 1);
    // A click on the frozen column of another record moves there and scrolls nothing.
    Key(Qt::Key_End);
    Click(frozen, Grid->TitleOffset() + 2);
    EXPECT_EQ(Grid->Col(), frozen);
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(Grid->LeftCol(), left);
}

TEST_F(GridKeys, TabWalksTheTabStopsAlongTheRecords)
{
    Records(5);
    ShowGrid({"ID", "NAME", "AMOUNT"});
    const int first = Grid->IndicatorOffset();
    Key(Qt::Key_Down);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Grid->Col(), first + 1);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Grid->Col(), first);
    EXPECT_EQ(RecNo(), 3);
    // Shift+Tab on the first column: the previous record's last column.
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->Col(), first + 2);
    EXPECT_EQ(RecNo(), 2);
    // A read-only column has no tab stop.
    Grid->Columns().Items(1)->SetReadOnly(true);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->Col(), first);

    // Enter as Tab in the last column: the first column of the next record.
    OptionsEx({dghEnterAsTab});
    Key(Qt::Key_End);
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid->Col(), first);
    EXPECT_EQ(RecNo(), 3);

    // Without any column to stop at, Tab moves nothing and appends nothing.
    for (int i = 0; i < 3; ++i) Grid->Columns().Items(i)->SetReadOnly(true);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Tab);
    EXPECT_EQ(RecNo(), 5);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(Data.RecordCount(), 5);
}

TEST_F(GridKeys, ShiftTabWorksWithoutAnIndicatorToo)
{
    Records(5);
    Options({}, {dgIndicator});
    ShowGrid({"ID", "NAME"});
    ASSERT_EQ(Grid->IndicatorOffset(), 0);
    Key(Qt::Key_Down);
    ASSERT_EQ(Grid->Col(), 0);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(RecNo(), 1);
}

TEST_F(GridKeys, ShiftWithArrowsSelectsRecordsFromTheAnchor)
{
    Records(30);
    Options({dgMultiSelect});
    Grid->SetAllowedSelections({gstRecordBookmarks});
    ShowGrid();
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(SelectedRecNos(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Grid->Selection().SelectionType(), gstRecordBookmarks);
    // Past the anchor upwards the other side fills.
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Up, Qt::ShiftModifier);
    Key(Qt::Key_Down);
    EXPECT_TRUE(Grid->SelectedRows().Count() == 0);
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(static_cast<int>(SelectedRecNos().size()), Page() + 1);
    Key(Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(RecNo(), 30);
    EXPECT_EQ(SelectedRecNos().size(), 29u); // from record 2 to the end
}

TEST_F(GridKeys, ShiftWithArrowsSelectsARectangleOfCells)
{
    Records(10);
    Options({dgMultiSelect});
    ShowGrid();
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(Grid->Selection().SelectionType(), gstRectangle);
    const TDBGridExSelectionRect& rect = Grid->Selection().Rect();
    EXPECT_EQ(rect.LeftCol(), 0);
    EXPECT_EQ(rect.RightCol(), 1);
    Data.DisableControls();
    const db::TBookmark here = Data.GetBookmark();
    Data.SetRecNo(1);
    EXPECT_EQ(rect.TopRow(), Data.GetBookmark());
    Data.GotoBookmark(here);
    Data.EnableControls();
    EXPECT_EQ(rect.BottomRow(), Data.GetBookmark());
    // Without Shift the selection goes.
    Key(Qt::Key_Left);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
}

TEST_F(GridKeys, EscDropsTheEditAndTheSelection)
{
    Records(5);
    Options({dgMultiSelect});
    ShowGrid({"ID", "NAME"});
    Key(Qt::Key_Right);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    Type("X");
    EXPECT_EQ(Data.State(), db::dsEdit);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Name(), "Row 1");
    // The editor's change went; the record still edits until the next Esc.
    Key(Qt::Key_Escape);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Name(), "Row 1");

    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_NE(Grid->Selection().SelectionType(), gstNon);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
}

TEST_F(GridKeys, CtrlDeleteAsksBeforeDeleting)
{
    Records(6);
    Options({dgMultiSelect});
    Grid->SetAllowedSelections({gstRecordBookmarks});
    ShowGrid();
    Boxes.Answer = ui::mrCancel;
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(Boxes.Requests.size(), 1u);
    EXPECT_EQ(Boxes.Requests[0].Text, "Delete record?");
    EXPECT_EQ(Boxes.Requests[0].Buttons, ui::mbOKCancel);
    EXPECT_EQ(Data.RecordCount(), 6);

    Boxes.Answer = ui::mrOk;
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Data.RecordCount(), 5);
    EXPECT_EQ(Name(), "Row 2");

    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(Grid->SelectedRows().Count(), 2);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Boxes.Requests.back().Text, "Delete all selected records?");
    EXPECT_EQ(Data.RecordCount(), 3);
    Data.First();
    EXPECT_EQ(Name(), "Row 4");

    // Without the confirmation nothing is asked; a read-only grid deletes nothing.
    Options({}, {dgConfirmDelete});
    const std::size_t asked = Boxes.Requests.size();
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Data.RecordCount(), 2);
    EXPECT_EQ(Boxes.Requests.size(), asked);
    Grid->SetReadOnly(true);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Data.RecordCount(), 2);
}

TEST_F(GridKeys, WithNoEditActionAllowedTheClipboardKeysDoNothing)
{
    ASSERT_NO_FATAL_FAILURE(SelectTheFirstTwoOfSixRecords());
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_FALSE(ui::Clipboard().HasFormat(ui::CF_TEXT));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstRecordBookmarks);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Data.RecordCount(), 6);
}

TEST_F(GridKeys, CtrlCAndCtrlInsertCopyAndCtrlVAndShiftInsertPasteIntoTheSelectedRecords)
{
    ASSERT_NO_FATAL_FAILURE(SelectTheFirstTwoOfSixRecords());
    Grid->SetEditActions({geaCopyEx, geaPasteEx});
    Key(Qt::Key_C, Qt::ControlModifier);
    const std::string copied = ui::Clipboard().AsText();
    EXPECT_NE(copied.find("1\tRow 1"), std::string::npos) << copied;
    EXPECT_NE(copied.find("2\tRow 2"), std::string::npos) << copied;
    ui::Clipboard().Clear();
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ui::Clipboard().AsText(), copied);

    // Ctrl+V and Shift+Insert paste into the selected records.
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(SelectedRecNos(), (std::vector<int>{3, 4}));
    Key(Qt::Key_V, Qt::ControlModifier);
    Data.SetRecNo(4);
    EXPECT_EQ(Name(), "Row 2");
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(SelectedRecNos(), (std::vector<int>{5, 6}));
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    Data.SetRecNo(5);
    EXPECT_EQ(Name(), "Row 1");
}

TEST_F(GridKeys, CtrlXAndShiftDeleteCutOnlyWithCuttingAllowedAndCtrlAOnlyWithSelectingAll)
{
    ASSERT_NO_FATAL_FAILURE(SelectTheFirstTwoOfSixRecords());
    Grid->SetEditActions({geaCopyEx, geaPasteEx});
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstRecordBookmarks) << "select all is not allowed";
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Data.RecordCount(), 6);
    Grid->SetEditActions({geaCopyEx, geaCutEx, geaSelectAllEx, geaDeleteEx});
    ui::Clipboard().Clear();
    Options({}, {dgConfirmDelete});
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Data.RecordCount(), 4);
    EXPECT_NE(ui::Clipboard().AsText().find("Row 1"), std::string::npos);
}

TEST_F(GridKeys, CtrlDeleteWithASelectionAndDeletingAllowedAsksTheDeleteActionsQuestion)
{
    ASSERT_NO_FATAL_FAILURE(SelectTheFirstTwoOfSixRecords());
    Grid->SetEditActions({geaCopyEx, geaCutEx, geaSelectAllEx, geaDeleteEx});
    Options({dgConfirmDelete});
    Boxes.Answer = ui::mrCancel;
    Data.First();
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    ASSERT_EQ(SelectedRecNos(), (std::vector<int>{1}));
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_FALSE(Boxes.Requests.empty());
    EXPECT_EQ(Boxes.Requests.back().Text, "Delete record?");
    EXPECT_EQ(Data.RecordCount(), 6);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstAll);
}

TEST_F(GridKeys, SpaceStepsACheckBoxAndDeleteClearsIt)
{
    Records(3);
    ShowGrid({"ID", "ACTIVE"});
    Grid->Columns().Items(1)->SetCheckboxes(true);
    Key(Qt::Key_Right);
    ASSERT_TRUE(F("ACTIVE")->IsNull());
    Key(Qt::Key_Space);
    EXPECT_TRUE(F("ACTIVE")->GetAsBoolean());
    Key(Qt::Key_Space);
    EXPECT_FALSE(F("ACTIVE")->GetAsBoolean());
    Key(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_TRUE(F("ACTIVE")->GetAsBoolean());
    EXPECT_FALSE(EditorShown());
    Key(Qt::Key_Delete);
    EXPECT_TRUE(F("ACTIVE")->IsNull());
    Key(Qt::Key_Down);
    Data.First();
    EXPECT_TRUE(F("ACTIVE")->IsNull());
    // A read-only grid steps nothing.
    Grid->SetReadOnly(true);
    Key(Qt::Key_Space);
    EXPECT_TRUE(F("ACTIVE")->IsNull());
}

TEST_F(GridKeys, TypingOpensTheEditorOrFeedsTheSearch)
{
    Records(10);
    ShowGrid({"ID", "NAME"});
    Key(Qt::Key_Right);
    Type("Q");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->Text(), "Q");
    // Enter writes the text into the field and hides the editor.
    Key(Qt::Key_Return);
    EXPECT_EQ(Name(), "Q");
    EXPECT_FALSE(EditorShown());
    Data.Post();

    // A read-only column with dghIncSearch: the characters search.
    OptionsEx({dghIncSearch});
    Grid->Columns().Items(1)->SetReadOnly(true);
    Type("row 7");
    EXPECT_TRUE(Grid->IncSearchActive());
    EXPECT_EQ(Name(), "Row 7");
    EXPECT_EQ(Grid->IncSearchTimeOut(), DBGridExSettings().IncSearchTimeOut);
    EXPECT_FALSE(EditorShown());
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Grid->IncSearchText(), "Row ");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Grid->IncSearchActive());
    EXPECT_EQ(Name(), "Row 7");

    // dghPreferIncSearch searches in an editable column too while the editor is hidden.
    Grid->Columns().Items(1)->SetReadOnly(false);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Exclude(dghIncSearch).Include(dghPreferIncSearch));
    Type("row 3");
    EXPECT_EQ(Name(), "Row 3");
    EXPECT_FALSE(EditorShown());
}

TEST_F(GridKeys, CtrlFStartsASearchOrOpensTheFindDialog)
{
    Records(10);
    SetNames({"Apple", "Banana", "Cherry", "Banjo", "Date"});
    ShowGrid({"NAME"});
    static std::vector<std::string> opened;
    opened.clear();
    const rtl::TValueScope<TShowDBGridExFindDialogProc> findDialog(
        ShowDBGridExFindDialogProc, [](TCustomDBGridEx&, const std::string&, const std::string&, bool Modal,
                                       const std::vector<std::pair<std::string, TColumnEx*>>&) {
            opened.push_back(Modal ? "modal" : "modeless");
        });
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(opened, (std::vector<std::string>{"modal"}));

    // With dghIncSearch Ctrl+F starts a search without time-out; again, the dialog.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghIncSearch));
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Grid->IncSearchActive());
    EXPECT_EQ(Grid->IncSearchTimeOut(), -1);
    Type("ban");
    EXPECT_EQ(Name(), "Banana");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Name(), "Banjo");
    Key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Name(), "Banana");
    Key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(Grid->IncSearchActive());
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(GridKeys, DeletingTheSelectedRecordsGoesThroughThemFromTheFirst)
{
    Records(5);
    Options({dgMultiSelect}, {dgConfirmDelete});
    Grid->SetAllowedSelections({gstRecordBookmarks});
    Grid->SetEditActions({geaDeleteEx});
    ShowGrid();
    Click(0, Grid->TitleOffset());
    Click(0, Grid->TitleOffset() + 2, Qt::ControlModifier);
    ASSERT_EQ(SelectedRecNos(), (std::vector<int>{1, 3}));
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Data.RecordCount(), 3);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
    // The record after the last one deleted stays current.
    EXPECT_EQ(Name(), "Row 4");
    Data.First();
    EXPECT_EQ(Name(), "Row 2");
}

} // namespace
