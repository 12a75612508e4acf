// Pictures of grids showing every kind of cell, numbered sort markers, multi-level
// titles and footers, in the 3-D and in the flat look, written to build/snapshots/grid/.
#include <gtest/gtest.h>

#include "GridDrawFixture.h"

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
        Grid->SetFooterRowCount(1);
        Grid->EndLayout();
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
