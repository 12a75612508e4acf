// Opening, editing, bookmarks, searching, filtering and on-demand sources.
#include <algorithm>

#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/db/DBConsts.h"
#include "platform/rtl/ClassInfo.h"

using namespace dbtest;
using rtl::Variant;

namespace {

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const rtl::Exception& e) {
        return e.Message;
    }
    return "no error";
}

} // namespace

TEST(DataSet, OpensWithDefaultFieldsFromDefinitionsAndFreesThemAtClose)
{
    db::TMemDataSet ds;
    ds.FieldDefs().Add("CODE", db::ftSmallint);
    ds.FieldDefs().Add("TEXT", db::ftString, 5);
    ds.FieldDefs().Add("WHEN", db::ftDateTime);
    ds.Open();
    ASSERT_EQ(ds.Fields().Count(), 3);
    EXPECT_TRUE(ds.DefaultFields());
    EXPECT_EQ(ds.FieldByName("text")->GetSize(), 5);
    EXPECT_EQ(ds.FieldByName("CODE")->DataType(), db::ftSmallint);
    EXPECT_EQ(ds.FieldByName("WHEN")->FieldNo(), 3);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof() && ds.Eof());
    EXPECT_EQ(ds.GetRecNo(), -1);
    EXPECT_TRUE(ds.FieldByName("CODE")->IsNull());
    ds.Close();
    EXPECT_EQ(ds.Fields().Count(), 0);
    EXPECT_EQ(ErrorOf([&] { ds.Next(); }), db::msg::DataSetClosed);
}

TEST(DataSet, FieldNotFoundAndBindingErrors)
{
    auto ds = MakeRows(1);
    EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NOPE"); }), "Field 'NOPE' not found");
    EXPECT_EQ(ds->FindField("nope"), nullptr);
    EXPECT_EQ(ds->FindField("name"), ds->FieldByName("NAME"));
    EXPECT_EQ(ErrorOf([&] { ds->GetFieldList("ID;MISSING"); }), "Field 'MISSING' not found");
    EXPECT_EQ(ErrorOf([&] { ds->AddField<db::TIntegerField>("X"); }), db::msg::DataSetOpen);

    db::TMemDataSet other;
    other.FieldDefs().Add("A", db::ftString, 10);
    other.AddField<db::TIntegerField>("A");
    EXPECT_EQ(ErrorOf([&] { other.Open(); }), "Type mismatch for field 'A', expecting: Integer actual: String");
    EXPECT_FALSE(other.GetActive());
    EXPECT_EQ(ErrorOf([&] { other.AddField<db::TIntegerField>("a"); }), "Duplicate field name 'a'");
}

TEST(DataSet, EditPostCancelAndTheirEvents)
{
    auto ds = MakeRows(3);
    std::vector<std::string> events;
    auto rec = [&](const char* name) {
        return db::TDataSetNotifyEvent::FromFunction([&events, name](db::TDataSet*) { events.push_back(name); });
    };
    ds->BeforeEdit = rec("BeforeEdit");
    ds->AfterEdit = rec("AfterEdit");
    ds->BeforePost = rec("BeforePost");
    ds->AfterPost = rec("AfterPost");
    ds->BeforeCancel = rec("BeforeCancel");
    ds->AfterCancel = rec("AfterCancel");
    ds->BeforeScroll = rec("BeforeScroll");
    ds->AfterScroll = rec("AfterScroll");
    ds->BeforeInsert = rec("BeforeInsert");
    ds->AfterInsert = rec("AfterInsert");
    ds->OnNewRecord = db::TDataSetNotifyEvent::FromFunction([&](db::TDataSet* d) {
        events.push_back("OnNewRecord");
        d->FieldByName("AMOUNT")->SetAsFloat(-1);
    });

    EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NAME")->SetAsString("x"); }), "Dataset not in edit or insert mode");
    ds->Edit();
    EXPECT_EQ(ds->State(), db::dsEdit);
    EXPECT_FALSE(ds->Modified());
    ds->FieldByName("NAME")->SetAsString("changed");
    EXPECT_TRUE(ds->Modified());
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "Row 1");
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("changed");
    ds->Post();
    EXPECT_EQ(ds->FieldByName("NAME")->GetAsString(), "changed");
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel",
                                                "BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));
    events.clear();

    ds->Insert();
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                                                "AfterScroll"}));
    // Values set by OnNewRecord alone do not make the record changed.
    EXPECT_FALSE(ds->Modified());
    EXPECT_DOUBLE_EQ(ds->FieldByName("AMOUNT")->GetAsFloat(), -1);
    ds->Cancel();
    EXPECT_EQ(ds->RecordCount(), 3);

    // Edit of an empty data set inserts.
    db::TMemDataSet empty;
    empty.AddField<db::TIntegerField>("N");
    empty.Open();
    empty.Edit();
    EXPECT_EQ(empty.State(), db::dsInsert);
}

