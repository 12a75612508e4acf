// Column titles: derived values, fonts, and the sort markers with their dense places.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExResources.h"
#include "platform/ui/Canvas.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class SortMarkers : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Bind();
        for (const char* name : {"ID", "NAME", "AMOUNT", "FLAG"}) Columns.push_back(AddColumn(name));
    }
    void Multi(bool on)
    {
        TDBGridExOptions options = Grid->GetOptionsEx();
        Grid->SetOptionsEx(on ? options.Include(dghMultiSortMarking) : options.Exclude(dghMultiSortMarking));
    }
    TColumnTitleEx* T(int i) { return Columns[static_cast<std::size_t>(i)]->Title(); }
    // "marker:index" of each column, and the sort order as column indexes.
    std::string State()
    {
        std::string s;
        for (TColumnEx* c : Columns) {
            s += "NDU"[c->Title()->GetSortMarker()];
            s += std::to_string(c->Title()->GetSortIndex()) + " ";
        }
        s += "|";
        for (TColumnEx* c : Grid->SortMarkedColumns()) s += " " + std::to_string(c->GetIndex());
        return s;
    }
    std::vector<TColumnEx*> Columns;
};

TEST_F(SortMarkers, WithoutMultiSortOneColumnIsMarked)
{
    T(0)->SetSortMarker(smDownEx);
    EXPECT_EQ(State(), "D1 N0 N0 N0 | 0");
    T(1)->SetSortMarker(smUpEx);
    EXPECT_EQ(State(), "N0 U1 N0 N0 | 1");
    T(1)->SetSortMarker(smNoneEx);
    EXPECT_EQ(State(), "N0 N0 N0 N0 |");
}

TEST_F(SortMarkers, MultiSortNumbersTheMarkedColumnsAndClosesGaps)
{
    Multi(true);
    T(0)->SetSortMarker(smDownEx);
    T(1)->SetSortMarker(smUpEx);
    T(2)->SetSortMarker(smDownEx);
    EXPECT_EQ(State(), "D1 U2 D3 N0 | 0 1 2");
    T(1)->SetSortMarker(smDownEx); // direction only: place kept
    EXPECT_EQ(State(), "D1 D2 D3 N0 | 0 1 2");
    T(0)->SetSortMarker(smNoneEx);
    EXPECT_EQ(State(), "N0 D1 D2 N0 | 1 2");

    // An index another column holds is exchanged; one nobody holds changes nothing.
    T(2)->SetSortIndex(1);
    EXPECT_EQ(State(), "N0 D2 D1 N0 | 2 1");
    T(2)->SetSortIndex(5);
    T(3)->SetSortIndex(1);  // not marked
    T(2)->SetSortIndex(-4); // counts as 0: held by no marked column
    EXPECT_EQ(State(), "N0 D2 D1 N0 | 2 1");
}

TEST_F(SortMarkers, FreeingAMarkedColumnRenumbersTheRest)
{
    Multi(true);
    T(0)->SetSortMarker(smDownEx);
    T(1)->SetSortMarker(smDownEx);
    T(2)->SetSortMarker(smUpEx);
    delete Columns[1];
    Columns.erase(Columns.begin() + 1);
    EXPECT_EQ(State(), "D1 U2 N0 | 0 1");
}

TEST_F(SortMarkers, TurningMultiSortOffKeepsOnlyTheFirst)
{
    Multi(true);
    T(2)->SetSortMarker(smDownEx);
    T(0)->SetSortMarker(smUpEx);
    T(3)->SetSortMarker(smDownEx);
    Multi(false);
    EXPECT_EQ(State(), "N0 N0 D1 N0 | 2");
}

TEST_F(SortMarkers, MarkersSetInsideAnUpdateBracketArePutInOrderAtItsEnd)
{
    Multi(true);
    TDBGridColumnsEx& columns = Grid->Columns();
    columns.BeginUpdate();
    T(3)->SetSortMarker(smDownEx);
    T(3)->SetSortIndex(2);
    T(1)->SetSortMarker(smUpEx);
    T(1)->SetSortIndex(2); // the same place twice
    T(0)->SetSortMarker(smDownEx);
    EXPECT_EQ(State(), "D0 U2 N0 D2 |"); // stored, nothing else touched
    columns.EndUpdate();
    EXPECT_EQ(State(), "D3 U1 N0 D2 | 1 3 0");

    // Without multi-sort a bracket leaves one marker: the first by place, then by column.
    Multi(false);
    EXPECT_EQ(State(), "N0 U1 N0 N0 | 1");
    columns.BeginUpdate();
    T(2)->SetSortMarker(smUpEx);
    T(2)->SetSortIndex(1);
    T(3)->SetSortMarker(smDownEx);
    columns.EndUpdate();
    EXPECT_EQ(State(), "N0 U1 N0 N0 | 1");
}

