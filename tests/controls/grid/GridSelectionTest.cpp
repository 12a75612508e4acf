// The grid's selection: records by bookmark, columns with Ctrl and Shift, a rectangle of
// cells, everything; what each says about a cell, what it repaints, and how it ends.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/DBGridExSelection.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DBConsts.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class Selection : public GridTest {
protected:
    // The grid shown over `rows` records (ID 1 .. rows) with multi-select on.
    void ShowRows(int rows)
    {
        for (int id = 4; id <= rows; ++id) AddRow(id, "Row " + std::to_string(id), id * 1.5, 1);
        Data.First();
        Bind();
        Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
        uitest::ShowActive(Grid.get());
    }
    TDBGridExSelection& Sel() { return Grid->Selection(); }
    TBookmarkListEx& Rows() { return Grid->SelectedRows(); }
    db::TBookmark MarkOf(int recNo)
    {
        Data.SetRecNo(recNo);
        return Data.GetBookmark();
    }
    // Selects the record with that record number.
    void Pick(int recNo, bool value = true)
    {
        Data.SetRecNo(recNo);
        Rows().SetCurrentRowSelected(value);
    }
    std::vector<int> ListedIds()
    {
        std::vector<int> ids;
        for (int i = 0; i < Rows().Count(); ++i) {
            Data.GotoBookmark(Rows().Items(i));
            ids.push_back(F("ID")->GetAsInteger());
        }
        return ids;
    }
    template <typename Fn>
    std::string GridErrorOf(Fn&& fn)
    {
        try {
            fn();
        } catch (const ui::EInvalidGridOperation& e) {
            return e.Message;
        }
        return "no error";
    }
};

// ---- records

