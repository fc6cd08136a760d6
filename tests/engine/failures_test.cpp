// Error texts and failures: what each function returns for a bad Situation, and
// how a text turns into a type-mismatch failure one call further up.
#include "engine_cases.h"

#include <functional>

namespace humitrax::testing {
namespace {

using Call = std::function<PropertyResult()>;

struct FailureRow {
    const char* name;
    Call call;
    std::string expected; ///< as Show writes it
};

class FailureTable : public ::testing::TestWithParam<FailureRow> {};

TEST_P(FailureTable, GivesExactlyThis)
{
    EXPECT_EQ(Show(Evaluate(GetParam().call)), GetParam().expected);
}

constexpr double kAtm = 101.325;
const std::string kOutOfRange = "text 'out of range'";
const std::string kTypeMismatch = "failure type-mismatch";
const std::string kInvalidSituation = "text 'error: invalid input for situation type'";

INSTANTIATE_TEST_SUITE_P(
    InvalidSituation, FailureTable,
    ::testing::Values(
        FailureRow{"HumidRatio_SI_0", [] { return HumidRatioSI(25, kAtm, 0, 0.5); }, "text 'error'"},
        FailureRow{"Humidity_SI_empty", [] { return HumiditySI(25, kAtm, 7, 0.5); }, "empty"},
        FailureRow{"Humidity_SI_below_reference", [] { return HumiditySI(-1, kAtm, 7, 0.5); }, kOutOfRange},
        FailureRow{"DewPoint_IP_text", [] { return DewPoint(77, 14.696, 0, 0.5, kIP); },
                   "text 'ERROR: Situation must be 1,2,3 or 4'"},
        FailureRow{"DewPoint_SI_flag_text", [] { return DewPoint(77, 14.696, -1, 0.5, kSIFlag); }, kInvalidSituation},
        FailureRow{"WetBulb_IP_same_text_as_SI", [] { return WetBulb(77, 14.696, 0, 0.5, kIP); }, kInvalidSituation},
        FailureRow{"Volume_SI_fails", [] { return VolumeSI(25, kAtm, 5, 0.5); }, kTypeMismatch},
        FailureRow{"Enthalpy_SI_fails", [] { return EnthalpySI(25, kAtm, 0, 0.5); }, kTypeMismatch},
        FailureRow{"Grains_fails", [] { return Grains(77, 14.696, 5, 0.5); }, kTypeMismatch}),
    RowName<FailureRow>);

INSTANTIATE_TEST_SUITE_P(
    TextsBecomeFailures, FailureTable,
    ::testing::Values(
        FailureRow{"wet_bulb_out_of_saturation_range", [] { return HumidRatioSI(25, kAtm, 1, 250); }, kTypeMismatch},
        FailureRow{"dry_bulb_out_of_range_with_wet_bulb", [] { return HumidRatioSI(250, kAtm, 1, 20); }, kTypeMismatch},
        FailureRow{"humidity_ratio_ignores_dry_bulb", [] { return HumidRatioSI(250, kAtm, 4, 0.01); }, "number 0.01"},
        FailureRow{"relative_humidity_fails_before_its_tests", [] { return HumiditySI(250, kAtm, 4, 0.01); }, kTypeMismatch},
        FailureRow{"dew_point_passes_failure_on", [] { return DewPointSI(250, kAtm, 3, 0.5); }, kTypeMismatch},
        FailureRow{"volume_passes_failure_on", [] { return VolumeSI(25, kAtm, 1, 250); }, kTypeMismatch}),
    RowName<FailureRow>);

INSTANTIATE_TEST_SUITE_P(
    RelativeHumidityTests, FailureTable,
    ::testing::Values(
        FailureRow{"wet_bulb_above_dry_bulb", [] { return HumiditySI(25, kAtm, 1, 26); }, kOutOfRange},
        FailureRow{"ratio_above_saturation", [] { return HumiditySI(25, kAtm, 4, 0.03); }, kOutOfRange},
        // 1e-10 above saturation is more than rounding: not saturated air.
        FailureRow{"ratio_just_above_saturation",
                   [] { return HumiditySI(25, kAtm, 4, HumidRatioSI(25, kAtm, 3, 1).AsNumber() * (1 + 1e-10)); },
                   kOutOfRange},
        FailureRow{"SI_below_reference_0C", [] { return HumiditySI(-10, kAtm, 2, -15); }, kOutOfRange},
        FailureRow{"SI_just_below_minus_60", [] { return HumiditySI(-60.001, kAtm, 1, -60.002); }, kOutOfRange},
        FailureRow{"negative_ratio_from_wet_bulb", [] { return HumiditySI(-59, kAtm, 1, -60); }, kOutOfRange},
        FailureRow{"given_fraction_tested_as_it_stands", [] { return HumiditySI(25, kAtm, 3, 1 + 1e-13); }, kOutOfRange},
        FailureRow{"IP_31_9F_every_situation", [] { return Humidity(31.9, 14.696, 3, 0.5, kIP); }, kOutOfRange}),
    RowName<FailureRow>);

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, FailureTable,
    ::testing::Values(
        FailureRow{"dew_point_of_dry_air", [] { return DewPointSI(25, kAtm, 4, 0); }, "failure invalid-logarithm"},
        FailureRow{"dew_point_of_negative_ratio", [] { return DewPointSI(25, kAtm, 4, -0.1); }, "failure invalid-logarithm"},
        FailureRow{"dew_point_ratio_minus_molar_ratio", [] { return DewPointSI(25, kAtm, 4, -0.62198); }, "failure division-by-zero"},
        FailureRow{"zero_over_zero_is_division_by_zero", [] { return DewPointSI(25, 0, 4, -0.62198); }, "failure division-by-zero"},
        FailureRow{"volume_at_zero_pressure", [] { return VolumeSI(25, 0, 4, 0.01); }, "failure division-by-zero"},
        FailureRow{"vapour_pressure_equal_to_pressure", [] { return HumidRatioSI(25, SatPressureSI(25).AsNumber(), 3, 1); },
                   "failure division-by-zero"},
        FailureRow{"huge_pressure_overflows_volume", [] { return VolumeSI(25, 1e307, 4, 0.01); }, "failure overflow"}),
    RowName<FailureRow>);

} // namespace
} // namespace humitrax::testing
