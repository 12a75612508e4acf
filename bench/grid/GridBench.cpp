// One full screen of a 40-row by 12-column text grid painted into an image: the
// base grid against QTableView over a QStandardItemModel with the same texts, sizes,
// font and headers (the grid's fixed row and column), the two in turns in the same run
// (paired figures): once with both scroll bars shown (more rows and columns than the
// screen holds) and once with both hidden.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include "PairedRatio.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/StdControls.h"

namespace {

// On screen: 40 rows by 12 columns, the fixed ones included. With bars the grid has more
// of both than the screen shows.
constexpr int kRows = 40, kCols = 12, kColWidth = 80, kRowHeight = 20;
constexpr int kMoreRows = 400, kMoreCols = 20;

std::string CellText(int col, int row)
{
    if (row == 0) return "Column " + std::to_string(col);
    if (col == 0) return std::to_string(row);
    return "R" + std::to_string(row) + "C" + std::to_string(col) + " 87.5 MHz";
}

class TTextGrid : public ui::TCustomGrid {
public:
    explicit TTextGrid(bool bars) : rows_(bars ? kMoreRows : kRows), cols_(bars ? kMoreCols : kCols)
    {
        texts_.resize(static_cast<std::size_t>(rows_ * cols_));
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c) texts_[static_cast<std::size_t>(r * cols_ + c)] = CellText(c, r);
        SetBorderStyle(ui::bsNone);
        SetScrollBars(bars ? ui::ssBoth : ui::ssNone);
        SetColCount(cols_);
        SetRowCount(rows_);
        SetDefaultColWidth(kColWidth);
        SetDefaultRowHeight(kRowHeight);
        const int barWidth = bars ? ui::Metrics().VScrollWidth : 0, barHeight = bars ? ui::Metrics().HScrollHeight : 0;
        SetBounds(0, 0, kCols * (kColWidth + 1) + barWidth, kRows * (kRowHeight + 1) + barHeight);
    }
    bool BarsShown() const { return ScrollBarShown(ui::sbVertical) && ScrollBarShown(ui::sbHorizontal); }

protected:
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState) override
    {
        Canvas().TextRect(rect, rect.Left + 2, rect.Top + 2, texts_[static_cast<std::size_t>(row * cols_ + col)]);
    }

private:
    int rows_, cols_;
    std::vector<std::string> texts_;
};

struct TTableFixture {
    QStandardItemModel model;
    QTableView view;
    TTableFixture(const TTextGrid& grid, bool bars)
        : model(bars ? kMoreRows - 1 : kRows - 1, bars ? kMoreCols - 1 : kCols - 1)
    {
        for (int r = 1; r <= model.rowCount(); ++r)
            for (int c = 1; c <= model.columnCount(); ++c)
                model.setItem(r - 1, c - 1, new QStandardItem(QString::fromStdString(CellText(c, r))));
        for (int c = 1; c <= model.columnCount(); ++c)
            model.setHorizontalHeaderItem(c - 1, new QStandardItem(QString::fromStdString(CellText(c, 0))));
        for (int r = 1; r <= model.rowCount(); ++r)
            model.setVerticalHeaderItem(r - 1, new QStandardItem(QString::fromStdString(CellText(0, r))));
        view.setModel(&model);
        const Qt::ScrollBarPolicy policy = bars ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        view.setHorizontalScrollBarPolicy(policy);
        view.setVerticalScrollBarPolicy(policy);
        view.setFont(const_cast<TTextGrid&>(grid).Font().ToQFont());
        view.setFrameShape(QFrame::NoFrame);
        view.horizontalHeader()->setMinimumSectionSize(1);
        view.verticalHeader()->setMinimumSectionSize(1);
        view.horizontalHeader()->setDefaultSectionSize(kColWidth + 1);
        view.verticalHeader()->setDefaultSectionSize(kRowHeight + 1);
        view.horizontalHeader()->setFixedHeight(kRowHeight + 1);
        view.verticalHeader()->setFixedWidth(kColWidth + 1);
        view.resize(grid.Width(), grid.Height());
        view.show();
    }
};

QImage& Target()
{
    static QImage image(kMoreCols * (kColWidth + 1), kRows * (kRowHeight + 1) + 40, QImage::Format_ARGB32_Premultiplied);
    return image;
}

void Render(QWidget& widget)
{
    widget.render(&Target());
    benchmark::DoNotOptimize(Target().constBits());
}

// Made and freed by main, while the application lives.
std::unique_ptr<TTextGrid> shownGrid, hiddenGrid;
std::unique_ptr<TTableFixture> shownTable, hiddenTable;

// The grid's vertical bar as a screen shows it beside a plain Qt bar of the same size and
// values: what painting it in strips (off Qt's thread pool) saves in wall time.
struct TBars {
    ui::TScrollBar own{nullptr, ui::sbVertical};
    QScrollBar plain{Qt::Vertical};
    TBars()
    {
        own.SetBounds(0, 0, ui::Metrics().VScrollWidth, kRows * (kRowHeight + 1));
        own.SetParams(100, 0, kMoreRows);
        own.SetPageSize(kRows);
        plain.setGeometry(0, 0, own.Width(), own.Height());
        plain.setRange(own.Bar()->minimum(), own.Bar()->maximum());
        plain.setPageStep(own.Bar()->pageStep());
        plain.setValue(own.Bar()->value());
        own.show();
        plain.show();
    }
};
std::unique_ptr<TBars> bars;

void RegisterFigure(const char* name, const char* label, std::unique_ptr<TTextGrid>& grid,
                    std::unique_ptr<TTableFixture>& table)
{
    paired::TFigure figure;
    figure.Name = name;
    figure.Label = label;
    figure.Project = [&grid] { Render(*grid); };
    figure.Baseline = [&table] { Render(table->view); };
    figure.Goal = 0.4;
    paired::Register(std::move(figure));
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    shownGrid = std::make_unique<TTextGrid>(true);
    hiddenGrid = std::make_unique<TTextGrid>(false);
    shownGrid->show();
    hiddenGrid->show();
    if (!shownGrid->BarsShown()) {
        std::fprintf(stderr, "the grid shows no scroll bars\n");
        return 1;
    }
    shownTable = std::make_unique<TTableFixture>(*shownGrid, true);
    hiddenTable = std::make_unique<TTableFixture>(*hiddenGrid, false);
    bars = std::make_unique<TBars>();
    paired::TFigure barFigure;
    barFigure.Name = "BM_VerticalBar";
    barFigure.Label = "the grid's vertical bar / a plain Qt bar";
    barFigure.Project = [] { Render(bars->own); };
    barFigure.Baseline = [] { Render(bars->plain); };
    barFigure.Goal = 1.0;
    paired::Register(std::move(barFigure));
    RegisterFigure("BM_BaseGridBarsShown", "base grid / QTableView, both scroll bars shown", shownGrid, shownTable);
    RegisterFigure("BM_BaseGridBarsHidden", "base grid / QTableView, both scroll bars hidden", hiddenGrid, hiddenTable);
    paired::TReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    shownTable.reset();
    hiddenTable.reset();
    shownGrid.reset();
    hiddenGrid.reset();
    bars.reset();
    return 0;
}
