// The states the state-layer benchmarks time: ordinary weather, typed as a
// user types it, the same in every build (bench/compare_state.sh builds the
// state benchmark against another commit's libraries too).
#pragma once

#include "humitrax/state.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <span>
#include <vector>

namespace humitrax::bench {

inline constexpr std::size_t kStates = 4096;

/// A value as a user types it: two decimals.
inline double Typed(double value) { return std::round(value * 100.0) / 100.0; }

/// kStates states of ordinary weather (0 to 40 °C, 95 to 103 kPa, 5 to
/// 100 %), each given by the next condition of `turns`: the relative humidity
/// as drawn, or the 2017 model's wet bulb or dew point of that state to two
/// decimals. States that `model` refuses are left out.
inline std::vector<StateInput> OrdinaryStates(Units units, Model model, std::span<const Condition> turns)
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
        const Condition condition = turns[states.size() % turns.size()];
        if (condition != Condition::RelativeHumidity) {
            const Cell cell = ComputeState(in)[ConditionProperty(condition)];
            if (!cell.present)
                continue;
            in.condition = condition;
            in.value = std::min(Typed(cell.value), in.dryBulb);
        }
        in.model = model;
        if (ComputeState(in).refusal.empty()) // the calculator refuses some of the driest wet bulbs
            states.push_back(in);
    }
    return states;
}

} // namespace humitrax::bench
