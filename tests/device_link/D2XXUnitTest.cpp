// Bridge enumeration, driver error reports and the USB transport, on a fake sysfs
// tree whose bridge node is a pseudo-terminal of the unit simulator.
#include <cstring>

#include <gtest/gtest.h>

#include "LinkRecorder.h"
#include "device_link/D2XXUnit.h"
#include "device_link/communication.h"
#include "simulator/FakeBridgeTree.h"
#include "simulator/UnitSimulator.h"

using namespace device_link;
using linktest::LinkRecorder;
using testsupport::WaitUntil;

namespace {

constexpr char kSerial[] = "KV72000001";

// A fake tree with one KV7200 bridge on a simulator's pseudo-terminal.
class BridgeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        unit.StartPty();
        tree.AddBridge("1-1", 0x0403, 0x6001, kSerial, "KV7200 Decoder", "ttyUSB0", unit.PtyPath());
        io::SetUsbBridgeRoots(tree.SysRoot(), tree.DevRoot());
    }
    void TearDown() override { io::SetUsbBridgeRoots("/sys", "/dev"); }

    testsupport::TempDir dir;
    sim::FakeBridgeTree tree{dir.Str()};
    sim::UnitSimulator unit;
};

class ErrorBoxCapture {
public:
    ErrorBoxCapture()
    {
        SetD2XXErrorBox([this](const std::string& text) { Texts.push_back(text); });
    }
    ~ErrorBoxCapture()
    {
        SetD2XXErrorBox(nullptr);
        D2XXShowErrors = true;
    }
    std::vector<std::string> Texts;
};

} // namespace

TEST(D2XXUnitTest, ErrorTextsAndTheReportSwitch)
{
    ErrorBoxCapture box;
    ShowError("FT_Read", 0);
    EXPECT_TRUE(box.Texts.empty());
    ShowError("FT_Read", io::FT_IO_ERROR);
    ShowError("FT_OpenEx", io::FT_DEVICE_NOT_OPENED_FOR_ERASE);
    ShowError("FT_Write", io::FT_OTHER_ERROR);
    ShowError("FT_Write", 18);
    ASSERT_EQ(box.Texts.size(), 4u);
    EXPECT_EQ(box.Texts[0], "FT_Read - General IO error...");
    EXPECT_EQ(box.Texts[1], "FT_OpenEx Device not opened for erase...");
    EXPECT_EQ(box.Texts[2], "FT_Write - Other error ...");
    EXPECT_EQ(box.Texts[3], ""); // a status without a text shows an empty box
    EXPECT_EQ(D2XXErrorText("F", io::FT_INVALID_HANDLE), "F - Invalid handle...");
    EXPECT_EQ(D2XXErrorText("F", io::FT_INVALID_ARGS), "F - Invalid arguments...");

    D2XXShowErrors = false;
    ShowError("FT_Read", io::FT_IO_ERROR);
    EXPECT_EQ(box.Texts.size(), 4u);
}

TEST_F(BridgeFixture, InfoListNamesTheAttachedBridges)
{
    tree.AddBridge("1-2", 0x046d, 0xc52b, "MOUSE", "Receiver", "", ""); // not a bridge
    tree.AddBridge("2-1", 0x0403, 0x6015, "OTHER01", "Another bridge", "ttyUSB1", unit.PtyPath());
    ErrorBoxCapture box;
    ASSERT_EQ(CreateInfoList(), io::FT_OK);
    ASSERT_EQ(GetInfoList(), io::FT_OK);
    const auto& list = D2XXDevices();
    ASSERT_EQ(list.Count, 2u);
    ASSERT_EQ(list.Nodes.size(), 2u);
    EXPECT_EQ(list.Nodes[0].ID, 0x04036001u);
    EXPECT_STREQ(list.Nodes[0].SerialNumber, kSerial);
    EXPECT_STREQ(list.Nodes[0].Description, "KV7200 Decoder");
    EXPECT_EQ(list.Nodes[0].Flags, 0u);
    EXPECT_EQ(list.Nodes[1].ID, 0x04036015u);
    EXPECT_TRUE(box.Texts.empty());

    // A bridge that goes between the count and the list.
    ASSERT_EQ(CreateInfoList(), io::FT_OK);
    tree.RemoveBridge("2-1", "ttyUSB1");
    io::FT_DEVICE_LIST_INFO_NODE nodes[4];
    std::uint32_t n = 4;
    EXPECT_EQ(io::FT_GetDeviceInfoList(nodes, &n), io::FT_OK);
    EXPECT_EQ(n, 2u); // the list is the one of the last scan
}