TEST(DataSet, RequiredAndReadOnlyFields)
{
    auto ds = MakeRows(1);
    ds->FieldByName("NAME")->SetRequired(true);
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(2);
    EXPECT_EQ(ErrorOf([&] { ds->Post(); }), "Field 'NAME' must have a value");
    EXPECT_EQ(ds->State(), db::dsInsert); // nothing lost
    ds->FieldByName("NAME")->SetAsString("ok");
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 2);

    ds->FieldByName("ID")->SetReadOnly(true);
    ds->Edit();
    EXPECT_FALSE(ds->FieldByName("ID")->CanModify());
    EXPECT_EQ(ErrorOf([&] { ds->FieldByName("ID")->SetAsInteger(5); }), "Field 'ID' cannot be modified");
    ds->Cancel();

    ds->SetReadOnly(true);
    EXPECT_FALSE(ds->CanModify());
    EXPECT_EQ(ErrorOf([&] { ds->Edit(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(ErrorOf([&] { ds->Append(); }), "Cannot modify a read-only dataset");
}

TEST(DataSet, BookmarksFollowInsertionOrderAndOutliveMoves)
{
    auto ds = MakeRows(4);
    ds->MoveBy(2); // record 3
    db::TBookmark third = ds->GetBookmark();
    ds->First();
    db::TBookmark first = ds->GetBookmark();
    ds->Insert(); // before record 1, but posted last
    ds->FieldByName("ID")->SetAsInteger(100);
    ds->Post();
    db::TBookmark inserted = ds->GetBookmark();
    EXPECT_EQ(ds->GetRecNo(), 1);

    EXPECT_LT(ds->CompareBookmarks(first, third), 0);
    EXPECT_GT(ds->CompareBookmarks(inserted, third), 0);
    EXPECT_EQ(ds->CompareBookmarks(third, third), 0);
    EXPECT_LT(ds->CompareBookmarks("", first), 0);
    EXPECT_EQ(ds->CompareBookmarks("", ""), 0);

    ds->GotoBookmark(third);
    EXPECT_EQ(CurrentId(*ds), 3);
    EXPECT_EQ(ds->GetRecNo(), 4);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(third));
    EXPECT_TRUE(ds->BookmarkValid(first));
    EXPECT_FALSE(ds->BookmarkValid("junk"));
    EXPECT_EQ(ErrorOf([&] { ds->GotoBookmark(third); }), "Record not found");
    ds->SetBookmark(inserted);
    EXPECT_EQ(CurrentId(*ds), 100);

    ds->SetRecNo(3);
    EXPECT_EQ(CurrentId(*ds), 2);
    ds->SetRecNo(99); // out of range: stays
    EXPECT_EQ(CurrentId(*ds), 2);
}

TEST(DataSet, LocateWithOptionsAndSeveralKeys)
{
    auto ds = MakeRows(5);
    ds->Last();
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("Alpha");
    ds->Post();
    ds->First();

    EXPECT_FALSE(ds->Locate("NAME", Variant("ALPHA")));
    EXPECT_EQ(CurrentId(*ds), 1); // not found: stays
    EXPECT_TRUE(ds->Locate("NAME", Variant("ALPHA"), db::loCaseInsensitive));
    EXPECT_EQ(CurrentId(*ds), 5);
    EXPECT_FALSE(ds->Locate("NAME", Variant("alp"), db::loCaseInsensitive));
    EXPECT_TRUE(ds->Locate("NAME", Variant("Row"), db::loPartialKey));
    EXPECT_EQ(CurrentId(*ds), 1);
    EXPECT_TRUE(ds->Locate("NAME", Variant("alp"), db::loPartialKey | db::loCaseInsensitive));
    EXPECT_EQ(CurrentId(*ds), 5);

    // Numbers match across types and texts; a fraction never equals an integer field.
    EXPECT_TRUE(ds->Locate("ID", Variant("3")));
    EXPECT_EQ(CurrentId(*ds), 3);
    EXPECT_FALSE(ds->Locate("ID", Variant(2.5)));
    EXPECT_FALSE(ds->Locate("ID", Variant("abc")));
    EXPECT_TRUE(ds->Locate("AMOUNT", Variant(6)));
    EXPECT_EQ(CurrentId(*ds), 4);

    EXPECT_TRUE(ds->Locate("ID;NAME", rtl::VarArrayOf({2, "Row 2"})));
    EXPECT_EQ(CurrentId(*ds), 2);
    EXPECT_FALSE(ds->Locate("ID;NAME", rtl::VarArrayOf({2, "Row 3"})));
    EXPECT_THROW(ds->Locate("ID;NAME", Variant(2)), rtl::EDatabaseError);

    // A Null key finds a Null value.
    ds->Edit();
    ds->FieldByName("AMOUNT")->Clear();
    ds->Post();
    ds->First();
    EXPECT_TRUE(ds->Locate("AMOUNT", rtl::Null()));
    EXPECT_EQ(CurrentId(*ds), 2);
}

TEST(DataSet, LookupReadsWithoutMoving)
{
    auto ds = MakeRows(4);
    ds->Next();
    EXPECT_EQ(ds->Lookup("ID", Variant(3), "NAME"), Variant("Row 3"));
    Variant both = ds->Lookup("NAME", Variant("Row 4"), "ID;AMOUNT");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both[0], Variant(4));
    EXPECT_EQ(both[1], Variant(6.0));
    EXPECT_TRUE(ds->Lookup("ID", Variant(77), "NAME").IsNull());
    EXPECT_EQ(CurrentId(*ds), 2);
}

namespace {

// Orders with a calculated total and the customer's name looked up in another set.
struct OrdersFixture : ::testing::Test {
    db::TMemDataSet customers;
    db::TMemDataSet orders;
    int calcCalls = 0;

    void SetUp() override
    {
        customers.AddField<db::TIntegerField>("CUSTID");
        customers.AddField<db::TStringField>("CUSTNAME", db::fkData, 30);
        customers.Open();
        const char* names[] = {"Ann", "Bob", "Cy"};
        for (int i = 0; i < 3; ++i) {
            customers.Append();
            customers.FieldByName("CUSTID")->SetAsInteger(i + 1);
            customers.FieldByName("CUSTNAME")->SetAsString(names[i]);
            customers.Post();
        }
        orders.AddField<db::TIntegerField>("CUST");
        orders.AddField<db::TIntegerField>("QTY");
        orders.AddField<db::TFloatField>("PRICE");
        orders.AddField<db::TFloatField>("TOTAL", db::fkCalculated);
        db::TField* who = orders.AddField<db::TStringField>("WHO", db::fkLookup, 30);
        who->SetKeyFields("CUST");
        who->SetLookupDataSet(&customers);
        who->SetLookupKeyFields("CUSTID");
        who->SetLookupResultField("CUSTNAME");
        orders.OnCalcFields = db::TDataSetNotifyEvent::FromFunction([this](db::TDataSet* d) {
            ++calcCalls;
            EXPECT_EQ(d->State(), db::dsCalcFields);
            d->FieldByName("TOTAL")->SetAsFloat(d->FieldByName("QTY")->GetAsInteger()
                                                * d->FieldByName("PRICE")->GetAsFloat());
        });
        orders.Open();
        addOrder(2, 3, 1.5);
        addOrder(9, 1, 10);
        orders.First();
    }

    void addOrder(int cust, int qty, double price)
    {
        orders.Append();
        orders.FieldByName("CUST")->SetAsInteger(cust);
        orders.FieldByName("QTY")->SetAsInteger(qty);
        orders.FieldByName("PRICE")->SetAsFloat(price);
        orders.Post();
    }
};

} // namespace

TEST_F(OrdersFixture, CalculatedAndLookupFieldsFollowTheRecord)
{
    EXPECT_DOUBLE_EQ(orders.FieldByName("TOTAL")->GetAsFloat(), 4.5);
    EXPECT_EQ(orders.FieldByName("WHO")->GetAsString(), "Bob");
    EXPECT_TRUE(orders.FieldByName("WHO")->Lookup());
    orders.Next();
    EXPECT_DOUBLE_EQ(orders.FieldByName("TOTAL")->GetAsFloat(), 10);
    EXPECT_TRUE(orders.FieldByName("WHO")->IsNull()); // no customer 9

    // Editing recalculates at once; calculated fields are not writable outside OnCalcFields.
    orders.Edit();
    orders.FieldByName("QTY")->SetAsInteger(4);
    orders.FieldByName("CUST")->SetAsInteger(3);
    EXPECT_DOUBLE_EQ(orders.FieldByName("TOTAL")->GetAsFloat(), 40);
    EXPECT_EQ(orders.FieldByName("WHO")->GetAsString(), "Cy");
    EXPECT_FALSE(orders.FieldByName("TOTAL")->CanModify());
    EXPECT_THROW(orders.FieldByName("TOTAL")->SetAsFloat(1), rtl::EDatabaseError);
    EXPECT_THROW(orders.FieldByName("WHO")->SetAsString("x"), rtl::EDatabaseError);
    orders.Post();
    EXPECT_DOUBLE_EQ(orders.FieldByName("TOTAL")->GetAsFloat(), 40);

    // Locate and Lookup can use calculated fields.
    EXPECT_TRUE(orders.Locate("WHO", Variant("bob"), db::loCaseInsensitive));
    EXPECT_EQ(orders.GetRecNo(), 1);
    EXPECT_EQ(orders.Lookup("TOTAL", Variant(40.0), "WHO"), Variant("Cy"));

    // Incomplete lookup settings are refused at Open.
    orders.Close();
    orders.FieldByName("WHO")->SetLookupResultField("");
    EXPECT_EQ(ErrorOf([&] { orders.Open(); }), "Lookup information for field 'WHO' is incomplete");

    // A lookup data set that goes away is forgotten.
    orders.FieldByName("WHO")->SetLookupResultField("CUSTNAME");
    auto gone = std::make_unique<db::TMemDataSet>();
    orders.FieldByName("WHO")->SetLookupDataSet(gone.get());
    gone.reset();
    EXPECT_EQ(orders.FieldByName("WHO")->GetLookupDataSet(), nullptr);
}

TEST_F(OrdersFixture, CalculatedFieldsAreComputedWhenReadNotOnEveryMove)
{
    for (int i = 0; i < 20; ++i) addOrder(1 + i % 3, i, 0.5);
    orders.First();
    calcCalls = 0;
    // A walk that reads only stored fields (as a footer's sum does) computes nothing.
    int quantities = 0;
    for (orders.First(); !orders.Eof(); orders.Next()) quantities += orders.FieldByName("QTY")->GetAsInteger();
    EXPECT_EQ(quantities, 3 + 1 + 190);
    EXPECT_EQ(calcCalls, 0);
    // Reading a calculated field computes the record's values once; they follow the record.
    orders.Last();
    EXPECT_DOUBLE_EQ(orders.FieldByName("TOTAL")->GetAsFloat(), 19 * 0.5);
    EXPECT_EQ(orders.FieldByName("WHO")->GetAsString(), "Bob");
    EXPECT_FALSE(orders.FieldByName("TOTAL")->IsNull());
    EXPECT_EQ(calcCalls, 1);
    orders.Prior();
    EXPECT_DOUBLE_EQ(orders.FieldByName("TOTAL")->GetAsFloat(), 18 * 0.5);
    EXPECT_EQ(orders.FieldByName("WHO")->GetAsString(), "Ann");
    EXPECT_EQ(calcCalls, 2);
}

TEST(DataSet, FilteredByHandlerAndByText)
{
    auto ds = MakeRows(10);
    ds->OnFilterRecord = db::TFilterRecordEvent::FromFunction([](db::TDataSet* d, bool& accept) {
        accept = d->FieldByName("ID")->GetAsInteger() % 2 == 0;
    });
    ds->SetFiltered(true);
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_EQ(CurrentId(*ds), 2);
    ds->Last();
    EXPECT_EQ(CurrentId(*ds), 10);
    EXPECT_EQ(ds->GetRecNo(), 5);
    EXPECT_FALSE(ds->Locate("ID", Variant(3)));

    // A posted record that the filter no longer accepts leaves the view.
    ds->First();
    ds->Edit();
    ds->FieldByName("ID")->SetAsInteger(11);
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(CurrentId(*ds), 4);

    ds->OnFilterRecord = nullptr;
    ds->SetFilter("ID >= 5 AND NAME <> 'Row 7'");
    EXPECT_EQ(ds->RecordCount(), 6); // IDs 11 (was 2), 5, 6, 8, 9, 10
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 10);
    EXPECT_EQ(ErrorOf([&] { ds->SetFilter("ID >"); }), "Invalid filter expression 'ID >': operand expected");
    EXPECT_EQ(ds->GetFilter(), "ID >= 5 AND NAME <> 'Row 7'");
}

