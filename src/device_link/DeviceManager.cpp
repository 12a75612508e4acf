#include "device_link/DeviceManager.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "device_link/D2XXUnit.h"
#include "device_link/PnPNotificator.h"
#include "platform/io/SerialLine.h"

namespace device_link {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kKvBridgeId = 0x04036001; // vendor 0x0403, product 0x6001

} // namespace

TDeviceManager::TDeviceManager(rtl::TComponent* owner) : owner_(owner)
{
    Refresh();
    notificator_ = std::make_unique<TPnPNotificator>(owner);
    notificator_->OnDeviceArrival = rtl::TNotifyEvent(this, &TDeviceManager::DeviceChanged);
    notificator_->OnDeviceRemove = rtl::TNotifyEvent(this, &TDeviceManager::DeviceChanged);
}

TDeviceManager::~TDeviceManager()
{
    notificator_.reset();
    Clear();
}

void TDeviceManager::DeviceChanged(rtl::TObject*) { Refresh(); }

TDevice* TDeviceManager::GetItem(int i) const
{
    return i >= 0 && i < GetCount() ? devices_[static_cast<std::size_t>(i)].get() : nullptr;
}

void TDeviceManager::Clear()
{
    // Every unit stays findable while the disconnect notices go out.
    for (const auto& device : devices_) device->Disconnect();
    auto doomed = std::move(devices_);
    devices_.clear();
    ListChanged();
    doomed.clear();
}

void TDeviceManager::SetAllMuted(bool value)
{
    for (const auto& device : devices_) device->SetMuted(value);
}

void TDeviceManager::Refresh()
{
    if (refreshing_) {
        refreshAgain_ = true;
        return;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(refreshing_);
    do {
        refreshAgain_ = false;
        for (const auto& device : devices_) device->Present = 0;
        EnumUSB();
        EnumCOM();
        Purge();
    } while (refreshAgain_);
}

void TDeviceManager::Purge()
{
    std::vector<std::unique_ptr<TDevice>> kept, doomed;
    for (auto& device : devices_)
        (device->Configured == 0 && device->Present == 0 ? doomed : kept).push_back(std::move(device));
    // The list is whole again before any unit goes: freeing one waits for its threads.
    devices_ = std::move(kept);
    ListChanged();
    doomed.clear();
    Sort();
}

void TDeviceManager::Sort()
{
    if (!devices_.empty()) QuickSort(0, GetCount() - 1);
    ListChanged();
}

void TDeviceManager::QuickSort(int low, int high)
{
    const std::int32_t pivot = devices_[static_cast<std::size_t>((low + high) / 2)]->Pos;
    int left = low, right = high;
    do {
        while (devices_[static_cast<std::size_t>(left)]->Pos < pivot) ++left;
        while (devices_[static_cast<std::size_t>(right)]->Pos > pivot) --right;
        if (left <= right) {
            std::swap(devices_[static_cast<std::size_t>(left)], devices_[static_cast<std::size_t>(right)]);
            ++left;
            --right;
        }
    } while (left <= right);
    if (low < right) QuickSort(low, right);
    if (left < high) QuickSort(left, high);
}

TDevice* TDeviceManager::FindById(std::int32_t id) const
{
    if (!byIdValid_) {
        byId_.clear();
        for (const auto& device : devices_) byId_.emplace(device->Id, device.get());
        byIdValid_ = true;
    }
    const auto it = byId_.find(id);
    if (it != byId_.end() && it->second->Id == id) return it->second;
    // A unit whose Id was set after the index was made.
    for (const auto& device : devices_) {
        if (device->Id != id) continue;
        byIdValid_ = false;
        return device.get();
    }
    return nullptr;
}

int TDeviceManager::IndexOf(std::uint8_t kind, const std::string& address) const
{
    for (std::size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i]->Kind == kind && devices_[i]->GetAddressText() == address) return static_cast<int>(i);
    return -1;
}

int TDeviceManager::IndexOfComPort(const std::string& name) const { return IndexOf(dkCOM, name); }
int TDeviceManager::IndexOfUsbSerial(const std::string& serial) const { return IndexOf(dkUSB, serial); }
int TDeviceManager::IndexOfIP(const std::string& dotted) const { return IndexOf(dkTCP, dotted); }

TDevice* TDeviceManager::Append(std::unique_ptr<TDevice> device)
{
    devices_.push_back(std::move(device));
    ListChanged();
    return devices_.back().get();
}

