#pragma once
// A fake sysfs and /dev tree holding USB bridges whose device nodes are links to
// pseudo-terminals, for trying the USB path without a bridge. Point the bridge layer
// at SysRoot() and DevRoot().
#include <cstdint>
#include <string>

namespace sim {

class FakeBridgeTree {
public:
    // Creates <root>/sys/bus/usb/devices and <root>/dev.
    explicit FakeBridgeTree(const std::string& root);

    std::string SysRoot() const { return root_ + "/sys"; }
    std::string DevRoot() const { return root_ + "/dev"; }

    // Adds a USB device <busId> with its interface folder holding <ttyName>, and the
    // device node <ttyName> linked to ttyTarget (a pseudo-terminal's slave path).
    // An empty ttyName leaves it without a serial driver.
    void AddBridge(const std::string& busId, std::uint16_t vendor, std::uint16_t product, const std::string& serial,
                   const std::string& description, const std::string& ttyName, const std::string& ttyTarget);
    // The device is unplugged: its folder and its device node go.
    void RemoveBridge(const std::string& busId, const std::string& ttyName);

private:
    std::string root_;
};

} // namespace sim
