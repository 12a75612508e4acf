// The TCP transport against the unit simulator and other peers on 127.0.0.1.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "LinkRecorder.h"
#include "device_link/communication.h"
#include "platform/io/TcpClient.h"
#include "simulator/UnitSimulator.h"

using namespace device_link;
using linktest::LinkRecorder;
using testsupport::WaitUntil;

namespace {

struct TcpLink {
    LinkRecorder rec; // before the transport: its destruction may still deliver
    std::unique_ptr<TComTCP> com = std::make_unique<TComTCP>();

    explicit TcpLink(int port)
    {
        com->Muted = 0;
        com->PollIntervalMs = 10;
        com->ConnectTimeoutMs = 100;
        com->GetClient().ReadTimeout = 300;
        com->Port = port;
        com->SetHost("127.0.0.1");
        rec.Attach(*com);
    }
};

} // namespace

TEST(TComTCPTest, DefaultsAndOpenPreconditions)
{
    LinkRecorder rec;
    TComTCP com;
    com.Muted = 0;
    rec.Attach(com);
    EXPECT_EQ(com.Port.load(), 843);
    EXPECT_EQ(com.ConnectTimeoutMs.load(), 1000);
    EXPECT_EQ(com.ConnectRetryCount.load(), 5);
    EXPECT_EQ(com.GetClient().ReadTimeout.load(), 10000);
    EXPECT_FALSE(com.Open()); // no host
    com.SetHost("127.0.0.1");
    com.Port = 0;
    EXPECT_FALSE(com.Open()); // no port
    EXPECT_EQ(linktest::StatesUpToMarker(com, rec), std::vector<int>{});
}

TEST(TComTCPTest, RefusedConnectGivesConnectingThenRefusedOncePerOpen)
{
    TcpLink link(sim::UnusedLoopbackPort());
    EXPECT_FALSE(link.com->Open()); // the outcome comes later
    ASSERT_TRUE(link.rec.WaitForState(stConnectionRefused));
    EXPECT_FALSE(link.com->Open());
    ASSERT_TRUE(WaitUntil([&] { return link.rec.CountState(stConnectionRefused) == 2; }));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(link.rec.States(),
              (std::vector<int>{stConnecting, stConnectionRefused, stConnecting, stConnectionRefused}));
}

TEST(TComTCPTest, AnOpenRightAfterAnOutcomeIsNotLost)
{
    // Every refusal is answered at once, from the state listener, by a new Open: the
    // reader must not clear that new request as it finishes the old one.
    constexpr int kRounds = 200;
    int refused = 0; // before the links: their destruction may still deliver
    std::vector<std::chrono::steady_clock::time_point> timedOut;
    TcpLink link(sim::UnusedLoopbackPort());
    link.com->PollIntervalMs = 1;
    link.com->AddStateListener(rtl::Delegate<void(TStatus)>::FromFunction([&](TStatus code) {
        if (code == stConnectionRefused && ++refused < kRounds) link.com->Open();
    }));
    link.com->Open();
    ASSERT_TRUE(WaitUntil([&] { return refused == kRounds; }, 10000)) << refused << " refusals";

    // A connect that timed out, answered at once by a new Open: that one starts with a
    // fresh attempt count, so it too makes the first attempt and its retry.
    sim::StalledListener peer;
    TcpLink stalled(peer.Port());
    stalled.com->ConnectTimeoutMs = 60;
    stalled.com->ConnectRetryCount = 1;
    stalled.com->AddStateListener(rtl::Delegate<void(TStatus)>::FromFunction([&](TStatus code) {
        if (code != stConnectTimeout) return;
        timedOut.push_back(std::chrono::steady_clock::now());
        if (timedOut.size() == 1) stalled.com->Open();
    }));
    stalled.com->Open();
    ASSERT_TRUE(WaitUntil([&] { return timedOut.size() == 2; }, 5000));
    EXPECT_GE(timedOut[1] - timedOut[0], std::chrono::milliseconds(2 * 60));
}

