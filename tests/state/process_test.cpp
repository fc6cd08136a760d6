// The processes by their physics: each balances dry air, water and energy, does
// to the air what it must, and refuses what no apparatus can do. Every case runs
// under both models and in both unit systems: written in SI, temperatures
// converted for inch-pound (the process converts the flows).
#include "humitrax/process.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>

namespace humitrax {
namespace {

/// One run's model and units, and SI values in them.
struct Run {
    Model model;
    Units units;

    [[nodiscard]] bool si() const { return units == Units::SI; }
    [[nodiscard]] double T(double celsius) const { return si() ? celsius : celsius * 1.8 + 32.0; }
    [[nodiscard]] ProcessBasis Basis() const { return {units, model, si() ? 101.325 : 14.696}; }
    /// The basis at a pressure in kPa.
    [[nodiscard]] ProcessBasis At(double kilopascals) const
    {
        return {units, model, si() ? kilopascals : kilopascals / 6.894757293168361};
    }
    [[nodiscard]] AirState Air(double celsius, Condition condition, double value) const
    {
        const bool temperature = condition == Condition::WetBulb || condition == Condition::DewPoint;
        return DryBulbState(T(celsius), condition, temperature ? T(value) : value);
    }
    [[nodiscard]] AirState Rh(double celsius, double percent) const
    {
        return Air(celsius, Condition::RelativeHumidity, percent);
    }
};

constexpr Flow KgPerSecond(double value) { return {value, FlowUnit::KilogramsPerSecond}; }
constexpr Flow M3PerSecond(double value) { return {value, FlowUnit::CubicMetresPerSecond}; }

struct ProcessRow {
    const char* name;
    std::function<ProcessResult(const Run&)> process;
};

using RunParam = std::tuple<ProcessRow, Model, Units>;

template <class Param>
std::string RunName(const ::testing::TestParamInfo<Param>& info)
{
    const auto& [row, model, units] = info.param;
    return std::string(row.name) + "_" + std::string(ModelName(model)) + (units == Units::SI ? "_SI" : "_IP");
}

const auto kModels = ::testing::Values(Model::Calculator, Model::Ashrae2017);
const auto kUnits = ::testing::Values(Units::SI, Units::InchPound);

double W(const StateResult& state) { return state[Property::HumidityRatio].value; }
double H(const StateResult& state) { return state[Property::Enthalpy].value; }

// ---------------------------------------------------------------------------
/// A balance: the signed terms, and the sum of their sizes to measure by.
struct Balance {
    double sum = 0.0;
    double scale = 0.0;
    void Add(double term)
    {
        sum += term;
        scale += std::fabs(term);
    }
    [[nodiscard]] bool Holds() const { return std::fabs(sum) <= 1e-9 * scale; }
};

class Conservation : public ::testing::TestWithParam<RunParam> {};

TEST_P(Conservation, PhysicsAndBalanceOfDryAirWaterAndEnergy)
{
    const auto& [row, model, units] = GetParam();
    const ProcessResult r = row.process({model, units}); // each row asserts its own physics
    ASSERT_FALSE(r.refused()) << r.refusal;
    for (const StateResult* state : {&r.entering, &r.leaving})
        ASSERT_TRUE((*state)[Property::HumidityRatio].present && (*state)[Property::Enthalpy].present);
    const double F = EnergyFlowFactor(units);
    Balance air, water, energy;
    const auto flowsIn = [&](const StateResult& state, double m, double sign) {
        air.Add(sign * m);
        water.Add(sign * m * W(state));
        energy.Add(sign * F * m * H(state));
    };
    flowsIn(r.entering, r.enteringDryAirFlow, 1.0);
    if (!std::isnan(r.secondDryAirFlow))
        flowsIn(r.second, r.secondDryAirFlow, 1.0);
    flowsIn(r.leaving, r.dryAirFlow, -1.0);
    water.Add(r.water);
    if (r.water != 0.0)
        energy.Add(F * r.water * r.waterEnthalpy);
    energy.Add(r.heat);
    EXPECT_TRUE(air.Holds()) << air.sum;
    EXPECT_TRUE(water.Holds()) << water.sum;
    EXPECT_TRUE(energy.Holds()) << energy.sum << " of " << energy.scale;
    if (!std::isnan(r.sensible)) {
        EXPECT_NEAR(r.sensible + r.latent, F * r.dryAirFlow * (H(r.leaving) - H(r.entering)), 1e-9 * energy.scale);
    }
}

/// The relative tolerance of a quantity recomputed from a dry bulb recovered from an enthalpy.
constexpr double kRounding = 1e-12;

INSTANTIATE_TEST_SUITE_P(
    Processes, Conservation,
    ::testing::Combine(
        ::testing::Values(
            ProcessRow{"equal_dry_air_flows_mix_halfway_in_W_and_h", [](const Run& u) {
                const ProcessResult r = Mix({u.Basis(), u.Air(34, Condition::WetBulb, 25), KgPerSecond(1.5),
                                             u.Rh(21, 45), KgPerSecond(1.5)});
                EXPECT_NEAR(W(r.leaving), (W(r.entering) + W(r.second)) / 2, kRounding * W(r.leaving));
                EXPECT_NEAR(H(r.leaving), (H(r.entering) + H(r.second)) / 2, kRounding * H(r.leaving));
                return r;
            }},
            // The colder stream is denser: at equal volumes it brings more dry air.
            ProcessRow{"equal_volume_flows_lean_to_the_colder_stream", [](const Run& u) {
                const ProcessResult r =
                    Mix({u.Basis(), u.Rh(0, 60), M3PerSecond(1.0), u.Rh(40, 20), M3PerSecond(1.0)});
                EXPECT_GT(r.enteringDryAirFlow, r.secondDryAirFlow * 1.1);
                EXPECT_LT(W(r.leaving), (W(r.entering) + W(r.second)) / 2);
                return r;
            }},
            ProcessRow{"heating_adds_only_sensible_heat", [](const Run& u) {
                const ProcessResult r = Heat({u.Basis(), u.Rh(10, 70), KgPerSecond(1.0), u.T(30)});
                EXPECT_GT(r.heat, 0.0);
                EXPECT_EQ(r.sensibleHeatRatio, 1.0);
                EXPECT_EQ(W(r.leaving), W(r.entering));
                EXPECT_LT(r.leaving[Property::RelativeHumidity].value, r.entering[Property::RelativeHumidity].value);
                return r;
            }},
            ProcessRow{"cooling_to_the_dew_point_saturates", [](const Run& u) {
                const ProcessResult entering = Cool({u.Basis(), u.Rh(25, 40), KgPerSecond(1.0), u.T(25)});
                const double dewPoint = entering.entering[Property::DewPoint].value;
                const ProcessResult r = Cool({u.Basis(), u.Rh(25, 40), KgPerSecond(1.0), dewPoint});
                EXPECT_LT(r.heat, 0.0);
                // The calculator's dew point, a correlation, lies 0.04 K above its own saturation.
                EXPECT_NEAR(r.leaving[Property::RelativeHumidity].value, 100.0,
                            u.model == Model::Calculator ? 0.3 : 1e-6);
                return r;
            }},
            ProcessRow{"coil_without_bypass_leaves_at_its_apparatus_dew_point", [](const Run& u) {
                const ProcessResult r = Coil(
                    {u.Basis(), u.Rh(27, 50), KgPerSecond(1.0), CoilMode::ApparatusDewPoint, {}, u.T(9), 0.0});
                EXPECT_NEAR(r.leaving[Property::DryBulb].value, u.T(9), 1e-9);
                EXPECT_NEAR(W(r.leaving), r.leaving[Property::SaturationHumidityRatio].value,
                            kRounding * W(r.leaving));
                EXPECT_LT(r.heat, 0.0);
                EXPECT_LT(r.water, 0.0); // condensate
                EXPECT_GT(r.sensibleHeatRatio, 0.0);
                EXPECT_LT(r.sensibleHeatRatio, 1.0);
                return r;
            }},
            // The leaving state that an apparatus dew point and bypass factor make gives them back.
            ProcessRow{"coil_leaving_state_recovers_its_apparatus_dew_point", [](const Run& u) {
                const AirState entering = u.Air(30, Condition::WetBulb, 22);
                const ProcessResult made = Coil(
                    {u.Basis(), entering, KgPerSecond(1.0), CoilMode::ApparatusDewPoint, {}, u.T(11), 0.2});
                const AirState leaving =
                    DryBulbState(made.leaving[Property::DryBulb].value, Condition::HumidityRatio, W(made.leaving));
                const ProcessResult r = Coil({u.Basis(), entering, KgPerSecond(1.0), CoilMode::LeavingState, leaving});
                EXPECT_NEAR(r.apparatusDewPoint, u.T(11), 1e-6);
                EXPECT_NEAR(r.bypassFactor, 0.2, 1e-8);
                return r;
            }},
            // Steam at the dry bulb brings exactly the enthalpy its vapour has in the air (which,
            // steam being at or above its boiling point, is hotter than that).
            ProcessRow{"steam_at_the_air_temperature_keeps_the_dry_bulb", [](const Run& u) {
                const ProcessResult r = Humidify({u.Basis(), u.Rh(120, 2), KgPerSecond(1.0), Humidifier::Steam,
                                                  u.T(120), HumidifyTarget::RelativeHumidity, 10});
                EXPECT_NEAR(r.leaving[Property::DryBulb].value, u.T(120), 1e-9);
                EXPECT_NEAR(r.leaving[Property::RelativeHumidity].value, 10.0, 1e-9);
                EXPECT_NEAR(r.sensible, 0.0, 1e-9 * std::fabs(r.latent));
                return r;
            }},
            ProcessRow{"humidifying_to_the_entering_relative_humidity_adds_nothing", [](const Run& u) {
                const ProcessResult r = Humidify({u.Basis(), u.Rh(25, 50), KgPerSecond(1.0), Humidifier::Steam,
                                                  u.T(100), HumidifyTarget::RelativeHumidity, 50});
                EXPECT_EQ(r.water, 0.0) << r.refusal;
                return r;
            }},
            ProcessRow{"hotter_steam_warms_the_air_a_little", [](const Run& u) {
                const ProcessResult r = Humidify({u.Basis(), u.Rh(21, 25), KgPerSecond(1.0), Humidifier::Steam,
                                                  u.T(120), HumidifyTarget::HumidityRatio, 0.01});
                const double rise = r.leaving[Property::DryBulb].value - u.T(21);
                EXPECT_GT(rise, 0.0);
                EXPECT_LT(rise, u.T(2) - u.T(0)); // 6 g/kg of steam 99 K hotter: about 1 K
                EXPECT_NEAR(W(r.leaving), 0.01, 1e-15);
                return r;
            }},
            // Steam much hotter than the air warms it as it humidifies: the relative humidity
            // rises to a peak and falls again; the target is met where it is first reached.
            ProcessRow{"hot_steam_meets_its_target_before_the_peak", [](const Run& u) {
                const ProcessResult r =
                    Humidify({u.At(81.42), u.Air(28, Condition::HumidityRatio, 0.005873), KgPerSecond(1.0),
                              Humidifier::Steam, u.T(170), HumidifyTarget::RelativeHumidity, 76.5});
                EXPECT_NEAR(r.leaving[Property::RelativeHumidity].value, 76.5, 1e-9);
                EXPECT_LT(r.leaving[Property::DryBulb].value, u.T(36)); // not the 94 °C past the peak
                return r;
            }},
            // Above the boiling point no air saturates: the heated air exists, without a
            // saturation humidity ratio.
            ProcessRow{"heating_past_the_boiling_point", [](const Run& u) {
                const ProcessResult r = Heat({u.Basis(), u.Rh(5, 80), KgPerSecond(2.0), u.T(100.5)});
                EXPECT_FALSE(r.leaving[Property::SaturationHumidityRatio].present);
                EXPECT_TRUE(r.leaving[Property::RelativeHumidity].present);
                return r;
            }},
            // Full effectiveness ends saturated at the wet bulb; the calculator's wet-bulb relation
            // takes 1.0 for the dry air's heat where its enthalpy takes 1.006, hence its looser tolerance.
            ProcessRow{"full_effectiveness_saturates_at_the_wet_bulb", [](const Run& u) {
                const ProcessResult r = Humidify({u.Basis(), u.Rh(35, 20), KgPerSecond(1.0), Humidifier::Adiabatic,
                                                  0, HumidifyTarget::Effectiveness, 1.0});
                EXPECT_NEAR(r.leaving[Property::RelativeHumidity].value, 100.0, 1e-6);
                EXPECT_NEAR(r.leaving[Property::DryBulb].value, r.entering[Property::WetBulb].value,
                            u.model == Model::Calculator ? 0.05 : 1e-6);
                EXPECT_EQ(r.heat, 0.0);
                return r;
            }}),
        kModels, kUnits),
    RunName<RunParam>);

// ---------------------------------------------------------------------------
// Refusals: the message and the part it concerns.

struct RefusalRow {
    const char* name;
    ProcessPart part;
    const char* says; ///< a phrase of the message
    std::function<ProcessResult(const Run&)> process;
};

using RefusalParam = std::tuple<RefusalRow, Model, Units>;

class Refusals : public ::testing::TestWithParam<RefusalParam> {};

TEST_P(Refusals, NameTheirCause)
{
    const auto& [row, model, units] = GetParam();
    const ProcessResult r = row.process({model, units});
    ASSERT_TRUE(r.refused());
    EXPECT_NE(r.refusal.find(row.says), std::string_view::npos) << r.refusal;
    EXPECT_EQ(r.refusedPart, row.part);
}

INSTANTIATE_TEST_SUITE_P(
    Processes, Refusals,
    ::testing::Combine(
        ::testing::Values(
            RefusalRow{"no_air_at_all", ProcessPart::Process, "no air", [](const Run& u) {
                return Mix({u.Basis(), u.Rh(20, 50), KgPerSecond(0), u.Rh(30, 50), M3PerSecond(0)});
            }},
            RefusalRow{"heating_to_a_lower_dry_bulb", ProcessPart::Process, "heating cannot lower", [](const Run& u) {
                return Heat({u.Basis(), u.Rh(20, 50), KgPerSecond(1), u.T(15)});
            }},
            RefusalRow{"cooling_to_a_higher_dry_bulb", ProcessPart::Process, "cooling cannot raise", [](const Run& u) {
                return Cool({u.Basis(), u.Rh(20, 50), KgPerSecond(1), u.T(25)});
            }},
            RefusalRow{"bypass_factor_above_1", ProcessPart::Process, "bypass factor", [](const Run& u) {
                return Coil({u.Basis(), u.Rh(25, 60), KgPerSecond(1), CoilMode::ApparatusDewPoint, {}, u.T(8), 1.2});
            }},
            RefusalRow{"coil_adding_water", ProcessPart::Leaving, "cannot add water", [](const Run& u) {
                return Coil({u.Basis(), u.Rh(25, 40), KgPerSecond(1), CoilMode::LeavingState, u.Rh(15, 95)});
            }},
            // Nearly saturated air towards a far apparatus dew point: the chord passes above saturation.
            RefusalRow{"fog_in_the_coil", ProcessPart::Leaving, "fog in the coil", [](const Run& u) {
                return Coil({u.Basis(), u.Rh(35, 98), KgPerSecond(1), CoilMode::ApparatusDewPoint, {}, u.T(2), 0.5});
            }},
            // Much drier but hardly cooler: the line runs to dry air before it meets saturation.
            RefusalRow{"leaving_state_no_coil_makes", ProcessPart::Leaving, "never meets saturation", [](const Run& u) {
                return Coil({u.Basis(), u.Air(30, Condition::HumidityRatio, 0.012), KgPerSecond(1),
                             CoilMode::LeavingState, u.Air(29, Condition::HumidityRatio, 0.004)});
            }},
            RefusalRow{"humidifying_to_a_drier_state", ProcessPart::Process, "cannot dry", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(22, 50), KgPerSecond(1), Humidifier::Steam, u.T(100),
                                 HumidifyTarget::RelativeHumidity, 30});
            }},
            RefusalRow{"humidifying_beyond_saturation", ProcessPart::Leaving, "fog", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(22, 50), KgPerSecond(1), Humidifier::Steam, u.T(100),
                                 HumidifyTarget::HumidityRatio, 0.03});
            }},
            RefusalRow{"evaporating_beyond_saturation", ProcessPart::Leaving, "fog", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(22, 20), KgPerSecond(1), Humidifier::Adiabatic, 0,
                                 HumidifyTarget::HumidityRatio, 0.5});
            }},
            RefusalRow{"a_target_past_the_steam_peak", ProcessPart::Process, "never reaches the target",
                       [](const Run& u) {
                return Humidify({u.At(81.42), u.Air(28, Condition::HumidityRatio, 0.005873), KgPerSecond(1),
                                 Humidifier::Steam, u.T(200), HumidifyTarget::RelativeHumidity, 90});
            }},
            RefusalRow{"steam_below_its_boiling_point", ProcessPart::Process, "would be liquid", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(22, 20), KgPerSecond(1), Humidifier::Steam, u.T(99.9),
                                 HumidifyTarget::HumidityRatio, 0.01});
            }},
            RefusalRow{"steam_above_the_range", ProcessPart::Process, "highest temperature", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(22, 20), KgPerSecond(1), Humidifier::Steam, u.T(200.1),
                                 HumidifyTarget::HumidityRatio, 0.01});
            }},
            RefusalRow{"loads_too_large_for_a_number", ProcessPart::Process, "overflow", [](const Run& u) {
                return Heat({u.Basis(), u.Rh(22, 20), KgPerSecond(1e308), u.T(30)});
            }},
            RefusalRow{"evaporating_below_freezing", ProcessPart::Entering, "freeze", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(3, 20), KgPerSecond(1), Humidifier::Adiabatic, 0,
                                 HumidifyTarget::Effectiveness, 0.5});
            }},
            RefusalRow{"effectiveness_of_steam", ProcessPart::Process, "adiabatic", [](const Run& u) {
                return Humidify({u.Basis(), u.Rh(22, 30), KgPerSecond(1), Humidifier::Steam, u.T(100),
                                 HumidifyTarget::Effectiveness, 0.5});
            }}),
        kModels, kUnits),
    RunName<RefusalParam>);

