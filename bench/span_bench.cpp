// Many states at once: ComputeStates over a span of 4096 states against
// ComputeState one by one on the same states, under each model, on one and
// more threads. Both are timed in each iteration, in turns, by the process's
// CPU time (every thread's), so that a busy machine slows both alike; the time
// per state per core is that CPU time over the states. Aim: the calculator's
// relations over a span at most 0.75 of the one-by-one time per core. A table
// of the ratios against the aim follows the benchmarks.
//
// Names: BM_Span/<units>/<model>/<states>/<threads>: units 0 SI, 1 inch-pound;
// model 0 calculator, 1 ashrae2017; states 0 relative humidity given, 1 the
// three conditions in turn (wet bulb, dew point, relative humidity).
// BM_Engine/<units>/<states>: the calculator's engine part of the same states
// alone, one at a time against side by side.
#include "humitrax/full_state.h"
#include "humitrax/state.h"

#include "ordinary_states.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using humitrax::Condition;
using humitrax::Model;
using humitrax::StateInput;
using humitrax::StateResult;
using humitrax::Units;

/// As ComputeStates takes states.
constexpr std::size_t kBlock = 64;
constexpr double kAim = 0.75;

/// Ordinary weather given by its relative humidity, or by its wet bulb, dew
/// point and relative humidity in turn.
std::vector<StateInput> MakeStates(Units units, Model model, bool mixed)
{
    constexpr Condition kTurns[] = {Condition::WetBulb, Condition::DewPoint, Condition::RelativeHumidity};
    constexpr Condition kRelativeHumidity[] = {Condition::RelativeHumidity};
    return mixed ? humitrax::bench::OrdinaryStates(units, model, kTurns)
                 : humitrax::bench::OrdinaryStates(units, model, kRelativeHumidity);
}

/// Nanoseconds of the process's CPU time, every thread's.
double ProcessNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double WallNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

void BM_Span(benchmark::State& state)
{
    const Units units = state.range(0) == 0 ? Units::SI : Units::InchPound;
    const Model model = state.range(1) == 0 ? Model::Calculator : Model::Ashrae2017;
    const std::vector<StateInput> inputs = MakeStates(units, model, state.range(2) != 0);
    const auto threads = static_cast<unsigned>(state.range(3));
    std::vector<StateResult> results(inputs.size());
    double alone = 0.0;
    double together = 0.0;
    double wall = 0.0;
    for (auto _ : state) {
        double start = ProcessNanoseconds();
        for (std::size_t i = 0; i < inputs.size(); ++i)
            results[i] = humitrax::ComputeState(inputs[i]);
        benchmark::DoNotOptimize(results.data());
        double stop = ProcessNanoseconds();
        alone += stop - start;
        const double wallStart = WallNanoseconds();
        start = stop;
        humitrax::ComputeStates(inputs, results, threads);
        benchmark::DoNotOptimize(results.data());
        stop = ProcessNanoseconds();
        wall += WallNanoseconds() - wallStart;
        together += stop - start;
    }
    const double states = static_cast<double>(state.iterations()) * static_cast<double>(inputs.size());
    state.counters["one_by_one_ns"] = alone / states;
    state.counters["span_ns_per_core"] = together / states;
    state.counters["span_wall_ns"] = wall / states;
    state.counters["ratio"] = together / alone;
}

/// The engine's part of the same states alone: each full state begun and
/// finished one at a time (BeginFullState, FinishFullState) against blocks of
/// 64 begun and finished together (BeginFullStates, FinishFullStates), as
/// ComputeStates takes them. What a span gains can come only from here: the
/// rest of a state (its cells, the refusal rules, the formed properties) is
/// the same work either way.
void BM_Engine(benchmark::State& state)
{
    const Units units = state.range(0) == 0 ? Units::SI : Units::InchPound;
    const std::vector<StateInput> inputs = MakeStates(units, Model::Calculator, state.range(1) != 0);
    std::vector<humitrax::StateArguments> arguments;
    for (const StateInput& in : inputs) {
        const double stateVar = in.condition == Condition::RelativeHumidity ? in.value / 100.0 : in.value;
        arguments.push_back({in.dryBulb, in.pressure, static_cast<std::int16_t>(in.condition), stateVar,
                             static_cast<std::int16_t>(units == Units::SI ? 1 : 0)});
    }
    std::vector<humitrax::FullState> full(inputs.size());
    std::vector<humitrax::FullState*> pointers;
    for (humitrax::FullState& one : full)
        pointers.push_back(&one);
    double alone = 0.0;
    double together = 0.0;
    for (auto _ : state) {
        double start = ProcessNanoseconds();
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const humitrax::StateArguments& a = arguments[i];
            full[i] = humitrax::BeginFullState(a.T, a.p, a.Situation, a.StateVar, a.UnitsSI);
            humitrax::FinishFullState(full[i], a.T, a.p, a.Situation, a.StateVar, a.UnitsSI);
        }
        benchmark::DoNotOptimize(full.data());
        double stop = ProcessNanoseconds();
        alone += stop - start;
        start = stop;
        for (std::size_t first = 0; first < arguments.size(); first += kBlock) {
            const std::size_t size = std::min(kBlock, arguments.size() - first);
            humitrax::BeginFullStates(pointers.data() + first, arguments.data() + first, size);
            humitrax::FinishFullStates(pointers.data() + first, arguments.data() + first, size);
        }
        benchmark::DoNotOptimize(full.data());
        stop = ProcessNanoseconds();
        together += stop - start;
    }
    const double states = static_cast<double>(state.iterations()) * static_cast<double>(inputs.size());
    state.counters["one_by_one_ns"] = alone / states;
    state.counters["together_ns"] = together / states;
    state.counters["ratio"] = together / alone;
}

