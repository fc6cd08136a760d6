// File: state_calculation.h
// One state's arguments with the two values most of its properties start
// from, the saturation pressure at the dry bulb and the humidity ratio, and
// the property steps that take them. Each public function runs its step on a
// calculation of its own; the full state runs every step on one calculation,
// so that each value is formed once. A step asks for a value at the point
// where the relation uses it, so a failure in forming it surfaces exactly
// where it did when every function formed its own.
// Implementation details, private to the engine.
#pragma once

#include "num.h"
#include "humitrax/full_state.h"
#include "units.h"

#include <cstdint>

namespace humitrax::detail {

/// `compute()` into `outcome`: its result, or the cause of its failure.
template <typename Compute>
void CaptureInto(PropertyOutcome& outcome, Compute&& compute) noexcept
{
    try {
        outcome.result = compute();
    } catch (const PropertyFailure& failure) {
        outcome.failure = failure.cause();
    }
}

class StateCalculation;
PropertyResult HumidityRatioStep(StateCalculation& state);

class StateCalculation {
public:
    /// How a value that cannot be formed is kept.
    enum class Sharing : std::uint8_t {
        /// For a single property: its failure passes straight through.
        Single,
        /// For many properties: its failure is kept, and raised again for
        /// every step that asks for the value.
        Many,
    };

    StateCalculation(const UnitSystem& system, const double& dryBulb, const double& pressure,
                     const std::int16_t& situation, const double& stateVar, Sharing sharing) noexcept
        : units(system), T(dryBulb), p(pressure), Situation(situation), StateVar(stateVar), m_sharing(sharing)
    {
    }
    StateCalculation(const StateCalculation&) = delete;
    StateCalculation& operator=(const StateCalculation&) = delete;

    /// Keeps the saturation pressure at the dry bulb in `saturation` and the
    /// humidity ratio in `ratio` (a full state's outcomes) rather than in the
    /// calculation; `saturationFormed` and `ratioFormed` say which already
    /// hold their value, formed for these arguments.
    void KeepIn(PropertyOutcome& saturation, bool saturationFormed, PropertyOutcome& ratio,
                bool ratioFormed) noexcept
    {
        m_saturation = {&saturation, saturationFormed};
        m_ratio = {&ratio, ratioFormed};
    }

    /// Forms both values where they are not yet formed.
    void Form()
    {
        Form(m_saturation, [this] { return SaturationPressureIn(units, T); });
        Form(m_ratio, [this] { return HumidityRatioStep(*this); });
    }

    /// SaturationPressureIn(units, T) used as a number.
    double DryBulbSaturation()
    {
        Form(m_saturation, [this] { return SaturationPressureIn(units, T); });
        return Number(*m_saturation.outcome);
    }
    /// The humidity ratio, as HumidRatio gives it, used as a number.
    double HumidityRatio()
    {
        Form(m_ratio, [this] { return HumidityRatioStep(*this); });
        return Number(*m_ratio.outcome);
    }

    const UnitSystem& units;
    const double& T;
    const double& p;
    const std::int16_t& Situation;
    const double& StateVar;

private:
    struct Kept {
        PropertyOutcome* outcome;
        bool formed;
    };

    template <typename Compute>
    void Form(Kept& kept, Compute&& compute)
    {
        if (kept.formed)
            return;
        if (m_sharing == Sharing::Single)
            kept.outcome->result = compute(); // a failure passes on, nothing formed
        else
            CaptureInto(*kept.outcome, compute);
        kept.formed = true;
    }

    static double Number(const PropertyOutcome& outcome)
    {
        if (outcome.failure) [[unlikely]]
            Fail(*outcome.failure);
        return outcome.result.AsNumber();
    }

    Sharing m_sharing;
    PropertyOutcome m_ownSaturation;
    PropertyOutcome m_ownRatio;
    Kept m_saturation{&m_ownSaturation, false};
    Kept m_ratio{&m_ownRatio, false};
};

/// WetBulb's secant one pass at a time, so that the passes of several states
/// can run side by side and their library calls overlap (FinishFullStates).
/// Each state's operations are those of WetBulbStep, in its order: WetBulbStep
/// is Begin, then Pass with SaturationPressureIn(units, Trial()) until done.
class WetBulbSecant {
public:
    /// Up to the first pass: true when the answer is known without one
    /// (Result). Throws what WetBulbStep throws there.
    bool Begin(StateCalculation& state);
    /// The trial wet bulb whose saturation pressure the next pass takes.
    [[nodiscard]] double Trial() const { return m_t2.v; }
    /// One pass, `saturation` being SaturationPressureIn(units, Trial()):
    /// true when the answer is found (Result). Throws what WetBulbStep throws
    /// in that pass.
    bool Pass(const PropertyResult& saturation);
    [[nodiscard]] const PropertyResult& Result() const { return m_result; }

private:
    const UnitSystem* m_units = nullptr;
    const double* m_T = nullptr;
    const double* m_p = nullptr;
    Num m_W = 0.0;
    Num m_t1 = 0.0;
    Num m_t2 = 0.0;
    Num m_W1 = 0.0;
    double m_bestMiss = 0.0;
    double m_bestPoint = 0.0;
    int m_pass = 0;
    PropertyResult m_result;
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

/// One step on a calculation of its own, as a public function runs it.
inline PropertyResult RunAlone(PropertyResult (*step)(StateCalculation&), const UnitSystem& units, const double& T,
                               const double& p, const std::int16_t& Situation, const double& StateVar)
{
    StateCalculation state(units, T, p, Situation, StateVar, StateCalculation::Sharing::Single);
    return step(state);
}

} // namespace humitrax::detail
