// Pictures of grids showing every kind of cell, numbered sort markers, multi-level
// titles and two footer rows (a count, a text, a sum and an average), in the 3-D and in
// the flat look, written to build/snapshots/grid/.
#include <gtest/gtest.h>

#include "GridDrawFixture.h"
#include "controls/grid/DBGridExFooters.h"

namespace {

using namespace grid;
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
};

TEST_F(DrawSnapshots, EveryKindOfCellIn3D)
{
    ShowDecorated();
    Save("cells-3d");
}

TEST_F(DrawSnapshots, EveryKindOfCellFlat)
{
    ShowDecorated();
    Grid->SetFlat(true);
    Save("cells-flat");
}

} // namespace
