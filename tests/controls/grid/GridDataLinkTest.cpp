// The grid's data link: the field map, the notices it passes on, and the one write of
// the grid's pending edit.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace grid;
using gridtest::GridTest;

TEST_F(GridTest, ASparseMapKeepsMissingFieldsAsHoles)
{
    Bind();
    TGridDataLinkEx& link = Grid->DataLink();
    link.ClearMapping();
    link.SetSparseMap(true);
    EXPECT_TRUE(link.AddMapping("NAME"));
    EXPECT_TRUE(link.AddMapping("NO_SUCH_FIELD"));
    EXPECT_TRUE(link.AddMapping("amount"));
    ASSERT_EQ(link.FieldCount(), 3);
    EXPECT_EQ(link.Fields(0), F("NAME"));
    EXPECT_EQ(link.FieldIndex(1), -1);
    EXPECT_EQ(link.Fields(1), nullptr);
    EXPECT_EQ(link.Fields(2), F("AMOUNT"));
    EXPECT_EQ(link.Fields(3), nullptr);
    EXPECT_EQ(link.Fields(-1), nullptr);
    EXPECT_FALSE(link.DefaultFields()); // persistent fields, and a hole

    // Without the sparse switch a missing name is the data set's error.
    link.ClearMapping();
    link.SetSparseMap(false);
    EXPECT_THROW(link.AddMapping("NO_SUCH_FIELD"), rtl::EDatabaseError);
    EXPECT_EQ(link.FieldCount(), 0);
}

TEST_F(GridTest, DefaultFieldsAskTheDataSetAndTheHoles)
{
    db::TMemDataSet made;
    made.FieldDefs().Add("CODE", db::ftInteger);
    made.Open();
    db::TDataSource source;
    source.SetDataSet(&made);
    TGridDataLinkEx& link = Grid->DataLink();
    EXPECT_TRUE(link.DefaultFields()); // no data set
    Grid->SetDataSource(&source);
    EXPECT_TRUE(link.DefaultFields());
    link.SetSparseMap(true);
    link.AddMapping("CODE");
    EXPECT_TRUE(link.DefaultFields());
    link.AddMapping("GONE");
    EXPECT_FALSE(link.DefaultFields());
    Grid->SetDataSource(nullptr);
}

TEST_F(GridTest, TheLinkPassesTheDataSetsNoticesToTheGrid)
{
    // Resizes (a scroll bar coming or going) refresh the grid too; only the link's count.
    auto linkNotices = [&] {
        std::vector<std::string> notices;
        for (const std::string& notice : Grid->Notices)
            if (notice != "refresh") notices.push_back(notice);
        Grid->Notices.clear();
        return notices;
    };
    Grid->Notices.clear();
    Bind();
    EXPECT_EQ(linkNotices(), (std::vector<std::string>{"active", "active"}));
    Grid->DataLink().SetBufferCount(2);
    Grid->Notices.clear();
    Data.First();
    Data.Next();
    Data.Next(); // the window of two moves by one
    Data.Close();
    EXPECT_EQ(linkNotices(), (std::vector<std::string>{"scroll 0", "scroll 0", "scroll 1", "inactive"}));
    Data.Open();
    Grid->Notices.clear();
    Data.Edit();
    F("NAME")->SetAsString("changed");
    Data.Post(); // the records changed
    EXPECT_NE(std::find(Grid->Notices.begin(), Grid->Notices.end(), "refresh"), Grid->Notices.end());
}

TEST_F(GridTest, NoticesOfTheDataSetDropThePendingEdit)
{
    Bind();
    TGridDataLinkEx& link = Grid->DataLink();
    link.Modified();
    Data.Edit();
    F("NAME")->SetAsString("x"); // a field change
    EXPECT_FALSE(link.IsModified());
    link.Modified();
    Data.Cancel(); // a record change
    EXPECT_FALSE(link.IsModified());
}

TEST_F(GridTest, TheEditTextIsWrittenOnceAlsoWhenTheWriteAsksAgain)
{
    Bind();
    TColumnEx* name = AddColumn("NAME");
    int writes = 0;
    name->OnUpdateData = TColCellUpdateDataEventEx::FromFunction(
        [&](rtl::TObject*, std::string&, rtl::Variant&, bool&, bool&) {
            ++writes;
            Grid->DataLink().UpdateData(); // a write that asks for the pending value again
            Data.UpdateRecord();
        });
    Data.Edit();
    Grid->SetEditText(1, 1, "typed");
    Grid->DataLink().Modified();
    Data.Post(); // asks the controls for their values
    EXPECT_EQ(writes, 1);
    Data.First();
    EXPECT_EQ(F("NAME")->GetAsString(), "typed");
    EXPECT_FALSE(Grid->DataLink().IsModified());

    // Nothing pending, nothing written.
    Data.Edit();
    Data.Post();
    EXPECT_EQ(writes, 1);
}

TEST_F(GridTest, AFailedWriteKeepsTheEditPending)
{
    Bind();
    TColumnEx* amount = AddColumn("AMOUNT");
    (void)amount;
    Data.Edit();
    Grid->SetEditText(1, 1, "not a number");
    Grid->DataLink().Modified();
    EXPECT_THROW(Grid->DataLink().UpdateData(), rtl::EDatabaseError);
    EXPECT_TRUE(Grid->DataLink().IsModified());
    Grid->SetEditText(1, 1, "12");
    Grid->DataLink().UpdateData();
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 12.0);
    EXPECT_FALSE(Grid->DataLink().IsModified());
    Data.Cancel();
}

TEST_F(GridTest, ResetShowsTheRecordAgainOrCancelsIt)
{
    Bind();
    TGridDataLinkEx& link = Grid->DataLink();
    Data.Edit();
    link.Modified();
    link.Reset(); // modified: the record is shown as the data set has it
    EXPECT_FALSE(link.IsModified());
    EXPECT_EQ(Data.State(), db::dsEdit);
    link.Reset(); // not modified: the edit is cancelled
    EXPECT_EQ(Data.State(), db::dsBrowse);
}

TEST_F(GridTest, LayoutNoticesRunInsideALayoutBracket)
{
    Bind();
    Grid->Notices.clear();
    F("NAME")->SetDisplayWidth(33); // a layout notice of the data set
    EXPECT_FALSE(Grid->LayoutLocked());
    EXPECT_EQ(Grid->Columns().UpdateCount(), 0);
    EXPECT_EQ(Grid->Notices, std::vector<std::string>{"refresh"});
}

} // namespace