namespace {

// Rows 1..count of one integer field, read one at a time; writes are recorded.
class CountingProvider : public db::TRecordProvider {
public:
    explicit CountingProvider(int count) : count_(count) {}
    bool FetchRow(std::vector<Variant>& values) override
    {
        if (fetched >= count_) return false;
        ++fetched;
        values[0] = Variant(fetched);
        values[1] = Variant("r" + std::to_string(fetched));
        return true;
    }
    void ApplyInsert(std::vector<Variant>& values) override
    {
        writes.push_back("insert");
        values[0] = Variant(1000); // a generated key
    }
    void ApplyUpdate(const std::vector<Variant>& oldValues, std::vector<Variant>& newValues) override
    {
        if (refuse) throw rtl::EDatabaseError("lock conflict");
        writes.push_back("update " + oldValues[1].AsString() + " -> " + newValues[1].AsString());
    }
    void ApplyDelete(const std::vector<Variant>& values) override
    {
        writes.push_back("delete " + values[0].AsString());
    }

    int fetched = 0;
    bool refuse = false;
    std::vector<std::string> writes;

private:
    int count_;
};

class ProviderDataSet : public db::TDataSet {
public:
    CountingProvider provider{1'000'000};
protected:
    db::TRecordProvider* InternalOpen() override
    {
        FieldDefs().Clear();
        FieldDefs().Add("N", db::ftInteger);
        FieldDefs().Add("S", db::ftString, 10);
        return &provider;
    }
};

} // namespace

