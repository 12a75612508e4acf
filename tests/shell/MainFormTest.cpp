// The main window on a database with two stored units: initialization on the splash,
// the unit list, the logged link states and actions, double clicks, a refused database.
#include <memory>

#include <QTest>
#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "StorageTestEngine.h"
#include "device_link/Device.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/ui/Application.h"
#include "platform/ui/StdControls.h"
#include "shell/DeviceListView.h"
#include "shell/Splash.h"
#include "shell/kv7200_Main.h"
#include "simulator/UnitSimulator.h"
#include "views/DeviceRDS.h"

namespace {

using device_link::TDevice;
using kvtest::Bytes;
using kvtest::TLogRecord;
using shell::TDeviceListView;

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = storagetest::EngineFolder();
        fbtest::CopyBuiltDatabase(folder);
        serialUnit.StartPty();
        ids = rig::ConfigureDatabase(folder,
                                     {{device_link::dkCOM, serialUnit.PtyName(), "Desk", false},
                                      {device_link::dkTCP, "127.0.0.9", "Mast", false}},
                                     [](storage::TCommonSettings& common) {
                                         common.LogEnabled = 1;
                                         common.LogSystemEvents = 1;
                                     });
        views::RegisterDeviceRDSView();
        splash.OnStatus = [this](const std::string& text) { statuses.push_back(text); };
        form = std::make_unique<shell::TMainForm>(folder + "kv7200");
    }
    void TearDown() override
    {
        form.reset();
        device_link::RegisterDeviceRDSViewFactory(nullptr);
    }

    std::vector<TLogRecord> Log() { return kvtest::ReadLog(form->DataModule->IBDatabase); }
    TDevice* Unit(int index) { return form->DeviceManager->FindById(ids[static_cast<std::size_t>(index)]); }
    int RowOf(TDevice* device)
    {
        for (int row = 1; row < form->lvDevices->RowCount(); ++row)
            if (form->lvDevices->DeviceAt(row) == device) return row;
        return -1;
    }
    static views::TDeviceRDSForm* ViewOf(TDevice* device)
    {
        return dynamic_cast<views::TDeviceRDSForm*>(device->GetRdsView());
    }

    std::string folder;
    kvtest::TNoLocalPorts noPorts;
    kvtest::TRecordingBoxes boxes;
    sim::UnitSimulator serialUnit;
    std::vector<std::int32_t> ids;
    shell::TSplashForm splash;
    std::vector<std::string> statuses;
    std::unique_ptr<shell::TMainForm> form;
};

TEST_F(MainFormTest, InitializationAnnouncesItsStepsAndListsTheStoredUnits)
{
    ASSERT_TRUE(form->Initialize(splash));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Starting Device Manager", "Prepare Map", "Enumerating Devices",
                                                  "Loading Settings"}));
    EXPECT_EQ(shell::MainForm, form.get());
    EXPECT_EQ(storage::DM, form->DataModule.get());
    EXPECT_EQ(form->CommonSettings.LogEnabled, 1);
    EXPECT_EQ(form->CommonSettings.ListDblClickAction, 2); // the stored defaults

    ASSERT_EQ(form->DeviceManager->GetCount(), 2);
    TDevice* desk = Unit(0);
    TDevice* mast = Unit(1);
    ASSERT_NE(desk, nullptr);
    ASSERT_NE(mast, nullptr);
    EXPECT_TRUE(desk->Configured);
    EXPECT_EQ(mast->Alias, "Mast");

    auto& list = *form->lvDevices;
    ASSERT_EQ(list.RowCount(), 3);
    EXPECT_EQ(list.CellText(TDeviceListView::colState, 0), "State");
    const int deskRow = RowOf(desk), mastRow = RowOf(mast);
    EXPECT_EQ(list.CellText(TDeviceListView::colType, deskRow), "COM");
    EXPECT_EQ(list.CellText(TDeviceListView::colAddress, deskRow), serialUnit.PtyName());
    EXPECT_EQ(list.CellText(TDeviceListView::colAlias, deskRow), "Desk");
    EXPECT_EQ(list.CellText(TDeviceListView::colType, mastRow), "TCP");
    EXPECT_EQ(list.CellText(TDeviceListView::colAddress, mastRow), "127.0.0.9");
    EXPECT_EQ(list.CellText(TDeviceListView::colState, mastRow), "Idle");

    // Each unit's backlog gauge sits in its row's backlog cell and follows the backlog.
    ui::TGauge& gauge = mast->GetGauge();
    EXPECT_EQ(gauge.Parent(), &list);
    const ui::TRect cell = list.CellRect(TDeviceListView::colBacklog, mastRow);
    EXPECT_TRUE(cell.ContainsRect(gauge.BoundsRect()));
    EXPECT_FALSE(gauge.BoundsRect().IsEmpty());
    device_link::TComStats stats;
    stats.Pending = 150;
    mast->OnStats(stats);
    EXPECT_EQ(gauge.Progress(), 150);
    EXPECT_EQ(gauge.BarColor(), ui::clRed);

    // The manager's units go before the list: the gauges leave it with them.
    form->Shutdown(splash);
    EXPECT_EQ(form->DeviceManager, nullptr);
    EXPECT_EQ(list.RowCount(), 2); // one blank row under the title
    EXPECT_EQ(list.DeviceAt(1), nullptr);
    EXPECT_EQ(list.CellText(TDeviceListView::colAlias, 1), "");
    EXPECT_TRUE(boxes.Texts.empty());
}

