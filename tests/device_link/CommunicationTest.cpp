// The transport base and its delivery thread, through a transport whose reader only
// waits: the test posts what a reader would.
#include <chrono>
#include <functional>
#include <cmath>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "LinkRecorder.h"
#include "device_link/communication.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Application.h"

using namespace device_link;
using linktest::LinkEvent;
using linktest::LinkRecorder;
using testsupport::WaitUntil;

namespace {

class TTestCom final : public TCom {
public:
    TTestCom()
    {
        PollIntervalMs = 10;
        StartReader();
    }
    ~TTestCom() override { StopThreads(); }

    bool Send(const TArray&) override { return connected_.load() != 0; }
    bool Open() override
    {
        connected_ = 1;
        return true;
    }

    // What a reader does with received bytes.
    void Receive(const TArray& bytes) { PostReceived(bytes); }
    void StartInterval() { ResetInterval(); }
    bool ReaderMayPost() const { return MayPost(); }

protected:
    // Reads nothing; a close request only clears the connected flag.
    void Execute() override
    {
        while (!Terminated()) {
            if (closeRequest_.load()) connected_ = 0;
            Pause();
        }
    }
    void ReadOnce() override {}
    void CloseLink() override {}
};

// Waits without running the main thread's queued calls, so deliveries stay blocked.
bool WaitUnserved(const std::function<bool()>& cond, int timeoutMs = 2000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TArray Bytes(std::initializer_list<int> values)
{
    TArray out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TArray Packet(std::initializer_list<int> values, double when)
{
    TArray p = Bytes(values);
    AppendPacketTime(p, when);
    return p;
}

} // namespace

TEST(PacketTimeTest, TailIsLittleEndianDoubleAfterTheBytes)
{
    TArray p = Bytes({0xAA});
    AppendPacketTime(p, 1.0); // 3F F0 00 00 00 00 00 00 big-endian
    EXPECT_EQ(p, Bytes({0xAA, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(GetPacketTime(p), 1.0);
    TArray q;
    AppendPacketTime(q, 45678.123456789);
    EXPECT_EQ(GetPacketTime(q), 45678.123456789);
    EXPECT_EQ(GetPacketTime(Bytes({1, 2, 3})), 0.0);
}

TEST(TComTest, ListenerRegistrationToggles)
{
    LinkRecorder a, b, d;
    std::vector<char> order;
    TTestCom com; // declared after its listeners: its destruction may still deliver
    com.Muted = 0;
    com.AddStateListener({&a, &LinkRecorder::OnState});
    com.AddStateListener({&b, &LinkRecorder::OnState}); // another object, same method: its own entry
    com.AddStateListener({&a, &LinkRecorder::OnState}); // removes a
    com.PostStatus(stConnected);
    ASSERT_TRUE(b.WaitForStates(1));
    EXPECT_TRUE(a.States().empty());

    com.AddStateListener({&a, &LinkRecorder::OnState}); // a again, at the end
    com.AddStateListener(rtl::Delegate<void(TStatus)>::FromFunction([&](TStatus) { order.push_back('x'); }));
    com.PostStatus(stDisconnected);
    ASSERT_TRUE(a.WaitForStates(1));
    EXPECT_EQ(a.States(), std::vector<int>{stDisconnected});
    EXPECT_EQ(b.States(), (std::vector<int>{stConnected, stDisconnected}));
    EXPECT_EQ(order.size(), 1u);

    // Data listeners keep the flag but toggle the same way.
    com.AddDataListener(1, {&d, &LinkRecorder::OnData});
    com.AddDataListener(0, {&d, &LinkRecorder::OnData});
    com.PostPacket(Packet({1}, 1.0));
    com.PostStatus(stIdle);
    ASSERT_TRUE(b.WaitForState(stIdle));
    EXPECT_TRUE(d.Packets().empty());
}

TEST(TComTest, StatusesAndPacketsKeepTheirOrder)
{
    LinkRecorder rec;
    TTestCom com;
    com.Muted = 0;
    rec.Attach(com);
    const TArray a = Packet({0x24, 0x21}, 45000.5);
    const TArray b = Packet({0x33}, 45000.75);
    com.PostStatus(stConnected);
    com.PostPacket(a);
    com.PostPacket(b);
    com.PostStatus(stDisconnected);
    ASSERT_TRUE(rec.WaitForStates(2));

    ASSERT_EQ(rec.Events.size(), 6u);
    EXPECT_EQ(rec.Events[0].What, LinkEvent::State);
    EXPECT_EQ(rec.Events[0].Status, stConnected);
    // Statistics come before the data of the same packet, with its receive time.
    EXPECT_EQ(rec.Events[1].What, LinkEvent::Statistics);
    EXPECT_EQ(rec.Events[1].Stats.PacketTime, 45000.5);
    EXPECT_EQ(rec.Events[2].What, LinkEvent::Data);
    EXPECT_EQ(rec.Events[2].Packet, a); // the time tail stays on
    EXPECT_EQ(rec.Events[3].Stats.PacketTime, 45000.75);
    EXPECT_EQ(rec.Events[4].Packet, b);
    EXPECT_EQ(rec.Events[5].Status, stDisconnected);
    EXPECT_EQ(com.GetProcessed(), 2u);
}

TEST(TComTest, MutedTransportConsumesEverythingAndTellsNobody)
{
    LinkRecorder rec;
    TTestCom com; // transports start muted
    rec.Attach(com);
    com.PostStatus(stConnected);
    for (int i = 0; i < 50; ++i) com.PostPacket(Packet({i}, 1.0));
    ASSERT_TRUE(WaitUntil([&] { return com.GetProcessed() == 50 && com.GetPending() == 0; }));
    // The status before the packets has been consumed too: unmuting delivers only what comes next.
    com.Muted = 0;
    EXPECT_EQ(linktest::StatesUpToMarker(com, rec), std::vector<int>{});
    EXPECT_TRUE(rec.Packets().empty());
}

TEST(TComTest, IdleDeliveryThreadDeliversAStatusAndStopsPromptly)
{
    LinkRecorder rec;
    auto com = std::make_unique<TTestCom>();
    com->Muted = 0;
    rec.Attach(*com);
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // let the delivery thread go idle
    com->PostStatus(stStrobe);
    ASSERT_TRUE(rec.WaitForState(stStrobe, 2000));

    const auto start = std::chrono::steady_clock::now();
    com.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(TComTest, CloseWithQueuedPacketsNeverMakesPendingNegative)
{
    LinkRecorder rec;
    TTestCom com;
    com.Muted = 0;
    rec.Attach(com);
    com.Open();
    // The main thread does not serve deliveries yet: packets pile up.
    for (int i = 0; i < 40; ++i) com.Receive(Bytes({i}));
    EXPECT_EQ(com.GetPosted(), 40u);
    EXPECT_GE(com.GetPending(), 39);
    com.Close(stDisconnected);
    EXPECT_EQ(com.GetPosted(), 0u);

    ASSERT_TRUE(rec.WaitForState(stDisconnected));
    ASSERT_TRUE(WaitUntil([&] { return com.GetPending() == 0 && com.GetProcessed() == 40; }));
    int stats = 0;
    for (const auto& e : rec.Events) {
        if (e.What != LinkEvent::Statistics) continue;
        ++stats;
        EXPECT_GE(e.Stats.Pending, 0);
    }
    EXPECT_EQ(stats, 40);
    EXPECT_EQ(rec.Packets().size(), 40u);
    // The reader clears the connected flag once it sees the close request.
    EXPECT_TRUE(WaitUntil([&] { return !com.IsConnected(); }));
}

TEST(TComTest, BackPressureAtFiveHundredQueuedPackets)
{
    LinkRecorder rec;
    TTestCom com;
    com.Muted = 0;
    rec.Attach(com);
    // Not served: the delivery thread takes the first packet and waits for the main thread.
    for (int i = 0; i < 500; ++i) com.PostPacket(Packet({1}, 1.0));
    ASSERT_TRUE(WaitUnserved([&] { return com.GetPending() == 499; }));
    EXPECT_TRUE(com.ReaderMayPost());
    com.PostPacket(Packet({2}, 1.0));
    EXPECT_EQ(com.GetPending(), 500);
    EXPECT_FALSE(com.ReaderMayPost());
    ASSERT_TRUE(WaitUntil([&] { return com.GetPending() == 0; }));
    EXPECT_TRUE(com.ReaderMayPost());
}

TEST(TComTest, BackPressureAtAFewHundredKilobytesQueued)
{
    LinkRecorder rec;
    TTestCom com;
    com.Muted = 0;
    rec.Attach(com);
    const TArray big(64 * 1024, 0x24);
    com.Receive(big); // taken by the delivery thread, which waits for the main thread
    ASSERT_TRUE(WaitUnserved([&] { return com.GetPending() == 0; }));
    EXPECT_EQ(com.GetPendingBytes(), 0);
    int posted = 0;
    while (com.ReaderMayPost() && posted < 100) {
        com.Receive(big);
        ++posted;
    }
    // Far fewer than 500 packets, but as many bytes as the bound allows.
    EXPECT_EQ(posted, 6);
    EXPECT_EQ(com.GetPendingBytes(), 6 * static_cast<std::int64_t>(big.size() + kPacketTimeSize));
    EXPECT_GE(com.GetPendingBytes(), TCom::kMaxPendingBytes);
    ASSERT_TRUE(WaitUntil([&] { return rec.Packets().size() == 7u; }));
    EXPECT_EQ(com.GetPending(), 0);
    EXPECT_EQ(com.GetPendingBytes(), 0);
    EXPECT_TRUE(com.ReaderMayPost());
}

TEST(TComTest, ClearBufferDropsQueuedPacketsAndPostsStrobe)
{
    LinkRecorder rec;
    TTestCom com;
    com.Muted = 0;
    rec.Attach(com);
    com.Open();
    for (int i = 0; i < 20; ++i) com.PostPacket(Packet({i}, 1.0));
    com.ClearBuffer();
    ASSERT_TRUE(rec.WaitForState(stStrobe));
    ASSERT_TRUE(WaitUntil([&] { return com.GetProcessed() == 20; }));
    EXPECT_EQ(com.GetPending(), 0);
    // At most the packet already in delivery got through.
    EXPECT_LE(rec.Packets().size(), 1u);
    EXPECT_EQ(rec.States(), std::vector<int>{stStrobe});
    EXPECT_TRUE(WaitUntil([&] { return com.IsConnected(); })); // once the flush has ended
}

TEST(TComTest, ListenerFailureGoesToTheExceptionHandlerAndDeliveryGoesOn)
{
    std::vector<std::string> caught;
    ui::SetExceptionHandler([&](std::exception_ptr e) { caught.push_back(ui::ExceptionMessage(e)); });
    const rtl::TScopeExit restore([] { ui::SetExceptionHandler(nullptr); });

    LinkRecorder rec;
    auto com = std::make_unique<TTestCom>();
    com->Muted = 0;
    // clang-format off
    com->AddDataListener(1, rtl::Delegate<void(const TArray&)>::FromFunction([](const TArray& p) {
        if (p[0] == 1) throw std::runtime_error("listener failed");
    }));
    // clang-format on
    rec.Attach(*com);
    com->PostPacket(Packet({1}, 1.0));
    com->PostPacket(Packet({2}, 1.0));
    ASSERT_TRUE(WaitUntil([&] { return caught.size() == 1 && rec.Packets().size() == 1; }));
    EXPECT_EQ(caught, std::vector<std::string>{"listener failed"});
    EXPECT_EQ(rec.Packets()[0][0], 2); // the recorder came after the failing listener for packet 1

    // A listener that fails while the transport is being destroyed (its last delivery
    // runs in the destructor's wait) is reported too, and the destruction completes.
    com->PostPacket(Packet({1}, 1.0));
    ASSERT_TRUE(WaitUnserved([&] { return com->GetPending() == 0; })); // taken, waiting for the main thread
    com.reset();
    EXPECT_EQ(caught.size(), 2u);
}

TEST(TComTest, SmoothedIntervalStartsAtFiftyAndFollowsPostings)
{
    TTestCom com;
    com.StartInterval();
    EXPECT_EQ(com.GetAvgIntervalMs(), 50.0);
    com.Receive(Bytes({1}));
    EXPECT_EQ(com.GetAvgIntervalMs(), 50.0); // the first posting only records the time
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    com.Receive(Bytes({2}));
    // 0.05 x whole milliseconds + 0.95 x 0
    const double ms = com.GetAvgIntervalMs() / 0.05;
    EXPECT_GE(ms, 20.0);
    EXPECT_NEAR(ms, std::round(ms), 1e-9);
    com.Receive(Bytes({3}));
    EXPECT_NEAR(com.GetAvgIntervalMs(), 0.95 * ms * 0.05, 0.05 * 5); // a posting right after: 0..few ms
}