// The calculator's relative humidity stops at 0 °C (32 °F, whatever is given),
// and just below says so.
TEST(CalculatorState, RelativeHumidityBelowFreezingSaysWhy)
{
    const StateResult si = ComputeState({Units::SI, -0.5, 101.325, Condition::DewPoint, -10.0, Model::Calculator});
    EXPECT_EQ(si[Property::RelativeHumidity].reason, "not defined below 0 °C by the calculator's relations");
    const StateResult ip =
        ComputeState({Units::InchPound, 20.0, 14.696, Condition::DewPoint, 10.0, Model::Calculator});
    EXPECT_EQ(ip[Property::RelativeHumidity].reason, "not defined below 32 °F by the calculator's relations");
}

// ---------------------------------------------------------------------------
// Flows: the dry air of a flow in either system, by hand from 1 lb = 0.45359237 kg and 1 ft = 0.3048 m.

struct FlowRow {
    const char* name;
    Flow flow;
    Units units;
    double volume; ///< m³/kg or ft³/lb
    double expected;
};

TEST(DryAir, FromAFlow)
{
    const FlowRow rows[] = {
        {"kg_per_s_in_SI", KgPerSecond(2.5), Units::SI, 0.85, 2.5},
        {"kg_per_s_in_IP", KgPerSecond(2.5), Units::InchPound, 13.6, 330.69339327732},
        {"lb_per_min_in_SI", {60, FlowUnit::PoundsPerMinute}, Units::SI, 0.85, 0.45359237},
        {"m3_per_s_in_SI", M3PerSecond(1.7), Units::SI, 0.85, 2.0},
        {"m3_per_h_in_SI", {3060, FlowUnit::CubicMetresPerHour}, Units::SI, 0.85, 1.0},
        {"cfm_in_IP", {1360, FlowUnit::CubicFeetPerMinute}, Units::InchPound, 13.6, 100.0},
        {"cfm_in_SI", {2000, FlowUnit::CubicFeetPerMinute}, Units::SI, 0.85, 0.94389488640 / 0.85},
        {"m3_per_s_in_IP", M3PerSecond(1.0), Units::InchPound, 13.6, 2118.8800032893 / 13.6},
    };
    for (const FlowRow& row : rows)
        EXPECT_NEAR(DryAirFlow(row.flow, row.units, row.volume), row.expected, 1e-9 * row.expected) << row.name;
}

} // namespace
} // namespace humitrax
