// The sum list over a memory data set: totals after open, after each edit, insert, post,
// cancel and delete (checked against a full recalculation), filters, the handlers it
// takes over and gives back, virtual record numbers, and failures.
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/grid/DBSumList.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"

namespace {

using namespace grid;

// A data set that does not number its records (as a query that has not read them all).
class TUnsequencedDataSet : public db::TMemDataSet {
public:
    using db::TMemDataSet::TMemDataSet;
    bool IsSequenced() const override { return false; }
};

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The amount as text, so that a failure shows it.
std::string Text(const TDBSumAmount& amount)
{
    return amount.FitsCurrency() ? rtl::CurrToStr(amount.ToCurrency()) : rtl::FloatToStr(amount.ToDouble());
}

// ID integer, AMOUNT float, PRICE fixed-point, NAME text; AMOUNT 5, 3, Null, 2.5.
class SumList : public ::testing::Test {
protected:
    void SetUp() override { Fill(Data); }

    rtl::TScopedFormatSettings Settings{rtl::TFormatSettings::Invariant()};
    static void Fill(db::TMemDataSet& data)
    {
        data.AddField<db::TIntegerField>("ID");
        data.AddField<db::TFloatField>("AMOUNT");
        data.AddField<db::TBCDField>("PRICE");
        data.AddField<db::TStringField>("NAME", db::fkData, 20);
        data.Open();
        const rtl::Variant amounts[] = {5.0, 3.0, rtl::Null(), 2.5};
        for (int id = 1; id <= 4; ++id) {
            data.Append();
            data.FieldByName("ID")->SetAsInteger(id);
            data.FieldByName("AMOUNT")->SetValue(amounts[id - 1]);
            data.FieldByName("PRICE")->SetAsCurrency(rtl::Currency::FromScaled(id * 12345));
            data.FieldByName("NAME")->SetAsString("name " + std::to_string(id));
            data.Post();
        }
        data.First();
    }

    TDBSum* AddSum(TGroupOperation operation, const std::string& fieldName)
    {
        TDBSum* sum = Sums->SumCollection().Add();
        sum->SetGroupOperation(operation);
        sum->SetFieldName(fieldName);
        return sum;
    }
    // A sum, an average and a count of AMOUNT, and a count of the records, on the data set.
    void Activate()
    {
        Sum = AddSum(goSum, "AMOUNT");
        Avg = AddSum(goAvg, "AMOUNT");
        CountAmount = AddSum(goCount, "AMOUNT");
        Count = AddSum(goCount, "");
        Sums->SetDataSet(&Data);
        Sums->SetActive(true);
    }
    void Go(int id) { ASSERT_TRUE(Data.Locate("ID", id)); }
    void Put(const std::string& field, const rtl::Variant& value)
    {
        Data.Edit();
        Data.FieldByName(field)->SetValue(value);
        Data.Post();
    }
    std::vector<std::string> Totals() const
    {
        std::vector<std::string> totals;
        for (int i = 0; i < Sums->SumCollection().Count(); ++i)
            totals.push_back(Text(Sums->SumCollection().Items(i)->SumValue()));
        return totals;
    }
    // The totals kept so far are those a walk over the records gives.
    void ExpectTotalsOfAWalk(const std::string& step)
    {
        const std::vector<std::string> kept = Totals();
        Sums->RecalcAll();
        EXPECT_EQ(kept, Totals()) << step;
    }

