#pragma once
// Figures that set the project against a baseline in one process: the two run in turns,
// repetition by repetition, the order swapped each time (project first, then baseline
// first, ...), so that a change of machine load falls on both alike. A figure is one
// Google Benchmark entry; its counters hold the median time of one step of each side
// (wall clock and the main thread's CPU time) and their ratio, and the reporter prints a
// line per figure with the goal beside it.
//
// Under callgrind (valgrind --tool=callgrind --collect-atstart=no) each side runs once
// after the warm-up and its instructions are dumped apart, as "<figure>/project" and
// "<figure>/baseline"; bench/callgrind-ratios.sh turns the dumps into ratios that do not
// move with the machine's load.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define KV_PAIRED_CALLGRIND 1
#else
#define KV_PAIRED_CALLGRIND 0
#endif

#include "TimeRatioReporter.h"

namespace paired {

// What the ratio must meet: project / baseline at most Goal, or, for a speed-up,
// baseline / project at least Goal.
enum class TGoalKind { AtMost,
                       SpeedUpAtLeast };

struct TFigure {
    std::string Name;  // the benchmark's name
    std::string Label; // what the printed line says
    std::function<void()> Project, Baseline;
    double Goal = 1.0;
    TGoalKind Kind = TGoalKind::AtMost;
    int Repetitions = 7;
    // One side's batch of steps lasts at least this long (the batch is sized once).
    double MinBatchSeconds = 0.05;
    // Before each side's batch, outside the timing (closing what the step opened).
    std::function<void()> PrepareProject, PrepareBaseline;
};

struct TResult {
    std::string Label;
    double ProjectSeconds = 0, BaselineSeconds = 0; // medians per step, wall clock
    double ProjectCpu = 0, BaselineCpu = 0;         // medians per step, the main thread's CPU
    double RatioLow = 0, RatioHigh = 0;             // the spread of the repetitions' ratios
    double Goal = 1.0;
    TGoalKind Kind = TGoalKind::AtMost;
};

inline std::vector<TResult>& Results()
{
    static std::vector<TResult> results;
    return results;
}

// A figure with a goal in time rather than a ratio: the median of the steps.
struct TMedian {
    std::string Label;
    double Milliseconds = 0, GoalMilliseconds = 0;
    std::size_t Steps = 0;
};

inline std::vector<TMedian>& Medians()
{
    static std::vector<TMedian> medians;
    return medians;
}

inline double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0.0 : n % 2 ? v[n / 2]
                                : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Wall and CPU seconds of one step, averaged over a batch.
struct TSample {
    double Wall = 0, Cpu = 0;
};

inline TSample RunBatch(const std::function<void()>& prepare, const std::function<void()>& step, int count)
{
    TSample total;
    for (int i = 0; i < count; ++i) {
        if (prepare) prepare();
        const auto start = std::chrono::steady_clock::now();
        const double cpu = ThreadCpuSeconds();
        step();
        total.Cpu += ThreadCpuSeconds() - cpu;
        total.Wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return {total.Wall / count, total.Cpu / count};
}

inline bool UnderCallgrind()
{
#if KV_PAIRED_CALLGRIND
    return RUNNING_ON_VALGRIND != 0;
#else
    return false;
#endif
}

inline void CountSide(const TFigure& figure, bool project, int count)
{
#if KV_PAIRED_CALLGRIND
    const std::string name = figure.Name + (project ? "/project" : "/baseline");
    const auto& prepare = project ? figure.PrepareProject : figure.PrepareBaseline;
    const auto& step = project ? figure.Project : figure.Baseline;
    for (int i = 0; i < count; ++i) {
        if (prepare) prepare();
        CALLGRIND_ZERO_STATS;
        CALLGRIND_START_INSTRUMENTATION;
        CALLGRIND_TOGGLE_COLLECT;
        step();
        CALLGRIND_TOGGLE_COLLECT;
        CALLGRIND_DUMP_STATS_AT(name.c_str());
    }
#else
    (void)figure, (void)project, (void)count;
#endif
}

// The benchmark body of a figure.
inline void Measure(benchmark::State& state, const TFigure& figure)
{
    for (auto _ : state) {
        // Warm both sides up (caches, fonts, first allocations; twice, for what is kept from
        // its second use on), then size the batch.
        for (int warm = 0; warm < 2; ++warm) {
            RunBatch(figure.PrepareProject, figure.Project, 1);
            RunBatch(figure.PrepareBaseline, figure.Baseline, 1);
        }
        if (UnderCallgrind()) {
            CountSide(figure, true, 1);
            CountSide(figure, false, 1);
            state.SetIterationTime(1);
            continue;
        }
        const TSample first = RunBatch(figure.PrepareProject, figure.Project, 1);
        const int batch = std::max(1, static_cast<int>(figure.MinBatchSeconds / std::max(first.Wall, 1e-7)));
        std::vector<double> project, baseline, projectCpu, baselineCpu, ratios;
        for (int rep = 0; rep < figure.Repetitions; ++rep) {
            TSample a, b;
            if (rep % 2 == 0) {
                a = RunBatch(figure.PrepareProject, figure.Project, batch);
                b = RunBatch(figure.PrepareBaseline, figure.Baseline, batch);
            } else {
                b = RunBatch(figure.PrepareBaseline, figure.Baseline, batch);
                a = RunBatch(figure.PrepareProject, figure.Project, batch);
            }
            project.push_back(a.Wall);
            baseline.push_back(b.Wall);
            projectCpu.push_back(a.Cpu);
            baselineCpu.push_back(b.Cpu);
            ratios.push_back(figure.Kind == TGoalKind::AtMost ? a.Wall / b.Wall : b.Wall / a.Wall);
        }
        TResult r;
        r.Label = figure.Label;
        r.ProjectSeconds = Median(project);
        r.BaselineSeconds = Median(baseline);
        r.ProjectCpu = Median(projectCpu);
        r.BaselineCpu = Median(baselineCpu);
        r.RatioLow = *std::min_element(ratios.begin(), ratios.end());
        r.RatioHigh = *std::max_element(ratios.begin(), ratios.end());
        r.Goal = figure.Goal;
        r.Kind = figure.Kind;
        Results().push_back(r);
        state.SetIterationTime(r.ProjectSeconds);
        state.counters["project_ms"] = r.ProjectSeconds * 1e3;
        state.counters["baseline_ms"] = r.BaselineSeconds * 1e3;
        state.counters["ratio"] = figure.Kind == TGoalKind::AtMost ? r.ProjectSeconds / r.BaselineSeconds
                                                                   : r.BaselineSeconds / r.ProjectSeconds;
        state.counters["cpu_ratio"] = figure.Kind == TGoalKind::AtMost ? r.ProjectCpu / r.BaselineCpu
                                                                       : r.BaselineCpu / r.ProjectCpu;
        state.counters["batch"] = batch;
    }
}

// The median of a benchmark's step times (seconds) as its counter and as a figure
// with a goal in milliseconds.
inline void ReportMedian(benchmark::State& state, const std::vector<double>& seconds, double goalMilliseconds,
                         std::string label)
{
    const double median = Median(seconds) * 1e3;
    state.counters["median_ms"] = median;
    Medians().push_back({std::move(label), median, goalMilliseconds, seconds.size()});
}

// Registers a figure as a benchmark of one iteration (the repetitions are its own).
inline void Register(TFigure figure)
{
    auto shared = std::make_shared<TFigure>(std::move(figure));
    benchmark::RegisterBenchmark(shared->Name.c_str(), [shared](benchmark::State& state) { Measure(state, *shared); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

// The lines of every figure measured, after Google Benchmark's own output.
inline void PrintResults()
{
    for (const TResult& r : Results()) {
        const bool speedUp = r.Kind == TGoalKind::SpeedUpAtLeast;
        const double ratio = speedUp ? r.BaselineSeconds / r.ProjectSeconds : r.ProjectSeconds / r.BaselineSeconds;
        const double cpu = speedUp ? r.BaselineCpu / r.ProjectCpu : r.ProjectCpu / r.BaselineCpu;
        const bool met = speedUp ? ratio >= r.Goal : ratio <= r.Goal;
        std::printf("%s: %.2f%s (repetitions %.2f to %.2f; CPU %.2f), goal %s %.2f%s: %s; %.3f ms against %.3f ms\n",
                    r.Label.c_str(), ratio, speedUp ? "x" : "", r.RatioLow, r.RatioHigh, cpu,
                    speedUp ? "at least" : "at most", r.Goal, speedUp ? "x" : "", met ? "met" : "NOT met",
                    r.ProjectSeconds * 1e3, r.BaselineSeconds * 1e3);
    }
    for (const TMedian& m : Medians())
        std::printf("%s: median %.3f ms of %zu, goal at most %.2f ms: %s\n", m.Label.c_str(), m.Milliseconds, m.Steps,
                    m.GoalMilliseconds, m.Milliseconds <= m.GoalMilliseconds ? "met" : "NOT met");
}

// Google Benchmark's console output plus the figures' lines (and any plain time ratios).
class TReporter : public TTimeRatioReporter {
public:
    TReporter() : TTimeRatioReporter() {}
    void Finalize() override
    {
        TTimeRatioReporter::Finalize();
        PrintResults();
    }
};

} // namespace paired
