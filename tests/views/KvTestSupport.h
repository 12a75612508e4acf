#pragma once
// Pieces the view, shell and program tests share: the event log read back, a
// message-box service that answers and records, the data module's view of a main
// window, and detection kept away from this machine's ports.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device_link/DeviceManager.h"
#include "platform/fb/IBSQL.h"
#include "platform/io/UsbBridge.h"
#include "platform/ui/Dialogs.h"
#include "storage/DModule.h"
#include "support/TempDir.h"

namespace kvtest {

struct TLogRecord {
    std::int32_t Code = 0;
    std::int32_t DeviceId = 0;
    std::string Data;
    friend bool operator==(const TLogRecord&, const TLogRecord&) = default;
};

// Every record of the event log in the order written.
inline std::vector<TLogRecord> ReadLog(fb::TIBDatabase& db, fb::TIBTransaction* tr = nullptr)
{
    fb::TIBSQL q(&db, tr);
    q.SetSQL("select DATACODE, DEVICEID, DATA from EVENT_LOG order by ID");
    q.ExecQuery();
    std::vector<TLogRecord> rows;
    while (q.Next())
        rows.push_back({q.Fields(0).GetAsInteger(), q.Fields(1).GetAsInteger(), q.Fields(2).GetAsString()});
    return rows;
}

inline std::vector<TLogRecord> Select(const std::vector<TLogRecord>& rows, std::int32_t code, std::int32_t deviceId)
{
    std::vector<TLogRecord> out;
    for (const auto& r : rows)
        if (r.Code == code && r.DeviceId == deviceId) out.push_back(r);
    return out;
}

inline std::string Bytes(std::initializer_list<std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

class TRecordingBoxes : public ui::IMessageBoxService {
public:
    TRecordingBoxes() { ui::SetMessageBoxService(this); }
    ~TRecordingBoxes() override { ui::SetMessageBoxService(nullptr); }
    ui::TModalResult Show(const ui::TMessageBoxRequest& request) override
    {
        Texts.push_back(request.Text);
        return ui::mrOk;
    }
    void Beep() override {}
    std::vector<std::string> Texts;
};

// What the data module needs of a main window.
class TFormServices : public storage::IMainFormServices {
public:
    std::string ProgramFile;
    storage::TCommonSettings Common;
    device_link::TDeviceManager* Manager = nullptr;
    std::string GetProgramFilePath() const override { return ProgramFile; }
    storage::TCommonSettings& GetCommonSettings() override { return Common; }
    device_link::TDeviceManager* GetDeviceManager() override { return Manager; }
};

// Detection finds no serial port and no bridge of this machine while it lives.
class TNoLocalPorts {
public:
    TNoLocalPorts()
    {
        device_link::SetSerialPortRoots(empty_.Str(), empty_.Str());
        io::SetUsbBridgeRoots(empty_.Str(), empty_.Str());
    }
    ~TNoLocalPorts()
    {
        device_link::SetSerialPortRoots("/sys", "/dev");
        io::SetUsbBridgeRoots("/sys", "/dev");
    }

private:
    testsupport::TempDir empty_;
};

} // namespace kvtest
