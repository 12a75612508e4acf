#include "shell/kv7200_Main.h"

#include <QCoreApplication>

#include "device_link/D2XXUnit.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "shell/DeviceListView.h"
#include "shell/Splash.h"
#include "storage/LogEvents.h"
#include "views/DeviceRDS.h"

namespace shell {

TMainForm* MainForm = nullptr;

namespace {

constexpr int kStepPauseMs = 100;

views::TDeviceRDSForm* ViewOf(device_link::TDevice* device)
{
    return device ? dynamic_cast<views::TDeviceRDSForm*>(device->GetRdsView()) : nullptr;
}

} // namespace

TMainForm::TMainForm(std::string programFilePath) : ui::TForm(nullptr), ProgramFilePath(std::move(programFilePath))
{
    MainForm = this;
    SetCaption("KV7200 Device Manager");
    lvDevices = new TDeviceListView(this);
    lvDevices->OnDblClick = rtl::TNotifyEvent(this, &TMainForm::lvDevicesDblClick);
    OnClose = ui::TCloseEvent(this, &TMainForm::FormClose);
    SetBounds(120, 120, 660, 360);
}

TMainForm::~TMainForm()
{
    // Normally gone with the shutdown; here for a start that failed half-way.
    FreeDeviceManager();
    FreeDataModule();
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::Resize()
{
    ui::TForm::Resize();
    lvDevices->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

// ---------------------------------------------------------------------------
// Start

bool TMainForm::Initialize(TSplashForm& splash)
{
    DataModule = std::make_unique<storage::TDM>(nullptr, *this);
    if (!DataModule->DBVersionOk) {
        ui::MessageDlg("Incompatible DataBase!", ui::mtError, ui::mbOK);
        return false;
    }

    splash.SetStatus("Starting Device Manager", kStepPauseMs);
    device_link::SetD2XXErrorBox([](const std::string& text) { ui::MessageDlg(text, ui::mtError, ui::mbOK); });
    DeviceManager = std::make_unique<device_link::TDeviceManager>(this);
    DeviceManager->OnData = device_link::TDeviceDataEvent(this, &TMainForm::OnDeviceData);
    DeviceManager->OnDeviceState = device_link::TDeviceStateEvent(this, &TMainForm::OnDeviceStatus);
    DeviceManager->OnBufferStatus = device_link::TDeviceBufferEvent(this, &TMainForm::OnBufferStatus);
    DeviceManager->OnConnectChange = device_link::TDeviceActionEvent(this, &TMainForm::OnDeviceAction);

    // The map window is not part of this program yet: the step has nothing to load.
    splash.SetStatus("Prepare Map", kStepPauseMs);

    splash.SetStatus("Enumerating Devices", kStepPauseMs);
    LoadStoredDevices();
    lvDevices->SetManager(DeviceManager.get());

    splash.SetStatus("Loading Settings", kStepPauseMs);
    DataModule->LoadCommon(CommonSettings);
    settingsLoaded_ = true;
    if (CommonSettings.AlwaysOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return true;
}

void TMainForm::LoadStoredDevices()
{
    auto& rows = DataModule->IBQ_DEVICES_;
    rows.First();
    while (!rows.Eof()) {
        device_link::TDeviceInfo info;
        info.Id = rows.FieldByName("ID")->GetAsInteger();
        info.DeviceType = rows.FieldByName("DEVICETYPE")->GetAsInteger();
        info.IP = rtl::Format("%d.%d.%d.%d", rows.FieldByName("IP1")->GetAsInteger(),
                              rows.FieldByName("IP2")->GetAsInteger(), rows.FieldByName("IP3")->GetAsInteger(),
                              rows.FieldByName("IP4")->GetAsInteger());
        info.TcpPort = rows.FieldByName("PORT")->GetAsInteger();
        info.Serial = rows.FieldByName("SERIAL")->GetAsString();
        info.UserId = rows.FieldByName("USERID")->GetAsString();
        info.Password = rows.FieldByName("PASS")->GetAsString();
        info.UsbSerial = rows.FieldByName("USBSERIAL")->GetAsString();
        info.ComPort = rows.FieldByName("COMPORT")->GetAsString();
        info.Alias = rows.FieldByName("ALIAS")->GetAsString();
        info.Pos = rows.FieldByName("POS")->GetAsInteger();
        info.MapX = rows.FieldByName("MAPX")->GetAsInteger();
        info.MapY = rows.FieldByName("MAPY")->GetAsInteger();
        info.MapLock = rows.FieldByName("MAPLOCK")->GetAsInteger();
        if (auto* config = dynamic_cast<db::TBlobField*>(rows.FieldByName("CONFIG"))) config->SaveToStream(info.Config);
        if (device_link::TDevice* device = DeviceManager->AddDevice(info)) {
            info.Config.SetPosition(0);
            device->LoadSettings(info.Config);
        }
        rows.Next();
    }
}

void TMainForm::PostInitialize()
{
    if (CommonSettings.MainMaximized) showMaximized();
    else Show();
    // Offering to export and clear outdated log records needs the log window, which
    // this program does not have yet.
    DeviceManager->SetAllMuted(false);
    LogByte(0, storage::leProgram, storage::lpStarted);
    if (CommonSettings.ConnectAllOnStart) {
        for (int i = 0; i < DeviceManager->GetCount(); ++i) {
            device_link::TDevice* device = DeviceManager->GetItem(i);
            if (!device->Configured) continue;
            ShowDeviceView(device);
            device->Connect();
        }
    }
    RefreshDeviceList();
}

// ---------------------------------------------------------------------------
// End

bool TMainForm::Shutdown(TSplashForm& splash)
{
    // Every step runs whatever became of the ones before it.
    bool whole = true;
    const auto step = [&whole](auto&& work) { whole &= ui::Guarded(work); };
    splash.Show();
    splash.SetStatus("Unloading Modules", kStepPauseMs);
    CommonSettings.MainMaximized = isMaximized() ? 1 : 0;

    splash.SetStatus("Terminating Devices", kStepPauseMs);
    step([this] { FreeDeviceManager(); });

    if (DataModule && DataModule->DBVersionOk) {
        // A start that failed before the record was read must not overwrite it with defaults.
        if (settingsLoaded_) step([this] { DataModule->SaveCommon(CommonSettings); });
        step([this] { LogByte(0, storage::leProgram, storage::lpTerminated); });
        splash.SetStatus("Clean Database", kStepPauseMs);
        DataModule->Splash = &splash;
        step([this] { DataModule->ExitMaintenance(); });
        DataModule->Splash = nullptr;
    }
    step([this] { FreeDataModule(); });
    return whole;
}

void TMainForm::FreeDeviceManager()
{
    if (!DeviceManager) return;
    lvDevices->SetManager(nullptr);
    // The units go while the manager is reachable: their disconnect notices are logged.
    DeviceManager->Clear();
    DeviceManager.reset();
}

void TMainForm::FreeDataModule() { DataModule.reset(); }

void TMainForm::FormClose(rtl::TObject*, ui::TCloseAction& action)
{
    action = ui::caHide;
    if (OnCloseRequest) OnCloseRequest();
}

// ---------------------------------------------------------------------------
// Unit manager events

void TMainForm::LogByte(std::int32_t id, std::int32_t code, std::uint8_t value)
{
    if (DataModule) DataModule->AddToLogBytes(id, code, &value, 0);
}

void TMainForm::OnDeviceData(device_link::TDevice*, const device_link::TArray&) {}

void TMainForm::OnDeviceStatus(device_link::TDevice* device, device_link::TStatus state)
{
    if (views::TDeviceRDSForm* view = ViewOf(device)) {
        if (device->Configured)
            ui::Guarded([&] { LogByte(device->Id, storage::leDeviceStatus, static_cast<std::uint8_t>(state)); });
        view->ShowState(state);
    }
    RefreshDeviceList();
}

void TMainForm::OnBufferStatus(device_link::TDevice*, const device_link::TComStats&) {}

void TMainForm::OnDeviceAction(device_link::TDevice* device, int action)
{
    // Also called while the units go at shutdown: a failed record must not end that.
    if (device->Id != 0)
        ui::Guarded([&] { LogByte(device->Id, storage::leDeviceAction, static_cast<std::uint8_t>(action)); });
}

// ---------------------------------------------------------------------------
// Unit list

void TMainForm::RefreshDeviceList() { lvDevices->Refresh(); }

void TMainForm::ShowDeviceView(device_link::TDevice* device)
{
    views::TDeviceRDSForm* view = ViewOf(device);
    if (!view) return;
    if (view->isMinimized()) view->showNormal();
    view->Show();
    view->raise();
}

void TMainForm::lvDevicesDblClick(rtl::TObject*)
{
    device_link::TDevice* device = lvDevices->Selected();
    if (!device) return;
    switch (CommonSettings.ListDblClickAction) {
    case dcaView: ShowDeviceView(device); break;
    case dcaViewAndConnect:
        ShowDeviceView(device);
        if (!device->IsConnected()) device->Connect();
        break;
    case dcaConnectDisconnect:
        if (device->IsConnected()) device->Disconnect();
        else device->Connect();
        break;
    default: break; // "Edit": the unit dialog is not part of this program yet
    }
    RefreshDeviceList();
}

void TMainForm::RestoreAndRaise()
{
    if (isMinimized()) showNormal();
    Show();
    raise();
    activateWindow();
}

} // namespace shell
