#pragma once
// USB-to-serial bridges (vendor 0x0403) in the shape of the bridge vendor's driver
// calls: device list, open by serial number, line settings, queue status, read,
// write, status, close.
//
// Bridges are found under <sys root>/bus/usb/devices (idVendor, idProduct, serial,
// product, and an interface folder holding the ttyUSBn entry of the kernel's serial
// driver); bytes go through <dev root>/ttyUSBn. Both roots are settable so that a
// test can build a fake tree whose device node is a pseudo-terminal.
//
// A handle may be used from two threads (one reading, one writing); after FT_Close
// from one, a call still running on the other finishes, and the device node closes
// when it returns. Line settings are changed from one thread only.
#include <cstdint>
#include <string>

namespace io {

using FT_STATUS = std::uint32_t;
using FT_HANDLE = void*;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
    FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
    FT_FAILED_TO_WRITE_DEVICE = 10,
    FT_EEPROM_READ_FAILED = 11,
    FT_EEPROM_WRITE_FAILED = 12,
    FT_EEPROM_ERASE_FAILED = 13,
    FT_EEPROM_NOT_PRESENT = 14,
    FT_EEPROM_NOT_PROGRAMMED = 15,
    FT_INVALID_ARGS = 16,
    FT_OTHER_ERROR = 17,
};

// FT_OpenEx: the argument is a serial number.
constexpr std::uint32_t FT_OPEN_BY_SERIAL_NUMBER = 1;
// FT_SetDataCharacteristics.
constexpr std::uint8_t FT_BITS_7 = 7;
constexpr std::uint8_t FT_BITS_8 = 8;
constexpr std::uint8_t FT_STOP_BITS_1 = 0;
constexpr std::uint8_t FT_STOP_BITS_2 = 2;
constexpr std::uint8_t FT_PARITY_NONE = 0;
constexpr std::uint8_t FT_PARITY_ODD = 1;
constexpr std::uint8_t FT_PARITY_EVEN = 2;
constexpr std::uint8_t FT_PARITY_MARK = 3;
constexpr std::uint8_t FT_PARITY_SPACE = 4;
// FT_SetFlowControl.
constexpr std::uint16_t FT_FLOW_NONE = 0x0000;
constexpr std::uint16_t FT_FLOW_RTS_CTS = 0x0100;
constexpr std::uint16_t FT_FLOW_XON_XOFF = 0x0400;
constexpr int kFtReadWaitMs = 100;
constexpr int kFtWriteWaitMs = 500;
// Flags of a list node: the bridge is open (by this program).
constexpr std::uint32_t FT_FLAGS_OPENED = 1;

// One bridge of the device list. ID is vendor << 16 | product. Type and LocId are
// not known from sysfs and stay 0.
struct FT_DEVICE_LIST_INFO_NODE {
    std::uint32_t Flags = 0;
    std::uint32_t Type = 0;
    std::uint32_t ID = 0;
    std::uint32_t LocId = 0;
    char SerialNumber[16] = {};
    char Description[64] = {};
    FT_HANDLE ftHandle = nullptr;
};

// Where bridges are looked for: "/sys" and "/dev" unless a test points elsewhere.
void SetUsbBridgeRoots(const std::string& sysRoot, const std::string& devRoot);

// Scans for bridges and returns their number; the list is kept for FT_GetDeviceInfoList.
FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count);
// Copies the list of the last scan into list (room for *count nodes); *count := nodes copied.
FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* list, std::uint32_t* count);
// Opens the bridge whose serial number is arg (flags FT_OPEN_BY_SERIAL_NUMBER).
FT_STATUS FT_OpenEx(const char* arg, std::uint32_t flags, FT_HANDLE* handle);
FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate);
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity);
FT_STATUS FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl, std::uint8_t xon, std::uint8_t xoff);
// Bytes waiting to be read.
FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes);
// Reads up to toRead bytes, waiting for missing bytes at most kFtReadWaitMs.
FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t toRead, std::uint32_t* bytesRead);
// Writes all bytes, waiting at most kFtWriteWaitMs for the line to take them.
FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t toWrite, std::uint32_t* bytesWritten);
// Queue counts; fails once the bridge is gone (unplugged, or its device node hung up).
FT_STATUS FT_GetStatus(FT_HANDLE handle, std::uint32_t* rxBytes, std::uint32_t* txBytes, std::uint32_t* events);
FT_STATUS FT_Close(FT_HANDLE handle);

} // namespace io
