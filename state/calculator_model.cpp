// The calculator's model: every property the engine's public function gives,
// the one the calculator window calls for it, all of them computed in one
// full state of the engine, which forms the values they share once.
#include "cells.h"

#include "humitrax/psychrometrics.h"

namespace humitrax {
namespace {

constexpr double kPercent = 100.0;

/// StateVar as the engine takes it: the relative humidity as a fraction.
double StateVarOf(const StateInput& input) noexcept
{
    return input.condition == Condition::RelativeHumidity ? input.value / kPercent : input.value;
}

/// The relative humidity's reason when the calculator's relations give none
/// for this dry bulb: in SI below 0 °C, or below −60 °C with a wet bulb
/// given; in inch-pound units below 32 °F whatever is given. Empty when the
/// dry bulb is above that limit.
std::string_view BelowRelativeHumidityLimit(Units units, Condition condition, double T) noexcept
{
    if (units == Units::InchPound)
        return T < 32.0 ? "not defined below 32 °F by the calculator's relations" : "";
    if (condition == Condition::WetBulb)
        return T < -60.0 ? "not defined below -60 °C by the calculator's relations" : "";
    return T < 0.0 ? "not defined below 0 °C by the calculator's relations" : "";
}

constexpr std::string_view kDryAir = "undefined for dry air (humidity ratio 0)";

} // namespace

std::span<const Property> CalculatorOrder(Condition condition) noexcept
{
    using enum Property;
    static constexpr std::array<Property, 5> kFromWetBulb{RelativeHumidity, DewPoint, HumidityRatio,
                                                          Enthalpy, SpecificVolume};
    static constexpr std::array<Property, 5> kFromDewPoint{RelativeHumidity, WetBulb, HumidityRatio,
                                                           Enthalpy, SpecificVolume};
    static constexpr std::array<Property, 5> kFromRelativeHumidity{DewPoint, WetBulb, HumidityRatio,
                                                                   Enthalpy, SpecificVolume};
    static constexpr std::array<Property, 5> kFromHumidityRatio{DewPoint, WetBulb, RelativeHumidity,
                                                                Enthalpy, SpecificVolume};
    switch (condition) {
    case Condition::WetBulb: return kFromWetBulb;
    case Condition::DewPoint: return kFromDewPoint;
    case Condition::RelativeHumidity: return kFromRelativeHumidity;
    case Condition::HumidityRatio: return kFromHumidityRatio;
    }
    return {};
}

PropertyResult EngineProperty(Property property, Units units, const double& T, const double& p,
                              Condition condition, const double& StateVar)
{
    const auto Situation = static_cast<std::int16_t>(condition);
    if (units == Units::SI) {
        switch (property) {
        case Property::WetBulb: return WetBulbSI(T, p, Situation, StateVar);
        case Property::DewPoint: return DewPointSI(T, p, Situation, StateVar);
        case Property::RelativeHumidity: return HumiditySI(T, p, Situation, StateVar);
        case Property::HumidityRatio: return HumidRatioSI(T, p, Situation, StateVar);
        case Property::Enthalpy: return EnthalpySI(T, p, Situation, StateVar);
        case Property::SpecificVolume: return VolumeSI(T, p, Situation, StateVar);
        default: return {};
        }
    }
    const std::int16_t inchPound = 0;
    switch (property) {
    case Property::WetBulb: return WetBulb(T, p, Situation, StateVar, inchPound);
    case Property::DewPoint: return DewPoint(T, p, Situation, StateVar, inchPound);
    case Property::RelativeHumidity: return Humidity(T, p, Situation, StateVar, inchPound);
    case Property::HumidityRatio: return HumidRatio(T, p, Situation, StateVar, inchPound);
    case Property::Enthalpy: return Enthalpy(T, p, Situation, StateVar, inchPound);
    case Property::SpecificVolume: return Volume(T, p, Situation, StateVar, inchPound);
    case Property::Grains: return Grains(T, p, Situation, StateVar);
    default: return {};
    }
}

namespace detail {
namespace {

/// The engine's unit flag for the unit system.
std::int16_t UnitsSIOf(Units units) noexcept { return units == Units::SI ? 1 : 0; }

/// The full state's outcome for a property the calculator computes.
const PropertyOutcome& OutcomeOf(const FullState& full, Property property) noexcept
{
    switch (property) {
    case Property::WetBulb: return full.wetBulb;
    case Property::DewPoint: return full.dewPoint;
    case Property::RelativeHumidity: return full.relativeHumidity;
    case Property::HumidityRatio: return full.humidityRatio;
    case Property::Enthalpy: return full.enthalpy;
    case Property::SpecificVolume: return full.volume;
    default: break;
    }
    static const PropertyOutcome kNone{}; // no engine call: empty
    return kNone;
}

} // namespace

CalculatorState::CalculatorState(const StateInput& input) noexcept
    : m_input(input),
      m_stateVar(StateVarOf(input)),
      m_full(BeginFullState(input.dryBulb, input.pressure, static_cast<std::int16_t>(input.condition),
                            m_stateVar, UnitsSIOf(input.units)))
{
}

CalculatorState::CalculatorState(const StateInput& input, Unbegun) noexcept
    : m_input(input), m_stateVar(StateVarOf(input))
{
}

Cell CalculatorState::SaturationPressure() const noexcept { return OutcomeCell(m_full.saturationPressure); }

Cell CalculatorState::SaturationRatio() const noexcept { return OutcomeCell(m_full.saturationRatio); }

Cell CalculatorState::HumidityRatio() const noexcept { return OutcomeCell(m_full.humidityRatio); }

void CalculatorState::Properties(StateResult& result) noexcept
{
    FinishFullState(m_full, m_input.dryBulb, m_input.pressure, static_cast<std::int16_t>(m_input.condition),
                    m_stateVar, UnitsSIOf(m_input.units));
    Cells(result);
}

StateArguments CalculatorState::Arguments() const noexcept
{
    return {m_input.dryBulb, m_input.pressure, static_cast<std::int16_t>(m_input.condition), m_stateVar,
            UnitsSIOf(m_input.units)};
}

void CalculatorState::Cells(StateResult& result) const noexcept
{
    const double& T = m_input.dryBulb;
    for (Property property : CalculatorOrder(m_input.condition)) {
        const double scale = property == Property::RelativeHumidity ? kPercent : 1.0;
        result[property] = OutcomeCell(OutcomeOf(m_full, property), scale);
    }
    if (m_input.units == Units::InchPound)
        result[Property::Grains] = OutcomeCell(m_full.grains);
    result[Property::SaturationVapourPressure] = OutcomeCell(m_full.saturationPressure);
    result[Property::SaturationHumidityRatio] = OutcomeCell(m_full.saturationRatio);

    // Reasons in a user's words where the engine's are terse.
    Cell& dew = result[Property::DewPoint];
    if (!dew.present && dew.reason == CausePhrase(FailureCause::InvalidLogarithm))
        dew.reason = kDryAir;
    Cell& relative = result[Property::RelativeHumidity];
    if (!relative.present && relative.reason == texts::kOutOfRange) {
        const std::string_view limit = BelowRelativeHumidityLimit(m_input.units, m_input.condition, T);
        if (!limit.empty())
            relative.reason = limit;
    }
}

} // namespace detail
} // namespace humitrax
