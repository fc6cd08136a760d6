// The state layer's rules: given values no air has are refused, and every value
// a state holds is one that air can have. A table of the cases that broke the
// rule, and random extreme states under both models, in both unit systems,
// from every condition.
#include "humitrax/constants.h"
#include "humitrax/state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace humitrax {
namespace {

constexpr Model kCalculator = Model::Calculator;
constexpr Model kAshrae = Model::Ashrae2017;
constexpr std::string_view kNoSaturation = "no saturation: the dry bulb is above the boiling point at this pressure";
constexpr std::string_view kBelowRangeSI = "below -100 °C, the lowest temperature the relations cover";

/// Asserts the rule for every cell of a state that is not refused, and that
/// an empty cell says why.
void ExpectAirThatCanExist(const StateInput& in, const StateResult& s)
{
    SCOPED_TRACE(::testing::Message() << "units " << (in.units == Units::SI ? "SI" : "IP") << ", model "
                                      << ModelName(in.model) << ", t " << in.dryBulb << ", p " << in.pressure
                                      << ", condition " << static_cast<int>(in.condition) << ", value " << in.value);
    if (!s.refusal.empty())
        return;
    const TemperatureRange& range = TemperatureRangeOf(in.units == Units::SI);
    const double t = s[Property::DryBulb].value;
    const double p = s[Property::Pressure].value;
    for (Property property : kAllProperties) {
        const Cell& cell = s[property];
        const std::string name(PropertyColumn(property));
        if (!cell.present) {
            EXPECT_TRUE(!cell.reason.empty() || !HasProperty(property, in.units)) << name;
            continue;
        }
        const double v = cell.value;
        ASSERT_TRUE(std::isfinite(v)) << name;
        switch (property) {
        case Property::DryBulb: EXPECT_TRUE(range.Contains(v)) << name << " " << v; break;
        case Property::WetBulb:
        case Property::DewPoint: EXPECT_TRUE(range.Contains(v) && v <= t) << name << " " << v; break;
        case Property::RelativeHumidity: EXPECT_TRUE(v >= 0.0 && v <= 100.0) << name << " " << v; break;
        case Property::DegreeOfSaturation: EXPECT_TRUE(v >= 0.0 && v <= 1.0) << name << " " << v; break;
        case Property::VapourPressure: EXPECT_TRUE(v >= 0.0 && v < p) << name << " " << v; break;
        case Property::Pressure:
        case Property::SpecificVolume:
        case Property::Density: EXPECT_GT(v, 0.0) << name; break;
        case Property::HumidityRatio:
        case Property::SaturationHumidityRatio:
        case Property::Grains:
        case Property::SpecificHumidity:
        case Property::SaturationVapourPressure: EXPECT_GE(v, 0.0) << name; break;
        case Property::Enthalpy: break;
        }
    }
}

// ---------------------------------------------------------------------------
// The cases that broke the rule, each by its name.

struct RuleRow {
    const char* name;
    StateInput input;
    Property property;        ///< the cell the row is about
    std::string_view refusal; ///< the state's refusal, or empty
    std::string_view reason;  ///< the cell's reason when it has no value, or empty
    double value;             ///< the cell's value when it has one
};

class Rules : public ::testing::TestWithParam<RuleRow> {};

TEST_P(Rules, HoldForTheCaseThatBrokeThem)
{
    const RuleRow& row = GetParam();
    const StateResult s = ComputeState(row.input);
    EXPECT_EQ(s.refusal, row.refusal);
    if (!row.refusal.empty()) {
        EXPECT_EQ(s.refused, row.property);
        return;
    }
    const Cell& cell = s[row.property];
    EXPECT_EQ(cell.reason, row.reason);
    if (row.reason.empty()) {
        EXPECT_EQ(cell.value, row.value);
    }
    ExpectAirThatCanExist(row.input, s);
}

constexpr StateInput Si(double t, double p, Condition c, double v, Model m)
{
    return {Units::SI, t, p, c, v, m};
}
constexpr Condition kRh = Condition::RelativeHumidity;
constexpr Condition kW = Condition::HumidityRatio;
constexpr Condition kDp = Condition::DewPoint;

INSTANTIATE_TEST_SUITE_P(
    State, Rules,
    ::testing::Values(
        // A dew-point correlation far below its data: once -363 °C.
        RuleRow{"dew_point_of_a_trace_of_vapour", Si(25, 101.325, kRh, 1e-5, kCalculator), Property::DewPoint, {},
                kBelowRangeSI, 0},
        RuleRow{"dew_point_of_a_trace_of_vapour_2017", Si(25, 101.325, kW, 1e-10, kAshrae), Property::DewPoint,
                {}, kBelowRangeSI, 0},
        // The calculator's correlation overshoots saturation by 0.031 K at 10 °C.
        RuleRow{"dew_point_of_saturated_air_is_the_dry_bulb", Si(10, 101.325, kRh, 100, kCalculator),
                Property::DewPoint, {}, {}, 10.0},
        // Hot dry air above the boiling point: computed, without saturation.
        RuleRow{"hot_air_above_the_boiling_point", Si(120, 101.325, kW, 0.004, kCalculator),
                Property::SaturationHumidityRatio, {}, kNoSaturation, 0},
        RuleRow{"hot_air_above_the_boiling_point_2017", Si(120, 101.325, kW, 0.004, kAshrae),
                Property::DegreeOfSaturation, {}, kNoSaturation, 0},
        RuleRow{"low_pressure_has_no_saturation_at_25", Si(25, 3, kRh, 50, kCalculator),
                Property::SaturationHumidityRatio, {}, kNoSaturation, 0},
        RuleRow{"a_dry_bulb_below_absolute_zero", Si(-300, 101.325, kW, 0, kAshrae), Property::DryBulb,
                kBelowRangeSI, {}, 0},
        RuleRow{"a_dry_bulb_above_the_range", Si(200.5, 101.325, kRh, 0, kCalculator), Property::DryBulb,
                "above 200 °C, the highest temperature the relations cover", {}, 0},
        RuleRow{"a_dew_point_below_the_range", Si(20, 101.325, kDp, -120, kAshrae), Property::DewPoint,
                kBelowRangeSI, {}, 0},
        RuleRow{"a_humidity_ratio_above_saturation", Si(25, 101.325, kW, 0.03, kAshrae), Property::HumidityRatio,
                "above saturation at the dry bulb and pressure", {}, 0},
        RuleRow{"a_vapour_pressure_above_the_pressure", Si(25, 1, kRh, 50, kCalculator),
                Property::RelativeHumidity, "gives a negative humidity ratio", {}, 0},
        RuleRow{"inch_pound_trace_of_vapour", {Units::InchPound, 77, 14.696, kW, 1e-12, kCalculator},
                Property::DewPoint, {}, "below -148 °F, the lowest temperature the relations cover", 0}),
    [](const ::testing::TestParamInfo<RuleRow>& row) { return std::string(row.param.name); });

// Altitudes beyond the standard atmosphere's relation give no pressure, under
// either model: once 50,139 kPa at -100 km.
TEST(AltitudeRange, EndsAreNamed)
{
    EXPECT_EQ(PressureFromAltitude(Units::SI, -1e5, kAshrae).reason,
              "the altitude lies below -5000 m, the lowest the relations cover");
    EXPECT_EQ(PressureFromAltitude(Units::InchPound, 50000, kCalculator).reason,
              "the altitude lies above 36089 ft, the highest the relations cover");
    EXPECT_TRUE(PressureFromAltitude(Units::SI, 11000, kAshrae).present);
}

// ---------------------------------------------------------------------------
// Random extreme states: whatever is given, every value held is air.

double Extreme(std::mt19937_64& random, double ordinaryLow, double ordinaryHigh)
{
    static constexpr double kEdges[] = {0.0,    -0.0,  1e-300, -1e-300, 1e-5,  1e-12, 1e300,
                                        -1e300, 100.0, 200.0,  -100.0,  392.0, -148.0};
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
    case 0: return kEdges[std::uniform_int_distribution<std::size_t>(0, std::size(kEdges) - 1)(random)];
    case 1: { // any magnitude, either sign
        const double magnitude = std::pow(10.0, std::uniform_real_distribution<double>(-300, 300)(random));
        return std::uniform_int_distribution<int>(0, 1)(random) ? magnitude : -magnitude;
    }
    default: return std::uniform_real_distribution<double>(ordinaryLow, ordinaryHigh)(random);
    }
}

