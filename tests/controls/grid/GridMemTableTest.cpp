// A data set that numbers its records itself: one grid row per record, the current row
// from the record number, the view scrolled by its top row with the bar, keys and the
// wheel, more records fetched while the rows do not fill the grid, and the tree nodes of
// the first column that a click on their glyph or the keypad expands and collapses.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "GridInputTest.h"
#include "MemTableFixture.h"
#include "support/Snapshot.h"

namespace {

using gridtest::TTreeMemTable;

// A  (1)
//   A1  (2)
//     A1a (3)
//     A1b (4)
//   A2  (5)
// B  (6)
//   B1  (7)
// C  (8)
std::vector<TTreeMemTable::TRow> Tree()
{
    return {{1, 0, "A"}, {2, 1, "A1"}, {3, 2, "A1a"}, {4, 2, "A1b"}, {5, 1, "A2"}, {6, 0, "B"}, {7, 6, "B1"}, {8, 0, "C"}};
}

// Notes the NAME drawn on each row.
struct TDrawnNames {
    std::map<int, std::string> ByTop;
    void Drawn(rtl::TObject*, const ui::TRect& rect, int, grid::TColumnEx* column, ui::TGridDrawState)
    {
        if (column->GetFieldName() == "NAME") ByTop[rect.Top] = column->Field()->GetAsString();
    }
};

class GridMemTable : public gridtest::GridInputTest {
protected:
    void TearDown() override
    {
        Grid.reset();
        Table.reset();
        GridInputTest::TearDown();
    }

    // The grid bound to the table, with a column per field, shown in an active window.
    void Show(std::unique_ptr<TTreeMemTable> table, std::initializer_list<const char*> fields = {"NAME", "ID"})
    {
        Table = std::move(table);
        Table->Open();
        TableSource.SetDataSet(Table.get());
        Grid->SetDataSource(&TableSource);
        for (const char* field : fields) AddColumn(field);
        uitest::ShowActive(Grid.get());
    }
    int TableRecNo() { return Table->GetRecNo(); }
    // The rows on screen, the last one only when it is wholly visible.
    int LastVisibleRow() { return Grid->TopRow() + Grid->VisibleRowCount() - 1; }
    bool RowOnScreen(int row) { return row >= Grid->TopRow() && row <= LastVisibleRow(); }
    // A click on the bar's own arrow or page area.
    void ClickBar(QStyle::SubControl part)
    {
        QScrollBar* bar = VBar().Bar();
        const QRect r = BarPart(*bar, part);
        ASSERT_FALSE(r.isEmpty());
        QTest::mouseClick(bar, Qt::LeftButton, {}, r.center());
    }
    // The middle of the glyph of a record's own level in the tree column.
    ui::TPoint Glyph(int recNo, int level)
    {
        const ui::TRect cell = Grid->CellRect(1, Grid->TitleOffset() + recNo - 1);
        const int x = cell.Left + (level - 1) * grid::TCustomDBGridEx::TreeLevelWidth
                      + grid::TCustomDBGridEx::TreeLevelWidth / 2;
        return {Grid->LayoutX(x), (cell.Top + cell.Bottom) / 2};
    }
    void ClickAt(ui::TPoint p)
    {
        Press(p);
        Release(p);
    }
    std::vector<std::string> ShownNames()
    {
        std::vector<std::string> names;
        for (int recNo = 1; recNo <= Table->MemTableRecordCount(); ++recNo) {
            Table->MemTableInstantReadEnter(recNo);
            names.push_back(Table->FieldByName("NAME")->GetAsString());
            Table->MemTableInstantReadLeave();
        }
        return names;
    }

