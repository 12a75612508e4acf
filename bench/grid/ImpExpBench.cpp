// The grid's exports of 100,000 records by 10 columns of a memory data set to each
// format, beside a plain loop writing the same cell texts to a buffer in the same run;
// and the KVDBIF import of the same records into an empty memory data set, in records
// a second.
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "platform/db/DataSetScopes.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace {

constexpr int kRecords = 100'000;

// Ten columns: numbers, texts, a date and a Boolean.
void AddFields(db::TMemDataSet& data)
{
    data.AddField<db::TIntegerField>("ID");
    data.AddField<db::TStringField>("NAME", db::fkData, 30);
    data.AddField<db::TFloatField>("AMOUNT");
    data.AddField<db::TIntegerField>("QTY");
    data.AddField<db::TStringField>("CODE", db::fkData, 8);
    data.AddField<db::TFloatField>("PRICE");
    data.AddField<db::TDateField>("DAY");
    data.AddField<db::TBooleanField>("DONE");
    data.AddField<db::TStringField>("NOTE", db::fkData, 40);
    data.AddField<db::TFloatField>("RATIO");
}

struct TGridOver {
    db::TMemDataSet data;
    db::TDataSource source;
    grid::TDBGridEx grid;

    explicit TGridOver(int records)
    {
        AddFields(data);
        data.Open();
        for (int i = 1; i <= records; ++i) {
            data.Append();
            data.Fields()[0]->SetAsInteger(i);
            data.Fields()[1]->SetAsString("Name " + std::to_string(i));
            data.Fields()[2]->SetAsFloat(i * 0.25);
            data.Fields()[3]->SetAsInteger(i % 97);
            data.Fields()[4]->SetAsString("C" + std::to_string(i % 1000));
            data.Fields()[5]->SetAsFloat(i % 500 + 0.99);
            data.Fields()[6]->SetAsDateTime(45000 + i % 365);
            data.Fields()[7]->SetAsBoolean(i % 2 == 0);
            data.Fields()[8]->SetAsString("a note of some length, " + std::to_string(i));
            data.Fields()[9]->SetAsFloat(1.0 / i);
            data.Post();
        }
        data.First();
        source.SetDataSet(&data);
        grid.SetBounds(0, 0, 800, 400);
        grid.SetDataSource(&source);
    }
};

TGridOver& Full()
{
    static TGridOver records(kRecords);
    return records;
}

void BM_PlainLoop(benchmark::State& state)
{
    TGridOver& r = Full();
    grid::TColumnsExList& columns = r.grid.VisibleColumns();
    for (auto _ : state) {
        std::string buffer;
        db::TDisableControlsScope quiet(r.data);
        for (r.data.First(); !r.data.Eof(); r.data.Next()) {
            for (grid::TColumnEx* column : columns) {
                buffer += column->DisplayText();
                buffer += '\t';
            }
            buffer += "\r\n";
        }
        r.data.First();
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);

template <typename TExport>
void ExportAll(benchmark::State& state)
{
    TGridOver& r = Full();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        rtl::TMemoryStream stream;
        grid::WriteGridToExportStream<TExport>(r.grid, stream, true);
        bytes = stream.GetSize();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ExportText(benchmark::State& state)
{
    ExportAll<grid::TDBGridExExportAsText>(state);
}
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);

void BM_ExportCSV(benchmark::State& state)
{
    ExportAll<grid::TDBGridExExportAsCSV>(state);
}
BENCHMARK(BM_ExportCSV)->Unit(benchmark::kMillisecond);

void BM_ExportRTF(benchmark::State& state)
{
    ExportAll<grid::TDBGridExExportAsRTF>(state);
}
BENCHMARK(BM_ExportRTF)->Unit(benchmark::kMillisecond);

void BM_ExportKVDBIF(benchmark::State& state)
{
    ExportAll<grid::TDBGridExExportAsKVDBIF>(state);
}
BENCHMARK(BM_ExportKVDBIF)->Unit(benchmark::kMillisecond);

// The KVDBIF block of every record, read into an empty data set of the same fields.
void BM_ImportKVDBIF(benchmark::State& state)
{
    rtl::TMemoryStream block;
    grid::WriteGridToExportStream<grid::TDBGridExExportAsKVDBIF>(Full().grid, block, true);
    db::TMemDataSet target;
    AddFields(target);
    db::TDataSource source;
    source.SetDataSet(&target);
    grid::TDBGridEx grid;
    grid.SetBounds(0, 0, 800, 400);
    for (auto _ : state) {
        state.PauseTiming();
        grid.SetDataSource(nullptr);
        target.Close();
        target.Open();
        grid.SetDataSource(&source);
        block.SetPosition(0);
        state.ResumeTiming();
        grid::LoadGridFromImportStream<grid::TDBGridExImportAsKVDBIF>(grid, block, true);
    }
    if (target.RecordCount() != kRecords) state.SkipWithError("not every record was read");
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ImportKVDBIF)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    rtl::FormatSettings = rtl::TFormatSettings::Invariant();
    benchmark::Initialize(&argc, argv);
    const char* target = " (target at most 3.33: 0.3 of the plain loop's speed)";
    TTimeRatioReporter reporter("BM_ExportText", "BM_PlainLoop", std::string("text export / plain loop time") + target);
    reporter.AddRatio("BM_ExportCSV", "BM_PlainLoop", std::string("CSV export / plain loop time") + target);
    reporter.AddRatio("BM_ExportKVDBIF", "BM_PlainLoop", std::string("KVDBIF export / plain loop time") + target);
    reporter.AddRatio("BM_ExportRTF", "BM_PlainLoop", "RTF export / plain loop time");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
