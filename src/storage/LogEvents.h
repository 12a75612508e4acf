#pragma once
// The event codes of the log. Codes 1 to 255 are the units' item codes (the code of
// the frame item whose bytes are the payload); the program's own events follow.
#include <cstdint>

namespace storage {

enum TLogEvent : std::int32_t {
    leFirstSystemEvent = 1000,
    leProgram = 1000,       // unit 0; one byte: lpStarted or lpTerminated
    leMapStored = 1001,     // unit 0; one byte 1
    leDeviceStatus = 1002,  // the unit's id; one byte: the new link state (TStatus)
    leDeviceAction = 1003,  // the unit's id; one byte: 0 connect, 1 disconnect
    leDeviceAdded = 1004,   // unit 0; text: alias ":" address
    leDeviceRemoved = 1005, // unit 0; text: alias ":" address
};

// The payload byte of leProgram.
// clang-format off
enum TLogProgramEvent : std::uint8_t { lpStarted = 1, lpTerminated = 2 };
// clang-format on

} // namespace storage