TEST_F(Selection, TheRecordListStaysInBookmarkOrderWhateverTheClickOrder)
{
    ShowRows(8);
    for (int recNo : {5, 2, 8, 1, 5, 7})
        Pick(recNo);
    EXPECT_EQ(Sel().SelectionType(), gstRecordBookmarks);
    EXPECT_EQ(ListedIds(), (std::vector<int>{1, 2, 5, 7, 8})); // selecting 5 again changed nothing

    // A record inserted third shows third but compares after every other: it goes last.
    Data.SetRecNo(3);
    Data.Insert();
    F("ID")->SetAsInteger(99);
    Data.Post();
    const db::TBookmark inserted = Data.GetBookmark();
    Rows().SetCurrentRowSelected(true);
    EXPECT_TRUE(Rows().CurrentRowSelected());
    EXPECT_EQ(ListedIds(), (std::vector<int>{1, 2, 5, 7, 8, 99}));
    for (int i = 1; i < Rows().Count(); ++i)
        EXPECT_LT(Data.CompareBookmarks(Rows().Items(i - 1), Rows().Items(i)), 0);

    // Finding gives the place a bookmark stands at or would go to, also right after a
    // change of the list (the kept answer of the last search must not survive it).
    int index = -1;
    const db::TBookmark third = MarkOf(4); // ID 3 (the inserted one shows third)
    EXPECT_FALSE(Rows().Find(third, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(Rows().Find(third, index));
    EXPECT_EQ(index, 2);
    Pick(1, false); // ID 1 leaves the list
    EXPECT_FALSE(Rows().Find(third, index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(Rows().Find(inserted, index));
    EXPECT_EQ(index, 4);
    EXPECT_EQ(Rows().IndexOf(inserted), 4);
    EXPECT_EQ(Rows().IndexOf(third), -1);
    EXPECT_THROW(Rows().Items(5), rtl::EListError);

    Data.GotoBookmark(inserted);
    EXPECT_TRUE(Rows().CurrentRowSelected());
    EXPECT_TRUE(Sel().IsRowSelected(inserted));
    EXPECT_TRUE(Sel().IsCellSelected(-1, inserted)); // the whole row, indicator included
    EXPECT_EQ(Sel().SelectedRowCount(), 5);
}

TEST_F(Selection, DeselectingTheLastRecordLeavesNothingSelected)
{
    ShowRows(3);
    Pick(2);
    Pick(3);
    Pick(2, false);
    EXPECT_EQ(Sel().SelectionType(), gstRecordBookmarks);
    Pick(3, false);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_FALSE(Sel().IsCellSelected(0, MarkOf(3)));

    // A record being inserted has no bookmark to find it by: it is never listed.
    Data.Insert();
    Rows().SetCurrentRowSelected(true);
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    Data.Cancel();
}

TEST_F(Selection, ARecordSelectionReplacesAnyOtherKind)
{
    ShowRows(4);
    Sel().Columns().Select(Grid->Columns().Items(1), false);
    ASSERT_EQ(Sel().SelectionType(), gstColumns);
    Pick(2);
    EXPECT_EQ(Sel().SelectionType(), gstRecordBookmarks);
    EXPECT_EQ(Sel().Columns().Count(), 0);
    Sel().SelectAll();
    EXPECT_EQ(Sel().SelectionType(), gstAll);
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_TRUE(Sel().IsCellSelected(-1, MarkOf(1)));
}

TEST_F(Selection, TheCurrentRecordNeedsOpenData)
{
    EXPECT_EQ(GridErrorOf([&] { Rows().CurrentRow(); }), db::msg::DataSetClosed);
    EXPECT_EQ(GridErrorOf([&] { Rows().SetCurrentRowSelected(true); }), db::msg::DataSetClosed);
    ShowRows(3);
    Pick(1);
    Pick(3);
    // Closing (and opening) the data empties the list.
    Data.Close();
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    EXPECT_EQ(GridErrorOf([&] { Rows().CurrentRowSelected(); }), db::msg::DataSetClosed);
    Data.Open();
    AddRow(1, "Row 1", 1, 1);
    Pick(1);
    EXPECT_EQ(Rows().Count(), 1);
}

TEST_F(Selection, DeletingTheListedRecordsDeletesThemAllAndOnlyThem)
{
    ShowRows(6);
    for (int recNo : {5, 2, 4})
        Pick(recNo);
    // One listed record went meanwhile: it is only taken off the list.
    Data.SetRecNo(4);
    Data.Delete();
    ASSERT_EQ(Rows().Count(), 3);
    Rows().Delete();
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    EXPECT_FALSE(Data.ControlsDisabled());
    std::vector<int> left;
    for (Data.First(); !Data.Eof(); Data.Next()) left.push_back(F("ID")->GetAsInteger());
    EXPECT_EQ(left, (std::vector<int>{1, 3, 6}));
}

TEST_F(Selection, AFailedDeleteKeepsWhatIsLeftListedAndTheControlsOn)
{
    ShowRows(6);
    for (int recNo : {2, 4, 6})
        Pick(recNo);
    int deletes = 0;
    struct TRefuse : rtl::TObject {
        int* count;
        void Before(db::TDataSet*)
        {
            if (++*count == 2) throw rtl::Exception("refused");
        }
    } refuse;
    refuse.count = &deletes;
    Data.BeforeDelete = {&refuse, &TRefuse::Before};
    EXPECT_THROW(Rows().Delete(), rtl::Exception);
    Data.BeforeDelete = {};
    EXPECT_FALSE(Data.ControlsDisabled());
    EXPECT_EQ(ListedIds(), (std::vector<int>{2, 4})); // 6 went, 4 was refused
    EXPECT_EQ(Sel().SelectionType(), gstRecordBookmarks);
    EXPECT_EQ(Data.RecordCount(), 5);
}

TEST_F(Selection, TheRowsToRepaintAreThoseOnScreenThatShowListedRecords)
{
    ShowRows(40);
    const int rows = Grid->DataLink().RecordCount();
    ASSERT_GT(rows, 4);
    ASSERT_LT(rows, 40);
    Pick(2);
    Pick(4);
    Data.First();
    EXPECT_EQ(Sel().RepaintRect(), (ui::TGridRect{0, Grid->TitleOffset() + 1, Grid->ColCount() - 1,
                                                  Grid->TitleOffset() + 3}));
    // The walk over the rows on screen leaves the current record where it was.
    EXPECT_EQ(Grid->DataLink().GetActiveRecord(), 0);
    EXPECT_EQ(F("ID")->GetAsInteger(), 1);
    Data.Last();
    EXPECT_EQ(Rows().RowsOnScreenRect(), NoGridRect);
    EXPECT_EQ(Sel().RepaintRect(), NoGridRect);
    Sel().Clear();
    EXPECT_EQ(Sel().RepaintRect(), NoGridRect);
    Sel().SelectAll();
    EXPECT_EQ(Sel().RepaintRect(), (ui::TGridRect{0, 0, Grid->ColCount() - 1, Grid->RowCount() - 1}));
}

TEST_F(Selection, TheGridClearsItsSelectionAsItsOptionsSay)
{
    ShowRows(4);
    Pick(1);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Exclude(dghClearSelection));
    Grid->ClearSelection();
    EXPECT_EQ(Rows().Count(), 1);
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghClearSelection));
    Grid->ClearSelection();
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    // A kind no longer allowed goes.
    Sel().Columns().Select(Grid->Columns().Items(0), false);
    Grid->SetAllowedSelections({gstRecordBookmarks});
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    EXPECT_EQ(Sel().Columns().Count(), 0);
}

// ---- columns

class ColumnSelection : public Selection {
protected:
    void SetUp() override
    {
        Selection::SetUp();
        ShowRows(3);
        for (int i = 0; i < 6; ++i) AddColumn("ID");
    }
    TColumnEx* C(int index) { return Grid->Columns().Items(index); }
    TDBGridExSelectionCols& Cols() { return Sel().Columns(); }
    std::vector<int> Selected()
    {
        std::vector<int> indexes;
        for (TColumnEx* column : Cols()) indexes.push_back(column->GetIndex());
        return indexes;
    }
};

TEST_F(ColumnSelection, TogglingTwiceRestoresAndClicksKeepColumnOrder)
{
    Cols().Toggle(C(4));
    EXPECT_EQ(Sel().SelectionType(), gstColumns);
    Cols().Toggle(C(4));
    EXPECT_EQ(Selected(), std::vector<int>{});
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    EXPECT_EQ(Cols().Anchor(), C(4));

    for (int i : {4, 1, 5, 0})
        Cols().Toggle(C(i));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 4, 5}));
    Cols().Toggle(C(1));
    Cols().Toggle(C(1));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 4, 5}));
    Cols().Select(C(3), true);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 3, 4, 5}));
    Cols().Select(C(2), false);
    EXPECT_EQ(Selected(), std::vector<int>{2});
    EXPECT_EQ(Cols().Anchor(), C(2));
    EXPECT_EQ(Cols().ShiftColumn(), C(2));

    // Cells: a column's cells, never the indicator's.
    const db::TBookmark mark = MarkOf(1);
    EXPECT_TRUE(Sel().IsCellSelected(2, mark));
    EXPECT_FALSE(Sel().IsCellSelected(3, mark));
    EXPECT_FALSE(Sel().IsCellSelected(-1, mark));
    EXPECT_FALSE(Sel().IsCellSelected(6, mark));
    EXPECT_TRUE(Sel().IsColumnSelected(2));
    EXPECT_EQ(Sel().RepaintRect(), (ui::TGridRect{3, 0, 3, Grid->RowCount() - 1}));
    // Moving a selected column keeps the list in column order.
    Cols().Select(C(4), true);
    C(4)->SetIndex(0); // the selected 2 becomes 3
    Sel().RefreshColumns();
    EXPECT_EQ(Selected(), (std::vector<int>{0, 3}));
}

