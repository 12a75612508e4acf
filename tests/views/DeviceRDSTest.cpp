// The RDS view: made by every unit once registered, presets, items shown and logged,
// the unit's name and firmware, and the status line.
#include <memory>

#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "StorageTestEngine.h"
#include "device_link/Device.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdControls.h"
#include "views/DeviceRDS.h"

namespace {

using device_link::TDevice;
using device_link::TProtocolPacket;
using kvtest::Bytes;
using views::TDeviceRDSForm;

TProtocolPacket Frame(std::initializer_list<std::pair<int, std::string>> items)
{
    TProtocolPacket frame;
    for (const auto& [code, data] : items)
        frame.Commands.push_back({code, data});
    return frame;
}

class DeviceRDSTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string folder = storagetest::EngineFolder();
        fbtest::CopyBuiltDatabase(folder);
        services.ProgramFile = folder + "kv7200";
        services.Common.LogEnabled = 1;
        services.Common.LogSystemEvents = 1;
        views::RegisterDeviceRDSView();
        manager = std::make_unique<device_link::TDeviceManager>(nullptr);
        services.Manager = manager.get();
        dm = std::make_unique<storage::TDM>(nullptr, services);
    }
    void TearDown() override
    {
        dm.reset();
        manager.reset();
        device_link::RegisterDeviceRDSViewFactory(nullptr);
    }

    TDevice* AddUnit(std::int32_t id)
    {
        device_link::TDeviceInfo row;
        row.DeviceType = device_link::dkCOM;
        row.ComPort = "pts/nowhere" + std::to_string(id);
        row.Alias = "Unit " + std::to_string(id);
        row.Id = id;
        TDevice* device = manager->AddDevice(row);
        rtl::TMemoryStream none;
        device->LoadSettings(none);
        return device;
    }

    static TDeviceRDSForm& ViewOf(TDevice* device)
    {
        auto* view = dynamic_cast<TDeviceRDSForm*>(device->GetRdsView());
        EXPECT_NE(view, nullptr);
        return *view;
    }

    rtl::TScopedFormatSettings numbers{'.', ','};
    kvtest::TNoLocalPorts noPorts;
    kvtest::TFormServices services;
    std::unique_ptr<device_link::TDeviceManager> manager;
    std::unique_ptr<storage::TDM> dm;
};

TEST_F(DeviceRDSTest, EveryUnitGetsItsViewOnceRegisteredAndPresetsShowInMHz)
{
    TDevice* device = AddUnit(3);
    TDeviceRDSForm& view = ViewOf(device);
    EXPECT_EQ(view.GetDevice(), device);
    EXPECT_FALSE(view.isVisible()); // hidden until shown
    EXPECT_NE(view.Caption().find("Unit 3"), std::string::npos);
    // A stored record of the wrong size reads as the defaults: 87.5 MHz everywhere.
    EXPECT_EQ(view.PresetCaption(0), "87.5");

    device_link::TDeviceSettings settings;
    device->GetSettings(settings);
    settings.Preset1 = 1075;
    settings.Preset2 = 50;
    settings.Preset3 = 1080;
    device->SetSettings(settings);
    EXPECT_EQ(view.PresetCaption(0), "107.5");
    EXPECT_EQ(view.PresetCaption(1), "5.0");
    EXPECT_EQ(view.PresetCaption(2), "108.0");

    // Without a registered factory units have no view and still work.
    device_link::RegisterDeviceRDSViewFactory(nullptr);
    TDevice* bare = AddUnit(4);
    EXPECT_EQ(bare->GetRdsView(), nullptr);
}

TEST_F(DeviceRDSTest, ADetectedUnitWithoutStoredSettingsShowsItsPortAndTheDefaultPresets)
{
    // What detection does with a serial port that opens: a new unit, then its port.
    TDevice detected(device_link::dkCOM, manager.get());
    detected.SetComPort("COM1");
    TDeviceRDSForm& view = ViewOf(&detected);
    EXPECT_EQ(view.Caption(), "RDS - COM COM1");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(view.PresetCaption(i), "87.5") << i;

    TDevice onTheNetwork(device_link::dkTCP, manager.get());
    onTheNetwork.SetIPText("127.0.0.7");
    EXPECT_EQ(ViewOf(&onTheNetwork).Caption(), "RDS - TCP 127.0.0.7");
    onTheNetwork.SetIPByte(3, 8);
    EXPECT_EQ(ViewOf(&onTheNetwork).Caption(), "RDS - TCP 127.0.0.8");
}

