// The serial port component and the serial transport, on pseudo-terminals of the
// unit simulator.
#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "LinkRecorder.h"
#include "device_link/SerialPortDriver.h"
#include "device_link/communication.h"
#include "simulator/UnitSimulator.h"

using namespace device_link;
using linktest::LinkRecorder;
using testsupport::WaitUntil;

namespace {

sim::Bytes Counting(std::size_t n, std::uint8_t first = 0)
{
    sim::Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
    return b;
}

struct Received {
    std::vector<sim::Bytes> Chunks;
    void OnData(TSerialPortDriver*, const std::uint8_t* p, std::uint32_t n) { Chunks.emplace_back(p, p + n); }
};

} // namespace

TEST(SerialPortDriverTest, DefaultsAndSetterRules)
{
    TSerialPortDriver port;
    EXPECT_EQ(port.GetPort(), pnCOM2);
    EXPECT_EQ(port.GetPortName(), "/dev/ttyS1");
    EXPECT_EQ(port.GetBaudRate(), br9600);
    EXPECT_EQ(port.GetBaudRateValue(), 9600u);
    EXPECT_EQ(port.GetDataBits(), db8BITS);
    EXPECT_EQ(port.GetStopBits(), sb1BITS);
    EXPECT_EQ(port.GetParity(), ptNONE);
    EXPECT_EQ(port.GetHwFlow(), hfNONERTSON);
    EXPECT_EQ(port.GetSwFlow(), sfNONE);
    EXPECT_EQ(port.GetInBufSize(), 2048u);
    EXPECT_EQ(port.GetOutBufSize(), 2048u);
    EXPECT_EQ(port.GetPacketSize(), -1);
    EXPECT_EQ(port.GetPacketTimeout(), -1);
    EXPECT_EQ(port.GetPacketMode(), pmDiscard);
    EXPECT_EQ(port.GetPollingDelay(), 50);
    EXPECT_TRUE(port.GetEnableDTROnOpen());
    EXPECT_EQ(port.OutputTimeout, 500);
    EXPECT_EQ(port.InputTimeout.load(), 200u);
    EXPECT_FALSE(port.CheckLineStatus.load());

    port.SetPort(pnCOM3);
    EXPECT_EQ(port.GetPortName(), "/dev/ttyS2");
    port.SetPortName("/dev/ttyUSB0");
    EXPECT_EQ(port.GetPort(), pnCustom);
    port.SetBaudRate(br57600);
    EXPECT_EQ(port.GetBaudRateValue(), 57600u);
    port.SetBaudRate(br256000);
    EXPECT_EQ(port.GetBaudRateValue(), 256000u);
    port.SetBaudRateValue(12345);
    EXPECT_EQ(port.GetBaudRate(), brCustom);
    port.SetBaudRate(brCustom);
    EXPECT_EQ(port.GetBaudRateValue(), 12345u);

    port.SetInBufSize(10);
    EXPECT_EQ(port.GetInBufSize(), 128u);
    port.SetInBufSize(9000);
    EXPECT_EQ(port.GetInBufSize(), 8192u);
    port.SetOutBufSize(1);
    EXPECT_EQ(port.GetOutBufSize(), 128u);

    port.SetPollingDelay(1);
    EXPECT_EQ(port.GetPollingDelay(), 5);
    port.SetPollingDelay(50);
    port.SetPacketTimeout(10);
    EXPECT_EQ(port.GetPacketTimeout(), 70);
    port.SetPacketTimeout(0);
    EXPECT_EQ(port.GetPacketTimeout(), -1);
    port.SetPacketTimeout(60);
    port.SetPollingDelay(100); // re-applies the packet time-out: 60 < 100 gives 140
    EXPECT_EQ(port.GetPacketTimeout(), 140);

    port.SetInBufSize(256);
    port.SetPacketSize(0);
    EXPECT_EQ(port.GetPacketSize(), -1);
    port.SetPacketSize(1000); // raises the input size with it
    EXPECT_EQ(port.GetPacketSize(), 1000);
    EXPECT_EQ(port.GetInBufSize(), 1000u);
    port.SetPacketSize(9000); // never larger than the receive buffer can be
    EXPECT_EQ(port.GetInBufSize(), 8192u);
    EXPECT_EQ(port.GetPacketSize(), 8192);
}