/// Shows the runs as the console reporter does and keeps each run's counters:
/// the median over repetitions, or the single run.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    explicit CollectingReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || run.run_type == Run::RT_Iteration) {
                auto& kept = m_runs[run.run_name.str()];
                if (median || kept.empty())
                    for (const auto& [name, counter] : run.counters)
                        kept[name] = counter.value;
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    void PrintTable() const
    {
        std::printf("\nA span of %zu states against the same states one by one: CPU ns per state (every\n"
                    "thread's), the median of the repetitions when repeated. Aim for the calculator:\n"
                    "the span at most %.2f of one by one, per core.\n\n",
                    humitrax::bench::kStates, kAim);
        std::printf("%-5s %-10s %-13s %7s %10s %9s %9s %6s  %s\n", "units", "model", "given", "threads",
                    "one by one", "span/core", "span wall", "ratio", "aim");
        for (const auto& [name, counters] : m_runs) {
            const std::vector<std::string> parts = Parts(name);
            if (parts[0] != "BM_Span" || parts.size() < 5)
                continue;
            const double ratio = counters.at("ratio");
            const bool calculator = parts[2] == "0";
            std::printf("%-5s %-10s %-13s %7s %10.1f %9.1f %9.1f %6.2f  %s\n", Units(parts[1]),
                        calculator ? "calculator" : "ashrae2017", Given(parts[3]), parts[4].c_str(),
                        counters.at("one_by_one_ns"), counters.at("span_ns_per_core"), counters.at("span_wall_ns"),
                        ratio, calculator ? (ratio <= kAim ? "met" : "MISSED") : "");
        }
        std::printf("\nThe calculator's engine part alone (full states begun and finished one at a time,\n"
                    "against blocks of %zu side by side), and what is left of a state (the one-by-one\n"
                    "state less its engine part: cells, refusal rules, formed properties), the same\n"
                    "work either way.\n\n",
                    kBlock);
        std::printf("%-5s %-13s %10s %9s %6s %12s %12s\n", "units", "given", "one by one", "together", "ratio",
                    "rest/state", "best span");
        for (const auto& [name, counters] : m_runs) {
            const std::vector<std::string> parts = Parts(name);
            if (parts[0] != "BM_Engine" || parts.size() < 3)
                continue;
            const auto span = m_runs.find("BM_Span/" + parts[1] + "/0/" + parts[2] + "/1");
            double rest = -1.0;
            if (span != m_runs.end())
                rest = span->second.at("one_by_one_ns") - counters.at("one_by_one_ns");
            // The span were its engine part the only work gained on.
            const double best = rest < 0.0 ? -1.0
                                            : (rest + counters.at("together_ns")) /
                                                  (rest + counters.at("one_by_one_ns"));
            std::printf("%-5s %-13s %10.1f %9.1f %6.2f %12.1f %12.2f\n", Units(parts[1]), Given(parts[2]),
                        counters.at("one_by_one_ns"), counters.at("together_ns"), counters.at("ratio"), rest, best);
        }
    }

private:
    /// The name's parts between slashes.
    static std::vector<std::string> Parts(const std::string& name)
    {
        std::vector<std::string> parts;
        for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
            to = name.find('/', from);
            parts.push_back(name.substr(from, to == std::string::npos ? std::string::npos : to - from));
        }
        return parts;
    }
    static const char* Units(const std::string& code) { return code == "0" ? "SI" : "IP"; }
    static const char* Given(const std::string& code) { return code == "0" ? "rel. humidity" : "all three"; }

    std::map<std::string, std::map<std::string, double>> m_runs;
};

} // namespace

BENCHMARK(BM_Span)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Engine)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CollectingReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout.flush();
    reporter.PrintTable();
    benchmark::Shutdown();
    return 0;
}
