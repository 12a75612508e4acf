#include <gtest/gtest.h>

#include "platform/io/SerialLine.h"
#include "simulator/UnitSimulator.h"
#include "support/TempDir.h"

using io::SerialLine;
using testsupport::WaitUntil;

TEST(SerialLineTest, DevicePathOfAPortName)
{
    EXPECT_EQ(io::SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(io::SerialDevicePath("COM10"), "/dev/ttyS9");
    EXPECT_EQ(io::SerialDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(io::SerialDevicePath("pts/4"), "/dev/pts/4");
    EXPECT_EQ(io::SerialDevicePath("COM0"), "/dev/COM0");
    EXPECT_EQ(io::SerialDevicePath("COMX"), "/dev/COMX");
}

TEST(SerialLineTest, OpensOnlyExistingTerminalsAndOnlyOnce)
{
    testsupport::TempDir dir;
    SerialLine line;
    EXPECT_FALSE(line.Open(dir.File("missing")));
    EXPECT_FALSE(line.Open(dir.Write("plain", "not a terminal")));
    EXPECT_FALSE(line.IsOpen());

    sim::UnitSimulator unit;
    const std::string path = unit.StartPty();
    ASSERT_TRUE(line.Open(path));
    SerialLine second;
    EXPECT_FALSE(second.Open(path));
    line.Close();
    EXPECT_TRUE(second.Open(path));
}

TEST(SerialLineTest, RawBytesBothWaysWithAnyRate)
{
    sim::UnitSimulator unit;
    SerialLine line;
    ASSERT_TRUE(line.Open(unit.StartPty()));
    io::SerialSettings s;
    s.BaudRate = 56000; // not a standard rate
    s.Parity = io::SerialParity::Mark;
    EXPECT_TRUE(line.Apply(s));
    s.DataBits = 4;
    EXPECT_FALSE(line.Apply(s));
    s.DataBits = 8;
    s.Parity = io::SerialParity::None;
    ASSERT_TRUE(line.Apply(s));
    // A pseudo-terminal has no modem lines: setting them is accepted, reading them is not.
    EXPECT_TRUE(line.SetDTR(true));
    EXPECT_TRUE(line.SetRTS(false));
    unsigned signals = 0;
    EXPECT_FALSE(line.GetModemSignals(signals));

    // Bytes that a cooked line would change (CR, ^C, ^S) arrive unchanged.
    const sim::Bytes sent = {'\r', 0x03, 0x13, 0x00, 0xFF, '\n'};
    ASSERT_TRUE(unit.Send(sent));
    ASSERT_TRUE(WaitUntil([&] { return line.BytesWaiting() == 6; }, 2000));
    std::uint8_t got[16];
    EXPECT_EQ(line.ReadAvailable(got, sizeof got), 6);
    EXPECT_EQ(sim::Bytes(got, got + 6), sent);
    EXPECT_EQ(line.ReadAvailable(got, sizeof got), 0);
    EXPECT_FALSE(line.WaitReadable(10));

    EXPECT_EQ(line.Write("\x24\x21\x01\x18\x19\x24\x2E", 7, 100), 7);
    ASSERT_TRUE(unit.WaitForFrames(1, 2000));
    EXPECT_EQ(line.OutputQueued(), 0);

    ASSERT_TRUE(unit.Send({1, 2, 3}));
    ASSERT_TRUE(WaitUntil([&] { return line.BytesWaiting() == 3; }, 2000));
    EXPECT_TRUE(line.Purge(true, false));
    EXPECT_EQ(line.BytesWaiting(), 0);

    EXPECT_FALSE(line.HungUp());
    unit.CloseClient();
    EXPECT_TRUE(WaitUntil([&] { return line.HungUp(); }, 2000));
}
