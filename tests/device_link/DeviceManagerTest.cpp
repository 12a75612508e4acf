// The unit manager: detection on fake sysfs trees, the merge of stored rows, purge,
// ordering and device notices.
#include <gtest/gtest.h>

#include "DeviceFakes.h"
#include "device_link/PnPNotificator.h"
#include "platform/io/SerialLine.h"

using namespace device_link;
using devtest::FakeViewFactory;

namespace {

TDeviceInfo Row(int type, const std::string& address, int id, int pos)
{
    TDeviceInfo row;
    row.DeviceType = type;
    if (type == dkUSB) row.UsbSerial = address;
    else if (type == dkCOM) row.ComPort = address;
    else row.IP = address;
    row.Id = id;
    row.Pos = pos;
    return row;
}

class ManagerFixture : public ::testing::Test {
protected:
    void AddKvBridge(const std::string& busId, const std::string& serial)
    {
        hw.Bridges.AddBridge(busId, 0x0403, 0x6001, serial, "KV7200", "", "");
    }
    std::unique_ptr<TDeviceManager> Make()
    {
        auto m = std::make_unique<TDeviceManager>(&owner);
        events.Attach(*m);
        return m;
    }
    static std::vector<std::string> Addresses(const TDeviceManager& m)
    {
        std::vector<std::string> out;
        for (int i = 0; i < m.GetCount(); ++i) out.push_back(m.GetItem(i)->GetAddressText());
        return out;
    }

    devtest::FakeHardware hw;
    FakeViewFactory views;
    rtl::TComponent owner{nullptr};
    devtest::ManagerEvents events;
};

} // namespace

TEST_F(ManagerFixture, AMachineWithoutUnits)
{
    auto m = Make();
    EXPECT_EQ(m->GetCount(), 0);
    EXPECT_EQ(m->GetItem(0), nullptr);
    EXPECT_EQ(m->GetItem(-1), nullptr);
    EXPECT_EQ(m->FindById(0), nullptr);
    // No bridge attached is not a driver failure.
    EXPECT_EQ(hw.ErrorBoxes, std::vector<std::string>{});
    // The notificator belongs to the owner and goes with the manager.
    ASSERT_NE(m->GetNotificator(), nullptr);
    EXPECT_EQ(owner.GetComponentCount(), 1);
    EXPECT_EQ(owner.GetComponents(0), m->GetNotificator());
    m.reset();
    EXPECT_EQ(owner.GetComponentCount(), 0);
}

