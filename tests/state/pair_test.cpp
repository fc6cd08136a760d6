// A state from any two of its properties: every pair of a state's computed
// properties gives that state back, under both models and in both unit
// systems, and the pairs that cannot make a state are refused with reasons.
#include "humitrax/pair.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace humitrax {
namespace {

/// A state in SI terms, converted for inch-pound.
struct Sample {
    double celsius;
    double kilopascals;
    double relativeHumidity;
};

StateInput InputOf(const Sample& s, Model model, Units units)
{
    const bool si = units == Units::SI;
    return {units,
            si ? s.celsius : s.celsius * 1.8 + 32.0,
            si ? s.kilopascals : s.kilopascals / 6.894757293168361,
            Condition::RelativeHumidity,
            s.relativeHumidity,
            model};
}

/// Whether a and b agree to 1e-9 of their size (of 1 near 0).
bool Agree(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a)); }

/// Every pair of the state's given properties that should give it back: both
/// present, and neither two moisture properties nor the wet bulb with the
/// enthalpy.
void ExpectEveryPairGivesItBack(const StateInput& in)
{
    const StateResult origin = ComputeState(in);
    ASSERT_TRUE(origin.refusal.empty()) << origin.refusal;
    const auto moisture = [](Property p) {
        return p == Property::DewPoint || p == Property::HumidityRatio || p == Property::VapourPressure;
    };
    for (std::size_t i = 0; i < kGivableProperties.size(); ++i) {
        for (std::size_t j = 0; j < kGivableProperties.size(); ++j) {
            const Property a = kGivableProperties[i];
            const Property b = kGivableProperties[j];
            if (i == j || (moisture(a) && moisture(b)))
                continue;
            if ((a == Property::WetBulb && b == Property::Enthalpy) || (a == Property::Enthalpy && b == Property::WetBulb))
                continue;
            if (!origin[a].present || !origin[b].present)
                continue;
            // The calculator's dry bulb with a dew point or wet bulb is its engine's own state, to the
            // bit: by its saturation pressure, where its computed dew point is a correlation up to 0.03 K
            // off, and its wet bulb a secant stopped 1e-9 from the humidity ratio.
            const bool engineOwn = in.model == Model::Calculator &&
                                   (a == Property::DryBulb || b == Property::DryBulb) &&
                                   (a == Property::DewPoint || b == Property::DewPoint ||
                                    a == Property::WetBulb || b == Property::WetBulb);
            // Near saturation the calculator's correlation puts the dew point above the dry bulb, and
            // the state takes it down to the dry bulb: that dew point no longer tells the moisture.
            const bool taken = in.model == Model::Calculator && (a == Property::DewPoint || b == Property::DewPoint) &&
                               origin[Property::DewPoint].value == in.dryBulb;
            // Dry air has a relative humidity of 0 at every dry bulb: with its moisture it fixes none.
            const bool dry = origin[Property::HumidityRatio].value == 0.0 &&
                             (a == Property::RelativeHumidity || b == Property::RelativeHumidity) &&
                             (moisture(a) || moisture(b));
            if (engineOwn || taken || dry)
                continue;
            const StateResult back = ComputeStateFromPair({in.units, in.model, in.saturation, in.pressure,
                                                           {a, origin[a].value, b, origin[b].value}});
            SCOPED_TRACE(std::string(PropertyColumn(a)) + " with " + std::string(PropertyColumn(b)) + ", " +
                         std::string(ModelName(in.model)) + (in.units == Units::SI ? " SI" : " IP") +
                         ", t " + std::to_string(in.dryBulb) + ", p " + std::to_string(in.pressure) + ", rh " +
                         std::to_string(in.value));
            ASSERT_TRUE(back.refusal.empty()) << back.refusal;
            EXPECT_NEAR(back[Property::DryBulb].value, in.dryBulb, 1e-9);
            for (Property property : kAllProperties) {
                if (origin[property].present && back[property].present) {
                    EXPECT_TRUE(Agree(origin[property].value, back[property].value))
                        << PropertyColumn(property) << ": " << origin[property].value << " and "
                        << back[property].value;
                }
            }
        }
    }
}

struct PlaceRow {
    const char* name;
    Sample sample;
};

class PairRoundTrip : public ::testing::TestWithParam<std::tuple<PlaceRow, Model, Units>> {};

TEST_P(PairRoundTrip, EveryPairGivesTheStateBack)
{
    const auto& [row, model, units] = GetParam();
    ExpectEveryPairGivesItBack(InputOf(row.sample, model, units));
}

