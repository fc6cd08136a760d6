// A row's state from its given values, and its status.
#include "humitrax/given.h"

#include "humitrax/pair.h"

#include <cmath>

namespace humitrax {
namespace {

Cell Given(std::optional<double> value) noexcept
{
    Cell cell;
    if (value) {
        cell.value = *value;
        cell.present = true;
    }
    return cell;
}

} // namespace

void StatusText::Add(std::string_view column, std::string_view reason, std::string_view hint)
{
    Next().append(column).append(": ").append(reason).append(hint);
}

std::string& StatusText::Next()
{
    if (!m_text.empty())
        m_text.append("; ");
    return m_text;
}

std::string_view PlaceColumn(const GivenBasis& basis) noexcept
{
    return basis.altitude ? "altitude" : PropertyColumn(Property::Pressure);
}

namespace detail {

std::optional<double> FiniteGiven(std::optional<double> value, std::string_view column, StatusText& status)
{
    if (!value || std::isfinite(*value))
        return value;
    status.Add(column, std::isnan(*value) ? "not a number" : "not a finite number");
    return std::nullopt;
}

Cell GivenPressure(const GivenBasis& basis, std::optional<double> value, StatusText& status)
{
    if (!value || !basis.altitude)
        return Given(value);
    Cell pressure = PressureFromAltitude(basis.units, *value, basis.model);
    if (!pressure.present)
        status.Add(PropertyColumn(Property::Pressure), pressure.reason);
    return pressure;
}

bool FinishGivenState(const GivenBasis& basis, std::optional<double> first, const Cell& pressure,
                      std::optional<double> second, StatusText& status, StateResult& state)
{
    if (!first || !pressure.present || !second) {
        state = StateResult{};
        state[basis.first] = Given(first);
        state[Property::Pressure] = pressure;
        state[basis.second] = Given(second);
        return false;
    }
    state = ComputeStateFromPair(
        {basis.units, basis.model, basis.saturation, pressure.value, {basis.first, *first, basis.second, *second}});
    if (state.refusedWith) { // a pair refused: its words name both
        status.Next().append(RefusalWords(state));
        return true;
    }
    ForEachFailure(state, basis.units, basis.noted, [&](std::string_view column, std::string_view reason) {
        status.Add(column, reason, ModelHint(reason, basis.model, basis.askedModel));
    });
    return true;
}

} // namespace detail
} // namespace humitrax
