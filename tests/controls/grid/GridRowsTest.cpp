// The grid's rows: as many data rows as the link holds, the gap and footer rows at the
// bottom, the areas cells lie in, the current row following the record, and the data
// set's own record numbering.
#include <string>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/GridLibConsts.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class GridRows : public GridTest {
protected:
    void Show()
    {
        uitest::ShowActive(Grid.get());
        ASSERT_TRUE(Grid->HandleAllocated());
    }
    void AddRows(int count)
    {
        for (int i = 0; i < count; ++i) AddRow(100 + i, "More " + std::to_string(i), i, 1);
        Data.First();
    }
    int Line() const { return Grid->GridLineWidth(); }
    // The bottom of the last row, its line included.
    int GridBottom() const { return Grid->CellRect(0, Grid->RowCount() - 1).Bottom + Line(); }
};

TEST_F(GridRows, AsManyDataRowsAsTheLinkHolds)
{
    Bind();
    EXPECT_EQ(Grid->RowCount(), 2); // no window: one data row
    Show();
    EXPECT_EQ(Grid->RowCount(), 1 + 3);
    EXPECT_EQ(Grid->FixedRows(), 1);
    EXPECT_EQ(Grid->DataRowCount(), 3);
    EXPECT_EQ(Grid->TopRow(), 1);
    const int rowSpan = Grid->DefaultRowHeight() + Line();
    const int room = Grid->ClientHeight() - (Grid->RowHeights(0) + Line());
    EXPECT_EQ(Grid->DataLink().GetBufferCount(), room / rowSpan);
    AddRows(20);
    EXPECT_EQ(Grid->DataRowCount(), room / rowSpan);
    EXPECT_EQ(Grid->VisibleDataRowCount(), room / rowSpan);

    // Without records one empty data row stands under the titles.
    while (!Data.IsEmpty()) Data.Delete();
    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_EQ(Grid->DataRowCount(), 1);
    Data.Close();
    EXPECT_EQ(Grid->RowCount(), 2);
}

TEST_F(GridRows, FootersStandAtTheBottomUnderTheGapRow)
{
    Bind();
    Show();
    Grid->SetFooterRowCount(2);
    ASSERT_EQ(Grid->RowCount(), 1 + 3 + 1 + 2);
    EXPECT_EQ(Grid->DataRowCount(), 3);
    EXPECT_EQ(GridBottom(), Grid->ClientHeight());
    EXPECT_GT(Grid->RowHeights(4), 0); // the gap row takes what is left
    EXPECT_EQ(Grid->VisibleDataRowCount(), 3);

    // An empty data set: one data row, the gap, the footers still at the bottom.
    while (!Data.IsEmpty()) Data.Delete();
    ASSERT_EQ(Grid->RowCount(), 1 + 1 + 1 + 2);
    EXPECT_EQ(Grid->DataRowCount(), 1);
    EXPECT_EQ(GridBottom(), Grid->ClientHeight());

    // More records than rows: the gap row keeps less than a row, the footers still show.
    AddRows(30);
    EXPECT_LT(Grid->RowHeights(Grid->RowCount() - 3), Grid->DefaultRowHeight() + Line());
    EXPECT_EQ(GridBottom(), Grid->ClientHeight());
    EXPECT_GT(Grid->DataRowCount(), 3);
}

TEST_F(GridRows, EachRowLiesInOneArea)
{
    Bind();
    Grid->STFilter().SetVisible(true);
    Show();
    Grid->SetFooterRowCount(2);
    ASSERT_EQ(Grid->TitleOffset(), 2);
    ASSERT_EQ(Grid->RowCount(), 2 + 3 + 1 + 2);
    struct TCase {
        int Row;
        TCellRowKind Kind;
        int Index;
    };
    // clang-format off
    const TCase cases[] = {{0, crkTitle, 0},      {1, crkSubTitle, 0}, {2, crkData, 0}, {4, crkData, 2},
                           {5, crkAboveFooter, 0}, {6, crkFooter, 1},   {7, crkFooter, 2}};
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Row);
        const TCellArea area = Grid->GetCellType(3, c.Row);
        EXPECT_EQ(area.RowKind, c.Kind);
        EXPECT_EQ(area.Row, c.Index);
        EXPECT_EQ(area.ColKind, cckData);
        EXPECT_EQ(area.Col, 2);
    }
    EXPECT_EQ(Grid->GetCellType(0, 3).ColKind, cckIndicator);
    EXPECT_EQ(Grid->GetCellType(0, 7).Code(), unsigned(crkFooter) << 8 | cckIndicator);
    try {
        Grid->GetCellType(1, 8);
        ADD_FAILURE() << "a row outside the grid has no area";
    } catch (const ui::EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message, msg::GetCellTypeAlgorithmError);
    }
    EXPECT_EQ(Grid->TitleRowCount(), 1);
    EXPECT_EQ(Grid->SubTitleRowCount(), 1);
}