TEST_F(ColumnSelection, ShiftExtendsFromTheAnchorAndGivesBackWhatItPassed)
{
    // Each step: Shift-click on a column, then the selected columns.
    struct TStep {
        int Column;
        std::vector<int> Selected;
    };
    const TStep steps[] = {
        {4, {2, 3, 4}}, // right of the anchor
        {5, {2, 3, 4, 5}},
        {3, {2, 3}},    // back towards it
        {0, {0, 1, 2}}, // past it to the left: the right side is given back
        {1, {1, 2}},
        {4, {2, 3, 4}}, // and past it again to the right
        {2, {2}},
    };
    Cols().Select(C(2), false);
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Column);
        Cols().ExtendTo(C(step.Column));
        EXPECT_EQ(Selected(), step.Selected);
        EXPECT_EQ(Cols().ShiftColumn(), C(step.Column));
        EXPECT_EQ(Cols().Anchor(), C(2));
    }

    // Columns selected before the extension keep their state; hidden ones are never added.
    Cols().Select(C(5), false);
    Cols().Toggle(C(1)); // anchor 1; selected 1 and 5
    C(2)->SetVisible(false);
    Cols().ExtendTo(C(3));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3, 5}));
    Cols().ExtendTo(C(0));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 5}));
    C(2)->SetVisible(true);

    // A deselected anchor deselects what the extension passes, and gives it back.
    Cols().Select(C(0), false);
    Cols().ExtendTo(C(5));
    Cols().Toggle(C(3)); // anchor 3, not selected
    Cols().ExtendTo(C(5));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
    Cols().ExtendTo(C(1));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 4, 5}));

    // Without an anchor the column is added.
    Cols().Clear();
    EXPECT_EQ(Cols().Anchor(), nullptr);
    Sel().Clear();
    Cols().ExtendTo(C(3));
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Sel().SelectionType(), gstColumns);
}

