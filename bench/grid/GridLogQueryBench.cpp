// The grid on the data module's log query (its statement from the log query builder, with
// the records' texts) over 1,000,000 log records:
//  - opening the query and the grid's first paint (target under 50 ms);
//  - one page down with the repaint the screen then does (the parts that changed painted
//    into the window), the median of many (goal at most 1.5 ms);
//  - opening the query under a grid with footer sums (a sum and a count) and the grid's
//    first paint, against a bare fetch of the summed column through TIBSQL to its last
//    row, the two in turns in the same run (goal at most 1.5 times the bare fetch);
//  - Ctrl+End to the last record, painted, beside the same statement fetched bare through
//    TIBSQL to its last row in the same run (target at most 1.5 times the bare fetch), and
//    beside the query going to its end with no grid on it (the query's own share);
// and the memory the process holds after going to the end.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include "GridScreen.h"
#include "PairedRatio.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFooters.h"
#include "platform/fb/IBSQL.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Thread.h"
#include "platform/ui/Metrics.h"
#include "storage/DModule.h"
#include "storage/FakeMainForm.h"
#include "storage/SQL_Filter.h"
#include "storage/StorageTestEngine.h"
#include "support/ScratchFolder.h"
#include "support/TempDir.h"

namespace {

constexpr int kRecords = 1'000'000;
using Clock = std::chrono::steady_clock;

// A copy of the built empty database with a million log records of two units and the system,
// the data module on it, and a shown grid on its log query.
struct TLogGrid {
    TLogGrid()
    {
        storagetest::EngineFolder();
        std::filesystem::copy_file(KV7200_TEMPLATE_FDB, dir.Path() / storage::kDatabaseFileName);
        main.ProgramFile = dir.File("kv7200");
        dm = std::make_unique<storage::TDM>(nullptr, main);
        fb::TIBSQL fill(&dm->IBDatabase, &dm->IBTransaction);
        fill.SetParamCheck(false);
        fill.SetSQL("execute block as declare i integer = 0; begin "
                    "insert into DEVICES (ID, ALIAS, DEVICETYPE) values (1, 'Roof', 3); "
                    "insert into DEVICES (ID, ALIAS, DEVICETYPE) values (2, 'Mast', 3); "
                    "while (i < "
                    + std::to_string(kRecords)
                    + ") do begin "
                      "insert into EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA) values "
                      "(gen_id(GEN_EVENT_LOG_ID, 1), 45000 + :i / 86400.0, mod(:i, 3), mod(:i * 37, 170) + 1, "
                      "x'33043A1F'); i = i + 1; end end");
        fill.ExecQuery();
        dm->IBTransaction.CommitRetaining();
        filter.BaseSQL = "select * from get_log";
        filter.WhereWord = "where";
        filter.ExcludeField = "DATACODE";
        filter.IncludeField = "DEVICEID";
        filter.AddCondition("DATACODE < 1000");
        dm->IBQ_LOG_.SetSQL(filter.GetSQLText());

        grid = MakeGrid(false);
        grid->SetDataSource(&dm->DS_LOG_);
        footerGrid = MakeGrid(true);
    }
    ~TLogGrid()
    {
        footerGrid.reset();
        grid.reset();
        dm.reset();
    }
    // The log view's columns; with footers, the count of the records under the first
    // and the sum of the record numbers under the last.
    static std::unique_ptr<grid::TDBGridEx> MakeGrid(bool footers)
    {
        auto shown = std::make_unique<grid::TDBGridEx>();
        shown->SetBounds(0, 0, 900, 600);
        shown->SetReadOnly(true);
        for (const char* field : {"DTS", "ALIAS", "CODES", "DATAS", "ID"}) shown->Columns().Add()->SetFieldName(field);
        if (footers) {
            shown->Columns().Items(0)->Footer()->SetValueType(grid::fvtCount);
            shown->Columns().Items(4)->Footer()->SetValueType(grid::fvtSum);
            shown->SetFooterRowCount(1);
            shown->SumList().SetActive(true);
        }
        shown->show();
        return shown;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(grid.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(grid.get(), &release);
    }
    // The whole grid painted, as the screen asks for it.
    void Paint() { benchmark::DoNotOptimize(grid->grab()); }

    testsupport::TempDir dir;
    dmtest::FakeMainForm main;
    std::unique_ptr<storage::TDM> dm;
    storage::TSQLFilter filter;
    std::unique_ptr<grid::TDBGridEx> grid, footerGrid;
};

// Made by the first benchmark, gone before the application.
std::unique_ptr<TLogGrid> logGrid;
TLogGrid& Log()
{
    if (!logGrid) logGrid = std::make_unique<TLogGrid>();
    return *logGrid;
}

// The process's resident memory now and at its peak, in MB.
void MemoryCounters(benchmark::State& state)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        const bool rss = line.rfind("VmRSS:", 0) == 0;
        const bool peak = line.rfind("VmHWM:", 0) == 0;
        if (rss || peak) state.counters[rss ? "rss_MB" : "peak_MB"] = std::stod(line.substr(6)) / 1024.0;
    }
}

