#include "device_link/DeviceView.h"

namespace device_link {

namespace {

TDeviceRDSViewFactory& viewFactory()
{
    static TDeviceRDSViewFactory factory;
    return factory;
}

} // namespace

void RegisterDeviceRDSViewFactory(TDeviceRDSViewFactory factory) { viewFactory() = std::move(factory); }

std::unique_ptr<IDeviceRDSView> CreateDeviceRDSView()
{
    const auto& factory = viewFactory();
    return factory ? factory() : nullptr;
}

} // namespace device_link
