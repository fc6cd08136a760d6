// File: state_calculation.h
// One state's arguments with the two values most of its properties start
// from, the saturation pressure at the dry bulb and the humidity ratio, and
// the property steps that take them. Each public function runs its step on a
// calculation of its own; the full state runs every step on one calculation,
// so that each value is computed once. A step asks for a value at the point
// where the relation uses it, so a failure in forming it surfaces exactly
// where it did when every function formed its own.
// Implementation details, private to the engine.
#pragma once

#include "humitrax/full_state.h"
#include "units.h"

#include <cstdint>
#include <optional>

namespace humitrax::detail {

/// The outcome of `compute()`: its result, or the cause of its failure.
template <typename Compute>
PropertyOutcome Capture(Compute&& compute) noexcept
{
    try {
        return {compute(), std::nullopt};
    } catch (const PropertyFailure& failure) {
        return {PropertyResult(), failure.cause()};
    }
}

class StateCalculation {
public:
    /// How the shared values are kept.
    enum class Sharing : std::uint8_t {
        /// For a single property: a value is computed when first asked and
        /// kept, and a failure in forming it passes straight through.
        Single,
        /// For many properties: a failure is kept too, and raised again for
        /// every step that asks.
        Many,
    };

    StateCalculation(const UnitSystem& system, const double& dryBulb, const double& pressure,
                     const std::int16_t& situation, const double& stateVar, Sharing sharing) noexcept
        : units(system), T(dryBulb), p(pressure), Situation(situation), StateVar(stateVar), m_sharing(sharing)
    {
    }

    /// The same dry bulb, pressure and kept saturation pressure with another
    /// condition; the humidity ratio is formed anew.
    [[nodiscard]] StateCalculation WithCondition(const std::int16_t& situation,
                                                 const double& stateVar) const noexcept
    {
        StateCalculation other(units, T, p, situation, stateVar, m_sharing);
        other.m_dryBulbSaturation = m_dryBulbSaturation;
        return other;
    }

    /// Takes values already formed for these arguments.
    void Share(const PropertyOutcome& dryBulbSaturation, const PropertyOutcome& humidityRatio) noexcept
    {
        m_dryBulbSaturation = dryBulbSaturation;
        m_humidityRatio = humidityRatio;
    }

    /// SaturationPressureIn(units, T).
    PropertyResult DryBulbSaturation()
    {
        return Shared(m_dryBulbSaturation, [this] { return SaturationPressureIn(units, T); });
    }
    /// The humidity ratio, as HumidRatio gives it.
    PropertyResult HumidityRatio();

    const UnitSystem& units;
    const double& T;
    const double& p;
    const std::int16_t& Situation;
    const double& StateVar;

private:
    template <typename Compute>
    PropertyResult Shared(std::optional<PropertyOutcome>& kept, Compute&& compute)
    {
        if (kept)
            return kept->Get();
        if (m_sharing == Sharing::Single) {
            const PropertyResult result = compute(); // a failure passes on, nothing kept
            kept = PropertyOutcome{result, std::nullopt};
            return result;
        }
        kept = Capture(compute);
        return kept->Get();
    }

    Sharing m_sharing;
    std::optional<PropertyOutcome> m_dryBulbSaturation;
    std::optional<PropertyOutcome> m_humidityRatio;
};

// The property steps, one per public function, in the state's unit system.

/// HumidRatio.
PropertyResult HumidityRatioStep(StateCalculation& state);
/// Humidity, the test of the fraction included.
PropertyResult RelativeHumidityStep(StateCalculation& state);
/// DewPoint.
PropertyResult DewPointStep(StateCalculation& state);
/// WetBulb.
PropertyResult WetBulbStep(StateCalculation& state);
/// Volume.
PropertyResult VolumeStep(StateCalculation& state);
/// Enthalpy.
PropertyResult EnthalpyStep(StateCalculation& state);
/// Grains, for an inch-pound state.
PropertyResult GrainsStep(StateCalculation& state);

inline PropertyResult StateCalculation::HumidityRatio()
{
    return Shared(m_humidityRatio, [this] { return HumidityRatioStep(*this); });
}

/// One step on a calculation of its own, as a public function runs it.
inline PropertyResult RunAlone(PropertyResult (*step)(StateCalculation&), const UnitSystem& units, const double& T,
                               const double& p, const std::int16_t& Situation, const double& StateVar)
{
    StateCalculation state(units, T, p, Situation, StateVar, StateCalculation::Sharing::Single);
    return step(state);
}

} // namespace humitrax::detail
