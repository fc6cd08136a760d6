// The closed-form properties against the worked values of the ASHRAE relations
// (hand-checked with a calculator to the digits shown), in both unit systems.
#include "engine_cases.h"

namespace humitrax::testing {
namespace {

constexpr double kAtm = 101.325;
constexpr double kAtmIP = 14.696;

INSTANTIATE_TEST_SUITE_P(
    HumidityRatio, CallTable,
    ::testing::Values(
        Near("SI_relative_humidity_half", [] { return HumidRatio(25, kAtm, 3, 0.5, kSIFlag); }, 0.009882, 2e-6),
        Near("SI_wet_bulb_18", [] { return HumidRatio(25, kAtm, 1, 18, kSIFlag); }, 0.010036, 2e-6),
        Near("SI_wet_bulb_below_freezing", [] { return HumidRatio(0, kAtm, 1, -5, kSIFlag); }, 0.0004846, 2e-7),
        Near("SI_vapour_above_pressure", [] { return HumidRatio(100, kAtm, 3, 1, kSIFlag); }, -673.11, 0.01),
        Near("SI_given_ratio_any_dry_bulb", [] { return HumidRatio(900, 0, 4, 0.0123, kSIFlag); }, 0.0123, 0),
        Near("IP_relative_humidity_half", [] { return HumidRatio(77, kAtmIP, 3, 0.5, kIP); }, 0.009882, 2e-6),
        Near("IP_wet_bulb_64", [] { return HumidRatio(77, kAtmIP, 1, 64, kIP); }, 0.009748, 2e-6)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    RelativeHumidity, CallTable,
    ::testing::Values(
        Near("SI_wet_bulb_18", [] { return Humidity(25, kAtm, 1, 18, kSIFlag); }, 0.5077, 1e-4),
        Near("SI_ratio_001", [] { return Humidity(25, kAtm, 4, 0.01, kSIFlag); }, 0.5059, 1e-4),
        Near("SI_given_fraction_passes_through", [] { return Humidity(25, kAtm, 3, 0.5, kSIFlag); }, 0.5, 0),
        Near("SI_saturated_wet_bulb_is_exactly_one", [] { return Humidity(25, kAtm, 1, 25, kSIFlag); }, 1.0, 0),
        Near("SI_minus_60C_is_the_lower_limit", [] { return Humidity(-60, kAtm, 1, -60, kSIFlag); }, 1.0, 0),
        Near("SI_below_freezing_wet_bulb", [] { return Humidity(-20, kAtm, 1, -21, kSIFlag); }, 0.2903, 1e-4),
        Near("IP_wet_bulb_64", [] { return Humidity(77, kAtmIP, 1, 64, kIP); }, 0.4933, 1e-4),
        Near("IP_32F_is_the_lower_limit", [] { return Humidity(32, kAtmIP, 3, 0.5, kIP); }, 0.5, 0)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    DewPoint, CallTable,
    ::testing::Values(
        Near("SI_ratio_001", [] { return DewPoint(25, kAtm, 4, 0.01, kSIFlag); }, 14.07, 0.01),
        Near("SI_below_freezing_same_polynomial", [] { return DewPoint(25, kAtm, 4, 0.002, kSIFlag); }, -8.63, 0.01),
        Near("SI_saturated_just_below_dry_bulb", [] { return DewPoint(25, kAtm, 3, 1, kSIFlag); }, 24.9986, 1e-4),
        Near("SI_given_dew_point_needs_nothing", [] { return DewPoint(1e6, 0, 2, -300, kSIFlag); }, -300, 0),
        Near("IP_ratio_001", [] { return DewPoint(77, kAtmIP, 4, 0.01, kIP); }, 57.34, 0.01)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    VolumeEnthalpyGrains, CallTable,
    ::testing::Values(
        // ((0.01 × 1.6078 + 1) × (298.15 × 8314.41)) / ((101.325 × 28.9645) × 1000), by hand in that
        // order: every constant of the volume counts.
        Near("SI_volume", [] { return Volume(25, kAtm, 4, 0.01, kSIFlag); }, 0.8582437514473684, 1e-12),
        Near("SI_enthalpy", [] { return Enthalpy(25, kAtm, 4, 0.01, kSIFlag); }, 50.61125, 1e-9),
        Near("IP_volume", [] { return Volume(77, kAtmIP, 4, 0.01, kIP); }, 13.748, 1e-3),
        Near("IP_enthalpy", [] { return Enthalpy(77, kAtmIP, 4, 0.01, kIP); }, 29.432, 1e-3),
        Near("grains", [] { return Grains(77, kAtmIP, 4, 0.01); }, 70.0, 0),
        // Through the inch-pound humidity ratio, not the SI one (77 °C).
        Near("grains_from_relative_humidity", [] { return Grains(77, kAtmIP, 3, 0.5); }, 69.174, 0.014)),
    RowName<CallRow>);

} // namespace
} // namespace humitrax::testing
