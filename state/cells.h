// File: cells.h
// Cells from engine results and failures, for the state layer's models.
// Private to the state layer.
#pragma once

#include "humitrax/checked.h"
#include "humitrax/full_state.h"
#include "humitrax/state.h"

#include <cmath>

namespace humitrax::detail {

inline constexpr std::string_view kNoResult = "no result";

inline Cell Failed(std::string_view reason) noexcept
{
    Cell cell;
    cell.reason = reason;
    return cell;
}

/// A number as a cell: a NaN is an invalid operation, an infinity an overflow.
inline Cell Value(double value) noexcept
{
    if (!std::isfinite(value))
        return Failed(CausePhrase(std::isnan(value) ? FailureCause::InvalidOperation
                                                    : FailureCause::Overflow));
    Cell cell;
    cell.value = value;
    cell.present = true;
    return cell;
}

/// What one engine call gave, as a cell: its number (times `scale`), its
/// error text, or its failure.
inline Cell OutcomeCell(const PropertyOutcome& outcome, double scale = 1.0) noexcept
{
    if (outcome.failure)
        return Failed(CausePhrase(*outcome.failure));
    if (outcome.result.isText())
        return Failed(outcome.result.text());
    if (outcome.result.isEmpty())
        return Failed(kNoResult);
    return Value(outcome.result.AsNumber() * scale);
}

/// One call that returns a double or throws PropertyFailure, as a cell.
template <typename Call>
Cell Attempt(Call&& call) noexcept
{
    try {
        return Value(call());
    } catch (const PropertyFailure& failure) {
        return Failed(CausePhrase(failure.cause()));
    } catch (...) {
        return Failed(kNoResult);
    }
}

/// The calculator model's engine work for one state: the engine's full
/// state, begun for the refusal rules (the humidity ratio and its value at
/// saturation) and finished, when the state is not refused, for the
/// properties, so that the two share every value.
class CalculatorState {
public:
    explicit CalculatorState(const StateInput& input) noexcept;
    /// The state with its full state not yet begun: the caller begins it,
    /// with others (BeginFullStates on Full() and Arguments()).
    struct Unbegun {};
    CalculatorState(const StateInput& input, Unbegun) noexcept;

    /// The saturation pressure at the dry bulb.
    [[nodiscard]] Cell SaturationPressure() const noexcept;
    /// The humidity ratio of saturated air at the dry bulb and pressure.
    [[nodiscard]] Cell SaturationRatio() const noexcept;
    /// The humidity ratio the given condition makes.
    [[nodiscard]] Cell HumidityRatio() const noexcept;
    /// Fills the cells of a state that is not refused: finishes the full
    /// state, then Cells.
    void Properties(StateResult& result) noexcept;

    /// The full state begun, and its arguments, for a caller that finishes
    /// several together (FinishFullStates) before it asks for their Cells.
    [[nodiscard]] FullState& Full() noexcept { return m_full; }
    [[nodiscard]] StateArguments Arguments() const noexcept;
    /// Fills the cells from the finished full state.
    void Cells(StateResult& result) const noexcept;

private:
    const StateInput& m_input;
    double m_stateVar; ///< as the engine takes it: the relative humidity as a fraction
    FullState m_full;
};

/// A state under the 2017 Handbook's relations, the saturation pressure at the
/// dry bulb, the humidity ratio and its saturation value each formed once.
class Ashrae2017State {
public:
    explicit Ashrae2017State(const StateInput& input) noexcept;

    /// The saturation pressure at the dry bulb.
    [[nodiscard]] const Cell& SaturationPressure() const noexcept { return m_saturationPressure; }
    /// The humidity ratio of saturated air at the dry bulb and pressure.
    [[nodiscard]] const Cell& SaturationRatio() const noexcept { return m_saturationRatio; }
    /// The humidity ratio the given condition makes.
    [[nodiscard]] const Cell& HumidityRatio() const noexcept { return m_ratio; }
    /// Fills the cells of a state that is not refused.
    void Properties(StateResult& result) const noexcept;

private:
    const StateInput& m_input;
    Cell m_saturationPressure; ///< at the dry bulb
    Cell m_saturationRatio;
    Cell m_ratio;
};


} // namespace humitrax::detail