    rtl::TComponent Owner{nullptr};
    db::TMemDataSet Data;
    std::unique_ptr<TDBSumListProducer> Sums = std::make_unique<TDBSumListProducer>(&Owner);
    TDBSum* Sum = nullptr;
    TDBSum* Avg = nullptr;
    TDBSum* CountAmount = nullptr;
    TDBSum* Count = nullptr;
};

TEST_F(SumList, AnActiveListWalksTheRecordsOnceAndLeavesTheCursorOnTheFirst)
{
    int recalcs = 0, afterRecalcs = 0;
    rtl::TObject* sender = nullptr;
    Sums->OnRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* s) { ++recalcs, sender = s; });
    Sums->OnAfterRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++afterRecalcs; });
    TDBSum* price = AddSum(goSum, "price"); // names are found whatever their case
    Go(3);
    Activate();
    EXPECT_EQ(Text(Sum->SumValue()), "10.5");
    EXPECT_EQ(Text(Avg->SumValue()), "3.5");
    EXPECT_EQ(Text(CountAmount->SumValue()), "3");
    EXPECT_EQ(Text(Count->SumValue()), "4");
    EXPECT_EQ(Text(price->SumValue()), "12.345");
    EXPECT_EQ(recalcs, 1);
    EXPECT_EQ(afterRecalcs, 1);
    EXPECT_EQ(sender, &Owner);
    EXPECT_EQ(Data.GetRecNo(), 1);
    EXPECT_FALSE(Data.ControlsDisabled());
    EXPECT_FALSE(Sums->Recalculating());
    EXPECT_EQ(Sums->SumCollection().Find(goSum, "Amount"), Sum);
    EXPECT_EQ(Sums->SumCollection().Find(goAvg, "NAME"), nullptr);

    // Scrolling changes nothing; closing zeroes the totals; opening walks again.
    Data.Last();
    Data.Prior();
    EXPECT_EQ(recalcs, 1);
    Data.Close();
    EXPECT_EQ(Totals(), (std::vector<std::string>{"0", "0", "0", "0", "0"}));
    Data.Open(); // a memory data set opens empty
    EXPECT_EQ(recalcs, 2);
    Put("AMOUNT", 1.25);
    EXPECT_EQ(Text(Sum->SumValue()), "1.25");
    EXPECT_EQ(Text(Count->SumValue()), "1");

    // Inactive: no events held, totals zero.
    Sums->SetActive(false);
    EXPECT_FALSE(Data.AfterPost);
    EXPECT_EQ(Text(Sum->SumValue()), "0");
    Put("AMOUNT", 100.0);
    EXPECT_EQ(Text(Sum->SumValue()), "0");
}

TEST_F(SumList, EditsMoveTheTotalsByTheirChange)
{
    Activate();
    Go(1);
    Put("AMOUNT", 7.0); // 5 -> 7
    EXPECT_EQ(Text(Sum->SumValue()), "12.5");
    EXPECT_EQ(Text(Avg->SumValue()), "4.1667"); // 12.5 / 3

    Go(2);
    Put("AMOUNT", rtl::Null()); // 3 -> Null: one value fewer in the average and the count
    EXPECT_EQ(Text(Sum->SumValue()), "9.5");
    EXPECT_EQ(Text(Avg->SumValue()), "4.75");
    EXPECT_EQ(Text(CountAmount->SumValue()), "2");
    EXPECT_EQ(Text(Count->SumValue()), "4");

    // An edit cancelled changes nothing.
    Data.Edit();
    Data.FieldByName("AMOUNT")->SetAsFloat(1000);
    Data.Cancel();
    EXPECT_EQ(Text(Sum->SumValue()), "9.5");
}

TEST_F(SumList, EveryChangeKeepsTheTotalsAWalkWouldGive)
{
    Activate();
    AddSum(goSum, "PRICE");
    AddSum(goAvg, "PRICE");
    AddSum(goSum, "ID");
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"edit a value", [&] { Go(1), Put("AMOUNT", 7.25); }},
        {"edit to null", [&] { Go(2), Put("AMOUNT", rtl::Null()); }},
        {"edit from null", [&] { Go(3), Put("AMOUNT", 0.00015); }},
        {"edit a fixed-point amount", [&] { Go(4), Put("PRICE", rtl::Variant(rtl::Currency::FromScaled(-99999))); }},
        {"insert and post",
         [&] {
             Go(2);
             Data.Insert();
             Data.FieldByName("ID")->SetAsInteger(9);
             Data.FieldByName("AMOUNT")->SetAsFloat(1.00005);
             Data.Post();
         }},
        {"append a null and post",
         [&] {
             Data.Append();
             Data.FieldByName("ID")->SetAsInteger(10);
             Data.Post();
         }},
        {"insert and cancel",
         [&] {
             Data.Insert();
             Data.FieldByName("AMOUNT")->SetAsFloat(50);
             Data.Cancel();
         }},
        {"delete", [&] { Go(3), Data.Delete(); }},
        {"delete a null", [&] { Go(10), Data.Delete(); }},
        {"delete while edited",
         [&] {
             Go(1);
             Data.Edit();
             Data.FieldByName("AMOUNT")->SetAsFloat(1e6);
             Data.Delete();
         }},
    };
    for (const auto& [name, step] : steps) {
        step();
        ExpectTotalsOfAWalk(name);
    }
}

