#pragma once
// Tells its events when a USB device arrives or leaves: a udev monitor of the "usb"
// subsystem (whole devices, not their interfaces), read from the main loop. Where no
// monitor can be opened, no notices come; detection still runs at start.
#include <memory>
#include <string>

#include "platform/rtl/Component.h"
#include "platform/rtl/Persistent.h"

namespace device_link {

class TPnPNotificator : public rtl::TComponent {
public:
    explicit TPnPNotificator(rtl::TComponent* owner);
    ~TPnPNotificator() override;

    // Sender: this notificator. Called only when assigned.
    rtl::TNotifyEvent OnDeviceArrival;
    rtl::TNotifyEvent OnDeviceRemove;

    // What a udev notice of a USB device leads to: "add" calls OnDeviceArrival,
    // "remove" calls OnDeviceRemove, any other action nothing. Tests call it to
    // stand for a device plugged in or out.
    void DeviceChange(const std::string& action);
    // Whether a udev monitor is open.
    bool Monitoring() const;

private:
    struct Monitor;
    void ReadMonitor();

    std::unique_ptr<Monitor> monitor_;
};

} // namespace device_link
