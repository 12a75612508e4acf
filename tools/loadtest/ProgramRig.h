#pragma once
// Prepares the database of a program folder for a trial run without hardware: stores
// unit rows and edits the application settings record, through the data module, as
// the program's own windows would. Used by the kv7200-units tool, the load test and
// the program's end-to-end tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/DModule.h"

namespace rig {

struct TStoredUnit {
    std::uint8_t Kind = 0; // 1 USB, 2 serial, 3 TCP
    std::string Address;   // bridge serial, port name ("pts/3") or dotted address
    std::string Alias;
    bool LogEveryItem = false; // every log filter byte on (the defaults log some groups only)
};

using TSettingsEdit = std::function<void(storage::TCommonSettings&)>;

// Writes the engine files into engineFolder and loads the engine from there (once per
// process: a later call must name the same folder). Raises std::runtime_error.
void StartEngine(const std::string& engineFolder);

// The calls below work on programFolder's kv7200.FDB. Each starts the engine in
// programFolder first, unless one was started already (anywhere).

// Stores the units (ids in the order given) and applies edit to the stored settings record.
std::vector<std::int32_t> ConfigureDatabase(const std::string& programFolder, const std::vector<TStoredUnit>& units,
                                            const TSettingsEdit& edit = {});

// Removes the unit with this id; false when there is none.
bool RemoveUnit(const std::string& programFolder, std::int32_t id);

// A header line, then one line for each unit: id, kind ("usb", "com", "tcp"), address, alias.
std::vector<std::string> ListUnits(const std::string& programFolder);

} // namespace rig