TEST_F(ColumnSelection, AColumnThatGoesLeavesTheSelection)
{
    Cols().Select(C(1), false);
    Cols().ExtendTo(C(3));
    TColumnEx* anchor = C(1);
    TColumnEx* shift = C(3);
    delete shift; // the shift column goes: the extension starts from the anchor again
    EXPECT_EQ(Cols().ShiftColumn(), anchor);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    Cols().ExtendTo(C(3)); // the old 4
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    Grid->Columns().Delete(1); // the anchor goes
    EXPECT_EQ(Cols().Anchor(), nullptr);
    EXPECT_EQ(Cols().ShiftColumn(), nullptr);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    Cols().ExtendTo(C(0));
    EXPECT_EQ(Cols().Anchor(), C(0));
    // The last selected column going ends the column selection.
    Cols().Select(C(2), false);
    Grid->Columns().Delete(2);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    EXPECT_EQ(Cols().Count(), 0);
    Grid->Columns().Clear();
    EXPECT_EQ(Cols().Anchor(), nullptr);
}

// ---- rectangle

class RectSelection : public Selection {
protected:
    TDBGridExSelectionRect& R() { return Sel().Rect(); }
};

TEST_F(RectSelection, ACellIsNoRectangleAndTheCornersAreOrdered)
{
    ShowRows(8);
    const db::TBookmark two = MarkOf(2);
    const db::TBookmark five = MarkOf(5);
    R().Select(3, five, false);
    EXPECT_EQ(Sel().SelectionType(), gstNon); // a single cell
    R().Select(1, two, true);
    EXPECT_EQ(Sel().SelectionType(), gstRectangle);
    EXPECT_EQ(R().TopRow(), two);
    EXPECT_EQ(R().BottomRow(), five);
    EXPECT_EQ(R().LeftCol(), 1);
    EXPECT_EQ(R().RightCol(), 3);
    EXPECT_EQ(R().AnchorCell().Row, five);
    struct TCell {
        int Col;
        int RecNo;
        bool In;
    };
    for (const TCell& c : {TCell{1, 2, true}, TCell{3, 5, true}, TCell{2, 4, true}, TCell{0, 3, false},
                           TCell{4, 3, false}, TCell{2, 1, false}, TCell{2, 6, false}, TCell{-1, 3, false}}) {
        SCOPED_TRACE(std::to_string(c.Col) + "," + std::to_string(c.RecNo));
        EXPECT_EQ(Sel().IsCellSelected(c.Col, MarkOf(c.RecNo)), c.In);
    }
    // Back to the anchor's cell: no selection.
    R().Select(3, five, true);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
    // A plain selection anchors anew.
    R().Select(0, two, true);
    R().Select(2, MarkOf(3), false);
    EXPECT_EQ(R().AnchorCell().Col, 2);
    EXPECT_EQ(Sel().SelectionType(), gstNon);
}

