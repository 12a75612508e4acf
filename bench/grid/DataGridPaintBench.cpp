// The data grid against QTableView, like with like, in the same run (paired figures: the
// two in turns, the order swapped each repetition):
//  - one full screen painted into an image: 40 records by 12 columns of a memory data set
//    (texts, numbers with display formats, check boxes, images chosen by a key list,
//    two-level titles and a footer row of a count, an average and a sum), against a
//    QTableView showing the same texts, check states, images and headers from a
//    QStandardItemModel at the same size and font; once with both scroll bars shown
//    (more records and columns than the screen holds) and once with both hidden; and the
//    first paint of a screen, before the canvases keep any text laid out (TextRuns.h), with
//    the bars shown;
//  - Page Down over 1,000,000 records of a memory data set laid out as the log view (the
//    same columns and texts as grid_log_query_bench shows of the log query) with the
//    repaint the screen then does (the parts that changed painted into the window), the
//    median of many (goal at most 1.5 ms).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include "GridScreen.h"
#include "PairedRatio.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFooters.h"
#include "controls/grid/DBGridExScrollBars.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/TextRuns.h"

namespace {

// On screen: 40 records by 12 columns. The data has two columns more, and more
// records, so that both bars have something to scroll.
constexpr int kShownRecords = 40, kShownColumns = 12, kColumns = 14, kColWidth = 80;
constexpr int kScreenRecords = 1000, kLogRecords = 1'000'000;
const ui::TColor kImageColors[] = {ui::clRed, ui::clLime, ui::clBlue};

// The records and the grid showing them.
struct TGridFixture {
    db::TMemDataSet data;
    db::TDataSource source;
    ui::TImageList images{10, 10};
    grid::TDBGridEx grid;
    bool bars;

