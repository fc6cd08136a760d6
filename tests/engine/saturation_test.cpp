// Saturation pressure and the standard atmosphere. Expected values are the
// correlations evaluated independently (long double, then rounded), to about
// six significant digits; the boundary rows check the exact range.
#include "engine_cases.h"

#include <cmath>
#include <limits>

namespace humitrax::testing {
namespace {

struct SaturationRow {
    const char* name;
    double T;
    std::int16_t units;
    std::optional<double> expected; ///< nothing: "out of range"
    double tolerance;
};

class SaturationTable : public ::testing::TestWithParam<SaturationRow> {};

TEST_P(SaturationTable, GivesPressureOrOutOfRange)
{
    const SaturationRow& row = GetParam();
    const PropertyResult result = SatPressure(row.T, row.units);
    if (!row.expected) {
        ASSERT_TRUE(result.isText()) << Show(result);
        EXPECT_EQ(result.text(), "out of range");
        return;
    }
    ASSERT_TRUE(result.isNumber()) << Show(result);
    EXPECT_NEAR(result.AsNumber(), *row.expected, row.tolerance);
}

const double kNextBelowMinus100 = std::nextafter(-100.0, -200.0);
const double kNextAbove200 = std::nextafter(200.0, 300.0);

INSTANTIATE_TEST_SUITE_P(
    Saturation, SaturationTable,
    ::testing::Values(
        SaturationRow{"SI_lowest_end_included", -100.0, kSIFlag, 1.4051e-06, 1e-10},
        SaturationRow{"SI_just_below_lowest_end", kNextBelowMinus100, kSIFlag, std::nullopt, 0},
        SaturationRow{"SI_20C", 20.0, kSIFlag, 2.33880, 1e-4},
        SaturationRow{"SI_highest_end_included", 200.0, kSIFlag, 1555.07, 0.01},
        SaturationRow{"SI_just_above_highest_end", kNextAbove200, kSIFlag, std::nullopt, 0},
        SaturationRow{"SI_0C_over_ice", 0.0, kSIFlag, 0.611154, 1e-5},
        SaturationRow{"SI_001C_over_water", 0.01, kSIFlag, 0.611657, 1e-5},
        SaturationRow{"SI_not_a_number", std::numeric_limits<double>::quiet_NaN(), kSIFlag,
                      std::nullopt, 0},
        SaturationRow{"IP_32F_over_ice", 32.0, kIP, 0.0886403, 1e-6},
        SaturationRow{"IP_212F", 212.0, kIP, 14.7095, 1e-3},
        SaturationRow{"IP_just_below_lowest_end", std::nextafter(-148.0, -200.0), kIP,
                      std::nullopt, 0},
        SaturationRow{"IP_just_above_highest_end", std::nextafter(392.0, 400.0), kIP,
                      std::nullopt, 0}),
    RowName<SaturationRow>);

TEST(Saturation, IceAtTheTriplePointLiesBelowWater)
{
    // 0 °C takes the formula over ice; just above it the one over water gives
    // a pressure about 97 ppm higher: the step the wet bulb has to live with.
    const double ice = SatPressureSI(0.0).AsNumber();
    const double water = SatPressureSI(1e-9).AsNumber(); // the next absolute temperature up
    EXPECT_LT(ice, water);
    EXPECT_NEAR((water - ice) / ice, 97e-6, 5e-6);
    const double iceIP = SatPressure(32.0, kIP).AsNumber();
    const double waterIP = SatPressure(32.000000001, kIP).AsNumber();
    EXPECT_LT(iceIP, waterIP);
}

TEST(Saturation, RisesWithTemperatureOverTheWholeRange)
{
    double previous = 0.0;
    for (double T = -100.0; T <= 200.0; T += 0.25) {
        const double pws = SatPressureSI(T).AsNumber();
        EXPECT_GT(pws, previous) << "at " << T;
        previous = pws;
    }
}

struct AltitudeRow {
    const char* name;
    double feet;
    double psia;
    double tolerance;
};

class AltitudeTable : public ::testing::TestWithParam<AltitudeRow> {};

TEST_P(AltitudeTable, GivesStandardAtmosphere)
{
    EXPECT_NEAR(interp(GetParam().feet), GetParam().psia, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Altitude, AltitudeTable,
    ::testing::Values(AltitudeRow{"sea_level_is_the_constant_term", 0.0, 14.6965450413525, 0.0},
                      AltitudeRow{"feet_5000", 5000.0, 12.2268, 1e-3},
                      AltitudeRow{"feet_16404", 16404.0, 7.8393, 1e-3},
                      AltitudeRow{"below_sea_level", -1000.0, 15.2361, 1e-3}),
    RowName<AltitudeRow>);

TEST(Altitude, FarBeyondAnyAtmosphereOverflows)
{
    EXPECT_EQ(std::get<FailureCause>(Evaluate([] { return PropertyResult(interp(1e60)); })),
              FailureCause::Overflow);
}

} // namespace
} // namespace humitrax::testing