TEST_F(MainFormTest, LinkStatesAndActionsOfConfiguredUnitsAreLoggedAndShown)
{
    ASSERT_TRUE(form->Initialize(splash));
    TDevice* mast = Unit(1);
    const std::int32_t id = mast->Id;

    mast->OnState(device_link::stConnectionRefused);
    EXPECT_EQ(kvtest::Select(Log(), 1002, id), (std::vector<TLogRecord>{{1002, id, Bytes({5})}}));
    EXPECT_EQ(ViewOf(mast)->StatusText().rfind("Connection Refused", 0), 0u);
    EXPECT_EQ(form->lvDevices->CellText(TDeviceListView::colState, RowOf(mast)), "Connection Refused");

    // A unit that is not configured is not logged, but still shown.
    mast->SetConfigured(0);
    EXPECT_EQ(kvtest::Select(Log(), 1002, id).size(), 1u);
    EXPECT_EQ(form->lvDevices->CellText(TDeviceListView::colState, RowOf(mast)), "Idle");

    form->OnDeviceAction(mast, 1);
    EXPECT_EQ(kvtest::Select(Log(), 1003, id), (std::vector<TLogRecord>{{1003, id, Bytes({1})}}));
    // Without a database id nothing is written.
    const auto before = Log().size();
    mast->Id = 0;
    form->OnDeviceAction(mast, 0);
    mast->OnState(device_link::stIdle);
    EXPECT_EQ(Log().size(), before);
    form->Shutdown(splash);
}

TEST_F(MainFormTest, DoubleClickOnTheListDoesWhatTheSettingsSay)
{
    ASSERT_TRUE(form->Initialize(splash));
    form->Show();
    auto& list = *form->lvDevices;
    TDevice* desk = Unit(0);
    const std::int32_t id = desk->Id;
    list.SetRow(RowOf(desk));
    const auto doubleClick = [&] {
        const ui::TRect cell = list.CellRect(TDeviceListView::colAlias, RowOf(desk));
        QTest::mouseDClick(&list, Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
        ui::ProcessMessages();
    };
    const auto actions = [&] { return kvtest::Select(Log(), 1003, id); };

    form->CommonSettings.ListDblClickAction = shell::dcaEdit; // no unit dialog yet: nothing
    doubleClick();
    EXPECT_FALSE(ViewOf(desk)->isVisible());
    EXPECT_TRUE(actions().empty());

    form->CommonSettings.ListDblClickAction = shell::dcaView;
    doubleClick();
    EXPECT_TRUE(ViewOf(desk)->isVisible());
    EXPECT_TRUE(actions().empty());
    ViewOf(desk)->Hide();

    form->CommonSettings.ListDblClickAction = shell::dcaViewAndConnect;
    doubleClick();
    EXPECT_TRUE(ViewOf(desk)->isVisible());
    EXPECT_EQ(actions(), (std::vector<TLogRecord>{{1003, id, Bytes({0})}}));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return desk->IsConnected(); }));

    form->CommonSettings.ListDblClickAction = shell::dcaConnectDisconnect;
    doubleClick();
    EXPECT_EQ(actions().back(), (TLogRecord{1003, id, Bytes({1})}));
    EXPECT_TRUE(serialUnit.WaitForFrames(1, 2000));
    EXPECT_EQ(serialUnit.ReceivedFrames().front(), (sim::Bytes{0x18})); // the unit is told first
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !desk->IsConnected(); }));
    doubleClick();
    EXPECT_EQ(actions().back(), (TLogRecord{1003, id, Bytes({0})}));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return desk->IsConnected(); }));
    form->Shutdown(splash);
    EXPECT_TRUE(boxes.Texts.empty());
}

TEST_F(MainFormTest, AnIncompatibleDatabaseIsRefusedBeforeAnythingIsRead)
{
    {
        fbtest::TConnection c(folder + "kv7200.FDB");
        fb::TIBSQL q(&c.db);
        q.SetParamCheck(false);
        q.SetSQL("ALTER PROCEDURE GET_DB_VERSION RETURNS (DBVER INTEGER) AS BEGIN DBVER = 2; END");
        q.ExecQuery();
        c.tr.Commit();
    }
    EXPECT_FALSE(form->Initialize(splash));
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{"Incompatible DataBase!"});
    EXPECT_TRUE(statuses.empty());
    EXPECT_EQ(form->DeviceManager, nullptr);
    // Nothing is saved or logged at the end.
    form->Shutdown(splash);
    EXPECT_EQ(form->DataModule, nullptr);
    fbtest::TConnection c(folder + "kv7200.FDB");
    EXPECT_TRUE(kvtest::ReadLog(c.db).empty());
}

TEST_F(MainFormTest, AStartThatFailedBeforeTheSettingsWereReadKeepsTheStoredOnes)
{
    // The data module is up, then the initialization fails (say, on a stored unit)
    // before the settings record is read.
    form->DataModule = std::make_unique<storage::TDM>(nullptr, *form);
    ASSERT_TRUE(form->DataModule->DBVersionOk);
    form->Shutdown(splash);
    EXPECT_EQ(form->DataModule, nullptr);

    kvtest::TFormServices services;
    services.ProgramFile = folder + "kv7200";
    storage::TDM dm(nullptr, services);
    storage::TCommonSettings stored;
    dm.LoadCommon(stored);
    EXPECT_EQ(stored.LogEnabled, 1);
    EXPECT_EQ(stored.LogSystemEvents, 1);
    EXPECT_EQ(stored.ListDblClickAction, 2);
}

TEST_F(MainFormTest, RestoreAndRaiseBringsTheWindowBack)
{
    form->showMinimized();
    ui::ProcessMessages();
    ASSERT_TRUE(form->isMinimized());
    form->RestoreAndRaise();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->isVisible());
}

} // namespace