TEST_F(SumList, DeletingTheOnlyRecordLeavesAnAverageOfZero)
{
    Activate();
    while (Data.RecordCount() > 1) Data.Delete();
    Put("AMOUNT", 4.0);
    EXPECT_EQ(Text(Avg->SumValue()), "4");
    Data.Delete();
    EXPECT_TRUE(Data.IsEmpty());
    EXPECT_EQ(Text(Avg->SumValue()), "0");
    EXPECT_EQ(Text(Sum->SumValue()), "0");
    EXPECT_EQ(Text(Count->SumValue()), "0");
}

TEST_F(SumList, ACountCountsARecordOnceItIsPosted)
{
    Activate();
    Data.Insert();
    EXPECT_EQ(Text(Count->SumValue()), "4");
    Data.Post();
    EXPECT_EQ(Text(Count->SumValue()), "5");
    EXPECT_EQ(Text(CountAmount->SumValue()), "3"); // its AMOUNT is null

    // A count of a field that a new record already holds counts it too.
    Data.OnNewRecord = db::TDataSetNotifyEvent::FromFunction(
        [](db::TDataSet* ds) { ds->FieldByName("AMOUNT")->SetAsFloat(1); });
    Data.Append();
    Data.Post();
    EXPECT_EQ(Text(Count->SumValue()), "6");
    EXPECT_EQ(Text(CountAmount->SumValue()), "4");
    ExpectTotalsOfAWalk("new record with a value");
}

TEST_F(SumList, AFilterChangeIsNoticedAtTheNextScrollAndRecalculatedOnce)
{
    int recalcs = 0;
    Sums->OnRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++recalcs; });
    Activate();
    ASSERT_EQ(recalcs, 1);
    Data.SetFilter("AMOUNT > 2.5");
    EXPECT_EQ(recalcs, 1);  // not filtered yet: nothing to notice
    Data.SetFiltered(true); // the data set goes back to its first record: a scroll
    EXPECT_EQ(recalcs, 2);
    EXPECT_EQ(Text(Sum->SumValue()), "8");
    Data.Next();
    Data.First();
    EXPECT_EQ(recalcs, 2);
    Data.SetFilter("AMOUNT < 4");
    EXPECT_EQ(recalcs, 3);
    EXPECT_EQ(Text(Sum->SumValue()), "5.5");
    Data.SetFiltered(false);
    EXPECT_EQ(recalcs, 4);
    EXPECT_EQ(Text(Sum->SumValue()), "10.5");
}

TEST_F(SumList, ARecordTheFilterNoLongerTakesLeavesTheTotalsWhenPosted)
{
    Activate();
    Data.SetFilter("AMOUNT > 2.5");
    Data.SetFiltered(true);
    Go(1);
    Put("AMOUNT", 1.0); // leaves the filter
    EXPECT_EQ(Data.RecordCount(), 1);
    EXPECT_EQ(Text(Sum->SumValue()), "3");
    EXPECT_EQ(Text(Count->SumValue()), "1");
    ExpectTotalsOfAWalk("edited out of the filter");
    Data.Append();
    Data.FieldByName("AMOUNT")->SetAsFloat(2); // never enters the filter
    Data.Post();
    EXPECT_EQ(Text(Count->SumValue()), "1");
    ExpectTotalsOfAWalk("inserted outside the filter");
}

TEST_F(SumList, HalvesAtTheFourthDecimalGoToEvenAsTheValuesRead)
{
    Activate();
    const double values[] = {0.00005, 0.00015, 1.00005, -0.00015};
    for (int id = 1; id <= 4; ++id) {
        Go(id);
        Put("AMOUNT", values[id - 1]);
    }
    // 0 + 2 + 10000 - 2 at the scale of 10000.
    EXPECT_EQ(Sum->SumValue().ToCurrency().Scaled, 10000);
    ExpectTotalsOfAWalk("halves");
}

TEST_F(SumList, InfinitiesNaNsAndHugeValuesLeaveTheTotalsARecalculationGivesWhenEditedBack)
{
    Activate();
    // Two cells of 1e308 pass the double range; editing one back leaves what it gives.
    Go(1), Put("AMOUNT", 1e308);
    Go(2), Put("AMOUNT", 1e308);
    EXPECT_EQ(Sum->SumValue().ToDouble(), inf);
    Go(2), Put("AMOUNT", 1.0);
    EXPECT_EQ(Sum->SumValue().ToDouble(), 1e308);
    Go(1), Put("AMOUNT", nan);
    EXPECT_TRUE(std::isnan(Sum->SumValue().ToDouble()));
    EXPECT_TRUE(std::isnan(Avg->SumValue().ToDouble()));
    Put("AMOUNT", 2.0);
    EXPECT_EQ(Sum->SumValue().ToCurrency().Scaled, 55000); // 2 + 1 + 2.5
    ExpectTotalsOfAWalk("edited back");
}