TEST(DataSet, OnDemandSourceReadsOnlyWhatIsShownAndWritesThrough)
{
    ProviderDataSet ds;
    db::TDataSource source;
    source.SetDataSet(&ds);
    RecordingLink link;
    link.SetBufferCount(20);
    link.SetDataSource(&source);
    ds.Open();
    EXPECT_EQ(ds.provider.fetched, 20);
    EXPECT_FALSE(ds.IsSequenced());
    ds.MoveBy(25);
    EXPECT_EQ(ds.FieldByName("N")->GetAsInteger(), 26);
    EXPECT_EQ(ds.provider.fetched, 26);

    ds.Edit();
    ds.FieldByName("S")->SetAsString("new");
    ds.provider.refuse = true;
    EXPECT_EQ(ErrorOf([&] { ds.Post(); }), "lock conflict");
    EXPECT_EQ(ds.State(), db::dsEdit);
    EXPECT_EQ(ds.FieldByName("S")->GetAsString(), "new");
    ds.provider.refuse = false;
    ds.Post();
    ds.Delete();
    ds.Insert();
    ds.FieldByName("S")->SetAsString("ins");
    ds.Post();
    EXPECT_EQ(ds.FieldByName("N")->GetAsInteger(), 1000);
    EXPECT_EQ(ds.provider.writes, (std::vector<std::string>{"update r26 -> new", "delete 26", "insert"}));
    EXPECT_EQ(ds.provider.fetched, 27); // one more to take the deleted row's place, nothing beyond

    link.SetDataSource(nullptr);
    ds.provider.fetched = 999'990; // pretend most rows were read already
    ds.Last();
    EXPECT_TRUE(ds.IsSequenced());
    EXPECT_EQ(ds.FieldByName("N")->GetAsInteger(), 1'000'000);
}

