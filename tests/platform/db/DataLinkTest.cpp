// The record window that links see and the notices they receive.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/db/DBConsts.h"

using namespace dbtest;
using db::TDataSource;

namespace {

struct WindowFixture : ::testing::Test {
    std::unique_ptr<db::TMemDataSet> ds = MakeRows(10);
    TDataSource source;
    RecordingLink link;

    void SetUp() override
    {
        source.SetDataSet(ds.get());
        link.SetBufferCount(3);
        link.SetDataSource(&source);
        link.Take();
    }
};

} // namespace

TEST_F(WindowFixture, MovesInsideTheWindowDoNotScrollAndMovesPastItScrollByTheDistance)
{
    EXPECT_EQ(ds->BufferCount(), 3);
    EXPECT_EQ(link.RecordCount(), 3);
    EXPECT_EQ(WindowIds(link), (std::vector<int>{1, 2, 3}));

    ds->Next();
    ds->MoveBy(1);
    EXPECT_EQ(link.Take(), (Log{"scrolled 0", "scrolled 0"}));
    EXPECT_EQ(link.GetActiveRecord(), 2);

    ds->Next(); // record 4: one past the window's bottom
    EXPECT_EQ(link.Take(), (Log{"scrolled 1"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(link.GetActiveRecord(), 2);

    EXPECT_EQ(ds->MoveBy(3), 3); // record 7
    EXPECT_EQ(link.Take(), (Log{"scrolled 3"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{5, 6, 7}));

    ds->MoveBy(-1); // record 6, inside
    EXPECT_EQ(link.Take(), (Log{"scrolled 0"}));
    EXPECT_EQ(link.GetActiveRecord(), 1);

    EXPECT_EQ(ds->MoveBy(-4), -4); // record 2: the window's top follows
    EXPECT_EQ(link.Take(), (Log{"scrolled -3"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(link.GetActiveRecord(), 0);
    EXPECT_EQ(CurrentId(*ds), 2);
}

TEST_F(WindowFixture, FirstAndLastScrollTheWholeWayAndSetBofEof)
{
    ds->Last();
    EXPECT_EQ(link.Take(), (Log{"scrolled 7"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{8, 9, 10}));
    EXPECT_EQ(link.GetActiveRecord(), 2);
    EXPECT_TRUE(ds->Eof());
    EXPECT_FALSE(ds->Bof());

    ds->Next(); // at the end already: nothing moves
    EXPECT_EQ(link.Take(), Log{});
    EXPECT_EQ(CurrentId(*ds), 10);

    ds->First();
    EXPECT_EQ(link.Take(), (Log{"scrolled -7"}));
    EXPECT_TRUE(ds->Bof());
    EXPECT_FALSE(ds->Eof());
    ds->First();
    EXPECT_EQ(link.Take(), (Log{"scrolled 0"}));

    // A long jump stops at the last record and reports how far it got.
    EXPECT_EQ(ds->MoveBy(100), 9);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(link.Take(), (Log{"scrolled 7"}));
    EXPECT_EQ(ds->MoveBy(-100), -9);
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(link.Take(), (Log{"scrolled -7"}));
}

TEST_F(WindowFixture, InsertTakesTheCursorsPlaceAndCancelRestoresTheWindow)
{
    ds->MoveBy(5); // record 6; window 4, 5, 6
    link.Take();
    ds->MoveBy(-1); // record 5 in the middle of the window
    link.Take();
    ASSERT_EQ(WindowIds(link), (std::vector<int>{4, 5, 6}));

    ds->Insert();
    Log log = link.Take();
    EXPECT_EQ(log, (Log{"editing", "changed"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{4, 0, 5}));
    EXPECT_EQ(link.GetActiveRecord(), 1);
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->GetBookmark(), "");

    ds->Cancel();
    EXPECT_EQ(link.Take(), (Log{"not editing", "changed"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(CurrentId(*ds), 5);
    EXPECT_EQ(ds->RecordCount(), 10);
}

TEST_F(WindowFixture, AppendPutsTheNewRecordLastInTheWindowAtEof)
{
    ds->MoveBy(2);
    link.Take();
    ds->Append();
    EXPECT_EQ(link.Take(), (Log{"editing", "changed"}));
    EXPECT_TRUE(ds->Eof());
    EXPECT_FALSE(ds->Bof());
    EXPECT_EQ(WindowIds(link), (std::vector<int>{9, 10, 0}));
    EXPECT_EQ(link.GetActiveRecord(), 2);

    ds->FieldByName("ID")->SetAsInteger(11);
    EXPECT_EQ(link.Take(), (Log{"record ID"}));
    ds->Post();
    EXPECT_EQ(link.Take(), (Log{"update data", "not editing", "changed"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{9, 10, 11}));
    EXPECT_EQ(ds->RecordCount(), 11);

    // Cancelling an append returns to the record that was current before it.
    ds->MoveBy(-2);
    ds->Append();
    ds->Cancel();
    EXPECT_EQ(CurrentId(*ds), 9);
    EXPECT_EQ(ds->RecordCount(), 11);
}

TEST_F(WindowFixture, DeleteKeepsTheWindowAndRefillsItFromBelowOrAbove)
{
    ds->MoveBy(4);  // record 5; window 3, 4, 5
    ds->MoveBy(-1); // record 4
    link.Take();
    ds->Delete();
    EXPECT_EQ(link.Take(), (Log{"changed"}));
    EXPECT_EQ(CurrentId(*ds), 5);
    EXPECT_EQ(WindowIds(link), (std::vector<int>{3, 5, 6}));

    ds->Last();
    link.Take();
    ds->Delete(); // the last record: the one before it becomes current, the window extends up
    EXPECT_EQ(CurrentId(*ds), 9);
    EXPECT_EQ(WindowIds(link), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(ds->RecordCount(), 8);

    for (int i = 0; i < 8; ++i) ds->Delete();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(link.RecordCount(), 0);
    EXPECT_THROW(ds->Delete(), rtl::EDatabaseError);
}

TEST_F(WindowFixture, WalkingWithControlsDisabledLeavesAConsistentWindow)
{
    ds->DisableControls();
    for (int i = 0; i < 6; ++i) ds->Next(); // record 7
    EXPECT_EQ(link.Take(), Log{});
    ds->EnableControls();
    EXPECT_EQ(link.Take(), (Log{"changed"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(link.GetActiveRecord(), 2);
    EXPECT_EQ(CurrentId(*ds), 7);
}

TEST(DataLink, LinksWithSmallerWindowsScrollOnTheirOwn)
{
    auto ds = MakeRows(10);
    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingLink big, small;
    big.SetBufferCount(4);
    small.SetBufferCount(2);
    big.SetDataSource(&source);
    small.SetDataSource(&source);
    EXPECT_EQ(ds->BufferCount(), 4);
    big.Take();
    small.Take();

    ds->Next();
    EXPECT_EQ(big.Take(), (Log{"scrolled 0"}));
    EXPECT_EQ(small.Take(), (Log{"scrolled 0"}));
    ds->Next(); // record 3: beyond the small window only
    EXPECT_EQ(big.Take(), (Log{"scrolled 0"}));
    EXPECT_EQ(small.Take(), (Log{"scrolled 1"}));
    EXPECT_EQ(WindowIds(small), (std::vector<int>{2, 3}));
    EXPECT_EQ(small.GetActiveRecord(), 1);
    EXPECT_EQ(big.GetActiveRecord(), 2);

    // Removing the big link shrinks the data set's window around the cursor.
    big.SetDataSource(nullptr);
    EXPECT_EQ(ds->BufferCount(), 2);
    EXPECT_EQ(CurrentId(*ds), 3);
    EXPECT_EQ(WindowIds(small), (std::vector<int>{2, 3}));
}

TEST(DataLink, ASourceTurnedToAnotherOpenDataSetTakesItsLinksThroughInactive)
{
    auto first = MakeRows(10);
    auto second = MakeRows(3);
    TDataSource source;
    source.SetDataSet(first.get());
    RecordingLink link;
    link.SetBufferCount(4);
    link.SetDataSource(&source);
    first->MoveBy(6);
    link.Take();

    source.SetDataSet(second.get());
    EXPECT_EQ(link.Take(), (Log{"inactive", "active"}));
    EXPECT_EQ(WindowIds(link), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(first->BufferCount(), 1) << "the old data set keeps no window for the link";
}

TEST(DataLink, NestedDisableControlsSendOneChangeAtTheEnd)
{
    auto ds = MakeRows(5);
    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);
    link.Take();

    ds->DisableControls();
    ds->DisableControls();
    ds->Next();
    ds->Last();
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("x");
    ds->EnableControls();
    EXPECT_TRUE(ds->ControlsDisabled());
    EXPECT_EQ(link.Take(), Log{});
    ds->EnableControls();
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(link.Take(), (Log{"editing", "changed"}));
    ds->EnableControls(); // unbalanced: ignored
    EXPECT_EQ(link.Take(), Log{});

    // A layout change while disabled turns the final notice into a layout change.
    ds->Cancel();
    link.Take();
    ds->DisableControls();
    ds->FieldByName("NAME")->SetVisible(false);
    ds->EnableControls();
    EXPECT_EQ(link.Take(), (Log{"layout"}));
}

TEST(DataLink, DisabledStateIsAnnouncedToLinksOnceEachWay)
{
    struct StateLink : db::TDataLink {
        std::vector<std::intptr_t> seen;
        void DataEvent(db::TDataEvent event, std::intptr_t info) override
        {
            if (event == db::deDisabledStateChange) seen.push_back(info);
            db::TDataLink::DataEvent(event, info);
        }
    };
    auto ds = MakeRows(2);
    TDataSource source;
    source.SetDataSet(ds.get());
    StateLink link;
    link.SetDataSource(&source);
    ds->DisableControls();
    ds->DisableControls();
    ds->EnableControls();
    ds->EnableControls();
    EXPECT_EQ(link.seen, (std::vector<std::intptr_t>{0, 1}));
}

TEST(DataLink, EditingNoticesUpdateDataAndPostingOnScroll)
{
    auto ds = MakeRows(3);
    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);
    link.logCheckBrowse = true;
    link.Take();

    // The control writes its pending text when asked for it.
    link.onUpdateData = [&] { ds->FieldByName("NAME")->SetAsString("typed"); };
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(link.Take(), (Log{"check browse", "editing", "record *"}));
    ds->Next(); // leaving the record posts it (the control is asked again by Post)
    EXPECT_EQ(link.Take(), (Log{"check browse", "update data", "update data", "check browse", "not editing",
                                "changed", "scrolled 1"}));
    EXPECT_EQ(ds->State(), db::dsBrowse);
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "typed");

    // Read-only links do not start editing; AutoEdit off keeps the data set browsing.
    link.onUpdateData = nullptr;
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    link.SetReadOnly(false);
    source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds->State(), db::dsBrowse);
}

TEST(DataLink, UnchangedInsertIsDroppedWhenTheCursorMoves)
{
    auto ds = MakeRows(3);
    ds->Next();
    ds->Insert();
    ds->Next();
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->State(), db::dsBrowse);

    ds->Append();
    ds->Prior();
    EXPECT_EQ(ds->RecordCount(), 3);

    // A changed one is posted instead.
    ds->First();
    ds->Insert();
    ds->FieldByName("ID")->SetAsInteger(42);
    ds->Last();
    EXPECT_EQ(ds->RecordCount(), 4);
    ds->First();
    EXPECT_EQ(CurrentId(*ds), 42);
}

TEST(DataLink, ActivityFocusAndLayoutNotices)
{
    auto ds = MakeRows(2);
    TDataSource source;
    RecordingLink link;
    link.SetDataSource(&source);
    EXPECT_FALSE(link.Active());
    source.SetDataSet(ds.get());
    EXPECT_TRUE(link.Active());
    EXPECT_EQ(link.Take(), (Log{"active"}));

    ds->FieldByName("AMOUNT")->FocusControl();
    EXPECT_EQ(link.Take(), (Log{"focus AMOUNT"}));
    ds->FieldByName("AMOUNT")->SetDisplayLabel("Amount");
    ds->FieldByName("AMOUNT")->SetAlignment(db::taCenter);
    EXPECT_EQ(link.Take(), (Log{"layout", "changed"}));

    ds->Close();
    EXPECT_EQ(link.Take(), (Log{"inactive"}));
    EXPECT_EQ(link.RecordCount(), 0);
    ds->Open();
    EXPECT_EQ(link.Take(), (Log{"active"}));

    // Destroying the data set leaves the source and its links inactive, not dangling.
    ds.reset();
    EXPECT_EQ(source.GetDataSet(), nullptr);
    EXPECT_FALSE(link.Active());
}

TEST(FieldDataLink, FollowsItsFieldAndNamesTheControlInErrors)
{
    auto ds = MakeRows(3);
    TDataSource source;
    source.SetDataSet(ds.get());
    db::TFieldDataLink link;
    int dataChanges = 0, editingChanges = 0, updates = 0;
    link.OnDataChange = db::TFieldDataLink::TLinkEvent::FromFunction([&](db::TFieldDataLink*) { ++dataChanges; });
    link.OnEditingChange = db::TFieldDataLink::TLinkEvent::FromFunction([&](db::TFieldDataLink*) { ++editingChanges; });
    link.OnUpdateData = db::TFieldDataLink::TLinkEvent::FromFunction([&](db::TFieldDataLink* l) {
        ++updates;
        l->Field()->SetAsString("from control");
    });
    link.SetFieldName("NAME");
    link.SetDataSource(&source);
    ASSERT_EQ(link.Field(), ds->FieldByName("NAME"));
    EXPECT_GE(dataChanges, 1);

    // Changes of other fields do not concern it.
    dataChanges = 0;
    ds->Edit();
    EXPECT_EQ(editingChanges, 1);
    EXPECT_TRUE(link.FieldEditing());
    ds->FieldByName("ID")->SetAsInteger(99);
    EXPECT_EQ(dataChanges, 1); // the Edit's record notice only
    link.Modified();
    ds->Post();
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "from control");

    db::TFieldDataLink bad;
    bad.SetControlName("edName");
    bad.SetFieldName("NOPE");
    try {
        bad.SetDataSource(&source);
        FAIL() << "no error";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "edName: Field 'NOPE' not found");
    }
}
