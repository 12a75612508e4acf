// Memory data set against a plain std::vector holding the same 1,000,000 rows of five
// fields: appending, a full First..Next scan reading every field, and Locate on a
// field that is not a key. Each benchmark times both in the same iteration and reports
// the mean times (vector_ms, dataset_ms) and the ratio of the fastest iterations of each
// (ratio), which shrugs off other load on the machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/MemDataSet.h"

namespace {

constexpr int kRows = 1'000'000;

struct Row {
    int id;
    std::string name;
    double level;
    double stamp;
    bool active;
};

Row makeRow(int i)
{
    return Row{i, "Unit " + std::to_string(i), i * 0.25, 40000.0 + i / 1440.0, (i % 3) == 0};
}

std::unique_ptr<db::TMemDataSet> newDataSet()
{
    auto ds = std::make_unique<db::TMemDataSet>();
    ds->AddField<db::TIntegerField>("ID");
    ds->AddField<db::TStringField>("NAME", db::fkData, 24);
    ds->AddField<db::TFloatField>("LEVEL");
    ds->AddField<db::TDateTimeField>("STAMP");
    ds->AddField<db::TBooleanField>("ACTIVE");
    ds->Open();
    return ds;
}

void appendRows(db::TMemDataSet& ds, const std::vector<Row>& rows)
{
    db::TField* id = ds.FieldByName("ID");
    db::TField* name = ds.FieldByName("NAME");
    db::TField* level = ds.FieldByName("LEVEL");
    db::TField* stamp = ds.FieldByName("STAMP");
    db::TField* active = ds.FieldByName("ACTIVE");
    for (const Row& r : rows) {
        ds.Append();
        id->SetAsInteger(r.id);
        name->SetAsString(r.name);
        level->SetAsFloat(r.level);
        stamp->SetAsDateTime(r.stamp);
        active->SetAsBoolean(r.active);
        ds.Post();
    }
}

struct Fixture {
    std::vector<Row> rows;
    std::unique_ptr<db::TMemDataSet> ds;
    Fixture()
    {
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i) rows.push_back(makeRow(i));
        ds = newDataSet();
        appendRows(*ds, rows);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

struct Sums {
    std::int64_t ints = 0;
    double floats = 0;
    bool operator==(const Sums&) const = default;
};

using Clock = std::chrono::steady_clock;
double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Timings {
    double vectorTotal = 0, dataSetTotal = 0;
    double vectorBest = 1e9, dataSetBest = 1e9;
    void add(double vector, double dataSet)
    {
        vectorTotal += vector;
        dataSetTotal += dataSet;
        vectorBest = std::min(vectorBest, vector);
        dataSetBest = std::min(dataSetBest, dataSet);
    }
    void report(benchmark::State& state) const
    {
        double n = static_cast<double>(state.iterations());
        state.counters["vector_ms"] = vectorTotal / n * 1000.0;
        state.counters["dataset_ms"] = dataSetTotal / n * 1000.0;
        state.counters["ratio"] = dataSetBest / vectorBest;
    }
};

void BM_Append(benchmark::State& state)
{
    const std::vector<Row>& rows = fixture().rows;
    Timings timings;
    for (auto _ : state) {
        auto t0 = Clock::now();
        std::vector<Row> copy;
        for (const Row& r : rows) copy.push_back(r);
        benchmark::DoNotOptimize(copy.data());
        auto t1 = Clock::now();
        auto ds = newDataSet();
        appendRows(*ds, rows);
        auto t2 = Clock::now();
        if (ds->RecordCount() != kRows) state.SkipWithError("row count");
        timings.add(seconds(t1 - t0), seconds(t2 - t1));
        state.SetIterationTime(seconds(t2 - t1));
        state.PauseTiming();
        copy.clear();
        ds.reset();
        state.ResumeTiming();
    }
    timings.report(state);
}

Sums scanVector(const std::vector<Row>& rows)
{
    Sums s;
    for (const Row& r : rows) {
        s.ints += r.id + static_cast<std::int64_t>(r.name.size()) + (r.active ? 1 : 0);
        s.floats += r.level + r.stamp;
    }
    return s;
}

Sums scanDataSet(db::TMemDataSet& ds)
{
    Sums s;
    db::TField* id = ds.FieldByName("ID");
    db::TField* name = ds.FieldByName("NAME");
    db::TField* level = ds.FieldByName("LEVEL");
    db::TField* stamp = ds.FieldByName("STAMP");
    db::TField* active = ds.FieldByName("ACTIVE");
    for (ds.First(); !ds.Eof(); ds.Next()) {
        s.ints += id->GetAsInteger() + static_cast<std::int64_t>(name->GetAsString().size())
                  + (active->GetAsBoolean() ? 1 : 0);
        s.floats += level->GetAsFloat() + stamp->GetAsDateTime();
    }
    return s;
}

void BM_Scan(benchmark::State& state)
{
    Fixture& f = fixture();
    Timings timings;
    for (auto _ : state) {
        auto t0 = Clock::now();
        Sums a = scanVector(f.rows);
        auto t1 = Clock::now();
        Sums b = scanDataSet(*f.ds);
        auto t2 = Clock::now();
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        if (!(a == b)) state.SkipWithError("sums differ");
        timings.add(seconds(t1 - t0), seconds(t2 - t1));
        state.SetIterationTime(seconds(t2 - t1));
    }
    timings.report(state);
}

void BM_LocateNonKey(benchmark::State& state)
{
    Fixture& f = fixture();
    // The wanted row sits near the end: the search reads almost every row.
    const std::string wanted = f.rows[kRows - 10].name;
    Timings timings;
    for (auto _ : state) {
        f.ds->First();
        auto t0 = Clock::now();
        std::size_t found = 0;
        // clang-format off
        for (std::size_t i = 0; i < f.rows.size(); ++i)
            if (f.rows[i].name == wanted) { found = i; break; }
        // clang-format on
        benchmark::DoNotOptimize(found);
        auto t1 = Clock::now();
        bool ok = f.ds->Locate("NAME", rtl::Variant(wanted));
        auto t2 = Clock::now();
        if (!ok || f.ds->GetRecNo() != static_cast<int>(found) + 1) state.SkipWithError("not found");
        timings.add(seconds(t1 - t0), seconds(t2 - t1));
        state.SetIterationTime(seconds(t2 - t1));
    }
    timings.report(state);
}

} // namespace

BENCHMARK(BM_Append)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Scan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LocateNonKey)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