// Random appends, edits, cancels and deletes among infinities, NaNs and huge values: after
// each the totals kept are those a recalculation gives, amount for amount.
TEST_F(SumList, AfterAnyEditsTheTotalsKeptAreThoseARecalculationGives)
{
    Activate();
    Go(2), Put("AMOUNT", 1.0);
    Go(1), Put("AMOUNT", 2.0);
    const std::vector<rtl::Variant> values = {rtl::Null(), 1e308, -1e308, 1.7976931348623157e308, inf, -inf, nan,
                                              1e35, -1.6e34, 0.00015, 2.675, -7.0, 0.0};
    std::mt19937 random(4143);
    auto amounts = [&] {
        std::vector<TDBSumAmount> all;
        for (int i = 0; i < Sums->SumCollection().Count(); ++i) all.push_back(Sums->SumCollection().Items(i)->SumValue());
        return all;
    };
    auto somewhere = [&] {
        Data.First();
        Data.MoveBy(static_cast<int>(random() % static_cast<unsigned>(Data.RecordCount())));
    };
    for (int step = 0; step < 400; ++step) {
        const rtl::Variant& value = values[random() % values.size()];
        switch (random() % 5) {
        case 0:
            Data.Append();
            Data.FieldByName("AMOUNT")->SetValue(value);
            Data.Post();
            break;
        case 1:
            somewhere();
            Put("AMOUNT", value);
            break;
        case 2:
            somewhere();
            Data.Edit();
            Data.FieldByName("AMOUNT")->SetValue(value);
            Data.Cancel();
            break;
        case 3:
            Data.Insert();
            Data.FieldByName("AMOUNT")->SetValue(value);
            Data.Cancel();
            break;
        case 4:
            if (Data.RecordCount() > 1) {
                somewhere();
                Data.Delete();
            }
            break;
        }
        const std::vector<TDBSumAmount> kept = amounts();
        Sums->RecalcAll();
        ASSERT_TRUE(kept == amounts()) << "step " << step;
    }
}

TEST_F(SumList, TextFieldsAreNotSummedButCounted)
{
    TDBSum* names = AddSum(goSum, "NAME");
    TDBSum* nameCount = AddSum(goCount, "NAME");
    Activate();
    EXPECT_EQ(Text(names->SumValue()), "0");
    EXPECT_EQ(Text(nameCount->SumValue()), "4");
    Go(1);
    Put("NAME", "not a number");
    EXPECT_EQ(Text(names->SumValue()), "0");
}

TEST_F(SumList, ARecalculationAskedForDuringAnEditWaitsForThePostOrCancel)
{
    Activate();
    Go(2);
    Data.Edit();
    Data.FieldByName("AMOUNT")->SetAsFloat(13);
    TDBSum* price = AddSum(goSum, "PRICE"); // asks for a recalculation
    EXPECT_EQ(Data.State(), db::dsEdit);    // the half-edited record is not posted
    EXPECT_EQ(Data.FieldByName("AMOUNT")->GetAsFloat(), 13);
    Data.Post();
    EXPECT_EQ(Text(Sum->SumValue()), "20.5");
    EXPECT_EQ(Text(price->SumValue()), "12.345");
    EXPECT_EQ(Data.GetRecNo(), 1);

    Go(2);
    Data.Edit();
    AddSum(goAvg, "ID");
    Data.Cancel();
    EXPECT_EQ(Text(Sums->SumCollection().Find(goAvg, "ID")->SumValue()), "2.5");
}

TEST_F(SumList, AFailingRecalculationLeavesControlsEnabledTheFlagDownAndTheRecordWhereItWas)
{
    Activate();
    Go(3);
    TDBSumCollection& sums = Sums->SumCollection();
    sums.BeginUpdate();
    sums.Add()->SetFieldName("NOPE");
    try {
        sums.EndUpdate();
        FAIL() << "a field the data set lacks is an error";
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.what(), "Field 'NOPE' not found");
    }
    EXPECT_FALSE(Data.ControlsDisabled());
    EXPECT_FALSE(Sums->Recalculating());
    EXPECT_EQ(Data.FieldByName("ID")->GetAsInteger(), 3);
    EXPECT_EQ(Text(Sum->SumValue()), "0");
    // Scrolling does not try again; naming a field that exists does.
    Data.Next();
    sums.Items(sums.Count() - 1)->SetFieldName("ID");
    EXPECT_EQ(Text(Sum->SumValue()), "10.5");
}

