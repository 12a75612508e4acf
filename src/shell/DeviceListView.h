#pragma once
// The unit list of the main window: one row per unit of the unit manager with its
// type, address, alias, link state and backlog gauge. The rows are read from the
// manager whenever they are painted; each unit's own gauge control sits in its row
// and repaints itself as the backlog changes.
#include <vector>

#include <QPointer>

#include "platform/ui/Grids.h"
#include "platform/ui/StdControls.h"

namespace device_link {
class TDevice;
class TDeviceManager;
}

namespace shell {

class TDeviceListView : public ui::TCustomGrid {
public:
    // clang-format off
    enum TColumn { colType, colAddress, colAlias, colState, colBacklog, colCount };
    // clang-format on

    explicit TDeviceListView(ui::TControl* parent);
    ~TDeviceListView() override;

    void SetManager(device_link::TDeviceManager* manager);
    // The rows again from the manager: count, texts and gauges.
    void Refresh();
    // The unit of the selected row; nullptr when there is none.
    device_link::TDevice* Selected() const;
    device_link::TDevice* DeviceAt(int row) const;
    // The text of a cell as painted (row 0 is the title row).
    std::string CellText(int col, int row) const;
    // Gives every gauge back to its unit (before the units go).
    void ReleaseGauges();

protected:
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState state) override;
    void Resize() override;
    void TopLeftChanged() override;
    void ColWidthsChanged() override;

private:
    void PlaceGauges();

    device_link::TDeviceManager* manager_ = nullptr;
    std::vector<QPointer<ui::TGauge>> gauges_;
};

} // namespace shell