namespace {

// Rows of a key and a blob whose content the provider gives only when asked: every third
// blob is null, the others read "blob <n>".
class DeferringProvider : public db::TRecordProvider {
public:
    bool FetchRow(std::vector<Variant>& values) override
    {
        if (fetched >= 1000) return false;
        ++fetched;
        values[0] = Variant(fetched);
        values[1] = fetched % 3 == 0 ? rtl::Null() : Variant(static_cast<long long>(fetched) * 1000);
        return true;
    }
    bool Defers(int column) const override { return column == 1; }
    std::string ReadDeferred(int column, std::int64_t key) override
    {
        EXPECT_EQ(column, 1);
        reads.push_back(key / 1000);
        if (failing) throw rtl::EDatabaseError("blob gone");
        return "blob " + std::to_string(key / 1000);
    }
    void ApplyUpdate(const std::vector<Variant>& oldValues, std::vector<Variant>& newValues) override
    {
        written.push_back(oldValues[1].AsString() + " -> " + newValues[1].AsString());
    }

    int fetched = 0;
    bool failing = false;
    std::vector<std::int64_t> reads;
    std::vector<std::string> written;
};

class DeferringDataSet : public db::TDataSet {
public:
    DeferringProvider provider;
protected:
    db::TRecordProvider* InternalOpen() override
    {
        FieldDefs().Clear();
        FieldDefs().Add("N", db::ftInteger);
        FieldDefs().Add("DATA", db::ftBlob);
        return &provider;
    }
};

} // namespace