TEST_F(SumList, AReplacedHandlerRunsAlsoWhenTheUpdateBeforeItFails)
{
    int opened = 0;
    Data.AfterOpen = db::TDataSetNotifyEvent::FromFunction([&](db::TDataSet*) { ++opened; });
    Activate();
    TDBSumCollection& sums = Sums->SumCollection();
    sums.BeginUpdate();
    sums.Add()->SetFieldName("NOPE");
    EXPECT_THROW(sums.EndUpdate(), rtl::Exception);
    Data.Close();
    EXPECT_THROW(Data.Open(), rtl::Exception); // the walk fails on the missing field
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(Data.GetActive());
}

TEST_F(SumList, TheReplacedHandlersAreCalledAndGivenBack)
{
    std::vector<std::string> calls;
    auto logger = [&](const std::string& name) {
        return db::TDataSetNotifyEvent::FromFunction([&calls, name, this](db::TDataSet*) {
            calls.push_back(name + " " + (Sum ? Text(Sum->SumValue()) : "-"));
        });
    };
    db::TDataSetNotifyEvent db::TDataSet::*const events[] = {
        &db::TDataSet::AfterOpen, &db::TDataSet::AfterClose, &db::TDataSet::AfterInsert,
        &db::TDataSet::AfterEdit, &db::TDataSet::AfterPost, &db::TDataSet::AfterCancel,
        &db::TDataSet::BeforeDelete, &db::TDataSet::AfterScroll};
    const char* names[] = {"open", "close", "insert", "edit", "post", "cancel", "delete", "scroll"};
    std::vector<db::TDataSetNotifyEvent> own;
    for (int i = 0; i < 8; ++i) {
        own.push_back(logger(names[i]));
        Data.*events[i] = own.back();
    }
    db::TMemDataSet master;
    Fill(master);
    db::TDataSource masterSource;
    masterSource.SetDataSet(&master);
    Data.SetMasterSource(&masterSource);
    const db::TDataSetNotifyEvent masterScroll = logger("master scroll");
    master.AfterScroll = masterScroll;

    Activate();
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(Data.*events[i] == own[i]) << names[i];
    EXPECT_FALSE(master.AfterScroll == masterScroll);
    calls.clear();
    Put("AMOUNT", 7.0); // on the first record, where the walk left the cursor
    Data.Delete();
    master.Next();
    // Post hands on after its update, delete and scroll before theirs; the master's
    // scroll then walks the records again.
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 6),
              (std::vector<std::string>{"edit 10.5", "post 12.5", "delete 12.5", "scroll 5.5", "master scroll 5.5",
                                        "scroll 0"}));
    EXPECT_EQ(Text(Sum->SumValue()), "5.5");

    Sums.reset();
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(Data.*events[i] == own[i]) << names[i];
    EXPECT_TRUE(master.AfterScroll == masterScroll);
    Sum = nullptr;
    Data.SetMasterSource(nullptr);
}

TEST_F(SumList, TwoListsOnOneDataSetCanGoInEitherOrder)
{
    const db::TDataSetNotifyEvent user = db::TDataSetNotifyEvent::FromFunction([](db::TDataSet*) {});
    Data.AfterPost = user;
    for (const bool firstGoesFirst : {true, false}) {
        auto first = std::make_unique<TDBSumListProducer>(&Owner);
        auto second = std::make_unique<TDBSumListProducer>(&Owner);
        TDBSum* firstSum = first->SumCollection().Add();
        firstSum->SetFieldName("AMOUNT");
        TDBSum* secondSum = second->SumCollection().Add();
        secondSum->SetFieldName("AMOUNT");
        first->SetDataSet(&Data);
        first->SetActive(true);
        second->SetDataSet(&Data);
        second->SetActive(true);
        TDBSum* kept = firstGoesFirst ? secondSum : firstSum;
        (firstGoesFirst ? first : second).reset();
        Go(1);
        Put("AMOUNT", Data.FieldByName("AMOUNT")->GetAsFloat() + 1); // reaches the one left
        EXPECT_EQ(Text(kept->SumValue()), firstGoesFirst ? "11.5" : "12.5");
        first.reset();
        second.reset();
        EXPECT_TRUE(Data.AfterPost == user);
    }
}

