// File: ashrae2017.h
// A second set of moist-air relations: those of the ASHRAE Handbook—
// Fundamentals 2017, chapter 1 (Psychrometrics), as plain functions of doubles.
// Hyland-Wexler saturation pressure over ice and over water (eqs. 5, 6), the
// humidity ratio and its inverse, relative humidity, degree of saturation, the
// dew point by inverting the saturation pressure, the wet bulb by eqs. 33 and
// 35 solved for t*, enthalpy (eq. 30), specific volume (eq. 26) and the
// standard atmosphere (eq. 3).
//
// Conventions shared by every function:
// - `si` true selects SI: °C, kPa, kg/kg, kJ/kg, m³/kg, altitude in m; false
//   selects inch-pound: °F, psia, lb/lb, Btu/lb, ft³/lb, altitude in ft.
//   Relative humidity and degree of saturation are fractions (0.5 is 50 %).
// - Every temperature whose saturation pressure is needed must lie in
//   −100…200 °C (−148…392 °F), both ends included; outside it, or not a
//   number, the function throws PropertyFailure(FailureCause::TypeMismatch)
//   ("temperature out of range").
// - Every arithmetic step is tested: a NaN result throws InvalidOperation, an
//   infinite one Overflow, a nonzero value over zero DivisionByZero (0/0 is
//   InvalidOperation), the logarithm of a value that is not positive
//   InvalidLogarithm. A solver that cannot bracket or converge throws
//   NoConvergence. Functions hold no state and may be called from any thread.
// - Formulas are evaluated left to right as the Handbook writes them, every
//   power through the C library's pow.
#pragma once

#include <cstdint>
#include <optional>

#include "property_result.h"

