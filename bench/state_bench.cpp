// One state through the state layer, ComputeState, under each model, for each
// given condition but the humidity ratio, in both unit systems: every
// property of ordinary weather (0 to 40 °C, 95 to 103 kPa, 5 to 100 %). The
// same source is built against this tree's libraries (humitrax_bench_state)
// and, by bench/compare_state.sh, against another commit's
// (humitrax_bench_state_reference), so it uses only what both have.
//
// Names: BM_State/<units>/<model>/<condition>: units 0 SI, 1 inch-pound;
// model 0 calculator, 1 ashrae2017; condition 1 wet bulb, 2 dew point, 3
// relative humidity (the engine's Situation codes). Time per state.
#include "humitrax/state.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using humitrax::Condition;
using humitrax::Model;
using humitrax::Property;
using humitrax::StateInput;
using humitrax::Units;

constexpr std::size_t kStates = 4096;

/// A value as a user types it: two decimals.
double Typed(double value) { return std::round(value * 100.0) / 100.0; }

/// The states, given by `condition`: the relative humidity as drawn, or the
/// 2017 model's wet bulb or dew point of that state to two decimals (so that
/// both builds take the very same inputs).
std::vector<StateInput> MakeStates(Units units, Model model, Condition condition)
{
    std::mt19937_64 random(20260101);
    std::uniform_real_distribution<double> dryBulb(0.0, 40.0);
    std::uniform_real_distribution<double> pressure(95.0, 103.0);
    std::uniform_real_distribution<double> humidity(5.0, 100.0);
    std::vector<StateInput> states;
    while (states.size() < kStates) {
        StateInput in;
        in.units = units;
        in.dryBulb = Typed(dryBulb(random));
        in.pressure = pressure(random);
        if (units == Units::InchPound) {
            in.dryBulb = Typed(in.dryBulb * 1.8 + 32.0);
            in.pressure = in.pressure / 6.894757;
        }
        in.condition = Condition::RelativeHumidity;
        in.value = Typed(humidity(random));
        in.model = Model::Ashrae2017;
        if (condition != Condition::RelativeHumidity) {
            const humitrax::StateResult state = humitrax::ComputeState(in);
            const humitrax::Cell& cell = state[humitrax::ConditionProperty(condition)];
            if (!cell.present)
                continue;
            in.condition = condition;
            in.value = std::min(Typed(cell.value), in.dryBulb);
        }
        in.model = model;
        if (!humitrax::ComputeState(in).refusal.empty())
            continue; // the calculator refuses some of the driest wet bulbs
        states.push_back(in);
    }
    return states;
}

void BM_State(benchmark::State& state)
{
    const Units units = state.range(0) == 0 ? Units::SI : Units::InchPound;
    const Model model = state.range(1) == 0 ? Model::Calculator : Model::Ashrae2017;
    const auto condition = static_cast<Condition>(state.range(2));
    const std::vector<StateInput> inputs = MakeStates(units, model, condition);
    std::size_t refused = 0;
    for (const StateInput& in : inputs)
        refused += humitrax::ComputeState(in).refusal.empty() ? 0U : 1U;
    if (refused != 0) {
        state.SkipWithError("refused states among the inputs");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(humitrax::ComputeState(inputs[i]));
        i = (i + 1) % inputs.size();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

} // namespace

BENCHMARK(BM_State)->ArgsProduct({{0, 1}, {0, 1}, {1, 2, 3}});

BENCHMARK_MAIN();