TEST(SerialPortDriverTest, ClosedPortReportsItsSentinels)
{
    TSerialPortDriver port;
    port.SetPortName("/nonexistent/ttyX");
    EXPECT_FALSE(port.Connect());
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.CountRX(), 65535u);
    EXPECT_EQ(port.OutFreeSpace(), -1);
    EXPECT_EQ(port.GetLineStatus(), 0);
    const std::uint8_t b = 1;
    EXPECT_EQ(port.SendData(&b, 1, 10), 0u);
    EXPECT_FALSE(port.ApplyCommState());
}

TEST(SerialPortDriverTest, OpenPortReadsWritesAndKeepsOthersOut)
{
    sim::UnitSimulator unit;
    const std::string path = unit.StartPty();
    TSerialPortDriver port;
    port.SetPortName(path);
    port.PausePolling();
    port.SetInBufSize(512);
    ASSERT_TRUE(port.Connect());
    EXPECT_TRUE(port.Connect()); // already open
    // Settings that change only while closed stay.
    port.SetInBufSize(4096);
    port.SetPortName("/dev/null");
    EXPECT_EQ(port.GetInBufSize(), 512u);
    EXPECT_EQ(port.GetPortName(), path);
    // A line setting while open is applied at once; the pseudo-terminal takes any rate.
    port.SetBaudRateValue(250000);
    EXPECT_TRUE(port.ApplyCommState());

    TSerialPortDriver other;
    other.SetPortName(path);
    EXPECT_FALSE(other.Connect()); // not shared

    const sim::Bytes frame = {0x24, 0x21, 0x01, 0x18, 0x19, 0x24, 0x2E};
    EXPECT_EQ(port.SendData(frame.data(), 7, 500), 7u);
    ASSERT_TRUE(unit.WaitForFrames(1, 2000));
    EXPECT_EQ(unit.ReceivedFrames()[0], sim::Bytes{0x18});
    EXPECT_EQ(port.OutFreeSpace(), 2048);

    ASSERT_TRUE(unit.Send(Counting(100)));
    ASSERT_TRUE(WaitUntil([&] { return port.CountRX() == 100; }, 2000));
    sim::Bytes got(150);
    port.InputTimeout = 30; // ask for more than comes: gives up after the input time-out
    EXPECT_EQ(port.ReadData(got.data(), 150), 100u);
    got.resize(100);
    EXPECT_EQ(got, Counting(100));
    EXPECT_EQ(port.PauseCount(), 1); // ReadData resumed the pause it took

    // No modem lines on a pseudo-terminal: with CheckLineStatus nothing goes out.
    port.CheckLineStatus = true;
    EXPECT_EQ(port.SendData(frame.data(), 7, 50), 0u);

    port.Disconnect();
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(other.Connect()); // free again
}

TEST(SerialPortDriverTest, TimerReaderDeliversRawDataAndPackets)
{
    sim::UnitSimulator unit;
    const std::string path = unit.StartPty();
    TSerialPortDriver port;
    Received raw, packets;
    port.OnReceiveData = {&raw, &Received::OnData};
    port.OnReceivePacket = {&packets, &Received::OnData};
    port.SetPortName(path);
    port.SetPollingDelay(5);
    ASSERT_TRUE(port.Connect());

    // Raw data: whatever waits, in one call per tick.
    ASSERT_TRUE(unit.Send(Counting(30)));
    // clang-format off
    ASSERT_TRUE(WaitUntil([&] {
        std::size_t n = 0;
        for (auto& c : raw.Chunks) n += c.size();
        return n == 30;
    }, 2000));
    // clang-format on
    EXPECT_TRUE(packets.Chunks.empty());

    // Packets of 4; the short rest after the packet time-out is passed on (pmPass).
    port.SetPacketSize(4);
    port.SetPacketTimeout(40);
    port.SetPacketMode(pmPass);
    ASSERT_TRUE(unit.Send(Counting(10, 100)));
    ASSERT_TRUE(WaitUntil([&] { return packets.Chunks.size() == 3; }, 2000));
    EXPECT_EQ(packets.Chunks[0], Counting(4, 100));
    EXPECT_EQ(packets.Chunks[1], Counting(4, 104));
    EXPECT_EQ(packets.Chunks[2], Counting(2, 108));

    // With pmDiscard the short rest is dropped.
    port.SetPacketMode(pmDiscard);
    ASSERT_TRUE(unit.Send(Counting(6, 200)));
    ASSERT_TRUE(WaitUntil([&] { return packets.Chunks.size() == 4 && port.CountRX() == 0; }, 2000));
    EXPECT_EQ(packets.Chunks[3], Counting(4, 200));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(packets.Chunks.size(), 4u);

    // Paused, the timer reader leaves the bytes waiting.
    port.PausePolling();
    ASSERT_TRUE(unit.Send(Counting(8)));
    ASSERT_TRUE(WaitUntil([&] { return port.CountRX() == 8; }, 2000));
    WaitUntil([] { return false; }, 50);
    EXPECT_EQ(port.CountRX(), 8u);
    EXPECT_EQ(packets.Chunks.size(), 4u);
}