TEST(DataSet, ADeferredValueIsReadOnceWhenFirstAskedForAndNeverForAFetchAlone)
{
    DeferringDataSet ds;
    ds.Open();
    ds.Last();
    EXPECT_EQ(ds.provider.fetched, 1000);
    EXPECT_TRUE(ds.provider.reads.empty());
    // Null or not is known without reading.
    EXPECT_FALSE(ds.FieldByName("DATA")->IsNull());
    ds.Prior();
    EXPECT_TRUE(ds.FieldByName("DATA")->IsNull());
    EXPECT_EQ(ds.FieldByName("DATA")->GetAsString(), "");
    ds.Prior();
    EXPECT_TRUE(ds.provider.reads.empty());
    EXPECT_EQ(ds.FieldByName("DATA")->GetAsString(), "blob 998");
    EXPECT_EQ(ds.FieldByName("DATA")->GetValue(), Variant("blob 998"));
    EXPECT_EQ(ds.provider.reads, (std::vector<std::int64_t>{998}));
    // Through a search, the values it compares are read, once each.
    ASSERT_TRUE(ds.Locate("DATA", Variant("blob 4"), {}));
    EXPECT_EQ(ds.FieldByName("N")->GetAsInteger(), 4);
    EXPECT_EQ(ds.provider.reads, (std::vector<std::int64_t>{998, 1, 2, 4}));
    // An edit starts from the content and writes content back; it is not read again.
    ds.Edit();
    ds.FieldByName("DATA")->SetAsString("new");
    ds.Post();
    EXPECT_EQ(ds.provider.written, (std::vector<std::string>{"blob 4 -> new"}));
    EXPECT_EQ(ds.FieldByName("DATA")->GetAsString(), "new");
    // A failing read reports its failure and leaves the value to read again.
    ds.provider.failing = true;
    ds.First();
    ds.MoveBy(6);
    EXPECT_THROW(ds.FieldByName("DATA")->GetAsString(), rtl::EDatabaseError);
    ds.provider.failing = false;
    EXPECT_EQ(ds.FieldByName("DATA")->GetAsString(), "blob 7");
    EXPECT_EQ(ds.provider.reads.size(), 6u);
}

