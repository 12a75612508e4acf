// A data set that numbers its rows itself: the rows fetched so far, the current one, more
// rows on request, and any row read without moving.
#include <gtest/gtest.h>

#include "DbTestSupport.h"

using namespace dbtest;

namespace {

// Rows ID = 1..100, S = "r<ID>", delivered one at a time as the data set asks.
class TRowsProvider : public db::TRecordProvider {
public:
    bool FetchRow(std::vector<rtl::Variant>& values) override
    {
        if (fetched >= 100) return false;
        ++fetched;
        values[0] = rtl::Variant(fetched);
        values[1] = rtl::Variant("r" + std::to_string(fetched));
        return true;
    }
    int fetched = 0;
};

class TRowsDataSet : public db::TDataSet {
public:
    using db::TDataSet::BeginReadRow;
    using db::TDataSet::CurrentRow;
    using db::TDataSet::EndReadRow;
    using db::TDataSet::FetchedRowCount;
    using db::TDataSet::FetchRows;
    TRowsProvider provider;
    int N() const { return FieldByName("ID")->IsNull() ? 0 : FieldByName("ID")->GetAsInteger(); }

protected:
    db::TRecordProvider* InternalOpen() override
    {
        FieldDefs().Clear();
        FieldDefs().Add("ID", db::ftInteger);
        FieldDefs().Add("S", db::ftString, 10);
        provider.fetched = 0;
        return &provider;
    }
};

} // namespace

TEST(DataSetRows, AnyRowIsReadWithoutMovingAndRowsComeAsAskedFor)
{
    TRowsDataSet ds;
    db::TDataSource source;
    source.SetDataSet(&ds);
    RecordingLink link;
    link.SetBufferCount(5);
    link.SetDataSource(&source);
    EXPECT_EQ(ds.FetchedRowCount(), 0);
    EXPECT_EQ(ds.CurrentRow(), 0);
    ds.Open();
    EXPECT_EQ(ds.FetchedRowCount(), 5);
    EXPECT_EQ(ds.FetchRows(10), 10);
    EXPECT_EQ(ds.FetchedRowCount(), 15);
    EXPECT_EQ(ds.provider.fetched, 15);
    ds.MoveBy(2);
    EXPECT_EQ(ds.CurrentRow(), 3);
    link.Take();

    // Row 12 lies outside the window: its fields, number and bookmark are read, nested
    // reads end in reverse order, and the cursor and the window stay.
    const std::vector<int> window = WindowIds(link);
    ASSERT_TRUE(ds.BeginReadRow(12));
    EXPECT_EQ(ds.N(), 12);
    EXPECT_EQ(ds.GetRecNo(), 12);
    const db::TBookmark twelve = ds.GetBookmark();
    ASSERT_TRUE(ds.BeginReadRow(1));
    EXPECT_EQ(ds.N(), 1);
    ds.EndReadRow();
    EXPECT_EQ(ds.N(), 12);
    ds.EndReadRow();
    ds.EndReadRow(); // nothing left to end
    EXPECT_EQ(ds.N(), 3);
    EXPECT_EQ(ds.GetRecNo(), 3);
    EXPECT_EQ(WindowIds(link), window);
    EXPECT_TRUE(link.Take().empty());
    ds.GotoBookmark(twelve);
    EXPECT_EQ(ds.N(), 12);
    ds.SetRecNo(3);

    // Reading a row not fetched yet fetches up to it; none outside the rows.
    EXPECT_FALSE(ds.BeginReadRow(0));
    EXPECT_FALSE(ds.BeginReadRow(101));
    ASSERT_TRUE(ds.BeginReadRow(100));
    EXPECT_EQ(ds.N(), 100);
    ds.EndReadRow();
    EXPECT_EQ(ds.FetchRows(5), 0);

    // The record being edited is read with its changes; one being inserted counts where
    // it stands.
    ds.Edit();
    ds.FieldByName("S")->SetAsString("changed");
    ASSERT_TRUE(ds.BeginReadRow(3));
    EXPECT_EQ(ds.FieldByName("S")->GetAsString(), "changed");
    ds.EndReadRow();
    ds.Post();
    ds.Insert();
    EXPECT_EQ(ds.CurrentRow(), 3);
    EXPECT_EQ(ds.FetchedRowCount(), 101);
    ASSERT_TRUE(ds.BeginReadRow(4));
    EXPECT_EQ(ds.N(), 3);
    ds.EndReadRow();
    EXPECT_EQ(ds.N(), 0);
    EXPECT_EQ(ds.State(), db::dsInsert);
    ds.Cancel();

    // A read still open when the data set closes ends with it.
    ASSERT_TRUE(ds.BeginReadRow(7));
    ds.Close();
    EXPECT_EQ(ds.FetchedRowCount(), 0);
    EXPECT_EQ(ds.CurrentRow(), 0);
    ds.Open();
    ds.EndReadRow();
    EXPECT_EQ(ds.N(), 1);
    EXPECT_EQ(ds.CurrentRow(), 1);
}