    db::TDataSource TableSource;
    std::unique_ptr<TTreeMemTable> Table;
};

TEST_F(GridMemTable, OneRowPerRecordWithTheCurrentRowFromItsNumber)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(50), false));
    ASSERT_EQ(Grid->MemTable(), static_cast<db::IMemTableEx*>(Table.get()));
    EXPECT_EQ(Grid->RowCount(), 51);
    EXPECT_EQ(Grid->Row(), 1);

    // A record moved by the program: its row becomes current and comes into view.
    Table->SetRecNo(30);
    EXPECT_EQ(Grid->Row(), 30);
    EXPECT_TRUE(RowOnScreen(30));
    Key(Qt::Key_Down);
    EXPECT_EQ(TableRecNo(), 31);
    EXPECT_EQ(Grid->Row(), 31);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Grid->Row(), 50);
    EXPECT_EQ(LastVisibleRow(), 50);
    // Ctrl+Up goes to the first record on screen, Ctrl+Down back to the last.
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Grid->Row(), Grid->TopRow());
    EXPECT_EQ(TableRecNo(), Grid->TopRow());
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(TableRecNo(), 50);

    // Each row is drawn from its own record.
    TDrawnNames drawn;
    Grid->OnDrawColumnCell = {&drawn, &TDrawnNames::Drawn};
    uitest::Render(Grid.get());
    for (int row : {Grid->TopRow(), Grid->TopRow() + 3, 50})
        EXPECT_EQ(drawn.ByTop[Grid->CellRect(1, row).Top], "Name " + std::to_string(row)) << row;
    EXPECT_EQ(Table->OpenReads, 0);
    EXPECT_EQ(TableRecNo(), 50);

    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_EQ(Grid->TopRow(), 1);

    // A click on a row goes to its record by its number.
    Click(1, 4);
    EXPECT_EQ(TableRecNo(), 4);
    EXPECT_EQ(Grid->Row(), 4);
    EXPECT_EQ(Table->RecNosSet, std::vector<int>{4});

    // New records and deleted ones add and remove rows.
    Grid->SetOptions(Grid->GetOptions().Include(grid::dgEditing));
    Key(Qt::Key_Insert);
    ASSERT_EQ(Table->State(), db::dsInsert);
    EXPECT_EQ(Grid->RowCount(), 52);
    EXPECT_EQ(Grid->Row(), 4);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Grid->RowCount(), 51);
    Table->Delete();
    EXPECT_EQ(Grid->RowCount(), 50);
    EXPECT_EQ(Table->FieldByName("NAME")->GetAsString(), "Name 5");
    EXPECT_EQ(Grid->Row(), 4);
}

TEST_F(GridMemTable, TheGridTakesTheModeOnlyWhenAllowedAndWithoutFooters)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(50), false));
    ASSERT_EQ(Grid->RowCount(), 51);
    Grid->SetMemTableSupport(false);
    EXPECT_EQ(Grid->MemTable(), nullptr);
    // Back to the window of the data link.
    EXPECT_EQ(Grid->RowCount(), Grid->TitleOffset() + Grid->DataLink().RecordCount());
    EXPECT_LT(Grid->RowCount(), 51);
    Grid->SetMemTableSupport(true);
    EXPECT_EQ(Grid->RowCount(), 51);
    Grid->SetFooterRowCount(1);
    EXPECT_EQ(Grid->MemTable(), nullptr);
    EXPECT_LT(Grid->RowCount(), 51);
}

TEST_F(GridMemTable, ASelectionIsRepaintedOnTheRowsWhereItShows)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(60), false));
    Grid->SetOptions(Grid->GetOptions().Include(grid::dgMultiSelect));
    Table->SetRecNo(40);
    ASSERT_GT(Grid->TopRow(), Grid->FixedRows());
    // A rectangle of cells.
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ui::TGridRect rect = Grid->Selection().RepaintRect();
    EXPECT_EQ(rect.Top, 40);
    EXPECT_EQ(rect.Bottom, 42);
    // Records.
    Grid->SetOptions(Grid->GetOptions().Include(grid::dgRowSelect));
    Key(Qt::Key_Up, Qt::ShiftModifier);
    ASSERT_EQ(Grid->Selection().SelectionType(), grid::gstRecordBookmarks);
    rect = Grid->Selection().RepaintRect();
    EXPECT_EQ(rect.Top, 41);
    EXPECT_EQ(rect.Bottom, 42);
}

