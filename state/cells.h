// File: cells.h
// Cells from engine results and failures, for the state layer's models.
// Private to the state layer.
#pragma once

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

/// One engine call as a cell: its number (times `scale`), its error text, or
/// its failure.
template <typename Call>
Cell Evaluate(Call&& call, double scale = 1.0) noexcept
{
    try {
        const PropertyResult result = call();
        if (result.isText())
            return Failed(result.text());
        if (result.isEmpty())
            return Failed(kNoResult);
        return Value(result.AsNumber() * scale);
    } catch (const PropertyFailure& failure) {
        return Failed(CausePhrase(failure.cause()));
    } catch (...) {
        return Failed(kNoResult);
    }
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

/// The two models, each filling the cells of a state that is not refused,
/// and answering the two questions the refusal rules ask.
void CalculatorProperties(const StateInput& input, StateResult& result) noexcept;
void Ashrae2017Properties(const StateInput& input, StateResult& result) noexcept;

/// The humidity ratio of saturated air at the dry bulb and pressure.
Cell CalculatorSaturationRatio(const StateInput& input) noexcept;
Cell Ashrae2017SaturationRatio(const StateInput& input) noexcept;

/// The humidity ratio the given condition makes (wet bulb, dew point or
/// relative humidity).
Cell CalculatorHumidityRatio(const StateInput& input) noexcept;
Cell Ashrae2017HumidityRatio(const StateInput& input) noexcept;

} // namespace humitrax::detail