    TGridFixture(int records, bool withBars) : bars(withBars)
    {
        for (ui::TColor color : kImageColors) {
            ui::TBitmap square(10, 10);
            square.Canvas().Brush().SetColor(color);
            square.Canvas().FillRect({0, 0, 10, 10});
            images.Add(square);
        }
        data.AddField<db::TIntegerField>("ID");
        data.AddField<db::TStringField>("STATION", db::fkData, 24);
        data.AddField<db::TFloatField>("FREQUENCY");
        data.AddField<db::TFloatField>("LEVEL");
        data.AddField<db::TBooleanField>("STEREO");
        data.AddField<db::TStringField>("KIND", db::fkData, 1);
        data.AddField<db::TStringField>("PI", db::fkData, 4);
        data.AddField<db::TIntegerField>("FRAMES");
        data.AddField<db::TStringField>("TEXT", db::fkData, 40);
        data.AddField<db::TBooleanField>("TA");
        data.AddField<db::TFloatField>("ERRORS");
        data.AddField<db::TStringField>("NOTE", db::fkData, 20);
        data.AddField<db::TStringField>("PTY", db::fkData, 16);
        data.AddField<db::TIntegerField>("GROUPS");
        data.Open();
        db::TField* const fields[] = {data.FieldByName("ID"), data.FieldByName("STATION"), data.FieldByName("FREQUENCY"),
                                      data.FieldByName("LEVEL"), data.FieldByName("STEREO"), data.FieldByName("KIND"),
                                      data.FieldByName("PI"), data.FieldByName("FRAMES"), data.FieldByName("TEXT"),
                                      data.FieldByName("TA"), data.FieldByName("ERRORS"), data.FieldByName("NOTE"),
                                      data.FieldByName("PTY"), data.FieldByName("GROUPS")};
        for (int i = 0; i < records; ++i) {
            data.Append();
            fields[0]->SetAsInteger(i + 1);
            fields[1]->SetAsString("Station " + std::to_string(i % 1000 + 1));
            fields[2]->SetAsFloat(87.5 + (i % 200) * 0.1);
            fields[3]->SetAsFloat(1234.5 + (i % 1000) * 17.25);
            fields[4]->SetAsBoolean(i % 2 == 0);
            fields[5]->SetAsString(std::string(1, char('A' + i % 3)));
            fields[6]->SetAsString("D3" + std::to_string(10 + i % 90));
            fields[7]->SetAsInteger(100000 + i % 100000 * 977);
            fields[8]->SetAsString("Radio text of record " + std::to_string(i + 1));
            fields[9]->SetAsBoolean(i % 3 == 0);
            fields[10]->SetAsFloat((i % 1000) * 0.125);
            fields[11]->SetAsString("note " + std::to_string(i % 1000));
            fields[12]->SetAsString("Pop music");
            fields[13]->SetAsInteger(i % 16);
            data.Post();
        }
        data.First();
        source.SetDataSet(&data);

        grid.SetDataSource(&source);
        grid.BeginLayout();
        const char* captions[] = {"Station|Id", "Station|Name", "Tuning|Frequency", "Tuning|Level", "Stereo",
                                  "Kind", "RDS|PI", "RDS|Frames", "RDS|Text", "TA",
                                  "Errors", "Note", "RDS|PTY", "RDS|Groups"};
        // The grid's own columns from its fields go when the first stored one is laid out.
        grid::TColumnEx* columns[kColumns];
        for (int i = 0; i < kColumns; ++i) {
            columns[i] = grid.Columns().Add();
            columns[i]->SetFieldName(fields[i]->GetFieldName());
            columns[i]->SetWidth(kColWidth);
            columns[i]->Title()->SetCaption(captions[i]);
        }
        columns[2]->SetDisplayFormat("0.00 MHz");
        columns[3]->SetDisplayFormat("#,##0.0");
        columns[7]->SetDisplayFormat("#,##0");
        columns[10]->SetDisplayFormat("0.000");
        columns[4]->SetCheckboxes(true);
        columns[9]->SetCheckboxes(true);
        rtl::TStringList keys;
        keys.SetCommaText("A,B,C");
        columns[5]->SetKeyList(&keys);
        columns[5]->SetImageList(&images);
        columns[0]->Footer()->SetValueType(grid::fvtCount);
        columns[2]->Footer()->SetValueType(grid::fvtAvg);
        columns[7]->Footer()->SetValueType(grid::fvtSum);
        grid.SetUseMultiTitle(true);
        grid.SetFooterRowCount(1);
        grid.SetOptions(grid.GetOptions().Exclude(grid::dgIndicator));
        if (!bars) {
            grid.HorzScrollBar().SetVisible(false);
            grid.VertScrollBar().SetVisible(false);
        }
        grid.EndLayout();
        grid.SumList().SetActive(true);
        grid.SetBounds(0, 0, Width(), 1000);
        grid.show();
        // Exactly 40 records, the footer and the titles: one screen.
        const int rows = grid.RowHeights(0) + 1 + (kShownRecords + 1) * (grid.DefaultRowHeight() + 1) + 1;
        grid.SetBounds(0, 0, Width(), grid.ClientOffset().Y * 2 + rows + (bars ? ui::Metrics().HScrollHeight : 0));
        grid.SetLeftCol(grid.FixedCols());
    }
    int Width() const
    {
        return kShownColumns * (kColWidth + 1) + 4 + (bars ? ui::Metrics().VScrollWidth : 0);
    }
    // The grid shows the screen it is meant to, with the bars as asked.
    bool Check(std::string& why) const
    {
        if (grid.DataRowCount() != kShownRecords)
            why = "the grid shows " + std::to_string(grid.DataRowCount()) + " records";
        else if (grid.VisibleColCount() != kShownColumns)
            why = "the grid shows " + std::to_string(grid.VisibleColCount()) + " columns";
        else if (grid.HorzScrollBar().IsShowing() != bars || grid.VertScrollBar().IsShowing() != bars)
            why = bars ? "a scroll bar is hidden" : "a scroll bar shows";
        return why.empty();
    }
};

// The same texts, check states, images and headers in a QTableView of the same size.
struct TTableFixture {
    QStandardItemModel model{kScreenRecords, kColumns};
    QTableView view;