TEST(TComTCPTest, PeerThatNeverAcceptsTimesOutAfterSixAttempts)
{
    sim::StalledListener peer;
    TcpLink link(peer.Port());
    link.com->ConnectTimeoutMs = 60;
    const auto start = std::chrono::steady_clock::now();
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForState(stConnectTimeout, 10000));
    // Six attempts of 60 ms each at the least: the first and five retries.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(6 * 60));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(link.rec.States(), (std::vector<int>{stConnecting, stConnectTimeout}));

    // No retries: one attempt.
    link.com->ConnectRetryCount = 0;
    const auto again = std::chrono::steady_clock::now();
    link.com->Open();
    ASSERT_TRUE(WaitUntil([&] { return link.rec.CountState(stConnectTimeout) == 2; }, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(6 * 60));
}

TEST(TComTCPTest, ReceivesSendsAndRefusesASecondOpen)
{
    sim::UnitSimulator unit;
    TcpLink link(unit.StartTcp(0));
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForState(stConnected));
    EXPECT_TRUE(link.com->IsConnected());
    EXPECT_FALSE(link.com->Open()); // connected: nothing posted
    EXPECT_EQ(linktest::StatesUpToMarker(*link.com, link.rec), (std::vector<int>{stConnecting, stConnected}));

    sim::Bytes sent;
    for (std::uint32_t i = 1; i <= 50; ++i) {
        const auto frame = sim::BuildUnitFrame(i, {{3, sim::Bytes(100, static_cast<std::uint8_t>(i))}});
        sent.insert(sent.end(), frame.begin(), frame.end());
    }
    ASSERT_TRUE(unit.WaitForClient(2000)); // the connect may complete before the unit has accepted
    ASSERT_TRUE(unit.Send(sent));
    ASSERT_TRUE(link.rec.WaitForBytes(sent.size()));
    EXPECT_EQ(link.rec.DataBytes(), sent);

    EXPECT_TRUE(link.com->Send({0x24, 0x21, 0x01, 0x18, 0x19, 0x24, 0x2E}));
    ASSERT_TRUE(unit.WaitForFrames(1, 2000));
    EXPECT_EQ(unit.ReceivedFrames()[0], sim::Bytes{0x18});
}

TEST(TComTCPTest, SilentPeerTimesOutAndClosingPeerDisconnects)
{
    sim::UnitSimulator unit;
    TcpLink link(unit.StartTcp(0));
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForState(stConnectTimeout, 5000));
    EXPECT_EQ(link.rec.States(), (std::vector<int>{stConnecting, stConnected, stConnectTimeout}));
    EXPECT_FALSE(link.com->IsConnected());
    EXPECT_FALSE(link.com->GetClient().Connected());

    // Reconnect; the unit then closes its end.
    // Long enough that a machine busy with other work never times the reader out mid-flood.
    link.com->GetClient().ReadTimeout = 30000;
    link.com->Open();
    ASSERT_TRUE(WaitUntil([&] { return link.rec.CountState(stConnected) == 2; }));
    // The unit may still hold the first connection for a moment: send until the link hears it.
    const auto frame = sim::BuildUnitFrame(7, {{1, {}}});
    bool heard = false;
    for (int round = 0; round < 20 && !heard; ++round) {
        unit.Send(frame);
        heard = link.rec.WaitForBytes(frame.size(), 200);
    }
    ASSERT_TRUE(heard);
    unit.CloseClient();
    ASSERT_TRUE(link.rec.WaitForState(stDisconnectedFromDevice));
    // What came before the close arrived whole: one or more copies of the frame.
    const auto got = link.rec.DataBytes();
    ASSERT_EQ(got.size() % frame.size(), 0u);
    for (std::size_t at = 0; at < got.size(); at += frame.size())
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), got.begin() + at));
    EXPECT_FALSE(link.com->IsConnected());
}

TEST(TComTCPTest, CloseOnAConnectedLinkDeliversDisconnectedTwice)
{
    sim::UnitSimulator unit;
    TcpLink link(unit.StartTcp(0));
    // Long enough that a machine busy with other work never times the reader out mid-flood.
    link.com->GetClient().ReadTimeout = 30000;
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForState(stConnected));
    unit.Play({sim::ScenarioStep::MakeFrames(0, 100, {{1, {0, 0}}})}); // a unit that keeps sending
    ASSERT_TRUE(link.rec.WaitForBytes(1));
    link.com->Close(stDisconnected);
    ASSERT_TRUE(WaitUntil([&] { return link.rec.CountState(stDisconnected) == 2; }));
    EXPECT_EQ(link.rec.States(), (std::vector<int>{stConnecting, stConnected, stDisconnected, stDisconnected}));
    EXPECT_EQ(link.com->GetPosted(), 0u);
    EXPECT_FALSE(link.com->IsConnected());
}