TEST_F(RectSelection, RowsCountAsTheGridShowsThem)
{
    ShowRows(8);
    const db::TBookmark two = MarkOf(2);
    const db::TBookmark four = MarkOf(4);
    R().Select(0, two, false);
    R().Select(1, four, true);
    // A record inserted between them shows inside the rectangle and is selected, though
    // its bookmark compares after every other.
    Data.SetRecNo(3);
    Data.Insert();
    F("ID")->SetAsInteger(99);
    Data.Post();
    const db::TBookmark inserted = Data.GetBookmark();
    EXPECT_GT(Data.CompareBookmarks(inserted, four), 0);
    EXPECT_TRUE(Sel().IsCellSelected(0, inserted));
    EXPECT_FALSE(Sel().IsCellSelected(0, MarkOf(6))); // ID 5 now
    EXPECT_EQ(R().BottomRow(), four);
    // The anchor's record going leaves a rectangle that holds nothing.
    Data.GotoBookmark(two);
    Data.Delete();
    EXPECT_FALSE(Sel().IsCellSelected(0, inserted));
    EXPECT_EQ(R().RepaintRect(), NoGridRect);
}

TEST_F(RectSelection, TheCellsToRepaintAreTheRectangleOnScreen)
{
    ShowRows(40);
    Data.First();
    R().Select(1, MarkOf(2), false);
    R().Select(2, MarkOf(4), true);
    Data.First();
    const int top = Grid->TitleOffset();
    EXPECT_EQ(Sel().RepaintRect(), (ui::TGridRect{2, top + 1, 3, top + 3}));
    // Scrolled two rows down: the rows still on screen.
    Data.MoveBy(Grid->DataLink().RecordCount() - 1);
    Data.MoveBy(2);
    ASSERT_EQ(Data.GetRecNo() - Grid->DataLink().GetActiveRecord(), 3);
    EXPECT_EQ(Sel().RepaintRect(), (ui::TGridRect{2, top, 3, top + 1}));
    Data.Last();
    EXPECT_EQ(Sel().RepaintRect(), NoGridRect);
}

TEST_F(RectSelection, WithoutOpenDataTheCornersAreAnError)
{
    Bind();
    Data.Close();
    EXPECT_FALSE(Sel().Rect().IsLinkActive());
    EXPECT_EQ(GridErrorOf([&] { R().TopRow(); }), msg::SelectionRectRowError);
    EXPECT_EQ(GridErrorOf([&] { R().BottomRow(); }), msg::SelectionRectRowError);
    EXPECT_EQ(GridErrorOf([&] { R().LeftCol(); }), msg::SelectionRectRowError);
    EXPECT_EQ(GridErrorOf([&] { R().RightCol(); }), msg::SelectionRectRowError);
    EXPECT_EQ(GridErrorOf([&] { R().CellSelected(0, ""); }), msg::SelectionRectCellError);
}

TEST_F(RectSelection, ARectangleKeepsTheEditorAwayWhileTheGridClearsSelections)
{
    ShowRows(4);
    AddColumn("NAME");
    AddColumn("ID");
    Grid->SetFocus();
    Grid->SetSelectedIndex(0);
    Grid->ShowEditor();
    ASSERT_TRUE(Grid->CanEditShow());
    R().Select(0, MarkOf(1), false);
    R().Select(1, MarkOf(2), true);
    ASSERT_EQ(Sel().SelectionType(), gstRectangle);
    EXPECT_FALSE(Grid->CanEditShow());
    Grid->ShowEditor();
    EXPECT_FALSE(Grid->InplaceEdit()->Visible());
    // Only while such selections are cleared by a click and may be made at all.
    Grid->SetOptionsEx(Grid->GetOptionsEx().Exclude(dghClearSelection));
    Grid->ShowEditor();
    EXPECT_TRUE(Grid->InplaceEdit()->Visible());
    Grid->SetOptionsEx(Grid->GetOptionsEx().Include(dghClearSelection));
    EXPECT_FALSE(Grid->CanEditShow());
    Grid->SetAllowedSelections({gstRecordBookmarks, gstColumns, gstAll});
    EXPECT_EQ(Sel().SelectionType(), gstNon); // the rectangle went with its kind
    Grid->ShowEditor();
    EXPECT_TRUE(Grid->InplaceEdit()->Visible());

    // With the editor always shown, clearing the rectangle brings it back.
    Grid->SetAllowedSelections(DefaultAllowedSelections);
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    R().Select(0, MarkOf(1), false);
    R().Select(1, MarkOf(2), true);
    Grid->HideEditor();
    Sel().Clear();
    EXPECT_TRUE(Grid->InplaceEdit()->Visible());
}

} // namespace