TEST(Bookmarks, CompareInFetchAndPostOrderSoASortedListStaysSortedWhateverTheViewDoes)
{
    auto ds = dbtest::MakeRows(5);
    std::vector<db::TBookmark> marks;
    for (ds->First(); !ds->Eof(); ds->Next()) marks.push_back(ds->GetBookmark());
    // A record inserted between the second and third shows there but compares last.
    ds->SetRecNo(3);
    ds->Insert();
    EXPECT_EQ(ds->GetBookmark(), ""); // none until posted
    ds->FieldByName("ID")->SetAsInteger(99);
    ds->Post();
    const db::TBookmark inserted = ds->GetBookmark();
    EXPECT_EQ(ds->GetRecNo(), 3);
    for (const auto& m : marks) EXPECT_GT(ds->CompareBookmarks(inserted, m), 0);

    // A list kept sorted by the comparison, as a grid's selected rows are, found by halving.
    auto less = [&](const db::TBookmark& a, const db::TBookmark& b) { return ds->CompareBookmarks(a, b) < 0; };
    std::vector<db::TBookmark> selected{marks[4], inserted, marks[0], marks[2]};
    std::sort(selected.begin(), selected.end(), less);
    // Deleting a record and filtering the view change no comparison of those left.
    ds->GotoBookmark(marks[1]);
    ds->Delete();
    ds->SetFilter("ID > 2");
    ds->SetFiltered(true);
    EXPECT_TRUE(std::is_sorted(selected.begin(), selected.end(), less));
    for (const auto& m : selected) EXPECT_TRUE(std::binary_search(selected.begin(), selected.end(), m, less));
    EXPECT_FALSE(std::binary_search(selected.begin(), selected.end(), marks[1], less));
    // The deleted record's bookmark is no longer valid but still compares by its place.
    EXPECT_FALSE(ds->BookmarkValid(marks[1]));
    EXPECT_LT(ds->CompareBookmarks(marks[0], marks[1]), 0);
    EXPECT_GT(ds->CompareBookmarks(marks[2], marks[1]), 0);
    EXPECT_LT(ds->CompareBookmarks("", marks[0]), 0);
    EXPECT_EQ(ds->CompareBookmarks("", ""), 0);
}