TEST(TComTCPTest, DestroyingAConnectedSilentLinkDoesNotWaitForTheReadTimeOut)
{
    sim::UnitSimulator unit;
    TcpLink link(unit.StartTcp(0));
    link.com->GetClient().ReadTimeout = 10000;
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForState(stConnected));
    WaitUntil([] { return false; }, 50); // the reader is now waiting in its read
    const auto start = std::chrono::steady_clock::now();
    link.com.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(TComTCPTest, AFloodCostsSecondsOfDeliveryNotMinutes)
{
    sim::UnitSimulator peer;
    TcpLink link(peer.StartTcp(0));
    // Long enough that a machine busy with other work never times the reader out mid-flood.
    link.com->GetClient().ReadTimeout = 30000;
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForState(stConnected));
    ASSERT_TRUE(peer.WaitForClient(5000)); // the connect may complete before the peer has accepted

    // A hostile peer sends 8 MB (twenty times the bound) as fast as it can, then closes,
    // while the main thread is busy elsewhere: the queue fills to its byte bound and the
    // rest is dropped.
    constexpr std::size_t kChunk = 1 << 20, kChunks = 8;
    std::atomic<bool> sent{false};
    std::thread flood([&] {
        const sim::Bytes chunk(kChunk, 0x55);
        for (std::size_t i = 0; i < kChunks; ++i) peer.Send(chunk);
        peer.CloseClient();
        sent = true;
    });
    // The reader takes all of it (the close too) without the main thread.
    // Each dropped read pauses the reader, so on a loaded machine this takes a while.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!(sent && !link.com->IsConnected()) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    flood.join();
    ASSERT_FALSE(link.com->IsConnected());
    constexpr std::int64_t kMaxOneRead = 256 * 1024;
    EXPECT_LE(link.com->GetPendingBytes(), TCom::kMaxPendingBytes + kMaxOneRead + 2 * std::int64_t(kPacketTimeSize));
    EXPECT_LT(link.com->GetPending(), TCom::kMaxPending);

    // Served again: the few queued packets go, then the unit's close, at once.
    ASSERT_TRUE(link.rec.WaitForState(stDisconnectedFromDevice, 20000));
    const std::size_t delivered = link.rec.DataBytes().size();
    EXPECT_LE(static_cast<std::int64_t>(delivered), TCom::kMaxPendingBytes + 2 * kMaxOneRead);
    EXPECT_EQ(delivered + link.com->GetDroppedBytes(), kChunk * kChunks);
}

TEST(TComTCPTest, ASimulatedUnitServesOneClientAfterAnother)
{
    sim::UnitSimulator unit;
    TcpLink link(unit.StartTcp(0));
    unit.Play({sim::ScenarioStep::MakeFrames(0, 100, {{39, {0x33, 0x04}}})});
    const std::size_t frameSize = sim::BuildUnitFrame(1, {{39, {0x33, 0x04}}}).size();
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForBytes(3 * frameSize));

    // A second client waits while the first is served.
    io::TTcpClient second;
    second.SetHost("127.0.0.1");
    second.SetPort(unit.Port());
    second.ReadTimeout = 300;
    second.Connect(1000);
    EXPECT_THROW(second.ReadFromStack(), io::ETcpReadTimeout);

    // The first goes: the second is served next.
    link.com->Close(stDisconnected);
    ASSERT_TRUE(WaitUntil([&] { return !link.com->IsConnected(); }));
    second.ReadTimeout = 3000;
    EXPECT_GT(second.ReadFromStack(), 0u);
    second.Disconnect();

    // The program comes back (as after a restart): the unit streams to it again.
    const std::size_t before = link.rec.DataBytes().size();
    link.com->Open();
    ASSERT_TRUE(link.rec.WaitForBytes(before + 3 * frameSize)) << "no frames on the next connection";
}