TEST_F(SortMarkers, TitleClicksCycleTheMarker)
{
    const TSortMarkerEx plain[] = {smDownEx, smUpEx, smDownEx, smUpEx};
    for (TSortMarkerEx expected : plain) {
        T(1)->SetNextSortMarkerValue(false);
        EXPECT_EQ(T(1)->GetSortMarker(), expected);
    }
    const TSortMarkerEx withCtrl[] = {smNoneEx, smDownEx, smUpEx, smNoneEx};
    for (TSortMarkerEx expected : withCtrl) {
        T(1)->SetNextSortMarkerValue(true);
        EXPECT_EQ(T(1)->GetSortMarker(), expected);
    }

    // A click without Ctrl clears the other columns; with Ctrl and multi-sort it keeps them.
    Multi(true);
    T(0)->SetNextSortMarkerValue(false);
    T(2)->SetNextSortMarkerValue(true);
    EXPECT_EQ(State(), "D1 N0 D2 N0 | 0 2");
    T(3)->SetNextSortMarkerValue(false);
    EXPECT_EQ(State(), "N0 N0 N0 D1 | 3");
}

TEST_F(SortMarkers, TheMarkingWidthMakesRoomForTheIndexInNarrowColumns)
{
    Multi(true);
    Columns[0]->SetWidth(100);
    EXPECT_EQ(T(0)->GetSortMarkingWidth(), 0);
    T(0)->SetSortMarker(smDownEx);
    EXPECT_EQ(T(0)->GetSortMarkingWidth(), SortMarkerWidth);

    T(1)->SetSortMarker(smDownEx); // two marked: the number is shown
    ui::TCanvas canvas;
    canvas.Font().Assign(DBGridExSortIndexFont());
    const int digit = canvas.TextWidth("1");
    ASSERT_GT(digit, 0);
    EXPECT_EQ(DBGridExSortIndexFont().Height(), -7); // the marker glyph is 8 pixels high
    EXPECT_EQ(DBGridExSortIndexFont().Name(), "Arial");
    EXPECT_EQ(T(0)->GetSortMarkingWidth(), SortMarkerWidth + digit);

    Columns[0]->SetWidth(SortMarkerWidth + digit - 1 + 4);
    EXPECT_EQ(T(0)->GetSortMarkingWidth(), SortMarkerWidth + digit - 14);
    Columns[0]->SetWidth(4);
    EXPECT_EQ(T(0)->GetSortMarkingWidth(), 0);
}

TEST_F(GridTest, TitleValuesFollowTheFieldAndTheGridUntilSet)
{
    Bind();
    TColumnEx* column = AddColumn("NAME");
    TColumnTitleEx* title = column->Title();
    EXPECT_EQ(title->GetImageIndex(), -1);
    EXPECT_FALSE(title->GetTitleButton());
    EXPECT_EQ(title->GetSortMarker(), smNoneEx);

    title->SetCaption("NAME"); // set, but what it would derive
    EXPECT_FALSE(title->IsCaptionStored());
    title->SetCaption("Name of row");
    EXPECT_TRUE(title->IsCaptionStored());
    EXPECT_EQ(title->GetCaption(), "Name of row");

    // The font follows TitleFont until it is changed; then it stays.
    Grid->TitleFont().SetHeight(-21);
    EXPECT_EQ(title->GetFont().Height(), -21);
    EXPECT_FALSE(title->IsFontStored());
    title->GetFont().SetHeight(-9);
    Grid->TitleFont().SetHeight(-23);
    EXPECT_EQ(title->GetFont().Height(), -9);
    EXPECT_TRUE(title->IsFontStored());

    title->RestoreDefaults();
    EXPECT_EQ(title->GetCaption(), "NAME");
    EXPECT_EQ(title->GetFont().Height(), -23);
    EXPECT_FALSE(column->AssignedValues().Contains(cvTitleCaption));

    // Assign brings the derived looks over as set ones.
    TColumnEx* other = AddColumn("FLAG");
    Grid->ColumnDefValues().Title().SetTitleButton(true);
    other->Title()->SetHint("hint");
    other->Title()->SetImageIndex(4);
    title->Assign(other->Title());
    EXPECT_EQ(title->GetHint(), "hint");
    EXPECT_EQ(title->GetImageIndex(), 4);
    EXPECT_TRUE(title->GetTitleButton());
    EXPECT_TRUE(column->AssignedValues().Contains(cvTitleButton));
    EXPECT_EQ(title->GetCaption(), "NAME");
}

} // namespace
