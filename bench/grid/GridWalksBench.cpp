// The grid's walks over the records of a memory data set, each beside a plain loop over
// the same display texts in the same run: fitting a column's width over 100,000 records,
// and the find dialog and the incremental search looking for a text that only the last
// of 1,000,000 records holds.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFindDlgs.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/db/DataSetScopes.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/ui/Metrics.h"

namespace {

const std::string kTarget = "the one record to find";

// Records "Name n, 87.5 MHz" with an amount; the last one's name is kTarget.
struct TRecords {
    db::TMemDataSet data;
    db::TDataSource source;
    grid::TDBGridEx grid;
    grid::TColumnEx* column = nullptr;

    explicit TRecords(int count)
    {
        data.AddField<db::TIntegerField>("ID");
        data.AddField<db::TStringField>("NAME", db::fkData, 30);
        data.AddField<db::TFloatField>("AMOUNT");
        data.Open();
        for (int i = 1; i <= count; ++i) {
            data.Append();
            data.FieldByName("ID")->SetAsInteger(i);
            data.FieldByName("NAME")->SetAsString(i == count ? kTarget : "Name " + std::to_string(i) + ", 87.5 MHz");
            data.FieldByName("AMOUNT")->SetAsFloat(i * 0.25);
            data.Post();
        }
        data.First();
        source.SetDataSet(&data);
        grid.SetBounds(0, 0, 600, 400);
        grid.SetDataSource(&source);
        column = grid.Columns().Add();
        column->SetFieldName("NAME");
        grid.Columns().Add()->SetFieldName("AMOUNT");
        grid.show();
    }
};

// Made on first use and freed by main while the application lives: a grid outliving
// QApplication crashes at exit.
std::unique_ptr<TRecords> widths, finds;

TRecords& Widths()
{
    if (!widths) widths = std::make_unique<TRecords>(100'000);
    return *widths;
}

TRecords& Finds()
{
    if (!finds) finds = std::make_unique<TRecords>(1'000'000);
    return *finds;
}

void BM_OptimizeColWidth(benchmark::State& state)
{
    TRecords& r = Widths();
    for (auto _ : state) {
        r.column->SetWidth(10);
        r.grid.OptimizeColWidth(r.column);
        benchmark::DoNotOptimize(r.column->GetWidth());
    }
    state.counters["records"] = 100'000;
}
BENCHMARK(BM_OptimizeColWidth)->Unit(benchmark::kMillisecond);

// The same texts measured in a loop of one's own.
void BM_PlainWidthLoop(benchmark::State& state)
{
    TRecords& r = Widths();
    ui::TCanvas canvas;
    canvas.Font().Assign(r.column->GetFont());
    for (auto _ : state) {
        int width = 0;
        db::TDisableControlsScope quiet(r.data);
        db::TBookmarkScope back(r.data);
        for (r.data.First(); !r.data.Eof(); r.data.Next())
            width = std::max(width, grid::TextWidthCalc(canvas, r.column->DisplayText()));
        benchmark::DoNotOptimize(width);
    }
    state.counters["records"] = 100'000;
}
BENCHMARK(BM_PlainWidthLoop)->Unit(benchmark::kMillisecond);

// Runs one search per iteration over the million records; each must end on the last.
template <typename Search>
void SearchToTheLast(benchmark::State& state, Search&& search)
{
    TRecords& r = Finds();
    for (auto _ : state) {
        search(r);
        if (r.data.FieldByName("ID")->GetAsInteger() != 1'000'000) state.SkipWithError("not found");
    }
    state.counters["records"] = 1'000'000;
}

// The same texts compared in a loop of one's own.
template <typename Matches>
void PlainLoop(TRecords& r, Matches&& matches)
{
    db::TDisableControlsScope quiet(r.data);
    for (r.data.First(); !r.data.Eof(); r.data.Next())
        if (matches(r.column->DisplayText())) break;
}

void BM_FindDialogToTheLast(benchmark::State& state)
{
    grid::TDBGridExFindDlg dialog;
    dialog.Execute(Finds().grid, "one record", "", false, {{"Name", Finds().column}});
    SearchToTheLast(state, [&](TRecords&) {
        dialog.cbTextChange(nullptr); // each time a new search from the first record
        dialog.bFindClick(nullptr);
    });
}
BENCHMARK(BM_FindDialogToTheLast)->Unit(benchmark::kMillisecond);

void BM_PlainFindLoop(benchmark::State& state)
{
    SearchToTheLast(state, [](TRecords& r) {
        PlainLoop(r, [](const std::string& text) { return rtl::AnsiContainsText(text, "one record"); });
    });
}
BENCHMARK(BM_PlainFindLoop)->Unit(benchmark::kMillisecond);

void BM_IncSearchToTheLast(benchmark::State& state)
{
    SearchToTheLast(state, [](TRecords& r) {
        r.data.First();
        r.grid.StartIncSearch("THE ONE", -1, grid::isdFromTop);
        r.grid.StopIncSearch();
    });
}
BENCHMARK(BM_IncSearchToTheLast)->Unit(benchmark::kMillisecond);

void BM_PlainSearchLoop(benchmark::State& state)
{
    SearchToTheLast(state, [](TRecords& r) {
        PlainLoop(r, [](const std::string& text) { return rtl::AnsiStartsText("THE ONE", text); });
    });
}
BENCHMARK(BM_PlainSearchLoop)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    TTimeRatioReporter reporter("BM_OptimizeColWidth", "BM_PlainWidthLoop",
                                "optimal width / plain loop time (target at most 3)");
    reporter.AddRatio("BM_FindDialogToTheLast", "BM_PlainFindLoop", "find dialog / plain loop time (target at most 3)");
    reporter.AddRatio("BM_IncSearchToTheLast", "BM_PlainSearchLoop",
                      "incremental search / plain loop time (target at most 3)");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    widths.reset();
    finds.reset();
    return 0;
}
