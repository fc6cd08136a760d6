// File: psychrometrics.h
// The property engine: the moist-air relations of the ASHRAE Handbook of
// Fundamentals (Hyland-Wexler saturation pressure, humidity ratio, relative
// humidity, dew point, wet bulb, specific volume, enthalpy, grains) in SI and
// inch-pound units.
//
// Conventions shared by every function:
// - Arguments are read, never written. T is the dry bulb (°C or °F), p the
//   barometric pressure (kPa or psia), Situation says what StateVar holds
//   (SituationCode: 1 wet bulb, 2 dew point, 3 relative humidity as a fraction,
//   4 humidity ratio), UnitsSI nonzero selects SI and zero inch-pound.
// - A public function with UnitsSI nonzero returns exactly what its SI
//   companion returns (number, text or empty); with UnitsSI zero it computes in
//   inch-pound units through the other public functions, flag zero.
// - Every saturation pressure needs its temperature in −100…200 °C
//   (−148…392 °F), both ends included; outside it the saturation pressure is
//   the text "out of range", and a caller that uses it as a number fails with
//   FailureCause::TypeMismatch.
// - Every arithmetic step is tested: an invalid operation, a division by zero
//   or an overflow throws PropertyFailure with that cause; the logarithm of a
//   value that is not positive throws InvalidLogarithm. Underflow is no
//   failure. Functions hold no state and may be called from any thread.
#pragma once

#include "property_result.h"

#include <cstdint>

namespace humitrax {

/// Barometric pressure of the standard atmosphere, psia, at the altitude X in
/// feet (any value, negative included), by a polynomial of the sixth degree.
/// interp(0) is 14.6965450413525. Throws Overflow or InvalidOperation for
/// altitudes far beyond any atmosphere.
double interp(const double& X);

/// Saturation pressure of water vapour at T: over ice at and below the triple
/// point (0 °C, 32 °F, included), over liquid water above it. kPa for SI, psia
/// for inch-pound. "out of range" when T lies outside the accepted range or is
/// not a number.
PropertyResult SatPressure(const double& T, const std::int16_t& UnitsSI);
/// SatPressure in SI: T in °C, result in kPa.
PropertyResult SatPressureSI(const double& T);

/// Humidity ratio W, kg/kg or lb/lb. A number for Situation 1 to 4 (no test of
/// the values: a vapour pressure above p gives a negative W), "error" for any
/// other Situation. Fails (TypeMismatch) when T (Situation 1, 3), the wet bulb
/// or the dew point lies outside the saturation range; DivisionByZero when the
/// vapour pressure equals p or the wet-bulb relation's denominator is 0.
/// Situation 4 returns StateVar unchanged whatever T and p are.
PropertyResult HumidRatio(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar, const std::int16_t& UnitsSI);
/// HumidRatio in SI.
PropertyResult HumidRatioSI(const double& T, const double& p, const std::int16_t& Situation,
                            const double& StateVar);

/// Relative humidity, a fraction. "out of range" when T is below the wet bulb
/// (Situation 1), below the lower limit (−60 °C in SI, 32 °F in inch-pound),
/// or below 0 (°C or °F) in every other Situation; also when the fraction lies
/// below 0 or above 1. A fraction computed (Situations 1, 2, 4) at most 1e-12
/// above 1 is saturated air and returns exactly 1. Empty for a Situation
/// outside 1 to 4 (unless the dry-bulb test gives "out of range"). Fails like
/// HumidRatio for temperatures outside the saturation range.
PropertyResult Humidity(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI);
/// Humidity in SI.
PropertyResult HumiditySI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar);

/// Dew-point temperature, °C or °F, by one correlation in ln(pw) for every
/// humidity. Situation 2 returns StateVar unchanged. A Situation outside 1 to
/// 4 returns "ERROR: Situation must be 1,2,3 or 4" in inch-pound units and
/// "error: invalid input for situation type" in SI. Fails with
/// InvalidLogarithm for a humidity ratio of 0 or between −0.62198 and 0.
PropertyResult DewPoint(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI);
/// DewPoint in SI.
PropertyResult DewPointSI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar);

/// Thermodynamic wet-bulb temperature, °C or °F, found by a secant iteration
/// started at T and T − 10 and stopped when the humidity ratio of the tested
/// point lies within 1e-9 of the air's. Situation 1 returns StateVar
/// unchanged; a Situation outside 1 to 4 returns "error: invalid input for
/// situation type". Fails (TypeMismatch) when a trial temperature leaves the
/// saturation range, which happens at once for a dry bulb less than 10
/// degrees above the range's lower end. After 100 passes the tested point
/// with the smallest miss is returned if that miss is below 1e-6; otherwise
/// it fails with NoConvergence.
PropertyResult WetBulb(const double& T, const double& p, const std::int16_t& Situation,
                       const double& StateVar, const std::int16_t& UnitsSI);
/// WetBulb in SI.
PropertyResult WetBulbSI(const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar);

/// Specific volume per unit mass of dry air, m³/kg or ft³/lb. Always a number
/// or a failure: a Situation outside 1 to 4 fails (TypeMismatch), p = 0 fails
/// (DivisionByZero).
PropertyResult Volume(const double& T, const double& p, const std::int16_t& Situation,
                      const double& StateVar, const std::int16_t& UnitsSI);
/// Volume in SI.
PropertyResult VolumeSI(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar);

/// Moisture content in grains of water per pound of dry air, inch-pound only
/// (T in °F, p in psia): the humidity ratio times 7000. Always a number or a
/// failure.
PropertyResult Grains(const double& T, const double& p, const std::int16_t& Situation,
                      const double& StateVar);

/// Specific enthalpy per unit mass of dry air, kJ/kg (referred to 0 °C) or
/// Btu/lb (referred to 0 °F). Always a number or a failure: a Situation
/// outside 1 to 4 fails (TypeMismatch).
PropertyResult Enthalpy(const double& T, const double& p, const std::int16_t& Situation,
                        const double& StateVar, const std::int16_t& UnitsSI);
/// Enthalpy in SI.
PropertyResult EnthalpySI(const double& T, const double& p, const std::int16_t& Situation,
                          const double& StateVar);

} // namespace humitrax
