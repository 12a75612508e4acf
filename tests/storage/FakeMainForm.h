#pragma once
// What the data module needs of a main window: the program path, the settings record and
// a unit manager (none unless a test gives one).
#include <string>

#include "storage/DModule.h"

namespace dmtest {

class FakeMainForm : public storage::IMainFormServices {
public:
    std::string GetProgramFilePath() const override { return ProgramFile; }
    storage::TCommonSettings& GetCommonSettings() override { return Common; }
    device_link::TDeviceManager* GetDeviceManager() override { return Manager; }

    std::string ProgramFile;
    storage::TCommonSettings Common;
    device_link::TDeviceManager* Manager = nullptr;
};

} // namespace dmtest
