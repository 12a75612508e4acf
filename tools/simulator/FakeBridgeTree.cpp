#include "simulator/FakeBridgeTree.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace sim {

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::trunc);
    out << text << '\n';
}

std::string Hex4(std::uint16_t v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v);
    return buf;
}

} // namespace

FakeBridgeTree::FakeBridgeTree(const std::string& root) : root_(root)
{
    fs::create_directories(SysRoot() + "/bus/usb/devices");
    fs::create_directories(DevRoot());
}

void FakeBridgeTree::AddBridge(const std::string& busId, std::uint16_t vendor, std::uint16_t product,
                               const std::string& serial, const std::string& description, const std::string& ttyName,
                               const std::string& ttyTarget)
{
    const fs::path dir = fs::path(SysRoot()) / "bus/usb/devices" / busId;
    fs::create_directories(dir);
    WriteFile(dir / "idVendor", Hex4(vendor));
    WriteFile(dir / "idProduct", Hex4(product));
    if (!serial.empty()) WriteFile(dir / "serial", serial);
    WriteFile(dir / "product", description);
    const fs::path iface = dir / (busId + ":1.0");
    fs::create_directories(iface);
    if (ttyName.empty()) return;
    fs::create_directories(iface / ttyName);
    const fs::path node = fs::path(DevRoot()) / ttyName;
    std::error_code ec;
    fs::remove(node, ec);
    fs::create_symlink(ttyTarget, node);
}

void FakeBridgeTree::RemoveBridge(const std::string& busId, const std::string& ttyName)
{
    std::error_code ec;
    fs::remove_all(fs::path(SysRoot()) / "bus/usb/devices" / busId, ec);
    if (!ttyName.empty()) fs::remove(fs::path(DevRoot()) / ttyName, ec);
}

} // namespace sim
