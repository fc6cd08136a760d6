// A state from two of its properties through the state layer's solver,
// ComputeStateFromPair, against a state from its dry bulb and relative
// humidity (ComputeState), on the same states: ordinary weather (0 to 40 °C,
// 95 to 103 kPa, 5 to 100 %), SI, each model. The table after the benchmarks
// gives each pair's time over the reference's, against the aim of at most 5.
//
// Names: BM_Pair/<model>/<pair>: model 0 calculator, 1 ashrae2017; pair an
// index into kPairs, 0 being the reference. Time per state.
#include "humitrax/pair.h"

#include "run_times.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using humitrax::Model;
using humitrax::Property;

constexpr std::size_t kStates = 4096;
constexpr double kAim = 5.0;

/// The pairs timed; the first, the dry bulb with the relative humidity, is
/// the reference (ComputeState itself).
constexpr std::array<std::pair<Property, Property>, 9> kPairs{{
    {Property::DryBulb, Property::RelativeHumidity},
    {Property::HumidityRatio, Property::Enthalpy},
    {Property::DryBulb, Property::Enthalpy},
    {Property::DewPoint, Property::SpecificVolume},
    {Property::DewPoint, Property::RelativeHumidity},
    {Property::WetBulb, Property::RelativeHumidity},
    {Property::DryBulb, Property::WetBulb},
    {Property::RelativeHumidity, Property::Enthalpy},
    {Property::WetBulb, Property::SpecificVolume},
}};

std::vector<humitrax::PairInput> MakeInputs(Model model, std::pair<Property, Property> pair)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> dryBulb(0.0, 40.0);
    std::uniform_real_distribution<double> pressure(95.0, 103.0);
    std::uniform_real_distribution<double> humidity(5.0, 100.0);
    std::vector<humitrax::PairInput> inputs;
    while (inputs.size() < kStates) {
        const humitrax::StateInput in{humitrax::Units::SI, dryBulb(random), pressure(random),
                                      humitrax::Condition::RelativeHumidity, humidity(random), model};
        const humitrax::StateResult state = humitrax::ComputeState(in);
        const humitrax::Cell& first = state[pair.first];
        const humitrax::Cell& second = state[pair.second];
        if (!state.refusal.empty() || !first.present || !second.present)
            continue;
        inputs.push_back({in.units, model, in.saturation, in.pressure,
                          {pair.first, first.value, pair.second, second.value}});
    }
    return inputs;
}

void BM_Pair(benchmark::State& state)
{
    const Model model = state.range(0) == 0 ? Model::Calculator : Model::Ashrae2017;
    const auto index = static_cast<std::size_t>(state.range(1));
    const std::vector<humitrax::PairInput> inputs = MakeInputs(model, kPairs[index]);
    std::size_t i = 0;
    if (index == 0) {
        std::vector<humitrax::StateInput> states;
        for (const humitrax::PairInput& in : inputs)
            states.push_back({in.units, in.given.firstValue, in.pressure, humitrax::Condition::RelativeHumidity,
                              in.given.secondValue, in.model});
        for (auto _ : state) {
            benchmark::DoNotOptimize(humitrax::ComputeState(states[i]));
            i = (i + 1) % states.size();
        }
    } else {
        for (auto _ : state) {
            benchmark::DoNotOptimize(humitrax::ComputeStateFromPair(inputs[i]));
            i = (i + 1) % inputs.size();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

/// The table of each pair's time against the reference's, after the runs.
void PrintTable(const humitrax::bench::RunTimes& times)
{
    std::printf("\nA state from two of its properties against one from its dry bulb and relative humidity,\n"
                "CPU ns per state on the same states (SI, ordinary weather). Aim: at most %.0f times.\n\n",
                kAim);
    std::printf("%-10s %-36s %9s %7s  %s\n", "model", "given", "ns", "ratio", "aim");
    for (int model = 0; model < 2; ++model) {
        const auto time = [&](std::size_t pair) {
            const double ns = times.Time("BM_Pair/" + std::to_string(model) + "/" + std::to_string(pair));
            return ns < 0.0 ? std::nan("") : ns;
        };
        const double reference = time(0);
        for (std::size_t pair = 0; pair < kPairs.size(); ++pair) {
            if (std::isnan(time(pair)))
                continue; // not run (filtered out)
            const std::string given = std::string(humitrax::PropertyColumn(kPairs[pair].first)) + ", " +
                                      std::string(humitrax::PropertyColumn(kPairs[pair].second));
            const double ratio = time(pair) / reference;
            std::printf("%-10s %-36s %9.1f %7.2f  %s\n", model == 0 ? "calculator" : "ashrae2017", given.c_str(),
                        time(pair), ratio, pair == 0 ? "(reference)" : ratio <= kAim ? "met" : "MISSED");
        }
    }
}

} // namespace

BENCHMARK(BM_Pair)->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8}});

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    humitrax::bench::RunTimes reporter(benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout.flush();
    PrintTable(reporter);
    benchmark::Shutdown();
    return 0;
}
