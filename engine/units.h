// File: units.h
// The constants of each unit system, named once, and the calls that let one
// implementation of each relation serve both systems. Implementation details,
// private to the engine.
#pragma once

#include "humitrax/property_result.h"
#include "humitrax/constants.h"

namespace humitrax::detail {

/// Ratio of the molar masses of water vapour and dry air, both systems.
inline constexpr double kMolarMassRatio = calculator::kMolarMassRatio;

/// Saturation pressure by the Hyland-Wexler correlations (ASHRAE Handbook of
/// Fundamentals): over ice ln(pws) = C1/TA + C2 + C3·TA + C4·TA² + C5·TA³ +
/// C6·TA⁴ + C7·ln(TA); over water C8/TA + C9 + C10·TA + C11·TA² + C12·TA³ +
/// C13·ln(TA). The SI C2 and C9 give kPa: the published Pa values less ln(1000).
struct SaturationConstants {
    double lowest;      ///< lowest temperature accepted, included
    double highest;     ///< highest temperature accepted, included
    double offset;      ///< to the absolute scale
    double triplePoint; ///< on the absolute scale; ice at and below it
    double c1, c2, c3, c4, c5, c6, c7;
    double c8, c9, c10, c11, c12, c13;
};

/// The wet-bulb relation, W(t*) = ((latent − numeratorWetBulb·t*)·Ws* −
/// dryBulbDifference·(T − t*)) / ((denominatorDryBulb·T + latent) −
/// denominatorWetBulb·t*), in its form for a wet bulb above freezing.
struct WetBulbConstants {
    double latent;
    double numeratorWetBulb;
    double dryBulbDifference; ///< 1 in SI, where the term has no factor
    double denominatorDryBulb;
    double denominatorWetBulb; ///< 1 in inch-pound, where t* has no factor
};

/// Everything one unit system needs.
struct UnitSystem {
    bool si;
    SaturationConstants saturation;
    WetBulbConstants wetBulb;
};

/// °F, °R, psia, lb/lb.
inline constexpr UnitSystem kInchPound{
    false,
    {kTemperatureRangeInchPound.lowest, kTemperatureRangeInchPound.highest, 459.67, 491.67,
     -10214.165, -4.8932428, -0.0053765794, 1.9202377e-07, 3.5575832e-10, -9.0344688e-14, 4.1635019,
     -10440.397, -11.29465, -0.027022355, 1.289036e-05, -2.4780681e-09, 6.5459673},
    {1093.0, 0.556, 0.24, 0.444, 1.0},
};

/// °C, K, kPa, kg/kg.
inline constexpr UnitSystem kSI{
    true,
    {kTemperatureRangeSI.lowest, kTemperatureRangeSI.highest, 273.15, 273.15,
     -5674.5359, -0.51523058, -0.009677843, 6.2215701e-07, 2.0747825e-09, -9.484024e-13, 4.1635019,
     -5800.2206, -5.516256, -0.048640239, 4.1764768e-05, -1.4452093e-08, 6.5459673},
    {2501.0, 2.381, 1.0, 1.805, 4.186},
};

/// The saturation pressure in the given system: the public function with the
/// flag zero for inch-pound, the SI companion for SI.
PropertyResult SaturationPressureIn(const UnitSystem& units, const double& T);

/// Ws = (0.62198 × pw) / (p − pw): numerator, then difference, then quotient.
double SaturationRatio(double pws, double p);

/// W(t*) by the wet-bulb relation, with Ws* the saturation humidity ratio at t*.
double WetBulbRelation(const WetBulbConstants& c, double T, double wetBulb, double WsStar);

} // namespace humitrax::detail
