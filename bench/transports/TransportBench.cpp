// Transport throughput: from the unit simulator through a reader thread and its
// delivery thread into a listener on the main thread, over TCP and over a
// pseudo-terminal; and 64 TCP transports fed at the serial line rate at once.
// Baseline: the same TCP stream read directly by one thread, with no delivery. Beside
// the packets per second: the bytes dropped by back-pressure.
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include "device_link/communication.h"
#include "platform/io/TcpClient.h"
#include "platform/rtl/Thread.h"
#include "simulator/UnitSimulator.h"

using namespace device_link;

namespace {

using Clock = std::chrono::steady_clock;

// Counts what reaches the main thread.
struct Sink {
    std::uint64_t Packets = 0;
    std::uint64_t Bytes = 0;
    std::int32_t PeakPending = 0;
    int Connected = 0;
    void OnData(const TArray& p)
    {
        ++Packets;
        Bytes += p.size() - kPacketTimeSize;
    }
    void OnStats(const TComStats& s) { PeakPending = std::max(PeakPending, s.Pending); }
    void OnState(TStatus code) { Connected += code == stConnected; }
    void Attach(TCom& com)
    {
        com.AddDataListener(1, {this, &Sink::OnData});
        com.AddStatsListener({this, &Sink::OnStats});
        com.AddStateListener({this, &Sink::OnState});
        com.Muted = 0;
    }
};

// Runs the main thread's deliveries until cond holds or the time is up.
template <typename Cond>
bool Pump(Cond cond, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    while (!cond()) {
        if (Clock::now() > end) return false;
        rtl::MainThread::CheckSynchronize(std::chrono::milliseconds(1));
    }
    return true;
}

// A small realistic frame: one item of 20 data bytes (31 bytes on the line).
const std::vector<sim::UnitItem> kItems = {{2, sim::Bytes(20, 0x41)}};

void Deliver(benchmark::State& state, TCom& com, Sink& sink)
{
    std::uint64_t packets0 = 0, bytes0 = 0, dropped0 = 0;
    bool first = true;
    for (auto _ : state) {
        if (first) {
            packets0 = sink.Packets;
            bytes0 = sink.Bytes;
            dropped0 = com.GetDroppedBytes();
            first = false;
        }
        // Half a second of delivery per iteration: a flood is dropped in large reads,
        // so a count of packets would take the back-pressure's pace.
        const std::uint64_t before = sink.Packets;
        Pump([] { return false; }, std::chrono::milliseconds(500));
        if (sink.Packets == before) {
            state.SkipWithError("delivery stalled");
            break;
        }
    }
    const double packets = static_cast<double>(sink.Packets - packets0);
    const double bytes = static_cast<double>(sink.Bytes - bytes0);
    state.counters["packets/s"] = benchmark::Counter(packets, benchmark::Counter::kIsRate);
    state.counters["bytes/s"] = benchmark::Counter(bytes, benchmark::Counter::kIsRate);
    state.counters["bytes/packet"] = packets > 0 ? bytes / packets : 0;
    state.counters["peak_pending"] = sink.PeakPending;
    // What the reader received but could not queue: the sender outran the main thread.
    state.counters["dropped_bytes/s"] =
        benchmark::Counter(static_cast<double>(com.GetDroppedBytes() - dropped0), benchmark::Counter::kIsRate);
}

void BM_TcpTransport(benchmark::State& state)
{
    Sink sink;
    sim::UnitSimulator unit;
    auto com = std::make_unique<TComTCP>();
    sink.Attach(*com);
    com->Port = unit.StartTcp(0);
    com->SetHost("127.0.0.1");
    com->Open();
    if (!Pump([&] { return sink.Connected > 0; }, std::chrono::seconds(5))) {
        state.SkipWithError("no connection");
        return;
    }
    unit.Play({sim::ScenarioStep::MakeFrames(0, 0, kItems)}); // as fast as the line takes them
    Deliver(state, *com, sink);
    com.reset();
}
BENCHMARK(BM_TcpTransport)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PtyTransport(benchmark::State& state)
{
    Sink sink;
    sim::UnitSimulator unit;
    unit.StartPty();
    auto com = std::make_unique<TComCom>();
    com->PollIntervalMs = static_cast<int>(state.range(0));
    sink.Attach(*com);
    com->SetPortName(unit.PtyName());
    com->Open();
    if (!Pump([&] { return sink.Connected > 0; }, std::chrono::seconds(5))) {
        state.SkipWithError("no connection");
        return;
    }
    unit.Play({sim::ScenarioStep::MakeFrames(0, 0, kItems)});
    Deliver(state, *com, sink);
    com.reset();
}
// Arg: the reader's idle pause (100 ms in the program).
BENCHMARK(BM_PtyTransport)->Arg(100)->Arg(10)->UseRealTime()->Unit(benchmark::kMillisecond);

// Baseline: one thread reading the same stream from the socket, nothing delivered.
void BM_TcpRawReadBaseline(benchmark::State& state)
{
    sim::UnitSimulator unit;
    io::TTcpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(unit.StartTcp(0));
    client.ReadTimeout = 5000;
    client.Connect(1000);
    unit.WaitForClient(2000);
    unit.Play({sim::ScenarioStep::MakeFrames(0, 0, kItems)});
    std::uint64_t reads = 0, bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            client.ReadFromStack();
            const std::size_t n = client.InputBufferSize();
            bytes += client.ExtractInput(n).size();
            ++reads;
        }
    }
    state.counters["reads/s"] = benchmark::Counter(static_cast<double>(reads), benchmark::Counter::kIsRate);
    state.counters["bytes/s"] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TcpRawReadBaseline)->UseRealTime()->Unit(benchmark::kMillisecond);

