// File: comfort.h
// Thermal comfort by the PMV/PPD model of ISO 7730:2005 (section 4), which
// ASHRAE Standard 55 uses too: the predicted mean vote of a large group on the
// seven-point scale from −3 (cold) to +3 (hot), and the predicted percentage
// of them dissatisfied. SI units only.
//
// The model is meant for steady conditions and for these ranges (ISO 7730,
// 4.1), both ends included; InApplicableRange tells whether an input lies in
// all of them. Pmv computes outside them too, where its answer is no longer
// backed by the standard's surveys.
//   metabolic rate          0.8 … 4 met    (46 … 232 W/m²)
//   clothing insulation     0 … 2 clo      (0 … 0.310 m²·K/W)
//   air temperature         10 … 30 °C
//   mean radiant temperature 10 … 40 °C
//   relative air speed      0 … 1 m/s
//   water vapour pressure   0 … 2700 Pa
// The standard further advises using a PMV only between −2 and +2.
//
// Failures are PropertyFailure, as in the rest of the engine; the functions
// hold no state and may be called from any thread.
#pragma once

#include "property_result.h"

#include <optional>
#include <string_view>
#include <utility>

namespace humitrax::comfort {

/// One occupant's conditions.
struct ComfortInput {
    double airTemperature;         ///< °C
    double meanRadiantTemperature; ///< °C
    double airSpeed;               ///< m/s, relative to the body
    double vapourPressure;         ///< Pa, partial pressure of water vapour in the air
    double metabolicRate;          ///< met (1 met = 58.15 W/m² of body surface)
    double clothing;               ///< clo (1 clo = 0.155 m²·K/W)
    double externalWork = 0.0;     ///< met, the mechanical power the body delivers; 0 for most work
};

/// The predicted mean vote and the predicted percentage dissatisfied, %.
struct PmvPpd {
    double pmv;
    double ppd; ///< 5 % at a PMV of 0, rising towards 100 % either side
};

/// Which input Pmv cannot take and the rule it breaks, naming the input and
/// its limit, or nothing. Pmv needs every member
/// finite; a metabolic rate above 0 (a body that makes no heat has no
/// balance to vote on); air speed, vapour pressure, clothing and external
/// work not negative; external work not above the metabolic rate; both
/// temperatures not below −273 °C (the model's absolute zero: it adds 273 to
/// form kelvins). Outside ISO 7730's ranges an input is taken all the same
/// (InApplicableRange flags it).
struct InputProblem {
    double ComfortInput::*input; ///< the input refused
    std::string_view rule;       ///< "the metabolic rate must be above 0 met"
};
std::optional<InputProblem> InputRefusal(const ComfortInput& input) noexcept;

/// The predicted mean vote and percentage dissatisfied, ISO 7730:2005
/// equations (1) to (5). The clothing surface temperature, which equation (2)
/// gives only implicitly, is found by bisection to 1e-9 K within at most 100
/// halvings.
///
/// Throws PropertyFailure(InvalidOperation) for an input InputRefusal refuses.
/// Throws PropertyFailure(NoConvergence) when the clothing temperature cannot
/// be resolved to 1e-9 K within the halvings allowed, which happens only for
/// temperatures of millions of degrees, and Overflow for temperatures so large
/// that their fourth powers overflow.
PmvPpd Pmv(const ComfortInput& input);

/// True when every input lies in the ranges of ISO 7730, 4.1 (listed at the
/// top of this file), ends included; false otherwise, and for a NaN.
bool InApplicableRange(const ComfortInput& input);

/// The dry bulbs, °C, at which −pmvLimit ≤ PMV ≤ pmvLimit, for the comfort zone
/// of a chart: the mean radiant temperature equals the dry bulb, the vapour
/// pressure (Pa), metabolic rate (met), clothing (clo) and air speed (m/s) are
/// held, and there is no external work. PMV rises with the dry bulb, so the
/// zone is one interval; its ends are found by bisection to 1e-6 K, and each
/// end returned lies inside the zone (an end not at tmin or tmax has a PMV
/// within 1e-6 of ∓pmvLimit). The interval is clipped to [tmin, tmax];
/// nullopt when no dry bulb in [tmin, tmax] is in the zone.
///
/// Preconditions: pmvLimit finite and positive; tmin and tmax finite,
/// tmin ≤ tmax; the others as Pmv requires. Otherwise throws
/// PropertyFailure(InvalidOperation). Passes on every failure of Pmv.
std::optional<std::pair<double, double>> ComfortDryBulbRange(double vapourPressure, double metabolicRate,
                                                             double clothing, double airSpeed,
                                                             double pmvLimit = 0.5, double tmin = -10,
                                                             double tmax = 50);

} // namespace humitrax::comfort
