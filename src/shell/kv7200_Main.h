#pragma once
// The main window: owner of the data module and the unit manager, holder of the
// application settings record, and home of the unit list. It runs the program's
// initialization (behind the splash), the post-initialization once the splash has
// closed, and the shutdown sequence; it logs the units' link states and connect
// actions.
#include <functional>
#include <string>

#include <memory>

#include "device_link/DeviceManager.h"
#include "platform/ui/Form.h"
#include "storage/DModule.h"

namespace shell {

class TDeviceListView;
class TSplashForm;

// What a double click on the unit list does (TCommonSettings::ListDblClickAction).
// clang-format off
enum TListDblClickAction : std::uint8_t { dcaEdit = 0, dcaView = 1, dcaViewAndConnect = 2, dcaConnectDisconnect = 3 };
// clang-format on

class TMainForm : public ui::TForm, public storage::IMainFormServices {
public:
    // programFilePath: the running program's file; the database is looked for in its folder.
    explicit TMainForm(std::string programFilePath);
    ~TMainForm() override;

    // ---- what storage reads
    std::string ProgramFilePath;
    storage::TCommonSettings CommonSettings;
    std::unique_ptr<device_link::TDeviceManager> DeviceManager;
    std::unique_ptr<storage::TDM> DataModule; // also storage::DM

    std::string GetProgramFilePath() const override { return ProgramFilePath; }
    storage::TCommonSettings& GetCommonSettings() override { return CommonSettings; }
    device_link::TDeviceManager* GetDeviceManager() override { return DeviceManager.get(); }

    // ---- the unit manager's events
    void OnDeviceData(device_link::TDevice* device, const device_link::TArray& packet);
    // Logs leDeviceStatus for a configured unit that has its view, shows the state on the view,
    // redraws the unit list. A failure to log goes to the application's exception handler.
    void OnDeviceStatus(device_link::TDevice* device, device_link::TStatus state);
    void OnBufferStatus(device_link::TDevice* device, const device_link::TComStats& stats);
    // Logs leDeviceAction (0 connect, 1 disconnect) for a unit with a database id; a failure goes
    // to the application's exception handler.
    void OnDeviceAction(device_link::TDevice* device, int action);

    // ---- start and end
    // Creates the data module and checks the version ("Incompatible DataBase!": false),
    // then, announced on the splash: the unit manager, the stored units into the list,
    // the settings record. Engine failures raise.
    bool Initialize(TSplashForm& splash);
    // After the splash has closed: unmutes the transports, logs "Program Started" and,
    // when so set, opens and connects every configured unit.
    void PostInitialize();
    // The shutdown on the splash: units ended, settings saved, "Program Terminated"
    // logged, database closed (backed up and rebuilt when so set) and freed. Every step
    // runs even when one before it failed; each failure goes to the application's
    // exception handler. False when a step failed.
    bool Shutdown(TSplashForm& splash);

    // ---- the unit list
    TDeviceListView* lvDevices;
    void lvDevicesDblClick(rtl::TObject* sender);
    void RefreshDeviceList();
    // Shows (and raises) the unit's RDS view.
    void ShowDeviceView(device_link::TDevice* device);
    // Brings the window back from minimized and to the front (another start asked).
    void RestoreAndRaise();

    // Runs when the operator closes the window (the program then shuts down).
    std::function<void()> OnCloseRequest;

protected:
    void Resize() override;

private:
    void FormClose(rtl::TObject* sender, ui::TCloseAction& action);
    void LoadStoredDevices();
    void LogByte(std::int32_t id, std::int32_t code, std::uint8_t value);
    void FreeDeviceManager();
    void FreeDataModule();

    // The record was read from the database: only then may the shutdown write it back.
    bool settingsLoaded_ = false;
};

// The main window while it exists.
extern TMainForm* MainForm;

} // namespace shell