TEST(Bookmarks, RecNoOfABookmarkFollowsTheOrderShown)
{
    auto ds = dbtest::MakeRows(4);
    std::vector<db::TBookmark> marks;
    for (ds->First(); !ds->Eof(); ds->Next()) marks.push_back(ds->GetBookmark());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ds->RecNoOfBookmark(marks[i]), i + 1);
    // A record inserted second shows second, though it compares after all the others.
    ds->SetRecNo(2);
    ds->Insert();
    ds->FieldByName("ID")->SetAsInteger(99);
    ds->Post();
    const db::TBookmark inserted = ds->GetBookmark();
    EXPECT_EQ(ds->RecNoOfBookmark(inserted), 2);
    EXPECT_EQ(ds->RecNoOfBookmark(marks[1]), 3);
    EXPECT_EQ(ds->RecNoOfBookmark(marks[3]), 5);
    // Records outside the view, deleted ones and strange bookmarks are not shown.
    ds->SetFilter("ID > 2");
    ds->SetFiltered(true);
    EXPECT_EQ(ds->RecNoOfBookmark(marks[0]), -1);
    // Also records the filter has not come to yet (nothing shows more than one record).
    EXPECT_EQ(ds->RecNoOfBookmark(marks[3]), 3);
    EXPECT_EQ(ds->RecNoOfBookmark(marks[2]), 2);
    ds->SetFilter("ID < 4");
    EXPECT_TRUE(ds->BookmarkValid(marks[2]));
    ds->GotoBookmark(marks[2]);
    EXPECT_EQ(ds->GetRecNo(), 3);
    ds->SetFiltered(false);
    ds->GotoBookmark(marks[0]);
    ds->Delete();
    EXPECT_EQ(ds->RecNoOfBookmark(marks[0]), -1);
    EXPECT_EQ(ds->RecNoOfBookmark(inserted), 1);
    EXPECT_EQ(ds->RecNoOfBookmark(""), -1);
    EXPECT_EQ(ds->RecNoOfBookmark("garbage"), -1);
    EXPECT_EQ(ds->RecNoOfBookmark(std::string(8, '\xff')), -1);
    ds->Close();
    EXPECT_EQ(ds->RecNoOfBookmark(inserted), -1);
}

TEST(MasterSource, IsKeptUntilTheSourceGoesAndRefusesTheDataSetsOwnSource)
{
    auto master = dbtest::MakeRows(2);
    auto detail = dbtest::MakeRows(2);
    auto* source = new db::TDataSource;
    source->SetDataSet(master.get());
    detail->SetMasterSource(source);
    EXPECT_EQ(detail->GetMasterSource(), source);
    EXPECT_EQ(detail->GetMasterSource()->GetDataSet(), master.get());
    db::TDataSource own;
    own.SetDataSet(detail.get());
    EXPECT_THROW(detail->SetMasterSource(&own), rtl::EDatabaseError);
    EXPECT_EQ(detail->GetMasterSource(), source);
    delete source;
    EXPECT_EQ(detail->GetMasterSource(), nullptr);
}

namespace {
class TKeyedDataSet : public db::TMemDataSet {
    using TMemDataSet::TMemDataSet;
};
class TSortedKeyedDataSet : public TKeyedDataSet {
    using TKeyedDataSet::TKeyedDataSet;
};
} // namespace

TEST(ClassRegistry, FindsTheValueOfTheNearestRegisteredAncestorClassOfADataSet)
{
    rtl::TClassRegistry<std::string> features;
    TSortedKeyedDataSet sorted;
    db::TMemDataSet plain;
    EXPECT_EQ(features.Find(sorted), nullptr);
    features.Register("TDataSet", "any data set");
    features.Register("tkeyeddataset", "keyed"); // names compare without letter case
    features.Register("TKeyedDataSet", "keyed again");
    features.Register("TUnrelatedQuery", "never");
    ASSERT_NE(features.Find(sorted), nullptr);
    EXPECT_EQ(*features.Find(sorted), "keyed"); // two steps up; the first on a tie
    EXPECT_EQ(*features.Find(plain), "any data set");
    features.Unregister("TKEYEDDATASET");
    EXPECT_EQ(*features.Find(sorted), "any data set");
    EXPECT_EQ(features.Count(), 2);
    EXPECT_EQ(rtl::ClassDistance(sorted, "TComponent"), 4);
    EXPECT_EQ(rtl::ClassDistance(sorted, "TField"), -1);
}