// ---------------------------------------------------------------------------
// TComCom

namespace {

// Polls cond without serving the main thread's queue, so that no delivery runs meanwhile.
bool WaitWithoutDelivering(const std::function<bool()>& cond, int timeoutMs = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= end) return cond();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct SerialLink {
    LinkRecorder rec; // before the transport: its destruction may still deliver
    sim::UnitSimulator unit;
    TComCom com;

    SerialLink()
    {
        unit.StartPty();
        com.Muted = 0;
        com.PollIntervalMs = 10;
        rec.Attach(com);
        com.SetPortName(unit.PtyName());
    }
};

} // namespace

TEST(TComComTest, OpenNeedsANameAndAFreePort)
{
    LinkRecorder rec;
    TComCom com;
    com.Muted = 0;
    rec.Attach(com);
    EXPECT_FALSE(com.Open()); // no name: nothing posted
    EXPECT_EQ(linktest::StatesUpToMarker(com, rec), std::vector<int>{});

    com.SetPortName("pts/nonexistent");
    EXPECT_FALSE(com.Open());
    EXPECT_TRUE(rec.WaitForState(stUnableToConnect));
    EXPECT_FALSE(com.IsConnected());
}

TEST(TComComTest, ReceivesInOrderAndSends)
{
    SerialLink link;
    ASSERT_TRUE(link.com.Open());
    EXPECT_EQ(link.com.GetPort().GetBaudRate(), br57600);
    EXPECT_EQ(link.com.GetPort().GetHwFlow(), hfNONE);
    EXPECT_FALSE(link.com.Open()); // already connected
    ASSERT_TRUE(link.rec.WaitForState(stConnected));

    sim::Bytes sent;
    for (std::uint32_t i = 0; i < 40; ++i) {
        const sim::Bytes frame = sim::BuildUnitFrame(i, {{2, {'A', 'B', static_cast<std::uint8_t>(i)}}});
        sent.insert(sent.end(), frame.begin(), frame.end());
        ASSERT_TRUE(link.unit.Send(frame));
    }
    ASSERT_TRUE(link.rec.WaitForBytes(sent.size()));
    EXPECT_EQ(link.rec.DataBytes(), sent);
    for (const auto& p : link.rec.Packets()) {
        EXPECT_GT(p.size(), kPacketTimeSize);
        EXPECT_GT(GetPacketTime(p), 40000.0); // a date of this century
    }
    // The reader counts a packet after handing it over, so the count may trail the delivery.
    EXPECT_TRUE(WaitUntil([&] { return link.com.GetPosted() == link.rec.Packets().size(); }));

    EXPECT_TRUE(link.com.Send({0x24, 0x21, 0x01, 0x18, 0x19, 0x24, 0x2E}));
    EXPECT_FALSE(link.com.Send({}));
    ASSERT_TRUE(link.unit.WaitForFrames(1, 2000));
    EXPECT_EQ(link.unit.ReceivedFrames()[0], sim::Bytes{0x18});
}

