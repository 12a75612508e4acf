#include "shell/DeviceListView.h"

#include <algorithm>

#include "device_link/DeviceManager.h"
#include "views/DeviceRDS.h"

namespace shell {

namespace {
const char* const kTitles[] = {"Type", "Address", "Alias", "State", "Backlog"};
const int kWidths[] = {50, 140, 160, 150, 110};
} // namespace

TDeviceListView::TDeviceListView(ui::TControl* parent) : ui::TCustomGrid(parent)
{
    SetColCount(colCount);
    SetFixedCols(0);
    SetRowCount(2);
    SetFixedRows(1);
    SetOptions(ui::goFixedVertLine | ui::goFixedHorzLine | ui::goVertLine | ui::goHorzLine | ui::goRowSelect
               | ui::goColSizing);
    SetDefaultRowHeight(20);
    for (int c = 0; c < colCount; ++c) SetColWidths(c, kWidths[c]);
    SetScrollBars(ui::ssVertical);
}

TDeviceListView::~TDeviceListView() { ReleaseGauges(); }

void TDeviceListView::SetManager(device_link::TDeviceManager* manager)
{
    ReleaseGauges();
    manager_ = manager;
    Refresh();
}

device_link::TDevice* TDeviceListView::DeviceAt(int row) const
{
    return manager_ && row >= 1 ? manager_->GetItem(row - 1) : nullptr;
}

device_link::TDevice* TDeviceListView::Selected() const
{
    return DeviceAt(Row());
}

void TDeviceListView::Refresh()
{
    // An empty list keeps one blank row: the grid needs a row below its title.
    const int count = manager_ ? manager_->GetCount() : 0;
    const int rows = std::max(2, count + 1);
    if (RowCount() != rows) SetRowCount(rows);
    PlaceGauges();
    Invalidate();
}

std::string TDeviceListView::CellText(int col, int row) const
{
    if (row == 0) return col >= 0 && col < colCount ? kTitles[col] : "";
    const device_link::TDevice* device = DeviceAt(row);
    if (!device) return {};
    switch (col) {
    case colType: return device->GetTypeText();
    case colAddress: return device->GetAddressText();
    case colAlias: return device->Alias;
    case colState: return views::LinkStateText(device->State);
    default: return {};
    }
}

void TDeviceListView::DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState)
{
    ui::TRect r = rect;
    r.Inflate(-3, 0);
    auto& canvas = Canvas();
    canvas.Brush().SetStyle(ui::bsClear);
    canvas.DrawText(CellText(col, row), r, ui::DT_SINGLELINE | ui::DT_VCENTER | ui::DT_END_ELLIPSIS | ui::DT_NOPREFIX);
    canvas.Brush().SetStyle(ui::bsSolid);
}

void TDeviceListView::PlaceGauges()
{
    // Gauges of units no longer listed (or freed) leave the list.
    std::vector<QPointer<ui::TGauge>> placed;
    const int count = manager_ ? manager_->GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        ui::TGauge& gauge = manager_->GetItem(i)->GetGauge();
        if (gauge.Parent() != this) gauge.SetParent(this);
        ui::TRect r = CellRect(colBacklog, i + 1);
        if (r.IsEmpty()) {
            gauge.Hide();
        } else {
            r.Inflate(-3, -3);
            gauge.SetBoundsRect(r);
            gauge.Show();
        }
        placed.emplace_back(&gauge);
    }
    for (const auto& old : gauges_)
        if (old && std::find(placed.begin(), placed.end(), old) == placed.end()) old->SetParent(nullptr);
    gauges_ = std::move(placed);
}

void TDeviceListView::ReleaseGauges()
{
    for (const auto& gauge : gauges_)
        if (gauge) gauge->SetParent(nullptr);
    gauges_.clear();
}

void TDeviceListView::Resize()
{
    ui::TCustomGrid::Resize();
    PlaceGauges();
}

void TDeviceListView::TopLeftChanged()
{
    ui::TCustomGrid::TopLeftChanged();
    PlaceGauges();
}

void TDeviceListView::ColWidthsChanged()
{
    ui::TCustomGrid::ColWidthsChanged();
    PlaceGauges();
}

} // namespace shell
