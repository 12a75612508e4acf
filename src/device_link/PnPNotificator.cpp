#include "device_link/PnPNotificator.h"

#include <libudev.h>

#include <QSocketNotifier>

namespace device_link {

struct TPnPNotificator::Monitor {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Monitor()
    {
        notifier.reset();
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
    }

    bool Open()
    {
        context = udev_new();
        if (!context) return false;
        monitor = udev_monitor_new_from_netlink(context, "udev");
        if (!monitor) return false;
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0) return false;
        if (udev_monitor_enable_receiving(monitor) < 0) return false;
        return udev_monitor_get_fd(monitor) >= 0;
    }
};

TPnPNotificator::TPnPNotificator(rtl::TComponent* owner) : TComponent(owner)
{
    auto m = std::make_unique<Monitor>();
    if (!m->Open()) return;
    m->notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m->monitor), QSocketNotifier::Read);
    QObject::connect(m->notifier.get(), &QSocketNotifier::activated, [this] { ReadMonitor(); });
    monitor_ = std::move(m);
}

TPnPNotificator::~TPnPNotificator() = default;

bool TPnPNotificator::Monitoring() const { return monitor_ != nullptr; }

void TPnPNotificator::ReadMonitor()
{
    // The socket is non-blocking: take every notice that is waiting.
    while (udev_device* device = udev_monitor_receive_device(monitor_->monitor)) {
        const char* action = udev_device_get_action(device);
        const std::string text = action ? action : "";
        udev_device_unref(device);
        DeviceChange(text);
    }
}

void TPnPNotificator::DeviceChange(const std::string& action)
{
    if (action == "add") {
        if (OnDeviceArrival) OnDeviceArrival(this);
    } else if (action == "remove") {
        if (OnDeviceRemove) OnDeviceRemove(this);
    }
}

} // namespace device_link