TEST(RandomStates, HoldOnlyAirThatCanExist)
{
    std::mt19937_64 random(20261207);
    constexpr int kStates = 20000;
    for (int i = 0; i < kStates; ++i) {
        StateInput in;
        in.units = (i & 1) ? Units::SI : Units::InchPound;
        in.model = (i & 2) ? kCalculator : kAshrae;
        in.condition = kConditions[static_cast<std::size_t>((i >> 2) & 3)];
        const bool si = in.units == Units::SI;
        in.dryBulb = Extreme(random, si ? -110 : -166, si ? 210 : 410);
        in.pressure = Extreme(random, si ? 0.5 : 0.07, si ? 2000 : 290);
        switch (in.condition) {
        case Condition::WetBulb:
        case Condition::DewPoint: in.value = Extreme(random, in.dryBulb - 150, in.dryBulb + 1); break;
        case Condition::RelativeHumidity: in.value = Extreme(random, -1, 101); break;
        case Condition::HumidityRatio: in.value = Extreme(random, -0.01, 2); break;
        }
        ExpectAirThatCanExist(in, ComputeState(in));
        if (::testing::Test::HasFailure())
            break;
    }
}

} // namespace
} // namespace humitrax

namespace humitrax {
namespace {

// Saturation over water at every temperature, the meteorological way: against
// eq. 6 of the Handbook evaluated here from its published coefficients (Pa).
double OverWaterKilopascals(double celsius)
{
    const double T = celsius + 273.15;
    return std::exp(-5.8002206e3 / T + 1.3914993 - 4.8640239e-2 * T + 4.1764768e-5 * T * T -
                    1.4452093e-8 * T * T * T + 6.5459673 * std::log(T)) /
           1000.0;
}

double OverIceKilopascals(double celsius)
{
    const double T = celsius + 273.15;
    return std::exp(-5.6745359e3 / T + 6.3925247 - 9.677843e-3 * T + 6.2215701e-7 * T * T +
                    2.0747825e-9 * T * T * T - 9.484024e-13 * T * T * T * T + 4.1635019 * std::log(T)) /
           1000.0;
}

struct SaturationRow {
    const char* name;
    Saturation saturation;
    double dryBulb;
    double (*expected)(double);
};

class SaturationOver : public ::testing::TestWithParam<SaturationRow> {};

TEST_P(SaturationOver, GivesTheHandbooksRelation)
{
    const SaturationRow& row = GetParam();
    StateInput in{Units::SI, row.dryBulb, 101.325, Condition::RelativeHumidity, 100.0, Model::Ashrae2017};
    in.saturation = row.saturation;
    const StateResult s = ComputeState(in);
    ASSERT_TRUE(s.refusal.empty()) << s.refusal;
    const double pws = row.expected(row.dryBulb);
    EXPECT_NEAR(s[Property::SaturationVapourPressure].value, pws, 1e-12 * pws);
    EXPECT_NEAR(s[Property::VapourPressure].value, pws, 1e-12 * pws);
    EXPECT_NEAR(s[Property::DewPoint].value, row.dryBulb, 1e-9); // saturated: the dew point is the dry bulb
    EXPECT_NEAR(s[Property::WetBulb].value, row.dryBulb, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    State, SaturationOver,
    ::testing::Values(SaturationRow{"water_at_minus_10", Saturation::Water, -10.0, &OverWaterKilopascals},
                      SaturationRow{"water_at_minus_40", Saturation::Water, -40.0, &OverWaterKilopascals},
                      SaturationRow{"ice_at_minus_10", Saturation::IceBelowFreezing, -10.0, &OverIceKilopascals},
                      SaturationRow{"water_above_freezing_alike", Saturation::Water, 20.0, &OverWaterKilopascals}),
    [](const ::testing::TestParamInfo<SaturationRow>& row) { return std::string(row.param.name); });

} // namespace
} // namespace humitrax