TEST_F(DeviceRDSTest, ItemsAreShownNamedAndLoggedOneRecordEach)
{
    TDevice* device = AddUnit(7);
    TDeviceRDSForm& view = ViewOf(device);
    EXPECT_EQ(device->GetUnitName(), "Unknown");

    const std::string name = std::string("KV-ROOF\0\0\0", 10);
    auto frame = Frame({{12, name},
                        {2, "2.14"},
                        {39, Bytes({0x33, 0x04})},
                        {54, "RADIO 7 "},
                        {42, Bytes({0x20, 0x02})}, // RF level: not logged by default
                        {58, Bytes({1})}});        // no name, still shown
    view.ProcessFrame(frame);

    EXPECT_EQ(device->UnitName, "KV-ROOF");
    EXPECT_EQ(device->Firmware, "2.14");
    EXPECT_NE(view.StatusText().find("Unit: KV-ROOF"), std::string::npos) << view.StatusText();
    EXPECT_EQ(view.ItemCount(), 6);
    EXPECT_EQ(view.ItemName(39), "Frequency");
    EXPECT_EQ(view.ItemText(39), "107.5 MHz");
    EXPECT_EQ(view.ItemName(54), "PS");
    EXPECT_EQ(view.ItemText(54), "RADIO 7 ");
    EXPECT_EQ(view.ItemName(12), "Unit Name");
    EXPECT_TRUE(view.HasItem(58));
    EXPECT_EQ(view.ItemName(58), "");

    const std::vector<kvtest::TLogRecord> expected = {
        {12, 7, name}, {2, 7, "2.14"}, {39, 7, Bytes({0x33, 0x04})}, {54, 7, "RADIO 7 "}, {58, 7, Bytes({1})}};
    EXPECT_EQ(kvtest::ReadLog(dm->IBDatabase, &dm->IBTransaction), expected);

    // A later frame updates the rows it names and adds records; the others stay.
    auto next = Frame({{39, Bytes({0x2C, 0x04})}});
    view.ProcessFrame(next);
    EXPECT_EQ(view.ItemText(39), "106.8 MHz");
    EXPECT_EQ(view.ItemText(54), "RADIO 7 ");
    EXPECT_EQ(view.ItemCount(), 6);
    EXPECT_EQ(kvtest::ReadLog(dm->IBDatabase, &dm->IBTransaction).size(), expected.size() + 1);

    // With the unit's logging off nothing of it is written; the view still shows it.
    device_link::TDeviceSettings settings;
    device->GetSettings(settings);
    settings.LogUnitEnabled = 0;
    device->SetSettings(settings);
    auto quiet = Frame({{39, Bytes({0x33, 0x04})}});
    view.ProcessFrame(quiet);
    EXPECT_EQ(view.ItemText(39), "107.5 MHz");
    EXPECT_EQ(kvtest::ReadLog(dm->IBDatabase, &dm->IBTransaction).size(), expected.size() + 1);
}

TEST_F(DeviceRDSTest, StatusLineFollowsTheLinkStateEverySecondAndAtOnceWhenTold)
{
    TDevice* device = AddUnit(9);
    TDeviceRDSForm& view = ViewOf(device);
    EXPECT_EQ(view.StatusText().rfind("Idle", 0), 0u) << view.StatusText();
    EXPECT_NE(view.StatusText().find("Unknown"), std::string::npos);

    view.ShowState(device_link::stConnectionRefused);
    EXPECT_EQ(view.StatusText().rfind("Connection Refused", 0), 0u) << view.StatusText();

    // The timer reads the unit's state (and its name) by itself.
    view.SetStatusInterval(20);
    device->State = device_link::stSocketError;
    device->UnitName = "MAST";
    EXPECT_TRUE(testsupport::WaitUntil([&] { return view.StatusText().rfind("Socket Error", 0) == 0; }, 2000))
        << view.StatusText();
    EXPECT_NE(view.StatusText().find("MAST"), std::string::npos);
}

TEST(LinkStateText, NamesEveryStateTheListShows)
{
    EXPECT_EQ(views::LinkStateText(device_link::stConnected), "Connected");
    EXPECT_EQ(views::LinkStateText(device_link::stConnecting), "Attempt Connection");
    EXPECT_EQ(views::LinkStateText(device_link::stUnableToConnect), "Ubable to Connect");
    EXPECT_EQ(views::LinkStateText(device_link::stSocketError), "Socket Error");
    EXPECT_EQ(views::LinkStateText(device_link::stUnknown), "Unknown");
}

} // namespace
