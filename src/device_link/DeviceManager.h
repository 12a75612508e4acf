#pragma once
// The unit manager: the list of every unit object, stored in the unit list or found
// attached to this computer. It detects USB bridges and serial ports, merges the
// stored rows in, keeps the list ordered by list position, drops units that are
// neither stored nor attached, and passes the units' data, state, backlog and
// connect events on to the main window. USB arrivals and removals run a new
// detection. Main thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "device_link/Device.h"
#include "device_link/communication.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Delegate.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"

namespace device_link {

class TPnPNotificator;

// One row of the unit list as the main window hands it over.
struct TDeviceInfo {
    std::int32_t DeviceType = 0; // 1 USB, 2 serial, 3 TCP
    std::string ComPort;
    std::string IP; // dotted
    std::int32_t TcpPort = 0;
    std::string UsbSerial;
    std::string Serial, Alias, UserId, Password;
    std::int32_t Id = 0;
    rtl::TMemoryStream Config; // the CONFIG column: the unit's settings record
    std::int32_t Pos = 0;
    std::int32_t MapX = 0, MapY = 0, MapLock = 0;
};

using TDeviceDataEvent = rtl::Delegate<void(TDevice* device, const TArray& packet)>;
using TDeviceStateEvent = rtl::Delegate<void(TDevice* device, TStatus state)>;
using TDeviceBufferEvent = rtl::Delegate<void(TDevice* device, const TComStats& stats)>;
// action: 0 the unit's Connect was called, 1 its Disconnect.
using TDeviceActionEvent = rtl::Delegate<void(TDevice* device, int action)>;

class TDeviceManager : public rtl::TObject {
public:
    // Detects the attached units, then listens for USB arrivals and removals through
    // a notificator owned by owner (and freed by the manager).
    explicit TDeviceManager(rtl::TComponent* owner);
    // Frees the notificator, then disconnects and frees every unit.
    ~TDeviceManager() override;
    TDeviceManager(const TDeviceManager&) = delete;
    TDeviceManager& operator=(const TDeviceManager&) = delete;

    // Every packet of every unit, time tail included.
    TDeviceDataEvent OnData;
    TDeviceStateEvent OnDeviceState;
    TDeviceBufferEvent OnBufferStatus;
    TDeviceActionEvent OnConnectChange;

    rtl::TComponent* GetOwner() const { return owner_; }
    TPnPNotificator* GetNotificator() const { return notificator_.get(); }

    int GetCount() const { return static_cast<int>(devices_.size()); }
    // The unit at index i; nullptr outside 0 to count - 1.
    TDevice* GetItem(int i) const;
    // Disconnects and frees every unit.
    void Clear();
    void SetAllMuted(bool value);

    // Present := 0 everywhere, detection, then Purge.
    void Refresh();
    // Frees every unit that is neither configured nor present, then sorts.
    void Purge();
    // Orders the list by Pos (quicksort; equal positions in the order it leaves them).
    void Sort();

    // The first unit with that database id; nullptr when none. By an index (the log
    // writer asks for every record), kept up with the list.
    TDevice* FindById(std::int32_t id) const;
    // Index of the first unit of that kind whose address equals the text exactly; -1 when none.
    int IndexOfComPort(const std::string& name) const;
    int IndexOfUsbSerial(const std::string& serial) const;
    int IndexOfIP(const std::string& dotted) const;

    // Merges one stored row into the list and returns its unit (nullptr for a device
    // type other than 1 to 3). The caller then hands the row's CONFIG bytes to the
    // unit's LoadSettings.
    TDevice* AddDevice(const TDeviceInfo& row);

    // Detection: USB bridges of the KV7200 (vendor 0x0403, product 0x6001) and the
    // serial ports that open.
    void EnumUSB();
    void EnumCOM();

private:
    void DeviceChanged(rtl::TObject* sender);
    void QuickSort(int low, int high);
    int IndexOf(std::uint8_t kind, const std::string& address) const;
    TDevice* Append(std::unique_ptr<TDevice> device);
    void ListChanged() { byIdValid_ = false; }

    rtl::TComponent* owner_;
    std::unique_ptr<TPnPNotificator> notificator_;
    std::vector<std::unique_ptr<TDevice>> devices_;
    // The first unit of each id, in list order; rebuilt after the list changed. An Id
    // changed behind the manager's back is caught by checking what the index gives.
    mutable std::unordered_map<std::int32_t, TDevice*> byId_;
    mutable bool byIdValid_ = false;
    // A refresh asked for while one runs (a message box of the detection lets
    // device notices in) is run once the current one is done.
    bool refreshing_ = false;
    bool refreshAgain_ = false;
};

// ---------------------------------------------------------------------------
// Serial ports of this computer

// Where serial ports are looked for: "/sys" and "/dev" unless a test points elsewhere.
void SetSerialPortRoots(const std::string& sysRoot, const std::string& devRoot);

struct TSerialPortEntry {
    std::string PortName;   // what a serial unit stores: "COMn" for ttyS(n-1), else the tty name
    std::string DevicePath; // the device node tried with an open
};

// The tty devices backed by a driver, in name order, without 8250-type ports whose
// UART is absent and without the ports of the KV7200's USB bridges (those are USB units).
std::vector<TSerialPortEntry> ListSerialPorts();

} // namespace device_link