// The reader-to-main-thread path alone: a reader that posts 31-byte packets as fast
// as back-pressure lets it; the ceiling for packets per second of any transport.
class TFloodCom final : public TCom {
public:
    TFloodCom()
    {
        connected_ = 1;
        StartReader();
    }
    ~TFloodCom() override { StopThreads(); }
    bool Send(const TArray&) override { return false; }
    bool Open() override { return true; }

protected:
    void ReadOnce() override
    {
        if (MayPost()) PostReceived(frame_);
        else Pause(1);
    }
    void CloseLink() override {}

private:
    const TArray frame_ = TArray(31, 0x41);
};

void BM_DeliveryPath(benchmark::State& state)
{
    Sink sink;
    auto com = std::make_unique<TFloodCom>();
    sink.Attach(*com);
    Deliver(state, *com, sink);
    com.reset();
}
BENCHMARK(BM_DeliveryPath)->UseRealTime()->Unit(benchmark::kMillisecond);

// 64 units at 57600 baud (5760 bytes/s each: 186 frames of 31 bytes per second).
void BM_SixtyFourTcpTransportsAtLineRate(benchmark::State& state)
{
    constexpr int kUnits = 64;
    constexpr double kFramesPerSecond = 5760.0 / 31.0;
    std::vector<Sink> sinks(kUnits);
    std::vector<std::unique_ptr<sim::UnitSimulator>> units;
    std::vector<std::unique_ptr<TComTCP>> coms;
    for (int i = 0; i < kUnits; ++i) {
        units.push_back(std::make_unique<sim::UnitSimulator>());
        coms.push_back(std::make_unique<TComTCP>());
        sinks[i].Attach(*coms[i]);
        coms[i]->Port = units[i]->StartTcp(0);
        coms[i]->SetHost("127.0.0.1");
        coms[i]->Open();
    }
    if (!Pump([&] { return std::all_of(sinks.begin(), sinks.end(), [](const Sink& s) { return s.Connected > 0; }); },
              std::chrono::seconds(10))) {
        state.SkipWithError("not all connected");
        return;
    }
    const int seconds = static_cast<int>(state.range(0));
    const auto frames = static_cast<std::uint32_t>(kFramesPerSecond * seconds);
    for (auto& u : units) u->Play({sim::ScenarioStep::MakeFrames(frames, kFramesPerSecond, kItems)});
    for (auto _ : state) {
        Pump([&] { return std::all_of(units.begin(), units.end(), [](auto& u) { return u->WaitScenarioDone(0); }); },
             std::chrono::seconds(seconds + 30));
        // Then everything sent must arrive.
        // clang-format off
        Pump([&] {
            for (int i = 0; i < kUnits; ++i)
                if (sinks[i].Bytes < units[i]->BytesSent()) return false;
            return true;
        }, std::chrono::seconds(10));
        // clang-format on
    }
    std::uint64_t sent = 0, received = 0, packets = 0, dropped = 0;
    std::int32_t peak = 0;
    for (int i = 0; i < kUnits; ++i) {
        sent += units[i]->BytesSent();
        received += sinks[i].Bytes;
        packets += sinks[i].Packets;
        dropped += coms[i]->GetDroppedBytes();
        peak = std::max(peak, sinks[i].PeakPending);
    }
    state.counters["peak_pending"] = peak;
    state.counters["lost_bytes"] = static_cast<double>(sent - std::min(sent, received));
    state.counters["dropped_bytes"] = static_cast<double>(dropped);
    state.counters["bytes_sent"] = static_cast<double>(sent);
    state.counters["packets/s"] = benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
    coms.clear();
}
BENCHMARK(BM_SixtyFourTcpTransportsAtLineRate)->Arg(5)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    rtl::MainThread::Init();
    // Deliveries are run by Pump, not by the Qt event loop.
    rtl::MainThread::SetWakeHook([] {});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