TEST_F(GridMemTable, TheBarCountsTheRowsAndScrollsTheTopRow)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(60), false));
    const int fixed = Grid->FixedRows();
    const int page = Grid->VisibleRowCount();
    ASSERT_LT(page, 60);
    EXPECT_TRUE(Grid->ScrollBarShown(ui::sbVertical));
    EXPECT_EQ(VBar().Min(), 1);
    EXPECT_EQ(VBar().Max(), 60);
    EXPECT_EQ(VBar().PageSize(), page);
    EXPECT_EQ(VBar().Position(), 1);

    // The arrow scrolls the rows, not the record.
    ClickBar(QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Grid->TopRow(), fixed + 1);
    EXPECT_EQ(VBar().Position(), 2);
    EXPECT_EQ(TableRecNo(), 1);
    EXPECT_EQ(Grid->Row(), 1);
    ClickBar(QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(Grid->TopRow(), fixed + 1 + page);
    EXPECT_EQ(VBar().Position(), Grid->TopRow() - fixed + 1);
    ClickBar(QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(Grid->TopRow(), fixed + page);
    EXPECT_EQ(TableRecNo(), 1);

    // The thumb moves the view when released, or while dragged with tracking.
    QScrollBar* bar = VBar().Bar();
    QRect thumb = Thumb(*bar);
    const int top = Grid->TopRow();
    const int before = VBar().Position();
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    uitest::MovePointer(bar, thumb.center() + QPoint(0, 30));
    const int held = bar->sliderPosition();
    ASSERT_GT(held, before);
    EXPECT_EQ(Grid->TopRow(), top);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb.center() + QPoint(0, 30));
    EXPECT_EQ(Grid->TopRow(), fixed + held - 1);
    Grid->VertScrollBar().SetTracking(true);
    thumb = Thumb(*bar);
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    uitest::MovePointer(bar, thumb.center() + QPoint(0, 20));
    EXPECT_EQ(Grid->TopRow(), fixed + bar->sliderPosition() - 1);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb.center() + QPoint(0, 20));
    EXPECT_EQ(TableRecNo(), 1);

    // At the end the last row is the last one on screen.
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(LastVisibleRow(), 60);
    EXPECT_EQ(VBar().Position(), Grid->TopRow() - fixed + 1);
    EXPECT_EQ(VBar().Position(), VBar().MaxPosition());
}

TEST_F(GridMemTable, TheWheelScrollsTheViewAndWithShiftTheRecord)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(60), false));
    const int top = Grid->TopRow();
    const int page = Grid->VisibleDataRowCount();
    Wheel(-120);
    EXPECT_EQ(Grid->TopRow(), top + 1);
    EXPECT_EQ(TableRecNo(), 1);
    Wheel(120);
    EXPECT_EQ(Grid->TopRow(), top);
    Wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(Grid->TopRow(), top + page);
    EXPECT_EQ(TableRecNo(), 1);

    Wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(TableRecNo(), 2);
    Wheel(-120, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(TableRecNo(), 2 + page);
    Wheel(120, Qt::ShiftModifier);
    EXPECT_EQ(TableRecNo(), 1 + page);
    EXPECT_EQ(Grid->Row(), 1 + page);
}

TEST_F(GridMemTable, RecordsAreFetchedWhileTheRowsDoNotFillTheGrid)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(200), false, true));
    // The rows reach the bottom, the last one cut: no more records than that were asked for.
    ASSERT_EQ(Table->FetchRequests.size(), 1u);
    EXPECT_GT(Table->FetchRequests[0], 1);
    const int rows = Grid->RowCount();
    EXPECT_GT(rows, 3);
    EXPECT_EQ(Table->Delivered(), rows - Grid->FixedRows());
    EXPECT_GT(rows - 1, LastVisibleRow());
    EXPECT_LE(rows - 1, LastVisibleRow() + 2);
    EXPECT_TRUE(Grid->ScrollBarShown(ui::sbVertical));

    // Scrolled to the end, the last row wholly visible: one record more.
    VBar().Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_EQ(Table->FetchRequests.size(), 2u);
    EXPECT_EQ(Table->FetchRequests[1], 1);
    EXPECT_EQ(Grid->RowCount(), rows + 1);
    EXPECT_EQ(Table->Delivered(), rows + 1 - Grid->FixedRows());

    // A taller grid asks for the records its new room takes.
    Grid->SetBounds(0, 0, 400, 400);
    ASSERT_EQ(Table->FetchRequests.size(), 3u);
    EXPECT_GT(Table->FetchRequests[2], 1);
    EXPECT_GT(Grid->RowCount() - 1, LastVisibleRow());

    // Moving past the records there reads the next ones.
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Grid->RowCount(), 201);
    EXPECT_EQ(Grid->Row(), 200);
    EXPECT_EQ(LastVisibleRow(), 200);
}

