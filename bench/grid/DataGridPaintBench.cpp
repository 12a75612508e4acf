// One full screen of the data grid painted into an image: 40 records by 12 columns of a
// memory data set (texts, numbers with display formats, check boxes, images chosen by a
// key list, two-level titles and a footer row of a count, an average and a sum), against
// QTableView showing the same texts, check states, images and headers from a
// QStandardItemModel, in the same run.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include "TimeRatioReporter.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFooters.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Metrics.h"

namespace {

constexpr int kRecords = 40, kColumns = 12, kColWidth = 80;
const ui::TColor kImageColors[] = {ui::clRed, ui::clLime, ui::clBlue};

// The records and the grid showing them.
struct TGridFixture {
    db::TMemDataSet data;
    db::TDataSource source;
    ui::TImageList images{10, 10};
    grid::TDBGridEx grid;

    TGridFixture()
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
        data.Open();
        for (int i = 0; i < kRecords; ++i) {
            data.Append();
            data.FieldByName("ID")->SetAsInteger(i + 1);
            data.FieldByName("STATION")->SetAsString("Station " + std::to_string(i + 1));
            data.FieldByName("FREQUENCY")->SetAsFloat(87.5 + i * 0.3);
            data.FieldByName("LEVEL")->SetAsFloat(1234.5 + i * 17.25);
            data.FieldByName("STEREO")->SetAsBoolean(i % 2 == 0);
            data.FieldByName("KIND")->SetAsString(std::string(1, char('A' + i % 3)));
            data.FieldByName("PI")->SetAsString("D3" + std::to_string(10 + i));
            data.FieldByName("FRAMES")->SetAsInteger(100000 + i * 977);
            data.FieldByName("TEXT")->SetAsString("Radio text of record " + std::to_string(i + 1));
            data.FieldByName("TA")->SetAsBoolean(i % 3 == 0);
            data.FieldByName("ERRORS")->SetAsFloat(i * 0.125);
            data.FieldByName("NOTE")->SetAsString("note " + std::to_string(i));
            data.Post();
        }
        data.First();
        source.SetDataSet(&data);

        grid.SetDataSource(&source);
        grid.BeginLayout();
        const char* captions[] = {"Station|Id", "Station|Name", "Tuning|Frequency", "Tuning|Level", "Stereo",
                                  "Kind", "RDS|PI", "RDS|Frames", "RDS|Text", "TA", "Errors", "Note"};
        // The grid's own columns from its fields go when the first stored one is laid out.
        grid::TColumnEx* columns[kColumns];
        for (int i = 0; i < kColumns; ++i) {
            columns[i] = grid.Columns().Add();
            columns[i]->SetFieldName(data.Fields()[static_cast<std::size_t>(i)]->GetFieldName());
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
        grid.EndLayout();
        grid.SumList().SetActive(true);
        grid.SetBounds(0, 0, Width(), 1000);
        grid.show();
        // Exactly the records, the footer and the titles: one screen.
        const int rows = grid.RowHeights(0) + 1 + (kRecords + 1) * (grid.DefaultRowHeight() + 1) + 1;
        grid.SetBounds(0, 0, Width(), grid.ClientOffset().Y * 2 + rows);
    }
    static int Width() { return kColumns * (kColWidth + 1) + 4; }
};

// The same texts, check states, images and headers in a QTableView.
struct TTableFixture {
    QStandardItemModel model{kRecords, kColumns};
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
        for (int r = 0; r < kRecords; ++r, data.Next()) {
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
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.verticalHeader()->hide();
        view.horizontalHeader()->setDefaultSectionSize(kColWidth + 1);
        view.verticalHeader()->setDefaultSectionSize(grid.grid.DefaultRowHeight() + 1);
        view.horizontalHeader()->setFixedHeight(grid.grid.RowHeights(0) + 1);
        view.resize(grid.grid.Width(), grid.grid.Height());
        view.show();
    }
};

// Made and freed by main, while the application lives.
std::unique_ptr<TGridFixture> gridFixture;

TGridFixture& Grid()
{
    return *gridFixture;
}

QImage& Target()
{
    static QImage image(Grid().grid.Width(), Grid().grid.Height(), QImage::Format_ARGB32_Premultiplied);
    return image;
}

void BM_DBGridExPaint(benchmark::State& state)
{
    TGridFixture& fixture = Grid();
    QImage& image = Target();
    for (auto _ : state) {
        fixture.grid.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = kRecords * kColumns;
}
BENCHMARK(BM_DBGridExPaint)->Unit(benchmark::kMicrosecond);

void BM_QTableViewPaint(benchmark::State& state)
{
    TTableFixture table(Grid());
    QImage& image = Target();
    for (auto _ : state) {
        table.view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cells"] = kRecords * kColumns;
}
BENCHMARK(BM_QTableViewPaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ui::SetMetrics(ui::TSystemMetrics::Fixed());
    benchmark::Initialize(&argc, argv);
    gridFixture = std::make_unique<TGridFixture>();
    // One screen shows every record.
    if (Grid().grid.DataRowCount() < kRecords) {
        std::fprintf(stderr, "the grid shows %d records, not %d\n", Grid().grid.DataRowCount(), kRecords);
        return 1;
    }
    // KV_BENCH_PICTURE=file.png keeps a picture of the grid measured.
    if (const char* picture = std::getenv("KV_BENCH_PICTURE")) Grid().grid.grab().save(picture);
    TTimeRatioReporter reporter("BM_DBGridExPaint", "BM_QTableViewPaint",
                                "DBGridEx / QTableView time (below 1 is faster)");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    gridFixture.reset();
    return 0;
}