TEST_F(SumList, ExternalRecalculationLeavesTheTotalsToTheHandler)
{
    Sums->SetExternalRecalc(true);
    TDBSum* external = AddSum(goSum, "NOPE"); // never read
    Sums->OnRecalcAll = rtl::TNotifyEvent::FromFunction(
        [&](rtl::TObject*) { external->SetSumValue(TDBSumAmount::FromInteger(42)); });
    Sums->SetDataSet(&Data);
    Sums->SetActive(true);
    EXPECT_EQ(Text(external->SumValue()), "42");
    EXPECT_THROW(Sums->SetExternalRecalc(false), rtl::Exception); // now the walk reads it
}

TEST_F(SumList, VirtualRecordsNumberADataSetThatDoesNotNumberItsOwn)
{
    TUnsequencedDataSet data;
    Fill(data);
    Sums->SetDataSet(&data);
    Sums->SetVirtualRecords(true);
    EXPECT_FALSE(Sums->IsSequenced()); // not active yet
    Sums->SetActive(true);
    EXPECT_TRUE(Sums->IsSequenced());
    EXPECT_EQ(Sums->RecordCount(), 4);
    for (int n = 1; n <= 4; ++n, data.Next()) EXPECT_EQ(Sums->RecNo(), n);
    Sums->SetRecNo(3);
    EXPECT_EQ(data.FieldByName("ID")->GetAsInteger(), 3);

    // A cancelled insert is never numbered; a posted one is.
    data.Insert();
    data.Cancel();
    EXPECT_EQ(Sums->RecordCount(), 4);
    data.Append();
    data.FieldByName("ID")->SetAsInteger(5);
    data.Post();
    EXPECT_EQ(Sums->RecordCount(), 5);
    EXPECT_EQ(Sums->RecNo(), 5);
    data.First();
    data.Delete();
    EXPECT_EQ(Sums->RecordCount(), 4);
    EXPECT_EQ(Sums->RecNo(), 1); // record 2 is now the first
    Sums->SetRecNo(4);
    EXPECT_EQ(data.FieldByName("ID")->GetAsInteger(), 5);
    Sums.reset();
}

TEST_F(SumList, TheMasterScrollingRecalculates)
{
    db::TMemDataSet master;
    Fill(master);
    db::TDataSource masterSource;
    masterSource.SetDataSet(&master);
    Data.SetMasterSource(&masterSource);
    int recalcs = 0;
    Sums->OnRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++recalcs; });
    Activate();
    master.Next();
    master.Next();
    EXPECT_EQ(recalcs, 3);
    Sums.reset();
    Data.SetMasterSource(nullptr);
}

TEST_F(SumList, ADataSetOrMasterDestroyedWhileHeldIsLetGo)
{
    auto data = std::make_unique<db::TMemDataSet>();
    Fill(*data);
    auto master = std::make_unique<db::TMemDataSet>();
    Fill(*master);
    db::TDataSource masterSource;
    masterSource.SetDataSet(master.get());
    data->SetMasterSource(&masterSource);
    Sum = AddSum(goSum, "AMOUNT");
    Sums->SetDataSet(data.get());
    Sums->SetActive(true);
    EXPECT_EQ(Text(Sum->SumValue()), "10.5");
    masterSource.SetDataSet(nullptr);
    master.reset();
    data.reset();
    EXPECT_EQ(Sums->DataSet(), nullptr);
    EXPECT_EQ(Text(Sum->SumValue()), "0");
    Sums->SetDataSet(&Data); // still works with another
    EXPECT_EQ(Text(Sum->SumValue()), "10.5");
}

TEST_F(SumList, WholeNumbersPastSixtyFourBitsAddUpExactly)
{
    db::TMemDataSet big;
    big.AddField<db::TLargeintField>("N");
    big.Open();
    for (int i = 0; i < 3; ++i) {
        big.Append();
        big.FieldByName("N")->SetAsLargeInt(9000000000000000000);
        big.Post();
    }
    TDBSum* sum = Sums->SumCollection().Add();
    sum->SetFieldName("N");
    Sums->SetDataSet(&big);
    Sums->SetActive(true);
    EXPECT_EQ(sum->SumValue().WholeText(), "27000000000000000000");
    big.First();
    big.Delete();
    EXPECT_EQ(sum->SumValue().WholeText(), "18000000000000000000");
    Sums.reset();
}

} // namespace