TEST_F(GridMemTable, TreeNodesStandInStepsOfEighteenPixelsAndAClickOnTheirGlyphTogglesThem)
{
    Grid->SetBounds(0, 0, 400, 240);
    Show(std::make_unique<TTreeMemTable>(Tree(), true));
    ASSERT_EQ(Grid->RowCount(), 9);
    EXPECT_TRUE(Grid->MemTableTreeMode());
    EXPECT_EQ(Grid->TreeNodeWidth(1), 18);
    EXPECT_EQ(Grid->TreeNodeWidth(2), 36);
    EXPECT_EQ(Grid->TreeNodeWidth(3), 54);
    testsupport::SaveSnapshot(Grid.get(), "grid", "memtable-tree-nodes");

    // The text of a level-3 record starts after three steps; only dotted lines stand before it.
    const QImage image = uitest::Render(Grid.get());
    for (int recNo : {3, 7}) {
        const ui::TRect cell = Grid->CellRect(1, Grid->TitleOffset() + recNo - 1);
        const int indent = Grid->TreeNodeWidth(recNo);
        const QRect textArea(At({cell.Left, cell.Top}), QSize(cell.Width(), cell.Height()));
        const QRect ink = uitest::InkBounds(image.copy(textArea), qRgb(255, 255, 255));
        int firstBlack = -1;
        for (int x = 0; x < textArea.width() && firstBlack < 0; ++x)
            for (int y = 0; y < textArea.height(); ++y)
                if (image.pixel(textArea.left() + x, textArea.top() + y) == qRgb(0, 0, 0)) {
                    firstBlack = x;
                    break;
                }
        EXPECT_GE(firstBlack, indent) << recNo;
        EXPECT_LT(firstBlack, indent + 8) << recNo;
        EXPECT_LT(ink.left(), indent) << recNo; // the node's own lines
    }

    // A1 (record 2, level 2) collapses: its two children go; the current record stays.
    ClickAt(Glyph(2, 2));
    EXPECT_FALSE(Table->IsExpanded(2));
    EXPECT_EQ(Grid->RowCount(), 7);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"A", "A1", "A2", "B", "B1", "C"}));
    EXPECT_EQ(TableRecNo(), 1);
    testsupport::SaveSnapshot(Grid.get(), "grid", "memtable-tree-collapsed");
    ClickAt(Glyph(2, 2));
    EXPECT_EQ(Grid->RowCount(), 9);

    // A click beside the glyph goes to the record.
    ClickAt(Glyph(7, 3));
    EXPECT_EQ(TableRecNo(), 7);
    EXPECT_TRUE(Table->IsExpanded(6));
    // A click on a leaf's step does nothing to the tree.
    ClickAt(Glyph(7, 2));
    EXPECT_EQ(Grid->RowCount(), 9);
    EXPECT_EQ(TableRecNo(), 7);
    // B collapses under its current child: B becomes current.
    ClickAt(Glyph(6, 1));
    EXPECT_EQ(Grid->RowCount(), 8);
    EXPECT_EQ(Table->FieldByName("NAME")->GetAsString(), "B");
    EXPECT_EQ(Grid->Row(), 6);
}

TEST_F(GridMemTable, RightToLeftTheGlyphIsHitWhereItIsDrawn)
{
    Grid->setLayoutDirection(Qt::RightToLeft);
    Show(std::make_unique<TTreeMemTable>(Tree(), true));
    ASSERT_TRUE(Grid->UseRightToLeftAlignment());
    testsupport::SaveSnapshot(Grid.get(), "grid", "memtable-tree-right-to-left");
    ClickAt(Glyph(1, 1));
    EXPECT_FALSE(Table->IsExpanded(1));
    EXPECT_EQ(Grid->RowCount(), 5);
}

