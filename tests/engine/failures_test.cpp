// Error texts for a bad Situation, and texts turned into failures one call up.
#include "engine_cases.h"

namespace humitrax::testing {
namespace {

TEST_P(CallTable, Gives)
{
    const CallRow& row = GetParam();
    const Outcome outcome = Evaluate(row.call);
    if (!row.shown.empty()) {
        EXPECT_EQ(Show(outcome), row.shown);
        return;
    }
    const auto* result = std::get_if<PropertyResult>(&outcome);
    ASSERT_TRUE(result != nullptr && result->isNumber()) << Show(outcome);
    EXPECT_NEAR(result->AsNumber(), row.expected, row.tolerance);
}

constexpr double kAtm = 101.325;
const std::string kTypeMismatch = "failure type-mismatch";
const std::string kDivisionByZero = "failure division-by-zero";
const std::string kInvalidLogarithm = "failure invalid-logarithm";
const std::string kInvalidSituation = "text 'error: invalid input for situation type'";

INSTANTIATE_TEST_SUITE_P(
    InvalidSituation, CallTable,
    ::testing::Values(
        Gives("HumidRatio_SI_0", [] { return HumidRatioSI(25, kAtm, 0, 0.5); }, "text 'error'"),
        Gives("Humidity_SI_empty", [] { return HumiditySI(25, kAtm, 7, 0.5); }, "empty"),
        Gives("Humidity_SI_below_reference", [] { return HumiditySI(-1, kAtm, 7, 0.5); }, kOutOfRange),
        Gives("DewPoint_IP_text", [] { return DewPoint(77, 14.696, 0, 0.5, kIP); },
              "text 'ERROR: Situation must be 1,2,3 or 4'"),
        Gives("DewPoint_SI_flag_text", [] { return DewPoint(77, 14.696, -1, 0.5, kSIFlag); }, kInvalidSituation),
        Gives("WetBulb_IP_same_text_as_SI", [] { return WetBulb(77, 14.696, 0, 0.5, kIP); }, kInvalidSituation),
        Gives("Volume_SI_fails", [] { return VolumeSI(25, kAtm, 5, 0.5); }, kTypeMismatch),
        Gives("Grains_fails", [] { return Grains(77, 14.696, 5, 0.5); }, kTypeMismatch)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    TextsBecomeFailures, CallTable,
    ::testing::Values(
        Gives("wet_bulb_out_of_saturation_range", [] { return HumidRatioSI(25, kAtm, 1, 250); }, kTypeMismatch),
        Gives("dry_bulb_out_of_range_with_wet_bulb", [] { return HumidRatioSI(250, kAtm, 1, 20); }, kTypeMismatch),
        Gives("humidity_ratio_ignores_dry_bulb", [] { return HumidRatioSI(250, kAtm, 4, 0.01); }, "number 0.01"),
        Gives("relative_humidity_fails_first", [] { return HumiditySI(250, kAtm, 4, 0.01); }, kTypeMismatch)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    RelativeHumidityTests, CallTable,
    ::testing::Values(
        Gives("wet_bulb_above_dry_bulb", [] { return HumiditySI(25, kAtm, 1, 26); }, kOutOfRange),
        Gives("ratio_above_saturation", [] { return HumiditySI(25, kAtm, 4, 0.03); }, kOutOfRange),
        // 1e-10 above saturation is more than rounding: not saturated air.
        Gives("ratio_just_above_saturation",
              [] { return HumiditySI(25, kAtm, 4, HumidRatioSI(25, kAtm, 3, 1).AsNumber() * (1 + 1e-10)); },
              kOutOfRange),
        Gives("SI_below_reference_0C", [] { return HumiditySI(-10, kAtm, 2, -15); }, kOutOfRange),
        Gives("SI_just_below_minus_60", [] { return HumiditySI(-60.001, kAtm, 1, -60.002); }, kOutOfRange),
        Gives("negative_ratio_from_wet_bulb", [] { return HumiditySI(-59, kAtm, 1, -60); }, kOutOfRange),
        Gives("given_fraction_tested_as_it_stands", [] { return HumiditySI(25, kAtm, 3, 1 + 1e-13); }, kOutOfRange),
        Gives("IP_31_9F_every_situation", [] { return Humidity(31.9, 14.696, 3, 0.5, kIP); }, kOutOfRange)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, CallTable,
    ::testing::Values(
        Gives("dew_point_of_dry_air", [] { return DewPointSI(25, kAtm, 4, 0); }, kInvalidLogarithm),
        Gives("dew_point_of_negative_ratio", [] { return DewPointSI(25, kAtm, 4, -0.1); }, kInvalidLogarithm),
        Gives("dew_point_ratio_minus_molar_ratio", [] { return DewPointSI(25, kAtm, 4, -0.62198); }, kDivisionByZero),
        Gives("zero_over_zero_is_division_by_zero", [] { return DewPointSI(25, 0, 4, -0.62198); }, kDivisionByZero),
        Gives("volume_at_zero_pressure", [] { return VolumeSI(25, 0, 4, 0.01); }, kDivisionByZero),
        Gives("vapour_pressure_equal_to_pressure", [] { return HumidRatioSI(25, SatPressureSI(25).AsNumber(), 3, 1); },
              kDivisionByZero),
        Gives("huge_pressure_overflows_volume", [] { return VolumeSI(25, 1e307, 4, 0.01); }, "failure overflow")),
    RowName<CallRow>);

} // namespace
} // namespace humitrax::testing
