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

// Writes the engine files into programFolder and loads the engine from there (once
// per process: a later call must name the same folder). Raises std::runtime_error.
void StartEngine(const std::string& programFolder);

// Stores the units (ids in the order given) and applies edit to the stored settings
// record of programFolder's kv7200.FDB. Starts the engine there first.
std::vector<std::int32_t> ConfigureDatabase(const std::string& programFolder, const std::vector<TStoredUnit>& units,
                                            const TSettingsEdit& edit = {});

// The rows of DEVICES as "id type address alias" lines.
std::vector<std::string> ListUnits(const std::string& programFolder);

} // namespace rig
