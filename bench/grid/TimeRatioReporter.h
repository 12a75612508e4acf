#pragma once
// Console output of Google Benchmark, then one line with the time of one benchmark as a
// share of another's, both measured in the same run.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class TTimeRatioReporter : public benchmark::ConsoleReporter {
public:
    TTimeRatioReporter(std::string measured, std::string baseline, std::string label)
        : measured_(std::move(measured)), baseline_(std::move(baseline)), label_(std::move(label))
    {
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
        const auto measured = times_.find(measured_), baseline = times_.find(baseline_);
        if (measured != times_.end() && baseline != times_.end() && baseline->second > 0)
            std::printf("%s: %.2f\n", label_.c_str(), measured->second / baseline->second);
    }

private:
    std::string measured_, baseline_, label_;
    std::map<std::string, double> times_;
};