namespace humitrax::ashrae2017 {

/// What saturation is taken over below the triple point: ice, as the
/// Handbook takes it (the default), or supercooled liquid water, as
/// meteorological data (TMY3, NSRDB, most station records) report the dew
/// point and relative humidity below 0 °C. Over water, eq. 6 serves at every
/// temperature of the range, and the wet bulb is eq. 33 throughout.
enum class Saturation : std::uint8_t { IceBelowFreezing, Water };

/// Saturation pressure of water vapour at t, kPa or psia: over ice below the
/// triple point (0.01 °C, 32.018 °F), over liquid water at and above it
/// (Hyland-Wexler, eqs. 5 and 6), or over water throughout when `over` says
/// so. Throws TypeMismatch for t out of range.
double SatPressure(double t, bool si, Saturation over = Saturation::IceBelowFreezing);

/// Humidity ratio of moist air whose water vapour has the partial pressure pw
/// at the total pressure p: W = 0.621945 pw/(p − pw), kg/kg or lb/lb (the
/// relation is the same in both systems; `si` is accepted for symmetry). No
/// test of the values: pw above p gives a negative W; pw = p throws
/// DivisionByZero.
double HumidityRatioFromVapourPressure(double pw, double p, bool si);

/// Partial pressure of the water vapour, kPa or psia, of air with humidity
/// ratio W at pressure p: pw = p W/(0.621945 + W). W = −0.621945 throws
/// DivisionByZero.
double VapourPressureFromHumidityRatio(double W, double p, bool si);

/// Humidity ratio of saturated air, Ws(t, p). Negative when SatPressure(t)
/// exceeds p (no saturated air exists there); DivisionByZero when it equals p;
/// TypeMismatch for t out of range.
double SatHumidityRatio(double t, double p, bool si, Saturation over = Saturation::IceBelowFreezing);

/// Humidity ratio from the relative humidity phi (a fraction, not tested):
/// pw = phi·SatPressure(t), then W from pw. TypeMismatch for t out of range.
double HumidityRatioFromRelativeHumidity(double t, double p, double phi, bool si,
                                         Saturation over = Saturation::IceBelowFreezing);

/// Relative humidity, a fraction: pw/SatPressure(t), pw from W and p. Not
/// limited to 0…1. TypeMismatch for t out of range.
double RelativeHumidityFromHumidityRatio(double t, double p, double W, bool si,
                                         Saturation over = Saturation::IceBelowFreezing);

/// Degree of saturation W/Ws(t, p). TypeMismatch for t out of range;
/// DivisionByZero for Ws = 0 (never inside the range at a finite pressure).
double DegreeOfSaturation(double t, double p, double W, bool si, Saturation over = Saturation::IceBelowFreezing);

/// Dew point, °C or °F, of water vapour at partial pressure pw: the
/// temperature whose SatPressure equals pw (a frost point below the triple
/// point), found by Newton steps on ln SatPressure with its derivative in
/// closed form, from a start interpolated in a table of the curve (within
/// 1e-7 degree), so that one step ends the search; a step that would leave
/// the table's bracket halves it instead, at most 100 steps. The answer lies
/// within the rounding of ln SatPressure itself (1e-12 degree) of the root.
/// pw ≤ 0 throws InvalidLogarithm (NaN InvalidOperation); pw outside
/// SatPressure(−100 °C)…SatPressure(200 °C) throws TypeMismatch. A pw that
/// falls in the tiny step of SatPressure at the triple point gives the triple
/// point.
double DewPoint(double pw, bool si, Saturation over = Saturation::IceBelowFreezing);

/// Humidity ratio of air at dry bulb t and pressure p whose thermodynamic wet
/// bulb is twb: eq. 33 (water on the wick) for twb at or above 0 °C (32 °F),
/// eq. 35 (ice) below, with Ws* = SatHumidityRatio(twb, p). TypeMismatch when t
/// or twb is out of range. No test that twb ≤ t.
double HumidityRatioFromWetBulb(double t, double twb, double p, bool si,
                                Saturation over = Saturation::IceBelowFreezing);

/// Thermodynamic wet bulb, °C or °F, of air at dry bulb t with humidity ratio W
/// at pressure p: the root of HumidityRatioFromWetBulb(t, twb, p) = W between
/// the dew point (or the lowest temperature of the range, for W = 0 and for a
/// vapour pressure below SatPressure there) and the dry bulb, by Halley steps
/// (the relation's first and second derivatives in closed form) from where
/// the quintic through both ends, with their values and derivatives, crosses
/// W: mostly one step. A step that would leave the bracket, or that does not
/// halve the step before last, halves the bracket instead; never more than
/// 100 evaluations of the relation. The answer lies within the rounding of
/// the relation itself (1e-12 degree) of the root. Where the dry bulb lies
/// above the boiling point at p (no air saturates there), the upper end is
/// taken just below that boiling point.
/// Returns t for saturated air: W within 1e-12 of Ws(t, p) (relative, either
/// way), or not below the relation's value at twb = t (the inch-pound eq. 35
/// gives up to 1e-4 less than Ws there, its factors not cancelling; below
/// 0 °F it gives more, and the root for nearly saturated air lies a little
/// below the dew point, where it is sought next). The two equations disagree
/// at freezing, where eq. 35 mostly lies above eq. 33: some states then have
/// a root on each side, and the lower one (ice on the wick) is returned.
/// Where the relation steps up across W at freezing or at the triple point,
/// there is no root, and the step's place is returned.
/// Over ice below the triple point; the overload below takes Saturation::Water,
/// where the saturation is taken over water and eq. 33 serves at every wet
/// bulb.
/// Throws TypeMismatch for t out of range or for a wet bulb below the range;
/// InvalidOperation for p ≤ 0 or a NaN W or p; NoConvergence for air that
/// does not exist (W < 0, or W above Ws(t, p) by more than 1e-12 of it) or
/// that cannot be bracketed.
double WetBulb(double t, double W, double p, bool si);
/// WetBulb with the air's dew point already known (DewPoint of its vapour
/// pressure), which then brackets the root from below without being found
/// again. The same answer as WetBulb.
double WetBulb(double t, double W, double p, bool si, std::optional<double> dewPoint,
               Saturation over = Saturation::IceBelowFreezing);

/// What a caller of WetBulb may already have formed for the same air, each
/// exactly as the function named forms it; nothing for what it has not.
struct KnownValues {
    std::optional<double> saturationPressure; ///< SatPressure(t, si, over), at the dry bulb
    std::optional<double> dewPoint; ///< DewPoint(VapourPressureFromHumidityRatio(W, p, si), si, over)
};
/// WetBulb with the values in `known` taken rather than formed again. The same
/// answer as WetBulb.
double WetBulb(double t, double W, double p, bool si, const KnownValues& known,
               Saturation over = Saturation::IceBelowFreezing);

/// Specific enthalpy of moist air per unit mass of dry air: 1.006 t +
/// W (2501 + 1.86 t) kJ/kg (0 at 0 °C, dry air), or 0.240 t + W (1061 +
/// 0.444 t) Btu/lb (0 at 0 °F). Any t.
double Enthalpy(double t, double W, bool si);

/// Dry bulb, °C or °F, of air with enthalpy h and humidity ratio W (mixing):
/// t = (h − 2501 W)/(1.006 + 1.86 W), or (h − 1061 W)/(0.240 + 0.444 W).
double DryBulbFromEnthalpy(double h, double W, bool si);

/// Specific volume per unit mass of dry air, m³/kg or ft³/lb:
/// 0.287042 (t + 273.15)(1 + 1.607858 W)/p, or 0.370486 (t + 459.67)(1 +
/// 1.607858 W)/p. Any t; p = 0 throws DivisionByZero.
double Volume(double t, double W, double p, bool si);

/// Barometric pressure of the standard atmosphere at altitude z (m or ft,
/// negative below sea level): 101.325 (1 − 2.25577e−5 z)^5.2559 kPa, or
/// 14.696 (1 − 6.8754e−6 z)^5.2559 psia. Throws InvalidOperation where the
/// base is not positive (above about 44 km, 145 000 ft) or z is NaN;
/// Overflow for an infinite z.
double PressureFromAltitude(double z, bool si);

} // namespace humitrax::ashrae2017
