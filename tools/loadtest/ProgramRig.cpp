#include "loadtest/ProgramRig.h"

#include <stdexcept>

#include "device_link/Device.h"
#include "platform/fb/FbClient.h"
#include "platform/rtl/SysUtils.h"
#include "storage/fb_embedded.h"

namespace rig {

namespace {

// The data module's view of a main window that has no unit manager yet.
class TRigServices : public storage::IMainFormServices {
public:
    explicit TRigServices(std::string folder) : programFile_(std::move(folder) + "kv7200") {}
    std::string GetProgramFilePath() const override { return programFile_; }
    storage::TCommonSettings& GetCommonSettings() override { return common_; }
    device_link::TDeviceManager* GetDeviceManager() override { return nullptr; }

private:
    std::string programFile_;
    storage::TCommonSettings common_; // log off: storing units logs nothing
};

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

void EnsureEngine(const std::string& programFolder)
{
    if (!fb::ClientLibraryLoaded()) StartEngine(programFolder);
}

void SetAddress(device_link::TDevice& device, const std::string& address)
{
    switch (device.Kind) {
    case device_link::dkUSB: device.SetUsbSerial(address); break;
    case device_link::dkCOM: device.SetComPort(address); break;
    case device_link::dkTCP: device.SetIPText(address); break;
    default: throw std::runtime_error("unknown device type " + std::to_string(device.Kind));
    }
}

} // namespace

void StartEngine(const std::string& engineFolder)
{
    storage::SetProgramFolder(WithSlash(engineFolder));
    if (!storage::ExtractServerFiles() || !storage::LoadServerLibrary())
        throw std::runtime_error("cannot start the database engine in " + engineFolder);
}

std::vector<std::int32_t> ConfigureDatabase(const std::string& programFolder, const std::vector<TStoredUnit>& units,
                                            const TSettingsEdit& edit)
{
    EnsureEngine(programFolder);
    TRigServices services(WithSlash(programFolder));
    storage::TDM dm(nullptr, services);
    if (!dm.DBVersionOk) throw std::runtime_error("incompatible database in " + programFolder);
    std::vector<std::int32_t> ids;
    for (const TStoredUnit& unit : units) {
        device_link::TDevice device(unit.Kind, nullptr);
        SetAddress(device, unit.Address);
        device.Alias = unit.Alias;
        dm.AddDevice(device);
        device.Pos = static_cast<std::int32_t>(ids.size());
        device_link::TDeviceSettings settings;
        device.GetSettings(settings);
        if (unit.LogEveryItem) {
            settings.LogUnitEnabled = settings.LogNegotiation = settings.LogPI = settings.LogTP = settings.LogPTY = 1;
            settings.LogGroup.fill(1);
            settings.LogFreq = settings.LogSource = settings.LogRDSMode = settings.LogStereo = 1;
            settings.LogRDSLock = settings.LogRFLevel = settings.LogMPXLevel = settings.LogBandScan = 1;
        }
        device.SetSettings(settings);
        dm.UpdateDevice(device);
        ids.push_back(device.Id);
    }
    if (edit) {
        storage::TCommonSettings common;
        dm.LoadCommon(common);
        edit(common);
        dm.SaveCommon(common);
    }
    return ids;
}

bool RemoveUnit(const std::string& programFolder, std::int32_t id)
{
    EnsureEngine(programFolder);
    TRigServices services(WithSlash(programFolder));
    storage::TDM dm(nullptr, services);
    if (!dm.DBVersionOk) throw std::runtime_error("incompatible database in " + programFolder);
    auto& rows = dm.IBQ_DEVICES_;
    if (!rows.Locate("ID", rtl::Variant(id))) return false;
    rows.Delete();
    dm.GlobalAfterPostAndDelete(&rows);
    return true;
}

std::vector<std::string> ListUnits(const std::string& programFolder)
{
    EnsureEngine(programFolder);
    TRigServices services(WithSlash(programFolder));
    storage::TDM dm(nullptr, services);
    if (!dm.DBVersionOk) throw std::runtime_error("incompatible database in " + programFolder);
    static const char* const kKinds[] = {"?", "usb", "com", "tcp"};
    const auto line = [](const std::string& id, const std::string& kind, const std::string& address,
                         const std::string& alias) { return rtl::Format("%-5s %-4s %-16s %s", id, kind, address, alias); };
    std::vector<std::string> lines{line("ID", "TYPE", "ADDRESS", "ALIAS")};
    auto& rows = dm.IBQ_DEVICES_;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const int kind = rows.FieldByName("DEVICETYPE")->GetAsInteger();
        std::string address;
        if (kind == device_link::dkUSB) address = rows.FieldByName("USBSERIAL")->GetAsString();
        else if (kind == device_link::dkCOM) address = rows.FieldByName("COMPORT")->GetAsString();
        else
            address = rtl::Format("%d.%d.%d.%d", rows.FieldByName("IP1")->GetAsInteger(),
                                  rows.FieldByName("IP2")->GetAsInteger(), rows.FieldByName("IP3")->GetAsInteger(),
                                  rows.FieldByName("IP4")->GetAsInteger());
        lines.push_back(line(std::to_string(rows.FieldByName("ID")->GetAsInteger()),
                             kind >= 1 && kind <= 3 ? kKinds[kind] : std::to_string(kind), address,
                             rows.FieldByName("ALIAS")->GetAsString()));
    }
    return lines;
}

} // namespace rig
