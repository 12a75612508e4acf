#pragma once
// Fakes for the unit object and unit manager tests: an RDS view that records what the
// unit hands it, a recorder of the manager's four events, a fake sysfs tty tree and
// pseudo-terminals to stand for serial ports.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device_link/D2XXUnit.h"
#include "device_link/Device.h"
#include "device_link/DeviceManager.h"
#include "device_link/DeviceView.h"
#include "platform/io/UsbBridge.h"
#include "simulator/FakeBridgeTree.h"
#include "support/TempDir.h"

namespace devtest {

using namespace device_link;

struct RecordedFrame {
    std::uint32_t Seq = 0;
    std::vector<std::pair<int, TBArray>> Items;
};

class FakeRDSView : public IDeviceRDSView {
public:
    void SetDevice(TDevice* device) override { Device = device; }
    void ApplySettings() override
    {
        if (!Device) return;
        ++Applied;
        Device->GetSettings(Settings);
    }
    void ProcessFrame(TProtocolPacket& frame) override
    {
        RecordedFrame f;
        f.Seq = frame.Seq;
        for (const auto& item : frame.Commands) f.Items.emplace_back(item.Code, item.Data);
        Frames.push_back(std::move(f));
    }
    void ShowState(TStatus state) override { States.push_back(state); }

    TDevice* Device = nullptr;
    int Applied = 0;
    TDeviceSettings Settings;
    std::vector<RecordedFrame> Frames;
    std::vector<TStatus> States;
};

// Registers FakeRDSView as the views' factory for as long as it lives.
class FakeViewFactory {
public:
    FakeViewFactory()
    {
        RegisterDeviceRDSViewFactory([] { return std::make_unique<FakeRDSView>(); });
    }
    ~FakeViewFactory() { RegisterDeviceRDSViewFactory(nullptr); }
    static FakeRDSView* ViewOf(const TDevice* device) { return dynamic_cast<FakeRDSView*>(device->GetRdsView()); }
};

// What the manager passes on, in order.
struct ManagerEvents {
    struct Event {
        std::string What; // "data", "state", "stats", "action"
        TDevice* Device = nullptr;
        int Value = 0; // state code, action, packet size or Pending
    };

    void Attach(TDeviceManager& m)
    {
        m.OnData = TDeviceDataEvent(this, &ManagerEvents::Data);
        m.OnDeviceState = TDeviceStateEvent(this, &ManagerEvents::State);
        m.OnBufferStatus = TDeviceBufferEvent(this, &ManagerEvents::Buffer);
        m.OnConnectChange = TDeviceActionEvent(this, &ManagerEvents::Action);
    }
    void Data(TDevice* d, const TArray& p) { Events.push_back({"data", d, static_cast<int>(p.size())}); }
    void State(TDevice* d, TStatus s) { Events.push_back({"state", d, s}); }
    void Buffer(TDevice* d, const TComStats& s) { Events.push_back({"stats", d, s.Pending}); }
    void Action(TDevice* d, int a) { Events.push_back({"action", d, a}); }

    std::vector<int> Values(const std::string& what, const TDevice* d = nullptr) const
    {
        std::vector<int> out;
        for (const auto& e : Events)
            if (e.What == what && (!d || e.Device == d)) out.push_back(e.Value);
        return out;
    }
    bool Has(const std::string& what, const TDevice* d, int value) const
    {
        for (const int v : Values(what, d))
            if (v == value) return true;
        return false;
    }

    std::vector<Event> Events;
};

// A pseudo-terminal standing for a serial port; its slave path is what a port's
// device node links to.
class Pty {
public:
    Pty()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) slave_ = ::ptsname(master_);
    }
    ~Pty()
    {
        if (master_ >= 0) ::close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const std::string& SlavePath() const { return slave_; }

private:
    int master_ = -1;
    std::string slave_;
};

// tty entries of a fake sysfs tree (<sys>/class/tty/<name>) and their device nodes.
class FakeTtyTree {
public:
    FakeTtyTree(std::string sysRoot, std::string devRoot) : sys_(std::move(sysRoot)), dev_(std::move(devRoot)) {}

    // A port with a driver. type: the 8250 "type" attribute ("" for none). deviceDir:
    // the device folder the entry's "device" links to ("" for one of its own under
    // <sys>/devices). nodeTarget: what <dev>/<name> links to ("" for no node).
    void AddPort(const std::string& name, const std::string& type, const std::string& nodeTarget,
                 const std::string& deviceDir = "", bool withDriver = true)
    {
        namespace fs = std::filesystem;
        const fs::path entry = fs::path(sys_) / "class/tty" / name;
        fs::create_directories(entry);
        const fs::path device = deviceDir.empty() ? fs::path(sys_) / "devices/serial" / name : fs::path(deviceDir);
        fs::create_directories(device);
        if (withDriver) fs::create_directories(device / "driver");
        fs::create_symlink(device, entry / "device");
        if (!type.empty()) std::ofstream(entry / "type") << type << '\n';
        if (!nodeTarget.empty()) {
            fs::create_directories(dev_);
            fs::create_symlink(nodeTarget, fs::path(dev_) / name);
        }
    }

private:
    std::string sys_, dev_;
};

// A machine of its own for the detection: empty fake sysfs and /dev trees for the
// bridges and the serial ports, and the D2XX error boxes collected instead of shown.
class FakeHardware {
public:
    FakeHardware()
    {
        io::SetUsbBridgeRoots(Bridges.SysRoot(), Bridges.DevRoot());
        SetSerialPortRoots(Bridges.SysRoot(), Bridges.DevRoot());
        SetD2XXErrorBox([this](const std::string& text) { ErrorBoxes.push_back(text); });
    }
    ~FakeHardware()
    {
        SetD2XXErrorBox(nullptr);
        io::SetUsbBridgeRoots("/sys", "/dev");
        SetSerialPortRoots("/sys", "/dev");
    }
    FakeHardware(const FakeHardware&) = delete;
    FakeHardware& operator=(const FakeHardware&) = delete;

    // The folder of a bridge's serial port, below its first interface.
    std::string BridgePortDir(const std::string& busId, const std::string& ttyName) const
    {
        return Bridges.SysRoot() + "/bus/usb/devices/" + busId + "/" + busId + ":1.0/" + ttyName;
    }

    testsupport::TempDir Dir;
    sim::FakeBridgeTree Bridges{Dir.Str()};
    FakeTtyTree Ttys{Bridges.SysRoot(), Bridges.DevRoot()};
    std::vector<std::string> ErrorBoxes;
};

} // namespace devtest