TDevice* TDeviceManager::AddDevice(const TDeviceInfo& row)
{
    int at = -1;
    switch (row.DeviceType) {
    case dkUSB: at = IndexOfUsbSerial(row.UsbSerial); break;
    case dkCOM: at = IndexOfComPort(row.ComPort); break;
    case dkTCP: at = IndexOfIP(row.IP); break;
    default: return nullptr;
    }
    const auto kind = static_cast<std::uint8_t>(row.DeviceType);

    TDevice* device = nullptr;
    if (at < 0) {
        auto created = std::make_unique<TDevice>(kind, this);
        created->Id = row.Id;
        created->Pos = row.Pos;
        if (kind == dkUSB) created->SetUsbSerial(row.UsbSerial);
        else if (kind == dkCOM) created->SetComPort(row.ComPort);
        else {
            created->SetIPText(row.IP);
            created->TcpPort = row.TcpPort;
        }
        created->Configured = 1;
        created->Present = 0;
        created->Serial = row.Serial;
        created->Alias = row.Alias;
        created->Password = row.Password;
        created->UserId = kind == dkTCP ? row.UserId : std::string();
        created->MapX = row.MapX;
        created->MapY = row.MapY;
        created->MapLock = row.MapLock;
        device = Append(std::move(created));
    } else {
        // Typically a unit already detected as attached; a TCP unit keeps its texts.
        device = devices_[static_cast<std::size_t>(at)].get();
        device->Id = row.Id;
        device->Pos = row.Pos;
        if (kind != dkTCP) {
            device->Serial = row.Serial;
            device->Alias = row.Alias;
            device->Password = row.Password;
            device->UserId.clear();
        }
        device->MapX = row.MapX;
        device->MapY = row.MapY;
        device->MapLock = row.MapLock;
        device->Configured = 1;
    }
    Sort();
    return device;
}

void TDeviceManager::EnumUSB()
{
    // Failures show their message box; detection goes on with the list there is.
    CreateInfoList();
    GetInfoList();
    // A copy: a message box of a nested detection may replace the driver's list.
    const std::vector<io::FT_DEVICE_LIST_INFO_NODE> nodes = D2XXDevices().Nodes;
    for (const auto& node : nodes) {
        if (node.ID != kKvBridgeId) continue;
        const std::string serial(node.SerialNumber, strnlen(node.SerialNumber, sizeof node.SerialNumber));
        const int at = IndexOfUsbSerial(serial);
        if (at >= 0) {
            devices_[static_cast<std::size_t>(at)]->Present = 1;
            continue;
        }
        auto device = std::make_unique<TDevice>(dkUSB, this);
        device->FtNode = node;
        device->SetUsbSerial(serial);
        device->Present = 1;
        Append(std::move(device));
    }
}

void TDeviceManager::EnumCOM()
{
    for (const auto& port : ListSerialPorts()) {
        const int at = IndexOfComPort(port.PortName);
        if (at >= 0) {
            devices_[static_cast<std::size_t>(at)]->Present = 1;
            continue;
        }
        // A port that does not open (absent, or in use by another program) is not listed.
        io::SerialLine line;
        if (!line.Open(port.DevicePath)) continue;
        TDevice* device = Append(std::make_unique<TDevice>(dkCOM, this));
        device->SetComPort(port.PortName);
        device->Present = 1;
        line.Close();
    }
}

// ---------------------------------------------------------------------------
// Serial ports

namespace {

struct PortRoots {
    std::string sys = "/sys";
    std::string dev = "/dev";
};

PortRoots& portRoots()
{
    static PortRoots roots;
    return roots;
}

std::string ReadAttribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

bool ReadHex(const fs::path& file, std::uint32_t& value)
{
    const std::string text = ReadAttribute(file);
    if (text.empty()) return false;
    char* end = nullptr;
    value = static_cast<std::uint32_t>(std::strtoul(text.c_str(), &end, 16));
    return *end == '\0';
}

// The tty's USB device (the nearest ancestor with a vendor and product id) is a
// KV7200 bridge: its port is reached as a USB unit.
bool IsKvBridgePort(const fs::path& ttyDevice)
{
    std::error_code ec;
    fs::path dir = fs::canonical(ttyDevice, ec);
    if (ec) return false;
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        std::uint32_t vendor = 0, product = 0;
        if (ReadHex(dir / "idVendor", vendor) && ReadHex(dir / "idProduct", product))
            return (vendor << 16 | product) == kKvBridgeId;
    }
    return false;
}

// The kernel names a device whose node sits in a subfolder of /dev with "!" for "/".
std::string DeviceName(std::string sysName)
{
    std::replace(sysName.begin(), sysName.end(), '!', '/');
    return sysName;
}

// "ttyS<n>" is the port the program's serial units call "COM<n+1>".
std::string PortName(const std::string& ttyName)
{
    if (ttyName.size() > 4 && ttyName.compare(0, 4, "ttyS") == 0
        && std::all_of(ttyName.begin() + 4, ttyName.end(), [](char c) { return c >= '0' && c <= '9'; })
        && ttyName.size() < 12)
        return "COM" + std::to_string(std::stoul(ttyName.substr(4)) + 1);
    return ttyName;
}

} // namespace

void SetSerialPortRoots(const std::string& sysRoot, const std::string& devRoot)
{
    portRoots().sys = sysRoot;
    portRoots().dev = devRoot;
}

std::vector<TSerialPortEntry> ListSerialPorts()
{
    const PortRoots roots = portRoots();
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(roots.sys) / "class/tty", ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());

    std::vector<TSerialPortEntry> ports;
    for (const auto& name : names) {
        const fs::path entry = fs::path(roots.sys) / "class/tty" / name;
        // Consoles, virtual terminals and pseudo-terminals have no driver of their own.
        if (!fs::exists(entry / "device/driver", ec)) continue;
        // Serial ports reserved by the 8250 driver without a UART behind them.
        if (ReadAttribute(entry / "type") == "0") continue;
        if (IsKvBridgePort(entry / "device")) continue;
        const std::string device = DeviceName(name);
        ports.push_back({PortName(device), (fs::path(roots.dev) / device).string()});
    }
    return ports;
}

} // namespace device_link
