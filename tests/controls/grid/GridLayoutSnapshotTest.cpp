// Grids laid out with one-, two- and three-level titles, frozen columns and fitted
// widths, written to build/snapshots/grid/ for people to look at. What is asserted is
// the geometry; what the cells show is asserted by the drawing tests.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class LayoutSnapshots : public GridTest {
protected:
    void ShowWithCaptions(const std::vector<std::string>& captions)
    {
        Bind();
        const char* fields[] = {"ID", "NAME", "AMOUNT", "FLAG", "CUST", "ACTIVE"};
        Grid->BeginLayout();
        for (std::size_t i = 0; i < captions.size(); ++i) {
            TColumnEx* column = AddColumn(fields[i]);
            column->SetWidth(60);
            column->Title()->SetCaption(captions[i]);
        }
        Grid->SetUseMultiTitle(true);
        Grid->EndLayout();
        Grid->SetBounds(0, 0, 420, 220);
        uitest::ShowActive(Grid.get());
    }
    void Save(const std::string& name) { EXPECT_FALSE(testsupport::SaveSnapshot(Grid.get(), "grid", name).empty()); }
    // The top of the first data row: the title row and its line.
    int DataTop() const { return Grid->CellRect(1, Grid->TitleOffset()).Top; }
};

TEST_F(LayoutSnapshots, TitlesOfOneTwoAndThreeLevels)
{
    // One line of "Wg" (13 pixels) and the margin (10) per level, less 1 with 3-D titles.
    struct TCase {
        const char* Name;
        std::vector<std::string> Captions;
        int Levels;
    };
    const TCase cases[] = {
        {"titles-one-level", {"Id", "Name", "Amount", "Flag"}, 1},
        {"titles-two-levels", {"Key|Id", "Data|Name", "Data|Amount", "Flag"}, 2},
        {"titles-three-levels", {"Record|Key|Id", "Record|Data|Name", "Record|Data|Amount", "Flag"}, 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ShowWithCaptions(c.Captions);
        EXPECT_EQ(Grid->RowHeights(0), c.Levels * (13 + 10) - 1);
        EXPECT_EQ(DataTop(), c.Levels * (13 + 10));
        EXPECT_EQ(Grid->TitleTreeRoot().Height, c.Levels * (13 + 10));
        // The band over a group spans its columns and their lines.
        if (c.Levels > 1) {
            const THeadTreeNode* data = Grid->TitleLeaf(1)->Host;
            EXPECT_EQ(data->Width, Grid->CellRect(3, 1).Right - Grid->CellRect(2, 1).Left);
        }
        Save(c.Name);
        Grid->hide();
        Grid->Columns().Clear();
    }
}

TEST_F(LayoutSnapshots, FrozenColumnsStayWhileTheRestScrolls)
{
    ShowWithCaptions({"Id", "Name", "Amount", "Flag", "Customer", "Active"});
    Grid->SetUseMultiTitle(false);
    for (int i = 2; i < 6; ++i) Grid->Columns().Items(i)->SetWidth(100);
    Grid->SetFrozenCols(2);
    ASSERT_EQ(Grid->FixedCols(), 3);
    const ui::TRect frozen = Grid->CellRect(2, 1);
    const int firstScrolled = Grid->CellRect(3, 1).Left;
    EXPECT_EQ(firstScrolled, frozen.Right + 1);
    Grid->SetLeftCol(5);
    EXPECT_EQ(Grid->CellRect(2, 1), frozen);
    EXPECT_EQ(Grid->CellRect(5, 1).Left, firstScrolled);
    EXPECT_TRUE(Grid->CellRect(3, 1).IsEmpty());
    Save("frozen-columns");
}

TEST_F(LayoutSnapshots, FittedColumnsFillTheWidth)
{
    ShowWithCaptions({"Id", "Name|First", "Name|Second", "Amount"});
    Grid->Columns().Items(1)->SetWidth(120);
    Grid->Columns().Items(3)->SetMaxWidth(50);
    Grid->SetAutoFitColWidths(true);
    // The last column ends at the client's right edge, its line included.
    EXPECT_EQ(Grid->CellRect(4, 1).Right + 1, Grid->ClientWidth());
    EXPECT_EQ(Grid->ColWidths(4), 50);
    EXPECT_GT(Grid->ColWidths(2), Grid->ColWidths(1));
    EXPECT_EQ(Grid->ScrollBars(), ui::ssNone);
    // The band follows the fitted widths.
    const THeadTreeNode* name = Grid->TitleLeaf(1)->Host;
    EXPECT_EQ(name->Width, Grid->ColWidths(2) + 1 + Grid->ColWidths(3));
    Save("auto-fit");
}

} // namespace
