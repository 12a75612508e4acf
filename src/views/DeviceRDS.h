#pragma once
// The RDS view of one unit: a window the unit object creates for itself (hidden until
// shown). It receives every good frame of its unit on the main thread, shows each
// item's name and payload text, takes the unit's name and firmware from the frames,
// writes one log record per item, and shows the unit's presets and link state.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "device_link/DeviceView.h"
#include "platform/ui/Form.h"

namespace device_link {
class TDevice;
}
namespace ui {
class TSpeedButton;
class TTimer;
}

namespace views {

class TTextLabel;
class TRdsItemGrid;

// The text of a link state as the views and the unit list show it.
std::string LinkStateText(device_link::TStatus state);

class TDeviceRDSForm : public ui::TForm, public device_link::IDeviceRDSView {
public:
    TDeviceRDSForm();
    ~TDeviceRDSForm() override;

    // ---- what the unit object calls
    void SetDevice(device_link::TDevice* device) override;
    // The preset buttons show the unit's presets in MHz ("%3.1f"); nothing without a unit.
    void ApplySettings() override;
    // Every item: shown, unit name (12) and firmware (2) taken, one log record written.
    void ProcessFrame(device_link::TProtocolPacket& frame) override;
    // The main window's notice of a new link state: the status line shows it at once.
    void ShowState(device_link::TStatus state) override;

    device_link::TDevice* GetDevice() const { return device_; }

    // The status line again from the unit's link state (the timer runs it once a second).
    void RefreshStatus();
    // The interval of that refresh, in ms.
    void SetStatusInterval(int ms);

    // ---- what the view shows (one row per item code seen, in code order)
    int ItemCount() const { return static_cast<int>(items_.size()); }
    bool HasItem(int code) const { return items_.count(code) != 0; }
    std::string ItemName(int code) const;
    std::string ItemText(int code) const;
    std::string StatusText() const;
    std::string PresetCaption(int index) const; // index 0 to 2

    // Controls
    ui::TSpeedButton* btnPreset1;
    ui::TSpeedButton* btnPreset2;
    ui::TSpeedButton* btnPreset3;
    TRdsItemGrid* lvItems;
    TTextLabel* sbStatus;
    ui::TTimer* tmStatus;

protected:
    void Resize() override;

private:
    friend class TRdsItemGrid;
    struct TItemRow {
        std::string Name;
        std::string Text;
        std::string Payload; // the texts are of this payload
        bool Shown = false;
    };

    void tmStatusTimer(rtl::TObject* sender);
    void ShowStatus(device_link::TStatus state);
    void ShowItem(int code, std::string_view payload);
    void UpdateCaption();

    device_link::TDevice* device_ = nullptr;
    std::map<int, TItemRow> items_;
};

// Lets every unit object created from now on make its view of this class.
void RegisterDeviceRDSView();

} // namespace views