TEST(TComComTest, SilentLineTimesOutButAContinuousSenderNever)
{
    SerialLink link;
    link.com.SilenceLimitMs = 300;
    ASSERT_TRUE(link.com.Open());

    // A byte every 40 ms for well over the limit.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(900);
    auto silentFrom = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < until) {
        silentFrom = std::chrono::steady_clock::now();
        link.unit.Send({0x55});
        WaitUntil([] { return false; }, 40);
    }
    EXPECT_EQ(link.rec.CountState(stConnectTimeout), 0u);
    EXPECT_TRUE(link.com.IsConnected());

    // Then silence.
    ASSERT_TRUE(link.rec.WaitForState(stConnectTimeout, 5000));
    EXPECT_GE(std::chrono::steady_clock::now() - silentFrom, std::chrono::milliseconds(300));
    EXPECT_FALSE(link.com.IsConnected());
    EXPECT_FALSE(link.com.GetPort().Connected());
    EXPECT_EQ(link.com.GetPosted(), 0u);
    EXPECT_EQ(link.rec.States(), (std::vector<int>{stConnected, stConnectTimeout}));
    // A later Open tries again.
    EXPECT_TRUE(link.com.Open());
}

TEST(TComComTest, BackPressureCollectsBytesIntoOnePacket)
{
    SerialLink link;
    ASSERT_TRUE(link.com.Open());
    ASSERT_TRUE(link.rec.WaitForState(stConnected));

    // Without the main thread serving deliveries, 501 queued packets hold Pending at 500.
    TArray filler = {0xEE};
    AppendPacketTime(filler, 1.0);
    for (int i = 0; i < 501; ++i) link.com.PostPacket(filler);
    // Three pieces, each read before the next is sent: they are held, none is posted.
    const sim::Bytes held = Counting(300);
    for (std::size_t i = 0; i < 3; ++i) {
        link.unit.Send(sim::Bytes(held.begin() + i * 100, held.begin() + (i + 1) * 100));
        ASSERT_TRUE(WaitWithoutDelivering([&] { return link.com.GetHeldBytes() == (i + 1) * 100; }))
            << link.com.GetHeldBytes();
    }
    EXPECT_GE(link.com.GetPending(), 500);
    EXPECT_EQ(link.com.GetPosted(), 0u);

    // The first delivery lets Pending fall: all that was held goes out as one packet.
    ASSERT_TRUE(WaitUntil([&] { return link.com.GetPosted() > 0; }));
    EXPECT_EQ(link.com.GetHeldBytes(), 0u);
    ASSERT_TRUE(link.rec.WaitForBytes(501 + 300));
    const auto packets = link.rec.Packets();
    EXPECT_EQ(packets.size(), 501u + 1u);
    EXPECT_EQ(link.com.GetPosted(), 1u);
    const TArray last = packets.back();
    EXPECT_EQ(TArray(last.begin(), last.end() - kPacketTimeSize), held);
}

TEST(TComComTest, CloseDeliversDisconnectedTwice)
{
    SerialLink link;
    ASSERT_TRUE(link.com.Open());
    ASSERT_TRUE(link.rec.WaitForState(stConnected));
    link.com.Close(stDisconnected);
    EXPECT_EQ(link.com.GetPosted(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return link.rec.CountState(stDisconnected) == 2; }));
    EXPECT_EQ(link.rec.States(), (std::vector<int>{stConnected, stDisconnected, stDisconnected}));
    EXPECT_FALSE(link.com.IsConnected());
    EXPECT_FALSE(link.com.GetPort().Connected());
    // The port is free for another program now.
    TSerialPortDriver other;
    other.SetPortName(link.unit.PtyPath());
    EXPECT_TRUE(other.Connect());
}

TEST(TComComTest, CloseWhileIdleIsCarriedOutAfterTheNextOpen)
{
    SerialLink link;
    link.com.Close(stDisconnected); // not connected: the request waits
    ASSERT_TRUE(link.rec.WaitForStates(1));
    ASSERT_TRUE(link.com.Open());
    ASSERT_TRUE(WaitUntil([&] { return link.rec.CountState(stDisconnected) == 2; }));
    EXPECT_EQ(link.rec.States(), (std::vector<int>{stDisconnected, stConnected, stDisconnected}));
}
