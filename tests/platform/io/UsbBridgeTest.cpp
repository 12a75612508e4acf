#include <gtest/gtest.h>

#include "platform/io/UsbBridge.h"
#include "simulator/FakeBridgeTree.h"
#include "simulator/UnitSimulator.h"
#include "support/TempDir.h"

using namespace io;
using testsupport::WaitUntil;

namespace {

class UsbBridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unit.StartPty();
        tree.AddBridge("3-2", 0x0403, 0x6001, "FT1234", "KV7200", "ttyUSB3", unit.PtyPath());
        SetUsbBridgeRoots(tree.SysRoot(), tree.DevRoot());
    }
    void TearDown() override { SetUsbBridgeRoots("/sys", "/dev"); }

    testsupport::TempDir dir;
    sim::FakeBridgeTree tree{dir.Str()};
    sim::UnitSimulator unit;
};

} // namespace

TEST_F(UsbBridgeTest, ListAndOpenBySerialNumber)
{
    tree.AddBridge("3-3", 0x0403, 0x6001, "NODRIVER", "Unbound", "", ""); // no serial driver bound
    std::uint32_t n = 0;
    ASSERT_EQ(FT_CreateDeviceInfoList(&n), FT_OK);
    ASSERT_EQ(n, 2u);
    FT_DEVICE_LIST_INFO_NODE nodes[2];
    ASSERT_EQ(FT_GetDeviceInfoList(nodes, &n), FT_OK);
    EXPECT_STREQ(nodes[0].SerialNumber, "FT1234");
    EXPECT_STREQ(nodes[1].SerialNumber, "NODRIVER");
    EXPECT_EQ(FT_CreateDeviceInfoList(nullptr), FT_INVALID_PARAMETER);

    FT_HANDLE h = nullptr;
    EXPECT_EQ(FT_OpenEx("NOSUCH", FT_OPEN_BY_SERIAL_NUMBER, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(FT_OpenEx("NODRIVER", FT_OPEN_BY_SERIAL_NUMBER, &h), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(FT_OpenEx("FT1234", 2, &h), FT_INVALID_PARAMETER);
    ASSERT_EQ(FT_OpenEx("FT1234", FT_OPEN_BY_SERIAL_NUMBER, &h), FT_OK);
    EXPECT_EQ(FT_SetBaudRate(h, 57600), FT_OK);
    EXPECT_EQ(FT_SetBaudRate(h, 0), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(FT_SetDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    EXPECT_EQ(FT_SetDataCharacteristics(h, 6, FT_STOP_BITS_1, FT_PARITY_NONE), FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_SetFlowControl(h, FT_FLOW_NONE, 0, 0), FT_OK);
    EXPECT_EQ(FT_SetFlowControl(h, 0x0200, 0, 0), FT_INVALID_PARAMETER);

    ASSERT_EQ(FT_Close(h), FT_OK);
    EXPECT_EQ(FT_Close(h), FT_INVALID_HANDLE);
    std::uint32_t rx = 0;
    EXPECT_EQ(FT_GetQueueStatus(h, &rx), FT_INVALID_HANDLE);
}

TEST_F(UsbBridgeTest, BytesBothWaysAndStatusUntilUnplugged)
{
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_OpenEx("FT1234", FT_OPEN_BY_SERIAL_NUMBER, &h), FT_OK);
    std::uint32_t written = 0;
    ASSERT_EQ(FT_Write(h, "\x24\x21\x01\x18\x19\x24\x2E", 7, &written), FT_OK);
    EXPECT_EQ(written, 7u);
    ASSERT_TRUE(unit.WaitForFrames(1, 2000));

    ASSERT_TRUE(unit.Send({10, 20, 30, 40, 50}));
    std::uint32_t rx = 0;
    ASSERT_TRUE(WaitUntil([&] { return FT_GetQueueStatus(h, &rx) == FT_OK && rx == 5; }, 2000));
    std::uint8_t buf[8] = {};
    std::uint32_t got = 0;
    ASSERT_EQ(FT_Read(h, buf, 3, &got), FT_OK);
    EXPECT_EQ(got, 3u);
    ASSERT_EQ(FT_Read(h, buf + 3, 5, &got), FT_OK); // two come, the rest is waited for briefly
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(sim::Bytes(buf, buf + 5), (sim::Bytes{10, 20, 30, 40, 50}));

    std::uint32_t tx = 0, events = 0;
    EXPECT_EQ(FT_GetStatus(h, &rx, &tx, &events), FT_OK);
    tree.RemoveBridge("3-2", "ttyUSB3");
    EXPECT_NE(FT_GetStatus(h, &rx, &tx, &events), FT_OK);
    EXPECT_EQ(FT_Close(h), FT_OK);
}
