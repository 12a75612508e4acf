#pragma once
// Console output of Google Benchmark, then a line per ratio: the time of one benchmark as
// a share of another's, both measured in the same run.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class TTimeRatioReporter : public benchmark::ConsoleReporter {
public:
    TTimeRatioReporter() = default;
    TTimeRatioReporter(std::string measured, std::string baseline, std::string label)
    {
        AddRatio(std::move(measured), std::move(baseline), std::move(label));
    }

    void AddRatio(std::string measured, std::string baseline, std::string label)
    {
        ratios_.push_back({std::move(measured), std::move(baseline), std::move(label)});
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        // The mean of repetitions when there are some, else the single run.
        for (const Run& r : runs) {
            const bool mean = r.run_type == Run::RT_Aggregate && r.aggregate_name == "mean";
            if (mean || (r.run_type == Run::RT_Iteration && r.repetitions <= 1))
                times_[r.run_name.function_name] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const TRatio& ratio : ratios_) {
            const auto measured = times_.find(ratio.Measured), baseline = times_.find(ratio.Baseline);
            if (measured != times_.end() && baseline != times_.end() && baseline->second > 0)
                std::printf("%s: %.2f\n", ratio.Label.c_str(), measured->second / baseline->second);
        }
    }

private:
    struct TRatio {
        std::string Measured, Baseline, Label;
    };
    std::vector<TRatio> ratios_;
    std::map<std::string, double> times_;
};
