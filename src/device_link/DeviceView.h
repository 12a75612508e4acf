#pragma once
// The RDS view a unit object creates for itself. The views live in a higher layer:
// this layer declares what it calls on a view and keeps the factory that the views
// register at start-up. Without a registered factory a unit has no view and works
// without one.
#include <functional>
#include <memory>

#include "device_link/ProtocolAutomata.h"
#include "device_link/communication.h"

namespace device_link {

class TDevice;

class IDeviceRDSView {
public:
    virtual ~IDeviceRDSView() = default;

    // Stores the unit in the view (and in its band analyzer).
    virtual void SetDevice(TDevice* device) = 0;
    // With a unit: reads its settings record (TDevice::GetSettings) and applies it.
    // Without a unit: nothing.
    virtual void ApplySettings() = 0;
    // Every good frame of the unit, on the main thread. The frame belongs to the
    // unit's automaton and is refilled for the next one.
    virtual void ProcessFrame(TProtocolPacket& frame) = 0;
    // The main window shows a unit's new link state on its view.
    virtual void ShowState(TStatus state) = 0;
};

// Makes one view, hidden until shown, owned by the unit that asked for it.
using TDeviceRDSViewFactory = std::function<std::unique_ptr<IDeviceRDSView>()>;

// Registers the factory of the views; an empty one leaves units without a view.
void RegisterDeviceRDSViewFactory(TDeviceRDSViewFactory factory);
// A new view from the registered factory; nullptr when none is registered.
std::unique_ptr<IDeviceRDSView> CreateDeviceRDSView();

} // namespace device_link