TEST_F(GridMemTable, TheKeypadsKeysGoToTheTreeAndItsCharactersOpenNoEditor)
{
    Grid->SetBounds(0, 0, 400, 240);
    Show(std::make_unique<TTreeMemTable>(Tree(), true));
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(Table->TreeKeys, "-");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"A", "B", "B1", "C"}));
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(Grid->RowCount(), 9);
    // * expands the node with everything below it.
    Key(Qt::Key_Down);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    Key(Qt::Key_Up);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(Grid->RowCount(), 5);
    Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(Table->TreeKeys, "-+--*");
    EXPECT_EQ(Grid->RowCount(), 9);
    EXPECT_TRUE(Table->IsExpanded(2));

    // Typed, the tree's characters do not open the cell editor; others do.
    Grid->SetSelectedIndex(0);
    Type("+");
    EXPECT_FALSE(EditorShown());
    Type("x");
    EXPECT_TRUE(EditorShown());
}

TEST_F(GridMemTable, TheCellEditorKeepsTheNodesBesideItsText)
{
    Grid->SetBounds(0, 0, 400, 240);
    Show(std::make_unique<TTreeMemTable>(Tree(), true));
    Table->SetRecNo(3);
    Grid->SetSelectedIndex(0);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->EditRect().Left, 2 + 54 + 1);
    testsupport::SaveSnapshot(Grid.get(), "grid", "memtable-tree-editor");
    Key(Qt::Key_Up);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->EditRect().Left, 2 + 36 + 1);
    // The other columns have no nodes.
    Grid->SetSelectedIndex(1);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->EditRect().Left, 2);
}

TEST_F(GridMemTable, WithoutATreeTheKeypadAndItsCharactersAreOrdinaryKeys)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(10), false));
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(Table->TreeKeys, "");
    EXPECT_EQ(Grid->TreeNodeWidth(1), 0);
    Grid->SetSelectedIndex(0);
    Type("+");
    EXPECT_TRUE(EditorShown());
}

TEST_F(GridMemTable, TheGridLetsGoOfTheInterfaceOfADataSetThatGoesAndWhenItGoesItself)
{
    Show(std::make_unique<TTreeMemTable>(Tree(), true));
    // The grid goes: it reads nothing more of the data set while it goes.
    const int reads = Table->InstantReads;
    Grid.reset();
    EXPECT_EQ(Table->InstantReads, reads);
    EXPECT_EQ(Table->OpenReads, 0);

    // The data set goes first: the grid keeps working without it.
    Grid = std::make_unique<gridtest::TInputGrid>();
    Grid->SetBounds(0, 0, 400, 200);
    Grid->SetDataSource(&TableSource);
    uitest::ShowActive(Grid.get());
    ASSERT_NE(Grid->MemTable(), nullptr);
    Table.reset();
    EXPECT_EQ(Grid->MemTable(), nullptr);
    uitest::Render(Grid.get());
    Key(Qt::Key_Down);
    Wheel(-120);
    EXPECT_EQ(Grid->RowCount(), Grid->TitleOffset() + 1);
}

TEST_F(GridMemTable, ASourceTurnedToAnotherOpenTableGivesTheGridThatTable)
{
    Show(std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(50), false));
    auto other = std::make_unique<TTreeMemTable>(TTreeMemTable::Flat(5), false);
    other->Open();
    TableSource.SetDataSet(other.get());
    EXPECT_EQ(Grid->MemTable(), static_cast<db::IMemTableEx*>(other.get()));
    EXPECT_EQ(Grid->RowCount(), 6);

    // The first table goes: the grid no longer holds it.
    Table.reset();
    uitest::Render(Grid.get());
    Key(Qt::Key_Down);
    EXPECT_EQ(other->GetRecNo(), 2);
    TableSource.SetDataSet(nullptr);
}

} // namespace
