// The full state against the separate public calls: every property the same
// number to the bit, the same text, empty alike, or the same failure.
#include "engine_cases.h"
#include "humitrax/full_state.h"

#include <bit>
#include <cmath>
#include <random>
#include <vector>

namespace humitrax::testing {
namespace {

struct StateArgs {
    double T, p;
    std::int16_t situation;
    double stateVar;
    std::int16_t units;
};

std::string ShowFull(const PropertyOutcome& outcome)
{
    return outcome.failure ? Show(Outcome(*outcome.failure)) : Show(Outcome(outcome.result));
}

bool Same(const PropertyOutcome& full, const Outcome& separate)
{
    if (const auto* cause = std::get_if<FailureCause>(&separate))
        return full.failure == *cause;
    const auto& result = std::get<PropertyResult>(separate);
    if (full.failure || full.result.kind() != result.kind() || full.result.text() != result.text())
        return false;
    return !result.isNumber() ||
           std::bit_cast<std::uint64_t>(full.result.AsNumber()) == std::bit_cast<std::uint64_t>(result.AsNumber());
}

/// Empty when the full state gives what the separate calls give, else what differs.
std::string Differences(const StateArgs& a)
{
    const FullState full = ComputeFullState(a.T, a.p, a.situation, a.stateVar, a.units);
    const auto& [T, p, S, v, u] = a;
    struct Pair {
        const char* name;
        const PropertyOutcome& full;
        Outcome separate;
    };
    const Pair pairs[] = {
        {"wet bulb", full.wetBulb, Evaluate([&] { return WetBulb(T, p, S, v, u); })},
        {"dew point", full.dewPoint, Evaluate([&] { return DewPoint(T, p, S, v, u); })},
        {"relative humidity", full.relativeHumidity, Evaluate([&] { return Humidity(T, p, S, v, u); })},
        {"humidity ratio", full.humidityRatio, Evaluate([&] { return HumidRatio(T, p, S, v, u); })},
        {"enthalpy", full.enthalpy, Evaluate([&] { return Enthalpy(T, p, S, v, u); })},
        {"volume", full.volume, Evaluate([&] { return Volume(T, p, S, v, u); })},
        {"grains", full.grains, u == 0 ? Evaluate([&] { return Grains(T, p, S, v); }) : Outcome(PropertyResult())},
        {"saturation pressure", full.saturationPressure, Evaluate([&] { return SatPressure(T, u); })},
        {"saturation ratio", full.saturationRatio, Evaluate([&] { return HumidRatio(T, p, 3, 1.0, u); })},
    };
    std::string differences;
    for (const Pair& pair : pairs) {
        if (!Same(pair.full, pair.separate))
            differences += std::string(" [") + pair.name + ": full " + ShowFull(pair.full) + ", separate " +
                           Show(pair.separate) + "]";
    }
    return differences;
}

struct FullStateRow {
    const char* name;
    StateArgs args;
};

class FullStateTable : public ::testing::TestWithParam<FullStateRow> {};

TEST_P(FullStateTable, GivesWhatTheSeparateCallsGive)
{
    EXPECT_EQ(Differences(GetParam().args), "");
}


INSTANTIATE_TEST_SUITE_P(
    Edges, FullStateTable,
    ::testing::Values(
        FullStateRow{"SI_dew_point_at_triple_point", {25, 101.325, 2, 0.0, 1}},
        FullStateRow{"SI_humidity_ratio", {25, 101.325, 4, 0.01, 1}},
        FullStateRow{"SI_ratio_minus_epsilon_divides_by_zero", {25, 101.325, 4, -0.62198, 1}},
        FullStateRow{"SI_pressure_zero", {25, 0.0, 3, 0.5, 1}},
        FullStateRow{"SI_second_trial_below_range", {-95, 101.325, 4, 1e-6, 1}},
        FullStateRow{"SI_dry_bulb_NaN_volume_fails_first", {kNaN, 101.325, 4, 0.01, 1}},
        FullStateRow{"IP_below_32F", {20, 14.696, 3, 0.5, 0}}),
    RowName<FullStateRow>);

/// A value from [lo, hi], or now and then one of the special values.
double Draw(std::mt19937_64& random, std::initializer_list<double> specials, double lo, double hi)
{
    if (random() % 8 == 0)
        return specials.begin()[random() % specials.size()];
    return std::uniform_real_distribution<double>(lo, hi)(random);
}

/// Any state, special values now and then: an eighth of each argument drawn
/// from the edges (NaN, the range's ends, freezing, zero and negative
/// pressures), invalid situations included.
StateArgs DrawState(std::mt19937_64& random)
{
    StateArgs a{};
    a.units = static_cast<std::int16_t>(random() % 2);
    const bool si = a.units != 0;
    const double lowest = si ? -100.0 : -148.0, highest = si ? 200.0 : 392.0, freezing = si ? 0.0 : 32.0;
    a.T = Draw(random, {lowest, highest, freezing, lowest + 10.0, kNaN}, lowest - 10.0, highest + 10.0);
    if (random() % 2 == 0) // ordinary air, most of the time
        a.T = std::uniform_real_distribution<double>(freezing - 10.0, freezing + 60.0)(random);
    const double atmosphere = si ? 101.325 : 14.696;
    a.p = Draw(random, {0.0, -atmosphere, 1e-300}, 0.05 * atmosphere, 1.5 * atmosphere);
    a.situation = static_cast<std::int16_t>(random() % 6); // 0 and 5 invalid
    switch (a.situation) {
    case 1:
    case 2:
        a.stateVar = Draw(random, {a.T, freezing, lowest, a.T + 1.0}, a.T - 60.0, a.T + 2.0);
        break;
    case 3: a.stateVar = Draw(random, {0.0, 1.0, -0.1, 1.1}, 0.0, 1.0); break;
    default: a.stateVar = Draw(random, {0.0, -0.62198, -0.01}, 0.0, 0.05); break;
    }
    return a;
}

TEST(FullStateSweep, GivesWhatTheSeparateCallsGive)
{
    std::mt19937_64 random(20260708);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i) {
        const StateArgs a = DrawState(random);
        const std::string differences = Differences(a);
        if (!differences.empty()) {
            ++mismatches;
            ADD_FAILURE() << "T " << a.T << " p " << a.p << " situation " << a.situation << " StateVar "
                          << a.stateVar << " units " << a.units << ":" << differences;
        }
    }
}

/// Empty when the two give the same outcome, to the bit; else both.
std::string Mismatch(const PropertyOutcome& a, const PropertyOutcome& b)
{
    const bool same = a.failure == b.failure && a.result.kind() == b.result.kind() &&
                      a.result.text() == b.result.text() &&
                      (!a.result.isNumber() ||
                       std::bit_cast<std::uint64_t>(a.result.AsNumber()) == std::bit_cast<std::uint64_t>(b.result.AsNumber()));
    return same ? "" : " [" + ShowFull(a) + " against " + ShowFull(b) + "]";
}

TEST(FullStatesSideBySide, GiveWhatEachStateAloneGives)
{
    // Several hundred states at once, any mix of situations, units and
    // failures, begun and finished together: each wet bulb's secant runs
    // beside others, every property as BeginFullState and FinishFullState
    // give it alone.
    std::mt19937_64 random(20260709);
    for (std::size_t count : {std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{5}, std::size_t{997}}) {
        std::vector<StateArguments> arguments;
        std::vector<FullState> alone;
        for (std::size_t i = 0; i < count; ++i) {
            const StateArgs a = DrawState(random);
            arguments.push_back({a.T, a.p, a.situation, a.stateVar, a.units});
            alone.push_back(BeginFullState(a.T, a.p, a.situation, a.stateVar, a.units));
            FinishFullState(alone.back(), a.T, a.p, a.situation, a.stateVar, a.units);
        }
        std::vector<FullState> together(count);
        std::vector<FullState*> states;
        for (FullState& full : together)
            states.push_back(&full);
        BeginFullStates(states.data(), arguments.data(), count);
        FinishFullStates(states.data(), arguments.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
            const FullState& a = together[i];
            const FullState& b = alone[i];
            const std::string differences = Mismatch(a.wetBulb, b.wetBulb) + Mismatch(a.dewPoint, b.dewPoint) +
                                            Mismatch(a.relativeHumidity, b.relativeHumidity) +
                                            Mismatch(a.humidityRatio, b.humidityRatio) + Mismatch(a.enthalpy, b.enthalpy) +
                                            Mismatch(a.volume, b.volume) + Mismatch(a.grains, b.grains) +
                                            Mismatch(a.saturationPressure, b.saturationPressure) +
                                            Mismatch(a.saturationRatio, b.saturationRatio);
            ASSERT_EQ(differences, "") << "state " << i << " of " << count;
        }
    }
}

} // namespace
} // namespace humitrax::testing