// ---------------------------------------------------------------------------
// TComUSB

namespace {

class UsbLinkFixture : public BridgeFixture {
protected:
    void SetUp() override
    {
        BridgeFixture::SetUp();
        com = std::make_unique<TComUSB>();
        com->Muted = 0;
        com->PollIntervalMs = 10;
        rec.Attach(*com);
    }
    void TearDown() override
    {
        com.reset();
        BridgeFixture::TearDown();
    }

    LinkRecorder rec;
    std::unique_ptr<TComUSB> com;
};

} // namespace

TEST_F(UsbLinkFixture, OpenNeedsASerialAndAnAttachedBridge)
{
    EXPECT_FALSE(com->Open());
    EXPECT_EQ(linktest::StatesUpToMarker(*com, rec), std::vector<int>{});

    com->SetSerial("NOSUCHBRIDGE");
    EXPECT_FALSE(com->Open());
    ASSERT_TRUE(rec.WaitForState(stUnableToConnect));

    com->SetSerial(kSerial);
    EXPECT_TRUE(com->Open());
    EXPECT_FALSE(com->Open()); // connected already
    ASSERT_TRUE(rec.WaitForState(stConnected));
    EXPECT_EQ(rec.States(), (std::vector<int>{stIdle, stUnableToConnect, stConnected}));

    // Opened by this program: the list says so and a second open fails.
    ASSERT_EQ(CreateInfoList(), io::FT_OK);
    ASSERT_EQ(GetInfoList(), io::FT_OK);
    EXPECT_EQ(D2XXDevices().Nodes[0].Flags, io::FT_FLAGS_OPENED);
    io::FT_HANDLE h = nullptr;
    EXPECT_EQ(io::FT_OpenEx(kSerial, io::FT_OPEN_BY_SERIAL_NUMBER, &h), io::FT_DEVICE_NOT_OPENED);
}

TEST_F(UsbLinkFixture, ReadsAtMostSixtyFourBytesAtATime)
{
    com->SetSerial(kSerial);
    ASSERT_TRUE(com->Open());
    ASSERT_TRUE(rec.WaitForState(stConnected));
    sim::Bytes bytes(200);
    for (int i = 0; i < 200; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(unit.Send(bytes));
    ASSERT_TRUE(rec.WaitForBytes(200));
    std::vector<std::size_t> sizes;
    for (const auto& p : rec.Packets()) sizes.push_back(p.size() - kPacketTimeSize);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{64, 64, 64, 8}));
    EXPECT_EQ(rec.DataBytes(), bytes);
    // The reader counts a packet after handing it over, so the count may trail the delivery.
    EXPECT_TRUE(WaitUntil([&] { return com->GetPosted() == 4u; }));

    EXPECT_TRUE(com->Send({0x24, 0x21, 0x02, 0x05, 0x01, 0x06, 0x24, 0x2E}));
    ASSERT_TRUE(unit.WaitForFrames(1, 2000));
    EXPECT_EQ(unit.ReceivedFrames()[0], (sim::Bytes{0x05, 0x01}));
}

TEST_F(UsbLinkFixture, RemovedBridgeGivesDisconnectedTwice)
{
    com->SetSerial(kSerial);
    ASSERT_TRUE(com->Open());
    ASSERT_TRUE(rec.WaitForState(stConnected));
    tree.RemoveBridge("1-1", "ttyUSB0");
    ASSERT_TRUE(WaitUntil([&] { return rec.CountState(stDisconnected) == 2; }));
    EXPECT_EQ(rec.States(), (std::vector<int>{stConnected, stDisconnected, stDisconnected}));
    EXPECT_FALSE(com->IsConnected());
    EXPECT_FALSE(com->Send({1}));
    // Plugged in again, it opens again.
    tree.AddBridge("1-1", 0x0403, 0x6001, kSerial, "KV7200 Decoder", "ttyUSB0", unit.PtyPath());
    EXPECT_TRUE(com->Open());
}

TEST_F(UsbLinkFixture, HungUpLineCountsAsRemoved)
{
    com->SetSerial(kSerial);
    ASSERT_TRUE(com->Open());
    ASSERT_TRUE(rec.WaitForState(stConnected));
    unit.CloseClient(); // the far end of the pseudo-terminal goes
    ASSERT_TRUE(WaitUntil([&] { return rec.CountState(stDisconnected) == 2; }));
    EXPECT_FALSE(com->IsConnected());
}
