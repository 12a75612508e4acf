// The drop-down list with 100,000 items: filled and opened (shown and painted), and
// incremental-search steps in it, beside a QListWidget with the same items and font doing
// the same, measured in the same run (the fill and open also as a paired figure: the two
// in turns, the order swapped each repetition, goal at most 0.5). And a data set of 100,000 records scrolled from the
// first to the last under a bound edit base or numeric editor (each record shown in it),
// beside the same scroll with no editor attached.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <QApplication>
#include <QListWidget>
#include <benchmark/benchmark.h>

#include "PairedRatio.h"
#include "controls/editors/DBCtrlsEx.h"
#include "controls/editors/DBNumberEditEx.h"
#include "controls/editors/DropDownWindows.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"

namespace {

constexpr int kItems = 100'000;
constexpr int kRows = 10, kItemHeight = 16, kWidth = 200;
// Typed one after the other, each step finds an item further down ("9", "99" ... "99999").
constexpr int kSearchSteps = 5;

// "00000 Station 87.5 MHz" and on: the five digits make every search step a long scan.
const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        t.reserve(kItems);
        char buffer[64];
        for (int i = 0; i < kItems; ++i) {
            std::snprintf(buffer, sizeof buffer, "%05d Station %d.%d MHz", i, 87 + i % 21, i % 10);
            t.emplace_back(buffer);
        }
        return t;
    }();
    return texts;
}

const QStringList& QTexts()
{
    static const QStringList texts = [] {
        QStringList t;
        t.reserve(kItems);
        for (const std::string& s : Texts()) t.append(QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())));
        return t;
    }();
    return texts;
}

void Fill(editors::TPopupListboxEx& list)
{
    list.SetItemHeight(kItemHeight);
    list.Items().BeginUpdate();
    for (const std::string& s : Texts()) list.Items().Add(s);
    list.Items().EndUpdate();
    list.SetBounds(100, 100, kWidth, 0);
    list.SetRows(kRows);
}

// One fill and open of each, the list freed after it.
void PopupListboxFillAndOpen()
{
    editors::TPopupListboxEx list(nullptr);
    Fill(list);
    ui::ShowPopupNoActivate(&list);
    list.repaint();
    benchmark::DoNotOptimize(list.Count());
}

void QListWidgetFillAndOpen()
{
    QListWidget list;
    list.setUniformItemSizes(true);
    list.setFont(ui::TFont().ToQFont());
    list.addItems(QTexts());
    list.setGeometry(100, 100, kWidth, kRows * kItemHeight + 4);
    list.show();
    list.repaint();
    benchmark::DoNotOptimize(list.count());
}

void BM_PopupListboxFillAndOpen(benchmark::State& state)
{
    Texts();
    for (auto _ : state) PopupListboxFillAndOpen();
    state.counters["items"] = kItems;
}
BENCHMARK(BM_PopupListboxFillAndOpen)->Unit(benchmark::kMillisecond);

void BM_QListWidgetFillAndOpen(benchmark::State& state)
{
    QTexts();
    for (auto _ : state) QListWidgetFillAndOpen();
    state.counters["items"] = kItems;
}
BENCHMARK(BM_QListWidgetFillAndOpen)->Unit(benchmark::kMillisecond);

void RegisterFillAndOpenFigure()
{
    paired::TFigure figure;
    figure.Name = "BM_DropDownListFillAndOpen";
    figure.Label = "drop-down list of 100,000 items, fill and open / QListWidget";
    figure.Project = [] { PopupListboxFillAndOpen(); };
    figure.Baseline = [] { QListWidgetFillAndOpen(); };
    figure.Goal = 0.5;
    figure.MinBatchSeconds = 0.2;
    paired::Register(std::move(figure));
}

void BM_PopupListboxSearch(benchmark::State& state)
{
    editors::TPopupListboxEx list(nullptr);
    Fill(list);
    ui::ShowPopupNoActivate(&list);
    for (auto _ : state) {
        char reset = 27; // Esc starts a new search
        list.KeyPressFromOwner(reset);
        for (int i = 0; i < kSearchSteps; ++i) {
            char key = '9';
            list.KeyPressFromOwner(key);
        }
        benchmark::DoNotOptimize(list.ItemIndex());
    }
    if (list.ItemIndex() != kItems - 1) state.SkipWithError("the search did not reach the last item");
    state.counters["steps"] = kSearchSteps;
}
BENCHMARK(BM_PopupListboxSearch)->Unit(benchmark::kMicrosecond);

void BM_QListWidgetSearch(benchmark::State& state)
{
    QListWidget list;
    list.setUniformItemSizes(true);
    list.addItems(QTexts());
    list.setGeometry(100, 100, kWidth, kRows * kItemHeight + 4);
    list.show();
    for (auto _ : state) {
        list.keyboardSearch(QString());
        for (int i = 0; i < kSearchSteps; ++i) list.keyboardSearch(QStringLiteral("9"));
        benchmark::DoNotOptimize(list.currentRow());
    }
    if (list.currentRow() != kItems - 1) state.SkipWithError("the search did not reach the last item");
    state.counters["steps"] = kSearchSteps;
}
BENCHMARK(BM_QListWidgetSearch)->Unit(benchmark::kMicrosecond);

