// A unit of each kind, merged into the manager, connected to the unit simulator:
// frames reach the unit's view in order, and Disconnect sends the framed 0x18.
#include <gtest/gtest.h>

#include "DeviceFakes.h"
#include "simulator/UnitSimulator.h"

using namespace device_link;
using devtest::FakeRDSView;
using devtest::FakeViewFactory;
using testsupport::WaitUntil;

namespace {

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = std::make_unique<TDeviceManager>(&owner);
        events.Attach(*manager);
    }
    void TearDown() override { manager.reset(); }

    // Unmutes the unit and shortens its idle polling.
    static void Ready(TDevice* unit)
    {
        ASSERT_NE(unit, nullptr);
        unit->SetMuted(false);
        unit->GetTransport()->PollIntervalMs = 10;
    }
    bool WaitForState(TDevice* unit, TStatus code, std::size_t occurrences = 1)
    {
        return WaitUntil([&] {
            std::size_t n = 0;
            for (const int v : events.Values("state", unit)) n += v == code;
            return n >= occurrences;
        });
    }
    // Three frames from the simulator arrive at the unit's view whole and in order.
    void ExpectFramesInOrder(sim::UnitSimulator& sim, TDevice* unit)
    {
        FakeRDSView* view = FakeViewFactory::ViewOf(unit);
        ASSERT_NE(view, nullptr);
        const std::size_t before = view->Frames.size();
        for (std::uint8_t i = 0; i < 3; ++i) ASSERT_TRUE(sim.SendFrame({{0x02, {i, 0x10}}, {0x40, {0xC0, i}}}));
        ASSERT_TRUE(WaitUntil([&] { return view->Frames.size() >= before + 3; }));
        ASSERT_EQ(view->Frames.size(), before + 3);
        for (std::size_t k = 0; k < 3; ++k) {
            const auto& f = view->Frames[before + k];
            if (k > 0) {
                EXPECT_EQ(f.Seq, view->Frames[before + k - 1].Seq + 1);
            }
            ASSERT_EQ(f.Items.size(), 2u);
            EXPECT_EQ(f.Items[0].first, 0x02);
            EXPECT_EQ(f.Items[0].second, (TBArray{std::uint8_t(k), 0x10}));
            EXPECT_EQ(f.Items[1].first, 0x40);
            EXPECT_EQ(f.Items[1].second, (TBArray{0xC0, std::uint8_t(k)}));
        }
        EXPECT_GE(events.Values("data", unit).size(), 1u);
    }
    // Disconnect sends the one-byte command 0x18 in a host frame, then closes.
    void ExpectDisconnectCommand(sim::UnitSimulator& sim, TDevice* unit)
    {
        const std::size_t before = sim.ReceivedFrames().size();
        unit->Disconnect();
        ASSERT_TRUE(sim.WaitForFrames(before + 1, 5000));
        EXPECT_EQ(sim.ReceivedFrames().back(), (sim::Bytes{0x18}));
        const sim::Bytes bytes = sim.ReceivedBytes();
        ASSERT_GE(bytes.size(), 7u);
        // Head, LEN 1, the command, CHK = LEN xor command, tail.
        EXPECT_EQ(sim::Bytes(bytes.end() - 7, bytes.end()), (sim::Bytes{'$', '!', 0x01, 0x18, 0x19, '$', '.'}));
        EXPECT_TRUE(WaitUntil([&] { return !unit->IsConnected(); }));
        EXPECT_EQ(events.Values("action", unit).back(), 1);
    }

    devtest::FakeHardware hw;
    FakeViewFactory views;
    rtl::TComponent owner{nullptr};
    std::unique_ptr<TDeviceManager> manager;
    devtest::ManagerEvents events;
};

TDeviceInfo Row(int type, int id)
{
    TDeviceInfo row;
    row.DeviceType = type;
    row.Id = id;
    return row;
}

} // namespace

TEST_F(LinkFixture, SerialUnitOnAPseudoTerminal)
{
    sim::UnitSimulator first, second;
    first.StartPty();
    second.StartPty();
    TDeviceInfo row = Row(dkCOM, 1);
    row.ComPort = first.PtyName();
    TDevice* unit = manager->AddDevice(row);
    Ready(unit);

    EXPECT_TRUE(unit->Connect());
    ASSERT_TRUE(WaitForState(unit, stConnected));
    EXPECT_EQ(unit->State, stConnected);
    EXPECT_TRUE(unit->IsConnected());
    EXPECT_EQ(events.Values("action", unit), std::vector<int>{0});
    ExpectFramesInOrder(first, unit);

    // A new port for a connected unit: the link moves over to it.
    unit->SetComPort(second.PtyName());
    EXPECT_EQ(unit->ComPort, second.PtyName());
    ASSERT_TRUE(WaitForState(unit, stConnected, 2));
    EXPECT_TRUE(unit->IsConnected());
    ExpectFramesInOrder(second, unit);

    ExpectDisconnectCommand(second, unit);
    EXPECT_TRUE(first.ReceivedFrames().empty());
}

TEST_F(LinkFixture, UsbUnitOnAFakeBridge)
{
    sim::UnitSimulator sim;
    sim.StartPty();
    hw.Bridges.AddBridge("1-1", 0x0403, 0x6001, "KV72000001", "KV7200 Decoder", "ttyUSB0", sim.PtyPath());
    hw.Ttys.AddPort("ttyUSB0", "", "", hw.BridgePortDir("1-1", "ttyUSB0"));
    manager->Refresh();
    // Found once, as a USB unit; then stored.
    ASSERT_EQ(manager->GetCount(), 1);
    TDeviceInfo row = Row(dkUSB, 2);
    row.UsbSerial = "KV72000001";
    TDevice* unit = manager->AddDevice(row);
    ASSERT_EQ(unit, manager->GetItem(0));
    EXPECT_EQ(unit->Present, 1);
    EXPECT_EQ(unit->Configured, 1);
    Ready(unit);

    EXPECT_TRUE(unit->Connect());
    ASSERT_TRUE(WaitForState(unit, stConnected));
    ExpectFramesInOrder(sim, unit);
    ExpectDisconnectCommand(sim, unit);
}

TEST_F(LinkFixture, TcpUnitOnTheLoopback)
{
    sim::UnitSimulator sim;
    const int port = sim.StartTcp(0);
    TDeviceInfo row = Row(dkTCP, 3);
    row.IP = "127.0.0.1";
    TDevice* unit = manager->AddDevice(row);
    Ready(unit);
    static_cast<TComTCP*>(unit->GetTransport())->Port = port;

    EXPECT_FALSE(unit->Connect()); // the outcome comes as a state
    ASSERT_TRUE(WaitForState(unit, stConnected));
    ASSERT_TRUE(sim.WaitForClient(5000));
    EXPECT_EQ(events.Values("state", unit).front(), stConnecting);
    ExpectFramesInOrder(sim, unit);

    // A new address for a connected unit reconnects it (here to the same simulator,
    // which keeps sending so the reader sees the close at once).
    sim.Play({sim::ScenarioStep::MakeFrames(0, 100, {{0x03, {0x01}}})});
    unit->SetIPText("127.0.0.1");
    ASSERT_TRUE(WaitForState(unit, stConnected, 2));
    EXPECT_TRUE(WaitUntil([&] { return sim.Connections() == 2; }));
    ExpectDisconnectCommand(sim, unit);
}