void BM_OpenAndFirstPaint(benchmark::State& state)
{
    TLogGrid& log = Log();
    for (auto _ : state) {
        state.PauseTiming();
        log.dm->IBQ_LOG_.Close();
        log.Paint();
        state.ResumeTiming();
        log.dm->IBQ_LOG_.Open();
        log.Paint();
    }
    if (log.grid->DataRowCount() < 10) state.SkipWithError("no rows shown");
}
BENCHMARK(BM_OpenAndFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_PageDownAndRepaint(benchmark::State& state)
{
    TLogGrid& log = Log();
    db::TDataSet& query = log.dm->IBQ_LOG_;
    if (!query.GetActive()) query.Open();
    query.First();
    benchmarks::PaintPending(*log.grid);
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (benchmarks::KeyAndRepaint(*log.grid, Qt::Key_PageDown) == 0) state.SkipWithError("nothing painted");
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
    paired::ReportMedian(state, times, 1.5, "Page Down and repaint, 1,000,000 records of the log query");
    state.counters["page"] = log.grid->VisibleDataRowCount();
}
BENCHMARK(BM_PageDownAndRepaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(benchmarks::StepCount(500));

void BM_CtrlEndAndRepaint(benchmark::State& state)
{
    TLogGrid& log = Log();
    db::TDataSet& query = log.dm->IBQ_LOG_;
    for (auto _ : state) {
        state.PauseTiming();
        query.Close();
        query.Open();
        log.Paint();
        state.ResumeTiming();
        log.Key(Qt::Key_End, Qt::ControlModifier);
        log.Paint();
    }
    if (query.GetRecNo() != kRecords) state.SkipWithError("not at the last record");
    MemoryCounters(state);
}
BENCHMARK(BM_CtrlEndAndRepaint)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same query going to its end with no grid on it: what of Ctrl+End is the query's.
void BM_QueryLastWithoutGrid(benchmark::State& state)
{
    TLogGrid& log = Log();
    db::TDataSet& query = log.dm->IBQ_LOG_;
    log.grid->SetDataSource(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        query.Close();
        query.Open();
        state.ResumeTiming();
        query.Last();
    }
    if (query.GetRecNo() != kRecords) state.SkipWithError("not at the last record");
    log.grid->SetDataSource(&log.dm->DS_LOG_);
}
BENCHMARK(BM_QueryLastWithoutGrid)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BareFetchToTheEnd(benchmark::State& state)
{
    TLogGrid& log = Log();
    int rows = 0;
    for (auto _ : state) {
        fb::TIBSQL bare(&log.dm->IBDatabase, &log.dm->IBTransaction);
        bare.SetSQL(log.filter.GetSQLText());
        bare.ExecQuery();
        rows = 0;
        while (bare.Next()) ++rows;
    }
    if (rows != kRecords) state.SkipWithError("not every row fetched");
}
BENCHMARK(BM_BareFetchToTheEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

// The open with footer sums against a bare fetch of the summed column, in turns.
void RegisterOpenWithFootersFigure()
{
    paired::TFigure figure;
    figure.Name = "BM_OpenWithFooters";
    figure.Label = "opening the log query with footer sums, first paint / bare fetch of the summed column";
    figure.PrepareProject = [] {
        TLogGrid& log = Log();
        log.grid->SetDataSource(nullptr);
        log.dm->IBQ_LOG_.Close();
        log.footerGrid->SetDataSource(&log.dm->DS_LOG_);
        benchmarks::PaintPending(*log.footerGrid);
    };
    figure.Project = [] {
        TLogGrid& log = Log();
        log.dm->IBQ_LOG_.Open();
        if (benchmarks::PaintPending(*log.footerGrid) == 0) log.footerGrid->repaint();
    };
    figure.PrepareBaseline = [] {
        TLogGrid& log = Log();
        log.footerGrid->SetDataSource(nullptr);
        log.grid->SetDataSource(&log.dm->DS_LOG_);
    };
    figure.Baseline = [] {
        TLogGrid& log = Log();
        fb::TIBSQL bare(&log.dm->IBDatabase, &log.dm->IBTransaction);
        std::string sql = log.filter.GetSQLText();
        sql.replace(sql.find("select *"), 8, "select ID");
        bare.SetSQL(sql);
        bare.ExecQuery();
        std::int64_t sum = 0, rows = 0;
        while (bare.Next()) {
            sum += bare.Fields(0).GetAsInteger();
            ++rows;
        }
        benchmark::DoNotOptimize(sum);
        if (rows != kRecords) std::fprintf(stderr, "the bare fetch read %lld rows\n", static_cast<long long>(rows));
    };
    figure.Goal = 1.5;
    figure.MinBatchSeconds = 0;
    figure.Repetitions = 5;
    paired::Register(std::move(figure));
}

} // namespace

int main(int argc, char** argv)
{
    // The engine and the database go with this folder, also when a benchmark aborts.
    testsupport::UseScratchFolder("kv7200-bench");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmarks::PaintUpdatesAtOnce();
    QApplication app(argc, argv);
    rtl::MainThread::Init();
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    RegisterOpenWithFootersFigure();
    paired::TReporter reporter;
    reporter.AddRatio("BM_CtrlEndAndRepaint", "BM_BareFetchToTheEnd", "Ctrl+End / bare fetch time (target at most 1.5)");
    reporter.AddRatio("BM_CtrlEndAndRepaint", "BM_QueryLastWithoutGrid", "Ctrl+End / the query's own Last");
    reporter.AddRatio("BM_QueryLastWithoutGrid", "BM_BareFetchToTheEnd", "the query's own Last / bare fetch");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    logGrid.reset();
    storagetest::RemoveEngineFolders();
    return 0;
}
