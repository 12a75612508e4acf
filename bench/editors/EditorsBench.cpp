// The drop-down list with 100,000 items: filled and opened (shown and painted), and
// incremental-search steps in it, beside a QListWidget with the same items doing the
// same, measured in the same run.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QListWidget>
#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/editors/DropDownWindows.h"
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

void BM_PopupListboxFillAndOpen(benchmark::State& state)
{
    Texts();
    for (auto _ : state) {
        editors::TPopupListboxEx list(nullptr);
        Fill(list);
        ui::ShowPopupNoActivate(&list);
        list.repaint();
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["items"] = kItems;
}
BENCHMARK(BM_PopupListboxFillAndOpen)->Unit(benchmark::kMillisecond);

void BM_QListWidgetFillAndOpen(benchmark::State& state)
{
    QTexts();
    for (auto _ : state) {
        QListWidget list;
        list.setUniformItemSizes(true);
        list.addItems(QTexts());
        list.setGeometry(100, 100, kWidth, kRows * kItemHeight + 4);
        list.show();
        list.repaint();
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["items"] = kItems;
}
BENCHMARK(BM_QListWidgetFillAndOpen)->Unit(benchmark::kMillisecond);

void BM_PopupListboxSearch(benchmark::State& state)
{
    editors::TPopupListboxEx list(nullptr);
    Fill(list);
    ui::ShowPopupNoActivate(&list);
    for (auto _ : state) {
        char reset = 27;  // Esc starts a new search
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

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    TTimeRatioReporter reporter("BM_PopupListboxFillAndOpen", "BM_QListWidgetFillAndOpen",
                                "fill and open: drop-down list / QListWidget time (below 1 is faster)");
    reporter.AddRatio("BM_PopupListboxSearch", "BM_QListWidgetSearch",
                      "search: drop-down list / QListWidget time (below 1 is faster)");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
