// File: rules.h
// The rules that keep a state to air that can exist: the given values that
// no air has are refused, and a computed value that no air has is an empty
// cell with the reason. Every command and the Python module compute their
// states through ComputeState, which applies both. Private to the state layer.
#pragma once

#include "humitrax/state.h"

namespace humitrax::detail {

/// How far below 0 a humidity ratio computed for dry air may come out by
/// rounding (the wet-bulb relation subtracts terms of some tens) and still be
/// dry air: it is then 0.
inline constexpr double kNegligibleRatio = 1e-15;

/// A given value no air can have, and why.
struct Refusal {
    Property property = Property::DryBulb;
    std::string_view reason; ///< empty: none
};

/// Why a single given value of `property` no air has (a temperature outside
/// the range, a relative humidity outside 0…100 %, a humidity ratio below 0,
/// a vapour pressure not below the pressure, a volume or pressure not above
/// 0, a NaN), or nothing.
std::string_view ValueRefusal(Property property, double value, Units units, double pressure) noexcept;

/// The given values refused before any relation is used: a pressure at or
/// below 0; a dry bulb, wet bulb or dew point outside the temperatures the
/// relations cover; a relative humidity outside 0…100 %; a wet bulb or dew
/// point above the dry bulb; a humidity ratio below 0.
Refusal GivenRefusal(const StateInput& input) noexcept;

/// The model's humidity ratios refused: a given humidity ratio above that of
/// saturated air (where air at the dry bulb can saturate: its saturation
/// pressure `saturationPressure` lies below the pressure), or a condition
/// that makes a negative humidity ratio. Cells without a value refuse
/// nothing.
Refusal RatioRefusal(const StateInput& input, const Cell& saturationPressure, const Cell& saturationRatio,
                     const Cell& ratio) noexcept;

/// Empties every computed cell that no air can have, with the reason:
/// temperatures outside the range, a relative humidity outside 0…100 %, a
/// degree of saturation outside 0…1, a humidity ratio below 0, a vapour
/// pressure not below the pressure, a volume or density not above 0; the
/// saturation humidity ratio and degree of saturation where the dry bulb lies
/// above the boiling point. A computed wet bulb or dew point above the dry
/// bulb (a correlation's overshoot near saturation) is taken down to it, and
/// a relative humidity or degree of saturation above its end by no more than
/// rounding is taken as that end.
void KeepPossibleValues(const StateInput& input, StateResult& result) noexcept;

/// "below -100 °C, the lowest temperature the relations cover" and the like.
std::string_view BelowRange(Units units) noexcept;
std::string_view AboveRange(Units units) noexcept;

} // namespace humitrax::detail
