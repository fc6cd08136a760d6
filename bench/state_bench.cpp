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

#include "ordinary_states.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using humitrax::Condition;
using humitrax::Model;
using humitrax::StateInput;
using humitrax::Units;

void BM_State(benchmark::State& state)
{
    const Units units = state.range(0) == 0 ? Units::SI : Units::InchPound;
    const Model model = state.range(1) == 0 ? Model::Calculator : Model::Ashrae2017;
    const auto condition = static_cast<Condition>(state.range(2));
    const std::vector<StateInput> inputs = humitrax::bench::OrdinaryStates(units, model, {&condition, 1});
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
