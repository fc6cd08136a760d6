// File: full_state.h
// Every property of one state of moist air in one call: the results of the
// separate public functions of psychrometrics.h, bit for bit, with the work
// they share done once. The saturation pressure at the dry bulb and the
// humidity ratio, which most properties start from, are computed once and
// handed to each property, and the wet bulb's secant takes its first trial
// point's saturation pressure, at the dry bulb, from the same value. Every
// property is computed in the order of operations of its separate function,
// so each gives exactly what that function returns, or fails with the same
// cause; a failure in one leaves the others untouched.
#pragma once

#include "property_result.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace humitrax {

/// What one engine call gives: its result, or the cause of the failure it
/// raises.
struct PropertyOutcome {
    PropertyResult result;               ///< empty when the call fails
    std::optional<FailureCause> failure; ///< set when the call fails

    /// The result, or the failure raised again, as the call itself would.
    [[nodiscard]] PropertyResult Get() const
    {
        if (failure)
            throw PropertyFailure(*failure);
        return result;
    }
};

/// The properties of one state (T, p, Situation, StateVar, UnitsSI as the
/// public functions take them), each what the public call named beside it
/// gives for the same arguments, SI or inch-pound as UnitsSI says.
struct FullState {
    PropertyOutcome wetBulb;            ///< WetBulb
    PropertyOutcome dewPoint;           ///< DewPoint
    PropertyOutcome relativeHumidity;   ///< Humidity (a fraction)
    PropertyOutcome humidityRatio;      ///< HumidRatio
    PropertyOutcome enthalpy;           ///< Enthalpy
    PropertyOutcome volume;             ///< Volume
    PropertyOutcome grains;             ///< Grains, inch-pound only: empty in SI
    PropertyOutcome saturationPressure; ///< SatPressure(T, UnitsSI)
    PropertyOutcome saturationRatio;    ///< HumidRatio(T, p, 3, 1.0, UnitsSI): saturated air
};

/// Every property of the state. Never throws.
FullState ComputeFullState(const double& T, const double& p, const std::int16_t& Situation,
                           const double& StateVar, const std::int16_t& UnitsSI) noexcept;

/// ComputeFullState in two halves, for a caller that decides from the
/// humidity ratios whether it wants the rest (the state layer refuses air
/// whose humidity ratio is negative or above saturation). BeginFullState
/// fills saturationPressure, humidityRatio and saturationRatio and leaves the
/// rest empty; FinishFullState, given the same arguments, fills the rest from
/// them. Neither throws.
FullState BeginFullState(const double& T, const double& p, const std::int16_t& Situation,
                         const double& StateVar, const std::int16_t& UnitsSI) noexcept;
void FinishFullState(FullState& state, const double& T, const double& p, const std::int16_t& Situation,
                     const double& StateVar, const std::int16_t& UnitsSI) noexcept;

/// The arguments of one state, as the public functions take them.
struct StateArguments {
    double T;
    double p;
    std::int16_t Situation;
    double StateVar;
    std::int16_t UnitsSI;
};

/// BeginFullState for `count` states at once: *states[i] with arguments[i],
/// each bit for bit what BeginFullState gives it; their saturation pressures
/// at the dry bulb are formed first, one after another, so that they overlap.
/// Never throws.
void BeginFullStates(FullState* const* states, const StateArguments* arguments, std::size_t count) noexcept;

/// FinishFullState for `count` states at once: states[i] with arguments[i],
/// each bit for bit what FinishFullState gives it, every property in its own
/// order of operations. The wet bulbs' secants run side by side, a pass of
/// each in turn, so that the library calls of different states overlap in
/// the processor rather than each waiting for the one before. Never throws.
void FinishFullStates(FullState* const* states, const StateArguments* arguments, std::size_t count) noexcept;

} // namespace humitrax
