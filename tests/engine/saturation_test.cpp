// Saturation pressure and the standard atmosphere: the correlations evaluated
// independently to about six digits, and the exact ends of the range.
#include "engine_cases.h"

#include <cmath>

namespace humitrax::testing {
namespace {

const double kNextBelowMinus100 = std::nextafter(-100.0, -200.0);
const double kNextAbove200 = std::nextafter(200.0, 300.0);

INSTANTIATE_TEST_SUITE_P(
    Saturation, CallTable,
    ::testing::Values(
        Near("SI_lowest_end_included", [] { return SatPressure(-100.0, kSIFlag); }, 1.4051e-06, 1e-10),
        Gives("SI_just_below_lowest_end", [] { return SatPressure(kNextBelowMinus100, kSIFlag); }, kOutOfRange),
        Near("SI_20C_any_nonzero_flag", [] { return SatPressure(20.0, 1); }, 2.33880, 1e-4),
        Gives("SI_300C_any_nonzero_flag", [] { return SatPressure(300.0, 1); }, kOutOfRange), // not °F
        Near("SI_highest_end_included", [] { return SatPressure(200.0, kSIFlag); }, 1555.07, 0.01),
        Gives("SI_just_above_highest_end", [] { return SatPressure(kNextAbove200, kSIFlag); }, kOutOfRange),
        Near("SI_0C_over_ice", [] { return SatPressure(0.0, kSIFlag); }, 0.611154, 1e-5),
        // The next absolute temperature up is over water, 97 ppm higher.
        Near("SI_just_above_0C_over_water", [] { return SatPressure(1e-9, kSIFlag); }, 0.611213, 1e-5),
        Near("SI_001C_over_water", [] { return SatPressure(0.01, kSIFlag); }, 0.611657, 1e-5),
        Gives("SI_not_a_number", [] { return SatPressure(kNaN, kSIFlag); }, kOutOfRange),
        Near("IP_32F_over_ice", [] { return SatPressure(32.0, kIP); }, 0.0886403, 1e-6),
        Near("IP_212F", [] { return SatPressure(212.0, kIP); }, 14.7095, 1e-3),
        Gives("IP_just_below_lowest_end", [] { return SatPressure(std::nextafter(-148.0, -200.0), kIP); },
              kOutOfRange),
        Gives("IP_just_above_highest_end", [] { return SatPressure(std::nextafter(392.0, 400.0), kIP); },
              kOutOfRange)),
    RowName<CallRow>);

INSTANTIATE_TEST_SUITE_P(
    Altitude, CallTable,
    ::testing::Values(Near("feet_5000", [] { return interp(5000.0); }, 12.2268, 1e-3),
                      Near("below_sea_level", [] { return interp(-1000.0); }, 15.2361, 1e-3),
                      Fails("beyond_any_atmosphere_overflows", [] { return interp(1e60); }, FailureCause::Overflow)),
    RowName<CallRow>);

} // namespace
} // namespace humitrax::testing
