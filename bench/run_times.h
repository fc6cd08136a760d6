// A console reporter that also keeps each benchmark's CPU time, for the
// tables of ratios the benchmarks print after their runs.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace humitrax::bench {

/// Shows the runs as the console reporter does and keeps each benchmark's
/// CPU time per iteration: the median over repetitions, or the single run.
class RunTimes : public benchmark::ConsoleReporter {
public:
    explicit RunTimes(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (run.error_occurred)
                continue;
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    m_medians[name] = run.GetAdjustedCPUTime();
            } else {
                m_single[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    /// The time of a benchmark in ns, or a negative value when it did not run.
    [[nodiscard]] double Time(const std::string& name) const
    {
        if (auto m = m_medians.find(name); m != m_medians.end())
            return m->second;
        if (auto s = m_single.find(name); s != m_single.end())
            return s->second;
        return -1.0;
    }

private:
    std::map<std::string, double> m_medians;
    std::map<std::string, double> m_single;
};

} // namespace humitrax::bench
