// Texts of 100,000 characters (about 16,000 words) laid out as cells lay them out: cut
// with an end ellipsis to a 300-pixel cell, wrapped into one line as wide as the text
// (the optimal width of a wrapped memo), wrapped into a 150-pixel column, and written
// wrapped into a cell as wide as the text through the shared bitmap; each against measuring
// the whole text once, in the same run. A routine that measures again per character or
// per word takes thousands of times that measurement; these stay within a few dozen.
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/grid/DBGridExText.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Metrics.h"

namespace {

const std::string& LongText()
{
    static const std::string text = [] {
        std::string t;
        while (t.size() < 100'000) t += "word" + std::to_string(t.size() % 97) + " ";
        t.pop_back();
        return t;
    }();
    return text;
}

void BM_MeasureOnce(benchmark::State& state)
{
    ui::TCanvas canvas;
    for (auto _ : state) benchmark::DoNotOptimize(canvas.TextWidth(LongText()));
}
BENCHMARK(BM_MeasureOnce)->Unit(benchmark::kMillisecond);

void BM_EndEllipsis(benchmark::State& state)
{
    ui::TCanvas canvas;
    for (auto _ : state) benchmark::DoNotOptimize(grid::TruncateTextEx(LongText(), canvas, 300));
}
BENCHMARK(BM_EndEllipsis)->Unit(benchmark::kMillisecond);

int Wrapped(ui::TCanvas& canvas, int width)
{
    ui::TRect box{0, 0, width, 0};
    return canvas.DrawText(LongText(), box, ui::DT_CALCRECT | ui::DT_WORDBREAK | ui::DT_NOPREFIX);
}

void BM_WrapIntoOneLine(benchmark::State& state)
{
    ui::TCanvas canvas;
    const int width = canvas.TextWidth(LongText());
    for (auto _ : state) benchmark::DoNotOptimize(Wrapped(canvas, width));
}
BENCHMARK(BM_WrapIntoOneLine)->Unit(benchmark::kMillisecond);

void BM_WrapIntoAColumn(benchmark::State& state)
{
    ui::TCanvas canvas;
    for (auto _ : state) benchmark::DoNotOptimize(Wrapped(canvas, 150));
}
BENCHMARK(BM_WrapIntoAColumn)->Unit(benchmark::kMillisecond);

void BM_WriteWrappedCell(benchmark::State& state)
{
    QImage image(800, 40, QImage::Format_RGB32);
    grid::TDrawBitmapUse bitmap;
    ui::TCanvas measure;
    const int width = measure.TextWidth(LongText());
    for (auto _ : state) {
        QPainter painter(&image);
        ui::TCanvas canvas;
        canvas.Attach(&painter, {0, 0, image.width(), image.height()});
        grid::WriteTextEx(canvas, {0, 0, width, 40}, false, 2, 2, LongText(), rtl::taLeftJustify, ui::tlTop, true,
                          false);
        canvas.Detach();
    }
}
BENCHMARK(BM_WriteWrappedCell)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    TTimeRatioReporter reporter("BM_EndEllipsis", "BM_MeasureOnce", "end ellipsis / one measurement");
    reporter.AddRatio("BM_WrapIntoOneLine", "BM_MeasureOnce", "wrap into one line / one measurement");
    reporter.AddRatio("BM_WrapIntoAColumn", "BM_MeasureOnce", "wrap into a column / one measurement");
    reporter.AddRatio("BM_WriteWrappedCell", "BM_MeasureOnce", "write a wrapped cell / one measurement");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