// ---- scrolling under a bound editor ----

constexpr int kRecords = 100'000;

// ID, NAME ("Station n") and FREQUENCY (shown "0.0"), one record per station.
db::TMemDataSet& Stations()
{
    static db::TMemDataSet* stations = [] {
        auto* ds = new db::TMemDataSet;
        ds->AddField<db::TIntegerField>("ID");
        ds->AddField<db::TStringField>("NAME", db::fkData, 30);
        ds->AddField<db::TFloatField>("FREQUENCY")->SetDisplayFormat("0.0");
        ds->Open();
        for (int i = 0; i < kRecords; ++i) {
            ds->Append();
            ds->FieldByName("ID")->SetAsInteger(i);
            ds->FieldByName("NAME")->SetAsString("Station " + std::to_string(i));
            ds->FieldByName("FREQUENCY")->SetAsFloat(87.5 + (i % 205) * 0.1);
            ds->Post();
        }
        return ds;
    }();
    return *stations;
}

// From the first record to the last; returns the records passed.
int ScrollAll(db::TDataSet& ds)
{
    int records = 1;
    ds.First();
    for (ds.Next(); !ds.Eof(); ds.Next()) ++records;
    return records;
}

void BM_ScrollNoEditor(benchmark::State& state)
{
    db::TMemDataSet& ds = Stations();
    int records = 0;
    for (auto _ : state) records = ScrollAll(ds);
    if (records != kRecords) state.SkipWithError("the scroll did not pass every record");
    state.counters["records"] = records;
}
BENCHMARK(BM_ScrollNoEditor)->Unit(benchmark::kMillisecond);

void BM_ScrollBoundEditor(benchmark::State& state)
{
    db::TMemDataSet& ds = Stations();
    ui::TForm form;
    form.SetBounds(100, 100, 300, 100);
    editors::TCustomDBEditEx* edit = state.range(0) == 2 ? new editors::TDBNumberEditEx(&form)
                                                         : new editors::TCustomDBEditEx(&form);
    edit->SetBounds(10, 10, 200, 21);
    edit->GetEditButton()->SetVisible(true);
    form.Show();
    db::TDataSource source;
    source.SetDataSet(&ds);
    edit->SetDataSource(&source);
    const char* field = state.range(0) == 0 ? "NAME" : "FREQUENCY";
    edit->SetDataField(field);
    int records = 0;
    for (auto _ : state) records = ScrollAll(ds);
    const std::string last = ds.FieldByName(field)->DisplayText();
    if (records != kRecords || edit->Text() != last) state.SkipWithError("the editor did not follow the records");
    state.counters["records"] = records;
    edit->SetDataSource(nullptr);
}
// 0: a string field; 1: a float field with a display format; 2: the same under a numeric
// editor, which reads the number and shows it in that format.
BENCHMARK(BM_ScrollBoundEditor)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The ratio reporter, and what the editor adds to a record: the difference of the two
// scrolls' times over the records scrolled.
class TScrollReporter : public paired::TReporter {
public:

    void ReportRuns(const std::vector<Run>& runs) override
    {
        // As the ratios: the mean of repetitions when there are some, else the single run.
        for (const Run& r : runs) {
            const bool mean = r.run_type == Run::RT_Aggregate && r.aggregate_name == "mean";
            if (mean || (r.run_type == Run::RT_Iteration && r.repetitions <= 1))
                scrollTimes_[r.run_name.str()] = r.GetAdjustedRealTime();
        }
        paired::TReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        paired::TReporter::Finalize();
        const auto baseline = scrollTimes_.find("BM_ScrollNoEditor");
        if (baseline == scrollTimes_.end()) return;
        for (const char* name : {"BM_ScrollBoundEditor/0", "BM_ScrollBoundEditor/1", "BM_ScrollBoundEditor/2"}) {
            const auto measured = scrollTimes_.find(name);
            if (measured == scrollTimes_.end()) continue;
            // Times are in milliseconds.
            const double perRecordUs = (measured->second - baseline->second) * 1000.0 / kRecords;
            std::printf("%s: the bound editor adds %.3f us a record (target: under 2)\n", name, perRecordUs);
        }
    }

private:
    std::map<std::string, double> scrollTimes_;
};

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    RegisterFillAndOpenFigure();
    TScrollReporter reporter;
    reporter.AddRatio("BM_PopupListboxFillAndOpen", "BM_QListWidgetFillAndOpen",
                      "fill and open: drop-down list / QListWidget time (below 1 is faster)");
    reporter.AddRatio("BM_PopupListboxSearch", "BM_QListWidgetSearch",
                      "search: drop-down list / QListWidget time (below 1 is faster)");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
