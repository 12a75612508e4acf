// The sum list over a memory data set of 1,000,000 records: a full recalculation of a
// sum, an average and a count of one field against a plain loop summing the same values,
// measured in the same run; and one edit and post of a record with the sum list keeping
// its totals, against the same edit and post without it, over 1,000 and 1,000,000
// records (the difference is the incremental update).
#include <map>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/grid/DBSumList.h"
#include "platform/db/DataSetScopes.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"

namespace {

using namespace grid;

constexpr int kRecords = 1'000'000;

// ID integer, AMOUNT float with two decimals, every tenth one null.
std::unique_ptr<db::TMemDataSet> NewDataSet(int records)
{
    auto data = std::make_unique<db::TMemDataSet>();
    data->AddField<db::TIntegerField>("ID");
    data->AddField<db::TFloatField>("AMOUNT");
    data->Open();
    db::TField* id = data->FieldByName("ID");
    db::TField* amount = data->FieldByName("AMOUNT");
    for (int i = 0; i < records; ++i) {
        data->Append();
        id->SetAsInteger(i);
        if (i % 10 != 0) amount->SetAsFloat((i % 100000) * 0.01);
        data->Post();
    }
    data->First();
    return data;
}

db::TMemDataSet& DataSet(int records)
{
    static std::map<int, std::unique_ptr<db::TMemDataSet>> sets;
    auto& data = sets[records];
    if (!data) data = NewDataSet(records);
    return *data;
}

// A sum, an average and a count of AMOUNT.
std::unique_ptr<TDBSumListProducer> NewSums(db::TDataSet& data)
{
    auto sums = std::make_unique<TDBSumListProducer>(nullptr);
    for (TGroupOperation operation : {goSum, goAvg, goCount}) {
        TDBSum* sum = sums->SumCollection().Add();
        sum->SetGroupOperation(operation);
        sum->SetFieldName("AMOUNT");
    }
    sums->SetDataSet(&data);
    sums->SetActive(true);
    return sums;
}

void BM_PlainLoop(benchmark::State& state)
{
    db::TMemDataSet& data = DataSet(kRecords);
    const db::TField* amount = data.FieldByName("AMOUNT");
    for (auto _ : state) {
        db::TDisableControlsScope controls(data);
        double total = 0;
        for (data.First(); !data.Eof(); data.Next())
            if (!amount->IsNull()) total += amount->GetAsFloat();
        data.First();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RecalcAll(benchmark::State& state)
{
    db::TMemDataSet& data = DataSet(kRecords);
    const auto sums = NewSums(data);
    for (auto _ : state) sums->RecalcAll();
    state.counters["sum"] = sums->SumCollection().Items(0)->SumValue().ToDouble();
}
BENCHMARK(BM_RecalcAll)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Edits the amount of the record in the middle and posts it.
void EditAndPost(benchmark::State& state, bool withSums)
{
    db::TMemDataSet& data = DataSet(static_cast<int>(state.range(0)));
    const auto sums = withSums ? NewSums(data) : nullptr;
    data.SetRecNo(static_cast<int>(state.range(0)) / 2);
    db::TField* amount = data.FieldByName("AMOUNT");
    double value = 0;
    for (auto _ : state) {
        data.Edit();
        amount->SetAsFloat(value += 0.25);
        data.Post();
    }
}

void BM_EditPost(benchmark::State& state)
{
    EditAndPost(state, false);
}
BENCHMARK(BM_EditPost)->Arg(1000)->Arg(kRecords)->Unit(benchmark::kMicrosecond);

void BM_EditPostWithSums(benchmark::State& state)
{
    EditAndPost(state, true);
}
BENCHMARK(BM_EditPostWithSums)->Arg(1000)->Arg(kRecords)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TTimeRatioReporter reporter("BM_RecalcAll", "BM_PlainLoop", "RecalcAll of a sum, an average and a count / plain loop");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
