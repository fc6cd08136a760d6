// File: ashrae2017_system.h
// The constants of the 2017 relations in each unit system, named once, and the
// pieces the solvers share with the closed forms. Implementation details,
// private to the engine.
#pragma once

#include "num.h"

#include "humitrax/constants.h"

namespace humitrax::ashrae2017::detail {

using humitrax::detail::Num;

/// Ratio of the molar masses of water vapour and dry air, both systems.
using humitrax::ashrae2017::kMolarMassRatio;

/// Eqs. 33 and 35: W = ((latent − wickWetBulb·t*)·Ws* − dryAirHeat·(t − t*)) /
/// (latent + vapourDryBulb·t − denominatorWetBulb·t*).
struct WetBulbForm {
    double latent;
    double wickWetBulb;
    double dryAirHeat;
    double vapourDryBulb;
    double denominatorWetBulb;
};

/// Everything one unit system needs.
struct System {
    double lowest;      ///< lowest temperature of the saturation range, included
    double highest;     ///< highest, included
    double offset;      ///< to the absolute scale (K or °R)
    double triplePoint; ///< on the given scale; ice below it, water at and above
    double pressureDivisor; ///< from the correlation's unit (Pa, psia) to kPa or psia
    /// ln(pws) over ice = C1/T + C2 + C3·T + C4·T² + C5·T³ + C6·T⁴ + C7·ln T.
    double c1, c2, c3, c4, c5, c6, c7;
    /// ln(pws) over water = C8/T + C9 + C10·T + C11·T² + C12·T³ + C13·ln T.
    double c8, c9, c10, c11, c12, c13;
    double freezing;           ///< wet bulbs at or above it take eq. 33
    WetBulbForm water;         ///< eq. 33
    WetBulbForm ice;           ///< eq. 35
    double dryAirHeat;         ///< enthalpy: h = dryAirHeat·t + W·(latentHeat + vapourHeat·t)
    double latentHeat;
    double vapourHeat;
    double gasConstant;        ///< volume: gasConstant·(t + offset)·(1 + volumeFactor·W)/p
    double seaLevelPressure;   ///< p = seaLevelPressure·(1 − lapse·z)^kAltitudeExponent
    double lapse;
};

inline constexpr double kVolumeFactor = 1.607858;
inline constexpr double kAltitudeExponent = 5.2559;

/// °C, K, kPa (the correlations give Pa), kg/kg, kJ/kg, m.
inline constexpr System kSI{
    kTemperatureRangeSI.lowest, kTemperatureRangeSI.highest, 273.15, 0.01, 1000.0,
    -5.6745359e3, 6.3925247, -9.677843e-3, 6.2215701e-7, 2.0747825e-9, -9.484024e-13, 4.1635019,
    -5.8002206e3, 1.3914993, -4.8640239e-2, 4.1764768e-5, -1.4452093e-8, 6.5459673,
    0.0,
    {2501.0, 2.326, 1.006, 1.86, 4.186},
    {2830.0, 0.24, 1.006, 1.86, 2.1},
    kEnthalpySI.dryAir, kEnthalpySI.latent, kEnthalpySI.vapour,
    0.287042,
    101.325, 2.25577e-5,
};

/// °F, °R, psia, lb/lb, Btu/lb, ft. In eq. 33 t* has no factor: 1 changes no bit.
inline constexpr System kInchPound{
    kTemperatureRangeInchPound.lowest, kTemperatureRangeInchPound.highest, 459.67, 32.018, 1.0,
    -1.0214165e4, -4.8932428, -5.3765794e-3, 1.9202377e-7, 3.5575832e-10, -9.0344688e-14, 4.1635019,
    -1.0440397e4, -1.1294650e1, -2.7022355e-2, 1.2890360e-5, -2.4780681e-9, 6.5459673,
    32.0,
    {1093.0, 0.556, 0.240, 0.444, 1.0},
    {1220.0, 0.04, 0.240, 0.444, 0.48},
    kEnthalpyInchPound.dryAir, kEnthalpyInchPound.latent, kEnthalpyInchPound.vapour,
    0.370486,
    14.696, 6.8754e-6,
};

inline const System& SystemOf(bool si) { return si ? kSI : kInchPound; }

/// t itself, or TypeMismatch when it lies outside the saturation range or is NaN.
double InRange(const System& s, double t);

/// Whether SatPressure takes the formula over ice at t.
inline bool OverIce(const System& s, double t, Saturation over)
{
    return t < s.triplePoint && over == Saturation::IceBelowFreezing;
}

/// ln(pws) at t in the correlation's unit (Pa, psia), over ice or over water
/// as `ice` says, t known to lie in the range: SatPressure is
/// exp(LnSaturation)/pressureDivisor.
inline Num LnSaturation(const System& s, double t, bool ice)
{
    using humitrax::detail::Log;
    const Num T = Num(t) + s.offset;
    const Num T2 = T * T;
    if (ice)
        return Num(s.c1) / T + s.c2 + s.c3 * T + s.c4 * T2 + s.c5 * (T2 * T) + s.c6 * (T2 * T2) + s.c7 * Log(T);
    return Num(s.c8) / T + s.c9 + s.c10 * T + s.c11 * T2 + s.c12 * (T2 * T) + s.c13 * Log(T);
}

/// d ln(pws)/dt and d² ln(pws)/dt² at t (per degree), over ice or over water
/// as `ice` says: the derivatives the solvers' steps take, closed-form.
struct SaturationBend {
    double slope;
    double curvature;
};

inline SaturationBend SaturationDerivatives(const System& s, double t, bool ice)
{
    const double T = t + s.offset;
    const double inverse = 1.0 / T;
    const double inverse2 = inverse * inverse;
    if (ice)
        return {-s.c1 * inverse2 + s.c3 + 2.0 * s.c4 * T + 3.0 * s.c5 * (T * T) + 4.0 * s.c6 * (T * T * T) +
                    s.c7 * inverse,
                2.0 * s.c1 * (inverse2 * inverse) + 2.0 * s.c4 + 6.0 * s.c5 * T + 12.0 * s.c6 * (T * T) -
                    s.c7 * inverse2};
    return {-s.c8 * inverse2 + s.c10 + 2.0 * s.c11 * T + 3.0 * s.c12 * (T * T) + s.c13 * inverse,
            2.0 * s.c8 * (inverse2 * inverse) + 2.0 * s.c11 + 6.0 * s.c12 * T - s.c13 * inverse2};
}

/// d ln(pws)/dt alone.
inline double SaturationSlope(const System& s, double t, bool ice) { return SaturationDerivatives(s, t, ice).slope; }

/// HumidityRatioFromVapourPressure: ε·pw/(p − pw).
inline Num RatioFromVapourPressure(double pw, double p)
{
    return (kMolarMassRatio * Num(pw)) / (Num(p) - pw);
}

/// Eq. 33 or 35 with Ws* already known: W at the dry bulb t for the wet bulb t*.
inline Num WetBulbEquation(const WetBulbForm& f, Num t, Num tStar, Num WsStar)
{
    const Num numerator = (f.latent - f.wickWetBulb * tStar) * WsStar - f.dryAirHeat * (t - tStar);
    const Num denominator = (f.latent + f.vapourDryBulb * t) - f.denominatorWetBulb * tStar;
    return numerator / denominator;
}

} // namespace humitrax::ashrae2017::detail
