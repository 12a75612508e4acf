// Walks over a data set: quiet controls and the user's record back afterwards.
#include <stdexcept>

#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/db/DataSetScopes.h"

using namespace dbtest;

namespace {

TEST(DataSetScopes, AWalkEndsQuietlyOnTheRecordItStartedFrom)
{
    auto ds = MakeRows(10);
    db::TDataSource source;
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);
    ds->MoveBy(4);
    link.Take();
    {
        db::TDisableControlsScope quiet(*ds);
        db::TBookmarkScope back(*ds);
        for (ds->First(); !ds->Eof(); ds->Next()) {}
        EXPECT_TRUE(ds->ControlsDisabled());
        EXPECT_TRUE(link.Take().empty());
    }
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(CurrentId(*ds), 5);
    EXPECT_FALSE(link.Take().empty()); // one notice when the controls come back

    // A released scope leaves the data set where the walk ended.
    {
        db::TBookmarkScope stay(*ds);
        ds->Last();
        stay.Release();
    }
    EXPECT_EQ(CurrentId(*ds), 10);
}

TEST(DataSetScopes, AFailedWalkStillRestoresAndItsErrorTravelsOn)
{
    auto ds = MakeRows(5);
    ds->MoveBy(2);
    try {
        db::TDisableControlsScope quiet(*ds);
        db::TBookmarkScope back(*ds);
        ds->Last();
        throw std::runtime_error("walk failed");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "walk failed");
    }
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(CurrentId(*ds), 3);

    // A record that went meanwhile is not gone back to.
    {
        db::TBookmarkScope back(*ds);
        ds->Delete();
    }
    EXPECT_EQ(ds->RecordCount(), 4);
}

} // namespace
