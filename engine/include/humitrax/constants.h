// File: constants.h
// The constants of the relations that their callers need as well, named once
// for the engine, the state layer, the processes and the chart: the
// temperatures every saturation pressure needs, the ratio of the molar masses
// of water vapour and dry air, and each set's enthalpy relation.
#pragma once

namespace humitrax {

/// A closed interval of temperatures, °C or °F.
struct TemperatureRange {
    double lowest;  ///< included
    double highest; ///< included

    /// Whether t lies in the range (a NaN does not).
    [[nodiscard]] constexpr bool Contains(double t) const noexcept { return t >= lowest && t <= highest; }
};

/// Every saturation pressure, in both sets of relations, needs its temperature
/// in −100…200 °C, or −148…392 °F (the same interval).
inline constexpr TemperatureRange kTemperatureRangeSI{-100.0, 200.0};
inline constexpr TemperatureRange kTemperatureRangeInchPound{-148.0, 392.0};

/// The range in SI (`si` true) or inch-pound units.
constexpr const TemperatureRange& TemperatureRangeOf(bool si) noexcept
{
    return si ? kTemperatureRangeSI : kTemperatureRangeInchPound;
}

/// Exact conversions between the unit systems: the international foot and
/// pound, the psi (a pound-force, 0.45359237 kg × 9.80665 m/s², per square
/// inch of 0.0254 m), and the grain (1/7000 lb).
inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kKilogramsPerPound = 0.45359237;
inline constexpr double kPascalsPerPsi = 6894.757293168361;
inline constexpr double kKilopascalsPerPsi = 6.894757293168361;
inline constexpr int kGrainsPerPound = 7000;

/// Specific enthalpy per unit mass of dry air, h = dryAir·t + W·(latent +
/// vapour·t): kJ/kg from 0 °C, or Btu/lb from 0 °F. The vapour term, latent +
/// vapour·t, is the enthalpy of the water vapour (and of steam) at t.
struct EnthalpyCoefficients {
    double dryAir;
    double latent;
    double vapour;
};

/// The calculator's relations (psychrometrics.h).
namespace calculator {
/// Of water vapour to dry air, in W = ε·pw/(p − pw); both unit systems.
inline constexpr double kMolarMassRatio = 0.62198;
inline constexpr EnthalpyCoefficients kEnthalpySI{1.006, 2501.0, 1.805};
inline constexpr EnthalpyCoefficients kEnthalpyInchPound{0.24, 1061.0, 0.444};
} // namespace calculator

/// The ASHRAE Handbook—Fundamentals 2017, chapter 1 (ashrae2017.h).
namespace ashrae2017 {
/// Of water vapour to dry air (eq. 20); both unit systems.
inline constexpr double kMolarMassRatio = 0.621945;
/// Eq. 30.
inline constexpr EnthalpyCoefficients kEnthalpySI{1.006, 2501.0, 1.86};
inline constexpr EnthalpyCoefficients kEnthalpyInchPound{0.240, 1061.0, 0.444};
} // namespace ashrae2017

} // namespace humitrax