    explicit TTableFixture(TGridFixture& grid)
    {
        QPixmap pixmaps[3];
        for (int i = 0; i < 3; ++i) {
            pixmaps[i] = QPixmap(10, 10);
            pixmaps[i].fill(ui::ToQColor(kImageColors[i]));
        }
        grid::TDBGridColumnsEx& columns = grid.grid.Columns();
        db::TMemDataSet& data = grid.data;
        data.First();
        for (int r = 0; r < kScreenRecords; ++r, data.Next()) {
            for (int c = 0; c < kColumns; ++c) {
                grid::TColumnEx* column = columns.Items(c);
                auto* item = new QStandardItem;
                if (column->GetCheckboxes()) {
                    item->setCheckable(true);
                    item->setCheckState(column->GetCheckboxState() == grid::cbChecked ? Qt::Checked : Qt::Unchecked);
                } else if (column->GetImageList()) {
                    item->setData(pixmaps[column->GetImageIndex()], Qt::DecorationRole);
                } else {
                    item->setText(QString::fromStdString(column->DisplayText()));
                }
                model.setItem(r, c, item);
            }
        }
        data.First();
        for (int c = 0; c < kColumns; ++c)
            model.setHorizontalHeaderItem(
                c, new QStandardItem(QString::fromStdString(columns.Items(c)->Title()->GetCaption())));
        view.setModel(&model);
        const Qt::ScrollBarPolicy policy = grid.bars ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        view.setHorizontalScrollBarPolicy(policy);
        view.setVerticalScrollBarPolicy(policy);
        view.setFont(grid.grid.Font().ToQFont());
        view.verticalHeader()->hide();
        view.horizontalHeader()->setDefaultSectionSize(kColWidth + 1);
        view.verticalHeader()->setDefaultSectionSize(grid.grid.DefaultRowHeight() + 1);
        view.horizontalHeader()->setFixedHeight(grid.grid.RowHeights(0) + 1);
        view.resize(grid.grid.Width(), grid.grid.Height());
        view.show();
    }
};

// The log view's columns over a memory data set: its date texts, unit aliases, item names
// and values, and record numbers, as the log query shows them.
struct TLogFixture {
    db::TMemDataSet data;
    db::TDataSource source;
    grid::TDBGridEx grid;