TEST_F(GridRows, TheCurrentRowFollowsTheRecord)
{
    AddRows(30);
    Bind();
    Show();
    const int dataRows = Grid->DataRowCount();
    ASSERT_LT(dataRows, 33);
    EXPECT_EQ(Grid->Row(), 1);
    Data.Next();
    EXPECT_EQ(Grid->Row(), 2);
    Data.Last(); // the window moves: the last record on the last row
    EXPECT_EQ(Grid->Row(), dataRows);
    EXPECT_EQ(Grid->DataLink().GetActiveRecord(), dataRows - 1);
    Data.First();
    EXPECT_EQ(Grid->Row(), 1);
    Data.MoveBy(3);
    EXPECT_EQ(Grid->Row(), 4);

    // The editor that is always shown follows with the new record's text.
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    Grid->SetSelectedIndex(1);
    ASSERT_NE(Grid->InplaceEdit(), nullptr);
    ASSERT_TRUE(Grid->InplaceEdit()->Visible());
    Data.Next();
    EXPECT_EQ(Grid->Row(), 5);
    EXPECT_EQ(Grid->InplaceEdit()->Text(), F("NAME")->GetText());
    EXPECT_EQ(Grid->InplaceEdit()->BoundsRect().Top, Grid->CellRect(2, 5).Top);
    Data.Last();
    EXPECT_EQ(Grid->InplaceEdit()->Text(), F("NAME")->GetText());
}

// A memory data set that numbers its own records.
class TNumberingDataSet : public db::TMemDataSet, public db::IMemTableEx {
public:
    int MemTableRecordCount() override { return 0; }
    int MemTableRecNo() const override { return 0; }
    void MemTableSetRecNo(int) override {}
    bool MemTableIsSequenced() const override { return true; }
    int MemTableFetchRecords(int) override { return 0; }
    bool MemTableInstantReadEnter(int) override { return false; }
    void MemTableInstantReadLeave() override {}
    bool MemTableInTreeMode() const override { return false; }
    db::TMemTableNodeEx MemTableNode(int) override { return {}; }
    void MemTableSetNodeExpanded(int, bool) override {}
    void MemTableTreeKey(char) override {}
};

TEST_F(GridRows, TheGridHoldsADataSetsOwnNumberingOnlyWithoutFooters)
{
    Bind();
    EXPECT_EQ(Grid->MemTable(), nullptr);
    TNumberingDataSet numbering;
    numbering.FieldDefs().Add("CODE", db::ftInteger);
    numbering.Open();
    db::TDataSource source;
    source.SetDataSet(&numbering);
    Grid->SetDataSource(&source);
    EXPECT_EQ(Grid->MemTable(), static_cast<db::IMemTableEx*>(&numbering));
    Grid->SetFooterRowCount(1);
    EXPECT_EQ(Grid->MemTable(), nullptr);
    Grid->SetFooterRowCount(0);
    EXPECT_NE(Grid->MemTable(), nullptr);
    Grid->SetMemTableSupport(false);
    EXPECT_EQ(Grid->MemTable(), nullptr);
    Grid->SetMemTableSupport(true);
    EXPECT_NE(Grid->MemTable(), nullptr);
    numbering.Close();
    Grid->SetDataSource(&Source);
    EXPECT_EQ(Grid->MemTable(), nullptr);
}

} // namespace
