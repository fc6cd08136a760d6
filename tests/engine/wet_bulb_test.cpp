// The wet-bulb secant against the same secant on the public humidity ratio,
// which recomputes both points every pass: the answer is the tested point.
#include "engine_cases.h"

#include <cmath>

namespace humitrax::testing {
namespace {

struct SecantTrace {
    double tested = 0.0;   ///< the point whose miss passed the test
    double estimate = 0.0; ///< the newer estimate formed in the same pass
    int passes = 0;
};

std::optional<SecantTrace> ReferenceSecant(double T, double p, std::int16_t situation,
                                           double stateVar, std::int16_t units)
{
    const double W = HumidRatio(T, p, situation, stateVar, units).AsNumber();
    double t1 = T;
    double t2 = T - 10.0;
    for (int pass = 1; pass <= 100; ++pass) {
        const double W1 = HumidRatio(T, p, 1, t1, units).AsNumber();
        const double W2 = HumidRatio(T, p, 1, t2, units).AsNumber();
        const double miss = std::fabs(W - W2);
        const double slope = (W1 - W2) / (t1 - t2);
        const double tested = t2;
        t1 = tested;
        const double intercept = W2 - t2 * slope;
        t2 = (W - intercept) / slope;
        if (miss < 1e-9)
            return SecantTrace{tested, t2, pass};
    }
    return std::nullopt;
}

struct WetBulbRow {
    const char* name;
    double T, p;
    std::int16_t situation;
    double stateVar;
    std::int16_t units;
    double about; ///< the wet bulb to about 0.05 degree
    int passes;   ///< passes the secant needs
};

class WetBulbTable : public ::testing::TestWithParam<WetBulbRow> {};

TEST_P(WetBulbTable, ReturnsTheTestedPointOfTheSecant)
{
    const WetBulbRow& row = GetParam();
    const auto reference = ReferenceSecant(row.T, row.p, row.situation, row.stateVar, row.units);
    ASSERT_TRUE(reference.has_value());
    const double result = WetBulb(row.T, row.p, row.situation, row.stateVar, row.units).AsNumber();
    EXPECT_EQ(result, reference->tested) << "the engine must return the tested point, to the bit";
    if (row.passes > 2) { // then returning the newer estimate would be another answer
        EXPECT_NE(result, reference->estimate);
    }
    EXPECT_NEAR(result, row.about, 0.05);
    EXPECT_EQ(reference->passes, row.passes);
}

INSTANTIATE_TEST_SUITE_P(
    WetBulb, WetBulbTable,
    ::testing::Values(
        WetBulbRow{"SI_ratio_001_five_passes", 25, 101.325, 4, 0.01, kSIFlag, 17.97, 5},
        WetBulbRow{"SI_from_relative_humidity", 30, 101.325, 3, 0.4, kSIFlag, 20.05, 4},
        WetBulbRow{"SI_saturated_air_two_passes", 25, 101.325, 3, 1, kSIFlag, 25.0, 2},
        WetBulbRow{"SI_dry_air_needs_no_logarithm", 25, 101.325, 4, 0, kSIFlag, 8.23, 6},
        WetBulbRow{"SI_near_lower_end", -89, 101.325, 3, 0.5, kSIFlag, -89.0, 2},
        WetBulbRow{"IP_ratio_001_five_passes", 77, 14.696, 4, 0.01, kIP, 64.37, 5},
        // Far above saturation the secant takes 84 passes to meet the
        // tolerance: fewer allowed would answer otherwise.
        WetBulbRow{"SI_eighty_four_passes", -49.24501538484496, 50.0, 4, 0.04887569068069447, kSIFlag, 14.24, 84}),
    RowName<WetBulbRow>);

TEST(WetBulb, StraddlingTheIceStepStopsAtTheBestTestedPoint)
{
    // No wet bulb meets the tolerance inside the 97 ppm step at 0 °C: the
    // secant hops across it until the bound and answers with its nearest point.
    ASSERT_FALSE(ReferenceSecant(0.7, 101.325, 3, 0.88, kSIFlag).has_value());
    const double result = WetBulbSI(0.7, 101.325, 3, 0.88).AsNumber();
    EXPECT_NEAR(result, 0.0, 1e-3);
    const double W = HumidRatioSI(0.7, 101.325, 3, 0.88).AsNumber();
    EXPECT_LT(std::fabs(HumidRatioSI(0.7, 101.325, 1, result).AsNumber() - W), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    WetBulbFailures, CallTable,
    ::testing::Values(
        // Estimates run to 158, −20, −71, then 620 °C, outside the range.
        Fails("far_above_saturation", [] { return WetBulbSI(25, 101.325, 4, 0.2); }, FailureCause::TypeMismatch),
        // The second starting point, −101 °C, is out of range.
        Fails("second_start_below_range", [] { return WetBulbSI(-91, 101.325, 3, 0.5); }, FailureCause::TypeMismatch),
        Fails("negative_pressure", [] { return WetBulbSI(-45, -3, 3, 0.3); }, FailureCause::NoConvergence)),
    RowName<CallRow>);

} // namespace
} // namespace humitrax::testing