    TLogFixture()
    {
        data.AddField<db::TStringField>("DTS", db::fkData, 30);
        data.AddField<db::TStringField>("ALIAS", db::fkData, 50);
        data.AddField<db::TStringField>("CODES", db::fkData, 50);
        data.AddField<db::TStringField>("DATAS", db::fkData, 50);
        data.AddField<db::TIntegerField>("ID");
        data.Open();
        db::TField* const fields[] = {data.FieldByName("DTS"), data.FieldByName("ALIAS"), data.FieldByName("CODES"),
                                      data.FieldByName("DATAS"), data.FieldByName("ID")};
        const char* aliases[] = {"", "Roof", "Mast"};
        const char* names[] = {"Frequency", "RF Level", "PS", "RDS Presence", "Stereo Presence", "MPX Level"};
        const char* values[] = {"107.5 MHz", "56.3 dB\xB5V", "RADIO 1 ", "Yes", "Stereo", "75.0 kHz"};
        char date[32];
        for (int i = 0; i < kLogRecords; ++i) {
            data.Append();
            const int second = i % 86400;
            std::snprintf(date, sizeof date, "12/%02d/2023 %02d:%02d:%02d", 1 + i / 86400 % 28, second / 3600,
                          second / 60 % 60, second % 60);
            fields[0]->SetAsString(date);
            fields[1]->SetAsString(aliases[i % 3]);
            fields[2]->SetAsString(names[i * 37 % 6]);
            fields[3]->SetAsString(values[i * 37 % 6]);
            fields[4]->SetAsInteger(i + 1);
            data.Post();
        }
        data.First();
        source.SetDataSet(&data);
        grid.SetBounds(0, 0, 900, 600);
        grid.SetReadOnly(true);
        for (db::TField* field : fields) grid.Columns().Add()->SetFieldName(field->GetFieldName());
        grid.SetDataSource(&source);
        grid.show();
    }
};

// Made and freed by main, while the application lives.
std::unique_ptr<TGridFixture> shownGrid, hiddenGrid;
std::unique_ptr<TLogFixture> logGrid;
std::unique_ptr<TTableFixture> shownTable, hiddenTable;

QImage& Target(const QWidget& widget)
{
    static QImage image;
    if (image.width() < widget.width() || image.height() < widget.height())
        image = QImage(widget.width(), widget.height(), QImage::Format_ARGB32_Premultiplied);
    return image;
}

void RenderWhole(QWidget& widget)
{
    QImage& image = Target(widget);
    widget.render(&image);
    benchmark::DoNotOptimize(image.constBits());
}

// With firstPaint the texts are laid out anew for each paint, as for a screen never
// painted before.
void RegisterScreenFigure(const char* name, const char* label, std::unique_ptr<TGridFixture>& grid,
                          std::unique_ptr<TTableFixture>& table, double goal, bool firstPaint = false)
{
    paired::TFigure figure;
    figure.Name = name;
    figure.Label = label;
    if (firstPaint) figure.PrepareProject = [] { ui::TextRuns().Clear(); };
    figure.Project = [&grid] { RenderWhole(grid->grid); };
    figure.Baseline = [&table] { RenderWhole(table->view); };
    figure.Goal = goal;
    paired::Register(std::move(figure));
}

void BM_PageDownAndRepaint(benchmark::State& state)
{
    if (!logGrid) logGrid = std::make_unique<TLogFixture>();
    TLogFixture& fixture = *logGrid;
    fixture.data.First();
    benchmarks::PaintPending(fixture.grid);
    std::vector<double> times;
    for (auto _ : state) {
        if (fixture.data.Eof()) {
            state.PauseTiming();
            fixture.data.First();
            benchmarks::PaintPending(fixture.grid);
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        if (benchmarks::KeyAndRepaint(fixture.grid, Qt::Key_PageDown) == 0) state.SkipWithError("nothing painted");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds);
    }
    paired::ReportMedian(state, times, 1.5, "Page Down and repaint, 1,000,000 records of a memory data set");
    state.counters["page"] = fixture.grid.VisibleDataRowCount();
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmarks::PaintUpdatesAtOnce();
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    shownGrid = std::make_unique<TGridFixture>(kScreenRecords, true);
    hiddenGrid = std::make_unique<TGridFixture>(kScreenRecords, false);
    for (const TGridFixture* fixture : {shownGrid.get(), hiddenGrid.get()}) {
        std::string why;
        if (!fixture->Check(why)) {
            std::fprintf(stderr, "%s\n", why.c_str());
            return 1;
        }
    }
    shownTable = std::make_unique<TTableFixture>(*shownGrid);
    hiddenTable = std::make_unique<TTableFixture>(*hiddenGrid);
    // KV_BENCH_PICTURE=name keeps pictures of the screens measured with their bars:
    // name-grid.png and name-table.png.
    if (const char* picture = std::getenv("KV_BENCH_PICTURE")) {
        shownGrid->grid.grab().save(QString::fromLocal8Bit(picture) + "-grid.png");
        shownTable->view.grab().save(QString::fromLocal8Bit(picture) + "-table.png");
    }
    RegisterScreenFigure("BM_ScreenBarsShown", "grid screen / QTableView, both scroll bars shown", shownGrid,
                         shownTable, 0.5);
    RegisterScreenFigure("BM_ScreenBarsHidden", "grid screen / QTableView, both scroll bars hidden", hiddenGrid,
                         hiddenTable, 0.5);
    RegisterScreenFigure("BM_ScreenFirstPaint", "grid screen painted first / QTableView, both scroll bars shown",
                         shownGrid, shownTable, 0.5, true);
    benchmark::RegisterBenchmark("BM_PageDownAndRepaint", BM_PageDownAndRepaint)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(benchmarks::StepCount(1000));
    paired::TReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    shownTable.reset();
    hiddenTable.reset();
    shownGrid.reset();
    hiddenGrid.reset();
    logGrid.reset();
    return 0;
}
