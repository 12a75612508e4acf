// One full screen of a 40-row by 12-column text grid painted into an image: the
// base grid against QTableView over a QStandardItemModel with the same texts, sizes
// and headers (the grid's fixed row and column), measured in the same run.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include "platform/ui/Grids.h"
#include "platform/ui/Metrics.h"
#include "TimeRatioReporter.h"

namespace {

constexpr int kRows = 40, kCols = 12, kColWidth = 80, kRowHeight = 20;

std::string CellText(int col, int row)
{
    if (row == 0) return "Column " + std::to_string(col);
    if (col == 0) return std::to_string(row);
    return "R" + std::to_string(row) + "C" + std::to_string(col) + " 87.5 MHz";
}

class TTextGrid : public ui::TCustomGrid {
public:
    TTextGrid()
    {
        texts_.resize(kRows * kCols);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) texts_[r * kCols + c] = CellText(c, r);
        SetBorderStyle(ui::bsNone);
        SetScrollBars(ui::ssNone);
        SetColCount(kCols);
        SetRowCount(kRows);
        SetDefaultColWidth(kColWidth);
        SetDefaultRowHeight(kRowHeight);
        SetBounds(0, 0, kCols * (kColWidth + 1), kRows * (kRowHeight + 1));
    }

protected:
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState) override
    {
        Canvas().TextRect(rect, rect.Left + 2, rect.Top + 2, texts_[row * kCols + col]);
    }

private:
    std::vector<std::string> texts_;
};

struct TTableFixture {
    QStandardItemModel model{kRows - 1, kCols - 1};
    QTableView view;
    TTableFixture()
    {
        for (int r = 1; r < kRows; ++r)
            for (int c = 1; c < kCols; ++c)
                model.setItem(r - 1, c - 1, new QStandardItem(QString::fromStdString(CellText(c, r))));
        for (int c = 1; c < kCols; ++c)
            model.setHorizontalHeaderItem(c - 1, new QStandardItem(QString::fromStdString(CellText(c, 0))));
        for (int r = 1; r < kRows; ++r)
            model.setVerticalHeaderItem(r - 1, new QStandardItem(QString::fromStdString(CellText(0, r))));
        view.setModel(&model);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setFrameShape(QFrame::NoFrame);
        view.horizontalHeader()->setMinimumSectionSize(1);
        view.verticalHeader()->setMinimumSectionSize(1);
        view.horizontalHeader()->setDefaultSectionSize(kColWidth + 1);
        view.verticalHeader()->setDefaultSectionSize(kRowHeight + 1);
        view.horizontalHeader()->setFixedHeight(kRowHeight + 1);
        view.verticalHeader()->setFixedWidth(kColWidth + 1);
        view.resize(kCols * (kColWidth + 1), kRows * (kRowHeight + 1));
        view.show();
    }
};

QImage& Target()
{
    static QImage image(kCols * (kColWidth + 1), kRows * (kRowHeight + 1), QImage::Format_ARGB32_Premultiplied);
    return image;
}

void BM_BaseGridPaint(benchmark::State& state)
{
    TTextGrid grid;
    grid.show();
    QImage& image = Target();
    for (auto _ : state) {
        grid.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = kRows * kCols;
}
BENCHMARK(BM_BaseGridPaint)->Unit(benchmark::kMicrosecond);

void BM_QTableViewPaint(benchmark::State& state)
{
    TTableFixture table;
    QImage& image = Target();
    for (auto _ : state) {
        table.view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = kRows * kCols;
}
BENCHMARK(BM_QTableViewPaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    TTimeRatioReporter reporter("BM_BaseGridPaint", "BM_QTableViewPaint",
                                "base grid / QTableView time (below 1 is faster)");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
