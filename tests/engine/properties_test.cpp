// The closed-form properties against the worked values of the ASHRAE relations
// (hand-checked with a calculator to the digits shown), in both unit systems.
#include "engine_cases.h"

namespace humitrax::testing {
namespace {

using StateUnitsFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&,
                                              const double&, const std::int16_t&);

struct PropertyRow {
    const char* name;
    StateUnitsFunction function;
    double T, p;
    std::int16_t situation;
    double stateVar;
    std::int16_t units;
    double expected;
    double tolerance;
};

class PropertyTable : public ::testing::TestWithParam<PropertyRow> {};

TEST_P(PropertyTable, MatchesWorkedValue)
{
    const PropertyRow& row = GetParam();
    const Outcome outcome = Evaluate([&] { return row.function(row.T, row.p, row.situation, row.stateVar, row.units); });
    const auto* result = std::get_if<PropertyResult>(&outcome);
    ASSERT_TRUE(result != nullptr && result->isNumber()) << Show(outcome);
    EXPECT_NEAR(result->AsNumber(), row.expected, row.tolerance);
}

constexpr double kAtm = 101.325;
constexpr double kAtmIP = 14.696;

INSTANTIATE_TEST_SUITE_P(
    HumidityRatio, PropertyTable,
    ::testing::Values(
        PropertyRow{"SI_relative_humidity_half", &HumidRatio, 25, kAtm, 3, 0.5, kSIFlag, 0.009882, 2e-6},
        PropertyRow{"SI_wet_bulb_18", &HumidRatio, 25, kAtm, 1, 18, kSIFlag, 0.010036, 2e-6},
        PropertyRow{"SI_saturated_by_humidity", &HumidRatio, 25, kAtm, 3, 1, kSIFlag, 0.020082, 2e-6},
        PropertyRow{"SI_wet_bulb_below_freezing_same_relation", &HumidRatio, 0, kAtm, 1, -5, kSIFlag, 0.0004846, 2e-7},
        PropertyRow{"SI_vapour_above_pressure_is_negative", &HumidRatio, 100, kAtm, 3, 1, kSIFlag, -673.11, 0.01},
        PropertyRow{"SI_given_ratio_any_dry_bulb", &HumidRatio, 900, 0, 4, 0.0123, kSIFlag, 0.0123, 0},
        PropertyRow{"IP_relative_humidity_half", &HumidRatio, 77, kAtmIP, 3, 0.5, kIP, 0.009882, 2e-6},
        PropertyRow{"IP_wet_bulb_64", &HumidRatio, 77, kAtmIP, 1, 64, kIP, 0.009748, 2e-6}),
    RowName<PropertyRow>);

INSTANTIATE_TEST_SUITE_P(
    RelativeHumidity, PropertyTable,
    ::testing::Values(
        PropertyRow{"SI_wet_bulb_18", &Humidity, 25, kAtm, 1, 18, kSIFlag, 0.5077, 1e-4},
        PropertyRow{"SI_ratio_001", &Humidity, 25, kAtm, 4, 0.01, kSIFlag, 0.5059, 1e-4},
        PropertyRow{"SI_given_fraction_passes_through", &Humidity, 25, kAtm, 3, 0.5, kSIFlag, 0.5, 0},
        PropertyRow{"SI_saturated_wet_bulb_is_exactly_one", &Humidity, 25, kAtm, 1, 25, kSIFlag, 1.0, 0},
        PropertyRow{"SI_minus_60C_is_the_lower_limit", &Humidity, -60, kAtm, 1, -60, kSIFlag, 1.0, 0},
        PropertyRow{"SI_below_freezing_wet_bulb", &Humidity, -20, kAtm, 1, -21, kSIFlag, 0.2903, 1e-4},
        PropertyRow{"IP_wet_bulb_64", &Humidity, 77, kAtmIP, 1, 64, kIP, 0.4933, 1e-4},
        PropertyRow{"IP_32F_is_the_lower_limit", &Humidity, 32, kAtmIP, 3, 0.5, kIP, 0.5, 0}),
    RowName<PropertyRow>);

INSTANTIATE_TEST_SUITE_P(
    DewPoint, PropertyTable,
    ::testing::Values(
        PropertyRow{"SI_ratio_001", &DewPoint, 25, kAtm, 4, 0.01, kSIFlag, 14.07, 0.01},
        PropertyRow{"SI_below_freezing_same_polynomial", &DewPoint, 25, kAtm, 4, 0.002, kSIFlag, -8.63, 0.01},
        PropertyRow{"SI_saturated_just_below_dry_bulb", &DewPoint, 25, kAtm, 3, 1, kSIFlag, 24.9986, 1e-4},
        PropertyRow{"SI_given_dew_point_needs_nothing", &DewPoint, 1e6, 0, 2, -300, kSIFlag, -300, 0},
        PropertyRow{"IP_ratio_001", &DewPoint, 77, kAtmIP, 4, 0.01, kIP, 57.34, 0.01}),
    RowName<PropertyRow>);

INSTANTIATE_TEST_SUITE_P(
    VolumeEnthalpy, PropertyTable,
    ::testing::Values(
        PropertyRow{"SI_volume", &Volume, 25, kAtm, 4, 0.01, kSIFlag, 0.8582, 1e-4},
        // 1.006 × 25 + 0.01 × (2501 + 1.805 × 25)
        PropertyRow{"SI_enthalpy", &Enthalpy, 25, kAtm, 4, 0.01, kSIFlag, 50.61125, 1e-9},
        PropertyRow{"SI_dry_air_enthalpy_is_cp_times_T", &Enthalpy, 25, kAtm, 4, 0, kSIFlag, 25.15, 1e-12},
        PropertyRow{"IP_volume", &Volume, 77, kAtmIP, 4, 0.01, kIP, 13.748, 1e-3},
        PropertyRow{"IP_enthalpy", &Enthalpy, 77, kAtmIP, 4, 0.01, kIP, 29.432, 1e-3}),
    RowName<PropertyRow>);

TEST(Grains, AreSevenThousandTimesTheRatio)
{
    EXPECT_EQ(Grains(77, kAtmIP, 4, 0.01).AsNumber(), 70.0);
    EXPECT_EQ(Grains(-500, 0, 4, 0.002).AsNumber(), 14.0); // T and p unused
    // Through the inch-pound humidity ratio (0.009882 at 77 °F and half
    // saturation), not the SI one (77 °C).
    EXPECT_NEAR(Grains(77, kAtmIP, 3, 0.5).AsNumber(), 69.174, 0.014);
}

TEST(RoundTrip, EachSecondPropertyLeadsBackToTheSameState)
{
    // From a relative humidity to the dew point and wet bulb, then back from
    // each of them to the humidity ratio: the relations must agree.
    for (double T : {5.0, 20.0, 35.0, 50.0}) {
        for (double phi : {0.2, 0.5, 0.9}) {
            const double W = HumidRatioSI(T, kAtm, 3, phi).AsNumber();
            const double wetBulb = WetBulbSI(T, kAtm, 3, phi).AsNumber();
            EXPECT_NEAR(HumidRatioSI(T, kAtm, 1, wetBulb).AsNumber(), W, 1e-8) << T << " " << phi;
            EXPECT_NEAR(HumiditySI(T, kAtm, 4, W).AsNumber(), phi, 1e-9) << T << " " << phi;
            // The dew-point correlation is a fit for dew points above freezing,
            // good to about 0.1 K there; below freezing it drifts away.
            const double dewPoint = DewPointSI(T, kAtm, 3, phi).AsNumber();
            if (dewPoint > 0.0) {
                EXPECT_NEAR(HumidRatioSI(T, kAtm, 2, dewPoint).AsNumber(), W, W * 0.01) << T << " " << phi;
            }
        }
    }
}

} // namespace
} // namespace humitrax::testing
