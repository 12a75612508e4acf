// Pictures of grids showing every kind of cell, numbered sort markers, multi-level
// titles and two footer rows (a count, a text, a sum and an average), in the 3-D and in
// the flat look, written to build/snapshots/grid/; the markers and footer texts checked.
#include <gtest/gtest.h>

#include "GridDrawFixture.h"
#include "controls/grid/DBGridExFooters.h"

namespace {

using namespace grid;
using gridtest::CountColor;
using gridtest::GridDrawTest;

class DrawSnapshots : public GridDrawTest {
protected:
    void ShowDecorated()
    {
        ShowEveryKind();
        Grid->BeginLayout();
        SetOptionEx(dghMultiSortMarking, true);
        Grid->Columns().Items(1)->Title()->SetSortMarker(smDownEx);
        Grid->Columns().Items(2)->Title()->SetSortMarker(smUpEx);
        Grid->Columns().Items(1)->Title()->SetCaption("Person|Name");
        Grid->Columns().Items(2)->Title()->SetCaption("Person|Amount");
        Grid->SetUseMultiTitle(true);
        Grid->SetFooterRowCount(2);
        TColumnEx* name = Grid->Columns().Items(1);
        name->Footer()->SetValueType(fvtStaticText);
        name->Footer()->SetValue("Sum, average");
        TColumnEx* amount = Grid->Columns().Items(2);
        amount->Footers()->Add();
        amount->Footers()->Add();
        static_cast<TColumnFooterEx*>(amount->Footers()->GetItem(0))->SetValueType(fvtSum);
        static_cast<TColumnFooterEx*>(amount->Footers()->GetItem(1))->SetValueType(fvtAvg);
        Grid->Columns().Items(0)->Footer()->SetValueType(fvtCount);
        Grid->EndLayout();
        Grid->SumList().SetActive(true);
    }

    // What the pictures are for: the two sort markers, each in its own title, and a text in
    // every footer cell that has a value (the sum and the average apart), none elsewhere.
    void ExpectMarkersAndFooters()
    {
        const int name = Grid->DataToRawColumn(1), amount = Grid->DataToRawColumn(2);
        const QImage marked = Render();
        for (int i : {1, 2}) Grid->Columns().Items(i)->Title()->SetSortMarker(smNoneEx);
        const QImage plain = Render();
        Grid->Columns().Items(1)->Title()->SetSortMarker(smDownEx);
        Grid->Columns().Items(2)->Title()->SetSortMarker(smUpEx);
        EXPECT_EQ(Render(), marked);
        const ui::TPoint offset = Grid->ClientOffset();
        QRect changed;
        for (int y = 0; y < marked.height(); ++y)
            for (int x = 0; x < marked.width(); ++x)
                if (marked.pixel(x, y) != plain.pixel(x, y)) changed |= QRect(x - offset.X, y - offset.Y, 1, 1);
        const auto qrect = [](const ui::TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); };
        const QRect titles = qrect(Grid->CellRect(name, 0)) | qrect(Grid->CellRect(amount, 0));
        EXPECT_TRUE(titles.contains(changed)) << "markers drawn outside the titles";
        EXPECT_NE(CellImage(marked, name, 0), CellImage(plain, name, 0));
        EXPECT_NE(CellImage(marked, amount, 0), CellImage(plain, amount, 0));

        // The inside of a footer cell, its edges left out.
        const auto inside = [&](int col, int row) {
            const QImage cell = CellImage(marked, col, row);
            return cell.copy(2, 2, cell.width() - 4, cell.height() - 4);
        };
        const int first = Grid->RowCount() - 2;
        for (int row : {first, first + 1}) {
            for (int data : {0, 1, 2})
                EXPECT_GT(CountColor(inside(Grid->DataToRawColumn(data), row), ui::clWindowText), 0)
                    << "no footer text in column " << data << ", row " << row;
            EXPECT_EQ(CountColor(inside(Grid->DataToRawColumn(4), row), ui::clWindowText), 0) << "row " << row;
        }
        EXPECT_NE(inside(amount, first), inside(amount, first + 1)) << "the sum drawn as the average";
    }
};

TEST_F(DrawSnapshots, EveryKindOfCellIn3D)
{
    ShowDecorated();
    ExpectMarkersAndFooters();
    Save("cells-3d");
}

TEST_F(DrawSnapshots, EveryKindOfCellFlat)
{
    ShowDecorated();
    Grid->SetFlat(true);
    ExpectMarkersAndFooters();
    Save("cells-flat");
}

} // namespace
