#include "platform/io/UsbBridge.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/io/SerialLine.h"

namespace io {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kBridgeVendor = 0x0403;

struct FoundBridge {
    FT_DEVICE_LIST_INFO_NODE node;
    fs::path sysDir;
    std::string serial;
    std::string ttyName; // empty when no serial driver is bound
};

// One open bridge. Closed when the last call using it returns after FT_Close.
struct Bridge {
    fs::path sysDir;
    std::string devicePath;
    SerialLine line;
    SerialSettings settings;
};

struct Registry {
    std::mutex m;
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    std::vector<FoundBridge> lastScan;
    std::map<std::uintptr_t, std::shared_ptr<Bridge>> open;
    std::uintptr_t nextHandle = 1;
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::string ReadLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

bool ReadHex(const fs::path& file, std::uint32_t& value)
{
    const std::string text = ReadLine(file);
    if (text.empty()) return false;
    try {
        std::size_t used = 0;
        value = static_cast<std::uint32_t>(std::stoul(text, &used, 16));
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

// The ttyUSBn entry in one of the device's interface folders.
std::string FindTtyName(const fs::path& deviceDir)
{
    std::error_code ec;
    for (const auto& iface : fs::directory_iterator(deviceDir, ec)) {
        if (!iface.is_directory(ec)) continue;
        for (const auto& entry : fs::directory_iterator(iface.path(), ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("ttyUSB", 0) == 0) return name;
        }
    }
    return {};
}

void CopyText(char* dest, std::size_t size, const std::string& text)
{
    std::memset(dest, 0, size);
    std::memcpy(dest, text.data(), std::min(text.size(), size - 1));
}

// Caller holds the registry lock.
std::vector<FoundBridge> Scan(const Registry& r)
{
    std::vector<FoundBridge> found;
    std::error_code ec;
    std::vector<fs::path> dirs;
    for (const auto& entry : fs::directory_iterator(fs::path(r.sysRoot) / "bus/usb/devices", ec))
        dirs.push_back(entry.path());
    std::sort(dirs.begin(), dirs.end());
    for (const auto& dir : dirs) {
        std::uint32_t vendor = 0, product = 0;
        if (!ReadHex(dir / "idVendor", vendor) || vendor != kBridgeVendor) continue;
        if (!ReadHex(dir / "idProduct", product)) continue;
        FoundBridge b;
        b.sysDir = dir;
        b.serial = ReadLine(dir / "serial");
        b.ttyName = FindTtyName(dir);
        b.node.ID = vendor << 16 | product;
        CopyText(b.node.SerialNumber, sizeof b.node.SerialNumber, b.serial);
        CopyText(b.node.Description, sizeof b.node.Description, ReadLine(dir / "product"));
        for (const auto& [id, open] : r.open)
            if (open->sysDir == dir) {
                b.node.Flags |= FT_FLAGS_OPENED;
                b.node.ftHandle = reinterpret_cast<FT_HANDLE>(id);
            }
        found.push_back(std::move(b));
    }
    return found;
}

std::shared_ptr<Bridge> Acquire(FT_HANDLE handle)
{
    auto& r = registry();
    std::lock_guard lock(r.m);
    const auto it = r.open.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == r.open.end() ? nullptr : it->second;
}

FT_STATUS ApplySettings(Bridge& b) { return b.line.Apply(b.settings) ? FT_OK : FT_IO_ERROR; }

} // namespace

void SetUsbBridgeRoots(const std::string& sysRoot, const std::string& devRoot)
{
    auto& r = registry();
    std::lock_guard lock(r.m);
    r.sysRoot = sysRoot;
    r.devRoot = devRoot;
}

FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count)
{
    if (!count) return FT_INVALID_PARAMETER;
    auto& r = registry();
    std::lock_guard lock(r.m);
    r.lastScan = Scan(r);
    *count = static_cast<std::uint32_t>(r.lastScan.size());
    return FT_OK;
}

FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count)
{
    // An empty list (no bridges attached) needs no room.
    if (!count || (!list && *count != 0)) return FT_INVALID_PARAMETER;
    auto& r = registry();
    std::lock_guard lock(r.m);
    const auto n = std::min<std::size_t>(*count, r.lastScan.size());
    for (std::size_t i = 0; i < n; ++i) list[i] = r.lastScan[i].node;
    *count = static_cast<std::uint32_t>(n);
    return FT_OK;
}

FT_STATUS FT_OpenEx(const char* arg, std::uint32_t flags, FT_HANDLE* handle)
{
    if (!arg || !handle || flags != FT_OPEN_BY_SERIAL_NUMBER) return FT_INVALID_PARAMETER;
    *handle = nullptr;
    auto& r = registry();
    std::lock_guard lock(r.m);
    const auto bridges = Scan(r);
    const auto it = std::find_if(bridges.begin(), bridges.end(),
                                 [&](const FoundBridge& b) { return b.serial == arg; });
    if (it == bridges.end()) return FT_DEVICE_NOT_FOUND;
    if (it->ttyName.empty() || (it->node.Flags & FT_FLAGS_OPENED)) return FT_DEVICE_NOT_OPENED;
    auto bridge = std::make_shared<Bridge>();
    bridge->sysDir = it->sysDir;
    bridge->devicePath = (fs::path(r.devRoot) / it->ttyName).string();
    if (!bridge->line.Open(bridge->devicePath) || ApplySettings(*bridge) != FT_OK) return FT_DEVICE_NOT_OPENED;
    const std::uintptr_t id = r.nextHandle++;
    r.open.emplace(id, std::move(bridge));
    *handle = reinterpret_cast<FT_HANDLE>(id);
    return FT_OK;
}

FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if (baudRate == 0) return FT_INVALID_BAUD_RATE;
    b->settings.BaudRate = baudRate;
    return ApplySettings(*b);
}

FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) || (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2)
        || parity > FT_PARITY_SPACE)
        return FT_INVALID_PARAMETER;
    static constexpr SerialParity kParity[] = {SerialParity::None, SerialParity::Odd, SerialParity::Even,
                                               SerialParity::Mark, SerialParity::Space};
    b->settings.DataBits = wordLength;
    b->settings.StopBits = stopBits == FT_STOP_BITS_1 ? SerialStopBits::One : SerialStopBits::Two;
    b->settings.Parity = kParity[parity];
    return ApplySettings(*b);
}

FT_STATUS FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl, std::uint8_t xon, std::uint8_t xoff)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if (flowControl != FT_FLOW_NONE && flowControl != FT_FLOW_RTS_CTS && flowControl != FT_FLOW_XON_XOFF)
        return FT_INVALID_PARAMETER;
    b->settings.RtsCtsFlow = flowControl == FT_FLOW_RTS_CTS;
    b->settings.XonXoff = flowControl == FT_FLOW_XON_XOFF;
    b->settings.XonChar = xon;
    b->settings.XoffChar = xoff;
    return ApplySettings(*b);
}

FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if (!rxBytes) return FT_INVALID_PARAMETER;
    const int n = b->line.BytesWaiting();
    if (n < 0) return FT_IO_ERROR;
    *rxBytes = static_cast<std::uint32_t>(n);
    return FT_OK;
}

FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t toRead, std::uint32_t* bytesRead)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if (!bytesRead || (!buffer && toRead > 0)) return FT_INVALID_PARAMETER;
    *bytesRead = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    bool waited = false;
    while (*bytesRead < toRead) {
        const long n = b->line.ReadAvailable(out + *bytesRead, toRead - *bytesRead);
        if (n < 0) return *bytesRead > 0 ? FT_OK : FT_IO_ERROR;
        *bytesRead += static_cast<std::uint32_t>(n);
        if (n == 0) {
            if (waited || !b->line.WaitReadable(kFtReadWaitMs)) break;
            waited = true;
        }
    }
    return FT_OK;
}

FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t toWrite, std::uint32_t* bytesWritten)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if (!bytesWritten || (!buffer && toWrite > 0)) return FT_INVALID_PARAMETER;
    const long n = b->line.Write(buffer, toWrite, kFtWriteWaitMs);
    *bytesWritten = n > 0 ? static_cast<std::uint32_t>(n) : 0;
    return n < 0 ? FT_IO_ERROR : FT_OK;
}

FT_STATUS FT_GetStatus(FT_HANDLE handle, std::uint32_t* rxBytes, std::uint32_t* txBytes, std::uint32_t* events)
{
    const auto b = Acquire(handle);
    if (!b) return FT_INVALID_HANDLE;
    if (!rxBytes || !txBytes || !events) return FT_INVALID_PARAMETER;
    std::error_code ec;
    if (!fs::exists(b->sysDir, ec) || b->line.HungUp()) return FT_IO_ERROR;
    const int rx = b->line.BytesWaiting();
    const int tx = b->line.OutputQueued();
    if (rx < 0 || tx < 0) return FT_IO_ERROR;
    *rxBytes = static_cast<std::uint32_t>(rx);
    *txBytes = static_cast<std::uint32_t>(tx);
    *events = 0;
    return FT_OK;
}

FT_STATUS FT_Close(FT_HANDLE handle)
{
    std::shared_ptr<Bridge> closing;
    {
        auto& r = registry();
        std::lock_guard lock(r.m);
        const auto it = r.open.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == r.open.end()) return FT_INVALID_HANDLE;
        closing = std::move(it->second);
        r.open.erase(it);
    }
    return FT_OK; // the line closes when the last call using it lets go
}

} // namespace io
