#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/io/TcpClient.h"
#include "simulator/UnitSimulator.h"

using namespace io;

namespace {

void ConnectTo(TTcpClient& client, int port, int timeoutMs = 1000)
{
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    client.Connect(timeoutMs);
}

} // namespace

TEST(TcpClientTest, ConnectFailuresAreTold)
{
    TTcpClient client;
    EXPECT_THROW(ConnectTo(client, sim::UnusedLoopbackPort()), ETcpConnectFailed);
    sim::StalledListener stalled;
    EXPECT_THROW(ConnectTo(client, stalled.Port(), 50), ETcpConnectTimeout);
    client.SetHost(""); // not resolvable: fails before any connect attempt
    EXPECT_THROW(client.Connect(50), ETcpSocketError);
    EXPECT_FALSE(client.Connected());
    EXPECT_THROW(client.ReadFromStack(), ETcpSocketError);
    EXPECT_THROW(client.Write("x", 1), ETcpSocketError);
}

TEST(TcpClientTest, ReadsTellTimeOutDataAndPeerClose)
{
    sim::UnitSimulator unit;
    const int port = unit.StartTcp(0);
    TTcpClient client;
    client.ReadTimeout = 50;
    ConnectTo(client, port);
    ASSERT_TRUE(client.Connected());
    EXPECT_THROW(client.ReadFromStack(), ETcpReadTimeout);

    ASSERT_TRUE(unit.WaitForClient(2000));
    const sim::Bytes frame = sim::BuildUnitFrame(1, {{2, {'A', 'B'}}});
    ASSERT_TRUE(unit.Send(frame));
    client.ReadTimeout = 2000;
    std::size_t n = 0;
    while (n < frame.size()) n += client.ReadFromStack();
    EXPECT_EQ(client.InputBufferSize(), frame.size());
    EXPECT_EQ(client.ExtractInput(4), sim::Bytes(frame.begin(), frame.begin() + 4));
    EXPECT_EQ(client.ExtractInput(100), sim::Bytes(frame.begin() + 4, frame.end()));
    EXPECT_EQ(client.InputBufferSize(), 0u);

    // Writes collected in the write buffer go out in one piece when it closes.
    client.OpenWriteBuffer();
    client.Write("\x24\x21\x01", 3);
    client.Write("\x18\x19\x24\x2E", 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(unit.ReceivedBytes().empty());
    client.CloseWriteBuffer();
    ASSERT_TRUE(unit.WaitForFrames(1, 2000));

    unit.CloseClient();
    EXPECT_THROW(client.ReadFromStack(), ETcpClosedGracefully);
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
}

TEST(TcpClientTest, CancelEndsAWaitAtOnce)
{
    sim::UnitSimulator unit;
    const int port = unit.StartTcp(0);
    TTcpClient client;
    client.ReadTimeout = 10000;
    ConnectTo(client, port);
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        client.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.ReadFromStack(), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    canceller.join();
    sim::StalledListener stalled;
    EXPECT_THROW(ConnectTo(client, stalled.Port(), 10000), ETcpConnectTimeout); // cancelled at once
}
