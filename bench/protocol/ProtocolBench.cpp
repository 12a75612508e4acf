// Frame automaton throughput on a realistic unit stream: frames of 1 to 20 items
// (mostly short items, some station names and radio texts) with about 10% line
// noise between them, fed in reads of 4 KiB. Two baselines in the same run: the
// automaton as it was before its items became views of the frame's bytes (a copy
// kept in BaselineAutomaton.cpp), fed the same stream in turns with today's, and a
// loop that sums the same bytes in the same reads, the floor for touching each byte
// once. The ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BaselineAutomaton.h"
#include "PairedRatio.h"
#include "device_link/ProtocolAutomata.h"
#include "simulator/UnitSimulator.h"

using device_link::TFrameEvent;
using device_link::TProtocolAutomata;
using device_link::TProtocolPacket;

namespace {

constexpr std::size_t kStreamSize = 16 << 20;
constexpr std::size_t kReadSize = 4096;

struct Stream {
    std::vector<std::uint8_t> bytes;
    std::size_t frames = 0;
    std::size_t noiseBytes = 0;
};

const Stream& UnitStream()
{
    static const Stream stream = [] {
        Stream s;
        std::mt19937 rng(42);
        auto below = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
        std::uint32_t seq = 0;
        while (s.bytes.size() < kStreamSize) {
            std::vector<sim::UnitItem> items;
            const unsigned count = 1 + below(20);
            for (unsigned i = 0; i < count; ++i) {
                const unsigned kind = below(10);
                // clang-format off
                const unsigned size = kind < 7 ? below(5) : kind < 9 ? 8 : 64;
                // clang-format on
                sim::UnitItem item;
                item.Code = static_cast<std::uint8_t>(1 + below(170));
                for (unsigned j = 0; j < size; ++j) item.Data.push_back(static_cast<std::uint8_t>(rng()));
                items.push_back(std::move(item));
            }
            const sim::Bytes frame = sim::BuildUnitFrame(++seq, items);
            s.bytes.insert(s.bytes.end(), frame.begin(), frame.end());
            ++s.frames;
            const std::size_t frameSize = frame.size();
            // Noise of a ninth of the frame's size on average: 10% of the stream.
            const std::size_t noise = below(static_cast<unsigned>(frameSize * 2 / 9) + 1);
            for (std::size_t j = 0; j < noise; ++j) s.bytes.push_back(static_cast<std::uint8_t>(rng()));
            s.noiseBytes += noise;
        }
        return s;
    }();
    return stream;
}

// Reads every item's code, data and text, as the unit's view does.
template <typename Packet>
struct TConsumer {
    std::uint64_t frames = 0;
    std::uint64_t items = 0;
    void OnFrame(Packet& packet)
    {
        ++frames;
        for (const auto& item : packet.Commands)
            items += static_cast<std::uint64_t>(item.Code) + item.Data.size() + item.Text.size()
                     + (item.Data.empty() ? 0 : item.Data.data()[0]);
    }
};
using Consumer = TConsumer<TProtocolPacket>;

// The whole stream through an automaton, in the reads of a unit's transport.
template <typename Automaton>
void FeedStream(Automaton& automaton)
{
    const Stream& stream = UnitStream();
    for (std::size_t pos = 0; pos < stream.bytes.size(); pos += kReadSize)
        automaton.Feed(stream.bytes.data() + pos, std::min(kReadSize, stream.bytes.size() - pos));
}

void BM_Automaton(benchmark::State& state)
{
    const Stream& stream = UnitStream();
    TProtocolAutomata automaton;
    Consumer consumer;
    automaton.OnFrame = TFrameEvent(&consumer, &Consumer::OnFrame);
    for (auto _ : state) {
        FeedStream(automaton);
        benchmark::DoNotOptimize(consumer.items);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.bytes.size()));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(consumer.frames), benchmark::Counter::kIsRate);
    state.counters["delivered"] = static_cast<double>(consumer.frames) / static_cast<double>(state.iterations())
                                  / static_cast<double>(stream.frames);
    state.counters["noise"] = static_cast<double>(stream.noiseBytes) / static_cast<double>(stream.bytes.size());
}
BENCHMARK(BM_Automaton)->Unit(benchmark::kMillisecond);

void BM_ByteSumFloor(benchmark::State& state)
{
    const Stream& stream = UnitStream();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (std::size_t pos = 0; pos < stream.bytes.size(); pos += kReadSize) {
            const std::uint8_t* p = stream.bytes.data() + pos;
            const std::size_t n = std::min(kReadSize, stream.bytes.size() - pos);
            for (std::size_t i = 0; i < n; ++i) sum += p[i];
            benchmark::DoNotOptimize(sum);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.bytes.size()));
}
BENCHMARK(BM_ByteSumFloor)->Unit(benchmark::kMillisecond);

// Today's automaton against the one before, the same stream in turns; both must
// deliver the same items.
struct TAutomata {
    TProtocolAutomata today;
    baseline::TProtocolAutomata before;
    Consumer todayConsumer;
    TConsumer<baseline::TProtocolPacket> beforeConsumer;
    TAutomata()
    {
        today.OnFrame = TFrameEvent(&todayConsumer, &Consumer::OnFrame);
        before.OnFrame = baseline::TFrameEvent(&beforeConsumer, &TConsumer<baseline::TProtocolPacket>::OnFrame);
    }
};

TAutomata& Automata()
{
    static TAutomata automata;
    return automata;
}

void RegisterAutomatonFigure()
{
    paired::TFigure figure;
    figure.Name = "BM_AutomatonAgainstBefore";
    figure.Label = "frame automaton speed-up over the one before (same stream, same run)";
    figure.Project = [] {
        FeedStream(Automata().today);
        benchmark::DoNotOptimize(Automata().todayConsumer.items);
    };
    figure.Baseline = [] {
        FeedStream(Automata().before);
        benchmark::DoNotOptimize(Automata().beforeConsumer.items);
    };
    figure.Goal = 1.5;
    figure.Kind = paired::TGoalKind::SpeedUpAtLeast;
    figure.MinBatchSeconds = 0.3;
    paired::Register(std::move(figure));
}

// Console output, the figure against the automaton before, and the ratio of the
// automaton's rate to the floor's.
class RatioReporter : public paired::TReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        paired::TReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end() && run.run_type == Run::RT_Iteration) {
                double& best = rates_[run.run_name.function_name];
                best = std::max(best, rate->second.value); // the least disturbed repetition
            }
        }
    }
    void Finalize() override
    {
        paired::TReporter::Finalize();
        const auto automaton = rates_.find("BM_Automaton");
        const auto floor = rates_.find("BM_ByteSumFloor");
        if (automaton == rates_.end() || floor == rates_.end()) return;
        std::printf("best runs: automaton %.0f MB/s, byte-sum floor %.0f MB/s, automaton / floor = %.3f\n",
                    automaton->second / 1e6, floor->second / 1e6, automaton->second / floor->second);
    }

private:
    std::map<std::string, double> rates_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RegisterAutomatonFigure();
    RatioReporter reporter;
    {
        // Both deliver the same frames and items before either is timed.
        TAutomata check;
        FeedStream(check.today);
        FeedStream(check.before);
        if (check.todayConsumer.frames != check.beforeConsumer.frames
            || check.todayConsumer.items != check.beforeConsumer.items || check.todayConsumer.frames == 0) {
            std::fprintf(stderr, "the two automata delivered different items\n");
            return 1;
        }
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