TEST_F(ManagerFixture, StoredRowsFollowDetectedUnitsInListOrder)
{
    AddKvBridge("1-1", "KVA");
    AddKvBridge("1-2", "KVB");
    AddKvBridge("1-3", "KVC");
    hw.Bridges.AddBridge("1-4", 0x0403, 0x6015, "OTHER", "not a KV7200", "", "");
    auto m = Make();
    // Three detected units, all at -1: the quicksort's swaps leave them reversed.
    EXPECT_EQ(Addresses(*m), (std::vector<std::string>{"KVC", "KVB", "KVA"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m->GetItem(i)->Pos, -1);
        EXPECT_EQ(m->GetItem(i)->Configured, 0);
        EXPECT_EQ(m->GetItem(i)->Present, 1);
        EXPECT_EQ(m->GetItem(i)->Kind, dkUSB);
    }
    EXPECT_STREQ(m->GetItem(0)->FtNode.SerialNumber, "KVC");
    EXPECT_EQ(m->GetItem(0)->FtNode.ID, 0x04036001u);

    EXPECT_EQ(m->AddDevice(Row(dkTCP, "10.0.0.2", 12, 2))->Pos, 2);
    EXPECT_EQ(m->AddDevice(Row(dkTCP, "10.0.0.0", 10, 0))->Pos, 0);
    EXPECT_EQ(m->AddDevice(Row(dkTCP, "10.0.0.1", 11, 1))->Pos, 1);
    EXPECT_EQ(Addresses(*m), (std::vector<std::string>{"KVA", "KVB", "KVC", "10.0.0.0", "10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(m->GetItem(m->GetCount()), nullptr);
    EXPECT_EQ(m->FindById(11), m->GetItem(4));

    // The operator moves a unit to the front.
    m->GetItem(5)->Pos = -5;
    m->Sort();
    EXPECT_EQ(m->GetItem(0)->GetAddressText(), "10.0.0.2");

    // Ids as the unit list assigns them: a new unit stored after the lookups began is
    // found by its new id and no longer by its old one.
    TDevice* kvb = m->GetItem(m->IndexOfUsbSerial("KVB"));
    EXPECT_EQ(m->FindById(12), m->GetItem(0));
    EXPECT_EQ(m->FindById(40), nullptr);
    kvb->Id = 40;
    EXPECT_EQ(m->FindById(40), kvb);
    kvb->Id = 41;
    EXPECT_EQ(m->FindById(40), nullptr);
    EXPECT_EQ(m->FindById(41), kvb);
    // A unit that goes is not found.
    TDevice* gone = m->FindById(10);
    ASSERT_NE(gone, nullptr);
    gone->Configured = 0;
    m->Purge();
    EXPECT_EQ(m->FindById(10), nullptr);
    EXPECT_EQ(m->FindById(11)->GetAddressText(), "10.0.0.1");
}

TEST_F(ManagerFixture, AStoredUsbUnitFoundAttachedIsListedOnce)
{
    AddKvBridge("1-1", "KV01");
    auto m = Make();
    ASSERT_EQ(m->GetCount(), 1);
    TDevice* detected = m->GetItem(0);
    EXPECT_EQ(detected->Configured, 0);

    TDeviceInfo row = Row(dkUSB, "KV01", 7, 0);
    row.Alias = "Roof";
    row.Serial = "S-1";
    row.Password = "pw";
    row.UserId = "user";
    row.MapX = 10;
    row.MapY = 20;
    row.MapLock = 1;
    EXPECT_EQ(m->AddDevice(row), detected);
    ASSERT_EQ(m->GetCount(), 1);
    EXPECT_EQ(detected->Configured, 1);
    EXPECT_EQ(detected->Present, 1);
    EXPECT_EQ(detected->Id, 7);
    EXPECT_EQ(detected->Pos, 0);
    EXPECT_EQ(detected->Alias, "Roof");
    EXPECT_EQ(detected->Serial, "S-1");
    EXPECT_EQ(detected->Password, "pw");
    EXPECT_EQ(detected->UserId, "");
    EXPECT_EQ(detected->MapY, 20);
    EXPECT_EQ(detected->MapLock, 1);

    m->Refresh();
    ASSERT_EQ(m->GetCount(), 1);
    EXPECT_EQ(m->GetItem(0), detected);
    EXPECT_EQ(detected->Present, 1);
}

TEST_F(ManagerFixture, UnplugAndPlugThroughDeviceNotices)
{
    AddKvBridge("1-1", "STORED");
    AddKvBridge("1-2", "LOOSE");
    auto m = Make();
    TDevice* stored = m->AddDevice(Row(dkUSB, "STORED", 1, 0));
    ASSERT_EQ(m->GetCount(), 2);

    hw.Bridges.RemoveBridge("1-1", "");
    hw.Bridges.RemoveBridge("1-2", "");
    m->GetNotificator()->DeviceChange("remove");
    ASSERT_EQ(m->GetCount(), 1);
    EXPECT_EQ(m->GetItem(0), stored);
    EXPECT_EQ(stored->Present, 0);
    EXPECT_EQ(stored->Configured, 1);

    // Other notices do not detect again.
    AddKvBridge("1-3", "NEW");
    m->GetNotificator()->DeviceChange("bind");
    m->GetNotificator()->DeviceChange("change");
    EXPECT_EQ(m->GetCount(), 1);
    m->GetNotificator()->DeviceChange("add");
    EXPECT_EQ(Addresses(*m), (std::vector<std::string>{"NEW", "STORED"}));
    // A unit found after start-up stays muted until the main window unmutes it.
    EXPECT_EQ(m->GetItem(0)->GetTransport()->Muted.load(), 1);
}

TEST_F(ManagerFixture, StoredTcpAndSerialRows)
{
    auto m = Make();
    TDeviceInfo first = Row(dkTCP, "10.0.0.5", 1, 3);
    first.Alias = "Mast";
    first.UserId = "admin";
    first.Password = "1234";
    first.TcpPort = 843;
    first.MapX = 4;
    TDevice* unit = m->AddDevice(first);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->Configured, 1);
    EXPECT_EQ(unit->Present, 0);
    EXPECT_EQ(unit->UserId, "admin");
    EXPECT_EQ(unit->TcpPort, 843);
    EXPECT_EQ(static_cast<TComTCP*>(unit->GetTransport())->GetHost(), "10.0.0.5");

    // A second row with the same address updates the unit and keeps its texts.
    TDeviceInfo second = Row(dkTCP, "10.0.0.5", 2, 8);
    second.Alias = "Other";
    second.UserId = "guest";
    second.MapX = 9;
    EXPECT_EQ(m->AddDevice(second), unit);
    ASSERT_EQ(m->GetCount(), 1);
    EXPECT_EQ(unit->Id, 2);
    EXPECT_EQ(unit->Pos, 8);
    EXPECT_EQ(unit->MapX, 9);
    EXPECT_EQ(unit->Alias, "Mast");
    EXPECT_EQ(unit->UserId, "admin");

    // A serial row takes no user id; an unknown type makes no unit.
    TDeviceInfo serial = Row(dkCOM, "COM9", 3, 1);
    serial.UserId = "nobody";
    TDevice* com = m->AddDevice(serial);
    EXPECT_EQ(com->UserId, "");
    EXPECT_EQ(com->ComPort, "COM9");
    EXPECT_EQ(m->AddDevice(Row(4, "x", 4, 0)), nullptr);
    EXPECT_EQ(m->AddDevice(Row(0, "", 5, 0)), nullptr);
    EXPECT_EQ(m->GetCount(), 2);

    // Lookups compare the address exactly.
    EXPECT_EQ(m->IndexOfComPort("COM9"), 0);
    EXPECT_EQ(m->IndexOfComPort("com9"), -1);
    EXPECT_EQ(m->IndexOfIP("10.0.0.5"), 1);
    EXPECT_EQ(m->IndexOfIP("10.0.0.05"), -1);
    EXPECT_EQ(m->IndexOfUsbSerial("10.0.0.5"), -1);
    EXPECT_EQ(m->FindById(3), com);

    // A stored address that is not an address fails the merge and leaves no unit.
    EXPECT_THROW(m->AddDevice(Row(dkTCP, "10.0.x.1", 6, 0)), rtl::EConvertError);
    EXPECT_EQ(m->GetCount(), 2);

    // Stored units survive a refresh although nothing of them is attached.
    m->Refresh();
    EXPECT_EQ(m->GetCount(), 2);

    m->SetAllMuted(false);
    EXPECT_EQ(unit->GetTransport()->Muted.load(), 0);
    EXPECT_EQ(com->GetTransport()->Muted.load(), 0);

    // Clearing disconnects every unit.
    events.Events.clear();
    m->Clear();
    EXPECT_EQ(m->GetCount(), 0);
    EXPECT_EQ(events.Values("action"), (std::vector<int>{1, 1}));
}

TEST_F(ManagerFixture, SerialPortDetection)
{
    devtest::Pty free0, uart0, inUse, usbOther;
    hw.Ttys.AddPort("ttyS0", "4", free0.SlavePath());
    hw.Ttys.AddPort("ttyS1", "0", uart0.SlavePath());   // no UART
    hw.Ttys.AddPort("ttyS2", "4", hw.Dir.File("gone")); // node that does not open
    hw.Ttys.AddPort("ttyS3", "4", inUse.SlavePath());
    hw.Ttys.AddPort("tty5", "", free0.SlavePath(), "", false); // no driver
    // The KV7200 bridge's port is a USB unit; another bridge's port is a serial port.
    hw.Bridges.AddBridge("1-1", 0x0403, 0x6001, "KV01", "KV7200", "ttyUSB0", free0.SlavePath());
    hw.Ttys.AddPort("ttyUSB0", "", "", hw.BridgePortDir("1-1", "ttyUSB0"));
    hw.Bridges.AddBridge("1-2", 0x0403, 0x6015, "X1", "Other", "ttyUSB1", usbOther.SlavePath());
    hw.Ttys.AddPort("ttyUSB1", "", "", hw.BridgePortDir("1-2", "ttyUSB1"));

    const auto ports = ListSerialPorts();
    std::vector<std::string> names, paths;
    for (const auto& p : ports) {
        names.push_back(p.PortName);
        paths.push_back(p.DevicePath);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM3", "COM4", "ttyUSB1"}));
    EXPECT_EQ(paths[0], hw.Bridges.DevRoot() + "/ttyS0");

    io::SerialLine other; // another program has ttyS3 open
    ASSERT_TRUE(other.Open(inUse.SlavePath()));
    auto m = Make();
    EXPECT_EQ(Addresses(*m), (std::vector<std::string>{"ttyUSB1", "COM1", "KV01"}));
    TDevice* com1 = m->GetItem(m->IndexOfComPort("COM1"));
    EXPECT_EQ(com1->Kind, dkCOM);
    EXPECT_EQ(com1->Present, 1);
    EXPECT_EQ(static_cast<TComCom*>(com1->GetTransport())->GetPortName(), "COM1");
    // Its view has its port and, there being no stored record, the defaults.
    ASSERT_NE(FakeViewFactory::ViewOf(com1), nullptr);
    EXPECT_GT(FakeViewFactory::ViewOf(com1)->Applied, 0);
    EXPECT_EQ(FakeViewFactory::ViewOf(com1)->Settings, TDeviceSettings{});
    // The probe closed the port again.
    io::SerialLine probe;
    EXPECT_TRUE(probe.Open(free0.SlavePath()));
    probe.Close();

    // A stored unit on the busy port is marked present without being opened.
    TDevice* stored = m->AddDevice(Row(dkCOM, "COM4", 1, 0));
    TDevice* absent = m->AddDevice(Row(dkCOM, "COM7", 2, 1));
    m->Refresh();
    EXPECT_EQ(stored->Present, 1);
    EXPECT_EQ(absent->Present, 0);
    EXPECT_EQ(m->GetCount(), 5);
}

TEST_F(ManagerFixture, ADetectionAskedForDuringDetectionRunsAfterIt)
{
    auto m = Make();
    // A view whose creation lets a device notice in, as a message box would.
    bool once = true;
    RegisterDeviceRDSViewFactory([&]() -> std::unique_ptr<IDeviceRDSView> {
        if (once) {
            once = false;
            m->GetNotificator()->DeviceChange("add");
        }
        return std::make_unique<devtest::FakeRDSView>();
    });
    AddKvBridge("1-1", "KV01");
    m->Refresh();
    EXPECT_FALSE(once);
    EXPECT_EQ(Addresses(*m), std::vector<std::string>{"KV01"});
}
