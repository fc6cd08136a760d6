// The 2017 relations' two solvers against the roots of their own relations:
// SatPressure(td) = pw and HumidityRatioFromWetBulb(t, twb, p) = W are written
// out again here in long double (64-bit significand) and their roots found by
// bisection to the last bit; each answer lies within 1e-12 degree of its root
// (the solvers before stopped at 1e-9). Where the wet-bulb relation has a root
// on each side of freezing, the answer is the lower one.
#include "humitrax/ashrae2017.h"
#include "engine_cases.h"

#include <cmath>
#include <optional>
#include <string>

namespace humitrax::testing {
namespace {

namespace a17 = humitrax::ashrae2017;
using a17::Saturation;
using Long = long double;
constexpr bool kSI = true;
constexpr bool kIPUnits = false;
constexpr auto kIce = Saturation::IceBelowFreezing;
constexpr auto kWater = Saturation::Water;
constexpr double kTolerance = 1e-12; ///< degrees
constexpr double kMolarMassRatio = 0.621945; ///< eq. 20

/// The Handbook's constants, eqs. 5, 6, 33 and 35, as the engine should hold them.
struct Relations {
    double offset, triplePoint, freezing, divisor;
    double c1, c2, c3, c4, c5, c6, c7;      ///< ln(pws) over ice
    double c8, c9, c10, c11, c12, c13;      ///< over water
    double water[5], ice[5];                ///< latent, wick, dry air, vapour, denominator
};
constexpr Relations kSIRelations{273.15, 0.01, 0.0, 1000.0,
    -5.6745359e3, 6.3925247, -9.677843e-3, 6.2215701e-7, 2.0747825e-9, -9.484024e-13, 4.1635019,
    -5.8002206e3, 1.3914993, -4.8640239e-2, 4.1764768e-5, -1.4452093e-8, 6.5459673,
    {2501.0, 2.326, 1.006, 1.86, 4.186}, {2830.0, 0.24, 1.006, 1.86, 2.1}};
constexpr Relations kIPRelations{459.67, 32.018, 32.0, 1.0,
    -1.0214165e4, -4.8932428, -5.3765794e-3, 1.9202377e-7, 3.5575832e-10, -9.0344688e-14, 4.1635019,
    -1.0440397e4, -1.1294650e1, -2.7022355e-2, 1.2890360e-5, -2.4780681e-9, 6.5459673,
    {1093.0, 0.556, 0.240, 0.444, 1.0}, {1220.0, 0.04, 0.240, 0.444, 0.48}};

const Relations& RelationsOf(bool si) { return si ? kSIRelations : kIPRelations; }

/// ln(pws) in the correlation's unit, on the branch SatPressure takes at t.
Long LnSaturation(const Relations& r, Long t, Saturation over)
{
    const Long T = t + r.offset;
    if (t < r.triplePoint && over == kIce)
        return r.c1 / T + r.c2 + r.c3 * T + r.c4 * T * T + r.c5 * T * T * T + r.c6 * T * T * T * T +
               r.c7 * std::log(T);
    return r.c8 / T + r.c9 + r.c10 * T + r.c11 * T * T + r.c12 * T * T * T + r.c13 * std::log(T);
}

/// HumidityRatioFromWetBulb(t, tStar, p) − W.
Long WetBulbMiss(const Relations& r, Long t, Long tStar, Long p, Long W, Saturation over)
{
    const Long pws = std::exp(LnSaturation(r, tStar, over)) / r.divisor;
    const Long Ws = Long(kMolarMassRatio) * pws / (p - pws);
    const double* f = tStar >= r.freezing || over == kWater ? r.water : r.ice;
    return ((f[0] - f[1] * tStar) * Ws - f[2] * (t - tStar)) / ((f[0] + f[3] * t) - f[4] * tStar) - W;
}

/// The root of an increasing f within `reach` of x, to the last bit of a long
/// double; nothing when f does not change sign there.
template <typename F>
std::optional<Long> RootNear(F f, double x, Long reach = 1e-6L)
{
    Long lo = x - reach;
    Long hi = x + reach;
    if (!(f(lo) <= 0 && f(hi) >= 0))
        return std::nullopt;
    for (int i = 0; i < 200; ++i) {
        const Long mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi)
            break;
        (f(mid) < 0 ? lo : hi) = mid;
    }
    return lo + (hi - lo) / 2;
}

/// How far the dew point of pw lies from its root, or a message.
std::string DewPointMiss(bool si, Saturation over, double pw)
{
    const Relations& r = RelationsOf(si);
    const double td = a17::DewPoint(pw, si, over);
    const Long y = std::log(Long(pw) * r.divisor);
    const std::optional<Long> root = RootNear([&](Long x) { return LnSaturation(r, x, over) - y; }, td);
    if (!root)
        return "no root near " + std::to_string(td);
    const double miss = static_cast<double>(std::fabs(td - *root));
    return miss <= kTolerance ? "" : "dew point " + std::to_string(td) + " misses by " + std::to_string(miss);
}

/// How far the wet bulb of (t, W, p) lies from its root, or a message.
std::string WetBulbMissOf(bool si, Saturation over, double t, double W, double p)
{
    const Relations& r = RelationsOf(si);
    const double twb = a17::WetBulb(t, W, p, si, std::nullopt, over);
    if (twb == t)
        return ""; // saturated
    const std::optional<Long> root = RootNear([&](Long x) { return WetBulbMiss(r, t, x, p, W, over); }, twb);
    if (!root)
        return "no root near " + std::to_string(twb);
    const double miss = static_cast<double>(std::fabs(twb - *root));
    return miss <= kTolerance ? "" : "wet bulb " + std::to_string(twb) + " misses by " + std::to_string(miss);
}

struct RootRow {
    const char* name;
    bool si;
    Saturation over;
    double t, p, phi; ///< a state: dry bulb, pressure, relative humidity (a fraction)
};

class Ashrae2017Roots : public ::testing::TestWithParam<RootRow> {};

TEST_P(Ashrae2017Roots, DewPointAndWetBulbLieOnTheirRoots)
{
    const RootRow& row = GetParam();
    const double pw = row.phi * a17::SatPressure(row.t, row.si, row.over);
    const double W = a17::HumidityRatioFromVapourPressure(pw, row.p, row.si);
    EXPECT_EQ(DewPointMiss(row.si, row.over, a17::VapourPressureFromHumidityRatio(W, row.p, row.si)), "");
    EXPECT_EQ(WetBulbMissOf(row.si, row.over, row.t, W, row.p), "");
}

INSTANTIATE_TEST_SUITE_P(
    Ashrae2017, Ashrae2017Roots,
    ::testing::Values(RootRow{"SI_ordinary", kSI, kIce, 25, 101.325, 0.5},
                      RootRow{"SI_dry_hot", kSI, kIce, 45, 95, 0.05},
                      RootRow{"SI_nearly_saturated", kSI, kIce, 20, 101.325, 0.9999},
                      RootRow{"SI_frost_point_cold", kSI, kIce, -60, 80, 0.3},
                      RootRow{"SI_frost_point_near_the_lowest", kSI, kIce, -95, 101.325, 0.6},
                      RootRow{"SI_dew_point_just_below_the_triple_point", kSI, kIce, 3, 101.325, 0.8136},
                      RootRow{"SI_above_the_boiling_point", kSI, kIce, 95, 50, 0.3},
                      RootRow{"SI_hottest", kSI, kIce, 199, 1500, 0.5},
                      RootRow{"SI_water_below_freezing", kSI, kWater, -20, 101.325, 0.6},
                      RootRow{"IP_ordinary", kIPUnits, kIce, 77, 14.696, 0.5},
                      RootRow{"IP_frost_point", kIPUnits, kIce, 20, 14.696, 0.4},
                      RootRow{"IP_hottest", kIPUnits, kIce, 390, 220, 0.5},
                      RootRow{"IP_water_below_freezing", kIPUnits, kWater, 0, 12, 0.7}),
    RowName<RootRow>);

struct SweepRow {
    const char* name;
    bool si;
    Saturation over;
    double tFrom, tTo, tStep, pFrom, pTo, pStep;
};

class Ashrae2017RootSweep : public ::testing::TestWithParam<SweepRow> {};

TEST_P(Ashrae2017RootSweep, EveryAnswerLiesOnItsRoot)
{
    const SweepRow& g = GetParam();
    for (double t = g.tFrom; t <= g.tTo; t += g.tStep) {
        for (double p = g.pFrom; p <= g.pTo; p += g.pStep) {
            for (double phi : {0.01, 0.1, 0.35, 0.7, 0.95, 0.9999}) {
                const double pw = phi * a17::SatPressure(t, g.si, g.over);
                if (pw >= 0.99 * p || pw < a17::SatPressure(g.si ? -100.0 : -148.0, g.si, g.over))
                    continue;
                const double W = a17::HumidityRatioFromVapourPressure(pw, p, g.si);
                const std::string where = std::to_string(t) + " " + std::to_string(p) + " " + std::to_string(phi);
                ASSERT_EQ(DewPointMiss(g.si, g.over, a17::VapourPressureFromHumidityRatio(W, p, g.si)), "") << where;
                ASSERT_EQ(WetBulbMissOf(g.si, g.over, t, W, p), "") << where;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ashrae2017, Ashrae2017RootSweep,
                         ::testing::Values(SweepRow{"SI_ice", kSI, kIce, -99, 199, 3.7, 50, 110, 20},
                                           SweepRow{"SI_water", kSI, kWater, -99, 199, 3.7, 50, 110, 20},
                                           SweepRow{"IP_ice", kIPUnits, kIce, -146, 390, 6.7, 7.25, 16, 2.9},
                                           SweepRow{"IP_water", kIPUnits, kWater, -146, 390, 6.7, 7.25, 16, 2.9}),
                         RowName<SweepRow>);

TEST(Ashrae2017Roots, OfTwoRootsEitherSideOfFreezingTheLowerIsTheWetBulb)
{
    // Dry air at 11.5 °C: eq. 35 (ice on the wick) crosses W at −0.66 °C,
    // and eq. 33 again at 0.078 °C.
    const double t = 11.536458535563753;
    const double p = 82.649290074882757;
    const double W = 5.0293954816742802e-05;
    const Relations& r = kSIRelations;
    const auto miss = [&](Long x) { return WetBulbMiss(r, t, x, p, W, kIce); };
    const std::optional<Long> upper = RootNear(miss, 0.0778186875945931);
    ASSERT_TRUE(upper.has_value()); // the other root, above freezing
    const double twb = a17::WetBulb(t, W, p, kSI);
    EXPECT_LT(twb, 0.0);
    EXPECT_EQ(WetBulbMissOf(kSI, kIce, t, W, p), "");
}

} // namespace
} // namespace humitrax::testing