INSTANTIATE_TEST_SUITE_P(
    Pair, PairRoundTrip,
    ::testing::Combine(::testing::Values(PlaceRow{"room", {24.0, 101.325, 50.0}},
                                         PlaceRow{"near_saturation", {18.0, 95.0, 99.9}},
                                         PlaceRow{"saturated", {30.0, 101.325, 100.0}},
                                         PlaceRow{"below_freezing", {-15.0, 101.325, 70.0}},
                                         PlaceRow{"cold_and_high", {-38.0, 62.0, 40.0}},
                                         PlaceRow{"hot_and_humid", {78.0, 108.0, 60.0}},
                                         PlaceRow{"nearly_dry", {35.0, 80.0, 0.5}}),
                       ::testing::Values(Model::Calculator, Model::Ashrae2017),
                       ::testing::Values(Units::SI, Units::InchPound)),
    [](const auto& place) {
        const PlaceRow& row = std::get<0>(place.param);
        const Model model = std::get<1>(place.param);
        return std::string(row.name) + "_" + std::string(ModelName(model)) +
               (std::get<2>(place.param) == Units::SI ? "_SI" : "_IP");
    });

// Random states over −40…80 °C and 60…110 kPa, every relative humidity.
TEST(PairRoundTrip, RandomStatesUnderBothModels)
{
    std::mt19937_64 random(24);
    std::uniform_real_distribution<double> celsius(-40.0, 80.0);
    std::uniform_real_distribution<double> kilopascals(60.0, 110.0);
    std::uniform_real_distribution<double> humidity(0.0, 100.0);
    for (int i = 0; i < 40; ++i) {
        const Sample sample{celsius(random), kilopascals(random), humidity(random)};
        for (Model model : {Model::Calculator, Model::Ashrae2017}) {
            for (Units units : {Units::SI, Units::InchPound})
                ExpectEveryPairGivesItBack(InputOf(sample, model, units));
        }
        if (::testing::Test::HasFailure())
            break;
    }
}

// Dry air: no dew point, the rest as any state.
TEST(PairRoundTrip, DryAir)
{
    ExpectEveryPairGivesItBack({Units::SI, 25.0, 101.325, Condition::HumidityRatio, 0.0, Model::Ashrae2017});
}

// ---------------------------------------------------------------------------
// What no pair can make.

struct RefusedRow {
    const char* name;
    Property first;
    double firstValue;
    Property second;
    double secondValue;
    std::string_view refusal;
};

class PairRefused : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(PairRefused, SaysWhy)
{
    const RefusedRow& row = GetParam();
    for (Model model : {Model::Calculator, Model::Ashrae2017}) {
        const StateResult s = ComputeStateFromPair(
            {Units::SI, model, Saturation::IceBelowFreezing, 101.325,
             {row.first, row.firstValue, row.second, row.secondValue}});
        EXPECT_EQ(RefusalWords(s), row.refusal) << ModelName(model);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pair, PairRefused,
    ::testing::Values(
        RefusedRow{"dew_point_with_humidity_ratio", Property::DewPoint, 10.0, Property::HumidityRatio, 0.008,
                   "dew_point and humidity_ratio fix the same moisture; give a temperature, the enthalpy or the "
                   "volume as well"},
        RefusedRow{"vapour_pressure_with_humidity_ratio", Property::VapourPressure, 1.2, Property::HumidityRatio,
                   0.008,
                   "vapour_pressure and humidity_ratio fix the same moisture; give a temperature, the enthalpy or "
                   "the volume as well"},
        RefusedRow{"wet_bulb_with_enthalpy", Property::WetBulb, 18.0, Property::Enthalpy, 50.0,
                   "wet_bulb and enthalpy cross too shallowly: a line of constant wet bulb is nearly one of "
                   "constant enthalpy, and the state where they cross is not worth its digits; give another pair"},
        RefusedRow{"relative_humidity_with_an_enthalpy_no_air_reaches", Property::RelativeHumidity, 60.0,
                   Property::Enthalpy, -500.0, "relative_humidity and enthalpy fit no air within the relations' range"},
        RefusedRow{"dry_air_by_its_relative_humidity_and_humidity_ratio", Property::RelativeHumidity, 0.0,
                   Property::HumidityRatio, 0.0,
                   "relative_humidity and humidity_ratio fix the same moisture; give a temperature, the enthalpy or "
                   "the volume as well"},
        RefusedRow{"the_same_property_twice", Property::Enthalpy, 40.0, Property::Enthalpy, 50.0, "enthalpy is given twice"},
        RefusedRow{"a_property_no_state_is_given_by", Property::Density, 1.2, Property::DryBulb, 20.0,
                   "density cannot be given: a state is given by two of dry_bulb, wet_bulb, dew_point, relative_humidity, "
                   "humidity_ratio, enthalpy, specific_volume and vapour_pressure"},
        RefusedRow{"a_relative_humidity_that_is_not_a_number", Property::Enthalpy, 40.0,
                   Property::RelativeHumidity, std::nan(""), "relative_humidity not a number"},
        RefusedRow{"a_relative_humidity_above_100", Property::Enthalpy, 40.0, Property::RelativeHumidity, 101.0,
                   "relative_humidity above 100 %"}),
    [](const ::testing::TestParamInfo<RefusedRow>& row) { return std::string(row.param.name); });

} // namespace
} // namespace humitrax
